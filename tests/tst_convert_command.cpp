// The built varnello-convert, run as a script would run it: with no display, and checked
// against the bytes the window's own path (load, convert, write) gives for the same files.
// Its option reading is called directly only for what a run cannot show. The cases of whole
// runs are in tests/data/cases/convert_command.tsv.
#include "cli/console.h"
#include "cli/report.h"
#include "core/files/bitmap_file.h"
#include "core/files/input_file.h"
#include "core/files/output_file.h"
#include "support.h"

#include <QDir>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <tuple>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

// Every file under the folder, hidden ones too, so that a left-over temporary file shows; names
// as messages show them.
QMap<QString, QByteArray> contents(const QString &folder)
{
    // Not QDirIterator: it leaves out names that are not UTF-8.
    QMap<QString, QByteArray> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(testing::fs(folder))) {
        if (!entry.is_regular_file())
            continue;
        const QString path = platform::fromPath(entry.path());
        const auto bytes = core::readWholeFile(entry.path(), 1 << 30);
        files.insert(platform::displayPath(path.mid(folder.size() + 1)),
                     bytes ? QByteArray(reinterpret_cast<const char *>(bytes.value().data()),
                                        qsizetype(bytes.value().size()))
                           : QByteArray());
    }
    return files;
}

} // namespace

class tst_ConvertCommand : public QObject
{
    Q_OBJECT

private slots:
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
        const testing::Run serial = testing::runConvert(
            QStringList{"-j", "1", "-o", "serial"} + limit + pictures, dir.path());
        const testing::Run parallel = testing::runConvert(
            QStringList{"-j", "5", "-o", "parallel"} + limit + pictures, dir.path());
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

    // A whole run as one line: its exit status, the files it wrote or changed, and its first
    // line on standard error. Arguments are split at spaces.
    void outcomes_data() { testing::addCases("convert_command", {"arguments", "outcome"}); }

    void outcomes()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        // QTemporaryDir does not see names that are not UTF-8, and would leave them.
        const auto removeAll = qScopeGuard([&] {
            std::error_code ignored;
            std::filesystem::remove_all(testing::fs(dir.path()), ignored);
        });
        const QByteArray small = testing::encoded(testing::patternPicture(3, 2), "BMP");
        for (const char *name : {"a.bmp", "l.bmp", "A.bmp", "c.bmp"})
            QVERIFY(testing::writeAll(dir.filePath(name), small));
        QVERIFY(testing::writeAll(dir.filePath("big.bmp"),
                                  testing::encoded(testing::patternPicture(9, 4), "BMP")));
        QVERIFY(testing::writeAll(dir.filePath("写真.JPG"),
                                  testing::encoded(testing::patternPicture(64, 48), "JPEG", 80)));
        QVERIFY(QFile::copy(TEST_DATA "/pictures/gif_animation_5_frames.gif",
                            dir.filePath("anim.gif")));
        QVERIFY(testing::writeAll(dir.filePath("cut.gif"),
                                  testing::readAll(dir.filePath("anim.gif")).left(120)));
        QVERIFY(
            testing::writeAll(dir.filePath("cut.png"),
                              testing::encoded(testing::patternPicture(64, 48), "PNG").left(41)));
        for (const char *name : {"l.h", "anim-002.BIN", "a-009.BIN"})
            QVERIFY(testing::writeAll(dir.filePath(name), small));
        QVERIFY(testing::writeAll(dir.filePath("a.BIN"), "older BIN"));
#ifdef Q_OS_UNIX
        // A name that is bytes, not UTF-8, as Unix allows.
        QVERIFY(core::writeFile(
            std::filesystem::path((QFile::encodeName(dir.path()) + "/\xffo.bmp").toStdString()),
            {reinterpret_cast<const std::uint8_t *>(small.data()), std::size_t(small.size())}));
#endif
        QVERIFY(testing::writeAll(dir.filePath("c.BIN"), testing::binOf(dir.filePath("a.bmp"))));
        QVERIFY(QDir(dir.path()).mkdir("out"));
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QVERIFY(testing::writeAll(dir.filePath("sub/a.BIN"), "older BIN"));
#ifdef Q_OS_UNIX
        QVERIFY(QFile::link("l.bmp", dir.filePath("l.BIN")));
        QVERIFY(QFile::link("sub", dir.filePath("there")));
#endif
        const QMap<QString, QByteArray> before = contents(dir.path());
        // What the window makes of a picture of the folder: its BIN, or its preview bitmap.
        const auto heldBy = [&](const QByteArray &bytes, bool bitmap) -> QString {
            for (const QString picture : {"a.bmp", "big.bmp", "写真.JPG"}) {
                auto shown = core::loadPicture(testing::fs(dir.filePath(picture)));
                const QString saved = dir.filePath("window/preview.bmp");
                if (bitmap && (!QDir(dir.path()).mkpath("window") ||
                               !core::convertPicture(shown.value(), true) ||
                               !core::saveBitmap(testing::fs(saved), shown.value())))
                    return {};
                if (bytes == (bitmap ? testing::readAll(saved)
                                     : testing::expectedBin(testing::imageOf(shown.value()))))
                    return '=' + picture;
            }
            // Or one frame of the animation, counted from 1.
            QString frameHeld;
            std::ignore = core::decodeFrames(
                testing::view(testing::readAll(dir.filePath("anim.gif"))), {}, {},
                [&](int index, core::PixelStore &frame) -> std::optional<core::Message> {
                    if (testing::expectedBin(testing::imageOf(frame)) == bytes)
                        frameHeld = QStringLiteral("=anim.gif:%1").arg(index + 1);
                    return std::nullopt;
                });
            return frameHeld;
        };

