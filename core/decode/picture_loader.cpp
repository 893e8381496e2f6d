#include "core/decode/picture_loader.h"

#include "core/decode/bmp_decoder.h"
#include "core/decode/jpeg_decoder.h"
#include "core/decode/picture_checks.h"
#include "core/texts.h"

#include "core/files/input_file.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>

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

// A PNG or GIF picture through Qt's reader, checked; `only`, when given, is the one
// format the bytes may be. The reader is gone when this returns: Qt's GIF handler keeps a
// reference to its canvas, which would make the conversion after it copy the whole picture.
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
    if (format != "png" && format != "gif")
        return cannotRead(
            name,
            Texts::tr("%1 pictures are not supported").arg(QString::fromLatin1(format.toUpper())));

    const QString shortfall = format == "png" ? pngShortfall(bytes) : gifShortfall(bytes);
    if (!shortfall.isEmpty())
        return cannotRead(name, shortfall);

    // The larger of what the decoder and the header say: either may be what gets allocated.
    if (const QString refusal = tooLarge(reader.size().expandedTo(gifScreenSize(bytes)));
        !refusal.isEmpty())
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
    if (isJpeg(bytes))
        return decodeJpeg(bytes, name, options);
    if (!isBmp(bytes))
        return readWithQt(bytes, name, options);
    auto bmp = decodeBmp(bytes, name, options.checkSize);
    if (!bmp)
        return bmp.error();
    const QByteArray &embedded = bmp.value().embedded;
    if (bmp.value().embeddedFormat == "jpeg") {
        if (isJpeg(embedded))
            return decodeJpeg(embedded, name, options);
        return cannotRead(
            name,
            Texts::tr("the %1 picture inside the BMP cannot be read").arg(QStringLiteral("JPEG")));
    }
    if (!embedded.isNull())
        return readWithQt(embedded, name, options, bmp.value().embeddedFormat);
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
    auto first = decodePicture(bytes, name, options);
    if (!first)
        return first.error();
    if (const QString stop = frame(0, first.value()); !stop.isEmpty())
        return cannotRead(name, stop);
    return 1;
}

int frameCount(const QByteArray &bytes)
{
    if (isJpeg(bytes))
        return 1;
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.canRead() ? std::max(1, reader.imageCount()) : 0;
}

void quietenDecoders()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
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
