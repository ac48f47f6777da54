#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "formfixture.h"
#include "platform/directorylist.h"
#include "treefolder/treefolder.h"

#include <QAccessible>
#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

// The whole way down and back up without a mouse: Tab to the chart, arrows to a slice, Enter
// charts it as a double-click does, Backspace charts the folder above as a click on its node
// in the tree would.
TEST_F(FormTest, EnterChartsTheCurrentSliceAndBackspaceTheFolderAbove)
{
    tree.makeFile("Data/Music/Live/a.mp3", 10);
    tree.makeDir("Data/Music/Studio");
    tree.makeDir("Data/Video");
    Form1 form(environment());
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    chart(form, tree.pathQ("Data"));

    PieChart *pie = form.MSChart1();
    pie->setFocus();
    QTest::keyClick(pie, Qt::Key_Right);
    QTest::keyClick(pie, Qt::Key_Return);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.Dir1().path(), tree.pathQ("Data/Music"));
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), tree.pathQ("Data/Music"));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Live - 10 Bytes", "Studio - 0 Bytes"}));

    QTest::keyClick(pie->legend(), Qt::Key_Backspace);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.Dir1().path(), tree.pathQ("Data"));
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), tree.pathQ("Data"));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Music - 10 Bytes", "Video - 0 Bytes"}));

    // With no node of the chart's folder selected, the folder above is found along its path.
    form.TreeFolder1()->treeView()->clearSelection();
    form.TreeFolder1()->treeView()->setCurrentItem(nullptr);
    QTest::keyClick(pie, Qt::Key_Backspace);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.Dir1().path(), tree.rootQ());
    EXPECT_EQ(normalizedFolderPath(form.TreeFolder1()->selectedNode().key()), tree.rootQ());
}

// A screen reader names the progress bar by its caption, the tree, and the chart by its title.
TEST_F(FormTest, ScreenReadersNameTheProgressBarTheTreeAndTheChart)
{
    tree.makeDir("Data/a");
    Form1 form(environment());
    form.show();
    chart(form, tree.pathQ("Data"));
    const auto name = [](QObject *object) {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(form.ProgressBar1()), "Progress Bar");
    EXPECT_EQ(name(form.TreeFolder1()->treeView()), "Folders");
    EXPECT_EQ(name(form.MSChart1()), "Folder Sizes");
    EXPECT_EQ(name(form.PushButton1()), "Save Chart As JPG");
}
