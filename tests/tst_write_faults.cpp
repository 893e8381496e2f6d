// The BIN and BMP writers against what goes wrong while saving: folders that cannot be
// written, a full volume, names taken by folders, files that may not be replaced, a process
// killed mid-write. A failure must name the file and the reason and leave the folder as it
// was: no partial file, no temporary, an old file byte for byte.
#include "core/bin_file.h"
#include "core/bitmap_file.h"
#include "test_pictures.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <vector>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#endif

namespace {

enum class Writer
{
    Bin,
    Bitmap,
};

enum class Fault
{
    MissingFolder,
    ReadOnlyFolder,
    FullVolume,
    FolderInTheWay,
    ReadOnlyFile,
};

const QByteArray kOld = "the old file, which must survive\n";

// About `kib` kibibytes of output from either writer.
core::Expected<void> write(Writer writer, const QString &path, int kib)
{
    if (writer == Writer::Bin)
        return core::writeBinFile(path, std::vector<std::uint8_t>(std::size_t(kib) << 10, 0x5A));
    const int rows = kib * 1024 / (3 * 256); // 24-bit rows of 256 pixels
    return core::saveBitmap(path, core::PixelStore(testing::patternPicture(256, rows)));
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool runningAsRoot()
{
#if defined(Q_OS_UNIX)
    return geteuid() == 0;
#else
    return false;
#endif
}

} // namespace

class tst_WriteFaults : public QObject
{
    Q_OBJECT

private:
    // Steps that undo a fault's set-up, run when the test function ends, failed or not.
    std::vector<std::function<void()>> m_undo;

    // Root writes through file permissions, so as root a read-only folder has to be a
    // read-only mount. False (with the test skipped) where that cannot be had.
    bool makeReadOnly(const QString &folder)
    {
        if (!runningAsRoot()) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            m_undo.push_back([folder] {
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            });
            return true;
        }
#if defined(Q_OS_LINUX)
        const QByteArray where = QFile::encodeName(folder);
        if (mount(where.constData(), where.constData(), nullptr, MS_BIND, nullptr) == 0) {
            m_undo.push_back([where] { umount2(where.constData(), MNT_DETACH); });
            if (mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                      nullptr) == 0)
                return true;
        }
#endif
        return false;
    }

    bool mountSmallVolume(const QString &folder)
    {
#if defined(Q_OS_LINUX)
        if (!runningAsRoot())
            return false;
        const QByteArray where = QFile::encodeName(folder);
        if (mount("tmpfs", where.constData(), "tmpfs", 0, "size=128k") != 0)
            return false;
        m_undo.push_back([where] { umount2(where.constData(), MNT_DETACH); });
        return true;
#else
        Q_UNUSED(folder);
        return false;
#endif
    }

    // As root only the file system's immutable flag keeps a file from being replaced.
    bool makeFileReadOnly(const QString &path)
    {
        if (!runningAsRoot()) {
            QFile::setPermissions(path, QFile::ReadOwner);
            m_undo.push_back(
                [path] { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); });
            return true;
        }
#if defined(Q_OS_LINUX)
        const QByteArray name = QFile::encodeName(path);
        const auto setImmutable = [name](bool on) {
            const int fd = ::open(name.constData(), O_RDONLY);
            int flags = 0;
            bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
            if (fd >= 0)
                ::close(fd);
            return done;
        };
        if (setImmutable(true)) {
            m_undo.push_back([setImmutable] { setImmutable(false); });
            return true;
        }
#endif
        return false;
    }

    void undoFaults()
    {
        while (!m_undo.empty()) {
            m_undo.back()();
            m_undo.pop_back();
        }
    }

