#include "foldersize/parallelscan.h"

#include "foldersize/pseudofilesystem.h"
#include "foldersize/scanpool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

constexpr int SubfolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
constexpr int ParentFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;
// Often enough that a yield that pumps the event loop when 10 ms have passed never waits
// longer than that.
constexpr auto YieldInterval = std::chrono::milliseconds(5);
constexpr std::size_t HeldDescriptorsPerWorker = 4;

// The scan whose yield is running on this thread, which a scan started from it pauses.
thread_local ParallelScan *t_current = nullptr;

// A worker that found no descriptor free while others of its scan hold some waits a moment
// for them; the jitter keeps workers from retrying in step.
void backOff()
{
    thread_local std::minstd_rand random{std::random_device{}()};
    std::this_thread::sleep_for(std::chrono::microseconds(100 + random() % 400));
}

} // namespace

ParallelScan::ParallelScan(std::string rootPath, const FolderSizeYield &yield)
    : m_pool(ScanPool::instance()), m_rootPath(std::move(rootPath)), m_yield(yield),
      m_budget(HeldDescriptorsPerWorker * std::size_t(m_pool.threadCount()))
{
    // Held descriptors stay within the budget plus the few each worker pins at a time, so
    // keeping one never needs memory.
    m_holders.reserve(m_budget + 4 * std::size_t(m_pool.threadCount()) + 8);
}

ParallelScan::~ParallelScan()
{
    finish();
}

SizeAmount ParallelScan::run(int rootFd, const struct stat &rootStat)
{
    {
        const std::lock_guard lock(m_lock);
        ScanNode *root;
        try {
            root = new ScanNode;
        } catch (...) {
            close(rootFd);
            throw;
        }
        linkLocked(root);
        root->opened = true;
        root->device = rootStat.st_dev;
        root->inode = rootStat.st_ino;
        m_openFds.fetch_add(1);
        hold(*root, rootFd);
        m_stack.push_back(root);
        m_queued.store(m_stack.size());
    }
    const Nesting nesting(this);
    m_pool.add(this);
    const bool completed = waitCallingYield();
    finish();
    return completed ? m_total : SizeAmount();
}

// The scan whose yield started this one waits, holding nothing, until this one is done.
ParallelScan::Nesting::Nesting(ParallelScan *scan) : outer(t_current)
{
    if (outer)
        outer->pause();
    t_current = scan;
}

ParallelScan::Nesting::~Nesting()
{
    t_current = outer;
    if (outer)
        outer->proceed();
}

// Waits for the total, calling the yield as it starts and whenever YieldInterval has passed,
// so even a scan that ends at once lets the caller's events run; false when the yield said
// Stop.
bool ParallelScan::waitCallingYield()
{
    using Clock = std::chrono::steady_clock;
    if (m_yield && askYield() == ScanControl::Stop)
        return false;
    std::unique_lock lock(m_lock);
    Clock::time_point nextYield = Clock::now() + YieldInterval;
    while (!m_done) {
        if (!m_yield) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, nextYield) == std::cv_status::no_timeout ||
            Clock::now() < nextYield)
            continue;
        lock.unlock();
        const ScanControl control = askYield();
        lock.lock();
        if (control == ScanControl::Stop)
            return false;
        nextYield = Clock::now() + YieldInterval;
    }
    return true;
}

// A yield that throws is skipped like any other failing step: the scan goes on.
ScanControl ParallelScan::askYield() const
{
    try {
        return m_yield();
    } catch (...) {
        return ScanControl::Continue;
    }
}

// Ends the scan for good: no worker enters it any more, those inside leave, and every
// descriptor and folder it still holds is let go.
void ParallelScan::finish()
{
    m_pool.remove(this);
    m_stopped.store(true);
    updateInterrupt();
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return m_workersInside == 0; });
    while (m_live) {
        ScanNode *node = m_live;
        m_live = node->nextLive;
        if (node->fd >= 0)
            closeFd(node->fd);
        delete node;
    }
    m_holders.clear();
    m_stack.clear();
    m_queued.store(0);
}

