#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "formfixture.h"
#include "platform/nativepath.h"
#include "platform/specialfolders.h"
#include "treefolder/treefolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

// Data holds four subfolders; their list order is by name without regard to case.
void makeDataFolder(const TempTree &tree)
{
    tree.makeDir("Data/empty");
    tree.makeFile("Data/Music/a.mp3", 1024);
    tree.makeFile("Data/Music/b.mp3", 512);
    tree.makeFile("Data/Photographs 2019 Summer/p.jpg", 512);
    tree.makeFile("Data/Photographs2019/x/y/deep.jpg", 2048);
}

const QStringList DataLabels = {"empty - 0 Bytes", "Music - 1.50 KB",
                                "Photographs 201... - 512 Bytes", "Photographs2019 - 2.00 KB"};
const QStringList DataLines = {"empty - 0 Bytes", "Music - 1.50 KB",
                               "Photographs 2019 Summer - 512 Bytes", "Photographs2019 - 2.00 KB"};

} // namespace

TEST_F(FormTest, GenerationGivesOneSlicePerSubfolderAndEndsIdle)
{
    makeDataFolder(tree);
    Form1 form(environment());
    EXPECT_FALSE(form.ChartDone());
    EXPECT_FALSE(form.SideTextLines().has_value());

    chart(form, tree.pathQ("Data"));

    EXPECT_EQ(form.MSChart1()->columnLabels(), DataLabels);
    EXPECT_EQ(form.MSChart1()->values(), QList<qint64>({0, 1536, 512, 2048}));
    EXPECT_EQ(form.SideTextLines(), DataLines);
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
    EXPECT_TRUE(form.isVisible()) << "shown before the first scan";
    EXPECT_TRUE(form.MSChart1()->isVisible());
}

TEST_F(FormTest, WhileASubfolderIsScannedTheLegendSaysSoAndTheWindowIsBusy)
{
    tree.makeFile("One/only/f.bin", 10);
    Form1 form(environment());
    QStringList labelsDuringScan;
    int progressDuringScan = -1;
    int pointerDuringScan = -1;
    QString captionDuringScan;
    QObject::connect(&form.chartModel(), &ChartModel::subfolderChanged, &form, [&](int index) {
        if (form.chartModel().at(index).state != ChartModel::State::Sizing)
            return;
        labelsDuringScan = form.MSChart1()->columnLabels();
        progressDuringScan = form.ProgressBar1()->value();
        pointerDuringScan = form.mousePointer();
        captionDuringScan = form.ProgressBar1()->format();
    });

    chart(form, tree.pathQ("One"));

    EXPECT_EQ(labelsDuringScan, QStringList({"Getting folder size..."}));
    EXPECT_EQ(progressDuringScan, 100);
    EXPECT_EQ(pointerDuringScan, Form1::Hourglass);
    EXPECT_EQ(captionDuringScan, "Generating Chart...Please Wait");
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"only - 10 Bytes"}));
}

TEST_F(FormTest, FolderWithoutSubfoldersHidesTheChartAndKeepsTheEarlierSideText)
{
    makeDataFolder(tree);
    tree.makeFile("Flat/file.txt", 99);
    Form1 form(environment());
    chart(form, tree.pathQ("Data"));

    chart(form, tree.pathQ("Flat"));

    EXPECT_FALSE(form.MSChart1()->isVisible());
    EXPECT_TRUE(form.NoSubfoldersNote()->isVisible());
    EXPECT_EQ(form.NoSubfoldersNote()->text(), "No subfolders in Flat");
    EXPECT_EQ(form.SideTextLines(), DataLines);
    EXPECT_EQ(form.ProgressBar1()->format(), "Generating Chart...Please Wait");
    EXPECT_TRUE(form.ChartDone());

    chart(form, tree.pathQ("Data"));
    EXPECT_TRUE(form.MSChart1()->isVisible()) << "the next folder with subfolders shows it again";
    EXPECT_FALSE(form.NoSubfoldersNote()->isVisible());
}

