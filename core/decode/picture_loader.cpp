#include "core/decode/picture_loader.h"

#include "core/decode/bmp_decoder.h"
#include "core/decode/gif_decoder.h"
#include "core/decode/jpeg_decoder.h"
#include "core/decode/png_decoder.h"
#include "core/files/input_file.h"
#include "core/texts.h"

namespace core {

QString sizeRefusal(std::int64_t width, std::int64_t height)
{
    // Counted as the pixel store holds them, each row in whole lines of its alignment: a
    // picture one pixel wide takes sixteen.
    constexpr std::int64_t perLine = PixelStore::kRowAlignment / 4;
    if ((width + perLine - 1) / perLine * perLine * height <= kMaxPicturePixels)
        return {};
    return Texts::tr("the picture is too large (%1 x %2 pixels)").arg(width).arg(height);
}

namespace {

Error cannotRead(const QString &name, const QString &reason)
{
    return Error{Error::Kind::CannotRead, name, reason};
}

Expected<PixelStore> readPicture(const QByteArray &bytes, const QString &name,
                                 const LoadOptions &options)
{
    if (isJpeg(bytes))
        return decodeJpeg(bytes, name, options);
    if (isPng(bytes))
        return decodePng(bytes, name, options);
    if (isGif(bytes))
        return decodeGif(bytes, name, options);
    if (!isBmp(bytes))
        return cannotRead(name, Texts::tr("not a picture in a format this program reads"));
    auto bmp = decodeBmp(bytes, name, options);
    if (!bmp)
        return bmp.error();
    // A BMP may wrap a JPEG or PNG stream, which must be what the header says it is.
    const QByteArray &embedded = bmp.value().embedded;
    if (bmp.value().embeddedFormat == "jpeg" && isJpeg(embedded))
        return decodeJpeg(embedded, name, options);
    if (bmp.value().embeddedFormat == "png" && isPng(embedded))
        return decodePng(embedded, name, options);
    if (!embedded.isNull())
        return cannotRead(name,
                          Texts::tr("the %1 picture inside the BMP cannot be read")
                              .arg(QString::fromLatin1(bmp.value().embeddedFormat.toUpper())));
    return std::move(bmp.value().pixels);
}

} // namespace

Expected<PixelStore> decodePicture(const QByteArray &bytes, const QString &name,
                                   const LoadOptions &options)
{
    auto read = readPicture(bytes, name, options);
    if (read && !options.keepAlpha)
        read.value().dropAlpha();
    return read;
}

Expected<int> decodeFrames(const QByteArray &bytes, const QString &name, const LoadOptions &options,
                           const FrameSink &frame)
{
    if (!isGif(bytes)) {
        auto still = decodePicture(bytes, name, options);
        if (!still)
            return still.error();
        if (const QString stop = frame(0, still.value()); !stop.isEmpty())
            return cannotRead(name, stop);
        return 1;
    }
    auto gif = GifDecoder::open(bytes, name, options);
    if (!gif)
        return gif.error();
    int count = 0;
    for (;; ++count) {
        auto more = gif.value().next();
        if (!more) {
            // Which frame, for an animation whose later frames are damaged.
            Error error = more.error();
            error.reason = Texts::tr("frame %1: %2").arg(count + 1).arg(error.reason);
            return error;
        }
        if (!more.value())
            return count;
        // The screen stays the decoder's, to composite the next frame on.
        PixelStore shown = gif.value().screen().copy();
        if (shown.isNull())
            return Error{Error::Kind::OutOfMemory, name,
                         Texts::tr("the picture does not fit into memory")};
        if (!options.keepAlpha)
            shown.dropAlpha();
        if (const QString stop = frame(count, shown); !stop.isEmpty())
            return cannotRead(name, stop);
    }
}

bool looksLikePicture(const QByteArray &start)
{
    return isJpeg(start) || isPng(start) || isGif(start) || isBmp(start);
}

int frameCount(const QByteArray &bytes)
{
    if (isGif(bytes))
        return countGifFrames(bytes);
    return isJpeg(bytes) || isPng(bytes) || isBmp(bytes) ? 1 : 0;
}

Expected<QByteArray> readPictureFile(const QString &path)
{
    return readWholeFile(path, kMaxPictureFileBytes);
}

Expected<PixelStore> loadPicture(const QString &path, const LoadOptions &options)
{
    const auto bytes = readPictureFile(path);
    if (!bytes)
        return bytes.error();
    return decodePicture(bytes.value(), path, options);
}

} // namespace core
