#include "treefolder/drivewatcher.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/treefolder.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
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

void TreeFolder::followMountTable()
{
    // The listing runs on a thread of its own and uses m_FSO, which outlives the watcher.
    m_driveWatcher =
        std::make_unique<DriveWatcher>(m_FSO.watchMountTable(), [this] { return m_FSO.drives(); });
    connect(m_driveWatcher.get(), &DriveWatcher::listed, this, &TreeFolder::followDrives);
    // A drive kept only for the selection goes once the selection leaves it; not from within
    // the selection model's own signal, which removing a row would re-enter.
    connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_goneDrives.isEmpty())
            QTimer::singleShot(0, this, &TreeFolder::dropGoneDrives);
    });
}

bool TreeFolder::holdsSelection(const TreeNode &node) const
{
    for (TreeNode selected = selectedNode(); !selected.isNull(); selected = selected.parent()) {
        if (selected == node)
            return true;
    }
    return false;
}

void TreeFolder::followDrives(const QList<Drive> &drives)
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
            node = addDrive(drive);
            // Added last, after Favorites and Documents: moved to its place among the drives.
            QTreeWidgetItem *item =
                computer.item()->takeChild(computer.item()->indexOfChild(node.item()));
            computer.item()->insertChild(place, item);
            if (!drive.ready)
                refuseSilentVolume(node.id());
        } else if (m_goneDrives.remove(node.id())) {
            showNotResponding(node.item(), false); // mounted again
        }
        place = computer.item()->indexOfChild(node.item()) + 1;
    }
    for (TreeNode child = computer.child(); !child.isNull();) {
        const TreeNode next = child.next();
        if (isDriveKey(child.key()) && !listed.contains(child.key())) {
            // The selection stays where the user put it: its drive is kept, marked, until
            // the selection moves elsewhere.
            m_goneDrives.insert(child.id(), serialOf(child));
            m_silentIds.remove(child.id()); // asking again would find the folder below it
            showNotResponding(child.item(), true);
        }
        child = next;
    }
    dropGoneDrives();
}

void TreeFolder::dropGoneDrives()
{
    // Not while a button is held: the rows would move under a click that is under way.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(ButtonHeldRetryMilliseconds, this, &TreeFolder::dropGoneDrives);
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
