// Day numbers and times of day: every day of four centuries against an independent day count,
// and the folding of times of day into whole days.
#include <gtest/gtest.h>

#include <cstdint>

#include "world/calendar.h"

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (the well-known era-based count).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

TEST(JulianDay, EveryDayFrom1800To2200RoundTripsAndCountsOnByOne) {
    EXPECT_EQ(world::JulianDay(1, 1, 2000).Value(), 2451544);
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::int32_t previous = 0;
    for (int y = 1800; y <= 2200; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const int days = kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
            for (int d = 1; d <= days; ++d) {
                const world::JulianDay j(m, d, y);
                ASSERT_EQ(j.Value(), DaysFromCivil(y, static_cast<unsigned>(m),
                                                   static_cast<unsigned>(d)) +
                                         2440587)
                    << y << "-" << m << "-" << d;
                if (previous != 0) {
                    ASSERT_EQ(j.Value(), previous + 1);
                }
                previous = j.Value();
                int mm = 0, dd = 0, yy = 0;
                j.ToDate(&mm, &dd, &yy);
                ASSERT_EQ(mm, m) << y << "-" << m << "-" << d;
                ASSERT_EQ(dd, d) << y << "-" << m << "-" << d;
                ASSERT_EQ(yy, y) << y << "-" << m << "-" << d;
            }
        }
    }
}

TEST(TimeOfDayMs, SetAndAddCarryWholeDaysBothWays) {
    world::TimeOfDayMs t;
    EXPECT_EQ(t.Set(25, 0, 0, 0), 1);
    EXPECT_EQ(t.Milliseconds(), 3600000u);
    t.Set(0, 0, 0, 0);
    EXPECT_EQ(t.Add(-1), -1);
    EXPECT_EQ(t.Milliseconds(), 86399999u);
    // A negative total folds forward as Add does.
    EXPECT_EQ(t.Set(-1, 0, 0, 0), -1);
    EXPECT_EQ(t.Milliseconds(), 82800000u);
    EXPECT_EQ(t.Set(0, 0, 0, -86400001), -2);
    EXPECT_EQ(t.Milliseconds(), 86399999u);
    EXPECT_EQ(t.Add(2 * 86400000LL + 1), 3);
    EXPECT_EQ(t.Milliseconds(), 0u);
    t.Set(13, 24, 35, 467);
    std::int32_t h = -1, m = -1, s = -1, ms = -1;
    t.Get(&h, &m, &s, &ms);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(m, 24);
    EXPECT_EQ(s, 35);
    EXPECT_EQ(ms, 467);
    t.Get(nullptr, nullptr, nullptr, nullptr);  // nothing to write
    t.Get(nullptr, &m, nullptr, nullptr);
    EXPECT_EQ(m, 24);
}

}  // namespace