void ParallelScan::pause()
{
    m_paused.store(true);
    updateInterrupt();
    const std::lock_guard lock(m_lock);
    closeIdleLocked();
}

void ParallelScan::proceed()
{
    m_paused.store(false);
    updateInterrupt();
    m_pool.notifyWork();
}

void ParallelScan::updateInterrupt()
{
    m_interrupt.store(m_stopped.load() || m_paused.load());
}

bool ParallelScan::hasWork() const
{
    return !m_interrupt.load() && m_queued.load() > 0;
}

void ParallelScan::enterWorker()
{
    const std::lock_guard lock(m_lock);
    ++m_workersInside;
}

void ParallelScan::leaveWorker()
{
    const std::lock_guard lock(m_lock);
    if (interrupted())
        closeIdleLocked();
    if (--m_workersInside == 0)
        m_changed.notify_all();
}

void ParallelScan::work(char *buffer, std::size_t size)
{
    while (!interrupted()) {
        ScanNode *node;
        {
            const std::lock_guard lock(m_lock);
            if (m_stack.empty())
                return;
            node = m_stack.back();
            m_stack.pop_back();
            m_queued.store(m_stack.size());
        }
        process(*node, buffer, size);
    }
}

void ParallelScan::process(ScanNode &node, char *buffer, std::size_t size)
{
    Opened opened;
    try {
        opened = openFolder(node);
    } catch (...) {
        opened = Opened::Lost;
    }
    if (opened == Opened::Ready && readFolder(node, node.fd, buffer, size) == ReadEnd::Interrupted)
        opened = Opened::Interrupted;
    if (opened == Opened::Retry || opened == Opened::Interrupted) {
        {
            const std::lock_guard lock(m_lock);
            if (node.fd >= 0) {
                --node.pins;
                settleLocked(node);
            }
            if (!m_stopped.load()) { // a stopped scan frees its waiting folders itself
                m_stack.push_back(&node);
                m_queued.store(m_stack.size());
            }
        }
        if (opened == Opened::Retry)
            backOff();
        return;
    }
    try {
        finishRead(node, opened == Opened::Lost);
    } catch (...) {
        finishRead(node, true); // no memory for the subfolders: they count 0
    }
}

// Opens the folder of node, pinned in node.fd, from the nearest ancestor whose descriptor is
// still open, opening again each ancestor on the way and checking it is the same folder.
ParallelScan::Opened ParallelScan::openFolder(ScanNode &node)
{
    std::vector<ScanNode *> chain; // ancestors to open again, deepest first
    Base base;
    {
        const std::lock_guard lock(m_lock);
        if (node.fd >= 0) { // the root, handed over open
            ++node.pins;
            return Opened::Ready;
        }
        for (ScanNode *up = node.parent; up; up = up->parent) {
            if (up->lost)
                return Opened::Lost;
            if (up->fd >= 0) {
                base.owner = up;
                base.fd = up->fd;
                ++up->pins;
                break;
            }
            chain.push_back(up);
        }
    }
    if (!base.owner && node.parent) { // no ancestor is open: start again from the root
        chain.pop_back();
        const Opened root = reopenRoot(base);
        if (root != Opened::Ready)
            return root;
    } else if (!node.parent) {
        return reopenRoot(base) == Opened::Ready ? Opened::Ready : Opened::Lost;
    }
    ScanNode *target = &node;
    for (auto step = chain.rbegin();; ++step) {
        ScanNode &folder = step == chain.rend() ? *target : **step;
        if (interrupted()) {
            release(base);
            return Opened::Interrupted;
        }
        bool noDescriptor = false;
        const int fd = openAt(base.fd, folder.name.c_str(), SubfolderFlags, noDescriptor);
        if (fd < 0 && noDescriptor && m_openFds.load() > 1) {
            release(base);
            return Opened::Retry;
        }
        struct stat st;
        const bool ok = fd >= 0 && fstat(fd, &st) == 0;
        const bool first = !folder.opened;
        const bool same =
            ok && (first || (st.st_dev == folder.device && st.st_ino == folder.inode));
        const bool pseudo = ok && first && st.st_dev != folder.parent->device &&
                            isKernelPseudoFilesystem(fd, st.st_dev);
        const std::lock_guard lock(m_lock);
        if (!same || pseudo) {
            if (fd >= 0)
                closeFd(fd);
            if (!same && &folder != target && !noDescriptor)
                folder.lost = true; // moved or gone: what is left below it counts 0
            releaseLocked(base);
            return Opened::Lost;
        }
        if (first) {
            folder.opened = true;
            folder.device = st.st_dev;
            folder.inode = st.st_ino;
        }
        releaseLocked(base);
        if (folder.fd >= 0) { // opened again meanwhile by another worker
            closeFd(fd);
            base = {&folder, folder.fd};
        } else {
            hold(folder, fd);
            base = {&folder, fd};
        }
        ++folder.pins;
        if (&folder == target)
            return Opened::Ready;
    }
}

