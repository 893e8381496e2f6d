// The built varnello-convert, run as a script would run it: with no display, and checked
// against the bytes the window's own path (load, convert, write) gives for the same files.
// Its option reading is called directly only for what a run cannot show.
#include "cli/options.h"
#include "cli/report.h"
#include "cli/wildcards.h"
#include "core/bitmap_file.h"
#include "support.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QStringList errorLines;
};

// In an English locale unless a first argument "LANG=..." says otherwise; a last argument
// ">FILE" sends standard output there.
Result runConvert(QStringList arguments, const QString &folder, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LANG"), arguments.value(0).startsWith(u"LANG=")
                                                   ? arguments.takeFirst().mid(5)
                                                   : QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    if (!arguments.isEmpty() && arguments.last().startsWith(u'>'))
        process.setStandardOutputFile(arguments.takeLast().mid(1));
    process.start(QStringLiteral(VARNELLO_CONVERT), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
}

// Every file under the folder, hidden ones too, so that a left-over temporary file shows.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), testing::readAll(path));
    }
    return files;
}

} // namespace

class tst_ConvertCommand : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsTheWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("picture");
        QTest::newRow("BMP") << "pattern.bmp"
                             << testing::encoded(testing::patternPicture(37, 23), "BMP");
        QTest::newRow("JPEG, capital suffix, Japanese name")
            << QStringLiteral("写真.JPG")
            << testing::encoded(testing::patternPicture(64, 48), "JPEG", 80);
    }

    void sameBytesAsTheWindow()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, picture);
        QTemporaryDir dir;
        QVERIFY(testing::writeAll(dir.filePath(name), picture));

        const Result result = runConvert({"--preview", "preview.bmp", name}, dir.path());
        QCOMPARE(result.errorLines, QStringList());
        QCOMPARE(result.exitCode, 0);
        const QString bin = dir.filePath(name.left(name.size() - 3) + "BIN");
        const QByteArray expected = testing::binOf(dir.filePath(name));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(testing::readAll(bin), expected);
        // Through pipes, as a script streams a picture.
        const Result piped = runConvert({"-o", "-", "-"}, dir.path(), picture);
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.out, expected);

        // The preview is what the window's canvas holds after a conversion with preview on.
        auto shown = core::loadPicture(dir.filePath(name));
        QVERIFY(shown.ok());
        QVERIFY(core::convertPicture(shown.value(), true).ok());
        QVERIFY(core::saveBitmap(dir.filePath("window.bmp"), shown.value()).ok());
        QCOMPARE(testing::readAll(dir.filePath("preview.bmp")),
                 testing::readAll(dir.filePath("window.bmp")));
    }

    // Many workers and failures among the pictures: every good picture gives the same bytes
    // as a serial run, and the error lines come in the order the pictures were given, even
    // when a later picture fails sooner than an earlier one.
    void parallelRunMatchesSerialRun()
    {
        QTemporaryDir dir;
        QStringList pictures{"big.jpg", "missing.jpg"};
        const QImage big = testing::patternPicture(1200, 900); // slow to decode, then too wide
        QVERIFY(testing::writeAll(dir.filePath("big.jpg"), testing::encoded(big, "JPEG")));
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
            pictures << name;
            // Sizes differ, so that a worker's reused buffer shrinks and grows.
            const QImage picture = testing::patternPicture(16 + 37 * (i % 5), 9 + 11 * i);
            const QByteArray bytes =
                i % 7 == 3 ? "not a picture" : testing::encoded(picture, "JPEG");
            QVERIFY(testing::writeAll(dir.filePath(name), bytes));
        }
        QVERIFY(QDir(dir.path()).mkdir("serial"));
        QVERIFY(QDir(dir.path()).mkdir("parallel"));

        const QStringList limit{"--max-size", "1000x1000"};
        const Result serial =
            runConvert(QStringList{"-j", "1", "-o", "serial"} + limit + pictures, dir.path());
        const Result parallel =
            runConvert(QStringList{"-j", "5", "-o", "parallel"} + limit + pictures, dir.path());
        QCOMPARE(parallel.exitCode, 1);
        QCOMPARE(parallel.errorLines, serial.errorLines);
        QCOMPARE(parallel.errorLines.size(), 6);
        QVERIFY(parallel.errorLines[1].startsWith(
            "varnello-convert: missing.jpg: cannot read picture"));
        QCOMPARE(parallel.errorLines.last(), QString("26 pictures: 21 converted, 5 failed"));

        const QStringList written = QDir(dir.filePath("serial")).entryList(QDir::Files);
        QCOMPARE(written.size(), 21);
        QCOMPARE(QDir(dir.filePath("parallel")).entryList(QDir::Files), written);
        for (const QString &name : written) {
            const QByteArray bin = testing::readAll(dir.filePath("parallel/" + name));
            QCOMPARE(bin, testing::readAll(dir.filePath("serial/" + name)));
            QCOMPARE(bin, testing::binOf(dir.filePath(name.left(3) + ".jpg")));
        }
    }

    // The progress line is for a person watching a long run: on a terminal, not --quiet, from
    // 20 pictures on.
    void progressIsShownOnlyWhereItHelps()
    {
        QVERIFY(cli::showsProgress(true, false, 20));
        QVERIFY(!cli::showsProgress(false, false, 20));
        QVERIFY(!cli::showsProgress(true, true, 20));
        QVERIFY(!cli::showsProgress(true, false, 19));
    }

    // What the command cannot show from outside: that --sync asks for writes that survive a
    // power cut, and that --jobs defaults to the number of cores.
    void optionsTheCommandCannotShow()
    {
        const cli::Parsed synced = cli::parseArguments({"varnello-convert", "--sync", "a.jpg"}, 3);
        QCOMPARE(synced.options.durability, core::Durability::Synced);
        QCOMPARE(synced.options.jobs, 3);
        const cli::Parsed plain = cli::parseArguments({"varnello-convert", "a.jpg"}, 3);
        QCOMPARE(plain.options.durability, core::Durability::Unsynced);
    }

    // A whole run as one line: its exit status, the files it wrote or changed, and its first
    // line on standard error. Arguments are split at spaces.
    void outcomes_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const QString &arguments, const QString &outcome) {
            QTest::newRow(name) << arguments << outcome;
        };
        const QString usage = "2 [] varnello-convert: ";

        row("help wins over a wrong option", "-j 0 --help", "0 []");
        row("no picture", "-q", usage + "no picture was given");
        row("unknown option", "--colours a.bmp", usage + "Unknown option 'colours'.");
        row("jobs zero", "-j 0 a.bmp",
            usage + "--jobs wants a whole number of at least 1, not \"0\"");
        const QString badSize = usage + "--max-size wants WIDTHxHEIGHT, such as 640x480, not ";
        row("size without x", "--max-size 640 a.bmp", badSize + "\"640\"");
        row("size zero", "--max-size 0x8 a.bmp", badSize + "\"0x8\"");
        row("size with sign", "--max-size=+8x8 a.bmp", badSize + "\"+8x8\"");
        row("empty output", "--output= a.bmp", usage + "-o needs a file or folder name");
        row("preview to standard output", "--preview - a.bmp",
            usage + "--preview needs a file name");
        row("file output for two", "-o x.BIN a.bmp big.bmp",
            usage + "-o x.BIN takes one picture, but 2 were given; to convert several, give a "
                    "folder that exists");
        row("preview for two", "--preview p.bmp -o out a.bmp big.bmp",
            usage + "--preview takes one picture, but 2 were given");
        row("standard input twice", "-o x.BIN - -",
            usage + "standard input (-) can be read only once");
        row("standard input beside", "-",
            usage + "a picture from standard input needs -o FILE or -o -");
        row("missing folder", "-o nowhere/ a.bmp big.bmp", usage + "nowhere/: no such folder");

        row("older BIN is replaced", "a.bmp", "0 [a.BIN]");
        row("one name but for letter case", "a.bmp A.bmp",
            "1 [a.BIN] A.bmp: will not write A.BIN: a.bmp is converted into it too");
        row("two pictures, all converted", "a.bmp big.bmp",
            "0 [a.BIN big.BIN] 2 pictures converted");
        row("into folder, quiet", "-q -o out/ sub/../a.bmp big.bmp", "0 [out/a.BIN out/big.BIN]");
        row("into a file", "-o logo.raw a.bmp", "0 [logo.raw]");
        row("to standard output", "-o - a.bmp", "0 [] 02 00 2e 20 5b 48 22 0a 6f 32 9b 52");
        row("preview, synced", "--sync --preview p.bmp a.bmp", "0 [a.BIN p.bmp]");
        row("too tall", "--max-size 9x3 big.bmp a.bmp",
            "1 [a.BIN] big.bmp: too large: the picture is 9 x 4 pixels, --max-size allows 9 x 3");
        row("exactly the limit", "--max-size 9X4 big.bmp", "0 [big.BIN]");
        row("BIN not written", "-o nowhere/x.BIN a.bmp",
            "1 [] nowhere/x.BIN: cannot write file: No such file or directory");
        row("preview not written", "--preview nowhere/p.bmp a.bmp",
            "1 [a.BIN] nowhere/p.bmp: cannot write file: No such file or directory");
        row("in a Japanese locale", "LANG=ja_JP.UTF-8 nope.jpg",
            "1 [] nope.jpg: 画像を読み込めません: ファイルがありません");
        row("nothing on standard input", "-o - -",
            "1 [] standard input: cannot read picture: nothing came in");
