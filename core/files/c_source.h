// BIN rasters as C source and a header for firmware that links its pictures in: const arrays
// with external linkage in C and C++, their sizes as macros, an attribute hook for a memory
// section or an alignment, and, for several pictures in one source, a table of them. The text
// compiles cleanly as C99 and as C++.
#pragma once

#include "core/conversion.h"

#include "core/geometry.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The name of a picture file made into the name of its array, one that no compiler or standard
// header takes for anything else: the name without its extension, with each other character
// than an ASCII letter, digit or underscore written as "_" (ASCII) or "_u" and its code point in
// hex, so that two Japanese names stay apart, and a byte of a name that is not UTF-8 as "_x" and
// its value; a run of underscores as one, and none at the end, since C++ reserves "__" and the
// macros add "_WIDTH". A name that would not start with a letter, or that is a keyword, a
// standard header's or a compiler's own name, or one of ours (the README's C source section has
// the rule), gets "picture_" before it; no name at all gives "picture".
std::string cIdentifier(const std::filesystem::path &fileName);

// Whether `name` can be used as it is: an ASCII letter, then letters, digits and single
// underscores, and none of the names cIdentifier() avoids.
bool isUsableCIdentifier(std::string_view name);

struct CPicture
{
    std::string symbol;      // the array's name; made unique among the pictures of one source
    std::string pictureName; // for the comment, UTF-8
    Size size;
    std::span<const std::uint8_t> bin; // in the byte order given below
};

struct CSourceOptions
{
    ByteOrder order = ByteOrder::Little;
    bool words = false; // uint16_t elements, each a pixel's word as a little-endian load reads it
    // The source's file name without its extension, for the header's name, its include guard
    // and, with several pictures, the table's name.
    std::filesystem::path baseName;
    // No header of its own: everything in the source (for standard output or a device).
    bool selfContained = false;
};

struct CFiles
{
    std::string source; // UTF-8 with Unix line ends
    std::string header; // empty when self-contained
};

CFiles cSources(std::vector<CPicture> pictures, const CSourceOptions &options);

} // namespace core
