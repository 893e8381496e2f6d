// Picture files put together byte by byte, in layouts that Qt's writers cannot produce, for the
// seed corpus and the tests of hostile files. BMP files come from the BMP suite instead.
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
    put16(gif, 0);
    put16(gif, 0);
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
