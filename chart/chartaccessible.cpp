#include "chart/chartaccessible.h"

#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/goneaccessible.h"
#include "chart/piechart.h"
#include "chart/sliceaccessible.h"

#include <QScrollBar>

ChartAccessible::ChartAccessible(QWidget *widget, QAccessible::Role role, PieChart *chart)
    : QAccessibleWidget(widget, role), m_chart(chart)
{}

ChartAccessible::~ChartAccessible()
{
    for (const QAccessible::Id id : m_made)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

int ChartAccessible::slices() const
{
    return m_chart ? m_chart->columnCount() : 0;
}

void ChartAccessible::focusSlice(int index)
{
    if (!m_chart)
        return;
    widget()->setFocus(Qt::OtherFocusReason);
    m_chart->setCurrentColumn(index + 1);
}

int ChartAccessible::childCount() const
{
    return slices() + QAccessibleWidget::childCount();
}

QAccessibleInterface *ChartAccessible::child(int index) const
{
    if (index < 0)
        return nullptr;
    if (index >= slices())
        return QAccessibleWidget::child(index - slices());
    if (std::size_t(index) >= m_made.size())
        m_made.resize(std::size_t(index) + 1, 0);
    QAccessible::Id &id = m_made[std::size_t(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(
            new SliceAccessible(const_cast<ChartAccessible *>(this), index));
    return QAccessible::accessibleInterface(id);
}

int ChartAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (child == nullptr)
        return -1;
    if (child->parent() == this && child->object() == nullptr) {
        for (std::size_t i = 0; i < m_made.size() && int(i) < slices(); ++i)
            if (m_made[i] != 0 && QAccessible::accessibleInterface(m_made[i]) == child)
                return int(i);
        return -1;
    }
    const int widgetIndex = QAccessibleWidget::indexOfChild(child);
    return widgetIndex < 0 ? -1 : slices() + widgetIndex;
}

QAccessibleInterface *ChartAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *candidate = child(i);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

QAccessibleInterface *ChartAccessible::focusChild() const
{
    if (!m_chart || !widget()->hasFocus() || m_chart->currentColumn() < 1)
        return nullptr;
    return child(m_chart->currentColumn() - 1);
}

PieAccessible::PieAccessible(PieChart *chart) : ChartAccessible(chart, QAccessible::Chart, chart) {}

QRect PieAccessible::sliceRect(int index) const
{
    const QRect area = chart()->sliceRect(index);
    return area.isEmpty() ? QRect() : QRect(chart()->mapToGlobal(area.topLeft()), area.size());
}

QString PieAccessible::text(QAccessible::Text type) const
{
    QString text = QAccessibleWidget::text(type);
    if (text.isEmpty() && type == QAccessible::Name)
        text = chart()->title();
    else if (text.isEmpty() && type == QAccessible::Description)
        text = chart()->model().folder();
    return text;
}

LegendAccessible::LegendAccessible(ChartLegend *legend, PieChart *chart)
    : ChartAccessible(legend, QAccessible::List, chart)
{}

LegendAccessible::~LegendAccessible()
{
    for (const QAccessible::Id id : m_gone)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

ChartLegend *LegendAccessible::legend() const
{
    return static_cast<ChartLegend *>(widget());
}

int LegendAccessible::goneRows() const
{
    return chart() ? legend()->goneRows() : 0;
}

QRect LegendAccessible::rowRect(int row) const
{
    if (!legend()->isRowVisible(row))
        return {};
    const QRect area = legend()->rowRect(row);
    return QRect(legend()->viewport()->mapToGlobal(area.topLeft()), area.size());
}

QAccessibleInterface *LegendAccessible::child(int index) const
{
    const int gone = index - slices();
    if (gone < 0 || gone >= goneRows())
        return gone < 0 ? ChartAccessible::child(index) : nullptr;
    if (std::size_t(gone) >= m_gone.size())
        m_gone.resize(std::size_t(gone) + 1, 0);
    QAccessible::Id &id = m_gone[std::size_t(gone)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(
            new GoneRowAccessible(const_cast<LegendAccessible *>(this), gone));
    return QAccessible::accessibleInterface(id);
}

int LegendAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (std::size_t i = 0; child != nullptr && i < m_gone.size() && int(i) < goneRows(); ++i)
        if (m_gone[i] != 0 && QAccessible::accessibleInterface(m_gone[i]) == child)
            return slices() + int(i);
    const int index = ChartAccessible::indexOfChild(child);
    return index < slices() ? index : -1;
}

namespace {

QAccessibleInterface *chartFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("PieChart"))
        return new PieAccessible(static_cast<PieChart *>(object));
    if (className == QLatin1String("ChartLegend"))
        if (auto *chart = qobject_cast<PieChart *>(object->parent()))
            return new LegendAccessible(static_cast<ChartLegend *>(object), chart);
    return nullptr;
}

void announce(QObject *target, QAccessible::Event type, int child)
{
    QAccessibleEvent event(target, type);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void InstallChartAccessibility()
{
    static const bool installed = (QAccessible::installFactory(chartFactory), true);
    Q_UNUSED(installed);
}

void AnnounceCurrentSlice(PieChart *chart, int index)
{
    if (!QAccessible::isActive() || index < 0)
        return;
    QWidget *focused = chart->legend()->hasFocus() ? static_cast<QWidget *>(chart->legend())
                                                   : static_cast<QWidget *>(chart);
    if (!focused->hasFocus())
        return;
    announce(focused, QAccessible::Focus, index);
    announce(focused, QAccessible::Selection, index);
}

void AnnounceSliceChanged(PieChart *chart, int index, bool added)
{
    if (!QAccessible::isActive())
        return;
    for (QObject *part : {static_cast<QObject *>(chart), static_cast<QObject *>(chart->legend())}) {
        if (added)
            announce(part, QAccessible::ObjectCreated, index);
        announce(part, QAccessible::NameChanged, index);
        announce(part, QAccessible::DescriptionChanged, index);
        QAccessible::State busy;
        busy.busy = true;
        QAccessibleStateChangeEvent changed(part, busy);
        changed.setChild(index);
        QAccessible::updateAccessibility(&changed);
    }
}

void AnnounceSlicesReset(PieChart *chart)
{
    if (!QAccessible::isActive())
        return;
    for (QObject *part : {static_cast<QObject *>(chart), static_cast<QObject *>(chart->legend())})
        announce(part, QAccessible::ObjectReorder, -1);
}

void AnnounceGoneRowsChanged(ChartLegend *legend, int firstRow, int rows)
{
    if (!QAccessible::isActive())
        return;
    for (int row = firstRow; row < firstRow + rows; ++row)
        announce(legend, QAccessible::ObjectCreated, row);
    announce(legend, QAccessible::ObjectReorder, -1);
}
