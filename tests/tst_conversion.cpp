// The 65K-colour encoding and the pass that applies it to a picture, checked against the
// encoding written from its definition: two bytes low first of the 5-6-5 word, and a preview
// that fills the dropped bits with ones unless the channel truncates to zero. Other widths,
// and the rows reported as they finish, are the window's and the command line's tests' part.
#include "support.h"

#include "core/dithering.h"
#include "core/fitting.h"
#include "core/recipe.h"

#include <QTest>

using core::quantise;
using core::Quantised;
using core::rgb;

namespace {

// The encoding's fixed points, checked by the compiler.
static_assert(quantise(rgb(0, 0, 0)) == Quantised{{0x00, 0x00}, rgb(0, 0, 0)});
static_assert(quantise(rgb(255, 255, 255)) == Quantised{{0xFF, 0xFF}, rgb(255, 255, 255)});
static_assert(quantise(rgb(255, 0, 0)) == Quantised{{0x00, 0xF8}, rgb(255, 0, 0)});
static_assert(quantise(rgb(128, 128, 128)) == Quantised{{0x10, 0x84}, rgb(0x87, 0x83, 0x87)});
static_assert(quantise(rgb(8, 4, 8)) == Quantised{{0x21, 0x08}, rgb(0x0F, 0x07, 0x0F)});

int referenceFill(int value, int keptBits)
{
    const int dropped = 8 - keptBits;
    const int truncated = value >> dropped << dropped;
    return truncated == 0 ? 0 : truncated | ((1 << dropped) - 1);
}

// The dithering methods transcribed from their definitions, slowly: the channel values whose
// truncation the display unit is to get.
int bayer(int n, int y, int x)
{
    constexpr int kQuadrant[2][2] = {{0, 2}, {3, 1}};
    const int h = n / 2;
    return n == 1 ? 0 : 4 * bayer(h, y % h, x % h) + kQuadrant[y / h][x / h];
}

QImage referenceDither(QImage picture, core::Dither method)
{
    const int w = picture.width(), h = picture.height();
    std::vector<int> sixteenths(std::size_t(3 * w * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int v[3] = {qRed(picture.pixel(x, y)), qGreen(picture.pixel(x, y)),
                        qBlue(picture.pixel(x, y))};
            for (int ch = 0; ch < 3; ++ch) {
                const int d = ch == 1 ? 2 : 3;
                if (method == core::Dither::Ordered) {
                    v[ch] = qBound(
                        0, v[ch] + bayer(8, y % 8, x % 8) * (1 << d) / 64 - ((1 << d) - 1), 255);
                    continue;
                }
                const int e = sixteenths[std::size_t(3 * (y * w + x) + ch)];
                // floor(e / 16), by a division of positive numbers.
                v[ch] = qBound(0, v[ch] + (e + 4096) / 16 - 256, 255);
                const int error = v[ch] - referenceFill(v[ch], 8 - d);
                constexpr int kSpread[4][3] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
                for (const auto &[dx, dy, weight] : kSpread)
                    if (x + dx >= 0 && x + dx < w && y + dy < h)
                        sixteenths[std::size_t(3 * ((y + dy) * w + x + dx) + ch)] += error * weight;
            }
            picture.setPixel(x, y, qRgb(v[0], v[1], v[2]));
        }
    return picture;
}

// Scaling by its definition, slowly: each source pixel repeated `to` times along an axis, and
// each new pixel the mean of its `from` repeats, rounded to nearest.
QImage referenceScaled(const QImage &picture, QSize to)
{
    const int w = picture.width(), h = picture.height();
    QImage out(to, QImage::Format_RGB32);
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x) {
            std::uint64_t sum[3] = {};
            for (int sy = y * h; sy < (y + 1) * h; ++sy)
                for (int sx = x * w; sx < (x + 1) * w; ++sx) {
                    const QRgb p = picture.pixel(sx / to.width(), sy / to.height());
                    sum[0] += std::uint64_t(qRed(p));
                    sum[1] += std::uint64_t(qGreen(p));
                    sum[2] += std::uint64_t(qBlue(p));
                }
            const std::uint64_t n = std::uint64_t(w) * std::uint64_t(h);
            out.setPixel(x, y,
                         qRgb(int((sum[0] + n / 2) / n), int((sum[1] + n / 2) / n),
                              int((sum[2] + n / 2) / n)));
        }
    return out;
}

} // namespace

