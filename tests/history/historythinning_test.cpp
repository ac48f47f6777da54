#include "history/historythinning.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr qint64 Hour = 60 * 60 * 1000;
constexpr qint64 Day = HistoryBounds::DayMs;
// Midnight UTC, so that a day's looks fall in one period.
constexpr qint64 Now = 20000 * Day;

// A look every six hours for `days` days back from Now, newest first.
std::vector<HistoryLookTime> looksEverySixHours(int days)
{
    std::vector<HistoryLookTime> looks;
    for (qint64 i = 0; i < days * 4; ++i)
        looks.push_back({i + 1, Now - i * 6 * Hour, 0});
    return looks;
}

std::vector<qint64> kept(const std::vector<HistoryLookTime> &looks, const HistoryBounds &bounds)
{
    const std::vector<qint64> thinned = looksToThin(looks, Now, bounds);
    std::vector<qint64> ids;
    for (const HistoryLookTime &look : looks)
        if (std::find(thinned.begin(), thinned.end(), look.id) == thinned.end())
            ids.push_back(look.id);
    return ids;
}

} // namespace

TEST(HistoryThinning, EveryLookOfADayThenOneADayThenOneAWeek)
{
    HistoryBounds bounds;
    bounds.looksPerFolder = 1000;
    const std::vector<qint64> ids = kept(looksEverySixHours(70), bounds);
    // The four looks of the last day; the newest of each of the 28 days up to four weeks;
    // past that the newest of each of the 7 weeks (Thursday to Wednesday) that 28 to 70 days
    // back touch.
    ASSERT_GE(ids.size(), 4u);
    EXPECT_EQ(std::vector<qint64>(ids.begin(), ids.begin() + 4), (std::vector<qint64>{1, 2, 3, 4}));
    const auto daily = std::count_if(ids.begin(), ids.end(), [](qint64 id) {
        const qint64 age = (id - 1) * 6 * Hour;
        return age >= Day && age < 4 * HistoryBounds::WeekMs;
    });
    EXPECT_EQ(daily, 28);
    const auto weekly = std::count_if(ids.begin(), ids.end(), [](qint64 id) {
        return (id - 1) * 6 * Hour >= 4 * HistoryBounds::WeekMs;
    });
    EXPECT_EQ(weekly, 7);
    // The day before yesterday keeps its 18:00 look (id 6) and forgets 12:00, 6:00 and 0:00.
    EXPECT_NE(std::find(ids.begin(), ids.end(), 6), ids.end());
    for (const qint64 id : {7, 8, 9})
        EXPECT_EQ(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
}

TEST(HistoryThinning, NeverMoreThanTheLooksOfAFolder)
{
    HistoryBounds bounds;
    bounds.looksPerFolder = 3;
    EXPECT_EQ(kept(looksEverySixHours(2), bounds), (std::vector<qint64>{1, 2, 3}));
    bounds.looksPerFolder = 100;
    EXPECT_EQ(kept(looksEverySixHours(1), bounds).size(), 4u);
}
