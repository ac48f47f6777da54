#include "foldersize/parallelscan.h"

#include "foldersize/scanpool.h"
#include "foldersize/subfolderopen.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

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

// Descriptors given up while the scan's lock is held are closed once it is let go: closing a
// folder frees what the kernel kept for reading it, and the other workers need not wait for
// that.
thread_local bool t_insideScanLock = false;
thread_local std::vector<int> t_closing;
constexpr std::size_t DeferredClosesAtMost = 4;

// A worker waiting for the lock spins a moment before it sleeps: the lock is held for a few
// hundred instructions, and sleeping and waking costs more than that on every side.
constexpr int SpinsBeforeSleeping = 100;

void relaxCpu()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

} // namespace

ParallelScan::ScanLock::ScanLock(ParallelScan &scan) : m_scan(scan)
{
    bool locked = false;
    for (int spin = 0; spin < SpinsBeforeSleeping && !(locked = m_scan.m_lock.try_lock()); ++spin)
        relaxCpu();
    if (!locked)
        m_scan.m_lock.lock();
    t_insideScanLock = true;
}

ParallelScan::ScanLock::~ScanLock()
{
    t_insideScanLock = false;
    m_scan.m_lock.unlock();
    for (const int fd : t_closing)
        m_scan.closeNow(fd);
    t_closing.clear();
}

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
        const ScanLock lock(*this);
        ScanNode *root;
        try {
            root = new ScanNode;
        } catch (...) {
            close(rootFd);
            throw;
        }
        linkLocked(root);
        root->identified = true;
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
    const ScanLock lock(*this);
    closeIdleLocked();
}

void ParallelScan::proceed()
{
    m_paused.store(false);
    updateInterrupt();
    m_pool.notifyWork(std::size_t(m_pool.threadCount()));
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
    const ScanLock lock(*this);
    ++m_workersInside;
}

void ParallelScan::leaveWorker()
{
    if (interrupted()) {
        const ScanLock lock(*this);
        closeIdleLocked();
    } // every descriptor given up is closed before the scan may end
    const std::lock_guard lock(m_lock);
    if (--m_workersInside == 0)
        m_changed.notify_all();
}

void ParallelScan::work(char *buffer, std::size_t size)
{
    Claim claim;
    {
        const ScanLock lock(*this);
        claimLocked(claim);
    }
    while (claim.node)
        process(claim, buffer, size);
}

// Takes the newest waiting folder, if the scan goes on and one waits, and pins the nearest
// open ancestor for it. Never throws: the folder it took would be lost from the scan.
void ParallelScan::claimLocked(Claim &claim) noexcept
{
    claim.node = nullptr;
    claim.base = {};
    claim.chain.clear();
    claim.lost = false;
    claim.nodePinned = false;
    claim.fd = -1;
    if (interrupted() || m_stack.empty())
        return;
    ScanNode *node = m_stack.back();
    m_stack.pop_back();
    m_queued.store(m_stack.size());
    claim.node = node;
    if (node->fd >= 0) { // the root, handed over open
        ++node->pins;
        claim.nodePinned = true;
        return;
    }
    for (ScanNode *up = node->parent; up; up = up->parent) {
        if (up->lost) {
            claim.lost = true;
            return;
        }
        if (up->fd >= 0) {
            claim.base = {up, up->fd};
            ++up->pins;
            return;
        }
        try {
            claim.chain.push_back(up);
        } catch (...) {
            claim.lost = true; // no memory to find the way to it: it counts 0
            return;
        }
    }
}

// Opens, reads and settles one folder, and claims the next.
void ParallelScan::process(Claim &claim, char *buffer, std::size_t size)
{
    Opened opened;
    try {
        opened = claim.lost ? Opened::Lost : openFolder(claim);
    } catch (...) {
        opened = Opened::Lost;
    }
    if (opened == Opened::Ready) {
        const int fd = claim.fd >= 0 ? claim.fd : claim.node->fd;
        if (readFolder(*claim.node, fd, buffer, size) == ReadEnd::Interrupted)
            opened = Opened::Interrupted;
    }
    if (opened == Opened::Retry || opened == Opened::Interrupted) {
        requeue(claim, opened == Opened::Retry);
        return;
    }
    try {
        finishRead(claim, opened == Opened::Lost);
    } catch (...) {
        finishRead(claim, true); // no memory for the subfolders: they count 0
    }
}

