// Where a batch conversion (the window's and the command line's) puts a picture's BIN file,
// and the guard that keeps it from writing over the picture itself.
#pragma once

#include <QString>

#include <optional>

namespace core {

// The source path with its last three characters replaced by "BIN", whatever they were:
// Photo.JPG gives Photo.BIN, photo.jpeg gives photo.jBIN. A path of fewer than three
// characters has none to replace and gives nothing.
std::optional<QString> binPathFor(const QString &source);

// Whether writing `output` would replace the file `source`: the same file as the file system
// sees it (letter case on a case-insensitive volume, links, hard links), not merely the same
// spelling. False when `output` does not exist yet.
bool wouldOverwriteSource(const QString &source, const QString &output);

} // namespace core
