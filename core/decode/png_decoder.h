// Our PNG decoder, on libspng: every colour type and bit depth, interlaced or not, read in one
// pass straight into the pixel store's rows. Gamma, colour profiles and text are not applied:
// the display unit takes the stored values. Any damage the library sees, a checksum that does
// not match included, refuses the file.
#pragma once

#include "core/decode/picture_loader.h"

namespace core {

// True for the bytes of a PNG file (its signature first), whatever may be wrong with the rest.
bool isPng(ByteView file);

// The picture, opaque unless options.keepAlpha and the file has an alpha channel or a tRNS
// chunk; 16-bit samples become round(v * 255 / 65535). Refusals are CannotRead errors naming
// `subject`; a picture that does not fit into memory is OutOfMemory.
Expected<PixelStore> decodePng(ByteView file, const Message &subject, const LoadOptions &options);

} // namespace core
