// The pie chart's keyboard: the current slice, its details and its menu.

#include "chart/chartaccessible.h"
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
    AnnounceCurrentSlice(this, index);
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

QRect PieChart::sliceRect(int index) const
{
    // The slices as they are now, also before the pie is drawn again.
    PieLayout fresh;
    const PieLayout *layout = &m_layout;
    if (m_pieStale) {
        fresh.build(m_model);
        layout = &fresh;
    }
    if (index < 0 || index >= layout->count() || layout->total() <= 0 || !isVisible())
        return {};
    // The centre and the rim at both ends and at every quarter turn between them.
    const auto [start, end] = layout->span(index);
    const QRectF square = pieSquare();
    const double radius = square.width() / 2;
    const auto rim = [&](double turn) {
        const double angle = turn * 2 * std::numbers::pi;
        return square.center() + QPointF(std::sin(angle) * radius, -std::cos(angle) * radius);
    };
    QPointF low = square.center();
    QPointF high = low;
    const auto take = [&low, &high](QPointF point) {
        low = QPointF(std::min(low.x(), point.x()), std::min(low.y(), point.y()));
        high = QPointF(std::max(high.x(), point.x()), std::max(high.y(), point.y()));
    };
    take(rim(start));
    take(rim(end));
    for (double quarter = std::ceil(start * 4) / 4; quarter < end; quarter += 0.25)
        take(rim(quarter));
    const QRectF box(low, high);
    return box.toAlignedRect().adjusted(0, 0, 1, 1);
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
    AnnounceCurrentSlice(this, m_current);
}

void PieChart::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(m_pieArea);
}
