#include "history/historythinning.h"

#include <set>
#include <utility>

std::vector<qint64> looksToThin(const std::vector<HistoryLookTime> &newestFirst, qint64 nowMs,
                                const HistoryBounds &bounds)
{
    std::vector<qint64> thinned;
    // A day and a week with the same number are different periods.
    std::set<std::pair<bool, qint64>> periodsKept;
    int kept = 0;
    for (const HistoryLookTime &look : newestFirst) {
        const qint64 age = nowMs - look.takenMs;
        bool keep = kept < bounds.looksPerFolder;
        if (keep && age >= bounds.everyLookFor) {
            const bool weekly = age >= bounds.dailyFor;
            const qint64 length = weekly ? HistoryBounds::WeekMs : HistoryBounds::DayMs;
            // Floor division: a look from before 1970 still falls in its own period.
            const qint64 period = look.takenMs / length - (look.takenMs % length < 0 ? 1 : 0);
            keep = periodsKept.insert({weekly, period}).second;
        }
        if (keep)
            ++kept;
        else
            thinned.push_back(look.id);
    }
    return thinned;
}
