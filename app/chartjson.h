#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One subfolder of a chart as the JSON output lists it.
struct ChartJsonEntry {
    QString name; // as the side text names it
    QString path; // the subfolder's full path
    qint64 size = 0;
};

// The chart of `folder` as a JSON document in UTF-8, keys in this order, two-space indent,
// ending in a newline:
//   {"folder": "...", "subfolders": [{"name": "...", "path": "...", "size": 123}, ...],
//    "total": 123}
// Sizes are whole bytes written as integers, never in floating point.
QByteArray chartJson(const QString &folder, const QList<ChartJsonEntry> &entries);
