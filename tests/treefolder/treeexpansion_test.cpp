#include "fakeservices.h"
#include "platform/nativepath.h"
#include "platform/shellhelpers.h"
#include "support/runinchild.h"
#include "support/temptree.h"
#include "treefolder/percentof.h"
#include "treeprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

// One drive mounted on a real temporary folder.
class TreeExpansion : public ::testing::Test {
protected:
    TreeExpansion()
    {
        disk.makeDir("d/a1");
        disk.makeDir("d/b2/inner/deeper");
        disk.makeDir("d/c3");
        disk.makeFile("d/file.txt", 10);
        drives.list = {fixedDrive(disk.pathQ("d"))};
    }
    QString key(const std::string &relative) const { return disk.pathQ(relative); }
    QString driveKey() const { return disk.pathQ("d") + '/'; }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(TreeExpansion, OpeningADriveListsItsFoldersWithProgressThenExpandAndChange)
{
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    TreeNode drive = tree.FolderNodes().find(driveKey());
    drive.setExpanded(true);

    EXPECT_EQ(log.events, QStringList({"Progress 33", "Progress 67", "Progress 100", "Progress 0",
                                       "FolderExpand " + driveKey(), "Change"}));
    EXPECT_EQ(childKeys(drive), QStringList({key("d/a1"), key("d/b2"), key("d/c3")}));
    EXPECT_EQ(drive.tag(), std::optional<int>(1));
    const TreeNodes &nodes = tree.FolderNodes();
    EXPECT_EQ(childKeys(nodes.find(key("d/b2"))), QStringList({key("d/b2/a")}));
    EXPECT_EQ(nodes.find(key("d/b2")).tag(), std::optional<int>(0));
    EXPECT_EQ(nodes.find(key("d/a1")).children(), 0);
    EXPECT_FALSE(nodes.find(key("d/a1")).tag().has_value());
    EXPECT_EQ(nodes.find(key("d/a1")).text(), "a1");
    EXPECT_GT(nodes.find(key("d/a1")).image(), 2);
    EXPECT_TRUE(nodes.find(driveKey() + "_empty_child").isNull());
}

TEST_F(TreeExpansion, ClosingPrunesToTheLastChildAndReopeningListsAfresh)
{
    TreeFolder tree(&drives, &special);
    TreeNode drive = tree.FolderNodes().find(driveKey());
    drive.setExpanded(true);
    tree.FolderNodes().find(key("d/b2")).setExpanded(true);

    EventLog log(tree);
    drive.setExpanded(false);
    EXPECT_EQ(log.events, QStringList({"FolderCollapse " + driveKey()}));
    EXPECT_EQ(drive.tag(), std::optional<int>(0));
    EXPECT_EQ(childKeys(drive), QStringList({key("d/c3")}));
    EXPECT_TRUE(tree.FolderNodes().find(key("d/b2/inner")).isNull());

    disk.makeDir("d/b1"); // a folder made meanwhile shows up on the next opening
    log.events.clear();
    drive.setExpanded(true);
    EXPECT_EQ(childKeys(drive), QStringList({key("d/a1"), key("d/b1"), key("d/b2"), key("d/c3")}));
    EXPECT_EQ(log.progress(), QStringList({"Progress 25", "Progress 50", "Progress 75",
                                           "Progress 100", "Progress 0"}));
    EXPECT_EQ(log.events.mid(5), QStringList({"FolderExpand " + driveKey(), "Change"}));
}

TEST_F(TreeExpansion, TopRootsAreNeverReloadedNorReported)
{
    TreeFolder tree(&drives, &special);
    const QStringList before = keysByIndex(tree.FolderNodes());
    EventLog log(tree);
    for (const QString &root :
         {QStringLiteral("Root_MyComputer"), QStringLiteral("Root_WorkSpace")}) {
        TreeNode node = tree.FolderNodes().find(root);
        node.setExpanded(false);
        node.setExpanded(true);
    }
    EXPECT_TRUE(log.events.isEmpty()) << log.events.join(", ").toStdString();
    EXPECT_EQ(keysByIndex(tree.FolderNodes()), before);
}

TEST_F(TreeExpansion, EightFoldersGiveTheRoundedProgressSequence)
{
    for (const char *name : {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8"})
        disk.makeDir(std::string("eight/") + name);
    drives.list = {fixedDrive(disk.pathQ("eight"))};
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    tree.FolderNodes().find(disk.pathQ("eight") + '/').setExpanded(true);
    EXPECT_EQ(log.progress(), QStringList({"Progress 12", "Progress 25", "Progress 38",
                                           "Progress 50", "Progress 62", "Progress 75",
                                           "Progress 88", "Progress 100", "Progress 0"}));
}

TEST_F(TreeExpansion, DriveWithoutMediumReportsNotReadyAndClosesMyComputer)
{
    drives.list = {Drive{disk.pathQ("no-disc"), DriveType::CdRom, {}, {}, false},
                   fixedDrive(disk.pathQ("d"))};
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    const QString cd = disk.pathQ("no-disc") + '/';
    TreeNode drive = tree.FolderNodes().find(cd);
    drive.setExpanded(true);

    EXPECT_EQ(log.events, QStringList({"DriveNotReady " + cd, "Progress 0", "Progress 0",
                                       "FolderExpand " + cd, "Change"}));
    EXPECT_EQ(drive.tag(), std::optional<int>(0));
    EXPECT_EQ(drive.children(), 0);
    EXPECT_FALSE(tree.FolderNodes().find("Root_MyComputer").expanded());
    // The next drive still works.
    tree.FolderNodes().find("Root_MyComputer").setExpanded(true);
    tree.FolderNodes().find(driveKey()).setExpanded(true);
    EXPECT_EQ(tree.FolderNodes().find(driveKey()).children(), 3);
}

TEST_F(TreeExpansion, FolderThatVanishedBeforeOpeningClosesItsParentFolder)
{
    TreeFolder tree(&drives, &special);
    tree.FolderNodes().find(driveKey()).setExpanded(true);
    TreeNode b2 = tree.FolderNodes().find(key("d/b2"));
    b2.setExpanded(true);
    TreeNode inner = tree.FolderNodes().find(key("d/b2/inner"));
    ASSERT_EQ(inner.tag(), std::optional<int>(0));
    ASSERT_EQ(rmdir(disk.path("d/b2/inner/deeper").c_str()), 0);
    ASSERT_EQ(rmdir(disk.path("d/b2/inner").c_str()), 0);

    EventLog log(tree);
    inner.setExpanded(true);
    EXPECT_EQ(log.events, QStringList({"DriveNotReady " + key("d/b2/inner"), "Progress 0",
                                       "Progress 0", "FolderExpand " + key("d/b2/inner"), "Change",
                                       "FolderCollapse " + key("d/b2")}));
    EXPECT_FALSE(b2.expanded());
    EXPECT_EQ(b2.tag(), std::optional<int>(0));
}

TEST_F(TreeExpansion, RealSubfolderNamedLikeThePlaceholderReplacesIt)
{
    disk.makeDir("d/b2/a/x");
    TreeFolder tree(&drives, &special);
    tree.FolderNodes().find(driveKey()).setExpanded(true);
    TreeNode b2 = tree.FolderNodes().find(key("d/b2"));
    ASSERT_EQ(childKeys(b2), QStringList({key("d/b2/a")}));
    ASSERT_EQ(b2.child().text(), ""); // still the placeholder
    EventLog log(tree);
    b2.setExpanded(true);
    EXPECT_EQ(childKeys(b2), QStringList({key("d/b2/a"), key("d/b2/inner")}));
    EXPECT_EQ(b2.child().text(), "a");
    EXPECT_EQ(childKeys(b2.child()), QStringList({key("d/b2/a/a")}));
    EXPECT_FALSE(log.events.contains("DriveNotReady " + key("d/b2")));
}

TEST_F(TreeExpansion, AFolderNameThatIsNotUtf8KeepsItsBytesInItsKey)
{
    disk.makeDir("d/\xff\xfe/inside");
    const QByteArray bytes = QByteArray::fromStdString(disk.path("d/\xff\xfe"));
    TreeFolder tree(&drives, &special);
    TreeNode drive = tree.FolderNodes().find(driveKey());
    drive.setExpanded(true);
    const TreeNode odd = tree.FolderNodes().find(pathFromNative(bytes));
    ASSERT_FALSE(odd.isNull());
    EXPECT_EQ(nativePath(odd.key()), bytes);
    EXPECT_EQ(odd.text(), QStringLiteral("\ufffd\ufffd"));
    EXPECT_GT(odd.image(), 2);
    TreeNode(odd).setExpanded(true);
    EXPECT_EQ(childKeys(odd), QStringList({pathFromNative(bytes + "/inside")}));
}

TEST_F(TreeExpansion, NewChildrenTakeTheOpenedNodesCheckState)
{
    TreeFolder tree(&drives, &special);
    TreeNode drive = tree.FolderNodes().find(driveKey());
    drive.setChecked(true);
    drive.setExpanded(true);
    for (TreeNode child = drive.child(); !child.isNull(); child = child.next())
        EXPECT_TRUE(child.checked()) << child.key().toStdString();
}

TEST_F(TreeExpansion, UnreadableSubfolderIsShownWithoutExpandButtonAndIsNoFailure)
{
    disk.makeDir("d/c3/locked/x");
    ASSERT_EQ(chmod(disk.path("d/c3/locked").c_str(), 0), 0);
    // The root reads every folder, so the tree is loaded by an unprivileged user in a child.
    ASSERT_EQ(chmod(disk.rootQ().toLocal8Bit().constData(), 0755), 0);
    const QString result = QString::fromStdString(runInChild([&] {
        if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0))
            return std::string("skip");
        TreeFolder tree(&drives, &special);
        tree.FolderNodes().find(driveKey()).setExpanded(true);
        EventLog log(tree);
        TreeNode c3 = tree.FolderNodes().find(key("d/c3"));
        c3.setExpanded(true);
        return QStringList({childKeys(c3).join(','), QString::number(c3.child().children()),
                            QString::number(c3.tag().value_or(-1)), log.events.join(',')})
            .join('|')
            .toStdString();
    }));
    chmod(disk.path("d/c3/locked").c_str(), 0755);
    if (result == "skip")
        GTEST_SKIP() << "running as root, which reads every folder, and cannot become nobody";
    EXPECT_EQ(result, key("d/c3/locked") + "|0|1|Progress 100,Progress 0,FolderExpand " +
                          key("d/c3") + ",Change");
}

} // namespace

