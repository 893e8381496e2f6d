// The text of the canvas's pixel probe: where the pointer is, the pixel there, and the 5-6-5
// word the display unit gets for it, with its two bytes in the order the BIN file holds them.
#pragma once

#include "core/colour.h"

#include <QPoint>
#include <QString>

namespace main_window {

// "(12, 34)  R=200 G=100 B=50  →  0xCB26  [26 CB]"
QString probeText(QPoint at, core::Colour colour);

} // namespace main_window
