#include "layout.h"

namespace main_window {

AfterLoadLayout afterLoadLayout(qint64 canvasLeft, qint64 canvasTop, qint64 width, qint64 height)
{
    AfterLoadLayout layout;
    layout.progressTop = height + canvasTop + 5;
    const qint64 t = height + canvasTop + 5;
    layout.statusTop = t <= 80 ? 80 : t;
    layout.sizeLeft = width + canvasLeft + 10;
    layout.widthCaption = QStringLiteral("X=%1").arg(width);
    layout.heightCaption = QStringLiteral("Y=%1").arg(height);
    return layout;
}

QSize innerSizeForOuter(QSize screen, QMargins frame)
{
    return {screen.width() - frame.left() - frame.right(),
            screen.height() - frame.top() - frame.bottom()};
}

} // namespace main_window
