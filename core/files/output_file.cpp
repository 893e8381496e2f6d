#include "core/files/output_file.h"

#include "core/files/system_reason.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <mutex>
#include <optional>
#include <random>
#include <string>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

// The Windows branch is output_file_windows.cpp.

namespace core {

namespace {

Error cannotWrite(Message subject, Message reason)
{
    return Error{Error::Kind::CannotWrite, std::move(subject), std::move(reason)};
}

// The named temporary files at work, for a signal handler to remove: a list of any length,
// changed under a spin lock that the handler takes too. The thread that changes it holds the
// signals back meanwhile, so that the handler never spins on a lock its own thread holds.
struct NameNode
{
    const char *name = nullptr;
    NameNode *previous = nullptr;
    NameNode *next = nullptr;
};

std::atomic_flag g_namesLock = ATOMIC_FLAG_INIT;
NameNode *g_firstName = nullptr;

void lockNames() noexcept
{
    while (g_namesLock.test_and_set(std::memory_order_acquire)) {
    }
}

void unlockNames() noexcept
{
    g_namesLock.clear(std::memory_order_release);
}

class SignalsHeldBack
{
public:
    SignalsHeldBack()
    {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&interrupts, signal);
        pthread_sigmask(SIG_BLOCK, &interrupts, &m_was);
    }
    ~SignalsHeldBack() { pthread_sigmask(SIG_SETMASK, &m_was, nullptr); }

private:
    sigset_t m_was;
};

// A temporary name, listed for the signal handler from before the file is made until it has
// been renamed or removed.
class ListedName
{
public:
    explicit ListedName(std::string name)
        : m_name(std::move(name))
    {
        m_node.name = m_name.c_str();
        [[maybe_unused]] const SignalsHeldBack held;
        lockNames();
        m_node.next = g_firstName;
        if (g_firstName)
            g_firstName->previous = &m_node;
        g_firstName = &m_node;
        unlockNames();
    }

    ~ListedName()
    {
        [[maybe_unused]] const SignalsHeldBack held;
        lockNames();
        if (m_node.previous)
            m_node.previous->next = m_node.next;
        else
            g_firstName = m_node.next;
        if (m_node.next)
            m_node.next->previous = m_node.previous;
        unlockNames();
    }

    ListedName(const ListedName &) = delete;
    ListedName &operator=(const ListedName &) = delete;

    const std::string &name() const { return m_name; }

private:
    std::string m_name;
    NameNode m_node;
};

} // namespace

void removeTemporaryFiles() noexcept
{
    lockNames();
    for (NameNode *node = g_firstName; node; node = node->next)
        unlink(node->name);
    unlockNames();
}

namespace {

bool g_standardOutputClosed = false;

// Writes all bytes, through short writes and interruptions; 0 or the errno. A pipe whose reader
// has gone gives EPIPE, not the signal that would end the process without a word.
int writeAll(int fd, ByteView bytes)
{
    sigset_t pipeSignal, was;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &was);
    int failure = 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - done, std::size_t(1) << 30);
        const ssize_t written = ::write(fd, bytes.data() + done, piece);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failure = written < 0 ? errno : ENOSPC;
            break;
        }
        done += std::size_t(written);
    }
    if (failure == EPIPE) {
        // Take the signal this thread was sent, so that it is not delivered once unblocked.
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &was, nullptr);
    return failure;
}

struct Target
{
    std::string path; // the final target, links followed
    bool exists = false;
    struct stat status = {};
};

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// In a folder where anyone may make links and only their owners remove them (/tmp), another
// user's link may lead wherever they like, to a file only we may write. As the kernel's
// protected symlinks do, such a link is followed only when it is our own or the folder owner's.
// The kernel asks this only of an ordinary open, not of our resolving and renaming.
Message refusedLink(const std::string &link, const struct stat &status)
{
    if (status.st_uid == ::geteuid())
        return {};
    struct stat folder;
    if (::stat(folderOf(link).c_str(), &folder) != 0)
        return systemReason(errno);
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH) ||
        folder.st_uid == status.st_uid)
        return {};
    return message(VTR("core", "the link belongs to another user in a shared folder (sticky, "
                               "world-writable); it is not followed"));
}

// Follows the links the path's last part leads through; the reason when it cannot.
Message resolve(std::string path, Target &target)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno != ENOENT)
                return systemReason(errno);
            target = {path, false, {}};
            return {};
        }
        if (!S_ISLNK(status.st_mode)) {
            target = {path, true, status};
            return {};
        }
        if (Message refused = refusedLink(path, status); !refused.empty())
            return refused;
        std::string link(std::size_t(status.st_size > 0 ? status.st_size : 256), '\0');
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
            if (length < 0)
                return systemReason(errno);
            if (std::size_t(length) < link.size()) {
                link.resize(std::size_t(length));
                break;
            }
            link.resize(2 * link.size());
        }
        if (link.front() != '/') {
            const std::size_t slash = path.rfind('/');
            link.insert(0, slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
        }
        path = link;
    }
    return systemReason(ELOOP);
}

