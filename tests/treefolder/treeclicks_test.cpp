#include "fakeservices.h"
#include "recordinghost.h"
#include "support/temptree.h"
#include "treefolder/propertybag.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// One drive on a real temporary folder.
struct OneDrive {
    OneDrive()
    {
        disk.makeDir("d/a1");
        disk.makeDir("d/b2/inner");
        drives.list = {fixedDrive(disk.pathQ("d"))};
    }
    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

// The tree over that drive, shown on the (offscreen) screen so nodes have places.
class TreeClicks : public ::testing::Test, protected OneDrive {
protected:
    TreeClicks()
    {
        tree.resize(400, 500);
        tree.show();
        QApplication::processEvents();
    }
    QString driveKey() const { return disk.pathQ("d") + '/'; }
    TreeNode node(const QString &key) const { return tree.FolderNodes().find(key); }
    // m_Path as a host sees it: what saving the instance writes as "Path".
    QString storedPath() const
    {
        PropertyBag bag;
        tree.WriteProperties(bag);
        return bag.ReadProperty(QStringLiteral("Path"), ProcessCurrentDirectory()).toString();
    }

    TreeFolder tree{&drives, &special};
};

TEST_F(TreeClicks, ClickOnDriveRaisesDriveThenFolderThenChangeWithTheOldPathStillSet)
{
    tree.setPath(QStringLiteral("/nowhere/start"));
    RecordingHost host(tree);
    QStringList pathsDuring;
    host.during = [&](const QString &event) {
        if (event.contains(u"Click ") || event == u"Change")
            pathsDuring << storedPath();
    };
    User::click(tree, node(driveKey()));

    EXPECT_EQ(host.own(),
              QStringList({"DriveClick " + driveKey(), "FolderClick " + driveKey(), "Change"}));
    // The pass-through events of the same click come first.
    ASSERT_EQ(host.events.size(), 6);
    EXPECT_TRUE(host.events[0].startsWith(u"MouseDown 1 0 "));
    EXPECT_TRUE(host.events[1].startsWith(u"MouseUp 1 0 "));
    EXPECT_EQ(host.events[2], "Click");
    EXPECT_EQ(pathsDuring, QStringList(3, QStringLiteral("/nowhere/start")));
    EXPECT_EQ(storedPath(), driveKey());
    EXPECT_EQ(tree.selectedFolder(), driveKey());
}

TEST_F(TreeClicks, ClickOnFolderRaisesFolderClickAndChangeOnlyAndKeepsItAsPathAfterRebuild)
{
    node(driveKey()).setExpanded(true);
    const QString folder = disk.pathQ("d/b2");
    RecordingHost host(tree);
    User::click(tree, node(folder));
    EXPECT_EQ(host.own(), QStringList({"FolderClick " + folder, "Change"}));

    // A later rebuild starts from the clicked folder.
    tree.setHideNetwork(true);
    EXPECT_EQ(storedPath(), folder);
    EXPECT_EQ(tree.path(), folder); // nothing selected in the rebuilt tree
}

TEST_F(TreeClicks, ClicksOnRootsRaiseRootClickWithTheirKindAndLeaveThePath)
{
    tree.setPath(QStringLiteral("/nowhere/start"));
    RecordingHost host(tree);
    User::click(tree, node(QStringLiteral("Root_MyComputer")));
    User::click(tree, node(QStringLiteral("Root_WorkSpace")));
    User::click(tree, node(QStringLiteral("Root_ControlPanel")));
    EXPECT_EQ(host.own(), QStringList({"RootClick 1", "RootClick 0", "RootClick 2"}));
    EXPECT_EQ(storedPath(), "/nowhere/start");
}

TEST_F(TreeClicks, ClickingTheSelectedNodeAgainIsAnotherClick)
{
    tree.setLabelEdit(1); // an automatic label edit would open on the second click
    User::click(tree, node(driveKey()));
    RecordingHost host(tree);
    User::click(tree, node(driveKey()));
    EXPECT_EQ(host.own(),
              QStringList({"DriveClick " + driveKey(), "FolderClick " + driveKey(), "Change"}));
}

TEST_F(TreeClicks, SelectionByCodeRaisesNoClick)
{
    RecordingHost host(tree);
    tree.setPath(disk.pathQ("d/b2/inner"));
    tree.treeView()->setCurrentItem(node(QStringLiteral("Root_ControlPanel")).item());
    const QStringList own = host.own();
    for (const QString &event : own)
        EXPECT_FALSE(event.contains(u"Click")) << event.toStdString();
    EXPECT_EQ(own.last(), "Change");
}

TEST_F(TreeClicks, PressOnOneNodeAndReleaseOnAnotherIsNoClick)
{
    RecordingHost host(tree);
    User::mouse(tree, QEvent::MouseButtonPress, User::centreOf(tree, node(driveKey())));
    User::mouse(tree, QEvent::MouseButtonRelease,
                User::centreOf(tree, node(QStringLiteral("Root_ControlPanel"))));
    EXPECT_EQ(host.own(), QStringList());
}

TEST_F(TreeClicks, RightClickNeitherSelectsNorClicks)
{
    RecordingHost host(tree);
    User::clickAt(tree, User::centreOf(tree, node(driveKey())), Qt::RightButton);
    EXPECT_EQ(host.own(), QStringList());
    EXPECT_EQ(tree.selectedFolder(), QString());
}

TEST_F(TreeClicks, DoubleClickIsOneClickThenDblClickAndNeverFolderDblClick)
{
    tree.setLabelEdit(1);
    const QPoint at = User::centreOf(tree, node(driveKey()));
    RecordingHost host(tree);
    User::clickAt(tree, at);
    User::mouse(tree, QEvent::MouseButtonDblClick, at);
    User::mouse(tree, QEvent::MouseButtonRelease, at);
    QStringList kept;
    for (const QString &e : host.events) {
        if (!e.startsWith(u"Mouse") && !e.startsWith(u"Progress"))
            kept << e;
    }
    // The double click opens the drive, as on the native tree.
    EXPECT_EQ(kept, QStringList({"Click", "DriveClick " + driveKey(), "FolderClick " + driveKey(),
                                 "Change", "DblClick", "FolderExpand " + driveKey(), "Change"}));
}

TEST_F(TreeClicks, KeyThatMovesTheCurrentNodeIsAClick)
{
    tree.treeView()->setFocus();
    User::click(tree, node(QStringLiteral("Root_MyComputer")));
    RecordingHost host(tree);
    User::key(tree, Qt::Key_Down); // My Computer's first child: the drive
    EXPECT_EQ(host.own(),
              QStringList({"DriveClick " + driveKey(), "FolderClick " + driveKey(), "Change"}));
    host.clear();
    User::key(tree, Qt::Key_Right); // opens the drive; the current node stays
    EXPECT_FALSE(host.own().contains("FolderClick " + driveKey()));
}

TEST(TreeKeys, ArrowsWalkATreeDeeperThanTheWindowIsWideAndScrollSidewaysEitherWay)
{
    TempTree disk;
    std::string path = "d";
    QStringList levels;
    for (int i = 0; i < 24; ++i) {
        path += "/level " + std::to_string(i);
        disk.makeDir(path);
        levels << disk.pathQ(path);
    }
    FakeDrives drives;
    FakeSpecialFolders special;
    drives.list = {fixedDrive(disk.pathQ("d"))};
    const QString drive = disk.pathQ("d") + '/';
    const auto eventsOf = [](const QString &event, QStringList keys) {
        return (event + ' ' + keys.join("\n" + event + ' ')).split('\n');
    };
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "right to left" : "left to right");
        // Right goes into the tree, Left out of it; the other way round when it is mirrored.
        const int in = mirrored ? Qt::Key_Left : Qt::Key_Right;
        const int out = mirrored ? Qt::Key_Right : Qt::Key_Left;
        TreeFolder tree{&drives, &special};
        tree.setLayoutDirection(mirrored ? Qt::RightToLeft : Qt::LeftToRight);
        tree.resize(200, 300); // level 8 already starts past the edge
        tree.show();
        QTreeWidget *view = tree.treeView();
        view->setFocus();
        User::click(tree, tree.FolderNodes().find(drive));
        RecordingHost host(tree);
        // Each level takes two presses: the first opens it, the second moves to its child.
        for (int press = 0; press < 2 * int(levels.size()); ++press)
            User::key(tree, in);
        EXPECT_EQ(tree.selectedFolder(), levels.last());
        EXPECT_EQ(host.own().filter(QStringLiteral("FolderClick ")),
                  eventsOf("FolderClick", levels));
        // The deepest name starts inside the tree, which scrolled sideways to show it.
        const QRect deepest = view->visualItemRect(view->currentItem());
        const int nameStart = mirrored ? deepest.right() : deepest.left();
        EXPECT_TRUE(view->viewport()->rect().contains(QPoint(nameStart, deepest.center().y())));
        EXPECT_GT(view->columnWidth(0), view->viewport()->width());
        QScrollBar *sideways = view->horizontalScrollBar();
        const int scrolled = sideways->value();
        EXPECT_GT(scrolled, 0);
        // Shift with the wheel scrolls sideways, not down.
        const int down = view->verticalScrollBar()->value();
        QWheelEvent wheel(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120),
                          Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        EXPECT_LT(sideways->value(), scrolled);
        EXPECT_EQ(view->verticalScrollBar()->value(), down);

