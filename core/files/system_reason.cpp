#include "core/files/system_reason.h"

#include "core/message.h"

#include <cerrno>
#include <cstring>

namespace core {

Message systemReason(int error)
{
    switch (error) {
    case ENOENT:
        return message(VTR("core", "no such file or folder"));
    case EACCES:
    case EPERM:
        return message(VTR("core", "permission denied"));
    case ENOSPC:
        return message(VTR("core", "no space left on the device"));
#ifdef EDQUOT
    case EDQUOT:
        return message(VTR("core", "the disk quota is used up"));
#endif
    case EROFS:
        return message(VTR("core", "the file system is read-only"));
    case EISDIR:
        return message(VTR("core", "this is a folder"));
    case ENOTDIR:
        return message(VTR("core", "a part of the path is not a folder"));
    case ENAMETOOLONG:
        return message(VTR("core", "the name is too long"));
    case ELOOP:
        return message(VTR("core", "too many symbolic links"));
    case EIO:
        return message(VTR("core", "the device reported an input/output error"));
    case EFBIG:
        return message(VTR("core", "the file is too large for the file system"));
    case EMFILE:
    case ENFILE:
        return message(VTR("core", "too many files are open"));
    case ENOMEM:
        return message(VTR("core", "not enough memory"));
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return message(VTR("core", "the file is in use"));
    case EXDEV:
        return message(VTR("core", "the file cannot be moved to another file system"));
    case EPIPE:
        return message(VTR("core", "the program reading from the pipe has closed it"));
    case ENXIO:
        return message(VTR("core", "no program reads from the pipe"));
    case EBADF:
        return message(VTR("core", "the stream is not open for writing"));
    case EEXIST:
        return message(VTR("core", "the file exists already"));
    case EINVAL:
        return message(VTR("core", "the device does not take this operation"));
    default:
        // Rare enough that the system's own (English) words are better than none.
        return message(VTR("core", "system error %1 (%2)"), error, std::strerror(error));
    }
}

} // namespace core
