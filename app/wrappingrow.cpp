#include "app/wrappingrow.h"

#include <QWidget>
#include <algorithm>

WrappingRow::WrappingRow(int horizontalSpacing, int verticalSpacing, QWidget *parent)
    : QLayout(parent), m_horizontalSpacing(horizontalSpacing), m_verticalSpacing(verticalSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

WrappingRow::~WrappingRow()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void WrappingRow::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

QLayoutItem *WrappingRow::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int WrappingRow::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize WrappingRow::minimumSize() const
{
    QSize widest;
    for (const QLayoutItem *item : m_items)
        widest = widest.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return widest + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize WrappingRow::sizeHint() const
{
    // One line: the width at which nothing wraps.
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? m_horizontalSpacing : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

void WrappingRow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrappingRow::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const bool rightToLeft = parentWidget() && parentWidget()->isRightToLeft();
    int x = 0;
    int y = area.y();
    int lineHeight = 0;
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (x > 0 && x + m_horizontalSpacing + size.width() > area.width()) {
            y += lineHeight + m_verticalSpacing;
            x = 0;
            lineHeight = 0;
        }
        if (x > 0)
            x += m_horizontalSpacing;
        if (place) {
            const int left = rightToLeft ? area.right() + 1 - x - size.width() : area.x() + x;
            item->setGeometry(QRect(QPoint(left, y), size));
        }
        x += size.width();
        lineHeight = std::max(lineHeight, size.height());
    }
    const QMargins margins = contentsMargins();
    return y + lineHeight - area.y() + margins.top() + margins.bottom();
}
