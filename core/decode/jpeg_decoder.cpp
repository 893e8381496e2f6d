#include "core/decode/jpeg_decoder.h"

#include "core/decode/exif.h"
#include "core/decode/picture_limits.h"
#include "core/message.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio> // jpeglib.h wants FILE and size_t declared before it
#include <cstring>

// jpeglib.h first: jerror.h names some messages only when the configuration it brings says so.
#include <jpeglib.h>

#include <jerror.h>

namespace core {

namespace {

// The library's colours straight into the store's words, 0xAARRGGBB in native order, with the
// fourth byte set to 0xFF. (The X variants leave that byte undefined.)
constexpr J_COLOR_SPACE kStoreOrder =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Rows decoded before they are moved into the store when the picture is turned across: one
// cache line of pixels, so that each store row written gets a whole line at a time.
constexpr int kStripRows = 16;

// What stopped the library, kept in plain memory: the longjmp out of the library destroys
// nothing on its way.
struct ErrorManager
{
    jpeg_error_mgr library; // first, so that the library's pointer to it points to this
    std::jmp_buf jump;
    // Set once the scans are decoded: a warning there is about damaged picture data. Before,
    // warnings about the headers alone (stray bytes before a table) let the file through.
    bool warningsRefuse = false;
    int code = 0;
    int parameter = 0;
    char words[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void stop(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    errors->code = errors->library.msg_code;
    errors->parameter = errors->library.msg_parm.i[0];
    errors->library.format_message(info, errors->words);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr info, int level)
{
    const auto *errors = reinterpret_cast<const ErrorManager *>(info->err);
    // Levels 0 and up are the library's tracing. The data running out concerns the picture
    // wherever it happens.
    if (level < 0 && (errors->warningsRefuse || errors->library.msg_code == JWRN_JPEG_EOF))
        stop(info);
}

// Arithmetic coding lets a scan's data stop where only zeros would follow (an encoder leaves
// out the zero bytes it would end with), and libjpeg-turbo decodes the rest of the scan from
// zeros without a word: for a flat band at the bottom of a picture that is right, for a header
// that claims a huge picture it is a huge flat one, at the cost of decoding it. So data that
// stops with more than 16 megapixels still to go is taken for what the Huffman decoder would
// call a premature end of the data. Called by the library before each row of blocks.
void onProgress(j_common_ptr common)
{
    constexpr std::int64_t kMaxPixelsAfterData = std::int64_t(16) << 20;
    const auto *info = reinterpret_cast<j_decompress_ptr>(common);
    const int marker = info->unread_marker;
    if (!info->arith_code || marker == 0 || (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7))
        return;
    const std::int64_t rowsToGo =
        std::int64_t(info->total_iMCU_rows -
                     std::min(info->input_iMCU_row, info->total_iMCU_rows)) *
        info->max_v_samp_factor * DCTSIZE;
    if (rowsToGo * info->image_width > kMaxPixelsAfterData)
        WARNMS(common, JWRN_HIT_MARKER);
}

// The library's state for one file, given back however the decoding ends.
struct Session
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};

