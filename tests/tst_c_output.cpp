// C source from the command line, as a firmware build uses it: compiled with the system's C and
// C++ compilers, warnings as errors, beside the standard headers and the other headers of the
// run, linked across the two languages, and run, so that a name that does not compile or means
// something else, an array without external linkage or a wrong word shows.
#include "core/files/output_file.h"
#include "support.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

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
    // Each row converts pictures into C source in one run with its options, and names the
    // symbol that must come out of each (picture=symbol; U+DCFF is the byte 0xff of a name that
    // is not UTF-8, as core::pathFromNative keeps it). A checker includes the standard headers
    // and then every header made, and prints each array's size and first and last element. It
    // is compiled as C99 and as C++17 in the GNU dialects, the compilers' own, which predefine
    // words such as linux, with the sources compiled as C and as C++, by GCC and by Clang where
    // it is installed.
    void compilesLinksAndHoldsTheWords_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("pictures");
        QTest::newRow("keywords and names C++ reserves")
            << QString()
            << QStringLiteral(
                   "bool.bmp=picture_bool and.bmp=picture_and bitand.bmp=picture_bitand "
                   "_Bool.bmp=picture_Bool __x.bmp=picture_x a--b.bmp=a_b end-.bmp=end "
                   "main.bmp=picture_main std.bmp=picture_std 写真.bmp=picture_u5199_u771f "
                   "2024-logo.bmp=picture_2024_logo");
        QString standard;
        for (const char *name :
             {"uint_fast16_t", "int_least8_t", "UINT8_MAX", "SIZE_MAX", "UINT8_C", "INT8", "PRIu8",
              "NULL", "EOF", "errno", "FILE", "linux", "unix", "i386", "VARNELLO_ATTRIBUTES"})
            standard += QStringLiteral(" %1.bmp=picture_%1").arg(QLatin1String(name));
        QTest::newRow("names of the standard headers, of GNU C and of ours")
            << QString() << standard.trimmed();
        QTest::newRow("logo and Logo from two folders")
            << QString() << QStringLiteral("one/logo.bmp=logo two/Logo.png=Logo");
        QTest::newRow("bytes, high byte first")
            << QStringLiteral("--byte-order be") << QStringLiteral("a.bmp=a");
        QTest::newRow("words") << QStringLiteral("--c-type u16") << QStringLiteral("a.bmp=a");
        QTest::newRow("words, high byte first")
            << QStringLiteral("--c-type u16 --byte-order be") << QStringLiteral("a.bmp=a");
        QTest::newRow("a chosen name")
            << QStringLiteral("--name logo_le") << QStringLiteral("a.bmp=logo_le");
        QTest::newRow("several in one source, with their table")
            << QStringLiteral("-o assets.c") << QStringLiteral("a.bmp=a b.bmp=b a.png=a_2");
        // Both ways round: logo's macro is taken by logo_HEIGHT before, and takes logo_WIDTH's.
        QTest::newRow("names of one source's macros")
            << QStringLiteral("-o assets.c")
            << QStringLiteral("logo_HEIGHT.bmp=logo_HEIGHT logo.bmp=logo_2 "
                              "logo_WIDTH.bmp=logo_WIDTH ASSETS_H.bmp=ASSETS_H "
                              "assets_pictures.bmp=assets_pictures_2 "
                              "ASSETS_PICTURE_COUNT.bmp=ASSETS_PICTURE_COUNT_2 ") +
                   QChar(0xDCFF) + QStringLiteral("o.bmp=picture_xffo");
    }

    void compilesLinksAndHoldsTheWords()
    {
        if (QStandardPaths::findExecutable("cc").isEmpty() ||
            QStandardPaths::findExecutable("c++").isEmpty())
            QSKIP("needs the system's C and C++ compilers as cc and c++");
        QFETCH(QString, options);
        QFETCH(QString, pictures);
        QStringList files, symbols;
        for (const QString &pair : pictures.split(u' ')) {
            files << pair.section(u'=', 0, 0);
            symbols << pair.section(u'=', 1);
        }
        QTemporaryDir dir;
        // QTemporaryDir does not see names that are not UTF-8, and would leave them.
        const auto removeAll = qScopeGuard([&] {
            std::error_code ignored;
            std::filesystem::remove_all(testing::fs(dir.path()), ignored);
        });
        QString expected;
        QStringList arguments = options.split(u' ', Qt::SkipEmptyParts);
        const bool big = options.contains(u"be"), words = options.contains(u"u16");
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QImage picture = testing::patternPicture(3 + int(i), 2);
            const QByteArray bytes =
                testing::encoded(picture, files[i].endsWith(u"png") ? "PNG" : "BMP");
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(files[i])).path()));
            QVERIFY(core::writeFile(
                testing::fs(dir.filePath(files[i])),
                {reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size())}));
            expected += expectedWords(symbols[i], picture, big, words);
        }
        const testing::Run converted =
            testing::runConvert(QStringList{"--format", "c"} + arguments + files, dir.path());
        QVERIFY2(converted.exitCode == 0, qPrintable(converted.errorLines.join(u'\n')));

        // The checker: the standard headers, then every header made, each array through its
        // macros, and the table walked; the attribute hook asks for an alignment that is then
        // checked.
        QByteArray checker;
        for (const char *standard : {"assert", "errno", "inttypes", "iso646", "limits", "stdbool",
                                     "stddef", "stdint", "stdio", "stdlib"})
            checker += QByteArray("#include <") + standard + ".h>\n";
        QStringList sources;
        for (QDirIterator it(dir.path(), {"*.c"}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString name = QDir(dir.path()).relativeFilePath(it.next());
            sources << name;
            checker += "#include \"" + name.chopped(2).toUtf8() + ".h\"\n";
        }
        checker += "int main(void)\n{\n";
        const char *format = words ? "%04x" : "%02x";
        const bool oneSource = options.startsWith(u"-o");
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
        QList<std::pair<QString, QString>> compilers{{"cc", "c++"}};
        if (!QStandardPaths::findExecutable("clang").isEmpty() &&
            !QStandardPaths::findExecutable("clang++").isEmpty())
            compilers.append(std::pair<QString, QString>{"clang", "clang++"});
        for (const auto &[c, cxx] : compilers) {
            bool ok = false;
            // The sources compiled as C and as C++, each language's objects in a folder.
            QMap<QString, QStringList> objects;
            for (const QString language : {"c", "c++"}) {
                const QString folder = dir.filePath(c + u'-' + language);
                QVERIFY(QDir().mkpath(folder));
                QStringList arguments{language == u"c" ? "-std=gnu99" : "-std=gnu++17"};
                arguments += strict + QStringList{"-x", language, "-c"};
                for (const QString &source : sources) {
                    arguments << dir.filePath(source);
                    objects[language] << folder + u'/' + QFileInfo(source).completeBaseName() +
                                             QStringLiteral(".o");
                }
                const QString errors = run(language == u"c" ? c : cxx, arguments, folder, &ok);
                QVERIFY2(ok, qPrintable(c + u' ' + language + QStringLiteral(": ") + errors));
            }
            for (const auto &[what, checkerFile, sourcesAs] :
                 {std::tuple{"C99", "check.c", "c"}, std::tuple{"C++17", "check.cpp", "c++"},
                  std::tuple{"C++17 checker, C sources", "check.cpp", "c"}}) {
                const bool cpp = QLatin1String(checkerFile).endsWith(u"cpp");
                const QString out = run(cpp ? cxx : c,
                                        QStringList{cpp ? "-std=gnu++17" : "-std=gnu99"} + strict +
                                            QStringList{checkerFile} + objects[sourcesAs] +
                                            QStringList{"-o", "check"},
                                        dir.path(), &ok);
                QVERIFY2(ok, qPrintable(c + QStringLiteral(", %1: %2").arg(what, out)));
                QCOMPARE(run(dir.filePath("check"), {}, dir.path(), &ok), expected);
                QVERIFY2(ok, qPrintable(c + QStringLiteral(", ") + QLatin1String(what)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_COutput)
#include "tst_c_output.moc"
