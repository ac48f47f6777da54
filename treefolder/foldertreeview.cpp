#include "treefolder/foldertreeview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <utility>

FolderTreeView::FolderTreeView(QWidget *parent) : QTreeWidget(parent)
{
    // MouseMove reaches the host with no button held too, as on the native tree.
    viewport()->setMouseTracking(true);

    // The column is sized by fitColumn, from the rows in view only: however many children a
    // folder has, measuring costs one screenful.
    header()->setStretchLastSection(false);
    header()->setResizeContentsPrecision(0);
    setHorizontalScrollMode(ScrollPerPixel);
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(0);
    connect(&m_fitTimer, &QTimer::timeout, this, &FolderTreeView::fitColumn);
    connect(this, &QTreeView::expanded, this, &FolderTreeView::scheduleColumnFit);
    connect(this, &QTreeView::collapsed, this, &FolderTreeView::scheduleColumnFit);
    connect(this, &QAbstractItemView::iconSizeChanged, this, &FolderTreeView::scheduleColumnFit);
    connect(model(), &QAbstractItemModel::rowsInserted, this, &FolderTreeView::scheduleColumnFit);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &FolderTreeView::scheduleColumnFit);
    connect(model(), &QAbstractItemModel::modelReset, this, &FolderTreeView::scheduleColumnFit);
    connect(model(), &QAbstractItemModel::layoutChanged, this, &FolderTreeView::scheduleColumnFit);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &FolderTreeView::scheduleColumnFit);
}

bool FolderTreeView::inBranchArea(const QModelIndex &index, QPoint pos) const
{
    const QRect row = visualRect(index);
    return isRightToLeft() ? pos.x() > row.right() : pos.x() < row.left();
}

bool FolderTreeView::onCheckIndicator(const QModelIndex &index, QPoint pos) const
{
    if (!index.isValid() || !index.data(Qt::CheckStateRole).isValid())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this)
        .contains(pos);
}

QItemSelectionModel::SelectionFlags FolderTreeView::selectionCommand(const QModelIndex &index,
                                                                     const QEvent *event) const
{
    if (event && (event->type() == QEvent::MouseButtonPress ||
                  event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton ||
            onCheckIndicator(index, mouse->position().toPoint()))
            return QItemSelectionModel::NoUpdate;
    }
    return QTreeWidget::selectionCommand(index, event);
}

void FolderTreeView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    // A key selects the node it moved to by the centre of the node's rectangle. A node indented
    // past the column's right edge (a deep tree in a narrow window) has its centre outside the
    // column, where Qt finds no node and clears the selection and the current node, so the next
    // arrow key would start again from the top. Only the rows matter in this tree: the
    // rectangle is brought inside the column.
    if (rect.isNull()) {
        QTreeWidget::setSelection(rect, command);
        return;
    }
    const int left = columnViewportPosition(0);
    const int right = left + std::max(columnWidth(0), 1) - 1;
    QRect inside = rect.normalized();
    inside.setLeft(std::clamp(inside.left(), left, right));
    inside.setRight(std::clamp(inside.right(), left, right));
    QTreeWidget::setSelection(inside, command);
}

void FolderTreeView::rememberSelection()
{
    const QModelIndexList selected = selectedIndexes();
    m_selectedBefore = selected.isEmpty() ? QModelIndex() : selected.first();
}

void FolderTreeView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = QPersistentModelIndex();
    rememberSelection();
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && !m_plusMinus && inBranchArea(index, pos)) {
        // No plus or minus is drawn there, so there is nothing to open or close.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid() && !inBranchArea(index, pos) &&
        !onCheckIndicator(index, pos))
        m_pressed = index;
}

void FolderTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPersistentModelIndex pressed = std::exchange(m_pressed, QPersistentModelIndex());
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && !m_plusMinus && inBranchArea(index, pos)) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !pressed.isValid() || indexAt(pos) != pressed)
        return;
    if (QTreeWidgetItem *item = itemFromIndex(pressed))
        emit nodeClicked(item);
}

void FolderTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The release that ends a double click is no click; a second press that Qt turns into a
    // plain press (another node) sets m_pressed again.
    m_pressed = QPersistentModelIndex();
    QTreeWidget::mouseDoubleClickEvent(event);
}

void FolderTreeView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_hotTracking)
        setHot(indexAt(event->position().toPoint()));
    QTreeWidget::mouseMoveEvent(event);
}

bool FolderTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        setHot(QModelIndex());
    else if (event->type() == QEvent::Resize)
        scheduleColumnFit();
    return QTreeWidget::viewportEvent(event);
}

void FolderTreeView::keyPressEvent(QKeyEvent *event)
{
    const QPersistentModelIndex before = currentIndex();
    rememberSelection();
    QTreeWidget::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (!after.isValid() || after == before)
        return;
    if (QTreeWidgetItem *item = itemFromIndex(after))
        emit nodeClicked(item);
}

void FolderTreeView::focusInEvent(QFocusEvent *event)
{
    QTreeWidget::focusInEvent(event);
    if (m_hideSelection)
        viewport()->update();
}

void FolderTreeView::focusOutEvent(QFocusEvent *event)
{
    QTreeWidget::focusOutEvent(event);
    if (m_hideSelection)
        viewport()->update();
}

void FolderTreeView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                 const QList<int> &roles)
{
    QTreeWidget::dataChanged(topLeft, bottomRight, roles);
    scheduleColumnFit(); // a new name or picture may be wider
    if (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole))
        return;
    // Collected first: a handler may change the tree before the next one is looked at.
    QList<QPersistentModelIndex> written;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        written.append(topLeft.sibling(row, 0));
    for (const QPersistentModelIndex &index : std::as_const(written)) {
        if (QTreeWidgetItem *item = index.isValid() ? itemFromIndex(index) : nullptr)
            emit checkStateWritten(item);
    }
}

void FolderTreeView::setHot(const QModelIndex &index)
{
    if (index == m_hot)
        return;
    const QModelIndex old = m_hot;
    m_hot = index;
    if (old.isValid())
        viewport()->update(visualRect(old));
    if (index.isValid())
        viewport()->update(visualRect(index));
}
