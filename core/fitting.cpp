#include "core/fitting.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstdint>

namespace core {

namespace {

// round(a * b / c) for positive numbers, at least 1.
int scaledSide(int a, int b, int c)
{
    const std::int64_t product = std::int64_t(a) * b;
    return int(std::max<std::int64_t>(1, (2 * product + c) / (2 * std::int64_t(c))));
}

} // namespace

Placement placeOnPanel(QSize picture, QSize panel, FitMode mode)
{
    const int w = picture.width(), h = picture.height();
    const int pw = panel.width(), ph = panel.height();
    QSize size = panel;
    if (mode != FitMode::Stretch) {
        // Comparing w / h with pw / ph without division: is the picture the wider shape?
        const bool wider = std::int64_t(w) * ph > std::int64_t(pw) * h;
        if (wider == (mode == FitMode::Contain))
            size.setHeight(scaledSide(h, pw, w));
        else
            size.setWidth(scaledSide(w, ph, h));
    }
    return {size, QPoint((pw - size.width()) / 2, (ph - size.height()) / 2)};
}

QImage turned(const QImage &picture, int degrees)
{
    if (degrees % 360 == 0)
        return picture;
    // Qt turns by quarter turns with plain pixel moves.
    return picture.transformed(QTransform().rotate(degrees));
}

QImage fitted(const QImage &picture, QSize panel, FitMode mode, Colour background)
{
    if (picture.size() == panel)
        return picture;
    const Placement place = placeOnPanel(picture.size(), panel, mode);
    const QImage scaled =
        place.size == picture.size()
            ? picture
            : picture.scaled(place.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (place.size == panel || scaled.isNull())
        return scaled;
    QImage canvas(panel, QImage::Format_RGB32);
    if (canvas.isNull())
        return canvas;
    canvas.fill(toQRgb(background));
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(place.offset, scaled);
    return canvas;
}

} // namespace core