namespace {

TEST(TreeExpansionLarge, AFolderOf32000SubfoldersOpensInBatchesWithItsEventsInOrder)
{
    constexpr int Count = 32000;
    TempTree disk;
    disk.makeDir("d");
    for (int i = 0; i < Count; ++i)
        mkdir(disk.path("d/f" + std::to_string(100000 + i)).c_str(), 0755);
    disk.makeDir("d/f100001/inner");
    FakeDrives drives;
    drives.list = {fixedDrive(disk.pathQ("d"))};
    FakeSpecialFolders special;
    TreeFolder tree(&drives, &special);
    EventLog log(tree);
    TreeNode drive = tree.FolderNodes().find(disk.pathQ("d") + '/');

    drive.setExpanded(true);
    EXPECT_EQ(drive.children(), 0) << "listed off the GUI thread, added later";
    EXPECT_EQ(log.events, QStringList());
    int batches = 0;
    QElapsedTimer waited;
    waited.start();
    while (!log.events.contains("Change") && waited.elapsed() < 120000) {
        const int before = drive.children();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        batches += drive.children() > before ? 1 : 0;
    }
    EXPECT_GT(batches, 1);

    QStringList expected;
    for (int i = 1; i <= Count; ++i)
        expected << QStringLiteral("Progress %1").arg(PercentOf(i, Count));
    expected << "Progress 0"
             << "FolderExpand " + disk.pathQ("d") + '/' << "Change";
    EXPECT_EQ(log.events, expected);
    ASSERT_EQ(drive.children(), Count);
    EXPECT_EQ(drive.child().key(), disk.pathQ("d/f100000"));
    EXPECT_EQ(drive.child().next().children(), 1); // f100001 has a subfolder
    EXPECT_EQ(drive.child().children(), 0);
    EXPECT_EQ(TreeNode(drive.child()).lastSibling().key(),
              disk.pathQ("d/f" + std::to_string(100000 + Count - 1)));
    EXPECT_EQ(drive.tag(), std::optional<int>(1));
}

} // namespace
