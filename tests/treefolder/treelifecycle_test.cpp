#include "fakeservices.h"
#include "platform/runtimeerror.h"
#include "recordinghost.h"
#include "support/temptree.h"
#include "treefolder/olecolor.h"
#include "treefolder/propertybag.h"
#include "treefolder/storedpropertiesform1.h"

#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

const QString Desktop = QStringLiteral("/desk/top/");

QString desktopFolder()
{
    return Desktop;
}

class TreeLifecycle : public ::testing::Test {
protected:
    TreeLifecycle()
    {
        disk.makeDir("d/a1");
        drives.list = {fixedDrive(disk.pathQ("d"))};
    }
    PropertyBag saved(const TreeFolder &tree) const
    {
        PropertyBag bag;
        tree.WriteProperties(bag);
        return bag;
    }

    TempTree disk;
    FakeDrives drives;
    FakeSpecialFolders special;
};

TEST_F(TreeLifecycle, EmptySetGivesTheDefaultsAndOnlyThePropertyStepsReport)
{
    TreeFolder tree(&drives, &special);
    tree.setDrawingStyle(3); // an absent "Style" keeps what the tree has
    tree.setLineStyle(0);
    RecordingHost host(tree);
    tree.ReadProperties(PropertyBag(), desktopFolder);

    EXPECT_EQ(host.reports, QStringList({"HideControlPanel", "HideFavorites", "HideMyDocuments",
                                         "HideNetwork", "Path", "Style", "LineStyle"}));
    EXPECT_EQ(host.own(), QStringList({"Change"}));
    EXPECT_TRUE(tree.controlEnabled());
    EXPECT_EQ(tree.borderStyle(), 1);
    EXPECT_EQ(tree.backColor(), TranslateColor(OleColor::WindowBackground));
    EXPECT_FALSE(tree.checkBoxes());
    EXPECT_EQ(tree.treeFont(), QApplication::font());
    EXPECT_FALSE(tree.fullRowSelect());
    EXPECT_TRUE(tree.hideSelection());
    EXPECT_FALSE(tree.hotTracking());
    EXPECT_EQ(tree.labelEdit(), 0);
    EXPECT_TRUE(tree.mouseIcon().isNull());
    EXPECT_EQ(tree.mousePointer(), 0);
    EXPECT_EQ(tree.oleDragMode(), 0);
    EXPECT_EQ(tree.oleDropMode(), 0);
    EXPECT_FALSE(tree.singleSel());
    EXPECT_FALSE(tree.hideControlPanel() || tree.hideFavorites() || tree.hideMyDocuments() ||
                 tree.hideNetwork());
    EXPECT_EQ(tree.drawingStyle(), 3);
    EXPECT_EQ(tree.lineStyle(), 0);
    EXPECT_EQ(tree.path(), Desktop);
}

