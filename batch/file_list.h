// Reading the open dialog's FileName one file at a time, by position. The separators already
// passed are overwritten with "," so that each search finds the next one; names are cut out
// by position, so a comma in a name does no harm.
#pragma once

#include "auto_fields.h"

#include <QChar>
#include <QString>

namespace batch {

// Takes the dialog's FileName: one full path, or a folder followed by a NUL and a bare name
// per file. Leaves CurFile at the first picture; LastFlag is 1 when it is the only one.
// `separator` is the platform's path separator, which a folder may end in only at a root.
void startFileList(AutoFields &fields, const QString &fileName, QChar separator);

// Moves CurFile on to the next name of a multi-selection; LastFlag becomes 1 at the last.
void takeNextName(AutoFields &fields, QChar separator);

} // namespace batch
