#pragma once

#include "chart/chartcomparison.h"
#include "history/historylook.h"

#include <optional>

class ChartModel;

// What a completed chart showed, as the history keeps it; none while a subfolder is not sized
// or did not answer in time (its size would read as a change that never happened).
std::optional<HistoryLook> historyLookOf(const ChartModel &model, bool allocated, qint64 takenMs);

// An earlier look as the chart compares with it.
ChartComparison comparisonOf(const HistoryLook &look);
