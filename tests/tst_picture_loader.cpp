// Picture files as people's disks hold them: the BMP suite that nobody here wrote, valid files
// in the other layouts the loader reads, and broken, odd or hostile ones (the cases are in
// tests/data/cases/picture_loader.tsv). A valid file must give the exact BIN; any other must end
// in a clear CannotRead that names the file, never in a crash, a hang, made-up pixels or memory
// beyond what the picture limits allow.
#include "support.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gif_lib.h>
#include <spng.h>
#include <zlib.h>

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
// nothing, and the decoder keeps colour channels and drops alpha, or with `alpha` keeps it too
// (transparent where the reference is).
bool samePixels(const QImage &decoded, const QImage &reference, bool alpha = false)
{
    const QImage ref = reference.convertToFormat(QImage::Format_ARGB32);
    const QRgb compared = alpha ? 0xFFFFFFFF : 0xFFFFFF;
    if (ref.size() != decoded.size())
        return false;
    for (int y = 0; y < ref.height(); ++y)
        for (int x = 0; x < ref.width(); ++x)
            if (qAlpha(ref.pixel(x, y)) != 0
                    ? (ref.pixel(x, y) & compared) != (decoded.pixel(x, y) & compared)
                    : alpha && qAlpha(decoded.pixel(x, y)) != 0)
                return false;
    return true;
}

// Files made from a recipe (picture_loader.tsv says how), left in MADE_DIR for the fuzzer and
// the memcheck replay. A made PNG is 13 x 11 pixels whose sample of channel c at x, y is
// sample(); its tRNS colour is that of pixel 0, 0. A made GIF has a table of 8 colours and
// frames of (x * 3 + y * 5 + frame) % 8.
int sample(int x, int y, int c, int depth)
{
    return (x * 4099 + y * 8209 + c * 28657 + x * y * 131 + 2469) & ((1 << depth) - 1);
}

