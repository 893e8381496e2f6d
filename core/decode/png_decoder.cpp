#include "core/decode/png_decoder.h"

#include "core/decode/picture_limits.h"
#include "core/texts.h"

#include <spng.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {

namespace {

// The library decompresses text and colour profiles whether they are wanted or not; these
// keep a few bytes of zTXt from growing into gigabytes.
constexpr std::size_t kMaxChunkBytes = std::size_t(16) << 20;
constexpr std::size_t kMaxChunkCacheBytes = std::size_t(64) << 20;
// The library keeps up to three rows of up to 8 bytes a pixel, 16-bit pictures one more of
// ours: past this width the rows alone would weigh more than any real picture.
constexpr std::int64_t kMaxWidth = std::int64_t(1) << 21;

// Where each Adam7 pass puts its pixels in a row; 6, the last, fills whole rows, as a picture
// that is not interlaced does.
constexpr int kPassStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr int kPassStep[7] = {8, 8, 4, 4, 2, 2, 1};

struct FreeContext
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

QString reasonFor(int code)
{
    switch (code) {
    case SPNG_IO_EOF:
    case SPNG_IO_ERROR:
    case SPNG_EOF:
        return Texts::tr("the PNG data ends before its end chunk (the file is incomplete)");
    case SPNG_ECHUNK_CRC:
        return Texts::tr("a chunk of the PNG is damaged (its checksum does not match)");
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
    case SPNG_EFILTER:
        return Texts::tr("the compressed image data of the PNG is damaged");
    case SPNG_EIDAT_TOO_SHORT:
        return Texts::tr("the PNG image data ends before its last row");
    case SPNG_ECHUNK_POS:
        return Texts::tr("the PNG holds no image data, or its chunks are out of order");
    case SPNG_ENOPLTE:
        return Texts::tr("the PNG has no palette for its colours");
    case SPNG_ECHUNK_UNKNOWN_CRITICAL:
        return Texts::tr("the PNG needs a kind of chunk this program does not know");
    case SPNG_ECHUNK_LIMITS:
        return Texts::tr("the PNG holds more text or colour profile data than this program "
                         "accepts");
    default:
        return code >= SPNG_ESIGNATURE && code <= SPNG_ENOIHDR
                   ? Texts::tr("the PNG header is not valid")
                   : Texts::tr("the PNG data is not valid");
    }
}

// libspng writes the bytes R, G, B, A; the store wants the word 0xAARRGGBB.
void toStoreOrder(std::uint32_t *row, int width, std::uint32_t opaque)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t word = row[x];
        if constexpr (std::endian::native == std::endian::little)
            row[x] = (word & 0xFF00FF00u) | (word >> 16 & 0xFFu) | (word & 0xFFu) << 16 | opaque;
        else
            row[x] = std::rotr(word, 8) | opaque;
    }
}

// 16-bit samples in the host's order, R, G, B, A: v becomes round(v * 255 / 65535).
std::uint32_t narrowed(const std::uint16_t *sample)
{
    const auto eight = [](std::uint32_t v) { return (v + 128) / 257; };
    return eight(sample[3]) << 24 | eight(sample[0]) << 16 | eight(sample[1]) << 8 |
           eight(sample[2]);
}

} // namespace

bool isPng(const QByteArray &file)
{
    return file.startsWith(QByteArrayView("\x89PNG\r\n\x1A\n", 8));
}

Expected<PixelStore> decodePng(const QByteArray &file, const QString &name,
                               const LoadOptions &options)
{
    const auto refused = [&](int code) {
        return code == SPNG_EMEM ? Error{Error::Kind::OutOfMemory, name,
                                         Texts::tr("the picture does not fit into memory")}
                                 : Error{Error::Kind::CannotRead, name, reasonFor(code)};
    };
    const std::unique_ptr<spng_ctx, FreeContext> owner(spng_ctx_new(0));
    spng_ctx *const png = owner.get();
    if (!png)
        return refused(SPNG_EMEM);
    // A checksum that does not match is damage in any chunk; by default the library drops such
    // an ancillary chunk without a word, and tRNS is one.
    spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    spng_set_chunk_limits(png, kMaxChunkBytes, kMaxChunkCacheBytes);
    spng_set_png_buffer(png, file.constData(), std::size_t(file.size()));

    spng_ihdr header{};
    if (const int error = spng_get_ihdr(png, &header))
        return refused(error);
    const std::int64_t width = header.width;
    const std::int64_t height = header.height;
    QString tooLarge = sizeRefusal(width, height);
    if (tooLarge.isEmpty() && width > kMaxWidth)
        tooLarge = Texts::tr("the picture is too large (%1 x %2 pixels)").arg(width).arg(height);
    if (tooLarge.isEmpty() && options.checkSize)
        tooLarge = options.checkSize(QSize(int(width), int(height)));
    if (!tooLarge.isEmpty())
        return Error{Error::Kind::CannotRead, name, tooLarge};

    PixelStore store = PixelStore::allocate(int(width), int(height));
    if (store.isNull())
        return refused(SPNG_EMEM);
    const bool deep = header.bit_depth == 16;
    const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
    const std::uint32_t opaque = options.keepAlpha ? 0 : 0xFF000000u;
    int flags = SPNG_DECODE_PROGRESSIVE;
    if (options.keepAlpha)
        flags |= SPNG_DECODE_TRNS;
    if (const int error =
            spng_decode_image(png, nullptr, 0, deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8, flags))
        return refused(error);

    // Each call gives one row of one pass; an interlaced picture's rows fill up pass by pass.
    std::vector<std::uint16_t> deepRow(deep ? 4 * std::size_t(width) : 0);
    for (;;) {
        spng_row_info at{};
        if (spng_get_row_info(png, &at) == SPNG_EOI)
            break;
        std::uint32_t *row = store.row(int(at.row_num));
        const int error = deep ? spng_decode_row(png, deepRow.data(), 2 * deepRow.size())
                               : spng_decode_row(png, row, 4 * std::size_t(width));
        if (error != 0 && error != SPNG_EOI)
            return refused(error);
        if (deep) {
            const int pass = interlaced ? at.pass : 6;
            for (std::int64_t x = kPassStart[pass]; x < width; x += kPassStep[pass])
                row[x] = narrowed(&deepRow[4 * std::size_t(x)]) | opaque;
        } else if (!interlaced) {
            toStoreOrder(row, int(width), opaque);
        }
        if (error == SPNG_EOI)
            break;
    }
    if (interlaced && !deep)
        for (int y = 0; y < store.height(); ++y)
            toStoreOrder(store.row(y), store.width(), opaque);
    // The chunks after the pixels: the last image data's checksum, and the end chunk.
    if (const int error = spng_decode_chunks(png))
        return refused(error);

    spng_trns transparency{};
    store.setHasAlpha(options.keepAlpha && (header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                                            header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                                            spng_get_trns(png, &transparency) == 0));
    return store;
}

} // namespace core
