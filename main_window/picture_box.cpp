#include "picture_box.h"

#include "canvas_image.h"
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
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setPicture(core::PixelStore picture)
{
    m_pixels = std::move(picture);
    m_loaded = {};
    m_before = {};
    m_converted = false;
    fitToPicture();
    update();
}

void PictureBox::showConverted(core::PixelStore converted, core::PixelStore before)
{
    // The loaded picture moves aside rather than being copied.
    if (!m_converted && m_loaded.isNull())
        m_loaded = std::move(m_pixels);
    m_pixels = std::move(converted);
    m_before = std::move(before);
    m_converted = true;
    fitToPicture();
    update();
}

void PictureBox::restoreLoaded()
{
    if (!m_converted || m_loaded.isNull())
        return;
    m_pixels = std::move(m_loaded);
    m_before = {};
    m_converted = false;
    fitToPicture();
    update();
}

const core::PixelStore &PictureBox::loadedPixels() const
{
    return m_loaded.isNull() ? m_pixels : m_loaded;
}

void PictureBox::keepLoadedCopy()
{
    if (!m_loaded.isNull() || qint64(m_pixels.width()) * m_pixels.height() > kMaxKeptPixels)
        return;
    // Null when the memory cannot be had: Space then shows nothing else.
    m_loaded = m_pixels.copy();
}

const core::PixelStore &PictureBox::shown() const
{
    if (!m_showingLoaded)
        return m_pixels;
    if (m_converted)
        return m_before.isNull() ? m_pixels : m_before;
    return m_loaded.isNull() ? m_pixels : m_loaded;
}

void PictureBox::showLoaded(bool show)
{
    if (show != m_showingLoaded) {
        m_showingLoaded = show;
        update();
    }
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
    if (!QRect(0, 0, shown().width(), shown().height()).contains(pixel)) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(global, probeText(pixel, shown().pixel(pixel.x(), pixel.y()), m_byteOrder),
                       this);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(QPoint(kBorder, kBorder), imageView(shown()));
}

} // namespace main_window
