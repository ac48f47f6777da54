#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Work that may hang (a stat of a network share whose server is gone, an external program)
// runs off the calling thread, on a detached thread of its own: one stuck in the kernel for
// ever holds back neither its caller nor the program's exit, and owns all it uses.

// What happens when no thread can be made: std::thread throws std::system_error when the
// user is at the process limit (`ulimit -u`) or the address space has no room for a stack.
enum class WithoutThread {
    RunHere, // the work runs on the calling thread before the call returns, without a bound
    Skip,    // the work does not run and its answer never comes: for work that could hang
};

// Starts a thread as std::thread does and, like it, throws std::system_error when the system
// has none to give. Every thread of the program starts here, so that tests can make that happen.
template<class Entry> std::thread startThread(Entry entry);

// Runs work on a detached thread of its own. True when a thread took it; false when none could
// be made and the work ran here or was skipped, as fallback says.
bool runDetached(std::function<void()> work, WithoutThread fallback);

// For tests: after `starts` more threads, startThread fails as under `ulimit -u`; a negative
// count lifts the limit.
void LimitThreadStartsForTesting(int starts);

// While one lives, every thread start fails: the seam through which tests see the fallbacks.
class ThreadCreationFailsForTest {
public:
    ThreadCreationFailsForTest();
    ~ThreadCreationFailsForTest();
    ThreadCreationFailsForTest(const ThreadCreationFailsForTest &) = delete;
    ThreadCreationFailsForTest &operator=(const ThreadCreationFailsForTest &) = delete;

private:
    int m_startsBefore;
};

// Takes one start from the testing limit; throws std::system_error when it is used up.
void takeThreadStart();

template<class Entry> std::thread startThread(Entry entry)
{
    takeThreadStart();
    return std::thread(std::move(entry));
}

// The answer of work started off the calling thread, asked for later with a bound. Copies
// share the one answer; the thread keeps its share, so the owner may go while it still runs.
template<class T> class PendingAnswer {
public:
    PendingAnswer(std::function<T()> work, WithoutThread fallback)
        : m_state(std::make_shared<State>())
    {
        const bool threaded = runDetached(
            [state = m_state, work = std::move(work)] {
                T value = work();
                const std::lock_guard lock(state->mutex);
                state->value = std::move(value);
                state->settled.notify_all();
            },
            fallback);
        if (!threaded && fallback == WithoutThread::Skip) {
            const std::lock_guard lock(m_state->mutex);
            m_state->skipped = true; // nobody will answer: waits end at once
        }
    }

    // The answer, waiting for it at most bound; nullopt when it has not come by then.
    std::optional<T> within(std::chrono::milliseconds bound) const
    {
        std::unique_lock lock(m_state->mutex);
        m_state->settled.wait_for(lock, bound, [this] { return m_state->settledLocked(); });
        return m_state->value;
    }
    // The answer when it has come; never waits.
    std::optional<T> now() const { return within(std::chrono::milliseconds(0)); }
    // Waits without a bound until the work has answered (or was skipped).
    void wait() const
    {
        std::unique_lock lock(m_state->mutex);
        m_state->settled.wait(lock, [this] { return m_state->settledLocked(); });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable settled;
        std::optional<T> value;
        bool skipped = false;
        bool settledLocked() const { return value.has_value() || skipped; }
    };
    std::shared_ptr<State> m_state;
};

// Runs work off the calling thread and waits at most bound for its answer; nothing when it did
// not come in time (a folder on a network or FUSE mount that stopped answering).
template<class T>
std::optional<T> callWithin(std::chrono::milliseconds bound, std::function<T()> work,
                            WithoutThread fallback = WithoutThread::RunHere)
{
    return PendingAnswer<T>(std::move(work), fallback).within(bound);
}
