// The core's pixels as Qt paints them: a QImage that borrows the store's rows instead of
// copying them, valid while the store lives and keeps its size.
#pragma once

#include "core/pixel_store.h"

#include <QImage>

namespace main_window {

inline QImage imageView(const core::PixelStore &pixels)
{
    if (pixels.isNull())
        return {};
    // Qt reads an opaque picture fastest as RGB32; the store's words have its layout.
    return QImage(reinterpret_cast<const uchar *>(pixels.row(0)), pixels.width(), pixels.height(),
                  qsizetype(pixels.strideBytes()),
                  pixels.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace main_window
