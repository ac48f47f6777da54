#include "fakeservices.h"
#include "recordinghost.h"
#include "support/temptree.h"
#include "treefolder/treeeventargs.h"

#include <QApplication>
#include <QDropEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

TEST(TreeEventList, SignalsAreTheThirtyOneEventsInTheirOrderThenTheChangeReport)
{
    const QMetaObject &meta = TreeFolder::staticMetaObject;
    QStringList signalNames;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            signalNames << QString::fromLatin1(meta.method(i).name());
    }
    const QStringList events = {
        "AfterRename",    "BeforeRename", "Change",          "Click",       "DblClick",
        "DriveCheck",     "DriveClick",   "DriveNotReady",   "FolderCheck", "FolderClick",
        "FolderDblClick", "FolderExpand", "FolderCollapse",  "KeyDown",     "KeyPress",
        "KeyUp",          "MouseDown",    "MouseMove",       "MouseUp",     "OLECompleteDrag",
        "OLEDragDrop",    "OLEDragOver",  "OLEGiveFeedback", "OLESetData",  "OLEStartDrag",
        "Progress",       "RootClick",    "RootDblClick",    "RootCheck",   "RootExpand",
        "RootCollapse"};
    ASSERT_EQ(events.size(), 31);
    EXPECT_EQ(signalNames, events + QStringList{"PropertyChanged"});
}

class TreeEvents : public ::testing::Test {
protected:
    TreeEvents()
    {
        for (const char *name : {"a", "b", "c", "d"})
            disk.makeDir(std::string("four/") + name);
        for (const char *name : {"1", "2", "3", "4", "5", "6", "7", "8"})
            disk.makeDir(std::string("eight/") + name);
        disk.makeDir("four/b/inner");
        drives.list = {fixedDrive(disk.pathQ("four")), fixedDrive(disk.pathQ("eight"))};
    }
    QString key(const std::string &relative) const { return disk.pathQ(relative); }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(TreeEvents, PathAssignmentRaisesEachOpeningsEventsThenOneFinalChange)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    tree.setPath(key("four/b/inner"));
    EXPECT_EQ(host.own(),
              QStringList({"Progress 25", "Progress 50", "Progress 75", "Progress 100",
                           "Progress 0", "FolderExpand " + key("four/"), "Change", "Progress 100",
                           "Progress 0", "FolderExpand " + key("four/b"), "Change", "Change"}));
    EXPECT_EQ(host.reports, QStringList({"Path"}));
    EXPECT_EQ(tree.path(), key("four/b/inner"));

    host.clear();
    tree.setPath(QStringLiteral("/no/such/drive")); // the walk opens nothing
    EXPECT_EQ(host.own(), QStringList({"Change"}));
    EXPECT_EQ(tree.path(), key("four/b/inner")); // the selection stays where it was
}

TEST_F(TreeEvents, EightSubfoldersReportRoundedHalvesToEvenAndCollapseThenExpandRepeatsThem)
{
    TreeFolder tree(&drives, &special);
    TreeNode eight = tree.FolderNodes().find(key("eight/"));
    RecordingHost host(tree);
    eight.setExpanded(true);
    const QStringList opening = {"Progress 12", "Progress 25",
                                 "Progress 38", "Progress 50",
                                 "Progress 62", "Progress 75",
                                 "Progress 88", "Progress 100",
                                 "Progress 0",  "FolderExpand " + key("eight/"),
                                 "Change"};
    EXPECT_EQ(host.own(), opening);

    host.clear();
    eight.setExpanded(false);
    eight.setExpanded(true);
    EXPECT_EQ(host.own(), QStringList{"FolderCollapse " + key("eight/")} + opening);
}

TEST_F(TreeEvents, HostChangesToKeyArgumentsGoBackToTheTree)
{
    TreeFolder tree(&drives, &special);
    tree.resize(300, 400);
    tree.show();
    QApplication::processEvents();
    tree.treeView()->setCurrentItem(tree.FolderNodes().find(key("four/")).item());
    RecordingHost host(tree);
    bool veto = true;
    QObject::connect(&tree, &TreeFolder::KeyDown, &tree, [&veto](short &keyCode, short &) {
        if (veto && keyCode == 40) // Down
            keyCode = 0;
    });
    User::key(tree, Qt::Key_Down);
    EXPECT_EQ(tree.treeView()->currentItem(), tree.FolderNodes().find(key("four/")).item());
    EXPECT_EQ(host.events, QStringList({"KeyDown 40 0", "KeyUp 40 0"}));

    // Without the host's veto the same key moves on, which is a click on the next node.
    veto = false;
    host.clear();
    User::key(tree, Qt::Key_Down);
    EXPECT_EQ(host.own(), QStringList({"DriveClick " + key("eight/"),
                                       "FolderClick " + key("eight/"), "Change"}));
}

} // namespace

namespace {

TEST_F(TreeEvents, ADropIsRefusedUnlessAHandlerTakesIt)
{
    TreeFolder tree(&drives, &special);
    tree.setOleDropMode(1);
    QWidget *viewport = tree.treeView()->viewport();
    QMimeData data;
    data.setText(QStringLiteral("text a source deletes once moved"));
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    const auto dragAndDrop = [&] {
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(QPoint(6, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(6, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        return QStringList({move.isAccepted() ? "move taken" : "move refused",
                            drop.isAccepted() ? QString::number(drop.dropAction()) : "refused"});
    };
    EXPECT_EQ(dragAndDrop(), QStringList({"move refused", "refused"}));

    QObject::connect(&tree, &TreeFolder::OLEDragDrop,
                     [](QMimeData *, int &effect, short &, short &, float &, float &) {
                         effect = DropEffect::Copy;
                     });
    EXPECT_EQ(dragAndDrop(), QStringList({"move taken", QString::number(Qt::CopyAction)}));
}

} // namespace
