#include "foldersize/foldersize.h"
#include "support/temptree.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::int64_t bytesBelow(const std::string &path)
{
    return FolderSize(path).bytes();
}

TEST(FolderSize, SumsEveryFileAtEveryDepthAndNothingForFolders)
{
    TempTree tree;
    tree.makeDir("empty");
    tree.makeFile("top.bin", 100);
    tree.makeFile("a/one", 1000);
    tree.makeFile("a/b/two", 20000);
    tree.makeFile("a/b/c/zero", 0);
    tree.makeFile("only folders/x/y/deep", 7);
    tree.makeFile(".hidden/.dotfile", 3);

    struct Case {
        std::string relative;
        std::int64_t bytes;
    };
    const std::vector<Case> cases = {
        {"", 21110},          {"a", 21000},   {"a/b", 20000},  {"a/b/c", 0},
        {"empty", 0},         {"empty/", 0},  {"a/", 21000},   {"only folders", 7},
        {"only folders/", 7}, {".hidden", 3}, {"a//b", 20000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bytesBelow(tree.path(c.relative)), c.bytes) << c.relative;
    EXPECT_EQ(bytesBelow(tree.root() + "/"), 21110);
}

TEST(FolderSize, WhatCannotBeOpenedCountsZero)
{
    TempTree tree;
    tree.makeFile("file", 50);
    tree.makeFile("dir/inner", 60);
    const std::string withNul = tree.path("dir") + std::string(1, '\0') + "/elsewhere";

    EXPECT_EQ(bytesBelow(tree.path("missing")), 0);
    EXPECT_EQ(bytesBelow(tree.path("file")), 0) << "a file is not a folder";
    EXPECT_EQ(bytesBelow(withNul), 0) << "the text before the NUL names a real folder";
    EXPECT_EQ(bytesBelow(tree.root() + "/" + std::string(5000, 'n')), 0);
    EXPECT_EQ(bytesBelow(tree.path(std::string(300, 'x'))), 0) << "name over NAME_MAX";
}

TEST(FolderSize, CountsFullLengthsOfLargeFiles)
{
    TempTree tree;
    const std::int64_t justOver2GiB = (std::int64_t(1) << 31) + 1;
    const std::int64_t over4GiB = (std::int64_t(5) << 30) + 3;
    tree.makeSparseFile("big/over2", justOver2GiB);
    tree.makeSparseFile("big/nested/over4", over4GiB);
    tree.makeFile("big/small", 10);

    EXPECT_EQ(bytesBelow(tree.path("big")), justOver2GiB + over4GiB + 10);
}

// Files this large exist as holes; a file system that cannot hold them skips the test.
bool makeHugeFiles(const TempTree &tree, const std::string &folder, int count, std::int64_t length)
{
    try {
        for (int i = 0; i < count; ++i)
            tree.makeSparseFile(folder + (folder.empty() ? "" : "/") + "huge" + std::to_string(i),
                                length);
        return true;
    } catch (const std::runtime_error &) {
        return false;
    }
}

TEST(FolderSize, SkipsAnAdditionThatWouldOverflowAndKeepsCounting)
{
    TempTree tree;
    TempTree flat;
    const std::int64_t length = (std::int64_t(1) << 44) - 4096; // ext4's largest file
    const int perFolder = 30;                                   // 30 fit in the range, 60 not
    if (!makeHugeFiles(tree, "left", perFolder, length) ||
        !makeHugeFiles(tree, "right", perFolder, length) ||
        !makeHugeFiles(flat, "", 2 * perFolder, length))
        GTEST_SKIP() << "the temporary file system cannot hold files of " << length << " bytes";
    tree.makeFile("five", 5);
    flat.makeFile("five", 5);
    ASSERT_GT(2 * perFolder * length, SizeAmount::MaxBytes);
    ASSERT_LE(perFolder * length + 5, SizeAmount::MaxBytes);

    // The first subfolder's total fits, the second one's addition is skipped whole.
    EXPECT_EQ(bytesBelow(tree.path("left")), perFolder * length);
    EXPECT_EQ(bytesBelow(tree.root()), 5 + perFolder * length);
    // In one folder every file is its own addition: as many as fit, and the small one.
    const std::int64_t fitting = SizeAmount::MaxBytes / length;
    EXPECT_EQ(bytesBelow(flat.root()), fitting * length + 5);
}

TEST(FolderSize, NeverFollowsSymbolicLinks)
{
    TempTree tree;
    TempTree elsewhere;
    elsewhere.makeFile("outside", 5000);
    tree.makeFile("a/data", 100);
    tree.makeSymlink("a/loop", "..");
    tree.makeSymlink("a/self", ".");
    tree.makeSymlink("a/absolute", tree.root());
    tree.makeSymlink("a/far", elsewhere.root());
    tree.makeSymlink("a/filelink", elsewhere.path("outside"));
    tree.makeSymlink("a/dangling", tree.path("nothing here"));
    tree.makeSymlink("b", "a");

    EXPECT_EQ(bytesBelow(tree.root()), 100);
    EXPECT_EQ(bytesBelow(tree.path("a")), 100);
    // The folder the caller names may itself be a link: it is the caller's choice.
    EXPECT_EQ(bytesBelow(tree.path("a/far")), 5000);
}

TEST(FolderSize, CountsNamesWithSpacesNewlinesAndBytesThatAreNotUtf8)
{
    TempTree tree;
    tree.makeFile("with space", 1);
    tree.makeFile("new\nline", 2);
    tree.makeFile("caf\xe9", 4);
    tree.makeFile("\xff\xfe dir/tab\there", 8);
    tree.makeFile("line\nfolder/\x80", 16);
    tree.makeFile(" leading and trailing /x", 32);

    EXPECT_EQ(bytesBelow(tree.root()), 63);
    EXPECT_EQ(bytesBelow(tree.path("\xff\xfe dir")), 8);
    EXPECT_EQ(bytesBelow(tree.path("line\nfolder/")), 16);
}

TEST(FolderSize, CountsHardLinksOncePerName)
{
    TempTree tree;
    tree.makeFile("a/original", 300);
    ASSERT_EQ(link(tree.path("a/original").c_str(), tree.path("a/second name").c_str()), 0);

    EXPECT_EQ(bytesBelow(tree.root()), 600);
}

TEST(TrimAtNul, KeepsTheTextBeforeTheFirstNul)
{
    using namespace std::string_literals;
    EXPECT_EQ(TrimAtNul("name\0   "s), "name");
    EXPECT_EQ(TrimAtNul("a\0b\0c"s), "a");
    EXPECT_EQ(TrimAtNul("\0rest"s), "");
    EXPECT_EQ(TrimAtNul("no nul"), "no nul");
    EXPECT_EQ(TrimAtNul(""), "");
}

} // namespace
