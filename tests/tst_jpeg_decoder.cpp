// JPEG files made here by libjpeg's encoder in the layouts cameras and editors write, decoded by
// the core and compared with an independent decoder: Qt's reader, whose pixels the program gave
// before it had its own decoder, and for CMYK the inks worked out separately. Damaged files go
// through the command line's job, which must refuse them with a reason and write nothing. The
// cases are in tests/data/cases/jpeg_decoder.tsv and jpeg_damaged.tsv.
#include "cli/run.h"
#include "support.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

QSize sizeOf(const QString &text)
{
    const QStringList sides = text.split(u'x');
    return sides.size() == 2 ? QSize(sides[0].toInt(), sides[1].toInt()) : QSize();
}

// A recipe's words: WxH; 444, 422, 420, grey, rgb (4:4:4 without YCbCr), cmyk or ycck;
// progressive, arithmetic, restart; flat=ROW (black from there on); app1=HEX, a segment's data;
// then changes to the file made:
// claim=WxH, precision=N, sof=XX (hex), zero (the scan data zeroed), flip (three bytes of it
// changed), cut=N (percent kept), eoi (an end marker appended), trailer (the file appended).
QByteArray makeJpeg(const QString &recipe)
{
    QMap<QString, QString> has;
    for (const QString &word : recipe.split(u' '))
        has.insert(word.section(u'=', 0, 0), word.section(u'=', 1));
    const QSize size = sizeOf(recipe.section(u' ', 0, 0));
    const QImage picture = testing::patternPicture(size.width(), size.height());
    const bool grey = has.contains("grey"), inks = has.contains("cmyk") || has.contains("ycck");
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&c, &out, &length);
    c.image_width = JDIMENSION(picture.width()), c.image_height = JDIMENSION(picture.height());
    c.input_components = grey ? 1 : inks ? 4 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : inks ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, has.contains("ycck")  ? JCS_YCCK
                            : has.contains("rgb") ? JCS_RGB
                                                  : c.jpeg_color_space);
    c.comp_info[0].h_samp_factor = has.contains("422") || has.contains("420") ? 2 : 1;
    c.comp_info[0].v_samp_factor = has.contains("420") ? 2 : 1;
    if (has.contains("progressive"))
        jpeg_simple_progression(&c);
    c.arith_code = has.contains("arithmetic");
    c.restart_in_rows = has.contains("restart") ? 1 : 0;
    jpeg_start_compress(&c, TRUE);
    if (const QByteArray app1 = QByteArray::fromHex(has.value("app1").toLatin1()); !app1.isEmpty())
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(app1.data()),
                          unsigned(app1.size()));
    std::vector<JSAMPLE> row(std::size_t(picture.width()) * 4);
    for (JSAMPROW line = row.data(); c.next_scanline < c.image_height;) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = y < has.value("flat", "65536").toInt() ? picture.pixel(x, y) : 0;
            const int channels[] = {qRed(p), qGreen(p), qBlue(p), (x * 29 + y * 13) & 0xFF};
            std::copy_n(channels, c.input_components, row.begin() + x * c.input_components);
        }
        jpeg_write_scanlines(&c, &line, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray jpeg(reinterpret_cast<const char *>(out), qsizetype(length));
    std::free(out);

    // The frame header: its marker, length, precision, height and width.
    const qsizetype frame = std::max({jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"),
                                      jpeg.indexOf("\xFF\xC9"), jpeg.indexOf("\xFF\xCA")});
    const qsizetype scan = jpeg.indexOf("\xFF\xDA") + 2;
    const qsizetype data = scan + (uchar(jpeg[scan]) << 8 | uchar(jpeg[scan + 1]));
    if (const QSize claim = sizeOf(has.value("claim")); claim.isValid())
        for (int i = 0; i < 4; ++i)
            jpeg[frame + 5 + i] = char((i < 2 ? claim.height() : claim.width()) >> 8 * (~i & 1));
    if (has.contains("precision"))
        jpeg[frame + 4] = char(has.value("precision").toInt());
    if (has.contains("sof"))
        jpeg[frame + 1] = char(has.value("sof").toInt(nullptr, 16));
    if (has.contains("zero"))
        std::fill(jpeg.begin() + data, jpeg.end() - 2, '\0');
    for (int i = 1; has.contains("flip") && i < 4; ++i)
        jpeg[data + (jpeg.size() - data) * i / 4] ^= 0x24;
    if (has.contains("cut"))
        jpeg.truncate(jpeg.size() * has.value("cut").toInt() / 100);
    if (has.contains("eoi"))
        jpeg += "\xFF\xD9";
    if (has.contains("trailer"))
        jpeg += jpeg;
    return jpeg;
}

