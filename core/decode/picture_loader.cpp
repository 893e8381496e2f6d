#include "core/decode/picture_loader.h"

#include "core/decode/bmp_decoder.h"
#include "core/decode/gif_decoder.h"
#include "core/decode/jpeg_decoder.h"
#include "core/decode/png_decoder.h"
#include "core/files/input_file.h"

#include <algorithm>
#include <cctype>

namespace core {

std::optional<Message> sizeRefusal(std::int64_t width, std::int64_t height)
{
    // Counted as the pixel store holds them, each row in whole lines of its alignment: a
    // picture one pixel wide takes sixteen.
    constexpr std::int64_t perLine = PixelStore::kRowAlignment / 4;
    if ((width + perLine - 1) / perLine * perLine * height <= kMaxPicturePixels)
        return std::nullopt;
    return message(VTR("core", "the picture is too large (%1 x %2 pixels)"), width, height);
}

namespace {

Error cannotRead(const Message &subject, Message reason)
{
    return Error{Error::Kind::CannotRead, subject, std::move(reason)};
}

Expected<PixelStore> readPicture(ByteView bytes, const Message &subject, const LoadOptions &options)
{
    if (isJpeg(bytes))
        return decodeJpeg(bytes, subject, options);
    if (isPng(bytes))
        return decodePng(bytes, subject, options);
    if (isGif(bytes))
        return decodeGif(bytes, subject, options);
    if (!isBmp(bytes))
        return cannotRead(subject,
                          message(VTR("core", "not a picture in a format this program reads")));
    auto bmp = decodeBmp(bytes, subject, options);
    if (!bmp)
        return bmp.error();
    // A BMP may wrap a JPEG or PNG stream, which must be what the header says it is.
    const ByteView embedded = bmp.value().embedded;
    const std::string &format = bmp.value().embeddedFormat;
    if (format == "jpeg" && isJpeg(embedded))
        return decodeJpeg(embedded, subject, options);
    if (format == "png" && isPng(embedded))
        return decodePng(embedded, subject, options);
    if (!format.empty()) {
        std::string shown = format;
        std::transform(shown.begin(), shown.end(), shown.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        return cannotRead(
            subject, message(VTR("core", "the %1 picture inside the BMP cannot be read"), shown));
    }
    return std::move(bmp.value().pixels);
}

} // namespace

Expected<PixelStore> decodePicture(ByteView bytes, const Message &subject,
                                   const LoadOptions &options)
{
    auto read = readPicture(bytes, subject, options);
    if (read && !options.keepAlpha)
        read.value().dropAlpha();
    return read;
}

Expected<int> decodeFrames(ByteView bytes, const Message &subject, const LoadOptions &options,
                           const FrameSink &frame)
{
    if (!isGif(bytes)) {
        auto still = decodePicture(bytes, subject, options);
        if (!still)
            return still.error();
        if (auto stop = frame(0, still.value()))
            return cannotRead(subject, std::move(*stop));
        return 1;
    }
    auto gif = GifDecoder::open(bytes, subject, options);
    if (!gif)
        return gif.error();
    int count = 0;
    for (;; ++count) {
        auto more = gif.value().next();
        if (!more) {
            // Which frame, for an animation whose later frames are damaged.
            Error error = more.error();
            error.frame = count + 1;
            return error;
        }
        if (!more.value())
            return count;
        // The screen stays the decoder's, to composite the next frame on.
        PixelStore shown = gif.value().screen().copy();
        if (shown.isNull())
            return Error{Error::Kind::OutOfMemory, subject,
                         message(VTR("core", "the picture does not fit into memory")), count + 1};
        if (!options.keepAlpha)
            shown.dropAlpha();
        if (auto stop = frame(count, shown))
            return cannotRead(subject, std::move(*stop));
    }
}

bool looksLikePicture(ByteView start)
{
    return isJpeg(start) || isPng(start) || isGif(start) || isBmp(start);
}

int frameCount(ByteView bytes)
{
    if (isGif(bytes))
        return countGifFrames(bytes);
    return isJpeg(bytes) || isPng(bytes) || isBmp(bytes) ? 1 : 0;
}

Expected<Bytes> readPictureFile(const std::filesystem::path &path)
{
    return readWholeFile(path, kMaxPictureFileBytes);
}

Expected<PixelStore> loadPicture(const std::filesystem::path &path, const LoadOptions &options)
{
    const auto bytes = readPictureFile(path);
    if (!bytes)
        return bytes.error();
    return decodePicture(bytes.value(), subjectOf(path), options);
}

} // namespace core
