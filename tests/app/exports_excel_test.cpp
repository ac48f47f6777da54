#include "exportfixture.h"
#include "support/smalltmpfs.h"
#include "support/zipreader.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>

namespace {

const SpreadsheetProgram fakeCalc{QStringLiteral("/opt/fake/calc"), {QStringLiteral("--calc")}, -1};

QStringList matching(const QStringList &entries, const QString &pattern)
{
    return entries.filter(QRegularExpression(QRegularExpression::anchoredPattern(pattern)));
}

} // namespace

TEST_F(ExportTest, WorkbookHoldsTheChartPictureOnItsOnlySheetAndIsOpenedInTheProgram)
{
    makeDataFolder();
    locator->program = fakeCalc;
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    const QImage chart = form.MSChart1()->picture().toImage();

    form.PushButton3()->click();

    EXPECT_TRUE(box->boxes.empty());
    const QString book = tree.pathQ("books/Folder Sizes 1.xlsx");
    EXPECT_EQ(launcher->programs, QStringList({"/opt/fake/calc --calc " + book}));
    const QStringList entries = zipEntries(book);
    EXPECT_EQ(matching(entries, "xl/worksheets/sheet\\d+\\.xml"),
              QStringList({"xl/worksheets/sheet1.xml"}));
    EXPECT_EQ(matching(entries, "xl/drawings/drawing\\d+\\.xml").size(), 1);
    const QStringList media = matching(entries, "xl/media/.*");
    ASSERT_EQ(media.size(), 1) << entries.join(u' ').toStdString();
    // The picture is stored without loss, so the colours match exactly.
    expectSamePicture(QImage::fromData(zipEntry(book, media[0])), chart, 0);
    EXPECT_TRUE(tempEntries().isEmpty());
    EXPECT_EQ(QApplication::clipboard()->image().size(), chart.size());

    form.PushButton3()->click();

    EXPECT_EQ(launcher->programs.size(), 2) << "every press opens a workbook of its own";
    EXPECT_TRUE(QFile::exists(tree.pathQ("books/Folder Sizes 2.xlsx")));
    EXPECT_TRUE(box->boxes.empty());
}

TEST_F(ExportTest, WorkbookWithoutASpreadsheetProgramShowsFiveBoxesAndLeavesNoBitmap)
{
    makeDataFolder();
    locator->program.reset();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    QApplication::clipboard()->clear();

    form.PushButton3()->click();

    EXPECT_EQ(reportedSteps(), (std::vector<int>{106, 108, 110, 116, 118}));
    for (const auto &shown : box->boxes)
        EXPECT_TRUE(shown.text.contains("\r\nin Quorvane7/29/2014.Form1.PushButton3_Click at"))
            << shown.text.toStdString();
    EXPECT_TRUE(launcher->programs.isEmpty());
    EXPECT_TRUE(tempEntries().isEmpty());
    EXPECT_TRUE(QDir(tree.pathQ("books")).isEmpty());
    // Steps 112 and 114 still ran: the chart went through the clipboard.
    EXPECT_EQ(QApplication::clipboard()->image().size(), form.MSChart1()->picture().size());
}

TEST_F(ExportTest, AWorkbookThatCannotBeWrittenShowsADeviceIoErrorAndOpensNothing)
{
    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    disk.fill("filler");
    makeDataFolder();
    locator->program = fakeCalc;
    auto env = exportEnvironment();
    env.workbookFolder = disk.pathQ(".");
    Form1 form(env);
    chart(form, tree.pathQ("Data"));

    form.PushButton3()->click();

    EXPECT_EQ(reportedSteps(), std::vector<int>{118});
    ASSERT_EQ(box->boxes.size(), 1u);
    EXPECT_TRUE(box->boxes[0].text.startsWith("Device I/O error: cannot write the workbook "))
        << box->boxes[0].text.toStdString();
    EXPECT_TRUE(launcher->programs.isEmpty());
    EXPECT_TRUE(tempEntries().isEmpty());
}
