#pragma once

#include "foldersize/foldersize.h"
#include "foldersize/scannode.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

// One size scan, spread over the workers of the scan pool while the calling thread waits and
// calls the yield. Folders wait on one stack, newest first, so the walk goes depth first and
// the waiting folders stay few. A folder keeps its descriptor while subfolders still have to
// be opened through it, within a budget per scan; a folder whose descriptor was given up is
// opened again from the nearest ancestor that still has one, checking at every level that it
// is the same folder as before.
//
// A scan started from the yield pauses the scan of that yield: its workers stop where they
// are, note how far they read, close every descriptor of it and take the new scan's work.
// The paused scan goes on where it stopped once the new one returns.
//
// The per-entry loop lives in the reader-specific subclass, so reading a directory costs no
// virtual call per entry.
class ScanPool;

class ParallelScan {
public:
    ParallelScan(std::string rootPath, const FolderSizeYield &yield);
    virtual ~ParallelScan();
    ParallelScan(const ParallelScan &) = delete;
    ParallelScan &operator=(const ParallelScan &) = delete;

    // The total below the open folder rootFd, which the scan owns; {} when the yield said
    // Stop. Runs on the calling thread, which only waits and calls the yield.
    SizeAmount run(int rootFd, const struct stat &rootStat);

    // The pool's side.
    bool hasWork() const;
    void enterWorker();
    void work(char *buffer, std::size_t size);
    void leaveWorker();

protected:
    enum class ReadEnd { Finished, Interrupted };
    // Reads the folder open as fd to its end, or until the scan is interrupted, adding its
    // files to node.ownFiles and its subfolder names to node.subfolderNames; goes on where
    // an earlier interrupted read of the same folder stopped.
    virtual ReadEnd readFolder(ScanNode &node, int fd, char *buffer, std::size_t size) = 0;

    bool interrupted() const { return m_interrupt.load(std::memory_order_relaxed); }
    static void countEntry(ScanNode &node, int fd, const char *name, unsigned char type);

private:
    enum class Opened { Ready, Lost, Retry, Interrupted };
    struct Base {
        ScanNode *owner = nullptr; // null for a descriptor no node holds
        int fd = -1;
    };
    // A folder a worker took from the stack, with what it needs to open it: the nearest
    // ancestor whose descriptor is open (pinned for it) and the ancestors to open again on
    // the way, deepest first. While the folder is read its descriptor is the worker's own;
    // the scan holds it only once subfolders are to be opened through it.
    struct Claim {
        ScanNode *node = nullptr;
        Base base;
        std::vector<ScanNode *> chain;
        bool lost = false;       // an ancestor moved away: the folder counts 0
        bool nodePinned = false; // node.fd is held by the scan and pinned for this read
        int fd = -1;             // the worker's own descriptor of node
    };

    // The scan's lock, for everything but the calling thread's waits.
    class ScanLock {
    public:
        explicit ScanLock(ParallelScan &scan);
        ~ScanLock();
        ScanLock(const ScanLock &) = delete;
        ScanLock &operator=(const ScanLock &) = delete;

    private:
        ParallelScan &m_scan;
    };

    struct Nesting {
        explicit Nesting(ParallelScan *scan);
        ~Nesting();
        ParallelScan *const outer;
    };

    bool waitCallingYield();
    ScanControl askYield() const;
    void pause();
    void proceed();
    void finish();

    void claimLocked(Claim &claim) noexcept;
    void process(Claim &claim, char *buffer, std::size_t size);
    Opened openFolder(Claim &claim);
    Opened openChain(Claim &claim);
    void requeue(Claim &claim, bool retry);
    Opened reopenRoot(Base &base);
    int openAt(int dirFd, const char *name, bool &noDescriptor);
    template<class Open> int openRetrying(const Open &openOnce, bool &noDescriptor);
    bool sameFolder(int fd, const ScanNode &node) const;
    static void identify(ScanNode &node, int fd);
    void releaseLocked(const Base &base);
    void hold(ScanNode &node, int fd);
    void finishRead(Claim &claim, bool discard);

    void linkLocked(ScanNode *node);
    void completeLocked(ScanNode *node);
    void adoptParentLocked(ScanNode &child);
    void settleLocked(ScanNode &node);
    void evictOverBudgetLocked();
    bool evictOneLocked();
    void closeHeldLocked(ScanNode &node);
    void closeIdleLocked();
    void closeFd(int fd);
    void closeNow(int fd);
    bool othersHoldDescriptors(int own) const;
    void updateInterrupt();

    ScanPool &m_pool;
    const std::string m_rootPath;
    const FolderSizeYield &m_yield;
    const std::size_t m_budget; // descriptors kept between uses, for the whole scan

    std::mutex m_lock;
    std::condition_variable m_changed; // the calling thread waits on it
    std::vector<ScanNode *> m_stack;
    std::vector<ScanNode *> m_holders; // nodes whose fd is open
    ScanNode *m_live = nullptr;
    int m_workersInside = 0;
    bool m_done = false;
    SizeAmount m_total;

    std::atomic<std::size_t> m_queued{0};
    std::atomic<int> m_openFds{0};     // open, or about to be opened
    std::atomic<unsigned> m_closes{0}; // descriptors closed so far
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_interrupt{false};
};

// Adds a file's length or keeps a subfolder's name. An entry whose type the file system does
// not report is asked for with fstatat, which also tells a folder from a file.
inline void ParallelScan::countEntry(ScanNode &node, int fd, const char *name, unsigned char type)
{
    if (type == DT_DIR) {
        node.subfolderNames.append(name, std::strlen(name) + 1);
        return;
    }
    if (type != DT_REG && type != DT_UNKNOWN)
        return; // links, devices, pipes and sockets occupy no file data
    struct stat st;
    if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return; // vanished or unreadable: counts 0
    if (S_ISREG(st.st_mode))
        node.ownFiles.tryAddBytes(st.st_size);
    else if (S_ISDIR(st.st_mode))
        node.subfolderNames.append(name, std::strlen(name) + 1);
}
