#include "core/bin_file.h"
#include "test_pictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_BinFile : public QObject
{
    Q_OBJECT

private slots:
    void writesExactlyTheBufferBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        const std::vector<std::uint8_t> bin{0x00, 0xF8, 0x1F, 0x00};
        QVERIFY(core::writeBinFile(path, bin).ok());
        QCOMPARE(testing::readAll(path), QByteArray("\x00\xF8\x1F\x00", 4));
    }

    void replacesLongerOldContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        QVERIFY(testing::writeAll(path, QByteArray(1000, 'x')));
        QVERIFY(core::writeBinFile(path, std::vector<std::uint8_t>{1, 2}).ok());
        QCOMPARE(testing::readAll(path), QByteArray("\x01\x02", 2));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("target"); // relative to a fresh temporary folder
        QTest::newRow("missing folder") << "no/such/folder/a.BIN";
        QTest::newRow("folder in the way") << "existing";
        QTest::newRow("file used as a folder") << "plain/a.BIN";
        QTest::newRow("empty name") << "";
    }

    void failures()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("existing"));
        QVERIFY(testing::writeAll(dir.filePath("existing/keep"), "old"));
        QVERIFY(testing::writeAll(dir.filePath("plain"), "old"));
        const QStringList before =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        const QString path = target.isEmpty() ? QString() : dir.filePath(target);
        const auto result = core::writeBinFile(path, std::vector<std::uint8_t>(64, 7));
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::CannotWrite);
        QCOMPARE(result.error().path, path);
        QVERIFY(!result.error().reason.isEmpty());
        // Nothing half-written and no temporary left behind; what was there is unchanged.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(testing::readAll(dir.filePath("plain")), QByteArray("old"));
        QCOMPARE(testing::readAll(dir.filePath("existing/keep")), QByteArray("old"));
    }

    void anEmptyBufferIsRefusedAndWritesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.BIN");
        const auto result = core::writeBinFile(path, {});
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::NothingConverted);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_APPLESS_MAIN(tst_BinFile)
#include "tst_bin_file.moc"
