// The Japanese face the large labels ask for, with the faces that stand in for it where it
// is not installed, so that the text renders the same way everywhere.
#pragma once

#include <QFont>

namespace platform {

QFont japaneseFont(int pointSize, bool bold);

} // namespace platform
