#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// An earlier look at the charted folder that the chart is compared with: when it was taken
// and what each subfolder held then. Empty: no comparison.
class ChartComparison {
public:
    struct Subfolder {
        QString name;    // as the chart named it then
        QByteArray path; // the file system's bytes
        qint64 bytes = 0;
    };

    ChartComparison() = default;
    ChartComparison(QDateTime when, QList<Subfolder> subfolders);

    bool isSet() const { return m_when.isValid(); }
    QDateTime when() const { return m_when; }
    const QList<Subfolder> &subfolders() const { return m_subfolders; }
    // What path held then; none when it was not there.
    std::optional<qint64> bytesBefore(const QByteArray &path) const;

private:
    QDateTime m_when;
    QList<Subfolder> m_subfolders;
    QHash<QByteArray, qint64> m_bytesByPath;
};
