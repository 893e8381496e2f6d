// The program's sentences in the user's language: the core's and the command line's texts are
// English in the source, marked with VTR(), and translated in resources/translations, from
// which the build makes a table. The window words everything in Japanese; the command line in
// Japanese when its user's language is, else in English. No Qt at run time.
#pragma once

#include "core/error.h"
#include "core/message.h"

#include <string>
#include <string_view>

namespace texts {

enum class Language
{
    English,
    Japanese,
};

// The text in the language: its translation, or the English text itself when there is none.
std::string_view translated(std::string_view english, Language language);

// The message in the language, each "%N" replaced by the Nth value (as QString::arg() would,
// "%10" and up are not used); an empty message gives an empty string.
std::string worded(const core::Message &message, Language language);

// One line for an error, in the language: "photo.jpg: cannot read picture: frame 3: the GIF
// data ends early", the subject, the kind, the frame and the reason each left out when empty.
std::string described(const core::Error &error, Language language);

} // namespace texts
