// The BIN raster file: the buffer's bytes and nothing else, no header, no padding, no trailer.
// Whoever reads it must know the width and height.
#pragma once

#include "core/error.h"

#include <QString>

#include <cstdint>
#include <span>

namespace core {

// Whether a write waits until the bytes are on the disk. Either way the target is replaced
// whole or not at all while the system runs; only Synced also survives a power cut. A sync can
// cost more than converting the picture, so a command-line run over many files, which can
// simply be run again, does without unless asked.
enum class Durability
{
    Synced,
    Unsynced,
};

// Writes all of `bin` to `path`. The bytes go to a temporary file beside the target, which
// replaces the target only when it is complete: a failed write leaves no partial file and an
// existing file as it was. A symbolic link is followed, and a replaced file keeps its
// permissions. An empty buffer is refused (NothingConverted) instead of leaving an empty file
// that a display unit would take for a picture.
Expected<void> writeBinFile(const QString &path, std::span<const std::uint8_t> bin,
                            Durability durability = Durability::Synced);

} // namespace core
