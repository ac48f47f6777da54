// The walk itself: a folder is claimed, opened, read, and its subfolders wait their turn.

#include "foldersize/walk.h"

#include "foldersize/folderidentity.h"
#include "foldersize/folderread.h"
#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "foldersize/stalledfolders.h"
#include "posix/pathtext.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace {

constexpr std::size_t HeldDescriptorsPerWorker = 4;

// A worker that found no descriptor free while others hold some waits a moment for them; the
// jitter keeps workers from retrying in step.
void backOff()
{
    thread_local std::minstd_rand random{std::random_device{}()};
    std::this_thread::sleep_for(std::chrono::microseconds(100 + random() % 400));
}

} // namespace

std::shared_ptr<Walk> Walk::start(const std::vector<std::string> &folders,
                                  std::shared_ptr<ScanSystem> system, Callbacks callbacks,
                                  std::chrono::milliseconds stallBound, bool allocated,
                                  std::shared_ptr<SizeMemory> memory)
{
    auto walk = std::make_shared<Walk>(folders, std::move(system), std::move(callbacks), stallBound,
                                       allocated, std::move(memory));
    if (folders.empty())
        walk->deliver(); // nothing to walk: finished at once
    else
        walk->m_pool.add(walk);
    return walk;
}

Walk::Walk(const std::vector<std::string> &folders, std::shared_ptr<ScanSystem> system,
           Callbacks callbacks, std::chrono::milliseconds stallBound, bool allocated,
           std::shared_ptr<SizeMemory> memory)
    : m_system(system ? std::move(system) : ScanSystem::real()), m_pool(ScanPool::instance()),
      m_budget(HeldDescriptorsPerWorker * std::size_t(std::max(1, m_pool.threadCount()))),
      m_opener(m_budget, *m_system, m_stopped), m_callbacks(std::move(callbacks)),
      m_stallBoundMs(stallBound.count()),
      m_allocated(allocated ? std::make_unique<AllocatedCount>(folders.size()) : nullptr),
      // Totals remembered are file lengths: a walk counting space on disk neither takes nor
      // gives any.
      m_memory(allocated ? nullptr : std::move(memory)),
      m_remember(m_memory && m_memory->remembers())
{
    m_reports.reserve(folders.size());
    m_stack.reserve(folders.size());
    if (m_remember) {
        m_held.reserve(folders.size());
        m_toBuild.reserve(folders.size());
        for (const std::string &folder : folders)
            m_named.push_back(AddBackslash(folder));
    }
    const ScanLock lock(m_budget);
    for (std::size_t index = folders.size(); index-- > 0;) {
        auto *node = new ScanNode;
        node->name = AddBackslash(folders[index]);
        node->slot = index;
        linkLocked(node);
        m_stack.push_back(node);
    }
    m_foldersLeft = folders.size();
    m_queued.store(m_stack.size());
}

// The last owner: no worker is inside any more.
Walk::~Walk()
{
    m_budget.retire();
    m_budget.closeAllLocked();
    while (m_live) {
        ScanNode *node = m_live;
        m_live = node->nextLive;
        delete node;
    }
}

void Walk::stop()
{
    m_stopped.store(true);
    m_foreground.end();
    if (!deliveringHere()) {
        const std::lock_guard callbacks(m_callbackLock);
        m_callbacksOff = true;
    } else {
        m_callbacksOff = true; // its own callback holds the lock
    }
    m_pool.remove(this);
    m_budget.retire();
    // The descriptors nobody uses are closed by the last worker to leave, or with the walk.
    // The named folders summed before the stop are as worth remembering as any.
    std::vector<std::pair<std::size_t, FolderKey>> summed;
    {
        const ScanLock lock(m_budget);
        summed.swap(m_toBuild);
    }
    handOverToBuild(summed);
}

bool Walk::hasWork() const
{
    return !m_stopped.load(std::memory_order_relaxed) && m_queued.load() > 0;
}

