#include "chart/changetext.h"
#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <clocale>
#include <gtest/gtest.h>

namespace {

// A shown, active chart of "folder 0" .. "folder <count-1>" sized 1, 2, 3 ... KB, the last one
// still being measured, read as assistive technology reads it: through Qt's accessibility.
// (Qt passes events on only to an active bridge, which the offscreen platform has not; what
// the chart announces is read by the AT-SPI check in tests/atspi.)
class ChartAccessibility : public ::testing::Test {
protected:
    void show(int count)
    {
        std::setlocale(LC_NUMERIC, "C");
        QList<ChartModel::Subfolder> list;
        for (int i = 0; i < count; ++i)
            list.append({QStringLiteral("folder %1").arg(i), "/data/f" + QByteArray::number(i)});
        model.reset(1, QStringLiteral("/data"), list);
        for (int i = 0; i < count; ++i) {
            model.setSizing(i);
            if (i + 1 < count)
                model.setDone(i, (i + 1) * 1024);
        }
        chart.setTitle(QStringLiteral("Folder Sizes"));
        chart.resize(600, 300);
        chart.show();
        QApplication::setActiveWindow(&chart);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&chart));
    }

    QAccessibleInterface *pie() { return QAccessible::queryAccessibleInterface(&chart); }
    QAccessibleInterface *legend() { return QAccessible::queryAccessibleInterface(chart.legend()); }

    ChartModel model;
    PieChart chart{model};
};

} // namespace

// The pie is a chart named by its title with one child per slice and then the legend, a list
// with one child per row; each slice is named by its subfolder and size, described by its
// exact size and share, and while it is being measured says so and is busy.
TEST_F(ChartAccessibility, EverySliceIsAChildNamedWithItsSizeInThePieAndTheLegend)
{
    show(3);
    QAccessibleInterface *chartFace = pie();
    ASSERT_NE(chartFace, nullptr);
    EXPECT_EQ(chartFace->role(), QAccessible::Chart);
    EXPECT_EQ(chartFace->text(QAccessible::Name), "Folder Sizes");
    ASSERT_EQ(chartFace->childCount(), 4);
    QAccessibleInterface *list = legend();
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(chartFace->child(3), list);
    EXPECT_EQ(chartFace->indexOfChild(list), 3);
    EXPECT_EQ(list->parent(), chartFace);
    ASSERT_EQ(list->childCount(), 3);

    for (QAccessibleInterface *part : {chartFace, list}) {
        QAccessibleInterface *first = part->child(0);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->role(), QAccessible::ListItem);
        EXPECT_EQ(first->parent(), part);
        EXPECT_EQ(part->indexOfChild(first), 0);
        EXPECT_EQ(part->indexOfChild(part->child(1)), 1);
        EXPECT_EQ(first->text(QAccessible::Name), "folder 0 - 1.00 KB");
        EXPECT_EQ(first->text(QAccessible::Description),
                  "1.00 KB (1,024 bytes), 33.3% of the total");
        EXPECT_FALSE(first->state().busy);
        EXPECT_FALSE(first->state().offscreen);
        EXPECT_TRUE(part->rect().contains(first->rect())) << part->role();
        EXPECT_GT(first->rect().width(), 20) << part->role();
        EXPECT_EQ(part->childAt(first->rect().center().x(), first->rect().center().y()), first);
        QAccessibleInterface *measured = part->child(2);
        EXPECT_EQ(measured->text(QAccessible::Name), "folder 2 - Getting folder size...");
        EXPECT_TRUE(measured->state().busy);
    }

    // Sized at last: the slice is no longer busy.
    QAccessibleInterface *third = pie()->child(2);
    model.setDone(2, 3 * 1024);
    EXPECT_EQ(third->text(QAccessible::Name), "folder 2 - 3.00 KB");
    EXPECT_FALSE(third->state().busy);

    // A new generation replaces the children; one asked for beyond them is no longer valid.
    model.reset(2, QStringLiteral("/other"), {});
    EXPECT_EQ(pie()->childCount(), 1);
    EXPECT_EQ(legend()->childCount(), 0);
    EXPECT_FALSE(third->isValid());
    EXPECT_EQ(third->text(QAccessible::Name), "");
}

