#include "core/bitmap_file.h"
#include "test_pictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_BitmapFile : public QObject
{
    Q_OBJECT

private slots:
    void savesA24BitBitmapWithTheExactPixels()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.BMP");
        const core::PixelStore picture(testing::patternPicture(17, 5));
        QVERIFY(core::saveBitmap(path, picture).ok());

        const QByteArray file = testing::readAll(path);
        QVERIFY(file.startsWith("BM"));
        QCOMPARE(int(file[28]), 24);
        QImage back(path);
        QCOMPARE(back.size(), QSize(17, 5));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 17; ++x)
                QCOMPARE(core::fromQRgb(back.pixel(x, y)), picture.pixel(x, y));
    }

    void replacesAnOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.BMP");
        QVERIFY(testing::writeAll(path, QByteArray(100000, 'x')));
        QVERIFY(core::saveBitmap(path, core::PixelStore::filled({2, 2}, 0)).ok());
        QCOMPARE(QImage(path).size(), QSize(2, 2));
    }

    void aFailedSaveLeavesNothingBehind()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("taken"));
        const auto result =
            core::saveBitmap(dir.filePath("taken"), core::PixelStore::filled({2, 2}, 0));
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, core::Error::Kind::CannotWrite);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"taken"});
    }
};

QTEST_MAIN(tst_BitmapFile)
#include "tst_bitmap_file.moc"
