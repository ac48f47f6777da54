#include "chart/chartlegend.h"
#include "chart/chartlook.h"
#include "chart/chartpicture.h"
#include "chart/piechart.h"
#include "chart/slicetooltip.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <set>

namespace {

void expectInvalidValue(const std::function<void()> &operation)
{
    try {
        operation();
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), RuntimeErrorNumber::InvalidPropertyValue);
    }
}

void fill(PieChart &chart, int count, const std::function<QString(int)> &value)
{
    chart.setColumnCount(count);
    for (int i = 0; i < count; ++i) {
        chart.setColumn(i + 1);
        chart.setColumnLabel(QStringLiteral("folder %1 - 0 Bytes").arg(i));
        chart.setData(value(i));
    }
}

bool showsColour(const QImage &image, const QColor &colour)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (rgb.pixel(x, y) == colour.rgb())
                return true;
    return false;
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint at)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(PieChart, LabelsAndValuesGoToTheCurrentColumn)
{
    PieChart chart;
    chart.setColumnCount(2);
    chart.setColumn(1);
    chart.setColumnLabel("Music - 1.50 GB");
    chart.setData("1610612736");
    chart.setColumn(2);
    chart.setColumnLabel("Getting folder size...");

    EXPECT_EQ(chart.columnLabels(), QStringList({"Music - 1.50 GB", "Getting folder size..."}));
    EXPECT_EQ(chart.values(), QStringList({"1610612736", "0"}));
    chart.setColumn(1);
    EXPECT_EQ(chart.columnLabel(), "Music - 1.50 GB");
    EXPECT_EQ(chart.data(), "1610612736");
    EXPECT_EQ(chart.chartData().total(), 1610612736.0);
}

TEST(PieChart, LoweringTheColumnCountDropsTheColumnsAbove)
{
    PieChart chart;
    fill(chart, 3, [](int i) { return QString::number(i + 1); });
    chart.setColumnCount(1);
    EXPECT_EQ(chart.columnLabels(), QStringList({"folder 0 - 0 Bytes"}));
    EXPECT_EQ(chart.column(), 1);
    EXPECT_EQ(chart.chartData().total(), 1.0);
    chart.setColumnCount(2);
    EXPECT_EQ(chart.columnLabels(), QStringList({"folder 0 - 0 Bytes", ""}))
        << "a new column starts empty";
    EXPECT_EQ(chart.values(), QStringList({"1", "0"}));
}

TEST(PieChart, RejectsValuesItCannotTakeAndKeepsItsState)
{
    PieChart chart;
    expectInvalidValue([&] { chart.setColumnLabel("no column yet"); });
    chart.setColumnCount(2);
    expectInvalidValue([&] { chart.setColumn(0); });
    expectInvalidValue([&] { chart.setColumn(3); });
    expectInvalidValue([&] { chart.setColumnCount(-1); });
    expectInvalidValue([&] { chart.setRowCount(-1); });
    chart.setColumn(2);
    chart.setData("42");
    expectInvalidValue([&] { chart.setData("42 bytes"); });
    expectInvalidValue([&] { chart.setData("inf"); });
    EXPECT_EQ(chart.data(), "42");
    EXPECT_EQ(chart.chartData().total(), 42.0);
    EXPECT_EQ(chart.columnCount(), 2);
}

TEST(ChartLook, FirstTenAreTheCalmPaletteAndNeighboursDifferAroundEveryPie)
{
    EXPECT_EQ(SliceColor(0, 12), QColor(0x4e, 0x79, 0xa7));
    EXPECT_EQ(SliceColor(9, 12), QColor(0xba, 0xb0, 0xac));
    for (int count = 2; count <= 1000; ++count) {
        for (int i = 0; i < count; ++i) {
            const int next = (i + 1) % count;
            ASSERT_GE(ColorDistance(SliceColor(i, count), SliceColor(next, count)),
                      MinNeighbourDistance)
                << "slices " << i << " and " << next << " of " << count;
        }
    }
}

TEST(PieChart, TheLegendKeepsTheScannedColumnInViewUnlessTheUserScrolledAway)
{
    PieChart chart;
    chart.resize(600, 300);
    chart.show();
    fill(chart, 500, [](int) { return QStringLiteral("1"); });
    EXPECT_TRUE(chart.legend()->isRowVisible(499));
    EXPECT_FALSE(chart.legend()->isRowVisible(0));
    chart.legend()->ensureVisible(0); // the user scrolls back to the top
    chart.setColumnCount(501);
    chart.setColumn(501);
    EXPECT_TRUE(chart.legend()->isRowVisible(0));
    EXPECT_FALSE(chart.legend()->isRowVisible(500));
}

