// The orientation a camera records in a JPEG's EXIF block: how the stored pixels must be moved
// for the picture to stand upright. The block comes from the file, so it is read as hostile:
// every offset and count is checked before it is used.
#pragma once

#include <cstdint>
#include <span>

namespace core {

// The moves of one EXIF orientation, applied in this order to a stored pixel (x, y) of a
// picture W x H: mirror x (x becomes W - 1 - x), mirror y, then swap x and y.
struct Orientation
{
    bool mirrorX = false;
    bool mirrorY = false;
    bool transpose = false;

    bool operator==(const Orientation &) const = default;
};

// The moves of EXIF orientation 1 to 8; none for any other value.
Orientation orientationMoves(int exif);

// The orientation tag (0x0112) of the first image directory in an APP1 segment's data
// ("Exif\0\0", then a TIFF header in either byte order): 1 to 8, or 0 when the data has none,
// or one of another type, count or value.
int exifOrientation(std::span<const std::uint8_t> app1);

} // namespace core
