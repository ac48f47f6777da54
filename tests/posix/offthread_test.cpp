#include "posix/offthread.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(RunDetached, RunsTheWorkOnAnotherThread)
{
    const PendingAnswer<std::thread::id> ran([] { return std::this_thread::get_id(); },
                                             WithoutThread::RunHere);
    const std::optional<std::thread::id> where = ran.within(10s);
    ASSERT_TRUE(where);
    EXPECT_NE(*where, std::this_thread::get_id());
}

TEST(RunDetached, WithoutAThreadRunsHereOrSkipsAsTheCallerChose)
{
    const ThreadCreationFailsForTest noThreads;
    std::thread::id where;
    EXPECT_FALSE(runDetached([&] { where = std::this_thread::get_id(); }, WithoutThread::RunHere));
    EXPECT_EQ(where, std::this_thread::get_id());

    bool ran = false;
    EXPECT_FALSE(runDetached([&] { ran = true; }, WithoutThread::Skip));
    EXPECT_FALSE(ran);

    // An answer that will never come is no reason to wait out the bound.
    const PendingAnswer<int> skipped([] { return 1; }, WithoutThread::Skip);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(skipped.within(60s));
    skipped.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);

    EXPECT_EQ(callWithin<int>(1ms, [] { return 7; }), 7); // asked here, so answered in time
}

TEST(CallWithin, GivesUpOnWorkThatDoesNotAnswerInTimeAndLeavesItRunning)
{
    auto release = std::make_shared<std::atomic<bool>>(false);
    const std::optional<int> answer = callWithin<int>(50ms, [release] {
        while (!release->load())
            std::this_thread::sleep_for(1ms);
        return 1;
    });
    EXPECT_FALSE(answer);
    release->store(true); // the thread owns its share and ends on its own
    EXPECT_EQ(callWithin<int>(10s, [] { return 2; }), 2);
}

} // namespace
