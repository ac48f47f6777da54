#pragma once

#include <QChartView>
#include <QPixmap>
#include <QStringList>

class QPieSeries;
class QPieSlice;

// The chart control of the main window: one data row shown as a pie, one slice per column,
// the column labels listed in the legend beside the pie. Columns are numbered from 1, and a
// label or value is written to the current column, as the chart workflow drives it.
// A value that cannot be taken (a column outside the chart, a count below zero, a value that
// is not a number) throws RuntimeError 380 and changes nothing.
class PieChart : public QChartView {
    Q_OBJECT

public:
    explicit PieChart(QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);

    int rowCount() const { return m_rowCount; }
    void setRowCount(int rows);
    // Raising it adds columns with an empty label and the value 0; lowering it drops the
    // columns above.
    int columnCount() const;
    void setColumnCount(int columns);
    int column() const { return m_column; }
    void setColumn(int column);
    int columnLabelCount() const { return m_columnLabelCount; }
    void setColumnLabelCount(int count);

    // Label and value of the current column. The value is decimal text.
    QString columnLabel() const;
    void setColumnLabel(const QString &label);
    QString data() const;
    void setData(const QString &value);

    QStringList columnLabels() const;
    QStringList values() const;

    // What the chart shows now, at its current size, also while it is hidden.
    QPixmap picture();
    // Places picture() on the clipboard.
    void copyPicture();

protected:
    void changeEvent(QEvent *event) override;

private:
    QPieSlice *currentSlice() const;
    void followPalette();

    QPieSeries *m_series = nullptr;
    QStringList m_values;
    int m_rowCount = 1;
    int m_column = 1;
    int m_columnLabelCount = 1;
};
