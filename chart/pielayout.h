#pragma once

#include <QPointF>
#include <QRectF>
#include <utility>
#include <vector>

class ChartModel;
class QPainter;
class QPalette;

// Where the slices lie around the pie, as fractions of a whole turn clockwise from twelve
// o'clock. Taken from the model in one pass; looking a slice up is a binary search.
class PieLayout {
public:
    // The slices shown: every subfolder that left waiting, a size not yet known counting 0.
    void build(const ChartModel &model);
    int count() const { return int(m_ends.size()); }
    double total() const { return m_total; }
    // Start and end of slice index.
    std::pair<double, double> span(int index) const;
    // The slice under a point of the turn in [0, 1); -1 when every slice is empty.
    int sliceAt(double turn) const;

private:
    std::vector<double> m_ends;
    double m_total = 0;
};

// The turn of point within the circle inscribed in square, or -1 when it lies outside.
double turnAt(const QRectF &square, QPointF point);

// The pie of data inside square: every slice in its colour, with a border between slices
// wide enough to show one. The cost grows with the pie's area, not with the number of
// slices. An empty total shows the outline.
void drawPie(QPainter &painter, const QRectF &square, const PieLayout &layout,
             const QPalette &palette);

// Slice index drawn a little larger, with an outline in the text colour.
void drawHighlight(QPainter &painter, const QRectF &square, const PieLayout &layout, int index,
                   const QPalette &palette);
