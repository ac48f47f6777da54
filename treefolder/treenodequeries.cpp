#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QTreeWidget>

bool TreeFolderPrivate::IsValidNodeIndex(int index) const
{
    return m_nodes.count() > 0 && index >= 1 && index <= m_nodes.count();
}

TreeNodes &TreeFolder::FolderNodes()
{
    return d->m_nodes;
}

const TreeNodes &TreeFolder::FolderNodes() const
{
    return d->m_nodes;
}

const ImageList &TreeFolder::imageList() const
{
    return d->m_pictures.list();
}

bool TreeFolder::folderChecked(int index) const
{
    return d->IsValidNodeIndex(index) && d->m_nodes.at(index).checked();
}

void TreeFolder::setFolderChecked(int index, bool checked)
{
    if (d->IsValidNodeIndex(index))
        d->m_nodes.at(index).setChecked(checked);
}

int TreeFolder::selectedCount() const
{
    int count = 0;
    d->m_nodes.forEachInIndexOrder([this, &count](const TreeNode &node) {
        if (d->m_nodes.checkBoxes() ? node.checked() : node.selected())
            ++count;
    });
    return count;
}

int TreeFolder::folderCount() const
{
    return d->TreeView1->selectedItems().isEmpty() ? 0 : d->m_nodes.count();
}

int TreeFolder::subFolderCount() const
{
    const QList<QTreeWidgetItem *> selected = d->TreeView1->selectedItems();
    if (selected.isEmpty())
        throw RuntimeError(RuntimeErrorNumber::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    return selected.first()->childCount();
}
