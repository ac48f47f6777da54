// The size memory: totals taken from it must equal a walk made without it, after every kind of
// change the kernel reports, and after those it does not.

#include "foldersize/foldersize.h"
#include "foldersize/scanpool.h"
#include "foldersize/sizememory.h"
#include "foldersize/sizescan.h"
#include "memorywalk.h"
#include "posix/offthread.h"
#include "scantestsupport.h"
#include "support/inotifywatches.h"
#include "support/runinchild.h"
#include "support/temptree.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

SizeMemorySettings settingsWith(long watchBudget, std::size_t maxFolders = 1 << 20)
{
    SizeMemorySettings settings;
    settings.watchBudget = watchBudget;
    settings.maxFolders = maxFolders;
    return settings;
}

using Walk = MemoryWalk;

std::int64_t freshTotal(const std::string &path)
{
    SizeMemory off(SizeMemorySettings{.enabled = false});
    return Walk(off)(path);
}

void append(const std::string &path, const char *bytes)
{
    std::ofstream(path, std::ios::app) << bytes;
}

// Waits for the memory's own thread to take in a change, with no scan asking for it.
bool forgetsUnaided(SizeMemory &memory, std::size_t below)
{
    for (int tries = 0; tries < 500; ++tries) {
        if (memory.usage().remembered < below)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SizeMemory, SecondWalkReadsNothingAndEveryChangeIsWalkedAgainExactly)
{
    TempTree tree;
    tree.makeFile("a/b/c/d/e/f/g/h/deep", 100);
    tree.makeFile("a/own", 7);
    tree.makeFile("p1/moved/inside", 30);
    tree.makeDir("p2");
    tree.makeFile("other/file", 5);
    TempTree outside;
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    EXPECT_EQ(walk.foldersRead(), 0);

    // Each change: the memory's thread forgets without being asked, the next walk reads again
    // and agrees with a walk without memory, and the walk after that reads nothing.
    const auto changes = std::vector<std::function<void()>>{
        [&] { append(tree.path("a/b/c/d/e/f/g/h/deep"), "x"); },
        [&] { truncate(tree.path("a/own").c_str(), 2); },
        [&] { tree.makeFile("a/b/new", 11); },
        [&] { unlink(tree.path("a/b/new").c_str()); },
        [&] { rename(tree.path("p1/moved").c_str(), tree.path("p2/moved").c_str()); },
        // The moved folder now counts in p2: a change in it must reach p2, not its old parent.
        [&] { append(tree.path("p2/moved/inside"), "yy"); },
        [&] { rename(tree.path("a/b/c").c_str(), tree.path("a/c2").c_str()); },
        [&] { rename(tree.path("a/c2").c_str(), outside.path("c2").c_str()); },
        [&] { chmod(tree.path("a/b").c_str(), 0); },
        [&] { chmod(tree.path("a/b").c_str(), 0755); },
        [&] {
            rename(tree.path("other").c_str(), outside.path("other").c_str());
            symlink(outside.path("other").c_str(), tree.path("other").c_str());
        },
    };
    for (std::size_t step = 0; step < changes.size(); ++step) {
        SCOPED_TRACE(step);
        const std::size_t before = memory.usage().remembered;
        changes[step]();
        EXPECT_TRUE(forgetsUnaided(memory, before));
        EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
        EXPECT_GT(walk.foldersRead(), 0);
        walk(tree.root());
        EXPECT_EQ(walk.foldersRead(), 0);
    }
}

TEST(SizeMemory, FoldersHoldingAFileWithTwoNamesAreNeverRemembered)
{
    // Many folders, so that the walk takes some of them from the memory before it reads the
    // folder that shows the second names, whatever order the file system lists them in.
    TempTree tree;
    constexpr int Folders = 16;
    for (int folder = 0; folder < Folders; ++folder)
        tree.makeFile("a" + std::to_string(folder) + "/file", 10);
    tree.makeDir("names");
    tree.makeFile("plain/file", 3);
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.root());
    walk(tree.root());
    EXPECT_EQ(walk.foldersRead(), 0);

    // A second name notifies only the folder that gets it, not the remembered one of the
    // first name; a write through it notifies only that folder again.
    for (int folder = 0; folder < Folders; ++folder) {
        const std::string second = tree.path("names/second" + std::to_string(folder));
        ASSERT_EQ(link(tree.path("a" + std::to_string(folder) + "/file").c_str(), second.c_str()),
                  0);
        append(second, "12345");
    }
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    append(tree.path("names/second0"), "12345");
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    append(tree.path("a0/file"), "12345");
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));

    // A folder that held a file with two names when read is not remembered, the rest is.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    memory.forgetAll(); // the files' last change is now older than what the memory trusts
    walk(tree.root());
    walk(tree.root());
    EXPECT_EQ(walk.foldersRead(), Folders + 2); // root, the a folders, names; plain is remembered
}

