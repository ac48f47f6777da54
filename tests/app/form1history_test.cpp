#include "app/folderactions.h"
#include "chart/changetext.h"
#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "formfixture.h"
#include "history/historyrecorder.h"
#include "history/historystore.h"

#include <QDateTime>
#include <QFile>
#include <QMenu>
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

    // A look of Data three hours ago: Music held 512 bytes, Old 50.
    qint64 recordEarlierLook()
    {
        const QByteArray data = QByteArray::fromStdString(tree.path("Data"));
        HistoryStore store(tree.pathQ("data/quorvane"));
        EXPECT_EQ(store.open(), HistoryStore::State::Ready);
        HistoryLook look;
        look.folder = data;
        look.entries = {{QStringLiteral("Music"), data + "/Music", 512},
                        {QStringLiteral("Old"), data + "/Old", 50}};
        look.total = 562;
        look.takenMs = QDateTime::currentMSecsSinceEpoch() - 3 * 60 * 60 * 1000;
        EXPECT_TRUE(store.record(look, look.takenMs));
        return look.takenMs;
    }

    static QMenu *compareMenu(Form1 &form)
    {
        emit form.MSChart1()->contextMenuRequested(1, QPoint(10, 10));
        QMenu *menu = form.folderActions()->menu();
        if (!menu)
            return nullptr;
        for (QAction *action : menu->actions())
            if (action->text() == "Compare With")
                return action->menu();
        return nullptr;
    }

    static QAction *item(QMenu *menu, const QString &start)
    {
        for (QAction *action : menu->actions())
            if (action->text().startsWith(start))
                return action;
        return nullptr;
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
    // Charted again, it keeps the comparison.
    chart(form, tree.pathQ("Data"));
    EXPECT_EQ(ChangeText(model, 0), "+1.00 KB since " + day);

    // A folder charted without an earlier look compares with nothing.
    tree.makeFile("Other/x/f", 1);
    chart(form, tree.pathQ("Other"));
    recorder->waitForWork();
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.comparison().isSet());
}

TEST_F(HistoryFormTest, TheChartsMenuComparesWithAnotherLookOrNothing)
{
    tree.makeFile("Data/Music/a.mp3", 1536);
    const qint64 earlier = recordEarlierLook();
    Form1 form(historyEnvironment());
    chart(form, tree.pathQ("Data"));
    const ChartModel &model = form.chartModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.comparison().isSet(); }, 10000));
    recorder->waitForWork(); // this chart's own look, and the list of looks after it
    QCoreApplication::processEvents();

    QMenu *compare = compareMenu(form);
    ASSERT_NE(compare, nullptr);
    const QList<QAction *> items = compare->actions();
    // No Comparison, separator, this chart's look, the earlier one, separator, Scan File…
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0]->text(), "No Comparison");
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_FALSE(items[2]->isChecked());
    EXPECT_TRUE(items[3]->isChecked()) << "the look compared with by default";
    EXPECT_TRUE(items[3]->text().endsWith(" - 562 Bytes")) << qPrintable(items[3]->text());
    EXPECT_EQ(items[5]->text(), "Scan File\u2026");

    items[0]->trigger();
    EXPECT_FALSE(model.comparison().isSet());
    items[2]->trigger(); // the look just taken: nothing changed since
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.comparison().isSet(); }, 10000));
    EXPECT_EQ(ChangeText(model, 0), "no change since " + ChangeDay(QDateTime::currentDateTime()));
    items[3]->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return model.comparison().when().toMSecsSinceEpoch() == earlier; }, 10000));
    EXPECT_EQ(GoneSubfolders(model).size(), 1);
}

TEST_F(HistoryFormTest, AScanFileIsComparedWithAndABrokenOneIsToldInABox)
{
    tree.makeFile("Data/Music/a.mp3", 1536);
    tree.makeFile("Data/Video/v.mkv", 10);
    Form1 form(historyEnvironment());
    chart(form, tree.pathQ("Data"));
    recorder->waitForWork();
    QCoreApplication::processEvents();
    const QByteArray data = QByteArray::fromStdString(tree.path("Data"));
    {
        QFile scan(tree.pathQ("data.json"));
        ASSERT_TRUE(scan.open(QIODevice::WriteOnly));
        scan.write("[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1796850830},\n"
                   "[{\"name\":\"" +
                   data +
                   "\"},\n"
                   "[{\"name\":\"Music\"},{\"name\":\"a.mp3\",\"asize\":2048}],\n"
                   "[{\"name\":\"Gone\"},{\"name\":\"g\",\"asize\":7}]]]\n");
    }
    form.compareWithScanFile(tree.pathQ("data.json"));
    const ChartModel &model = form.chartModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.comparison().isSet(); }, 10000));
    EXPECT_EQ(model.comparison().when(), QDateTime::fromSecsSinceEpoch(1796850830, Qt::UTC));
    const QString day = ChangeDay(model.comparison().when());
    EXPECT_EQ(ChangeText(model, 0), "-512 Bytes since " + day);
    EXPECT_EQ(ChangeText(model, 1), "new");
    ASSERT_EQ(GoneSubfolders(model).size(), 1);
    EXPECT_EQ(GoneSubfolders(model).front().bytes, 7);
    QMenu *compare = compareMenu(form);
    ASSERT_NE(compare, nullptr);
    EXPECT_TRUE(item(compare, "Scan File")->isChecked());

    {
        QFile scan(tree.pathQ("broken.json"));
        ASSERT_TRUE(scan.open(QIODevice::WriteOnly));
        scan.write("[1,2,{},[{\"name\":\"/x\"}");
    }
    form.compareWithScanFile(tree.pathQ("broken.json"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->boxes.empty(); }, 10000));
    EXPECT_TRUE(box->boxes.front().text.startsWith(tree.pathQ("broken.json") + " cannot be read: "))
        << qPrintable(box->boxes.front().text);
    EXPECT_EQ(ChangeText(model, 0), "-512 Bytes since " + day) << "the comparison stays";
    form.compareWithScanFile(tree.pathQ("Data/Music/a.mp3"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->boxes.size() == 2; }, 10000));
}
