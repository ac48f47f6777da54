#include "chart/changetext.h"
#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "formfixture.h"
#include "history/historyrecorder.h"
#include "history/historystore.h"

#include <QDateTime>
#include <QTest>

namespace {

class HistoryFormTest : public FormTest {
protected:
    Form1Environment historyEnvironment()
    {
        Form1Environment env = environment();
        env.history = recorder;
        return env;
    }

    std::shared_ptr<HistoryRecorder> recorder =
        std::make_shared<HistoryRecorder>(tree.pathQ("data/quorvane"));
};

} // namespace

TEST_F(HistoryFormTest, ACompletedChartIsRecordedWithItsSubfolders)
{
    tree.makeFile("Data/Music/a.mp3", 1536);
    tree.makeFile("Data/Video/v.mkv", 4096);
    Form1 form(historyEnvironment());
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    chart(form, tree.pathQ("Data"));
    recorder->waitForWork();

    HistoryStore store(tree.pathQ("data/quorvane"));
    ASSERT_EQ(store.open(), HistoryStore::State::Ready);
    const std::optional<HistoryLook> look = store.latestBefore(
        QByteArray::fromStdString(tree.path("Data")), false, QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(look);
    EXPECT_GE(look->takenMs, before);
    EXPECT_EQ(look->total, 1536 + 4096);
    EXPECT_NE(look->inode, 0u);
    ASSERT_EQ(look->entries.size(), 2);
    EXPECT_EQ(look->entries[1].name, QStringLiteral("Video"));
    EXPECT_EQ(look->entries[1].path, QByteArray::fromStdString(tree.path("Data/Video")));
    EXPECT_EQ(look->entries[1].bytes, 4096);
    EXPECT_TRUE(box->boxes.empty());
}

TEST_F(HistoryFormTest, AnUnwritableHistoryIsToldOnceInABox)
{
    tree.makeFile("data", 1);
    tree.makeFile("Data/Music/a.mp3", 10);
    Form1 form(historyEnvironment());
    chart(form, tree.pathQ("Data"));
    chart(form, tree.pathQ("Data/Music"));
    chart(form, tree.pathQ("Data"));
    recorder->waitForWork();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->boxes.empty(); }, 5000));
    QCoreApplication::processEvents();
    ASSERT_EQ(box->boxes.size(), 1u);
    EXPECT_TRUE(box->boxes.front().text.startsWith(QStringLiteral("History is off: ")));
    EXPECT_EQ(box->boxes.front().icon, MessageBox::Icon::Warning);
}

TEST_F(HistoryFormTest, AChartShowsTheChangeSinceTheNewestLookAtLeastAnHourOld)
{
    tree.makeFile("Data/Music/a.mp3", 1536);
    tree.makeFile("Data/Video/v.mkv", 4096);
    const QByteArray data = QByteArray::fromStdString(tree.path("Data"));
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        HistoryStore store(tree.pathQ("data/quorvane"));
        ASSERT_EQ(store.open(), HistoryStore::State::Ready);
        HistoryLook look;
        look.folder = data;
        look.entries = {{QStringLiteral("Music"), data + "/Music", 512},
                        {QStringLiteral("Old"), data + "/Old", 50}};
        look.takenMs = now - 3 * 60 * 60 * 1000;
        ASSERT_TRUE(store.record(look, now));
        // Newer than an hour: not the one compared with.
        look.entries = {{QStringLiteral("Music"), data + "/Music", 1}};
        look.takenMs = now - 10 * 60 * 1000;
        ASSERT_TRUE(store.record(look, now));
    }
    Form1 form(historyEnvironment());
    chart(form, tree.pathQ("Data"));
    const ChartModel &model = form.chartModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.comparison().isSet(); }, 10000));
    const QString day = ChangeDay(QDateTime::fromMSecsSinceEpoch(now - 3 * 60 * 60 * 1000));
    EXPECT_EQ(ChangeText(model, 0), "+1.00 KB since " + day);
    EXPECT_EQ(ChangeText(model, 1), "new");
    EXPECT_EQ(form.MSChart1()->legend()->goneRows(), 1);
    EXPECT_EQ(GoneSubfolders(model).front().name, "Old");
    // The side text is the same as without a history.
    EXPECT_EQ(form.SideTextLines(), QStringList({"Music - 1.50 KB", "Video - 4.00 KB"}));

    // A folder charted without an earlier look compares with nothing.
    tree.makeFile("Other/x/f", 1);
    chart(form, tree.pathQ("Other"));
    recorder->waitForWork();
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.comparison().isSet());
}
