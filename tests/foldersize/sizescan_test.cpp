// Scans of several folders in one walk, and scans left behind while a call never returns.

#include "foldersize/foldersize.h"
#include "foldersize/scanpool.h"
#include "foldersize/sizescan.h"
#include "foldersize/stalledfolders.h"
#include "posix/offthread.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What a scan hands back. Outlives the scan's handle, whose end stops its callbacks.
struct Collected {
    std::mutex lock;
    std::condition_variable changed;
    std::map<std::size_t, FolderTotal> totals;
    int reports = 0;
    bool finished = false;
    bool reportAfterFinished = false;
    std::vector<std::string> stalls;

    SizeScan::Report report()
    {
        return [this](std::size_t index, const FolderTotal &total) {
            const std::lock_guard guard(lock);
            reportAfterFinished |= finished;
            totals[index] = total;
            ++reports;
            changed.notify_all();
        };
    }
    SizeScan::Finished finish()
    {
        return [this] {
            const std::lock_guard guard(lock);
            finished = true;
            changed.notify_all();
        };
    }
    bool waitFinished()
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 20s, [this] { return finished; });
    }
};

TEST(SizeScan, ReportsEveryFolderAsFolderSizeCountsItThenFinished)
{
    TempTree tree;
    tree.makeFile("a/x", 10);
    tree.makeFile("a/b/y", 20);
    tree.makeFile("a/denied/z", 40);
    tree.makeFile("b/w", 5);
    tree.makeDir("empty");
    tree.makeFile("file", 7);
    const auto reader = std::make_shared<TestDirectoryReader>();
    reader->deniedName = "denied";
    const std::vector<std::string> folders = {
        tree.path("a"),    tree.path("b"),   tree.path("empty"), tree.path("missing"),
        tree.path("file"), tree.path("a/b"), tree.path("a/"),    tree.path("a/denied")};

    Collected collected;
    SizeScanOptions options;
    options.system = reader;
    const auto scan = SizeScan::start(folders, collected.report(), collected.finish(), options);
    ASSERT_TRUE(collected.waitFinished());

    EXPECT_EQ(collected.reports, int(folders.size()));
    EXPECT_FALSE(collected.reportAfterFinished);
    // A folder denied below counts as unreadable; one missing or not a folder counts 0 only.
    const std::vector<std::uint64_t> unreadable = {1, 0, 0, 0, 0, 0, 1, 0};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(collected.totals[i].bytes, FolderSizeUsing(folders[i], reader)) << i;
        EXPECT_EQ(collected.totals[i].unreadable, unreadable[i]) << i;
    }
    EXPECT_EQ(collected.totals[0].bytes.bytes(), 30);
}

