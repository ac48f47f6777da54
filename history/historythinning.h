#pragma once

#include "history/historybounds.h"
#include "history/historylook.h"

#include <vector>

// The looks of one folder and size mode to forget, given all of them newest first: past
// bounds.everyLookFor only the newest look of each day (UTC) stays, past bounds.dailyFor only
// the newest of each week, and never more than bounds.looksPerFolder in all.
std::vector<qint64> looksToThin(const std::vector<HistoryLookTime> &newestFirst, qint64 nowMs,
                                const HistoryBounds &bounds);
