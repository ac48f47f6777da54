#pragma once

#include <QtGlobal>

// How much history is kept. Every look of a folder is kept for a day; older ones are thinned to
// the newest of each day, and past four weeks to the newest of each week; at most
// looksPerFolder looks of a folder (in one size mode) are kept, and the oldest looks of any
// folder go first when the database holds more than maxBytes.
struct HistoryBounds {
    static constexpr qint64 DayMs = 24LL * 60 * 60 * 1000;
    static constexpr qint64 WeekMs = 7 * DayMs;

    int looksPerFolder = 100;
    qint64 maxBytes = 50LL * 1024 * 1024;
    qint64 everyLookFor = DayMs;
    qint64 dailyFor = 4 * WeekMs;
    // How long a write waits for another writer (a second window) before it is given up.
    int otherWriterWaitMs = 5000;
};
