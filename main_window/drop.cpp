#include "drop.h"

#include <QDir>
#include <QFileInfo>

namespace main_window {

Drop classifyDrop(const QList<QUrl> &urls)
{
    Drop drop;
    QString folder;
    for (const QUrl &url : urls) {
        const QFileInfo file(url.toLocalFile());
        const QString suffix = file.suffix().toLower();
        const bool picture = suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg";
        if (!url.isLocalFile() || !file.isFile() || !picture)
            return {};
        if (folder.isEmpty())
            folder = file.absolutePath();
        else if (file.absolutePath() != folder)
            return {};
        drop.paths << QDir::toNativeSeparators(file.absoluteFilePath());
    }
    if (!drop.paths.isEmpty())
        drop.command = drop.paths.size() == 1 ? DropCommand::Open : DropCommand::Batch;
    return drop;
}

} // namespace main_window