// A temporary file's name, beside the target so that it can be renamed over it, and hidden
// (.NAME.xxxxxxxx~) so that a glob over the folder never takes it. A long NAME is cut short,
// between characters, so that the name still fits.
std::string temporaryName(const std::string &target)
{
    thread_local std::mt19937 random{std::random_device{}()};
    static const char digits[] = "0123456789abcdef";
    std::string suffix = ".";
    for (std::uint32_t value = random(), i = 0; i < 8; ++i, value >>= 4)
        suffix += digits[value & 0xF];
    suffix += '~';
    const std::size_t slash = target.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string name = target.substr(start);
    std::size_t fits = NAME_MAX - 1 - suffix.size();
    if (name.size() > fits) {
        while (fits > 0 && (static_cast<unsigned char>(name[fits]) & 0xc0) == 0x80)
            --fits;
        name.resize(fits);
    }
    return target.substr(0, start) + '.' + name + suffix;
}

int closeChecked(int &fd)
{
    const int result = fd >= 0 ? ::close(fd) : 0;
    fd = -1;
    return result == 0 || errno == EINTR ? 0 : errno;
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~Descriptor() { closeChecked(m_fd); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    void reset(int fd)
    {
        closeChecked(m_fd);
        m_fd = fd;
    }
    int close() { return closeChecked(m_fd); }

private:
    int m_fd;
};

bool writable(const Target &target)
{
    // access() answers yes to root for any file; a file that nobody may write is still meant
    // to stay as it is.
    if (::geteuid() == 0)
        return (target.status.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) == 0;
}

int syncData(int fd)
{
#if defined(__linux__)
    return ::fdatasync(fd) == 0 ? 0 : errno;
#else
    return ::fsync(fd) == 0 ? 0 : errno;
#endif
}

// The folder's entry for the new file reaches the disk too, or a power cut could lose the name.
void syncFolder(const std::string &folder)
{
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// Where the system allows, the new file has no name until it is complete, so a process killed
// while writing leaves nothing behind; /proc gives the way to name it then.
int openUnnamed([[maybe_unused]] const std::string &folder)
{
#if defined(O_TMPFILE)
    static const bool procFd = ::access("/proc/self/fd", X_OK) == 0;
    if (procFd)
        return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#endif
    errno = EOPNOTSUPP;
    return -1;
}

std::mutex g_namingUnnamed;

int linkUnnamed(int fd, const std::string &name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                            : errno;
}

// A regular file, new or replaced: written whole beside the target, then put in its place.
Message replaceWhole(const Target &target, ByteView bytes, const WriteOptions &options)
{
    if (target.exists && !writable(target))
        return message(VTR("core", "the file is read-only"));
    const std::string folder = folderOf(target.path);

    Descriptor file(openUnnamed(folder));
    const bool unnamed = file.get() >= 0;
    std::optional<ListedName> named;
    if (!unnamed) {
        // Other systems, and file systems without unnamed files (the FAT of a memory card).
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOSPC:
            return systemReason(errno);
        default:
            break;
        }
        for (int attempt = 0; attempt < 16 && file.get() < 0; ++attempt) {
            named.emplace(temporaryName(target.path));
            file.reset(
                ::open(named->name().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (file.get() < 0) {
                const int failure = errno;
                named.reset();
                if (failure != EEXIST)
                    return systemReason(failure);
            }
        }
        if (file.get() < 0)
            return message(VTR("core", "no free name for a temporary file"));
    }
    // Whatever fails from here on, a named file goes again.
    struct Remover
    {
        std::optional<ListedName> &named;
        bool keep = false;
        ~Remover()
        {
            if (named && !keep)
                ::unlink(named->name().c_str());
        }
    } remover{named};

    if (const int failure = writeAll(file.get(), bytes))
        return systemReason(failure);
    if (target.exists) {
        // Owner first: changing it clears the set-id bits that the mode then restores.
        // Another's file keeps its owner where the system lets us, else at least its group.
        if (::fchown(file.get(), target.status.st_uid, target.status.st_gid) != 0 &&
            ::fchown(file.get(), uid_t(-1), target.status.st_gid) != 0) {
        }
        ::fchmod(file.get(), target.status.st_mode & 07777);
    }
    if (options.durability == Durability::Synced)
        if (const int failure = syncData(file.get()))
            return systemReason(failure);

    std::unique_lock turn(g_namingUnnamed, std::defer_lock);
    if (unnamed) {
        // A new target is linked in place at once; an old one is replaced through a name of
        // our own, since a link cannot replace a file.
        if (!target.exists) {
            const int failure = linkUnnamed(file.get(), target.path);
            if (failure == 0) {
                if (options.durability == Durability::Synced)
                    syncFolder(folder);
                return {};
            }
            if (failure != EEXIST)
                return systemReason(failure);
        }
        // From the link to the rename, a kill leaves the name behind. A link waits in the
        // kernel, unkillable, while another job renames in the folder, and is made when the
        // kill has come; the jobs take turns here instead, where a kill ends the wait at once.
        turn.lock();
        for (int attempt = 0; attempt < 16 && !named; ++attempt) {
            named.emplace(temporaryName(target.path));
            if (const int failure = linkUnnamed(file.get(), named->name())) {
                named.reset();
                if (failure != EEXIST)
                    return systemReason(failure);
            }
        }
        if (!named)
            return message(VTR("core", "no free name for a temporary file"));
    }
    // Some file systems report a failed write only when the file is closed.
    if (const int failure = file.close())
        return systemReason(failure);
    if (::rename(named->name().c_str(), target.path.c_str()) != 0)
        return systemReason(errno);
    remover.keep = true;
    if (turn.owns_lock())
        turn.unlock();
    if (options.durability == Durability::Synced)
        syncFolder(folder);
    return {};
}

// A device or a pipe takes the bytes as they come: it is never replaced, never truncated.
Message writeInPlace(const Target &target, ByteView bytes, const WriteOptions &options)
{
    const bool pipe = S_ISFIFO(target.status.st_mode);
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    int fd = -1;
    do {
        fd = ::open(target.path.c_str(),
                    pipe && !options.waitForReader ? flags | O_NONBLOCK : flags);
    } while (fd < 0 && errno == EINTR);
    Descriptor file(fd);
    if (fd < 0)
        return systemReason(errno);
    if (pipe && !options.waitForReader)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat opened;
    if (::fstat(fd, &opened) != 0)
        return systemReason(errno);
    if (!S_ISCHR(opened.st_mode) && !S_ISFIFO(opened.st_mode))
        return message(VTR("core", "the file changed while it was opened"));
    if (const int failure = writeAll(fd, bytes))
        return systemReason(failure);
    if (const int failure = file.close())
        return systemReason(failure);
    return {};
}

} // namespace

FileKind fileKind(const std::filesystem::path &path)
{
    struct stat status;
    if (path.empty() || ::stat(path.c_str(), &status) != 0)
        return FileKind::Missing;
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return FileKind::Folder;
    if (S_ISCHR(status.st_mode))
        return FileKind::CharacterDevice;
    if (S_ISFIFO(status.st_mode))
        return FileKind::Pipe;
    return FileKind::Other;
}

Expected<void> writeFile(const std::filesystem::path &path, ByteView bytes,
                         const WriteOptions &options)
{
    if (path.empty())
        return cannotWrite(subjectOf(path), {VTR("core", "no file name was given")});
    Target target;
    if (Message failure = resolve(path.native(), target); !failure.empty())
        return cannotWrite(subjectOf(path), std::move(failure));
    const mode_t mode = target.status.st_mode;
    Message failure;
    if (!target.exists || S_ISREG(mode))
        failure = replaceWhole(target, bytes, options);
    else if (S_ISCHR(mode) || S_ISFIFO(mode))
        failure = writeInPlace(target, bytes, options);
    else if (S_ISDIR(mode))
        failure = {VTR("core", "this is a folder")};
    else if (S_ISBLK(mode))
        failure = {VTR("core", "this is a block device (a disk or a partition), which is never "
                               "written")};
    else if (S_ISSOCK(mode))
        failure = {VTR("core", "this is a socket, which is never written")};
    else
        failure = {VTR("core", "this is not a file that can be written")};
    if (!failure.empty())
        return cannotWrite(subjectOf(path), std::move(failure));
    return {};
}

bool claimStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == STDOUT_FILENO)
            g_standardOutputClosed = true;
        // The lowest free slot is this one: the null device holds it.
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    return !g_standardOutputClosed;
}

Expected<void> writeStandardOutput(ByteView bytes)
{
    const Message name{VTR("core", "standard output")};
    if (g_standardOutputClosed)
        return cannotWrite(name, {VTR("core", "standard output is closed")});
    if (const int failure = writeAll(STDOUT_FILENO, bytes))
        return cannotWrite(name, systemReason(failure));
    return {};
}

} // namespace core
