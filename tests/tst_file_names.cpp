// The names that pass between the file dialog and the commands: the dialog's filters, a
// multi-selection's FileName as the batch run reads it, one file at a time, and the folder that
// relative names start from.
#include "batch/file_list.h"
#include "platform/name_filters.h"
#include "platform/paths.h"
#include "support.h"

#include <QRegularExpression>
#include <QTest>

namespace {

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
    void namesComeOutInOrder_data()
    {
        testing::addCases("file_names", {"fileName", "separator", "files"});
    }

    void namesComeOutInOrder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, separator);
        QFETCH(QString, files);
        const QStringList walked = walk(fileName.replace(u'|', QChar(u'\0')), separator.front());
        QCOMPARE(walked.join(QStringLiteral(", ")), files);
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

    // The program's folder becomes its drive's current folder; the current drive stays.
    void programFolderLeavesTheCurrentDrive_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("variable"); // empty: the process's current folder
        const char *rows[][4] = {
            {"same drive", "C:/Users/me", "C:/Tools/v", ""},
            {"same drive, other case", "c:/Users", "C:\\Tools", ""},
            {"other drive", "C:/Users", "D:/Tools/v", "=D:"},
            {"other drive, lower case", "C:/", "e:\\v", "=E:"},
            {"from a share to a drive", "//srv/share", "F:/v", "=F:"},
            {"a share", "C:/Users", "//srv/share/v", ""},
            {"no drives", "/home/me", "/opt/v", ""},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
    }

    void programFolderLeavesTheCurrentDrive()
    {
        QFETCH(QString, current);
        QFETCH(QString, folder);
        QFETCH(QString, variable);
        QCOMPARE(platform::driveFolderVariable(current, folder), variable);
    }
};

QTEST_APPLESS_MAIN(tst_FileNames)
#include "tst_file_names.moc"