// A folder whose read was interrupted, or that found no descriptor free, waits again; what it
// read so far stays with it. The next claim comes after a moment's wait when no descriptor was
// free.
void ParallelScan::requeue(Claim &claim, bool retry)
{
    if (claim.fd >= 0) {
        identify(*claim.node, claim.fd);
        closeFd(claim.fd);
    }
    claim.fd = -1;
    {
        const ScanLock lock(*this);
        releaseLocked(claim.base);
        claim.base = {};
        if (claim.nodePinned) {
            --claim.node->pins;
            settleLocked(*claim.node);
        }
        if (!m_stopped.load()) { // a stopped scan frees its waiting folders itself
            m_stack.push_back(claim.node);
            m_queued.store(m_stack.size());
        }
        claim.node = nullptr;
        if (!retry)
            return;
    }
    backOff();
    const ScanLock lock(*this);
    claimLocked(claim);
}

// Opens the claimed folder into claim.fd through its pinned parent, or by the longer way
// when the parent's descriptor was given up. A folder opened again after a pause must still
// be the folder it was.
ParallelScan::Opened ParallelScan::openFolder(Claim &claim)
{
    ScanNode &node = *claim.node;
    if (interrupted())
        return Opened::Interrupted;
    if (claim.nodePinned)
        return Opened::Ready;
    if (!claim.base.owner || !claim.chain.empty()) {
        const Opened ancestors = openChain(claim);
        if (ancestors != Opened::Ready || claim.nodePinned)
            return ancestors;
    }
    bool noDescriptor = false;
    const int fd = openAt(claim.base.fd, node.name.c_str(), noDescriptor);
    if (fd < 0 && noDescriptor && othersHoldDescriptors(1))
        return Opened::Retry;
    if (fd < 0)
        return Opened::Lost;
    // Only a folder read before and given up has an identity to keep, and it was taken
    // before its subfolders or its next read could be claimed.
    if (node.identified && !sameFolder(fd, node)) {
        closeFd(fd);
        return Opened::Lost;
    }
    claim.fd = fd;
    return Opened::Ready;
}

