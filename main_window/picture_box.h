// Picture1, the canvas: the core's pixel store inside a sunken two-pixel border, sized to its
// picture. Whatever the conversion writes into the pixels is what it shows and what a bitmap
// save writes. With the pointer resting over it, a tooltip probes the pixel there; holding Space
// in its window shows the picture as loaded instead of its conversion.
#pragma once

#include "core/conversion.h"
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

    // Shows a picture made from the loaded one (fitted, turned, dithered): the canvas takes its
    // size, and the loaded picture stays for the next conversion. Space shows `before`, the
    // loaded picture cut, turned and fitted as the conversion was but neither dithered nor
    // quantised, so that like is compared with like (nothing when it is null).
    void showConverted(core::PixelStore converted, core::PixelStore before);
    // The picture as loaded: what a conversion starts from. Null when only a converted picture
    // of the same size is left (the loaded one was too large to keep), then the pixels are it.
    const core::PixelStore &loadedPixels() const;
    // Shows the loaded picture again in place of a converted one.
    void restoreLoaded();
    // Whether the canvas shows a picture of another size or content than the loaded one.
    bool showsConverted() const { return m_converted; }

    // The order in which the pixel probe shows a word's two bytes.
    void setByteOrder(core::ByteOrder order) { m_byteOrder = order; }

    // The inner size in pixels, and the outer position in the client area: the place of the
    // frame that scrolls it when it is larger than the window.
    int ScaleWidth() const { return m_pixels.width(); }
    int ScaleHeight() const { return m_pixels.height(); }
    int Left() const { return m_frame ? m_frame->x() : x(); }
    int Top() const { return m_frame ? m_frame->y() : y(); }
    void setFrame(QWidget *frame) { m_frame = frame; }

    // Space shows the picture before its conversion while it is held, whichever control has
    // the focus.
    void showLoaded(bool show);

protected:
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fitToPicture();
    // What is on show: the pixels, or while Space is held the loaded copy.
    const core::PixelStore &shown() const;
    // The pixel probe for the point `at` of the canvas, in a tooltip at `global`.
    void showProbe(QPoint at, QPoint global);

    core::PixelStore m_pixels;
    core::PixelStore m_loaded; // null when no copy is kept
    core::PixelStore m_before; // what Space shows of a converted picture, when not m_loaded
    bool m_showingLoaded = false;
    bool m_converted = false;
    core::ByteOrder m_byteOrder = core::ByteOrder::Little;
    QWidget *m_frame = nullptr;
};

} // namespace main_window
