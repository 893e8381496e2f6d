// The text of the canvas's pixel probe: where the pointer is, the pixel there, and the 5-6-5
// word the display unit gets for it, with its two bytes in the order the BIN file holds them (or
// the settings ask for).
#pragma once

#include "core/colour.h"
#include "core/conversion.h"

#include <QPoint>
#include <QString>

namespace main_window {

// "(12, 34)  R=200 G=100 B=50  →  0xCB26  [26 CB]"; the bytes high first with ByteOrder::Big.
QString probeText(QPoint at, core::Colour colour, core::ByteOrder order = core::ByteOrder::Little);

} // namespace main_window
