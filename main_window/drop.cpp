#include "drop.h"

#include "core/files/output_file.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace main_window {

namespace {

// The file's name as the system spells it: toLocalFile() would replace bytes that are not
// UTF-8, and the name would no longer lead to the file.
QString localPath(const QUrl &url)
{
#if defined(Q_OS_WIN)
    return url.toLocalFile();
#else
    return platform::fromPath(std::filesystem::path(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString()));
#endif
}

} // namespace

Drop classifyDrop(const QList<QUrl> &urls)
{
    Drop drop;
    QString folder;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        const QString path = localPath(url);
        const QFileInfo file(path);
        const QString suffix = file.suffix().toLower();
        const bool picture = suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg" ||
                             suffix == u"png" || suffix == u"gif";
        if (core::fileKind(platform::toPath(path)) != core::FileKind::Regular || !picture)
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
