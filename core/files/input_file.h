// Reading a whole input file (a picture, a BIN file) into memory, bounded, and only from a
// regular file: a pipe or a device could feed the reader without end.
#pragma once

#include "core/error.h"

#include <QByteArray>
#include <QString>

namespace core {

// The file's bytes, at most `limit` of them; more is refused, with the size found in
// `sizeFound` when asked. Failures are CannotRead errors naming `path`: a missing file, a
// folder, a device or pipe, an empty file, or the system's reason.
Expected<QByteArray> readWholeFile(const QString &path, qint64 limit, qint64 *sizeFound = nullptr);

} // namespace core
