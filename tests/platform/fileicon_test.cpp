#include "platform/fileicon.h"
#include "support/temptree.h"

#include <gtest/gtest.h>

namespace {

TEST(FileIcon, FoldersShareOnePictureDrivesAndFilesHaveTheirOwn)
{
    TempTree tree;
    tree.makeDir("a");
    tree.makeDir("b");
    tree.makeFile("notes.txt", 4);
    const QPixmap a = fileIconPixmap(tree.pathQ("a"), 16);
    const QPixmap b = fileIconPixmap(tree.pathQ("b"), 16);
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.size(), QSize(16, 16));
    EXPECT_EQ(a.cacheKey(), b.cacheKey());
    EXPECT_FALSE(fileIconPixmap("/", 16).isNull());
    EXPECT_FALSE(fileIconPixmap(tree.pathQ("notes.txt"), 16).isNull());
}

TEST(FileIcon, NothingAtThePathGivesNoPicture)
{
    TempTree tree;
    EXPECT_TRUE(fileIconPixmap(tree.pathQ("missing"), 16).isNull());
    EXPECT_TRUE(fileIconPixmap(QString(), 16).isNull());
}

} // namespace
