// Every type flown by its pilot in the starter installation, from its ready-to-fly flight with
// the take-off trim it ships: full power, the keyboard's pull at the rotation speed lets the wheels
// leave the runway, the autopilot holds the climb attitude, the altitude hold takes the cruise
// height and the throttle comes back to cruise power.
// What the pilot reads is checked against the aircraft's real motion and the published figures:
// the lift-off speed against the handbook's rotation speed, the cruise speed against the cruise
// table at the fuel flow burnt, and the airspeed needle in the screenshot and the status readout
// against the true airspeed from the saved positions and the standard atmosphere's density.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cockpit/gauge_values.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_layouts.h"
#include "core/ini_file.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"
#include "support/dial_reading.h"
#include "support/flight_track.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

using testsupport::IndicatedForTrue;
using testsupport::kKnotsPerMetrePerSecond;
using testsupport::Reported;
using testsupport::ReportedPlace;
using testsupport::ScenePlace;
using testsupport::SpeedAt;

constexpr int kWidth = 640, kHeight = 480;

struct SavedFlight {
    double x = 0, y = 0, z = 0;  // metres
    double fuelKg = 0;
};

SavedFlight ReadSaved(const std::string& path) {
    core::IniFile f(path.c_str());
    SavedFlight s;
    s.x = f.GetInt("Aircraft", "fmPosX", 0) / 256.0;
    s.y = f.GetInt("Aircraft", "fmPosY", 0) / 256.0;
    s.z = f.GetInt("Aircraft", "fmPosZ", 0) / 256.0;
    s.fuelKg = (f.GetInt("Aircraft", "fmFuel1", 0) + f.GetInt("Aircraft", "fmFuel2", 0)) / 256.0;
    return s;
}

// The true airspeed between two saved positions in calm air.
double TrueKnotsBetween(const SavedFlight& a, const SavedFlight& b, double seconds) {
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) +
                     (b.z - a.z) * (b.z - a.z)) /
           seconds * kKnotsPerMetrePerSecond;
}

// The indicated airspeed the type's dial shows at a needle angle, by its graduation.
std::optional<double> DialKnots(int type, double degrees) {
    return testsupport::DialValue(
        degrees,
        [type](double knots) {
            return cockpit::AirspeedFrame(type, flight::AirspeedWordFromKnots(knots));
        },
        0.0, 400.0, 0.1);
}

// The airspeed dial's pivot in the full panel view.
cockpit::IntPoint AirspeedPivot(int type) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == &cockpit::theAirspeedIndicator)
            return {rows[i].x, rows[i].y + cockpit::PanelOffsetFor(type, 0)};
    return {-1, -1};
}

int EngineCount(int type) {
    return type >= 2 ? 2 : 1;
}

// The published true airspeed at a height and a fuel flow (kg/h per engine): within each
// altitude row of the cruise table the speed is interpolated on the fuel flow (a flow up to half a
// column beyond the table's ends is extrapolated), then between the rows on the height.
std::optional<double> PublishedTrueKnots(int type, double feet, double kgPerHourPerEngine) {
    std::map<int, std::vector<flight::CruisePoint>> rows;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        rows[p.altitudeFeet].push_back(p);
    auto atRow = [&](const std::vector<flight::CruisePoint>& row) -> std::optional<double> {
        std::vector<std::pair<double, double>> byFlow;
        for (const flight::CruisePoint& p : row)
            byFlow.emplace_back(flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow),
                                p.trueAirspeedKnots);
        std::sort(byFlow.begin(), byFlow.end());
        for (std::size_t i = 0; i + 1 < byFlow.size(); ++i) {
            const auto [f0, v0] = byFlow[i];
            const auto [f1, v1] = byFlow[i + 1];
            const double gap = f1 - f0;
            const bool first = i == 0, last = i + 2 == byFlow.size();
            if ((kgPerHourPerEngine >= f0 || (first && kgPerHourPerEngine >= f0 - gap / 2)) &&
                (kgPerHourPerEngine <= f1 || (last && kgPerHourPerEngine <= f1 + gap / 2)))
                return v0 + (v1 - v0) * (kgPerHourPerEngine - f0) / gap;
        }
        return std::nullopt;
    };
    auto above = rows.lower_bound(static_cast<int>(std::ceil(feet)));
    if (above == rows.end()) return std::nullopt;
    if (above->first == feet || above == rows.begin()) {
        if (above->first != feet) return std::nullopt;
        return atRow(above->second);
    }
    const auto below = std::prev(above);
    const std::optional<double> a = atRow(below->second), b = atRow(above->second);
    if (!a || !b) return std::nullopt;
    return *a + (*b - *a) * (feet - below->first) / (above->first - below->first);
}

