#pragma once

#include "platform/drives.h"
#include "treefolder/treenode.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <memory>

class DriveWatcher;
class FileSystemObject;
class SilentVolumes;
class TreeNodes;

// Drive nodes that follow the mount table while the tree runs: a volume mounted later is added
// under My Computer at its place among the drives, as the build would show it (one that does
// not answer says "Not responding"), and the node of one unmounted is removed. A drive that
// holds the selected node stays, marked "Not responding", until the selection leaves it and no
// mouse button is held. Raises no event.
class DriveFollower : public QObject {
    Q_OBJECT
public:
    // What the follower asks of the control.
    class Host {
    public:
        // Adds the node of a drive, with its placeholder child, as the build adds it.
        virtual TreeNode addDriveNode(const Drive &drive) = 0;

    protected:
        ~Host() = default;
    };

    // All must outlive this object; the drives are listed through fso on a thread of its own.
    DriveFollower(Host &host, TreeNodes &nodes, const FileSystemObject &fso, SilentVolumes &silent);
    // Waits for a listing under way, which reads fso: at most the probe's bound.
    ~DriveFollower() override;

    // The drives were read anew (a rebuilt or emptied tree): a listing under way is older.
    void forgetListing();

private:
    void follow(const QList<Drive> &drives);
    // Removes the drives that went while they held the selection, once they no longer do.
    void dropGoneDrives();
    bool holdsSelection(const TreeNode &node) const;

    Host &m_host;
    TreeNodes &m_nodes;
    SilentVolumes &m_silent;
    std::unique_ptr<DriveWatcher> m_watcher;
    QHash<QString, quint64> m_goneDrives; // by identity, each with its node's serial
};
