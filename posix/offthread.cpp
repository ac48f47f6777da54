#include "posix/offthread.h"

#include <atomic>
#include <cerrno>
#include <system_error>

namespace {

std::atomic<int> g_startsLeftForTesting{-1};

} // namespace

void takeThreadStart()
{
    int left = g_startsLeftForTesting.load();
    while (left > 0 && !g_startsLeftForTesting.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0)
        throw std::system_error(EAGAIN, std::generic_category(), "no thread left");
}

void LimitThreadStartsForTesting(int starts)
{
    g_startsLeftForTesting.store(starts < 0 ? -1 : starts);
}

ThreadCreationFailsForTest::ThreadCreationFailsForTest()
    : m_startsBefore(g_startsLeftForTesting.exchange(0))
{}

ThreadCreationFailsForTest::~ThreadCreationFailsForTest()
{
    g_startsLeftForTesting.store(m_startsBefore);
}

bool runDetached(std::function<void()> work, WithoutThread fallback)
{
    // Shared, so that the work is still here when the thread could not be made.
    const auto shared = std::make_shared<std::function<void()>>(std::move(work));
    try {
        startThread([shared] { (*shared)(); }).detach();
        return true;
    } catch (const std::system_error &) {
        if (fallback == WithoutThread::RunHere)
            (*shared)();
        return false;
    }
}
