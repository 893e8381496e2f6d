#include "pixel_probe.h"

#include "core/quantiser.h"

#include <utility>

namespace main_window {

namespace {

QString hex(unsigned value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString probeText(QPoint at, core::Colour colour, core::ByteOrder order)
{
    core::Rgb565Pixel bin = core::quantise(colour).bin;
    const unsigned word = unsigned(bin.high) << 8 | bin.low;
    if (order == core::ByteOrder::Big)
        std::swap(bin.low, bin.high);
    return QStringLiteral("(%1, %2)  R=%3 G=%4 B=%5  →  0x%6  [%7 %8]")
        .arg(at.x())
        .arg(at.y())
        .arg(core::redOf(colour))
        .arg(core::greenOf(colour))
        .arg(core::blueOf(colour))
        .arg(hex(word, 4), hex(bin.low, 2), hex(bin.high, 2));
}

} // namespace main_window
