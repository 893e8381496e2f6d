#include "batch/output_name.h"
#include "test_pictures.h"

#include <QTemporaryDir>
#include <QTest>

class tst_OutputName : public QObject
{
    Q_OBJECT

private slots:
    void lastThreeCharactersBecomeBin_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("output");
        QTest::newRow("upper-case extension") << "C:\\pics\\Photo.JPG"
                                              << "C:\\pics\\Photo.BIN";
        QTest::newRow("lower-case extension") << "C:\\pics\\a.bmp"
                                              << "C:\\pics\\a.BIN";
        QTest::newRow("four-letter extension is cut into") << "photo.jpeg"
                                                           << "photo.jBIN";
        QTest::newRow("two-letter extension takes the dot") << "/p/ab.jp"
                                                            << "/p/abBIN";
        QTest::newRow("exactly three characters") << "abc"
                                                  << "BIN";
        QTest::newRow("name with a comma") << "/p/a,b.bmp"
                                           << "/p/a,b.BIN";
        QTest::newRow("Japanese name")
            << QStringLiteral("/写真/夏.jpg") << QStringLiteral("/写真/夏.BIN");
    }

    void lastThreeCharactersBecomeBin()
    {
        QFETCH(QString, source);
        QFETCH(QString, output);
        QCOMPARE(batch::binPathFor(source), std::optional<QString>(output));
    }

    void tooShortForThreeCharacters()
    {
        QCOMPARE(batch::binPathFor("ab"), std::nullopt);
        QCOMPARE(batch::binPathFor(""), std::nullopt);
    }

    void guardSeesTheSameFile()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath("shot.BIN"); // a picture that is named like output
        QVERIFY(testing::writeAll(picture, "picture"));
        QVERIFY(batch::wouldOverwriteSource(picture, *batch::binPathFor(picture)));

        const QString link = dir.filePath("link.jpg");
        QVERIFY(QFile::link(picture, link));
        QVERIFY(batch::wouldOverwriteSource(link, picture));

        QVERIFY(testing::writeAll(dir.filePath("a.bmp"), "picture"));
        QVERIFY(!batch::wouldOverwriteSource(dir.filePath("a.bmp"), dir.filePath("a.BIN")));
        QVERIFY(testing::writeAll(dir.filePath("a.BIN"), "old output"));
        QVERIFY(!batch::wouldOverwriteSource(dir.filePath("a.bmp"), dir.filePath("a.BIN")));
    }
};

QTEST_APPLESS_MAIN(tst_OutputName)
#include "tst_output_name.moc"
