// The BIN raster file: the buffer's bytes and nothing else, no header, no padding, no trailer.
// Whoever reads it must know the width and height.
#pragma once

#include "core/error.h"
#include "core/files/output_file.h"

#include <filesystem>

#include <cstdint>
#include <span>

namespace core {

// Writes all of `bin` to `path` through the one writer (see output_file.h): an existing file is
// replaced whole or not at all, a device or pipe takes the bytes. An empty buffer is refused
// (NothingConverted) instead of leaving an empty file that a display unit would take for a
// picture.
Expected<void> writeBinFile(const std::filesystem::path &path, std::span<const std::uint8_t> bin,
                            const WriteOptions &options = {});

} // namespace core
