#pragma once

#include "platform/directorylist.h"
#include "treefolder/backgroundloads.h"
#include "treefolder/treenode.h"

#include <QString>

class FileSystemObject;
class NodePictures;
class QTreeWidget;
class QTreeWidgetItem;
class SilentVolumes;
class TreeNodes;

// Openings and closings of the tree's folders. An opening lists the folder's subfolders, at
// once or, for a large folder, off the GUI thread in batches (backgroundloads.h); a closing
// forgets them again, down to one placeholder child, so the next opening lists afresh. An
// opening of a volume that does not answer is refused (silentvolumes.h). The control's events
// come through Host in the order they always had: DriveNotReady when the listing failed,
// Progress before each child, Progress 0, then the opening's own events.
class FolderOpenings final : private BackgroundLoads::Host {
public:
    // The control's events for what the openings do.
    class Host {
    public:
        // FolderExpand and Change, or a root's RootExpand.
        virtual void opened(const QString &key) = 0;
        // FolderCollapse, or a root's RootCollapse.
        virtual void closed(const QString &key) = 0;
        virtual void notReady(const QString &path) = 0; // DriveNotReady
        virtual void progress(short percent) = 0;
        // The node's children were all listed at once: it may follow the disk from now on.
        virtual void listed(const QString &id) = 0;

    protected:
        ~Host() = default;
    };

    // All must outlive this object.
    FolderOpenings(Host &host, QTreeWidget &tree, TreeNodes &nodes, NodePictures &pictures,
                   const FileSystemObject &fso, SilentVolumes &silent);

    // The inner tree's itemExpanded and itemCollapsed.
    void expanded(QTreeWidgetItem *item);
    void collapsed(QTreeWidgetItem *item);

    // Adds the subfolder at path under parent as an opening adds a child, but as no opening:
    // a failure raises no event. A null node when it could not be added.
    TreeNode addFollowedChild(const TreeNode &parent, const QString &path);

    // While above 0 every opening loads its children at once (a path walk goes on into them).
    int atOnce = 0;
    BackgroundLoads &loads() { return m_loads; }

private:
    // Raises an opening's events once its children are in and sets the node's tag.
    void finish(const QString &id);
    void closeIfEmpty(TreeNode &node);
    // answers: whether the parent's volume answered; one that did not is not touched.
    void loadChildren(const TreeNode &parent, bool checked, bool answers);
    bool isNetworkFolder(const QString &path) const;

    TreeNode addChild(const QString &parentId, const QString &parentPath,
                      const ChildListing::Child &child, bool checked, bool underNetwork);
    void reportProgress(short percent) override { m_host.progress(percent); }
    void addLoadedChild(const QString &parentId, const QString &parentPath,
                        const ChildListing::Child &child, bool checked, bool underNetwork) override;
    void listingFailed(const QString &path) override;
    void loadFinished(const QString &id, bool scrollToLastChild) override;

    Host &m_host;
    QTreeWidget &m_tree;
    TreeNodes &m_nodes;
    NodePictures &m_pictures;
    const FileSystemObject &m_fso;
    SilentVolumes &m_silent;
    DirectoryList Dir1; // the system's own name for the folder listing control
    BackgroundLoads m_loads;
    bool m_listFailed = false;
    bool m_refusedSilent = false; // the last listing was refused: its volume did not answer
    bool m_closingEmpty = false;  // an opening that found no children is closed again
    bool m_following = false;     // a child found on disk later is added, by no opening
};
