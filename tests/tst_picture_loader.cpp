// Picture files as people's disks hold them: the BMP suite that nobody here wrote, valid files
// in the other layouts the loader reads, and broken, odd or hostile ones. A valid file must give
// the exact BIN; any other must end in a clear CannotRead that names the file, never in a
// crash, a hang, made-up pixels or memory beyond what the picture limits allow.
#include "support.h"

#include <QDir>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

QString corpus(const QString &name)
{
    return QStringLiteral(TEST_DATA "/") + name;
}

// A suite BMP whose 32-bit little-endian field at `at` is `value`.
QByteArray withField(const QString &file, int at, std::uint32_t value)
{
    QByteArray bytes = testing::readAll(corpus(file));
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
    return bytes;
}

QByteArray bmpSized(const QString &file, std::int32_t width, std::int32_t height)
{
    QByteArray bytes = withField(file, 18, std::uint32_t(width));
    return bytes.replace(22, 4, withField(file, 22, std::uint32_t(height)).mid(22, 4));
}

// A real JPEG whose frame header claims another size.
QByteArray jpegSized(int width, int height)
{
    QByteArray bytes = testing::readAll(corpus(QStringLiteral("pictures/jpeg_baseline.jpg")));
    const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return bytes.replace(bytes.indexOf("\xFF\xC0") + 5, 4, size, 4);
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

} // namespace

class tst_PictureLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!QDir(m_dir.path()).mkpath(QFileInfo(name).path()) || !testing::writeAll(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static void verifyClearRefusal(const core::Expected<core::PixelStore> &loaded,
                                   const QString &path, const QString &reasonPart = {})
    {
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error().kind, core::Error::Kind::CannotRead);
        QCOMPARE(loaded.error().path, path);
        QVERIFY(!loaded.error().reason.isEmpty());
        QVERIFY2(loaded.error().reason.contains(reasonPart), qPrintable(loaded.error().reason));
    }

private slots:
    // Names that are not plain pictures, and a link to one.
    void initTestCase()
    {
        const QDir dir(m_dir.path());
        dir.mkdir(QStringLiteral("folder"));
        QFile::link(dir.filePath(QStringLiteral("gone.bmp")),
                    dir.filePath(QStringLiteral("dangling.bmp")));
#if defined(Q_OS_UNIX)
        QFile::link(corpus(QStringLiteral("bmpsuite/g/rgb24.bmp")),
                    dir.filePath(QStringLiteral("リンク.bmp")));
        mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600);
