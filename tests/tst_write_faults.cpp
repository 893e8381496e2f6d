// The writers: every output of the command line onto every kind of target, and the core's BIN
// and BMP writers: the exact file when all goes well, and when it does not (nothing to
// write, a folder that cannot be written, a full volume, a name taken by a folder, a file that
// may not be replaced) an error that names the file and the reason, with the folder left as it
// was: no partial file, no temporary, an old file byte for byte. The command line's test kills
// the writers mid-write.
#include "core/files/bin_file.h"
#include "core/files/bitmap_file.h"
#include "support.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <thread>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/inotify.h>
#include <sys/mount.h>
#endif

namespace {

// About `kib` KiB from the writer, of a picture of rows of 256 pixels: its BIN or its bitmap.
core::Expected<void> write(const QString &writer, const QString &path, int kib)
{
    const QImage picture = testing::patternPicture(256, kib * 4 / 3);
    if (writer == u"BMP")
        return core::saveBitmap(testing::fs(path), testing::storeOf(picture));
    const QByteArray bin = testing::expectedBin(picture);
    return core::writeBinFile(
        testing::fs(path),
        {reinterpret_cast<const std::uint8_t *>(bin.data()), std::size_t(bin.size())},
        {writer == u"BIN" ? core::Durability::Synced : core::Durability::Unsynced});
}

bool holdsTheNewFile(const QString &writer, const QString &path, int kib)
{
    const QByteArray file = testing::readAll(path);
    const QImage picture = testing::patternPicture(256, kib * 4 / 3);
    // A bitmap's sizes agree with the file: its own, where its pixels start, their bytes.
    const auto field = [&](qsizetype at) {
        const QByteArray bytes = file.mid(at, 4);
        quint32 value = 0;
        for (qsizetype i = bytes.size(); i-- > 0;)
            value = value << 8 | quint8(bytes[i]);
        return value;
    };
    return writer == u"BMP"
               ? file.size() > 54 && field(2) == quint32(file.size()) && field(10) == 54 &&
                     field(34) == quint32(file.size() - 54) && file[28] == 24 && // bits a pixel
                     QImage::fromData(file).convertToFormat(QImage::Format_RGB32) == picture
               : file == testing::expectedBin(picture);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The command line's arguments that make each of its writers write to `target`.
QStringList writing(const QString &writer, const QString &target)
{
    if (writer == u"preview")
        return {"--preview", target, "-o", "x.BIN", "a.bmp"};
    if (writer == u"C")
        return {"--format", "c", "-o", target, "a.bmp"};
    if (writer == u"from-bin")
        return {"--from-bin", "3x2", "-o", target, "c.BIN"};
    return {"-o", target, "a.bmp"};
}

// What is compared of an output: all of it, but of C source its array's elements only, since
// the rest names the file (its header, or none for a device).
QByteArray essence(const QByteArray &bytes)
{
    const qsizetype from = bytes.indexOf("= {");
    return from < 0 ? bytes : bytes.mid(from, bytes.indexOf("};", from) - from);
}

#if defined(Q_OS_UNIX)
// What `path` is and holds: "file", "link to file", "character device", "pipe", "folder",
// with ": new" or ": old" for a file that holds `fresh` or `old`, or ": new inside" for a
// folder with one such file.
QString describe(const QString &path, const QByteArray &fresh, const QByteArray &old)
{
    struct stat status;
    const QByteArray native = QFile::encodeName(path);
    if (lstat(native.constData(), &status) != 0)
        return QStringLiteral("nothing");
    QString kind;
    if (S_ISLNK(status.st_mode)) {
        kind = QStringLiteral("link to ");
        if (stat(native.constData(), &status) != 0)
            return kind + QStringLiteral("nothing");
    }
    const auto held = [&](const QByteArray &bytes) {
        return essence(bytes) == essence(fresh) ? QStringLiteral(": new")
               : bytes == old                   ? QStringLiteral(": old")
                                                : QStringLiteral(": other");
    };
    if (S_ISREG(status.st_mode))
        return kind + QStringLiteral("file") + held(testing::readAll(path));
    if (S_ISCHR(status.st_mode))
        return kind + QStringLiteral("character device");
    if (S_ISFIFO(status.st_mode))
        return kind + QStringLiteral("pipe");
    QStringList inside = entries(path);
    inside.removeIf([](const QString &name) { return name.endsWith(".h"); });
    return kind + QStringLiteral("folder") +
           (inside.size() == 1 ? held(testing::readAll(path + u'/' + inside[0])) + " inside" : "");
}
#endif

} // namespace

class tst_WriteFaults : public QObject
{
    Q_OBJECT

