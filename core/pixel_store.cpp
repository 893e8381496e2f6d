#include "core/pixel_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace core {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

} // namespace

void PixelStore::Release::operator()(std::uint32_t *pixels) const noexcept
{
    ::operator delete[](pixels, std::align_val_t(kRowAlignment));
}

PixelStore PixelStore::allocate(int width, int height)
{
    PixelStore store;
    if (width <= 0 || height <= 0)
        return store;
    constexpr std::size_t perLine = kRowAlignment / 4;
    const std::size_t stride = (std::size_t(width) + perLine - 1) / perLine * perLine;
    if (std::size_t(height) > std::numeric_limits<std::size_t>::max() / 4 / stride)
        return store;
    // Not value-initialised: a decoder writes every pixel, and a header that lies about the
    // size then costs address space, not the time to clear it.
    auto *pixels = static_cast<std::uint32_t *>(::operator new[](
        4 * stride * std::size_t(height), std::align_val_t(kRowAlignment), std::nothrow));
    if (!pixels)
        return store;
    store.m_pixels.reset(pixels);
    store.m_width = width;
    store.m_height = height;
    store.m_stride = stride;
    return store;
}

PixelStore PixelStore::filled(QSize size, Colour colour)
{
    PixelStore store = allocate(size.width(), size.height());
    const std::uint32_t word = toQRgb(colour);
    for (int y = 0; y < store.height(); ++y)
        std::fill_n(store.row(y), store.width(), word);
    return store;
}

PixelStore PixelStore::copy() const
{
    PixelStore twin = allocate(m_width, m_height);
    if (twin.isNull())
        return twin;
    std::memcpy(twin.m_pixels.get(), m_pixels.get(), strideBytes() * std::size_t(m_height));
    twin.m_hasAlpha = m_hasAlpha;
    return twin;
}

Colour PixelStore::pixel(int x, int y) const
{
    return fromQRgb(row(y)[x]);
}

void PixelStore::setPixel(int x, int y, Colour colour)
{
    row(y)[x] = toQRgb(colour);
}

void PixelStore::dropAlpha()
{
    if (!m_hasAlpha)
        return;
    for (int y = 0; y < m_height; ++y) {
        std::uint32_t *line = row(y);
        for (int x = 0; x < m_width; ++x)
            line[x] |= kOpaque;
    }
    m_hasAlpha = false;
}

bool PixelStore::samePixels(const PixelStore &other) const
{
    if (size() != other.size())
        return false;
    const std::uint32_t ignored = m_hasAlpha || other.m_hasAlpha ? 0 : kOpaque;
    for (int y = 0; y < m_height; ++y) {
        const std::uint32_t *a = row(y);
        const std::uint32_t *b = other.row(y);
        for (int x = 0; x < m_width; ++x)
            if ((a[x] | ignored) != (b[x] | ignored))
                return false;
    }
    return true;
}

} // namespace core
