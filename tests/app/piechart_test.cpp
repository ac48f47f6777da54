#include "app/chartlook.h"
#include "app/piechart.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
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

QStringList legendLabels(PieChart &chart)
{
    QStringList labels;
    for (QLegendMarker *marker : chart.chart()->legend()->markers())
        labels << marker->label();
    return labels;
}

} // namespace

TEST(PieChart, LabelsAndValuesGoToTheCurrentColumnAndShowInTheLegend)
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
    EXPECT_EQ(legendLabels(chart), chart.columnLabels());
    chart.setColumn(1);
    EXPECT_EQ(chart.columnLabel(), "Music - 1.50 GB");
    EXPECT_EQ(chart.data(), "1610612736");
}

TEST(PieChart, LoweringTheColumnCountDropsTheColumnsAbove)
{
    PieChart chart;
    chart.setColumnCount(3);
    for (int column = 1; column <= 3; ++column) {
        chart.setColumn(column);
        chart.setColumnLabel(QString::number(column));
    }
    chart.setColumnCount(1);
    EXPECT_EQ(chart.columnLabels(), QStringList({"1"}));
    EXPECT_EQ(chart.column(), 1);
    chart.setColumnCount(2);
    EXPECT_EQ(chart.columnLabels(), QStringList({"1", ""})) << "a new column starts empty";
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
    EXPECT_EQ(chart.data(), "42");
    EXPECT_EQ(chart.columnCount(), 2);
}

TEST(PieChart, NeighbouringSlicesHaveDistinctColoursThatCycle)
{
    PieChart chart;
    const int count = SliceColorCount();
    chart.setColumnCount(count + 1);
    auto *series = static_cast<QPieSeries *>(chart.chart()->series().at(0));
    std::set<QRgb> colours;
    for (int i = 0; i < count; ++i)
        colours.insert(series->slices().at(i)->brush().color().rgb());
    EXPECT_EQ(int(colours.size()), count);
    EXPECT_EQ(series->slices().at(count)->brush().color(), series->slices().at(0)->brush().color());
}

TEST(PieChart, FollowsThePaletteOfTheWindow)
{
    PieChart chart;
    chart.setColumnCount(1);
    QPalette dark = chart.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    chart.setPalette(dark);
    EXPECT_EQ(chart.chart()->backgroundBrush().color(), QColor(30, 30, 30));
    EXPECT_EQ(chart.chart()->legend()->labelColor(), QColor(230, 230, 230));
    EXPECT_EQ(chart.chart()->titleBrush().color(), QColor(230, 230, 230));
}

TEST(PieChart, CopiesWhatItShowsToTheClipboard)
{
    PieChart chart;
    chart.resize(300, 200);
    chart.setTitle("Folder Sizes");
    chart.setColumnCount(2);
    chart.setColumn(1);
    chart.setData("3");
    chart.setColumn(2);
    chart.setData("1");
    chart.copyPicture();
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(300, 200));
    // The first slice's colour is somewhere in the picture: it is the chart, not a blank.
    const QImage rgb = copied.convertToFormat(QImage::Format_RGB32);
    bool sawSlice = false;
    for (int y = 0; y < rgb.height() && !sawSlice; ++y)
        for (int x = 0; x < rgb.width() && !sawSlice; ++x)
            sawSlice = rgb.pixel(x, y) == SliceColor(0).rgb();
    EXPECT_TRUE(sawSlice);
}