TEST(SliceToolTip, NamesTheFolderItsSizeBytesAndShareAlsoOfAnEmptyTotal)
{
    PieChart chart;
    fill(chart, 3, [](int i) { return QString::number(1 << (10 * i)); }); // 1, 1 K, 1 M
    chart.setColumn(3);
    chart.setColumnFolder("Photographs 2019 Summer", "/data/Photographs 2019 Summer");
    EXPECT_EQ(SliceToolTip(chart.chartData(), 2),
              "Photographs 2019 Summer\n1.00 MB (1,048,576 bytes)\n99.9% of the total");
    EXPECT_EQ(SliceToolTip(chart.chartData(), 0),
              "folder 0 - 0 Bytes\n1 Bytes (1 bytes)\nless than 0.1% of the total")
        << "without a name the label stands for it";
    chart.setColumnLabel("Getting folder size...");
    EXPECT_EQ(SliceToolTip(chart.chartData(), 2),
              "Photographs 2019 Summer\nGetting folder size...");

    PieChart empty;
    fill(empty, 2, [](int) { return QStringLiteral("0"); });
    EXPECT_EQ(SliceToolTip(empty.chartData(), 1),
              "folder 1 - 0 Bytes\n0 Bytes (0 bytes)\n0% of the total");
    EXPECT_EQ(SliceToolTip(empty.chartData(), 2), "");
}

TEST(PieChart, HoverHighlightsASliceAndDoubleClickActivatesItsColumn)
{
    PieChart chart;
    chart.resize(600, 400);
    chart.show();
    fill(chart, 2, [](int i) { return QString::number(i + 1); }); // 1/3 and 2/3 of the pie
    QApplication::processEvents();                                // draws the pie
    QList<int> activated;
    QObject::connect(&chart, &PieChart::columnActivated, &chart,
                     [&](int column) { activated << column; });

    ChartLegend *legend = chart.legend();
    const QPoint secondRow(20, legend->rowHeight() * 3 / 2);
    sendMouse(legend->viewport(), QEvent::MouseMove, secondRow);
    EXPECT_EQ(chart.highlightedColumn(), 2);
    sendMouse(legend->viewport(), QEvent::MouseButtonDblClick, secondRow);

    // Just right of twelve o'clock lies the first slice; just left of it the second.
    const QPoint top = legend->geometry().left() / 2 * QPoint(1, 0) + QPoint(0, 120);
    sendMouse(&chart, QEvent::MouseMove, top + QPoint(10, 0));
    EXPECT_EQ(chart.highlightedColumn(), 1);
    sendMouse(&chart, QEvent::MouseMove, top + QPoint(-10, 0));
    EXPECT_EQ(chart.highlightedColumn(), 2);
    sendMouse(&chart, QEvent::MouseButtonDblClick, top + QPoint(10, 0));
    sendMouse(&chart, QEvent::MouseMove, QPoint(2, 2)); // outside the pie
    EXPECT_EQ(chart.highlightedColumn(), 0);

    EXPECT_EQ(activated, QList<int>({2, 1}));
}

TEST(ChartPicture, ShowsTheSlicesOnThePalettesBackgroundAtTheChartsSizeAtLeast)
{
    PieChart chart;
    chart.resize(300, 200);
    fill(chart, 2, [](int i) { return QString::number(3 - 2 * i); });
    QPalette dark = chart.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    chart.setPalette(dark);
    chart.copyPicture();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_GE(copied.width(), 300);
    EXPECT_GE(copied.height(), 200);
    EXPECT_EQ(copied.pixelColor(1, 1), QColor(30, 30, 30));
    EXPECT_TRUE(showsColour(copied, SliceColor(0, 2)));
    EXPECT_TRUE(showsColour(copied, SliceColor(1, 2)));
}

TEST(ChartPicture, GrowsUntilItsLegendNamesEverySliceAndStaysBounded)
{
    // Empty slices draw nothing in the pie, so a slice's colour can only come from its
    // legend swatch.
    ChartData data;
    for (int i = 0; i < 200; ++i)
        data.append(QStringLiteral("Subfolder %1 - 0 Bytes").arg(i), QStringLiteral("0"));
    const QImage picture = ChartPicture(data, "Folder Sizes");
    EXPECT_GT(picture.height(), ChartPictureMinimumSize.height());
    for (const int shown : {0, 100, 198, 199})
        EXPECT_TRUE(showsColour(picture, SliceColor(shown, 200))) << shown;

    for (int i = 200; i < 32767; ++i)
        data.append(QStringLiteral("Subfolder %1 - 0 Bytes").arg(i), QStringLiteral("0"));
    const QImage huge = ChartPicture(data, "Folder Sizes");
    EXPECT_LE(huge.width(), ChartPictureMaximumSide);
    EXPECT_LE(huge.height(), ChartPictureMaximumSide);
}
