#include "core/files/output_name.h"

#include "core/files/native_path.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace core {

std::optional<QString> binPathFor(const QString &source)
{
    if (source.size() < 3)
        return std::nullopt;
    return source.left(source.size() - 3) + QStringLiteral("BIN");
}

QString withoutExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString withExtension(const QString &source, QStringView extension)
{
    const QString name = QFileInfo(source).fileName();
    QString path = source.left(source.size() - name.size()) + withoutExtension(name) + u'.';
    path += extension;
    return path;
}

bool wouldOverwriteSource(const QString &source, const QString &output)
{
    if (source == output)
        return true;
    std::error_code error;
    // equivalent() compares device and file identity, so it sees through letter case on
    // case-insensitive volumes and through symbolic and hard links.
    const bool same =
        std::filesystem::equivalent(core::fsPath(source), core::fsPath(output), error);
    return !error && same;
}

} // namespace core
