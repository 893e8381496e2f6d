#include "picture_box.h"

#include "pixel_probe.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace main_window {

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setLineWidth(kBorder);
    const QColor face = palette().color(QPalette::Button);
    m_pixels =
        core::PixelStore::filled({320, 240}, core::rgb(face.red(), face.green(), face.blue()));
    fitToPicture();
    setMouseTracking(true);
}

void PictureBox::setPicture(core::PixelStore picture)
{
    m_pixels = std::move(picture);
    fitToPicture();
    update();
}

void PictureBox::fitToPicture()
{
    setFixedSize(m_pixels.width() + 2 * kBorder, m_pixels.height() + 2 * kBorder);
}

bool PictureBox::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        showProbe(help->pos(), help->globalPos());
        return true;
    }
    return QFrame::event(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    // Once up, the probe follows the pointer from pixel to pixel.
    if (QToolTip::isVisible())
        showProbe(event->position().toPoint(), event->globalPosition().toPoint());
    QFrame::mouseMoveEvent(event);
}

void PictureBox::showProbe(QPoint at, QPoint global)
{
    const QPoint pixel = at - QPoint(kBorder, kBorder);
    if (!QRect(QPoint(), m_pixels.size()).contains(pixel)) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(global, probeText(pixel, m_pixels.pixel(pixel.x(), pixel.y())), this);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(QPoint(kBorder, kBorder), m_pixels.image());
}

} // namespace main_window
