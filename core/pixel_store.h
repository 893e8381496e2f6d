// The canvas's own pixels: one 32-bit word per pixel, 8 bits per channel, so that a pixel
// written reads back unchanged. The conversion kernel works directly on its rows.
#pragma once

#include "core/colour.h"

#include <QImage>

#include <cstdint>

namespace core {

class PixelStore
{
public:
    PixelStore() = default;
    // Takes any picture; depth, palette and alpha are folded into plain RGB. Alpha is dropped
    // rather than blended, so the colour stored in the file is the colour converted.
    explicit PixelStore(const QImage &picture);

    static PixelStore filled(QSize size, Colour colour);

    bool isNull() const { return m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    QSize size() const { return m_image.size(); }

    Colour pixel(int x, int y) const { return fromQRgb(row(y)[x]); }
    void setPixel(int x, int y, Colour colour) { row(y)[x] = toQRgb(colour); }

    // Rows of width() QRgb words (0xffRRGGBB).
    std::uint32_t *row(int y) { return reinterpret_cast<std::uint32_t *>(m_image.scanLine(y)); }
    const std::uint32_t *row(int y) const
    {
        return reinterpret_cast<const std::uint32_t *>(m_image.constScanLine(y));
    }

    // Always QImage::Format_RGB32.
    const QImage &image() const { return m_image; }

private:
    QImage m_image;
};

} // namespace core
