// A folder's total on its way up, and the life of its node and descriptor.

#include "foldersize/folderidentity.h"
#include "foldersize/sizememory.h"
#include "foldersize/walk.h"

// The parent of a finished folder gave up its descriptor: it is opened again through "..",
// and kept only if it is still the same folder. So a walk that had to give up the
// descriptors of its shallow folders gets them back one level at a time on its way up.
void Walk::adopt(const Adoption &adoption, KernelCalls &calls)
{
    ScanNode &parent = *adoption.parent;
    const int fd = m_opener.openParent(adoption.childFd, calls);
    m_budget.closeFd(adoption.childFd);
    const bool same = fd >= 0 && sameFolder(fd, parent);
    const ScanLock lock(m_budget);
    if (same && parent.fd < 0 && !parent.completed && !m_stopped.load())
        m_budget.holdLocked(parent, fd);
    else if (fd >= 0)
        m_budget.closeFd(fd);
    --parent.pins;
    settleLocked(parent);
}

void Walk::linkLocked(ScanNode *node)
{
    node->nextLive = m_live;
    if (m_live)
        m_live->previousLive = node;
    m_live = node;
}

// A folder whose own read and every subfolder are done: its total goes to its parent, which
// may be done by it in turn. adoption, where given, receives the one parent worth opening
// again: the first that is not done by it.
void Walk::completeLocked(ScanNode *node, Adoption *adoption)
{
    while (node) {
        SizeAmount total = node->ownFiles;
        bool skipped = false;
        for (const SizeAmount &subfolder : node->subfolderTotals)
            skipped = !total.tryAdd(subfolder) || skipped;
        const std::uint64_t unreadable = node->unreadable;
        const bool certain = !node->uncertain && !skipped && unreadable == 0;
        ScanNode *const parent = node->parent;
        if (!parent)
            namedFolderDoneLocked(*node, FolderTotal{total, unreadable});
        const bool tookRemembered = node->tookRemembered;
        const std::size_t slot = node->slot;
        node->completed = true;
        if (adoption && !adoption->parent && parent && parent->unfinished > 1 && parent->fd < 0 &&
            !parent->lost && node->fd >= 0 && node->pins == 0 && !m_stopped.load()) {
            adoption->parent = parent;
            adoption->childFd = m_budget.takeHeldLocked(*node);
            ++parent->pins;
        }
        settleLocked(*node); // may free it
        if (!parent)
            return;
        parent->subfolderTotals[slot] = total;
        parent->unreadable += unreadable;
        parent->uncertain = parent->uncertain || !certain;
        parent->tookRemembered = parent->tookRemembered || tookRemembered;
        if (--parent->unfinished != 0) {
            settleLocked(*parent);
            return;
        }
        node = parent;
    }
}

// A named folder's total is reported at once unless it relied on remembered totals. Those wait
// for the end of the walk, and are walked once more if the walk met a file with two names
// that changed since the memory last trusted its totals (the memory has then forgotten them);
// what the second walk finds is reported, whatever it meets.
void Walk::namedFolderDoneLocked(const ScanNode &node, const FolderTotal &total)
{
    const std::size_t slot = node.slot;
    // Room for every named folder was reserved: these never allocate.
    if (node.tookRemembered && !m_ranAgain)
        m_held.push_back({slot, total});
    else
        m_reports.push_back({slot, total});
    if (node.buildLater && node.identified && m_toBuild.size() < m_toBuild.capacity())
        m_toBuild.push_back({slot, FolderKey{node.device, node.inode}});
    if (--m_foldersLeft != 0)
        return;
    if (m_runAgain && !m_ranAgain && !m_stopped.load()) {
        m_ranAgain = true;
        try {
            for (const auto &[heldSlot, held] : m_held) {
                auto again = std::make_unique<ScanNode>();
                again->name = m_named[heldSlot];
                again->slot = heldSlot;
                m_stack.push_back(again.get());
                linkLocked(again.release());
                ++m_foldersLeft;
                ++m_walkedAgain;
            }
            m_queued.store(m_stack.size());
            m_held.clear();
            return;
        } catch (...) {
            // No memory for a second walk: the folders not queued again are reported as found.
            m_held.erase(m_held.begin(), m_held.begin() + std::ptrdiff_t(m_walkedAgain));
        }
    }
    m_reports.insert(m_reports.end(), m_held.begin(), m_held.end());
    m_held.clear();
}

void Walk::releaseBaseLocked(Claim &claim)
{
    if (claim.base.owner) {
        --claim.base.owner->pins;
        settleLocked(*claim.base.owner);
    } else if (claim.base.fd >= 0) {
        m_budget.closeFd(claim.base.fd);
    }
    claim.base = {};
}

// Once nobody uses a folder's descriptor it stays open for the subfolders still to be opened
// through it and for the way back up, while the walk runs and within the budget. A completed
// folder nobody uses any more goes.
void Walk::settleLocked(ScanNode &node)
{
    if (node.pins > 0)
        return;
    if (node.completed) {
        disposeIfUnusedLocked(node);
        return;
    }
    if (node.fd < 0)
        return;
    if (m_stopped.load())
        m_budget.closeHeldLocked(node);
    else
        m_budget.evictOverBudgetLocked();
}

void Walk::disposeIfUnusedLocked(ScanNode &node)
{
    if (!node.completed || node.pins > 0 || node.claims > 0)
        return;
    if (node.fd >= 0)
        m_budget.closeHeldLocked(node);
    (node.previousLive ? node.previousLive->nextLive : m_live) = node.nextLive;
    if (node.nextLive)
        node.nextLive->previousLive = node.previousLive;
    delete &node;
}

void Walk::closeIdleLocked()
{
    for (ScanNode *node = m_live; node; node = node->nextLive)
        if (node->fd >= 0 && node->pins == 0)
            m_budget.closeHeldLocked(*node);
}
