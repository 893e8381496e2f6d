// Colour values as the rest of the program passes them around: 32 bits with red in bits 0-7,
// green in 8-15 and blue in 16-23. Qt's QRgb puts red and blue the other way round, so every
// crossing between the two goes through these helpers.
#pragma once

#include <QRgb>

#include <cstdint>

namespace core {

using Colour = std::uint32_t;

constexpr Colour rgb(int red, int green, int blue) noexcept
{
    return Colour(red & 0xFF) | Colour(green & 0xFF) << 8 | Colour(blue & 0xFF) << 16;
}

constexpr int redOf(Colour c) noexcept
{
    return int(c & 0xFF);
}
constexpr int greenOf(Colour c) noexcept
{
    return int(c >> 8 & 0xFF);
}
constexpr int blueOf(Colour c) noexcept
{
    return int(c >> 16 & 0xFF);
}

constexpr Colour fromQRgb(QRgb p) noexcept
{
    return rgb(qRed(p), qGreen(p), qBlue(p));
}
constexpr QRgb toQRgb(Colour c) noexcept
{
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}

} // namespace core
