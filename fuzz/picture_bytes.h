// Picture files put together byte by byte, in layouts that Qt's writers cannot produce. The
// seed corpus is made of them, and the tests for hostile files start from them.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <iterator>

namespace testing {

inline void put16(QByteArray &out, std::uint32_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8 & 0xFF);
}

inline void put32(QByteArray &out, std::uint32_t v)
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

inline QByteArray bmpFile(const Bmp &b)
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

inline QByteArray greyPalette(int colours, int bytesEach = 4)
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

// Run-length rows of palette indices made by `index`, one run for each stretch of equal
// pixels, each row ended by its code and the last by the end-of-picture code.
template<typename Index> QByteArray rleRows(int width, int height, bool fourBits, Index index)
{
    QByteArray out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            const std::uint32_t v = index(x, y);
            int run = 1;
            while (x + run < width && run < 255 && index(x + run, y) == v)
                ++run;
            out += char(run);
            out += char(fourBits ? (v << 4 | v) : v);
            x += run;
        }
        out += '\0';
        out += char(y + 1 < height ? 0 : 1);
    }
    return out;
}

// One 3 x 2 GIF picture of two colours, red and blue stripes, on a screen of the given size;
// with `transparent` red is the transparent colour, which makes Qt decode it with alpha.
// The code table starts at 2 bits, so the codes are 3 bits wide: clear (4), the six pixels as
// codes 0 1 0 1 0 1 written literally, end (5).
inline QByteArray gifFile(int screenWidth = 3, int screenHeight = 2, bool transparent = false)
{
    QByteArray gif("GIF89a");
    put16(gif, std::uint32_t(screenWidth));
    put16(gif, std::uint32_t(screenHeight));
    gif += char(0x80); // a global table of two colours
    gif += '\0';
    gif += '\0';
    gif += QByteArray("\xFF\x00\x00\x00\x00\xFF", 6);
    if (transparent)
        gif += QByteArray("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);
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

} // namespace testing