QByteArray madePng(int type, int depth, const QStringList &words)
{
    const int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
    std::vector<std::uint8_t> raw; // rows of big-endian samples, each row whole bytes
    for (int y = 0; y < 11; ++y) {
        std::uint32_t bits = 0, held = 0;
        for (int i = 0; i < 13 * channels; ++i) {
            held = held << depth | std::uint32_t(sample(i / channels, y, i % channels, depth));
            for (bits += std::uint32_t(depth); bits >= 8;)
                raw.push_back(std::uint8_t(held >> (bits -= 8)));
        }
        if (bits)
            raw.push_back(std::uint8_t(held << (8 - bits)));
    }
    spng_ctx *png = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
    const auto adam7 = std::uint8_t(words.contains("adam7"));
    spng_ihdr header{13, 11, std::uint8_t(depth), std::uint8_t(type), 0, 0, adam7};
    spng_set_ihdr(png, &header);
    spng_plte palette{type == 3 ? std::uint32_t(1) << depth : 0, {}};
    for (std::uint32_t i = 0; i < palette.n_entries; ++i)
        palette.entries[i] = {std::uint8_t(i * 53), std::uint8_t(255 - i * 29),
                              std::uint8_t(i * 97), 255};
    if (type == 3)
        spng_set_plte(png, &palette);
    const auto key = [&](int c) { return std::uint16_t(sample(0, 0, c, depth)); };
    spng_trns trns{key(0), key(0), key(1), key(2), 3, {0, 100, 200}};
    if (words.contains("trns"))
        spng_set_trns(png, &trns);
    if (words.contains("stored"))
        spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, 0);
    spng_encode_image(png, raw.data(), raw.size(), SPNG_FMT_RAW, SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    int error = 0;
    void *encoded = spng_get_png_buffer(png, &size, &error);
    QByteArray bytes(static_cast<const char *>(encoded), qsizetype(size));
    std::free(encoded);
    spng_ctx_free(png);
    return bytes;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray chunk = QByteArray(4, '\0') + type + data + QByteArray(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    const auto *typeAndData = reinterpret_cast<const Bytef *>(chunk.constData() + 4);
    qToBigEndian(quint32(crc32(0, typeAndData, uInt(data.size() + 4))), chunk.end() - 4);
    return chunk;
}

// The damage a recipe asks for, to the image data chunk (the tRNS chunk for trnscrc). Under
// CRC-32s made anew: a byte of the middle flipped, the zlib stream's last 4 bytes (its
// Adler-32) dropped, 64 bytes more than the rows compressed, the stream split into chunks of 7
// bytes, or padded past 64 KiB with empty stored blocks (no damage, either).
void damagePng(QByteArray &bytes, const QStringList &words)
{
    if (words[0] != u"png")
        return;
    const qsizetype at = bytes.indexOf(words.contains("trnscrc") ? "tRNS" : "IDAT") - 4;
    const qsizetype sum = at + 8 + qFromBigEndian<quint32>(bytes.constData() + at);
    if (words.contains("crc") || words.contains("trnscrc"))
        bytes[sum] = char(bytes[sum] ^ 1);
    if (words.contains("zlib"))
        bytes[at + 10] = char(0xFF); // a deflate block of the reserved type
    if (words.contains("noidat"))
        bytes.remove(at, sum + 4 - at);
    QByteArray data = bytes.mid(at + 8, sum - at - 8);
    if (words.contains("flip"))
        data[data.size() / 2] = char(data[data.size() / 2] ^ 0x20);
    data.chop(words.contains("noadler") ? 4 : 0);
    if (words.contains("padded")) {
        // Each a block that is not the last, stored, of 0 bytes; after the zlib header.
        QByteArray empty;
        for (int i = 0; i < 13108; ++i)
            empty += QByteArray("\0\0\0\xff\xff", 5);
        data.insert(2, empty);
    }
    if (words.contains("overlong")) {
        QByteArray rows(1 << 16, '\0');
        uLongf length = uLongf(rows.size());
        uncompress(reinterpret_cast<Bytef *>(rows.data()), &length,
                   reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()));
        data = qCompress(rows.left(qsizetype(length) + 64)).mid(4);
    }
    if (data != bytes.mid(at + 8, sum - at - 8) || words.contains("split")) {
        const qsizetype piece = words.contains("split") ? 7 : data.size();
        QByteArray chunks;
        for (qsizetype from = 0; from < data.size(); from += piece)
            chunks += pngChunk("IDAT", data.mid(from, piece));
        bytes.replace(at, sum + 4 - at, chunks);
    }
}

// The first frame's pixels coded anew with the LZW minimum code size N of a word "lzwN", since
// giflib writes none above 8: each index a code of its own (the table grows all the same), with
// index 300 first for "index300" and a code the table does not hold halfway for "badcode".
void recodeGif(QByteArray &gif, const QStringList &words)
{
    const QStringList lzw = words.filter(QRegularExpression(QStringLiteral("^lzw\\d+$")));
    if (lzw.isEmpty())
        return;
    const int size = lzw[0].mid(3).toInt(), width = words[1].toInt(),
              pixels = width * words[2].toInt();
    const qsizetype at = 13 + 3 * 8 + 8 + 10; // screen, colour table, control block, frame header
    qsizetype end = at + 1;
    while (gif[end] != 0)
        end += 1 + std::uint8_t(gif[end]);
    QByteArray data;
    std::uint64_t bits = 0;
    int held = 0, codeBits = size + 1, next = (1 << size) + 2;
    const auto put = [&](int code) {
        bits |= std::uint64_t(code) << held;
        for (held += codeBits; held >= 8; held -= 8, bits >>= 8)
            data += char(bits);
    };
    put(1 << size);
    for (int i = 0; i < pixels; ++i) {
        put(i == 0 && words.contains("index300")           ? 300
            : i == pixels / 2 && words.contains("badcode") ? next + 1
                                                           : (i % width * 3 + i / width * 5) % 8);
        next += i > 0 && next < 4096;
        codeBits += next == 1 << codeBits && codeBits < 12;
    }
    put((1 << size) + 1);
    data += char(bits);
    QByteArray blocks(1, char(size));
    for (qsizetype from = 0; from < data.size(); from += 255)
        blocks += char(data.mid(from, 255).size()) + data.mid(from, 255);
    gif.replace(at, end + 1 - at, blocks + '\0');
}

