#include "foldersize/scanpool.h"

#include "posix/offthread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace {

// A cold scan waits on the disk, and more requests in flight pay off there even on two
// cores (a cold /usr took 1.0 s with 16 workers, 1.2 s with 8, 1.6 s with 4); a warm one
// took the same time with 2 workers as with 16.
constexpr int MeasuredThreadCount = 16;
constexpr std::size_t ReadBufferSize = 32 * 1024;

std::mutex g_creation;
ScanPool *g_pool = nullptr; // never destroyed: workers may still be waiting at exit

thread_local KernelCalls *t_calls = nullptr;

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

KernelCalls &KernelCalls::current()
{
    thread_local KernelCalls own;
    return t_calls ? *t_calls : own;
}

void KernelCalls::setCurrent(KernelCalls *calls)
{
    t_calls = calls;
}

int ScanThreadCount()
{
    if (const char *text = std::getenv("QUORVANE_SCAN_THREADS")) {
        char *end = nullptr;
        const long count = std::strtol(text, &end, 10);
        if (end != text && *end == 0 && count >= 1 && count <= 256)
            return int(count);
    }
    return MeasuredThreadCount;
}

ScanPool &ScanPool::instance()
{
    const std::lock_guard creation(g_creation);
    if (!g_pool) {
        static const bool forkHandlers =
            pthread_atfork(&beforeFork, &afterForkInParent, &afterForkInChild) == 0;
        (void)forkHandlers;
        g_pool = new ScanPool(ScanThreadCount());
    }
    return *g_pool;
}

ScanPool::ScanPool(int threadCount) : m_target(0)
{
    const std::lock_guard lock(m_lock);
    int started = 0;
    while (started < threadCount && startWorkerLocked())
        ++started;
    m_target.store(started);
}

// A started thread owns its Worker until it ends; one that could not start never had it.
bool ScanPool::startWorkerLocked()
{
    Worker *worker = nullptr;
    try {
        worker = new Worker;
        m_workers.push_back(worker);
        startThread([this, worker] { workerLoop(worker); }).detach();
        return true;
    } catch (...) {
        if (worker) {
            m_workers.erase(std::remove(m_workers.begin(), m_workers.end(), worker),
                            m_workers.end());
            delete worker;
        }
        return false;
    }
}

// A forked child has none of the workers: it starts a pool of its own when it scans. The
// locks are held across the fork so the child never inherits one taken by a worker.
void ScanPool::beforeFork()
{
    g_creation.lock();
    if (g_pool)
        g_pool->m_lock.lock();
}

void ScanPool::afterForkInParent()
{
    if (g_pool)
        g_pool->m_lock.unlock();
    g_creation.unlock();
}

void ScanPool::afterForkInChild()
{
    g_pool = nullptr; // the parent's pool stays behind, unused
    g_creation.unlock();
}

void ScanPool::add(std::shared_ptr<PoolWork> work)
{
    bool runHere = false;
    {
        const std::lock_guard lock(m_lock);
        if (m_target.load() == 0 && startWorkerLocked())
            m_target.store(1); // the system may have freed a thread since
        runHere = m_target.load() == 0;
        if (!runHere) {
            m_work.push_back(work);
            if (!m_watching) {
                try {
                    startThread([this] { watchLoop(); }).detach();
                    m_watching = true;
                } catch (...) {
                    // no watch thread: stuck workers are not replaced, stalls not seen
                }
            }
        }
    }
    if (runHere) {
        const std::unique_ptr<char[]> buffer(new char[ReadBufferSize]);
        work->work(buffer.get(), ReadBufferSize);
        return;
    }
    m_workAvailable.notify_all();
    m_watchWake.notify_one();
}

void ScanPool::remove(const PoolWork *work)
{
    std::shared_ptr<PoolWork> removed; // let go outside the lock: it may be the last owner
    const std::lock_guard lock(m_lock);
    const auto at = std::find_if(m_work.begin(), m_work.end(),
                                 [work](const auto &offered) { return offered.get() == work; });
    if (at != m_work.end()) {
        removed = std::move(*at);
        m_work.erase(at);
    }
}

void ScanPool::notifyWork(std::size_t count)
{
    const int idle = m_idle.load();
    if (idle == 0)
        return;
    {
        const std::lock_guard lock(m_lock);
    }
    if (count >= std::size_t(idle)) {
        m_workAvailable.notify_all();
        return;
    }
    while (count-- > 0)
        m_workAvailable.notify_one();
}

std::shared_ptr<PoolWork> ScanPool::pickLocked() const
{
    for (auto work = m_work.rbegin(); work != m_work.rend(); ++work)
        if ((*work)->hasWork())
            return *work;
    return nullptr;
}

bool ScanPool::surplusLocked() const
{
    return int(m_workers.size()) - m_stuck > m_target.load();
}

void ScanPool::workerLoop(Worker *worker)
{
    KernelCalls::setCurrent(&worker->calls);
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[ReadBufferSize]);
    for (;;) {
        std::shared_ptr<PoolWork> work;
        {
            std::unique_lock lock(m_lock);
            while (buffer && !surplusLocked() && !(work = pickLocked())) {
                m_idle.fetch_add(1);
                m_workAvailable.wait(lock);
                m_idle.fetch_sub(1);
            }
            if (!work) { // one too many since a stuck worker woke, or no memory for a buffer
                m_workers.erase(std::find(m_workers.begin(), m_workers.end(), worker));
                if (!buffer && m_target.load() > 0 && m_workers.empty())
                    m_target.store(0);
                lock.unlock();
                KernelCalls::setCurrent(nullptr);
                delete worker;
                return;
            }
        }
        work->work(buffer.get(), ReadBufferSize);
    }
}

void ScanPool::watchLoop()
{
    std::vector<std::shared_ptr<PoolWork>> watched;
    std::unique_lock lock(m_lock);
    for (;;) {
        if (m_work.empty() && !anyWorkerInCallLocked()) {
            m_watchWake.wait(lock);
            continue;
        }
        m_watchWake.wait_for(lock, std::chrono::milliseconds(WatchIntervalMs));
        const std::int64_t now = steadyMs();
        watchWorkersLocked(now);
        watched = m_work;
        lock.unlock();
        for (const auto &work : watched)
            work->watch(now);
        watched.clear(); // may end a scan, which closes its descriptors: not under the lock
        lock.lock();
    }
}

bool ScanPool::anyWorkerInCallLocked() const
{
    return std::any_of(m_workers.begin(), m_workers.end(), [](const Worker *worker) {
        return KernelCalls::underWay(worker->calls.look());
    });
}

// Tells stuck workers from working ones, starts replacements for the stuck and lets the
// surplus go once they wake.
void ScanPool::watchWorkersLocked(std::int64_t nowMs)
{
    bool woke = false;
    for (Worker *worker : m_workers) {
        const std::uint64_t look = worker->calls.look() & ~KernelCalls::GivenUp;
        if (!KernelCalls::underWay(look) || look != worker->seen) {
            worker->seen = look;
            worker->seenAtMs = nowMs;
            if (worker->stuck) {
                worker->stuck = false;
                --m_stuck;
                woke = true;
            }
        } else if (!worker->stuck && nowMs - worker->seenAtMs >= StuckAfterMs) {
            worker->stuck = true;
            ++m_stuck;
        }
    }
    while (int(m_workers.size()) - m_stuck < m_target.load() && m_stuck <= StuckWorkersAtMost &&
           startWorkerLocked()) {
    }
    if (woke)
        m_workAvailable.notify_all();
}
