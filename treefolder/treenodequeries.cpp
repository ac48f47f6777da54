#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/treefolder.h"

#include <QTreeWidget>

bool TreeFolder::IsValidNodeIndex(int index) const
{
    return m_nodes.count() > 0 && index >= 1 && index <= m_nodes.count();
}

bool TreeFolder::folderChecked(int index) const
{
    return IsValidNodeIndex(index) && m_nodes.at(index).checked();
}

void TreeFolder::setFolderChecked(int index, bool checked)
{
    if (IsValidNodeIndex(index))
        m_nodes.at(index).setChecked(checked);
}

int TreeFolder::selectedCount() const
{
    int count = 0;
    m_nodes.forEachInIndexOrder([this, &count](const TreeNode &node) {
        if (m_nodes.checkBoxes() ? node.checked() : node.selected())
            ++count;
    });
    return count;
}

int TreeFolder::folderCount() const
{
    return TreeView1->selectedItems().isEmpty() ? 0 : m_nodes.count();
}

int TreeFolder::subFolderCount() const
{
    const QList<QTreeWidgetItem *> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        throw RuntimeError(RuntimeErrorNumber::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    return selected.first()->childCount();
}
