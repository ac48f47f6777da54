#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

// Every way a label edit can start in a QTreeWidget (an edit trigger, QTreeWidget::editItem,
// QAbstractItemView::edit) ends in the delegate's createEditor, and every way one ends goes
// through setModelData (committed) or only destroyEditor (abandoned with Escape). This
// delegate turns those points into the tree's rename events:
// - before the editor opens, `beforeRename(Cancel)`; a non-zero Cancel keeps it closed;
// - when the user commits, `afterRename(Cancel, NewString)` with the edited text; a non-zero
//   Cancel keeps the old label, otherwise the label becomes NewString (as the handler left it);
// - when the user abandons the edit, `afterRename(Cancel, NewString)` with a null NewString.
class TreeEventRenameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using BeforeRename = std::function<void(short &Cancel)>;
    using AfterRename = std::function<void(short &Cancel, QString &NewString)>;

    explicit TreeEventRenameDelegate(QObject *parent = nullptr) : QStyledItemDelegate(parent) {}

    void setHandlers(BeforeRename before, AfterRename after);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

private:
    BeforeRename m_beforeRename;
    AfterRename m_afterRename;
    // The open editor whose end has not been reported yet.
    mutable QPointer<QWidget> m_unreported;
};
