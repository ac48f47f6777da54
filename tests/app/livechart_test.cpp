#include "app/livechart.h"
#include "chart/piechart.h"
#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "formfixture.h"
#include "support/inotifywatches.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <string>

namespace {

class LiveChartTest : public FormTest {
protected:
    LiveChartTest()
    {
        tree.makeFile("Data/Music/a.mp3", 1000);
        tree.makeFile("Data/Music/Live/b.mp3", 500);
        tree.makeFile("Data/Videos/c.mkv", 4000);
        env.sizeMemory = std::make_shared<SizeMemory>(SizeMemorySettings{});
    }

    // Data charted and complete, its sizes remembered, the chart following the disk.
    void chartData(Form1 &form)
    {
        chart(form, tree.pathQ("Data"));
        ASSERT_TRUE(env.sizeMemory->waitBuilt(std::chrono::seconds(30)));
        ASSERT_TRUE(form.liveChart()->following());
    }

    static bool totalBecomes(const Form1 &form, qint64 total)
    {
        return QTest::qWaitFor([&] { return form.chartModel().total() == total; }, 5000);
    }

    void append(const std::string &relative, std::size_t bytes)
    {
        std::ofstream(tree.path(relative), std::ios::app) << std::string(bytes, 'x');
    }

    Form1Environment env = environment();
};

} // namespace

// An append, a new subfolder and a removed one, made from outside, each reach the chart, its
// legend and side text, without a generation: the model keeps its number, the progress bar
// and pointer stay at rest.
TEST_F(LiveChartTest, AnOutsideAppendCreateAndRemoveEachReachTheChart)
{
    Form1 form(env);
    chartData(form);
    const quint64 generation = form.chartModel().generation();
    QSignalSpy progress(form.ProgressBar1(), &QProgressBar::valueChanged);

    append("Data/Videos/c.mkv", 100);
    EXPECT_TRUE(totalBecomes(form, 5600));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Music - 1.46 KB", "Videos - 4.00 KB"}));

    tree.makeFile("Data/New/deeper/n.txt", 50);
    EXPECT_TRUE(totalBecomes(form, 5650));
    EXPECT_EQ(form.SideTextLines(),
              QStringList({"Music - 1.46 KB", "New - 50 Bytes", "Videos - 4.00 KB"}));
    EXPECT_EQ(form.MSChart1()->columnCount(), 3);

    ASSERT_TRUE(QDir(tree.pathQ("Data/Music")).removeRecursively());
    EXPECT_TRUE(totalBecomes(form, 4150));
    EXPECT_EQ(form.SideTextLines(), QStringList({"New - 50 Bytes", "Videos - 4.00 KB"}));
    EXPECT_EQ(form.chartModel().total(), FolderSize(tree.path("Data")).bytes());

    EXPECT_EQ(form.chartModel().generation(), generation);
    EXPECT_TRUE(progress.isEmpty());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
}

// The charted folder removed from outside takes its slices with it: none is left behind
// sized at 0 bytes as though its folder were still there.
TEST_F(LiveChartTest, TheChartedFolderRemovedFromOutsideLeavesNoSlice)
{
    Form1 form(env);
    chartData(form);
    ASSERT_TRUE(QDir(tree.pathQ("Data")).removeRecursively());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.chartModel().count() == 0; }, 5000));
    QTest::qWait(1500); // later changes, sized again, bring back nothing
    EXPECT_EQ(form.chartModel().count(), 0);
}

// A file that keeps growing (a download) is sized again at most once a second, and the chart
// ends on its last size.
TEST_F(LiveChartTest, AFolderThatKeepsChangingIsSizedAtMostOnceASecond)
{
    Form1 form(env);
    chartData(form);
    QSignalSpy updates(form.liveChart(), &LiveChart::updated);
    QElapsedTimer clock;
    clock.start();
    int appended = 0;
    while (clock.elapsed() < 2500) {
        append("Data/Videos/c.mkv", 10);
        appended += 10;
        QTest::qWait(20);
    }
    EXPECT_TRUE(totalBecomes(form, 5500 + appended));
    EXPECT_LE(updates.size(), 4); // 2.5 s of changes, and the last one settled
    EXPECT_GE(updates.size(), 2);
}

// A new chart stops following the old folder: a change there no longer reaches the model.
TEST_F(LiveChartTest, AChangeUnderAFolderNoLongerChartedIsLeftAlone)
{
    tree.makeFile("Other/sub/o.txt", 7);
    Form1 form(env);
    chartData(form);
    chart(form, tree.pathQ("Other"));
    ASSERT_TRUE(form.liveChart()->following());
    QSignalSpy updates(form.liveChart(), &LiveChart::updated);
    append("Data/Videos/c.mkv", 100);
    tree.makeDir("Data/Another");
    QTest::qWait(1500);
    EXPECT_TRUE(updates.isEmpty());
    EXPECT_EQ(form.chartModel().total(), 7);
}

// Each chart followed holds one watch of its folder: a new chart gives up the last one's.
TEST_F(LiveChartTest, EachChartFollowedHoldsOneWatchOfItsFolder)
{
    env.sizeMemory = nullptr;
    Form1 form(env);
    std::vector<int> watches;
    for (int folder = 0; folder < 4; ++folder) {
        const std::string name = "Folder" + std::to_string(folder);
        tree.makeDir(name + "/sub");
        chart(form, tree.pathQ(name));
        QTest::qWait(300); // the watch is added off the GUI thread
        watches.push_back(inotifyWatchesOfThisProcess());
    }
    EXPECT_GE(watches.front(), 1);
    EXPECT_EQ(watches, std::vector<int>(4, watches.front()));
}
