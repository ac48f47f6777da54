#include "fakeservices.h"
#include "platform/shelllibrary.h"
#include "support/temptree.h"
#include "treeprobe.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class IconIndex : public ::testing::Test {
protected:
    IconIndex() { drives.list = {fixedDrive(disk.rootQ())}; }
    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(IconIndex, KeysDifferingOnlyInCaseShareOneIndexAndAddNoPicture)
{
    disk.makeDir("Music");
    TreeFolder tree(&drives, &special);
    const int count = tree.imageList().count();
    const int first = tree.GetIconIndex(disk.pathQ("Music"), 16, false);
    EXPECT_EQ(first, count + 1);
    EXPECT_EQ(tree.GetIconIndex(disk.pathQ("MUSIC"), 16, false), first);
    EXPECT_EQ(tree.GetIconIndex(disk.pathQ("music"), 16, true, 17, true), first);
    EXPECT_EQ(tree.imageList().count(), count + 1);
    EXPECT_EQ(tree.imageList().key(first), disk.pathQ("Music"));
}

TEST_F(IconIndex, TopRootsKeepPictureOneAndTwoThroughRebuilds)
{
    TreeFolder tree(&drives, &special);
    const int count = tree.imageList().count();
    tree.setHideControlPanel(true);
    tree.Clear();
    tree.setHideControlPanel(false);
    EXPECT_EQ(tree.FolderNodes().find("Root_WorkSpace").image(), 1);
    EXPECT_EQ(tree.FolderNodes().find("Root_MyComputer").image(), 2);
    EXPECT_EQ(tree.imageList().count(), count);
    EXPECT_FALSE(tree.imageList().pixmap(1).isNull());
    EXPECT_FALSE(tree.imageList().pixmap(2).isNull());
    EXPECT_EQ(tree.imageList().pixmap(1).size(), QSize(16, 16));
}

TEST_F(IconIndex, MissingPathOrPictureFileGivesNoPicture)
{
    TreeFolder tree(&drives, &special);
    const int count = tree.imageList().count();
    EXPECT_EQ(tree.GetIconIndex(disk.pathQ("not-there"), 16, false), 0);
    EXPECT_EQ(tree.GetIconIndex(disk.pathQ("not-there.ico"), 16, true, 1, false), 0);
    EXPECT_EQ(tree.imageList().count(), count);
}

TEST_F(IconIndex, UnknownLibraryNumberStillAddsAnEmptyPictureOfTheSize)
{
    TreeFolder tree(&drives, &special);
    const int index = tree.GetIconIndex("Root_Unknown", 16, true, 9999, true);
    ASSERT_GT(index, 0);
    const QImage picture = tree.imageList().pixmap(index).toImage();
    EXPECT_EQ(picture.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(picture.pixel(8, 8)), 0);
}

TEST_F(IconIndex, NodesOfDifferentKeysKeepTheirOwnIndexes)
{
    disk.makeDir("a/x");
    disk.makeDir("b/x");
    TreeFolder tree(&drives, &special);
    tree.FolderNodes().find(disk.rootQ() + '/').setExpanded(true);
    const TreeNode a = tree.FolderNodes().find(disk.pathQ("a"));
    const TreeNode b = tree.FolderNodes().find(disk.pathQ("b"));
    EXPECT_GT(a.image(), 2);
    EXPECT_EQ(b.image(), a.image() + 1);
    // Plain folders show the same picture, held once.
    EXPECT_EQ(tree.imageList().pixmap(a.image()).cacheKey(),
              tree.imageList().pixmap(b.image()).cacheKey());
    EXPECT_FALSE(a.item()->icon(0).isNull());
}

} // namespace
