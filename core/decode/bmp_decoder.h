// Our own BMP decoder. BMP is one of the two formats the product exists for, so its pixels must
// be exact and the same on every run: every layout that Windows, OS/2 and common editors write
// is decoded here in one pass over the bytes, and every pixel of the result is defined.
#pragma once

#include "core/decode/picture_loader.h"
#include "core/error.h"
#include "core/pixel_store.h"

#include <string>

namespace core {

// True for the bytes of a BMP file ("BM" first), whatever may be wrong with the rest.
bool isBmp(ByteView file);

struct BmpPicture
{
    // Every pixel set; null when the file wraps a picture of another format.
    PixelStore pixels;
    // The JPEG or PNG stream such a file wraps, and its format ("jpeg" or "png").
    ByteView embedded;
    std::string embeddedFormat;
};

// Refusals are CannotRead errors whose subject is `subject` and whose reason names the variant
// refused; a picture that does not fit into memory is OutOfMemory. options.checkSize, when given,
// is asked with the size from the header before anything is allocated, and a reason it gives
// refuses the file. Opaque unless options.keepAlpha and the header gives an alpha mask (some alpha
// value not 0).
Expected<BmpPicture> decodeBmp(ByteView file, const Message &subject,
                               const LoadOptions &options = {});

} // namespace core
