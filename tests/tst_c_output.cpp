// C source from the command line, as a firmware build uses it: compiled with the system's C and
// C++ compilers, warnings as errors, linked across the two languages, and run, so that a name
// that does not compile, an array without external linkage or a wrong word shows.
#include "support.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a program in `folder`; its standard output, or the reason it failed.
QString run(const QString &program, const QStringList &arguments, const QString &folder, bool *ok)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    *ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    return QString::fromUtf8(*ok ? process.readAllStandardOutput()
                                 : process.readAllStandardError() +
                                       process.readAllStandardOutput());
}

// The words a checker prints for a picture: its size and its first and last elements, from the
// bytes the window's conversion gives, in the order and width asked for.
QString expectedWords(const QString &symbol, const QImage &picture, bool big, bool words)
{
    QByteArray bin = testing::expectedBin(picture);
    if (big)
        for (qsizetype i = 0; i + 1 < bin.size(); i += 2)
            std::swap(bin[i], bin[i + 1]);
    const auto element = [&](qsizetype i) {
        const auto b = [&](qsizetype k) { return unsigned(std::uint8_t(bin[k])); };
        return words
                   ? QStringLiteral("%1").arg(b(2 * i) | b(2 * i + 1) << 8, 4, 16, QLatin1Char('0'))
                   : QStringLiteral("%1").arg(b(i), 2, 16, QLatin1Char('0'));
    };
    const qsizetype count = words ? bin.size() / 2 : bin.size();
    return QStringLiteral("%1 %2x%3 %4 %5\n")
        .arg(symbol)
        .arg(picture.width())
        .arg(picture.height())
        .arg(element(0), element(count - 1));
}

} // namespace

