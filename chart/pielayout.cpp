#include "chart/pielayout.h"

#include "chart/chartlook.h"
#include "chart/chartmodel.h"
#include "chart/slicetext.h"

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

void PieLayout::build(const ChartModel &model)
{
    const int count = model.shownCount();
    m_ends.resize(std::size_t(count));
    // A pie has no room for a negative share.
    const auto share = [&model](int i) {
        const ChartModel::Subfolder &slice = model.at(i);
        return slice.state == ChartModel::State::Done ? double(std::max<qint64>(slice.bytes, 0))
                                                      : 0.0;
    };
    m_total = 0;
    for (int i = 0; i < count; ++i)
        m_total += share(i);
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += share(i);
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

namespace {

// The slices' colours by angle, one per sixteenth of a degree: each holds the colour of
// the slice at the middle of its sixteenth. Made in one pass over the slices.
std::vector<QRgb> coloursByAngle(const PieLayout &layout)
{
    std::vector<QRgb> colours(FullTurn);
    const int count = layout.count();
    int slice = 0;
    for (int bin = 0; bin < FullTurn; ++bin) {
        const double middle = (bin + 0.5) / FullTurn;
        while (slice < count - 1 && layout.span(slice).second <= middle)
            ++slice;
        colours[std::size_t(bin)] = SliceColor(slice, count).rgba();
    }
    return colours;
}

// atan2(y, x) to within about 0.001 degrees, several times faster than the library's.
double fastAtan2(double y, double x)
{
    const double ax = std::abs(x);
    const double ay = std::abs(y);
    const double big = std::max(ax, ay);
    if (big == 0)
        return 0;
    const double a = std::min(ax, ay) / big;
    const double s = a * a;
    double r = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;
    if (ay > ax)
        r = std::numbers::pi / 2 - r;
    if (x < 0)
        r = std::numbers::pi - r;
    return y < 0 ? -r : r;
}

// The pie as an image of side pixels, transparent outside the circle. Each pixel takes the
// colour of the slice at its angle, and the rim is smoothed by how much of the pixel lies
// inside: the cost is one pass over the pixels, whatever the number of slices.
QImage pieImage(int side, const PieLayout &layout)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const std::vector<QRgb> colours = coloursByAngle(layout);
    const double radius = side / 2.0;
    const double solid = (radius - 0.5) * (radius - 0.5);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double dy = y + 0.5 - radius;
        for (int x = 0; x < side; ++x) {
            const double dx = x + 0.5 - radius;
            const double squared = dx * dx + dy * dy;
            double inside = 1.0;
            if (squared > solid) {
                inside = radius + 0.5 - std::sqrt(squared);
                if (inside <= 0)
                    continue;
            }
            double turn = fastAtan2(dx, -dy) / (2 * std::numbers::pi);
            if (turn < 0)
                turn += 1;
            const QRgb colour = colours[std::size_t(std::min(int(turn * FullTurn), FullTurn - 1))];
            line[x] = inside >= 1.0 ? colour
                                    : qPremultiply(qRgba(qRed(colour), qGreen(colour),
                                                         qBlue(colour), int(inside * 255)));
        }
    }
    return image;
}

} // namespace

void drawPie(QPainter &painter, const QRectF &square, const PieLayout &layout,
             const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (layout.count() == 0 || layout.total() <= 0) {
        painter.setPen(QPen(palette.color(QPalette::Mid), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(square);
        painter.restore();
        return;
    }
    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.drawImage(square,
                      pieImage(std::max(1, int(std::lround(square.width() * ratio))), layout));
    // A border where a slice begins, for slices wide enough at the rim to show one.
    const double radius = square.width() / 2;
    const double rim = 2 * std::numbers::pi * radius;
    painter.setPen(QPen(palette.color(QPalette::Base), 1));
    double lastEdge = -1;
    for (int i = 0; i < layout.count(); ++i) {
        const auto [start, end] = layout.span(i);
        // A slice that fills the pie has no neighbour to be told apart from.
        if ((end - start) * rim < 3.0 || (start - lastEdge) * rim < 3.0 || end - start >= 1.0)
            continue;
        for (const double edge : {start, end}) {
            const double angle = edge * 2 * std::numbers::pi;
            painter.drawLine(square.center(), square.center() + QPointF(std::sin(angle) * radius,
                                                                        -std::cos(angle) * radius));
        }
        lastEdge = end;
    }
    painter.restore();
}

void drawHighlight(QPainter &painter, const QRectF &square, const PieLayout &layout, int index,
                   const QPalette &palette)
{
    if (index < 0 || index >= layout.count() || layout.total() <= 0)
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
