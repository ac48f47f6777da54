#include "fakeservices.h"
#include "platform/messagebox.h"
#include "platform/runtimeerror.h"
#include "recordinghost.h"
#include "support/recordingmessagebox.h"
#include "support/temptree.h"
#include "treefolder/olecolor.h"
#include "treefolder/readablecolors.h"

#include <QApplication>
#include <functional>
#include <gtest/gtest.h>

namespace {

int errorNumberOf(const std::function<void()> &statement)
{
    try {
        statement();
    } catch (const RuntimeError &error) {
        return error.number();
    }
    return 0;
}

class TreeProperties : public ::testing::Test {
protected:
    TreeProperties()
    {
        disk.makeDir("d/a1");
        disk.makeDir("d/b2/inner");
        drives.list = {fixedDrive(disk.pathQ("d"))};
        special.paths[SpecialFolderId::Network] = disk.pathQ("net");
        disk.makeDir("net/host");
    }
    QString driveKey() const { return disk.pathQ("d") + '/'; }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(TreeProperties, EachStyleShowsItsLinesSignsAndPictures)
{
    TreeFolder tree(&drives, &special);
    auto *view = static_cast<FolderTreeView *>(tree.treeView());
    EXPECT_EQ(tree.drawingStyle(), 7);
    EXPECT_EQ(tree.lineStyle(), 1);
    RecordingHost host(tree);
    for (int style = 0; style <= 7; ++style) {
        tree.setDrawingStyle(style);
        EXPECT_EQ(tree.drawingStyle(), style);
        EXPECT_EQ(view->picturesShown(), (style & 1) != 0);
        EXPECT_EQ(view->iconSize().isEmpty(), (style & 1) == 0) << style;
        EXPECT_EQ(view->plusMinusShown(), (style & 2) != 0);
        EXPECT_EQ(view->linesShown(), (style & 4) != 0);
    }
    EXPECT_EQ(host.reports, QStringList(8, QStringLiteral("Style")));

    tree.setLineStyle(0);
    EXPECT_FALSE(view->rootIsDecorated());
    EXPECT_EQ(host.reports.last(), "LineStyle");
}

TEST_F(TreeProperties, RejectedValuesFailBeforeAnyChangeOrReport)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    EXPECT_EQ(errorNumberOf([&] { tree.setDrawingStyle(8); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setDrawingStyle(-1); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setLineStyle(2); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setLabelEdit(2); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setOleDragMode(2); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setOleDropMode(-1); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setMousePointer(16); }), 380);
    EXPECT_EQ(errorNumberOf([&] { tree.setBorderStyle(32768); }), 6);
    EXPECT_EQ(errorNumberOf([&] { tree.setBorderStyle(-32769); }), 6);
    EXPECT_EQ(errorNumberOf([&] { tree.setBorderStyle(2); }), 380);
    EXPECT_EQ(host.reports, QStringList());
    EXPECT_EQ(tree.drawingStyle(), 7);
    EXPECT_EQ(tree.lineStyle(), 1);
    EXPECT_EQ(tree.labelEdit(), 0);
    EXPECT_EQ(tree.mousePointer(), 0);
    EXPECT_EQ(tree.borderStyle(), 1);
    EXPECT_EQ(tree.treeView()->frameShape(), QFrame::StyledPanel);

    tree.setBorderStyle(0);
    EXPECT_EQ(tree.treeView()->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(host.reports, QStringList({"BorderStyle"}));
}

TEST_F(TreeProperties, ForwardedSettingsReachTheTreeAndReportTheirStoredNames)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    QTreeWidget *view = tree.treeView();
    QFont font(QStringLiteral("Arial"), 9, QFont::Bold);
    QPixmap icon(16, 16);
    icon.fill(Qt::red);

    tree.setTreeFont(font);
    tree.setFullRowSelect(true);
    tree.setCheckBoxes(true);
    tree.setControlEnabled(false);
    tree.setHideSelection(false);
    tree.setHotTracking(true);
    tree.setLabelEdit(1);
    tree.setMousePointer(11);
    tree.setMouseIcon(icon);
    tree.setOleDragMode(1);
    tree.setOleDropMode(1);
    tree.setSingleSel(true);
    EXPECT_EQ(host.reports,
              QStringList({"Font", "FullRowSelect", "CheckBoxes", "Enabled", "HideSelection",
                           "HotTracking", "LabelEdit", "MousePointer", "MouseIcon", "OleDragMode",
                           "OleDropMode", "SingleSel"}));

