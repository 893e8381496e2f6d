// Picture1, the canvas: the core's pixel store inside a sunken two-pixel border, sized to its
// picture. Whatever the conversion writes into the pixels is what it shows and what a bitmap
// save writes. With the pointer resting over it, a tooltip probes the pixel there.
#pragma once

#include "core/pixel_store.h"

#include <QFrame>

namespace main_window {

class PictureBox : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kBorder = 2;

    // Before any picture the inner area is 320 x 240 pixels of the button-face colour, which
    // is also what a conversion before the first picture converts.
    explicit PictureBox(QWidget *parent = nullptr);

    // Shows the picture at its own pixel size; the canvas grows or shrinks around it and keeps
    // its position.
    void setPicture(core::PixelStore picture);

    core::PixelStore &pixels() { return m_pixels; }
    const core::PixelStore &pixels() const { return m_pixels; }

    // The inner size in pixels, and the outer position in the parent.
    int ScaleWidth() const { return m_pixels.width(); }
    int ScaleHeight() const { return m_pixels.height(); }
    int Left() const { return x(); }
    int Top() const { return y(); }

protected:
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fitToPicture();
    // The pixel probe for the point `at` of the canvas, in a tooltip at `global`.
    void showProbe(QPoint at, QPoint global);

    core::PixelStore m_pixels;
};

} // namespace main_window
