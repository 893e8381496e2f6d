#include "core/conversion.h"
#include "core/quantiser.h"
#include "test_pictures.h"

#include <QTest>

using core::BinBuffer;
using core::PixelStore;

namespace {

std::uint16_t wordAt(const BinBuffer &bin, std::size_t pixel)
{
    return std::uint16_t(bin[2 * pixel] | bin[2 * pixel + 1] << 8);
}

std::uint16_t expectedWord(core::Colour c)
{
    const auto q = core::quantise(c);
    return std::uint16_t(q.bin.low | q.bin.high << 8);
}

} // namespace

class tst_Conversion : public QObject
{
    Q_OBJECT

private slots:
    void onePixelGivesTwoBytesAndOneRow()
    {
        PixelStore picture = PixelStore::filled({1, 1}, core::rgb(255, 0, 0));
        QList<int> rows;
        auto bin = core::convertPicture(picture, true, [&](int y) { rows << y; });
        QVERIFY(bin.ok());
        QCOMPARE(bin.value(), (BinBuffer{0x00, 0xF8}));
        QCOMPARE(rows, QList<int>{0});
    }

    void redThenBlueGivesTheDocumentedBytes()
    {
        PixelStore picture = PixelStore::filled({2, 1}, core::rgb(255, 0, 0));
        picture.setPixel(1, 0, core::rgb(0, 0, 255));
        auto bin = core::convertPicture(picture, false);
        QVERIFY(bin.ok());
        QCOMPARE(bin.value(), (BinBuffer{0x00, 0xF8, 0x1F, 0x00}));
    }

    // Widths around the vector lengths catch a loop that mishandles its tail.
    void everySizeAgreesWithTheQuantiser_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("preview");
        for (int width : {1, 3, 7, 8, 9, 15, 17, 31, 33, 65})
            for (bool preview : {false, true})
                QTest::addRow("%d x 3%s", width, preview ? " preview" : "")
                    << width << 3 << preview;
        QTest::newRow("17 x 5 tall rows") << 17 << 5 << true;
    }

    void everySizeAgreesWithTheQuantiser()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, preview);
        const PixelStore original(testing::patternPicture(width, height));
        PixelStore picture = original;
        auto bin = core::convertPicture(picture, preview);
        QVERIFY(bin.ok());
        QCOMPARE(bin.value().size(), std::size_t(2 * width * height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const core::Colour c = original.pixel(x, y);
                QCOMPARE(wordAt(bin.value(), std::size_t(y * width + x)), expectedWord(c));
                QCOMPARE(picture.pixel(x, y), preview ? core::quantise(c).preview : c);
            }
        }
    }

    // The row kernel is written separately from quantise(); a slip in any bit of any colour
    // shows here. One odd-width picture holds all 2^24 colours.
    void everyColourAgreesWithTheQuantiser()
    {
        const int width = 4097, height = 4096;
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = core::toQRgb(std::uint32_t(y * width + x) & 0xFFFFFF);
        }
        PixelStore picture(image);
        auto bin = core::convertPicture(picture, true);
        QVERIFY(bin.ok());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const core::Colour c = std::uint32_t(y * width + x) & 0xFFFFFF;
                const auto q = core::quantise(c);
                const std::size_t i = 2 * (std::size_t(y) * width + std::size_t(x));
                if (bin.value()[i] != q.bin.low || bin.value()[i + 1] != q.bin.high ||
                    picture.pixel(x, y) != q.preview)
                    QFAIL(qPrintable(QStringLiteral("colour %1").arg(c, 6, 16, QLatin1Char('0'))));
            }
        }
    }

    void rowsAreReportedInOrder()
    {
        PixelStore picture(testing::patternPicture(3, 40));
        QList<int> rows;
        QVERIFY(core::convertPicture(picture, false, [&](int y) { rows << y; }).ok());
        QList<int> expected;
        for (int y = 0; y < 40; ++y)
            expected << y;
        QCOMPARE(rows, expected);
    }

    void withoutPreviewThePictureIsUntouched()
    {
        const PixelStore original(testing::patternPicture(33, 9));
        PixelStore picture = original;
        QVERIFY(core::convertPicture(picture, false).ok());
        QCOMPARE(picture.image(), original.image());
    }

    void convertingTwiceGivesTheSameBytes_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("preview") << true;
        QTest::newRow("no preview") << false;
    }

    void convertingTwiceGivesTheSameBytes()
    {
        // After a pass with the preview the canvas holds the preview, and converting that
        // again must not move a single bit.
        QFETCH(bool, preview);
        PixelStore picture(testing::patternPicture(50, 20));
        auto first = core::convertPicture(picture, preview);
        const QImage afterFirst = picture.image();
        auto second = core::convertPicture(picture, preview);
        QVERIFY(first.ok() && second.ok());
        QCOMPARE(second.value(), first.value());
        QCOMPARE(picture.image(), afterFirst);
    }
};

QTEST_APPLESS_MAIN(tst_Conversion)
#include "tst_conversion.moc"
