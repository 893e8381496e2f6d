// Checks that Qt's decoders do not make: the GIF reader hands back a picture from a file cut
// short, filling the missing part with black. A converter must not quietly
// write such a picture to a display unit, so the loader asks these first, and tells a cut
// file by name rather than by a decoder's puzzled words.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace core {

// Why a PNG file ends before its end chunk, or an empty string when the chunks reach it. libpng
// would say so on standard error, past the program's own reporting.
QString pngShortfall(const QByteArray &file);

// Why the first picture of a GIF file ends before its last data block, or an empty string
// when it is complete. Further frames are not read by the loader and not checked.
QString gifShortfall(const QByteArray &file);

// The screen size a GIF header states, read here because Qt's reader reports the first frame's
// size but makes a canvas of the screen's. Invalid for other files.
QSize gifScreenSize(const QByteArray &file);

} // namespace core
