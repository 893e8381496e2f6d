#include "core/files/bin_file.h"

#include "core/files/temporary_file.h"
#include "core/texts.h"

#include <QFileInfo>
#include <QSaveFile>

namespace core {

namespace {

Error cannotWrite(const QString &path, const QString &reason)
{
    return Error{Error::Kind::CannotWrite, path, reason};
}

// A short write can come back before the device has been told why; a flush makes the system
// say it ("No space left on device") instead of "Unknown error".
QString writeFailure(QFileDevice &file)
{
    if (file.error() == QFileDevice::NoError)
        file.flush();
    if (file.error() == QFileDevice::NoError)
        return Texts::tr("not all bytes could be written");
    return file.errorString();
}

Expected<void> writeSynced(const QString &path, std::span<const std::uint8_t> bin)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(path, file.errorString());

    // QIODevice::write takes a 64-bit length, so one call covers any buffer.
    const auto size = qint64(bin.size());
    if (file.write(reinterpret_cast<const char *>(bin.data()), size) != size) {
        const QString reason = writeFailure(file);
        file.cancelWriting();
        return cannotWrite(path, reason);
    }
    // commit() syncs the data to the disk before it renames.
    if (!file.commit())
        return cannotWrite(path, file.errorString());
    return {};
}

// What QSaveFile does, less the sync: a fresh file beside the target, renamed over it. The
// rename is atomic on the same volume, so a reader sees the old file or the new one.
Expected<void> writeUnsynced(const QString &path, std::span<const std::uint8_t> bin)
{
    if (path.isEmpty())
        return cannotWrite(path, Texts::tr("no file name was given"));
    const QFileInfo given(path);
    const QString target = given.isSymLink() && given.exists() ? given.canonicalFilePath() : path;
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isDir() && !existing.isWritable())
        return cannotWrite(path, Texts::tr("the existing file is not writable"));

    TemporaryFile temp(target);
    if (!temp.create())
        return cannotWrite(path, temp.errorString());
    const auto size = qint64(bin.size());
    if (temp.write(reinterpret_cast<const char *>(bin.data()), size) != size)
        return cannotWrite(path, writeFailure(temp));
    if (existing.exists() && !existing.isDir())
        temp.keepPermissionsOf(target);
    if (const QString failure = temp.replace(); !failure.isEmpty())
        return cannotWrite(path, failure);
    return {};
}

} // namespace

Expected<void> writeBinFile(const QString &path, std::span<const std::uint8_t> bin,
                            Durability durability)
{
    if (bin.empty())
        return Error{Error::Kind::NothingConverted, path, {}};
    return durability == Durability::Synced ? writeSynced(path, bin) : writeUnsynced(path, bin);
}

} // namespace core
