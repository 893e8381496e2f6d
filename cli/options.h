// What the command line asks for, read from its arguments. Only the arguments themselves are
// judged here; where the outputs go, which depends on the file system, is the plan's business.
#pragma once

#include "core/files/output_file.h"
#include "core/geometry.h"
#include "core/recipe.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// "-" as a picture is standard input and as the output standard output.
bool isStandardStream(const std::filesystem::path &path);
inline const std::filesystem::path kStandardStream{"-"};

// The elements of a C array: the BIN file's bytes, or each pixel's 5-6-5 word.
enum class CType
{
    Bytes,
    Words,
};

struct Options
{
    std::vector<std::filesystem::path> pictures;
    std::filesystem::path output;  // empty: each output beside its picture
    std::filesystem::path preview; // empty: no preview bitmap
    std::optional<core::Size> maxSize;
    int jobs = 1;
    bool quiet = false;
    core::Durability durability = core::Durability::Unsynced;
    core::Recipe recipe; // everything between the loaded picture and the bytes

    // When set, the pictures are BIN files of this size, to be turned back into pictures.
    std::optional<core::Size> fromBin;
    // Every frame of an animation, each its own output.
    bool frames = false;
    // C source: the array's name instead of the picture's, and its elements.
    std::string symbol;
    CType cType = CType::Bytes;
    // A JSON document on standard output instead of the summary; nothing written.
    bool json = false;
    bool dryRun = false;
};

struct Parsed
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        UsageError,
    };

    Action action = Action::UsageError;
    Options options;
    // The help text, the version line or what is wrong with the arguments, in the command's
    // language (texts.h).
    std::string text;
};

// `arguments` includes the program name first, each exactly as the system gave it.
// `defaultJobs` is what --jobs means when it is not given: the number of cores.
Parsed parseArguments(const std::vector<std::filesystem::path> &arguments, int defaultJobs);

} // namespace cli
