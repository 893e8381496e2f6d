#include "output_name.h"

#include "fs_path.h"

#include <filesystem>
#include <system_error>

namespace core {

std::optional<QString> binPathFor(const QString &source)
{
    if (source.size() < 3)
        return std::nullopt;
    return source.left(source.size() - 3) + QStringLiteral("BIN");
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
