// The command line's own words, written in English and marked with VTR(); its lines are in
// Japanese when its user's language is, from the same translations as the window's.
#pragma once

#include "core/error.h"
#include "core/message.h"
#include "resources/texts/texts.h"

#include <string>

namespace cli {

// The language of the command's lines, English until main() asks the system.
texts::Language language();
void setLanguage(texts::Language language);

// A message, and an error's line, in that language.
std::string said(const core::Message &message);
std::string said(const core::Error &error);

} // namespace cli
