#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "platform/shelllibrary.h"
#include "treefolder/folderprobe.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/percentof.h"
#include "treefolder/repaintlock.h"
#include "treefolder/silentvolumes.h"
#include "treefolder/treefolder.h"

#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

constexpr int IconSize = 16;

} // namespace

void TreeFolder::raiseRootEvents(const QString &key,
                                 void (TreeFolder::*event)(TreeFolder::RootKind))
{
    for (const int kind : rootKindsOf(key))
        emit(this->*event)(RootKind(kind));
}

void TreeFolder::onItemExpanded(QTreeWidgetItem *item)
{
    TreeNode node(&m_nodes, item);
    if (node.tag() != std::optional<int>(0)) {
        // The top roots carry no tag and are never reloaded; a folder without subfolders
        // (opened from code, or selected with SingleSel) has nothing to open.
        closeIfEmpty(node);
        return;
    }
    const QString id = node.id();
    if (const TreeNode first = node.child(); !first.isNull())
        m_nodes.remove(first);
    // A volume that does not answer is not ready: opening it could block for ever.
    const bool answers = m_FSO.answers(node.key());
    if (answers && m_syncLoads == 0 && BackgroundLoads::isLarge(node.key())) {
        m_loads->start(node, isNetworkFolder(node.key()), m_FSO.mountPoints());
        return; // the events follow once the last child is in
    }
    LoadChildren(node, node.checked(), answers);
    finishExpansion(id);
}

void TreeFolder::finishExpansion(const QString &id)
{
    TreeNode node = m_nodes.findId(id);
    if (node.isNull())
        return;
    const QString key = node.key();
    if (isRootKey(key)) {
        raiseRootEvents(key, &TreeFolder::RootExpand);
    } else {
        emit FolderExpand(key);
        emit Change();
    }
    // A host's handler may have emptied the tree meanwhile.
    node = m_nodes.findId(id);
    if (node.isNull())
        return;
    if (m_ListFailed && m_refusedSilent) {
        m_ListFailed = m_refusedSilent = false;
        m_silent->refuse(id); // slow is not dead: no closing of the parent
    } else if (m_ListFailed) {
        node.setTag(0);
        m_ListFailed = false;
        node.parent().setExpanded(false); // may remove node itself: nothing may follow
    } else {
        node.setTag(1);
        closeIfEmpty(node);
    }
}

// A node left open without children would be closed by Left instead of moving to its parent,
// and its closing would give it an expand button: it is no opened folder, so it is closed
// again, which is no user's closing either.
void TreeFolder::closeIfEmpty(TreeNode &node)
{
    if (node.children() > 0 || !node.expanded())
        return;
    const QScopedValueRollback closing(m_closingEmpty, true);
    node.setExpanded(false);
}

void TreeFolder::loadFinished(const QString &id, bool scrollToLastChild)
{
    finishExpansion(id);
    const TreeNode node = m_nodes.findId(id);
    // A user who moved on while the children came in stays where he is.
    if (!scrollToLastChild || node.isNull() || TreeView1->currentItem() != node.item())
        return;
    const TreeNode first = node.child();
    TreeView1->scrollToItem(first.isNull() ? node.item() : first.lastSibling().item());
}

void TreeFolder::onItemCollapsed(QTreeWidgetItem *item)
{
    if (m_silent->closing() || m_closingEmpty)
        return; // a refused or empty opening closes its node again, which is no user's closing
    TreeNode node(&m_nodes, item);
    if (node.image() == 1 || node.image() == 2)
        return; // the desktop root and My Computer keep their children
    const QString key = node.key();
    const QString id = node.id();
    if (isRootKey(key))
        raiseRootEvents(key, &TreeFolder::RootCollapse);
    else
        emit FolderCollapse(key);
    m_loads->cancel(id);
    node = m_nodes.findId(id);
    if (node.isNull())
        return;
    node.setTag(0);
    if (node.children() == 0) // closed before its first child came in
        m_nodes.addShown(id, folderPlaceholderKey(node.key()), {}, 0);
    // The one child left stands in as the placeholder until the next opening lists afresh.
    m_nodes.removeAllChildrenButLast(node);
}

void TreeFolder::listingFailed(const QString &path)
{
    emit DriveNotReady(path);
    emit Progress(0);
    m_ListFailed = true;
}

void TreeFolder::LoadChildren(const TreeNode &parent, bool checked, bool answers)
{
    const QString path = parent.key();
    const QString parentId = parent.id();
    QStringList folders;
    {
        const RepaintLock lock(TreeView1);
        try {
            if (!answers) {
                m_refusedSilent = true;
                throw RuntimeError(RuntimeErrorNumber::PathNotFound,
                                   QStringLiteral("Path not found"));
            }
            Dir1.setPath(path);
            folders.reserve(Dir1.listCount());
            for (int i = 0; i < Dir1.listCount(); ++i)
                folders.append(Dir1.list(i));
        } catch (const RuntimeError &) {
            listingFailed(path);
        }
        const bool underNetwork = isNetworkFolder(path);
        const int count = int(folders.size());
        for (int i = 1; i <= count; ++i) {
            emit Progress(PercentOf(i, count));
            addLoadedChild(parentId, path, ChildListing::Child{folders.at(i - 1), {}, false},
                           checked, underNetwork);
        }
    }
    emit Progress(0);
}

bool TreeFolder::isNetworkFolder(const QString &path) const
{
    const QString network = m_FSO.specialFolder(SpecialFolderId::Network);
    return !network.isEmpty() && path == network;
}

void TreeFolder::addLoadedChild(const QString &parentId, const QString &parentKey,
                                const ChildListing::Child &child, bool checked, bool underNetwork)
{
    // A folder shown elsewhere too (Documents at the top and inside the home folder) is shown
    // here with the same path as key; the nodes are kept apart inside the control alone.
    const QString &folder = child.path;
    const QString name = lastPathComponent(folder);
    const QString pictureKey = AddBackslash(parentKey) + name;
    // A mount point below the listed folder may belong to a volume that does not answer.
    const bool answers = m_FSO.answers(folder);
    TreeNode node;
    try {
        int image = 0;
        if (underNetwork)
            image =
                GetIconIndex(pictureKey, IconSize, true, ShellLibrary::IconId::NetworkEntry, true);
        else if (!answers)
            image = m_pictures.folder();
        else if (child.probed)
            image = m_pictures.knownFolder(pictureKey); // listed as a folder: no need to look again
        else
            image = GetIconIndex(pictureKey, IconSize, false);
        node = m_nodes.addShown(parentId, folder, displayPath(name), image);
        node.setChecked(checked);
        m_FolderNode = node;
    } catch (const RuntimeError &) {
        listingFailed(parentKey);
        return;
    }
    // A subfolder that cannot be opened gets no expand button; it is no failure of the parent.
    if (!answers)
        return;
    const std::optional<bool> has = child.probed ? child.hasSubfolder : hasSubfolder(folder);
    if (!has.value_or(false))
        return;
    m_FolderNode = m_nodes.addShown(node.id(), folderPlaceholderKey(folder), {}, 0);
    node.setTag(0);
}
