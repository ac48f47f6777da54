#pragma once

#include <QByteArray>
#include <QList>

class ChartModel;

// What the JSON tells beyond the chart itself.
struct ChartJsonExtras {
    qint64 files = 0;          // bytes of the files lying directly in the folder
    QList<quint64> unreadable; // per subfolder, in chart order: folders that could not be read
};

// The chart as a JSON document in UTF-8, keys in this order, two-space indent, ending in a
// newline:
//   {"folder": "...", "subfolders": [{"name": "...", "path": "...", "size": 123,
//    "unreadable": 0}, ...], "total": 123, "files": 45, "unreadable": 0}
// Names are as the side text names them, paths in full; sizes are whole bytes written as
// integers, never in floating point. "total" sums the subfolders only; "files" is what lies
// beside them, and the top "unreadable" sums the subfolders' counts.
//
// When the model is compared with an earlier look (--compare), each subfolder also has
// "before" (its size then, null for a new one) and "change" (the difference, its whole size
// for a new one), and after the top "unreadable" come "compared" (when the look was taken,
// "2026-12-05T10:00:00Z") and "gone": [{"name": "...", "path": "...", "before": 123}, ...].
// Without a comparison not a byte differs.
QByteArray chartJson(const ChartModel &model, const ChartJsonExtras &extras = {});
