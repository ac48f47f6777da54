#include "treefolder/folderfollower.h"

#include "platform/directorylist.h"
#include "platform/nativepath.h"
#include "platform/postback.h"
#include "platform/runtimeerror.h"
#include "posix/changevisiblefilesystem.h"
#include "treefolder/treenodes.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QSocketNotifier>
#include <QTreeWidget>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Changes come in bursts (an unpacked archive, a build): the folder is listed once they settle.
constexpr int SettleMilliseconds = 200;
constexpr uint32_t SubfolderChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

quint64 serialOf(const TreeNode &node)
{
    return node.item()->data(0, NodeRole::Serial).toULongLong();
}

// Whether inotify sees every change of the folder at path. Asked off the GUI thread: the file
// system of a mount that stopped answering could hang for ever.
bool changesSeen(const QByteArray &path)
{
    const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool seen = changesVisibleToInotify(fd);
    close(fd);
    return seen;
}

} // namespace

FolderFollower::FolderFollower(Host &host, TreeNodes &nodes)
    : m_host(host), m_nodes(nodes), m_inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &FolderFollower::relistDue);
    // Closing and removing nodes happen inside the tree's own signals: the watches are dropped
    // once they are over.
    m_dropClosed.setSingleShot(true);
    m_dropClosed.setInterval(0);
    connect(&m_dropClosed, &QTimer::timeout, this, &FolderFollower::dropClosed);
    QTreeWidget *tree = m_nodes.tree();
    const auto dropLater = [this] {
        if (!m_byId.isEmpty())
            m_dropClosed.start();
    };
    connect(tree, &QTreeWidget::itemCollapsed, this, dropLater);
    connect(tree->model(), &QAbstractItemModel::rowsRemoved, this, dropLater);
    connect(tree->model(), &QAbstractItemModel::modelReset, this, dropLater);
    // A gone subfolder kept while it held the selection goes once the selection leaves it.
    const auto keptGoneDue = [this] {
        if (m_keptGone.isEmpty())
            return;
        m_due.unite(m_keptGone);
        m_keptGone.clear();
        m_settle.start();
    };
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, keptGoneDue);
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, keptGoneDue);
    if (m_inotify < 0)
        return; // no folder is followed
    m_notifier = std::make_unique<QSocketNotifier>(m_inotify, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &FolderFollower::readEvents);
}

FolderFollower::~FolderFollower()
{
    m_notifier.reset();
    if (m_inotify >= 0)
        close(m_inotify); // takes every watch with it
}

bool FolderFollower::isOpen(const TreeNode &node)
{
    return !node.isNull() && node.tag() == std::optional<int>(1) && node.expanded();
}

bool FolderFollower::stillOpen(const QString &id) const
{
    const TreeNode node = m_nodes.findId(id);
    const auto it = m_byId.constFind(id);
    return isOpen(node) && it != m_byId.cend() && it->serial == serialOf(node);
}

void FolderFollower::follow(const QString &id)
{
    unfollow(id); // opened again, or a node of a rebuilt tree with the same identity
    const TreeNode node = m_nodes.findId(id);
    if (m_inotify < 0 || !isOpen(node))
        return;
    // No thread to ask on: the folder is not followed, as one that could hang is not.
    runThenPost<bool>(
        this, [path = nativePath(node.key())] { return changesSeen(path); },
        [this, id, serial = serialOf(node)](bool seen) { watch(id, serial, seen); },
        WithoutThread::Skip);
}

void FolderFollower::watch(const QString &id, quint64 serial, bool seen)
{
    const TreeNode node = m_nodes.findId(id);
    if (!seen || !isOpen(node) || serialOf(node) != serial)
        return;   // closed, removed or rebuilt while its file system was asked
    unfollow(id); // asked twice: one watch is enough
    const int watch = inotify_add_watch(m_inotify, nativePath(node.key()).constData(),
                                        SubfolderChanges | IN_ONLYDIR);
    if (watch < 0)
        return; // at the system's watch limit, say: the folder stays as its opening listed it
    m_byId.insert(id, Followed{watch, serial});
    m_byWatch.insert(watch, id);
    // What changed between the opening's listing and the watch shows too.
    m_due.insert(id);
    m_settle.start();
}

