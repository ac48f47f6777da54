#include "chart/chartlegend.h"
#include "chart/chartlook.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/piechart.h"
#include "chart/pielayout.h"
#include "chart/slicetooltip.h"
#include "support/runinchild.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <clocale>
#include <gtest/gtest.h>
#include <new>
#include <set>
#include <sys/resource.h>

namespace {

QList<ChartModel::Subfolder> subfolders(const QStringList &names)
{
    QList<ChartModel::Subfolder> list;
    for (const QString &name : names)
        list.append({name, "/data/" + name.toUtf8()});
    return list;
}

// A generation of count subfolders "folder i", each sized in list order to size(i) bytes.
void fill(ChartModel &model, int count, const std::function<qint64(int)> &size)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("folder %1").arg(i));
    model.reset(1, QStringLiteral("/data"), subfolders(names));
    for (int i = 0; i < count; ++i) {
        model.setSizing(i);
        model.setDone(i, size(i));
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

// Slices are the subfolders that left waiting: the one being sized says so, a new generation
// starts with none.
TEST(PieChart, ShowsTheSubfoldersSizedOrBeingSizedWithTheirLabelsAndSizes)
{
    std::setlocale(LC_NUMERIC, "C");
    ChartModel model;
    PieChart chart(model);
    model.reset(1, "/data", subfolders({"Music", "Video", "Zip"}));
    EXPECT_EQ(chart.columnCount(), 0);
    model.setSizing(0);
    model.setDone(0, 1610612736);
    model.setSizing(1);

    EXPECT_EQ(chart.columnLabels(), QStringList({"Music - 1.50 GB", "Getting folder size..."}));
    EXPECT_EQ(chart.values(), QList<qint64>({1610612736, 0}));
    EXPECT_EQ(chart.column(), 2);
    EXPECT_EQ(model.total(), 1610612736);

    model.reset(2, "/other", subfolders({"a"}));
    EXPECT_EQ(chart.columnCount(), 0);
    EXPECT_EQ(chart.column(), 1);
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
    ChartModel model;
    PieChart chart(model);
    chart.resize(600, 300);
    chart.show();
    QStringList names;
    for (int i = 0; i < 501; ++i)
        names.append(QString::number(i));
    model.reset(1, "/data", subfolders(names));
    for (int i = 0; i < 500; ++i) {
        model.setSizing(i);
        model.setDone(i, 1);
    }
    EXPECT_TRUE(chart.legend()->isRowVisible(499));
    EXPECT_FALSE(chart.legend()->isRowVisible(0));
    chart.legend()->ensureVisible(0); // the user scrolls back to the top
    model.setSizing(500);
    EXPECT_TRUE(chart.legend()->isRowVisible(0));
    EXPECT_FALSE(chart.legend()->isRowVisible(500));
}

TEST(SliceToolTip, NamesTheFolderItsSizeBytesAndShareAlsoOfAnEmptyTotal)
{
    std::setlocale(LC_NUMERIC, "C");
    ChartModel model;
    model.reset(1, "/data", subfolders({"a", "b", "Photographs 2019 Summer"}));
    model.setSizing(2);
    EXPECT_EQ(SliceToolTip(model, 2), "Photographs 2019 Summer\nGetting folder size...");
    model.setDone(0, 1);
    model.setDone(1, 1024);
    model.setDone(2, 1 << 20);
    EXPECT_EQ(SliceToolTip(model, 2),
              "Photographs 2019 Summer\n1.00 MB (1,048,576 bytes)\n99.9% of the total");
    EXPECT_EQ(SliceToolTip(model, 0), "a\n1 Bytes (1 bytes)\nless than 0.1% of the total");

    ChartModel empty;
    fill(empty, 2, [](int) { return 0; });
    EXPECT_EQ(SliceToolTip(empty, 1), "folder 1\n0 Bytes (0 bytes)\n0% of the total");
    EXPECT_EQ(SliceToolTip(empty, 2), "");
}

TEST(PieChart, HoverHighlightsASliceAndDoubleClickActivatesItsColumn)
{
    ChartModel model;
    PieChart chart(model);
    chart.resize(600, 400);
    chart.show();
    fill(model, 2, [](int i) { return i + 1; }); // 1/3 and 2/3 of the pie
    QApplication::processEvents();               // draws the pie
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
    ChartModel model;
    PieChart chart(model);
    chart.resize(300, 200);
    fill(model, 2, [](int i) { return 3 - 2 * i; });
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
    ChartModel model;
    fill(model, 200, [](int) { return 0; });
    const QImage picture = ChartPicture(model, FolderSizesTitle());
    EXPECT_GT(picture.height(), ChartPictureMinimumSize.height());
    for (const int shown : {0, 100, 198, 199})
        EXPECT_TRUE(showsColour(picture, SliceColor(shown, 200))) << shown;

    fill(model, 32767, [](int) { return 0; });
    const QImage huge = ChartPicture(model, FolderSizesTitle());
    EXPECT_LE(huge.width(), ChartPictureMaximumSide);
    EXPECT_LE(huge.height(), ChartPictureMaximumSide);
}

// With no memory for the picture Qt gives a null one; the exports must hear "out of memory",
// not describe a 0x0 picture or an encoder error.
TEST(ChartPicture, ThrowsWhenThereIsNoMemoryForThePicture)
{
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer's allocator ends the process when an address-space limit refuses it.
    GTEST_SKIP() << "an address-space limit ends a process under AddressSanitizer";
#endif
    ChartModel model;
    fill(model, 3, [](int i) { return (i + 1) * 1000; });
    ChartPicture(model, FolderSizesTitle()); // fonts and caches loaded while memory is free
    const std::string ended = runInChild([&model] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return std::string("skip: no /proc");
        qint64 kilobytes = 0;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                kilobytes = line.mid(7).trimmed().split(' ').first().toLongLong();
        // Room for a few more small allocations, not for 64 MB of picture.
        const rlimit tight{rlim_t(kilobytes + 16 * 1024) * 1024, RLIM_INFINITY};
        if (kilobytes == 0 || ::setrlimit(RLIMIT_AS, &tight) != 0)
            return std::string("skip: no address-space limit");
        try {
            const QImage image =
                ChartPicture(model, FolderSizesTitle(), QPalette(), QSize(4096, 4096));
            return "a picture of " + std::to_string(image.width()) + "x" +
                   std::to_string(image.height());
        } catch (const std::bad_alloc &) {
            return std::string("out of memory");
        }
    });
    if (ended.starts_with("skip: "))
        GTEST_SKIP() << ended;
    EXPECT_EQ(ended, "out of memory");
}

// Borders part neighbouring slices; a slice that is the whole pie, beside empty ones or alone,
// shows no seam at twelve o'clock.
TEST(PieChart, ASliceThatFillsThePieShowsNoBorder)
{
    for (const int count : {1, 2}) {
        ChartModel model;
        fill(model, count, [](int i) { return i == 0 ? 5 : 0; });
        PieLayout layout;
        layout.build(model);
        QImage image(201, 201, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPalette palette;
        palette.setColor(QPalette::Base, QColor(255, 0, 255));
        QPainter painter(&image);
        drawPie(painter, QRectF(0, 0, 201, 201), layout, palette);
        painter.end();
        EXPECT_EQ(image.pixelColor(100, 50), SliceColor(0, count)) << count << " slices";
    }
}
