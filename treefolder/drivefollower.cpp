#include "treefolder/drivefollower.h"

#include "treefolder/drivewatcher.h"
#include "treefolder/filesystemobject.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/silentvolumes.h"
#include "treefolder/treenodes.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int ButtonHeldRetryMilliseconds = 50;

// Tells a node from a later one with the same identity (a rebuilt tree's): never reused.
quint64 serialOf(const TreeNode &node)
{
    return node.item()->data(0, NodeRole::Serial).toULongLong();
}

} // namespace

DriveFollower::DriveFollower(Host &host, TreeNodes &nodes, const FileSystemObject &fso,
                             SilentVolumes &silent)
    : m_host(host), m_nodes(nodes), m_silent(silent),
      m_watcher(
          std::make_unique<DriveWatcher>(fso.watchMountTable(), [&fso] { return fso.drives(); }))
{
    connect(m_watcher.get(), &DriveWatcher::listed, this, &DriveFollower::follow);
    // A drive kept only for the selection goes once the selection leaves it; not from within
    // the selection model's own signal, which removing a row would re-enter.
    connect(m_nodes.tree()->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_goneDrives.isEmpty())
            QTimer::singleShot(0, this, &DriveFollower::dropGoneDrives);
    });
}

DriveFollower::~DriveFollower() = default;

void DriveFollower::forgetListing()
{
    m_watcher->forgetListing();
}

bool DriveFollower::holdsSelection(const TreeNode &node) const
{
    const QList<QTreeWidgetItem *> selected = m_nodes.tree()->selectedItems();
    for (TreeNode up(&m_nodes, selected.isEmpty() ? nullptr : selected.first()); !up.isNull();
         up = up.parent()) {
        if (up == node)
            return true;
    }
    return false;
}

void DriveFollower::follow(const QList<Drive> &drives)
{
    // Nodes are found anew: the tree may have been emptied or its My Computer removed.
    const TreeNode computer = m_nodes.findId(MyComputerKey);
    if (computer.isNull())
        return;
    QSet<QString> listed;
    int place = 0; // right after the node of the drive listed before
    for (const Drive &drive : drives) {
        const QString key = AddBackslash(drive.path);
        listed.insert(key);
        TreeNode node = m_nodes.find(key);
        if (node.isNull()) {
            node = m_host.addDriveNode(drive);
            // Added last, after Favorites and Documents: moved to its place among the drives.
            QTreeWidgetItem *item =
                computer.item()->takeChild(computer.item()->indexOfChild(node.item()));
            computer.item()->insertChild(place, item);
            if (!drive.ready)
                m_silent.refuse(node.id());
        } else if (m_goneDrives.remove(node.id())) {
            SilentVolumes::mark(node.item(), false); // mounted again
        }
        place = computer.item()->indexOfChild(node.item()) + 1;
    }
    for (TreeNode child = computer.child(); !child.isNull();) {
        const TreeNode next = child.next();
        if (isDriveKey(child.key()) && !listed.contains(child.key())) {
            // The selection stays where the user put it: its drive is kept, marked, until
            // the selection moves elsewhere.
            m_goneDrives.insert(child.id(), serialOf(child));
            m_silent.forget(child.id()); // asking again would find the folder below it
            SilentVolumes::mark(child.item(), true);
        }
        child = next;
    }
    dropGoneDrives();
}

void DriveFollower::dropGoneDrives()
{
    // Not while a button is held: the rows would move under a click that is under way.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(ButtonHeldRetryMilliseconds, this, &DriveFollower::dropGoneDrives);
        return;
    }
    const QHash<QString, quint64> gone = m_goneDrives;
    for (auto it = gone.begin(); it != gone.end(); ++it) {
        const TreeNode node = m_nodes.findId(it.key());
        if (node.isNull() || serialOf(node) != it.value()) {
            m_goneDrives.remove(it.key()); // removed or rebuilt meanwhile: not the one kept
            continue;
        }
        if (holdsSelection(node))
            continue;
        m_goneDrives.remove(it.key());
        m_nodes.remove(node); // a folder still loading below it is dropped at its next batch
    }
}
