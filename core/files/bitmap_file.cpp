#include "core/files/bitmap_file.h"

#include "core/message.h"

#include <cstdint>
#include <new>

namespace core {

namespace {

// 96 dots an inch, what Windows assumes of a picture that states nothing.
constexpr std::uint32_t kDotsPerMetre = 3780;
constexpr std::uint32_t kHeadersSize = 14 + 40;

void putLe(std::uint8_t *at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * i) & 0xFF);
}

} // namespace

Bytes bitmapBytes(const PixelStore &picture)
{
    if (picture.isNull())
        return {};
    const auto width = std::uint64_t(picture.width());
    const auto height = std::uint64_t(picture.height());
    const std::uint64_t rowBytes = (3 * width + 3) / 4 * 4;
    const std::uint64_t total = kHeadersSize + rowBytes * height;
    if (total > 0xFFFFFFFFu)
        return {};
    Bytes bytes;
    try {
        bytes.assign(std::size_t(total), 0);
    } catch (const std::bad_alloc &) {
        return {};
    }
    std::uint8_t *d = bytes.data();
    // The file header, then BITMAPINFOHEADER: 24 bits a pixel, uncompressed, rows bottom-up.
    d[0] = 'B';
    d[1] = 'M';
    putLe(d + 2, std::uint32_t(total), 4);
    putLe(d + 10, kHeadersSize, 4);
    putLe(d + 14, 40, 4);
    putLe(d + 18, std::uint32_t(width), 4);
    putLe(d + 22, std::uint32_t(height), 4);
    putLe(d + 26, 1, 2);
    putLe(d + 28, 24, 2);
    putLe(d + 34, std::uint32_t(rowBytes * height), 4);
    putLe(d + 38, kDotsPerMetre, 4);
    putLe(d + 42, kDotsPerMetre, 4);
    for (std::uint64_t y = 0; y < height; ++y) {
        std::uint8_t *out = d + kHeadersSize + (height - 1 - y) * rowBytes;
        const std::uint32_t *in = picture.row(int(y));
        for (std::uint64_t x = 0; x < width; ++x, out += 3) {
            out[0] = std::uint8_t(in[x]);
            out[1] = std::uint8_t(in[x] >> 8);
            out[2] = std::uint8_t(in[x] >> 16);
        }
    }
    return bytes;
}

Expected<void> saveBitmap(const std::filesystem::path &path, const PixelStore &picture,
                          const WriteOptions &options)
{
    if (picture.isNull())
        return Error{Error::Kind::CannotWrite, subjectOf(path),
                     message(VTR("core", "there is no picture"))};
    const Bytes bytes = bitmapBytes(picture);
    if (bytes.empty())
        return Error{Error::Kind::OutOfMemory, subjectOf(path), {}};
    return writeFile(path, bytes, options);
}

} // namespace core
