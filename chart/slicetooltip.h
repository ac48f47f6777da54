#pragma once

#include "chart/chartcomparison.h"

#include <QString>

class ChartModel;

// What hovering a slice or its legend row tells: the subfolder's whole name, its size text,
// the exact byte count and its share of the folder's total, e.g.
//   Music
//   1.50 GB (1,610,612,736 bytes)
//   37.5% of the total
// A slice still being measured says so instead of a size, and one that did not answer in time
// says so beside what could be read; with a total of 0 every share is 0%, and a share that
// would round to 0.0% reads "less than 0.1%". When the chart is compared with an earlier look,
// a last line says the change since ("+1.50 KB since 3 Dec", "new").
QString SliceToolTip(const ChartModel &model, int index);

// What hovering the legend row of a subfolder gone since the look compared with tells: its
// name, "gone since 3 Dec", and its size then with the exact byte count.
QString GoneToolTip(const ChartComparison &comparison, const ChartComparison::Subfolder &gone);
