// Sizes and rectangles of pixels, as plain values.
#pragma once

namespace core {

struct Size
{
    int width = 0;
    int height = 0;

    bool operator==(const Size &) const = default;
    bool isEmpty() const noexcept { return width <= 0 || height <= 0; }
    Size transposed() const noexcept { return {height, width}; }
};

// A rectangle of pixels: its top left corner and its size.
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect &) const = default;
    Size size() const noexcept { return {width, height}; }
    // Whether it lies wholly inside a picture of `picture` pixels; 64-bit, so that no
    // corner or size overflows.
    bool within(Size picture) const noexcept
    {
        return x >= 0 && y >= 0 && width > 0 && height > 0 &&
               static_cast<long long>(x) + width <= picture.width &&
               static_cast<long long>(y) + height <= picture.height;
    }
};

} // namespace core