    // Steps that undo a situation's set-up, run when the test function ends, failed or not.
    std::vector<std::function<void()>> m_undo;

    // Only root can mount; false for anyone else, and on other systems.
    bool mountOver([[maybe_unused]] const QString &path, [[maybe_unused]] const char *type,
                   [[maybe_unused]] unsigned long flags, [[maybe_unused]] const char *options)
    {
#if defined(Q_OS_LINUX)
        const QByteArray where = QFile::encodeName(path);
        if (mount(flags & MS_BIND ? where.constData() : type, where.constData(), type, flags,
                  options) != 0)
            return false;
        m_undo.push_back([where] { umount2(where.constData(), MNT_DETACH); });
        return true;
#else
        return false;
#endif
    }

    // Root writes through permissions, so as root a read-only folder or file is a read-only
    // bind mount of itself. False where that cannot be had.
    bool makeReadOnly(const QString &path)
    {
#if defined(Q_OS_LINUX)
        if (geteuid() == 0)
            return mountOver(path, nullptr, MS_BIND, nullptr) &&
                   mount(nullptr, QFile::encodeName(path).constData(), nullptr,
                         MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
#endif
        const QFile::Permissions was = QFile::permissions(path);
        m_undo.push_back([path, was] { QFile::setPermissions(path, was); });
        return QFile::setPermissions(path, was & ~(QFile::WriteOwner | QFile::WriteUser));
    }

private slots:
    // Every writer of the command line onto every kind of target: a new or regular file is
    // replaced whole, a link's target is written and the link stays, a device or a pipe takes
    // the bytes in place and stays what it was, a read-only file stays as it was. A link in a
    // sticky world-writable folder (/tmp) is followed only when it is the running user's or the
    // folder owner's, as the kernel would; here it is the second of two.
    void targets_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("outcome");
        const struct
        {
            const char *target, *outcome, *intoFolder;
        } targets[] = {
            {"missing", "0 file: new", nullptr},
            {"regular", "0 file: new", nullptr},
            {"read-only", "1 file: old (the file is read-only)", nullptr},
            {"link to regular", "0 link to file: new", nullptr},
            {"dangling link", "0 link to file: new", nullptr},
            {"own link in a shared folder", "0 link to file: new", nullptr},
            {"folder owner's link in a shared folder", "0 link to file: new", nullptr},
            {"another's link in a shared folder",
             "1 link to file: old (the link belongs to another user in a shared folder (sticky, "
             "world-writable); it is not followed)",
             nullptr},
            {"null device", "0 character device", nullptr},
            {"full device", "1 character device (no space left on the device)", nullptr},
            {"pipe", "0 pipe: new", nullptr},
            // -o takes a folder to write into; a preview must be a file.
            {"folder", "1 folder (this is a folder)", "0 folder: new inside"},
        };
        for (const char *writer : {"BIN", "preview", "C", "from-bin"})
            for (const auto &t : targets)
                QTest::addRow("%s onto %s", writer, t.target)
                    << writer << t.target
                    << (t.intoFolder && QByteArray(writer) != "preview" ? t.intoFolder : t.outcome);
    }

