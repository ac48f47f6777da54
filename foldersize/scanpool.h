#pragma once

#include "foldersize/kernelcall.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Work the scan pool's workers take: a scan, seen from the pool.
class PoolWork {
public:
    virtual ~PoolWork() = default;
    // Whether a worker entering work() now would find something to do. Called under the pool's
    // lock: reads atomics only, takes no lock.
    virtual bool hasWork() const = 0;
    // Does what there is to do and returns once nothing is left for this worker. buffer is the
    // worker's own. Must not throw.
    virtual void work(char *buffer, std::size_t size) = 0;
    // Called on the pool's watch thread about every WatchIntervalMs while the work is offered,
    // with a steady clock in milliseconds.
    virtual void watch(std::int64_t nowMs) { (void)nowMs; }
};

// The worker threads every size scan of the process shares, started with the first scan and
// never joined: a worker may be stuck for ever in a call on a dead mount, so nothing the
// workers use is ever freed (the pool itself included) and the process exits without waiting
// for them. A worker takes work from the newest work offered that has some.
//
// A worker whose call has not returned for StuckAfterMs is counted stuck and a replacement is
// started, so later scans keep their speed; once the stuck worker wakes, one worker too many
// ends. Past StuckWorkersAtMost stuck workers no replacement is started: scans then run on the
// workers left, and with none left they wait until one wakes (a stop still returns at once).
//
// A pool that cannot start as many threads as it asked for (the system's or the container's
// thread limit) works with those it got; with none at all, add() runs the work on the calling
// thread.
class ScanPool {
public:
    static constexpr std::int64_t WatchIntervalMs = 10;
    static constexpr std::int64_t StuckAfterMs = 100;
    static constexpr int StuckWorkersAtMost = 64;

    static ScanPool &instance();

    // Offers work until remove(); the pool keeps it alive meanwhile, and so does every worker
    // inside it.
    void add(std::shared_ptr<PoolWork> work);
    // After this no worker enters the work any more; those inside leave on their own.
    void remove(const PoolWork *work);
    // Wakes up to count idle workers after the work offered that many new pieces.
    void notifyWork(std::size_t count);
    // The workers the pool keeps running, stuck ones not counted.
    int threadCount() const { return m_target.load(); }

private:
    struct Worker {
        KernelCalls calls;
        std::uint64_t seen = 0; // the watch thread's notes
        std::int64_t seenAtMs = 0;
        bool stuck = false;
    };

    explicit ScanPool(int threadCount);
    bool startWorkerLocked();
    bool surplusLocked() const;
    void workerLoop(Worker *worker);
    void watchLoop();
    void watchWorkersLocked(std::int64_t nowMs);
    bool anyWorkerInCallLocked() const;
    std::shared_ptr<PoolWork> pickLocked() const;
    static void beforeFork();
    static void afterForkInParent();
    static void afterForkInChild();

    std::atomic<int> m_target;
    std::mutex m_lock;
    std::condition_variable m_workAvailable;
    std::condition_variable m_watchWake;
    std::vector<std::shared_ptr<PoolWork>> m_work; // oldest first
    std::vector<Worker *> m_workers;               // every worker thread alive
    int m_stuck = 0;
    bool m_watching = false;
    std::atomic<int> m_idle{0};
};

// Workers a scan pool starts: QUORVANE_SCAN_THREADS when it holds a count from 1 to 256,
// otherwise the number measured to suit a cold and a warm cache alike.
int ScanThreadCount();
