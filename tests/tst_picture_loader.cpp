// Picture files as people's disks hold them: valid ones in the layouts the loader reads, and
// broken, odd or hostile ones. A valid file must give the exact BIN; any other must end in a
// clear CannotRead that names the file, never in a crash, a hang or memory beyond what the
// picture limits allow.
#include "core/conversion.h"
#include "core/picture_loader.h"
#include "core/quantiser.h"
#include "fuzz/picture_bytes.h"
#include "test_pictures.h"

#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

using namespace testing;

namespace {

QByteArray jpegOf(const QImage &picture, bool progressive = false)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(picture);
    return jpeg;
}

// A real JPEG whose frame header claims another size.
QByteArray jpegClaiming(int width, int height)
{
    QByteArray jpeg = jpegOf(patternPicture(16, 16));
    const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    jpeg.replace(jpeg.indexOf("\xFF\xC0") + 5, 4, size, 4);
    return jpeg;
}

// Palette indices in stretches, so that run-length data has runs to cut.
std::uint32_t stripes(int x, int y)
{
    return std::uint32_t((x / 3 + y) % 16);
}

// Without `pixels`, rows of stripes.
QByteArray rleBmp(int width, int height, bool fourBits, QByteArray pixels = {})
{
    Bmp bmp(width, height, fourBits ? 4 : 8, fourBits ? Rle4 : Rle8);
    bmp.palette = greyPalette(16);
    bmp.pixels = pixels.isEmpty() ? rleRows(width, height, fourBits, stripes) : pixels;
    return bmpFile(bmp);
}

// What the display unit must receive for `picture`.
core::BinBuffer expectedBin(const QImage &picture)
{
    core::BinBuffer bin;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const auto q = core::quantise(core::fromQRgb(picture.pixel(x, y)));
            bin.insert(bin.end(), {q.bin.low, q.bin.high});
        }
    return bin;
}

} // namespace

class tst_PictureLoader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!QDir(m_dir.path()).mkpath(QFileInfo(name).path()) || !writeAll(path, bytes))
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
        QFile::link(file(QStringLiteral("picture.bmp"), encoded(patternPicture(21, 7), "BMP")),
                    dir.filePath(QStringLiteral("リンク.bmp")));
        mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600);