// Opens again, each as the same folder as before, the ancestors of the claimed folder whose
// descriptors were given up, starting from the nearest open one or from the root's path. On
// success claim.base holds the pinned parent (or, for the root itself, claim.nodePinned).
ParallelScan::Opened ParallelScan::openChain(Claim &claim)
{
    ScanNode &node = *claim.node;
    if (!node.parent) {
        if (reopenRoot(claim.base) != Opened::Ready)
            return Opened::Lost;
        claim.nodePinned = true; // the base is the root itself
        claim.base = {};
        return Opened::Ready;
    }
    if (!claim.base.owner) { // no ancestor is open: start again from the root
        claim.chain.pop_back();
        const Opened root = reopenRoot(claim.base);
        if (root != Opened::Ready)
            return root;
    }
    Base &base = claim.base;
    for (auto step = claim.chain.rbegin(); step != claim.chain.rend(); ++step) {
        ScanNode &folder = **step;
        if (interrupted())
            return Opened::Interrupted;
        bool noDescriptor = false;
        const int fd = openAt(base.fd, folder.name.c_str(), noDescriptor);
        if (fd < 0 && noDescriptor && othersHoldDescriptors(1))
            return Opened::Retry;
        const bool same = fd >= 0 && sameFolder(fd, folder);
        const ScanLock lock(*this);
        if (!same) {
            if (fd >= 0)
                closeFd(fd);
            if (!noDescriptor)
                folder.lost = true; // moved or gone: what is left below it counts 0
            return Opened::Lost;
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
    }
    return Opened::Ready;
}

// Opens the root again by the path the caller named, as the same folder it was.
ParallelScan::Opened ParallelScan::reopenRoot(Base &base)
{
    ScanNode *root = nullptr;
    {
        const ScanLock lock(*this);
        for (root = m_live; root->parent; root = root->parent) {
        }
    }
    bool noDescriptor = false;
    const int fd =
        openRetrying([this] { return open(m_rootPath.c_str(), ParentFlags); }, noDescriptor);
    if (fd < 0)
        return noDescriptor && othersHoldDescriptors(0) ? Opened::Retry : Opened::Lost;
    const bool same = sameFolder(fd, *root);
    const ScanLock lock(*this);
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

// Opens a subfolder; when the process has no descriptor left, gives up one this scan keeps
// between uses and tries again. noDescriptor tells that none could be given up.
int ParallelScan::openAt(int dirFd, const char *name, bool &noDescriptor)
{
    return openRetrying([dirFd, name] { return OpenSubfolder(dirFd, name); }, noDescriptor);
}

// A descriptor is counted from just before it is opened, so that a worker that found none
// free never misses one that another worker is opening. Where none could be given up, the open
// is tried again if any descriptor of the scan was closed since the last try.
template<class Open> int ParallelScan::openRetrying(const Open &openOnce, bool &noDescriptor)
{
    for (;;) {
        const unsigned closes = m_closes.load();
        m_openFds.fetch_add(1);
        const int fd = openOnce();
        if (fd >= 0)
            return fd;
        const int error = errno;
        m_openFds.fetch_sub(1);
        if (error != EMFILE && error != ENFILE)
            return -1;
        const ScanLock lock(*this);
        if (!evictOneLocked() && m_closes.load() == closes) {
            noDescriptor = true;
            return -1;
        }
    }
}

// Whether, with no descriptor to be had, other descriptors of the scan may still come free
// than the `own` this worker holds itself; otherwise waiting would be for ever.
bool ParallelScan::othersHoldDescriptors(int own) const
{
    return m_openFds.load() > own;
}

bool ParallelScan::sameFolder(int fd, const ScanNode &node) const
{
    struct stat st;
    return node.identified && fstat(fd, &st) == 0 && st.st_dev == node.device &&
           st.st_ino == node.inode;
}

// Notes which folder fd is before the scan gives it up with work below it still to do.
void ParallelScan::identify(ScanNode &node, int fd)
{
    struct stat st;
    if (node.identified || fstat(fd, &st) != 0)
        return; // a folder that cannot be told again is not opened again
    node.identified = true;
    node.device = st.st_dev;
    node.inode = st.st_ino;
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
// they are; the worker claims its next folder under the same lock. A discarded read (the
// folder moved away during a pause) counts 0.
void ParallelScan::finishRead(Claim &claim, bool discard)
{
    ScanNode &node = *claim.node;
    std::vector<std::unique_ptr<ScanNode>> subfolders;
    if (discard) {
        node.ownFiles = SizeAmount();
        if (claim.fd >= 0)
            closeFd(claim.fd);
        claim.fd = -1;
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
    const std::size_t added = subfolders.size();
    {
        const ScanLock lock(*this);
        m_stack.reserve(m_stack.size() + subfolders.size());
        releaseLocked(claim.base);
        claim.base = {}; // released once, even when this read is discarded after a throw
        std::string().swap(node.subfolderNames);
        if (claim.fd >= 0)
            hold(node, claim.fd);
        else if (claim.nodePinned)
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
        claimLocked(claim);
    }
    // Outside the scan's lock: a worker holds the pool's lock while it enters a scan. This
    // worker goes on with one of the new folders itself.
    if (added > 1)
        m_pool.notifyWork(added - 1);
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
    m_openFds.fetch_add(1);
    const int fd = openat(child.fd, "..", ParentFlags);
    if (fd < 0) {
        m_openFds.fetch_sub(1);
        return;
    }
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
    if (node.unfinished > 0)
        identify(node, node.fd);
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
    // A few at a time: finishing a deep folder can give up one descriptor per level.
    if (t_insideScanLock && t_closing.size() < DeferredClosesAtMost) {
        try {
            t_closing.push_back(fd);
            return;
        } catch (...) {
        }
    }
    closeNow(fd);
}

void ParallelScan::closeNow(int fd)
{
    close(fd);
    m_closes.fetch_add(1);
    m_openFds.fetch_sub(1);
}
