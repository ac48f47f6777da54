#pragma once

#include "foldersize/scannode.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <mutex>
#include <vector>

// The descriptors one scan holds between uses, and its share of the process's descriptors.
//
// A folder keeps its descriptor while subfolders still have to be opened through it, within
// a budget per scan; past the budget, or when the process has no descriptor left, the
// shallowest folder nobody uses gives its up (the walk works at the deep end). Every scan
// alive takes part: one that finds no descriptor free makes another scan give one up, and
// waits only while some scan still holds one that may come free.
//
// The budget's lock is the scan's lock; "Locked" functions require it held (ScanLock).
class DescriptorBudget {
public:
    explicit DescriptorBudget(std::size_t kept);
    ~DescriptorBudget();
    DescriptorBudget(const DescriptorBudget &) = delete;
    DescriptorBudget &operator=(const DescriptorBudget &) = delete;

    // Leaves the process-wide accounting: the scan is done or stopped, and what it still holds
    // is no longer worth waiting for.
    void retire();

    void holdLocked(ScanNode &node, int fd);
    // Closes a held descriptor, noting first which folder it is when work below it remains.
    void closeHeldLocked(ScanNode &node);
    // Takes a held descriptor back from its node, still counted: the caller closes it.
    int takeHeldLocked(ScanNode &node);
    void evictOverBudgetLocked();
    // Closes the held descriptor of the shallowest folder nobody uses; false when none.
    bool evictOneLocked();
    // Every held descriptor, for a scan that ends.
    void closeAllLocked();

    // Opens with openOnce, a descriptor counted from just before it is opened, so a worker
    // that found none free never misses one another worker is opening. When the process has
    // none left, makes a scan give one up and tries again; noDescriptor tells that none could
    // be given up.
    template<class Open> int openCounted(const Open &openOnce, bool &noDescriptor);
    // Counts a descriptor about to be opened without openCounted, and takes it back when the
    // open failed.
    void countOpening() { m_openFds.fetch_add(1); }
    void uncountOpening() { m_openFds.fetch_sub(1); }
    // Closes a descriptor of this scan; within the lock, once the lock is let go.
    void closeFd(int fd);
    // Whether descriptors of scans alive, beyond the `own` this worker holds itself, may still
    // come free; otherwise waiting for one would be for ever.
    bool othersHoldDescriptors(int own) const;

private:
    friend class ScanLock;
    void closeNow(int fd);
    bool makeOneFree();

    std::mutex m_lock;
    const std::size_t m_kept;
    std::vector<ScanNode *> m_holders; // nodes whose fd is open
    std::atomic<int> m_openFds{0};     // open, or about to be opened
    bool m_registered = false;         // guarded by the process-wide registry's lock
};

// The scan's lock. A worker waiting for it spins a moment before it sleeps: it is held for a
// few hundred instructions. Descriptors given up under it are closed once it is let go.
class ScanLock {
public:
    explicit ScanLock(DescriptorBudget &budget);
    ~ScanLock();
    ScanLock(const ScanLock &) = delete;
    ScanLock &operator=(const ScanLock &) = delete;

private:
    DescriptorBudget &m_budget;
};

// Descriptors closed by any scan so far.
unsigned scanDescriptorCloses();

template<class Open> int DescriptorBudget::openCounted(const Open &openOnce, bool &noDescriptor)
{
    for (;;) {
        const unsigned closes = scanDescriptorCloses();
        m_openFds.fetch_add(1);
        const int fd = openOnce();
        if (fd >= 0)
            return fd;
        const int error = errno;
        m_openFds.fetch_sub(1);
        if (error != EMFILE && error != ENFILE) {
            errno = error;
            return -1;
        }
        if (!makeOneFree() && scanDescriptorCloses() == closes) {
            noDescriptor = true;
            errno = error;
            return -1;
        }
    }
}
