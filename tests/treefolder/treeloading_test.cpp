#include "fakeservices.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "support/goneserver.h"
#include "support/temptree.h"
#include "treeprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// The tree reads no folder while it builds its root level, so drive paths need not exist.
class TreeLoading : public ::testing::Test {
protected:
    TreeLoading()
    {
        drives.list = {fixedDrive("/", "DATA"),
                       fixedDrive("/srv"),
                       Drive{"/media/cd", DriveType::CdRom, "DISC", {}, false},
                       Drive{"/mnt/share", DriveType::Network, {}, "//server/data", true},
                       Drive{"/media/usb", DriveType::Removable, "STICK", {}, true},
                       Drive{"/mnt/odd", DriveType::Unknown, "ODD", {}, true}};
        special.paths = {{SpecialFolderId::Favorites, "/home/u/Favorites"},
                         {SpecialFolderId::MyDocuments, "/home/u/Documents"},
                         {SpecialFolderId::Network, "/home/u/Network.Places"}};
    }
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(TreeLoading, FreshBuildGivesRootsDrivesSpecialFoldersInOrderWithIndexes)
{
    TreeFolder tree(&drives, &special);
    const TreeNodes &nodes = tree.FolderNodes();
    EXPECT_EQ(keysByIndex(nodes), QStringList({"Root_WorkSpace",
                                               "Root_MyComputer",
                                               "/",
                                               "/_empty_child",
                                               "/srv/",
                                               "/srv/_empty_child",
                                               "/media/cd/",
                                               "/media/cd/_empty_child",
                                               "/mnt/share/",
                                               "/mnt/share/_empty_child",
                                               "/media/usb/",
                                               "/media/usb/_empty_child",
                                               "/mnt/odd/",
                                               "/mnt/odd/_empty_child",
                                               "/home/u/Favorites",
                                               "/home/u/Favorites_empty_child",
                                               "/home/u/Documents",
                                               "/home/u/Documents_empty_child",
                                               "/home/u/Network.Places",
                                               "/home/u/Network.Places_empty_child",
                                               "Root_ControlPanel"}));
    // Display order: My Computer, the network folder, then Control Panel under the desktop.
    EXPECT_EQ(childKeys(nodes.find("Root_WorkSpace")),
              QStringList({"Root_MyComputer", "/home/u/Network.Places", "Root_ControlPanel"}));

    auto text = [&](const QString &key) { return nodes.find(key).text(); };
    EXPECT_EQ(text("Root_WorkSpace"), "Desktop");
    EXPECT_EQ(text("Root_MyComputer"), "Computer");
    EXPECT_EQ(text("/"), "DATA (/)");
    EXPECT_EQ(text("/srv/"), "Local Disk (/srv)");
    EXPECT_EQ(text("/media/cd/"), " (/media/cd)"); // no disc: empty label, leading blank
    EXPECT_EQ(text("/mnt/share/"), "//server/data (/mnt/share)");
    EXPECT_EQ(text("/media/usb/"), "Removable Disk (/media/usb)");
    EXPECT_EQ(text("/mnt/odd/"), " (/mnt/odd)");
    EXPECT_EQ(text("/home/u/Network.Places"), "Network"); // base name drops the extension
    EXPECT_EQ(text("Root_ControlPanel"), "Control Panel");
    EXPECT_EQ(text("/media/cd/_empty_child"), "");

    EXPECT_FALSE(nodes.find("Root_WorkSpace").tag().has_value());
    EXPECT_FALSE(nodes.find("Root_MyComputer").tag().has_value());
    for (const QString key : {"/", "/media/cd/", "/home/u/Documents", "Root_ControlPanel"})
        EXPECT_EQ(nodes.find(key).tag(), std::optional<int>(0)) << key.toStdString();
    EXPECT_EQ(nodes.find("Root_ControlPanel").children(), 0);
    EXPECT_FALSE(nodes.find("/_empty_child").tag().has_value());
    EXPECT_EQ(nodes.find("/_empty_child").image(), 0);
    EXPECT_TRUE(nodes.find("Root_WorkSpace").expanded());
    EXPECT_TRUE(nodes.find("Root_MyComputer").expanded());
    EXPECT_EQ(nodes.find("Root_WorkSpace").image(), 1);
    EXPECT_EQ(nodes.find("Root_MyComputer").image(), 2);
}

TEST_F(TreeLoading, HideFlagsLeaveOutTheirNodesAndRebuildOnEveryAssignment)
{
    TreeFolder tree(&drives, &special);
    tree.setHideFavorites(true);
    tree.setHideMyDocuments(true);
    tree.setHideNetwork(true);
    tree.setHideControlPanel(true);
    const TreeNodes &nodes = tree.FolderNodes();
    EXPECT_EQ(nodes.count(), 2 + 2 * int(drives.list.size()));
    EXPECT_EQ(childKeys(nodes.find("Root_WorkSpace")), QStringList({"Root_MyComputer"}));

    // Assigning the same value again still throws the open branches away.
    nodes.find("/srv/").item()->setText(0, "changed");
    tree.setHideNetwork(true);
    EXPECT_EQ(nodes.find("/srv/").text(), "Local Disk (/srv)");
}

TEST_F(TreeLoading, BuildOnATreeWithNodesChangesNothing)
{
    TreeFolder tree(&drives, &special);
    const QStringList before = keysByIndex(tree.FolderNodes());
    drives.list.append(fixedDrive("/late"));
    tree.LoadTreeView("/");
    tree.ReloadTree();
    EXPECT_EQ(keysByIndex(tree.FolderNodes()), before);

    tree.Clear();
    tree.FolderNodes().add({}, "lonely", "", 0);
    tree.ReloadTree();
    EXPECT_EQ(tree.FolderNodes().count(), 1);
}

TEST_F(TreeLoading, SpecialFoldersThePlatformLacksAreLeftOut)
{
    special.paths = {{SpecialFolderId::MyDocuments, "/home/u/Documents"}};
    TreeFolder tree(&drives, &special);
    const TreeNodes &nodes = tree.FolderNodes();
    EXPECT_EQ(childKeys(nodes.find("Root_WorkSpace")),
              QStringList({"Root_MyComputer", "Root_ControlPanel"}));
    EXPECT_EQ(childKeys(nodes.find("Root_MyComputer")).last(), "/home/u/Documents");
}

TEST_F(TreeLoading, FailureIsRaisedAgainUnderTheControlsNameAndKeepsNodesAddedBefore)
{
    drives.list = {fixedDrive("/"), fixedDrive("/srv"), fixedDrive("/srv")};
    try {
        TreeFolder unnamed(&drives, &special);
        FAIL() << "a drive listed twice was accepted";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), RuntimeErrorNumber::KeyNotUnique);
        EXPECT_EQ(error.source(), "TreeFolder_LoadTreeView");
    }

    // The same failure on a named instance, rebuilt by a hide flag.
    FakeDrives good;
    good.list = {fixedDrive("/")};
    TreeFolder named(&good, &special);
    named.setObjectName("TreeFolder1");
    good.list = drives.list;
    try {
        named.setHideNetwork(true);
        FAIL() << "a drive listed twice was accepted";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.source(), "TreeFolder1_LoadTreeView");
        EXPECT_EQ(error.description(), "Key is not unique in collection");
    }
    // Everything up to the second /srv/ stayed, so a later build does nothing.
    EXPECT_EQ(keysByIndex(named.FolderNodes()),
              QStringList({"Root_WorkSpace", "Root_MyComputer", "/", "/_empty_child", "/srv/",
                           "/srv/_empty_child"}));
    named.ReloadTree();
    EXPECT_EQ(named.FolderNodes().count(), 6);
}