    EXPECT_EQ(view->font(), font);
    EXPECT_TRUE(tree.fullRowSelect());
    EXPECT_EQ(tree.FolderNodes().find(driveKey()).item()->data(0, Qt::CheckStateRole),
              QVariant(int(Qt::Unchecked)));
    EXPECT_FALSE(tree.controlEnabled());
    EXPECT_FALSE(view->isEnabled());
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(view->viewport()->acceptDrops());
    EXPECT_EQ(tree.oleDragMode(), 1);
    EXPECT_FALSE(view->dragEnabled()); // the bridge starts drags, not Qt's item drag

    tree.setMousePointer(99);
    EXPECT_EQ(view->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view->cursor().pixmap().toImage().pixel(3, 3), QColor(Qt::red).rgb());
    tree.setMousePointer(0);
    EXPECT_FALSE(view->testAttribute(Qt::WA_SetCursor));
}

TEST_F(TreeProperties, BackColorTakesRgbOrASystemColourAndReadsBackRgb)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    const qint32 window = TranslateColor(OleColor::WindowBackground);
    EXPECT_EQ(tree.backColor(), window);

    tree.setBackColor(0x00FF0000u); // blue, in the OLE byte order
    EXPECT_EQ(tree.backColor(), 0x00FF0000);
    EXPECT_EQ(tree.treeView()->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_TRUE(static_cast<FolderTreeView *>(tree.treeView())->linesShown());

    tree.setBackColor(0x80000008u); // window text, a system colour
    EXPECT_EQ(tree.backColor(), TranslateColor(0x80000008u));

    tree.setBackColor(0x80000019u); // no system colour has number 25: back to the default
    EXPECT_EQ(tree.backColor(), window);
    EXPECT_EQ(tree.treeView()->palette().color(QPalette::Base),
              tree.palette().color(QPalette::Base));
    EXPECT_EQ(host.reports, QStringList());
}

TEST_F(TreeProperties, OnADarkPaletteEverythingTheTreeDrawsReadsOnItsStoredWhite)
{
    QWidget host;
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, QColor(0x2b, 0x2b, 0x2b));
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        dark.setColor(role, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Dark, QColor(0x40, 0x40, 0x40));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    host.setPalette(dark);
    auto *tree = new TreeFolder(&drives, &special, &host);
    tree->setBackColor(0x00FFFFFFu); // the stored white
    tree->setCheckBoxes(true);
    host.resize(300, 200);
    tree->resize(300, 200);
    host.show();
    QApplication::processEvents();