class tst_COutput : public QObject
{
    Q_OBJECT

private slots:
    // Each row converts pictures into C source with its options and names the symbols that
    // must come out; a checker includes the headers and prints each array's size and first and
    // last element, compiled as C99 and as C++17, with the sources compiled as C and as C++.
    void compilesLinksAndHoldsTheWords_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("pictures");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("awkward names")
            << "" << QStringList{"bool.bmp", "uint8_t.bmp", "2024-logo.bmp", "写真.bmp", "main.bmp"}
            << QStringList{"picture_bool", "picture_uint8_t", "picture_2024_logo",
                           "picture_u5199_u771f", "picture_main"};
        QTest::newRow("bytes, high byte first")
            << "--byte-order be" << QStringList{"a.bmp"} << QStringList{"a"};
        QTest::newRow("words") << "--c-type u16" << QStringList{"a.bmp"} << QStringList{"a"};
        QTest::newRow("words, high byte first")
            << "--c-type u16 --byte-order be" << QStringList{"a.bmp"} << QStringList{"a"};
        QTest::newRow("a chosen name")
            << "--name logo_le" << QStringList{"a.bmp"} << QStringList{"logo_le"};
        QTest::newRow("several in one source, with their table")
            << "-o assets.c" << QStringList{"a.bmp", "b.bmp", "a.png"}
            << QStringList{"a", "b", "a_2"};
    }

    void compilesLinksAndHoldsTheWords()
    {
        if (QStandardPaths::findExecutable("cc").isEmpty() ||
            QStandardPaths::findExecutable("c++").isEmpty())
            QSKIP("needs the system's C and C++ compilers as cc and c++");
        QFETCH(QString, options);
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, symbols);
        QTemporaryDir dir;
        QString expected;
        QStringList arguments = options.split(u' ', Qt::SkipEmptyParts);
        const bool big = options.contains(u"be"), words = options.contains(u"u16");
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            const QImage picture = testing::patternPicture(3 + int(i), 2);
            QVERIFY(picture.save(dir.filePath(pictures[i]),
                                 pictures[i].endsWith(u"png") ? "PNG" : "BMP"));
            expected += expectedWords(symbols[i], picture, big, words);
        }
        const bool oneSource = options.startsWith(u"-o");
        if (oneSource)
            QCOMPARE(
                testing::runConvert(QStringList{"--format", "c"} + arguments + pictures, dir.path())
                    .exitCode,
                0);
        else
            for (const QString &picture : pictures)
                QCOMPARE(testing::runConvert(QStringList{"--format", "c"} + arguments +
                                                 QStringList{picture},
                                             dir.path())
                             .exitCode,
                         0);

        // The checker: every header included together, each array through its macros, and the
        // table walked; the attribute hook asks for an alignment that is then checked.
        QByteArray checker = "#include <stdio.h>\n#include <stdint.h>\n";
        QStringList sources;
        for (const QString &name : QDir(dir.path()).entryList({"*.c"}, QDir::Files)) {
            sources << name;
            checker += "#include \"" + name.chopped(2).toUtf8() + ".h\"\n";
        }
        checker += "int main(void)\n{\n";
        const char *format = words ? "%04x" : "%02x";
        if (oneSource) {
            checker += "    for (unsigned i = 0; i < ASSETS_PICTURE_COUNT; ++i) {\n"
                       "        const assets_picture *p = &assets_pictures[i];\n"
                       "        unsigned n = (unsigned)(p->width * p->height" +
                       QByteArray(words ? "" : " * 2") +
                       ");\n"
                       "        printf(\"%s %ux%u " +
                       format + " " + format +
                       "\\n\", p->name, (unsigned)p->width, (unsigned)p->height, "
                       "(unsigned)p->data[0], (unsigned)p->data[n - 1]);\n"
                       "        if ((uintptr_t)p->data % 64 != 0) return 1;\n    }\n";
        } else {
            for (const QString &symbol : symbols) {
                const QByteArray s = symbol.toUtf8();
                checker += "    printf(\"" + s + " %ux%u " + format + " " + format + "\\n\", " + s +
                           "_WIDTH, " + s + "_HEIGHT, (unsigned)" + s + "[0], (unsigned)" + s +
                           "[sizeof " + s + " / sizeof " + s + "[0] - 1]);\n";
                checker += "    if ((uintptr_t)" + s + " % 64 != 0) return 1;\n";
            }
        }
        checker += "    return 0;\n}\n";
        QVERIFY(testing::writeAll(dir.filePath("check.c"), checker));
        QVERIFY(testing::writeAll(dir.filePath("check.cpp"), checker));

        const QStringList strict{"-Wall", "-Wextra", "-pedantic", "-Werror",
                                 "-DVARNELLO_ATTRIBUTES=__attribute__((aligned(64)))"};
        for (const auto &[language, checkerFile, compileSourcesAs] :
             {std::tuple{"C99", "check.c", "c"}, std::tuple{"C++17", "check.cpp", "c++"},
              std::tuple{"C++17 checker, C sources", "check.cpp", "c"}}) {
            QStringList objects;
            bool ok = false;
            for (const QString &source : sources) {
                const QString object = source + QStringLiteral(".o");
                const QString compiler = QLatin1String(compileSourcesAs) == u"c" ? "cc" : "c++";
                const QStringList standard{compiler == u"cc" ? "-std=c99" : "-std=c++17"};
                const QString errors =
                    run(compiler,
                        standard + strict +
                            QStringList{"-x", compileSourcesAs, "-c", source, "-o", object},
                        dir.path(), &ok);
                QVERIFY2(ok, qPrintable(QStringLiteral("%1: %2").arg(language, errors)));
                objects << object;
            }
            const bool cxx = QLatin1String(checkerFile).endsWith(u"cpp");
            const QString out =
                run(cxx ? "c++" : "cc",
                    QStringList{cxx ? "-std=c++17" : "-std=c99"} + strict +
                        QStringList{checkerFile} + objects + QStringList{"-o", "check"},
                    dir.path(), &ok);
            QVERIFY2(ok, qPrintable(QStringLiteral("%1: %2").arg(language, out)));
            QCOMPARE(run(dir.filePath("check"), {}, dir.path(), &ok), expected);
            QVERIFY2(ok, language);
        }
    }
};

QTEST_GUILESS_MAIN(tst_COutput)
#include "tst_c_output.moc"
