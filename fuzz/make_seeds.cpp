// Writes the fuzzer's seed corpus into the folder it is given: one small valid file of each
// layout the loader is meant to read, so that mutations start from every decoder path. Qt's
// writers make what they can; BMP depths and encodings they cannot write are put together
// here byte by byte. Each seed must load, or the build fails: a seed the loader refuses would
// leave its decoder path unfuzzed without anyone noticing.
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

    const QImage rgb = pattern(9, 5);
    QList<std::pair<const char *, QByteArray>> seeds;

    seeds.append(
        {"bmp_1bit.bmp", written(indexed(13, 4, 2).convertToFormat(QImage::Format_Mono), "bmp")});
    seeds.append({"bmp_4bit.bmp", written(indexed(7, 3, 16), "bmp")}); // 16 colours: 4 bits
    seeds.append({"bmp_8bit.bmp", written(indexed(7, 3, 200), "bmp")});
    seeds.append({"bmp_24bit.bmp", written(rgb, "bmp")});

    Bmp b565(5, 3, 16, BitFields);
    b565.masks[0] = 0xF800;
    b565.masks[1] = 0x07E0;
    b565.masks[2] = 0x001F;
    b565.pixels =
        rows(5, 3, 2, [](int x, int y) { return std::uint32_t(x * 0x0841 + y * 0x3000); });
    seeds.append({"bmp_16bit_565.bmp", bmpFile(b565)});

    Bmp b555(5, 3, 16);
    b555.pixels =
        rows(5, 3, 2, [](int x, int y) { return std::uint32_t(x * 0x0421 + y * 0x1800); });
    seeds.append({"bmp_16bit_555.bmp", bmpFile(b555)});

    Bmp b32(4, 3, 32);
    b32.pixels = rows(4, 3, 4, [](int x, int y) { return std::uint32_t(x * 0x402010 + y * 0x30); });
    seeds.append({"bmp_32bit.bmp", bmpFile(b32)});

    Bmp b32a(4, -3, 32, BitFields);
    b32a.headerSize = 124;
    b32a.masks[0] = 0x00FF0000;
    b32a.masks[1] = 0x0000FF00;
    b32a.masks[2] = 0x000000FF;
    b32a.masks[3] = 0xFF000000;
    b32a.pixels = rows(
        4, 3, 4, [](int x, int y) { return std::uint32_t(x) * 0x40302010u + std::uint32_t(y); });
    seeds.append({"bmp_32bit_alpha_v5_top_down.bmp", bmpFile(b32a)});

    Bmp topDown(3, -2, 24);
    topDown.pixels = rows(3, 2, 3, [](int x, int y) { return std::uint32_t(x * 0x405060 + y); });
    seeds.append({"bmp_24bit_top_down.bmp", bmpFile(topDown)});

    // The old header's palette always has 2^bits entries of 3 bytes.
    Bmp core(3, 2, 4);
    core.headerSize = 12;
    core.palette = greyPalette(16, 3);
    core.pixels = rows(2, 2, 1, [](int x, int y) { return std::uint32_t(x * 0x37 + y * 0x11); });
    seeds.append({"bmp_4bit_core_header.bmp", bmpFile(core)});

    // Run-length rows of 6 pixels: a run, a literal stretch (padded to a word), end of row;
    // one row skipped by a move; end of picture.
    Bmp rle8(6, 4, 8, Rle8);
    rle8.palette = greyPalette(8);
    rle8.pixels = QByteArray("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00"
                             "\x06\x05\x00\x00"
                             "\x00\x02\x00\x01"
                             "\x02\x07\x04\x06\x00\x01",
                             24);
    seeds.append({"bmp_rle8.bmp", bmpFile(rle8)});

    Bmp rle4(7, 3, 4, Rle4);
    rle4.palette = greyPalette(16);
    rle4.pixels = QByteArray("\x04\x1F\x00\x03\x23\x40\x00\x00"
                             "\x07\xA5\x00\x00"
                             "\x00\x02\x03\x00"
                             "\x02\xCD\x00\x01",
                             20);
    seeds.append({"bmp_rle4.bmp", bmpFile(rle4)});

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
