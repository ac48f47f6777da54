#include "app/folderactions.h"
#include "app/trashbar.h"
#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "formfixture.h"
#include "privatetrash.h"
#include "treefolder/treefolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <fstream>
#include <unistd.h>

namespace {

class FolderActionsTest : public FormTest {
protected:
    FolderActionsTest()
    {
        tree.makeFile("Data/Music/a.mp3", 1000);
        tree.makeFile("Data/Music/Live/b.mp3", 500);
        tree.makeFile("Data/Videos/c.mkv", 4000);
        tree.makeDir("Data/Empty");
    }

    // The chart of Data, with Data open in the tree.
    void chartData(Form1 &form)
    {
        form.TreeFolder1()->SelectPath(tree.pathQ("Data"));
        chart(form, tree.pathQ("Data"));
    }

    static QAction *item(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }

    static bool waitWhileWorking(FolderActions *actions)
    {
        return QTest::qWaitFor([actions] { return !actions->working(); }, 10000);
    }

    static QStringList treeChildren(Form1 &form, const QString &key)
    {
        QStringList keys;
        const TreeNode node = form.TreeFolder1()->FolderNodes().find(key);
        for (TreeNode child = node.child(); !child.isNull(); child = child.next())
            keys.append(child.key());
        return keys;
    }

    PrivateTrash trash;
};

} // namespace

// The menu keeps the folder it was opened on while the chart changes under it.
TEST_F(FolderActionsTest, TheMenuActsOnTheFolderItWasOpenedOn)
{
    Form1 form(environment());
    chartData(form);
    emit form.MSChart1()->contextMenuRequested(2, QPoint(10, 10)); // Music
    QMenu *menu = form.folderActions()->menu();
    ASSERT_NE(menu, nullptr);
    chart(form, tree.pathQ("Data/Music"));

    item(menu, "Copy Path")->trigger();
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), tree.pathQ("Data/Music"));
    EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(tree.pathQ("Data/Music"))});
    item(menu, "Open")->trigger();
    EXPECT_EQ(launcher->urls,
              QStringList{QUrl::fromLocalFile(tree.pathQ("Data/Music")).toString()});
    QAction *terminal = item(menu, "Open Terminal Here");
    if (terminal->isEnabled()) {
        terminal->trigger();
        ASSERT_EQ(launcher->programs.size(), 1);
        EXPECT_TRUE(launcher->programs[0].endsWith(" in " + tree.pathQ("Data/Music")));
    }
}

TEST_F(FolderActionsTest, MoveToTrashTakesTheSliceAndNodeAwayAndUndoBringsThemBack)
{
    Form1 form(environment());
    chartData(form);
    ASSERT_EQ(form.chartModel().total(), 5500);
    ASSERT_EQ(treeChildren(form, tree.pathQ("Data")),
              QStringList(
                  {tree.pathQ("Data/Empty"), tree.pathQ("Data/Music"), tree.pathQ("Data/Videos")}));

    emit form.MSChart1()->contextMenuRequested(2, QPoint(10, 10));
    item(form.folderActions()->menu(), "Move to Trash\u2026")->trigger();
    EXPECT_EQ(confirm->questions, QStringList{"Move 'Music' (1.46 KB) to the Trash?"});
    ASSERT_TRUE(waitWhileWorking(form.folderActions()));

    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("Data/Music")));
    EXPECT_TRUE(QFileInfo::exists(trash.trash() + "/files/Music/Live/b.mp3"));
    EXPECT_EQ(form.trashBar()->text(), "Moved 'Music' (1.46 KB) to the Trash");
    EXPECT_EQ(form.SideTextLines(), QStringList({"Empty - 0 Bytes", "Videos - 3.91 KB"}));
    EXPECT_EQ(form.chartModel().total(), 4000);
    EXPECT_EQ(form.chartModel().total(), FolderSize(tree.path("Data")).bytes());
    EXPECT_EQ(form.MSChart1()->columnCount(), 2);
    EXPECT_EQ(treeChildren(form, tree.pathQ("Data")),
              QStringList({tree.pathQ("Data/Empty"), tree.pathQ("Data/Videos")}));

    form.trashBar()->undoButton()->click();
    ASSERT_TRUE(waitWhileWorking(form.folderActions()));
    EXPECT_EQ(form.trashBar()->text(), "Put 'Music' back where it was");
    EXPECT_TRUE(QFileInfo::exists(tree.pathQ("Data/Music/Live/b.mp3")));
    EXPECT_EQ(form.SideTextLines(),
              QStringList({"Empty - 0 Bytes", "Music - 1.46 KB", "Videos - 3.91 KB"}));
    EXPECT_EQ(form.chartModel().total(), 5500);
    EXPECT_EQ(treeChildren(form, tree.pathQ("Data")),
              QStringList(
                  {tree.pathQ("Data/Empty"), tree.pathQ("Data/Music"), tree.pathQ("Data/Videos")}));
}

