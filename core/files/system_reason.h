// The system's reasons for a failed file operation in the program's own words, so that they
// are shown in the user's language whatever the machine's locale (a Japanese window on an
// English system still says why in Japanese).
#pragma once

#include <QString>

namespace core {

// `error` is an errno value.
QString systemReason(int error);

} // namespace core
