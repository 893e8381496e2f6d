// Files that are broken, odd or made to do harm, as people's disks hold them. Each must end in
// a clear CannotRead that names the file, or, for the odd but valid ones, in the exact BIN;
// never in a crash, a hang or memory beyond what the picture limits allow.
#include "core/conversion.h"
#include "core/picture_checks.h"
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

QByteArray jpegOf(const QImage &picture, bool progressive)
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
QByteArray jpegClaiming(int width, int height, bool progressive = false)
{
    QByteArray jpeg = jpegOf(patternPicture(16, 16), progressive);
    const qsizetype sof = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
    const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    jpeg.replace(sof + 5, 4, size, 4);
    return jpeg;
}

QByteArray bmpClaiming(std::int32_t width, std::int32_t height, int bits = 24,
                       QByteArray pixels = {})
{
    Bmp bmp(width, height, bits);
    if (bits >= 1 && bits <= 8)
        bmp.palette = greyPalette(1 << bits);
    bmp.pixels = std::move(pixels);
    return bmpFile(bmp);
}

// Palette indices in stretches, so that run-length data has runs to cut.
std::uint32_t stripes(int x, int y)
{
    return std::uint32_t((x / 3 + y) % 16);
}

QByteArray rleBmp(int width, int height, bool fourBits, QByteArray pixels)
{
    Bmp bmp(width, height, fourBits ? 4 : 8, fourBits ? Rle4 : Rle8);
    bmp.palette = greyPalette(16);
    bmp.pixels = std::move(pixels);
    return bmpFile(bmp);
}

QByteArray rleBmp(int width, int height, bool fourBits)
{
    return rleBmp(width, height, fourBits, rleRows(width, height, fourBits, stripes));
}

// What the display unit must receive for `picture`.
core::BinBuffer expectedBin(const QImage &picture)
{
    core::BinBuffer bin;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const auto q = core::quantise(core::fromQRgb(picture.pixel(x, y)));
            bin.push_back(q.bin.low);
            bin.push_back(q.bin.high);
        }
    return bin;
}

} // namespace

