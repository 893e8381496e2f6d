#include "core/decode/exif.h"

#include <cstring>

namespace core {

Orientation orientationMoves(int exif)
{
    switch (exif) {
    case 2:
        return {true, false, false};
    case 3:
        return {true, true, false};
    case 4:
        return {false, true, false};
    case 5:
        return {false, false, true};
    case 6: // a quarter clockwise
        return {false, true, true};
    case 7:
        return {true, true, true};
    case 8: // a quarter anticlockwise
        return {true, false, true};
    default:
        return {};
    }
}

int exifOrientation(std::span<const std::uint8_t> app1)
{
    static constexpr std::uint8_t kSignature[] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < sizeof kSignature || std::memcmp(app1.data(), kSignature, 6) != 0)
        return 0;
    // Offsets in the TIFF structure count from its header, which follows the signature.
    const std::span<const std::uint8_t> tiff = app1.subspan(sizeof kSignature);
    const std::size_t size = tiff.size();
    if (size < 8)
        return 0;
    const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    if (!bigEndian && !(tiff[0] == 'I' && tiff[1] == 'I'))
        return 0;
    const auto u16 = [&](std::size_t at) -> std::uint32_t {
        return bigEndian ? std::uint32_t(tiff[at]) << 8 | tiff[at + 1]
                         : std::uint32_t(tiff[at + 1]) << 8 | tiff[at];
    };
    const auto u32 = [&](std::size_t at) -> std::uint32_t {
        return bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    };
    if (u16(2) != 42)
        return 0;

    // The directory: a count, then entries of 12 bytes (tag, type, count, value), all of
    // which must lie inside the data; it may not point back into the header.
    const std::size_t directory = u32(4);
    if (directory < 8 || directory + 2 > size)
        return 0;
    const std::size_t entries = u16(directory);
    constexpr std::uint32_t kOrientation = 0x0112, kShort = 3;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (entry + 12 > size)
            return 0;
        if (u16(entry) != kOrientation)
            continue;
        // A single SHORT sits in the first two bytes of the value field, in either order.
        const std::uint32_t value = u16(entry + 8);
        const bool valid =
            u16(entry + 2) == kShort && u32(entry + 4) == 1 && value >= 1 && value <= 8;
        return valid ? int(value) : 0;
    }
    return 0;
}

} // namespace core
