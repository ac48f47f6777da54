#pragma once

#include <QString>

class ChartModel;

// What hovering a slice or its legend row tells: the subfolder's whole name, its size text,
// the exact byte count and its share of the folder's total, e.g.
//   Music
//   1.50 GB (1,610,612,736 bytes)
//   37.5% of the total
// A slice still being measured says so instead of a size, and one that did not answer in time
// says so beside what could be read; with a total of 0 every share is 0%, and a share that
// would round to 0.0% reads "less than 0.1%".
QString SliceToolTip(const ChartModel &model, int index);
