// Checks that Qt's decoders do not make: the BMP, JPEG and GIF readers hand back a picture
// from a file cut short, filling the missing part with black or grey. A converter must not
// quietly write such a picture to a display unit, so the loader asks these first.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace core {

// Why the pixel data of a BMP file is shorter than its header says, or an empty string when it
// is complete (or not a layout this check knows; the decoder judges those). Run-length data is
// complete when its codes reach the end-of-picture code or the last row.
QString bmpShortfall(const QByteArray &file);

// Appends the padding that some writers leave off the last row of an uncompressed BMP. Qt's
// decoder needs it: without it the last row in the file, the picture's top row, comes out
// wrong. Does nothing to a file that is complete or that bmpShortfall refuses.
void completeBmpPadding(QByteArray &file);

// Why a JPEG stream ends before its end-of-image marker, or an empty string when the marker
// is there. Bytes after the marker (camera trailers, appended videos) are allowed.
QString jpegShortfall(const QByteArray &file);

// Why the first picture of a GIF file ends before its last data block, or an empty string
// when it is complete. Further frames are not read by the loader and not checked.
QString gifShortfall(const QByteArray &file);

// The size a BMP or GIF header states, read here because Qt's decoders do not always report
// it: the BMP reader gives no size for some headers that it then still tries to decode, and
// the GIF reader gives the first frame's size but makes a canvas of the header's. Invalid for
// other files; a size past the range of int is given as INT_MAX.
QSize statedSize(const QByteArray &file);

} // namespace core
