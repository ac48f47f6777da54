// The size memory built in the background after a walk: a walk watches nothing itself, the
// builder runs only while no walk does, and what it builds stays exact whatever changes while
// it builds.

#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "foldersize/sizescan.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr auto BuildBound = std::chrono::seconds(60);

std::shared_ptr<SizeMemory> newMemory()
{
    SizeMemorySettings settings;
    settings.watchBudget = 1000;
    return std::make_shared<SizeMemory>(settings);
}

std::int64_t fresh(const std::string &path)
{
    return FolderSizeUsing(path, nullptr,
                           std::make_shared<SizeMemory>(SizeMemorySettings{.enabled = false}))
        .bytes();
}

// One scan through memory: its total and the folders it read; the memory's build is waited for.
struct Scan {
    std::shared_ptr<SizeMemory> memory;
    int reads = 0;
    std::int64_t operator()(const std::string &path, bool waitForBuild = true)
    {
        const auto reader = std::make_shared<TestDirectoryReader>();
        const std::int64_t total = FolderSizeUsing(path, reader, memory).bytes();
        reads = reader->reads.load();
        if (waitForBuild) {
            EXPECT_TRUE(memory->waitBuilt(BuildBound));
        }
        return total;
    }
};

void append(const std::string &path, const char *bytes)
{
    std::ofstream(path, std::ios::app) << bytes;
}

// Every kind of change the kernel reports, and a write through a second name, which it
// reports only in the second name's folder; each with the way back.
struct Change {
    std::function<void()> make;
    std::function<void()> undo;
};

std::vector<Change> changesOf(const TempTree &tree, const TempTree &outside)
{
    return {
        {[&] { append(tree.path("a/b/c/file"), "xy"); },
         [&] { truncate(tree.path("a/b/c/file").c_str(), 100); }},
        {[&] { tree.makeFile("a/b/new", 11); }, [&] { unlink(tree.path("a/b/new").c_str()); }},
        {[&] { tree.makeFile("a/b/c/sub/file", 3); },
         [&] {
             unlink(tree.path("a/b/c/sub/file").c_str());
             rmdir(tree.path("a/b/c/sub").c_str());
         }},
        {[&] { rename(tree.path("moving").c_str(), tree.path("a/b/moved").c_str()); },
         [&] { rename(tree.path("a/b/moved").c_str(), tree.path("moving").c_str()); }},
        {[&] { rename(tree.path("d/e").c_str(), outside.path("e").c_str()); },
         [&] { rename(outside.path("e").c_str(), tree.path("d/e").c_str()); }},
        {[&] { chmod(tree.path("a/b").c_str(), 0); },
         [&] { chmod(tree.path("a/b").c_str(), 0755); }},
        {[&] {
             link(tree.path("links/file").c_str(), tree.path("d/second").c_str());
             append(tree.path("d/second"), "12345");
         },
         [&] { unlink(tree.path("d/second").c_str()); }},
        {[&] {
             rename(tree.path("d").c_str(), outside.path("d").c_str());
             symlink(outside.path("d").c_str(), tree.path("d").c_str());
         },
         [&] {
             unlink(tree.path("d").c_str());
             rename(outside.path("d").c_str(), tree.path("d").c_str());
         }},
    };
}

// Each change lands while the memory is built, after the builder watched its n-th folder and
// before it read it, for every n: what it built then agrees with a walk without memory.
TEST(SizeMemoryBuild, ChangesWhileItIsBuiltStayExact)
{
    TempTree tree, outside;
    tree.makeFile("a/b/c/file", 100);
    tree.makeFile("a/own", 7);
    tree.makeFile("d/e/file", 40);
    tree.makeFile("links/file", 12);
    tree.makeFile("moving/inside", 30);
    constexpr int Folders = 8;
    const std::vector<Change> changes = changesOf(tree, outside);
    for (std::size_t kind = 0; kind < changes.size(); ++kind) {
        for (int moment = 0; moment < Folders; ++moment) {
            SCOPED_TRACE("change " + std::to_string(kind) + " at folder " + std::to_string(moment));
            Scan scan{newMemory()};
            std::atomic<int> watched{0};
            scan.memory->beforeBuildReadsForTesting([&] {
                if (watched++ == moment)
                    changes[kind].make();
            });
            scan(tree.root());
            ASSERT_GT(watched.load(), moment);
            scan.memory->beforeBuildReadsForTesting({});
            EXPECT_EQ(scan(tree.root()), fresh(tree.root()));
            changes[kind].undo();
            EXPECT_EQ(scan(tree.root()), fresh(tree.root()));
            EXPECT_EQ(scan(tree.root()), fresh(tree.root()));
        }
    }
}

