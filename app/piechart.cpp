#include "app/piechart.h"

#include "app/chartlook.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QClipboard>
#include <QPieSeries>

namespace {

[[noreturn]] void invalidValue()
{
    throw RuntimeError(RuntimeErrorNumber::InvalidPropertyValue,
                       QStringLiteral("Invalid property value"));
}

} // namespace

PieChart::PieChart(QWidget *parent) : QChartView(parent), m_series(new QPieSeries)
{
    chart()->addSeries(m_series);
    setupChartLook(chart());
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
    followPalette();
}

QString PieChart::title() const
{
    return chart()->title();
}

void PieChart::setTitle(const QString &title)
{
    chart()->setTitle(title);
}

void PieChart::setRowCount(int rows)
{
    if (rows < 0)
        invalidValue();
    m_rowCount = rows;
}

int PieChart::columnCount() const
{
    return int(m_series->count());
}

void PieChart::setColumnCount(int columns)
{
    if (columns < 0)
        invalidValue();
    while (m_series->count() > columns) {
        m_series->remove(m_series->slices().constLast());
        m_values.removeLast();
    }
    while (m_series->count() < columns) {
        auto *slice = m_series->append(QString(), 0.0);
        styleSlice(slice, int(m_series->count()) - 1, palette());
        m_values.append(QStringLiteral("0"));
    }
    m_column = std::clamp(m_column, 1, std::max(1, columns));
}

void PieChart::setColumn(int column)
{
    if (column < 1 || column > columnCount())
        invalidValue();
    m_column = column;
}

void PieChart::setColumnLabelCount(int count)
{
    if (count < 0)
        invalidValue();
    m_columnLabelCount = count;
}

QPieSlice *PieChart::currentSlice() const
{
    if (m_column < 1 || m_column > columnCount())
        invalidValue();
    return m_series->slices().at(m_column - 1);
}

QString PieChart::columnLabel() const
{
    return currentSlice()->label();
}

void PieChart::setColumnLabel(const QString &label)
{
    currentSlice()->setLabel(label);
}

QString PieChart::data() const
{
    currentSlice();
    return m_values.at(m_column - 1);
}

void PieChart::setData(const QString &value)
{
    QPieSlice *slice = currentSlice();
    bool isNumber = false;
    const double number = value.trimmed().toDouble(&isNumber);
    if (!isNumber)
        invalidValue();
    // A pie has no room for a negative share; the value's text is still kept as given.
    slice->setValue(std::max(number, 0.0));
    m_values[m_column - 1] = value;
}

QStringList PieChart::columnLabels() const
{
    QStringList labels;
    for (const QPieSlice *slice : m_series->slices())
        labels.append(slice->label());
    return labels;
}

QStringList PieChart::values() const
{
    return m_values;
}

QPixmap PieChart::picture()
{
    return grab();
}

void PieChart::copyPicture()
{
    QApplication::clipboard()->setPixmap(picture());
}

void PieChart::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void PieChart::followPalette()
{
    // The view shows around the chart's own background; both take the same colour.
    setBackgroundBrush(palette().base());
    applyChartPalette(chart(), m_series, palette());
}