TEST(SizeScan, NoCallbackOnceStopHasReturned)
{
    TempTree tree;
    std::vector<std::string> folders;
    for (int i = 0; i < 40; ++i) {
        tree.makeFile("f" + std::to_string(i) + "/g/h", i);
        folders.push_back(tree.path("f" + std::to_string(i)));
    }
    const auto reader = std::make_shared<TestDirectoryReader>();
    reader->pause = 5ms;
    std::atomic<bool> stopReturned{false};
    std::atomic<int> late{0};
    std::atomic<int> reports{0};
    SizeScanOptions options;
    options.system = reader;
    const auto scan = SizeScan::start(
        folders,
        [&](std::size_t, const FolderTotal &) {
            late += stopReturned ? 1 : 0;
            ++reports;
        },
        [&] { late += stopReturned ? 1 : 0; }, options);
    for (const auto until = Clock::now() + 10s; reports == 0 && Clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    scan->stop();
    stopReturned = true;
    const int reportsAtStop = reports;
    std::this_thread::sleep_for(200ms);

    EXPECT_GT(reportsAtStop, 0);
    EXPECT_LT(reportsAtStop, int(folders.size()));
    EXPECT_EQ(late, 0);
}

// The open of one subfolder and the read of another hang until the gate opens: the scan gives
// those folders up after the bound, names them, counts them 0 and as unreadable, and finishes
// the rest.
TEST(SizeScan, AFolderWhoseCallDoesNotReturnWithinTheBoundIsGivenUp)
{
    TempTree tree;
    TempTree other;
    tree.makeFile("a/slow/deep/f", 1000);
    tree.makeFile("a/stuck/g", 100);
    tree.makeFile("a/fast/f", 10);
    tree.makeFile("a/own", 1);
    other.makeFile("x/y", 5);
    struct stat stuck;
    ASSERT_EQ(stat(tree.path("a/stuck").c_str(), &stuck), 0);
    const int descriptorsBefore = openDescriptorCount();
    Gate &gate = Gate::make();
    const auto reader = std::make_shared<TestDirectoryReader>();
    reader->beforeOpen = [&gate](const char *name) {
        if (std::string(name) == "slow")
            gate.wait();
    };
    reader->beforeRead = [&gate, &stuck](int fd) {
        struct stat st;
        if (fstat(fd, &st) == 0 && st.st_ino == stuck.st_ino)
            gate.wait();
    };
    Collected collected;
    SizeScanOptions options;
    options.system = reader;
    options.stallBound = 100ms;
    options.stalled = [&collected](const std::string &path) {
        const std::lock_guard guard(collected.lock);
        collected.stalls.push_back(path);
    };
    auto scan = SizeScan::start({tree.path("a"), other.root()}, collected.report(),
                                collected.finish(), options);
    const bool finished = collected.waitFinished();
    const int readsWhenFinished = reader->reads;
    gate.open();

    ASSERT_TRUE(finished);
    std::sort(collected.stalls.begin(), collected.stalls.end());
    EXPECT_EQ(collected.stalls,
              (std::vector<std::string>{tree.path("a/slow"), tree.path("a/stuck")}));
    EXPECT_EQ(collected.totals[0].bytes.bytes(), 11);
    EXPECT_EQ(collected.totals[0].unreadable, 2u);
    EXPECT_EQ(collected.totals[1].bytes.bytes(), 5);
    // The worker that waited leaves, reading nothing of what was given up, and lets go of
    // what it held.
    for (const auto until = Clock::now() + 5s;
         (gate.waiting() > 0 || openDescriptorCount() != descriptorsBefore) &&
         Clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
    EXPECT_EQ(reader->reads, readsWhenFinished);
    scan.reset();
}

// A scan without a bound (the window's) that met a dead mount leaves a worker waiting in it;
// later scans give that folder up at once instead of each sending one more worker into the
// same wait, and walk it again as soon as it answers.
TEST(SizeScan, AFolderStillStalledIsGivenUpAtOnceByLaterScansUntilItAnswers)
{
    TempTree tree;
    tree.makeFile("a/dead/inside/f", 100);
    tree.makeFile("a/live/g", 10);
    Gate &gate = Gate::make();
    std::atomic<int> deadOpens{0};
    const auto reader = std::make_shared<TestDirectoryReader>();
    reader->beforeOpen = [&gate, &deadOpens](const char *name) {
        if (std::string(name) == "dead") {
            ++deadOpens;
            gate.wait(); // every open waits while the mount is dead
        }
    };
    SizeScanOptions options;
    options.system = reader;
    const auto scanOnce = [&](std::vector<std::string> *stalls) {
        Collected collected;
        SizeScanOptions given = options;
        given.stalled = [&collected](const std::string &path) {
            const std::lock_guard guard(collected.lock);
            collected.stalls.push_back(path);
        };
        const auto scan = SizeScan::start({tree.path("a"), tree.path("a/dead/inside")},
                                          collected.report(), collected.finish(), given);
        if (!collected.waitFinished())
            return std::string("unfinished");
        *stalls = collected.stalls;
        std::sort(stalls->begin(), stalls->end());
        return std::to_string(collected.totals[0].bytes.bytes()) + "/" +
               std::to_string(collected.totals[0].unreadable) + " " +
               std::to_string(collected.totals[1].bytes.bytes());
    };

    Collected first;
    auto waiting = SizeScan::start({tree.path("a")}, first.report(), first.finish(), options);
    std::this_thread::sleep_for(std::chrono::milliseconds(StalledFolders::StalledAfterMs + 300));
    waiting->stop(); // the user charts another folder
    std::vector<std::string> stalls;
    EXPECT_EQ(scanOnce(&stalls), "10/1 0");
    EXPECT_EQ(stalls, (std::vector<std::string>{tree.path("a/dead"), tree.path("a/dead/inside")}));
    EXPECT_EQ(deadOpens, 1) << "no second worker sent into the dead folder";

    gate.open();
    for (const auto until = Clock::now() + 5s;
         !StalledFolders::instance().empty() && Clock::now() < until;)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(scanOnce(&stalls), "110/0 100");
    EXPECT_TRUE(stalls.empty());
}

// With one worker, stuck for ever in a read, in the open of a subfolder or in the open of the
// named folder itself: stop returns at once, the next scan is exact (a replacement worker
// does it), and the process exits with the stuck workers still inside their calls.
TEST(SizeScan, AScanStuckInACallIsLeftAtOnceAndTheProcessStillExits)
{
    TempTree stuck;
    TempTree other;
    stuck.makeFile("s/t/file", 1);
    for (int i = 0; i < 50; ++i)
        other.makeFile("d" + std::to_string(i % 7) + "/f" + std::to_string(i), i);
    const std::int64_t expected = referenceTotal(other.root());

    const auto leaveStuckScans = [&] {
        setenv("QUORVANE_SCAN_THREADS", "1", 1);
        Gate &gate = Gate::make();
        std::string result;
        int held = 0;
        for (const std::string kind : {"read", "open", "root"}) {
            const auto system = std::make_shared<TestDirectoryReader>();
            if (kind == "read")
                system->beforeRead = [&gate](int) { gate.wait(); };
            else
                system->beforeOpen = [&gate, kind, root = stuck.root()](const char *name) {
                    if ((kind == "open" && std::string(name) == "s") ||
                        (kind == "root" && std::string(name) == root + "/"))
                        gate.wait();
                };
            SizeScanOptions options;
            options.system = system;
            auto scan = SizeScan::start({stuck.root()}, {}, {}, options);
            ++held;
            for (const auto until = Clock::now() + 5s;
                 gate.waiting() < held && Clock::now() < until;)
                std::this_thread::sleep_for(1ms);
            const auto before = Clock::now();
            scan->stop();
            scan.reset();
            const bool atOnce = Clock::now() - before < 500ms;
            const std::int64_t total = totalWithin(other.root(), 20s);
            result += kind + (gate.waiting() == held ? " stuck" : " not stuck") +
                      (atOnce ? " stopped at once " : " stopped late ") + std::to_string(total) +
                      "\n";
        }
        return result;
    };
    const std::string total = std::to_string(expected);
    EXPECT_EQ(runInChild(leaveStuckScans, ChildEnd::Exit),
              "read stuck stopped at once " + total + "\nopen stuck stopped at once " + total +
                  "\nroot stuck stopped at once " + total + "\n");
}

// A pool that gets fewer threads than it asks for works with those it got, or with none on
// the calling thread.
TEST(SizeScan, ScansAreExactWhenThreadsCannotBeStarted)
{
    TempTree tree;
    for (int i = 0; i < 200; ++i)
        tree.makeFile("d" + std::to_string(i % 13) + "/e" + std::to_string(i % 5) + "/f" +
                          std::to_string(i),
                      i + 1);
    const std::int64_t expected = referenceTotal(tree.root());
    for (const int starts : {3, 0}) {
        const auto scanTwice = [&] {
            LimitThreadStartsForTesting(starts);
            const std::int64_t first = FolderSize(tree.root()).bytes();
            Collected collected;
            const auto scan = SizeScan::start({tree.path("d1"), tree.root()}, collected.report(),
                                              collected.finish());
            const bool finished = collected.waitFinished();
            return std::to_string(first) + " " +
                   (finished ? std::to_string(collected.totals[1].bytes.bytes()) : "unfinished");
        };
        EXPECT_EQ(runInChild(scanTwice), std::to_string(expected) + " " + std::to_string(expected))
            << starts << " threads";
    }
}

} // namespace
