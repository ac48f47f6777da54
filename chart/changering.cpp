#include "chart/changering.h"

#include "chart/changetext.h"
#include "chart/chartmodel.h"
#include "chart/pielayout.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double Gap = 3.0;

double ringWidth(double side)
{
    return std::clamp(side * 0.045, 4.0, 14.0);
}

} // namespace

double ChangeRingRoom(double side)
{
    return Gap + ringWidth(side);
}

QColor GrowthColor()
{
    return QColor(230, 120, 20);
}

QColor ShrinkColor()
{
    return QColor(40, 110, 210);
}

// Each arc is centred on a circle of its own thickness, so every arc starts at the pie's rim
// plus the gap. Arcs narrower than a pixel at the rim are left out: the cost stays with the
// slices one can see.
void drawChangeRing(QPainter &painter, const QRectF &pieSquare, const PieLayout &layout,
                    const ChartModel &model, const QPalette &palette)
{
    if (!model.comparison().isSet() || layout.total() <= 0)
        return;
    const double full = ringWidth(pieSquare.width());
    const double rim = std::numbers::pi * (pieSquare.width() + 2 * (Gap + full));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < layout.count(); ++i) {
        const auto [start, end] = layout.span(i);
        const std::optional<qint64> change = ChangeBytes(model, i);
        if (!change || (end - start) * rim < 1.0)
            continue;
        const qint64 now = model.at(i).bytes;
        const qint64 before = now - *change;
        const double largest = double(std::max<qint64>({now, before, 1}));
        const double share = std::min(1.0, std::abs(double(*change)) / largest);
        double thickness = 1.0;
        QColor colour = palette.color(QPalette::Mid);
        if (*change != 0) {
            // Even a small change shows; the square root lets the middle sizes apart.
            thickness = std::max(2.0, full * std::sqrt(share));
            colour = *change > 0 ? GrowthColor() : ShrinkColor();
        }
        const double radius = pieSquare.width() / 2 + Gap + thickness / 2;
        QRectF circle(0, 0, 2 * radius, 2 * radius);
        circle.moveCenter(pieSquare.center());
        painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::FlatCap));
        // Qt counts sixteenths of a degree counter-clockwise from three o'clock; the pie runs
        // clockwise from twelve.
        const int from = int(std::lround(start * 360 * 16));
        const int to = int(std::lround(end * 360 * 16));
        painter.drawArc(circle, 90 * 16 - from, -(to - from));
    }
    painter.restore();
}
