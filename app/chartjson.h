#pragma once

#include <QByteArray>

class ChartModel;

// The chart as a JSON document in UTF-8, keys in this order, two-space indent, ending in a
// newline:
//   {"folder": "...", "subfolders": [{"name": "...", "path": "...", "size": 123}, ...],
//    "total": 123}
// Names are as the side text names them, paths in full; sizes are whole bytes written as
// integers, never in floating point.
QByteArray chartJson(const ChartModel &model);