    const QPalette used = tree->treeView()->palette();
    const QColor white(Qt::white);
    EXPECT_EQ(used.color(QPalette::Base), white);
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText,
                            QPalette::Dark, QPalette::Link})
        EXPECT_GE(contrastRatio(used.color(role), white), ReadableContrast) << int(role);
    EXPECT_GE(contrastRatio(used.color(QPalette::HighlightedText), used.color(QPalette::Highlight)),
              ReadableContrast);

    // What is drawn: the drive's name, its sign and its check box all have readable ink.
    const TreeNode drive = tree->FolderNodes().find(driveKey());
    const QRect row = tree->treeView()->visualItemRect(drive.item());
    const QImage shot = tree->treeView()->viewport()->grab().toImage();
    int readable = 0;
    int left = row.right();
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (contrastRatio(shot.pixelColor(x, y), white) >= ReadableContrast) {
                ++readable;
                left = std::min(left, x);
            }
        }
    }
    EXPECT_GT(readable, 40);
    EXPECT_LT(left, row.left()); // the sign left of the row is drawn readable too

    // A theme that changes later is followed.
    dark.setColor(QPalette::Text, QColor(0xff, 0xff, 0xfe));
    host.setPalette(dark);
    EXPECT_EQ(tree->treeView()->palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(TreeProperties, HideFlagReassignedToItsValueStillRebuildsAndLosesOpenBranches)
{
    TreeFolder tree(&drives, &special);
    tree.FolderNodes().find(driveKey()).setExpanded(true);
    const int nodesOpen = tree.FolderNodes().count();
    ASSERT_FALSE(tree.FolderNodes().find(disk.pathQ("d/a1")).isNull());
    RecordingHost host(tree);

    tree.setHideNetwork(false);
    EXPECT_TRUE(tree.FolderNodes().find(disk.pathQ("d/a1")).isNull());
    EXPECT_LT(tree.FolderNodes().count(), nodesOpen);
    EXPECT_FALSE(tree.FolderNodes().find(disk.pathQ("net")).isNull());
    tree.setHideNetwork(true);
    EXPECT_TRUE(tree.FolderNodes().find(disk.pathQ("net")).isNull());
    tree.setHideControlPanel(true);
    EXPECT_TRUE(tree.FolderNodes().find(QStringLiteral("Root_ControlPanel")).isNull());
    EXPECT_EQ(host.reports, QStringList({"HideNetwork", "HideNetwork", "HideControlPanel"}));
    EXPECT_EQ(host.own(), QStringList()); // rebuilding raises no event
}

TEST_F(TreeProperties, FolderCheckedHonoursOnlyIndexesOfExistingNodes)
{
    TreeFolder tree(&drives, &special);
    const int n = tree.FolderNodes().count();
    for (const int index : {0, n + 1, -1}) {
        tree.setFolderChecked(index, true);
        EXPECT_FALSE(tree.folderChecked(index)) << index;
    }
    tree.setFolderChecked(n, true);
    EXPECT_TRUE(tree.folderChecked(n));
    EXPECT_TRUE(tree.FolderNodes().at(n).checked());
    EXPECT_EQ(tree.selectedCount(), 0); // check boxes hidden: selected nodes count

    tree.Clear();
    tree.setFolderChecked(1, true);
    EXPECT_FALSE(tree.folderChecked(1));
}

TEST_F(TreeProperties, CountsFollowCheckBoxesAndSelection)
{
    TreeFolder tree(&drives, &special);
    EXPECT_EQ(tree.selectedCount(), 0);
    EXPECT_EQ(tree.folderCount(), 0); // nodes, but none selected
    EXPECT_EQ(errorNumberOf([&] { (void)tree.subFolderCount(); }), 91);

    tree.setPath(driveKey()); // opens and selects the drive
    EXPECT_EQ(tree.selectedCount(), 1);
    EXPECT_EQ(tree.folderCount(), tree.FolderNodes().count());
    EXPECT_EQ(tree.subFolderCount(), 2); // a1 and b2

    tree.treeView()->setCurrentItem(tree.FolderNodes().find(disk.pathQ("d/b2")).item());
    EXPECT_EQ(tree.subFolderCount(), 1); // closed: its placeholder

    tree.setCheckBoxes(true);
    EXPECT_EQ(tree.selectedCount(), 0); // checked nodes count now, whatever is selected
    tree.setFolderChecked(1, true);
    tree.setFolderChecked(tree.FolderNodes().count(), true);
    EXPECT_EQ(tree.selectedCount(), 2);
}

TEST_F(TreeProperties, ClearEmptiesTheTreeUntilThePathIsAssigned)
{
    TreeFolder tree(&drives, &special);
    tree.setPath(driveKey());
    RecordingHost host(tree);
    tree.Clear();
    EXPECT_EQ(tree.FolderNodes().count(), 0);
    EXPECT_EQ(tree.path(), driveKey()); // m_Path, as nothing is selected
    EXPECT_EQ(tree.selectedFolder(), QString());
    EXPECT_EQ(tree.folderCount(), 0);
    EXPECT_EQ(host.events, QStringList());
    EXPECT_EQ(host.reports, QStringList());

    tree.setPath(driveKey());
    EXPECT_FALSE(tree.FolderNodes().find(disk.pathQ("d/a1")).isNull());
}

TEST_F(TreeProperties, AboutBoxShowsBothTextsWithoutIcon)
{
    TreeFolder tree(&drives, &special);
    RecordingMessageBox box;
    tree.setMessageBox(&box);
    tree.AboutBox();
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].title, "Tessaline by Halvette");
    EXPECT_TRUE(box.boxes[0].text.startsWith(
        "Control to show files and folder like Windows Explorer.\r\nDeveloped by Halvette"));
    EXPECT_EQ(box.boxes[0].icon, MessageBox::Icon::NoIcon);
}

} // namespace
