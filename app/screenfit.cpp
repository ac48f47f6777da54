#include "app/screenfit.h"

#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// The window manager's title bar and borders are not known before the window is shown.
constexpr int FrameWidthAllowance = 16;
constexpr int FrameHeightAllowance = 48;

} // namespace

void fitToScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize room = free.size() - QSize(FrameWidthAllowance, FrameHeightAllowance);
    const QSize size = window.size().boundedTo(room).expandedTo(window.minimumSize());
    if (size == window.size())
        return;
    window.resize(size);
    const QSize framed = size + QSize(FrameWidthAllowance, FrameHeightAllowance);
    window.move(free.x() + std::max(0, (free.width() - framed.width()) / 2),
                free.y() + std::max(0, (free.height() - framed.height()) / 2));
}
