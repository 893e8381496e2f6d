// A BIN raster as C source, for firmware that links its pictures in: the bytes in a const
// array, with the picture's width and height as macros beside it.
#pragma once

#include "core/conversion.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <span>

namespace core {

// The name of a picture file made into an identifier that any C compiler takes: the name
// without its extension, with each other character than an ASCII letter, digit or underscore
// written as "_" (ASCII) or "_u" and its code point in hex, so that two Japanese names stay
// apart. A name that would not start with a letter, or is a keyword, gets "picture_" before
// it; no name at all gives "picture".
QString cIdentifier(const QString &fileName);

struct CArrayHeader
{
    QString identifier;
    QString pictureName; // for the comment at the top
    QSize size;
    ByteOrder order = ByteOrder::Little;
};

// The whole file, in UTF-8 with Unix line ends.
QByteArray cArraySource(std::span<const std::uint8_t> bin, const CArrayHeader &header);

} // namespace core
