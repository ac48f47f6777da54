#include "chart/piechart.h"
#include "formfixture.h"
#include "treefolder/treefolder.h"

#include <QDir>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <sys/stat.h>

namespace {

const QStringList NewerLines = {"b1 - 1.00 KB", "b2 - 2.00 KB"};

// Every change the chart model announces, with the generation it belonged to.
struct ModelSteps {
    explicit ModelSteps(const Form1 &form)
    {
        const ChartModel &model = form.chartModel();
        QObject::connect(&model, &ChartModel::subfolderChanged, &form, [this, &model](int index) {
            steps.push_back({model.generation(), index, model.at(index).state});
            if (onStep)
                onStep(steps.back());
        });
    }
    struct Step {
        quint64 generation;
        int index;
        ChartModel::State state;
    };
    std::vector<Step> steps;
    std::function<void(const Step &)> onStep;
};

// A folder of 10,000 empty subfolders: a scan that lasts a while. Shared memory makes them
// in a moment where a disk may take seconds.
QString makeWideFolder(const QTemporaryDir &shm, const TempTree &tree, const QString &name)
{
    const QString folder = (shm.isValid() ? shm.path() : tree.rootQ()) + u'/' + name;
    QDir().mkpath(folder);
    for (int i = 0; i < 10000; ++i)
        ::mkdir(QFile::encodeName(folder + QStringLiteral("/d%1").arg(i)).constData(), 0755);
    return folder;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

} // namespace

class ClickDuringGeneration : public FormTest, public ::testing::WithParamInterface<int> {};

// A folder clicked while the subfolder at GetParam() is being sized (the first, or the second
// after the first was shown) is charted at once, and the older generation, whose scan still
// had a folder of 10,000 subfolders before it, shows nothing more after the click.
TEST_P(ClickDuringGeneration, ChartsTheNewFolderAndTheOldOneNeverFinishes)
{
    const int clickAt = GetParam();
    QTemporaryDir shm(QStringLiteral("/dev/shm/quorvane-test-XXXXXX"));
    const QString older = (shm.isValid() ? shm.path() : tree.rootQ()) + "/Older";
    tree.makeDir("Older"); // in case the shared memory cannot be had
    QDir().mkpath(older + "/a1");
    makeWideFolder(shm, tree, "Older/a2");
    QDir().mkpath(older + "/a3");
    tree.makeFile("Newer/b1/f", 1024);
    tree.makeFile("Newer/b2/g", 2048);
    Form1 form(environment());
    ModelSteps recorded(form);
    quint64 olderGeneration = 0;
    std::size_t stepsAtClick = 0;
    recorded.onStep = [&](const ModelSteps::Step &step) {
        if (olderGeneration == 0 && step.index == clickAt &&
            step.state == ChartModel::State::Sizing) {
            olderGeneration = step.generation;
            stepsAtClick = recorded.steps.size();
            form.TreeFolder1_FolderClick(tree.pathQ("Newer"));
        }
    };

    chart(form, older);

    ASSERT_NE(olderGeneration, 0u);
    for (std::size_t i = stepsAtClick; i < recorded.steps.size(); ++i)
        EXPECT_NE(recorded.steps[i].generation, olderGeneration) << "step " << i;
    EXPECT_EQ(form.SideTextLines(), NewerLines);
    EXPECT_EQ(form.MSChart1()->columnLabels(), NewerLines);
    EXPECT_EQ(form.MSChart1()->values(), QList<qint64>({1024, 2048}));
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
}

INSTANTIATE_TEST_SUITE_P(FirstOrSecondSubfolder, ClickDuringGeneration, ::testing::Values(0, 1));

TEST_F(FormTest, EmptyFolderClickedDuringAScanLetsTheScanFinishItsOwnFolder)
{
    tree.makeFile("Older/a1/f", 100);
    tree.makeFile("Older/a2/f", 200);
    tree.makeFile("Older/a3/f", 300);
    tree.makeDir("Flat");
    Form1 form(environment());
    ModelSteps recorded(form);
    recorded.onStep = [&](const ModelSteps::Step &step) {
        if (recorded.steps.size() == 1)
            form.TreeFolder1_FolderClick(tree.pathQ("Flat"));
        Q_UNUSED(step);
    };

    chart(form, tree.pathQ("Older"));

    // Named against its own folder although Dir1 now shows another one.
    EXPECT_EQ(form.SideTextLines(),
              QStringList({"a1 - 100 Bytes", "a2 - 200 Bytes", "a3 - 300 Bytes"}));
    EXPECT_FALSE(form.MSChart1()->isVisible());
    EXPECT_EQ(form.Dir1().path(), tree.pathQ("Flat"));
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
}

// Closed while its first subfolder, one of 10,000 subfolders, is being sized: the program is
// told to end and the chart shows nothing more, however long the events keep coming.
TEST_F(FormTest, ClosingDuringAScanEndsTheProgramAndTheScanAtOnce)
{
    QTemporaryDir shm(QStringLiteral("/dev/shm/quorvane-test-XXXXXX"));
    const QString older = makeWideFolder(shm, tree, "Older/a1");
    tree.makeFile("Older/a2/f", 10);
    Form1 form(environment());
    ModelSteps recorded(form);
    recorded.onStep = [&](const ModelSteps::Step &) {
        if (recorded.steps.size() == 1)
            form.close();
    };

    form.TreeFolder1_FolderClick(QFileInfo(older).path());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents();

    EXPECT_EQ(endProgramCalls, 1);
    EXPECT_TRUE(form.ending());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(recorded.steps.size(), 1u);
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"Getting folder size..."}));
    EXPECT_EQ(form.SideTextLines(), QStringList());
    EXPECT_FALSE(form.ChartDone());
}

// A held arrow key moves the tree down a long list of folders, clicking each one while the
// one before is charted. Each click replaces the generation under way; the descriptors of
// replaced scans are not kept open.
TEST_F(FormTest, HeldArrowKeyEndsOnTheLastFolderWithNoDescriptorsOfReplacedScans)
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
    int mostDescriptors = 0;
    ModelSteps recorded(form);
    recorded.onStep = [&](const ModelSteps::Step &step) {
        mostDescriptors = std::max(mostDescriptors, openDescriptors());
        if (step.state == ChartModel::State::Sizing && repeats < Folders - 1) {
            ++repeats;
            QCoreApplication::postEvent(
                view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        }
    };
    chart(form, tree.pathQ(folder(0)));
    ASSERT_TRUE(settle(form));

    EXPECT_EQ(repeats, Folders - 1);
    EXPECT_LE(mostDescriptors - descriptorsBefore, 16);
    EXPECT_EQ(form.Dir1().path(), tree.pathQ(folder(Folders - 1)));
    EXPECT_EQ(form.SideTextLines(), QStringList({"s - 0 Bytes"}));
    EXPECT_TRUE(form.ChartDone());
}