#ifdef Q_OS_LINUX
        row("standard output fails", "-o - a.bmp >/dev/full",
            "1 [] standard output: cannot write file: No space left on device");
#endif

        row("output is the picture", "-o ./big.bmp big.bmp",
            "1 [] big.bmp: will not write ./big.bmp: it is the picture itself");
        row("name too short", "sub/ab a.bmp",
            "1 [a.BIN] sub/ab: the name is too short to make a BIN name from (fewer than three "
            "characters); use -o FILE");
        row("a folder", "sub/ a.bmp",
            "1 [a.BIN] sub/: this is a folder; give the pictures in it, such as sub/*.jpg");
        row("output is another picture of the run", "a.bmp a.BIN",
            "1 [] a.bmp: will not write a.BIN: it is also given as a picture to convert");
        row("same picture twice", "a.bmp ./a.bmp",
            "1 [a.BIN] ./a.bmp: will not write ./a.BIN: a.bmp is converted into it too");
        row("one name from two folders", "-o out a.bmp sub/a.bmp",
            "1 [out/a.BIN] sub/a.bmp: will not write out/a.BIN: a.bmp is converted into it too");
        row("preview is the picture", "--preview a.bmp a.bmp",
            "1 [] a.bmp: will not write a.bmp: it is the picture itself");
        row("preview is the BIN file", "--preview a.BIN a.bmp",
            "1 [] a.bmp: will not write a.BIN: the preview and the BIN file would be one file");
