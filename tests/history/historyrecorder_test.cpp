#include "history/historyrecorder.h"
#include "posix/offthread.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(HistoryRecorder, RecordsOffItsCallersThreadAndAnswersOnIt)
{
    TempTree tree;
    HistoryRecorder recorder(tree.pathQ("quorvane"));
    HistoryLook look;
    look.folder = QByteArray::fromStdString(tree.root());
    look.takenMs = 1000;
    look.entries.append({QStringLiteral("a"), look.folder + "/a", 42});
    recorder.record(look);
    std::optional<HistoryLook> answer;
    bool answered = false;
    QObject context;
    recorder.latestBefore(look.folder, false, 1000, &context,
                          [&](std::optional<HistoryLook> found) {
                              EXPECT_EQ(QThread::currentThread(), context.thread());
                              answer = std::move(found);
                              answered = true;
                          });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->entries.front().bytes, 42);
    // The folder's identity, asked on the recorder's thread.
    EXPECT_NE(answer->inode, 0u);
}

TEST(HistoryRecorder, SaysOnceThatItIsOff)
{
    TempTree tree;
    tree.makeFile("data", 1);
    HistoryRecorder recorder(tree.pathQ("data/quorvane"));
    QSignalSpy problems(&recorder, &HistoryRecorder::problem);
    HistoryLook look;
    look.folder = "/srv";
    recorder.record(look);
    recorder.record(look);
    bool answered = false;
    recorder.latestBefore("/srv", false, 0, &recorder, [&](std::optional<HistoryLook> found) {
        EXPECT_FALSE(found);
        answered = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    QCoreApplication::processEvents();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.front().front().toString().startsWith(QStringLiteral("History is off")));
}

TEST(HistoryRecorder, WithoutAThreadItIsOffAndSaysSo)
{
    TempTree tree;
    std::optional<HistoryRecorder> recorder;
    {
        const ThreadCreationFailsForTest noThreads;
        recorder.emplace(tree.pathQ("quorvane"));
    }
    QSignalSpy problems(&*recorder, &HistoryRecorder::problem);
    HistoryLook look;
    look.folder = "/srv";
    recorder->record(look);
    recorder->waitForWork(); // nothing was queued
    ASSERT_TRUE(problems.wait(5000));
    EXPECT_TRUE(problems.front().front().toString().startsWith(QStringLiteral("History is off")));
    EXPECT_FALSE(QFile::exists(tree.pathQ("quorvane")));
}