#endif
    }

    // The BMP suite, file by file: "good" files exactly as their reference shows them,
    // "questionable" ones too unless listed below, "bad" ones read with every pixel defined
    // unless listed. Each file is decoded twice, after other pictures and into memory left
    // dirty, and must give the same bytes both times; a refusal names the variant.
    void bmpSuite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("references");
        QTest::addColumn<QString>("outcome");

        const QHash<QString, QString> outcomes = {
            {"q/pal1huffmsb.bmp", "refused: Huffman"},
            {"q/rgba64.bmp", "refused: 64 bits"},
            // Colour profiles are not applied, for any format: the unit takes stored values.
            // This one's exchanges red and green.
            {"q/rgb24prof2.bmp", "read"},
            // Two of its 11-bit values are a level off any scaling of the 8-bit picture.
            {"q/rgb32-111110.bmp", "read"},
            {"b/badbitcount.bmp", "refused: 30000 bits"},
            {"b/badheadersize.bmp", "refused: 66 bytes"},
            {"b/badwidth.bmp", "refused: -127 x 64"},
            {"b/reallybig.bmp", "refused: too large"},
            {"b/rletopdown.bmp", "refused: run-length"},
            {"b/shortfile.bmp", "refused: ends after 273 bytes"},
            {"b/rgb16-880.bmp", "exact"},
            {"x/ba-bm.bmp", "refused: not a picture"},
        };
        QFile index(corpus(QStringLiteral("bmpsuite/conformance.json")));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QJsonObject files = QJsonDocument::fromJson(index.readAll())[u"files"].toObject();
        QVERIFY(files.size() > 90);
        for (auto it = files.begin(); it != files.end(); ++it) {
            QStringList references;
            for (const QJsonValue &reference : it.value()[u"refs"].toArray())
                references << reference.toString();
            // Skipped run-length pixels are black: the suite's "-b" references show that.
            if (const auto black = references.filter(QStringLiteral("-b.png")); !black.isEmpty())
                references = black;
            const QString fallback = it.key().startsWith(u'b') ? "read" : "exact";
            QTest::newRow(qPrintable(it.key()))
                << it.key() << references << outcomes.value(it.key(), fallback);
        }
    }

    void bmpSuite()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, references);
        QFETCH(QString, outcome);
        const QString path = corpus("bmpsuite/" + name);
        auto loaded = core::loadPicture(path);
        if (outcome.startsWith(u"refused: ")) {
            verifyClearRefusal(loaded, path, outcome.mid(9));
            QVERIFY(!loaded.error().reason.contains(QStringLiteral("Unable to read")));
            return;
        }
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
        const QByteArray bin = testing::expectedBin(loaded.value().image());
        {
            std::vector<char> dirt(std::size_t(loaded.value().image().sizeInBytes()), '\xA5');
            QVERIFY(dirt.back() != 0);
        }
        QCOMPARE(testing::binOf(path), bin);
        if (outcome == u"exact")
            QVERIFY2(std::any_of(references.begin(), references.end(),
                                 [&](const QString &reference) {
                                     return samePixels(loaded.value().image(),
                                                       QImage(corpus("bmpsuite/" + reference)));
                                 }),
                     qPrintable(references.join(u' ')));
    }

    // Told apart by content, not by name; alpha is dropped, not blended; JPEG photos come out
    // upright; uncompressed rows may lack the last row's padding, run-length rows a last code.
    void validFilesConvertExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: the file is there already
        QTest::addColumn<QImage>("picture");

        const QImage pal8(corpus("bmpsuite/_ref/pal8.png"));
        const QImage rgb24(corpus("bmpsuite/_ref/rgb24.png"));
        const QByteArray bmp = testing::readAll(corpus("bmpsuite/g/rgb24.bmp"));
        QImageReader stored(corpus("pictures/jpeg_exif_orientation_6.jpg"));
        stored.setAutoTransform(false);
        const QImage upright = stored.read().transformed(QTransform().rotate(90));
        const QString jpeg = corpus("pictures/jpeg_baseline.jpg");

        QTest::newRow("8-bit BMP named .jpg")
            << "photo.jpg" << testing::readAll(corpus("bmpsuite/g/pal8.bmp")) << pal8;
        QTest::newRow("BMP without the last row's padding") // 127 pixels of 3 bytes a row
            << "short.bmp" << bmp.chopped(3) << rgb24;
        QTest::newRow("RLE8 BMP without an end code")
            << "runs.bmp" << testing::readAll(corpus("bmpsuite/g/pal8rle.bmp")).chopped(2) << pal8;
        QTest::newRow("BMP in a Japanese folder, no extension")
            << QStringLiteral("液晶表示器/写真・ｶﾗｰ見本（１）") << bmp << rgb24;
        QTest::newRow("link to a picture") << QStringLiteral("リンク.bmp") << QByteArray() << rgb24;
        QTest::newRow("PNG with transparency")
            << "alpha.png" << testing::readAll(corpus("pictures/png_alpha.png"))
            << QImage(corpus("pictures/png_alpha.png"));
        QTest::newRow("JPEG with a trailer after its end")
            << "photo.jpg" << testing::readAll(jpeg) + QByteArray(500, '\x42') << QImage(jpeg);
        QTest::newRow("JPEG turned by its EXIF orientation")
            << "turned.jpg" << testing::readAll(corpus("pictures/jpeg_exif_orientation_6.jpg"))
            << upright;
    }

    void validFilesConvertExactly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, picture);
        const QString path = bytes.isNull() ? m_dir.filePath(name) : file(name, bytes);
        if (!QFileInfo::exists(path))
            QSKIP("this system cannot make symbolic links");
        QCOMPARE(testing::binOf(path), testing::expectedBin(picture));
    }

    // Sizes that would overflow a calculation or take all memory are refused from the header,
    // before anything is allocated ("too large"); nonsense sizes by the decoder. Qt's GIF and
    // JPEG decoders return a picture from a cut file with the rest filled in; none of that may
    // reach a BIN file.
    void refusedWithAClearError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reasonPart");
        const QString tooLarge = QStringLiteral("too large");
        const QString rgb24 = QStringLiteral("bmpsuite/g/rgb24.bmp");

        QTest::newRow("empty") << QByteArray("") << "empty";
        QTest::newRow("text") << QByteArray("just some words\n") << "not a picture";
        QTest::newRow("PBM") << QByteArray("P1\n1 1\n0\n") << "not supported";
        QTest::newRow("BMP 60000 x 60000") << bmpSized(rgb24, 60000, 60000) << tooLarge;
        QTest::newRow("BMP 60000 x 60000 top-down") << bmpSized(rgb24, 60000, -60000) << tooLarge;
        QTest::newRow("BMP 16385 x 16384, just past the limit")
            << bmpSized(rgb24, 16385, 16384) << tooLarge;
        QTest::newRow("BMP -2^31 x -2^31") << bmpSized(rgb24, INT_MIN, INT_MIN) << QString();
        QTest::newRow("RLE BMP claiming 65536 x 65536")
            << bmpSized("bmpsuite/g/pal8rle.bmp", 65536, 65536) << tooLarge;
        QTest::newRow("BMP whose pixels start past its end")
            << withField(rgb24, 10, 1 << 20) << "ends after";
        QTest::newRow("JPEG 65500 x 65500") << jpegSized(65500, 65500) << tooLarge;
        QTest::newRow("JPEG 16 x 0, height given later") << jpegSized(16, 0) << QString();
        // Qt reports the first frame's size, but makes the picture as big as the screen.
        QTest::newRow("GIF screen 65535 x 65535 around a 3 x 2 frame")
            << testing::readAll(corpus("hostile/gif_screen_65535x65535.gif")) << tooLarge;
        QTest::newRow("PNG cut inside its last chunk")
            << testing::readAll(corpus("pictures/png_palette.png")).chopped(5) << "incomplete";

        for (const char *name :
             {"pictures/jpeg_baseline.jpg", "pictures/jpeg_progressive.jpg",
              "pictures/png_alpha.png", "pictures/gif_gradient_48x32.gif", "bmpsuite/g/rgb24.bmp",
              "bmpsuite/g/pal4.bmp", "bmpsuite/g/pal8rle.bmp", "bmpsuite/g/pal4rle.bmp"}) {
            const QByteArray whole = testing::readAll(corpus(QString::fromLatin1(name)));
            for (const int tenths : {2, 5, 9})
                QTest::addRow("%s cut at %d0%%", name, tenths)
                    << whole.left(whole.size() * tenths / 10) << QString();
        }
    }

    void refusedWithAClearError()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reasonPart);
        const QString path = file(QStringLiteral("refused.bmp"), bytes);
        verifyClearRefusal(core::loadPicture(path), path, reasonPart);
    }

    // Nothing that is not a plain file is opened: a device or a pipe would feed the reader
    // without end, or keep it waiting for a writer that never comes.
    void onlyPlainFilesAreOpened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "gone.bmp";
        QTest::newRow("dangling link") << "dangling.bmp";
        QTest::newRow("folder") << "folder";