void Walk::work(char *buffer, std::size_t size)
{
    // Every change made before the scan began is taken in before its first folder is looked
    // up; the other workers wait here meanwhile.
    if (m_remember)
        std::call_once(m_caughtUp, [this] { m_memory->catchUp(); });
    Claim claim;
    claim.calls = &KernelCalls::current();
    claim.allocated = m_allocated.get();
    claim.memory = m_remember ? m_memory.get() : nullptr;
    {
        const ScanLock lock(m_budget);
        claim.nextActive = m_active;
        if (m_active)
            m_active->previousActive = &claim;
        m_active = &claim;
        claimLocked(claim);
    }
    while (claim.node)
        process(claim, buffer, size);
    const ScanLock lock(m_budget);
    if (m_stopped.load())
        closeIdleLocked();
    (claim.previousActive ? claim.previousActive->nextActive : m_active) = claim.nextActive;
    if (claim.nextActive)
        claim.nextActive->previousActive = claim.previousActive;
}

// Takes the newest waiting folder, if the walk goes on and one waits, and pins the nearest
// open ancestor for it. Never throws: the folder it took would be lost from the walk.
void Walk::claimLocked(Claim &claim) noexcept
{
    static_cast<ClaimedFolder &>(claim) = {};
    claim.chain.clear();
    claim.subfolderNames.clear();
    if (m_stopped.load() || m_stack.empty())
        return;
    ScanNode *node = m_stack.back();
    m_stack.pop_back();
    m_queued.store(m_stack.size());
    claim.node = node;
    ++node->claims;
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

// A folder at or below one whose call has not returned for long is given up at once, as the
// watcher gives up a call past the bound, without a worker waiting on it.
bool Walk::refuseStalled(Claim &claim)
{
    {
        const ScanLock lock(m_budget);
        if (!StalledFolders::instance().holds(pathOf(*claim.node)))
            return false;
        giveUpLocked(claim);
    }
    letGo(claim, true);
    deliver();
    return true;
}

// Opens, reads and settles one folder, and claims the next.
void Walk::process(Claim &claim, char *buffer, std::size_t size)
{
    try {
        if (!StalledFolders::instance().empty() && refuseStalled(claim))
            return;
    } catch (...) {
        // no memory to name it: opened as any other
    }
    Opened opened;
    try {
        opened = claim.lost ? Opened::Lost : m_opener.open(claim);
        if (opened == Opened::Ready && claim.memory)
            opened = recall(claim);
        if (opened == Opened::Ready && !claim.remembered) {
            switch (readFolder(*m_system, claim, claim.fd, buffer, size, m_stopped)) {
            case ReadEnd::Finished:
                break;
            case ReadEnd::Failed:
                claim.unreadable = true;
                break;
            case ReadEnd::Stopped:
                opened = Opened::Stopped;
                break;
            case ReadEnd::GivenUp:
                opened = Opened::GivenUp;
                break;
            }
        }
    } catch (...) {
        opened = Opened::Lost; // no memory for the names: the folder counts 0
    }
    switch (opened) {
    case Opened::Retry:
        requeue(claim);
        return;
    case Opened::Stopped:
        letGo(claim, false);
        return;
    case Opened::GivenUp:
        letGo(claim, true);
        return;
    case Opened::Ready:
    case Opened::Lost:
        break;
    }
    try {
        finishRead(claim, opened == Opened::Lost);
    } catch (...) {
        finishRead(claim, true); // no memory for the subfolders: they count 0
    }
}

// Takes the open folder's total from the memory if it is remembered. The walk watches
// nothing itself (a watch costs about what reading the folder does): a named folder not
// remembered is built by the memory once the walk is over, if its file system shows every
// change. The folder's identity comes from what the kernel knows already; whether its file
// system can be trusted may ask the file system, as a call the watcher may give up.
Opened Walk::recall(Claim &claim)
{
    FolderKey key;
    if (!folderIdentity(claim.fd, key.device, key.inode))
        return Opened::Ready;
    if (const std::optional<std::int64_t> total = m_memory->lookup(key, FolderTicket())) {
        claim.ownFiles = SizeAmount::fromBytes(*total);
        claim.remembered = true;
        return Opened::Ready;
    }
    if (claim.node->parent)
        return Opened::Ready;
    const std::uint64_t call = claim.calls->begin();
    claim.buildLater = m_memory->showsEveryChange(claim.fd, key.device);
    return claim.calls->end(call) ? Opened::Ready : Opened::GivenUp;
}

// A folder that found no descriptor free waits again; the next claim comes after a moment.
void Walk::requeue(Claim &claim)
{
    {
        const ScanLock lock(m_budget);
        releaseBaseLocked(claim);
        --claim.node->claims;
        if (!m_stopped.load()) { // a stopped walk frees its waiting folders itself
            m_stack.push_back(claim.node);
            m_queued.store(m_stack.size());
        }
        claim.node = nullptr;
    }
    backOff();
    const ScanLock lock(m_budget);
    claimLocked(claim);
}

// After a stop or a call given up: the claim is let go without counting anything (a folder
// given up was counted by the watcher).
void Walk::letGo(Claim &claim, bool claimNext)
{
    if (claim.fd >= 0)
        m_budget.closeFd(claim.fd);
    claim.fd = -1;
    const ScanLock lock(m_budget);
    releaseBaseLocked(claim);
    ScanNode &node = *claim.node;
    claim.node = nullptr;
    --node.claims;
    disposeIfUnusedLocked(node);
    if (claimNext)
        claimLocked(claim);
}

// After the folder's own read: its subfolders wait on the stack, and the folder is done once
// they are; the worker claims its next folder under the same lock. A discarded read counts 0.
void Walk::finishRead(Claim &claim, bool discard)
{
    ScanNode &node = *claim.node;
    std::vector<std::unique_ptr<ScanNode>> subfolders;
    if (discard) {
        if (claim.fd >= 0)
            m_budget.closeFd(claim.fd);
        claim.fd = -1;
        claim.ownFiles = SizeAmount();
    } else {
        for (std::size_t at = 0; at < claim.subfolderNames.size();) {
            auto subfolder = std::make_unique<ScanNode>();
            subfolder->name = claim.subfolderNames.c_str() + at;
            at += subfolder->name.size() + 1;
            subfolder->parent = &node;
            subfolder->slot = subfolders.size();
            subfolder->depth = node.depth + 1;
            subfolders.push_back(std::move(subfolder));
        }
    }
    std::vector<SizeAmount> totals(subfolders.size());
    std::size_t added = subfolders.size();
    Adoption adoption;
    bool news;
    {
        const ScanLock lock(m_budget);
        m_stack.reserve(m_stack.size() + subfolders.size());
        releaseBaseLocked(claim);
        if (claim.fd >= 0)
            m_budget.holdLocked(node, claim.fd);
        claim.fd = -1;
        node.ownFiles = claim.ownFiles;
        node.ownFiles.tryAdd(claim.ownBlocks);
        node.unreadable += claim.unreadable ? 1 : 0;
        node.buildLater = claim.buildLater;
        node.uncertain = node.uncertain || claim.linkedFile || discard;
        node.tookRemembered = claim.remembered;
        m_runAgain = m_runAgain || claim.runAgain;
        node.subfolderTotals = std::move(totals);
        node.unfinished += subfolders.size();
        for (auto subfolder = subfolders.rbegin(); subfolder != subfolders.rend(); ++subfolder) {
            linkLocked(subfolder->get());
            m_stack.push_back(subfolder->release());
        }
        m_queued.store(m_stack.size());
        claim.node = nullptr;
        --node.claims;
        if (--node.unfinished == 0)
            completeLocked(&node, &adoption);
        else
            settleLocked(node);
        news = !m_reports.empty() || (m_foldersLeft == 0 && !m_finishTaken);
        if (!adoption.parent)
            claimLocked(claim);
        added += std::exchange(m_walkedAgain, 0);
    }
    if (adoption.parent) {
        adopt(adoption, *claim.calls);
        const ScanLock lock(m_budget);
        claimLocked(claim);
    }
    // Outside the scan's lock: a worker holds the pool's lock while it looks for work. This
    // worker goes on with one of the new folders itself.
    if (added > 1)
        m_pool.notifyWork(added - 1);
    if (news)
        deliver();
}
