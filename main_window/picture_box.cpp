#include "picture_box.h"

#include <QPainter>

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

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(QPoint(kBorder, kBorder), m_pixels.image());
}

} // namespace main_window
