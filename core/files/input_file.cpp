#include "core/files/input_file.h"

#include "core/files/system_reason.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The Windows branch is input_file_windows.cpp.
namespace core {

namespace {

Error cannotRead(const std::filesystem::path &path, Message reason)
{
    return Error{Error::Kind::CannotRead, subjectOf(path), std::move(reason)};
}

// Closes the file however the reading ends.
struct Descriptor
{
    int fd;
    ~Descriptor() { ::close(fd); }
};

} // namespace

Expected<Bytes> readWholeFile(const std::filesystem::path &path, std::int64_t limit,
                              std::int64_t *sizeFound)
{
    if (path.empty())
        return cannotRead(path, {VTR("core", "no file name was given")});
    // Opened without waiting and judged by what was opened, not by a look beforehand: a pipe
    // or a device could feed the reader without end, or keep it waiting for a writer.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return cannotRead(path, errno == ENOENT ? Message{VTR("core", "no such file")}
                                                : systemReason(errno));
    const Descriptor file{fd};
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return cannotRead(path, systemReason(errno));
    if (S_ISDIR(status.st_mode))
        return cannotRead(path, {VTR("core", "this is a folder, not a picture file")});
    if (!S_ISREG(status.st_mode))
        return cannotRead(path, {VTR("core", "this is not a regular file")});
    if (sizeFound)
        *sizeFound = status.st_size;
    if (status.st_size > limit)
        return cannotRead(path, message(VTR("core", "the file is too large (%1 bytes)"),
                                        std::int64_t(status.st_size)));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    // Up to the limit, whatever the size said: the file may grow while it is read. The bytes
    // past what was read are never looked at: the buffer is cut to what was read.
    Bytes bytes(std::size_t(status.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (std::int64_t(bytes.size()) > limit) {
                if (sizeFound)
                    *sizeFound = std::int64_t(bytes.size());
                return cannotRead(path, {VTR("core", "the file is too large")});
            }
            bytes.resize(
                std::size_t(std::min<std::int64_t>(2 * std::int64_t(bytes.size()), limit + 1)));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return cannotRead(path, systemReason(errno));
        if (got == 0)
            break;
        filled += std::size_t(got);
    }
    if (filled == 0)
        return cannotRead(path, {VTR("core", "the file is empty")});
    bytes.resize(filled);
    return bytes;
}

} // namespace core