// Opens the root again by the path the caller named, as the same folder it was.
ParallelScan::Opened ParallelScan::reopenRoot(Base &base)
{
    ScanNode *root = nullptr;
    {
        const std::lock_guard lock(m_lock);
        for (root = m_live; root->parent; root = root->parent) {
        }
    }
    bool noDescriptor = false;
    const int fd = openAt(AT_FDCWD, m_rootPath.c_str(), ParentFlags, noDescriptor);
    if (fd < 0)
        return noDescriptor && m_openFds.load() > 0 ? Opened::Retry : Opened::Lost;
    const bool same = sameFolder(fd, *root);
    const std::lock_guard lock(m_lock);
    if (!same) {
        closeFd(fd);
        root->lost = true;
        return Opened::Lost;
    }
    if (root->fd >= 0) {
        closeFd(fd);
    } else {
        hold(*root, fd);
    }
    ++root->pins;
    base = {root, root->fd};
    return Opened::Ready;
}

// openat that, when the process has no descriptor left, gives up one this scan keeps
// between uses and tries again; noDescriptor tells that none could be given up.
int ParallelScan::openAt(int dirFd, const char *name, int flags, bool &noDescriptor)
{
    for (;;) {
        const int fd = openat(dirFd, name, flags);
        if (fd >= 0) {
            m_openFds.fetch_add(1);
            return fd;
        }
        if (errno != EMFILE && errno != ENFILE)
            return -1;
        const std::lock_guard lock(m_lock);
        if (!evictOneLocked()) {
            noDescriptor = true;
            return -1;
        }
    }
}

bool ParallelScan::sameFolder(int fd, const ScanNode &node) const
{
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == node.device && st.st_ino == node.inode;
}

void ParallelScan::release(const Base &base)
{
    const std::lock_guard lock(m_lock);
    releaseLocked(base);
}

void ParallelScan::releaseLocked(const Base &base)
{
    if (base.owner) {
        --base.owner->pins;
        settleLocked(*base.owner);
    } else if (base.fd >= 0) {
        closeFd(base.fd);
    }
}

void ParallelScan::hold(ScanNode &node, int fd)
{
    node.fd = fd;
    m_holders.push_back(&node);
}

// After the folder's own read: its subfolders wait on the stack, and the folder is done once
// they are. A discarded read (the folder moved away during a pause) counts 0.
void ParallelScan::finishRead(ScanNode &node, bool discard)
{
    std::vector<std::unique_ptr<ScanNode>> subfolders;
    if (discard) {
        node.ownFiles = SizeAmount();
    } else {
        for (std::size_t at = 0; at < node.subfolderNames.size();) {
            auto subfolder = std::make_unique<ScanNode>();
            subfolder->name = node.subfolderNames.c_str() + at;
            at += subfolder->name.size() + 1;
            subfolder->parent = &node;
            subfolder->slot = subfolders.size();
            subfolder->depth = node.depth + 1;
            subfolders.push_back(std::move(subfolder));
        }
    }
    std::vector<SizeAmount> totals(subfolders.size());
    {
        const std::lock_guard lock(m_lock);
        m_stack.reserve(m_stack.size() + subfolders.size());
        std::string().swap(node.subfolderNames);
        if (node.fd >= 0 && node.pins > 0)
            --node.pins;
        node.subfolderTotals = std::move(totals);
        node.unfinished += subfolders.size();
        for (auto subfolder = subfolders.rbegin(); subfolder != subfolders.rend(); ++subfolder) {
            linkLocked(subfolder->get());
            m_stack.push_back(subfolder->release());
        }
        m_queued.store(m_stack.size());
        if (--node.unfinished == 0)
            completeLocked(&node);
        else
            settleLocked(node);
    }
    // Outside the scan's lock: a worker holds the pool's lock while it enters a scan.
    if (!subfolders.empty())
        m_pool.notifyWork();
}