// The throttle lever (0..31) nearest the fuel flow half way between the table's two highest
// powers at the cruise height: the power the pilot sets.
int CruiseLever(int type, double feet) {
    std::vector<flight::CruisePoint> row;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        if (p.altitudeFeet == static_cast<int>(feet)) row.push_back(p);
    std::sort(row.begin(), row.end(),
              [](const auto& a, const auto& b) { return a.powerPercent < b.powerPercent; });
    const double flow =
        0.5 * (flight::ProbeTableFuelToKgPerHourPerEngine(type, row.end()[-1].fuelFlow) +
               flight::ProbeTableFuelToKgPerHourPerEngine(type, row.end()[-2].fuelFlow));
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(feet, 150);
    return std::clamp(
        static_cast<int>(std::lround(flight::ProbeThrottleForFuelFlow(flow) / 1057.0)), 0, 31);
}

// Each type's ready-to-fly flight, which ships with its take-off trim set,
// and the cruise table's height the climb ends at.
struct Pilot {
    int type;
    const char* flight;
    double cruiseFeet;
};

class FlightFigures : public ::testing::TestWithParam<Pilot> {
protected:
    // The README's keyboard take-off: Down held until it stops moving the elevator (1.3 s) at the
    // rotation speed; the CitationJet's finer steps take four such holds, begun at 80 knots.
    static int Holds(int type) { return type == 4 ? 4 : 1; }
    static double PullFromKnots(int type, double rotation) { return type == 4 ? 80.0 : rotation; }
    // The key lines of the pull, `atMs` into the flight.
    static std::string PullKeys(int type, int ms, int atMs) {
        std::string keys;
        for (int h = 0; h < Holds(type); ++h) {
            if (ms == atMs + 1500 * h) keys += "key Down down\n";
            if (ms == atMs + 1500 * h + 1250) keys += "key Down up\n";
        }
        return keys;
    }
    // The flight from the restart (the ready-to-fly flight loaded with its engines running) to
    // the brakes' release at full power; a screenshot of the dial at rest.
    std::string TakeOffStart() const {
        return "frame-interval 250\nwait 1000\nmenu 687\nwait 2000\nscreenshot " +
               run.Dir().Path("rest.bmp") + "\nreport alt_ft\nkey Backspace press\nkey B press\n";
    }
    // After the lift-off (`afterMs` on) the autopilot holds the climb attitude and the runway's
    // heading (the heading bug's), and the gear comes up.
    std::string Climb(int afterMs) const {
        return "wait " + std::to_string(afterMs + 2000) +
               "\nkey Shift+C press\nkey Shift+X press\nwait 2000\nkey G press\n"
               "frame-interval 5000\n";
    }
    testsupport::CommandResult Play(const std::string& script) const {
        auto r = run.Play(script + "quit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        return r;
    }
    StarterRun run{"zephlon-figures"};
};

TEST_P(FlightFigures, TakeOffClimbAndCruiseAgreeWithTheMotionAndThePublishedFigures) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Pilot& p = GetParam();
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(p.type);
    run.Dir().Write("Flights/Startup.Flt", run.Dir().Read(std::string("Flights/") + p.flight));

