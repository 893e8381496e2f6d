// Dithering before the 65K-colour encoding: each channel is moved to a value whose truncation
// gives the dithered level, so that the plain conversion pass then writes the BIN bytes and
// the preview unchanged. Both methods are defined to the bit, so that any program that
// follows the definitions (see the README) writes the same bytes.
#pragma once

#include "core/pixel_store.h"

namespace core {

enum class Dither
{
    None,           // truncation alone, as the window converts
    Ordered,        // an 8 x 8 Bayer threshold added before truncating
    FloydSteinberg, // each pixel's error against its preview carried to its neighbours
};

void dither(PixelStore &picture, Dither method);

} // namespace core
