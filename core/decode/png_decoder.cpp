#include "core/decode/png_decoder.h"

#include "core/decode/picture_limits.h"
#include "core/message.h"

#include <spng.h>
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
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
// that is not interlaced does. And which rows it fills.
constexpr std::size_t kPassStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr std::size_t kPassStep[7] = {8, 8, 4, 4, 2, 2, 1};
constexpr std::size_t kPassRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr std::size_t kPassRowStep[7] = {8, 8, 8, 4, 4, 2, 2};

struct FreeContext
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

Message reasonFor(int code)
{
    switch (code) {
    case SPNG_IO_EOF:
    case SPNG_IO_ERROR:
    case SPNG_EOF:
        return message(
            VTR("core", "the PNG data ends before its end chunk (the file is incomplete)"));
    case SPNG_ECHUNK_CRC:
        return message(VTR("core", "a chunk of the PNG is damaged (its checksum does not match)"));
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
    case SPNG_EFILTER:
        return message(VTR("core", "the compressed image data of the PNG is damaged"));
    case SPNG_EIDAT_TOO_SHORT:
        return message(VTR("core", "the PNG image data ends before its last row"));
    case SPNG_ECHUNK_POS:
        return message(VTR("core", "the PNG holds no image data, or its chunks are out of order"));
    case SPNG_ENOPLTE:
        return message(VTR("core", "the PNG has no palette for its colours"));
    case SPNG_ECHUNK_UNKNOWN_CRITICAL:
        return message(VTR("core", "the PNG needs a kind of chunk this program does not know"));
    case SPNG_ECHUNK_LIMITS:
        return message(VTR("core",
                           "the PNG holds more text or colour profile data than this program "
                           "accepts"));
    default:
        return code >= SPNG_ESIGNATURE && code <= SPNG_ENOIHDR
                   ? message(VTR("core", "the PNG header is not valid"))
                   : message(VTR("core", "the PNG data is not valid"));
    }
}

// Adler-32 as zlib computes it, in a form the compiler vectorises (zlib's loop is scalar, and
// took two thirds of the time of the check below): the bytes in 32 lanes, each lane's sum and
// the total of its sums before each step of 32 bytes, reduced before a lane can overflow.
std::uint32_t adler32Of(std::uint32_t adler, const Bytef *p, std::size_t n)
{
    constexpr std::uint64_t kModulus = 65521;
    constexpr std::size_t kLanes = 32, kSteps = 5552 / kLanes;
    std::uint64_t a = adler & 0xFFFF, b = adler >> 16;
    while (n >= kLanes) {
        const std::size_t steps = std::min(kSteps, n / kLanes);
        std::uint32_t sums[kLanes] = {}, before[kLanes] = {};
        for (std::size_t step = 0; step < steps; ++step, p += kLanes)
            for (std::size_t j = 0; j < kLanes; ++j) {
                before[j] += sums[j];
                sums[j] += p[j];
            }
        // A byte adds itself to a, and to b times the bytes from it to the end, itself included.
        std::uint64_t sum = 0, weighted = 0;
        for (std::size_t j = 0; j < kLanes; ++j) {
            sum += sums[j];
            weighted += kLanes * (std::uint64_t(before[j]) + sums[j]) - j * std::uint64_t(sums[j]);
        }
        b = (b + steps * kLanes * a + weighted) % kModulus;
        a = (a + sum) % kModulus;
        n -= steps * kLanes;
    }
    for (; n > 0; --n, ++p) {
        a = (a + *p) % kModulus;
        b = (b + a) % kModulus;
    }
    return std::uint32_t(b << 16 | a);
}

// How many bytes the image data inflates to: the rows of each pass (of Adam7's seven, or the
// one), each a filter byte and its samples.
std::uint64_t imageDataBytes(const spng_ihdr &header)
{
    const std::uint64_t channels = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR         ? 3
                                   : header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2
                                   : header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4
                                                                                          : 1;
    const std::uint64_t bits = channels * header.bit_depth;
    const auto rows = [&](std::uint64_t width, std::uint64_t height) {
        return width == 0 ? 0 : height * (1 + (width * bits + 7) / 8);
    };
    if (header.interlace_method == SPNG_INTERLACE_NONE)
        return rows(header.width, header.height);
    std::uint64_t bytes = 0;
    for (std::size_t pass = 0; pass < 7; ++pass)
        bytes += rows((header.width + kPassStep[pass] - 1 - kPassStart[pass]) / kPassStep[pass] *
                          (header.width > kPassStart[pass]),
                      (header.height + kPassRowStep[pass] - 1 - kPassRowStart[pass]) /
                          kPassRowStep[pass] * (header.height > kPassRowStart[pass]));
    return bytes;
}