void ParallelScan::linkLocked(ScanNode *node)
{
    node->nextLive = m_live;
    if (m_live)
        m_live->previousLive = node;
    m_live = node;
}

// A folder whose own read and every subfolder are done: its total goes to its parent, which
// may be done by it in turn.
void ParallelScan::completeLocked(ScanNode *node)
{
    while (node) {
        SizeAmount total = node->ownFiles;
        for (const SizeAmount &subfolder : node->subfolderTotals)
            total.tryAdd(subfolder);
        ScanNode *const parent = node->parent;
        if (parent && parent->fd < 0 && !parent->lost && node->fd >= 0)
            adoptParentLocked(*node);
        if (node->fd >= 0)
            closeHeldLocked(*node);
        (node->previousLive ? node->previousLive->nextLive : m_live) = node->nextLive;
        if (node->nextLive)
            node->nextLive->previousLive = node->previousLive;
        const std::size_t slot = node->slot;
        delete node;
        if (!parent) {
            m_total = total;
            m_done = true;
            m_changed.notify_all();
            return;
        }
        parent->subfolderTotals[slot] = total;
        if (--parent->unfinished != 0) {
            settleLocked(*parent);
            return;
        }
        node = parent;
    }
}

// The parent of a finished folder gave up its descriptor: it is opened again through "..",
// and kept only if it is still the same folder. So a walk that had to give up the
// descriptors of its shallow folders gets them back one level at a time on its way up.
void ParallelScan::adoptParentLocked(ScanNode &child)
{
    if (interrupted())
        return;
    const int fd = openat(child.fd, "..", ParentFlags);
    if (fd < 0)
        return;
    m_openFds.fetch_add(1);
    if (sameFolder(fd, *child.parent)) {
        hold(*child.parent, fd);
        evictOverBudgetLocked();
    } else {
        closeFd(fd);
    }
}

// Once nobody uses a folder's descriptor it stays open for the subfolders still to be opened
// through it and for the way back up, while the scan runs and within the budget.
void ParallelScan::settleLocked(ScanNode &node)
{
    if (node.fd < 0 || node.pins > 0)
        return;
    if (interrupted())
        closeHeldLocked(node);
    else
        evictOverBudgetLocked();
}

void ParallelScan::evictOverBudgetLocked()
{
    while (m_holders.size() > m_budget && evictOneLocked()) {
    }
}

// Closes the descriptor of the shallowest folder nobody uses: the walk works at the deep end.
bool ParallelScan::evictOneLocked()
{
    ScanNode *shallowest = nullptr;
    for (ScanNode *node : m_holders)
        if (node->pins == 0 && (!shallowest || node->depth < shallowest->depth))
            shallowest = node;
    if (!shallowest)
        return false;
    closeHeldLocked(*shallowest);
    return true;
}

void ParallelScan::closeHeldLocked(ScanNode &node)
{
    closeFd(node.fd);
    node.fd = -1;
    m_holders.erase(std::find(m_holders.begin(), m_holders.end(), &node));
}

void ParallelScan::closeIdleLocked()
{
    for (std::size_t i = m_holders.size(); i-- > 0;)
        if (m_holders[i]->pins == 0)
            closeHeldLocked(*m_holders[i]);
}

void ParallelScan::closeFd(int fd)
{
    close(fd);
    m_openFds.fetch_sub(1);
}
