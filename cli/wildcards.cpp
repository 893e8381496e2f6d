#include "wildcards.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

QStringList expandWildcards(const QStringList &pictures)
{
    QStringList expanded;
    for (const QString &picture : pictures) {
        const QString pattern = QFileInfo(picture).fileName();
        if (!pattern.contains(u'*') && !pattern.contains(u'?')) {
            expanded << picture;
            continue;
        }
        // The folder as the user spelt it, so that errors and output names read the same.
        const QString folder = picture.left(picture.size() - pattern.size());
        const QStringList names =
            QDir(folder.isEmpty() ? QStringLiteral(".") : folder)
                .entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        if (names.isEmpty())
            expanded << picture;
        for (const QString &name : names)
            expanded << folder + name;
    }
    return expanded;
}

} // namespace cli