class tst_Conversion : public QObject
{
    Q_OBJECT

private slots:
    // One odd-width picture holds all 2^24 colours: a slip in any bit of any colour shows.
    // Without the preview the canvas stays as it was.
    void everyColourAgreesWithTheDefinition_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("no preview") << false;
        QTest::newRow("preview") << true;
    }

    void everyColourAgreesWithTheDefinition()
    {
        QFETCH(bool, preview);
        const int width = 4097, height = 4096;
        const auto colourAt = [&](int x, int y) { return std::uint32_t(y * width + x) & 0xFFFFFF; };
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] = core::toQRgb(colourAt(x, y));
        }
        core::PixelStore picture = testing::storeOf(image);
        const auto bin = core::convertPicture(picture, preview).value();
        // The BIN file read back shows the preview, whether or not the pass painted it.
        const auto shownByBin = core::pictureOfBin(bin, {width, height}, core::ByteOrder::Little);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const core::Colour c = colourAt(x, y);
                const int r = core::redOf(c), g = core::greenOf(c), b = core::blueOf(c);
                const auto word = std::uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
                const core::Colour shown =
                    preview ? rgb(referenceFill(r, 5), referenceFill(g, 6), referenceFill(b, 5))
                            : c;
                const std::size_t i = 2 * (std::size_t(y) * width + std::size_t(x));
                if (bin[i] != (word & 0xFF) || bin[i + 1] != word >> 8 ||
                    picture.pixel(x, y) != shown || shownByBin.pixel(x, y) != quantise(c).preview)
                    QFAIL(qPrintable(QStringLiteral("colour %1").arg(c, 6, 16, QLatin1Char('0'))));
            }
    }

    // Both methods against their transcriptions, on a pattern, one column, and gradients over
    // which errors carry along rows and down columns; widths are no multiple of the matrix's.
    void ditheringFollowsTheDefinitions_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("ordered") << int(core::Dither::Ordered);
        QTest::newRow("fs") << int(core::Dither::FloydSteinberg);
    }

    void ditheringFollowsTheDefinitions()
    {
        QFETCH(int, method);
        QImage gradients(70, 6, QImage::Format_RGB32);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 70; ++x)
                gradients.setPixel(x, y, qRgb(x / 3 + y, 250 + x % 6, x * 255 / 69));
        for (const QImage &picture :
             {testing::patternPicture(13, 9), testing::patternPicture(1, 7), gradients}) {
            core::PixelStore store = testing::storeOf(picture);
            core::dither(store, core::Dither(method));
            const auto bin = core::convertPicture(store, false).value();
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(bin.data()), qsizetype(bin.size())),
                     testing::expectedBin(referenceDither(picture, core::Dither(method))));
        }
    }

    // Transparency and cutting against their arithmetic, written out here: blending is
    // round((a c + (255 - a) bg) / 255) per channel, a key colour takes every pixel less than
    // half opaque, and a crop keeps its rectangle or is refused naming both sizes.
    void recipeStepsFollowTheirArithmetic_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("alpha ignored") << ""
                                       << "stored";
        QTest::newRow("blended") << "blend"
                                 << "blended";
        QTest::newRow("keyed") << "key"
                               << "keyed stored";
        QTest::newRow("blended and keyed") << "blend key"
                                           << "keyed blended";
        QTest::newRow("cropped") << "crop 1,1,2,1"
                                 << "stored 1,1,2,1";
        QTest::newRow("crop outside")
            << "crop 2,1,3,1"
            << "the crop 2,1,3,1 (3 x 1 pixels) reaches outside the picture of "
               "4 x 2 pixels";
    }

    void recipeStepsFollowTheirArithmetic()
    {
        QFETCH(QString, steps);
        QFETCH(QString, outcome);
        const core::Colour background = rgb(0x10, 0x80, 0xF0), key = rgb(0xFF, 0x00, 0xFF);
        const int alphas[8] = {0, 64, 127, 128, 200, 255, 1, 254};
        QImage picture(4, 2, QImage::Format_ARGB32);
        for (int i = 0; i < 8; ++i)
            picture.setPixel(i % 4, i / 4,
                             qRgba(37 * i + 11, 255 - 29 * i, 90 + 13 * i, alphas[i]));
        core::PixelStore store = core::PixelStore::allocate(4, 2);
        for (int y = 0; y < 2; ++y)
            std::memcpy(store.row(y), picture.constScanLine(y), 16);
        store.setHasAlpha(true);

        core::Recipe recipe;
        recipe.background = background;
        if (steps.contains(u"blend"))
            recipe.alpha = core::AlphaMode::Blend;
        if (steps.contains(u"key"))
            recipe.colourKey = key;
        if (steps.startsWith(u"crop"))
            recipe.crop = core::cropFromWord(steps.mid(5).toStdString());
        core::BinBuffer bin;
        const auto applied = core::applyRecipe(store, recipe, bin, true, {"p"});
        if (!applied.ok()) {
            QCOMPARE(testing::english(applied.error().reason), outcome);
            return;
        }
        QImage expected = picture.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const QRgb p = picture.pixel(x, y);
                const int a = qAlpha(p);
                const auto mix = [&](int c, int bg) {
                    return (a * c + (255 - a) * bg + 127) / 255;
                };
                if (outcome.contains(u"keyed") && a < 128)
                    expected.setPixel(x, y, core::toQRgb(key));
                else if (outcome.contains(u"blended"))
                    expected.setPixel(
                        x, y, qRgb(mix(qRed(p), 0x10), mix(qGreen(p), 0x80), mix(qBlue(p), 0xF0)));
            }
        if (recipe.crop)
            expected = expected.copy(recipe.crop->x, recipe.crop->y, recipe.crop->width,
                                     recipe.crop->height);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bin.data()), qsizetype(bin.size())),
                 testing::expectedBin(expected));
        QCOMPARE(testing::imageOf(store), testing::previewOf(expected));
    }

    // A flat grey dithered in order looks, on average, like itself: the pattern is centred.
    // Black and white stay as they are, pixel by pixel.
    void orderedDitherKeepsTheMeanOfFlatGreys_data()
    {
        QTest::addColumn<int>("level");
        for (const int level : {0, 16, 17, 100, 128, 131, 200, 247, 255})
            QTest::addRow("%d", level) << level;
    }

    void orderedDitherKeepsTheMeanOfFlatGreys()
    {
        QFETCH(int, level);
        core::PixelStore flat = core::PixelStore::filled({8, 8}, rgb(level, level, level));
        core::dither(flat, core::Dither::Ordered);
        const auto bin = core::convertPicture(flat, true).value();
        int sums[3] = {};
        bool everyPixelTheLevel = true;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const core::Colour shown = flat.pixel(x, y);
                sums[0] += core::redOf(shown);
                sums[1] += core::greenOf(shown);
                sums[2] += core::blueOf(shown);
                everyPixelTheLevel = everyPixelTheLevel && shown == rgb(level, level, level);
            }
        for (const int sum : sums)
            QCOMPARE(sum, 64 * level);
        QVERIFY(everyPixelTheLevel || (level != 0 && level != 255));
    }

    // Shrinking by whole and by awkward factors, growing, one axis at a time and a single
    // row; and the window that cover keeps, which must be that part of the whole scaling.
    void scalingAveragesTheAreaEachPixelCovers_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<QRect>("window");
        QTest::newRow("halved") << QSize(8, 6) << QSize(4, 3) << QRect(0, 0, 4, 3);
        QTest::newRow("7 to 3, 5 to 2") << QSize(7, 5) << QSize(3, 2) << QRect(0, 0, 3, 2);
        QTest::newRow("grown") << QSize(3, 2) << QSize(7, 5) << QRect(0, 0, 7, 5);
        QTest::newRow("one axis") << QSize(9, 4) << QSize(9, 3) << QRect(0, 0, 9, 3);
        QTest::newRow("one row") << QSize(31, 1) << QSize(4, 1) << QRect(0, 0, 4, 1);
        QTest::newRow("window") << QSize(13, 11) << QSize(10, 8) << QRect(3, 2, 4, 5);
    }

    void scalingAveragesTheAreaEachPixelCovers()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(QRect, window);
        const QImage picture = testing::patternPicture(from.width(), from.height());
        const core::PixelStore scaled =
            core::scaledWindow(testing::storeOf(picture), {to.width(), to.height()},
                               {window.x(), window.y(), window.width(), window.height()});
        QCOMPARE(testing::imageOf(scaled), referenceScaled(picture, to).copy(window));
    }

    // Strips and columns of extreme aspect on panels of every mode. Cover scales them, in
    // arithmetic, far past 32 bits (and the last row past 64 in its products) before the
    // panel cuts them; a flat picture must stay flat, on contain's bands, whatever the fit.
    void extremeFitsKeepFlatPicturesFlat_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("outcome");
        const QSize strip(1 << 21, 1), column(1, 1 << 21);
        QTest::newRow("strip covers a column") << strip << QSize(1, 1024) << "cover"
                                               << "1024 picture";
        QTest::newRow("to 2^31 + 2^21 wide") << strip << QSize(1, 1025) << "cover"
                                             << "1025 picture";
        QTest::newRow("to 2^32 wide") << strip << QSize(1, 2048) << "cover"
                                      << "2048 picture";
        QTest::newRow("strip in a column") << strip << QSize(1, 1024) << "contain"
                                           << "1 picture, 1023 background";
        QTest::newRow("strip stretched") << strip << QSize(1, 1024) << "stretch"
                                         << "1024 picture";
        QTest::newRow("column covers a strip") << column << QSize(1024, 1) << "cover"
                                               << "1024 picture";
        QTest::newRow("column in a strip") << column << QSize(1024, 1) << "contain"
                                           << "1 picture, 1023 background";
        QTest::newRow("banner covers a column") << QSize(1280, 10) << QSize(1, 4099) << "cover"
                                                << "4099 picture";
        QTest::newRow("products past 64 bits") << QSize(1 << 24, 1) << QSize(1, 1 << 17) << "cover"
                                               << "131072 picture";
        QTest::newRow("odd leftover at the bottom") << QSize(4, 1) << QSize(3, 2) << "contain"
                                                    << "3 picture, 3 background";
    }

    void extremeFitsKeepFlatPicturesFlat()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, panel);
        QFETCH(QString, mode);
        QFETCH(QString, outcome);
        const core::Colour colour = rgb(201, 99, 37), background = rgb(1, 2, 3);
        const core::PixelStore fitted = core::fitted(
            core::PixelStore::filled(platform::sizeOf(picture), colour), platform::sizeOf(panel),
            *core::fitModeFromWord(mode.toStdString()), background);
        QCOMPARE(platform::qSizeOf(fitted.size()), panel);
        std::int64_t pictures = 0, bands = 0;
        QString strange;
        for (int y = 0; y < fitted.height(); ++y)
            for (int x = 0; x < fitted.width(); ++x) {
                const core::Colour c = fitted.pixel(x, y);
                pictures += c == colour ? 1 : 0;
                bands += c == background ? 1 : 0;
                if (c != colour && c != background && strange.isEmpty())
                    strange = QStringLiteral("%1 at %2,%3")
                                  .arg(QString::fromStdString(core::colourWord(c)))
                                  .arg(x)
                                  .arg(y);
            }
        QCOMPARE(strange, QString());
        QCOMPARE(bands ? QStringLiteral("%1 picture, %2 background").arg(pictures).arg(bands)
                       : QStringLiteral("%1 picture").arg(pictures),
                 outcome);
    }
};

QTEST_APPLESS_MAIN(tst_Conversion)
#include "tst_conversion.moc"
