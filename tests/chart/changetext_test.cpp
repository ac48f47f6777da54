#include "chart/changering.h"
#include "chart/changetext.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/pielayout.h"
#include "chart/slicetext.h"
#include "chart/slicetooltip.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTimeZone>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

ChartModel::Subfolder done(const char *name, qint64 bytes)
{
    return {QString::fromUtf8(name), QByteArray("/data/") + name, bytes, ChartModel::State::Done};
}

// Music grew, Same and Shrunk were there before, New was not, Waiting is not sized, and Old
// is gone.
class ChangeTest : public ::testing::Test {
protected:
    ChangeTest()
    {
        std::setlocale(LC_NUMERIC, "C");
        ChartModel::Subfolder waiting = done("Waiting", 0);
        waiting.state = ChartModel::State::Waiting;
        model.reset(
            1, QStringLiteral("/data"),
            {done("Music", 1536), done("New", 10), done("Same", 5), done("Shrunk", 100), waiting});
    }

    void compare()
    {
        model.setComparison(
            ChartComparison(when, {{QStringLiteral("Music"), "/data/Music", 512},
                                   {QStringLiteral("Old"), "/data/Old", 50},
                                   {QStringLiteral("Same"), "/data/Same", 5},
                                   {QStringLiteral("Shrunk"), "/data/Shrunk", 300},
                                   {QStringLiteral("Waiting"), "/data/Waiting", 7}}));
    }

    QDateTime when = QDateTime::currentDateTimeUtc().addDays(-3);
    ChartModel model;
};

} // namespace

TEST_F(ChangeTest, EachSubfolderSaysHowItChangedSinceTheLookComparedWith)
{
    compare();
    const QString day = ChangeDay(when);
    EXPECT_EQ(ChangeText(model, 0), "+1.00 KB since " + day);
    EXPECT_EQ(ChangeText(model, 1), "new");
    EXPECT_EQ(ChangeText(model, 2), "no change since " + day);
    EXPECT_EQ(LegendChangeText(model, 2), "no change");
    EXPECT_EQ(LegendChangeText(model, 3), ChangeText(model, 3));
    EXPECT_EQ(ChangeText(model, 3), "-200 Bytes since " + day);
    EXPECT_EQ(ChangeText(model, 4), "") << "not sized yet";
    EXPECT_EQ(GoneText(model.comparison()), "gone since " + day);
    const QList<ChartComparison::Subfolder> gone = GoneSubfolders(model);
    ASSERT_EQ(gone.size(), 1);
    EXPECT_EQ(gone.front().name, "Old");
    EXPECT_EQ(gone.front().bytes, 50);
    EXPECT_EQ(GoneToolTip(model.comparison(), gone.front()),
              "Old\ngone since " + day + "\n50 Bytes (50 bytes)");
    EXPECT_TRUE(SliceToolTip(model, 0).endsWith("\n+1.00 KB since " + day));
}

TEST_F(ChangeTest, ARowTooNarrowForTheDayShowsTheAmountAlone)
{
    compare();
    EXPECT_EQ(LegendChangeAmount(model, 0), "+1.00 KB");
    EXPECT_EQ(LegendChangeAmount(model, 1), "new");
    EXPECT_EQ(LegendChangeAmount(model, 2), "no change");
    EXPECT_EQ(LegendChangeAmount(model, 3), "-200 Bytes");
    EXPECT_EQ(LegendChangeAmount(model, 4), "") << "not sized yet";
    EXPECT_EQ(GoneAmount(), "gone");

    const QFontMetrics metrics{QFont()};
    const QString whole = ChangeText(model, 0);
    const int room = metrics.horizontalAdvance(whole);
    EXPECT_EQ(FittedChangeText(metrics, room, whole, "+1.00 KB"), whole);
    EXPECT_EQ(FittedChangeText(metrics, room - 1, whole, "+1.00 KB"), "+1.00 KB");
    const QString cut =
        FittedChangeText(metrics, metrics.horizontalAdvance("+1.00 KB") - 1, whole, "+1.00 KB");
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
}

TEST_F(ChangeTest, TheDayCarriesItsYearOnlyWhenItIsNotThisYears)
{
    const QDateTime noon(QDate(2026, 12, 3), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(ChangeDay(noon, QDate(2026, 12, 10)), "3 Dec");
    EXPECT_EQ(ChangeDay(noon, QDate(2027, 1, 2)), "3 Dec 2026");
}

TEST_F(ChangeTest, WithoutAComparisonNothingIsSaidAndTheSideTextAndPictureStayAsTheyAre)
{
    const QStringList lines = SideTextLines(model);
    const QString tip = SliceToolTip(model, 0);
    const QImage picture =
        ChartPicture(model, QStringLiteral("Folder Sizes"), QPalette(), {500, 300});
    EXPECT_EQ(ChangeText(model, 0), "");
    EXPECT_TRUE(GoneSubfolders(model).isEmpty());
    compare();
    EXPECT_EQ(SideTextLines(model), lines);
    EXPECT_EQ(ChartPicture(model, QStringLiteral("Folder Sizes"), QPalette(), {500, 300}), picture);
    EXPECT_NE(SliceToolTip(model, 0), tip);
    model.setComparison({});
    EXPECT_EQ(SliceToolTip(model, 0), tip);
}

TEST_F(ChangeTest, TheRingIsOrangeBesideGrowthAndBlueBesideShrinkage)
{
    compare();
    PieLayout layout;
    layout.build(model);
    const QRectF square(40, 40, 200, 200);
    QImage image(280, 280, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawChangeRing(painter, square, layout, model, QPalette());
    }
    // In the middle of a slice's arc, inside the ring (both arcs are two thirds thick).
    const auto beside = [&](int index) {
        const auto [start, end] = layout.span(index);
        const double angle = (start + end) * std::numbers::pi;
        const double radius = square.width() / 2 + ChangeRingRoom(square.width()) - 6;
        return image.pixelColor(int(square.center().x() + std::sin(angle) * radius),
                                int(square.center().y() - std::cos(angle) * radius));
    };
    EXPECT_EQ(beside(0), GrowthColor()) << "Music grew to three times its size";
    EXPECT_EQ(beside(3), ShrinkColor()) << "Shrunk lost two thirds";
}
