// Simulated date and time: pauses, acceleration, the calendar, time zones and the "Time"
// section of a situation.
#include <gtest/gtest.h>

#include <string>

#include "core/ini_file.h"
#include "sim/date_time.h"
#include "support/temp_folder.h"

namespace {

std::uint32_t theFakeNow = 5000;
std::uint32_t FakeNow() {
    return theFakeNow;
}

TEST(DateTime, NestedPausesHoldTheClockAndDropThePausedSpan) {
    theFakeNow = 5000;
    sim::DateAndTime t(&FakeNow);
    const std::uint32_t start = t.GetMilliseconds();
    theFakeNow += 100;
    EXPECT_EQ(t.GetMilliseconds(), start + 100);
    t.Pause(1);
    t.Pause(1);
    theFakeNow += 1000;
    t.Pause(0);
    theFakeNow += 1000;
    EXPECT_EQ(t.GetMilliseconds(), start + 100);  // one pause still holds
    t.Pause(0);
    theFakeNow += 50;
    EXPECT_EQ(t.GetMilliseconds(), start + 150);
    // A resume too many does not unbalance later pauses.
    t.Pause(0);
    t.Pause(1);
    theFakeNow += 500;
    EXPECT_EQ(t.GetMilliseconds(), start + 150);
}

TEST(DateTime, FirstReadingDuringAPauseKeepsThePause) {
    theFakeNow = 100;
    sim::DateAndTime t(&FakeNow);
    t.Pause(1);
    const std::uint32_t m = t.GetMilliseconds();
    theFakeNow += 3000;
    EXPECT_EQ(t.GetMilliseconds(), m);
    t.Pause(0);
    theFakeNow += 10;
    EXPECT_EQ(t.GetMilliseconds(), m + 10);
}

TEST(DateTime, AccelerationFactors) {
    const std::uint32_t expected[5] = {1000, 2000, 4000, 8000, 16000};
    for (int index = 0; index < 5; ++index) {
        theFakeNow = 0;
        sim::DateAndTime t(&FakeNow);
        t.SetAcceleration(index);
        const std::uint32_t m = t.GetMilliseconds();
        theFakeNow += 1000;
        EXPECT_EQ(t.GetMilliseconds() - m, expected[index]) << "index " << index;
    }
}

TEST(DateTime, CalendarConversionsHandleCarriesAndTimesBeforeTheEpoch) {
    struct Case {
        std::int64_t seconds;
        int year, mon, mday, hour, min, sec, wday;
    };
    for (const Case c :
         {Case{0, 70, 0, 1, 0, 0, 0, 4}, Case{951782400, 100, 1, 29, 0, 0, 0, 2},
          Case{-1, 69, 11, 31, 23, 59, 59, 3}, Case{-86400LL * 366, 68, 11, 31, 0, 0, 0, 2}}) {
        const sim::CalendarTime t = sim::SecondsToCalendar(c.seconds);
        EXPECT_EQ(t.year, c.year);
        EXPECT_EQ(t.mon, c.mon);
        EXPECT_EQ(t.mday, c.mday);
        EXPECT_EQ(t.hour, c.hour);
        EXPECT_EQ(t.min, c.min);
        EXPECT_EQ(t.sec, c.sec);
        EXPECT_EQ(t.wday, c.wday) << c.seconds;
        EXPECT_EQ(sim::CalendarToSeconds(t), c.seconds);
    }
    sim::CalendarTime carry = sim::SecondsToCalendar(0);
    carry.min = 61;
    carry.mon = 13;  // February of the next year
    EXPECT_EQ(sim::CalendarToSeconds(carry),
              sim::CalendarToSeconds(sim::SecondsToCalendar(34214400LL)) + 3660);
}

TEST(DateTime, ZonesFromPositionAndManualZones) {
    struct Case {
        std::int32_t x;
        int summerZone;  // hours behind UTC while daylight time is in force
    };
    sim::DateAndTime t(&FakeNow);
    // A day of July and one of December 2026: the east-west position picks the zone, and out
    // of daylight time it stands an hour further behind (Eastern Standard Time is UTC-5).
    for (const int month : {6, 11}) {
        sim::CalendarTime day = sim::SecondsToCalendar(0);
        day.year = 126;
        day.mon = month;
        day.mday = 15;
        day.hour = 12;
        t.SetZuluTime(day);
        const int standard = month == 11 ? 1 : 0;
        for (const Case c : {Case{65536000, 5}, Case{65536001, 4}, Case{-589824000, 7},
                             Case{-589823999, 6}, Case{-262144000, 6}, Case{-262143999, 5}}) {
            t.SetAutoZoneFromLongitude(c.x);
            EXPECT_EQ(t.GetAutoZone(), c.summerZone + standard) << c.x << " month " << month;
        }
    }
    t.SetZoneMode(1);
    t.SetManualZone(6);
    t.ApplyZoneMode();
    sim::CalendarTime noon = sim::SecondsToCalendar(0);
    noon.hour = 12;
    t.SetZuluTime(noon);
    EXPECT_EQ(t.FormatZuluTime(), "12:00:00");
    EXPECT_EQ(t.FormatLocalTime(), "06:00:00");
    EXPECT_EQ(t.FormatClockTime(), "06:00:00");
    t.SetZoneMode(0);
    EXPECT_EQ(t.FormatClockTime(), "12:00:00");
    t.SetZoneMode(2);
    t.SetAutoZoneFromLongitude(100000000);  // January 1970: Eastern Standard Time
    EXPECT_EQ(t.GetZone(), 5);
    EXPECT_EQ(t.GetZoneSeconds(), 5 * 3600);
}

TEST(DateTime, TimeSectionRoundTripsAndRefusesGarbage) {
    testsupport::TempFolder dir;
    theFakeNow = 777;
    sim::DateAndTime t(&FakeNow);
    {
        dir.Write("zero.flt", "[Time]\ncur=0\n");
        core::IniFile f(dir.Path("zero.flt").c_str());
        t.LoadTimeSettings(f);
        sim::CalendarTime z;
        t.GetZuluTime(&z);
        EXPECT_EQ(z.year, 70);
        EXPECT_EQ(z.hour, 0);
        EXPECT_EQ(z.min, 0);
    }
    {
        dir.Write("bad.flt",
                  "[Time]\ncur=banana\ntZone=400\ntZoneDiff=7\ntZoneMode=9\ntZoneManual=-99\n");
        core::IniFile f(dir.Path("bad.flt").c_str());
        t.LoadTimeSettings(f);
        EXPECT_EQ(t.GetZone(), 14);
        EXPECT_EQ(t.GetZoneSeconds(), 14 * 3600);
        EXPECT_EQ(t.GetZoneMode(), 0);
        EXPECT_EQ(t.GetManualZone(), -12);
        EXPECT_EQ(t.GetCalendarSeconds(), 0);
    }
    // Numbers beyond any calendar are held to years 0 and 9999; the clock then runs on them.
    for (const char* cur :
         {"9223372036854775807", "99999999999999999999", "-9223372036854775808"}) {
        dir.Write("huge.flt", std::string("[Time]\ncur=") + cur + "\n");
        core::IniFile f(dir.Path("huge.flt").c_str());
        t.LoadTimeSettings(f);
        theFakeNow += 5000;
        sim::CalendarTime z;
        t.GetZuluTime(&z);
        EXPECT_EQ(z.year + 1900, cur[0] == '-' ? 0 : 10000) << cur;
        EXPECT_EQ(z.sec, cur[0] == '-' ? 5 : 4) << cur;
    }
    {
        dir.Write("a.flt", "[Time]\ncur=3000000000\ntZone=5\ntZoneMode=1\ntZoneManual=6\n");
        core::IniFile a(dir.Path("a.flt").c_str());
        t.LoadTimeSettings(a);
        EXPECT_EQ(t.GetCalendarSeconds(), 3000000000LL);  // beyond 2038
        core::IniFile b(dir.Path("b.flt").c_str());
        EXPECT_EQ(t.SaveTimeSettings(b), 1);
        sim::DateAndTime u(&FakeNow);
        u.LoadTimeSettings(b);
        EXPECT_EQ(u.GetCalendarSeconds(), 3000000000LL);
        EXPECT_EQ(u.GetZone(), 5);
        EXPECT_EQ(u.GetZoneMode(), 1);
        EXPECT_EQ(u.GetManualZone(), 6);
    }
}

}  // namespace