// A second name given in a watched folder is heard there; the remembered folder of the first
// name hears nothing, so every total on the device is forgotten at once, before any walk
// meets the file. A new file of one name forgets only its own folder.
TEST(SizeMemory, ASecondNameGivenInAWatchedFolderForgetsTheDevice)
{
    TempTree tree;
    tree.makeFile("first/inner/file", 10);
    tree.makeDir("second/names");
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.path("first"));
    walk(tree.path("second"));
    ASSERT_EQ(memory.usage().remembered, 4u);

    tree.makeFile("second/names/plain", 3);
    EXPECT_TRUE(forgetsUnaided(memory, 4));
    walk(tree.path("second"));
    EXPECT_EQ(memory.usage().remembered, 4u);

    ASSERT_EQ(link(tree.path("first/inner/file").c_str(), tree.path("second/names/other").c_str()),
              0);
    EXPECT_TRUE(forgetsUnaided(memory, 1));
    append(tree.path("second/names/other"), "12345");
    EXPECT_EQ(walk(tree.path("first")), 15);
    EXPECT_GT(walk.foldersRead(), 0);
}

// What the memory cannot see (a second name in a folder it does not watch, written through)
// is walked again once the folder is forgotten; the folders beside it stay remembered.
TEST(SizeMemory, ForgettingAFolderWalksItAndItsAncestorsAgain)
{
    TempTree tree, outside;
    tree.makeFile("top/first/inner/file", 10);
    tree.makeFile("top/beside/file", 4);
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.path("top"));
    ASSERT_EQ(link(tree.path("top/first/inner/file").c_str(), outside.path("other").c_str()), 0);
    append(outside.path("other"), "12345");
    EXPECT_EQ(walk(tree.path("top")), 14); // stale: nothing watched heard it

    ASSERT_EQ(memory.usage().remembered, 4u);
    memory.forgetUnder(tree.path("top/first") + "/");
    EXPECT_EQ(memory.usage().remembered, 1u); // beside; top counted first
    EXPECT_EQ(walk(tree.path("top")), 19);
    ASSERT_GT(memory.usage().remembered, 0u);
    memory.forgetUnder(tree.path("gone"));
    EXPECT_EQ(memory.usage().remembered, 0u);
}

// Listeners hear the folders in which something changed, by path, until they are removed.
TEST(SizeMemory, ListenersHearWhichFoldersChanged)
{
    TempTree tree;
    tree.makeFile("a/b/file", 10);
    tree.makeFile("c/file", 10);
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.root());
    std::mutex lock;
    std::vector<std::string> heard;
    const int id = memory.addChangeListener([&](const std::vector<std::string> &folders, bool all) {
        const std::lock_guard guard(lock);
        EXPECT_FALSE(all);
        heard.insert(heard.end(), folders.begin(), folders.end());
    });
    char *real = realpath(tree.path("a/b").c_str(), nullptr);
    const std::string changed = real;
    std::free(real);
    append(tree.path("a/b/file"), "x");
    EXPECT_TRUE(forgetsUnaided(memory, 4));
    memory.catchUp();
    {
        const std::lock_guard guard(lock);
        EXPECT_FALSE(heard.empty());
        for (const std::string &folder : heard)
            EXPECT_EQ(folder, changed);
        heard.clear();
    }
    memory.removeChangeListener(id);
    append(tree.path("c/file"), "x");
    EXPECT_TRUE(forgetsUnaided(memory, 1));
    memory.catchUp();
    const std::lock_guard guard(lock);
    EXPECT_TRUE(heard.empty());
}

