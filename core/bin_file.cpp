#include "bin_file.h"

#include <QSaveFile>

namespace core {

Expected<void> writeBinFile(const QString &path, std::span<const std::uint8_t> bin)
{
    if (bin.empty())
        return Error{Error::Kind::NothingConverted, path, {}};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{Error::Kind::CannotWrite, path, file.errorString()};

    // QIODevice::write takes a 64-bit length, so one call covers any buffer.
    const auto size = qint64(bin.size());
    if (file.write(reinterpret_cast<const char *>(bin.data()), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error{Error::Kind::CannotWrite, path, reason};
    }
    if (!file.commit())
        return Error{Error::Kind::CannotWrite, path, file.errorString()};
    return {};
}

} // namespace core
