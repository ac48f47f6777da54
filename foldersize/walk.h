#pragma once

#include "foldersize/descriptorbudget.h"
#include "foldersize/folderopener.h"
#include "foldersize/folderread.h"
#include "foldersize/scannode.h"
#include "foldersize/scanpool.h"
#include "foldersize/scansystem.h"
#include "foldersize/sizememorybuilder.h"
#include "foldersize/sizescan.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One walk over all the folders a caller named, spread over the scan pool's workers. Folders
// wait on one stack, newest first, so the walk goes depth first and the waiting folders stay
// few. A folder's total goes to its parent as soon as its own read and every subfolder are
// done; a named folder's total is reported then, and Finished after the last one.
//
// The walk is owned jointly by its caller and the workers inside it: stop() only marks it, and
// each worker leaves at its next step, or when the call it is stuck in returns; the last one
// out closes what the walk still holds.
//
// A folder is claimed in claimLocked(), opened and read in process(), and its total is known
// in completeLocked(). With the size memory on, a folder opened is first looked up there
// (recall(), before it is read) and taken whole if it is remembered; the named folders it did
// not find there are handed to the memory to build once the walk is over. A named folder whose
// total relied on remembered ones is reported only once the walk is over: a file with two
// names met later may show that a remembered total was stale, and then those folders are
// walked once more. From its start until it finishes or is stopped the walk keeps the
// memory's builders waiting (ForegroundWalk).
class Walk final : public PoolWork {
public:
    struct Callbacks {
        SizeScan::Report report;
        SizeScan::Finished finished;
        std::function<void(const std::string &path)> stalled;
    };

    // Offers the walk to the pool and returns at once (or, with no worker to be had, once the
    // walk is done on the calling thread).
    static std::shared_ptr<Walk> start(const std::vector<std::string> &folders,
                                       std::shared_ptr<ScanSystem> system, Callbacks callbacks,
                                       std::chrono::milliseconds stallBound, bool allocated = false,
                                       std::shared_ptr<SizeMemory> memory = nullptr);
    // allocated: sizes as space on disk (SizeScanOptions::allocated); such a walk neither takes
    // nor gives remembered totals, which are file lengths.
    Walk(const std::vector<std::string> &folders, std::shared_ptr<ScanSystem> system,
         Callbacks callbacks, std::chrono::milliseconds stallBound, bool allocated,
         std::shared_ptr<SizeMemory> memory);
    ~Walk() override;

    // Returns at once; afterwards no callback runs or is still running (unless stop() is
    // called from inside one, which then is the last).
    void stop();

    bool hasWork() const override;
    void work(char *buffer, std::size_t size) override;
    void watch(std::int64_t nowMs) override;

private:
    struct Adoption {
        ScanNode *parent = nullptr; // pinned
        int childFd = -1;
    };

    void claimLocked(Claim &claim) noexcept;
    void process(Claim &claim, char *buffer, std::size_t size);
    Opened recall(Claim &claim);
    void namedFolderDoneLocked(const ScanNode &node, const FolderTotal &total);
    void handOverToBuild(const std::vector<std::pair<std::size_t, FolderKey>> &folders);
    void requeue(Claim &claim);
    void letGo(Claim &claim, bool claimNext);
    void finishRead(Claim &claim, bool discard);
    void adopt(const Adoption &adoption, KernelCalls &calls);
    void completeLocked(ScanNode *node, Adoption *adoption);
    void releaseBaseLocked(Claim &claim);
    void settleLocked(ScanNode &node);
    void disposeIfUnusedLocked(ScanNode &node);
    void linkLocked(ScanNode *node);
    void giveUpLocked(Claim &claim);
    void noteStallLocked(Claim &claim, std::uint64_t look);
    bool refuseStalled(Claim &claim);
    std::string pathOf(const ScanNode &node) const;
    void deliver();
    bool deliveringHere() const;
    void closeIdleLocked();

    const std::shared_ptr<ScanSystem> m_system;
    ScanPool &m_pool;
    DescriptorBudget m_budget;
    FolderOpener m_opener;
    const Callbacks m_callbacks;
    const std::int64_t m_stallBoundMs;
    const std::unique_ptr<AllocatedCount> m_allocated; // null: file lengths
    const std::shared_ptr<SizeMemory> m_memory;
    const bool m_remember;
    std::once_flag m_caughtUp;
    ForegroundWalk m_foreground;
    std::vector<std::string> m_named; // the folders named, each ending in "/"

    // Guarded by the scan's lock (ScanLock over m_budget).
    std::vector<ScanNode *> m_stack;
    ScanNode *m_live = nullptr;
    Claim *m_active = nullptr;
    std::size_t m_foldersLeft = 0;
    std::vector<std::pair<std::size_t, FolderTotal>> m_reports; // not yet delivered
    // Named folders that took remembered totals, reported when the walk is over.
    std::vector<std::pair<std::size_t, FolderTotal>> m_held;
    // Named folders (slot, identity) for the memory to build once the walk is over.
    std::vector<std::pair<std::size_t, FolderKey>> m_toBuild;
    bool m_runAgain = false; // a file with two names changed since the memory trusted
    bool m_ranAgain = false;
    std::size_t m_walkedAgain = 0; // folders queued again, for the pool to hear of
    std::vector<std::string> m_stalls;
    bool m_finishTaken = false;

    std::mutex m_callbackLock; // held while a callback runs
    bool m_callbacksOff = false;

    std::atomic<std::size_t> m_queued{0};
    std::atomic<bool> m_stopped{false};
};