TEST_F(TreeLifecycle, TheMainWindowsSetLoadsSavesAndLoadsAgainUnchanged)
{
    TreeFolder tree(&drives, &special);
    tree.ReadProperties(Form1TreeFolder1Properties(), desktopFolder);
    EXPECT_EQ(tree.backColor(), 0x00FFFFFF);
    EXPECT_EQ(tree.treeView()->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(tree.treeFont().family(), "Arial");
    EXPECT_EQ(tree.treeFont().pointSize(), 9);
    EXPECT_EQ(tree.treeFont().weight(), QFont::Bold);
    EXPECT_FALSE(tree.hideSelection());
    EXPECT_TRUE(tree.hideControlPanel());
    EXPECT_TRUE(tree.FolderNodes().find(QStringLiteral("Root_ControlPanel")).isNull());
    EXPECT_EQ(tree.labelEdit(), 1);
    EXPECT_EQ(tree.oleDragMode(), 1);
    EXPECT_EQ(tree.oleDropMode(), 1);
    EXPECT_TRUE(tree.mouseIcon().isNull());

    const PropertyBag first = saved(tree);
    EXPECT_EQ(first.names(),
              QStringList({"BackColor", "Font", "HideSelection", "HideControlPanel", "LabelEdit",
                           "OleDragMode", "OleDropMode", "ShowFolders", "Path"}));
    EXPECT_EQ(first.ReadProperty("BackColor").toInt(), 0x00FFFFFF);
    EXPECT_EQ(first.ReadProperty("ShowFolders"), QVariant(false));
    EXPECT_EQ(first.ReadProperty("Path").toString(), DesktopFolderPath());

    TreeFolder again(&drives, &special);
    again.ReadProperties(first, desktopFolder);
    const PropertyBag second = saved(again);
    EXPECT_EQ(second.names(), first.names());
    for (const QString &name : first.names())
        EXPECT_TRUE(storedValuesEqual(second.ReadProperty(name), first.ReadProperty(name)))
            << name.toStdString();
}

TEST_F(TreeLifecycle, FreshDefaultsStartAtTheCurrentDirectoryWhichIsNotKept)
{
    TreeFolder tree(&drives, &special);
    RecordingHost host(tree);
    tree.InitProperties();
    EXPECT_EQ(host.reports, QStringList({"Path"}));
    EXPECT_EQ(host.own().last(), "Change");

    const PropertyBag bag = saved(tree);
    EXPECT_FALSE(bag.contains("Path"));
    EXPECT_EQ(bag.ReadProperty("ShowFolders"), QVariant(false));
    EXPECT_EQ(bag.ReadProperty("BackColor").toInt(), TranslateColor(OleColor::WindowBackground));
    EXPECT_EQ(bag.names(), QStringList({"BackColor", "ShowFolders"}));

    TreeFolder reloaded(&drives, &special);
    reloaded.ReadProperties(bag, desktopFolder);
    EXPECT_EQ(reloaded.path(), Desktop); // not the current directory
}

TEST_F(TreeLifecycle, AnInstanceSavedWithoutDefaultsSavesTheWindowColourNotBlack)
{
    TreeFolder tree(&drives, &special);
    EXPECT_EQ(saved(tree).ReadProperty("BackColor").toInt(),
              TranslateColor(OleColor::WindowBackground));
}

TEST_F(TreeLifecycle, SavedSystemColourStaysTheColourItHadAtSaving)
{
    TreeFolder tree(&drives, &special);
    tree.InitProperties();
    const PropertyBag bag = saved(tree);
    const qint32 before = TranslateColor(OleColor::WindowBackground);

    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Base, QColor(10, 20, 30));
    QApplication::setPalette(changed);
    TreeFolder reloaded(&drives, &special);
    reloaded.ReadProperties(bag, desktopFolder);
    const qint32 after = reloaded.backColor();
    QApplication::setPalette(original);

    EXPECT_NE(before, rgbFromColor(QColor(10, 20, 30)));
    EXPECT_EQ(after, before);
}

TEST_F(TreeLifecycle, ALoadThatFailsStopsAtTheFailingNameWithEarlierOnesApplied)
{
    TreeFolder tree(&drives, &special);
    PropertyBag bag;
    bag.insert(QStringLiteral("HideSelection"), false);
    bag.insert(QStringLiteral("LabelEdit"), 7); // the tree has modes 0 and 1 only
    bag.insert(QStringLiteral("OleDropMode"), 1);
    RecordingHost host(tree);
    try {
        tree.ReadProperties(bag, desktopFolder);
        ADD_FAILURE() << "loading went on past LabelEdit 7";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 380);
    }
    EXPECT_FALSE(tree.hideSelection());
    EXPECT_EQ(tree.labelEdit(), 0);
    EXPECT_EQ(tree.oleDropMode(), 0);
    EXPECT_EQ(host.reports, QStringList());
}

TEST_F(TreeLifecycle, ResizeFitsTheTreeToTheControlDownToNothing)
{
    TreeFolder tree(&drives, &special);
    tree.show();
    RecordingHost host(tree);
    tree.resize(240, 180);
    QApplication::processEvents();
    EXPECT_EQ(tree.treeView()->geometry(), QRect(0, 0, 240, 180));
    tree.resize(0, 0);
    QApplication::processEvents();
    EXPECT_EQ(tree.treeView()->geometry().size(), QSize(0, 0));
    EXPECT_EQ(host.own(), QStringList());
}

} // namespace