// A folder that is gone, and one on a volume that does not answer, which is never listed.
TEST_F(FormTest, RejectedFolderKeepsTheChartAndPutsTheIndicatorsBack)
{
    makeDataFolder(tree);
    tree.makeDir("Flat");
    tree.makeDir("Silent/sub");
    drives->silent.append(tree.pathQ("Silent"));
    Form1 form(environment());
    chart(form, tree.pathQ("Data"));
    chart(form, tree.pathQ("Flat")); // leaves "Generating Chart..."

    for (const QString &rejected : {tree.pathQ("vanished"), tree.pathQ("Silent")}) {
        form.MSChart1()->setVisible(true);
        form.setMousePointer(Form1::Hourglass);
        form.ProgressBar1()->setValue(50);

        chart(form, rejected);

        EXPECT_EQ(form.MSChart1()->columnLabels(), DataLabels) << rejected.toStdString();
        EXPECT_TRUE(form.MSChart1()->isVisible());
        EXPECT_EQ(form.SideTextLines(), DataLines);
        EXPECT_EQ(form.Dir1().path(), tree.pathQ("Flat"));
        EXPECT_EQ(form.mousePointer(), Form1::Default);
        EXPECT_EQ(form.ProgressBar1()->value(), 0);
        EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");
    }
    EXPECT_TRUE(box->boxes.empty());
}

// The window asks the machine's own mounts whether a clicked folder answers.
TEST_F(FormTest, WithTheMachinesOwnDrivesAClickedFolderIsCharted)
{
    makeDataFolder(tree);
    Form1Environment env = environment();
    env.drives = nullptr;
    Form1 form(env);

    chart(form, tree.pathQ("Data"));

    EXPECT_EQ(form.SideTextLines(), DataLines);
}

TEST_F(FormTest, RejectedFolderDuringAScanLeavesTheIndicatorsToTheScan)
{
    makeDataFolder(tree);
    tree.makeDir("Silent/sub");
    drives->silent.append(tree.pathQ("Silent"));
    Form1 form(environment());
    int pointerAfterRejection = -1;
    QObject::connect(&form.chartModel(), &ChartModel::subfolderChanged, &form, [&](int index) {
        if (index == 1 && pointerAfterRejection < 0) {
            form.TreeFolder1_FolderClick(tree.pathQ("Silent"));
            pointerAfterRejection = form.mousePointer();
        }
    });

    chart(form, tree.pathQ("Data"));

    EXPECT_EQ(pointerAfterRejection, Form1::Hourglass);
    EXPECT_EQ(form.SideTextLines(), DataLines);
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_TRUE(form.ChartDone());
}

class ChartOfCount : public FormTest, public ::testing::WithParamInterface<int> {};

// Every subfolder gets its slice, label and value in list order, and the legend ends on the
// last one scanned.
TEST_P(ChartOfCount, EverySubfolderReachesTheChartInListOrder)
{
    const int count = GetParam();
    QStringList labels;
    QList<qint64> values;
    for (int i = 0; i < count; ++i) {
        // Making files is slow on some file systems: the first twenty hold as many bytes as
        // their number, the rest are empty.
        const QString name = QStringLiteral("folder %1").arg(i, 4, 10, QChar(u'0'));
        const int bytes = i < 20 ? i : 0;
        if (bytes > 0)
            tree.makeFile(("Many/" + name + "/f").toStdString(), bytes);
        else
            tree.makeDir(("Many/" + name).toStdString());
        labels << name + " - " + QString::number(bytes) + " Bytes";
        values << bytes;
    }
    Form1 form(environment());

    chart(form, tree.pathQ("Many"));

    EXPECT_EQ(form.MSChart1()->columnLabels(), labels);
    EXPECT_EQ(form.MSChart1()->values(), values);
    EXPECT_TRUE(form.MSChart1()->legend()->isRowVisible(count - 1));
    EXPECT_EQ(form.chartModel().at(count - 1).path,
              nativePath(tree.pathQ("Many") + '/' + labels.last().left(11)));
}

INSTANTIATE_TEST_SUITE_P(Counts, ChartOfCount, ::testing::Values(1, 2, 15, 16, 1000));

namespace {

// The events a tree raises for clicks, in order.
QStringList *recordClicks(TreeFolder *folders, QObject *context)
{
    auto *events = new QStringList;
    QObject::connect(folders, &TreeFolder::FolderClick, context,
                     [events](const QString &path) { *events << "FolderClick " + path; });
    QObject::connect(folders, &TreeFolder::DriveClick, context,
                     [events](const QString &path) { *events << "DriveClick " + path; });
    QObject::connect(folders, &TreeFolder::Change, context, [events] { *events << "Change"; });
    QObject::connect(folders, &TreeFolder::Click, context, [events] { *events << "Click"; });
    QObject::connect(context, &QObject::destroyed, [events] { delete events; });
    return events;
}

} // namespace