    Session()
    {
        info.err = jpeg_std_error(&errors.library);
        errors.library.error_exit = stop;
        errors.library.emit_message = onMessage;
        // The library would print to standard error, which is the program's own: the error
        // line it gives for the file says what is wrong.
        errors.library.output_message = [](j_common_ptr) {};
        progress.progress_monitor = onProgress;
    }
    ~Session() { jpeg_destroy_decompress(&info); }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
};

// Runs `step`, which calls into the library, and tells whether it ran to its end. The library's
// errors come back here by a longjmp past the step's frames, so nothing in them may need
// destroying.
template<typename Step> bool guarded(Session &session, const Step &step)
{
    if (setjmp(session.errors.jump) != 0)
        return false;
    step();
    return true;
}

Error cannotRead(const Message &subject, Message reason)
{
    return Error{Error::Kind::CannotRead, subject, std::move(reason)};
}

// The damage that the library's warnings while decoding name, in the program's words; any
// other of its messages as it words it.
Message damage(const ErrorManager &errors)
{
    switch (errors.code) {
    case JWRN_HIT_MARKER:
        return {VTR("core", "the JPEG data is damaged: its data stops before the picture is "
                            "complete")};
    case JWRN_EXTRANEOUS_DATA:
        return {VTR("core", "the JPEG data is damaged: its coded data does not end where its next "
                            "part begins")};
    case JWRN_HUFF_BAD_CODE:
#ifdef D_ARITH_CODING_SUPPORTED
    case JWRN_ARITH_BAD_CODE:
#endif
        return {VTR("core", "the JPEG data is damaged: its coded data holds an invalid code")};
    case JWRN_MUST_RESYNC:
        return {
            VTR("core", "the JPEG data is damaged: a restart marker is missing or out of order")};
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return {VTR("core", "the JPEG data is damaged: its scans do not fit together")};
    default:
        return message(VTR("core", "the JPEG data is damaged: %1"), errors.words);
    }
}

Error refusal(const Session &session, const Message &name)
{
    const ErrorManager &errors = session.errors;
    switch (errors.code) {
    case JWRN_JPEG_EOF:
        return cannotRead(
            name, message(VTR("core", "the JPEG data ends early (the file is incomplete)")));
    case JERR_BAD_PRECISION:
        return cannotRead(
            name, message(VTR("core", "%1-bit JPEG pictures are not supported"), errors.parameter));
    case JERR_SOF_UNSUPPORTED:
        // SOF3, 7, 11 and 15 are the lossless processes; 5, 6, 13 and 14 hierarchical.
        if ((errors.parameter & 3) == 3)
            return cannotRead(name,
                              message(VTR("core", "lossless JPEG pictures are not supported")));
        if (errors.parameter != 0xC8)
            return cannotRead(name,
                              message(VTR("core", "hierarchical JPEG pictures are not supported")));
        break;
    case JERR_IMAGE_TOO_BIG:
        if (auto tooLarge = sizeRefusal(session.info.image_width, session.info.image_height))
            return cannotRead(name, std::move(*tooLarge));
        break;
    case JERR_NO_BACKING_STORE:
        return cannotRead(name,
                          message(VTR("core", "the JPEG picture needs more than the %1 MiB its "
                                              "decoder may take"),
                                  kDecoderAllocationLimitMiB));
    case JERR_OUT_OF_MEMORY:
        return Error{Error::Kind::OutOfMemory, name,
                     message(VTR("core", "the picture does not fit into memory"))};
    default:
        break;
    }
    return cannotRead(name, damage(errors));
}

// The DCT scale for a picture to be fitted into `box`: the smallest of 1/8, 1/4 and 1/2 whose
// picture, ceil(side / n) a side as the library makes it, still covers the box; else 1.
unsigned shrinkDenominator(Size upright, const std::optional<Size> &box)
{
    if (!box)
        return 1;
    for (const int n : {8, 4, 2})
        if ((upright.width + n - 1) / n >= box->width &&
            (upright.height + n - 1) / n >= box->height)
            return unsigned(n);
    return 1;
}

// Adobe's CMYK (and YCCK, which the library turns into it) stores each ink inverted, 255 for
// none: red is C x K / 255 rounded to nearest, and so on. In place: a pixel keeps its 4 bytes.
void cmykToStore(std::uint8_t *row, int width)
{
    auto *words = reinterpret_cast<std::uint32_t *>(row);
    const auto ink = [](std::uint32_t value, std::uint32_t black) {
        return (value * black + 127) / 255;
    };
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = row + 4 * x;
        words[x] = 0xFF000000u | ink(p[0], p[3]) << 16 | ink(p[1], p[3]) << 8 | ink(p[2], p[3]);
    }
}

// The pixels of the strip's `count` rows, decoded rows first to first + count - 1 of a picture
// width x height, into the store's rows, which are the decoded columns.
void placeAcross(const PixelStore &strip, int count, int first, Orientation turn, int width,
                 int height, PixelStore &store)
{
    const int column = turn.mirrorY ? height - first - count : first;
    for (int x = 0; x < width; ++x) {
        std::uint32_t *out = store.row(turn.mirrorX ? width - 1 - x : x) + column;
        if (turn.mirrorY)
            for (int k = 0; k < count; ++k)
                out[count - 1 - k] = strip.row(k)[x];
        else
            for (int k = 0; k < count; ++k)
                out[k] = strip.row(k)[x];
    }
}

// Every row of the picture into the store, turned. Runs inside the library's error handling:
// nothing here may need destroying. False when the library stops giving rows.
bool decodeRows(jpeg_decompress_struct &info, Orientation turn, PixelStore &strip,
                PixelStore &store)
{
    const int width = int(info.output_width), height = int(info.output_height);
    const bool cmyk = info.out_color_space == JCS_CMYK;
    JSAMPROW rows[kStripRows];
    while (int(info.output_scanline) < height) {
        const int first = int(info.output_scanline);
        const int count = std::min(kStripRows, height - first);
        for (int k = 0; k < count; ++k) {
            const int y = turn.mirrorY ? height - 1 - (first + k) : first + k;
            rows[k] = reinterpret_cast<JSAMPROW>(turn.transpose ? strip.row(k) : store.row(y));
        }
        for (int done = 0; done < count;) {
            const auto got = int(jpeg_read_scanlines(&info, rows + done, JDIMENSION(count - done)));
            if (got == 0)
                return false;
            done += got;
        }
        for (int k = 0; k < count; ++k) {
            if (cmyk)
                cmykToStore(rows[k], width);
            if (turn.mirrorX && !turn.transpose) {
                auto *row = reinterpret_cast<std::uint32_t *>(rows[k]);
                std::reverse(row, row + width);
            }
        }
        if (turn.transpose)
            placeAcross(strip, count, first, turn, width, height, store);
    }
    return true;
}

// The EXIF orientation (1 to 8) of a JPEG stream, from its first APP1 segment of EXIF data
// before the scans; 0 when it has none.
int jpegOrientation(std::span<const std::uint8_t> jpeg)
{
    // The segments before the first scan: a marker, a length that counts itself, the data.
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xFF || jpeg[at + 1] == 0xFF) {
            ++at; // stray bytes between segments, which the library skips too, or fill bytes
            continue;
        }
        const std::uint8_t marker = jpeg[at + 1];
        const std::size_t length = std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (marker == 0xDA || marker == 0xD9 || length < 2 || at + 2 + length > jpeg.size())
            return 0;
        const auto data = jpeg.subspan(at + 4, length - 2);
        if (marker == 0xE1 && data.size() >= 6 && std::memcmp(data.data(), "Exif\0\0", 6) == 0)
            return exifOrientation(data);
        at += 2 + length;
    }
    return 0;
}

} // namespace