        // Back out: the parent of a closed node, then close it; the drive last.
        host.clear();
        for (int press = 0; press < 2 * int(levels.size()); ++press)
            User::key(tree, out);
        EXPECT_EQ(tree.selectedFolder(), drive);
        EXPECT_FALSE(tree.FolderNodes().find(drive).expanded());
        QStringList upwards(levels.rbegin() + 1, levels.rend());
        EXPECT_EQ(host.own().filter(QStringLiteral("FolderClick ")),
                  eventsOf("FolderClick", upwards + QStringList{drive}));
        EXPECT_EQ(host.own().filter(QStringLiteral("FolderCollapse ")),
                  eventsOf("FolderCollapse", upwards + QStringList{drive}));
        // In a tree wider than the names shown, the column fills it and nothing scrolls.
        tree.resize(600, 300);
        for (int turn = 0; turn < 3; ++turn)
            QApplication::processEvents();
        EXPECT_EQ(view->columnWidth(0), view->viewport()->width());
        EXPECT_EQ(sideways->maximum(), 0);
    }
    // A path selected before the tree is shown is in view once it is.
    TreeFolder hidden{&drives, &special};
    hidden.SelectPath(levels.last());
    hidden.resize(200, 300);
    hidden.show();
    for (int turn = 0; turn < 3; ++turn)
        QApplication::processEvents();
    QTreeWidget *view = hidden.treeView();
    const QRect deepest = view->visualItemRect(view->currentItem());
    EXPECT_TRUE(view->viewport()->rect().contains(deepest.topLeft()));
}

