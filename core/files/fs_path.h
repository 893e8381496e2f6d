// A QString path as std::filesystem takes it: UTF-16 on Windows, the local 8-bit encoding
// Qt uses for file names elsewhere.
#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace core {

inline std::filesystem::path fsPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace core
