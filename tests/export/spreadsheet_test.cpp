#include "export/spreadsheet.h"
#include "export/tempbitmap.h"
#include "exportfakes.h"
#include "platform/runtimeerror.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"
#include "support/zipreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

const SpreadsheetProgram fakeCalc{QStringLiteral("/opt/fake/calc"), {QStringLiteral("--calc")}, -1};

QImage chartPicture()
{
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(20, 20, 100, 100, QColor(220, 40, 40));
    return picture;
}

QStringList entriesUnder(const QStringList &entries, const QString &prefix, const QString &suffix)
{
    QStringList found;
    for (const QString &entry : entries)
        if (entry.startsWith(prefix) && entry.endsWith(suffix))
            found.append(entry);
    return found;
}

// Runs the steps of the export in their order, each on its own, and returns the error
// number of each (0 for success).
std::vector<int> runSteps(Spreadsheet &sheet, const QString &bitmap)
{
    const std::vector<std::function<void()>> steps = {
        [&] { sheet.createApplication(); },    [&] { sheet.addWorkbook(); },
        [&] { sheet.selectFirstWorksheet(); }, [&] { sheet.insertPicture(bitmap); },
        [&] { sheet.makeVisible(); },
    };
    std::vector<int> numbers;
    for (const auto &step : steps) {
        try {
            step();
            numbers.push_back(0);
        } catch (const RuntimeError &error) {
            numbers.push_back(error.number());
        }
    }
    return numbers;
}

} // namespace

TEST(Spreadsheet, WritesWorkbookWithThePictureOnTheFirstSheetAndOpensIt)
{
    TempTree tree;
    tree.makeDir("books");
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;

    Spreadsheet sheet(locator, launcher, tree.pathQ("books"));
    sheet.createApplication();
    sheet.addWorkbook();
    sheet.selectFirstWorksheet();
    sheet.insertPicture(bitmap);
    // The picture is taken in at once; the export removes the bitmap before it ends.
    QFile::remove(bitmap);
    sheet.makeVisible();

    const QString book = tree.pathQ("books/Folder Sizes 1.xlsx");
    EXPECT_EQ(sheet.workbookPath(), book);
    ASSERT_EQ(launcher.m_starts.size(), 1);
    EXPECT_EQ(launcher.m_starts[0].program, fakeCalc.program);
    EXPECT_EQ(launcher.m_starts[0].arguments, QStringList({QStringLiteral("--calc"), book}));

    const QStringList entries = zipEntries(book);
    EXPECT_EQ(entriesUnder(entries, QStringLiteral("xl/worksheets/sheet"), QStringLiteral(".xml")),
              QStringList{QStringLiteral("xl/worksheets/sheet1.xml")});
    EXPECT_EQ(
        entriesUnder(entries, QStringLiteral("xl/drawings/drawing"), QStringLiteral(".xml")).size(),
        1);
    const QStringList media = entriesUnder(entries, QStringLiteral("xl/media/"), QString());
    ASSERT_EQ(media.size(), 1);

    const QImage placed = QImage::fromData(zipEntry(book, media[0]));
    EXPECT_EQ(placed.size(), QSize(320, 200));
    EXPECT_EQ(placed.pixelColor(60, 60), QColor(220, 40, 40));
    EXPECT_EQ(placed.pixelColor(300, 180), QColor(Qt::white));

    const QByteArray drawing = zipEntry(book, QStringLiteral("xl/drawings/drawing1.xml"));
    EXPECT_TRUE(drawing.contains("<xdr:from><xdr:col>0</xdr:col><xdr:colOff>0</xdr:colOff>"
                                 "<xdr:row>0</xdr:row>"));
    EXPECT_TRUE(
        zipEntry(book, QStringLiteral("xl/worksheets/sheet1.xml")).contains("fitToPage=\"1\""));
}

