// Our own BMP decoder. BMP is one of the two formats the product exists for, so its pixels must
// be exact and the same on every run: every layout that Windows, OS/2 and common editors write
// is decoded here in one pass over the bytes, and every pixel of the result is defined.
#pragma once

#include "core/error.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace core {

// True for the bytes of a BMP file ("BM" first), whatever may be wrong with the rest.
bool isBmp(const QByteArray &file);

struct BmpPicture
{
    // Format_RGB32, every pixel set; null when the file wraps a picture of another format.
    QImage pixels;
    // The JPEG or PNG stream such a file wraps, and its format ("jpeg" or "png").
    QByteArray embedded;
    QByteArray embeddedFormat;
};

// Refusals are CannotRead errors that name `name` and the variant refused; a picture that
// does not fit into memory is OutOfMemory.
Expected<BmpPicture> decodeBmp(const QByteArray &file, const QString &name);

} // namespace core
