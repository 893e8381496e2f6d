// The arithmetic behind the main window's geometry, as plain functions.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

namespace main_window {

// Where the controls go after a picture is loaded, beside a canvas at (left, top) whose inner
// area is width x height. A picture larger than the window scrolls inside a frame whose inside
// is shownWidth x shownHeight; the controls go beside the frame then. 64-bit, so that no
// picture that loads can overflow it.
struct AfterLoadLayout
{
    qint64 progressTop = 0; // ProgressBar1: 5 below the canvas's inner height
    qint64 statusTop = 0;   // Label1: the same, but never above 80
    qint64 sizeLeft = 0;    // Label2 and Label3: 10 right of the canvas's inner width
    QString widthCaption;   // "X=320"
    QString heightCaption;  // "Y=240"
};

AfterLoadLayout afterLoadLayout(qint64 canvasLeft, qint64 canvasTop, qint64 width, qint64 height,
                                qint64 shownWidth = -1, qint64 shownHeight = -1);

// Where the blue line of settings goes: beside the canvas under the size labels, wrapped to
// the width the window leaves there, unless that is too narrow for it or it would reach down
// into the status line and the progress bar; then across the window under them. `heightFor`
// gives the line's height when wrapped to a width.
QRect settingsLineRect(qint64 sizeLeft, int clientWidth, qint64 statusTop,
                       const std::function<int(int width)> &heightFor);

// The size of the frame that shows a canvas of `canvas` outer pixels at `topLeft` of a client
// area of `client` pixels: the canvas's own, or less where the canvas would reach past the room
// that the labels beside and the status below need, with room for the scroll bar of `bar`
// pixels across that then appears.
QSize canvasFrameSize(QSize canvas, QPoint topLeft, QSize client, int bar);

// The size the window itself must have so that, with the frame the window manager puts
// around it, it covers `screen` exactly.
QSize innerSizeForOuter(QSize screen, QMargins frame);

} // namespace main_window
