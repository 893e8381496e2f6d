// The BIN and BMP writers: the exact file when all goes well, and when it does not (nothing to
// write, a folder that cannot be written, a full volume, a name taken by a folder, a file that
// may not be replaced) an error that names the file and the reason, with the folder left as it
// was: no partial file, no temporary, an old file byte for byte. The command line's test kills
// the writers mid-write.
#include "core/files/bin_file.h"
#include "core/files/bitmap_file.h"
#include "support.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#if defined(Q_OS_LINUX)
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {

// About `kib` KiB from the writer, of a picture of rows of 256 pixels: its BIN or its bitmap.
core::Expected<void> write(const QString &writer, const QString &path, int kib)
{
    const QImage picture = testing::patternPicture(256, kib * 4 / 3);
    if (writer == u"BMP")
        return core::saveBitmap(path, testing::storeOf(picture));
    const QByteArray bin = testing::expectedBin(picture);
    return core::writeBinFile(
        path, {reinterpret_cast<const std::uint8_t *>(bin.data()), std::size_t(bin.size())},
        {writer == u"BIN" ? core::Durability::Synced : core::Durability::Unsynced});
}

bool holdsTheNewFile(const QString &writer, const QString &path, int kib)
{
    const QByteArray file = testing::readAll(path);
    const QImage picture = testing::patternPicture(256, kib * 4 / 3);
    return writer == u"BMP"
               ? file.size() > 28 && file[28] == 24 && // 24 bits a pixel
                     QImage::fromData(file).convertToFormat(QImage::Format_RGB32) == picture
               : file == testing::expectedBin(picture);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

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
    // Each writer in each situation. A replaced file keeps its permissions, a link stays a
    // link to the file it names, and a reader still in the old file reads the old bytes to
    // their end; a failure leaves the folder as it was.
    void situations_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("situation");
        for (const char *writer : {"BIN", "unsynced BIN", "BMP"})
            for (const char *situation :
                 {"replace", "replace through a link", "nothing to write", "read-only folder",
                  "full volume", "folder of the target's name", "read-only file"})
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
        const bool inTheWay = situation == u"folder of the target's name";
        if (inTheWay)
            QVERIFY(QDir(folder).mkdir(QStringLiteral("picture.BIN")));
        const QString kept = inTheWay ? target + QStringLiteral("/keep") : target;
        const QByteArray old(1 << 16, 'x');
        QVERIFY(testing::writeAll(kept, old));
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(kept, permissions));
        QFile reader(kept);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray firstHalf = reader.read(old.size() / 2);
        if ((situation == u"read-only folder" && !makeReadOnly(folder)) ||
            (situation == u"read-only file" && !makeReadOnly(target)))
            QSKIP("as root this needs a read-only bind mount, which this system refuses");
        const bool viaLink = situation == u"replace through a link";
#if defined(Q_OS_UNIX)
        QVERIFY(!viaLink || QFile::link(QStringLiteral("picture.BIN"), folder + "/link.BIN"));
#else
        if (viaLink)
            QSKIP("symbolic links need rights that a Windows user may not have");
#endif
        const QStringList before = entries(folder);

        const int kib = situation == u"nothing to write" ? 0
                        : situation == u"full volume"    ? 1024
                                                         : 64;
        const auto result = write(writer, viaLink ? folder + "/link.BIN" : target, kib);
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
        QCOMPARE(result.error().path, viaLink ? folder + "/link.BIN" : target);
        // "Unknown error" is Qt's word for an error it was not told the reason of.
        QVERIFY2(nothingConverted || (!result.error().reason.isEmpty() &&
                                      !result.error().reason.contains("Unknown error")),
                 qPrintable(result.error().toString()));
        QCOMPARE(testing::readAll(kept), old);
    }
};

QTEST_MAIN(tst_WriteFaults)
#include "tst_write_faults.moc"
