#include "app/scanchartsource.h"
#include "app/scanwindow.h"
#include "chart/piechart.h"
#include "scanfile/scanfileread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<ScanChartSource> scanOf(const char *text)
{
    return std::make_shared<ScanChartSource>(std::make_shared<const ScanTree>(readScanText(text)));
}

bool settle(const ScanWindow &window)
{
    QElapsedTimer clock;
    clock.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    while (!window.idle() && clock.elapsed() < 30000);
    return window.idle();
}

QStringList names(const ChartModel &model)
{
    QStringList found;
    for (int i = 0; i < model.count(); ++i)
        found.append(model.at(i).name);
    return found;
}

// /srv holds www (with logs below it) and db; /srv/www/logs holds nothing below.
const char *const Scan =
    "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1796083200},"
    "[{\"name\":\"/srv\"},[{\"name\":\"www\"},{\"name\":\"i\",\"asize\":5},"
    "[{\"name\":\"logs\"},{\"name\":\"l\",\"asize\":7}]],"
    "[{\"name\":\"db\"},{\"name\":\"d\",\"asize\":100}]]]";

} // namespace

TEST(ScanWindow, SaysWhatScanItShows)
{
    EXPECT_EQ(scanDescription("/srv", 1796083200, "ncdu", "1.18"),
              "Scan of /srv, 1 Dec 2026, from ncdu 1.18");
    EXPECT_EQ(scanDescription("/", -1, "gdu", ""), "Scan of /, from gdu");
    ScanWindow window(scanOf(Scan));
    EXPECT_TRUE(window.windowTitle().startsWith("Scan of /srv, 1 Dec 2026, from ncdu 1.18"));
    EXPECT_EQ(window.description(), "Scan of /srv, 1 Dec 2026, from ncdu 1.18");
}

TEST(ScanWindow, ChartsTheTopFolderThenDrillsDownAndBackUp)
{
    ScanWindow window(scanOf(Scan));
    window.show();
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv");
    EXPECT_EQ(names(window.model()), (QStringList{"db", "www"}));
    EXPECT_EQ(window.pie()->values(), (QList<qint64>{100, 12}));
    EXPECT_EQ(window.pathNames(), QStringList{"/srv"});

    emit window.pie()->columnActivated(2); // www
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv/www");
    EXPECT_EQ(names(window.model()), QStringList{"logs"});
    EXPECT_EQ(window.pathNames(), (QStringList{"/srv", "www"}));

    // logs has no subfolders: the chart of www stays and a note says so.
    emit window.pie()->columnActivated(1);
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv/www");

    emit window.pie()->parentRequested();
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv");

    emit window.pie()->columnActivated(2);
    ASSERT_TRUE(settle(window));
    window.findChildren<QPushButton *>().first()->click(); // the path's first button: /srv
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv");
}
