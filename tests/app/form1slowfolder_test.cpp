#include "chart/piechart.h"
#include "chart/slicetooltip.h"
#include "foldersize/scansystem.h"
#include "foldersize/stalledfolders.h"
#include "formfixture.h"

#include <QProgressBar>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Holds every thread at wait() until opened; never destroyed, as a thread held in it may
// outlive the test.
struct Gate {
    static Gate &make() { return *new Gate; }
    void wait()
    {
        std::unique_lock lock(m_lock);
        m_opened.wait(lock, [this] { return m_open; });
    }
    void open()
    {
        const std::lock_guard lock(m_lock);
        m_open = true;
        m_opened.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_opened;
    bool m_open = false;
};

// The real system, except that opening one folder does not return while the gate is shut:
// a folder on a volume that stopped answering.
struct StuckReader final : ScanSystem {
    std::string stuck;
    Gate &gate = Gate::make();
    std::atomic<int> asked{0};

    int openRoot(const std::string &path, struct stat &st) override
    {
        if (path == stuck || path == stuck + '/') {
            ++asked;
            gate.wait();
        }
        return ScanSystem::openRoot(path, st);
    }
};

} // namespace

// The subfolder that does not answer is given up after the bound: its slice says so, the
// chart completes, and the next chart of the folder asks it again.
TEST_F(FormTest, ASubfolderThatDoesNotAnswerIsShownSoAndAskedAgainByTheNextChart)
{
    tree.makeFile("Mixed/a/f", 10);
    tree.makeFile("Mixed/Stuck/f", 99);
    tree.makeFile("Mixed/z/f", 20);
    const auto reader = std::make_shared<StuckReader>();
    reader->stuck = tree.path("Mixed/Stuck");
    Form1Environment env = environment();
    env.scanSystem = reader;
    env.stallBound = std::chrono::milliseconds(200);
    Form1 form(env);
    const QStringList labels = {"a - 10 Bytes", "Stuck - Not answering", "z - 20 Bytes"};

    chart(form, tree.pathQ("Mixed"));

    EXPECT_EQ(form.MSChart1()->columnLabels(), labels);
    EXPECT_EQ(form.MSChart1()->values(), QList<qint64>({10, 0, 20}));
    EXPECT_EQ(SliceToolTip(form.chartModel(), 1),
              "Stuck\nNot answering: 0 Bytes could be read\nCharting the folder again asks it "
              "again");
    EXPECT_TRUE(form.ChartDone());
    EXPECT_EQ(form.mousePointer(), Form1::Default);

    // While its first call still waits, the next chart does not send one more worker into
    // it; once that call has returned, the next chart asks it again.
    chart(form, tree.pathQ("Mixed"));
    EXPECT_EQ(reader->asked, 1);
    EXPECT_EQ(form.MSChart1()->columnLabels(), labels);
    reader->gate.open();
    for (int i = 0; i < 500 && !StalledFolders::instance().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    chart(form, tree.pathQ("Mixed"));
    EXPECT_EQ(reader->asked, 2);
    EXPECT_EQ(form.MSChart1()->values(), QList<qint64>({10, 99, 20}));
}

// The wait pointer and the progress text come with the click, while the folder is still being
// listed; clicking it again meanwhile lists it no second time.
TEST_F(FormTest, TheWindowIsBusyFromTheClickAndASecondClickOnTheFolderBeingListedStartsNothing)
{
    tree.makeFile("Slow/a/f", 10);
    const QString slow = tree.pathQ("Slow");
    Gate &gate = Gate::make();
    const auto listings = std::make_shared<std::atomic<int>>(0);
    Form1Environment env = environment();
    env.beforeListing = [&gate, listings, slow](const QString &folder) {
        if (folder == slow) {
            ++*listings;
            gate.wait();
        }
    };
    Form1 form(env);

    form.TreeFolder1_FolderClick(slow);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100)
        QCoreApplication::processEvents();
    EXPECT_FALSE(form.idle());
    EXPECT_EQ(form.mousePointer(), Form1::Hourglass);
    EXPECT_EQ(form.ProgressBar1()->format(), "Generating Chart...Please Wait");
    form.TreeFolder1_FolderClick(slow);
    gate.open();
    ASSERT_TRUE(settle(form));

    EXPECT_EQ(*listings, 1);
    EXPECT_EQ(form.MSChart1()->columnLabels(), QStringList({"a - 10 Bytes"}));
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->format(), "Progress Bar");

    // A folder without subfolders gives the pointer back; the text stays as it always did.
    tree.makeDir("Flat");
    chart(form, tree.pathQ("Flat"));
    EXPECT_EQ(form.mousePointer(), Form1::Default);
    EXPECT_EQ(form.ProgressBar1()->format(), "Generating Chart...Please Wait");
}
