// Makes numbered pictures for the speed script: bench_make_pictures FOLDER COUNT WIDTH HEIGHT
// FORMAT, one of jpg, bmp, png, gif and turned.jpg (a JPEG with the EXIF orientation 6, to be
// turned a quarter clockwise). Smooth shading with fine grain, so that a JPEG of it costs what a
// photo costs to decode; the same pictures every time.

#include "gif_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

QImage picture(int width, int height, unsigned seed)
{
    std::minstd_rand random(seed);
    std::uniform_int_distribution<int> grain(-12, 12);
    QImage image(width, height, QImage::Format_RGB32);
    const int cx = int(random() % unsigned(width));
    const int cy = int(random() % unsigned(height));
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int d = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (width + height);
            row[x] = qRgb(std::clamp(x * 255 / width + grain(random), 0, 255),
                          std::clamp(255 - (d & 0xFF) + grain(random), 0, 255),
                          std::clamp(y * 255 / height + grain(random), 0, 255));
        }
    }
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6) {
        std::fputs(
            "usage: bench_make_pictures FOLDER COUNT WIDTH HEIGHT jpg|bmp|png|gif|turned.jpg\n",
            stderr);
        return 2;
    }
    const QDir folder(args[1]);
    const int count = args[2].toInt();
    const int width = args[3].toInt();
    const int height = args[4].toInt();
    const QString format = args[5];
    if (!folder.exists() || count < 1 || width < 1 || height < 1 ||
        (format != u"jpg" && format != u"bmp" && format != u"png" && format != u"gif" &&
         format != u"turned.jpg")) {
        std::fputs("bench_make_pictures: bad arguments\n", stderr);
        return 2;
    }
    for (int i = 0; i < count; ++i) {
        const QString path =
            folder.filePath(QStringLiteral("pic%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(format));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const QImage made = picture(width, height, unsigned(i + 1));
        if (format == u"gif")
            bytes = gifFile(made);
        else
            made.save(&buffer, format == u"bmp" ? "BMP" : format == u"png" ? "PNG" : "JPEG", 90);
        // An APP1 segment of EXIF data right after the start marker: IFD0 holding only the
        // orientation, little-endian.
        if (format == u"turned.jpg")
            bytes.insert(2, QByteArray::fromHex("ffe1002245786966000049492a000800000001001201"
                                                "0300010000000600000000000000"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "bench_make_pictures: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
