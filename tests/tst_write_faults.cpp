// The BIN and BMP writers: the exact file when all goes well, and when it does not (nothing to
// write, a folder that cannot be written, a full volume, a name taken by a folder, a file that
// may not be replaced, a process killed mid-write) an error that names the file and the
// reason, with the folder left as it was: no partial file, no temporary, an old file byte for
// byte.
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

#if defined(Q_OS_LINUX)
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {

enum class Writer
{
    Bin,
    UnsyncedBin,
    Bitmap,
};

const std::pair<const char *, Writer> kWriters[] = {
    {"BIN", Writer::Bin},
    {"unsynced BIN", Writer::UnsyncedBin},
    {"BMP", Writer::Bitmap},
};

enum class Fault
{
    NothingToWrite,
    ReadOnlyFolder,
    FullVolume,
    FolderInTheWay,
    ReadOnlyFile,
};

// A period of 251 bytes, so that a block out of place shows.
std::vector<std::uint8_t> binBytes(int kib)
{
    std::vector<std::uint8_t> bin(std::size_t(kib) << 10);
    for (std::size_t i = 0; i < bin.size(); ++i)
        bin[i] = std::uint8_t(i % 251);
    return bin;
}

// Rows of 256 24-bit pixels, 768 bytes each; no picture at all for 0.
core::PixelStore bitmapPicture(int kib)
{
    return core::PixelStore(testing::patternPicture(256, kib * 4 / 3));
}

// About `kib` KiB of output from the writer.
core::Expected<void> write(Writer writer, const QString &path, int kib)
{
    if (writer == Writer::Bitmap)
        return core::saveBitmap(path, bitmapPicture(kib));
    return core::writeBinFile(path, binBytes(kib),
                              writer == Writer::Bin ? core::Durability::Synced
                                                    : core::Durability::Unsynced);
}

bool holdsTheNewFile(Writer writer, const QString &path, int kib)
{
    const QByteArray file = testing::readAll(path);
    if (writer == Writer::Bitmap)
        return file.size() > 28 && file[28] == 24 &&
               QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB32) ==
                   bitmapPicture(kib).image();
    const auto bin = binBytes(kib);
    return file == QByteArray(reinterpret_cast<const char *>(bin.data()), qsizetype(bin.size()));
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class tst_WriteFaults : public QObject
{
    Q_OBJECT

private:
    // Steps that undo a fault's set-up, run when the test function ends, failed or not.
    std::vector<std::function<void()>> m_undo;

    // Only root can mount; false for anyone else, and on other systems.
    bool mountOver([[maybe_unused]] const QString &path, [[maybe_unused]] const char *type,
                   [[maybe_unused]] unsigned long flags, [[maybe_unused]] const char *options)
    {
#if defined(Q_OS_LINUX)
        const QByteArray where = QFile::encodeName(path);
        const char *source = flags & MS_BIND ? where.constData() : type;
        if (mount(source, where.constData(), type, flags, options) != 0)
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
    // A replaced file keeps its permissions, a link stays a link to the file it names, and a
    // reader still in the old file reads the old bytes to their end.
    void replacesAnOpenFileWhole_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<bool>("viaLink");
        for (const auto &[name, writer] : kWriters) {
            QTest::addRow("%s", name) << writer << false;
            QTest::addRow("%s, through a link", name) << writer << true;
        }
    }

    void replacesAnOpenFileWhole()
    {
        QFETCH(Writer, writer);
        QFETCH(bool, viaLink);
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("picture.BIN"));
        const QString path = viaLink ? dir.filePath(QStringLiteral("link.BIN")) : real;
        const QByteArray old(1 << 20, 'x');
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser | QFile::ReadOther;
        QVERIFY(testing::writeAll(real, old));
        QVERIFY(QFile::setPermissions(real, permissions));
        QFile reader(real);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray firstHalf = reader.read(old.size() / 2);
#if defined(Q_OS_UNIX)
        QVERIFY(!viaLink || QFile::link(QStringLiteral("picture.BIN"), path));
#else
        if (viaLink)
            QSKIP("symbolic links need rights that a Windows user may not have");
#endif

        QVERIFY(write(writer, path, 4).ok());
        QVERIFY(holdsTheNewFile(writer, real, 4));
        QCOMPARE(QFileInfo(path).isSymLink(), viaLink);
        // The file and the link, if any; a temporary left behind would be one more.
        QCOMPARE(entries(dir.path()).size(), viaLink ? 2 : 1);
        QCOMPARE(firstHalf + reader.readAll(), old);
#if defined(Q_OS_UNIX)
        QCOMPARE(QFile::permissions(real), permissions);
#endif
    }

    void faultsLeaveEverythingAsItWas_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Fault>("fault");
        const std::pair<const char *, Fault> faults[] = {
            {"nothing to write", Fault::NothingToWrite},
            {"read-only folder", Fault::ReadOnlyFolder},
            {"full volume", Fault::FullVolume},
            {"folder of the target's name", Fault::FolderInTheWay},
            {"read-only file", Fault::ReadOnlyFile},
        };
        for (const auto &[writerName, writer] : kWriters)
            for (const auto &[faultName, fault] : faults)
                QTest::addRow("%s, %s", writerName, faultName) << writer << fault;
    }

    void faultsLeaveEverythingAsItWas()
    {
        QFETCH(Writer, writer);
        QFETCH(Fault, fault);
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
        if (fault == Fault::FullVolume && !mountOver(folder, "tmpfs", 0, "size=128k"))
            QSKIP("a full volume is a 128 KiB tmpfs that only root on Linux can mount");
        if (fault == Fault::FolderInTheWay)
            QVERIFY(QDir(folder).mkdir(QStringLiteral("picture.BIN")));
        // The old file that must survive.
        const QString kept =
            fault == Fault::FolderInTheWay ? target + QStringLiteral("/keep") : target;
        QVERIFY(testing::writeAll(kept, "the old file\n"));
        if ((fault == Fault::ReadOnlyFolder && !makeReadOnly(folder)) ||
            (fault == Fault::ReadOnlyFile && !makeReadOnly(target)))
            QSKIP("as root this needs a read-only bind mount, which this system refuses");
        const QStringList before = entries(folder);

        const int kib = fault == Fault::NothingToWrite ? 0 : fault == Fault::FullVolume ? 1024 : 64;
        const auto result = write(writer, target, kib);
        QVERIFY(!result.ok());
        const bool nothingConverted = kib == 0 && writer != Writer::Bitmap;
        QCOMPARE(result.error().kind, nothingConverted ? core::Error::Kind::NothingConverted
                                                       : core::Error::Kind::CannotWrite);
        QCOMPARE(result.error().path, target);
        // "Unknown error" is Qt's word for an error it was not told the reason of.
        QVERIFY2(nothingConverted || (!result.error().reason.isEmpty() &&
                                      !result.error().reason.contains("Unknown error")),
                 qPrintable(result.error().toString()));
        QCOMPARE(entries(folder), before);
        QCOMPARE(testing::readAll(kept), QByteArray("the old file\n"));
    }

    // A writer killed at any moment leaves the old file or the complete new one, and no
    // temporary file. The moments are delays after the child says it starts writing; which of
    // them fall inside the write depends on the machine, so both outcomes are counted.
    void killedMidWriteLeavesTheOldFileOrTheNew_data()
    {
        QTest::addColumn<QString>("durability");
        QTest::newRow("synced") << "synced";
        QTest::newRow("unsynced") << "unsynced";
    }

    void killedMidWriteLeavesTheOldFileOrTheNew()
    {
        QFETCH(QString, durability);
#if !defined(Q_OS_UNIX)
        QSKIP("SIGKILL is a Unix signal");
#endif
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("large.BIN"));
        const int mib = 32;
        const auto runWriter = [&](int fill, int killAfterMs) {
            QProcess child;
            child.start(QStringLiteral(BIN_WRITER_CHILD),
                        {target, QString::number(mib), QString::number(fill), durability});
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
        for (const int delay : {0, 1, 2, 5, 10, 20, 40, 80, 160, 320}) {
            QVERIFY(runWriter(current + 1, delay));
            const QByteArray now = testing::readAll(target);
            if (now == QByteArray(mib << 20, char(current + 1)))
                ++current;
            else if (now != QByteArray(mib << 20, char(current)))
                QFAIL(qPrintable(QStringLiteral("killed after %1 ms: %2 bytes of another file")
                                     .arg(delay)
                                     .arg(now.size())));
            QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("large.BIN")});
        }
        qInfo("%d of 10 kills left the complete new file, the others the old one", current - 1);
    }
};

QTEST_MAIN(tst_WriteFaults)
#include "tst_write_faults.moc"
