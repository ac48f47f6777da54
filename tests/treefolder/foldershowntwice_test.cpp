#include "fakeservices.h"
#include "recordinghost.h"
#include "support/temptree.h"
#include "treefolder/propertybag.h"
#include "treeprobe.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// One folder shown three times: inside drive d, as a drive of its own mounted below d (as
// /home under "/"), and its subfolder as the Documents folder at the top.
class FolderShownTwice : public ::testing::Test {
protected:
    FolderShownTwice()
    {
        disk.makeDir("d/b2/inner/deeper");
        disk.makeDir("d/c3");
        drives.list = {fixedDrive(disk.pathQ("d")), fixedDrive(disk.pathQ("d/b2"))};
        special.paths = {{SpecialFolderId::MyDocuments, disk.pathQ("d/b2/inner")}};
        tree = std::make_unique<TreeFolder>(&drives, &special);
        tree->resize(500, 700);
        tree->show();
        QApplication::processEvents();
    }
    QString key(const std::string &relative) const { return disk.pathQ(relative); }
    TreeNode selected() const
    {
        const QList<QTreeWidgetItem *> items = tree->treeView()->selectedItems();
        return items.isEmpty() ? TreeNode() : TreeNode(&tree->FolderNodes(), items.first());
    }
    QString storedPath() const
    {
        PropertyBag bag;
        tree->WriteProperties(bag);
        return bag.ReadProperty(QStringLiteral("Path"), QString()).toString();
    }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
    std::unique_ptr<TreeFolder> tree;
};

TEST_F(FolderShownTwice, EveryCopyHandsOutTheRealPathAndAssigningItBackSelectsTheSameNode)
{
    const QString inner = key("d/b2/inner");
    TreeNodes &nodes = tree->FolderNodes();
    nodes.find(key("d") + '/').setExpanded(true);
    nodes.find(key("d/b2")).setExpanded(true);
    nodes.find(key("d/b2") + '/').setExpanded(true);
    const QList<TreeNode> copies = nodes.findAll(inner);
    ASSERT_EQ(copies.size(), 3); // Documents, under the folder b2, under the drive b2
    EXPECT_EQ(nodes.find(inner), copies[0]);
    EXPECT_EQ(copies[0].parent().key(), "Root_MyComputer");
    EXPECT_EQ(copies[1].parent().key(), key("d/b2"));
    EXPECT_EQ(copies[2].parent().key(), key("d/b2") + '/');
    const TreeNode copy = copies[1];
    for (const TreeNode &each : copies)
        EXPECT_EQ(each.key(), inner);

    RecordingHost host(*tree);
    tree->setCheckBoxes(true);
    User::click(*tree, copy);
    QApplication::processEvents();
    User::clickAt(*tree, User::checkBoxOf(*tree, copy));
    TreeNode(copy).setExpanded(true);
    TreeNode(copy).setExpanded(false);
    EXPECT_EQ(host.own(),
              QStringList({"FolderClick " + inner, "Change", "FolderCheck " + inner + " true",
                           "Progress 100", "Progress 0", "FolderExpand " + inner, "Change",
                           "FolderCollapse " + inner}));
    EXPECT_EQ(tree->path(), inner);
    EXPECT_EQ(tree->selectedFolder(), inner);
    EXPECT_EQ(storedPath(), inner);

    // Reading the path and assigning it back keeps the very node; so does a drill-down into
    // a subfolder (as the chart's double-click does) stay in that copy's branch.
    tree->setPath(tree->path());
    EXPECT_EQ(selected(), copy);
    tree->setPath(inner + "/deeper");
    EXPECT_EQ(selected().key(), inner + "/deeper");
    EXPECT_EQ(selected().parent(), copy);
    tree->setPath(tree->path());
    EXPECT_EQ(selected().parent(), copy);

    // From nothing selected, the most specific entry under My Computer is the documented one.
    tree->treeView()->clearSelection();
    tree->setPath(inner);
    EXPECT_EQ(selected(), copies[0]);

    // No made-up path anywhere in the tree.
    for (const QString &each : keysByIndex(nodes)) {
        EXPECT_FALSE(each.contains(QChar(0)) || each.contains(QLatin1String("/.")))
            << each.toStdString();
    }
}

} // namespace
