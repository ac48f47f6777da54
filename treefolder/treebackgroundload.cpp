#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/nodekeys.h"
#include "treefolder/percentof.h"
#include "treefolder/repaintlock.h"
#include "treefolder/treefolder.h"

#include <QElapsedTimer>
#include <QTreeWidget>

namespace {

// A folder with more entries than this is listed off the GUI thread; a smaller one costs
// less than one batch and is loaded at once, as before.
constexpr int LargeFolderEntries = 2000;
// How long one turn of the event loop may spend adding children.
constexpr qint64 BatchNanoseconds = 8'000'000;
constexpr int ChildrenPerCheck = 32;

} // namespace

struct TreeFolder::BackgroundLoad {
    QString id;
    QString path;
    bool checked = false;
    bool underNetwork = false;
    int added = 0;
    bool scrollWhenDone = false; // the path walk's target: its last child is scrolled to
    std::shared_ptr<ChildListing> listing;
};

bool TreeFolder::loadInBackground(const TreeNode &node)
{
    const QString path = node.key();
    if (isRootKey(path) || !ChildListing::isLarge(path, LargeFolderEntries))
        return false;
    auto load = std::make_shared<BackgroundLoad>();
    load->id = node.id();
    load->path = path;
    load->checked = node.checked();
    load->underNetwork = isNetworkFolder(path);
    load->listing = ChildListing::start(path, m_FSO.mountPoints());
    m_backgroundLoads.append(load);
    if (!m_loadTimer.isActive())
        m_loadTimer.start();
    return true;
}

void TreeFolder::serviceBackgroundLoads()
{
    QElapsedTimer spent;
    spent.start();
    // A copy: the host's handlers may cancel loads while this one adds children.
    const QList<std::shared_ptr<BackgroundLoad>> loads = m_backgroundLoads;
    for (const std::shared_ptr<BackgroundLoad> &load : loads) {
        if (spent.nsecsElapsed() >= BatchNanoseconds)
            break;
        addLoadedChildren(load, [&] { return spent.nsecsElapsed() < BatchNanoseconds; });
    }
    if (m_backgroundLoads.isEmpty())
        m_loadTimer.stop();
}

void TreeFolder::addLoadedChildren(const std::shared_ptr<BackgroundLoad> &load,
                                   const std::function<bool()> &mayGoOn)
{
    if (m_nodes.findId(load->id).isNull()) {
        cancelBackgroundLoad(load->id); // its node went meanwhile: an unmounted drive's folder
        return;
    }
    const std::optional<int> count = load->listing->count();
    if (!count)
        return; // still listing
    if (*count < 0) {
        listingFailed(load->path);
    } else {
        const RepaintLock lock(TreeView1);
        while (load->added < *count && mayGoOn()) {
            const QList<ChildListing::Child> children = load->listing->take(ChildrenPerCheck);
            if (children.isEmpty())
                return; // the thread has not probed further yet
            for (const ChildListing::Child &child : children) {
                if (!m_backgroundLoads.contains(load))
                    return; // closed or cleared by a host's handler meanwhile
                ++load->added;
                emit Progress(PercentOf(load->added, *count));
                if (m_nodes.findId(load->id).isNull()) {
                    cancelBackgroundLoad(load->id);
                    return;
                }
                addChildFolder(load->id, load->path, child, load->checked, load->underNetwork);
            }
        }
        if (load->added < *count)
            return;
    }
    m_backgroundLoads.removeOne(load);
    emit Progress(0);
    finishExpansion(load->id);
    if (load->scrollWhenDone)
        scrollToLastChild(load->id);
}

bool TreeFolder::scrollWhenLoaded(const QString &id)
{
    for (const std::shared_ptr<BackgroundLoad> &load : std::as_const(m_backgroundLoads)) {
        if (load->id == id) {
            load->scrollWhenDone = true;
            return true;
        }
    }
    return false;
}

void TreeFolder::scrollToLastChild(const QString &id)
{
    const TreeNode node = m_nodes.findId(id);
    // A user who moved on while the children came in stays where he is.
    if (node.isNull() || TreeView1->currentItem() != node.item())
        return;
    const TreeNode first = node.child();
    TreeView1->scrollToItem(first.isNull() ? node.item() : first.lastSibling().item());
}

void TreeFolder::finishBackgroundLoad(const QString &id)
{
    for (const std::shared_ptr<BackgroundLoad> &load : std::as_const(m_backgroundLoads)) {
        if (load->id != id)
            continue;
        const std::shared_ptr<BackgroundLoad> kept = load;
        kept->listing->waitUntilDone();
        addLoadedChildren(kept, [] { return true; });
        return;
    }
}

void TreeFolder::cancelBackgroundLoad(const QString &id)
{
    for (qsizetype i = m_backgroundLoads.size() - 1; i >= 0; --i) {
        if (id.isNull() || m_backgroundLoads.at(i)->id == id) {
            m_backgroundLoads.at(i)->listing->cancel();
            m_backgroundLoads.removeAt(i);
        }
    }
}
