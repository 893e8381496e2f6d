#include "core/conversion.h"
#include "core/quantiser.h"
#include "test_pictures.h"

#include <QTest>

using core::BinBuffer;
using core::PixelStore;

class tst_Conversion : public QObject
{
    Q_OBJECT

private slots:
    void redThenBlueGivesTheDocumentedBytes()
    {
        PixelStore picture = PixelStore::filled({2, 1}, core::rgb(255, 0, 0));
        picture.setPixel(1, 0, core::rgb(0, 0, 255));
        auto bin = core::convertPicture(picture, false);
        QVERIFY(bin.ok());
        QCOMPARE(bin.value(), (BinBuffer{0x00, 0xF8, 0x1F, 0x00}));
    }

    // Widths around the vector lengths catch a loop that mishandles its tail. Without the
    // preview the canvas must stay as it was; either way every row is reported, in order.
    void everyWidthAgreesWithTheQuantiser_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("preview");
        for (int width : {1, 3, 7, 8, 9, 15, 17, 31, 33, 65})
            for (bool preview : {false, true})
                QTest::addRow("width %d%s", width, preview ? ", preview" : "") << width << preview;
    }

    void everyWidthAgreesWithTheQuantiser()
    {
        QFETCH(int, width);
        QFETCH(bool, preview);
        const int height = 3;
        PixelStore picture(testing::patternPicture(width, height));
        PixelStore expectedPicture = picture;
        BinBuffer expectedBin;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto q = core::quantise(picture.pixel(x, y));
                expectedBin.insert(expectedBin.end(), {q.bin.low, q.bin.high});
                if (preview)
                    expectedPicture.setPixel(x, y, q.preview);
            }
        }
        QList<int> rows;
        auto bin = core::convertPicture(picture, preview, [&](int y) { rows << y; });
        QVERIFY(bin.ok());
        QCOMPARE(bin.value(), expectedBin);
        QCOMPARE(picture.image(), expectedPicture.image());
        QCOMPARE(rows, (QList<int>{0, 1, 2}));
    }

    // The row kernel is written separately from quantise(); a slip in any bit of any colour
    // shows here. One odd-width picture holds all 2^24 colours.
    void everyColourAgreesWithTheQuantiser_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("no preview") << false;
        QTest::newRow("preview") << true;
    }

    void everyColourAgreesWithTheQuantiser()
    {
        QFETCH(bool, preview);
        const int width = 4097, height = 4096;
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = core::toQRgb(std::uint32_t(y * width + x) & 0xFFFFFF);
        }
        PixelStore picture(image);
        auto bin = core::convertPicture(picture, preview);
        QVERIFY(bin.ok());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const core::Colour c = std::uint32_t(y * width + x) & 0xFFFFFF;
                const auto q = core::quantise(c);
                const std::size_t i = 2 * (std::size_t(y) * width + std::size_t(x));
                if (bin.value()[i] != q.bin.low || bin.value()[i + 1] != q.bin.high ||
                    picture.pixel(x, y) != (preview ? q.preview : c))
                    QFAIL(qPrintable(QStringLiteral("colour %1").arg(c, 6, 16, QLatin1Char('0'))));
            }
        }
    }
};

QTEST_APPLESS_MAIN(tst_Conversion)
#include "tst_conversion.moc"
