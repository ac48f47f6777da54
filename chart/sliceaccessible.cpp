#include "chart/sliceaccessible.h"

#include "chart/chartaccessible.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "chart/slicetooltip.h"

#include <QWidget>

bool SliceAccessible::isValid() const
{
    return m_owner->isValid() && m_owner->chart() && m_index < m_owner->slices();
}

QWindow *SliceAccessible::window() const
{
    return m_owner->window();
}

QAccessibleInterface *SliceAccessible::parent() const
{
    return m_owner;
}

QString SliceAccessible::text(QAccessible::Text type) const
{
    if (!isValid())
        return {};
    const ChartModel &model = m_owner->chart()->model();
    const ChartModel::Subfolder &slice = model.at(m_index);
    const bool measured = slice.state == ChartModel::State::Done;
    switch (type) {
    case QAccessible::Name:
        return SideTextLine(slice.name, !measured            ? GettingFolderSize()
                                        : slice.notAnswering ? NotAnswering()
                                                             : SliceSizeText(slice.bytes));
    case QAccessible::Description:
        // The tooltip's lines after the name: the exact size and the share.
        return SliceToolTip(model, m_index).section(u'\n', 1).replace(u'\n', QStringLiteral(", "));
    default:
        return {};
    }
}

QRect SliceAccessible::rect() const
{
    return isValid() ? m_owner->sliceRect(m_index) : QRect();
}

QAccessible::State SliceAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const PieChart *chart = m_owner->chart();
    state.focusable = true;
    state.selectable = true;
    state.selected = chart->highlightedColumn() == m_index + 1;
    state.focused = m_owner->hasFocus() && chart->currentColumn() == m_index + 1;
    state.busy = chart->model().at(m_index).state != ChartModel::State::Done;
    state.offscreen = m_owner->sliceRect(m_index).isEmpty();
    return state;
}

void *SliceAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
}

QStringList SliceAccessible::actionNames() const
{
    return {pressAction(), setFocusAction()};
}

void SliceAccessible::doAction(const QString &actionName)
{
    if (!isValid())
        return;
    if (actionName == pressAction())
        emit m_owner->chart()->columnActivated(m_index + 1);
    else if (actionName == setFocusAction())
        m_owner->focusSlice(m_index);
}

QStringList SliceAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Return")};
    return {};
}
