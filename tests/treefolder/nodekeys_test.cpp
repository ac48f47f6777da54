#include "treefolder/folderprobe.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/percentof.h"

#include <gtest/gtest.h>
#include <support/temptree.h>

namespace {

TEST(PercentOf, RoundsHalvesToEvenAndClampsTheEnds)
{
    struct Case {
        int i, n;
        short expected;
    };
    const Case cases[] = {{1, 3, 33},  {2, 3, 67}, {3, 3, 100}, {1, 8, 12},  {3, 8, 38},
                          {5, 8, 62},  {7, 8, 88}, {1, 4, 25},  {5, 0, 0},   {1, -2, 0},
                          {9, 8, 100}, {0, 5, 0},  {1, 200, 0}, {3, 200, 2}, {1, 40, 2}};
    for (const Case &c : cases)
        EXPECT_EQ(PercentOf(c.i, c.n), c.expected) << c.i << " of " << c.n;
}

TEST(NodeKeys, ClassifiesRootsDrivesAndFolders)
{
    EXPECT_TRUE(isRootKey("Root_MyComputer"));
    EXPECT_FALSE(isRootKey("root_mycomputer")); // case matters
    EXPECT_TRUE(isDriveKey("/"));
    EXPECT_TRUE(isDriveKey("/media/usb/"));
    EXPECT_FALSE(isDriveKey("/media/usb"));
    EXPECT_FALSE(isDriveKey("Root_X/"));

    EXPECT_EQ(rootKindsOf("Root_MyComputer"), QList<int>({1}));
    EXPECT_EQ(rootKindsOf("Root_WorkSpace"), QList<int>({0}));
    EXPECT_EQ(rootKindsOf("Root_ControlPanel"), QList<int>({2}));
    // Each test stands alone, in the order computer, workspace, controlpanel.
    EXPECT_EQ(rootKindsOf("Root_ControlPanel_WorkSpace_Computer"), QList<int>({1, 0, 2}));
    EXPECT_TRUE(rootKindsOf("Root_Other").isEmpty());

    EXPECT_EQ(entryPlaceholderKey("/home/"), "/home/_empty_child");
    EXPECT_EQ(folderPlaceholderKey("/data/Windows"), "/data/Windows/a");
}

TEST(PathText, SeparatorLastComponentAndBaseName)
{
    EXPECT_EQ(AddBackslash(""), "/");
    EXPECT_EQ(AddBackslash("/"), "/");
    EXPECT_EQ(AddBackslash("/home"), "/home/");
    EXPECT_EQ(lastPathComponent("/home/u/Music"), "Music");
    EXPECT_EQ(baseName("/home/u/My.Stuff.old"), "My.Stuff");
    EXPECT_EQ(baseName("/home/u/Documents/"), "Documents");
    EXPECT_EQ(baseName("/home/u/.config"), ".config");
}

TEST(FolderProbe, FindsARealSubfolderIgnoresFilesAndLinksAndReportsUnopenable)
{
    TempTree tree;
    tree.makeFile("files/a.txt", 3);
    tree.makeSymlink("links/to-root", "/");
    tree.makeDir("mixed/zz");
    tree.makeFile("mixed/a.txt", 1);
    EXPECT_EQ(hasSubfolder(tree.pathQ("files")), std::optional<bool>(false));
    EXPECT_EQ(hasSubfolder(tree.pathQ("links")), std::optional<bool>(false));
    EXPECT_EQ(hasSubfolder(tree.pathQ("mixed")), std::optional<bool>(true));
    EXPECT_EQ(hasSubfolder(tree.pathQ("missing")), std::nullopt);
    EXPECT_EQ(hasSubfolder(tree.pathQ("files/a.txt")), std::nullopt);
}

} // namespace
