#include "app/scanchartsource.h"
#include "app/scanwindow.h"
#include "chart/piechart.h"
#include "fakes.h"
#include "scanfile/scanfileread.h"
#include "support/recordingmessagebox.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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
    for (QPushButton *button : window.findChildren<QPushButton *>())
        if (button->text() == "/srv") // the path's first button
            button->click();
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.model().folder(), "/srv");
}

// The picture and the side text of the folder shown go to the files chosen; a file that
// cannot be written is told in a box, and a cancelled dialog writes nothing.
TEST(ScanWindow, SavesThePictureAndTheSideTextOfTheFolderShown)
{
    TempTree tree;
    ScanWindow window(scanOf(Scan));
    auto dialog = std::make_unique<ScriptedSaveDialog>();
    auto box = std::make_unique<RecordingMessageBox>();
    ScriptedSaveDialog &dialogRef = *dialog;
    RecordingMessageBox &boxRef = *box;
    window.useDialogs(std::move(dialog), std::move(box));
    ASSERT_TRUE(settle(window));

    dialogRef.answer = tree.pathQ("chart.jpg");
    window.saveChartAsJpg();
    QFile picture(dialogRef.answer);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    EXPECT_TRUE(picture.read(2) == QByteArray("\xff\xd8", 2));

    dialogRef.answer = tree.pathQ("side.txt");
    window.saveSideText();
    QFile text(dialogRef.answer);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray written = text.readAll();
    EXPECT_EQ(written, "db - 100 Bytes\r\nwww - 12 Bytes\r\n");
    EXPECT_TRUE(boxRef.boxes.empty());

    dialogRef.answer = tree.pathQ("missing/side.txt");
    window.saveSideText();
    ASSERT_EQ(boxRef.boxes.size(), 1u);
    EXPECT_TRUE(boxRef.boxes[0].text.contains("missing")) << boxRef.boxes[0].text.toStdString();

    dialogRef.answer.clear();
    window.saveChartAsJpg();
    EXPECT_EQ(boxRef.boxes.size(), 1u);
    EXPECT_EQ(dialogRef.shown.size(), 4u);
}
