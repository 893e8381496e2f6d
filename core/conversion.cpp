#include "core/conversion.h"
#include "core/cpu_dispatch.h"
#include "core/message.h"
#include "core/quantiser.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#if defined(__GNUC__) || defined(__clang__)
#define VARNELLO_RESTRICT __restrict
// The row loop must be compiled inside each clone, not called from one built for the baseline.
#define VARNELLO_INLINE_ROW __attribute__((always_inline)) inline
#elif defined(_MSC_VER)
#define VARNELLO_RESTRICT __restrict
#define VARNELLO_INLINE_ROW __forceinline
#else
#define VARNELLO_RESTRICT
#define VARNELLO_INLINE_ROW inline
#endif

namespace core {

namespace {

// The same bits as quantise(), written on QRgb words (0xAARRGGBB) without branches so that
// the compiler can turn the row loop into vector code.
inline std::uint32_t word565(std::uint32_t p) noexcept
{
    return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
}

// Per channel: keep the top bits and fill the dropped ones with ones, unless the channel
// truncated to zero. Done on all three bytes at once: bit 7 of each byte of `nonZero` says
// whether that channel kept anything; shifted to 8 and less 1 it is the fill, which the mask
// trims to two bits for green. No comparisons or blends, which vector units do slowly.
inline std::uint32_t previewOf(std::uint32_t p) noexcept
{
    const std::uint32_t kept = p & 0xFFF8FCF8; // alpha stays 0xFF, as RGB32 stores it
    const std::uint32_t nonZero = (((kept & 0x007F7F7F) + 0x007F7F7F) | kept) & 0x00808080;
    const std::uint32_t fill = ((nonZero >> 4) - (nonZero >> 7)) & 0x00070307;
    return kept | fill;
}

template<bool Preview>
VARNELLO_INLINE_ROW void encodeRow(std::uint32_t *row, std::size_t width,
                                   std::uint8_t *VARNELLO_RESTRICT bin) noexcept
{
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t p = row[x];
        auto word = std::uint16_t(word565(p));
        if constexpr (std::endian::native == std::endian::big)
            word = std::uint16_t(word >> 8 | word << 8);
        std::memcpy(bin + 2 * x, &word, 2);
        if constexpr (Preview)
            row[x] = previewOf(p); // after the read: the preview never feeds back
    }
}

VARNELLO_ROW_CLONES void encodeRowPlain(std::uint32_t *row, std::size_t width,
                                        std::uint8_t *bin) noexcept
{
    encodeRow<false>(row, width, bin);
}

VARNELLO_ROW_CLONES void encodeRowPreview(std::uint32_t *row, std::size_t width,
                                          std::uint8_t *bin) noexcept
{
    encodeRow<true>(row, width, bin);
}

} // namespace

void convertRow(std::uint32_t *row, std::size_t width, std::uint8_t *bin, bool preview) noexcept
{
    if (preview)
        encodeRowPreview(row, width, bin);
    else
        encodeRowPlain(row, width, bin);
}

void convertInto(PixelStore &picture, std::span<std::uint8_t> bin, bool preview,
                 const RowDone &rowDone)
{
    const auto width = std::size_t(picture.width());
    const int height = picture.height();
    assert(bin.size() == binSize(width, std::uint64_t(height)));

    std::uint8_t *out = bin.data();
    for (int y = 0; y < height; ++y) {
        convertRow(picture.row(y), width, out, preview);
        out += 2 * width;
        if (rowDone)
            rowDone(y);
    }
}

Expected<BinBuffer> allocateBinBuffer(std::uint64_t bytes)
{
    const auto outOfMemory = [&] {
        return Error{Error::Kind::OutOfMemory,
                     {},
                     message(VTR("core", "%1 bytes of memory are needed for the BIN data"), bytes)};
    };
    if (bytes > BinBuffer().max_size() || bytes > std::numeric_limits<std::size_t>::max())
        return outOfMemory();
    try {
        return BinBuffer(std::size_t(bytes), 0);
    } catch (const std::bad_alloc &) {
        return outOfMemory();
    } catch (const std::length_error &) {
        return outOfMemory();
    }
}

Expected<BinBuffer> convertPicture(PixelStore &picture, bool preview, const RowDone &rowDone)
{
    auto bin =
        allocateBinBuffer(binSize(std::uint64_t(picture.width()), std::uint64_t(picture.height())));
    if (bin)
        convertInto(picture, bin.value(), preview, rowDone);
    return bin;
}

void applyByteOrder(std::span<std::uint8_t> bin, ByteOrder order) noexcept
{
    if (order == ByteOrder::Little)
        return;
    for (std::size_t i = 0; i + 1 < bin.size(); i += 2)
        std::swap(bin[i], bin[i + 1]);
}

PixelStore pictureOfBin(std::span<const std::uint8_t> bin, Size size, ByteOrder order)
{
    assert(bin.size() == binSize(std::uint64_t(size.width), std::uint64_t(size.height)));
    PixelStore picture = PixelStore::allocate(size.width, size.height);
    if (picture.isNull())
        return picture;
    const std::size_t high = order == ByteOrder::Little ? 1 : 0;
    const std::uint8_t *in = bin.data();
    for (int y = 0; y < size.height; ++y) {
        std::uint32_t *row = picture.row(y);
        for (int x = 0; x < size.width; ++x, in += 2) {
            const std::uint32_t word = std::uint32_t(in[high]) << 8 | in[1 - high];
            row[x] = 0xFF000000 | previewChannel(word >> 8 & 0xF8, 7) << 16 |
                     previewChannel(word >> 3 & 0xFC, 3) << 8 | previewChannel(word << 3 & 0xF8, 7);
        }
    }
    return picture;
}

} // namespace core
