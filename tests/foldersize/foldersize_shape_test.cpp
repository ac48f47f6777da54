// The parallel walk against a plain walk on one thread, on trees of every shape.

#include "foldersize/foldersize.h"
#include "foldersize/subfolderopen.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

void makeWideTree(const TempTree &tree)
{
    for (int i = 0; i < 3000; ++i)
        tree.makeFile("f" + std::to_string(i), i);
    for (int i = 0; i < 300; ++i) {
        tree.makeDir("empty" + std::to_string(i));
        tree.makeFile("sub" + std::to_string(i) + "/one", 7 * i + 1);
    }
}

// A chain of levels, each with a file and a side folder holding one more.
void makeDeepTree(const TempTree &tree)
{
    std::string level;
    for (int i = 0; i < 150; ++i) {
        tree.makeFile(level + "file", i + 1);
        tree.makeFile(level + "side/leaf", 1000 + i);
        level += "n" + std::to_string(i) + "/";
    }
}

// Random folders and files, with every kind of entry that must add nothing or be counted
// once per name: links to folders (also loops), to files and to nowhere, pipes, hard links,
// empty folders and one folder nobody may read.
void makeMixedTree(const TempTree &tree, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> folders{""};
    for (int i = 0; i < 300; ++i) {
        const std::string parent = folders[random() % folders.size()];
        folders.push_back(parent + "d" + std::to_string(i) + "/");
        tree.makeDir(folders.back());
    }
    for (int i = 0; i < 2000; ++i)
        tree.makeFile(folders[random() % folders.size()] + "f" + std::to_string(i),
                      random() % 100000);
    for (int i = 0; i < 40; ++i) {
        const std::string at = folders[random() % folders.size()];
        tree.makeSymlink(at + "up" + std::to_string(i), "..");
        tree.makeSymlink(at + "root" + std::to_string(i), tree.root());
        tree.makeSymlink(at + "nowhere" + std::to_string(i), "missing");
        ASSERT_EQ(mkfifo(tree.path(at + "pipe" + std::to_string(i)).c_str(), 0644), 0);
        ASSERT_EQ(link(tree.path("f" + std::to_string(i)).c_str(),
                       tree.path(at + "hard" + std::to_string(i)).c_str()) == 0 ||
                      errno == ENOENT,
                  true);
    }
    tree.makeFile(folders[7] + "closed/secret", 4242);
    ASSERT_EQ(chmod(tree.path(folders[7] + "closed").c_str(), 0), 0);
}

TEST(FolderSizeShape, TotalsEqualAWalkOnOneThreadWithAndWithoutEntryTypes)
{
    TempTree wide, deep, mixed;
    makeWideTree(wide);
    makeDeepTree(deep);
    makeMixedTree(mixed, 7);
    for (const TempTree *tree : {&wide, &deep, &mixed}) {
        const std::int64_t expected = referenceTotal(tree->root());
        ASSERT_GT(expected, 0);
        for (int round = 0; round < 3; ++round)
            EXPECT_EQ(FolderSize(tree->root()).bytes(), expected) << tree->root();
        // Some file systems leave the entry type out: files are then sized and folders
        // entered all the same, and links still not followed.
        const auto unknownTypes = std::make_shared<TestDirectoryReader>();
        unknownTypes->blankTypes = true;
        EXPECT_EQ(FolderSizeUsing(tree->root(), unknownTypes).bytes(), expected) << tree->root();
        EXPECT_GT(unknownTypes->reads.load(), 0);
        // Where openat2 is refused (an old kernel, or a sandbox whose filter answers EPERM or
        // ENOSYS), every subfolder is opened the older way.
        for (const int refusal : {EPERM, ENOSYS}) {
            RefuseOpenat2ForTesting(refusal);
            EXPECT_EQ(FolderSize(tree->root()).bytes(), expected) << "refused with " << refusal;
        }
        RefuseOpenat2ForTesting(0);
    }
}

TEST(FolderSizeShape, FilesAndFoldersVanishingDuringTheScanCountOnlyWhatWasThere)
{
    TempTree tree;
    std::int64_t stable = 0;
    for (int i = 0; i < 100; ++i) {
        tree.makeFile("d" + std::to_string(i % 20) + "/keep" + std::to_string(i), 100 + i);
        stable += 100 + i;
    }
    constexpr int Churning = 200;
    constexpr std::int64_t ChurnLength = 5000;
    std::atomic<bool> done{false};
    std::thread churn([&] {
        for (int round = 0; !done; ++round)
            for (int i = 0; i < Churning; ++i) {
                const std::string folder = "d" + std::to_string(i % 20) + "/c" + std::to_string(i);
                if (round % 2 == 0) {
                    tree.makeSparseFile(folder + "/file", ChurnLength);
                } else {
                    unlink(tree.path(folder + "/file").c_str());
                    rmdir(tree.path(folder).c_str());
                }
            }
    });
    for (int scan = 0; scan < 30; ++scan) {
        const std::int64_t total = FolderSize(tree.root()).bytes();
        EXPECT_GE(total, stable);
        EXPECT_LE(total, stable + Churning * ChurnLength);
        EXPECT_EQ((total - stable) % ChurnLength, 0) << "a file was counted by halves";
    }
    done = true;
    churn.join();
}

} // namespace
