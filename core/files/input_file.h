// Reading a whole input file (a picture, a BIN file) into memory, bounded, and only from a
// regular file: a pipe or a device could feed the reader without end.
#pragma once

#include "core/bytes.h"
#include "core/error.h"

#include <cstdint>
#include <filesystem>

namespace core {

// The file's bytes, at most `limit` of them; more is refused, with the size found in
// `sizeFound` when asked. Failures are CannotRead errors naming `path`: a missing file, a
// folder, a device or pipe, an empty file, or the system's reason.
Expected<Bytes> readWholeFile(const std::filesystem::path &path, std::int64_t limit,
                              std::int64_t *sizeFound = nullptr);

} // namespace core
