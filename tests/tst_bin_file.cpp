#include "core/bin_file.h"
#include "test_pictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using core::Durability;

Q_DECLARE_METATYPE(Durability)

namespace {

void addDurabilityRows()
{
    QTest::addColumn<Durability>("durability");
    QTest::newRow("synced") << Durability::Synced;
    QTest::newRow("unsynced") << Durability::Unsynced;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class tst_BinFile : public QObject
{
    Q_OBJECT

private slots:
    void writesExactlyTheBufferBytes_data() { addDurabilityRows(); }
    void writesExactlyTheBufferBytes()
    {
        QFETCH(Durability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        const std::vector<std::uint8_t> bin{0x00, 0xF8, 0x1F, 0x00};
        QVERIFY(core::writeBinFile(path, bin, durability).ok());
        QCOMPARE(testing::readAll(path), QByteArray("\x00\xF8\x1F\x00", 4));
        QCOMPARE(entries(dir.path()), QStringList{"a.BIN"});
    }

    void replacesLongerOldContentKeepingItsPermissions_data() { addDurabilityRows(); }
    void replacesLongerOldContentKeepingItsPermissions()
    {
        QFETCH(Durability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        QVERIFY(testing::writeAll(path, QByteArray(1000, 'x')));
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                 QFile::WriteUser | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(path, permissions));
        QVERIFY(core::writeBinFile(path, std::vector<std::uint8_t>{1, 2}, durability).ok());
        QCOMPARE(testing::readAll(path), QByteArray("\x01\x02", 2));
#ifdef Q_OS_UNIX
        QCOMPARE(QFile::permissions(path), permissions);
#endif
        QCOMPARE(entries(dir.path()), QStringList{"a.BIN"});
    }

    void writesThroughASymbolicLink_data()
    {
        addDurabilityRows();
    }
    void writesThroughASymbolicLink()
    {
#ifdef Q_OS_UNIX
        QFETCH(Durability, durability);
        QTemporaryDir dir;
        QVERIFY(testing::writeAll(dir.filePath("real.BIN"), "old"));
        QVERIFY(QFile::link("real.BIN", dir.filePath("link.BIN")));
        QVERIFY(
            core::writeBinFile(dir.filePath("link.BIN"), std::vector<std::uint8_t>{9}, durability)
                .ok());
        QVERIFY(QFileInfo(dir.filePath("link.BIN")).isSymLink());
        QCOMPARE(testing::readAll(dir.filePath("real.BIN")), QByteArray("\x09", 1));
#else
        QSKIP("symbolic links need rights that a Windows user may not have");
#endif
    }

    void failures_data()
    {
        QTest::addColumn<Durability>("durability");
        QTest::addColumn<QString>("target"); // relative to a fresh temporary folder
        for (const auto &[name, durability] :
             {std::pair{"synced", Durability::Synced}, {"unsynced", Durability::Unsynced}}) {
            QTest::addRow("%s, missing folder", name) << durability << "no/such/folder/a.BIN";
            QTest::addRow("%s, folder in the way", name) << durability << "existing";
            QTest::addRow("%s, file used as a folder", name) << durability << "plain/a.BIN";
            QTest::addRow("%s, empty name", name) << durability << "";
        }
    }

    void failures()
    {
        QFETCH(Durability, durability);
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("existing"));
        QVERIFY(testing::writeAll(dir.filePath("existing/keep"), "old"));
        QVERIFY(testing::writeAll(dir.filePath("plain"), "old"));
        const QStringList before = entries(dir.path());

        const QString path = target.isEmpty() ? QString() : dir.filePath(target);
        const auto result = core::writeBinFile(path, std::vector<std::uint8_t>(64, 7), durability);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::CannotWrite);
        QCOMPARE(result.error().path, path);
        QVERIFY(!result.error().reason.isEmpty());
        // Nothing half-written and no temporary left behind; what was there is unchanged.
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(entries(dir.filePath("existing")), QStringList{"keep"});
        QCOMPARE(testing::readAll(dir.filePath("plain")), QByteArray("old"));
        QCOMPARE(testing::readAll(dir.filePath("existing/keep")), QByteArray("old"));
    }

    void anEmptyBufferIsRefusedAndWritesNothing_data()
    {
        addDurabilityRows();
    }
    void anEmptyBufferIsRefusedAndWritesNothing()
    {
        QFETCH(Durability, durability);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        const auto result = core::writeBinFile(path, {}, durability);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::NothingConverted);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_APPLESS_MAIN(tst_BinFile)
#include "tst_bin_file.moc"
