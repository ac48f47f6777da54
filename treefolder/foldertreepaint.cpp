#include "treefolder/foldertreeview.h"

#include <QApplication>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr int PictureSize = 16;
constexpr int BoxSize = 9; // the plus and minus box of the native tree, in pixels

// Dotted lines of the native tree: every other pixel, aligned to the viewport, so that the
// lines of neighbouring rows and levels join up.
void dottedVertical(QPainter *painter, int x, int top, int bottom)
{
    QPolygon points;
    for (int y = top; y <= bottom; ++y) {
        if (((x + y) & 1) == 0)
            points << QPoint(x, y);
    }
    painter->drawPoints(points);
}

void dottedHorizontal(QPainter *painter, int y, int left, int right)
{
    QPolygon points;
    for (int x = left; x <= right; ++x) {
        if (((x + y) & 1) == 0)
            points << QPoint(x, y);
    }
    painter->drawPoints(points);
}

bool hasNextSibling(const QModelIndex &index)
{
    return index.row() + 1 < index.model()->rowCount(index.parent());
}

} // namespace

void FolderTreeView::setLinesShown(bool shown)
{
    m_lines = shown;
    viewport()->update();
}

void FolderTreeView::setPlusMinusShown(bool shown)
{
    m_plusMinus = shown;
    viewport()->update();
}

void FolderTreeView::setPicturesShown(bool shown)
{
    m_pictures = shown;
    // A zero size leaves no room for the picture, so the text moves up to the branch area.
    setIconSize(shown ? QSize(PictureSize, PictureSize) : QSize(0, 0));
}

void FolderTreeView::setFullRowSelect(bool on)
{
    m_fullRowSelect = on;
    viewport()->update();
}

void FolderTreeView::setHideSelection(bool on)
{
    m_hideSelection = on;
    viewport()->update();
}

void FolderTreeView::setHotTracking(bool on)
{
    m_hotTracking = on;
    if (!on)
        setHot(QModelIndex());
}

bool FolderTreeView::selectionVisible() const
{
    if (!m_hideSelection)
        return true;
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void FolderTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    if (!selectionVisible()) {
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            row.palette.setBrush(group, QPalette::Highlight,
                                 row.palette.brush(group, QPalette::Base));
            row.palette.setBrush(group, QPalette::HighlightedText,
                                 row.palette.brush(group, QPalette::Text));
        }
    }
    if (m_hotTracking && m_hot.isValid() && index.row() == m_hot.row() &&
        index.parent() == m_hot.parent()) {
        row.font.setUnderline(true);
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            row.palette.setBrush(group, QPalette::Text, row.palette.brush(group, QPalette::Link));
    }
    QTreeWidget::drawRow(painter, row, index);
}

void FolderTreeView::drawBranches(QPainter *painter, const QRect &rect,
                                  const QModelIndex &index) const
{
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    if (m_fullRowSelect && selectionVisible() && selectionModel()->isSelected(index))
        painter->fillRect(rect, palette().brush(group, QPalette::Highlight));
    const int indent = indentation();
    if ((!m_lines && !m_plusMinus) || indent <= 0 || rect.isEmpty())
        return;

    QList<QModelIndex> chain; // top-level ancestor first, the node itself last
    for (QModelIndex i = index; i.isValid(); i = i.parent())
        chain.prepend(i);
    const int depth = int(chain.size()) - 1;
    const int first = rootIsDecorated() ? 0 : 1;
    const auto cellLeft = [&](int level) {
        return isRightToLeft() ? rect.left() + (depth - level) * indent
                               : rect.right() + 1 - (depth - level + 1) * indent;
    };
    const int midY = rect.top() + rect.height() / 2;

    painter->save();
    painter->setPen(palette().color(group, QPalette::Dark));
    if (m_lines) {
        for (int level = first; level < depth; ++level) {
            if (hasNextSibling(chain.at(level)))
                dottedVertical(painter, cellLeft(level) + indent / 2, rect.top(), rect.bottom());
        }
        if (depth >= first) {
            const int left = cellLeft(depth);
            const int midX = left + indent / 2;
            if (index.row() > 0 || index.parent().isValid())
                dottedVertical(painter, midX, rect.top(), midY);
            if (hasNextSibling(index))
                dottedVertical(painter, midX, midY, rect.bottom());
            if (isRightToLeft())
                dottedHorizontal(painter, midY, left, midX);
            else
                dottedHorizontal(painter, midY, midX, left + indent - 1);
        }
    }
    if (m_plusMinus && depth >= first && model()->hasChildren(index)) {
        const QRect cell(cellLeft(depth), rect.top(), indent, rect.height());
        if (m_lines) {
            QRect box(0, 0, BoxSize, BoxSize);
            box.moveCenter(QPoint(cell.left() + indent / 2, midY));
            painter->fillRect(box, palette().brush(group, QPalette::Base));
            painter->drawRect(box.adjusted(0, 0, -1, -1));
            painter->setPen(palette().color(group, QPalette::Text));
            const QPoint c = box.center();
            painter->drawLine(c.x() - 2, c.y(), c.x() + 2, c.y());
            if (!isExpanded(index))
                painter->drawLine(c.x(), c.y() - 2, c.x(), c.y() + 2);
        } else {
            // Without lines the style's own open and closed signs look at home.
            QStyleOption sign;
            sign.initFrom(this);
            sign.rect = cell;
            sign.state = QStyle::State_Children |
                         (isExpanded(index) ? QStyle::State_Open : QStyle::State_None);
            if (isEnabled())
                sign.state |= QStyle::State_Enabled;
            style()->drawPrimitive(QStyle::PE_IndicatorBranch, &sign, painter, this);
        }
    }
    painter->restore();
}
