#include "paths.h"

#include "core/message.h"
#include "resources/texts/texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdint>
#include <cstdlib>

#if defined(Q_OS_WIN)
#include <QFileInfo>

#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte of 0x80 or more

#if !defined(Q_OS_WIN)
// Unix names are bytes: those that are not UTF-8 travel in QString as escapes of their own.
QString fromNative(QByteArrayView bytes)
{
    const std::string_view view(bytes.data(), std::size_t(bytes.size()));
    const qsizetype n = bytes.size();
    QString path;
    path.reserve(n);
    qsizetype at = 0;
    while (at < n) {
        const auto length = qsizetype(core::utf8Length(view, std::size_t(at)));
        if (length == 0) {
            path += QChar(char16_t(kEscapeBase + std::uint8_t(view[std::size_t(at)])));
            ++at;
            continue;
        }
        path += QString::fromUtf8(bytes.sliced(at, length));
        at += length;
    }
    return path;
}

QByteArray toNative(const QString &path)
{
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
}
#endif

} // namespace

QStringList commandLineArguments([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
#if defined(Q_OS_WIN)
    return QCoreApplication::arguments();
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fromNative(argv[i]);
    return arguments;
#endif
}

QString displayPath(const QString &name)
{
    QString shown;
    for (const QChar c : QDir::toNativeSeparators(name)) {
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
        ::lstat(toNative(path).constData(), &status) == 0)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    const QString parent = slash < 0 ? QString() : recoverLossyPath(path.left(slash));
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : toNative(parent.isEmpty() ? QStringLiteral("/") : parent);
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return path;
    QString found;
    int matches = 0;
    while (const dirent *entry = ::readdir(listing)) {
        // Qt's own decoding, the one that made the lossy name.
        if (QFile::decodeName(entry->d_name) == name) {
            found = fromNative(entry->d_name);
            ++matches;
        }
    }
    ::closedir(listing);
    if (matches != 1)
        return path;
    return slash < 0 ? found : parent + u'/' + found;
#endif
}

std::filesystem::path toPath(const QString &name)
{
#if defined(Q_OS_WIN)
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(toNative(name).toStdString());
#endif
}

QString fromPath(const std::filesystem::path &path)
{
#if defined(Q_OS_WIN)
    return QString::fromStdWString(path.native());
#else
    return fromNative(QByteArrayView(path.native().data(), qsizetype(path.native().size())));
#endif
}

QString driveFolderVariable(const QString &current, const QString &folder)
{
    const auto drive = [](const QString &path) {
        return path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter()
                   ? path.at(0).toUpper()
                   : QChar();
    };
    const QChar target = drive(folder);
    if (target.isNull() || drive(current) == target)
        return {};
    return QStringLiteral("=%1:").arg(target);
}

bool makeCurrentOfItsDrive(const QString &folder)
{
    const QString variable = driveFolderVariable(QDir::currentPath(), folder);
    if (variable.isEmpty())
        return QDir::setCurrent(folder);
#if defined(Q_OS_WIN)
    if (!QFileInfo(folder).isDir())
        return false;
    return SetEnvironmentVariableW(
               reinterpret_cast<const wchar_t *>(variable.utf16()),
               reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(folder).utf16())) != 0;
#else
    return false; // no drives here
#endif
}

QString said(const core::Message &message)
{
    return QString::fromStdString(texts::worded(message, texts::Language::Japanese));
}

QString subjectOf(const core::Error &error)
{
    return said(error.subject);
}

QString reasonOf(const core::Error &error)
{
    const QString reason = said(error.reason);
    if (error.frame == 0)
        return reason;
    const QString frame = said(core::message(VTR("core", "frame %1"), error.frame));
    return reason.isEmpty() ? frame : frame + QStringLiteral(": ") + reason;
}

bool installQtTranslations(const QLocale &locale)
{
    // Installed for the rest of the program's life. Without Qt's translations (a separate
    // package) its words stay English.
    static QTranslator qts;
    if (!qts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&qts);
    return true;
}

} // namespace platform
