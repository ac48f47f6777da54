#include "chart/chartcomparison.h"

ChartComparison::ChartComparison(QDateTime when, QList<Subfolder> subfolders)
    : m_when(std::move(when)), m_subfolders(std::move(subfolders))
{
    m_bytesByPath.reserve(m_subfolders.size());
    for (const Subfolder &subfolder : m_subfolders)
        m_bytesByPath.insert(subfolder.path, subfolder.bytes);
}

std::optional<qint64> ChartComparison::bytesBefore(const QByteArray &path) const
{
    const auto found = m_bytesByPath.constFind(path);
    if (found == m_bytesByPath.constEnd())
        return std::nullopt;
    return *found;
}