QByteArray madeGif(const QStringList &words)
{
    QByteArray bytes;
    int error = 0;
    const auto write = [](GifFileType *to, const GifByteType *data, int size) {
        static_cast<QByteArray *>(to->UserData)->append(reinterpret_cast<const char *>(data), size);
        return size;
    };
    GifFileType *gif = EGifOpen(&bytes, write, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colours[8];
    for (int i = 0; i < 8; ++i)
        colours[i] = {GifByteType(i * 40 + 10), GifByteType(200 - i * 20), GifByteType(i * 30)};
    ColorMapObject *map = GifMakeMapObject(8, colours);
    EGifPutScreenDesc(gif, words[1].toInt(), words[2].toInt(), 8, words[3].toInt(), map);
    int frame = 0;
    for (const QString &word : words.mid(4)) {
        const QStringList f = word.split(u',');
        if (f.size() != 7)
            continue;
        const GraphicsControlBlock control{f[4].toInt(), false, 10, f[5].toInt()};
        GifByteType block[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&control, block)),
                         block);
        const int width = f[2].toInt(), height = f[3].toInt();
        EGifPutImageDesc(gif, f[0].toInt(), f[1].toInt(), width, height, f[6] == u"1", nullptr);
        // Rows from the top, or interlaced: every 8th from 0, every 8th from 4, every 4th
        // from 2, every 2nd from 1.
        static const int passes[5][2] = {{0, 1}, {0, 8}, {4, 8}, {2, 4}, {1, 2}};
        const bool interlaced = f[6] == u"1";
        for (int pass = interlaced ? 1 : 0; pass < (interlaced ? 5 : 1); ++pass)
            for (int y = passes[pass][0]; y < height; y += passes[pass][1]) {
                std::vector<GifPixelType> line(static_cast<std::size_t>(width));
                for (int x = 0; x < width; ++x)
                    line[std::size_t(x)] = GifPixelType((x * 3 + y * 5 + frame) % 8);
                EGifPutLine(gif, line.data(), width);
            }
        ++frame;
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    recodeGif(bytes, words);
    return bytes;
}

// The bytes of a "made:" or "hex:" file, cut to 60 % or without the last byte when asked.
QByteArray bytesOf(const QString &file)
{
    const QStringList words = file.mid(5).split(u' ');
    if (file.startsWith(u"hex:"))
        return QByteArray::fromHex(file.mid(4).toLatin1());
    QByteArray bytes =
        words[0] == u"png" ? madePng(words[1].toInt(), words[2].toInt(), words) : madeGif(words);
    damagePng(bytes, words);
    bytes.truncate(words.contains("cut") ? bytes.size() * 6 / 10 : bytes.size());
    bytes.chop(words.contains("notrailer") ? 1 : 0);
    return bytes;
}

// Every frame decodeFrames hands over, in order, against Qt's reader when asked; the first is
// the picture loadPicture gives, and frameCount counts them all without decoding them.
void verifyFrames(const QString &path, const core::PixelStore &picture, bool againstQt)
{
    const QByteArray bytes = testing::readAll(path);
    QImageReader reader(path);
    const int qtFrames = againstQt ? reader.imageCount() : 0;
    int frames = 0;
    const auto count = core::decodeFrames(
        testing::view(bytes), {}, {},
        [&](int index, core::PixelStore &frame) -> std::optional<core::Message> {
            const QImage image = testing::imageOf(frame);
            const bool right = index == frames++ &&
                               (index > 0 || image == testing::imageOf(picture)) &&
                               (!againstQt || samePixels(image, reader.read()));
            return right ? std::nullopt : std::optional(core::Message{"a frame is not right"});
        });
    QVERIFY2(count.ok(), qPrintable(count.ok() ? QString() : testing::english(count.error())));
    QCOMPARE(count.value(), frames);
    QCOMPARE(core::frameCount(testing::view(bytes)), frames);
    QVERIFY(!againstQt || qtFrames == frames);
}