TEST_F(FolderActionsTest, CancelMovesNothingAndARefusedFolderIsNeverAskedFor)
{
    Form1 form(environment());
    chartData(form);
    confirm->answer = false;
    emit form.MSChart1()->contextMenuRequested(3, QPoint(10, 10)); // Videos
    item(form.folderActions()->menu(), "Move to Trash\u2026")->trigger();
    ASSERT_TRUE(waitWhileWorking(form.folderActions()));
    EXPECT_EQ(confirm->questions.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(tree.pathQ("Data/Videos")));
    EXPECT_EQ(form.chartModel().count(), 3);

    // The tree's selected node is the charted folder: greyed, with its reason.
    QTreeWidget *view = form.TreeFolder1()->treeView();
    view->setFocus();
    const auto target = form.folderActions()->targetOfKey(tree.pathQ("Data"));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->trashRefusal, "The folder the chart shows");
    form.folderActions()->openMenu(*target, QPoint(10, 10));
    QAction *trashItem = item(form.folderActions()->menu(), "Move to Trash\u2026");
    EXPECT_FALSE(trashItem->isEnabled());
    EXPECT_EQ(trashItem->toolTip(), "The folder the chart shows");
    form.folderActions()->moveToTrash(*target);
    EXPECT_EQ(confirm->questions.size(), 1);
    EXPECT_EQ(form.trashBar()->text(), "'Data' cannot go to the Trash: The folder the chart shows");
    EXPECT_TRUE(QFileInfo::exists(tree.pathQ("Data")));
}

// The control raises for a right click on a node what it raised before there was a menu, and
// the menu opens once the button is up, on the node under the pointer.
TEST_F(FolderActionsTest, ARightClickInTheTreeRaisesWhatItAlwaysRaisedAndOpensTheMenu)
{
    Form1 form(environment());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    chartData(form);
    TreeFolder *folderTree = form.TreeFolder1();
    QStringList raised;
    QObject::connect(
        folderTree, &TreeFolder::MouseDown, &form,
        [&](short &b, short &, float &, float &) { raised << QString("MouseDown %1").arg(b); });
    QObject::connect(
        folderTree, &TreeFolder::MouseUp, &form,
        [&](short &b, short &, float &, float &) { raised << QString("MouseUp %1").arg(b); });
    QObject::connect(folderTree, &TreeFolder::Click, &form, [&] { raised << "Click"; });
    QObject::connect(folderTree, &TreeFolder::FolderClick, &form,
                     [&](const QString &p) { raised << p; });
    QObject::connect(folderTree, &TreeFolder::Change, &form, [&] { raised << "Change"; });

    QTreeWidget *view = folderTree->treeView();
    const TreeNode videos = folderTree->FolderNodes().find(tree.pathQ("Data/Videos"));
    QTreeWidgetItem *row = nullptr;
    for (QTreeWidgetItem *candidate : view->findItems("Videos", Qt::MatchRecursive))
        row = candidate;
    ASSERT_NE(row, nullptr);
    ASSERT_FALSE(videos.isNull());
    const QPoint at = view->visualItemRect(row).center();
    // As the platform does on X11: the press, then the context menu event, then the release.
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &menuEvent);
    EXPECT_EQ(form.folderActions()->menu(), nullptr);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.folderActions()->menu() != nullptr; }, 2000));
    EXPECT_EQ(raised, QStringList({"MouseDown 2", "MouseUp 2"}));
    EXPECT_EQ(folderTree->selectedFolder(), tree.pathQ("Data"));
    item(form.folderActions()->menu(), "Copy Path")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), tree.pathQ("Data/Videos"));
    form.folderActions()->menu()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.folderActions()->menu() == nullptr; }, 2000));

    // The Menu key opens the selected node's menu; the control still raises its KeyDown.
    short keyCode = 0;
    QObject::connect(folderTree, &TreeFolder::KeyDown, &form,
                     [&](short &code, short &) { keyCode = code; });
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Menu);
    EXPECT_NE(keyCode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.folderActions()->menu() != nullptr; }, 2000));
    QAction *trashItem = item(form.folderActions()->menu(), "Move to Trash\u2026");
    EXPECT_EQ(trashItem->toolTip(), "The folder the chart shows");
}

