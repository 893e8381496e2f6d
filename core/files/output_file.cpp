#include "core/files/output_file.h"

#include "core/files/native_path.h"
#include "core/files/system_reason.h"
#include "core/texts.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>

#if defined(Q_OS_WIN)
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <io.h>
#else
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace core {

namespace {

Error cannotWrite(const QString &path, const QString &reason)
{
    return Error{Error::Kind::CannotWrite, path, reason};
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
#if defined(Q_OS_WIN)
    SignalsHeldBack() = default; // the console's handler runs on a thread of its own
#else
    SignalsHeldBack()
    {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&interrupts, signal);
        pthread_sigmask(SIG_BLOCK, &interrupts, &m_was);
    }
    ~SignalsHeldBack()
    {
        pthread_sigmask(SIG_SETMASK, &m_was, nullptr);
    }

private:
    sigset_t m_was;
#endif
};

// A temporary name, listed for the signal handler from before the file is made until it has
// been renamed or removed.
class ListedName
{
public:
    explicit ListedName(QByteArray name)
        : m_name(std::move(name))
    {
        m_node.name = m_name.constData();
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

    const QByteArray &name() const { return m_name; }

private:
    QByteArray m_name;
    NameNode m_node;
};

} // namespace

void removeTemporaryFiles() noexcept
{
    lockNames();
    for (NameNode *node = g_firstName; node; node = node->next)
#if defined(Q_OS_WIN)
        _unlink(node->name);
#else
        unlink(node->name);
#endif
    unlockNames();
}

#if !defined(Q_OS_WIN)

namespace {

bool g_standardOutputClosed = false;

// Writes all bytes, through short writes and interruptions; 0 or the errno. A pipe whose reader
// has gone gives EPIPE, not the signal that would end the process without a word.
int writeAll(int fd, std::span<const std::uint8_t> bytes)
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
    QByteArray path; // the final target, links followed
    bool exists = false;
    struct stat status = {};
};

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// In a folder where anyone may make links and only their owners remove them (/tmp), another
// user's link may lead wherever they like, to a file only we may write. As the kernel's
// protected symlinks do, such a link is followed only when it is our own or the folder owner's.
// The kernel asks this only of an ordinary open, not of our resolving and renaming.
QString refusedLink(const QByteArray &link, const struct stat &status)
{
    if (status.st_uid == ::geteuid())
        return {};
    struct stat folder;
    if (::stat(folderOf(link).constData(), &folder) != 0)
        return systemReason(errno);
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH) ||
        folder.st_uid == status.st_uid)
        return {};
    return Texts::tr("the link belongs to another user in a shared folder (sticky, "
                     "world-writable); it is not followed");
}

// Follows the links the path's last part leads through; the reason when it cannot.
QString resolve(QByteArray path, Target &target)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (::lstat(path.constData(), &status) != 0) {
            if (errno != ENOENT)
                return systemReason(errno);
            target = {path, false, {}};
            return {};
        }
        if (!S_ISLNK(status.st_mode)) {
            target = {path, true, status};
            return {};
        }
        if (const QString refused = refusedLink(path, status); !refused.isEmpty())
            return refused;
        QByteArray link(qsizetype(status.st_size > 0 ? status.st_size : 256), '\0');
        for (;;) {
            const ssize_t length =
                ::readlink(path.constData(), link.data(), std::size_t(link.size()));
            if (length < 0)
                return systemReason(errno);
            if (length < link.size()) {
                link.truncate(length);
                break;
            }
            link.resize(2 * link.size());
        }
        if (!link.startsWith('/'))
            link.prepend(path.left(path.lastIndexOf('/') + 1));
        path = link;
    }
    return systemReason(ELOOP);
}

// A temporary file's name, beside the target so that it can be renamed over it, and hidden
// (.NAME.xxxxxxxx~) so that a glob over the folder never takes it. A long NAME is cut short,
// between characters, so that the name still fits.
QByteArray temporaryName(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray suffix =
        '.' +
        QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0') + '~';
    QByteArray name = target.mid(slash + 1);
    qsizetype fits = NAME_MAX - 1 - suffix.size();
    if (name.size() > fits) {
        while (fits > 0 && (static_cast<unsigned char>(name[fits]) & 0xc0) == 0x80)
            --fits;
        name.truncate(fits);
    }
    return target.left(slash + 1) + '.' + name + suffix;
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
    return ::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) == 0;
}

int syncData(int fd)
{
#if defined(Q_OS_LINUX)
    return ::fdatasync(fd) == 0 ? 0 : errno;
#else
    return ::fsync(fd) == 0 ? 0 : errno;
#endif
}

