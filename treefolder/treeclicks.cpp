#include "treefolder/foldertreeview.h"
#include "treefolder/nodekeys.h"
#include "treefolder/silentvolumes.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QItemSelection>
#include <QScopedValueRollback>
#include <QTreeWidget>

void TreeFolderPrivate::raiseRootEvents(const QString &key,
                                        void (TreeFolder::*event)(TreeFolder::RootKind))
{
    for (const int kind : rootKindsOf(key))
        emit(q.*event)(TreeFolder::RootKind(kind));
}

void TreeFolderPrivate::opened(const QString &key)
{
    if (isRootKey(key)) {
        raiseRootEvents(key, &TreeFolder::RootExpand);
        return;
    }
    emit q.FolderExpand(key);
    emit q.Change();
}

void TreeFolderPrivate::closed(const QString &key)
{
    if (isRootKey(key))
        raiseRootEvents(key, &TreeFolder::RootCollapse);
    else
        emit q.FolderCollapse(key);
}

void TreeFolderPrivate::onNodeClicked(QTreeWidgetItem *item)
{
    const TreeNode node(&m_nodes, item);
    const QString key = node.key();
    if (isRootKey(key)) {
        raiseRootEvents(key, &TreeFolder::RootClick);
        return;
    }
    // No host can chart or list a folder whose volume does not answer (a share whose server
    // is gone); asked before the events, so the answer is the one a host's handler gets.
    const bool answers = m_FSO.answers(key);
    const QString id = node.id();
    if (isDriveKey(key))
        emit q.DriveClick(key);
    emit q.FolderClick(key);
    emit q.Change();
    if (!answers) {
        keepSelectionBefore(id);
        return;
    }
    // Only now: the host's handlers above still see the previous path.
    m_Path = key;
}

// The click is raised like any other, but the selection and Path stay with the folder chosen
// before, so that the tree shows what the host still shows; the keyboard's current node stays
// on the silent one, so that the arrows walk on past it.
void TreeFolderPrivate::keepSelectionBefore(const QString &clickedId)
{
    const TreeNode clicked = m_nodes.findId(clickedId);
    // A host's handler that removed the node or selected another one itself has the last word.
    if (clicked.isNull() || !clicked.item()->isSelected())
        return;
    m_silent->notice(clickedId);
    const QPersistentModelIndex before = TreeView1->selectedBeforeClick();
    if (before.isValid())
        TreeView1->selectionModel()->select(before, QItemSelectionModel::ClearAndSelect);
    else
        TreeView1->selectionModel()->clearSelection();
}

void TreeFolder::ClickNode(const TreeNode &node)
{
    if (node.isNull())
        return;
    const QString id = node.id();
    d->TreeView1->rememberSelection();
    d->TreeView1->setCurrentItem(node.item());
    d->TreeView1->scrollToItem(node.item());
    emit Click();
    // The host's handler of Click may have changed the tree.
    if (const TreeNode clicked = d->m_nodes.findId(id); !clicked.isNull())
        d->onNodeClicked(clicked.item());
}

void TreeFolderPrivate::onCheckStateWritten(QTreeWidgetItem *item)
{
    if (!m_nodes.checkBoxes() || !item->data(0, Qt::CheckStateRole).isValid())
        return;
    // The node's own copy is written before the box whenever code sets a state, so only a
    // toggle by the user finds the two different.
    const bool checked = item->checkState(0) == Qt::Checked;
    if (item->data(0, NodeRole::Checked).toBool() == checked)
        return;
    item->setData(0, NodeRole::Checked, checked);
    const QString key = TreeNode(&m_nodes, item).key();
    if (isRootKey(key)) {
        for (const int kind : rootKindsOf(key))
            emit q.RootCheck(TreeFolder::RootKind(kind), checked);
        return;
    }
    if (isDriveKey(key))
        emit q.DriveCheck(key, checked);
    emit q.FolderCheck(key, checked);
}

QString TreeFolder::selectedFolder() const
{
    const TreeNode node = selectedNode();
    return node.isNull() ? QString() : node.key();
}

TreeNode TreeFolder::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = d->TreeView1->selectedItems();
    return TreeNode(&d->m_nodes, selected.isEmpty() ? nullptr : selected.first());
}

void TreeFolderPrivate::onSelectionChanged(const QItemSelection &selected,
                                           const QItemSelection &deselected)
{
    if (!m_SingleSel || m_singleExpanding || selected.isEmpty())
        return;
    const QScopedValueRollback guard(m_singleExpanding, true);
    // Identities, not items: closing and opening remove and add nodes.
    const auto keyOf = [](const QItemSelection &selection) {
        const QModelIndexList indexes = selection.indexes();
        return indexes.isEmpty() ? QString() : indexes.first().data(NodeRole::Id).toString();
    };
    const QString newKey = keyOf(selected);
    const QString oldKey = keyOf(deselected);
    if (!oldKey.isEmpty() && oldKey != newKey) {
        TreeNode old = m_nodes.findId(oldKey);
        bool containsNew = false;
        for (TreeNode up = m_nodes.findId(newKey).parent(); !up.isNull(); up = up.parent())
            containsNew = containsNew || up == old;
        if (!old.isNull() && !containsNew)
            old.setExpanded(false);
    }
    if (TreeNode node = m_nodes.findId(newKey); !node.isNull())
        node.setExpanded(true);
}
