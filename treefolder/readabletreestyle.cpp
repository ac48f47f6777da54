#include "treefolder/readabletreestyle.h"

#include <QPainter>
#include <QPolygon>
#include <QStyleOption>

namespace {

QPalette::ColorGroup groupOf(const QStyleOption *option)
{
    if (!(option->state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return option->state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
}

void drawCheckBox(const QStyleOption *option, QPainter *painter)
{
    const QPalette::ColorGroup group = groupOf(option);
    QRect box(0, 0, 13, 13);
    box.moveCenter(option->rect.center());
    painter->fillRect(box, option->palette.color(group, QPalette::Base));
    const QColor ink = option->palette.color(group, QPalette::Text);
    painter->setPen(ink);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    if (option->state & QStyle::State_On) {
        painter->setPen(QPen(ink, 2));
        painter->setRenderHint(QPainter::Antialiasing);
        const QPoint c = box.center();
        painter->drawPolyline(QPolygon({QPoint(c.x() - 3, c.y()), QPoint(c.x() - 1, c.y() + 2),
                                        QPoint(c.x() + 3, c.y() - 3)}));
    } else if (option->state & QStyle::State_NoChange) {
        painter->fillRect(box.adjusted(3, 3, -3, -3), ink);
    }
}

void drawSign(const QStyleOption *option, QPainter *painter)
{
    if (!(option->state & QStyle::State_Children))
        return;
    const QPoint c = option->rect.center();
    QPolygon arrow;
    if (option->state & QStyle::State_Open)
        arrow << QPoint(c.x() - 4, c.y() - 2) << QPoint(c.x() + 4, c.y() - 2)
              << QPoint(c.x(), c.y() + 2);
    else if (option->direction == Qt::RightToLeft)
        arrow << QPoint(c.x() + 2, c.y() - 4) << QPoint(c.x() + 2, c.y() + 4)
              << QPoint(c.x() - 2, c.y());
    else
        arrow << QPoint(c.x() - 2, c.y() - 4) << QPoint(c.x() - 2, c.y() + 4)
              << QPoint(c.x() + 2, c.y());
    const QColor ink = option->palette.color(groupOf(option), QPalette::Text);
    painter->setPen(ink);
    painter->setBrush(ink);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->drawPolygon(arrow);
}

} // namespace

void ReadableTreeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                      QPainter *painter, const QWidget *widget) const
{
    painter->save();
    switch (element) {
    case PE_IndicatorItemViewItemCheck:
    case PE_IndicatorCheckBox:
        drawCheckBox(option, painter);
        break;
    case PE_IndicatorBranch:
        drawSign(option, painter);
        break;
    case PE_Frame:
    case PE_FrameLineEdit: {
        painter->setPen(option->palette.color(groupOf(option), QPalette::Dark));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        break;
    }
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        break;
    }
    painter->restore();
}