TEST(SizeMemory, AMountOverOrBelowARememberedFolderForgetsIt)
{
    TempTree tree;
    tree.makeFile("covered/file", 100);
    tree.makeFile("source/other", 40);
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.root());
    const std::size_t remembered = memory.usage().remembered;
    if (mount("tmpfs", tree.path("covered").c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    EXPECT_TRUE(forgetsUnaided(memory, remembered));
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    EXPECT_EQ(walk(tree.root()), 40);
    umount2(tree.path("covered").c_str(), MNT_DETACH);
    EXPECT_EQ(walk(tree.root()), 140);

    ASSERT_EQ(
        mount(tree.path("source").c_str(), tree.path("covered").c_str(), nullptr, MS_BIND, nullptr),
        0);
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    EXPECT_EQ(walk(tree.root()), 80);
    umount2(tree.path("covered").c_str(), MNT_DETACH);
    EXPECT_EQ(walk(tree.root()), 140);
}

TEST(SizeMemory, ALostEventQueueForgetsEverything)
{
    TempTree tree;
    tree.makeFile("a/b/file", 10);
    SizeMemory memory(settingsWith(1000));
    Walk walk(memory);
    walk(tree.root());
    ASSERT_EQ(memory.usage().remembered, 3u);
    inotify_event overflow{-1, IN_Q_OVERFLOW, 0, 0};
    memory.applyEvents(reinterpret_cast<const char *>(&overflow), sizeof overflow);
    EXPECT_EQ(memory.usage().remembered, 0u);
    walk(tree.root());
    EXPECT_EQ(walk.foldersRead(), 3);
}

TEST(SizeMemory, FileSystemsThatChangeUnseenAreNeverRemembered)
{
    TempTree tree;
    const int local = open(tree.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int proc = open("/proc/self", O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    // A folder on such a file system makes the folder above it inexact too.
    SizeMemory memory(settingsWith(1000));
    memory.catchUp();
    struct stat st;
    fstat(local, &st);
    const FolderTicket parent = memory.watch(local, {st.st_dev, st.st_ino}, {});
    ASSERT_TRUE(parent.valid());
    fstat(proc, &st);
    EXPECT_FALSE(memory.watch(proc, {st.st_dev, st.st_ino}, parent).valid());
    memory.finish(parent, 0, true);
    EXPECT_EQ(memory.usage().remembered, 0u);
    close(local);
    close(proc);
}

TEST(SizeMemory, RemembersLessPastItsWatchBudgetAndForgetsTheLeastRecentlyUsedFirst)
{
    TempTree tree;
    for (const char *path : {"a/1/f", "a/2/f", "a/3/f", "a/4/f", "a/5/f", "b/f", "c/f"})
        tree.makeFile(path, 9);
    const int watchesBefore = inotifyWatchesOfThisProcess();
    SizeMemory memory(settingsWith(3));
    Walk walk(memory);
    EXPECT_EQ(walk(tree.path("a")), freshTotal(tree.path("a")));
    EXPECT_EQ(walk(tree.path("a")), freshTotal(tree.path("a")));
    EXPECT_EQ(walk.foldersRead(), 4); // a and the three it had no watch for
    EXPECT_LE(memory.usage().folders, 3u);
    EXPECT_LE(inotifyWatchesOfThisProcess() - watchesBefore, 3);

    // Across scans the least recently used folder makes room: b and c push out two of a's.
    walk(tree.path("b"));
    walk(tree.path("c"));
    walk(tree.path("c"));
    EXPECT_EQ(walk.foldersRead(), 0);
    walk(tree.path("b"));
    EXPECT_EQ(walk.foldersRead(), 0);
    EXPECT_LE(inotifyWatchesOfThisProcess() - watchesBefore, 3);

    SizeMemory off(SizeMemorySettings{.enabled = false});
    Walk offWalk(off);
    offWalk(tree.path("b"));
    offWalk(tree.path("b"));
    EXPECT_EQ(offWalk.foldersRead(), 1);
    EXPECT_EQ(off.usage().folders, 0u);
}

// Where the system gives no thread, the memory still remembers, and each scan takes in the
// changes before it looks anything up.
TEST(SizeMemory, WithoutAThreadOfItsOwnEveryChangeIsStillSeen)
{
    TempTree tree;
    tree.makeFile("a/f", 10);
    tree.makeFile("b/g", 20);
    const auto withoutThread = [&tree] {
        LimitThreadStartsForTesting(0);
        SizeMemory memory(settingsWith(1000));
        LimitThreadStartsForTesting(-1);
        Walk walk(memory);
        std::string seen = std::to_string(walk(tree.root()));
        seen += " remembered " + std::to_string(memory.usage().remembered);
        append(tree.path("a/f"), "12345");
        return seen + " then " + std::to_string(walk(tree.root()));
    };
    EXPECT_EQ(runInChild(withoutThread), "30 remembered 3 then 35");
}

TEST(SizeMemory, TheEnvironmentTurnsItOff)
{
    setenv("QUORVANE_SIZE_MEMORY", "0", 1);
    EXPECT_FALSE(SizeMemorySettings::fromEnvironment().enabled);
    unsetenv("QUORVANE_SIZE_MEMORY");
    EXPECT_TRUE(SizeMemorySettings::fromEnvironment().enabled);
    EXPECT_GT(freeWatchShare(), 0);
}

TEST(SizeMemory, ATotalSummedAcrossAChangeOrAnEvictionIsNotTrusted)
{
    SizeMemoryTable table(2);
    int evicted = -1;
    const FolderTicket top = table.enter({1, 1}, 1, {}, &evicted);
    const FolderTicket middle = table.enter({1, 2}, 2, top, &evicted);
    table.changed(2); // while the scan was summing
    EXPECT_FALSE(table.remember(middle, 5));
    EXPECT_FALSE(table.remember(top, 5));

    // A new round: the least recently used folder (the top) makes room for a third one; a
    // change in that one still reaches its parent.
    const FolderTicket again = table.enter({1, 2}, 2, top, &evicted);
    EXPECT_TRUE(table.remember(again, 5));
    table.nextRound();
    const FolderTicket bottom = table.enter({1, 3}, 3, again, &evicted);
    EXPECT_EQ(evicted, 1);
    EXPECT_TRUE(table.remember(bottom, 1));
    table.changed(3);
    EXPECT_FALSE(table.lookup({1, 2}, {}));

    // A folder reached below a second parent (a bind mount shows it in two places): a change
    // in it reaches only the new parent, so the old one is forgotten when it is linked again.
    SizeMemoryTable twoPlaces(8);
    const FolderTicket first = twoPlaces.enter({1, 1}, 1, {}, &evicted);
    const FolderTicket shared = twoPlaces.enter({1, 3}, 3, first, &evicted);
    EXPECT_TRUE(twoPlaces.remember(shared, 4));
    EXPECT_TRUE(twoPlaces.remember(first, 4));
    const FolderTicket second = twoPlaces.enter({1, 2}, 2, {}, &evicted);
    EXPECT_EQ(twoPlaces.lookup({1, 3}, second), 4);
    EXPECT_FALSE(twoPlaces.lookup({1, 1}, {}));
}

TEST(SizeMemory, ConcurrentScansAndChangesEndExact)
{
    TempTree tree;
    for (int folder = 0; folder < 20; ++folder)
        tree.makeFile("d" + std::to_string(folder % 4) + "/s" + std::to_string(folder) + "/f", 10);
    SizeMemory memory(settingsWith(15));
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int scanner = 0; scanner < 3; ++scanner)
        threads.emplace_back([&] {
            Walk walk(memory);
            while (!stop)
                walk(tree.root());
        });
    threads.emplace_back([&] {
        inotify_event overflow{-1, IN_Q_OVERFLOW, 0, 0};
        for (int change = 0; change < 200; ++change) {
            append(tree.path("d" + std::to_string(change % 4) + "/s" + std::to_string(change % 20) +
                             "/f"),
                   "z");
            if (change % 50 == 0)
                memory.applyEvents(reinterpret_cast<const char *>(&overflow), sizeof overflow);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stop = true;
    });
    for (std::thread &thread : threads)
        thread.join();
    Walk walk(memory);
    EXPECT_EQ(walk(tree.root()), freshTotal(tree.root()));
    EXPECT_EQ(walk(tree.root()), 20 * 10 + 200);
}

constexpr auto BuildBound = std::chrono::seconds(60);

// The scanner itself through a memory of its own: the total, and how many folders it read.
// The memory builds itself once the scan is over; the next scan starts once it has.
struct ScannerWalk {
    std::shared_ptr<SizeMemory> memory;
    int reads = 0;
    std::int64_t operator()(const std::string &path)
    {
        const auto reader = std::make_shared<TestDirectoryReader>();
        const std::int64_t total = FolderSizeUsing(path, reader, memory).bytes();
        reads = reader->reads.load();
        EXPECT_TRUE(memory->waitBuilt(BuildBound));
        return total;
    }
};

std::int64_t scannerWithoutMemory(const std::string &path)
{
    return FolderSizeUsing(path, nullptr,
                           std::make_shared<SizeMemory>(SizeMemorySettings{.enabled = false}))
        .bytes();
}

TEST(SizeMemoryInTheScanner, TakesRememberedTotalsAndIsExactAfterEveryChange)
{
    TempTree tree, outside;
    tree.makeFile("a/b/c/d/e/f/g/h/deep", 100);
    tree.makeFile("a/b/own", 7);
    tree.makeFile("moving/inside", 30);
    tree.makeFile("linked/file", 12);
    tree.makeFile("replaced/file", 5);
    tree.makeDir("names");
    outside.makeFile("coming/in", 40);
    ScannerWalk scan{std::make_shared<SizeMemory>(settingsWith(1000))};
    EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
    EXPECT_GT(scan.reads, 0);
    EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
    EXPECT_EQ(scan.reads, 0);

    const auto changes = std::vector<std::function<void()>>{
        [&] { append(tree.path("a/b/c/d/e/f/g/h/deep"), "x"); },
        [&] { tree.makeFile("a/b/c/new/file", 3); },
        [&] { unlink(tree.path("a/b/c/new/file").c_str()); },
        [&] { rmdir(tree.path("a/b/c/new").c_str()); },
        [&] { rename(tree.path("moving").c_str(), tree.path("a/b/moved").c_str()); },
        [&] { append(tree.path("a/b/moved/inside"), "yy"); },
        [&] { rename(tree.path("a/b/moved").c_str(), outside.path("moved").c_str()); },
        [&] { rename(outside.path("coming").c_str(), tree.path("a/coming").c_str()); },
        [&] { append(tree.path("a/coming/in"), "z"); },
        [&] {
            rename(tree.path("replaced").c_str(), outside.path("replaced").c_str());
            symlink(outside.path("replaced").c_str(), tree.path("replaced").c_str());
        },
        [&] { chmod(tree.path("a/b").c_str(), 0); },
        [&] { chmod(tree.path("a/b").c_str(), 0755); },
        // A second name in a watched folder, then a write through it: the first name's folder
        // hears of neither.
        [&] {
            ASSERT_EQ(link(tree.path("linked/file").c_str(), tree.path("names/second").c_str()), 0);
        },
        [&] { append(tree.path("names/second"), "12345"); },
    };
    for (std::size_t step = 0; step < changes.size(); ++step) {
        SCOPED_TRACE(step);
        changes[step]();
        EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
        EXPECT_GT(scan.reads, 0);
        EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
    }
    // Once the file's change is older than what the memory trusts, the folders holding the
    // file with two names are walked every time and the rest is not (two reads a folder: the
    // second finds the end).
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    scan.memory->forgetAll();
    scan(tree.root());
    EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
    EXPECT_EQ(scan.reads, 3 * 2); // the root, linked and names
}

TEST(SizeMemoryInTheScanner, AMountOverARememberedFolderIsSeen)
{
    TempTree tree;
    tree.makeFile("covered/deeper/file", 100);
    tree.makeFile("source/other", 40);
    ScannerWalk scan{std::make_shared<SizeMemory>(settingsWith(1000))};
    scan(tree.root());
    scan(tree.root());
    ASSERT_EQ(scan.reads, 0);
    if (mount("tmpfs", tree.path("covered/deeper").c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    EXPECT_EQ(scan(tree.root()), 40);
    EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
    umount2(tree.path("covered/deeper").c_str(), MNT_DETACH);
    EXPECT_EQ(scan(tree.root()), 140);
    ASSERT_EQ(mount(tree.path("source").c_str(), tree.path("covered/deeper").c_str(), nullptr,
                    MS_BIND, nullptr),
              0);
    EXPECT_EQ(scan(tree.root()), 80);
    umount2(tree.path("covered/deeper").c_str(), MNT_DETACH);
    EXPECT_EQ(scan(tree.root()), 140);
}

TEST(SizeMemoryInTheScanner, ALostEventQueueAndAShortWatchShareStayExact)
{
    TempTree tree;
    for (int folder = 0; folder < 30; ++folder)
        tree.makeFile("d" + std::to_string(folder % 3) + "/s" + std::to_string(folder) + "/f",
                      folder);
    const std::int64_t fresh = scannerWithoutMemory(tree.root());
    ScannerWalk scan{std::make_shared<SizeMemory>(settingsWith(1000))};
    scan(tree.root());
    inotify_event overflow{-1, IN_Q_OVERFLOW, 0, 0};
    scan.memory->applyEvents(reinterpret_cast<const char *>(&overflow), sizeof overflow);
    append(tree.path("d0/s0/f"), "x"); // seen anyway; the walk after the loss reads it all
    EXPECT_EQ(scan(tree.root()), fresh + 1);
    EXPECT_EQ(scan.reads, 34 * 2);

    // 34 folders, watches for 10: the scanner remembers less (walking the same tree over and
    // over, the least recently used is always the next needed) and stays exact.
    const int watchesBefore = inotifyWatchesOfThisProcess();
    ScannerWalk small{std::make_shared<SizeMemory>(settingsWith(10))};
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(small(tree.root()), fresh + 1);
        EXPECT_LE(small.memory->usage().folders, 10u);
        EXPECT_LE(inotifyWatchesOfThisProcess() - watchesBefore, 10);
    }
}

// Scans of several folders stopped at any moment, beside a scanner of the whole tree and
// changes: what is remembered stays exact.
TEST(SizeMemoryInTheScanner, ScansBesideChangesUnderWayEndExact)
{
    TempTree tree;
    for (int folder = 0; folder < 12; ++folder)
        tree.makeFile("d" + std::to_string(folder % 4) + "/s" + std::to_string(folder) + "/f", 10);
    const auto memory = std::make_shared<SizeMemory>(settingsWith(1000));
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int scanner = 0; scanner < 2; ++scanner)
        threads.emplace_back([&] {
            SizeScanOptions options;
            options.memory = memory;
            std::vector<std::string> folders;
            for (int folder = 0; folder < 4; ++folder)
                folders.push_back(tree.path("d" + std::to_string(folder)));
            while (!stop) {
                std::mutex lock;
                std::condition_variable done;
                bool finished = false;
                auto scan = SizeScan::start(
                    folders, [](std::size_t, const FolderTotal &) {},
                    [&] {
                        const std::lock_guard guard(lock);
                        finished = true;
                        done.notify_all();
                    },
                    options);
                std::unique_lock wait(lock);
                done.wait_for(wait, std::chrono::milliseconds(std::rand() % 3),
                              [&] { return finished; });
                wait.unlock();
                scan->stop(); // at once, whether it finished or not
            }
        });
    threads.emplace_back([&] {
        ScannerWalk scan{memory};
        for (int change = 0; change < 150; ++change) {
            append(tree.path("d" + std::to_string(change % 4) + "/s" + std::to_string(change % 12) +
                             "/f"),
                   "z");
            scan(tree.root());
        }
        stop = true;
    });
    for (std::thread &thread : threads)
        thread.join();
    ScannerWalk scan{memory};
    EXPECT_EQ(scan(tree.root()), 12 * 10 + 150);
    EXPECT_EQ(scan(tree.root()), scannerWithoutMemory(tree.root()));
}

// Totals of several folders from one scan, by index.
std::vector<std::int64_t> scanTogether(const std::vector<std::string> &folders,
                                       const std::shared_ptr<SizeMemory> &memory)
{
    SizeScanOptions options;
    options.memory = memory;
    std::vector<std::int64_t> totals;
    for (const FolderTotal &total : SizeScanTotals(folders, options))
        totals.push_back(total.bytes.bytes());
    EXPECT_TRUE(memory->waitBuilt(BuildBound));
    return totals;
}

// A file of a remembered folder given a second name in another folder of the same scan, then
// written through it: the first folder hears nothing, its remembered total is stale, and only
// the walk of the second folder shows it. The scan forgets and walks the first one again
// before it reports it.
TEST(SizeMemoryInTheScanner, AStaleTotalShownByAFileWithTwoNamesIsWalkedAgain)
{
    TempTree tree;
    tree.makeFile("first/inner/file", 10);
    tree.makeDir("second/names");
    const std::vector<std::string> folders = {tree.path("first"), tree.path("second")};
    const auto memory = std::make_shared<SizeMemory>(settingsWith(1000));
    EXPECT_EQ(scanTogether(folders, memory), (std::vector<std::int64_t>{10, 0}));
    ASSERT_EQ(link(tree.path("first/inner/file").c_str(), tree.path("second/names/other").c_str()),
              0);
    append(tree.path("second/names/other"), "12345");
    EXPECT_EQ(scanTogether(folders, memory), (std::vector<std::int64_t>{15, 15}));
    EXPECT_EQ(scanTogether(folders, memory), (std::vector<std::int64_t>{15, 15}));
}

} // namespace