        // \xNN in an argument is a byte that is not UTF-8.
        QStringList words = arguments.split(u' ');
        for (QString &word : words)
            while (word.contains(QStringLiteral("\\x"))) {
                const qsizetype at = word.indexOf(QStringLiteral("\\x"));
                word.replace(at, 4,
                             QChar(char16_t(0xDC00 + word.mid(at + 2, 2).toUInt(nullptr, 16))));
            }
        const qsizetype from = words.indexOf(QRegularExpression("^<.*"));
        const QByteArray input =
            from < 0 ? QByteArray() : testing::readAll(dir.filePath(words.takeAt(from).mid(1)));
        const testing::Run result = testing::runConvert(words, dir.path(), input);
        const QMap<QString, QByteArray> after = contents(dir.path());
        // Written means the bytes differ, or the file came or went.
        QMap<QString, QByteArray> both = before;
        both.insert(after);
        QStringList changed;
        for (const QString &name : both.keys())
            if (!after.contains(name))
                changed << name + QStringLiteral(":gone");
            else if (before.value(name) != after.value(name))
                changed << name + heldBy(after.value(name), name.endsWith(u".bmp"));
        // Error lines start with the command's name, as Unix tools' do.
        QString first = result.errorLines.value(0);
        if (result.exitCode != 0)
            QVERIFY2(first.startsWith(QStringLiteral("varnello-convert: ")), qPrintable(first));
        if (result.exitCode == 1)
            first = first.mid(18);
        // Then what -o - wrote: the picture whose BIN it is, C source as it is, a bitmap's pixel
        // rows (bottom up, in blue, green, red, each row padded to four bytes), BIN bytes in hex.
        const QString held = heldBy(result.out, false);
        // A report on standard output as it reads; JSON parsed back and written compactly.
        const QJsonDocument json = QJsonDocument::fromJson(result.out);
        const QByteArray out = arguments.contains(u"--json") ? json.toJson(QJsonDocument::Compact)
                               : arguments.contains(u"--dry-run") ? result.out.trimmed()
                               : !arguments.contains(u"-o -")     ? QByteArray()
                               : !held.isEmpty()                  ? "stdout" + held.toUtf8()
                               : result.out.startsWith("/*")      ? result.out.trimmed()
                               : result.out.startsWith("BM")      ? result.out.mid(54).toHex(' ')
                                                                  : result.out.toHex(' ');
        const QString got = QStringLiteral("%1 [%2] %3")
                                .arg(result.exitCode)
                                .arg(changed.join(u' '), first + QString::fromUtf8(out));
        QCOMPARE(got.trimmed(), outcome);
    }

    // Every example of the help, the README and docs/, run as a user would type it, in order,
    // in a folder holding the pictures they name: each must succeed (the one that shows an
    // option error must give that error). Their Makefiles are run with make.
    void everyExampleRuns()
    {
#ifndef Q_OS_UNIX
        QSKIP("the examples are written for a Unix shell");
#else
        QTemporaryDir dir;
        const auto save = [&](const QImage &picture, const QString &name) {
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(name).path()));
            QVERIFY(picture.save(dir.filePath(name)));
        };
        save(testing::patternPicture(640, 480), "photo.jpg");
        save(testing::patternPicture(160, 120), "logo.bmp");
        save(testing::patternPicture(160, 120), "logo.png");
        QImage sprite = testing::patternPicture(32, 32, QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if ((x - 16) * (x - 16) + (y - 16) * (y - 16) > 200)
                    sprite.setPixel(x, y, sprite.pixel(x, y) & 0x00FFFFFF);
        save(sprite, "sprite.png");
        for (const char *name :
             {"pictures/a.jpg", "pictures/b.jpg", "pictures/c.png", "pictures/d.bmp"})
            save(testing::patternPicture(64, 48), name);
        QVERIFY(QFile::copy(TEST_DATA "/pictures/gif_animation_5_frames.gif",
                            dir.filePath("anim.gif")));
        QVERIFY(QDir(dir.path()).mkdir("out"));

        // The help's examples, with their continued lines joined.
        QStringList commands;
        QString joined;
        for (const QString &line :
             QString::fromUtf8(testing::runConvert({"--help"}, dir.path()).out).split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (joined.isEmpty() && !trimmed.startsWith(u"varnello-convert ") &&
                !trimmed.contains(u"| varnello-convert "))
                continue;
            joined += trimmed.endsWith(u'\\') ? trimmed.chopped(1) : trimmed;
            if (!trimmed.endsWith(u'\\'))
                commands << std::exchange(joined, QString());
        }
        QVERIFY(commands.size() >= 7);
        // The README's and those of the pages in docs/, in that order: every line of their
        // shell blocks and every example of their tables.
        QString readme = QString::fromUtf8(testing::readAll(SOURCE_DIR "/README.md"));
        for (const QString &page :
             QDir(SOURCE_DIR "/docs").entryList({"*.md"}, QDir::Files, QDir::Name))
            readme += QString::fromUtf8(testing::readAll(SOURCE_DIR "/docs/" + page));
        QStringList makefiles, errors;
        QString block, fence;
        for (const QString &line : readme.split(u'\n')) {
            if (line.startsWith(u"```")) {
                if (fence == u"```make")
                    makefiles << block;
                fence = fence.isEmpty() ? line : QString();
                block.clear();
                continue;
            }
            block += line + u'\n';
            if (fence == u"```sh" && line.contains(u"varnello-convert "))
                commands << line;
            if (!fence.isEmpty() || !line.contains(u"`varnello-convert "))
                continue;
            static const QRegularExpression span(QStringLiteral("`(varnello-convert [^`]*)`"));
            for (const auto &match : span.globalMatch(line)) {
                if (line.startsWith(u'|') && line.endsWith(match.captured(0) + " |"))
                    commands << match.captured(1); // the example column of the options
                else if (line.mid(match.capturedEnd()).startsWith(u" says "))
                    errors << match.captured(1); // an option error, shown in prose
            }
        }
        QVERIFY(commands.size() >= 30);
        QVERIFY(!makefiles.isEmpty());

        const auto shell = [&](const QString &command) {
            QProcess process;
            process.setWorkingDirectory(dir.path());
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("PATH", QFileInfo(QStringLiteral(VARNELLO_CONVERT)).path() + u':' +
                                           environment.value("PATH"));
            environment.insert("LANG", "C.UTF-8");
            process.setProcessEnvironment(environment);
            process.start("/bin/sh", {"-c", command});
            process.waitForFinished(120000);
            return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
        };
        for (const QString &command : commands) {
            const auto [status, said] = shell(command);
            QVERIFY2(status == 0, qPrintable(command + u'\n' + said));
        }
        for (const QString &command : errors) {
            const auto [status, said] = shell(command);
            QCOMPARE(status, 2);
            QVERIFY2(readme.contains(said.section(u'\n', 0, 0).mid(18)), qPrintable(said));
        }
        for (const QString &makefile : makefiles) {
            QVERIFY(testing::writeAll(dir.filePath("Makefile"), makefile.toUtf8()));
            const auto [status, said] = shell("make");
            QVERIFY2(status == 0, qPrintable(makefile + said));
        }
#endif
    }

    // Windows' shells leave patterns to the program (see the cases).
    void wildcardsExpandAsAShellWould_data()
    {
        testing::addCases("wildcards", {"pictures", "expanded"});
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
        std::vector<std::filesystem::path> given;
        for (const QString &picture : pictures.split(u' '))
            given.push_back(testing::fs(picture));
        QStringList got;
        for (const auto &path : cli::console::expandWildcards(given))
            got << platform::fromPath(path);
        QDir::setCurrent(was);
        QCOMPARE(got.join(u' '), expanded);
    }

    // Interrupted or killed mid-run, the command leaves each BIN file old or whole and no
    // temporary file beside them (but for the moment of a rename, below), whether it syncs its
    // writes or not.
    void anInterruptedRunLeavesNoTemporary_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("sync");
        QTest::newRow("Ctrl-C") << 2 << "--quiet";
        QTest::newRow("killed") << 9 << "--quiet";
        QTest::newRow("killed, synced") << 9 << "--sync";
    }

    void anInterruptedRunLeavesNoTemporary()
    {
#ifndef Q_OS_UNIX
        QSKIP("signals are sent the Unix way");
#else
        QFETCH(int, signal);
        QFETCH(QString, sync);
        QTemporaryDir dir;
        const QByteArray picture = testing::encoded(testing::patternPicture(1920, 1080), "JPEG");
        QStringList arguments{sync, "-j", "2"};
        for (int i = 0; i < 40; ++i) {
            arguments << QStringLiteral("p%1.jpg").arg(i);
            QVERIFY(testing::writeAll(dir.filePath(arguments.last()), picture));
            QVERIFY(testing::writeAll(dir.filePath(arguments.last().chopped(3) + "BIN"), "old"));
        }
        const auto written = [&] {
            QStringList bins;
            for (const QFileInfo &bin : QDir(dir.path()).entryInfoList({"*.BIN"}, QDir::Files))
                if (bin.size() > 3)
                    bins << bin.filePath();
            return bins;
        };
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VARNELLO_CONVERT), arguments);
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY(written().size() >= 2);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        const QByteArray whole = testing::binOf(dir.filePath("p0.jpg"));
        // A kill that cannot be caught may strike while a whole file is being renamed into
        // place: then one hidden, whole file at most, which no glob takes.
        const QStringList left = QDir(dir.path()).entryList({"*~"}, QDir::Files | QDir::Hidden);
        QVERIFY2(left.isEmpty() ||
                     (signal == SIGKILL && left.size() == 1 && left[0].startsWith(u'.') &&
                      testing::readAll(dir.filePath(left[0])) == whole),
                 qPrintable(left.join(u' ')));
        for (const QString &bin : written())
            QVERIFY2(testing::readAll(bin) == whole, qPrintable(bin));
#endif
    }
};

QTEST_GUILESS_MAIN(tst_ConvertCommand)
#include "tst_convert_command.moc"
