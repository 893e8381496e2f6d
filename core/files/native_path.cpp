#include "core/files/native_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

#if defined(Q_OS_WIN)
#include <QFileInfo>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace core {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte of 0x80 or more

bool isContinuation(std::uint8_t byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 (RFC 3629: no overlong forms, no
// surrogates, nothing past U+10FFFF).
int sequenceLength(const std::uint8_t *d, qsizetype at, qsizetype n)
{
    const std::uint8_t b = d[at];
    int length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // the range of the second byte
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        length = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > n || d[at + 1] < low || d[at + 1] > high)
        return 0;
    for (int k = 2; k < length; ++k)
        if (!isContinuation(d[at + k]))
            return 0;
    return length;
}

} // namespace

QString pathFromNative(QByteArrayView bytes)
{
    const auto *d = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const qsizetype n = bytes.size();
    QString path;
    path.reserve(n);
    qsizetype at = 0;
    while (at < n) {
        const int length = sequenceLength(d, at, n);
        if (length == 0) {
            path += QChar(char16_t(kEscapeBase + d[at]));
            ++at;
            continue;
        }
        path += QString::fromUtf8(bytes.sliced(at, length));
        at += length;
    }
    return path;
}

QStringList commandLineArguments([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
#if defined(Q_OS_WIN)
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << pathFromNative(argv[i]);
    return arguments;
#endif
}

QByteArray nativePath(const QString &path)
{
#if defined(Q_OS_WIN)
    return path.toUtf8();
#else
    QByteArray bytes;
    bytes.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path.at(i).unicode();
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            bytes += char(c - kEscapeBase);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && path.at(i + 1).isLowSurrogate()) {
            bytes += path.sliced(i, 2).toUtf8();
            ++i;
        } else {
            bytes += QStringView(&path.data()[i], 1).toUtf8();
        }
    }
    return bytes;
#endif
}

std::filesystem::path fsPath(const QString &path)
{
#if defined(Q_OS_WIN)
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(nativePath(path).toStdString());
#endif
}

QString canonicalPath(const QString &path)
{
#if defined(Q_OS_WIN)
    return QFileInfo(path).canonicalFilePath();
#else
    char *resolved = ::realpath(nativePath(path).constData(), nullptr);
    if (!resolved)
        return {};
    const QString canonical = pathFromNative(resolved);
    std::free(resolved);
    return canonical;
#endif
}

QString displayPath(const QString &path)
{
    QString shown;
    for (const QChar c : QDir::toNativeSeparators(path)) {
        const char16_t u = c.unicode();
        if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF)
            shown +=
                QStringLiteral("\\x%1").arg(unsigned(u - kEscapeBase), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString recoverLossyPath(const QString &path)
{
#if defined(Q_OS_WIN)
    return path;
#else
    struct stat status;
    if (!path.contains(QChar::ReplacementCharacter) ||
        ::lstat(nativePath(path).constData(), &status) == 0)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    const QString parent = slash < 0 ? QString() : recoverLossyPath(path.left(slash));
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : nativePath(parent.isEmpty() ? QStringLiteral("/") : parent);
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return path;
    QString found;
    int matches = 0;
    while (const dirent *entry = ::readdir(listing)) {
        // Qt's own decoding, the one that made the lossy name.
        if (QFile::decodeName(entry->d_name) == name) {
            found = pathFromNative(entry->d_name);
            ++matches;
        }
    }
    ::closedir(listing);
    if (matches != 1)
        return path;
    return slash < 0 ? found : parent + u'/' + found;
#endif
}

} // namespace core
