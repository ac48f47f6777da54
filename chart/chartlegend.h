#pragma once

#include "chart/chartcomparison.h"

#include <QAbstractScrollArea>
#include <QList>

class ChartModel;
class QPainter;

// The legend beside the pie: one row per slice, in slice order, with the slice's colour
// swatch and its label. It scrolls by whole rows and paints only the rows in view, so a new
// slice or label costs the same however many rows there are. Hovering a row highlights its
// slice and shows the slice's details; double-clicking it activates the slice. With the
// keyboard focus the legend is framed, and its keys (chartkeyboard.h) ask for a row to be
// highlighted, activated or given its menu; the chart decides.
//
// When the chart is compared with an earlier look, each row also says how its subfolder
// changed since ("+1.50 KB since 3 Dec", "new"), and once every slice is shown, one row more
// for each subfolder gone since then, with its size then ("gone since 3 Dec"). Those rows
// have no slice: the keys, clicks and highlight pass them by, while assistive technology reads
// them after the slices' rows (goneaccessible.h).
class ChartLegend : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ChartLegend(const ChartModel &model, QWidget *parent = nullptr);

    // The number of slices changed.
    void countChanged();
    // The comparison changed, or the subfolders listed: the rows of gone subfolders are
    // worked out again.
    void goneChanged();
    // Rows drawn after the slices' rows for the subfolders gone since the look compared with.
    int goneRows() const;
    // The subfolder of the gone row index, counted from the first gone row.
    const ChartComparison::Subfolder &goneAt(int index) const { return m_gone.at(index); }
    // Row's label or colour changed.
    void rowChanged(int row);
    void ensureVisible(int row);
    // Whether row, a slice's or one after them of a gone subfolder, is in view.
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
    int paintedRows() const { return rows() + goneRows(); }
    void paintGoneRow(QPainter &painter, int row);
    void drawLabelAndChange(QPainter &painter, QRect text, const QString &label,
                            const QString &change, const QString &amount) const;
    void updateScrollRange();
    void announceGoneRows(bool replaced);

    const ChartModel &m_model;
    int rows() const;
    int m_highlighted = -1;
    QList<ChartComparison::Subfolder> m_gone;
    int m_goneAnnounced = 0; // goneRows() when assistive technology was last told
};
