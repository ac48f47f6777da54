// The pie chart's keyboard: the current slice, its details and its menu.

#include "chart/chartkeyboard.h"
#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "chart/slicetooltip.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <cmath>
#include <numbers>

void PieChart::setCurrentColumn(int column)
{
    const int index = column >= 1 && column <= columnCount() ? column - 1 : -1;
    m_current = index;
    setHighlighted(index);
    if (index < 0)
        return;
    m_legend->ensureVisible(index);
    // What hovering shows, placed by the slice rather than by the pointer.
    const QPoint spot = sliceSpot(index);
    QToolTip::showText(spot, SliceToolTip(m_model, index), this);
}

QPoint PieChart::sliceSpot(int index) const
{
    if (m_legend->isVisible() && m_legend->isRowVisible(index)) {
        const QRect row = m_legend->rowRect(index);
        return m_legend->viewport()->mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
    }
    const QRectF square = pieSquare();
    double middle = 0;
    if (index < m_layout.count()) {
        const auto [start, end] = m_layout.span(index);
        middle = (start + end) / 2 * 2 * std::numbers::pi;
    }
    const double radius = square.width() / 4;
    return mapToGlobal(QPointF(square.center().x() + std::sin(middle) * radius,
                               square.center().y() - std::cos(middle) * radius)
                           .toPoint());
}

void PieChart::requestContextMenu(int index)
{
    if (index >= 0 && index < columnCount())
        emit contextMenuRequested(index + 1, sliceSpot(index));
}

void PieChart::keyPressEvent(QKeyEvent *event)
{
    const ChartKey key = chartKey(*event, m_highlighted, columnCount(), false);
    switch (key.kind) {
    case ChartKey::Kind::None:
        QWidget::keyPressEvent(event);
        return;
    case ChartKey::Kind::Highlight:
        setCurrentColumn(key.row + 1);
        break;
    case ChartKey::Kind::Activate:
        emit columnActivated(key.row + 1);
        break;
    case ChartKey::Kind::Parent:
        emit parentRequested();
        break;
    case ChartKey::Kind::ContextMenu:
        requestContextMenu(key.row);
        break;
    }
    event->accept();
}

void PieChart::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() != QContextMenuEvent::Mouse) {
        requestContextMenu(m_highlighted);
        return;
    }
    const int slice = sliceAt(event->pos());
    if (slice >= 0)
        emit contextMenuRequested(slice + 1, event->globalPos());
}

void PieChart::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(m_pieArea);
}

void PieChart::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(m_pieArea);
}
