#pragma once

#include <QAbstractScrollArea>

class ChartModel;

// The legend beside the pie: one row per slice, in slice order, with the slice's colour
// swatch and its label. It scrolls by whole rows and paints only the rows in view, so a new
// slice or label costs the same however many rows there are. Hovering a row highlights its
// slice and shows the slice's details; double-clicking it activates the slice. With the
// keyboard focus the legend is framed, and its keys (chartkeyboard.h) ask for a row to be
// highlighted, activated or given its menu; the chart decides.
class ChartLegend : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ChartLegend(const ChartModel &model, QWidget *parent = nullptr);

    // The number of slices changed.
    void countChanged();
    // Row's label or colour changed.
    void rowChanged(int row);
    void ensureVisible(int row);
    bool isRowVisible(int row) const;
    int firstVisibleRow() const;
    // Row at a point of the viewport; -1 for none.
    int rowAt(QPoint point) const;
    int rowHeight() const;
    // Where row lies in the viewport, also when out of view.
    QRect rowRect(int row) const;

    int highlighted() const { return m_highlighted; }
    void setHighlighted(int row);

signals:
    void hovered(int row); // -1 when the pointer leaves the rows
    void activated(int row);
    void currentRequested(int row); // a key moved the highlight
    void parentRequested();
    void contextMenuRequested(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int visibleRows() const;
    void updateScrollRange();

    const ChartModel &m_model;
    int rows() const;
    int m_highlighted = -1;
};
