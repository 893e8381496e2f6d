// Turning a dialog Filter ("description|pattern|description|pattern") into the name filters of
// Qt's file dialog.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// One entry per description. Each pattern matches regardless of letter case, so that *.BMP
// shows a.bmp on a case-sensitive file system too, and *.JPG also takes the four-letter
// .jpeg. The description is shown as written.
QStringList dialogNameFilters(const QString &filter);

} // namespace platform
