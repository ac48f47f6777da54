#include "posix/offthread.h"

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> g_refusals{0};

} // namespace

bool runDetached(std::function<void()> work, WithoutThread fallback)
{
    // Shared, so that the work is still here when the thread could not be made.
    const auto shared = std::make_shared<std::function<void()>>(std::move(work));
    try {
        if (g_refusals.load() > 0)
            throw std::system_error(EAGAIN, std::generic_category(), "thread creation refused");
        std::thread([shared] { (*shared)(); }).detach();
        return true;
    } catch (const std::system_error &) {
        if (fallback == WithoutThread::RunHere)
            (*shared)();
        return false;
    }
}

ThreadCreationFailsForTest::ThreadCreationFailsForTest()
{
    ++g_refusals;
}

ThreadCreationFailsForTest::~ThreadCreationFailsForTest()
{
    --g_refusals;
}