    void targets()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("devices, pipes and links are made the Unix way");
#else
        QFETCH(QString, writer);
        QFETCH(QString, target);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        const QByteArray picture = testing::encoded(testing::patternPicture(3, 2), "BMP");
        QVERIFY(testing::writeAll(dir.filePath("a.bmp"), picture));
        QVERIFY(testing::writeAll(dir.filePath("c.BIN"), QByteArray(12, '\x5a')));
        // What the writer writes to a plain new file is what every target must get.
        QCOMPARE(testing::runConvert(writing(writer, "fresh"), dir.path()).exitCode, 0);
        const QByteArray fresh = testing::readAll(dir.filePath("fresh"));
        QVERIFY(!fresh.isEmpty());

        const QString path = dir.filePath("t");
        const QByteArray native = QFile::encodeName(path);
        const QByteArray old = "old contents";
        if (target == u"regular" || target == u"read-only")
            QVERIFY(testing::writeAll(path, old));
        if (target == u"read-only")
            QVERIFY(chmod(native.constData(), 0444) == 0);
        if (target.contains(u"link")) {
            const bool shared = target.endsWith(u"shared folder");
            QVERIFY(QFile::link(shared ? "shared/l" : "real", path));
            QVERIFY(target == u"dangling link" || testing::writeAll(dir.filePath("real"), old));
            // The shared folder is another user's but for the last row, the link theirs but
            // for the first.
            const QByteArray folder = QFile::encodeName(dir.filePath("shared"));
            const QByteArray link = folder + "/l";
            const uid_t other = 65534; // nobody
            if (shared &&
                (mkdir(folder.constData(), 0700) != 0 || chmod(folder.constData(), 01777) != 0 ||
                 symlink("../real", link.constData()) != 0))
                QFAIL("cannot make the shared folder and its link");
            if (shared &&
                ((!target.startsWith(u"another's") && chown(folder.constData(), other, -1) != 0) ||
                 (!target.startsWith(u"own") && lchown(link.constData(), other, -1) != 0)))
                QSKIP("giving a file to another user needs root");
        }
        if (target.endsWith(u"device")) {
            // The system's own /dev/null must never be at stake: a node of the same device,
            // made in the test's folder, stands in for it.
            const auto minor = target == u"null device" ? 3u : 7u;
            if (mknod(native.constData(), S_IFCHR | 0666, makedev(1, minor)) != 0)
                QSKIP("making a device node needs root");
        }
        if (target == u"folder")
            QVERIFY(QDir(dir.path()).mkdir("t"));
        QByteArray piped;
        std::thread reader;
        if (target == u"pipe") {
            QVERIFY(mkfifo(native.constData(), 0666) == 0);
            reader = std::thread([&] {
                QFile pipe(path);
                if (pipe.open(QIODevice::ReadOnly))
                    piped = pipe.readAll();
            });
        }

#if defined(Q_OS_LINUX)
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(),
                                  IN_CREATE | IN_MOVED_TO) >= 0);
        const auto unwatch = qScopeGuard([watch] { close(watch); });
#endif
        const testing::Run run = testing::runConvert(writing(writer, "t"), dir.path());
        if (reader.joinable())
            reader.join();
        QString got = QString::number(run.exitCode) + u' ' + describe(path, fresh, old);
        if (target == u"pipe")
            got += essence(piped) == essence(fresh) ? ": new" : ": other";
        if (run.exitCode != 0)
            got += QStringLiteral(" (%1)").arg(
                run.errorLines.value(0).section(QStringLiteral(": "), -1));
        QCOMPARE(got, outcome);
        // Nothing else stayed: no temporary file beside the target.
        QStringList present =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
