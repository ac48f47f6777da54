#include "chart/chartmodel.h"

#include <limits>

ChartModel::ChartModel(QObject *parent) : QObject(parent) {}

void ChartModel::reset(quint64 generation, const QString &folder, QList<Subfolder> subfolders)
{
    m_generation = generation;
    m_folder = folder;
    m_subfolders = std::move(subfolders);
    m_shown = 0;
    m_done = 0;
    m_total = 0;
    for (int i = 0; i < count(); ++i) {
        Subfolder &subfolder = m_subfolders[i];
        if (subfolder.state != State::Waiting)
            m_shown = i + 1;
        if (subfolder.state == State::Done) {
            ++m_done;
            if (__builtin_add_overflow(m_total, subfolder.bytes, &m_total))
                m_total = std::numeric_limits<qint64>::max();
        } else {
            subfolder.bytes = 0;
            subfolder.notAnswering = false;
            subfolder.unreadable = 0;
        }
    }
    emit modelReset();
}

void ChartModel::leaveWaiting(int index)
{
    m_shown = std::max(m_shown, index + 1);
}

void ChartModel::setSizing(int index)
{
    Subfolder &subfolder = m_subfolders[index];
    if (subfolder.state != State::Waiting)
        return;
    subfolder.state = State::Sizing;
    leaveWaiting(index);
    emit subfolderChanged(index);
}

void ChartModel::setDone(int index, qint64 bytes, bool notAnswering, quint64 unreadable)
{
    Subfolder &subfolder = m_subfolders[index];
    if (subfolder.state == State::Done)
        return;
    subfolder.state = State::Done;
    subfolder.bytes = bytes;
    subfolder.notAnswering = notAnswering;
    subfolder.unreadable = unreadable;
    ++m_done;
    if (__builtin_add_overflow(m_total, bytes, &m_total))
        m_total = std::numeric_limits<qint64>::max();
    leaveWaiting(index);
    emit subfolderChanged(index);
}

void ChartModel::setComparison(ChartComparison comparison)
{
    if (!comparison.isSet() && !m_comparison.isSet())
        return;
    m_comparison = std::move(comparison);
    emit comparisonChanged();
}
