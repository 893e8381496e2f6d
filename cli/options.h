// What the command line asks for, read from its arguments. Only the arguments themselves are
// judged here; where the outputs go, which depends on the file system, is the plan's business.
#pragma once

#include "core/colour.h"
#include "core/conversion.h"
#include "core/dithering.h"
#include "core/files/bin_file.h"
#include "core/fitting.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// "-" as a picture is standard input and as the output standard output.
inline constexpr QStringView kStandardStream = u"-";

enum class Format
{
    Bin,
    C, // C source with the BIN bytes in an array
};

struct Options
{
    QStringList pictures;
    QString output;  // empty: each BIN file beside its picture
    QString preview; // empty: no preview bitmap
    std::optional<QSize> maxSize;
    int jobs = 1;
    bool quiet = false;
    core::Durability durability = core::Durability::Unsynced;

    core::ByteOrder byteOrder = core::ByteOrder::Little;
    core::Dither dither = core::Dither::None;
    int rotation = 0; // degrees clockwise
    std::optional<QSize> fit;
    core::FitMode fitMode = core::FitMode::Contain;
    core::Colour background = 0;
    Format format = Format::Bin;
    // When set, the pictures are BIN files of this size, to be turned back into pictures.
    std::optional<QSize> fromBin;
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
    QString text; // the help text, the version line or what is wrong with the arguments
};

// `arguments` includes the program name first, as QCoreApplication::arguments() gives it.
// `defaultJobs` is what --jobs means when it is not given: the number of cores.
Parsed parseArguments(const QStringList &arguments, int defaultJobs);

// "640x480" (or "640X480"): both numbers at least 1.
std::optional<QSize> parseSize(QStringView text);

} // namespace cli
