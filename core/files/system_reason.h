// The system's reasons for a failed file operation in the program's own words, so that they
// are shown in the user's language whatever the machine's locale (a Japanese window on an
// English system still says why in Japanese).
#pragma once

#include "core/message.h"

#include <cstdint>

namespace core {

// `error` is an errno value.
Message systemReason(int error);

#if defined(_WIN32)
// `error` is a GetLastError() value.
Message windowsReason(std::uint32_t error);
#endif

} // namespace core
