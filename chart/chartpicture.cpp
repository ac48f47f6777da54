#include "chart/chartpicture.h"

#include "chart/chartlook.h"
#include "chart/chartmodel.h"
#include "chart/pielayout.h"
#include "chart/slicetext.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <new>

namespace {

constexpr int Margin = 8;
constexpr int MaxColumnWidth = 360;
constexpr int MaxPieSide = 1000;

// Where the parts of the picture go.
struct PictureLayout {
    QSize size;
    int titleHeight = 0;
    int pieSide = 0;
    int rows = 0;
    int columns = 0;
    int columnWidth = 0;
    int rowHeight = 0;

    int capacity() const { return rows * columns; }
};

int legendColumnWidth(const ChartModel &model, const QFontMetrics &metrics, int swatch)
{
    int widest = 0;
    for (int i = 0; i < model.shownCount(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(SliceLabel(model.at(i))));
    return std::min(widest + swatch + 3 * Margin, MaxColumnWidth);
}

// The least growth that names every slice: the picture is made taller, one row at a time,
// until the columns the labels need fit beside a pie as tall as the picture, in a width no
// larger than the minimum's or 1.6 times the height.
PictureLayout planPicture(const ChartModel &model, const QFontMetrics &text, int titleHeight,
                          QSize minimumSize)
{
    PictureLayout plan;
    plan.titleHeight = titleHeight;
    plan.rowHeight = text.height() + 4;
    plan.columnWidth = legendColumnWidth(model, text, plan.rowHeight);
    const int count = std::max(model.shownCount(), 1);
    const int minWidth = std::max(minimumSize.width(), 200);
    int height = std::max(minimumSize.height(), titleHeight + 2 * Margin + plan.rowHeight);
    for (;;) {
        const int body = height - titleHeight - 2 * Margin;
        plan.pieSide = std::min(body, MaxPieSide);
        plan.rows = std::max(1, body / plan.rowHeight);
        plan.columns = (count + plan.rows - 1) / plan.rows;
        int width = Margin + plan.pieSide + 2 * Margin + plan.columns * plan.columnWidth + Margin;
        const bool fits = width <= std::max(minWidth, height * 16 / 10);
        if (fits || height >= ChartPictureMaximumSide) {
            width = std::max(width, minWidth);
            if (width > ChartPictureMaximumSide) {
                width = ChartPictureMaximumSide;
                const int room = width - Margin - plan.pieSide - 3 * Margin;
                plan.columns = std::max(1, room / plan.columnWidth);
            }
            plan.size = QSize(width, height);
            return plan;
        }
        height = std::min(height + plan.rowHeight, ChartPictureMaximumSide);
    }
}

void drawLegend(QPainter &painter, const ChartModel &model, const PictureLayout &plan,
                const QPalette &palette, QPoint origin)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int swatch = plan.rowHeight - 8;
    const int shown =
        model.shownCount() > plan.capacity() ? plan.capacity() - 1 : model.shownCount();
    painter.setPen(palette.color(QPalette::Text));
    for (int i = 0; i <= shown && i < plan.capacity(); ++i) {
        const QRect row(origin.x() + (i / plan.rows) * plan.columnWidth,
                        origin.y() + (i % plan.rows) * plan.rowHeight, plan.columnWidth,
                        plan.rowHeight);
        QRect text = row.adjusted(0, 0, -Margin, 0);
        QString label;
        if (i == shown) {
            if (shown == model.shownCount())
                break;
            label = QCoreApplication::translate("Chart", "... and %1 more")
                        .arg(model.shownCount() - shown);
        } else {
            const QRect box(row.left(), row.top() + (plan.rowHeight - swatch) / 2, swatch, swatch);
            painter.fillRect(box, SliceColor(i, model.shownCount()));
            text.setLeft(box.right() + Margin);
            label = SliceLabel(model.at(i));
        }
        painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                         metrics.elidedText(label, Qt::ElideRight, text.width()));
    }
}

} // namespace

QFont ChartTitleFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 1.3);
    font.setBold(true);
    return font;
}

QImage ChartPicture(const ChartModel &model, const QString &title, const QPalette &palette,
                    QSize minimumSize)
{
    const QFont textFont = QGuiApplication::font();
    const QFont titleFont = ChartTitleFont(textFont);
    const QFontMetrics text(textFont);
    const PictureLayout plan =
        planPicture(model, text, QFontMetrics(titleFont).height() + Margin, minimumSize);

    QImage image(plan.size, QImage::Format_RGB32);
    // Qt answers a failed allocation with a null picture, which every export would then
    // report as something else ("the picture is 0x0", an encoder error).
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(palette.color(QPalette::Base));
    QPainter painter(&image);
    painter.setPen(palette.color(QPalette::Text));
    painter.setFont(titleFont);
    painter.drawText(QRect(0, 0, plan.size.width(), plan.titleHeight), Qt::AlignCenter, title);

    const int body = plan.size.height() - plan.titleHeight - 2 * Margin;
    QRectF square(Margin, plan.titleHeight + Margin + (body - plan.pieSide) / 2.0, plan.pieSide,
                  plan.pieSide);
    PieLayout layout;
    layout.build(model);
    drawPie(painter, square.adjusted(4, 4, -4, -4), layout, palette);

    painter.setFont(textFont);
    const int legendHeight = std::min(plan.rows, std::max(model.shownCount(), 1)) * plan.rowHeight;
    const QPoint origin(Margin + plan.pieSide + 2 * Margin,
                        plan.titleHeight + Margin + std::max(0, (body - legendHeight) / 2));
    drawLegend(painter, model, plan, palette, origin);
    return image;
}

QString FolderSizesTitle()
{
    return QCoreApplication::translate("Chart", "Folder Sizes");
}
