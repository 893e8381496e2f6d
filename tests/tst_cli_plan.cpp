#include "cli/plan.h"
#include "test_pictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Pictures of the run refer to these files, made fresh in the test's folder.
const QStringList kFiles{"a.jpg", "a.bmp", "shot.BIN", "b.jpg", QStringLiteral("写真.jpg")};

} // namespace

class tst_CliPlan : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        for (const QString &name : kFiles)
            QVERIFY(testing::writeAll(name, "picture"));
        QVERIFY(QDir().mkdir("out"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("preview");
        QTest::newRow("file output for two") << QStringList{"a.jpg", "b.jpg"} << "x.BIN"
                                             << "";
        QTest::newRow("standard output for two") << QStringList{"a.jpg", "b.jpg"} << "-"
                                                 << "";
        QTest::newRow("preview for two") << QStringList{"a.jpg", "b.jpg"} << "out"
                                         << "p.bmp";
        QTest::newRow("standard input twice") << QStringList{"-", "-"} << "x.BIN"
                                              << "";
        QTest::newRow("standard input beside") << QStringList{"-"} << ""
                                               << "";
        QTest::newRow("standard input into folder") << QStringList{"-"} << "out"
                                                    << "";
        QTest::newRow("missing folder") << QStringList{"a.jpg", "b.jpg"} << "nowhere/"
                                        << "";
    }

    void usageErrors()
    {
        QFETCH(QStringList, pictures);
        QFETCH(QString, output);
        QFETCH(QString, preview);
        cli::Options options;
        options.pictures = pictures;
        options.output = output;
        options.preview = preview;
        const cli::Plan plan = cli::planJobs(options);
        QVERIFY(!plan.usageError.isEmpty());
        QVERIFY(plan.jobs.empty());
    }

    void outputs_data()
    {
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QString>("output");  // the -o value
        QTest::addColumn<QString>("preview"); // the --preview value
        // One entry a picture: its output, or "refused" with the file the refusal names.
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("beside") << QStringList{"a.jpg", "sub/../b.jpg", QStringLiteral("写真.jpg")}
                                << ""
                                << ""
                                << QStringList{"a.BIN", "sub/../b.BIN", QStringLiteral("写真.BIN")};
        QTest::newRow("into folder") << QStringList{"a.jpg", "sub/b.jpg"} << "out"
                                     << "" << QStringList{"out/a.BIN", "out/b.BIN"};
        QTest::newRow("into folder with slash") << QStringList{"a.jpg"} << "out/"
                                                << "" << QStringList{"out/a.BIN"};
        QTest::newRow("into a file") << QStringList{"a.jpg"} << "logo.raw"
                                     << "" << QStringList{"logo.raw"};
        QTest::newRow("to standard output") << QStringList{"a.jpg"} << "-"
                                            << "" << QStringList{"-"};
        QTest::newRow("from standard input") << QStringList{"-"} << "x.BIN"
                                             << "p.bmp" << QStringList{"x.BIN"};
        QTest::newRow("name too short") << QStringList{"ab", "a.jpg"} << ""
                                        << "" << QStringList{"refused ab", "a.BIN"};
        QTest::newRow("a folder") << QStringList{"out/", "a.jpg"} << ""
                                  << "" << QStringList{"refused out/*.jpg", "a.BIN"};
        QTest::newRow("picture named like its output") << QStringList{"shot.BIN"} << ""
                                                       << "" << QStringList{"refused shot.BIN"};
        QTest::newRow("file output is the picture") << QStringList{"a.jpg"} << "./a.jpg"
                                                    << "" << QStringList{"refused ./a.jpg"};
        QTest::newRow("two pictures, one name: the later is refused")
            << QStringList{"a.jpg", "b.jpg", "a.bmp"} << ""
            << "" << QStringList{"a.BIN", "b.BIN", "refused a.BIN"};
        QTest::newRow("same picture twice") << QStringList{"a.jpg", "./a.jpg"} << ""
                                            << "" << QStringList{"a.BIN", "refused ./a.BIN"};
        QTest::newRow("one name from two folders")
            << QStringList{"a.jpg", "sub/a.jpg"} << "out"
            << "" << QStringList{"out/a.BIN", "refused out/a.BIN"};
        QTest::newRow("output is another picture of the run")
            << QStringList{"shot.jpg", "shot.BIN"} << ""
            << "" << QStringList{"refused shot.BIN", "refused shot.BIN"};
        QTest::newRow("preview is the picture") << QStringList{"a.bmp"} << ""
                                                << "a.bmp" << QStringList{"refused a.bmp"};
        QTest::newRow("preview is the BIN file") << QStringList{"a.jpg"} << ""
                                                 << "a.BIN" << QStringList{"refused a.BIN"};
    }

    void outputs()
    {
        QFETCH(QStringList, pictures);
        QFETCH(QString, output);
        QFETCH(QString, preview);
        QFETCH(QStringList, expected);
        cli::Options options;
        options.pictures = pictures;
        options.output = output;
        options.preview = preview;

        const cli::Plan plan = cli::planJobs(options);
        QVERIFY2(plan.usageError.isEmpty(), qPrintable(plan.usageError));
        QCOMPARE(plan.jobs.size(), std::size_t(pictures.size()));
        for (std::size_t i = 0; i < plan.jobs.size(); ++i) {
            const cli::Job &job = plan.jobs[i];
            const QString &want = expected[qsizetype(i)];
            QCOMPARE(job.source, pictures[qsizetype(i)]);
            QCOMPARE(job.preview, preview);
            if (want.startsWith("refused ")) {
                // An error line names the picture first, then the file it would not write.
                QVERIFY2(job.refusal.startsWith(job.source + ": "), qPrintable(job.refusal));
                QVERIFY2(job.refusal.contains(want.mid(8)), qPrintable(job.refusal));
            } else {
                QVERIFY2(job.refusal.isEmpty(), qPrintable(job.refusal));
                QCOMPARE(QDir::cleanPath(job.output), QDir::cleanPath(want));
            }
        }
    }

    void aLinkToAPictureIsThatPicture()
    {
#ifdef Q_OS_UNIX
        QVERIFY(QFile::link("b.jpg", "b.BIN")); // b.jpg's output would write through onto b.jpg
        cli::Options options;
        options.pictures = {"b.jpg"};
        const cli::Plan plan = cli::planJobs(options);
        QFile::remove("b.BIN");
        QCOMPARE(plan.jobs.size(), std::size_t(1));
        QVERIFY(!plan.jobs[0].refusal.isEmpty());
#else
        QSKIP("symbolic links need rights that a Windows user may not have");
#endif
    }
};

QTEST_GUILESS_MAIN(tst_CliPlan)
#include "tst_cli_plan.moc"
