#include "foldersize/stalledfolders.h"

#include <algorithm>

StalledFolders &StalledFolders::instance()
{
    static auto *folders = new StalledFolders; // never destroyed: workers may use it at exit
    return *folders;
}

void StalledFolders::add(KernelCalls &calls, std::uint64_t look, const std::string &path)
{
    const std::lock_guard lock(m_lock);
    m_entries.push_back({&calls, look & ~KernelCalls::GivenUp, path});
    calls.noteStalled();
    // The call may have returned before it was noted: its end() then missed the entry.
    dropAnsweredLocked(calls);
}

bool StalledFolders::holds(const std::string &path) const
{
    if (empty())
        return false;
    const std::lock_guard lock(m_lock);
    return std::any_of(m_entries.begin(), m_entries.end(), [&path](const Entry &entry) {
        const std::string &stalled = entry.path;
        return path.compare(0, stalled.size(), stalled) == 0 &&
               (path.size() == stalled.size() || stalled.back() == '/' ||
                path[stalled.size()] == '/');
    });
}

void StalledFolders::answered(KernelCalls &calls)
{
    const std::lock_guard lock(m_lock);
    dropAnsweredLocked(calls);
}

void StalledFolders::dropAnsweredLocked(KernelCalls &calls)
{
    const std::uint64_t now = calls.look() & ~KernelCalls::GivenUp;
    std::erase_if(m_entries, [&calls, now](const Entry &entry) {
        return entry.calls == &calls && entry.look != now;
    });
    const bool left = std::any_of(m_entries.begin(), m_entries.end(),
                                  [&calls](const Entry &entry) { return entry.calls == &calls; });
    calls.clearStalledNote(left);
    m_count.store(m_entries.size());
}
