#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

class ParallelScan;

// The worker threads every size scan of the process shares. They are started with the first
// scan and live as long as the process. A worker takes work from the newest scan that has
// some; a paused scan offers none.
class ScanPool {
public:
    static ScanPool &instance();

    void add(ParallelScan *scan);
    // After this no worker enters the scan any more; those inside finish on their own.
    void remove(ParallelScan *scan);
    // Wakes up to count idle workers after a scan offered that many new folders.
    void notifyWork(std::size_t count);
    int threadCount() const { return m_threadCount; }

private:
    explicit ScanPool(int threadCount);
    void workerLoop();
    ParallelScan *pickLocked() const;
    static void beforeFork();
    static void afterForkInParent();
    static void afterForkInChild();

    const int m_threadCount;
    std::mutex m_lock;
    std::condition_variable m_workAvailable;
    std::vector<ParallelScan *> m_scans; // oldest first
    std::atomic<int> m_idle{0};
};

// Workers a scan pool starts: QUORVANE_SCAN_THREADS when it holds a count from 1 to 256,
// otherwise the number measured to suit a cold and a warm cache alike.
int ScanThreadCount();
