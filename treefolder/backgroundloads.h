#pragma once

#include "treefolder/childlisting.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class TreeNode;
class TreeNodes;

// Openings of large folders: the folder is listed off the GUI thread and its children are
// added a batch per turn of the event loop, so that a folder of many thousand subfolders keeps
// the window answering. The control's events come in the same order as for a folder loaded at
// once, only later: a Progress before each child, Progress 0, then the opening's own events.
class BackgroundLoads {
public:
    // What a load asks of the control.
    class Host {
    public:
        virtual void reportProgress(short percent) = 0;
        // Adds one listed child under the node with identity parentId, as an opening does.
        virtual void addLoadedChild(const QString &parentId, const QString &parentPath,
                                    const ChildListing::Child &child, bool checked,
                                    bool underNetwork) = 0;
        // The folder at path could not be listed (after which the load ends as usual).
        virtual void listingFailed(const QString &path) = 0;
        // Every child is in: the opening's events are due. scrollToLastChild: the path walk
        // ended at this folder.
        virtual void loadFinished(const QString &id, bool scrollToLastChild) = 0;

    protected:
        ~Host() = default;
    };

    // Both must outlive this object.
    BackgroundLoads(Host &host, const TreeNodes &nodes);
    // Cancels every load.
    ~BackgroundLoads();

    // Whether the folder at path is large enough to be loaded in the background.
    static bool isLarge(const QString &path);
    // Starts loading node's children; mountPoints are listed but not touched.
    void start(const TreeNode &node, bool underNetwork, QSet<QString> mountPoints);
    // Waits for node id's listing and adds every child that is left (the path walk needs them).
    void finish(const QString &id);
    // Drops node id's load; a null id drops every load.
    void cancel(const QString &id);
    // Once the children of node id are in, the last one is scrolled to, as when they load at
    // once. False when id is not loading.
    bool scrollWhenLoaded(const QString &id);

private:
    struct Load;
    void serviceLoads();
    void addLoadedChildren(const std::shared_ptr<Load> &load, const std::function<bool()> &mayGoOn);

    Host &m_host;
    const TreeNodes &m_nodes;
    QList<std::shared_ptr<Load>> m_loads;
    QTimer m_timer;
};
