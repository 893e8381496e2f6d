#include "core/decode/picture_checks.h"
#include "core/texts.h"

#include <cstdint>
#include <cstring>

namespace core {

QString jpegShortfall(const QByteArray &file)
{
    const auto *d = reinterpret_cast<const std::uint8_t *>(file.constData());
    const std::size_t n = std::size_t(file.size());
    if (n < 2 || d[0] != 0xFF || d[1] != 0xD8)
        return {};

    const QString cut = Texts::tr("the JPEG data ends before its end marker (the file is "
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
