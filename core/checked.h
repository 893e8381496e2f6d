// The sizes the program derives from a picture and a recipe: fitted sides, placement offsets,
// crops, turned sizes, byte counts. Legal inputs take them past 32 bits (a strip of 2^21 x 1
// pixels covering a panel of 1 x 1024 is, in arithmetic, 2^31 pixels wide before the panel
// cuts it), so they are held in 64 bits, products of two of them are taken in 128, and a value
// becomes an int only once it is known to lie within a picture or a panel, which are ints.
#pragma once

#include <cstdint>
#include <optional>

namespace core {

// A width and a height that need not fit an int.
struct Extent
{
    std::int64_t width = 0;
    std::int64_t height = 0;

    bool operator==(const Extent &) const = default;
    Extent transposed() const { return {height, width}; }
    // The area, or nothing when it does not fit 64 bits.
    std::optional<std::int64_t> area() const;
};

std::optional<std::int64_t> checkedAdd(std::int64_t a, std::int64_t b);
std::optional<std::int64_t> checkedMul(std::int64_t a, std::int64_t b);

// a * b / c for a, b >= 0 and c > 0, exact whatever the size of the product: the quotient
// rounded down, and the remainder. The quotient must fit 64 bits.
struct Quotient
{
    std::int64_t value;
    std::int64_t remainder;
};
Quotient mulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

} // namespace core
