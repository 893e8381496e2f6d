// Saving what the canvas shows as a Windows bitmap.
#pragma once

#include "core/error.h"
#include "core/files/output_file.h"
#include "core/pixel_store.h"

#include <filesystem>

namespace core {

// Writes a 24-bit BMP with exactly the stored pixels, through the one writer.
Expected<void> saveBitmap(const std::filesystem::path &path, const PixelStore &picture,
                          const WriteOptions &options = {});

// The same file's bytes, for a stream; empty when the picture is null or too large for a
// bitmap (4 GiB) or for memory.
Bytes bitmapBytes(const PixelStore &picture);

} // namespace core
