// The canvas's own pixels: one 32-bit word per pixel, 8 bits per channel, so that a pixel
// written reads back unchanged. The decoders write straight into its rows and the conversion
// kernel works on them in place; the window paints them through a QImage that borrows the
// rows, so the core itself needs no graphics library.
#pragma once

#include "core/colour.h"

#include "core/geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace core {

class PixelStore
{
public:
    // Rows start on this boundary (in bytes), so that vector loads of a row never split a
    // cache line at its start.
    static constexpr std::size_t kRowAlignment = 64;

    PixelStore() = default;
    PixelStore(PixelStore &&) noexcept = default;
    PixelStore &operator=(PixelStore &&) noexcept = default;
    // A copy costs the whole picture; copy() says so where it happens.
    PixelStore(const PixelStore &) = delete;
    PixelStore &operator=(const PixelStore &) = delete;

    // While one of these lives on a thread, a store that the thread gives up keeps its memory
    // for the next one the thread allocates, instead of handing it back to the system: in a
    // run of many pictures each then skips the system's clearing of fresh memory, which costs
    // a photo of 12 megapixels a tenth of its decoding. The larger block is kept, one at a
    // time, until the last Recycling of the thread ends. Off in sanitizer builds, where freed
    // memory must stay freed to be checked.
    class Recycling
    {
    public:
        Recycling();
        ~Recycling();
        Recycling(const Recycling &) = delete;
        Recycling &operator=(const Recycling &) = delete;
    };

    // Pixels left as the allocator (or a Recycling) gives them, for a decoder that writes
    // every one. Null when a side is not positive or the memory cannot be had.
    static PixelStore allocate(int width, int height);
    // Null likewise.
    static PixelStore filled(Size size, Colour colour);
    PixelStore copy() const;

    bool isNull() const { return !m_pixels; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    Size size() const { return {m_width, m_height}; }
    // From one row's start to the next, in pixels.
    std::size_t stride() const { return m_stride; }
    std::size_t strideBytes() const { return 4 * m_stride; }

    // Rows of width() words 0xAARRGGBB (QRgb's layout), red in bits 16-23. Alpha is 0xFF in
    // every pixel unless hasAlpha().
    std::uint32_t *row(int y) { return m_pixels.get() + std::size_t(y) * m_stride; }
    const std::uint32_t *row(int y) const { return m_pixels.get() + std::size_t(y) * m_stride; }

    Colour pixel(int x, int y) const;
    void setPixel(int x, int y, Colour colour);

    // Whether the pixels carry the picture's transparency in their alpha byte (straight, not
    // premultiplied: the stored colour is the file's).
    bool hasAlpha() const { return m_hasAlpha; }
    void setHasAlpha(bool hasAlpha) { m_hasAlpha = hasAlpha; }
    // Makes every pixel opaque, keeping its stored colour.
    void dropAlpha();

    // Same size and the same colours (alpha included when either has it).
    bool samePixels(const PixelStore &other) const;

private:
    struct Release
    {
        std::size_t bytes; // of the block, which a recycled one may have more of
        void operator()(std::uint32_t *pixels) const noexcept;
    };

    std::unique_ptr<std::uint32_t[], Release> m_pixels;
    int m_width = 0;
    int m_height = 0;
    std::size_t m_stride = 0;
    bool m_hasAlpha = false;
};

} // namespace core
