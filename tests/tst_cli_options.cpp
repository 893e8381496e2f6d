#include "cli/options.h"

#include <QTest>

using Action = cli::Parsed::Action;

Q_DECLARE_METATYPE(Action)

class tst_CliOptions : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size"); // invalid: refused
        QTest::newRow("plain") << "640x480" << QSize(640, 480);
        QTest::newRow("capital X") << "320X240" << QSize(320, 240);
        QTest::newRow("one pixel") << "1x1" << QSize(1, 1);
        QTest::newRow("zero width") << "0x480" << QSize();
        QTest::newRow("no height") << "640x" << QSize();
        QTest::newRow("no width") << "x480" << QSize();
        QTest::newRow("other sign") << "640*480" << QSize();
        QTest::newRow("negative") << "-640x480" << QSize();
        QTest::newRow("plus sign") << "+640x480" << QSize();
        QTest::newRow("blank") << " 640x480" << QSize();
        QTest::newRow("three numbers") << "640x480x2" << QSize();
        QTest::newRow("overflow") << "99999999999x1" << QSize();
        QTest::newRow("empty") << "" << QSize();
    }

    void sizes()
    {
        QFETCH(QString, text);
        QFETCH(QSize, size);
        QCOMPARE(cli::parseSize(text), size.isValid() ? std::optional(size) : std::nullopt);
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program name
        QTest::addColumn<Action>("action");
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<int>("jobs");

        const auto run = Action::Run;
        const auto usage = Action::UsageError;
        QTest::newRow("one picture, default jobs")
            << QStringList{"a.jpg"} << run << QStringList{"a.jpg"} << 6;
        QTest::newRow("jobs given") << QStringList{"-j", "3", "a.jpg", "b.bmp"} << run
                                    << QStringList{"a.jpg", "b.bmp"} << 3;
        QTest::newRow("standard input")
            << QStringList{"-o", "-", "-"} << run << QStringList{"-"} << 6;
        QTest::newRow("name like an option after --")
            << QStringList{"--", "-x.jpg"} << run << QStringList{"-x.jpg"} << 6;
        QTest::newRow("no picture") << QStringList{} << usage << QStringList{} << 0;
        QTest::newRow("no picture, only options")
            << QStringList{"-q", "-j", "2"} << usage << QStringList{} << 0;
        QTest::newRow("jobs zero")
            << QStringList{"-j", "0", "a.jpg"} << usage << QStringList{} << 0;
        QTest::newRow("jobs not a number")
            << QStringList{"--jobs", "many", "a.jpg"} << usage << QStringList{} << 0;
        QTest::newRow("jobs without value")
            << QStringList{"a.jpg", "--jobs"} << usage << QStringList{} << 0;
        QTest::newRow("bad size") << QStringList{"--max-size", "640", "a.jpg"} << usage
                                  << QStringList{} << 0;
        QTest::newRow("empty output")
            << QStringList{"-o", "", "a.jpg"} << usage << QStringList{} << 0;
        QTest::newRow("preview to standard output")
            << QStringList{"--preview", "-", "a.jpg"} << usage << QStringList{} << 0;
        QTest::newRow("unknown option")
            << QStringList{"--colours", "a.jpg"} << usage << QStringList{} << 0;
        QTest::newRow("help wins over errors")
            << QStringList{"-j", "0", "--help"} << Action::ShowHelp << QStringList{} << 0;
        QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << QStringList{}
                                 << 0;
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QStringList, pictures);
        QFETCH(int, jobs);

        const cli::Parsed parsed =
            cli::parseArguments(QStringList{"varnello-convert"} + arguments, 6);
        QCOMPARE(parsed.action, action);
        if (action == Action::Run) {
            QCOMPARE(parsed.options.pictures, pictures);
            QCOMPARE(parsed.options.jobs, jobs);
            QVERIFY(parsed.text.isEmpty());
        } else {
            QVERIFY(!parsed.text.isEmpty());
        }
    }

    void optionValuesArriveInTheOptions()
    {
        const cli::Parsed parsed =
            cli::parseArguments({"varnello-convert", "--max-size", "640x480", "--preview", "p.bmp",
                                 "-o", "out.BIN", "--sync", "-q", "a.jpg"},
                                2);
        QCOMPARE(parsed.action, Action::Run);
        QCOMPARE(parsed.options.maxSize, std::optional(QSize(640, 480)));
        QCOMPARE(parsed.options.preview, QString("p.bmp"));
        QCOMPARE(parsed.options.output, QString("out.BIN"));
        QCOMPARE(parsed.options.durability, core::Durability::Synced);
        QVERIFY(parsed.options.quiet);

        const cli::Parsed plain = cli::parseArguments({"varnello-convert", "a.jpg"}, 2);
        QCOMPARE(plain.options.durability, core::Durability::Unsynced);
        QCOMPARE(plain.options.maxSize, std::nullopt);
        QVERIFY(!plain.options.quiet);
    }

    void helpNamesTheProgramAndGivesAnExample()
    {
        const cli::Parsed parsed = cli::parseArguments({"/some/where/varnello-convert", "-h"}, 2);
        QVERIFY(parsed.text.startsWith("Usage: varnello-convert [options] PICTURE..."));
        QVERIFY(parsed.text.contains("Examples:"));
    }
};

QTEST_GUILESS_MAIN(tst_CliOptions)
#include "tst_cli_options.moc"
