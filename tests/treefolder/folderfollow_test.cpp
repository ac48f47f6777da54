#include "fakeservices.h"
#include "recordinghost.h"
#include "support/inotifywatches.h"
#include "support/temptree.h"
#include "treeprobe.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Changes settle for a fifth of a second before the tree follows them; this is ample.
constexpr int FollowWaitMilliseconds = 5000;

class FolderFollow : public ::testing::Test {
protected:
    FolderFollow()
    {
        disk.makeDir("d/a/x");
        disk.makeDir("d/b");
        disk.makeDir("d/c/y");
        disk.makeDir("d/e");
        drives.list = {fixedDrive(disk.pathQ("d"))};
        // d/c is shown twice: as Documents at the top, and inside d.
        special.paths = {{SpecialFolderId::MyDocuments, disk.pathQ("d/c")}};
        tree = std::make_unique<TreeFolder>(&drives, &special);
        tree->resize(500, 700);
        tree->show();
        QApplication::processEvents();
    }
    QString key(const std::string &relative) const { return disk.pathQ(relative); }
    // The node inside d, where a folder is shown twice.
    TreeNode node(const std::string &relative) const
    {
        const QList<TreeNode> shown =
            tree->FolderNodes().findAll(relative == "d" ? key("d") + '/' : key(relative));
        return shown.isEmpty() ? TreeNode() : shown.last();
    }
    QStringList keys(std::initializer_list<const char *> relatives) const
    {
        QStringList all;
        for (const char *relative : relatives)
            all << key(relative);
        return all;
    }
    // Lets the tree see the disk's changes for a while, long after they settled.
    static void letChangesSettle() { QTest::qWait(600); }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
    std::unique_ptr<TreeFolder> tree;
};

TEST_F(FolderFollow, AnOpenFolderGainsAndLosesSubfoldersMadeOnDiskAndKeepsAllElse)
{
    node("d").setExpanded(true);
    node("d/c").setExpanded(true);
    tree->setCheckBoxes(true);
    node("d").setChecked(true); // after the opening: its children stay unchecked
    tree->treeView()->setCurrentItem(node("d/e").item());
    RecordingHost host(*tree);

    disk.makeDir("d/bb");
    std::filesystem::remove_all(disk.path("d/a")); // with its closed branch
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return childKeys(node("d")) == keys({"d/b", "d/bb", "d/c", "d/e"});
        },
        FollowWaitMilliseconds))
        << childKeys(node("d")).join(' ').toStdString();

    EXPECT_TRUE(node("d/bb").checked()); // the parent's state, as an opening gives it
    EXPECT_FALSE(node("d/b").checked());
    EXPECT_EQ(node("d/bb").children(), 0); // nothing to open: no expand button
    EXPECT_TRUE(node("d/c").expanded());
    EXPECT_EQ(childKeys(node("d/c")), keys({"d/c/y"}));
    EXPECT_TRUE(node("d/e").selected());
    EXPECT_EQ(tree->treeView()->currentItem(), node("d/e").item());
    EXPECT_EQ(tree->selectedFolder(), key("d/e"));
    EXPECT_TRUE(host.events.isEmpty()) << host.events.join(", ").toStdString();

    // The selected folder, gone from disk, stays where the user put it until he moves on.
    std::filesystem::remove(disk.path("d/e"));
    letChangesSettle();
    EXPECT_TRUE(node("d/e").selected());
    tree->treeView()->setCurrentItem(node("d/b").item(), 0, QItemSelectionModel::NoUpdate);
    letChangesSettle();
    EXPECT_FALSE(node("d/e").isNull()) << "still selected";
    tree->treeView()->setCurrentItem(node("d/b").item(), 0, QItemSelectionModel::ClearAndSelect);
    ASSERT_TRUE(QTest::qWaitFor([&] { return node("d/e").isNull(); }, FollowWaitMilliseconds));
    EXPECT_TRUE(node("d/b").selected());
}

TEST_F(FolderFollow, ANewSubfolderThatHasSubfoldersGetsAnExpandButton)
{
    node("d").setExpanded(true);
    disk.makeDir("d/n/inner");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !node("d/n").isNull(); }, FollowWaitMilliseconds));
    EXPECT_EQ(node("d/n").children(), 1); // the placeholder until it is opened
    node("d/n").setExpanded(true);
    EXPECT_EQ(childKeys(node("d/n")), keys({"d/n/inner"}));
}

TEST_F(FolderFollow, AClosedFolderIsNotFollowedAndListsAfreshWhenOpenedAgain)
{
    const int before = inotifyWatchesOfThisProcess();
    node("d").setExpanded(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return inotifyWatchesOfThisProcess() == before + 1; },
                                FollowWaitMilliseconds));
    node("d/a").setExpanded(true); // a folder of one child: closing it removes no row
    EXPECT_TRUE(QTest::qWaitFor([&] { return inotifyWatchesOfThisProcess() == before + 2; },
                                FollowWaitMilliseconds));
    node("d/a").setExpanded(false);
    QApplication::processEvents();
    EXPECT_EQ(inotifyWatchesOfThisProcess(), before + 1); // closing stops the watch
    node("d").setExpanded(false);
    QApplication::processEvents();
    EXPECT_EQ(inotifyWatchesOfThisProcess(), before);

    disk.makeDir("d/z");
    letChangesSettle();
    EXPECT_EQ(node("d").children(), 1); // still the one placeholder child
    EXPECT_TRUE(node("d/z").isNull());
    node("d").setExpanded(true);
    EXPECT_EQ(childKeys(node("d")), keys({"d/a", "d/b", "d/c", "d/e", "d/z"}));

    // Closing one node of a folder shown twice leaves the other following it.
    node("d/c").setExpanded(true);
    TreeNode documents = tree->FolderNodes().find(key("d/c"));
    ASSERT_NE(documents, node("d/c"));
    documents.setExpanded(true);
    letChangesSettle(); // both are followed
    documents.setExpanded(false);
    QApplication::processEvents();
    disk.makeDir("d/c/w");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !node("d/c/w").isNull(); }, FollowWaitMilliseconds));
    EXPECT_EQ(node("d/c/w").parent(), node("d/c"));

    // An emptied tree follows nothing.
    tree->Clear();
    QApplication::processEvents();
    EXPECT_EQ(inotifyWatchesOfThisProcess(), before);
}

} // namespace

TEST_F(FolderFollow, FoldersOnFileSystemsInotifyMissesAndLargeFoldersAreNotFollowed)
{
    // /proc changes unseen, as network and FUSE volumes do.
    FakeDrives procDrives;
    procDrives.list = {fixedDrive(QStringLiteral("/proc/self"))};
    TreeFolder procTree(&procDrives, &special);
    const int before = inotifyWatchesOfThisProcess();
    procTree.FolderNodes().find(QStringLiteral("/proc/self/")).setExpanded(true);
    ASSERT_GT(procTree.FolderNodes().find(QStringLiteral("/proc/self/")).children(), 0);
    letChangesSettle();
    EXPECT_EQ(inotifyWatchesOfThisProcess(), before);

    // A large folder, opened at once on the way to a folder inside it.
    for (int i = 0; i < 2001; ++i)
        disk.makeFile("d/big/f" + std::to_string(i), 0);
    disk.makeDir("d/big/s");
    tree->setPath(key("d/big/s"));
    ASSERT_TRUE(node("d/big").expanded());
    disk.makeDir("d/big/t");
    letChangesSettle();
    EXPECT_TRUE(node("d/big/t").isNull());
}
