// Shaping a picture for a panel of W x H pixels: turning it, and scaling it to exactly the
// panel's size. The geometry is plain integer arithmetic; the scaling is Qt's smooth one,
// which averages the area each new pixel covers when the picture shrinks.
#pragma once

#include "core/colour.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace core {

enum class FitMode
{
    Contain, // all of the picture, centred, with bands of the background beside or above it
    Cover,   // the whole panel, centred, with the picture's overhang cut off
    Stretch, // the picture's aspect given up
};

// Where the scaled picture lies on the panel: its size, and the panel position of its top
// left corner (negative where it is cropped). An odd leftover goes to the right or bottom.
struct Placement
{
    QSize size;
    QPoint offset;

    bool operator==(const Placement &) const = default;
};

Placement placeOnPanel(QSize picture, QSize panel, FitMode mode);

// `picture` turned clockwise by `degrees`, one of 0, 90, 180 and 270; pixels are moved, never
// blended.
QImage turned(const QImage &picture, int degrees);

// `picture` scaled and placed on a panel filled with `background`. A picture that already
// has the panel's size comes back as it was.
QImage fitted(const QImage &picture, QSize panel, FitMode mode, Colour background);

} // namespace core
