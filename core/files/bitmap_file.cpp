#include "core/files/bitmap_file.h"
#include "core/texts.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

namespace core {

Expected<void> saveBitmap(const QString &path, const PixelStore &picture)
{
    if (picture.isNull())
        return Error{Error::Kind::CannotWrite, path, Texts::tr("there is no picture")};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{Error::Kind::CannotWrite, path, file.errorString()};

    // Qt writes Format_RGB32 as a 24-bit bitmap, which every reader of BMP files knows.
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture.image())) {
        // QSaveFile flags a write that found the disk full without saying so ("Unknown
        // error"); pushing out what it still buffers brings the system's own words.
        file.flush();
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return Error{Error::Kind::CannotWrite, path, reason};
    }
    if (!file.commit())
        return Error{Error::Kind::CannotWrite, path, file.errorString()};
    return {};
}

QByteArray bitmapBytes(const PixelStore &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !QImageWriter(&buffer, "bmp").write(picture.image()))
        return {};
    return bytes;
}

} // namespace core