// The folder's entry for the new file reaches the disk too, or a power cut could lose the name.
void syncFolder(const QByteArray &folder)
{
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// Where the system allows, the new file has no name until it is complete, so a process killed
// while writing leaves nothing behind; /proc gives the way to name it then.
int openUnnamed([[maybe_unused]] const QByteArray &folder)
{
#if defined(O_TMPFILE)
    static const bool procFd = ::access("/proc/self/fd", X_OK) == 0;
    if (procFd)
        return ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#endif
    errno = EOPNOTSUPP;
    return -1;
}

std::mutex g_namingUnnamed;

int linkUnnamed(int fd, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
}

// A regular file, new or replaced: written whole beside the target, then put in its place.
QString replaceWhole(const Target &target, std::span<const std::uint8_t> bytes,
                     const WriteOptions &options)
{
    if (target.exists && !writable(target))
        return Texts::tr("the file is read-only");
    const QByteArray folder = folderOf(target.path);

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
                ::open(named->name().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (file.get() < 0) {
                const int failure = errno;
                named.reset();
                if (failure != EEXIST)
                    return systemReason(failure);
            }
        }
        if (file.get() < 0)
            return Texts::tr("no free name for a temporary file");
    }
    // Whatever fails from here on, a named file goes again.
    struct Remover
    {
        std::optional<ListedName> &named;
        bool keep = false;
        ~Remover()
        {
            if (named && !keep)
                ::unlink(named->name().constData());
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
            return Texts::tr("no free name for a temporary file");
    }
    // Some file systems report a failed write only when the file is closed.
    if (const int failure = file.close())
        return systemReason(failure);
    if (::rename(named->name().constData(), target.path.constData()) != 0)
        return systemReason(errno);
    remover.keep = true;
    if (turn.owns_lock())
        turn.unlock();
    if (options.durability == Durability::Synced)
        syncFolder(folder);
    return {};
}

// A device or a pipe takes the bytes as they come: it is never replaced, never truncated.
QString writeInPlace(const Target &target, std::span<const std::uint8_t> bytes,
                     const WriteOptions &options)
{
    const bool pipe = S_ISFIFO(target.status.st_mode);
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    int fd = -1;
    do {
        fd = ::open(target.path.constData(),
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
        return Texts::tr("the file changed while it was opened");
    if (const int failure = writeAll(fd, bytes))
        return systemReason(failure);
    if (const int failure = file.close())
        return systemReason(failure);
    return {};
}

} // namespace

FileKind fileKind(const QString &path)
{
    struct stat status;
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &status) != 0)
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

Expected<void> writeFile(const QString &path, std::span<const std::uint8_t> bytes,
                         const WriteOptions &options)
{
    if (path.isEmpty())
        return cannotWrite(path, Texts::tr("no file name was given"));
    Target target;
    if (const QString failure = resolve(nativePath(path), target); !failure.isEmpty())
        return cannotWrite(path, failure);
    const mode_t mode = target.status.st_mode;
    QString failure;
    if (!target.exists || S_ISREG(mode))
        failure = replaceWhole(target, bytes, options);
    else if (S_ISCHR(mode) || S_ISFIFO(mode))
        failure = writeInPlace(target, bytes, options);
    else if (S_ISDIR(mode))
        failure = Texts::tr("this is a folder");
    else if (S_ISBLK(mode))
        failure = Texts::tr("this is a block device (a disk or a partition), which is never "
                            "written");
    else if (S_ISSOCK(mode))
        failure = Texts::tr("this is a socket, which is never written");
    else
        failure = Texts::tr("this is not a file that can be written");
    if (!failure.isEmpty())
        return cannotWrite(path, failure);
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

Expected<void> writeStandardOutput(std::span<const std::uint8_t> bytes)
{
    const QString name = Texts::tr("standard output");
    if (g_standardOutputClosed)
        return cannotWrite(name, Texts::tr("standard output is closed"));
    if (const int failure = writeAll(STDOUT_FILENO, bytes))
        return cannotWrite(name, systemReason(failure));
    return {};
}

#else // Windows: Qt's own atomic save, and the devices its names stand for written in place

namespace {

bool g_standardOutputClosed = false;

bool isDeviceName(const QString &path)
{
    if (path.startsWith(u"\\\\.\\") || path.startsWith(u"//./"))
        return true;
    static const QStringList devices{"CON", "PRN", "AUX", "NUL"};
    const QString base = QFileInfo(path).completeBaseName().toUpper();
    return devices.contains(base) || ((base.startsWith(u"COM") || base.startsWith(u"LPT")) &&
                                      base.size() == 4 && base.back().isDigit());
}

} // namespace

FileKind fileKind(const QString &path)
{
    const QFileInfo info(path);
    if (isDeviceName(path))
        return FileKind::CharacterDevice;
    if (!info.exists())
        return FileKind::Missing;
    return info.isDir() ? FileKind::Folder : info.isFile() ? FileKind::Regular : FileKind::Other;
}

Expected<void> writeFile(const QString &path, std::span<const std::uint8_t> bytes,
                         const WriteOptions &)
{
    if (path.isEmpty())
        return cannotWrite(path, Texts::tr("no file name was given"));
    const auto size = qint64(bytes.size());
    const auto *data = reinterpret_cast<const char *>(bytes.data());
    switch (fileKind(path)) {
    case FileKind::CharacterDevice: {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly | QIODevice::ExistingOnly) ||
            device.write(data, size) != size || !device.flush())
            return cannotWrite(path, device.errorString());
        return {};
    }
    case FileKind::Folder:
        return cannotWrite(path, Texts::tr("this is a folder"));
    case FileKind::Other:
        return cannotWrite(path, Texts::tr("this is not a file that can be written"));
    default:
        break;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(path, file.errorString());
    if (file.write(data, size) != size) {
        file.flush();
        const QString reason = file.errorString();
        file.cancelWriting();
        return cannotWrite(path, reason);
    }
    if (!file.commit())
        return cannotWrite(path, file.errorString());
    return {};
}

bool claimStandardStreams()
{
    g_standardOutputClosed = _get_osfhandle(1) == -1;
    return !g_standardOutputClosed;
}

Expected<void> writeStandardOutput(std::span<const std::uint8_t> bytes)
{
    const QString name = Texts::tr("standard output");
    if (g_standardOutputClosed)
        return cannotWrite(name, Texts::tr("standard output is closed"));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const unsigned piece = unsigned(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int written = _write(1, bytes.data() + done, piece);
        if (written <= 0)
            return cannotWrite(name, systemReason(written < 0 ? errno : ENOSPC));
        done += std::size_t(written);
    }
    return {};
}

#endif

} // namespace core
