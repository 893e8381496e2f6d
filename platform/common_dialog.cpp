#include "common_dialog.h"

#include <QDir>
#include <QFileInfo>

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
    const auto chosen = m_backend.run({mode, Filter, Flags, FileName, m_owner});
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

} // namespace platform
