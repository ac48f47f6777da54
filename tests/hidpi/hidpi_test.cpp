// The program on a screen of 2 device pixels a point (QT_SCALE_FACTOR=2): drawn at device
// pixels, not drawn at 1 and enlarged.

#include "../treefolder/fakeservices.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "support/temptree.h"
#include "treefolder/treefolder.h"

#include <QApplication>
#include <QImage>
#include <QTreeWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Before main(), so before the application object reads it.
const bool scaled = [] { return setenv("QT_SCALE_FACTOR", "2", 1) == 0; }();

// Pixels along row y of image that are neither background nor fill: the width of the pie's
// rim at both sides together.
int rimWidth(const QImage &image, int y, QRgb background, QRgb fill)
{
    int blended = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        blended += pixel != background && pixel != fill;
    }
    return blended;
}

} // namespace

// The pie is drawn at the screen's pixels: a one-slice pie, grabbed as the screen shows it,
// has twice the pixels each way and a rim as narrow in device pixels as at scale 1 (one
// blended pixel a side; enlarged from scale 1 it would be two). The export's picture
// keeps the chart's size in points.
TEST(HiDpi, ThePieIsDrawnAtDevicePixelsAndTheExportKeepsTheChartsSize)
{
    ASSERT_TRUE(scaled);
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    ChartModel model;
    model.reset(1, QStringLiteral("/data"), {{QStringLiteral("only"), "/data/only"}});
    model.setSizing(0);
    model.setDone(0, 1024);
    PieChart chart(model);
    chart.resize(400, 300);
    chart.show();
    const QImage shown = chart.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(800, 600));
    const QRect slice = chart.sliceRect(0);
    ASSERT_FALSE(slice.isEmpty());
    // Below the centre, clear of the border drawn from the centre to twelve o'clock.
    // A row a quarter of the way down, clear of the border drawn from the centre to twelve
    // o'clock. Measured: 2 blended pixels drawn at device pixels, 4 drawn at scale 1 and
    // enlarged.
    const QRect box(slice.topLeft() * 2, slice.size() * 2);
    const QImage pie = shown.copy(box.adjusted(-4, 0, 4, 0)).convertToFormat(QImage::Format_RGB32);
    const int y = box.height() / 4;
    const QRgb background = chart.palette().color(QPalette::Base).rgb();
    const QRgb fill = pie.pixel(pie.width() / 2, y);
    EXPECT_LE(rimWidth(pie, y, background, fill), 3);

    // At least the chart's size in points, a pixel each (wider only where the legend needs it).
    const QPixmap picture = chart.picture();
    EXPECT_EQ(picture.devicePixelRatio(), 1.0);
    EXPECT_EQ(picture.height(), 300);
    EXPECT_GE(picture.width(), 400);
    EXPECT_LT(picture.width(), 600);
}

// The tree's pictures keep a device pixel for each of the screen's: 16 points are 32 pixels
// (where the source has them: the style's built-in desktop and computer pictures come at 16
// pixels only).
TEST(HiDpi, TreePicturesHaveTheScreensPixels)
{
    TempTree disk;
    disk.makeDir("Music");
    FakeDrives drives;
    drives.list = {fixedDrive(disk.rootQ())};
    FakeSpecialFolders special;
    TreeFolder tree(&drives, &special);
    for (const int index : {tree.GetIconIndex(disk.pathQ("Music"), 16, false)}) {
        const QPixmap picture = tree.imageList().pixmap(index);
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), QSize(16, 16)) << index;
        EXPECT_EQ(picture.size(), QSize(32, 32)) << index;
    }
}
