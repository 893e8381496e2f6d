#include "common_dialog.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace platform {

bool CommonDialog::ShowOpen()
{
    return show(FileDialogBackend::Mode::Open);
}

bool CommonDialog::ShowSave()
{
    return show(FileDialogBackend::Mode::Save);
}

bool CommonDialog::show(FileDialogBackend::Mode mode)
{
    const auto chosen = m_backend.run({mode, Filter, Flags, FileName, InitDir, m_owner});
    if (!chosen || chosen->isEmpty())
        return false;
    FileName = multiSelectionFileName(*chosen);
    return true;
}

QString multiSelectionFileName(const QStringList &paths)
{
    if (paths.size() == 1)
        return QDir::toNativeSeparators(paths.front());

    QString folder = QDir::toNativeSeparators(QFileInfo(paths.front()).absolutePath());
    const QString separator = QDir::separator();
    // A root keeps its separator ("C:\", "/"); any other folder has none at the end.
    const bool isRoot = QDir(QFileInfo(paths.front()).absolutePath()).isRoot();
    if (!isRoot && folder.endsWith(separator))
        folder.chop(1);
    QString fileName = folder;
    for (const QString &path : paths)
        fileName += QChar(u'\0') + QFileInfo(path).fileName();
    return fileName;
}

DialogStart dialogStart(const QString &fileName, const QString &initDir)
{
    const QString first = fileName.section(QChar(u'\0'), 0, 0);
    const QFileInfo info(first);
    if (fileName.contains(QChar(u'\0')))
        return {info.absoluteFilePath(), {}};
    // Relative to the current folder, which is the program's: no place for the user's files.
    if (!QDir::fromNativeSeparators(first).contains(QLatin1Char('/')))
        return {initDir, first};
    if (info.isDir())
        return {info.absoluteFilePath(), {}};
    return {info.absolutePath(), info.fileName()};
}

} // namespace platform
