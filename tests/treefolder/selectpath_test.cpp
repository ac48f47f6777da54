#include "fakeservices.h"
#include "support/temptree.h"
#include "treefolder/percentof.h"
#include "treeprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class SelectPath : public ::testing::Test {
protected:
    SelectPath()
    {
        disk.makeDir("d/Windows/System");
        disk.makeDir("d/Windows2/X/Y");
        disk.makeDir("d/Windows2/Z");
        drives.list = {fixedDrive(disk.pathQ("d")), fixedDrive(disk.pathQ("other"))};
    }
    QString key(const std::string &relative) const { return disk.pathQ(relative); }
    QString current(const TreeFolder &tree) const
    {
        QTreeWidgetItem *item = tree.treeView()->currentItem();
        return item ? TreeNode(&tree.FolderNodes(), item).key() : QString();
    }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(SelectPath, OpensAndSelectsEachComponentDownToTheTarget)
{
    TreeFolder tree(&drives, &special);
    tree.SelectPath(key("d/Windows2/X"));
    const TreeNodes &nodes = tree.FolderNodes();
    EXPECT_EQ(current(tree), key("d/Windows2/X"));
    EXPECT_TRUE(nodes.find(key("d/Windows2/X")).selected());
    EXPECT_TRUE(nodes.find(disk.pathQ("d") + '/').expanded());
    EXPECT_TRUE(nodes.find(key("d/Windows2")).expanded());
    EXPECT_EQ(nodes.find(key("d/Windows2/X")).tag(), std::optional<int>(1));
    EXPECT_EQ(childKeys(nodes.find(key("d/Windows2/X"))), QStringList({key("d/Windows2/X/Y")}));
    // Whole components: Windows, listed before Windows2, is a different folder and stays shut.
    EXPECT_FALSE(nodes.find(key("d/Windows")).expanded());
    EXPECT_EQ(nodes.find(key("d/Windows")).tag(), std::optional<int>(0));
    EXPECT_TRUE(nodes.find(disk.pathQ("other") + '/').tag() == std::optional<int>(0));
}

// A start folder of many subfolders does not hold the window: the folders on the way load at
// once, the target's own children come afterwards, as for a user's opening.
TEST_F(SelectPath, TheTargetsManyChildrenComeAfterwardsInOrderThenTheLastIsScrolledTo)
{
    constexpr int Count = 2500;
    for (int i = 0; i < Count; ++i)
        mkdir(disk.path("d/Windows2/Z/f" + std::to_string(10000 + i)).c_str(), 0755);
    const QString big = key("d/Windows2/Z");
    TreeFolder tree(&drives, &special);
    tree.resize(300, 200);
    tree.show();
    QTreeWidget *view = tree.treeView();
    const auto shown = [&](const TreeNode &node) {
        return view->viewport()->rect().intersects(view->visualItemRect(node.item()));
    };
    EventLog log(tree);
    const auto waitForOpening = [&] {
        QElapsedTimer waited;
        waited.start();
        while (!log.events.contains("FolderExpand " + big) && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    const QString drive = disk.pathQ("d") + '/';
    QStringList expected = {"Progress 50",
                            "Progress 100",
                            "Progress 0",
                            "FolderExpand " + drive,
                            "Change",
                            "Progress 50",
                            "Progress 100",
                            "Progress 0",
                            "FolderExpand " + key("d/Windows2"),
                            "Change"};

    tree.SelectPath(big);
    EXPECT_EQ(current(tree), big);
    EXPECT_EQ(log.events, expected);
    TreeNode target = tree.FolderNodes().find(big);
    EXPECT_LT(target.children(), Count);
    waitForOpening();
    for (int i = 1; i <= Count; ++i)
        expected << QStringLiteral("Progress %1").arg(PercentOf(i, Count));
    expected << "Progress 0"
             << "FolderExpand " + big << "Change";
    EXPECT_EQ(log.events, expected);
    ASSERT_EQ(target.children(), Count);
    EXPECT_EQ(target.tag(), std::optional<int>(1));
    EXPECT_TRUE(shown(target.child().lastSibling()));

    // A user who chose another node while they came in is not taken back there.
    target.setExpanded(false);
    tree.SelectPath(big);
    log.events.clear();
    view->setCurrentItem(tree.FolderNodes().find(drive).item());
    waitForOpening();
    ASSERT_EQ(target.children(), Count);
    EXPECT_FALSE(shown(target.child().lastSibling()));
    EXPECT_TRUE(shown(tree.FolderNodes().find(drive)));
}

TEST_F(SelectPath, TrailingSeparatorAndTheDriveItselfAreFound)
{
    TreeFolder tree(&drives, &special);
    tree.SelectPath(key("d/Windows") + '/');
    EXPECT_EQ(current(tree), key("d/Windows"));
    tree.SelectPath(key("d"));
    EXPECT_EQ(current(tree), disk.pathQ("d") + '/');
}

TEST_F(SelectPath, PathOnNoDriveOrInAnotherCaseSelectsNothingAndRaisesNothing)
{
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    const QStringList before = keysByIndex(tree.FolderNodes());
    for (const QString &target : {key("D/Windows"), QStringLiteral("/nowhere/at/all"),
                                  QStringLiteral("//server/share"), QString()}) {
        tree.SelectPath(target);
        EXPECT_EQ(current(tree), QString()) << target.toStdString();
    }
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(keysByIndex(tree.FolderNodes()), before);
}

TEST_F(SelectPath, NestedMountIsEnteredThroughItsOwnDrive)
{
    drives.list = {fixedDrive(disk.pathQ("d")), fixedDrive(key("d/Windows2"))};
    TreeFolder tree(&drives, &special);
    tree.SelectPath(key("d/Windows2/Z"));
    EXPECT_EQ(current(tree), key("d/Windows2/Z"));
    EXPECT_EQ(tree.FolderNodes().find(key("d/Windows2/Z")).parent().key(), key("d/Windows2") + '/');
    EXPECT_FALSE(tree.FolderNodes().find(disk.pathQ("d") + '/').expanded());
}

TEST_F(SelectPath, EmptyTreeIsLeftAlone)
{
    TreeFolder tree(&drives, &special);
    tree.Clear();
    tree.SelectPath(key("d/Windows"));
    EXPECT_EQ(tree.FolderNodes().count(), 0);
}

TEST_F(SelectPath, AssigningThePathRaisesTheOpeningsThenOneChange)
{
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    tree.setPath(key("d/Windows2"));
    const QString drive = disk.pathQ("d") + '/';
    EXPECT_EQ(log.events,
              QStringList({"Progress 50", "Progress 100", "Progress 0", "FolderExpand " + drive,
                           "Change", "Progress 50", "Progress 100", "Progress 0",
                           "FolderExpand " + key("d/Windows2"), "Change", "Change"}));
    EXPECT_EQ(tree.path(), key("d/Windows2"));

    // Nothing to open: exactly one Change, and the path reads back as assigned.
    TreeFolder fresh(&drives, &special);
    EventLog quiet(fresh);
    fresh.setPath("/nowhere");
    EXPECT_EQ(quiet.events, QStringList({"Change"}));
    EXPECT_EQ(fresh.path(), "/nowhere");
}

TEST_F(SelectPath, AssigningThePathBuildsAClearedTree)
{
    TreeFolder tree(&drives, &special);
    tree.Clear();
    tree.setPath(key("d/Windows"));
    EXPECT_EQ(current(tree), key("d/Windows"));
}

} // namespace
