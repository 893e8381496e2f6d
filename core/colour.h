// Colour values as the rest of the program passes them around: 32 bits with red in bits 0-7,
// green in 8-15 and blue in 16-23. The pixel store's words put them the other way round, as
// Qt's QRgb does (0xAARRGGBB), so every crossing between the two goes through these helpers.
#pragma once

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

constexpr Colour fromQRgb(std::uint32_t p) noexcept
{
    return rgb(int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF));
}
// Opaque.
constexpr std::uint32_t toQRgb(Colour c) noexcept
{
    return 0xFF000000u | std::uint32_t(redOf(c)) << 16 | std::uint32_t(greenOf(c)) << 8 |
           std::uint32_t(blueOf(c));
}

} // namespace core
