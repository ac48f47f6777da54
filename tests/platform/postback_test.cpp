#include "platform/postback.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

// Runs the event loop until done says so or ten seconds have passed.
void processEventsUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct Delivery {
    std::thread::id workedOn;
    std::thread::id deliveredOn;
    int value = 0;
    bool delivered = false;
};

void start(QObject *context, const std::shared_ptr<Delivery> &delivery, WithoutThread fallback)
{
    runThenPost<std::thread::id>(
        context, [] { return std::this_thread::get_id(); },
        [delivery](std::thread::id worker) {
            delivery->workedOn = worker;
            delivery->deliveredOn = std::this_thread::get_id();
            delivery->delivered = true;
        },
        fallback);
}

TEST(RunThenPost, WorksOffThisThreadAndAnswersOnItThroughTheEventLoop)
{
    QObject context;
    auto delivery = std::make_shared<Delivery>();
    start(&context, delivery, WithoutThread::RunHere);
    processEventsUntil([&] { return delivery->delivered; });
    ASSERT_TRUE(delivery->delivered);
    EXPECT_NE(delivery->workedOn, std::this_thread::get_id());
    EXPECT_EQ(delivery->deliveredOn, std::this_thread::get_id());
}

TEST(RunThenPost, WithoutAThreadWorksHereButStillAnswersThroughTheEventLoop)
{
    const ThreadCreationFailsForTest noThreads;
    QObject context;
    auto delivery = std::make_shared<Delivery>();
    start(&context, delivery, WithoutThread::RunHere);
    EXPECT_FALSE(delivery->delivered); // never inside the caller's own call
    processEventsUntil([&] { return delivery->delivered; });
    ASSERT_TRUE(delivery->delivered);
    EXPECT_EQ(delivery->workedOn, std::this_thread::get_id());

    auto skipped = std::make_shared<Delivery>();
    const PendingAnswer<bool> ended = runThenPost<int>(
        &context, [] { return 1; }, [skipped](int) { skipped->delivered = true; },
        WithoutThread::Skip);
    ended.wait(); // nothing to wait for
    QCoreApplication::processEvents();
    EXPECT_FALSE(skipped->delivered);
}

TEST(RunThenPost, AnAnswerForAContextGoneMeanwhileIsDropped)
{
    auto context = std::make_unique<QObject>();
    auto delivery = std::make_shared<Delivery>();
    {
        const ThreadCreationFailsForTest noThreads; // the answer is posted before this returns
        start(context.get(), delivery, WithoutThread::RunHere);
    }
    context.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivery->delivered);
}

} // namespace
