#include "chart/goneaccessible.h"

#include "chart/changetext.h"
#include "chart/chartaccessible.h"
#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "chart/slicetooltip.h"

bool GoneRowAccessible::isValid() const
{
    return m_owner->isValid() && m_owner->chart() && m_goneIndex < m_owner->goneRows();
}

QWindow *GoneRowAccessible::window() const
{
    return m_owner->window();
}

QAccessibleInterface *GoneRowAccessible::parent() const
{
    return m_owner;
}

QString GoneRowAccessible::text(QAccessible::Text type) const
{
    if (!isValid())
        return {};
    const ChartComparison &comparison = m_owner->chart()->model().comparison();
    const ChartComparison::Subfolder &gone = m_owner->legend()->goneAt(m_goneIndex);
    switch (type) {
    case QAccessible::Name:
        // The whole name where the row may cut it, as the slices are named, then what the row
        // shows at its right.
        return SideTextLine(gone.name, SliceSizeText(gone.bytes)) + QStringLiteral(", ") +
               GoneText(comparison);
    case QAccessible::Description:
        return GoneToolTip(comparison, gone).section(u'\n', 1).replace(u'\n', QStringLiteral(", "));
    default:
        return {};
    }
}

QRect GoneRowAccessible::rect() const
{
    return isValid() ? m_owner->rowRect(m_owner->slices() + m_goneIndex) : QRect();
}

QAccessible::State GoneRowAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.offscreen = rect().isEmpty();
    return state;
}
