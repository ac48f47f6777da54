#pragma once

#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>

class QSocketNotifier;
class TreeNode;
class TreeNodes;

// Open folders that follow the disk, as a desktop's folder tree does: while a folder node is
// open and listed, a subfolder that another program makes, removes or moves in or out shows
// in it once the changes settle, at its place in the listing, while every other node, the
// selection, open branches, check states and the current node stay as they are. Only folders
// whose file system inotify sees every change of are followed (changevisiblefilesystem.h): a
// network or FUSE volume could hold the window while it is listed again. Raises no event: a
// folder following the disk is no opening.
class FolderFollower : public QObject {
    Q_OBJECT
public:
    // What the follower asks of the control.
    class Host {
    public:
        // Adds the subfolder at path under parent as an opening adds a child, without the
        // opening's events; a null node when it could not be added.
        virtual TreeNode addFollowedChild(const TreeNode &parent, const QString &path) = 0;

    protected:
        ~Host() = default;
    };

    // Both must outlive this object.
    FolderFollower(Host &host, TreeNodes &nodes);
    ~FolderFollower() override;

    // Follows the node with identity id while it stays open and listed; nothing when it is
    // not, when its file system does not qualify or when no watch can be had (the system's
    // watch limit): the folder then shows what its opening listed, as it always did.
    void follow(const QString &id);
    // Stops following every folder: the tree was emptied or rebuilt.
    void forgetAll();
    // How many nodes are followed.
    int followed() const { return int(m_byId.size()); }

private:
    struct Followed {
        int watch = -1;
        quint64 serial = 0; // tells the node from a later one with the same identity
    };
    // Watches the folder of node id once its file system is known (seen: inotify sees every
    // change there), unless the node closed or was rebuilt meanwhile.
    void watch(const QString &id, quint64 serial, bool seen);
    void readEvents();
    void relistDue();
    void relist(const QString &id);
    // Drops the folders that are no longer open and listed (closed, removed, rebuilt).
    void dropClosed();
    void unfollow(const QString &id);
    static bool isOpen(const TreeNode &node);
    bool stillOpen(const QString &id) const;
    bool holdsSelection(const TreeNode &node) const;

    Host &m_host;
    TreeNodes &m_nodes;
    int m_inotify = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QHash<QString, Followed> m_byId;
    QMultiHash<int, QString> m_byWatch; // a folder shown twice has one watch for both nodes
    QSet<QString> m_due;                // listed again once the changes settle
    QSet<QString> m_keptGone;           // folders with a gone subfolder kept for the selection
    QTimer m_settle;
    QTimer m_dropClosed;
};
