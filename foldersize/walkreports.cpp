// What the caller hears of a walk: totals, folders given up, and the end.

#include "foldersize/sizememory.h"
#include "foldersize/stalledfolders.h"
#include "foldersize/walk.h"

#include <utility>

namespace {

thread_local const Walk *t_delivering = nullptr; // the walk whose callback runs on this thread

} // namespace

bool Walk::deliveringHere() const
{
    return t_delivering == this;
}

void Walk::watch(std::int64_t nowMs)
{
    if (m_stopped.load())
        return;
    bool gaveUp = false;
    std::size_t walkedAgain = 0;
    {
        const ScanLock lock(m_budget);
        for (Claim *claim = m_active; claim; claim = claim->nextActive) {
            const std::uint64_t look = claim->calls->look();
            if (!claim->node || !KernelCalls::underWay(look) || (look & KernelCalls::GivenUp)) {
                claim->watchedCall = 0;
                continue;
            }
            if (look != claim->watchedCall) {
                claim->watchedCall = look;
                claim->watchedSinceMs = nowMs;
                claim->stallNoted = false;
                continue;
            }
            const std::int64_t waited = nowMs - claim->watchedSinceMs;
            if (waited >= StalledFolders::StalledAfterMs && !claim->stallNoted)
                noteStallLocked(*claim, look);
            if (m_stallBoundMs > 0 && waited >= m_stallBoundMs && claim->calls->giveUp(look)) {
                noteStallLocked(*claim, look);
                giveUpLocked(*claim);
                gaveUp = true;
            }
        }
        walkedAgain = std::exchange(m_walkedAgain, 0);
    }
    if (walkedAgain > 0)
        m_pool.notifyWork(walkedAgain);
    if (gaveUp)
        deliver();
}

// Later scans give up the folder at once while this call waits (StalledFolders).
void Walk::noteStallLocked(Claim &claim, std::uint64_t look)
{
    if (claim.stallNoted)
        return;
    try {
        StalledFolders::instance().add(*claim.calls, look, pathOf(*claim.node));
        claim.stallNoted = true;
    } catch (...) {
        // no memory to note it: later scans wait on it as this one does
    }
}

// The folder of a call that has not returned within the bound counts 0, as unreadable, and
// the walk goes on without it. Its worker keeps the claim until the call returns.
void Walk::giveUpLocked(Claim &claim)
{
    ScanNode &node = *claim.node;
    try {
        m_stalls.push_back(pathOf(node));
    } catch (...) {
        // no memory to name it: it still counts 0
    }
    node.ownFiles = SizeAmount();
    node.unreadable += 1;
    // Subfolders are known only once the read ends: the read is all that is left of it.
    if (--node.unfinished == 0)
        completeLocked(&node, nullptr);
}

std::string Walk::pathOf(const ScanNode &node) const
{
    if (!node.parent) {
        std::string path = node.name;
        if (path.size() > 1)
            path.pop_back(); // the separator the walk added
        return path;
    }
    std::string path = node.name;
    for (const ScanNode *up = node.parent; up; up = up->parent)
        path = up->name + (up->parent ? "/" : "") + path;
    return path;
}

// Hands what the walk found to the caller, in the order found, then Finished after the last
// folder. Callbacks run one at a time under the callback lock, never under the scan's lock.
void Walk::deliver()
{
    const std::lock_guard callbacks(m_callbackLock);
    if (m_callbacksOff)
        return;
    std::vector<std::string> stalls;
    std::vector<std::pair<std::size_t, FolderTotal>> reports;
    reports.reserve(m_reports.capacity()); // the walk's own keeps its room for every folder
    std::vector<std::pair<std::size_t, FolderKey>> toBuild;
    bool finished = false;
    {
        const ScanLock lock(m_budget);
        stalls.swap(m_stalls);
        reports.assign(m_reports.begin(), m_reports.end());
        m_reports.clear();
        if (m_foldersLeft == 0 && !m_finishTaken) {
            finished = m_finishTaken = true;
            toBuild.swap(m_toBuild);
        }
    }
    const Walk *const outer = t_delivering;
    t_delivering = this;
    // A callback that throws is skipped like any failing step of the scanner.
    const auto call = [](const auto &callback, const auto &...arguments) {
        try {
            if (callback)
                callback(arguments...);
        } catch (...) {
        }
    };
    for (const std::string &path : stalls)
        if (!m_callbacksOff)
            call(m_callbacks.stalled, path);
    for (const auto &[index, total] : reports)
        if (!m_callbacksOff)
            call(m_callbacks.report, index, total);
    if (finished && !m_callbacksOff) {
        m_pool.remove(this);
        m_budget.retire();
        m_foreground.end();
        handOverToBuild(toBuild); // before the caller hears the walk is over
        call(m_callbacks.finished);
    }
    t_delivering = outer;
}

// The named folders the memory did not hold, by the paths the walk opened them by; a folder
// named by a relative path is left out, as the builder's working folder is not the caller's.
void Walk::handOverToBuild(const std::vector<std::pair<std::size_t, FolderKey>> &folders)
{
    if (folders.empty())
        return;
    try {
        std::vector<SizeMemoryBuilder::Folder> build;
        build.reserve(folders.size());
        for (const auto &[slot, key] : folders)
            if (m_named[slot].starts_with('/'))
                build.push_back({m_named[slot], key});
        m_memory->buildLater(std::move(build));
    } catch (...) {
        // no memory to hand them over: they are simply walked again next time
    }
}