// A walk watches nothing; the builder waits while any walk of the process runs, leaves what
// it builds when one starts (holding no descriptor meanwhile), and finishes once it is over.
TEST(SizeMemoryBuild, BuildsOnlyWhileNoWalkRuns)
{
    TempTree tree;
    for (const char *path : {"a/1/f", "a/2/f", "b/f", "c/d/e/f"})
        tree.makeFile(path, 10);
    Scan scan{newMemory()};
    {
        const ForegroundWalk another;
        EXPECT_EQ(scan(tree.root(), false), 40);
        EXPECT_EQ(scan.memory->usage().folders, 0u);
        EXPECT_FALSE(scan.memory->waitBuilt(std::chrono::milliseconds(200)));
        EXPECT_EQ(scan.memory->usage().folders, 0u);
    }
    EXPECT_TRUE(scan.memory->waitBuilt(BuildBound));
    EXPECT_EQ(scan.memory->usage().remembered, 8u);
    EXPECT_EQ(scan(tree.root()), 40);
    EXPECT_EQ(scan.reads, 0);

    Scan again{newMemory()};
    std::optional<ForegroundWalk> walkMeanwhile;
    std::atomic<int> watched{0};
    again.memory->beforeBuildReadsForTesting([&] {
        if (watched.load() == 2)
            walkMeanwhile.emplace();
        ++watched;
    });
    again(tree.root(), false);
    EXPECT_FALSE(again.memory->waitBuilt(std::chrono::milliseconds(200)));
    EXPECT_EQ(watched.load(), 3);
    EXPECT_EQ(descriptorsBelow(tree.root()), 0);
    walkMeanwhile->end();
    EXPECT_TRUE(again.memory->waitBuilt(BuildBound));
    again.memory->beforeBuildReadsForTesting({});
    EXPECT_EQ(again(tree.root()), 40);
    EXPECT_EQ(again.reads, 0);
}

// The folders a scan summed before it was stopped are built as well.
TEST(SizeMemoryBuild, FoldersAStoppedScanSummedAreBuilt)
{
    TempTree tree;
    tree.makeFile("done/sub/f", 10);
    tree.makeFile("slow/f", 5);
    const auto memory = newMemory();
    const auto reader = std::make_shared<TestDirectoryReader>();
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    reader->beforeOpen = [released](const char *name) {
        if (std::string(name).find("slow") != std::string::npos)
            released.wait_for(std::chrono::seconds(30));
    };
    std::promise<void> doneReported;
    SizeScanOptions options;
    options.system = reader;
    options.memory = memory;
    const auto scan = SizeScan::start(
        {tree.path("done"), tree.path("slow")},
        [&doneReported](std::size_t index, const FolderTotal &) {
            if (index == 0)
                doneReported.set_value();
        },
        {}, options);
    ASSERT_EQ(doneReported.get_future().wait_for(std::chrono::seconds(30)),
              std::future_status::ready);
    scan->stop();
    release.set_value();
    EXPECT_TRUE(memory->waitBuilt(BuildBound));
    Scan again{memory};
    EXPECT_EQ(again(tree.path("done")), 10);
    EXPECT_EQ(again.reads, 0);
}

// Deeper than the descriptors the builder holds: built whole, with few descriptors.
TEST(SizeMemoryBuild, ADeepTreeIsBuiltWholeWithFewDescriptors)
{
    TempTree tree;
    std::string deep;
    for (int level = 0; level < 40; ++level) {
        deep += "level/";
        tree.makeFile(deep + "file", level + 1);
    }
    Scan scan{newMemory()};
    std::atomic<int> most{0};
    scan.memory->beforeBuildReadsForTesting(
        [&] { most = std::max(most.load(), descriptorsBelow(tree.root())); });
    EXPECT_EQ(scan(tree.root()), 40 * 41 / 2);
    EXPECT_GE(most.load(), 8);
    EXPECT_LE(most.load(), 9); // eight held, and the one just opened
    EXPECT_EQ(scan(tree.root()), 40 * 41 / 2);
    EXPECT_EQ(scan.reads, 0);
}

} // namespace
