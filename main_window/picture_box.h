// Picture1, the canvas: the core's pixel store inside a sunken two-pixel border, sized to its
// picture. Whatever the conversion writes into the pixels is what it shows and what a bitmap
// save writes. With the pointer resting over it, a tooltip probes the pixel there; while it has
// the focus, holding Space shows the picture as loaded instead of its conversion.
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

    // Keeps a copy of the pixels as they are now, before a conversion overwrites them, for
    // the Space key to show; the first copy stays until the next picture. None is kept of a
    // picture over kMaxKeptPixels, or when the memory for it cannot be had.
    static constexpr qint64 kMaxKeptPixels = qint64(64) << 20;
    void keepLoadedCopy();

    // The inner size in pixels, and the outer position in the parent.
    int ScaleWidth() const { return m_pixels.width(); }
    int ScaleHeight() const { return m_pixels.height(); }
    int Left() const { return x(); }
    int Top() const { return y(); }

protected:
    bool event(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fitToPicture();
    void showLoaded(bool show);
    // What is on show: the pixels, or while Space is held the loaded copy.
    const core::PixelStore &shown() const;
    // The pixel probe for the point `at` of the canvas, in a tooltip at `global`.
    void showProbe(QPoint at, QPoint global);

    core::PixelStore m_pixels;
    core::PixelStore m_loaded; // null when no copy is kept
    bool m_showingLoaded = false;
};

} // namespace main_window