class tst_HostilePictures : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!writeAll(path, bytes))
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
    // Sizes that would overflow a calculation or take all memory are refused from the header,
    // before the decoder allocates anything ("too large"); nonsense sizes by the decoder.
    void impossibleSizesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reasonPart");
        const QString tooLarge = QStringLiteral("too large");

        QTest::newRow("BMP 60000 x 60000") << bmpClaiming(60000, 60000) << tooLarge;
        QTest::newRow("BMP 60000 x 60000 top-down") << bmpClaiming(60000, -60000) << tooLarge;
        QTest::newRow("BMP 1 x 2^31-1") << bmpClaiming(1, INT_MAX) << tooLarge;
        QTest::newRow("BMP 1 x -2^31") << bmpClaiming(1, INT_MIN) << QString();
        QTest::newRow("BMP 2^31-1 x 1") << bmpClaiming(INT_MAX, 1) << tooLarge;
        QTest::newRow("BMP 16385 x 16384, just past the limit")
            << bmpClaiming(16385, 16384, 8) << tooLarge;
        QTest::newRow("BMP 0 x 10") << bmpClaiming(0, 10, 24, QByteArray(40, '\0')) << QString();
        QTest::newRow("BMP 10 x 0") << bmpClaiming(10, 0, 24, QByteArray(40, '\0')) << QString();
        QTest::newRow("BMP -10 x 10")
            << bmpClaiming(-10, 10, 24, QByteArray(400, '\0')) << QString();
        QTest::newRow("BMP -2^31 x -2^31") << bmpClaiming(INT_MIN, INT_MIN) << QString();
        QTest::newRow("BMP of 0 bits a pixel")
            << bmpClaiming(4, 4, 0, QByteArray(64, '\0')) << QString();
        QTest::newRow("BMP of 7 bits a pixel")
            << bmpClaiming(4, 4, 7, QByteArray(64, '\0')) << QString();
        QTest::newRow("RLE BMP of a few bytes claiming 65536 x 65536")
            << rleBmp(65536, 65536, false, QByteArray("\x00\x01", 2)) << tooLarge;
        QTest::newRow("JPEG 65500 x 65500") << jpegClaiming(65500, 65500) << tooLarge;
        QTest::newRow("progressive JPEG 65500 x 65500")
            << jpegClaiming(65500, 65500, true) << tooLarge;
        QTest::newRow("JPEG 0 x 0") << jpegClaiming(0, 0) << QString();
        QTest::newRow("JPEG 16 x 0, height given later") << jpegClaiming(16, 0) << QString();
        // Qt reports the first frame's size, but makes the picture as big as the screen.
        QTest::newRow("GIF screen 65535 x 65535 around a 3 x 2 frame")
            << gifFile(65535, 65535) << tooLarge;
    }

    void impossibleSizesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reasonPart);
        const QString path = file(QStringLiteral("claims.bmp"), bytes);
        verifyClearRefusal(core::loadPicture(path), path, reasonPart);
    }

    // The checks run before the loader's own size limit can, on any header a file brings.
    void headerChecksDoNotOverflow()
    {
        Bmp widest(INT_MAX, INT_MIN, 32);
        widest.pixels = QByteArray(16, '\0');
        QVERIFY(!core::bmpShortfall(bmpFile(widest)).isEmpty());
        QCOMPARE(core::statedSize(bmpFile(widest)), QSize(INT_MAX, INT_MAX));
    }

    // Qt's BMP, GIF and JPEG decoders return a picture from a cut file with the rest filled in;
    // none of that may reach a BIN file.
    void filesCutShortAreRefused_data()
    {
        QTest::addColumn<QByteArray>("whole");
        QTest::addColumn<int>("tenths");

        const QList<std::pair<const char *, QByteArray>> wholeFiles = {
            {"JPEG", jpegOf(patternPicture(64, 48), false)},
            {"progressive JPEG", jpegOf(patternPicture(64, 48), true)},
            {"grey JPEG", encoded(patternPicture(64, 48, QImage::Format_Grayscale8), "JPEG")},
            {"24-bit BMP", encoded(patternPicture(20, 10), "BMP")},
            {"8-bit BMP", encoded(patternPicture(20, 10, QImage::Format_Indexed8), "BMP")},
            {"RLE8 BMP", rleBmp(40, 12, false)},
            {"RLE4 BMP", rleBmp(40, 12, true)},
            {"PNG", encoded(patternPicture(20, 10), "PNG")},
            {"GIF", gifFile()},
        };
        for (const auto &[name, whole] : wholeFiles)
            for (int tenths = 1; tenths <= 9; ++tenths)
                QTest::addRow("%s cut at %d0%%", name, tenths) << whole << tenths;
    }

    void filesCutShortAreRefused()
    {
        QFETCH(QByteArray, whole);
        QFETCH(int, tenths);
        QVERIFY(core::decodePicture(whole, "whole").ok()); // the cut, not the file, is wrong
        const QString path = file(QStringLiteral("cut"), whole.left(whole.size() * tenths / 10));
        verifyClearRefusal(core::loadPicture(path), path);
    }

    void shortPixelDataIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("24 bits, 100 x 100, 10 rows of data")
            << bmpClaiming(100, 100, 24, QByteArray(10 * 300, '\x40'));
        QTest::newRow("8 bits, a palette but no pixels") << bmpClaiming(50, 50, 8);
        QTest::newRow("pixel data said to start past the end")
            << bmpFile(Bmp(2, 2, 24)).replace(10, 1, "\xF0");
        QTest::newRow("RLE8 rows stop before the last")
            << rleBmp(40, 12, false, rleRows(40, 6, false, stripes).chopped(2));
        QTest::newRow("RLE4 literal stretch running past the end")
            << rleBmp(8, 1, true, QByteArray("\x00\x08\x12\x34", 4));
    }

    void shortPixelDataIsRefused()
    {
        QFETCH(QByteArray, bytes);
        const QString path = file(QStringLiteral("short.bmp"), bytes);
        verifyClearRefusal(core::loadPicture(path), path);
    }

    void oddButValidFilesConvertExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("picture");

        const QImage pattern = patternPicture(21, 7);
        QTest::newRow("BMP named .jpg") << "photo.jpg" << encoded(pattern, "BMP") << pattern;
        QTest::newRow("no extension") << "photo" << encoded(pattern, "BMP") << pattern;
        QTest::newRow("Japanese name")
            << QStringLiteral("写真・ｶﾗｰ見本（１）.BMP") << encoded(pattern, "BMP") << pattern;
        QTest::newRow("Japanese folder")
            << QStringLiteral("液晶表示器/画像.bmp") << encoded(pattern, "BMP") << pattern;

        // The last row of run-length data may end without a code after it.
        QImage stripesPicture(40, 12, QImage::Format_RGB32);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 40; ++x) {
                const int level = int(stripes(x, 11 - y)) * 255 / 15; // rows stored bottom-up
                stripesPicture.setPixel(x, y, qRgb(level, level, level));
            }
        QTest::newRow("RLE8 BMP") << "runs.bmp" << rleBmp(40, 12, false) << stripesPicture;
        QTest::newRow("RLE4 BMP") << "runs.bmp" << rleBmp(40, 12, true) << stripesPicture;
        QTest::newRow("RLE8 BMP without a last code")
            << "runs.bmp" << rleBmp(40, 12, false, rleRows(40, 12, false, stripes).chopped(2))
            << stripesPicture;
    }

    void oddButValidFilesConvertExactly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, picture);
        QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(name).path()));
        auto loaded = core::loadPicture(file(name, bytes));
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
        auto bin = core::convertPicture(loaded.value(), true);
        QVERIFY(bin.ok());
        QCOMPARE(bin.value(), expectedBin(picture));
    }

    void aLinkLoadsThePictureItPointsTo()
    {
        const QImage pattern = patternPicture(9, 4);
        const QString target = file(QStringLiteral("target.bmp"), encoded(pattern, "BMP"));
        const QString link = m_dir.filePath(QStringLiteral("リンク.bmp"));
        if (!QFile::link(target, link))
            QSKIP("this file system cannot make links");
        auto loaded = core::loadPicture(link);
        QVERIFY(loaded.ok());
        QCOMPARE(core::convertPicture(loaded.value(), false).value(), expectedBin(pattern));
    }

    // Nothing that is not a plain file is opened: a device or a pipe would feed the reader
    // without end, or keep it waiting for a writer that never comes.
    void onlyPlainFilesAreOpened_data()
    {
        QTest::addColumn<QString>("target"); // what the chosen name is or links to
        QTest::addColumn<bool>("viaLink");
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("link to a folder") << "folder" << true;
        QTest::newRow("dangling link") << "gone.bmp" << true;
        QTest::newRow("/dev/zero") << "/dev/zero" << false;
        QTest::newRow("link to /dev/zero") << "/dev/zero" << true;
        QTest::newRow("named pipe") << "pipe" << false;
        QTest::newRow("link to a named pipe") << "pipe" << true;
    }

    void onlyPlainFilesAreOpened()
    {
        QFETCH(QString, target);
        QFETCH(bool, viaLink);
        const QString targetPath = QDir(m_dir.path()).absoluteFilePath(target);
        QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
        if (target.startsWith(QLatin1String("/dev/")) && !QFileInfo::exists(target))
            QSKIP("this system has no /dev/zero");
        if (target == QLatin1String("pipe")) {
#if defined(Q_OS_UNIX)
            if (!QFileInfo::exists(targetPath) &&
                mkfifo(QFile::encodeName(targetPath).constData(), 0600) != 0)
                QSKIP("cannot make a named pipe here");
#else
            QSKIP("named pipes in the file system are a Unix thing");
#endif
        }
        QString path = targetPath;
        if (viaLink) {
            path = m_dir.filePath(QStringLiteral("link-") + QFileInfo(target).fileName());
            QFile::remove(path);
            if (!QFile::link(targetPath, path))
                QSKIP("this file system cannot make links");
        }
        verifyClearRefusal(core::loadPicture(path), path);
    }

    // Peak memory of a whole load and conversion, measured in a process of its own. Refused
    // files must cost next to nothing; the worst accepted one, a 45-byte GIF with transparency
    // whose screen is just inside the pixel limit, may take its canvas of 4 bytes a pixel and
    // the BIN of 2, but not a second copy of the canvas.
    void memoryStaysWithinThePictureLimits_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<qint64>("boundMiB");
        const qint64 refusedMiB = 64;
        const qint64 worstMiB = core::kMaxPicturePixels * 6 / (1 << 20) + 64;
        QTest::newRow("BMP claiming 60000 x 60000")
            << bmpClaiming(60000, 60000) << false << refusedMiB;
        QTest::newRow("JPEG claiming 65500 x 65500")
            << jpegClaiming(65500, 65500) << false << refusedMiB;
        QTest::newRow("GIF screen of 65535 x 65535")
            << gifFile(65535, 65535) << false << refusedMiB;
        QTest::newRow("GIF screen of 16384 x 16383 with transparency")
            << gifFile(16384, 16383, true) << true << worstMiB;
    }

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
        QFETCH(QByteArray, bytes);
        QFETCH(bool, converts);
        QFETCH(qint64, boundMiB);
        QProcess probe;
        probe.start(QStringLiteral(MEMORY_PROBE), {file(QStringLiteral("big"), bytes)});
        QVERIFY(probe.waitForFinished(120000));
        const QList<QByteArray> answer = probe.readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(answer.size(), 2);
        QCOMPARE(answer[0], converts ? QByteArray("converted") : QByteArray("refused"));
        const qint64 peakMiB = answer[1].toLongLong() / 1024;
        qInfo("peak %lld MiB", peakMiB);
        QVERIFY2(peakMiB <= boundMiB, qPrintable(QStringLiteral("%1 MiB").arg(peakMiB)));
    }

    // The file is chosen in a dialog, then changes before the load: the load must judge the
    // file as it is then, not as it was.
    void theFileChangesAfterItWasChosen_data()
    {
        QTest::addColumn<QByteArray>("replacement"); // null: the file is gone
        QTest::addColumn<QImage>("expected");        // null: the load must fail
        const QImage other = patternPicture(5, 3).mirrored(true, false);
        QTest::newRow("removed") << QByteArray() << QImage();
        QTest::newRow("replaced by another picture") << encoded(other, "PNG") << other;
        QTest::newRow("replaced by text") << QByteArray("not a picture any more\n") << QImage();
    }

    void theFileChangesAfterItWasChosen()
    {
        QFETCH(QByteArray, replacement);
        QFETCH(QImage, expected);
        const QString path =
            file(QStringLiteral("chosen.bmp"), encoded(patternPicture(8, 8), "BMP"));
        QVERIFY(QFileInfo(path).isFile()); // what the dialog saw
        QVERIFY(QFile::remove(path));
        if (!replacement.isNull())
            QVERIFY(writeAll(path, replacement));

        auto loaded = core::loadPicture(path);
        if (expected.isNull()) {
            verifyClearRefusal(loaded, path);
        } else {
            QVERIFY(loaded.ok());
            QCOMPARE(core::convertPicture(loaded.value(), false).value(), expectedBin(expected));
        }
    }
};

QTEST_MAIN(tst_HostilePictures)
#include "tst_hostile_pictures.moc"
