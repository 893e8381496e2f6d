#include "batch/file_list.h"

#include <QTest>

namespace {

const QChar kNul(u'\0');

// Every CurFile the run would process, with the LastFlag it had.
QStringList walk(const QString &fileName, QChar separator, batch::AutoFields *out = nullptr)
{
    batch::AutoFields f;
    QStringList files;
    batch::startFileList(f, fileName, separator);
    for (;;) {
        files << f.CurFile + (f.LastFlag == 1 ? QStringLiteral(" (last)") : QString());
        if (f.LastFlag == 1)
            break;
        batch::takeNextName(f, separator);
    }
    if (out)
        *out = f;
    return files;
}

} // namespace

class tst_FileList : public QObject
{
    Q_OBJECT

private slots:
    void namesComeOutInOrder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("files");

        QTest::newRow("one file") << "C:\\pics\\a.bmp"
                                  << "\\" << QStringList{"C:\\pics\\a.bmp (last)"};
        QTest::newRow("three files")
            << QStringLiteral("C:\\pics") + kNul + "a.bmp" + kNul + "b.bmp" + kNul + "c.jpg"
            << "\\" << QStringList{"C:\\pics\\a.bmp", "C:\\pics\\b.bmp", "C:\\pics\\c.jpg (last)"};
        QTest::newRow("drive root keeps one backslash")
            << QStringLiteral("C:\\") + kNul + "a.bmp" + kNul + "b.bmp"
            << "\\" << QStringList{"C:\\a.bmp", "C:\\b.bmp (last)"};
        QTest::newRow("root on Unix") << QStringLiteral("/") + kNul + "a.bmp" + kNul + "b.bmp"
                                      << "/" << QStringList{"/a.bmp", "/b.bmp (last)"};
        QTest::newRow("commas in names are not separators")
            << QStringLiteral("/p") + kNul + "a,1.bmp" + kNul + ",b,.jpg"
            << "/" << QStringList{"/p/a,1.bmp", "/p/,b,.jpg (last)"};
        QTest::newRow("Japanese names")
            << QStringLiteral("/写真") + kNul + "夏.jpg" + kNul + "冬.bmp"
            << "/"
            << QStringList{QStringLiteral("/写真/夏.jpg"), QStringLiteral("/写真/冬.bmp (last)")};
    }

    void namesComeOutInOrder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, separator);
        QFETCH(QStringList, files);
        QCOMPARE(walk(fileName, separator.front()), files);
    }

    // The list is consumed in place: passed separators become commas, the length stays.
    void separatorsPassedBecomeCommas()
    {
        const QString list = QStringLiteral("/p") + kNul + "a.bmp" + kNul + "b.bmp";
        batch::AutoFields f;
        walk(list, QLatin1Char('/'), &f);
        QCOMPARE(f.FileList, QStringLiteral("/p,a.bmp,b.bmp"));
        QCOMPARE(f.FileList.size(), list.size());
        QCOMPARE(f.DirPart, QStringLiteral("/p"));
        QCOMPARE(f.NamePart, QStringLiteral("b.bmp"));
        QCOMPARE(f.NulPos, 0);
        QCOMPARE(f.PrevPos, 9);
    }
};

QTEST_APPLESS_MAIN(tst_FileList)
#include "tst_file_list.moc"
