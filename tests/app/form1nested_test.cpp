#include "chart/piechart.h"
#include "formfixture.h"
#include "treefolder/treefolder.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <sys/stat.h>

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

// Counts the times the event loop is pumped, that is the yields of whatever runs.
class YieldCount {
public:
    YieldCount()
    {
        m_connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                        &QAbstractEventDispatcher::awake, [this] { ++count; });
    }
    ~YieldCount() { QObject::disconnect(m_connection); }
    int count = 0;

private:
    QMetaObject::Connection m_connection;
};

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

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

class ReplacedScan : public FormTest, public ::testing::WithParamInterface<bool> {};

// A scan whose folder was replaced by a newer click, or whose window was closed, walks no
// further: the old generation yields no more once the newer one has been asked for, though
// its walk of 10,000 folders would go on for many more yields.
TEST_P(ReplacedScan, StopsAtOnce)
{
    const bool closing = GetParam();
    // Shared memory makes thousands of folders in a moment where a disk may take seconds.
    QTemporaryDir shm(QStringLiteral("/dev/shm/quorvane-test-XXXXXX"));
    const QString older = (shm.isValid() ? shm.path() : tree.rootQ()) + "/Older";
    QDir().mkpath(older + "/a1");
    for (int i = 0; i < 10000; ++i)
        ::mkdir(QFile::encodeName(older + QStringLiteral("/a1/d%1").arg(i)).constData(), 0755);
    tree.makeFile("Newer/b1/f", 1);
    const QString newer = tree.pathQ("Newer/b1");
    Form1 form(environment());
    YieldCount yields;
    int yieldsAtRequest = -1;
    int oldYieldsAfter = 0;
    // The first yield of the generation on Older comes as its scan starts.
    atNextYield([&] {
        yieldsAtRequest = yields.count;
        if (closing)
            form.close();
        else
            form.TreeFolder1_FolderClick(tree.pathQ("Newer"));
    });
    const auto counting = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
            if (yieldsAtRequest >= 0 && form.MSChart1()->columnPath(1) != newer)
                ++oldYieldsAfter;
        });

    form.TreeFolder1_FolderClick(older);
    QObject::disconnect(counting);

    ASSERT_GE(yieldsAtRequest, 0);
    EXPECT_EQ(oldYieldsAfter, 0);
    EXPECT_EQ(form.SideTextLines(), closing ? QStringList() : QStringList({"b1 - 1 Bytes"}));
}

INSTANTIATE_TEST_SUITE_P(NewerClickOrClose, ReplacedScan, ::testing::Values(false, true));

// A held arrow key moves the tree down a long list of folders, clicking each one during
// the scan of the one before. Each click replaces the running generation, which unwinds
// before the next one starts: at no time is more than one alive, nor are the descriptors
// of replaced scans kept open.
TEST_F(FormTest, HeldArrowKeyKeepsOneGenerationAliveAndNoDescriptorsOfReplacedOnes)
{
    constexpr int Folders = 60;
    const auto folder = [](int i) { return "Many/f" + std::to_string(100 + i); };
    for (int i = 0; i < Folders; ++i)
        for (int f = 0; f < 5; ++f)
            tree.makeFile(folder(i) + "/s/f" + std::to_string(f), 0);
    Form1 form(environment());
    form.show();
    QTreeWidget *view = form.TreeFolder1()->treeView();
    form.TreeFolder1()->SelectPath(tree.pathQ("Many"));
    const TreeNode first = form.TreeFolder1()->FolderNodes().find(tree.pathQ(folder(0)));
    ASSERT_FALSE(first.isNull());
    view->setCurrentItem(first.item());

    const int descriptorsBefore = openDescriptors();
    int repeats = 0;
    int mostAlive = 0;
    int mostDescriptors = 0;
    const auto connection = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
            mostAlive = std::max(mostAlive, form.generationsAlive());
            mostDescriptors = std::max(mostDescriptors, openDescriptors());
            if (repeats < Folders - 1 && form.generationsAlive() > 0) {
                ++repeats;
                QCoreApplication::postEvent(
                    view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
            }
        });
    form.TreeFolder1_FolderClick(tree.pathQ(folder(0)));
    QObject::disconnect(connection);

    EXPECT_EQ(repeats, Folders - 1);
    EXPECT_EQ(mostAlive, 1);
    EXPECT_LE(mostDescriptors - descriptorsBefore, 16);
    EXPECT_EQ(form.generationsAlive(), 0);
    EXPECT_EQ(form.Dir1().path(), tree.pathQ(folder(Folders - 1)));
    EXPECT_EQ(form.SideTextLines(), QStringList({"s - 0 Bytes"}));
    EXPECT_TRUE(form.ChartDone());
}
