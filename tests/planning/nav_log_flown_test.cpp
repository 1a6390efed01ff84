// The navigation log against the leg flown in the running program: a plan between San Carlos
// and Monterey (the installed plan's two airports) with every wind band of every station at 270
// degrees, 30 knots; the log's heading, ground speed and time read from the flight log; then the
// 172's cruise start put over the departure at the plan's altitude in the same wind, the
// autopilot on the log's heading and holding the altitude, and the ground covered measured from
// the saved positions. Flown both ways: a tailwind one way is a headwind the other.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "planning_run.h"

namespace {

using testsupport::SavedValue;

constexpr double kUnitsPerMile = 474112.0;  // flight-model units (1/256 m) a nautical mile
constexpr double kMeasureSeconds = 1200;

struct Point {
    std::string ident;
    std::int32_t x = 0, z = 0;
};

class FlownLeg : public planningtest::ScriptRun, public ::testing::WithParamInterface<bool> {
protected:
    FlownLeg() : ScriptRun("zephlon-flownleg") {}

    // The first and last airports of the installed plan San Carlos to Monterey.
    void ReadAirports(Point* first, Point* last) {
        core::IniFile plan(dir.Path("FlightPlans/KSQLtoKMRY.Pln").c_str());
        const int n = plan.GetInt("Settings", "stCount", 0);
        for (auto [p, i] : {std::pair{first, 0}, std::pair{last, n - 1}}) {
            const std::string k = std::to_string(i);
            p->ident = plan.GetString("Points", ("ptIdent" + k).c_str(), "");
            p->x = plan.GetInt("Points", ("ptX" + k).c_str(), 0);
            p->z = plan.GetInt("Points", ("ptY" + k).c_str(), 0);
        }
    }

    // A two-point plan for the 172 at 4,000 ft and 75 % power, every band from 270 at 30 knots.
    void WritePlan(const Point& from, const Point& to) {
        std::string plan = "[Settings]\nstCount=2\nstAirc=0\nstAlt=4000\nstPower=75\n[Points]\n";
        int i = 0;
        for (const Point* p : {&from, &to}) {
            const std::string n = std::to_string(i++);
            plan += "ptIdent" + n + "=" + p->ident + "\nptType" + n + "=1\nptX" + n + "=" +
                    std::to_string(p->x) + "\nptY" + n + "=" + std::to_string(p->z) + "\n";
        }
        plan += "[Environ]\n";
        for (const char* station : {"enDp", "enEr", "enDs"}) {
            int top = 0;
            for (const char* band : {"Ws", "W1", "W2", "W3"}) {
                const std::string b = std::string(station) + band;
                plan += b + "Base=" + std::to_string(top) + "\n";
                top += 1500;  // metres
                plan +=
                    b + "Top=" + std::to_string(top) + "\n" + b + "Dir=49152\n" + b + "Vel=30\n";
            }
        }
        dir.Write("FlightPlans/Leg.Pln", plan);
    }

    // The 172's cruise start (4,000 ft, cruise power, trimmed) over `from`, nose along the leg,
    // in the wind the plan gives.
    void WriteStart(const Point& from, const Point& to, int* bug) {
        std::string flight = dir.Read("Flights/C172Air.Flt");
        const double course = std::atan2(double(to.x) - from.x, double(to.z) - from.z);
        testsupport::PutSavedValue(flight, "fmPosX", from.x);
        testsupport::PutSavedValue(flight, "fmPosZ", from.z);
        testsupport::PutSavedValue(flight, "fmHead",
                                   std::lround(course / (2 * std::numbers::pi) * 65536.0) & 0xFFFF);
        *bug = static_cast<int>(SavedValue(flight, "nav1HSIbug").value_or(0));
        flight += "[Weather]\nswDir=270\nswSpd=30\nswGustSpd=30\n";
        for (int n = 1; n < 9; ++n) {
            const std::string k = "wa" + std::to_string(n);
            flight += k + "Dir=270\n" + k + "Spd=30\n" + k + "GustSpd=30\n";
        }
        dir.Write("Flights/Startup.Flt", flight);
    }
};

TEST_P(FlownLeg, TheLogsGroundSpeedAndTimeAreFlown) {
    Point from, to;
    ReadAirports(&from, &to);
    ASSERT_EQ(from.ident, "KSQL");
    ASSERT_EQ(to.ident, "KMRY");
    if (GetParam()) std::swap(from, to);
    WritePlan(from, to);

    // The log of the plan opened.
    testsupport::CommandResult r = run.Play(
        "frame-interval 100\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\nset 1120 Leg.Pln\n"
        "click 1\nwait 1000\nmenu 693\ndialog FLIGHTLOG\nread 78\nclick 2\nwait 300\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> leg = planningtest::ListRow(r.out, 78, 0);
    ASSERT_EQ(leg.size(), 14u) << r.out;
    const int heading = std::stoi(leg[1]), groundSpeed = std::stoi(leg[3]);
    const double miles = std::hypot(double(to.x) - from.x, double(to.z) - from.z) / kUnitsPerMile;
    int hours = 0, minutes = 0;
    ASSERT_EQ(std::sscanf(leg[6].c_str(), "%d:%d", &hours, &minutes), 2) << leg[6];
    EXPECT_NEAR(std::stoi(leg[4]), miles, 0.6);

    // The leg flown on the log's heading: the heading bug selected and turned there in steps of
    // ten degrees and of one, the autopilot's master, its heading mode and the altitude hold.
    int bug = 0;
    WriteStart(from, to, &bug);
    const int turn = ((heading - bug) % 360 + 360) % 360;
    std::string script = "frame-interval 1000\nwait 1000\nmenu 687\nwait 1000\nkey Shift+7 press\n";
    for (int i = 0; i < turn / 10; ++i)
        script += "key Shift+= press\n";
    for (int i = 0; i < turn % 10; ++i)
        script += "key Shift+] press\n";
    script += "key Shift+C press\nkey Shift+X press\nkey Shift+Z press\nwait 60000\nsave " +
              dir.Path("a.flt") + "\nwait " +
              std::to_string(static_cast<int>(kMeasureSeconds * 1000)) + "\nsave " +
              dir.Path("b.flt") + "\nquit\n";
    r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string a = dir.Read("a.flt"), b = dir.Read("b.flt");
    ASSERT_EQ(SavedValue(b, "nav1HSIbug"), heading) << r.out;
    const double dx =
        double(SavedValue(b, "fmPosX").value_or(0) - SavedValue(a, "fmPosX").value_or(0));
    const double dz =
        double(SavedValue(b, "fmPosZ").value_or(0) - SavedValue(a, "fmPosZ").value_or(0));
    const double flown = std::hypot(dx, dz) / kUnitsPerMile / kMeasureSeconds * 3600.0;
    // The heading makes good the course: the track within two degrees of it.
    const double track = std::atan2(dx, dz),
                 course = std::atan2(double(to.x) - from.x, double(to.z) - from.z);
    EXPECT_LT(
        std::fabs(std::remainder(track - course, 2 * std::numbers::pi)) * 180 / std::numbers::pi,
        2.0);
    EXPECT_NEAR(groundSpeed, flown, 3.0);
    EXPECT_NEAR(hours * 60 + minutes, miles / flown * 60.0, 1.0);
}

INSTANTIATE_TEST_SUITE_P(BothWays, FlownLeg, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "Northbound" : "Southbound");
});

}  // namespace
