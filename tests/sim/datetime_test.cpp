// Simulated date and time: pauses, acceleration, the calendar, time zones and the "Time"
// section of a situation.
#include <gtest/gtest.h>

#include <string>

#include "core/ini_file.h"
#include "nav/lat_lon.h"
#include "sim/date_time.h"
#include "sim/time_zones.h"
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

// Airports at public coordinates (degrees north, degrees west) and the zone their towns keep:
// its hours behind UTC in January 2026 and whether July's clocks differ.
TEST(DateTime, ZoneOfPlaceFollowsTheBoundariesAPilotMeets) {
    struct Case {
        const char* airport;
        double lat, lon;
        int standard;
        bool daylight;
        const char* name;
    };
    const Case cases[] = {
        {"KBOS", 42.364, 71.005, 5, true, "Eastern"},
        {"KIND", 39.717, 86.294, 5, true, "Eastern"},  // Indiana keeps Eastern time
        {"KSBN", 41.709, 86.317, 5, true, "Eastern"},
        {"KGYY", 41.616, 87.413, 6, true, "Central"},  // by Chicago
        {"KEVV", 38.037, 87.532, 6, true, "Central"},  // by Evansville
        {"KSDF", 38.174, 85.736, 5, true, "Eastern"},
        {"KBWG", 36.964, 86.419, 6, true, "Central"},  // western Kentucky
        {"KTYS", 35.811, 83.994, 5, true, "Eastern"},
        {"KCHA", 35.035, 85.204, 5, true, "Eastern"},
        {"KBNA", 36.124, 86.678, 6, true, "Central"},
        {"KATL", 33.637, 84.428, 5, true, "Eastern"},
        {"KBHM", 33.563, 86.754, 6, true, "Central"},
        {"KTLH", 30.397, 84.351, 5, true, "Eastern"},
        {"KECP", 30.358, 85.796, 6, true, "Central"},  // the Florida panhandle
        {"KAAF", 29.728, 85.029, 5, true, "Eastern"},  // east of the Apalachicola
        {"KCMX", 47.169, 88.489, 5, true, "Eastern"},  // Michigan's Upper Peninsula
        {"KMQT", 46.534, 87.563, 5, true, "Eastern"},
        {"KIMT", 45.818, 88.115, 6, true, "Central"},  // its counties on Wisconsin
        {"KIWD", 46.527, 90.131, 6, true, "Central"},
        {"KESC", 45.723, 87.094, 5, true, "Eastern"},
        {"KHZE", 47.290, 101.581, 6, true, "Central"},  // Mercer County, North Dakota
        {"KRQE", 35.652, 109.067, 7, true, "Mountain"},  // the Navajo Nation
        {"T03", 36.093, 111.383, 7, true, "Mountain"},
        {"KPGA", 36.926, 111.448, 7, false, "Mountain"},  // Page, beside it
        {"KPNS", 30.473, 87.187, 6, true, "Central"},
        {"KORD", 41.979, 87.905, 6, true, "Central"},
        {"KBIS", 46.773, 100.746, 6, true, "Central"},
        {"KDIK", 46.797, 102.802, 7, true, "Mountain"},  // south-west North Dakota
        {"KISN", 48.178, 103.642, 6, true, "Central"},
        {"KPIR", 44.383, 100.286, 6, true, "Central"},
        {"KRAP", 44.045, 103.057, 7, true, "Mountain"},
        {"KLBF", 41.126, 100.684, 6, true, "Central"},
        {"KOGA", 41.120, 101.770, 7, true, "Mountain"},  // western Nebraska
        {"KGLD", 39.371, 101.699, 7, true, "Mountain"},  // western Kansas
        {"KGCK", 37.928, 100.724, 6, true, "Central"},
        {"KAMA", 35.219, 101.706, 6, true, "Central"},
        {"KMAF", 31.943, 102.202, 6, true, "Central"},
        {"KELP", 31.807, 106.378, 7, true, "Mountain"},  // far west Texas
        {"KDEN", 39.862, 104.673, 7, true, "Mountain"},
        {"KABQ", 35.040, 106.609, 7, true, "Mountain"},
        {"KPHX", 33.434, 112.012, 7, false, "Mountain"},  // Arizona: no daylight time
        {"KTUS", 32.116, 110.941, 7, false, "Mountain"},
        {"KGCN", 35.952, 112.147, 7, false, "Mountain"},
        {"KIFP", 35.157, 114.560, 7, false, "Mountain"},  // Bullhead City, on the river
        {"KNYL", 32.656, 114.606, 7, false, "Mountain"},
        {"KLAS", 36.080, 115.152, 8, true, "Pacific"},
        {"KSLC", 40.788, 111.978, 7, true, "Mountain"},
        {"KBOI", 43.564, 116.223, 7, true, "Mountain"},
        {"KONO", 44.020, 117.013, 7, true, "Mountain"},  // Ontario, Oregon
        {"KCOE", 47.774, 116.820, 8, true, "Pacific"},   // northern Idaho
        {"KLWS", 46.375, 117.015, 8, true, "Pacific"},
        {"KMSO", 46.916, 114.091, 7, true, "Mountain"},
        {"KSQL", 37.512, 122.250, 8, true, "Pacific"},
        {"PHNL", 21.318, 157.922, 10, false, "Hawaii-Aleutian"},
        {"PANC", 61.174, 149.996, 9, true, "Alaska"},
        {"TJSJ", 18.439, 66.002, 4, false, "Atlantic"},
        {"CYQR", 50.431, 104.660, 6, false, "Central"},  // Saskatchewan: no daylight time
        {"CYXE", 52.176, 106.700, 6, false, "Central"},
        {"CYLL", 53.309, 110.072, 7, true, "Mountain"},  // Lloydminster keeps Alberta's time
        {"CYWG", 49.910, 97.238, 6, true, "Central"},
        {"CYFO", 54.678, 101.682, 6, true, "Central"},   // Flin Flon, on Manitoba's side
        {"CYQK", 49.788, 94.363, 6, true, "Central"},    // north-western Ontario
        {"CYQT", 48.373, 89.322, 5, true, "Eastern"},
        {"CYAG", 48.654, 93.441, 6, true, "Central"},    // Fort Frances, across from KINL
        {"KINL", 48.566, 93.403, 6, true, "Central"},
        {"CYGP", 48.775, 64.479, 5, true, "Eastern"},    // the Gaspe keeps Quebec's time
        {"CYQM", 46.112, 64.679, 4, true, "Atlantic"},
        {"CYYR", 53.313, 60.427, 4, true, "Atlantic"},
        {"CYPT", 41.781, 82.678, 5, true, "Eastern"},    // Pelee Island, in Lake Erie
        {"KOGS", 44.682, 75.466, 5, true, "Eastern"},    // Ogdensburg, on the St Lawrence
        {"KEPM", 44.910, 67.013, 5, true, "Eastern"},    // Eastport, Maine
        {"MMMX", 19.437, 99.074, 6, false, "Central"},   // Mexico: no daylight time since 2022
        {"MMMY", 25.777, 100.104, 6, false, "Central"},
        {"MMCS", 31.638, 106.427, 7, true, "Mountain"},  // Ciudad Juarez keeps El Paso's time
        {"MMRX", 26.009, 98.229, 6, true, "Central"},    // Reynosa, on the border
        {"KBRO", 25.907, 97.426, 6, true, "Central"},
        {"MMTJ", 32.541, 116.970, 8, true, "Pacific"},
        {"MMHO", 29.093, 111.053, 7, false, "Mountain"},
        {"MMSD", 23.152, 109.721, 7, false, "Mountain"},
        {"MMPR", 20.680, 105.254, 6, false, "Central"},  // Puerto Vallarta, Jalisco
        {"MMEP", 21.420, 104.843, 7, false, "Mountain"}, // Tepic, Nayarit
        {"MMUN", 21.037, 86.877, 5, false, "Eastern"},   // Quintana Roo
        {"MMMD", 20.934, 89.645, 6, false, "Central"},
        {"MDSD", 18.430, 69.669, 4, false, "Atlantic"},
        {"MTPP", 18.580, 72.293, 5, true, "Eastern"},
        {"MKJP", 17.936, 76.788, 5, false, "Eastern"},
        {"MUHA", 22.989, 82.409, 5, true, "Cuba"},
        {"MYNN", 25.041, 77.464, 5, true, "Eastern"},
        {"MBPV", 21.774, 72.266, 5, true, "Eastern"},
        {"TXKF", 32.364, 64.679, 4, true, "Atlantic"},
        {"TNCM", 18.041, 63.109, 4, false, "Atlantic"},
        {"MZBZ", 17.539, 88.308, 6, false, "Central"},
    };
    const std::int64_t january = 1768478400, july = 1784116800;  // 2026-01-15, 2026-07-15 12:00 UTC
    for (const Case& c : cases) {
        const sim::PlaceZone z = sim::ZoneOfPlace(c.lat, c.lon);
        const sim::ZoneMoment winter = sim::ZoneAt(z, january), summer = sim::ZoneAt(z, july);
        EXPECT_EQ(winter.secondsBehind, c.standard * 3600) << c.airport << " " << z.id;
        EXPECT_FALSE(winter.daylight) << c.airport;
        EXPECT_EQ(summer.daylight, c.daylight) << c.airport << " " << z.id;
        EXPECT_EQ(summer.secondsBehind, (c.standard - (c.daylight ? 1 : 0)) * 3600) << c.airport;
        EXPECT_STREQ(z.name, c.name) << c.airport;
    }
    // The rules of the date: Mexico City kept daylight time until October 2022, Cancun moved
    // to Eastern time in February 2015.
    const sim::PlaceZone mexico = sim::ZoneOfPlace(19.437, 99.074), cancun = sim::ZoneOfPlace(21.037, 86.877);
    EXPECT_EQ(sim::ZoneAt(mexico, 1626350400).secondsBehind, 5 * 3600);  // 2021-07-15
    EXPECT_EQ(sim::ZoneAt(cancun, 1389787200).secondsBehind, 6 * 3600);  // 2014-01-15
}

