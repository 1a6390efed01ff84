// The navigation receivers and the radio commands against plain peers measured in the same run:
// - UpdateNavRadios with a VOR-DME on NAV1, an ILS with glide slope and markers on NAV2 and a
//   second VOR held by the DME, the aircraft moving, against a plain loop computing the same
//   bearings (atan2) and ranges (sqrt) (goal: 3.2 times or less);
// - a radio command dispatched through the key registry with every table registered against a
//   direct call of its handler (goal: 28 times or less).
// Each counts what it produced (usable directions, frequency steps) and fails when there was none.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "bench/goal.h"
#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"
#include "sim/input/key_commands.h"
#include "world/scenery_state.h"

namespace {

constexpr double kNm = 1852.0 * 256.0;

void TuneStations() {
    cockpit::ResetCockpitServices();
    nav::ResetNavReception();
    cockpit::theMasterSwitch.switchState = cockpit::theAvionicsSwitch.switchState = 1;
    cockpit::theDmeSource.dmeHLD = 1;
    nav::TunedNavStation& vor = nav::theNav1Station;
    vor = nav::TunedNavStation{};
    vor.flags = 0x0C01;
    vor.frequency = 11680;
    vor.ident = "OAK";
    nav::TunedNavStation& ils = nav::theNav2Station;
    ils = nav::TunedNavStation{};
    ils.flags = 0x0010 | 0x2000 | 0x4000 | 0x0800;
    ils.frequency = 10870;
    ils.x = static_cast<std::int32_t>(3 * kNm);
    ils.x2 = ils.x;
    ils.z2 = static_cast<std::int32_t>(-1 * kNm);
    ils.pointZ[0] = static_cast<std::int32_t>(-6 * kNm);
    ils.pointZ[1] = static_cast<std::int32_t>(-1.5 * kNm);
    ils.glideSlopeAngle = 546;
    ils.ident = "I-INB";
    cockpit::theDmeHoldStation = vor;
    cockpit::theDmeHoldStation.z = static_cast<std::int32_t>(20 * kNm);
    cockpit::theDmeHold.captured = 1;
    nav::theNavReceptionFlags = nav::kNav1Reception | nav::kNav2Reception;
    cockpit::theNavReceiverWords.vor1_obs_setting = 45;
    cockpit::UpdateNav1CourseAngle();
}

void Move(int i) {
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPosX = static_cast<std::int32_t>((5 + (i & 1023) * 0.01) * kNm);
    s.fmPosZ = static_cast<std::int32_t>((4 + (i & 511) * 0.01) * kNm);
    s.fmPosY = 2000 * 78;
}

double PlainBearingsAndRanges(int i);

void BM_UpdateNavRadios(benchmark::State& state) {
    TuneStations();
    std::int64_t usable = 0;
    int i = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        Move(++i);
        world::theFlightStepCounter += 3;
        cockpit::UpdateNavRadios();
        usable += cockpit::theNavReceiverWords.vor1_dir_flag != 0;
        usable += cockpit::theNavReceiverWords.vor2_dir_flag != 0;
    }
    const double update = clock.PerIteration(state);
    if (usable == 0) state.SkipWithError("no receiver heard its station");
    double sum = 0;
    const double plain = benchsupport::MedianSeconds([&] {
        for (int k = 0; k < 1000; ++k) sum += PlainBearingsAndRanges(++i);
    }) / 1000.0;
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", update / plain, 3.2);
    cockpit::ResetCockpitServices();
    nav::ResetNavReception();
}
BENCHMARK(BM_UpdateNavRadios);

// The plain peer: per update the three stations' bearings and horizontal ranges, the glide
// slope's elevation angle and the slant range.
double PlainBearingsAndRanges(int i) {
    const nav::TunedNavStation* stations[3] = {&nav::theNav1Station, &nav::theNav2Station,
                                               &cockpit::theDmeHoldStation};
    double sum = 0;
    Move(i);
    const flight::FlightModelState& s = flight::theFlightModelState;
    for (const nav::TunedNavStation* st : stations) {
        const double dx = static_cast<double>(s.fmPosX) - st->x;
        const double dz = static_cast<double>(s.fmPosZ) - st->z;
        sum += std::atan2(dx, dz);
        sum += std::sqrt(dx * dx + dz * dz);
    }
    const double gx = static_cast<double>(s.fmPosX) - nav::theNav2Station.x2;
    const double gz = static_cast<double>(s.fmPosZ) - nav::theNav2Station.z2;
    const double r = std::sqrt(gx * gx + gz * gz);
    sum += std::atan2(static_cast<double>(s.fmPosY), r);
    sum += std::sqrt(r * r + static_cast<double>(s.fmPosY) * s.fmPosY);
    benchmark::DoNotOptimize(sum);
    return sum;
}

void BM_PlainBearingsAndRanges(benchmark::State& state) {
    TuneStations();
    double sum = 0;
    int i = 0;
    for (auto _ : state)
        sum += PlainBearingsAndRanges(++i);
    if (sum == 0) state.SkipWithError("nothing computed");
    cockpit::ResetCockpitServices();
    nav::ResetNavReception();
}
BENCHMARK(BM_PlainBearingsAndRanges);

void BM_CommandThroughRegistry(benchmark::State& state) {
    cockpit::ResetCockpitServices();
    sim::RegisterKeyCommandTables();
    cockpit::Nav1();
    std::int64_t steps = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        const std::uint16_t before = cockpit::theNav1Radio.standbyMHz;
        sim::RunKeyCommandByCode(0x100BB);  // Shift+= "NavMHzUp"
        steps += cockpit::theNav1Radio.standbyMHz != before;
    }
    const double routed = clock.PerIteration(state);
    if (steps == 0) state.SkipWithError("the key tuned nothing");
    const double direct = benchsupport::MedianSeconds([] {
        for (int k = 0; k < 10000; ++k) {
            cockpit::NavMHzUp();
            benchmark::ClobberMemory();
        }
    }) / 10000.0;
    benchsupport::Goals goals(state);
    goals.AtMost("per_direct_call", routed / direct, 28.0);
    sim::UnregisterKeyCommandTables();
    cockpit::ResetCockpitServices();
}
BENCHMARK(BM_CommandThroughRegistry);

void BM_CommandDirect(benchmark::State& state) {
    cockpit::ResetCockpitServices();
    cockpit::Nav1();
    std::int64_t steps = 0;
    for (auto _ : state) {
        const std::uint16_t before = cockpit::theNav1Radio.standbyMHz;
        cockpit::NavMHzUp();
        benchmark::ClobberMemory();
        steps += cockpit::theNav1Radio.standbyMHz != before;
    }
    if (steps == 0) state.SkipWithError("the command tuned nothing");
    state.counters["steps"] = static_cast<double>(steps);
    cockpit::ResetCockpitServices();
}
BENCHMARK(BM_CommandDirect);

}  // namespace