QImage qtDecoded(const QByteArray &jpeg, QSize scaled)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    reader.setScaledSize(scaled);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// The inks as the library decodes them (inverted, as Adobe stores them), each channel of a
// pixel round(ink x black / 255).
QImage inksDecoded(const QByteArray &jpeg, QSize scaled)
{
    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const uchar *>(jpeg.data()), ulong(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    d.scale_denom = scaled.isValid() ? d.image_width / unsigned(scaled.width()) : 1;
    jpeg_start_decompress(&d);
    QImage image(int(d.output_width), int(d.output_height), QImage::Format_RGB32);
    for (JSAMPROW row; d.output_scanline < d.output_height; jpeg_read_scanlines(&d, &row, 1))
        row = image.scanLine(int(d.output_scanline));
    jpeg_destroy_decompress(&d);
    for (uchar *p = image.bits(); p < image.bits() + image.sizeInBytes(); p += 4)
        *reinterpret_cast<QRgb *>(p) =
            qRgb(int(std::lround(p[0] * p[3] / 255.0)), int(std::lround(p[1] * p[3] / 255.0)),
                 int(std::lround(p[2] * p[3] / 255.0)));
    return image;
}

} // namespace

class tst_JpegDecoder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Each picture as its reference gives it, every pixel opaque; with a box to fit, shrunk by
    // the DCT to the size the reference is asked for.
    void decodes_data() { testing::addCases("jpeg_decoder", {"recipe", "box", "reference"}); }

    void decodes()
    {
        QFETCH(QString, recipe);
        QFETCH(QString, box);
        QFETCH(QString, reference);
        const QByteArray jpeg = makeJpeg(recipe);
        core::LoadOptions options;
        if (box != u"-")
            options.shrinkFor = platform::sizeOf(sizeOf(box));
        const auto decoded = core::decodePicture(testing::view(jpeg), {"made.jpg"}, options);
        QVERIFY2(decoded.ok(),
                 qPrintable(decoded.ok() ? QString() : testing::english(decoded.error())));
        const core::PixelStore &store = decoded.value();
        for (int y = 0; y < store.height(); ++y)
            QVERIFY(std::all_of(store.row(y), store.row(y) + store.width(),
                                [](quint32 p) { return p >> 24 == 0xFF; }));
        const QSize scaled = sizeOf(reference.section(u' ', 1));
        if (reference.startsWith(u"size"))
            QCOMPARE(platform::qSizeOf(store.size()), scaled);
        else
            QCOMPARE(testing::imageOf(store), reference.startsWith(u"inks")
                                                  ? inksDecoded(jpeg, scaled)
                                                  : qtDecoded(jpeg, scaled));
    }

    // Each refused by the command line's job with its reason, and no BIN file written.
    void refusesDamagedFiles_data() { testing::addCases("jpeg_damaged", {"recipe", "reason"}); }

    void refusesDamagedFiles()
    {
        QFETCH(QString, recipe);
        QFETCH(QString, reason);
        cli::Job job;
        job.source = testing::fs(m_dir.filePath("damaged.jpg"));
        job.output = testing::fs(m_dir.filePath("damaged.BIN"));
        QVERIFY(testing::writeAll(m_dir.filePath("damaged.jpg"), makeJpeg(recipe)));
        core::BinBuffer bin;
        const QString error = QString::fromStdString(cli::runJob(job, cli::Options{}, bin).error);
        QVERIFY2(error.contains(QStringLiteral(": cannot read picture: ") + reason),
                 qPrintable(error));
        QVERIFY(!QFile::exists(m_dir.filePath("damaged.BIN")));
    }
};

QTEST_MAIN(tst_JpegDecoder)
#include "tst_jpeg_decoder.moc"
