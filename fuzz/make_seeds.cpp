// Writes the fuzzer's seed corpus of JPEG, PNG and GIF files into the folder it is given: one
// small valid file of each layout the loader is meant to read through Qt, so that mutations
// start from every decoder path; BMP seeds are the BMP suite's files. Each seed must load, or
// the build fails: a seed the loader refuses would leave its path unfuzzed unnoticed.
#include "core/picture_loader.h"
#include "fuzz/picture_bytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <cstdio>

using namespace testing;

namespace {

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 40 & 0xFF, y * 50 & 0xFF, (x + y) * 23 & 0xFF));
    return image;
}

QImage indexed(int width, int height, int colours)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorCount(colours);
    for (int i = 0; i < colours; ++i)
        image.setColor(i, qRgb(i * 255 / (colours - 1), 255 - i * 255 / (colours - 1), i * 7));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, uint((x + 3 * y) % colours));
    return image;
}

// Qt's writer, configured by `setUp`; empty when it fails.
template<typename SetUp> QByteArray written(const QImage &image, const char *format, SetUp setUp)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    setUp(writer);
    return writer.write(image) ? bytes : QByteArray();
}

QByteArray written(const QImage &image, const char *format)
{
    return written(image, format, [](QImageWriter &) {});
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;

    QList<std::pair<const char *, QByteArray>> seeds;

    const QImage photo = pattern(17, 9); // not a whole number of 8 or 16 pixel blocks
    seeds.append({"jpeg_baseline.jpg", written(photo, "jpeg")});
    seeds.append({"jpeg_progressive.jpg", written(photo, "jpeg", [](QImageWriter &w) {
                      w.setProgressiveScanWrite(true);
                  })});
    seeds.append({"jpeg_optimised.jpg",
                  written(photo, "jpeg", [](QImageWriter &w) { w.setOptimizedWrite(true); })});
    seeds.append(
        {"jpeg_grey.jpg", written(photo.convertToFormat(QImage::Format_Grayscale8), "jpeg")});
    seeds.append({"jpeg_exif_rotated.jpg", written(photo, "jpeg", [](QImageWriter &w) {
                      w.setTransformation(QImageIOHandler::TransformationRotate90);
                  })});

    QImage alpha = pattern(5, 4).convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(1, 1, qRgba(10, 20, 30, 0));
    seeds.append({"png_alpha.png", written(alpha, "png")});
    seeds.append({"png_palette.png", written(indexed(6, 3, 5), "png")});
    seeds.append({"gif_two_colours.gif", gifFile()});
    seeds.append({"gif_transparent.gif", gifFile(3, 2, true)});

    for (const auto &[name, bytes] : seeds) {
        const auto loaded = core::decodePicture(bytes, QString::fromLatin1(name));
        if (!loaded) {
            std::fprintf(stderr, "%s\n", qPrintable(loaded.error().toString()));
            return 1;
        }
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(file.errorString()));
            return 1;
        }
    }
    return 0;
}
