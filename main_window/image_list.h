// ImageList1: the toolbar's pictures under their keys, with RGB 192, 192, 192 as the colour
// that shows through.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

namespace main_window {

class ImageList
{
public:
    void add(const QString &key, const QString &resource);
    QIcon image(const QString &key) const { return m_images.value(key); }
    bool contains(const QString &key) const { return m_images.contains(key); }

private:
    QHash<QString, QIcon> m_images;
};

} // namespace main_window