#if defined(Q_OS_LINUX)
        // What came and went was a temporary of what stayed, hidden from a glob over the folder,
        // or a file of a picture that then failed (the preview's BIN file, a source's header),
        // which went with it.
        alignas(inotify_event) char events[1 << 16];
        const ssize_t size = read(watch, events, sizeof events);
        for (ssize_t at = 0; at < size;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + at);
            const QString name = QFile::decodeName(event->name);
            const auto temporary =
                QRegularExpression(R"(^\.(.+)\.[0-9a-f]{8}~$)").match(name).captured(1);
            const QString file = temporary.isEmpty() ? name : temporary;
            QVERIFY2(present.contains(file) ||
                         (run.exitCode != 0 && (file == u"x.BIN" || file.endsWith(u".h"))),
                     qPrintable(name));
            at += qsizetype(sizeof(inotify_event) + event->len);
        }
#endif
        present.removeAll("x.BIN");  // the preview's BIN file
        present.removeAll("real");   // a link's target
        present.removeAll("shared"); // the folder of the second link
        present.removeIf([](const QString &name) { return name.endsWith(".h"); }); // C headers
        QCOMPARE(present, QStringList({"a.bmp", "c.BIN", "fresh", "t"}));
#endif
    }

    // Each writer in each situation. A replaced file keeps its permissions, and a reader still
    // in the old file reads the old bytes to their end; a failure leaves the folder as it was.
    void situations_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("situation");
        for (const char *writer : {"BIN", "unsynced BIN", "BMP"})
            for (const char *situation : {"replace", "nothing to write", "read-only folder",
                                          "full volume", "read-only file"})
                QTest::addRow("%s, %s", writer, situation) << writer << situation;
    }

    void situations()
    {
        QFETCH(QString, writer);
        QFETCH(QString, situation);
        QTemporaryDir dir;
        // Before the folder goes: a mount in it would keep it from being removed.
        const auto undo = qScopeGuard([this] {
            for (auto step = m_undo.rbegin(); step != m_undo.rend(); ++step)
                (*step)();
            m_undo.clear();
        });
        const QString folder = dir.filePath(QStringLiteral("out"));
        const QString target = folder + QStringLiteral("/picture.BIN");
        QVERIFY(QDir().mkpath(folder));
        if (situation == u"full volume" && !mountOver(folder, "tmpfs", 0, "size=128k"))
            QSKIP("a full volume is a 128 KiB tmpfs that only root on Linux can mount");
        const QByteArray old(1 << 16, 'x');
        QVERIFY(testing::writeAll(target, old));
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(target, permissions));
        QFile reader(target);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray firstHalf = reader.read(old.size() / 2);
        if ((situation == u"read-only folder" && !makeReadOnly(folder)) ||
            (situation == u"read-only file" && !makeReadOnly(target)))
            QSKIP("as root this needs a read-only bind mount, which this system refuses");
        const QStringList before = entries(folder);

        const int kib = situation == u"nothing to write" ? 0
                        : situation == u"full volume"    ? 1024
                                                         : 64;
        const auto result = write(writer, target, kib);
        QCOMPARE(firstHalf + reader.readAll(), old);
        QCOMPARE(entries(folder), before); // no temporary left behind
        if (situation.startsWith(u"replace")) {
            QVERIFY(result.ok());
            QVERIFY(holdsTheNewFile(writer, target, kib));
#if defined(Q_OS_UNIX)
            QCOMPARE(QFile::permissions(target), permissions);
#endif
            return;
        }
        QVERIFY(!result.ok());
        const bool nothingConverted = kib == 0 && writer != u"BMP";
        QCOMPARE(result.error().kind, nothingConverted ? core::Error::Kind::NothingConverted
                                                       : core::Error::Kind::CannotWrite);
        QCOMPARE(testing::english(result.error().subject), platform::displayPath(target));
        // A system error without words of the program's is one the writer does not know.
        QVERIFY2(nothingConverted || (!result.error().reason.empty() &&
                                      !testing::english(result.error().reason)
                                           .startsWith(QStringLiteral("system error"))),
                 qPrintable(testing::english(result.error())));
        QCOMPARE(testing::readAll(target), old);
    }
};

QTEST_MAIN(tst_WriteFaults)
#include "tst_write_faults.moc"