TEST(DateTime, ZonesFromPositionAndManualZones) {
    sim::DateAndTime t(&FakeNow);
    // A day of July and one of December 2026: out of daylight time a place that keeps it stands
    // an hour further behind; Phoenix stays on standard time.
    struct Case {
        const char* airport;
        double lat, lon;
        int july, december;
        const char* julyName;
    };
    const Case cases[] = {{"KBOS", 42.364, 71.005, 4, 5, "Eastern Daylight Time"},
                          {"KPHX", 33.434, 112.012, 7, 7, "Mountain Standard Time"},
                          {"KDEN", 39.862, 104.673, 6, 7, "Mountain Daylight Time"}};
    for (const int month : {6, 11}) {
        sim::CalendarTime day = sim::SecondsToCalendar(0);
        day.year = 126;
        day.mon = month;
        day.mday = 15;
        day.hour = 12;
        t.SetZuluTime(day);
        for (const Case& c : cases) {
            std::int32_t x = 0;
            std::int32_t z = 0;
            nav::LatLonToWorld(&x, &z, c.lat, c.lon);
            t.SetAutoZoneFromPosition(x, z);
            EXPECT_EQ(t.GetAutoZone(), month == 6 ? c.july : c.december) << c.airport;
            if (month == 6) {
                EXPECT_EQ(t.GetAutoZoneName(), c.julyName) << c.airport;
            }
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
    std::int32_t x = 0;
    std::int32_t z = 0;
    nav::LatLonToWorld(&x, &z, 42.364, 71.005);
    t.SetAutoZoneFromPosition(x, z);  // January 1970 in Boston: Eastern Standard Time
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
