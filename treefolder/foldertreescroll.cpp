#include "treefolder/foldertreeview.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

FolderTreeView::~FolderTreeView()
{
    // The model and the scroll bars are deleted after this part of the view is gone; what
    // they signal then must not reach it.
    model()->disconnect(this);
    verticalScrollBar()->disconnect(this);
}

void FolderTreeView::scheduleColumnFit()
{
    if (!m_fitTimer.isActive())
        m_fitTimer.start();
}

void FolderTreeView::fitColumn()
{
    m_fitTimer.stop();
    if (columnCount() < 1)
        return;
    const int width = std::max(viewport()->width(), sizeHintForColumn(0));
    if (header()->sectionSize(0) != width) {
        header()->resizeSection(0, width);
        updateGeometries(); // the scroll bar's range now, not on Qt's next turn
    }
}

void FolderTreeView::changeEvent(QEvent *event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        scheduleColumnFit();
}

void FolderTreeView::wheelEvent(QWheelEvent *event)
{
    // Shift with the wheel scrolls sideways, as in file managers and browsers.
    const QPoint delta = event->angleDelta();
    if (!(event->modifiers() & Qt::ShiftModifier) || std::abs(delta.y()) <= std::abs(delta.x())) {
        QTreeWidget::wheelEvent(event);
        return;
    }
    QWheelEvent sideways(event->position(), event->globalPosition(), event->pixelDelta(), delta,
                         event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                         event->inverted(), event->source());
    QApplication::sendEvent(horizontalScrollBar(), &sideways);
    event->accept();
}

QModelIndex FolderTreeView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Qt's own Left and Right scroll sideways until the scroll bar reaches its end before they
    // open, close or move; the native tree never scrolls instead of walking.
    const QPersistentModelIndex current = currentIndex();
    if ((action != MoveLeft && action != MoveRight) || !current.isValid())
        return QTreeWidget::moveCursor(action, modifiers);
    const bool inwards = (action == MoveRight) != isRightToLeft();
    if (inwards) {
        if (!isExpanded(current)) {
            if (itemsExpandable() && model()->hasChildren(current))
                expand(current); // the node may go if its opening fails
            return current;
        }
        const QModelIndex first = model()->index(0, 0, current);
        return first.isValid() ? first : QModelIndex(current);
    }
    if (isExpanded(current) && itemsExpandable()) {
        collapse(current);
        return current;
    }
    const QModelIndex parent = current.parent();
    return parent.isValid() && parent != rootIndex() ? parent : QModelIndex(current);
}

void FolderTreeView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // Qt brings the row into view and puts a column wider than the viewport back at its start;
    // sideways, only as far as the node's own sign, picture and name need.
    QScrollBar *bar = horizontalScrollBar();
    const int kept = bar->value();
    QTreeWidget::scrollTo(index, hint);
    if (!index.isValid())
        return;
    fitColumn(); // the rows now in view may be wider than the ones before
    bar->setValue(kept);
    const QRect cell = visualRect(index);
    if (!cell.isValid())
        return;
    const bool rtl = isRightToLeft();
    const int name = std::min(sizeHintForIndex(index).width(), cell.width());
    const int left = rtl ? cell.right() + 1 - name : cell.left() - indentation();
    const int right = rtl ? cell.right() + 1 + indentation() : cell.left() + name;
    const int view = viewport()->width();
    int shift = 0; // how far the rows move towards the left
    if (right - left > view)
        shift = rtl ? right - view : left; // the start of the name is what shows
    else if (left < 0)
        shift = left;
    else if (right > view)
        shift = right - view;
    bar->setValue(bar->value() + (rtl ? -shift : shift));
}
