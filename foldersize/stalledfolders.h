#pragma once

#include "foldersize/kernelcall.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Folders whose open or read has not returned for StalledAfterMs (a dead network or FUSE
// mount), shared by every scan of the process. A scan that meets one again, or a folder below
// one, gives it up at once instead of sending one more worker into the same wait: a user with
// one dead share keeps every other chart. A folder leaves the list the moment its call
// returns, so a volume that answers again is walked again.
class StalledFolders {
public:
    // Long enough that a slow disk under load is not taken for a dead one.
    static constexpr std::int64_t StalledAfterMs = 2000;

    static StalledFolders &instance();

    // The call seen as `look` on `calls` waits at `path` (as a walk names it). Nothing is kept
    // if the call has returned meanwhile. May throw std::bad_alloc.
    void add(KernelCalls &calls, std::uint64_t look, const std::string &path);
    // Whether path is a folder of the list or below one. Cheap while the list is empty.
    bool holds(const std::string &path) const;
    bool empty() const { return m_count.load() == 0; }

    // Called as a noted call of `calls` returns (KernelCalls::end).
    void answered(KernelCalls &calls);

private:
    struct Entry {
        KernelCalls *calls;
        std::uint64_t look;
        std::string path;
    };
    void dropAnsweredLocked(KernelCalls &calls);

    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;
    std::atomic<std::size_t> m_count{0};
};
