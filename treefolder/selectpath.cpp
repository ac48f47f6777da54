#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/pathtext.h"
#include "treefolder/treefolder.h"

#include <QTreeWidget>

namespace {

// Whether a node's folder is the target or contains it, comparing whole path components:
// /data/Windows does not contain /data/Windows2. Roots and placeholders never match.
bool isOnPath(const QString &key, const QString &targetWithSeparator)
{
    if (!key.startsWith(u'/'))
        return false;
    return targetWithSeparator.startsWith(AddBackslash(key));
}

} // namespace

void TreeFolder::SelectPath(const QString &path)
{
    const QString target = AddBackslash(path);
    // The walk starts at the first drive, right after the desktop root and My Computer.
    TreeNode node = m_nodes.at(3);
    TreeNode stop = node;
    while (!node.isNull()) {
        TreeNode best;
        for (TreeNode sibling = node; !sibling.isNull(); sibling = sibling.next()) {
            stop = sibling;
            if (isOnPath(sibling.key(), target) &&
                (best.isNull() || sibling.key().size() > best.key().size()))
                best = sibling;
        }
        if (best.isNull())
            break;
        const QString key = best.key();
        try {
            best.setExpanded(true); // loads the children through the expansion handler
        } catch (const RuntimeError &) {
        }
        // The opening may have failed and pruned the node's branch.
        best = m_nodes.find(key);
        if (best.isNull())
            break;
        TreeView1->setCurrentItem(best.item());
        stop = best;
        node = best.child();
    }
    if (!stop.isNull() && !m_nodes.find(stop.key()).isNull())
        TreeView1->scrollToItem(stop.item());
}
