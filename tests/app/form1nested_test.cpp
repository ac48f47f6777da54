#include "app/piechart.h"
#include "formfixture.h"

#include <QProgressBar>

namespace {

// Older holds three subfolders; the first has no entries, so the first yield of a
// generation on Older is the one after that subfolder. Newer holds two.
void makeFolders(const TempTree &tree, bool firstSubfolderEmpty)
{
    if (firstSubfolderEmpty)
        tree.makeDir("Older/a1");
    else
        tree.makeFile("Older/a1/f", 100);
    tree.makeFile("Older/a2/f", 200);
    tree.makeFile("Older/a3/f", 300);
    tree.makeFile("Newer/b1/f", 1024);
    tree.makeFile("Newer/b2/g", 2048);
}

const QStringList NewerLines = {"b1 - 1.00 KB", "b2 - 2.00 KB"};

} // namespace

class NestedGeneration : public FormTest, public ::testing::WithParamInterface<bool> {};

// Whether the click comes during the scan of a subfolder or at the yield after one, the
// later folder's generation runs to completion and the earlier one stops without touching
// the chart or the side text again.
TEST_P(NestedGeneration, LaterFolderWinsAndTheEarlierRunStops)
{
    makeFolders(tree, GetParam());
    Form1 form(environment());
    bool clicked = false;
    atNextYield([&] {
        clicked = true;
        form.TreeFolder1_FolderClick(tree.pathQ("Newer"));
    });

    form.TreeFolder1_FolderClick(tree.pathQ("Older"));

    ASSERT_TRUE(clicked);
    EXPECT_EQ(form.SideTextLines(), NewerLines);
    EXPECT_EQ(form.MSChart1()->columnLabels(), NewerLines);
    EXPECT_EQ(form.MSChart1()->values(), QStringList({"1024", "2048"}));
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
}

INSTANTIATE_TEST_SUITE_P(DuringScanOrBetweenSubfolders, NestedGeneration,
                         ::testing::Values(false, true));

TEST_F(FormTest, EmptyFolderClickedDuringAScanLetsTheScanFinishItsOwnFolder)
{
    makeFolders(tree, false);
    tree.makeDir("Flat");
    Form1 form(environment());
    atNextYield([&] { form.TreeFolder1_FolderClick(tree.pathQ("Flat")); });

    form.TreeFolder1_FolderClick(tree.pathQ("Older"));

    // Named against its own folder although Dir1 now shows another one.
    EXPECT_EQ(form.SideTextLines(),
              QStringList({"a1 - 100 Bytes", "a2 - 200 Bytes", "a3 - 300 Bytes"}));
    EXPECT_FALSE(form.MSChart1()->isVisible());
    EXPECT_EQ(form.Dir1().path(), tree.pathQ("Flat"));
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
}

TEST_F(FormTest, ClosingDuringAScanEndsTheProgramAndTheScanAtOnce)
{
    makeFolders(tree, false);
    Form1 form(environment());
    atNextYield([&] { form.close(); });

    form.TreeFolder1_FolderClick(tree.pathQ("Older"));

    EXPECT_EQ(endProgramCalls, 1);
    EXPECT_TRUE(form.ending());
    EXPECT_FALSE(form.isVisible());
    // Stopped inside the first subfolder: nothing after its placeholder was written.
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"Getting folder size..."}));
    EXPECT_EQ(form.SideTextLines(), QStringList());
    EXPECT_FALSE(form.ChartDone());
}
