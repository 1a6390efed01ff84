// The date and time typed in the Date and Time dialog in automatic local time, across daylight
// time both ways, at places of each of the four zones and on both sides of their departures
// from the plain north-south lines: the clock keeps the time typed (as the place's own clock
// reads it, from the system's time-zone database) and the greyed zone box names the place's
// zone as it stands at the date.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "support/starter_run.h"

namespace {

struct Place {
    const char* airport;
    const char* tz;    // the place's zone in the system's database
    const char* zone;  // its name in the dialog
};

const Place kPlaces[] = {
    {"KSQL", "America/Los_Angeles", "Pacific"},
    {"KDEN", "America/Denver", "Mountain"},
    {"KORD", "America/Chicago", "Central"},
    {"KBOS", "America/New_York", "Eastern"},
    // The zone is the place's, not its longitude band's: Arizona keeps standard time all
    // year, Indiana keeps Eastern time but for its corner by Chicago, and the Florida
    // panhandle west of the Apalachicola River keeps Central time.
    {"KPHX", "America/Phoenix", "Mountain"},
    {"KTUS", "America/Phoenix", "Mountain"},
    {"KIND", "America/Indiana/Indianapolis", "Eastern"},
    {"KSBN", "America/Indiana/Indianapolis", "Eastern"},
    {"KGYY", "America/Chicago", "Central"},
    {"KPNS", "America/Chicago", "Central"},
    {"KTLH", "America/New_York", "Eastern"},
    // Beyond the United States, each by its own rules: Saskatchewan and the Dominican Republic
    // keep standard time all year, Mexico City too since 2022, Quintana Roo Eastern Standard
    // Time; Nova Scotia keeps Atlantic time with daylight time.
    {"CYQR", "America/Regina", "Central"},
    {"MMMX", "America/Mexico_City", "Central"},
    {"MDSD", "America/Santo_Domingo", "Atlantic"},
    {"MMUN", "America/Cancun", "Eastern"},
    {"CYHZ", "America/Halifax", "Atlantic"},
};

// The local time at the place of a moment, from the system's database.
std::tm LocalAt(const char* tz, long long utc) {
    const char* old = std::getenv("TZ");
    const std::string kept = old != nullptr ? old : "";
    setenv("TZ", tz, 1);
    tzset();
    const std::time_t t = static_cast<std::time_t>(utc);
    std::tm local{};
    localtime_r(&t, &local);
    if (old != nullptr)
        setenv("TZ", kept.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    return local;
}

class DateChangeRun : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "the starter installation is not built";
        if (!std::filesystem::exists(std::string("/usr/share/zoneinfo/") + GetParam().tz))
            GTEST_SKIP() << "no time-zone database";
        testsupport::LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
    }
    testsupport::TempFolder dir{"zephlon-date"};
};

struct Typed {
    const char* name;
    int month, day, hour, minute;
    bool inGap = false;  // a time the spring-forward hour skips where clocks spring forward
};

TEST_P(DateChangeRun, KeepsTheTypedTimeAcrossDaylightTime) {
    const Place& p = GetParam();
    // The installation's clock starts in June: winter first, then back to summer, then an
    // evening whose UTC date is the next day's, then 02:30 on the day clocks spring forward
    // in the United States and Canada (8 March 2026), which their clocks read as 03:30.
    const Typed typed[] = {{"winter", 12, 21, 12, 0},
                           {"summer", 6, 21, 12, 0},
                           {"winter-evening", 11, 30, 23, 30},
                           {"spring-gap", 3, 8, 2, 30, true}};
    std::string script =
        "frame-interval 100\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
        std::string(p.airport) +
        ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nclick 1567\n"
        "dialog AIRPORTS_WIZBKGND\nclick 1717\nwait 1000\n";
    for (const Typed& t : typed) {
        script += "menu 309\ndialog TimeDate\nset 1956 \"Automatic Local Time\"\nset 1625 " +
                  std::to_string(t.hour) + "\nset 1748 " + std::to_string(t.minute) +
                  "\nset 1628 0\nset 1634 " + std::to_string(t.month) + "\nset 1636 " +
                  std::to_string(t.day) + "\nset 1638 26\nclick 1\nwait 5000\nsave " +
                  dir.Path(std::string(t.name) + ".flt") +
                  "\nmenu 309\ndialog TimeDate\nread 1957\nclick 2\n";
    }
    dir.Write("script.txt", script + "quit\n");
    const testsupport::CommandResult r =
        testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " +
                                dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;

    std::size_t reading = 0;
    for (const Typed& t : typed) {
        const std::optional<long long> utc =
            testsupport::SavedValue(dir.Read(std::string(t.name) + ".flt"), "cur");
        ASSERT_TRUE(utc.has_value()) << p.airport << " " << t.name;
        // Five seconds after OK the place's clock reads the time typed, five seconds on.
        const std::tm local = LocalAt(p.tz, *utc);
        EXPECT_EQ(local.tm_mon + 1, t.month) << p.airport << " " << t.name;
        EXPECT_EQ(local.tm_mday, t.day) << p.airport << " " << t.name;
        EXPECT_EQ(local.tm_hour, t.hour + (t.inGap && local.tm_isdst > 0 ? 1 : 0))
            << p.airport << " " << t.name;
        EXPECT_EQ(local.tm_min, t.minute) << p.airport << " " << t.name;
        EXPECT_NEAR(local.tm_sec, 5, 1) << p.airport << " " << t.name;
        // The dialog opened at that date names the place's zone as it stands then.
        const std::string name =
            std::string(p.zone) + (local.tm_isdst > 0 ? " Daylight Time" : " Standard Time");
        reading = r.out.find("read 1957 ComboBox \"", reading);
        ASSERT_NE(reading, std::string::npos) << p.airport << " " << t.name;
        reading += 20;
        EXPECT_EQ(r.out.substr(reading, r.out.find('"', reading) - reading), name)
            << p.airport << " " << t.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Places, DateChangeRun, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return std::string(info.param.airport); });

}  // namespace
