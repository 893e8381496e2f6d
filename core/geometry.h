// Sizes and rectangles of pixels, as plain values.
#pragma once

namespace core {

struct Size
{
    int width = 0;
    int height = 0;

    bool operator==(const Size &) const = default;
    constexpr bool isEmpty() const noexcept { return width <= 0 || height <= 0; }
    constexpr Size transposed() const noexcept { return {height, width}; }
};

// A rectangle of pixels: its top left corner and its size.
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect &) const = default;
    constexpr Size size() const noexcept { return {width, height}; }
    constexpr bool isEmpty() const noexcept { return width <= 0 || height <= 0; }
    constexpr int right() const noexcept { return x + width; }   // one past the last column
    constexpr int bottom() const noexcept { return y + height; } // one past the last row
    // Whether it lies wholly inside a picture of `picture` pixels; 64-bit, so that no
    // corner or size overflows.
    constexpr bool within(Size picture) const noexcept
    {
        return x >= 0 && y >= 0 && width > 0 && height > 0 &&
               static_cast<long long>(x) + width <= picture.width &&
               static_cast<long long>(y) + height <= picture.height;
    }
};

// The part two rectangles share; empty when none.
constexpr Rect intersected(Rect a, Rect b) noexcept
{
    const int left = a.x > b.x ? a.x : b.x, top = a.y > b.y ? a.y : b.y;
    const int right = a.right() < b.right() ? a.right() : b.right();
    const int bottom = a.bottom() < b.bottom() ? a.bottom() : b.bottom();
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

} // namespace core
