#include "treefolder/folderopenings.h"

#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "platform/shelllibrary.h"
#include "treefolder/filesystemobject.h"
#include "treefolder/folderprobe.h"
#include "treefolder/nodekeys.h"
#include "treefolder/nodepictures.h"
#include "treefolder/pathtext.h"
#include "treefolder/percentof.h"
#include "treefolder/repaintlock.h"
#include "treefolder/silentvolumes.h"
#include "treefolder/treenodes.h"

#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

constexpr int IconSize = 16;

} // namespace

FolderOpenings::FolderOpenings(Host &host, QTreeWidget &tree, TreeNodes &nodes,
                               NodePictures &pictures, const FileSystemObject &fso,
                               SilentVolumes &silent)
    : m_host(host), m_tree(tree), m_nodes(nodes), m_pictures(pictures), m_fso(fso),
      m_silent(silent), m_loads(*this, nodes)
{}

void FolderOpenings::expanded(QTreeWidgetItem *item)
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
    const bool answers = m_fso.answers(node.key());
    const bool large = answers && BackgroundLoads::isLarge(node.key());
    if (large && atOnce == 0) {
        m_loads.start(node, isNetworkFolder(node.key()), m_fso.mountPoints());
        return; // the events follow once the last child is in
    }
    loadChildren(node, node.checked(), answers);
    finish(id);
    // A large folder does not follow the disk: listing it again at every change would hold
    // the window as long as its opening did.
    if (!large && !m_nodes.findId(id).isNull())
        m_host.listed(id);
}

void FolderOpenings::finish(const QString &id)
{
    TreeNode node = m_nodes.findId(id);
    if (node.isNull())
        return;
    const QString key = node.key();
    m_host.opened(key);
    // A host's handler may have emptied the tree meanwhile.
    node = m_nodes.findId(id);
    if (node.isNull())
        return;
    if (m_listFailed && m_refusedSilent) {
        m_listFailed = m_refusedSilent = false;
        m_silent.refuse(id); // slow is not dead: no closing of the parent
    } else if (m_listFailed) {
        node.setTag(0);
        m_listFailed = false;
        node.parent().setExpanded(false); // may remove node itself: nothing may follow
    } else {
        node.setTag(1);
        closeIfEmpty(node);
    }
}

// A node left open without children would be closed by Left instead of moving to its parent,
// and its closing would give it an expand button: it is no opened folder, so it is closed
// again, which is no user's closing either.
void FolderOpenings::closeIfEmpty(TreeNode &node)
{
    if (node.children() > 0 || !node.expanded())
        return;
    const QScopedValueRollback closing(m_closingEmpty, true);
    node.setExpanded(false);
}

void FolderOpenings::loadFinished(const QString &id, bool scrollToLastChild)
{
    finish(id);
    const TreeNode node = m_nodes.findId(id);
    // A user who moved on while the children came in stays where he is.
    if (!scrollToLastChild || node.isNull() || m_tree.currentItem() != node.item())
        return;
    const TreeNode first = node.child();
    m_tree.scrollToItem(first.isNull() ? node.item() : first.lastSibling().item());
}

void FolderOpenings::collapsed(QTreeWidgetItem *item)
{
    if (m_silent.closing() || m_closingEmpty)
        return; // a refused or empty opening closes its node again, which is no user's closing
    TreeNode node(&m_nodes, item);
    if (node.image() == 1 || node.image() == 2)
        return; // the desktop root and My Computer keep their children
    const QString key = node.key();
    const QString id = node.id();
    m_host.closed(key);
    m_loads.cancel(id);
    node = m_nodes.findId(id);
    if (node.isNull())
        return;
    node.setTag(0);
    if (node.children() == 0) // closed before its first child came in
        m_nodes.addShown(id, folderPlaceholderKey(node.key()), {}, 0);
    // The one child left stands in as the placeholder until the next opening lists afresh.
    m_nodes.removeAllChildrenButLast(node);
}

void FolderOpenings::listingFailed(const QString &path)
{
    m_host.notReady(path);
    m_host.progress(0);
    m_listFailed = true;
}

void FolderOpenings::loadChildren(const TreeNode &parent, bool checked, bool answers)
{
    const QString path = parent.key();
    const QString parentId = parent.id();
    QStringList folders;
    {
        const RepaintLock lock(&m_tree);
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
            m_host.progress(PercentOf(i, count));
            addLoadedChild(parentId, path, ChildListing::Child{folders.at(i - 1), {}, false},
                           checked, underNetwork);
        }
    }
    m_host.progress(0);
}

bool FolderOpenings::isNetworkFolder(const QString &path) const
{
    const QString network = m_fso.specialFolder(SpecialFolderId::Network);
    return !network.isEmpty() && path == network;
}

void FolderOpenings::addLoadedChild(const QString &parentId, const QString &parentPath,
                                    const ChildListing::Child &child, bool checked,
                                    bool underNetwork)
{
    addChild(parentId, parentPath, child, checked, underNetwork);
}

TreeNode FolderOpenings::addFollowedChild(const TreeNode &parent, const QString &path)
{
    const QScopedValueRollback quiet(m_following, true);
    return addChild(parent.id(), parent.key(), ChildListing::Child{path, {}, false},
                    parent.checked(), isNetworkFolder(parent.key()));
}

TreeNode FolderOpenings::addChild(const QString &parentId, const QString &parentKey,
                                  const ChildListing::Child &child, bool checked, bool underNetwork)
{
    // A folder shown elsewhere too (Documents at the top and inside the home folder) is shown
    // here with the same path as key; the nodes are kept apart inside the control alone.
    const QString &folder = child.path;
    const QString name = lastPathComponent(folder);
    const QString pictureKey = AddBackslash(parentKey) + name;
    // A mount point below the listed folder may belong to a volume that does not answer.
    const bool answers = m_fso.answers(folder);
    TreeNode node;
    try {
        int image = 0;
        if (underNetwork)
            image = m_pictures.indexOf(pictureKey, IconSize, true,
                                       ShellLibrary::IconId::NetworkEntry, true);
        else if (!answers)
            image = m_pictures.folder();
        else if (child.probed)
            image = m_pictures.knownFolder(pictureKey); // listed as a folder: no need to look again
        else
            image = m_pictures.indexOf(pictureKey, IconSize, false);
        node = m_nodes.addShown(parentId, folder, displayPath(name), image);
        node.setChecked(checked);
    } catch (const RuntimeError &) {
        if (!m_following) // a folder following the disk is no opening: no DriveNotReady
            listingFailed(parentKey);
        return {};
    }
    // A subfolder that cannot be opened gets no expand button; it is no failure of the parent.
    if (!answers)
        return node;
    const std::optional<bool> has = child.probed ? child.hasSubfolder : hasSubfolder(folder);
    if (!has.value_or(false))
        return node;
    m_nodes.addShown(node.id(), folderPlaceholderKey(folder), {}, 0);
    node.setTag(0);
    return node;
}
