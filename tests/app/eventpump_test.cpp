#include "app/eventpump.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Posts an event that sets the flag when the event loop is pumped.
void postFlag(bool &flag)
{
    QMetaObject::invokeMethod(
        qApp, [&flag] { flag = true; }, Qt::QueuedConnection);
}

} // namespace

TEST(EventPump, WithoutAnIntervalEveryYieldPumps)
{
    EventPump pump(std::chrono::milliseconds(0));
    bool served = false;
    postFlag(served);
    EXPECT_TRUE(pump.yieldIfDue());
    EXPECT_TRUE(served);
}

TEST(EventPump, PumpsOnlyOnceTheIntervalHasPassed)
{
    EventPump slow(std::chrono::seconds(60));
    bool served = false;
    postFlag(served);
    for (int call = 0; call < 10 * EventPump::ClockStride; ++call)
        EXPECT_FALSE(slow.yieldIfDue());
    EXPECT_FALSE(served);

    EventPump fast(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int calls = 0;
    while (!fast.yieldIfDue() && calls < EventPump::ClockStride)
        ++calls;
    EXPECT_LT(calls, EventPump::ClockStride) << "a due pump waits at most one stride of calls";
    EXPECT_TRUE(served);
    QCoreApplication::processEvents(); // nothing of this test stays queued
}
