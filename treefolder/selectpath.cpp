#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/pathtext.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QScopedValueRollback>
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

bool contains(const TreeNode &ancestor, TreeNode node)
{
    for (; !node.isNull(); node = node.parent()) {
        if (node == ancestor)
            return true;
    }
    return false;
}

} // namespace

void TreeFolder::SelectPath(const QString &path)
{
    const QString target = AddBackslash(path);
    // Every opening on the way loads its children at once: the walk goes on into them.
    const QScopedValueRollback syncLoads(d->m_openings->atOnce, d->m_openings->atOnce + 1);
    // Where one folder is shown twice, the walk keeps to the branch of the current node, so
    // that assigning back the path just read selects the very node it was read from.
    const QList<QTreeWidgetItem *> selected = d->TreeView1->selectedItems();
    const TreeNode current(&d->m_nodes, selected.isEmpty() ? nullptr : selected.first());
    // The walk starts at the first drive, right after the desktop root and My Computer.
    TreeNode node = d->m_nodes.at(3);
    TreeNode stop = node;
    while (!node.isNull()) {
        TreeNode best;
        bool bestHoldsCurrent = false;
        for (TreeNode sibling = node; !sibling.isNull(); sibling = sibling.next()) {
            stop = sibling;
            if (!isOnPath(sibling.key(), target))
                continue;
            const bool holdsCurrent = contains(sibling, current);
            if (best.isNull() || (holdsCurrent && !bestHoldsCurrent) ||
                (holdsCurrent == bestHoldsCurrent && sibling.key().size() > best.key().size())) {
                best = sibling;
                bestHoldsCurrent = holdsCurrent;
            }
        }
        if (best.isNull())
            break;
        const QString id = best.id();
        // The target's own children may come in batches, as for a user's opening (a start
        // folder of many thousand subfolders must not hold the window); the walk goes on
        // into every folder before it, so those load at once.
        const bool isTarget = AddBackslash(best.key()) == target;
        try {
            const QScopedValueRollback nowOrLater(d->m_openings->atOnce,
                                                  isTarget ? 0 : d->m_openings->atOnce);
            best.setExpanded(true); // loads the children through the expansion handler
            if (!isTarget)
                d->m_openings->loads().finish(id); // a user's opening may still be loading
        } catch (const RuntimeError &) {
        }
        // The opening may have failed and pruned the node's branch.
        best = d->m_nodes.findId(id);
        if (best.isNull())
            break;
        d->TreeView1->setCurrentItem(best.item());
        stop = best;
        if (isTarget && d->m_openings->loads().scrollWhenLoaded(id))
            break; // no child can lie deeper on the path
        node = best.child();
    }
    if (!stop.isNull() && !d->m_nodes.findId(stop.id()).isNull())
        d->TreeView1->scrollToItem(stop.item());
}