#ifdef Q_OS_UNIX
        row("BIN name links to the picture", "l.bmp",
            "1 [] l.bmp: will not write l.BIN: it is the picture itself");
#endif

        // For firmware: a.bmp and its BIN file c.BIN hold the 3 x 2 pixels 000011 250576
        // 4a0adb, 0b4714 304c79 5551de.
        row("byte order unknown", "--byte-order xe a.bmp",
            usage + "--byte-order wants le or be, not \"xe\"");
        row("high byte first", "--byte-order be -o - a.bmp",
            "0 [] 00 02 20 2e 48 5b 0a 22 32 6f 52 9b");
        row("ordered dither", "--dither ordered -o - a.bmp",
            "0 [] 02 00 2f 28 5b 48 43 12 6f 32 bc 5a");
        row("error diffusion, high byte first", "--dither fs --byte-order be -o - a.bmp",
            "0 [] 00 02 20 2e 48 5b 0a 22 2a 4e 52 7b");
        row("quarter turn clockwise", "--rotate 90 -o - a.bmp",
            "0 [] 22 0a 02 00 6f 32 2e 20 9b 52 5b 48");
        row("fit without size", "--fit 0x2 a.bmp",
            usage + "--fit wants WIDTHxHEIGHT, such as 320x240, not \"0x2\"");
        row("fit mode without fit", "--fit-mode cover a.bmp", usage + "--fit-mode needs --fit");
        row("background unknown", "--fit 3x2 --background red a.bmp",
            usage + "--background wants a colour as RRGGBB in hex, such as ff8000, not \"red\"");
        row("fit to its own size", "--fit 3x2 -o - a.bmp",
            "0 [] 02 00 2e 20 5b 48 22 0a 6f 32 9b 52");
        row("contained, the odd band right", "--fit 6x2 --background ff8000 -o - a.bmp",
            "0 [] 00 fc 02 00 2e 20 5b 48 00 fc 00 fc 00 fc 22 0a 6f 32 9b 52 00 fc 00 fc");
        row("covered, the overhang cut", "--fit 3x1 --fit-mode cover -o - a.bmp",
            "0 [] 02 00 2e 20 5b 48");
        row("limit after fitting", "--fit 9x4 --max-size 3x2 a.bmp",
            "1 [] a.bmp: too large: the picture is 9 x 4 pixels, --max-size allows 3 x 2");
        row("C source beside", "--format c a.bmp big.bmp", "0 [a.c big.c] 2 pictures converted");
        row("C source", "--format c --byte-order be -o - a.bmp",
            "0 [] /* a.bmp: 3 x 2 pixels in 65K colours (RGB565), two bytes a pixel, high byte "
            "first */\n#include <stdint.h>\n\n#define a_WIDTH 3\n#define a_HEIGHT 2\n\n"
            "const uint8_t a[a_WIDTH * a_HEIGHT * 2] = {\n"
            "    0x00, 0x02, 0x20, 0x2e, 0x48, 0x5b, 0x0a, 0x22, 0x32, 0x6f, 0x52, 0x9b,\n};");
        row("from BIN with dithering", "--from-bin 3x2 --dither fs c.BIN",
            usage + "--from-bin cannot be combined with --dither");
        row("BIN to picture", "--from-bin 3x2 -o - c.BIN",
            "0 [] 17 47 0f 7f 4f 37 df 53 57 00 00 00 17 00 00 77 07 27 df 0b 4f 00 00 00");
        row("BIN to picture, read high byte first", "--from-bin 3x2 --byte-order be -o - c.BIN",
            "0 [] 57 43 27 97 e7 6f 97 6b 9f 00 00 00 00 43 00 00 c7 2f 47 6b 5f 00 00 00");
        row("BIN of another length", "--from-bin 3x2 -o x.bmp a.BIN",
            "1 [] a.BIN: is 9 bytes long, but a BIN file of 3 x 2 pixels is 12 bytes");
        row("picture beside the BIN kept", "--from-bin 3x2 c.BIN",
            "1 [] c.BIN: will not write c.bmp: the file exists; name it with -o to replace it");
    }

    void outcomes()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        const QByteArray small = testing::encoded(testing::patternPicture(3, 2), "BMP");
        QVERIFY(testing::writeAll(dir.filePath("a.bmp"), small));
        QVERIFY(testing::writeAll(dir.filePath("l.bmp"), small));
        QVERIFY(testing::writeAll(dir.filePath("A.bmp"), small));
        QVERIFY(testing::writeAll(dir.filePath("big.bmp"),
                                  testing::encoded(testing::patternPicture(9, 4), "BMP")));
        QVERIFY(testing::writeAll(dir.filePath("a.BIN"), "older BIN"));
        QVERIFY(testing::writeAll(dir.filePath("c.bmp"), small));
        QVERIFY(testing::writeAll(dir.filePath("c.BIN"), testing::binOf(dir.filePath("a.bmp"))));
        QVERIFY(QDir(dir.path()).mkdir("out"));
        QVERIFY(QDir(dir.path()).mkdir("sub"));