#endif
    }

    // Told apart by content, not by name; alpha is dropped, not blended; JPEG photos come out
    // upright; the rows of run-length data may end without a code after the last.
    void validFilesConvertExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("picture");

        const QImage pattern = patternPicture(21, 7);
        const QImage indexed = patternPicture(21, 7, QImage::Format_Indexed8);
        QImage alpha = pattern.convertToFormat(QImage::Format_ARGB32);
        alpha.setPixel(0, 0, qRgba(200, 100, 50, 0));
        alpha.setPixel(1, 0, qRgba(10, 20, 30, 128));
        QImage stripesPicture(40, 12, QImage::Format_RGB32);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 40; ++x) {
                const int level = int(stripes(x, 11 - y)) * 255 / 15; // rows stored bottom-up
                stripesPicture.setPixel(x, y, qRgb(level, level, level));
            }
        const QByteArray jpeg = jpegOf(pattern);
        const QByteArray grey = jpegOf(patternPicture(21, 7, QImage::Format_Grayscale8));
        // After the start marker, an EXIF segment that says "turn 90 degrees to view" (6).
        const QByteArray turned =
            QByteArray(jpeg).insert(2, QByteArray("\xFF\xE1\x00\x22"
                                                  "Exif\0\0II*\0\x08\0\0\0"
                                                  "\x01\0\x12\x01\x03\0\x01\0\0\0"
                                                  "\x06\0\0\0\0\0\0\0",
                                                  36));

        QTest::newRow("8-bit BMP named .jpg") << "photo.jpg" << encoded(indexed, "BMP") << indexed;
        // 21 pixels of 24 bits: the last row's one byte of padding.
        QTest::newRow("BMP without the last row's padding")
            << "short.bmp" << encoded(pattern, "BMP").chopped(1) << pattern;
        QTest::newRow("24-bit BMP in a Japanese folder, no extension")
            << QStringLiteral("液晶表示器/写真・ｶﾗｰ見本（１）") << encoded(pattern, "BMP")
            << pattern;
        QTest::newRow("link to a picture")
            << QStringLiteral("リンク.bmp") << QByteArray() << pattern;
        QTest::newRow("PNG with transparency") << "alpha.png" << encoded(alpha, "PNG") << alpha;
        QTest::newRow("RLE4 BMP") << "runs.bmp" << rleBmp(40, 12, true) << stripesPicture;
        QTest::newRow("RLE8 BMP without a last code")
            << "runs.bmp" << rleBmp(40, 12, false, rleRows(40, 12, false, stripes).chopped(2))
            << stripesPicture;
        QTest::newRow("JPEG with a trailer after its end")
            << "photo.jpg" << jpeg + QByteArray(500, '\x42') << QImage::fromData(jpeg);
        QTest::newRow("grey JPEG") << "grey.jpg" << grey << QImage::fromData(grey);
        QTest::newRow("JPEG turned by its EXIF orientation")
            << "turned.jpg" << turned
            << QImage::fromData(jpeg).transformed(QTransform().rotate(90));
    }

    void validFilesConvertExactly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, picture);
        const QString path = bytes.isNull() ? m_dir.filePath(name) : file(name, bytes);
        if (!QFileInfo::exists(path))
            QSKIP("this system cannot make symbolic links");
        auto loaded = core::loadPicture(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
        QCOMPARE(core::convertPicture(loaded.value(), true).value(), expectedBin(picture));
    }

    // Sizes that would overflow a calculation or take all memory are refused from the header,
    // before the decoder allocates anything ("too large"); nonsense sizes by the decoder. Qt's
    // BMP, GIF and JPEG decoders return a picture from a cut file with the rest filled in; none
    // of that may reach a BIN file.
    void refusedWithAClearError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reasonPart");
        const QString tooLarge = QStringLiteral("too large");

        QTest::newRow("empty") << QByteArray("") << "empty";
        QTest::newRow("text") << QByteArray("just some words\n") << "not a picture";
        QTest::newRow("PBM") << QByteArray("P1\n1 1\n0\n") << "not supported";
        QTest::newRow("BMP 60000 x 60000") << bmpFile(Bmp(60000, 60000, 24)) << tooLarge;
        QTest::newRow("BMP 60000 x 60000 top-down") << bmpFile(Bmp(60000, -60000, 24)) << tooLarge;
        QTest::newRow("BMP 16385 x 16384, just past the limit")
            << bmpFile(Bmp(16385, 16384, 24)) << tooLarge;
        QTest::newRow("BMP -2^31 x -2^31") << bmpFile(Bmp(INT_MIN, INT_MIN, 24)) << QString();
        QTest::newRow("RLE BMP of a few bytes claiming 65536 x 65536")
            << rleBmp(65536, 65536, false, QByteArray("\x00\x01", 2)) << tooLarge;
        QTest::newRow("RLE4 literal stretch running past the end")
            << rleBmp(8, 1, true, QByteArray("\x00\x08\x12\x34", 4)) << "incomplete";
        QTest::newRow("JPEG 65500 x 65500") << jpegClaiming(65500, 65500) << tooLarge;
        QTest::newRow("JPEG 16 x 0, height given later") << jpegClaiming(16, 0) << QString();
        // Qt reports the first frame's size, but makes the picture as big as the screen.
        QTest::newRow("GIF screen 65535 x 65535 around a 3 x 2 frame")
            << gifFile(65535, 65535) << tooLarge;

        const QList<std::pair<const char *, QByteArray>> wholeFiles = {
            {"JPEG", jpegOf(patternPicture(64, 48))},
            {"progressive JPEG", jpegOf(patternPicture(64, 48), true)},
            {"24-bit BMP", encoded(patternPicture(20, 10), "BMP")},
            {"8-bit BMP", encoded(patternPicture(20, 10, QImage::Format_Indexed8), "BMP")},
            {"RLE8 BMP", rleBmp(40, 12, false)},
            {"RLE4 BMP", rleBmp(40, 12, true)},
            {"PNG", encoded(patternPicture(20, 10), "PNG")},
            {"GIF", gifFile()},
        };
        for (const auto &[name, whole] : wholeFiles)
            for (int tenths = 1; tenths <= 9; ++tenths)
                QTest::addRow("%s cut at %d0%%", name, tenths)
                    << whole.left(whole.size() * tenths / 10) << QString();
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
#if !defined(Q_OS_LINUX)
        QSKIP("the probe measures peak memory on Linux only");
#endif
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer's shadow memory makes the figures meaningless");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        QSKIP("AddressSanitizer's shadow memory makes the figures meaningless");
#endif
#endif
        QProcess probe;
        probe.start(QStringLiteral(MEMORY_PROBE),
                    {file(QStringLiteral("big.gif"), gifFile(16384, 16383, true))});
        QVERIFY(probe.waitForFinished(120000));
        const QList<QByteArray> answer = probe.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(answer.size(), 2);
        QCOMPARE(answer[0], QByteArray("converted"));
        const qint64 peakMiB = answer[1].toLongLong() / 1024;
        qInfo("peak %lld MiB", peakMiB);
        QVERIFY(peakMiB <= core::kMaxPicturePixels * 6 / (1 << 20) + 64);
    }
};

QTEST_MAIN(tst_PictureLoader)
#include "tst_picture_loader.moc"
