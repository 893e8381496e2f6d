// The BIN raster file: the buffer's bytes and nothing else, no header, no padding, no trailer.
// Whoever reads it must know the width and height.
#pragma once

#include "error.h"

#include <QString>

#include <cstdint>
#include <span>

namespace core {

// Writes all of `bin` to `path`. The bytes go to a temporary file beside the target, which
// replaces the target only when it is complete: a failed write leaves no partial file and an
// existing file as it was. An empty buffer is refused (NothingConverted) instead of leaving an
// empty file that a display unit would take for a picture.
Expected<void> writeBinFile(const QString &path, std::span<const std::uint8_t> bin);

} // namespace core