void FolderFollower::unfollow(const QString &id)
{
    const auto it = m_byId.constFind(id);
    if (it == m_byId.cend())
        return;
    const int watch = it->watch;
    m_byId.erase(it);
    m_byWatch.remove(watch, id);
    m_due.remove(id);
    m_keptGone.remove(id);
    if (!m_byWatch.contains(watch)) // the other node showing the folder still needs it
        inotify_rm_watch(m_inotify, watch);
}

void FolderFollower::forgetAll()
{
    const QStringList ids = m_byId.keys();
    for (const QString &id : ids)
        unfollow(id);
}

void FolderFollower::dropClosed()
{
    const QStringList ids = m_byId.keys();
    for (const QString &id : ids) {
        if (!stillOpen(id))
            unfollow(id);
    }
}

void FolderFollower::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: any followed folder may have changed.
                const QStringList ids = m_byId.keys();
                m_due.unite(QSet<QString>(ids.begin(), ids.end()));
            } else if (event->mask & IN_IGNORED) {
                // The folder itself went (or its volume): its parent, where followed, drops it.
                const QStringList ids = m_byWatch.values(event->wd);
                m_byWatch.remove(event->wd);
                for (const QString &id : ids) {
                    m_byId.remove(id);
                    m_due.remove(id);
                }
            } else if ((event->mask & IN_ISDIR) && (event->mask & SubfolderChanges)) {
                const QStringList ids = m_byWatch.values(event->wd);
                m_due.unite(QSet<QString>(ids.begin(), ids.end()));
            }
        }
    }
    if (!m_due.isEmpty())
        m_settle.start(); // restarted by every burst: listed once they settle
}

void FolderFollower::relistDue()
{
    // Not while a button is held: the rows would move under a click that is under way.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        m_settle.start();
        return;
    }
    const QSet<QString> due = std::exchange(m_due, {});
    for (const QString &id : due)
        relist(id);
}

bool FolderFollower::holdsSelection(const TreeNode &node) const
{
    const QTreeWidget *tree = m_nodes.tree();
    const QList<QTreeWidgetItem *> selected = tree->selectedItems();
    for (QTreeWidgetItem *held :
         {selected.isEmpty() ? nullptr : selected.first(), tree->currentItem()}) {
        for (TreeNode up(&m_nodes, held); !up.isNull(); up = up.parent()) {
            if (up == node)
                return true;
        }
    }
    return false;
}

void FolderFollower::relist(const QString &id)
{
    if (!stillOpen(id)) {
        unfollow(id);
        return;
    }
    TreeNode node = m_nodes.findId(id);
    DirectoryList list;
    try {
        list.setPath(node.key());
    } catch (const RuntimeError &) {
        return; // cannot be listed now: left as it is, as a failing opening is no concern here
    }
    QStringList onDisk;
    for (int i = 0; i < list.listCount(); ++i)
        onDisk.append(list.list(i));
    const QSet<QString> listed(onDisk.begin(), onDisk.end());
    QHash<QString, QTreeWidgetItem *> shown;
    for (TreeNode child = node.child(); !child.isNull();) {
        const TreeNode next = child.next();
        if (listed.contains(child.key()))
            shown.insert(child.key(), child.item());
        else if (holdsSelection(child))
            m_keptGone.insert(id); // the selection stays where the user put it, for now
        else
            m_nodes.remove(child); // with its branch
        child = next;
    }
    QTreeWidgetItem *parent = node.item();
    int place = 0; // right after the child listed before
    for (const QString &path : onDisk) {
        QTreeWidgetItem *item = shown.value(path);
        if (!item) {
            const TreeNode added = m_host.addFollowedChild(node, path);
            if (added.isNull())
                continue;
            // Added last: moved to its place in the listing.
            item = parent->takeChild(parent->indexOfChild(added.item()));
            parent->insertChild(place, item);
        }
        place = parent->indexOfChild(item) + 1;
    }
}
