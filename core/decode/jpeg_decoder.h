// Our JPEG decoder, on libjpeg-turbo's libjpeg API, for every JPEG the program reads: files,
// standard input and the JPEG a BMP wraps. It decodes straight into the pixel store's rows,
// turned upright by the EXIF orientation as the rows arrive, and shrinks by the DCT when the
// picture is to be fitted much smaller. A warning from the library while it decodes the picture
// refuses the file: there the library would otherwise make up the pixels it could not read.
#pragma once

#include "core/decode/picture_loader.h"

namespace core {

// True for bytes that start as a JPEG stream does, with a start-of-image marker.
bool isJpeg(ByteView bytes);

// Refusals are CannotRead errors whose subject is `subject`; a picture that does not fit into
// memory is OutOfMemory. `options.checkSize` is asked with the picture's whole upright size.
Expected<PixelStore> decodeJpeg(ByteView bytes, const Message &subject,
                                const LoadOptions &options = {});

} // namespace core
