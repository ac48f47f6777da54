#include "app/form1.h"
#include "platform/directorylist.h"
#include "treefolder/treefolder.h"

namespace {

// The folder above folder; empty for the root, which has none, and for a path that is not a
// folder's.
QString parentFolder(const QString &folder)
{
    const int slash = folder.lastIndexOf(u'/');
    if (slash < 0 || folder == QStringLiteral("/"))
        return {};
    return slash == 0 ? QStringLiteral("/") : folder.left(slash);
}

} // namespace

// The node above the charted one is taken when it shows the parent folder, so that a folder
// the tree shows twice stays in the branch the user came down; otherwise the tree opens the
// way to the parent.
void Form1::MSChart1_ParentRequested()
{
    const QString folder = m_chart.folder();
    const QString parent = parentFolder(folder);
    if (parent.isEmpty())
        return;
    const auto showsParent = [&parent](const TreeNode &node) {
        return !node.isNull() && normalizedFolderPath(node.key()) == parent;
    };
    TreeNode node = m_TreeFolder1->selectedNode();
    if (!node.isNull() && normalizedFolderPath(node.key()) == folder &&
        showsParent(node.parent())) {
        m_TreeFolder1->ClickNode(node.parent());
        return;
    }
    m_TreeFolder1->SelectPath(parent);
    node = m_TreeFolder1->selectedNode();
    if (showsParent(node))
        m_TreeFolder1->ClickNode(node);
}
