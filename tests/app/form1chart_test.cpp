#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "formfixture.h"
#include "platform/nativepath.h"
#include "treefolder/treefolder.h"

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

    form.TreeFolder1_FolderClick(tree.pathQ("Data"));

    EXPECT_EQ(form.MSChart1()->columnLabels(), DataLabels);
    EXPECT_EQ(form.MSChart1()->values(), QStringList({"0", "1536", "512", "2048"}));
    EXPECT_EQ(form.MSChart1()->rowCount(), 1);
    EXPECT_EQ(form.MSChart1()->columnLabelCount(), 4);
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
    atNextYield([&] {
        labelsDuringScan = form.MSChart1()->columnLabels();
        progressDuringScan = form.ProgressBar1()->value();
        pointerDuringScan = form.mousePointer();
        captionDuringScan = form.ProgressBar1()->format();
    });

    form.TreeFolder1_FolderClick(tree.pathQ("One"));

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
    form.TreeFolder1_FolderClick(tree.pathQ("Data"));

    form.TreeFolder1_FolderClick(tree.pathQ("Flat"));

    EXPECT_FALSE(form.MSChart1()->isVisible());
    EXPECT_TRUE(form.NoSubfoldersNote()->isVisible());
    EXPECT_EQ(form.NoSubfoldersNote()->text(), "No subfolders in Flat");
    EXPECT_EQ(form.SideTextLines(), DataLines);
    EXPECT_EQ(form.ProgressBar1()->format(), "Generating Chart...Please Wait");
    EXPECT_TRUE(form.ChartDone());

    form.TreeFolder1_FolderClick(tree.pathQ("Data"));
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
    form.TreeFolder1_FolderClick(tree.pathQ("Data"));
    form.TreeFolder1_FolderClick(tree.pathQ("Flat")); // leaves "Generating Chart..."

    for (const QString &rejected : {tree.pathQ("vanished"), tree.pathQ("Silent")}) {
        form.MSChart1()->setVisible(true);
        form.setMousePointer(Form1::Hourglass);
        form.ProgressBar1()->setValue(50);

        form.TreeFolder1_FolderClick(rejected);

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

    form.TreeFolder1_FolderClick(tree.pathQ("Data"));

    EXPECT_EQ(form.SideTextLines(), DataLines);
}

TEST_F(FormTest, RejectedFolderDuringAScanLeavesTheIndicatorsToTheScan)
{
    makeDataFolder(tree);
    Form1 form(environment());
    int pointerAfterRejection = -1;
    atNextYield([&] {
        form.TreeFolder1_FolderClick(tree.pathQ("vanished"));
        pointerAfterRejection = form.mousePointer();
    });

    form.TreeFolder1_FolderClick(tree.pathQ("Data"));

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
    QStringList values;
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
        values << QString::number(bytes);
    }
    Form1 form(environment());

    form.TreeFolder1_FolderClick(tree.pathQ("Many"));

    EXPECT_EQ(form.MSChart1()->columnLabels(), labels);
    EXPECT_EQ(form.MSChart1()->values(), values);
    EXPECT_TRUE(form.MSChart1()->legend()->isRowVisible(count - 1));
    EXPECT_EQ(form.MSChart1()->columnPath(count),
              tree.pathQ("Many") + '/' + labels.last().left(11));
}

INSTANTIATE_TEST_SUITE_P(Counts, ChartOfCount, ::testing::Values(1, 2, 15, 16, 1000));

// The subfolder's node is opened and clicked in the tree: the tree raises what a user's click
// on it raises, and its FolderClick charts it.
TEST_F(FormTest, DoubleClickOnASliceOpensItsSubfolderAsAClickInTheTree)
{
    makeDataFolder(tree);
    tree.makeDir("Data/Music/Live");
    Form1 form(environment());
    form.show();
    form.TreeFolder1_FolderClick(tree.pathQ("Data"));
    TreeFolder *folders = form.TreeFolder1();
    QStringList events;
    QObject::connect(folders, &TreeFolder::FolderClick, &form,
                     [&](const QString &path) { events << "FolderClick " + path; });
    QObject::connect(folders, &TreeFolder::DriveClick, &form,
                     [&](const QString &path) { events << "DriveClick " + path; });
    QObject::connect(folders, &TreeFolder::Change, &form, [&] { events << "Change"; });
    QObject::connect(folders, &TreeFolder::Click, &form, [&] { events << "Click"; });

    emit form.MSChart1()->columnActivated(2);

    const QString music = tree.pathQ("Data/Music");
    EXPECT_EQ(folders->selectedFolder(), music);
    // After the events of opening Data: what a user's click on Music raises.
    EXPECT_EQ(events.mid(events.indexOf("Click")),
              QStringList({"Click", "FolderClick " + music, "Change"}));
    EXPECT_EQ(form.SideTextLines(), QStringList({"Live - 0 Bytes"}));
    EXPECT_EQ(form.Dir1().path(), music);
}

TEST_F(FormTest, ASubfolderWhoseNameIsNotUtf8IsSizedShownAndOpened)
{
    tree.makeFile("Odd/\xff\xfe/in/f.bin", 300);
    Form1 form(environment());
    form.TreeFolder1_FolderClick(tree.pathQ("Odd"));
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"\ufffd\ufffd - 300 Bytes"}));
    const QByteArray odd = QByteArray::fromStdString(tree.path("Odd/\xff\xfe"));
    EXPECT_EQ(nativePath(form.MSChart1()->columnPath(1)), odd);

    form.TreeFolder1_FolderClick(pathFromNative(odd));
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"in - 300 Bytes"}));
}
