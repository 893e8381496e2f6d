// The built varnello-convert, run as a script would run it: with no display, and checked
// against the bytes the window's own path (load, convert, write) gives for the same files.

#include "core/bin_file.h"
#include "core/bitmap_file.h"
#include "core/conversion.h"
#include "core/picture_loader.h"
#include "test_pictures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QStringList errorLines;
};

Result runConvert(const QStringList &arguments, const QString &folder, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VARNELLO_CONVERT), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    Result result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.errorLines =
        QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return result;
}

// What the window writes for a file: load, convert with no preview, write.
QByteArray windowBin(const QString &picture, const QString &scratch)
{
    auto loaded = core::loadPicture(picture);
    if (!loaded)
        return {};
    auto bin = core::convertPicture(loaded.value(), false);
    if (!bin || !core::writeBinFile(scratch, bin.value()))
        return {};
    return testing::readAll(scratch);
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
        QTest::newRow("JPEG") << "Photo.JPG"
                              << testing::encoded(testing::patternPicture(64, 48), "JPEG", 80);
        QTest::newRow("grey JPEG")
            << QStringLiteral("灰色.jpg")
            << testing::encoded(testing::patternPicture(33, 17, QImage::Format_Grayscale8), "JPEG");
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
        const QByteArray expected = windowBin(dir.filePath(name), dir.filePath("window.BIN"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(testing::readAll(bin), expected);

        // The preview is what the window's canvas holds after a conversion with preview on.
        auto shown = core::loadPicture(dir.filePath(name));
        QVERIFY(shown.ok());
        QVERIFY(core::convertPicture(shown.value(), true).ok());
        QVERIFY(core::saveBitmap(dir.filePath("window.bmp"), shown.value()).ok());
        QCOMPARE(testing::readAll(dir.filePath("preview.bmp")),
                 testing::readAll(dir.filePath("window.bmp")));
    }

    void throughPipes()
    {
        QTemporaryDir dir;
        const QByteArray jpeg = testing::encoded(testing::patternPicture(40, 30), "JPEG");
        QVERIFY(testing::writeAll(dir.filePath("a.jpg"), jpeg));
        const Result result = runConvert({"-o", "-", "-"}, dir.path(), jpeg);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, windowBin(dir.filePath("a.jpg"), dir.filePath("window.BIN")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"a.jpg", "window.BIN"}));
    }

    // Many workers and failures among the pictures: every good picture gives the same bytes
    // as a serial run, and the error lines come in the order the pictures were given.
    void parallelRunMatchesSerialRun()
    {
        QTemporaryDir dir;
        QStringList pictures;
        QStringList expectedErrors;
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
            pictures << name;
            if (i % 7 == 3) {
                QVERIFY(testing::writeAll(dir.filePath(name), "not a picture"));
                expectedErrors << name + ": cannot read picture: ";
            } else {
                // Sizes differ, so that a worker's reused buffer shrinks and grows.
                const QImage picture = testing::patternPicture(16 + 37 * (i % 5), 9 + 11 * i);
                QVERIFY(testing::writeAll(dir.filePath(name), testing::encoded(picture, "JPEG")));
            }
        }
        pictures.insert(5, "missing.jpg");
        expectedErrors.insert(1, "missing.jpg: cannot read picture: no such file");
        QVERIFY(QDir(dir.path()).mkdir("serial"));
        QVERIFY(QDir(dir.path()).mkdir("parallel"));

        const Result serial =
            runConvert(QStringList{"-j", "1", "-o", "serial"} + pictures, dir.path());
        const Result parallel =
            runConvert(QStringList{"-j", "5", "-o", "parallel"} + pictures, dir.path());
        for (const Result *result : {&serial, &parallel}) {
            QCOMPARE(result->exitCode, 1);
            QCOMPARE(result->errorLines.size(), expectedErrors.size() + 1);
            for (qsizetype i = 0; i < expectedErrors.size(); ++i)
                QVERIFY2(result->errorLines[i].startsWith(expectedErrors[i]),
                         qPrintable(result->errorLines[i]));
            QCOMPARE(result->errorLines.last(), QString("25 pictures: 21 converted, 4 failed"));
        }
        const QStringList written = QDir(dir.filePath("serial")).entryList(QDir::Files);
        QCOMPARE(written.size(), 21);
        QCOMPARE(QDir(dir.filePath("parallel")).entryList(QDir::Files), written);
        for (const QString &name : written) {
            const QByteArray bin = testing::readAll(dir.filePath("parallel/" + name));
            QCOMPARE(bin, testing::readAll(dir.filePath("serial/" + name)));
            QCOMPARE(bin, windowBin(dir.filePath(name.left(3) + ".jpg"), dir.filePath("w.BIN")));
        }
    }

    void exitStatusAndWhatIsLeft_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstError"); // start of the first line on standard error
        QTest::addColumn<QStringList>("files");  // the folder's files afterwards
        const QStringList before{"a.BIN", "a.bmp", "big.bmp"};
        QTest::newRow("older BIN is replaced") << QStringList{"a.bmp"} << 0 << QString() << before;
        QTest::newRow("usage error writes nothing")
            << QStringList{"-j", "0", "a.bmp"} << 2 << "varnello-convert: --jobs" << before;
        QTest::newRow("file output with two pictures")
            << QStringList{"-o", "x.BIN", "a.bmp", "big.bmp"} << 2 << "varnello-convert: -o x.BIN"
            << before;
        QTest::newRow("too large") << QStringList{"--max-size", "8x8", "big.bmp", "a.bmp"} << 1
                                   << "big.bmp: too large: the picture is 9 x 4 pixels, "
                                      "--max-size allows 8 x 8"
                                   << before;
        QTest::newRow("exactly the limit")
            << QStringList{"--max-size", "9x4", "big.bmp"} << 0 << QString()
            << QStringList{"a.BIN", "a.bmp", "big.BIN", "big.bmp"};
        QTest::newRow("picture is not replaced") << QStringList{"-o", "./big.bmp", "big.bmp"} << 1
                                                 << "big.bmp: will not write ./big.bmp" << before;
    }

    void exitStatusAndWhatIsLeft()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, firstError);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        const QByteArray small = testing::encoded(testing::patternPicture(3, 2), "BMP");
        const QByteArray big = testing::encoded(testing::patternPicture(9, 4), "BMP");
        QVERIFY(testing::writeAll(dir.filePath("a.bmp"), small));
        QVERIFY(testing::writeAll(dir.filePath("big.bmp"), big));
        QVERIFY(testing::writeAll(dir.filePath("a.BIN"), "older BIN"));

        const Result result = runConvert(arguments, dir.path());
        QCOMPARE(result.exitCode, exitCode);
        if (firstError.isEmpty())
            QCOMPARE(result.errorLines, QStringList());
        else
            QVERIFY2(!result.errorLines.isEmpty() && result.errorLines[0].startsWith(firstError),
                     qPrintable(result.errorLines.join('\n')));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
        QCOMPARE(testing::readAll(dir.filePath("a.bmp")), small);
        QCOMPARE(testing::readAll(dir.filePath("big.bmp")), big);
        const bool converted =
            arguments.contains("a.bmp") && exitCode != 2 && !arguments.contains("-o");
        QCOMPARE(testing::readAll(dir.filePath("a.BIN")) != "older BIN", converted);
    }
};

QTEST_GUILESS_MAIN(tst_ConvertCommand)
#include "tst_convert_command.moc"