TEST(Spreadsheet, NeverOverwritesAnEarlierWorkbook)
{
    TempTree tree;
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    {
        QFile earlier(tree.pathQ("Folder Sizes 1.xlsx"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier work");
    }
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;

    for (const char *expected : {"Folder Sizes 2.xlsx", "Folder Sizes 3.xlsx"}) {
        Spreadsheet sheet(locator, launcher, tree.rootQ());
        EXPECT_EQ(runSteps(sheet, bitmap), (std::vector<int>{0, 0, 0, 0, 0}));
        EXPECT_EQ(sheet.workbookPath(), tree.pathQ(expected));
    }
    QFile earlier(tree.pathQ("Folder Sizes 1.xlsx"));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier work"));
    EXPECT_EQ(launcher.m_starts.size(), 2);
}

TEST(Spreadsheet, WithoutAProgramEveryStepFailsOnItsOwn)
{
    TempTree tree;
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    FakeLocator locator(std::nullopt);
    FakeLauncher launcher;
    {
        Spreadsheet sheet(locator, launcher, tree.pathQ("books"));
        tree.makeDir("books");
        EXPECT_EQ(runSteps(sheet, bitmap), (std::vector<int>{429, 91, 91, 91, 91}));
    }
    EXPECT_TRUE(launcher.m_starts.isEmpty());
    EXPECT_TRUE(QDir(tree.pathQ("books")).isEmpty());
}

TEST(Spreadsheet, WorkbookFailuresLeaveLaterStepsToFailAloneAndNoFiles)
{
    TempTree tree;
    tree.makeDir("books");
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;

    // No folder for the workbook: the program is still shown, empty, as a new application
    // would be.
    {
        Spreadsheet sheet(locator, launcher, tree.pathQ("missing"));
        EXPECT_EQ(runSteps(sheet, tree.pathQ("Chart.bmp")), (std::vector<int>{0, 76, 91, 91, 0}));
        ASSERT_EQ(launcher.m_starts.size(), 1);
        EXPECT_EQ(launcher.m_starts[0].arguments, QStringList{QStringLiteral("--calc")});
    }
    // No bitmap: the workbook is still written and opened, without a picture.
    {
        Spreadsheet sheet(locator, launcher, tree.pathQ("books"));
        EXPECT_EQ(runSteps(sheet, tree.pathQ("Chart.bmp")), (std::vector<int>{0, 0, 0, 53, 0}));
        const QStringList entries = zipEntries(sheet.workbookPath());
        EXPECT_TRUE(entries.contains(QStringLiteral("xl/worksheets/sheet1.xml")));
        EXPECT_TRUE(entriesUnder(entries, QStringLiteral("xl/media/"), QString()).isEmpty());
    }
    // A workbook never made visible leaves no file behind.
    {
        Spreadsheet sheet(locator, launcher, tree.pathQ("books"));
        sheet.createApplication();
        sheet.addWorkbook();
        EXPECT_TRUE(QFileInfo::exists(tree.pathQ("books/Folder Sizes 2.xlsx")));
    }
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("books/Folder Sizes 2.xlsx")));
}

TEST(Spreadsheet, ProgramThatDoesNotStartIsReportedAndKeepsTheWorkbook)
{
    TempTree tree;
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;
    launcher.m_succeeds = false;

    Spreadsheet sheet(locator, launcher, tree.rootQ());
    EXPECT_EQ(runSteps(sheet, bitmap), (std::vector<int>{0, 0, 0, 0, 429}));
    EXPECT_EQ(entriesUnder(zipEntries(sheet.workbookPath()), QStringLiteral("xl/media/"), QString())
                  .size(),
              1);
}

TEST(Spreadsheet, AWorkbookInASharedTemporaryFolderIsReadableByItsOwnerOnly)
{
    TempTree tree;
    tree.makeDir("shared");
    tree.makeDir("mine");
    ::chmod(tree.path("shared").c_str(), 01777);
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;

    const mode_t oldMask = ::umask(022);
    for (const auto &[folder, mode] : {std::pair{"shared", 0600}, std::pair{"mine", 0644}}) {
        Spreadsheet sheet(locator, launcher, tree.pathQ(folder));
        EXPECT_EQ(runSteps(sheet, bitmap), (std::vector<int>{0, 0, 0, 0, 0}));
        struct stat status {};
        ASSERT_EQ(::stat(QFile::encodeName(sheet.workbookPath()).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode_t(mode)) << folder;
    }
    ::umask(oldMask);
}

// The workbook is written only when it is made visible; a failure then is reported, the
// program is not started on a broken file, and no file is left behind.
TEST(Spreadsheet, AWorkbookThatCannotBeWrittenAtTheEndIsADeviceIoError)
{
    TempTree tree;
    const QString bitmap = tree.pathQ("Chart.bmp");
    saveTempBitmap(chartPicture(), bitmap);
    FakeLocator locator(fakeCalc);
    FakeLauncher launcher;
    const auto writeFailure = [&](const QString &folder, const std::function<void()> &spoil) {
        Spreadsheet sheet(locator, launcher, folder);
        sheet.createApplication();
        sheet.addWorkbook();
        sheet.selectFirstWorksheet();
        sheet.insertPicture(bitmap);
        spoil();
        try {
            sheet.makeVisible();
        } catch (const RuntimeError &error) {
            EXPECT_EQ(error.number(), 57);
            return error.description();
        }
        return QStringLiteral("no error");
    };

    tree.makeDir("books");
    const QString gone =
        writeFailure(tree.pathQ("books"), [&] { QDir(tree.pathQ("books")).removeRecursively(); });
    EXPECT_TRUE(gone.startsWith(QStringLiteral("Device I/O error: cannot write the workbook ") +
                                tree.pathQ("books/Folder Sizes 1.xlsx")))
        << gone.toStdString();
    EXPECT_TRUE(launcher.m_starts.isEmpty());

    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const QString full = writeFailure(disk.pathQ("."), [&] { disk.fill("filler"); });
    EXPECT_TRUE(full.startsWith(QStringLiteral("Device I/O error"))) << full.toStdString();
    EXPECT_EQ(
        QDir(disk.pathQ(".")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("filler")});
    EXPECT_TRUE(launcher.m_starts.isEmpty());
}