void verifyClearRefusal(const core::Expected<core::PixelStore> &loaded, const QString &path,
                        const QString &reasonPart = {})
{
    QVERIFY(!loaded.ok());
    QCOMPARE(loaded.error().kind, core::Error::Kind::CannotRead);
    QCOMPARE(testing::english(loaded.error().subject), platform::displayPath(path));
    const QString reason = testing::english(loaded.error().reason);
    QVERIFY(!reason.isEmpty());
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
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
        QVERIFY(QDir().mkpath(QStringLiteral(MADE_DIR)));
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
        const bool made = file.startsWith(u"made:") || file.startsWith(u"hex:");
        const QString path =
            made ? QStringLiteral(MADE_DIR "/") + QTest::currentDataTag() : corpus(file);
        QVERIFY(!made || testing::writeAll(path, bytesOf(file)));
        auto loaded = core::loadPicture(testing::fs(path));
        if (outcome.startsWith(u"refused: ")) {
            verifyClearRefusal(loaded, path, outcome.mid(9));
            // Qt's vague word is its PNG and GIF readers' own, never ours.
            QVERIFY(!file.endsWith(u".bmp") ||
                    !testing::english(loaded.error().reason).contains(u"Unable to read"));
            return;
        }
        QVERIFY2(loaded.ok(),
                 qPrintable(loaded.ok() ? QString() : testing::english(loaded.error())));
        const QByteArray bin = testing::expectedBin(testing::imageOf(loaded.value()));
        {
            std::vector<char> dirt(std::size_t(testing::imageOf(loaded.value()).sizeInBytes()),
                                   '\xA5');
            QVERIFY(dirt.back() != 0);
        }
        QCOMPARE(testing::binOf(path), bin);
        const QStringList refs = references.split(u' ', Qt::SkipEmptyParts);
        verifyFrames(path, loaded.value(), refs.contains("qt"));
        const QImage kept =
            testing::imageOf(core::loadPicture(testing::fs(path), {{}, {}, true}).value());
        if (made) {
            // RRGGBB of the picture, or AARRGGBB of the picture loaded with its transparency.
            for (const QString &probe : refs.filter(QStringLiteral("="))) {
                const QStringList at = probe.split(QRegularExpression("[,=]"));
                const bool withAlpha = at[2].size() == 8;
                const QRgb pixel = (withAlpha ? kept : testing::imageOf(loaded.value()))
                                       .pixel(at[0].toInt(), at[1].toInt());
                QCOMPARE(pixel & (withAlpha ? 0xFFFFFFFF : 0xFFFFFF), at[2].toUInt(nullptr, 16));
            }
            // A PNG's colours are those Qt's reader gives it without its tRNS chunk, which makes
            // Qt paint a transparent grey pixel black; with keepAlpha its alpha is Qt's.
            QByteArray opaque = testing::readAll(path);
            if (const qsizetype at = opaque.indexOf("tRNS") - 4; at > 0)
                opaque.remove(at, 12 + qFromBigEndian<quint32>(opaque.constData() + at));
            const bool png = file.startsWith(u"made:png");
            QVERIFY(!png || refs.filter(QStringLiteral("qt")).isEmpty() ||
                    samePixels(testing::imageOf(loaded.value()), QImage::fromData(opaque)));
            QVERIFY(!png || !refs.contains("qt") ||
                    kept.convertToFormat(QImage::Format_Alpha8) ==
                        QImage(path).convertToFormat(QImage::Format_Alpha8));
            return;
        }
        // Kept, the transparency is the reference's, and an opaque reference's is none.
        if (outcome == u"exact")
            QVERIFY2(std::any_of(refs.begin(), refs.end(),
                                 [&](const QString &reference) {
                                     const QImage ref(corpus(reference));
                                     return samePixels(testing::imageOf(loaded.value()), ref) &&
                                            samePixels(kept, ref, true);
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
            return verifyClearRefusal(core::loadPicture(testing::fs(path)), path);
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
        verifyClearRefusal(core::loadPicture(testing::fs(path)), path);
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
