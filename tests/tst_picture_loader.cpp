// Picture files as people's disks hold them: the BMP suite that nobody here wrote, valid files
// in the other layouts the loader reads, and broken, odd or hostile ones (the cases are in
// tests/data/cases/picture_loader.tsv). A valid file must give the exact BIN; any other must end
// in a clear CannotRead that names the file, never in a crash, a hang, made-up pixels or memory
// beyond what the picture limits allow.
#include "support.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

QString corpus(const QString &name)
{
    return QStringLiteral(TEST_DATA "/") + name;
}

// Each pixel equal where the reference defines it: transparent pixels of a reference mean
// nothing, and the decoder keeps colour channels and drops alpha.
bool samePixels(const QImage &decoded, const QImage &reference)
{
    const QImage ref = reference.convertToFormat(QImage::Format_ARGB32);
    if (ref.size() != decoded.size())
        return false;
    for (int y = 0; y < ref.height(); ++y)
        for (int x = 0; x < ref.width(); ++x)
            if (qAlpha(ref.pixel(x, y)) != 0 &&
                (ref.pixel(x, y) & 0xFFFFFF) != (decoded.pixel(x, y) & 0xFFFFFF))
                return false;
    return true;
}

void verifyClearRefusal(const core::Expected<core::PixelStore> &loaded, const QString &path,
                        const QString &reasonPart = {})
{
    QVERIFY(!loaded.ok());
    QCOMPARE(loaded.error().kind, core::Error::Kind::CannotRead);
    QCOMPARE(loaded.error().path, path);
    QVERIFY(!loaded.error().reason.isEmpty());
    QVERIFY2(loaded.error().reason.contains(reasonPart), qPrintable(loaded.error().reason));
}

} // namespace

class tst_PictureLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Names that are not plain pictures, and a link to one.
    void initTestCase()
    {
        const QDir dir(m_dir.path());
        dir.mkdir(QStringLiteral("folder"));
        QFile::link(dir.filePath(QStringLiteral("gone.bmp")),
                    dir.filePath(QStringLiteral("dangling.bmp")));
        QVERIFY(dir.mkdir(QStringLiteral("液晶表示器")));
        QVERIFY(QFile::copy(corpus(QStringLiteral("bmpsuite/g/rgb24.bmp")),
                            dir.filePath(QStringLiteral("液晶表示器/写真・ｶﾗｰ見本（１）"))));
#if defined(Q_OS_UNIX)
        QFile::link(corpus(QStringLiteral("bmpsuite/g/rgb24.bmp")),
                    dir.filePath(QStringLiteral("リンク.bmp")));
        mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600);
#endif
    }

    // Each file is decoded twice, after other pictures and into memory left dirty, and must
    // give the same bytes both times; a refusal names the variant.
    void corpusFiles_data()
    {
        testing::addCases("picture_loader", {"file", "references", "outcome"});
    }

    void corpusFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, references);
        QFETCH(QString, outcome);
        const QString path = corpus(file);
        auto loaded = core::loadPicture(path);
        if (outcome.startsWith(u"refused: ")) {
            verifyClearRefusal(loaded, path, outcome.mid(9));
            // Qt's vague word is its PNG and GIF readers' own, never ours.
            QVERIFY(!file.endsWith(u".bmp") ||
                    !loaded.error().reason.contains(QStringLiteral("Unable to read")));
            return;
        }
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
        const QByteArray bin = testing::expectedBin(testing::imageOf(loaded.value()));
        {
            std::vector<char> dirt(std::size_t(testing::imageOf(loaded.value()).sizeInBytes()),
                                   '\xA5');
            QVERIFY(dirt.back() != 0);
        }
        QCOMPARE(testing::binOf(path), bin);
        const QStringList refs = references.split(u' ', Qt::SkipEmptyParts);
        if (outcome == u"exact")
            QVERIFY2(std::any_of(refs.begin(), refs.end(),
                                 [&](const QString &reference) {
                                     return samePixels(testing::imageOf(loaded.value()),
                                                       QImage(corpus(reference)));
                                 }),
                     qPrintable(references));
    }

    // Where the file is and what reaches it: a Japanese folder and a name without extension,
    // a link; and nothing that is not a plain file is opened, since a device or a pipe would
    // feed the reader without end, or keep it waiting for a writer that never comes.
    void byPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("picture");
        QTest::newRow("Japanese folder")
            << QStringLiteral("液晶表示器/写真・ｶﾗｰ見本（１）") << true;
        QTest::newRow("missing") << "gone.bmp" << false;
        QTest::newRow("dangling link") << "dangling.bmp" << false;
        QTest::newRow("folder") << "folder" << false;
#if defined(Q_OS_UNIX)
        QTest::newRow("link") << QStringLiteral("リンク.bmp") << true;
        QTest::newRow("named pipe") << "pipe" << false;
        QTest::newRow("device") << "/dev/zero" << false;
#endif
    }

    void byPath()
    {
        QFETCH(QString, name);
        QFETCH(bool, picture);
        const QString path = QDir::isAbsolutePath(name) ? name : m_dir.filePath(name);
        if (!picture)
            return verifyClearRefusal(core::loadPicture(path), path);
        QCOMPARE(testing::binOf(path),
                 testing::expectedBin(QImage(corpus(QStringLiteral("bmpsuite/_ref/rgb24.png")))));
    }

    // Qt's GIF decoder returns a picture from a cut file with the rest filled in; none of that
    // may reach a BIN file. Cut JPEG files are in tst_jpeg_decoder's table of damaged ones.
    void cutFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const char *name :
             {"pictures/png_alpha.png", "pictures/gif_gradient_48x32.gif", "bmpsuite/g/rgb24.bmp",
              "bmpsuite/g/pal4.bmp", "bmpsuite/g/pal8rle.bmp", "bmpsuite/g/pal4rle.bmp"}) {
            const QByteArray whole = testing::readAll(corpus(QString::fromLatin1(name)));
            for (const int tenths : {2, 5, 9})
                QTest::addRow("%s cut at %d0%%", name, tenths)
                    << whole.left(whole.size() * tenths / 10);
        }
    }

    void cutFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(QStringLiteral("cut"));
        QVERIFY(testing::writeAll(path, bytes));
        verifyClearRefusal(core::loadPicture(path), path);
    }

    // Peak memory of a whole load, measured in a process of its own, the command line's. The
    // worst file, a 45-byte GIF with transparency whose screen is just inside the pixel limit,
    // may take its canvas of 4 bytes a pixel (and the BIN's 2), but not a second canvas.
    void memoryStaysWithinThePictureLimits()
    {
#if !defined(Q_OS_LINUX) || defined(__SANITIZE_ADDRESS__)
        QSKIP("peak memory is measured on Linux, without AddressSanitizer's shadow memory");
#else
        QProcess child; // refuses the picture once it is loaded, so that it writes nothing
        child.start(QStringLiteral(VARNELLO_CONVERT),
                    {"--max-size", "1x1", corpus("loader/gif_screen_16384x16383_transparent.gif")});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY(child.readAllStandardError().contains("--max-size allows 1 x 1"));
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        qInfo("peak %ld MiB", usage.ru_maxrss / 1024);
        QVERIFY(usage.ru_maxrss / 1024 <= core::kMaxPicturePixels * 6 / (1 << 20) + 64);
#endif
    }
};

QTEST_MAIN(tst_PictureLoader)
#include "tst_picture_loader.moc"