private slots:
    void faultsLeaveEverythingAsItWas_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Fault>("fault");
        const std::pair<const char *, Fault> faults[] = {
            {"folder that does not exist", Fault::MissingFolder},
            {"read-only folder", Fault::ReadOnlyFolder},
            {"full volume", Fault::FullVolume},
            {"folder of the target's name", Fault::FolderInTheWay},
            {"read-only file", Fault::ReadOnlyFile},
        };
        for (const auto &[name, fault] : faults) {
            QTest::addRow("BIN, %s", name) << Writer::Bin << fault;
            QTest::addRow("BMP, %s", name) << Writer::Bitmap << fault;
        }
    }

    void faultsLeaveEverythingAsItWas()
    {
        QFETCH(Writer, writer);
        QFETCH(Fault, fault);
        QTemporaryDir dir;
        // Before the folder goes: a mount in it would keep it from being removed.
        const auto undo = qScopeGuard([this] { undoFaults(); });
        QString folder = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(folder));
        QString target = folder + QStringLiteral("/picture.BIN");
        int kib = 64;

        switch (fault) {
        case Fault::MissingFolder:
            target = folder + QStringLiteral("/no/such/folder/picture.BIN");
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(testing::writeAll(target, kOld));
            if (!makeReadOnly(folder))
                QSKIP("as root a read-only folder needs a read-only bind mount, which this "
                      "system refuses");
            break;
        case Fault::FullVolume:
            if (!mountSmallVolume(folder))
                QSKIP("a full volume is a 128 KiB tmpfs that only root on Linux can mount");
            QVERIFY(testing::writeAll(target, kOld));
            kib = 1024;
            break;
        case Fault::FolderInTheWay:
            QVERIFY(QDir(folder).mkdir(QStringLiteral("picture.BIN")));
            QVERIFY(testing::writeAll(target + QStringLiteral("/keep"), kOld));
            break;
        case Fault::ReadOnlyFile:
            QVERIFY(testing::writeAll(target, kOld));
            if (!makeFileReadOnly(target))
                QSKIP("as root a read-only file needs the immutable flag, which this file "
                      "system refuses");
            break;
        }
        const QStringList before = entries(folder);

        const auto result = write(writer, target, kib);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::CannotWrite);
        QCOMPARE(result.error().path, target);
        QVERIFY(!result.error().reason.isEmpty());
        // Qt's words for an error it was not told the reason of.
        QVERIFY2(!result.error().reason.contains(QLatin1String("Unknown error")),
                 qPrintable(result.error().toString()));

        QCOMPARE(entries(folder), before);
        if (fault == Fault::FolderInTheWay)
            QCOMPARE(testing::readAll(target + QStringLiteral("/keep")), kOld);
        else if (fault != Fault::MissingFolder)
            QCOMPARE(testing::readAll(target), kOld);
    }

    // The picture is still open for reading (a loader half way through it) when the user saves
    // over it. Either the save fails and the file is untouched, or the new file replaces it
    // whole while the reader goes on reading the old bytes to their end.
    void writingOverAPictureThatIsStillOpen_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::newRow("BIN") << Writer::Bin;
        QTest::newRow("BMP") << Writer::Bitmap;
    }

    void writingOverAPictureThatIsStillOpen()
    {
        QFETCH(Writer, writer);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("photo.bmp"));
        const QByteArray old = testing::encoded(testing::patternPicture(300, 200), "BMP");
        QVERIFY(testing::writeAll(path, old));
        QFile source(path);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray firstHalf = source.read(old.size() / 2);

        const auto result = write(writer, path, 96);
        QCOMPARE(firstHalf + source.readAll(), old);
        if (!result.ok()) {
            QCOMPARE(result.error().path, path);
            QCOMPARE(testing::readAll(path), old);
        } else if (writer == Writer::Bin) {
            QCOMPARE(testing::readAll(path), QByteArray(96 << 10, 0x5A));
        } else {
            QCOMPARE(QImage(path).size(), QSize(256, 128));
        }
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("photo.bmp")});
    }

    // A writer killed at any moment leaves the old file or the complete new one. The moments
    // are delays after the child says it starts writing; which of them fall inside the write
    // depends on the machine, so both outcomes are counted, neither required.
    void killedMidWriteLeavesTheOldFileOrTheNew()
    {
#if !defined(Q_OS_UNIX)
        QSKIP("SIGKILL is a Unix signal");
#endif
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("large.BIN"));
        const int mib = 32;
        const auto runWriter = [&](int fill, int killAfterMs) {
            QProcess child;
            child.start(QStringLiteral(BIN_WRITER_CHILD),
                        {target, QString::number(mib), QString::number(fill)});
            if (!child.waitForStarted() || !child.waitForReadyRead())
                return false;
            if (killAfterMs >= 0) {
                // The delay is the thing under test: it picks the moment of the kill.
                QThread::msleep(ulong(killAfterMs));
                child.kill();
            }
            return child.waitForFinished(60000);
        };
        QVERIFY(runWriter(1, -1));
        QCOMPARE(testing::readAll(target), QByteArray(mib << 20, char(1)));

        int current = 1;
        int keptOld = 0;
        int madeNew = 0;
        const int delays[] = {0, 1, 2, 5, 10, 20, 40, 80, 160, 320};
        for (std::size_t i = 0; i < std::size(delays); ++i) {
            const int fill = current + 1;
            QVERIFY(runWriter(fill, delays[i]));
            const QByteArray now = testing::readAll(target);
            if (now == QByteArray(mib << 20, char(fill))) {
                current = fill;
                ++madeNew;
            } else {
                QVERIFY2(now == QByteArray(mib << 20, char(current)),
                         qPrintable(QStringLiteral("killed after %1 ms: %2 bytes")
                                        .arg(delays[i])
                                        .arg(now.size())));
                ++keptOld;
            }
            QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("large.BIN")});
        }
        qInfo("%d kills left the old file, %d the complete new one", keptOld, madeNew);
    }
};

QTEST_MAIN(tst_WriteFaults)
#include "tst_write_faults.moc"
