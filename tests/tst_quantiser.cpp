#include "core/quantiser.h"

#include <QTest>

using core::quantise;
using core::Quantised;
using core::rgb;

namespace {

// The encoding's fixed points, checked by the compiler: the two bytes low first, then the
// preview colour.
static_assert(quantise(rgb(0, 0, 0)) == Quantised{{0x00, 0x00}, rgb(0, 0, 0)});
static_assert(quantise(rgb(255, 255, 255)) == Quantised{{0xFF, 0xFF}, rgb(255, 255, 255)});
static_assert(quantise(rgb(255, 0, 0)) == Quantised{{0x00, 0xF8}, rgb(255, 0, 0)});
static_assert(quantise(rgb(0, 255, 0)) == Quantised{{0xE0, 0x07}, rgb(0, 255, 0)});
static_assert(quantise(rgb(0, 0, 255)) == Quantised{{0x1F, 0x00}, rgb(0, 0, 255)});
static_assert(quantise(rgb(128, 128, 128)) == Quantised{{0x10, 0x84}, rgb(0x87, 0x83, 0x87)});
static_assert(quantise(rgb(7, 3, 7)) == Quantised{{0x00, 0x00}, rgb(0, 0, 0)});
static_assert(quantise(rgb(8, 4, 8)) == Quantised{{0x21, 0x08}, rgb(0x0F, 0x07, 0x0F)});
static_assert(quantise(rgb(0x12, 0x34, 0x56)) == Quantised{{0xAA, 0x11}, rgb(0x17, 0x37, 0x57)});

// The fill rule written from its definition, independently of the bit-field arithmetic.
int referenceFill(int value, int keptBits)
{
    const int dropped = 8 - keptBits;
    const int truncated = value >> dropped << dropped;
    return truncated == 0 ? 0 : truncated | ((1 << dropped) - 1);
}

} // namespace

class tst_Quantiser : public QObject
{
    Q_OBJECT

private slots:
    // Also: converting the preview again changes nothing, as a second pass over a canvas that
    // already shows the preview must not.
    void everyColourMatchesTheReference()
    {
        for (std::uint32_t c = 0; c < (1u << 24); ++c) {
            const int r = core::redOf(c), g = core::greenOf(c), b = core::blueOf(c);
            const auto word = std::uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
            const core::Colour preview =
                rgb(referenceFill(r, 5), referenceFill(g, 6), referenceFill(b, 5));
            const auto q = quantise(c);
            if (q.bin.low != (word & 0xFF) || q.bin.high != word >> 8 || q.preview != preview ||
                quantise(q.preview) != q)
                QFAIL(qPrintable(QStringLiteral("colour %1").arg(c, 6, 16, QLatin1Char('0'))));
        }
    }
};

QTEST_APPLESS_MAIN(tst_Quantiser)
#include "tst_quantiser.moc"
