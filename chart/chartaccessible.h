#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <vector>

class ChartLegend;
class PieChart;

// What assistive technology sees of the chart: the pie, a chart named by its title, and the
// legend, a list; each has one child per slice shown (sliceaccessible.h), in slice order, and
// the pie has the legend after its slices. The legend has after them one child per row of a
// subfolder gone since the look compared with (goneaccessible.h). Children are made when first
// asked for and kept until the widget goes.
class ChartAccessible : public QAccessibleWidget {
public:
    ChartAccessible(QWidget *widget, QAccessible::Role role, PieChart *chart);
    ~ChartAccessible() override;

    PieChart *chart() const { return m_chart; }
    int slices() const;
    bool hasFocus() const { return widget()->hasFocus(); }
    // Where slice index is shown, in screen coordinates; empty when it is not in view.
    virtual QRect sliceRect(int index) const = 0;
    // Makes index the keys' slice and gives this part of the chart the focus.
    void focusSlice(int index);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    QPointer<PieChart> m_chart;
    mutable std::vector<QAccessible::Id> m_made; // by slice index; 0 where not made yet
};

class PieAccessible : public ChartAccessible {
public:
    explicit PieAccessible(PieChart *chart);
    QRect sliceRect(int index) const override;
    QString text(QAccessible::Text type) const override;
};

class LegendAccessible : public ChartAccessible {
public:
    explicit LegendAccessible(ChartLegend *legend, PieChart *chart);
    ~LegendAccessible() override;

    ChartLegend *legend() const;
    int goneRows() const;
    // Where the legend shows row, in screen coordinates; empty when it is not in view.
    QRect rowRect(int row) const;
    QRect sliceRect(int index) const override { return rowRect(index); }

    // Only the rows: its viewport and scroll bar are the means, not the content.
    int childCount() const override { return slices() + goneRows(); }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    mutable std::vector<QAccessible::Id> m_gone; // by gone row; 0 where not made yet
};

// Makes the chart's widgets known to Qt's accessibility; once per program, from the first
// chart made.
void InstallChartAccessibility();

// Tell assistive technology what changed: the keys' slice moved (announced by the widget
// that has the focus), a slice's name or state changed, the slices were all replaced, the
// rows of gone subfolders changed. Cost
// nothing while no assistive technology listens (Qt passes no event on then, so what they
// say is checked by a real client: tests/atspi).
void AnnounceCurrentSlice(PieChart *chart, int index);
void AnnounceSliceChanged(PieChart *chart, int index, bool added);
void AnnounceSlicesReset(PieChart *chart);
// The legend's rows of gone subfolders came, went or were replaced: those it shows now are
// new. Both events are sent, as Qt's bridges differ in which of them they pass on.
void AnnounceGoneRowsChanged(ChartLegend *legend, int firstRow, int rows);
