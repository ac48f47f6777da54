#pragma once

#include "app/chartdata.h"
#include "app/pielayout.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class ChartLegend;

// The chart control of the main window: one data row shown as a pie, one slice per column,
// the column labels listed in the legend beside the pie. Columns are numbered from 1, and a
// label or value is written to the current column, as the chart workflow drives it.
// A value that cannot be taken (a column outside the chart, a count below zero, a value that
// is not a number) throws RuntimeError 380 and changes nothing.
//
// Every operation costs the same however many columns there are: a label repaints only its
// legend row, and the pie, whose every angle moves with each new value, is drawn again at
// most as often as keeps its drawing to a small share of the time (see refreshPie).
// Hovering a slice or legend row highlights the slice and shows its details; double-clicking
// one raises columnActivated.
class PieChart : public QWidget {
    Q_OBJECT

public:
    explicit PieChart(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &title);

    int rowCount() const { return m_rowCount; }
    void setRowCount(int rows);
    // Raising it adds columns with an empty label and the value 0; lowering it drops the
    // columns above.
    int columnCount() const { return m_data.count(); }
    void setColumnCount(int columns);
    int column() const { return m_column; }
    // The legend keeps the current column in view unless the user scrolled away from it.
    void setColumn(int column);
    int columnLabelCount() const { return m_columnLabelCount; }
    void setColumnLabelCount(int count);

    // Label and value of the current column. The value is decimal text.
    QString columnLabel() const;
    void setColumnLabel(const QString &label);
    QString data() const;
    void setData(const QString &value);
    // The subfolder behind the current column: its whole name for the details shown on
    // hover, its path for columnActivated's receiver.
    void setColumnFolder(const QString &name, const QString &path);
    QString columnPath(int column) const;

    QStringList columnLabels() const;
    QStringList values() const;
    const ChartData &chartData() const { return m_data; }
    ChartLegend *legend() const { return m_legend; }
    // The column whose slice is highlighted; 0 for none.
    int highlightedColumn() const { return m_highlighted + 1; }

    // The picture of the exports: ChartPicture of the columns at the chart's size at least,
    // larger when the legend needs room to name every slice. Needs no shown window.
    QPixmap picture() const;
    // Places picture() on the clipboard.
    void copyPicture() const;

signals:
    void columnActivated(int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    int current() const;
    void pieChanged();
    void refreshPie();
    void layOut();
    QRectF pieSquare() const;
    int sliceAt(QPointF point) const;
    void setHighlighted(int index);

    ChartData m_data;
    ChartLegend *m_legend = nullptr;
    QString m_title;
    int m_rowCount = 1;
    int m_column = 1;
    int m_columnLabelCount = 1;
    int m_highlighted = -1;

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
