#include "picture_checks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace core {

namespace {

std::uint32_t le16(const QByteArray &d, qsizetype at)
{
    return std::uint32_t(std::uint8_t(d[at])) | std::uint32_t(std::uint8_t(d[at + 1])) << 8;
}

std::uint32_t le32(const QByteArray &d, qsizetype at)
{
    return le16(d, at) | le16(d, at + 2) << 16;
}

} // namespace

QString bmpShortfall(const QByteArray &file)
{
    if (file.size() < 26 || !file.startsWith("BM"))
        return {};

    const std::int64_t dataOffset = le32(file, 10);
    const std::uint32_t headerSize = le32(file, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) { // OS/2 core header
        width = le16(file, 18);
        height = le16(file, 20);
        bits = le16(file, 24);
    } else if (headerSize >= 40 && file.size() >= 34) {
        width = std::int32_t(le32(file, 18));
        height = std::int32_t(le32(file, 22)); // negative for top-down rows
        bits = le16(file, 28);
        compression = le32(file, 30);
    } else {
        return {};
    }
    // 0 plain, 3 and 6 bit fields: a fixed size per row. Run-length data has no such size.
    if (compression != 0 && compression != 3 && compression != 6)
        return {};
    if (width <= 0 || height == 0 || bits <= 0 || bits > 32)
        return {};

    const std::int64_t rows = std::abs(height);
    const std::int64_t rowBytes = (width * bits + 31) / 32 * 4;
    // Some writers leave out the padding of the last row; the pixels are all there.
    const std::int64_t needed = dataOffset + rowBytes * (rows - 1) + (width * bits + 7) / 8;
    if (needed <= file.size())
        return {};
    return QStringLiteral("the file ends after %1 bytes, but its header describes %2")
        .arg(file.size())
        .arg(needed);
}

QString jpegShortfall(const QByteArray &file)
{
    const auto *d = reinterpret_cast<const std::uint8_t *>(file.constData());
    const std::size_t n = std::size_t(file.size());
    if (n < 2 || d[0] != 0xFF || d[1] != 0xD8)
        return {};

    const QString cut = QStringLiteral("the JPEG data ends before its end marker (the file is "
                                       "incomplete)");
    std::size_t i = 2;
    for (;;) {
        // Find the next marker; anything between segments is skipped, as decoders do.
        const void *ff = i < n ? std::memchr(d + i, 0xFF, n - i) : nullptr;
        if (!ff)
            return cut;
        i = std::size_t(static_cast<const std::uint8_t *>(ff) - d);
        while (i < n && d[i] == 0xFF)
            ++i;
        if (i >= n)
            return cut;
        const std::uint8_t marker = d[i++];
        if (marker == 0xD9)
            return {};
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // markers without a length
        if (i + 2 > n)
            return cut;
        i += std::size_t(d[i]) << 8 | d[i + 1];
        if (marker != 0xDA)
            continue;
        // Entropy-coded data of a scan runs to the next marker that is neither a stuffed
        // zero nor a restart marker.
        while (i < n) {
            ff = std::memchr(d + i, 0xFF, n - i);
            if (!ff)
                return cut;
            i = std::size_t(static_cast<const std::uint8_t *>(ff) - d);
            if (i + 1 >= n)
                return cut;
            const std::uint8_t next = d[i + 1];
            if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                break;
            i += next == 0xFF ? 1 : 2;
        }
    }
}

} // namespace core
