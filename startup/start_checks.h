// The texts and the display check of the start-up windows, as plain functions.
#pragma once

#include "platform/services.h"

#include <QString>

namespace startup {

// "ﾊﾞｰｼﾞｮﾝ 1.0.0": the word, one blank, the three numbers joined by dots.
QString versionText(const platform::Version &version);

enum class DisplayVerdict
{
    Passes,
    TooFewColours,
    TooNarrow
};

// Full colour (24 bits or more) first, then at least 800 pixels across; the height plays no
// part. Both limits are inclusive.
DisplayVerdict checkDisplay(int bitsPerPixel, int width);

// The warning for a verdict other than Passes.
QString displayWarning(DisplayVerdict verdict);

// Runs of two or more blanks in the About window's texts end a line: they fill the rest of
// it in the original layout. Here they become line breaks, which lay out the same way at any
// font width.
QString breakAtBlankRuns(const QString &text);

} // namespace startup
