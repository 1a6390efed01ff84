// The GPS window's map page: a redraw with a database the size of the country's (the airports,
// VORs, NDBs and intersections) at ranges 4, 25 and 100 NM, against a plain loop that only
// reads the same records' positions. Goal: within GpsPageGoal(range) times the plain loop (more
// at longer ranges, where the page draws more of what the loop reads).
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <random>

#include "bench/goal.h"
#include "cockpit/gps_display.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"

namespace {

// A map page's redraw against a plain loop over the database it reads, at 4, 25 and 100 NM: at
// most this (about a quarter above what it measures, so that a third more time fails).
double GpsPageGoal(std::int64_t range) {
    return range >= 100 ? 4.3 : (range >= 25 ? 3.7 : 3.0);
}
// The nearest intersection's scan against a plain loop over the same records: at most this.
constexpr double kGpsNearestGoal = 1.4;

// About the counts of the installed database, spread over a 3000 x 1500 NM box.
void FillDatabase() {
    nav::NavDatabase& db = nav::theNavDatabase;
    db.Clear();
    std::mt19937 random(7);
    const double mile = 474112.0;
    std::uniform_int_distribution<std::int32_t> x(static_cast<std::int32_t>(-1500 * mile),
                                                  static_cast<std::int32_t>(1500 * mile));
    std::uniform_int_distribution<std::int32_t> z(static_cast<std::int32_t>(-750 * mile),
                                                  static_cast<std::int32_t>(750 * mile));
    for (int i = 0; i < 14000; ++i)
        db.airports.push_back({"A", x(random), z(random), 0, 0});
    for (int i = 0; i < 1000; ++i)
        db.vors.push_back({"V", 11000, x(random), z(random)});
    for (int i = 0; i < 1500; ++i)
        db.ndbs.push_back({"N", 300, x(random), z(random)});
    for (int i = 0; i < 30000; ++i)
        db.waypoints.push_back({"W", x(random), z(random)});
    // Victor airways of ten points, each leg some 30 NM.
    std::uniform_int_distribution<std::int32_t> leg(static_cast<std::int32_t>(-30 * mile),
                                                    static_cast<std::int32_t>(30 * mile));
    for (std::uint32_t a = 0; a < 800; ++a) {
        nav::AirwayRecord airway{a, {}};
        std::int32_t px = x(random), pz = z(random);
        for (int i = 0; i < 10; ++i, px += leg(random), pz += leg(random))
            airway.points.push_back({"P", px, pz});
        db.airways.push_back(airway);
    }
}

// The installation's GPS fonts, when it is built, so that the labels are drawn too.
void UseInstalledFonts(cockpit::GpsDisplay& gps) {
    const std::string install = std::string(ZEPHLON_BINARY_DIR) + "/install";
    core::ResourceVolume panel((install + "/Art/Panel.Vol").c_str(), (install + "/Art/Panel").c_str(), 0);
    gps.SetFonts(panel.LoadFont("gps5.pft"), panel.LoadFont("gps7.pft"), panel.LoadFont("gpsSymbl.pft"));
}

void BM_GpsPageRedraw(benchmark::State& state) {
    FillDatabase();
    flight::theFlightModelState.fmPosX = 0;
    flight::theFlightModelState.fmPosZ = 0;
    // The colours matched to a grey ramp, with the settings in a scratch file.
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile("/tmp/zephlon-gps-bench.ini");
    std::array<cockpit::GpsRgb, 256> palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i / 2)};
    cockpit::GpsDisplay gps;
    UseInstalledFonts(gps);
    gps.SetPageState(2, 8, 0, -1, 0x30F);
    gps.LoadColors(1, &palette);
    core::theIniFile = saved;
    std::remove("/tmp/zephlon-gps-bench.ini");
    gps.SetScale(static_cast<double>(state.range(0)));
    using Clock = std::chrono::steady_clock;
    double page = 0, plain = 0;
    long drawn = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        gps.DrawPage();
        const auto t1 = Clock::now();
        std::int64_t sum = 0;
        for (const auto& a : nav::theNavDatabase.airports)
            sum += a.x ^ a.z;
        for (const auto& v : nav::theNavDatabase.vors)
            sum += v.x ^ v.z;
        for (const auto& n : nav::theNavDatabase.ndbs)
            sum += n.x ^ n.z;
        for (const auto& w : nav::theNavDatabase.waypoints)
            sum += w.x ^ w.z;
        benchmark::DoNotOptimize(sum);
        const auto t2 = Clock::now();
        page += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
        for (std::uint8_t p : gps.Page())
            drawn += p != gps.Color(cockpit::kBgnFill);
    }
    nav::theNavDatabase.Clear();
    if (drawn == 0) state.SkipWithError("the page drew nothing");
    state.counters["pixels_drawn"] =
        benchmark::Counter(static_cast<double>(drawn), benchmark::Counter::kAvgIterations);
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", plain > 0 ? page / plain : 0, GpsPageGoal(state.range(0)));
    goals.Note("ms", 1000.0 * page / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_GpsPageRedraw)->Arg(4)->Arg(25)->Arg(100);

// The nearest intersection to the aircraft against a plain loop over the same records. Goal:
// within kGpsNearestGoal times.
void BM_GpsNearestItem(benchmark::State& state) {
    FillDatabase();
    using Clock = std::chrono::steady_clock;
    double scan = 0, plain = 0;
    long found = 0;
    std::int32_t step = 0;
    for (auto _ : state) {
        flight::theFlightModelState.fmPosX = step += 4741;
        const auto t0 = Clock::now();
        const int nearest = cockpit::GpsDisplay::NearestItem(3);
        const auto t1 = Clock::now();
        std::int64_t best = -1, bestIndex = -1, i = 0;
        for (const auto& w : nav::theNavDatabase.waypoints) {
            const std::int64_t dx = w.x - flight::theFlightModelState.fmPosX;
            const std::int64_t dz = w.z - flight::theFlightModelState.fmPosZ;
            const std::int64_t d = dx * dx + dz * dz;
            if (best < 0 || d < best) best = d, bestIndex = i;
            ++i;
        }
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(bestIndex);
        found += nearest >= 0 && nearest == bestIndex;
        scan += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
    }
    nav::theNavDatabase.Clear();
    flight::theFlightModelState.fmPosX = 0;
    if (found != state.iterations()) state.SkipWithError("the scan disagreed with the plain loop");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", plain > 0 ? scan / plain : 0, kGpsNearestGoal);
}
BENCHMARK(BM_GpsNearestItem);

}  // namespace
