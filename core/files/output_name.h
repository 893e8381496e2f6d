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

// A file name less its extension, the part from its last dot on. A name whose only dot is
// its first character (".logo") has no extension.
QString withoutExtension(const QString &fileName);

// `source` with the extension of its file name replaced by `extension`, or given it when it
// has none: photo.jpg with "c" gives photo.c, and a dot in a folder's name is left alone.
QString withExtension(const QString &source, QStringView extension);

// Whether writing `output` would replace the file `source`: the same file as the file system
// sees it (letter case on a case-insensitive volume, links, hard links), not merely the same
// spelling. False when `output` does not exist yet.
bool wouldOverwriteSource(const QString &source, const QString &output);

} // namespace core
