// A check that Qt's JPEG reader does not make: it hands back a picture from a file cut short,
// filling the missing part with grey. A converter must not quietly write such a picture to a
// display unit, so the loader asks this first, and tells a cut file by name rather than by a
// decoder's puzzled words.
#pragma once

#include <QByteArray>
#include <QString>

namespace core {

// Why a JPEG stream ends before its end-of-image marker, or an empty string when the marker
// is there. Bytes after the marker (camera trailers, appended videos) are allowed.
QString jpegShortfall(const QByteArray &file);

} // namespace core
