#include "core/pixel_store.h"

namespace core {

namespace {

QImage toRgb32(const QImage &picture)
{
    if (picture.isNull() || picture.format() == QImage::Format_RGB32)
        return picture;
    // Going through straight (not premultiplied) ARGB keeps the stored colour of a
    // transparent pixel instead of darkening it.
    if (picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

PixelStore::PixelStore(const QImage &picture)
    : m_image(toRgb32(picture))
{}

PixelStore PixelStore::filled(QSize size, Colour colour)
{
    PixelStore store;
    store.m_image = QImage(size, QImage::Format_RGB32);
    store.m_image.fill(toQRgb(colour));
    return store;
}

} // namespace core
