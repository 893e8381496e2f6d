#include "core/files/input_file.h"

#include "core/files/native_path.h"
#include "core/files/system_reason.h"
#include "core/texts.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>

#if defined(Q_OS_WIN)
#include <QFile>
#include <QFileInfo>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace core {

namespace {

Error cannotRead(const QString &name, const QString &reason)
{
    return Error{Error::Kind::CannotRead, name, reason};
}

} // namespace

#if defined(Q_OS_WIN)
Expected<QByteArray> readWholeFile(const QString &path, qint64 limit, qint64 *sizeFound)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return cannotRead(path, Texts::tr("no file name was given"));
    if (!info.exists())
        return cannotRead(path, Texts::tr("no such file"));
    if (info.isDir())
        return cannotRead(path, Texts::tr("this is a folder, not a picture file"));
    if (!info.isFile())
        return cannotRead(path, Texts::tr("this is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cannotRead(path, file.errorString());
    if (sizeFound)
        *sizeFound = file.size();
    if (file.size() > limit)
        return cannotRead(path, Texts::tr("the file is too large (%1 bytes)").arg(file.size()));
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return cannotRead(path, file.errorString());
    if (bytes.size() > limit) {
        if (sizeFound)
            *sizeFound = bytes.size();
        return cannotRead(path, Texts::tr("the file is too large"));
    }
    if (bytes.isEmpty())
        return cannotRead(path, Texts::tr("the file is empty"));
    return bytes;
}
#else
Expected<QByteArray> readWholeFile(const QString &path, qint64 limit, qint64 *sizeFound)
{
    if (path.isEmpty())
        return cannotRead(path, Texts::tr("no file name was given"));
    // Opened without waiting and judged by what was opened, not by a look beforehand: a pipe
    // or a device could feed the reader without end, or keep it waiting for a writer.
    int fd = -1;
    do {
        fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return cannotRead(path, errno == ENOENT ? Texts::tr("no such file") : systemReason(errno));
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return cannotRead(path, systemReason(errno));
    if (S_ISDIR(status.st_mode))
        return cannotRead(path, Texts::tr("this is a folder, not a picture file"));
    if (!S_ISREG(status.st_mode))
        return cannotRead(path, Texts::tr("this is not a regular file"));
    if (sizeFound)
        *sizeFound = status.st_size;
    if (status.st_size > limit)
        return cannotRead(path, Texts::tr("the file is too large (%1 bytes)").arg(status.st_size));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    // Up to the limit, whatever the size said: the file may grow while it is read.
    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > limit) {
                if (sizeFound)
                    *sizeFound = bytes.size();
                return cannotRead(path, Texts::tr("the file is too large"));
            }
            bytes.resize(std::min<qsizetype>(2 * bytes.size(), limit + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, std::size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return cannotRead(path, systemReason(errno));
        if (got == 0)
            break;
        filled += got;
    }
    if (filled == 0)
        return cannotRead(path, Texts::tr("the file is empty"));
    bytes.truncate(filled);
    return bytes;
}
#endif

} // namespace core
