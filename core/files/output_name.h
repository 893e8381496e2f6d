// Where a batch conversion (the window's and the command line's) puts a picture's BIN file,
// and the guard that keeps it from writing over the picture itself.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace core {

// The source path with its last three characters replaced by "BIN", whatever they were:
// Photo.JPG gives Photo.BIN, photo.jpeg gives photo.jBIN. A path of fewer than three
// characters has none to replace and gives nothing. A character is a code point; on Unix a
// byte that is not UTF-8 counts as one.
std::optional<std::filesystem::path> binPathFor(const std::filesystem::path &source);

// `source` with the extension of its file name replaced by `extension` (without its dot), or
// given it when it has none: photo.jpg with "c" gives photo.c; a dot in a folder's name, or a
// name's only dot at its start (".logo"), is no extension.
std::filesystem::path withExtension(const std::filesystem::path &source,
                                    std::string_view extension);

// Whether writing `output` would replace the file `source`: the same file as the file system
// sees it (letter case on a case-insensitive volume, links, hard links), not merely the same
// spelling. False when `output` does not exist yet.
bool wouldOverwriteSource(const std::filesystem::path &source, const std::filesystem::path &output);

} // namespace core
