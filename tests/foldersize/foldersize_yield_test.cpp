#include "foldersize/foldersize.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// Eleven entries below the root, at four depths, of every kind; 1,234 bytes in files.
constexpr int EntryCount = 11;
constexpr std::int64_t TreeBytes = 1234;

void makeMixedTree(const TempTree &tree)
{
    tree.makeFile("a/one", 1000);
    tree.makeFile("a/b/two", 200);
    tree.makeFile("a/b/c/three", 34);
    tree.makeDir("a/b/c/empty");
    tree.makeDir("d");
    tree.makeSymlink("d/link", "..");
    ASSERT_EQ(mkfifo(tree.path("pipe").c_str(), 0644), 0);
    tree.makeFile("zero", 0);
}

TEST(FolderSizeYield, IsCalledOncePerEntryAtEveryDepth)
{
    TempTree tree;
    makeMixedTree(tree);
    const int descriptorsBefore = openDescriptorCount();
    int calls = 0;
    const SizeAmount total = FolderSize(tree.root(), [&] {
        ++calls;
        return ScanControl::Continue;
    });

    EXPECT_EQ(calls, EntryCount);
    EXPECT_EQ(total.bytes(), TreeBytes) << "links, pipes and folders add nothing";
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
}

TEST(FolderSizeYield, StopEndsTheScanAtOnceAndReleasesEverything)
{
    TempTree tree;
    makeMixedTree(tree);
    const int descriptorsBefore = openDescriptorCount();
    // Stopping at every possible entry, deep or shallow, asks no further entry.
    for (int stopAt = 1; stopAt <= EntryCount; ++stopAt) {
        int calls = 0;
        FolderSize(tree.root(),
                   [&] { return ++calls == stopAt ? ScanControl::Stop : ScanControl::Continue; });
        EXPECT_EQ(calls, stopAt);
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore) << "stopped at " << stopAt;
    }
}

TEST(FolderSizeYield, AScanStartedFromTheYieldDoesNotDisturbTheOuterOne)
{
    TempTree outer;
    TempTree inner;
    makeMixedTree(outer);
    inner.makeFile("x/y/z", 99);
    std::int64_t innerTotal = -1;
    int calls = 0;
    const SizeAmount outerTotal = FolderSize(outer.root(), [&] {
        if (++calls == 3) // in the middle of reading a folder of the outer scan
            innerTotal = FolderSize(inner.root()).bytes();
        return ScanControl::Continue;
    });

    EXPECT_EQ(innerTotal, 99);
    EXPECT_EQ(outerTotal.bytes(), TreeBytes);
    EXPECT_EQ(calls, EntryCount);
}

TEST(FolderSizeYield, AYieldThatThrowsIsSkippedAndTheScanGoesOn)
{
    TempTree tree;
    makeMixedTree(tree);
    int calls = 0;
    const SizeAmount total = FolderSize(tree.root(), [&]() -> ScanControl {
        ++calls;
        throw std::runtime_error("the event loop failed");
    });

    EXPECT_EQ(calls, EntryCount);
    EXPECT_EQ(total.bytes(), TreeBytes);
}

} // namespace
