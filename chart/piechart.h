#pragma once

#include "chart/pielayout.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class ChartLegend;
class ChartModel;

// The window's chart, drawn from a chart model: the subfolders that left waiting as slices of
// a pie, their labels in the legend beside it ("Getting folder size..." while one is being
// sized). The legend follows the subfolder being sized unless the user scrolled away from it.
//
// Every change of the model costs the same however many slices there are: a label repaints
// only its legend row, and the pie, whose every angle moves with each new size, is drawn
// again at most as often as keeps its drawing to a small share of the time (see refreshPie).
// Hovering a slice or legend row highlights the slice and shows its details; double-clicking
// one raises columnActivated.
//
// The pie and the legend each take the keyboard focus and show it with a frame. Their keys
// (chartkeyboard.h) move a current slice in legend order, which stays highlighted while the
// pointer is elsewhere, shows its details beside its legend row and is scrolled into view;
// Enter raises columnActivated, Backspace parentRequested and the Menu key
// contextMenuRequested, as a right-click on a slice or row does.
class PieChart : public QWidget {
    Q_OBJECT

public:
    // model must outlive the chart.
    explicit PieChart(const ChartModel &model, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &title);

    const ChartModel &model() const { return m_model; }
    // Slices shown, numbered from 1 as columns.
    int columnCount() const;
    // The column the legend follows: the subfolder sized last.
    int column() const { return m_column; }
    QStringList columnLabels() const;
    // Each shown slice's size in bytes; 0 while it is being sized.
    QList<qint64> values() const;
    ChartLegend *legend() const { return m_legend; }
    // The column whose slice is highlighted; 0 for none.
    int highlightedColumn() const { return m_highlighted + 1; }
    // The slice the keys last moved to; 0 for none. A new generation starts with none.
    int currentColumn() const { return m_current + 1; }
    void setCurrentColumn(int column);
    // The box around slice index's wedge, in the chart's coordinates; empty when it is not
    // drawn.
    QRect sliceRect(int index) const;

    // The picture of the exports: ChartPicture of the model at the chart's size at least,
    // larger when the legend needs room to name every slice. Needs no shown window.
    QPixmap picture() const;
    // Places picture() on the clipboard.
    void copyPicture() const;

signals:
    void columnActivated(int column);
    // The folder above the one charted is asked for.
    void parentRequested();
    // The menu of a slice is asked for, to be shown at globalPos.
    void contextMenuRequested(int column, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void modelReset();
    void subfolderChanged(int index);
    void comparisonChanged();
    void pieChanged();
    void refreshPie();
    void layOut();
    QRectF pieSquare() const;
    int sliceAt(QPointF point) const;
    void setHighlighted(int index);
    void hovered(int index);
    // Where a slice's details and menu go when the keys chose it: beside its legend row, or on
    // the slice while the legend has no room.
    QPoint sliceSpot(int index) const;
    void requestContextMenu(int index);

    const ChartModel &m_model;
    ChartLegend *m_legend = nullptr;
    QString m_title;
    int m_column = 1;
    int m_shown = 0; // columns the legend was last told of
    int m_highlighted = -1;
    int m_current = -1;

    // The pie as last drawn, the layout it was drawn from, and when to draw it again.
    QImage m_pie;
    PieLayout m_layout;
    bool m_pieStale = true;
    QElapsedTimer m_sincePieDrawn;
    qint64 m_piePauseNs = 0;
    QTimer m_pieTimer;
    QRect m_pieArea;
    QRect m_titleArea;
};
