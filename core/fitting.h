// Shaping a picture for a panel of W x H pixels: turning it, and scaling it to exactly the
// panel's size. All of it is integer arithmetic defined to the bit (see the README), so that
// the window, the command line and any other program that follows the definition agree.
#pragma once

#include "core/checked.h"
#include "core/colour.h"
#include "core/pixel_store.h"

#include "core/geometry.h"

namespace core {

enum class FitMode
{
    Contain, // all of the picture, centred, with bands of the background beside or above it
    Cover,   // the whole panel, centred, with the picture's overhang cut off
    Stretch, // the picture's aspect given up
};

// Where the scaled picture lies on the panel: its size, and the panel position of its top
// left corner (negative where it is cropped). An odd leftover goes to the right or bottom.
// Cover scales a long strip far past any int before the panel cuts it.
struct Placement
{
    Extent size;
    std::int64_t x = 0;
    std::int64_t y = 0;

    bool operator==(const Placement &) const = default;
};

Placement placeOnPanel(Size picture, Size panel, FitMode mode);

// `picture` turned clockwise by `degrees`, one of 0, 90, 180 and 270; pixels are moved, never
// blended. Null when the memory for the turned picture cannot be had.
PixelStore turned(PixelStore picture, int degrees);

// A part of a scaled picture: its top left corner in the scaled picture, and its size.
struct Window
{
    std::int64_t left = 0;
    std::int64_t top = 0;
    int width = 0;
    int height = 0;
};

// The part `window` of `picture` scaled to `scaled` pixels, computed without making the rest:
// each new pixel is the average of the source area it covers, every source pixel weighted by
// the length it overlaps it along each axis, rounded to nearest. `window` must lie inside
// the scaled picture. Null when the memory cannot be had.
PixelStore scaledWindow(const PixelStore &picture, Extent scaled, Window window);
// The part `crop` of the picture as it is.
PixelStore cropped(const PixelStore &picture, Rect crop);

// `picture` scaled and placed on a panel filled with `background`. A picture that already
// has the panel's size comes back as it was. Null when the memory cannot be had.
PixelStore fitted(PixelStore picture, Size panel, FitMode mode, Colour background);

} // namespace core
