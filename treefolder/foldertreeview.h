#pragma once

#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeWidget>

// The control's inner tree widget. It draws the native tree's own look (dotted lines, plus and
// minus boxes, pictures or not, hot tracking, full-row and hidden selection) whatever the Qt
// style, and tells a user's click and a check-box toggle apart from what code does to it.
//
// A user's click on a node (nodeClicked) is either
// - the left button pressed on the node's row to the right of its branch area and outside
//   its check box, and released over the same node (not the release that ends a double
//   click), whether or not the node was already selected; or
// - a key (arrows, Home, End, Page Up/Down, type-to-find) that moves the current node.
// Selecting or expanding nodes from code is never a click. A right or middle press and a
// press on a check box do not move the selection, as on the native tree.
//
// The one column is as wide as the widest name shown (with its indentation), and never
// narrower than the viewport, so a deep folder's name scrolls sideways (scroll bar, Shift with
// the wheel) while a row's selection and hot tracking still cover the whole row. The arrow
// keys keep the native tree's walk whatever the scroll bar says: Right opens a closed node
// and goes to the first child of an open one, Left closes an open node and goes to the parent
// of a closed one (mirrored right to left); the node moved to is scrolled into view.
class FolderTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTreeView(QWidget *parent = nullptr);
    ~FolderTreeView() override;

    // The drawing style's three parts.
    bool linesShown() const { return m_lines; }
    void setLinesShown(bool shown);
    bool plusMinusShown() const { return m_plusMinus; }
    void setPlusMinusShown(bool shown);
    bool picturesShown() const { return m_pictures; }
    void setPicturesShown(bool shown);

    // The highlight of a selected node also covers its branch area.
    bool fullRowSelect() const { return m_fullRowSelect; }
    void setFullRowSelect(bool on);
    // The selection is drawn only while the tree has the focus.
    bool hideSelection() const { return m_hideSelection; }
    void setHideSelection(bool on);
    // The node under the pointer is drawn underlined in the link colour.
    bool hotTracking() const { return m_hotTracking; }
    void setHotTracking(bool on);

    // The node selected when the press or key that clicks a node began (invalid when none
    // was): a click the host cannot follow puts the selection back there.
    void rememberSelection();
    QPersistentModelIndex selectedBeforeClick() const { return m_selectedBefore; }

signals:
    void nodeClicked(QTreeWidgetItem *item);
    // The check state of `item` was written; whoever keeps its own copy compares.
    void checkStateWritten(QTreeWidgetItem *item);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override;

private:
    bool onCheckIndicator(const QModelIndex &index, QPoint pos) const;
    bool inBranchArea(const QModelIndex &index, QPoint pos) const;
    bool selectionVisible() const;
    void setHot(const QModelIndex &index);
    // The column's width follows the names shown; many changes in one turn measure once.
    void scheduleColumnFit();
    void fitColumn();

    bool m_lines = true;
    bool m_plusMinus = true;
    bool m_pictures = true;
    bool m_fullRowSelect = false;
    bool m_hideSelection = true;
    bool m_hotTracking = false;
    QPersistentModelIndex m_pressed;
    QPersistentModelIndex m_selectedBefore;
    QPersistentModelIndex m_hot;
    QTimer m_fitTimer;
};
