// File names as the system spells them. On Unix a name is bytes, which need not be UTF-8;
// Qt's own conversion replaces bytes it cannot decode, so a name that came in that way no
// longer names its file. Here each such byte is kept as a lone surrogate (U+DC80 + byte) in
// the QString and given back as the same byte, so that every path round-trips; messages show it
// as \xNN. On Windows names are UTF-16 and pass through as they are.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace core {

// A name from the system (argv, readdir, a URL's bytes) as the program carries it.
QString pathFromNative(QByteArrayView bytes);

// The program's arguments, argv[0] first, each exactly as given (on Windows, Qt's list, which
// is already exact; there the application object must exist).
QStringList commandLineArguments(int argc, char *argv[]);

// The bytes to hand the system for `path` (Unix), the reverse of pathFromNative.
QByteArray nativePath(const QString &path);

// For std::filesystem.
std::filesystem::path fsPath(const QString &path);

// The path with every link and every "." and ".." resolved, or an empty string when it does
// not lead to an existing file.
QString canonicalPath(const QString &path);

// `path` for a message: native separators, and each byte that was not UTF-8 as \xNN.
QString displayPath(const QString &path);

// A path that Qt decoded with replacement characters (its file dialog lists names that way)
// found again on the disk: where a folder holds exactly one entry that Qt would have shown
// under that name, the entry's true name. `path` itself when it exists or cannot be resolved.
QString recoverLossyPath(const QString &path);

} // namespace core
