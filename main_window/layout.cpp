#include "layout.h"

#include <algorithm>

namespace main_window {

AfterLoadLayout afterLoadLayout(qint64 canvasLeft, qint64 canvasTop, qint64 width, qint64 height,
                                qint64 shownWidth, qint64 shownHeight)
{
    AfterLoadLayout layout;
    const qint64 besideWidth = shownWidth < 0 ? width : shownWidth;
    const qint64 belowHeight = shownHeight < 0 ? height : shownHeight;
    layout.progressTop = belowHeight + canvasTop + 5;
    const qint64 t = belowHeight + canvasTop + 5;
    layout.statusTop = t <= 80 ? 80 : t;
    layout.sizeLeft = besideWidth + canvasLeft + 10;
    layout.widthCaption = QStringLiteral("X=%1").arg(width);
    layout.heightCaption = QStringLiteral("Y=%1").arg(height);
    return layout;
}

QRect settingsLineRect(qint64 sizeLeft, int clientWidth, qint64 statusTop,
                       const std::function<int(int width)> &heightFor)
{
    // Under Label3; the status and the bar beside it end where the bar does.
    constexpr int kTop = 76, kMargin = 8, kNarrowest = 160, kStatusRight = 333, kStatusHeight = 24;
    if (const qint64 beside = clientWidth - kMargin - sizeLeft; beside >= kNarrowest) {
        const int height = heightFor(int(beside));
        if (sizeLeft >= kStatusRight || kTop + height <= statusTop)
            return {int(sizeLeft), kTop, int(beside), height};
    }
    const int across = std::max(kNarrowest, clientWidth - 2 * kMargin);
    return {kMargin, int(statusTop + kStatusHeight), across, heightFor(across)};
}

QSize canvasFrameSize(QSize canvas, QPoint topLeft, QSize client, int bar)
{
    // Room for "X=" and "Y=" with five digits on the right, the bar and the status below.
    constexpr int kBeside = 96, kBelow = 48;
    const int roomWidth = std::max(64, client.width() - topLeft.x() - kBeside);
    const int roomHeight = std::max(64, client.height() - topLeft.y() - kBelow);
    const bool across = canvas.width() > roomWidth, down = canvas.height() > roomHeight;
    // A bar one way takes room the other way, and may bring the other bar.
    const bool acrossNeeded = across || (down && canvas.width() + bar > roomWidth);
    const bool downNeeded = down || (acrossNeeded && canvas.height() + bar > roomHeight);
    return {std::min(canvas.width() + (downNeeded ? bar : 0), roomWidth),
            std::min(canvas.height() + (acrossNeeded ? bar : 0), roomHeight)};
}

QSize innerSizeForOuter(QSize screen, QMargins frame)
{
    return {screen.width() - frame.left() - frame.right(),
            screen.height() - frame.top() - frame.bottom()};
}

} // namespace main_window
