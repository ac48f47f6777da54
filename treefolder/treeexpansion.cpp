#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "platform/shelllibrary.h"
#include "treefolder/folderprobe.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/percentof.h"
#include "treefolder/treefolder.h"

#include <QTreeWidget>

namespace {

constexpr int IconSize = 16;

// The tree is not repainted while children are added, so a large folder is drawn once.
class RepaintLock {
public:
    explicit RepaintLock(QWidget *widget) : m_widget(widget), m_wasEnabled(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~RepaintLock() { m_widget->setUpdatesEnabled(m_wasEnabled); }
    RepaintLock(const RepaintLock &) = delete;
    RepaintLock &operator=(const RepaintLock &) = delete;

private:
    QWidget *m_widget = nullptr;
    bool m_wasEnabled = true;
};

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
    if (node.tag() != std::optional<int>(0))
        return; // the top roots carry no tag and are never reloaded
    const QString key = node.key();
    if (const TreeNode first = node.child(); !first.isNull())
        m_nodes.remove(first);
    LoadChildren(key, node.checked());
    if (isRootKey(key)) {
        raiseRootEvents(key, &TreeFolder::RootExpand);
    } else {
        emit FolderExpand(key);
        emit Change();
    }
    // A host's handler may have emptied the tree meanwhile.
    node = m_nodes.find(key);
    if (node.isNull())
        return;
    if (m_ListFailed) {
        node.setTag(0);
        m_ListFailed = false;
        node.parent().setExpanded(false); // may remove node itself: nothing may follow
    } else {
        node.setTag(1);
    }
}

void TreeFolder::onItemCollapsed(QTreeWidgetItem *item)
{
    TreeNode node(&m_nodes, item);
    if (node.image() == 1 || node.image() == 2)
        return; // the desktop root and My Computer keep their children
    const QString key = node.key();
    if (isRootKey(key))
        raiseRootEvents(key, &TreeFolder::RootCollapse);
    else
        emit FolderCollapse(key);
    node = m_nodes.find(key);
    if (node.isNull())
        return;
    node.setTag(0);
    // The one child left stands in as the placeholder until the next opening lists afresh.
    while (node.children() >= 2)
        m_nodes.remove(node.child());
}

void TreeFolder::listingFailed(const QString &path)
{
    emit DriveNotReady(path);
    emit Progress(0);
    m_ListFailed = true;
}

void TreeFolder::LoadChildren(const QString &path, bool checked)
{
    QStringList folders;
    {
        const RepaintLock lock(TreeView1);
        try {
            // A volume that does not answer is not ready: opening it could block for ever.
            if (!m_FSO.answers(path))
                throw RuntimeError(RuntimeErrorNumber::PathNotFound,
                                   QStringLiteral("Path not found"));
            Dir1.setPath(path);
            folders.reserve(Dir1.listCount());
            for (int i = 0; i < Dir1.listCount(); ++i)
                folders.append(Dir1.list(i));
        } catch (const RuntimeError &) {
            listingFailed(path);
        }
        const QString network = m_FSO.specialFolder(SpecialFolderId::Network);
        const bool underNetwork = !network.isEmpty() && path == network;
        const int count = int(folders.size());
        for (int i = 1; i <= count; ++i) {
            emit Progress(PercentOf(i, count));
            addChildFolder(path, folders.at(i - 1), checked, underNetwork);
        }
    }
    emit Progress(0);
}

void TreeFolder::addChildFolder(const QString &parentKey, const QString &folder, bool checked,
                                bool underNetwork)
{
    // A folder shown elsewhere too (Documents at the top and inside the home folder) is shown
    // here as the same folder seen through ".": "/home/u/Documents/." and below it
    // "/home/u/Documents/./Music". Keys stay unique and each one still opens its folder.
    QString key = folder;
    while (!m_nodes.find(key).isNull())
        key += QStringLiteral("/.");
    const QString name = lastPathComponent(folder);
    const QString pictureKey = AddBackslash(parentKey) + name;
    // A mount point below the listed folder may belong to a volume that does not answer.
    const bool answers = m_FSO.answers(key);
    TreeNode node;
    try {
        int image = 0;
        if (underNetwork)
            image =
                GetIconIndex(pictureKey, IconSize, true, ShellLibrary::IconId::NetworkEntry, true);
        else if (answers)
            image = GetIconIndex(pictureKey, IconSize, false);
        else
            image = folderImage();
        node = m_nodes.add(parentKey, key, displayPath(name), image);
        node.setChecked(checked);
        m_FolderNode = node;
    } catch (const RuntimeError &) {
        listingFailed(parentKey);
        return;
    }
    // A subfolder that cannot be opened gets no expand button; it is no failure of the parent.
    if (!answers || !hasSubfolder(key).value_or(false))
        return;
    try {
        m_FolderNode = m_nodes.add(key, folderPlaceholderKey(key), {}, 0);
        node.setTag(0);
    } catch (const RuntimeError &) {
        // The placeholder's key is a real folder shown in another branch: no expand button.
    }
}
