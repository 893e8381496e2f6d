#include "core/files/temporary_file.h"
#include "core/texts.h"

#include "core/files/fs_path.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace core {

namespace {

// The names a signal handler may remove. Whoever takes a name out of its slot owns its memory:
// a file that is done frees it, the handler leaves it, since the process is ending.
std::array<std::atomic<char *>, 64> g_named;

} // namespace

void removeTemporaryFiles() noexcept
{
    for (auto &slot : g_named)
        if (char *name = slot.exchange(nullptr))
#if defined(Q_OS_WIN)
            _unlink(name);
#else
            unlink(name);
#endif
}

TemporaryFile::TemporaryFile(const QString &target)
    : m_target(target)
{}

TemporaryFile::~TemporaryFile()
{
    close();
    if (!m_named.isEmpty())
        QFile::remove(m_named);
    setNamed({});
}

void TemporaryFile::setNamed(const QString &name)
{
    if (m_registered) {
        for (auto &slot : g_named) {
            char *expected = m_registered;
            if (slot.compare_exchange_strong(expected, nullptr)) {
                delete[] m_registered;
                break;
            }
        }
        m_registered = nullptr;
    }
    m_named = name;
    if (name.isEmpty())
        return;
    const QByteArray encoded = QFile::encodeName(name);
    auto *copy = new char[std::size_t(encoded.size()) + 1];
    std::memcpy(copy, encoded.constData(), std::size_t(encoded.size()) + 1);
    // A run with more files at work than slots leaves the rest to the failure paths.
    for (auto &slot : g_named) {
        char *expected = nullptr;
        if (slot.compare_exchange_strong(expected, copy)) {
            m_registered = copy;
            return;
        }
    }
    delete[] copy;
}

QString TemporaryFile::newName() const
{
    return m_target + QStringLiteral(".%1~").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                 QLatin1Char('0'));
}

bool TemporaryFile::create()
{
#if defined(O_TMPFILE)
    // Linking an unnamed file into a folder goes through /proc; without it, a name it is.
    if (access("/proc/self/fd", X_OK) == 0) {
        const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
        const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_unnamed = QFile::open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
            if (m_unnamed)
                return true;
            ::close(fd);
        }
    }
#endif
    for (int attempt = 0; attempt < 16; ++attempt) {
        setFileName(newName());
        // NewOnly: never take over a file that someone else has just made; a name that is
        // taken is tried again with another, any other failure is final.
        if (QFile::open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            setNamed(fileName());
            return true;
        }
        if (!exists())
            return false;
    }
    setErrorString(Texts::tr("no free name for a temporary file"));
    return false;
}

void TemporaryFile::keepPermissionsOf(const QString &existing)
{
#if defined(Q_OS_LINUX)
    struct stat status;
    if (m_unnamed && ::stat(QFile::encodeName(existing).constData(), &status) == 0) {
        ::fchmod(handle(), status.st_mode & 07777);
        return;
    }
#endif
    setPermissions(QFile::permissions(existing));
}

QString TemporaryFile::replace()
{
    if (!flush())
        return errorString();
#if defined(O_TMPFILE)
    if (m_unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(handle());
        const auto link = [&](const QString &name) {
            return linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                          AT_SYMLINK_FOLLOW) == 0;
        };
        // A new target is linked in place at once; an old one is replaced through a name of
        // our own, since a link cannot replace a file.
        if (!QFileInfo::exists(m_target) && link(m_target)) {
            close();
            return {};
        }
        for (int attempt = 0; attempt < 16 && m_named.isEmpty(); ++attempt) {
            const QString name = newName();
            if (link(name))
                setNamed(name);
            else if (errno != EEXIST)
                return QString::fromLocal8Bit(std::strerror(errno));
        }
        if (m_named.isEmpty())
            return Texts::tr("no free name for a temporary file");
    }
#endif
    close();
    if (error() != QFileDevice::NoError)
        return errorString();
    std::error_code failure;
    std::filesystem::rename(fsPath(m_named), fsPath(m_target), failure);
    if (failure)
        return QString::fromLocal8Bit(failure.message());
    setNamed({});
    return {};
}

} // namespace core
