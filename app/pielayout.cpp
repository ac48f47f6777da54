#include "app/pielayout.h"

#include "app/chartdata.h"
#include "app/chartlook.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int FullTurn = 360 * 16; // Qt's angles are in sixteenths of a degree
constexpr int TwelveOClock = 90 * 16;

int sixteenths(double turn)
{
    return int(std::lround(turn * FullTurn));
}

// Qt counts angles counter-clockwise from three o'clock; the pie runs clockwise from twelve.
void drawWedge(QPainter &painter, const QRectF &square, int from, int to)
{
    painter.drawPie(square, TwelveOClock - to, to - from);
}

} // namespace

void PieLayout::build(const ChartData &data)
{
    m_ends.resize(std::size_t(data.count()));
    m_total = data.total();
    double sum = 0;
    for (int i = 0; i < data.count(); ++i) {
        sum += data.at(i).value;
        m_ends[std::size_t(i)] = m_total > 0 ? std::min(sum / m_total, 1.0) : 0.0;
    }
}

std::pair<double, double> PieLayout::span(int index) const
{
    if (index < 0 || index >= count())
        return {0.0, 0.0};
    return {index == 0 ? 0.0 : m_ends[std::size_t(index - 1)], m_ends[std::size_t(index)]};
}

int PieLayout::sliceAt(double turn) const
{
    if (m_total <= 0 || turn < 0)
        return -1;
    const auto found = std::upper_bound(m_ends.begin(), m_ends.end(), turn);
    return found == m_ends.end() ? count() - 1 : int(found - m_ends.begin());
}

double turnAt(const QRectF &square, QPointF point)
{
    const QPointF offset = point - square.center();
    const double radius = square.width() / 2;
    if (radius <= 0 || std::hypot(offset.x(), offset.y()) > radius)
        return -1;
    // Clockwise from twelve o'clock; y grows downwards on the screen.
    const double angle = std::atan2(offset.x(), -offset.y());
    const double turn = angle / (2 * std::numbers::pi);
    return turn < 0 ? turn + 1 : turn;
}

void drawPie(QPainter &painter, const QRectF &square, const ChartData &data,
             const PieLayout &layout, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor border = palette.color(QPalette::Base);
    if (layout.count() == 0 || data.total() <= 0) {
        painter.setPen(QPen(palette.color(QPalette::Mid), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(square);
        painter.restore();
        return;
    }
    // Below this many sixteenths a slice is thinner at the rim than its border would be.
    const double rim = std::numbers::pi * square.width();
    const int bordered = std::max(1, int(std::ceil(3.0 * FullTurn / std::max(rim, 1.0))));
    const int count = layout.count();
    int from = 0;
    for (int i = 0; i < count; ++i) {
        const int to = sixteenths(layout.span(i).second);
        if (to <= from)
            continue;
        painter.setBrush(SliceColor(i, count));
        painter.setPen(to - from >= bordered ? QPen(border, 1) : QPen(Qt::NoPen));
        drawWedge(painter, square, from, to);
        from = to;
    }
    painter.restore();
}

void drawHighlight(QPainter &painter, const QRectF &square, const ChartData &data,
                   const PieLayout &layout, int index, const QPalette &palette)
{
    if (index < 0 || index >= layout.count() || data.total() <= 0)
        return;
    const auto [start, end] = layout.span(index);
    const int from = sixteenths(start);
    // However thin, the highlighted slice shows as at least a sliver.
    const int to = std::max(sixteenths(end), from + 8);
    const double grow = std::max(3.0, square.width() * 0.03);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(SliceColor(index, layout.count()));
    painter.setPen(QPen(palette.color(QPalette::Text), 2));
    drawWedge(painter, square.adjusted(-grow, -grow, grow, grow), from, to);
    painter.restore();
}
