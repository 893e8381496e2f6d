// Checks that Qt's decoders do not make: both the BMP and the JPEG reader hand back a picture
// from a file cut short, filling the missing part with black or grey. A converter must not
// quietly write such a picture to a display unit, so the loader asks these first.
#pragma once

#include <QByteArray>
#include <QString>

namespace core {

// Why the uncompressed pixel data of a BMP file is shorter than its header says, or an empty
// string when it is complete (or not a layout this check knows; the decoder judges those).
QString bmpShortfall(const QByteArray &file);

// Why a JPEG stream ends before its end-of-image marker, or an empty string when the marker
// is there. Bytes after the marker (camera trailers, appended videos) are allowed.
QString jpegShortfall(const QByteArray &file);

} // namespace core
