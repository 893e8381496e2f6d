#include "core/pixel_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace core {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// A large picture asks for huge pages where the system gives them on request: its first
// writes then fault in 2 MiB at a time instead of 4 KiB, which for a photo of 12 megapixels
// is a fifth of the time its decoding takes. Only the whole huge pages inside the block.
void preferHugePages([[maybe_unused]] void *block, [[maybe_unused]] std::size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(1) << 21;
    const auto from = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t start = (from + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (from + bytes) & ~(kHuge - 1);
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#endif
}

void freeBlock(std::uint32_t *block) noexcept
{
    ::operator delete[](block, std::align_val_t(PixelStore::kRowAlignment));
}

// The block this thread's Recycling keeps for its next store.
struct Spare
{
    std::uint32_t *block = nullptr;
    std::size_t bytes = 0;
    int recyclings = 0;
};

thread_local Spare t_spare;

} // namespace

PixelStore::Recycling::Recycling()
{
    ++t_spare.recyclings;
}

PixelStore::Recycling::~Recycling()
{
    if (--t_spare.recyclings == 0 && t_spare.block) {
        freeBlock(t_spare.block);
        t_spare.block = nullptr;
        t_spare.bytes = 0;
    }
}

void PixelStore::Release::operator()(std::uint32_t *pixels) const noexcept
{
#if !defined(VARNELLO_SANITIZED)
    if (t_spare.recyclings > 0 && (!t_spare.block || t_spare.bytes < bytes)) {
        if (t_spare.block)
            freeBlock(t_spare.block);
        t_spare.block = pixels;
        t_spare.bytes = bytes;
        return;
    }
#endif
    freeBlock(pixels);
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
    std::size_t bytes = 4 * stride * std::size_t(height);
    std::uint32_t *pixels = nullptr;
    if (t_spare.block && t_spare.bytes >= bytes) {
        pixels = std::exchange(t_spare.block, nullptr);
        bytes = std::exchange(t_spare.bytes, 0);
    } else {
        // Not value-initialised: a decoder writes every pixel, and a header that lies about
        // the size then costs address space, not the time to clear it.
        pixels = static_cast<std::uint32_t *>(
            ::operator new[](bytes, std::align_val_t(kRowAlignment), std::nothrow));
        if (!pixels)
            return store;
        preferHugePages(pixels, bytes);
    }
    store.m_pixels = std::unique_ptr<std::uint32_t[], Release>(pixels, Release{bytes});
    store.m_width = width;
    store.m_height = height;
    store.m_stride = stride;
    return store;
}

PixelStore PixelStore::filled(Size size, Colour colour)
{
    PixelStore store = allocate(size.width, size.height);
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
