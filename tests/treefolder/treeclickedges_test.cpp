#include "fakeservices.h"
#include "recordinghost.h"
#include "support/goneserver.h"
#include "support/temptree.h"
#include "treeprobe.h"

#include <QApplication>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void showAndFocus(TreeFolder &tree)
{
    tree.resize(400, 500);
    tree.show();
    tree.treeView()->setFocus();
    QApplication::processEvents();
}

// The host charts the folder a click names unless its volume does not answer; the tree then
// keeps the selection where the chart still is.
TEST(TreeClickEdges, AClickOnASilentMountKeepsTheSelectionOnTheFolderChosenBefore)
{
    TempTree disk;
    disk.makeDir("disk/share/inside");
    disk.makeDir("disk/sub");
    disk.makeDir("disk/zz");
    const QByteArray local = QByteArray::fromStdString(disk.path("disk"));
    const QByteArray share = local + "/share";
    const QByteArray table = "30 28 8:3 / " + local + " rw - ext4 /dev/sdz1 rw\n36 30 0:51 / " +
                             share + " rw - nfs4 server:/x rw\n";
    GoneServer server;
    const MountedDrives drives([&] { return table; }, server.checkBlocking(share));
    FakeSpecialFolders special;
    TreeFolder tree(&drives, &special);
    showAndFocus(tree);
    tree.FolderNodes().find(QString::fromUtf8(local + "/")).setExpanded(true);
    const QString shareKey = QString::fromUtf8(share);
    const TreeNodes &nodes = tree.FolderNodes();
    User::click(tree, nodes.find(disk.pathQ("disk/zz")));

    RecordingHost host(tree);
    User::click(tree, nodes.find(shareKey));
    EXPECT_EQ(host.own(), QStringList({"FolderClick " + shareKey, "Change"}));
    EXPECT_EQ(tree.selectedFolder(), disk.pathQ("disk/zz"));
    EXPECT_EQ(tree.path(), disk.pathQ("disk/zz"));
    EXPECT_EQ(nodes.find(shareKey).item()->toolTip(0), "Not responding");
    // The arrows walk on from the silent node.
    host.clear();
    User::key(tree, Qt::Key_Down);
    EXPECT_EQ(host.own(), QStringList({"FolderClick " + disk.pathQ("disk/sub"), "Change"}));
    EXPECT_EQ(tree.selectedFolder(), disk.pathQ("disk/sub"));
    EXPECT_FALSE(server.timedOut());
}

// Opened from code or by SingleSel, or found empty when opened, a folder without subfolders
// is no open node: Left goes to its parent and gives it no expand button.
TEST(TreeClickEdges, LeftOnAFolderWithoutSubfoldersGoesToItsParent)
{
    TempTree disk;
    disk.makeDir("d/a1");
    disk.makeDir("d/b2/gone");
    FakeDrives drives;
    FakeSpecialFolders special;
    drives.list = {fixedDrive(disk.pathQ("d"))};
    const QString driveKey = disk.pathQ("d") + '/';
    for (const int way : {0, 1, 2}) {
        SCOPED_TRACE(way);
        TreeFolder tree{&drives, &special};
        showAndFocus(tree);
        QString leaf = disk.pathQ("d/a1");
        if (way == 0) {
            tree.SelectPath(leaf);
        } else if (way == 1) {
            tree.setSingleSel(true);
            tree.FolderNodes().find(driveKey).setExpanded(true);
            User::click(tree, tree.FolderNodes().find(leaf));
        } else {
            leaf = disk.pathQ("d/b2");
            tree.FolderNodes().find(driveKey).setExpanded(true);
            User::click(tree, tree.FolderNodes().find(leaf));
            ASSERT_EQ(::rmdir(disk.path("d/b2/gone").c_str()), 0);
            User::key(tree, Qt::Key_Right);
        }
        ASSERT_EQ(tree.selectedFolder(), leaf);
        RecordingHost host(tree);
        User::key(tree, Qt::Key_Left);
        EXPECT_EQ(tree.selectedFolder(), driveKey);
        EXPECT_EQ(host.own().filter("FolderCollapse"), QStringList());
        EXPECT_EQ(childKeys(tree.FolderNodes().find(leaf)), QStringList());
    }
}

} // namespace