// The keys' slice has the focus of the part of the chart that has it; the slice's actions
// drill down and make it the keys' slice.
TEST_F(ChartAccessibility, TheKeysSliceHasTheFocusAndItsActionsDrillDownAndChooseIt)
{
    show(3);
    chart.setFocus();
    QTest::keyClick(&chart, Qt::Key_Right);
    QTest::keyClick(&chart, Qt::Key_Right);
    ASSERT_EQ(pie()->focusChild(), pie()->child(1));
    EXPECT_TRUE(pie()->child(1)->state().focused);
    EXPECT_FALSE(pie()->child(0)->state().focused);
    EXPECT_FALSE(legend()->child(1)->state().focused) << "the legend has no focus";
    EXPECT_TRUE(legend()->child(1)->state().selected) << "but shows the slice highlighted";

    chart.legend()->setFocus();
    QTest::keyClick(chart.legend(), Qt::Key_Down);
    EXPECT_EQ(legend()->focusChild(), legend()->child(2));
    EXPECT_EQ(pie()->focusChild(), nullptr);

    QSignalSpy activated(&chart, &PieChart::columnActivated);
    QAccessibleActionInterface *actions = pie()->child(0)->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::setFocusAction());
    EXPECT_EQ(chart.currentColumn(), 1);
    EXPECT_TRUE(chart.hasFocus());
    actions->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 1);
}

// Rows scrolled out of the legend, which follows the subfolder being measured, are there for
// assistive technology, marked off screen.
TEST_F(ChartAccessibility, RowsOutOfTheLegendsViewAreOffScreen)
{
    show(200);
    EXPECT_EQ(legend()->childCount(), 200);
    EXPECT_FALSE(legend()->child(199)->state().offscreen);
    EXPECT_TRUE(legend()->child(0)->state().offscreen);
    EXPECT_TRUE(legend()->child(0)->rect().isEmpty());

    // So is the row of a gone subfolder, just below the view.
    model.setDone(199, 200 * 1024);
    model.setComparison(ChartComparison(QDateTime::currentDateTime().addDays(-1),
                                        {{QStringLiteral("old"), "/data/old", 1}}));
    ASSERT_EQ(legend()->childCount(), 201);
    EXPECT_TRUE(legend()->child(200)->state().offscreen);
}

// A subfolder gone since the look compared with is read after the slices in the legend, named
// as its row reads and described as its tooltip; like its row it cannot be opened or chosen,
// and the pie and the keys keep to the slices.
TEST_F(ChartAccessibility, AGoneSubfolderIsALegendRowAfterTheSlices)
{
    show(3);
    model.setDone(2, 3 * 1024);
    EXPECT_EQ(legend()->childCount(), 3) << "no comparison, no gone rows";
    const QDateTime when = QDateTime::currentDateTime().addDays(-3);
    model.setComparison(ChartComparison(when, {{QStringLiteral("folder 0"), "/data/f0", 512},
                                               {QStringLiteral("old"), "/data/old", 2048}}));

    ASSERT_EQ(legend()->childCount(), 4);
    EXPECT_EQ(pie()->childCount(), 4) << "the pie: its three slices and the legend";
    EXPECT_EQ(legend()->indexOfChild(legend()->child(2)), 2) << "before the gone row is made";
    QAccessibleInterface *gone = legend()->child(3);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(legend()->child(3), gone);
    EXPECT_EQ(legend()->child(4), nullptr);
    EXPECT_EQ(gone->role(), QAccessible::ListItem);
    EXPECT_EQ(gone->parent(), legend());
    EXPECT_EQ(legend()->indexOfChild(gone), 3);
    EXPECT_EQ(pie()->indexOfChild(gone), -1);
    const QString since = "gone since " + ChangeDay(when);
    EXPECT_EQ(gone->text(QAccessible::Name), "old - 2.00 KB, " + since);
    EXPECT_EQ(gone->text(QAccessible::Description), since + ", 2.00 KB (2,048 bytes)");
    EXPECT_EQ(gone->actionInterface(), nullptr);
    EXPECT_FALSE(gone->state().focusable);
    EXPECT_FALSE(gone->state().selectable);
    EXPECT_FALSE(gone->state().offscreen);
    EXPECT_TRUE(legend()->rect().contains(gone->rect()));
    EXPECT_GT(gone->rect().top(), legend()->child(2)->rect().top());
    EXPECT_EQ(legend()->childAt(gone->rect().center().x(), gone->rect().center().y()), gone);

    chart.legend()->setFocus();
    QTest::keyClick(chart.legend(), Qt::Key_End);
    QTest::keyClick(chart.legend(), Qt::Key_Down);
    EXPECT_EQ(legend()->focusChild(), legend()->child(2)) << "the keys stop at the last slice";
    EXPECT_FALSE(gone->state().focused);

    QAccessible::Id otherGone = 0;
    {
        PieChart other(model);
        QAccessibleInterface *row = QAccessible::queryAccessibleInterface(other.legend())->child(3);
        ASSERT_NE(row, nullptr);
        otherGone = QAccessible::uniqueId(row);
    }
    EXPECT_EQ(QAccessible::accessibleInterface(otherGone), nullptr) << "gone with its legend";

    model.setComparison({});
    EXPECT_EQ(legend()->childCount(), 3);
    EXPECT_FALSE(gone->isValid());
    EXPECT_EQ(gone->text(QAccessible::Name), "");
}
