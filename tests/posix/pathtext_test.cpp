#include "posix/pathtext.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(AddBackslash, AppendsTheSeparatorOnlyWhenMissing)
{
    using std::string;
    EXPECT_EQ(AddBackslash(string("")), "/");
    EXPECT_EQ(AddBackslash(string("/")), "/");
    EXPECT_EQ(AddBackslash(string("/home/user")), "/home/user/");
    EXPECT_EQ(AddBackslash(string("/home/user/")), "/home/user/");
    EXPECT_EQ(AddBackslash(string("relative")), "relative/");
    // The tree's keys are texts: the same rule.
    EXPECT_EQ(AddBackslash(QString()), QStringLiteral("/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("/home/Müller")), QStringLiteral("/home/Müller/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("/media/")), QStringLiteral("/media/"));
}

TEST(IsDot, OnlyTheTwoEntriesEveryFolderLists)
{
    EXPECT_TRUE(isDot("."));
    EXPECT_TRUE(isDot(".."));
    EXPECT_FALSE(isDot("..."));
    EXPECT_FALSE(isDot(".hidden"));
    EXPECT_FALSE(isDot("..x"));
    EXPECT_FALSE(isDot("a"));
}

} // namespace
