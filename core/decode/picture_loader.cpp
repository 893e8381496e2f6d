#include "core/decode/picture_loader.h"

#include "core/decode/bmp_decoder.h"
#include "core/decode/gif_decoder.h"
#include "core/decode/picture_checks.h"
#include "core/decode/png_decoder.h"
#include "core/texts.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>

#include <cstring>

namespace core {

QString sizeRefusal(std::int64_t width, std::int64_t height)
{
    // What the pixel store takes: its rows are padded to whole cache lines, so that a picture
    // one pixel wide costs sixteen.
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

QString tooLarge(QSize size)
{
    return size.isValid() ? sizeRefusal(size.width(), size.height()) : QString();
}

QString askSize(const LoadOptions &options, QSize size)
{
    return options.checkSize ? options.checkSize(size) : QString();
}

PixelStore storeOf(const QImage &decoded)
{
    // Straight (not premultiplied) ARGB keeps the stored colour of a transparent pixel.
    const QImage image = decoded.convertToFormat(decoded.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                           : QImage::Format_RGB32);
    PixelStore store = PixelStore::allocate(image.width(), image.height());
    if (store.isNull())
        return store;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(store.row(y), image.constScanLine(y), 4 * std::size_t(image.width()));
    store.setHasAlpha(image.hasAlphaChannel());
    return store;
}

// A JPEG picture through Qt's reader, checked; `only`, when given, is the one format the bytes
// may be.
Expected<PixelStore> readWithQt(const QByteArray &bytes, const QString &name,
                                const LoadOptions &options, const QByteArray &only = {})
{
    QByteArray data = bytes; // QBuffer wants a non-const array; this shares, it does not copy
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);

    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kDecoderAllocationLimitMiB);

    const QByteArray format = reader.format();
    if (!only.isEmpty() && format != only)
        return cannotRead(name, Texts::tr("the %1 picture inside the BMP cannot be read")
                                    .arg(QString::fromLatin1(only.toUpper())));
    if (format.isEmpty())
        return cannotRead(name, Texts::tr("not a picture in a format this program reads"));
    // Only the formats a user of this tool meets; other Qt plugins may come and go with the
    // machine, and each one is more decoder code that a hostile file can reach.
    if (format != "jpeg")
        return cannotRead(
            name,
            Texts::tr("%1 pictures are not supported").arg(QString::fromLatin1(format.toUpper())));

    if (const QString shortfall = jpegShortfall(bytes); !shortfall.isEmpty())
        return cannotRead(name, shortfall);

    // What the decoder says it will allocate.
    if (const QString refusal = tooLarge(reader.size()); !refusal.isEmpty())
        return cannotRead(name, refusal);

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return cannotRead(name, reader.errorString());
    // The size told beforehand is the decoder's word only; this is what it made.
    if (const QString refusal = tooLarge(image.size()); !refusal.isEmpty())
        return cannotRead(name, refusal);
    if (const QString refusal = askSize(options, image.size()); !refusal.isEmpty())
        return cannotRead(name, refusal);
    PixelStore store = storeOf(image);
    if (store.isNull())
        return Error{Error::Kind::OutOfMemory, name,
                     Texts::tr("the picture does not fit into memory")};
    return store;
}

Expected<PixelStore> readPicture(const QByteArray &bytes, const QString &name,
                                 const LoadOptions &options)
{
    if (isPng(bytes))
        return decodePng(bytes, name, options);
    if (isGif(bytes))
        return decodeGif(bytes, name, options);
    if (!isBmp(bytes))
        return readWithQt(bytes, name, options);
    auto bmp = decodeBmp(bytes, name, options.checkSize);
    if (!bmp)
        return bmp.error();
    if (bmp.value().embeddedFormat == "png")
        return decodePng(bmp.value().embedded, name, options);
    if (!bmp.value().embedded.isNull())
        return readWithQt(bmp.value().embedded, name, options, bmp.value().embeddedFormat);
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
        const auto more = gif.value().next();
        if (!more)
            return more.error();
        if (!more.value())
            return count;
        // The screen stays the decoder's, to composite the next frame on.
        PixelStore shown = gif.value().screen().copy();
        if (shown.isNull())
            return Error{Error::Kind::OutOfMemory, name,
                         Texts::tr("the picture does not fit into memory")};
        if (const QString stop = frame(count, shown); !stop.isEmpty())
            return cannotRead(name, stop);
    }
}

int frameCount(const QByteArray &bytes)
{
    if (isGif(bytes))
        return countGifFrames(bytes);
    return isPng(bytes) || isBmp(bytes) || bytes.startsWith("\xFF\xD8") ? 1 : 0;
}

void quietenDecoders()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
}

Expected<QByteArray> readPictureFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return cannotRead(path, Texts::tr("no file name was given"));
    if (!info.exists())
        return cannotRead(path, Texts::tr("no such file"));
    if (info.isDir())
        return cannotRead(path, Texts::tr("this is a folder, not a picture file"));
    // Devices and pipes could feed the reader without end.
    if (!info.isFile())
        return cannotRead(path, Texts::tr("this is not a regular file"));
    if (info.size() > kMaxPictureFileBytes)
        return cannotRead(path, Texts::tr("the file is too large (%1 bytes)").arg(info.size()));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cannotRead(path, file.errorString());
    // Read in pieces up to the limit: the file may have grown since it was looked at.
    QByteArray bytes;
    bytes.reserve(qsizetype(info.size()));
    for (;;) {
        const QByteArray piece = file.read(qint64(1) << 20);
        if (file.error() != QFileDevice::NoError)
            return cannotRead(path, file.errorString());
        if (piece.isEmpty())
            break;
        if (bytes.size() + piece.size() > kMaxPictureFileBytes)
            return cannotRead(path, Texts::tr("the file is too large"));
        bytes += piece;
    }
    if (bytes.isEmpty())
        return cannotRead(path, Texts::tr("the file is empty"));
    return bytes;
}

Expected<PixelStore> loadPicture(const QString &path, const LoadOptions &options)
{
    const auto bytes = readPictureFile(path);
    if (!bytes)
        return bytes.error();
    return decodePicture(bytes.value(), path, options);
}

} // namespace core
