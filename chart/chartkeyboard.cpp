#include "chart/chartkeyboard.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

ChartKey highlight(int row, int count)
{
    return {ChartKey::Kind::Highlight, std::clamp(row, 0, count - 1)};
}

// A step of `by` rows from current; from no highlight a forward step lands on the first row,
// a backward one on the last.
ChartKey step(int current, int by, int count)
{
    if (current < 0 || current >= count)
        return highlight(by > 0 ? 0 : count - 1, count);
    return highlight(current + by, count);
}

} // namespace

ChartKey chartKey(const QKeyEvent &event, int current, int count, bool vertical, int page)
{
    // The keypad's arrows and Enter count as the others; any other modifier is someone
    // else's shortcut.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool valid = current >= 0 && current < count;
    if (modifiers == Qt::ShiftModifier && event.key() == Qt::Key_F10)
        return valid ? ChartKey{ChartKey::Kind::ContextMenu, current} : ChartKey{};
    if (modifiers != Qt::NoModifier)
        return {};
    switch (event.key()) {
    case Qt::Key_Backspace:
        return {ChartKey::Kind::Parent};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return valid ? ChartKey{ChartKey::Kind::Activate, current} : ChartKey{};
    case Qt::Key_Menu:
        return valid ? ChartKey{ChartKey::Kind::ContextMenu, current} : ChartKey{};
    default:
        break;
    }
    if (count <= 0)
        return {};
    switch (event.key()) {
    case Qt::Key_Right:
        return step(current, 1, count);
    case Qt::Key_Left:
        return step(current, -1, count);
    case Qt::Key_Down:
        return vertical ? step(current, 1, count) : ChartKey{};
    case Qt::Key_Up:
        return vertical ? step(current, -1, count) : ChartKey{};
    case Qt::Key_PageDown:
        return page > 0 ? step(current, page, count) : ChartKey{};
    case Qt::Key_PageUp:
        return page > 0 ? step(current, -page, count) : ChartKey{};
    case Qt::Key_Home:
        return highlight(0, count);
    case Qt::Key_End:
        return highlight(count - 1, count);
    default:
        return {};
    }
}
