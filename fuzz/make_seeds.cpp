// Writes the fuzzer's seed corpus into the folder it is given: one small valid file of each
// layout the loader is meant to read, so that mutations start from every decoder path. Qt's
// writers make what they can; BMP depths and encodings they cannot write are put together
// here byte by byte. Each seed must load, or the build fails: a seed the loader refuses would
// leave its decoder path unfuzzed without anyone noticing.
#include "core/picture_loader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <cstdio>
#include <iterator>

namespace {

void put16(QByteArray &out, std::uint32_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8 & 0xFF);
}

void put32(QByteArray &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

enum Compression : std::uint32_t
{
    Plain = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3,
};

struct Bmp
{
    Bmp(std::int32_t width, std::int32_t height, int bits, Compression compression = Plain)
        : width(width)
        , height(height)
        , bits(bits)
        , compression(compression)
    {}

    std::int32_t width;
    std::int32_t height; // negative: rows stored top-down
    int bits;
    Compression compression;
    QByteArray palette;          // 4 bytes a colour (3 with the 12-byte header)
    std::uint32_t masks[4] = {}; // red, green, blue, alpha, for bit fields
    int headerSize = 40;         // 12, 40, 108 or 124
    QByteArray pixels;
};

QByteArray bmpFile(const Bmp &b)
{
    QByteArray info;
    put32(info, std::uint32_t(b.headerSize));
    if (b.headerSize == 12) {
        put16(info, std::uint32_t(b.width));
        put16(info, std::uint32_t(b.height));
        put16(info, 1);
        put16(info, std::uint32_t(b.bits));
    } else {
        put32(info, std::uint32_t(b.width));
        put32(info, std::uint32_t(b.height));
        put16(info, 1);
        put16(info, std::uint32_t(b.bits));
        put32(info, b.compression);
        put32(info, std::uint32_t(b.pixels.size()));
        put32(info, 2835); // 72 dots an inch
        put32(info, 2835);
        put32(info, std::uint32_t(b.palette.size() / 4)); // colours used
        put32(info, 0);
        const int maskCount = b.headerSize > 40 ? 4 : b.compression == BitFields ? 3 : 0;
        for (int i = 0; i < maskCount; ++i)
            put32(info, b.masks[i]);
        if (b.headerSize > 40) {
            put32(info, 0x73524742); // "sRGB"
            info += QByteArray(36 + 12, '\0');
        }
        if (b.headerSize > 108)
            info += QByteArray(16, '\0');
    }
    QByteArray file("BM");
    const auto offset = std::uint32_t(14 + info.size() + b.palette.size());
    put32(file, offset + std::uint32_t(b.pixels.size()));
    put32(file, 0);
    put32(file, offset);
    return file + info + b.palette + b.pixels;
}

QByteArray greyPalette(int colours, int bytesEach = 4)
{
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        const char level = char(i * 255 / (colours - 1));
        palette += QByteArray(3, level);
        if (bytesEach == 4)
            palette += '\0';
    }
    return palette;
}

// Rows of `width` pixels of `bytesEach` bytes made by `pixel`, each padded to 4 bytes.
template<typename Pixel> QByteArray rows(int width, int height, int bytesEach, Pixel pixel)
{
    QByteArray out;
    for (int y = 0; y < height; ++y) {
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            for (int i = 0; i < bytesEach; ++i)
                row += char(v >> (8 * i) & 0xFF);
        }
        while (row.size() % 4)
            row += '\0';
        out += row;
    }
    return out;
}

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

// One 3 x 2 GIF picture of two colours: the code table starts at 2 bits, so the codes are 3
// bits wide: clear (4), the six pixels as codes 0 1 0 1 0 1 written literally, end (5).
QByteArray gifFile()
{
    QByteArray gif("GIF89a");
    put16(gif, 3);
    put16(gif, 2);
    gif += char(0x80); // a global table of two colours
    gif += '\0';
    gif += '\0';
    gif += QByteArray("\xFF\x00\x00\x00\x00\xFF", 6);
    gif += ',';
    put32(gif, 0);
    put16(gif, 3);
    put16(gif, 2);
    gif += '\0';
    gif += char(2); // smallest code size
    const int codes[] = {4, 0, 1, 0, 1, 0, 1, 5};
    QByteArray data;
    std::uint32_t acc = 0;
    int filled = 0;
    int width = 3;
    int next = 6;
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        acc |= std::uint32_t(codes[i]) << filled;
        filled += width;
        while (filled >= 8) {
            data += char(acc & 0xFF);
            acc >>= 8;
            filled -= 8;
        }
        // Each literal after the first adds a table entry; at 8 entries codes grow a bit.
        if (i >= 2 && codes[i] < 4 && ++next == 8)
            width = 4;
    }
    if (filled)
        data += char(acc & 0xFF);
    gif += char(data.size());
    gif += data;
    gif += '\0';
    gif += ';';
    return gif;
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