TEST(TreeLoadingMounts, ASilentMountIsRefusedVisiblyAndBecomesUsableOnceItAnswers)
{
    TempTree disk;
    disk.makeDir("disk/sub");
    disk.makeDir("disk/share/inside");
    const QByteArray local = QByteArray::fromStdString(disk.path("disk"));
    const QByteArray share = local + "/share"; // a silent mount point inside a listed folder
    const QByteArray table = "30 28 8:3 / " + local + " rw - ext4 /dev/sdz1 rw\n36 30 0:51 / " +
                             share + " rw - nfs4 server:/x rw\n";
    GoneServer server;
    const MountedDrives drives([&] { return table; }, server.checkBlocking(share));
    FakeSpecialFolders special;
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    const QString localKey = QString::fromUtf8(local + "/");
    const QString shareKey = QString::fromUtf8(share + "/");
    ASSERT_EQ(childKeys(tree.FolderNodes().find("Root_MyComputer")),
              QStringList({localKey, shareKey}));

    TreeNode silent = tree.FolderNodes().find(shareKey);
    silent.setExpanded(true);
    EXPECT_EQ(log.events, QStringList({"DriveNotReady " + shareKey, "Progress 0", "Progress 0",
                                       "FolderExpand " + shareKey, "Change"}));
    // Refused, and saying so, but neither lost nor closing My Computer.
    EXPECT_EQ(silent.children(), 1);
    EXPECT_FALSE(silent.expanded());
    EXPECT_EQ(silent.item()->toolTip(0), "Not responding");
    EXPECT_TRUE(tree.FolderNodes().find("Root_MyComputer").expanded());

    TreeNode drive = tree.FolderNodes().find(localKey);
    drive.setExpanded(true);
    EXPECT_EQ(childKeys(drive), QStringList({QString::fromUtf8(share), disk.pathQ("disk/sub")}));
    EXPECT_EQ(drive.child().children(), 0) << "a silent mount point is not opened for a probe";
    EXPECT_GT(drive.child().image(), 0);
    EXPECT_FALSE(server.timedOut());

    // The server is back: asked again in the background, the volume becomes usable.
    server.release();
    QElapsedTimer waited;
    waited.start();
    while (!silent.item()->toolTip(0).isEmpty() && waited.elapsed() < 8000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(silent.item()->toolTip(0), QString());
    log.events.clear();
    silent.setExpanded(true);
    EXPECT_EQ(childKeys(silent), QStringList({QString::fromUtf8(share + "/inside")}));
    EXPECT_EQ(log.events,
              QStringList({"Progress 100", "Progress 0", "FolderExpand " + shareKey, "Change"}));
}

TEST(TreeLoadingReal, ShowsTheMachinesRootDriveAndHomeFolders)
{
    TreeFolder tree;
    const TreeNode root = tree.FolderNodes().find("/");
    ASSERT_FALSE(root.isNull());
    EXPECT_EQ(root.parent().key(), "Root_MyComputer");
    EXPECT_GT(root.image(), 2);
    for (const QString &key : childKeys(tree.FolderNodes().find("Root_MyComputer")))
        EXPECT_TRUE(key.startsWith('/')) << key.toStdString();
}

} // namespace
