// The conversion pass: every pixel of the canvas, rows top to bottom and pixels left to
// right, into the BIN buffer, optionally repainting each pixel in its preview colour.
#pragma once

#include "core/error.h"
#include "core/pixel_store.h"

#include "core/geometry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace core {

using BinBuffer = std::vector<std::uint8_t>;

// Called after each finished row with its index, so that a window can show progress.
using RowDone = std::function<void(int row)>;

// Bytes of the BIN raster of a picture: two a pixel, in 64 bits so that no size that a
// picture can have overflows.
constexpr std::uint64_t binSize(std::uint64_t width, std::uint64_t height) noexcept
{
    return 2 * width * height;
}

// The order of each pixel's two bytes. Little, low byte first, is the BIN file; Big is for
// display units whose drivers take the high byte first.
enum class ByteOrder
{
    Little,
    Big,
};

// Encodes `width` pixels (QRgb words) into 2 * width bytes at `bin`. With `preview` each pixel
// is overwritten by its preview colour after it has been read. `bin` must not overlap `row`.
void convertRow(std::uint32_t *row, std::size_t width, std::uint8_t *bin, bool preview) noexcept;

// The pass into a buffer the caller owns (a batch reuses one buffer for many pictures). `bin`
// must hold exactly binSize() bytes of the picture.
void convertInto(PixelStore &picture, std::span<std::uint8_t> bin, bool preview,
                 const RowDone &rowDone = {});

// A new zero-initialised buffer of `bytes` bytes, or OutOfMemory when it cannot be had.
Expected<BinBuffer> allocateBinBuffer(std::uint64_t bytes);

// The pass into a new zero-initialised buffer. When the buffer cannot be had the result is
// OutOfMemory and nothing has been touched, so the caller's previous buffer stays valid.
Expected<BinBuffer> convertPicture(PixelStore &picture, bool preview, const RowDone &rowDone = {});

// The conversion writes the BIN file's order; this puts a buffer of it into `order`.
void applyByteOrder(std::span<std::uint8_t> bin, ByteOrder order) noexcept;

// What the display unit shows for a BIN raster of `size` pixels: each pixel in its preview
// colour. `bin` must hold exactly binSize() bytes. Null when the picture cannot be allocated.
PixelStore pictureOfBin(std::span<const std::uint8_t> bin, Size size, ByteOrder order);

} // namespace core
