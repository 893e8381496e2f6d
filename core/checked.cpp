#include "core/checked.h"

namespace core {

#if defined(__SIZEOF_INT128__)
__extension__ using Wide = unsigned __int128;
#else
#error "a compiler with 128-bit integers (GCC or Clang) is needed for the fitting arithmetic"
#endif

std::optional<std::int64_t> Extent::area() const
{
    return checkedMul(width, height);
}

std::optional<std::int64_t> checkedAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return std::nullopt;
    return sum;
}

std::optional<std::int64_t> checkedMul(std::int64_t a, std::int64_t b)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    return product;
}

Quotient mulDiv(std::int64_t a, std::int64_t b, std::int64_t c)
{
    const Wide product = Wide(std::uint64_t(a)) * std::uint64_t(b);
    return {std::int64_t(product / std::uint64_t(c)), std::int64_t(product % std::uint64_t(c))};
}

} // namespace core
