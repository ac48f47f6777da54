#include "treefolder/backgroundloads.h"

#include "treefolder/nodekeys.h"
#include "treefolder/percentof.h"
#include "treefolder/repaintlock.h"
#include "treefolder/treenodes.h"

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

struct BackgroundLoads::Load {
    QString id;
    QString path;
    bool checked = false;
    bool underNetwork = false;
    int added = 0;
    bool scrollWhenDone = false; // the path walk's target: its last child is scrolled to
    std::shared_ptr<ChildListing> listing;
};

BackgroundLoads::BackgroundLoads(Host &host, const TreeNodes &nodes) : m_host(host), m_nodes(nodes)
{
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { serviceLoads(); });
}

BackgroundLoads::~BackgroundLoads()
{
    cancel({});
}

bool BackgroundLoads::isLarge(const QString &path)
{
    return !isRootKey(path) && ChildListing::isLarge(path, LargeFolderEntries);
}

void BackgroundLoads::start(const TreeNode &node, bool underNetwork, QSet<QString> mountPoints)
{
    auto load = std::make_shared<Load>();
    load->id = node.id();
    load->path = node.key();
    load->checked = node.checked();
    load->underNetwork = underNetwork;
    load->listing = ChildListing::start(load->path, std::move(mountPoints));
    m_loads.append(load);
    if (!m_timer.isActive())
        m_timer.start();
}

void BackgroundLoads::serviceLoads()
{
    QElapsedTimer spent;
    spent.start();
    // A copy: the host's handlers may cancel loads while this one adds children.
    const QList<std::shared_ptr<Load>> loads = m_loads;
    for (const std::shared_ptr<Load> &load : loads) {
        if (spent.nsecsElapsed() >= BatchNanoseconds)
            break;
        addLoadedChildren(load, [&] { return spent.nsecsElapsed() < BatchNanoseconds; });
    }
    if (m_loads.isEmpty())
        m_timer.stop();
}

void BackgroundLoads::addLoadedChildren(const std::shared_ptr<Load> &load,
                                        const std::function<bool()> &mayGoOn)
{
    if (m_nodes.findId(load->id).isNull()) {
        cancel(load->id); // its node went meanwhile: an unmounted drive's folder
        return;
    }
    const std::optional<int> count = load->listing->count();
    if (!count)
        return; // still listing
    if (*count < 0) {
        m_host.listingFailed(load->path);
    } else {
        const RepaintLock lock(m_nodes.tree());
        while (load->added < *count && mayGoOn()) {
            const QList<ChildListing::Child> children = load->listing->take(ChildrenPerCheck);
            if (children.isEmpty())
                return; // the thread has not probed further yet
            for (const ChildListing::Child &child : children) {
                if (!m_loads.contains(load))
                    return; // closed or cleared by a host's handler meanwhile
                ++load->added;
                m_host.reportProgress(PercentOf(load->added, *count));
                if (m_nodes.findId(load->id).isNull()) {
                    cancel(load->id);
                    return;
                }
                m_host.addLoadedChild(load->id, load->path, child, load->checked,
                                      load->underNetwork);
            }
        }
        if (load->added < *count)
            return;
    }
    m_loads.removeOne(load);
    m_host.reportProgress(0);
    m_host.loadFinished(load->id, load->scrollWhenDone);
}

bool BackgroundLoads::scrollWhenLoaded(const QString &id)
{
    for (const std::shared_ptr<Load> &load : std::as_const(m_loads)) {
        if (load->id == id) {
            load->scrollWhenDone = true;
            return true;
        }
    }
    return false;
}

void BackgroundLoads::finish(const QString &id)
{
    for (const std::shared_ptr<Load> &load : std::as_const(m_loads)) {
        if (load->id != id)
            continue;
        const std::shared_ptr<Load> kept = load;
        kept->listing->waitUntilDone();
        addLoadedChildren(kept, [] { return true; });
        return;
    }
}

void BackgroundLoads::cancel(const QString &id)
{
    for (qsizetype i = m_loads.size() - 1; i >= 0; --i) {
        if (id.isNull() || m_loads.at(i)->id == id) {
            m_loads.at(i)->listing->cancel();
            m_loads.removeAt(i);
        }
    }
}
