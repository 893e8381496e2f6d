#include "picture_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

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

QString endsEarly(qsizetype size, std::int64_t needed)
{
    return QStringLiteral("the file ends after %1 bytes, but its header describes %2")
        .arg(size)
        .arg(needed);
}

QString rleCut()
{
    return QStringLiteral("the run-length pixel data ends before its last row (the file is "
                          "incomplete)");
}

// Follows the codes of run-length data without decoding them: pairs of count and colour, and
// after a zero count an escape (end of row, end of picture, move, or a literal stretch padded
// to a whole word).
QString rleShortfall(const QByteArray &file, std::int64_t at, std::int64_t width, std::int64_t rows,
                     bool fourBits)
{
    const std::int64_t n = file.size();
    std::int64_t x = 0;
    std::int64_t row = 0;
    while (at + 2 <= n) {
        const auto count = std::uint8_t(file[qsizetype(at)]);
        const auto code = std::uint8_t(file[qsizetype(at + 1)]);
        at += 2;
        if (count != 0) {
            x += count;
        } else if (code == 1) {
            return {};
        } else if (code == 0) {
            x = 0;
            if (++row >= rows)
                return {};
        } else if (code == 2) {
            if (at + 2 > n)
                return rleCut();
            x += std::uint8_t(file[qsizetype(at)]);
            row += std::uint8_t(file[qsizetype(at + 1)]);
            at += 2;
            if (row >= rows)
                return {};
        } else {
            const std::int64_t bytes = fourBits ? (code + 1) / 2 : code;
            at += (bytes + 1) / 2 * 2;
            if (at > n)
                return rleCut();
            x += code;
        }
    }
    // Some writers end the last row without any code after it.
    return row == rows - 1 && x >= width ? QString() : rleCut();
}

} // namespace

namespace {

struct BmpHeader
{
    std::int64_t dataOffset = 0;
    std::int64_t width = 0;
    std::int64_t rows = 0;
    std::int64_t bits = 0;
    std::uint32_t compression = 0;

    bool fixedRows() const { return compression == 0 || compression == 3 || compression == 6; }
    std::int64_t rowBytes() const { return (width * bits + 31) / 32 * 4; }
};

// The fields the checks need, or nothing for a header they do not know or cannot judge.
std::optional<BmpHeader> bmpHeader(const QByteArray &file)
{
    if (file.size() < 26 || !file.startsWith("BM"))
        return std::nullopt;
    BmpHeader h;
    h.dataOffset = le32(file, 10);
    const std::uint32_t headerSize = le32(file, 14);
    std::int64_t height = 0;
    if (headerSize == 12) { // OS/2 core header
        h.width = le16(file, 18);
        height = le16(file, 20);
        h.bits = le16(file, 24);
    } else if (headerSize >= 40 && file.size() >= 34) {
        h.width = std::int32_t(le32(file, 18));
        height = std::int32_t(le32(file, 22)); // negative for top-down rows
        h.bits = le16(file, 28);
        h.compression = le32(file, 30);
    } else {
        return std::nullopt;
    }
    if (h.width <= 0 || height == 0 || h.bits <= 0 || h.bits > 32)
        return std::nullopt;
    h.rows = std::abs(height);
    return h;
}

} // namespace

QString bmpShortfall(const QByteArray &file)
{
    const auto header = bmpHeader(file);
    if (!header)
        return {};
    const auto [dataOffset, width, rows, bits, compression] = *header;
    if (dataOffset > file.size())
        return endsEarly(file.size(), dataOffset);
    if ((compression == 1 && bits == 8) || (compression == 2 && bits == 4))
        return rleShortfall(file, dataOffset, width, rows, compression == 2);
    // 0 plain, 3 and 6 bit fields: a fixed size per row.
    if (!header->fixedRows())
        return {};

    const std::int64_t rowBytes = header->rowBytes();
    // Rows of up to 2^34 bytes times up to 2^31 rows can pass 64 bits; no file is that long.
    if (rows - 1 > std::numeric_limits<std::int64_t>::max() / 2 / rowBytes)
        return QStringLiteral("the header describes %1 x %2 pixels, more than a file can hold")
            .arg(width)
            .arg(rows);
    // Some writers leave out the padding of the last row; the pixels are all there.
    const std::int64_t needed = dataOffset + rowBytes * (rows - 1) + (width * bits + 7) / 8;
    if (needed <= file.size())
        return {};
    return endsEarly(file.size(), needed);
}

void completeBmpPadding(QByteArray &file)
{
    const auto header = bmpHeader(file);
    if (!header || !header->fixedRows() || !bmpShortfall(file).isEmpty())
        return;
    const std::int64_t complete = header->dataOffset + header->rowBytes() * header->rows;
    // At most the last row's padding is missing, or bmpShortfall would have said so.
    if (complete > file.size())
        file.append(qsizetype(complete - file.size()), '\0');
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

QSize statedSize(const QByteArray &file)
{
    const auto clamped = [](std::int64_t v) {
        return int(std::min<std::int64_t>(std::abs(v), std::numeric_limits<int>::max()));
    };
    if (file.size() >= 10 && (file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return QSize(int(le16(file, 6)), int(le16(file, 8)));
    if (file.size() < 26 || !file.startsWith("BM"))
        return {};
    if (le32(file, 14) == 12)
        return QSize(int(le16(file, 18)), int(le16(file, 20)));
    return QSize(clamped(std::int32_t(le32(file, 18))), clamped(std::int32_t(le32(file, 22))));
}

QString gifShortfall(const QByteArray &file)
{
    if (file.size() < 13 || !(file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return {};
    const QString cut = QStringLiteral("the GIF data ends inside its picture (the file is "
                                       "incomplete)");
    const qsizetype n = file.size();
    const auto byte = [&](qsizetype at) { return std::uint8_t(file[at]); };
    // Size of a colour table that a flags byte announces.
    const auto table = [&](std::uint8_t flags) {
        return flags & 0x80 ? qsizetype(3) << ((flags & 7) + 1) : qsizetype(0);
    };
    // Skips a chain of data blocks, each a length byte and that many bytes, ended by an empty
    // one; -1 when the file ends first.
    const auto skipBlocks = [&](qsizetype at) -> qsizetype {
        while (at < n) {
            const std::uint8_t length = byte(at);
            ++at;
            if (length == 0)
                return at;
            at += length;
        }
        return -1;
    };

    qsizetype at = 13 + table(byte(10));
    while (at < n) {
        const std::uint8_t introducer = byte(at);
        if (introducer == 0x21) { // extension: label, then data blocks
            at = at + 2 <= n ? skipBlocks(at + 2) : -1;
        } else if (introducer == 0x2C) { // picture: descriptor, table, code size, data
            if (at + 10 > n)
                return cut;
            at += 10 + table(byte(at + 9));
            return at + 1 <= n && skipBlocks(at + 1) >= 0 ? QString() : cut;
        } else {
            return {}; // the trailer, or something the decoder must judge
        }
        if (at < 0)
            return cut;
    }
    return cut;
}

} // namespace core