bool isJpeg(ByteView bytes)
{
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

Expected<PixelStore> decodeJpeg(ByteView bytes, const Message &name, const LoadOptions &options)
{
    Session session;
    jpeg_decompress_struct &info = session.info;
    if (!guarded(session, [&] {
            jpeg_create_decompress(&info);
            info.progress = &session.progress;
            // Progressive files need coefficients for the whole picture; past this the library
            // refuses instead of allocating them.
            info.mem->max_memory_to_use = long(kDecoderAllocationLimitMiB) << 20;
            jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
            jpeg_read_header(&info, TRUE);
        }))
        return refusal(session, name);

    const Orientation turn = orientationMoves(jpegOrientation(bytes));
    const Size stored{int(info.image_width), int(info.image_height)};
    const Size upright = turn.transpose ? stored.transposed() : stored;
    if (auto tooLarge = sizeRefusal(upright.width, upright.height))
        return cannotRead(name, std::move(*tooLarge));
    if (options.checkSize)
        if (auto refused = options.checkSize(upright))
            return cannotRead(name, std::move(*refused));

    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info.out_color_space = kStoreOrder;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        break;
    default:
        return cannotRead(name, message(VTR("core", "JPEG pictures of %1 colour components are not "
                                                    "supported"),
                                        info.num_components));
    }
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.scale_num = 1;
    info.scale_denom = shrinkDenominator(upright, options.shrinkFor);

    session.errors.warningsRefuse = true;
    if (!guarded(session, [&] { jpeg_start_decompress(&info); }))
        return refusal(session, name);
    const int width = int(info.output_width), height = int(info.output_height);
    PixelStore store =
        turn.transpose ? PixelStore::allocate(height, width) : PixelStore::allocate(width, height);
    PixelStore strip = turn.transpose ? PixelStore::allocate(width, kStripRows) : PixelStore();
    if (store.isNull() || (turn.transpose && strip.isNull()))
        return Error{Error::Kind::OutOfMemory, name,
                     message(VTR("core", "the picture does not fit into memory"))};
    bool complete = false;
    if (!guarded(session, [&] {
            complete = decodeRows(info, turn, strip, store);
            if (complete)
                jpeg_finish_decompress(&info);
        }))
        return refusal(session, name);
    if (!complete)
        return cannotRead(
            name, message(VTR("core", "the JPEG data ends early (the file is incomplete)")));
    return store;
}

} // namespace core
