#include "app/chartdata.h"

#include <algorithm>
#include <cmath>

void ChartData::resize(int count)
{
    count = std::max(count, 0);
    while (int(m_slices.size()) > count) {
        m_total -= m_slices.back().value;
        m_slices.pop_back();
    }
    if (m_slices.empty())
        m_total = 0; // no rounding left over from the values taken away
    m_slices.resize(std::size_t(count));
}

void ChartData::append(const QString &label, const QString &valueText)
{
    m_slices.emplace_back();
    setLabel(count() - 1, label);
    setValue(count() - 1, valueText);
}

void ChartData::setLabel(int index, const QString &label)
{
    m_slices.at(std::size_t(index)).label = label;
}

bool ChartData::setValue(int index, const QString &text)
{
    Slice &slice = m_slices.at(std::size_t(index));
    bool isNumber = false;
    const double number = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(number))
        return false;
    // A pie has no room for a negative share; the text is still kept as given.
    const double value = std::max(number, 0.0);
    m_total = std::max(m_total - slice.value + value, 0.0);
    slice.value = value;
    slice.valueText = text;
    return true;
}

void ChartData::setFolder(int index, const QString &name, const QString &path)
{
    Slice &slice = m_slices.at(std::size_t(index));
    slice.name = name;
    slice.path = path;
}