enum class ImageStream
{
    Whole,
    Short,   // stops before its end
    TooLong, // inflates to more than the rows, which would be inflated for nothing
    Damaged,
    WrongChecksum,
    OutOfMemory,
};

// libspng stops inflating at the last row: unless the rest of the zlib stream happens to be in
// the chunk it holds then, it never reaches the stream's end, where the Adler-32 of all the image
// data is compared, and damage that keeps the deflate codes valid, or a stream that stops short
// of its end, passes. So the image data is inflated again here, to its end, into a buffer that
// is thrown away, no further than the rows take. Called once libspng has checked every chunk's
// length and CRC-32.
ImageStream inflateToEnd(ByteView file, std::uint64_t rowBytes)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return ImageStream::OutOfMemory;
    const std::unique_ptr<z_stream, decltype(&inflateEnd)> owner(&stream, &inflateEnd);
    inflateValidate(&stream, 0); // zlib would compute the Adler-32 slower than adler32Of()
    const Bytef *bytes = file.data();
    const std::size_t size = std::size_t(file.size());
    std::array<Bytef, std::size_t(32) << 10> discarded;
    std::uint64_t produced = 0;
    std::uint32_t adler = 1;
    std::uint32_t last4 = 0; // the last 4 bytes read, once the stream ends its Adler-32
    int status = Z_OK;
    // Each chunk: its data's length, its type, the data and its CRC-32; IEND the last.
    for (std::size_t at = 8; status == Z_OK && at + 12 <= size;) {
        const std::uint32_t length = std::uint32_t(bytes[at]) << 24 |
                                     std::uint32_t(bytes[at + 1]) << 16 |
                                     std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
        const Bytef *type = bytes + at + 4;
        if (length > size - at - 12 || std::memcmp(type, "IEND", 4) == 0)
            break;
        if (std::memcmp(type, "IDAT", 4) == 0) {
            stream.next_in = type + 4;
            stream.avail_in = length;
            while (status == Z_OK && stream.avail_in > 0) {
                const uInt given = stream.avail_in;
                stream.next_out = discarded.data();
                stream.avail_out = uInt(discarded.size());
                status = inflate(&stream, Z_NO_FLUSH);
                const std::size_t made = discarded.size() - stream.avail_out;
                if ((produced += made) > rowBytes)
                    return ImageStream::TooLong;
                adler = adler32Of(adler, discarded.data(), made);
                for (uInt back = std::min(given - stream.avail_in, 4u); back > 0; --back)
                    last4 = last4 << 8 | stream.next_in[-std::ptrdiff_t(back)];
            }
        }
        at += 12 + std::size_t(length);
    }
    switch (status) {
    case Z_STREAM_END:
        return last4 == adler ? ImageStream::Whole : ImageStream::WrongChecksum;
    case Z_OK:
        return ImageStream::Short;
    case Z_MEM_ERROR:
        return ImageStream::OutOfMemory;
    default:
        return ImageStream::Damaged;
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

bool isPng(ByteView file)
{
    return file.size() >= 8 && std::memcmp(file.data(), "\x89PNG\r\n\x1A\n", 8) == 0;
}

Expected<PixelStore> decodePng(ByteView file, const Message &name, const LoadOptions &options)
{
    const auto refused = [&](int code) {
        return code == SPNG_EMEM
                   ? Error{Error::Kind::OutOfMemory, name,
                           message(VTR("core", "the picture does not fit into memory"))}
                   : Error{Error::Kind::CannotRead, name, reasonFor(code)};
    };
    // The Adler-32 is checked once the rows are decoded, by inflateToEnd().
    const std::unique_ptr<spng_ctx, FreeContext> owner(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
    spng_ctx *const png = owner.get();
    if (!png)
        return refused(SPNG_EMEM);
    // A checksum that does not match is damage in any chunk; by default the library drops such
    // an ancillary chunk without a word, and tRNS is one.
    spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    spng_set_chunk_limits(png, kMaxChunkBytes, kMaxChunkCacheBytes);
    spng_set_png_buffer(png, file.data(), file.size());

    spng_ihdr header{};
    if (const int error = spng_get_ihdr(png, &header))
        return refused(error);
    const std::int64_t width = header.width;
    const std::int64_t height = header.height;
    std::optional<Message> tooLarge = sizeRefusal(width, height);
    if (!tooLarge && width > kMaxWidth)
        tooLarge = message(VTR("core", "the picture is too large (%1 x %2 pixels)"), width, height);
    if (!tooLarge && options.checkSize)
        tooLarge = options.checkSize(Size{int(width), int(height)});
    if (tooLarge)
        return Error{Error::Kind::CannotRead, name, std::move(*tooLarge)};

    PixelStore store = PixelStore::allocate(int(width), int(height));
    if (store.isNull())
        return refused(SPNG_EMEM);
    spng_trns transparency{};
    const bool alpha = options.keepAlpha && (header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                                             header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                                             spng_get_trns(png, &transparency) == 0);
    store.setHasAlpha(alpha);
    const std::uint32_t opaque = options.keepAlpha ? 0 : 0xFF000000u;
    // RGBA8 straight into the rows, but for 16-bit samples, narrowed here from a row of ours,
    // and opaque 8-bit RGB, widened here sooner than the library does it.
    const int format = header.bit_depth == 16                                     ? SPNG_FMT_RGBA16
                       : header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && !alpha ? SPNG_FMT_RGB8
                                                                                  : SPNG_FMT_RGBA8;
    const std::size_t rowSamples = format == SPNG_FMT_RGBA16 ? 4 * std::size_t(width)
                                   : format == SPNG_FMT_RGB8 ? (3 * std::size_t(width) + 1) / 2
                                                             : 0;
    std::vector<std::uint16_t> ours(rowSamples);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(ours.data());
    const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
    const int flags = SPNG_DECODE_PROGRESSIVE | (options.keepAlpha ? SPNG_DECODE_TRNS : 0);
    if (const int error = spng_decode_image(png, nullptr, 0, format, flags))
        return refused(error);

    // Each call gives one row of one pass; an interlaced picture's rows fill up pass by pass.
    for (;;) {
        spng_row_info at{};
        if (spng_get_row_info(png, &at) == SPNG_EOI)
            break;
        std::uint32_t *row = store.row(int(at.row_num));
        const int error = ours.empty() ? spng_decode_row(png, row, 4 * std::size_t(width))
                                       : spng_decode_row(png, ours.data(), 2 * ours.size());
        if (error != 0 && error != SPNG_EOI)
            return refused(error);
        const int pass = interlaced ? at.pass : 6;
        const auto fill = [&](auto pixel) {
            if (pass == 6)
                for (std::size_t x = 0; x < std::size_t(width); ++x)
                    row[x] = pixel(x);
            else
                for (std::size_t x = kPassStart[pass]; x < std::size_t(width); x += kPassStep[pass])
                    row[x] = pixel(x);
        };
        if (format == SPNG_FMT_RGBA16)
            fill([&](std::size_t x) { return narrowed(&ours[4 * x]) | opaque; });
        else if (format == SPNG_FMT_RGB8)
            fill([&](std::size_t x) {
                return 0xFF000000u | std::uint32_t(bytes[3 * x]) << 16 |
                       std::uint32_t(bytes[3 * x + 1]) << 8 | bytes[3 * x + 2];
            });
        else if (!interlaced)
            toStoreOrder(row, int(width), opaque);
        if (error == SPNG_EOI)
            break;
    }
    if (interlaced && ours.empty())
        for (int y = 0; y < store.height(); ++y)
            toStoreOrder(store.row(y), store.width(), opaque);
    // The chunks after the pixels: the last image data's checksum, and the end chunk.
    if (const int error = spng_decode_chunks(png))
        return refused(error);
    switch (inflateToEnd(file, imageDataBytes(header))) {
    case ImageStream::Whole:
        return store;
    case ImageStream::Short:
        return Error{
            Error::Kind::CannotRead, name,
            message(VTR("core", "the compressed image data of the PNG stops before its end"))};
    case ImageStream::TooLong:
        return Error{
            Error::Kind::CannotRead, name,
            message(VTR("core", "the compressed image data of the PNG holds more than its rows"))};
    case ImageStream::WrongChecksum:
        return Error{
            Error::Kind::CannotRead, name,
            message(VTR("core", "the compressed image data of the PNG is damaged (its Adler-32 "
                                "checksum does not match)"))};
    case ImageStream::Damaged:
        return refused(SPNG_EIDAT_STREAM);
    case ImageStream::OutOfMemory:
        break;
    }
    return refused(SPNG_EMEM);
}

} // namespace core