// The subfolder's node is opened and selected in the tree, which raises what a user's click on
// it raises, and its FolderClick charts it: also when its row is far out of view of a small
// window scrolled back to the top.
TEST_F(FormTest, DoubleClickOnASliceOpensItsSubfolderAsAClickInTheTree)
{
    makeDataFolder(tree);
    tree.makeDir("Data/Music/Live");
    for (int i = 0; i < 40; ++i)
        tree.makeDir("Data/zz" + std::to_string(10 + i) + "/in");
    for (int i = 0; i < 2001; ++i)
        tree.makeFile("Big/f" + std::to_string(i), 0);
    tree.makeDir("Big/Sub/in");
    Form1 form(environment());
    form.show();
    chart(form, tree.pathQ("Data"));
    const QStringList &events = *recordClicks(form.TreeFolder1(), &form);

    emit form.MSChart1()->columnActivated(2);
    ASSERT_TRUE(settle(form));

    const QString music = tree.pathQ("Data/Music");
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), music);
    // After the events of opening Data: what a user's click on Music raises.
    EXPECT_EQ(events.mid(events.indexOf("Click")),
              QStringList({"Click", "FolderClick " + music, "Change"}));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Live - 0 Bytes"}));
    EXPECT_EQ(form.Dir1().path(), music);

    chart(form, tree.pathQ("Data"));
    form.resize(300, 200);
    form.TreeFolder1()->treeView()->scrollToTop();
    emit form.MSChart1()->columnActivated(44);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), tree.pathQ("Data/zz49"));
    EXPECT_EQ(form.SideTextLines(), QStringList({"in - 0 Bytes"}));

    // A folder of many entries has its children listed in the background: the subfolder is
    // opened once they have come.
    chart(form, tree.pathQ("Big"));
    emit form.MSChart1()->columnActivated(1);
    const QString sub = tree.pathQ("Big/Sub");
    QElapsedTimer clock;
    clock.start();
    while (form.TreeFolder1()->selectedFolder() != sub && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), sub);
    EXPECT_EQ(form.SideTextLines(), QStringList({"in - 0 Bytes"}));
}

// Documents shows at the top of the tree and again inside its parent folder, keyed there with
// "/." after its path. Drilling down from the parent's chart opens the copy inside the parent,
// and drilling down from that copy's chart stays in it.
TEST_F(FormTest, DoubleClickOpensTheDocumentsCopyUnderTheFolderCharted)
{
    tree.makeFile("Home/Documents/Music/a.mp3", 7);
    tree.makeDir("Home/Other");
    Form1Environment env = environment();
    auto folders = std::make_shared<FakeSpecialFolders>();
    folders->paths.insert(SpecialFolderId::Desktop, tree.pathQ("Desktop"));
    folders->paths.insert(SpecialFolderId::MyDocuments, tree.pathQ("Home/Documents"));
    env.specialFolders = folders;
    Form1 form(env);
    form.show();
    ASSERT_FALSE(form.TreeFolder1()->FolderNodes().find(tree.pathQ("Home/Documents")).isNull());
    chart(form, tree.pathQ("Home"));
    const QStringList &events = *recordClicks(form.TreeFolder1(), &form);

    emit form.MSChart1()->columnActivated(1);
    ASSERT_TRUE(settle(form));

    // The copy under Home, not the one at the top, and its real path everywhere.
    const QString copy = tree.pathQ("Home/Documents");
    EXPECT_EQ(form.TreeFolder1()->selectedNode().parent().key(), tree.pathQ("Home"));
    EXPECT_EQ(events.mid(events.indexOf("Click")),
              QStringList({"Click", "FolderClick " + copy, "Change"}));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Music - 7 Bytes"}));

    emit form.MSChart1()->columnActivated(1);
    ASSERT_TRUE(settle(form));
    EXPECT_EQ(form.TreeFolder1()->selectedFolder(), copy + "/Music");
    EXPECT_EQ(form.TreeFolder1()->selectedNode().parent().parent().key(), tree.pathQ("Home"));
    EXPECT_EQ(form.Dir1().path(), copy + "/Music");
}

TEST_F(FormTest, ASubfolderWhoseNameIsNotUtf8IsSizedShownAndOpened)
{
    tree.makeFile("Odd/\xff\xfe/in/f.bin", 300);
    Form1 form(environment());
    chart(form, tree.pathQ("Odd"));
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"\ufffd\ufffd - 300 Bytes"}));
    const QByteArray odd = QByteArray::fromStdString(tree.path("Odd/\xff\xfe"));
    EXPECT_EQ(form.chartModel().at(0).path, odd);

    chart(form, pathFromNative(odd));
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"in - 300 Bytes"}));
}
