#include "picture_loader.h"

#include "picture_checks.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace core {

namespace {

Error cannotRead(const QString &name, const QString &reason)
{
    return Error{Error::Kind::CannotRead, name, reason};
}

QString tooLarge(QSize size)
{
    if (!size.isValid() || std::int64_t(size.width()) * size.height() <= kMaxPicturePixels)
        return {};
    return QStringLiteral("the picture is too large (%1 x %2 pixels)")
        .arg(size.width())
        .arg(size.height());
}

// The decoder's picture, checked. The reader is gone when this returns: Qt's GIF handler keeps
// a reference to its canvas, which would make the conversion after it copy the whole picture.
Expected<QImage> readPicture(const QByteArray &bytes, const QString &name)
{
    QByteArray data = bytes; // QBuffer wants a non-const array; this shares, it does not copy
    completeBmpPadding(data);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);

    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kDecoderAllocationLimitMiB);

    const QByteArray format = reader.format();
    if (format.isEmpty())
        return cannotRead(name, QStringLiteral("not a picture in a format this program reads"));
    // Only the formats a user of this tool meets; other Qt plugins may come and go with the
    // machine, and each one is more decoder code that a hostile file can reach.
    if (format != "bmp" && format != "jpeg" && format != "png" && format != "gif")
        return cannotRead(name, QStringLiteral("%1 pictures are not supported")
                                    .arg(QString::fromLatin1(format.toUpper())));

    // The larger of what the decoder and the header say: either may be what gets allocated.
    if (const QString refusal = tooLarge(reader.size().expandedTo(statedSize(bytes)));
        !refusal.isEmpty())
        return cannotRead(name, refusal);

    const QString shortfall = format == "bmp"    ? bmpShortfall(bytes)
                              : format == "jpeg" ? jpegShortfall(bytes)
                              : format == "gif"  ? gifShortfall(bytes)
                                                 : QString();
    if (!shortfall.isEmpty())
        return cannotRead(name, shortfall);

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return cannotRead(name, reader.errorString());
    // The size told beforehand is the decoder's word only; this is what it made.
    if (const QString refusal = tooLarge(image.size()); !refusal.isEmpty())
        return cannotRead(name, refusal);
    return image;
}

} // namespace

Expected<PixelStore> decodePicture(const QByteArray &bytes, const QString &name)
{
    auto read = readPicture(bytes, name);
    if (!read)
        return read.error();
    QImage image = std::move(read).value();
    // Converted in place where the depth allows, so that a picture at the size limit is not
    // held twice; the pixels come out as PixelStore's own conversion makes them.
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_ARGB32);
    image.convertTo(QImage::Format_RGB32);
    PixelStore store(image);
    if (store.isNull())
        return Error{Error::Kind::OutOfMemory, name,
                     QStringLiteral("the picture does not fit "
                                    "into memory")};
    return store;
}

Expected<PixelStore> loadPicture(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return cannotRead(path, QStringLiteral("no file name was given"));
    if (!info.exists())
        return cannotRead(path, QStringLiteral("no such file"));
    if (info.isDir())
        return cannotRead(path, QStringLiteral("this is a folder, not a picture file"));
    // Devices and pipes could feed the reader without end.
    if (!info.isFile())
        return cannotRead(path, QStringLiteral("this is not a regular file"));
    if (info.size() > kMaxPictureFileBytes)
        return cannotRead(path,
                          QStringLiteral("the file is too large (%1 bytes)").arg(info.size()));

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
            return cannotRead(path, QStringLiteral("the file is too large"));
        bytes += piece;
    }
    if (bytes.isEmpty())
        return cannotRead(path, QStringLiteral("the file is empty"));
    return decodePicture(bytes, path);
}

} // namespace core
