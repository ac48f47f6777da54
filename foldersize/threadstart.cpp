#include "foldersize/threadstart.h"

#include <atomic>
#include <cerrno>
#include <system_error>

namespace {

std::atomic<int> g_startsLeftForTesting{-1};

} // namespace

void LimitScanThreadStartsForTesting(int starts)
{
    g_startsLeftForTesting.store(starts < 0 ? -1 : starts);
}

void takeThreadStart()
{
    int left = g_startsLeftForTesting.load();
    while (left >= 0 && !g_startsLeftForTesting.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        g_startsLeftForTesting.store(0);
        throw std::system_error(EAGAIN, std::generic_category(), "no thread left");
    }
}
