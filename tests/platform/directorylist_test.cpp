#include "platform/directorylist.h"
#include "platform/directorylistread.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "support/temptree.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList entries(const DirectoryList &list)
{
    QStringList all;
    for (int i = 0; i < list.listCount(); ++i)
        all.append(list.list(i));
    return all;
}

TEST(DirectoryList, ListsRealSubfoldersSortedWithoutRegardToCase)
{
    TempTree tree;
    for (const char *name : {"beta", "Alpha", "alpha2", ".hidden", "Zeta", "with space", "Beta"})
        tree.makeDir(name);
    tree.makeFile("a file", 1);
    tree.makeSymlink("link to beta", "beta");
    tree.makeFile("beta/grandchild/x", 1);
    DirectoryList list;
    list.setPath(tree.rootQ());

    const QString root = tree.rootQ() + "/";
    // Names equal but for case keep a fixed order too.
    EXPECT_EQ(entries(list),
              QStringList({root + ".hidden", root + "Alpha", root + "alpha2", root + "Beta",
                           root + "beta", root + "with space", root + "Zeta"}));
    EXPECT_EQ(list.path(), tree.rootQ());
}

// Reads that report every entry's type as unknown, as some network and FUSE file systems do.
struct TypelessReads {
    static const dirent *read(DIR *dir)
    {
        dirent *entry = readdir(dir);
        if (entry)
            entry->d_type = DT_UNKNOWN;
        return entry;
    }
};

TEST(DirectoryList, EntriesOfUnknownTypeAreStillListedExactly)
{
    TempTree tree;
    tree.makeDir("b folder");
    tree.makeDir("a folder/inner");
    tree.makeFile("file", 1);
    tree.makeSymlink("link", "a folder");
    BasicDirectoryList<TypelessReads> list;
    list.setPath(tree.rootQ());
    EXPECT_EQ(list.listCount(), 2);
    EXPECT_EQ(list.list(0), tree.pathQ("a folder"));
    EXPECT_EQ(list.list(1), tree.pathQ("b folder"));
}

TEST(DirectoryList, ANameThatIsNotUtf8IsListedAsAPathThatOpensAgain)
{
    TempTree tree;
    tree.makeDir("\xff\xfe/child");
    tree.makeDir("\xef\xbf\xbd\xef\xbf\xbd"); // what the first shows as, in UTF-8
    DirectoryList list;
    list.setPath(tree.rootQ());
    ASSERT_EQ(list.listCount(), 2);
    QList<QByteArray> native;
    for (const QString &entry : entries(list))
        native << nativePath(entry);
    const QByteArray root = QByteArray::fromStdString(tree.root());
    EXPECT_TRUE(native.contains(root + "/\xff\xfe"));
    EXPECT_TRUE(native.contains(root + "/\xef\xbf\xbd\xef\xbf\xbd"));

    list.setPath(pathFromNative(root + "/\xff\xfe"));
    EXPECT_EQ(list.listCount(), 1);
    EXPECT_EQ(nativePath(list.list(0)), root + "/\xff\xfe/child");
}

TEST(DirectoryList, PathIsNormalisedAndTheRootKeepsItsSeparator)
{
    TempTree tree;
    tree.makeDir("sub/child");
    DirectoryList list;

    list.setPath(tree.pathQ("sub/"));
    EXPECT_EQ(list.path(), tree.pathQ("sub"));
    EXPECT_EQ(entries(list), QStringList({tree.pathQ("sub/child")}));

    list.setPath("/");
    EXPECT_EQ(list.path(), "/");
    ASSERT_GT(list.listCount(), 0);
    for (const QString &entry : entries(list)) {
        EXPECT_TRUE(entry.startsWith(u'/')) << entry.toStdString();
        EXPECT_FALSE(entry.startsWith("//")) << entry.toStdString();
    }

    list.setPath("///");
    EXPECT_EQ(list.path(), "/");
}

TEST(DirectoryList, AFolderThatCannotBeOpenedThrows76AndKeepsTheOldList)
{
    TempTree tree;
    tree.makeDir("kept/one");
    tree.makeFile("plain file", 1);
    DirectoryList list;
    list.setPath(tree.pathQ("kept"));
    const QString withNul = tree.pathQ("kept") + QChar(0) + "/elsewhere";

    for (const QString &bad :
         {tree.pathQ("missing"), tree.pathQ("plain file"), QString(), withNul}) {
        try {
            list.setPath(bad);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const RuntimeError &error) {
            EXPECT_EQ(error.number(), 76);
            EXPECT_EQ(error.description(), "Path not found");
        }
        EXPECT_EQ(list.path(), tree.pathQ("kept"));
        EXPECT_EQ(entries(list), QStringList({tree.pathQ("kept/one")}));
    }
}

TEST(DirectoryList, OutsideTheListAnEntryIsEmpty)
{
    TempTree tree;
    tree.makeDir("only");
    DirectoryList list;
    EXPECT_EQ(list.listCount(), 0);
    EXPECT_TRUE(list.list(0).isEmpty());

    list.setPath(tree.rootQ());
    EXPECT_TRUE(list.list(-1).isEmpty());
    EXPECT_TRUE(list.list(1).isEmpty());
}

TEST(DirectoryList, RefreshSeesFoldersMadeSince)
{
    TempTree tree;
    tree.makeDir("first");
    DirectoryList list;
    list.setPath(tree.rootQ());
    tree.makeDir("second");
    EXPECT_EQ(list.listCount(), 1);

    list.refresh();
    EXPECT_EQ(entries(list), QStringList({tree.pathQ("first"), tree.pathQ("second")}));
}

} // namespace
