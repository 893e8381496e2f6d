#include "image_list.h"

#include <QBitmap>
#include <QPixmap>

namespace main_window {

void ImageList::add(const QString &key, const QString &resource)
{
    QPixmap pixmap(resource);
    if (!pixmap.isNull())
        pixmap.setMask(pixmap.createMaskFromColor(QColor(192, 192, 192)));
    m_images.insert(key, QIcon(pixmap));
}

} // namespace main_window
