#include "core/decode/picture_checks.h"
#include "core/texts.h"

#include <cstdint>
#include <cstring>

namespace core {

namespace {

std::uint32_t le16(const QByteArray &d, qsizetype at)
{
    return std::uint32_t(std::uint8_t(d[at])) | std::uint32_t(std::uint8_t(d[at + 1])) << 8;
}

} // namespace

QString pngShortfall(const QByteArray &file)
{
    static const char signature[] = "\x89PNG\r\n\x1A\n";
    if (!file.startsWith(QByteArrayView(signature, 8)))
        return {};
    // Chunks: a big-endian length, a type, the data and a checksum.
    const auto *d = reinterpret_cast<const std::uint8_t *>(file.constData());
    const std::uint64_t n = std::uint64_t(file.size());
    std::uint64_t at = 8;
    while (at + 8 <= n) {
        const std::uint64_t length =
            std::uint64_t(d[at]) << 24 | d[at + 1] << 16 | d[at + 2] << 8 | d[at + 3];
        if (std::memcmp(d + at + 4, "IEND", 4) == 0)
            return {};
        at += 12 + length;
    }
    return Texts::tr("the PNG data ends before its end chunk (the file is incomplete)");
}

QSize gifScreenSize(const QByteArray &file)
{
    if (file.size() >= 10 && (file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return QSize(int(le16(file, 6)), int(le16(file, 8)));
    return {};
}

QString gifShortfall(const QByteArray &file)
{
    if (file.size() < 13 || !(file.startsWith("GIF87a") || file.startsWith("GIF89a")))
        return {};
    const QString cut = Texts::tr("the GIF data ends inside its picture (the file is "
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
