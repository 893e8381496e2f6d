// The window's edge with the core: file names between Qt's strings and the system's paths, and
// the core's messages in the window's language.
#pragma once

#include "core/error.h"
#include "core/geometry.h"
#include "core/message.h"

#include <QLocale>
#include <QSize>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace platform {

// On Unix a name is bytes, which need not be UTF-8; Qt's own conversion replaces bytes it
// cannot decode, so a name that came in that way no longer names its file. Here each such
// byte is kept as a lone surrogate (U+DC80 + byte) in the QString and given back as the same
// byte, so that every path round-trips. On Windows names are UTF-16 and pass through as they
// are.
std::filesystem::path toPath(const QString &name);
QString fromPath(const std::filesystem::path &path);

// The program's arguments, argv[0] first, each exactly as given (on Windows, Qt's list, which
// is already exact; there the application object must exist).
QStringList commandLineArguments(int argc, char *argv[]);

// `name` for a message: native separators, and each byte that was not UTF-8 as \xNN.
QString displayPath(const QString &name);

// A name that Qt decoded with replacement characters (its file dialog lists names that way)
// found again on the disk: where a folder holds exactly one entry that Qt would have shown
// under that name, the entry's true name. `name` itself when it exists or cannot be resolved.
QString recoverLossyPath(const QString &name);

// The core's messages and errors in Japanese, as the window speaks.
QString said(const core::Message &message);
// The subject of an error, the file it names, as the window shows it.
QString subjectOf(const core::Error &error);
// Its reason, with the frame it concerns when it concerns one.
QString reasonOf(const core::Error &error);

// Sizes across the edge.
inline core::Size sizeOf(QSize size)
{
    return {size.width(), size.height()};
}
inline QSize qSizeOf(core::Size size)
{
    return {size.width, size.height};
}

// The program's folder made the current folder of its drive, the current drive unchanged. On
// Windows each drive keeps a current folder of its own (in the environment, as "=D:"); the
// process's current folder changes only when `folder` is on the current drive or names no
// drive (a network share, or any folder elsewhere). False when the folder cannot be entered.
bool makeCurrentOfItsDrive(const QString &folder);
// Which of the two: the environment name of the drive's current folder ("=D:"), or empty for
// the process's current folder. `current` and `folder` are absolute, with either separator.
QString driveFolderVariable(const QString &current, const QString &folder);

// Loads Qt's own translations for its dialogs and buttons into the running application.
bool installQtTranslations(const QLocale &locale);

} // namespace platform