    // The take-off roll, the aircraft's place reported every quarter second. Positions move in
    // whole flight steps, so a speed is the slope of a parabola fitted to the distance run over
    // the three seconds either side. Hands off first, for the time the rotation speed comes; then
    // the README's keyboard take-off: Down held a second and a half at that speed and let go. The
    // first report above the runway is the lift-off.
    auto roll = [&](int pullMs, std::vector<ScenePlace>& places, int& liftOff) {
        std::string script = TakeOffStart();
        for (int i = 1; i <= 240; ++i) {
            script += "wait 250\n";
            if (pullMs >= 0) script += PullKeys(p.type, i * 250, pullMs);
            script += "report ac_x ac_y ac_z alt_ft\n";
        }
        auto r = Play(script);
        const double field = Reported(r.out, "alt_ft");
        places.clear();
        liftOff = -1;
        for (std::size_t at = r.out.find("report ac_x"); at != std::string::npos;
             at = r.out.find("report ac_x", at + 1)) {
            places.push_back(ReportedPlace(r.out, at));
            if (liftOff < 0 && Reported(r.out, "alt_ft", at) > field + 0.1)
                liftOff = static_cast<int>(places.size()) - 1;
        }
        return field;
    };
    std::vector<ScenePlace> places;
    int liftOff = -1;
    double field = roll(-1, places, liftOff);
    std::size_t rotate = 12;
    const double pullFrom = PullFromKnots(p.type, pub.rotationKnots);
    while (rotate + 12 < places.size() &&
           IndicatedForTrue(SpeedAt(places, rotate, 12, 0.25), field) < pullFrom)
        ++rotate;
    ASSERT_LT(rotate + 12, places.size()) << "never reached the rotation speed";
    const int pullMs = static_cast<int>(rotate + 1) * 250;
    const int pulledMs = 1500 * (Holds(p.type) - 1) + 1250;  // the last hold let go
    field = roll(pullMs, places, liftOff);
    ASSERT_GT(liftOff, 12) << "never left the ground, or at once";
    ASSERT_LT(liftOff + 12, static_cast<int>(places.size()));
    const int liftOffMs = (liftOff + 1) * 250;
    ASSERT_GE(liftOffMs, pullMs + 1250) << "lifted off before the first hold ended";
    const double liftOffKnots =
        IndicatedForTrue(SpeedAt(places, static_cast<std::size_t>(liftOff), 12, 0.25), field);
    std::string takeOff = TakeOffStart() + "wait " + std::to_string(pullMs) + "\n";
    for (int h = 0; h < Holds(p.type); ++h)
        takeOff +=
            std::string(h > 0 ? "wait 250\n" : "") + "key Down down\nwait 1250\nkey Down up\n";
    // The pull lifts the wheels a little after the rotation speed.
    EXPECT_GE(liftOffKnots, pub.rotationKnots - 10.0) << "lift-off, knots indicated";
    EXPECT_LE(liftOffKnots, pub.rotationKnots + 21.0) << "lift-off, knots indicated";

    // The climb, its height every five seconds: the time the cruise height is reached.
    std::string script = takeOff + Climb(std::max(0, liftOffMs - pullMs - pulledMs));
    for (int i = 1; i <= 180; ++i)
        script += "wait 5000\nreport alt_ft\n";
    auto r = Play(script);
    int levelMs = -1;
    std::size_t at = r.out.find("report alt_ft");  // the start's
    for (int i = 1; i <= 180 && levelMs < 0; ++i) {
        at = r.out.find("report alt_ft", at + 1);
        ASSERT_NE(at, std::string::npos) << r.out;
        if (Reported(r.out, "alt_ft", at) >= p.cruiseFeet - 30) levelMs = i * 5000;
    }
    ASSERT_GT(levelMs, 0) << "the climb did not reach " << p.cruiseFeet << " ft";

