// The 65K-colour encoding the display unit takes, one pixel at a time, and the colour the
// window shows for it. Everything else in the conversion must agree with this function bit
// for bit; the row kernel is tested against it over all 2^24 colours.
#pragma once

#include "core/colour.h"

#include <cstdint>

namespace core {

// Two bytes, low byte first, of the 5-6-5 word: red in bits 15-11, green 10-5, blue 4-0.
struct Rgb565Pixel
{
    std::uint8_t low = 0;
    std::uint8_t high = 0;

    constexpr bool operator==(const Rgb565Pixel &) const = default;
};

struct Quantised
{
    Rgb565Pixel bin;
    Colour preview = 0;

    constexpr bool operator==(const Quantised &) const = default;
};

// The preview fills the bits that 5-6-5 drops with ones, so that full intensity stays full;
// a channel that truncates to zero stays black rather than turning into a dim grey.
constexpr std::uint32_t previewChannel(std::uint32_t truncated, std::uint32_t fill) noexcept
{
    return truncated == 0 ? 0 : truncated + fill;
}

constexpr Quantised quantise(Colour c) noexcept
{
    const std::uint32_t red5 = c & 0xF8;
    const std::uint32_t green6 = (c >> 8) & 0xFC;
    const std::uint32_t blue5 = (c >> 16) & 0xF8;

    // The additions join disjoint bit fields and never carry.
    const auto high = std::uint8_t(red5 + ((c >> 13) & 0x07));
    const auto low = std::uint8_t(((c >> 5) & 0xE0) + blue5 / 8);

    const Colour preview =
        previewChannel(red5, 7) | previewChannel(green6, 3) << 8 | previewChannel(blue5, 7) << 16;
    return {{low, high}, preview};
}

} // namespace core