// Delete acts on the chart's current slice, and F5 charts the folder again.
TEST_F(FolderActionsTest, DeleteOnTheChartAsksForItsCurrentSlice)
{
    Form1 form(environment());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    chartData(form);
    confirm->answer = false;
    PieChart *pie = form.MSChart1();
    pie->setFocus();
    QTest::keyClick(pie, Qt::Key_End); // Videos
    QTest::keyClick(pie, Qt::Key_Delete);
    EXPECT_EQ(confirm->questions, QStringList{"Move 'Videos' (3.91 KB) to the Trash?"});

    tree.makeFile("Data/Videos/d.mkv", 96);
    QTest::keyClick(pie->legend(), Qt::Key_F5);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.chartModel().total(), 5596);
}

// A change the size memory cannot see (a second name made in a folder it does not watch,
// written through) leaves a stale total in a chart made from memory; Refresh walks the folder
// again and shows what a walk finds.
TEST_F(FolderActionsTest, RefreshShowsAChangeTheSizeMemoryCannotSee)
{
    Form1Environment env = environment();
    env.sizeMemory = std::make_shared<SizeMemory>(SizeMemorySettings{});
    Form1 form(env);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    chartData(form);
    ASSERT_TRUE(env.sizeMemory->waitBuilt(std::chrono::seconds(30)));
    TempTree outside;
    ASSERT_EQ(link(tree.path("Data/Videos/c.mkv").c_str(), outside.path("second").c_str()), 0);
    std::ofstream(outside.path("second"), std::ios::app) << std::string(100, 'x');
    chart(form, tree.pathQ("Data"));
    ASSERT_EQ(form.chartModel().total(), 5500) << "the memory saw the change: nothing to show";

    form.MSChart1()->setFocus();
    QTest::keyClick(form.MSChart1(), Qt::Key_F5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.chartModel().total() == 5600; }, 30000));
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.chartModel().total(), FolderSize(tree.path("Data")).bytes());
}

// An Open or a terminal that could not be started is said in the bar.
TEST_F(FolderActionsTest, AnOpenThatFailsIsSaid)
{
    Form1 form(environment());
    chartData(form);
    const auto target = form.folderActions()->targetOfKey(tree.pathQ("Data/Music"));
    ASSERT_TRUE(target);
    launcher->opens = false;
    form.folderActions()->open(*target);
    EXPECT_EQ(form.trashBar()->text(), "'Music' could not be opened: no file manager answered");
    EXPECT_FALSE(form.trashBar()->undoButton()->isVisible());
    launcher->starts = false;
    form.folderActions()->openTerminal(*target);
    EXPECT_EQ(form.trashBar()->text(), "No terminal could be started in 'Music'");
}
