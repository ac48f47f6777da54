#include "foldersize/sizememorybuilder.h"

#include "foldersize/buildwalk.h"
#include "foldersize/sizememory.h"
#include "posix/offthread.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// What every builder and walk of the process share. Never destroyed: at exit a builder's
// thread may still wait on it (its memory kept alive by a walk stuck on a volume that stopped
// answering), and a condition variable must not go while a thread waits on it.
struct Turns {
    std::mutex lock;
    std::condition_variable changed; // walks ended, work queued, a builder went idle or stops
    std::atomic<int> walks{0};       // written under the lock
};

std::atomic<Turns *> g_turns{nullptr};

// A forked child has none of the parent's threads: the walks they ran never end there, and a
// condition variable they waited on may never be signalled again. The child starts afresh;
// the lock is held across the fork so the child never copies it taken.
void lockForFork()
{
    g_turns.load()->lock.lock();
}

void unlockInParent()
{
    g_turns.load()->lock.unlock();
}

void restartInChild()
{
    g_turns.store(new Turns); // the parent's stays, locked and unused
}

Turns &turns()
{
    static const bool made = [] {
        g_turns.store(new Turns);
        pthread_atfork(&lockForFork, &unlockInParent, &restartInChild);
        return true;
    }();
    (void)made;
    return *g_turns.load();
}

// Building is what the process does when it has nothing better to do: it yields the processor
// to the user's other programs as well.
void lowerThisThreadsPriority()
{
    const pid_t thread = gettid();
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0 && nice < 10)
        setpriority(PRIO_PROCESS, id_t(thread), 10);
}

} // namespace

ForegroundWalk::ForegroundWalk()
{
    Turns &shared = turns();
    const std::lock_guard lock(shared.lock);
    shared.walks.store(shared.walks.load() + 1);
    m_countedIn = &shared;
}

void ForegroundWalk::end()
{
    if (m_ended.exchange(true))
        return;
    Turns &shared = turns();
    if (m_countedIn != &shared)
        return; // counted in the parent of this forked process
    const std::lock_guard lock(shared.lock);
    shared.walks.store(shared.walks.load() - 1);
    if (shared.walks.load() == 0)
        shared.changed.notify_all();
}

SizeMemoryBuilder::SizeMemoryBuilder(SizeMemory &memory) : m_memory(memory) {}

SizeMemoryBuilder::~SizeMemoryBuilder()
{
    {
        const std::lock_guard lock(turns().lock);
        m_stopping.store(true);
        turns().changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void SizeMemoryBuilder::add(std::vector<Folder> folders)
{
    Turns &shared = turns();
    std::unique_lock lock(shared.lock);
    if (!m_started) {
        m_started = true;
        try {
            m_thread = startThread([this] { run(); });
        } catch (...) {
            return; // no thread to be had: nothing is ever built, and walks read everything
        }
    }
    if (!m_thread.joinable())
        return;
    try {
        for (Folder &folder : folders) {
            if (!m_queuedPaths.insert(folder.path).second)
                continue;
            if (m_queue.size() >= MaxQueued) {
                m_queuedPaths.erase(m_queue.front().path); // the oldest look matters least
                m_queue.pop_front();
            }
            m_queue.push_back(std::move(folder));
        }
    } catch (...) {
        // no memory for more: what was queued is built
    }
    shared.changed.notify_all();
}

bool SizeMemoryBuilder::waitIdle(std::chrono::milliseconds bound)
{
    std::unique_lock lock(turns().lock);
    return turns().changed.wait_for(lock, bound, [this] { return m_queue.empty() && !m_building; });
}

void SizeMemoryBuilder::beforeReadForTesting(std::function<void()> hook)
{
    const std::lock_guard lock(turns().lock);
    m_beforeRead = std::move(hook);
}

void SizeMemoryBuilder::run()
{
    lowerThisThreadsPriority();
    Turns &shared = turns();
    BuildTurns buildTurns;
    buildTurns.takeTurn = [this] { return takeTurn(); };
    for (;;) {
        Folder folder;
        {
            std::unique_lock lock(shared.lock);
            m_building = false;
            shared.changed.notify_all();
            shared.changed.wait(lock, [&] {
                return m_stopping.load() || (!m_queue.empty() && shared.walks.load() == 0);
            });
            if (m_stopping.load())
                return;
            folder = std::move(m_queue.back()); // the newest look first
            m_queue.pop_back();
            m_queuedPaths.erase(folder.path);
            m_building = true;
            try {
                buildTurns.beforeRead = m_beforeRead;
            } catch (...) {
                buildTurns.beforeRead = nullptr; // a test's hook only
            }
        }
        if (buildMemoryOf(m_memory, folder.path, folder.key, buildTurns))
            continue;
        // Left for a walk: it is built again once no walk runs, after what that walk asks for.
        // What was summed whole is remembered, and only looked up the second time.
        const std::lock_guard lock(shared.lock);
        if (!m_stopping.load() && m_queuedPaths.insert(folder.path).second) {
            try {
                m_queue.push_back(std::move(folder));
            } catch (...) {
                m_queuedPaths.erase(folder.path);
            }
        }
    }
}

// Between two folders: false once a walk is under way, or the builder stops.
bool SizeMemoryBuilder::takeTurn()
{
    return !m_stopping.load() && turns().walks.load() == 0;
}