TEST_F(TreeClicks, ToggleOfACheckBoxRaisesDriveThenFolderCheckAndNoClick)
{
    tree.setCheckBoxes(true);
    RecordingHost host(tree);
    const QPoint box = User::checkBoxOf(tree, node(driveKey()));
    User::clickAt(tree, box);
    EXPECT_EQ(host.own(), QStringList({"DriveCheck " + driveKey() + " true",
                                       "FolderCheck " + driveKey() + " true"}));
    EXPECT_EQ(tree.selectedFolder(), QString()); // a check box press does not select
    EXPECT_TRUE(node(driveKey()).checked());

    host.clear();
    User::clickAt(tree, box);
    EXPECT_EQ(host.own(), QStringList({"DriveCheck " + driveKey() + " false",
                                       "FolderCheck " + driveKey() + " false"}));
}

TEST_F(TreeClicks, CheckingARootRaisesRootCheckAndCodeRaisesNothing)
{
    tree.setCheckBoxes(true);
    RecordingHost host(tree);
    User::clickAt(tree, User::checkBoxOf(tree, node(QStringLiteral("Root_ControlPanel"))));
    EXPECT_EQ(host.own(), QStringList({"RootCheck 2 true"}));

    host.clear();
    const int driveIndex = node(driveKey()).index();
    tree.setFolderChecked(driveIndex, true);
    node(QStringLiteral("Root_MyComputer")).setChecked(true);
    tree.setCheckBoxes(false);
    tree.setCheckBoxes(true);
    EXPECT_EQ(host.own(), QStringList());
    EXPECT_TRUE(tree.folderChecked(driveIndex));
}

TEST_F(TreeClicks, CheckingAFolderLeavesLoadedChildrenAndPassesToFreshlyLoadedOnes)
{
    tree.setCheckBoxes(true);
    TreeNode drive = node(driveKey());
    drive.setExpanded(true);
    User::clickAt(tree, User::checkBoxOf(tree, drive));
    EXPECT_FALSE(node(disk.pathQ("d/a1")).checked());

    drive.setExpanded(false);
    drive.setExpanded(true);
    EXPECT_TRUE(node(disk.pathQ("d/a1")).checked());
    EXPECT_TRUE(node(disk.pathQ("d/b2")).checked());
    EXPECT_EQ(node(disk.pathQ("d/b2")).item()->checkState(0), Qt::Checked);
}

TEST_F(TreeClicks, SingleSelOpensTheClickedNodeAndClosesTheOneBefore)
{
    tree.setLabelEdit(1);
    tree.setSingleSel(true);
    User::click(tree, node(driveKey()));
    EXPECT_TRUE(node(driveKey()).expanded());
    const QString b2 = disk.pathQ("d/b2");
    RecordingHost host(tree);
    User::click(tree, node(b2)); // inside the drive: the drive stays open
    EXPECT_TRUE(node(driveKey()).expanded());
    EXPECT_TRUE(node(b2).expanded());

    host.clear();
    User::click(tree, node(QStringLiteral("Root_ControlPanel")));
    EXPECT_EQ(host.own().first(), "FolderCollapse " + b2);
    EXPECT_FALSE(node(b2).expanded());
    EXPECT_TRUE(node(driveKey()).expanded());
}

} // namespace