    // The whole flight: level at the cruise height, cruise power, four minutes to settle, then
    // the dial photographed and a minute of cruise between two saved flights.
    const int lever = CruiseLever(p.type, p.cruiseFeet);
    script = takeOff + Climb(std::max(0, liftOffMs - pullMs - pulledMs)) + "wait " +
             std::to_string(levelMs) + "\nframe-interval 1000\nkey Shift+Z press\n";
    for (int i = lever; i < 31; ++i)
        script += "key - press\n";
    script += "wait 240000\nscreenshot " + run.Dir().Path("cruise.bmp") +
              "\nreport readout_ias alt_ft\nsave " + run.Dir().Path("cruise1.flt") +
              "\nwait 60000\nsave " + run.Dir().Path("cruise2.flt") + "\nreport alt_ft\n";
    r = Play(script);
    const std::size_t cruiseReport = r.out.find("report readout_ias");
    ASSERT_NE(cruiseReport, std::string::npos) << r.out;
    const double feet = Reported(r.out, "alt_ft", cruiseReport);
    const double feetAfter = Reported(r.out, "alt_ft", cruiseReport + 1);
    EXPECT_NEAR(feetAfter, feet, 100.0) << "the altitude hold lost the cruise height";
    const SavedFlight a = ReadSaved(run.Dir().Path("cruise1.flt"));
    const SavedFlight b = ReadSaved(run.Dir().Path("cruise2.flt"));
    const double trueKnots = TrueKnotsBetween(a, b, 60.0);
    const double flowPerEngine = (a.fuelKg - b.fuelKg) * 60.0 / EngineCount(p.type);
    const std::optional<double> published = PublishedTrueKnots(p.type, feet, flowPerEngine);
    ASSERT_TRUE(published.has_value()) << feet << " ft, " << flowPerEngine << " kg/h an engine";
    EXPECT_NEAR(trueKnots, *published, 0.05 * *published)
        << "cruise at " << feet << " ft burning " << flowPerEngine << " kg/h an engine";

    // The needle, read about its pivot by the dial's graduation, and the status readout show the
    // true airspeed at this height's density.
    const double indicated = IndicatedForTrue(trueKnots, feet);
    const auto rest = testsupport::ReadScreenshot(run.Dir().Read("rest.bmp"), kWidth, kHeight);
    const auto cruise = testsupport::ReadScreenshot(run.Dir().Read("cruise.bmp"), kWidth, kHeight);
    ASSERT_FALSE(rest.empty());
    ASSERT_FALSE(cruise.empty());
    const cockpit::IntPoint pivot = AirspeedPivot(p.type);
    const std::optional<double> degrees =
        testsupport::NeedleDegrees(cruise, rest, kWidth, pivot.x, pivot.y, 22, 40);
    ASSERT_TRUE(degrees.has_value()) << "no needle on the airspeed dial";
    const std::optional<double> needle = DialKnots(p.type, *degrees);
    ASSERT_TRUE(needle.has_value()) << *degrees << " degrees";
    EXPECT_NEAR(*needle, indicated, 3.0) << "needle at " << *degrees << " degrees";
    EXPECT_NEAR(Reported(r.out, "readout_ias", cruiseReport), indicated, 3.0);
}

const Pilot kPilots[] = {{0, "C172Fly.Flt", 3000},
                         {1, "BonFly.Flt", 4000},
                         {2, "BarFly.Flt", 4000},
                         {3, "KingFly.Flt", 10000},
                         {4, "JetFly.Flt", 10000}};

std::string PilotName(const ::testing::TestParamInfo<Pilot>& info) {
    static const char* const kNames[5] = {"Skyhawk", "Bonanza", "Baron", "KingAir", "CitationJet"};
    return kNames[info.param.type];
}

INSTANTIATE_TEST_SUITE_P(EveryType, FlightFigures, ::testing::ValuesIn(kPilots), PilotName);

}  // namespace