#ifdef Q_OS_UNIX
        QVERIFY(QFile::link("l.bmp", dir.filePath("l.BIN")));
#endif
        const QMap<QString, QByteArray> before = contents(dir.path());

        const Result result = runConvert(arguments.split(u' '), dir.path());
        const QMap<QString, QByteArray> after = contents(dir.path());
        // Written means the bytes differ, or the file came or went.
        QMap<QString, QByteArray> both = before;
        both.insert(after);
        QStringList changed;
        for (const QString &name : both.keys())
            if (before.value(name) != after.value(name))
                changed << name;
        // Error lines start with the command's name, as Unix tools' do.
        QString first = result.errorLines.value(0);
        if (result.exitCode != 0)
            QVERIFY2(first.startsWith(QStringLiteral("varnello-convert: ")), qPrintable(first));
        if (result.exitCode == 1)
            first = first.mid(18);
        // Then what -o - wrote: C source as it is, a bitmap's pixel rows (bottom up, in blue,
        // green, red, each row padded to four bytes), BIN bytes in hex.
        const QByteArray out = !arguments.contains(u"-o -")  ? QByteArray()
                               : result.out.startsWith("/*") ? result.out.trimmed()
                               : result.out.startsWith("BM") ? result.out.mid(54).toHex(' ')
                                                             : result.out.toHex(' ');
        const QString got = QStringLiteral("%1 [%2] %3")
                                .arg(result.exitCode)
                                .arg(changed.join(u' '), first + QString::fromUtf8(out));
        QCOMPARE(got.trimmed(), outcome);
    }

    // Where the shell leaves patterns to the program (Windows), it expands them as a Unix
    // shell would; a pattern that matches nothing stays, so that its error names it.
    void wildcardsExpandAsAShellWould_data()
    {
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("no pattern") << "a.bmp -"
                                    << "a.bmp -";
        QTest::newRow("any name, letter case ignored") << "*.bmp"
                                                       << "a.bmp B.BMP";
        QTest::newRow("one letter, in a folder") << "sub/?.jpg"
                                                 << "sub/c.jpg";
        QTest::newRow("nothing matches") << "*.png x"
                                         << "*.png x";
    }

    void wildcardsExpandAsAShellWould()
    {
        QFETCH(QString, pictures);
        QFETCH(QString, expanded);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("sub/d.bmp"));
        for (const char *name : {"a.bmp", "B.BMP", "sub/c.jpg", "sub/cc.jpg"})
            QVERIFY(testing::writeAll(dir.filePath(name), "x"));
        const QString was = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QStringList got = cli::expandWildcards(pictures.split(u' '));
        QDir::setCurrent(was);
        QCOMPARE(got.join(u' '), expanded);
    }

    // Interrupted or killed mid-run, the command leaves the BIN files it finished and no
    // temporary file beside them.
    void anInterruptedRunLeavesNoTemporary_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl-C") << 2;
        QTest::newRow("killed") << 9;
    }

    void anInterruptedRunLeavesNoTemporary()
    {
#ifndef Q_OS_UNIX
        QSKIP("signals are sent the Unix way");
#else
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QByteArray picture = testing::encoded(testing::patternPicture(1920, 1080), "JPEG");
        QStringList pictures{"-q", "-j", "2"};
        for (int i = 0; i < 40; ++i) {
            pictures << QStringLiteral("p%1.jpg").arg(i);
            QVERIFY(testing::writeAll(dir.filePath(pictures.last()), picture));
        }
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VARNELLO_CONVERT), pictures);
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY(QDir(dir.path()).entryList({"*.BIN"}, QDir::Files).size() >= 2);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(dir.path()).entryList({"*~"}, QDir::Files | QDir::Hidden), QStringList());
        for (const QString &bin : QDir(dir.path()).entryList({"*.BIN"}, QDir::Files))
            QCOMPARE(QFileInfo(dir.filePath(bin)).size(), qint64(2 * 1920 * 1080));
#endif
    }
};

QTEST_GUILESS_MAIN(tst_ConvertCommand)
#include "tst_convert_command.moc"
