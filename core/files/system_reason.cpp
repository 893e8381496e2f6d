#include "core/files/system_reason.h"

#include "core/texts.h"

#include <cerrno>
#include <cstring>

namespace core {

QString systemReason(int error)
{
    switch (error) {
    case ENOENT:
        return Texts::tr("no such file or folder");
    case EACCES:
    case EPERM:
        return Texts::tr("permission denied");
    case ENOSPC:
        return Texts::tr("no space left on the device");
#ifdef EDQUOT
    case EDQUOT:
        return Texts::tr("the disk quota is used up");
#endif
    case EROFS:
        return Texts::tr("the file system is read-only");
    case EISDIR:
        return Texts::tr("this is a folder");
    case ENOTDIR:
        return Texts::tr("a part of the path is not a folder");
    case ENAMETOOLONG:
        return Texts::tr("the name is too long");
    case ELOOP:
        return Texts::tr("too many symbolic links");
    case EIO:
        return Texts::tr("the device reported an input/output error");
    case EFBIG:
        return Texts::tr("the file is too large for the file system");
    case EMFILE:
    case ENFILE:
        return Texts::tr("too many files are open");
    case ENOMEM:
        return Texts::tr("not enough memory");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return Texts::tr("the file is in use");
    case EXDEV:
        return Texts::tr("the file cannot be moved to another file system");
    case EPIPE:
        return Texts::tr("the program reading from the pipe has closed it");
    case ENXIO:
        return Texts::tr("no program reads from the pipe");
    case EBADF:
        return Texts::tr("the stream is not open for writing");
    case EEXIST:
        return Texts::tr("the file exists already");
    case EINVAL:
        return Texts::tr("the device does not take this operation");
    default:
        // Rare enough that the system's own (English) words are better than none.
        return Texts::tr("system error %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace core
