#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "chart/slicetooltip.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <clocale>
#include <gtest/gtest.h>

namespace {

// A window with a button before a chart of count subfolders sized 1, 2, 3 ... KB, shown and
// active, so that Tab and key presses reach the real widgets.
class ChartKeyboard : public ::testing::Test {
protected:
    void show(int count, QSize size = {600, 400})
    {
        std::setlocale(LC_NUMERIC, "C");
        QList<ChartModel::Subfolder> list;
        for (int i = 0; i < count; ++i)
            list.append({QStringLiteral("folder %1").arg(i), "/data/f" + QByteArray::number(i)});
        model.reset(1, QStringLiteral("/data"), list);
        for (int i = 0; i < count; ++i) {
            model.setSizing(i);
            model.setDone(i, (i + 1) * 1024);
        }
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        layout->addWidget(chart, 1);
        window.resize(size);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        button->setFocus();
    }

    void press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(target, key, modifiers);
    }

    ChartModel model;
    QWidget window;
    QPushButton *button = new QPushButton(QStringLiteral("before"), &window);
    PieChart *chart = new PieChart(model, &window);
};

int pixelsOf(const QImage &image, QColor colour)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int found = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            found += rgb.pixel(x, y) == colour.rgb();
    return found;
}

} // namespace

// Tab reaches the pie and then the legend, and each shows that it has the focus with a frame
// in the highlight colour.
TEST_F(ChartKeyboard, TabReachesThePieThenTheLegendAndEachShowsItsFocus)
{
    show(4);
    const QColor mark = chart->palette().color(QPalette::Highlight);
    const int before = pixelsOf(chart->grab().toImage(), mark);

    press(button, Qt::Key_Tab);
    ASSERT_TRUE(chart->hasFocus());
    const int onPie = pixelsOf(chart->grab().toImage(), mark);
    EXPECT_GT(onPie, before + 200);

    press(chart, Qt::Key_Tab);
    ASSERT_TRUE(chart->legend()->hasFocus());
    const int onLegend = pixelsOf(chart->grab().toImage(), mark);
    EXPECT_GT(onLegend, before + 200);
    EXPECT_LT(onLegend, onPie + 400) << "the pie's frame goes with its focus";
}

// Left and Right step through the slices in legend order on the pie, Up and Down too on the
// legend; Home and End go to the ends; the first step lands on the first or last slice. The
// keys' slice is shown as hovering shows it, its details beside it, and stays highlighted when
// the pointer leaves.
TEST_F(ChartKeyboard, ArrowsHomeAndEndWalkTheSlicesInLegendOrder)
{
    show(4);
    chart->setFocus();
    EXPECT_EQ(chart->currentColumn(), 0);
    press(chart, Qt::Key_Right);
    EXPECT_EQ(chart->currentColumn(), 1);
    press(chart, Qt::Key_Right);
    press(chart, Qt::Key_Right);
    EXPECT_EQ(chart->highlightedColumn(), 3);
    EXPECT_EQ(chart->legend()->highlighted(), 2);
    EXPECT_EQ(QToolTip::text(), SliceToolTip(model, 2));
    press(chart, Qt::Key_Right);
    press(chart, Qt::Key_Right);
    EXPECT_EQ(chart->currentColumn(), 4) << "the last slice stays the last";
    press(chart, Qt::Key_Home);
    EXPECT_EQ(chart->currentColumn(), 1);
    press(chart, Qt::Key_Left);
    EXPECT_EQ(chart->currentColumn(), 1);
    press(chart, Qt::Key_Down);
    EXPECT_EQ(chart->currentColumn(), 1) << "the pie is not a list";
    press(chart, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(chart->currentColumn(), 1) << "a modified arrow is another's shortcut";

    chart->legend()->setFocus();
    press(chart->legend(), Qt::Key_Down);
    press(chart->legend(), Qt::Key_Down);
    EXPECT_EQ(chart->currentColumn(), 3);
    press(chart->legend(), Qt::Key_Up);
    EXPECT_EQ(chart->currentColumn(), 2);
    press(chart->legend(), Qt::Key_End);
    EXPECT_EQ(chart->currentColumn(), 4);

    // The pointer passing over another row and leaving gives the highlight back.
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 2), QPointF(10, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart->legend()->viewport(), &move);
    EXPECT_EQ(chart->highlightedColumn(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(chart->legend()->viewport(), &leave);
    EXPECT_EQ(chart->highlightedColumn(), 4);

    // A new generation starts with no slice chosen.
    model.reset(2, QStringLiteral("/other"), {{QStringLiteral("a"), "/other/a"}});
    EXPECT_EQ(chart->currentColumn(), 0);
    EXPECT_EQ(chart->highlightedColumn(), 0);
}

// Enter drills into the current slice as a double-click does, Backspace asks for the folder
// above, and the Menu key or Shift+F10 for the slice's menu beside it; with no current slice
// Enter and the Menu key do nothing.
TEST_F(ChartKeyboard, EnterBackspaceAndTheMenuKeyAskForTheirActions)
{
    show(4);
    QSignalSpy activated(chart, &PieChart::columnActivated);
    QSignalSpy parent(chart, &PieChart::parentRequested);
    QSignalSpy menu(chart, &PieChart::contextMenuRequested);
    chart->setFocus();
    press(chart, Qt::Key_Return);
    press(chart, Qt::Key_Menu);
    EXPECT_EQ(activated.count() + menu.count(), 0);

    press(chart, Qt::Key_Right);
    press(chart, Qt::Key_Right);
    press(chart, Qt::Key_Return);
    press(chart, Qt::Key_Backspace);
    press(chart, Qt::Key_Menu);
    chart->legend()->setFocus();
    press(chart->legend(), Qt::Key_Down);
    press(chart->legend(), Qt::Key_Enter, Qt::KeypadModifier);
    press(chart->legend(), Qt::Key_Backspace);
    press(chart->legend(), Qt::Key_F10, Qt::ShiftModifier);

    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 2);
    EXPECT_EQ(activated.at(1).at(0).toInt(), 3);
    EXPECT_EQ(parent.count(), 2);
    ASSERT_EQ(menu.count(), 2);
    EXPECT_EQ(menu.at(0).at(0).toInt(), 2);
    EXPECT_EQ(menu.at(1).at(0).toInt(), 3);
    // Beside the legend row of the slice, wherever the pointer is.
    const QPoint spot = menu.at(1).at(1).toPoint();
    const QRect row = chart->legend()->rowRect(2);
    EXPECT_TRUE(QRect(chart->legend()->viewport()->mapToGlobal(row.topLeft()), row.size())
                    .adjusted(0, 0, 0, 1)
                    .contains(spot))
        << spot.x() << "," << spot.y();
}

// The legend scrolls to the row the keys chose, also by pages, and back to the top with Home.
TEST_F(ChartKeyboard, TheLegendScrollsToTheChosenRow)
{
    show(100, {500, 200});
    ChartLegend *legend = chart->legend();
    legend->setFocus();
    press(legend, Qt::Key_End);
    EXPECT_TRUE(legend->isRowVisible(99));
    press(legend, Qt::Key_Home);
    EXPECT_EQ(legend->firstVisibleRow(), 0);
    press(legend, Qt::Key_PageDown);
    press(legend, Qt::Key_PageDown);
    const int row = chart->currentColumn() - 1;
    EXPECT_GT(row, 2);
    EXPECT_TRUE(legend->isRowVisible(row));
    chart->setFocus();
    press(chart, Qt::Key_End);
    press(chart, Qt::Key_Left);
    EXPECT_TRUE(legend->isRowVisible(98)) << "keys on the pie scroll the legend too";
}
