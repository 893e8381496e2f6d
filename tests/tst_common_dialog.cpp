#include "platform/common_dialog.h"
#include "platform/name_filters.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

class tst_CommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void filtersMatchRegardlessOfCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entry"); // which filter entry shows it, -1 none
        QTest::newRow("a.bmp") << "a.bmp" << 0;
        QTest::newRow("A.BMP") << "A.BMP" << 0;
        QTest::newRow("mixed case") << "Photo.Bmp" << 0;
        QTest::newRow("b.jpg") << "b.jpg" << 1;
        QTest::newRow("B.JPG") << "B.JPG" << 1;
        QTest::newRow("c.jpeg") << "c.jpeg" << 1;
        QTest::newRow("D.JPEG") << "D.JPEG" << 1;
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
        QVERIFY(filters[0].startsWith(QStringLiteral("Picture(*.BMP) (")));
        QVERIFY(filters[1].startsWith(QStringLiteral("Picture(*.JPG) (")));
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

    void multiSelectionFileName_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("fileName");
        const QChar nul(u'\0');
        const QString sep = QDir::separator();
        QTest::newRow("one path stays whole")
            << QStringList{"/pics/a.bmp"} << QDir::toNativeSeparators("/pics/a.bmp");
        QTest::newRow("folder then bare names")
            << QStringList{"/pics/a.bmp", "/pics/b.bmp", "/pics/c.jpg"}
            << QDir::toNativeSeparators("/pics") + nul + "a.bmp" + nul + "b.bmp" + nul + "c.jpg";
        QTest::newRow("a root keeps its separator")
            << QStringList{"/a.bmp", "/b.bmp"}
            << QDir::toNativeSeparators(QDir::rootPath()) + nul + "a.bmp" + nul + "b.bmp";
        Q_UNUSED(sep);
    }

    void multiSelectionFileName()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, fileName);
        QCOMPARE(platform::multiSelectionFileName(paths), fileName);
    }
};

QTEST_APPLESS_MAIN(tst_CommonDialog)
#include "tst_common_dialog.moc"
