#pragma once

#include <atomic>
#include <cstdint>

// Counts the system calls of one thread that may block for ever (an open or a read on a dead
// network or FUSE mount), so that a watcher on another thread can tell a thread stuck in one
// from a thread that only works long: the count is odd while a call is under way, and a call
// that keeps the same odd count across the watcher's looks has not returned.
//
// A watcher may also give up the call under way: the thread then learns it as the call
// returns, and must drop whatever the call was for.
class KernelCalls {
public:
    static constexpr std::uint64_t GivenUp = std::uint64_t(1) << 63;

    // The calls of the calling thread: a scan pool worker's own, otherwise one per thread.
    static KernelCalls &current();
    static void setCurrent(KernelCalls *calls);

    // Before the call; returns what end() needs.
    std::uint64_t begin()
    {
        const std::uint64_t call = m_count.load(std::memory_order_relaxed) + 1;
        m_count.store(call, std::memory_order_release);
        return call;
    }
    // After it; false when a watcher gave it up meanwhile.
    bool end(std::uint64_t call)
    {
        std::uint64_t expected = call;
        const bool kept =
            m_count.compare_exchange_strong(expected, call + 1, std::memory_order_seq_cst);
        if (!kept)
            m_count.store(call + 1, std::memory_order_seq_cst);
        if (m_stalledNote.load(std::memory_order_seq_cst)) [[unlikely]]
            answered();
        return kept;
    }

    // The call under way was noted as stalled (StalledFolders); end() then tells the list.
    void noteStalled() { m_stalledNote.store(true, std::memory_order_seq_cst); }
    void clearStalledNote(bool stillNoted) { m_stalledNote.store(stillNoted); }

    // The watcher's side.
    std::uint64_t look() const { return m_count.load(std::memory_order_seq_cst); }
    static bool underWay(std::uint64_t look) { return (look & 1) != 0; }
    // Gives up the call seen as look if it is still the one under way.
    bool giveUp(std::uint64_t look)
    {
        return underWay(look) && (look & GivenUp) == 0 &&
               m_count.compare_exchange_strong(look, look | GivenUp, std::memory_order_acq_rel);
    }

private:
    void answered(); // the slow path, out of line: tells the stalled folders list

    std::atomic<std::uint64_t> m_count{0};
    std::atomic<bool> m_stalledNote{false};
};