#if defined(Q_OS_UNIX)
        QTest::newRow("named pipe") << "pipe";
        QTest::newRow("device") << "/dev/zero";
#endif
    }

    void onlyPlainFilesAreOpened()
    {
        QFETCH(QString, name);
        const QString path = QDir::isAbsolutePath(name) ? name : m_dir.filePath(name);
        verifyClearRefusal(core::loadPicture(path), path);
    }

    // Peak memory of a whole load and conversion, measured in a process of its own. The worst
    // file, a 45-byte GIF with transparency whose screen is just inside the pixel limit, may
    // take its canvas of 4 bytes a pixel and the BIN of 2, but not a second copy of the canvas.
    void memoryStaysWithinThePictureLimits()
    {
#if !defined(Q_OS_LINUX) || defined(__SANITIZE_ADDRESS__)
        QSKIP("peak memory is measured on Linux, without AddressSanitizer's shadow memory");
#endif
        QProcess probe;
        probe.start(QStringLiteral(MEMORY_PROBE),
                    {corpus(QStringLiteral("hostile/gif_screen_16384x16383_transparent.gif"))});
        QVERIFY(probe.waitForFinished(120000));
        const QList<QByteArray> answer = probe.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(answer.value(0), QByteArray("converted"));
        const qint64 peakMiB = answer.value(1).toLongLong() / 1024;
        qInfo("peak %lld MiB", peakMiB);
        QVERIFY(peakMiB <= core::kMaxPicturePixels * 6 / (1 << 20) + 64);
    }
};

QTEST_MAIN(tst_PictureLoader)
#include "tst_picture_loader.moc"
