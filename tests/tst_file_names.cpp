// The names that pass between the file dialog and the commands: the dialog's filters, and a
// multi-selection's FileName as the batch run reads it, one file at a time.
#include "batch/file_list.h"
#include "platform/name_filters.h"

#include <QRegularExpression>
#include <QTest>

namespace {

const QChar kNul(u'\0');

// Every CurFile the batch run would process, the last one marked.
QStringList walk(const QString &fileName, QChar separator)
{
    batch::AutoFields f;
    QStringList files;
    batch::startFileList(f, fileName, separator);
    for (;;) {
        files << f.CurFile + (f.LastFlag == 1 ? QStringLiteral(" (last)") : QString());
        if (f.LastFlag == 1)
            return files;
        batch::takeNextName(f, separator);
    }
}

} // namespace

class tst_FileNames : public QObject
{
    Q_OBJECT

private slots:
    // A folder then bare names, each after a NUL; a root folder keeps its one separator.
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
        QTest::newRow("drive root") << QStringLiteral("C:\\") + kNul + "a.bmp" + kNul + "b.bmp"
                                    << "\\" << QStringList{"C:\\a.bmp", "C:\\b.bmp (last)"};
        QTest::newRow("Unix root, commas and Japanese in names")
            << QStringLiteral("/") + kNul + "a,1.bmp" + kNul + "冬.bmp"
            << "/" << QStringList{"/a,1.bmp", QStringLiteral("/冬.bmp (last)")};
    }

    void namesComeOutInOrder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, separator);
        QFETCH(QStringList, files);
        QCOMPARE(walk(fileName, separator.front()), files);
    }

    // Each name shows under its entry whatever its letter case, and under that entry only.
    void filtersMatchRegardlessOfCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entry"); // -1: none
        for (const char *name : {"a.bmp", "A.BMP", "Photo.Bmp"})
            QTest::newRow(name) << name << 0;
        for (const char *name : {"b.jpg", "B.JPG", "c.jpeg", "D.JPEG"})
            QTest::newRow(name) << name << 1;
        QTest::newRow("png") << "e.png" << -1;
        QTest::newRow("bmp inside the name") << "bmp.txt" << -1;
    }

    void filtersMatchRegardlessOfCase()
    {
        QFETCH(QString, name);
        QFETCH(int, entry);
        const QStringList filters = platform::dialogNameFilters(
            QStringLiteral("Picture(*.BMP)|*.BMP|Picture(*.JPG)|*.JPG"));
        QCOMPARE(filters.size(), 2);
        for (int i = 0; i < filters.size(); ++i) {
            // The patterns are what QFileDialog takes from the last parentheses.
            const QString patterns = filters[i].section(QLatin1Char('('), -1).chopped(1);
            bool matched = false;
            for (const QString &p : patterns.split(QLatin1Char(' ')))
                matched |= QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
                               .match(name)
                               .hasMatch();
            QCOMPARE(matched, i == entry);
        }
    }
};

QTEST_APPLESS_MAIN(tst_FileNames)
#include "tst_file_names.moc"
