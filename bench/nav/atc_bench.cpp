// The ATC against plain peers measured in the same run:
// - one ATC step with both traffic aircraft flying the pattern, against a plain loop of the
//   distance, bearing and heading arithmetic of the three aircraft (a hypot, an atan2, a sine
//   and a cosine each; goal: within 2 times), its share of a tick at speed-up 4
//   (1 / 72.8 s, "of_tick") beside it;
// - composing the clearance of a 10-node plan (message 537) against appending the same number
//   of words to a plain array (goal: within 110 times; its "words" beside it);
// - saving the "ATCComm" section (about 400 keys) into a situation file against storing the same
//   bytes once by an atomic replacement, on the thread's processor time ("per_one_write"; goal:
//   3.4 times or less: one rewrite of the file, not one per key), the wall clock beside it.
// Each counts the steps, words or bytes it produced and fails when there were none.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/ini_file.h"
#include "devices/sound_device.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/atc_traffic.h"
#include "planning/planning_services.h"
#include "platform/file_system.h"
#include "platform/headless/headless_backend.h"
#include "win/dsound.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t theNow = 0;
planning::FlightPlan thePlan;

// A session at a runway at the origin, the aircraft on the downwind leg, both traffic aircraft
// in the pattern.
void SetUpSession() {
    nav::theAtcHost = nav::DefaultAtcHost();
    nav::theAtcHost.now = [] { return theNow; };
    nav::theAtcHost.flightPlan = [] { return static_cast<planning::FlightPlan*>(nullptr); };
    nav::AtcState& a = nav::theAtcState;
    a = nav::AtcState{};
    a.headRwy = 16384;
    a.lenRwy = 5000;
    a.lHand = 1;
    a.finalLen = 12300;
    a.towerFreq = "125.10";
    a.groundFreq = a.approachFreq = a.atisFreq = "NONE";
    a.atcOn = 1;
    a.spSeq = nav::kSeqArrival;
    a.towerTuned = 1;
    nav::AtcBuildPattern();
    nav::AtcSpawnTraffic();
    a.vPilots = 1;
    nav::theFlightEvaluation = nav::FlightEvaluation{};
    nav::theFlightEvaluation.spActive = 1;
    nav::theFlightEvaluation.spPos = 6;
    nav::AtcSetLegTarget(6);
    flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(90);
    flight::theFlightModelState.fmPosY = 80000;
}

// The peer of a step: for the aircraft and both traffic aircraft, the distance and bearing to a
// point and a heading's sine and cosine, in a plain loop; their sum.
double PlainPatternArithmetic(int steps) {
    double sum = 0.0;
    for (int i = 0; i < steps; ++i)
        for (int n = 0; n < 3; ++n) {
            double x = 1000.0 * n + i, z = 4000.0 - 300.0 * n;
            benchmark::DoNotOptimize(x);
            benchmark::DoNotOptimize(z);
            const double heading = std::atan2(z, x);
            sum += std::hypot(x, z) + std::sin(heading) * 90.0 + std::cos(heading) * 90.0;
        }
    benchmark::DoNotOptimize(sum);
    return sum;
}

// An ATC step against the plain arithmetic of its three aircraft: at most this.
constexpr double kAtcStepGoal = 2.0;

void BM_AtcStepWithTraffic(benchmark::State& state) {
    SetUpSession();
    std::int64_t steps = 0;
    const auto step = [&] {
        theNow += 1000;
        nav::AtcFrameStep(win::HWND{});
        nav::AtcMoveTraffic();
        benchmark::DoNotOptimize(nav::theFlightEvaluation.spD2D);
        ++steps;
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        step();
    const double once = clock.PerIteration(state);
    if (steps == 0 || nav::AtcTrafficPlace(0) == 0) state.SkipWithError("nothing stepped");
    double sum = 0.0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 1000; ++i)
                step();
        },
        [&] { sum += PlainPatternArithmetic(1000); });
    if (sum == 0.0 || nav::AtcTrafficPlace(0) == 0)
        state.SkipWithError("the plain loop did nothing");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_arithmetic", ratio, kAtcStepGoal);
    // The share of a tick at speed-up 4 (18.2 x 4 ticks a second) one step takes.
    goals.Note("of_tick", once * 18.2 * 4.0);
}
BENCHMARK(BM_AtcStepWithTraffic);

// The peer: the ring cleared and `count` words written into it, as a plain array; the words.
std::int64_t AppendWords(std::vector<std::uint16_t>& ring, int count) {
    std::fill(ring.begin(), ring.end(), devices::SpeechQueue::kFreeSlot);
    for (int i = 0; i < count; ++i)
        ring[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(4500 + i);
    benchmark::DoNotOptimize(ring.data());
    return count;
}

// Composing the clearance against appending as many words to a plain array: at most this.
constexpr double kClearanceGoal = 110.0;

void BM_ComposeClearance(benchmark::State& state) {
    SetUpSession();
    thePlan.nodeCount = 10;
    for (int i = 0; i < 10; ++i)
        thePlan.nodes[static_cast<std::size_t>(i)].ident = i == 9 ? "KSQL" : "V" + std::to_string(i);
    thePlan.cruiseAltitude = 6500;
    nav::theAtcHost.flightPlan = [] { return &thePlan; };
    nav::theAtcState.squawk = "4523";
    nav::theAtcState.clearFreq = nav::theAtcState.departFreq = "126.70";
    nav::theAtcState.listen = 1;
    // Sound on the headless card, so that the speaker's buffer opens.
    platform::HeadlessBackend machine;
    platform::SetCurrentBackend(&machine);
    win::ResetDirectSoundStandIn();
    devices::InitSound(win::HWND{});
    nav::AtcSpeech& s = nav::theAtcSpeech;
    std::int64_t words = 0;
    const auto compose = [&] {
        s.QueuePhrase(0, 0, 0);
        s.SayDeparture(537);
        for (std::uint16_t id : s.ring)
            words += id != devices::SpeechQueue::kFreeSlot ? 1 : 0;
    };
    for (auto _ : state)
        compose();
    if (words == 0) state.SkipWithError("nothing composed");
    const auto perClearance =
        static_cast<int>(words / std::max<benchmark::IterationCount>(state.iterations(), 1));
    std::vector<std::uint16_t> ring(devices::SpeechQueue::kRingSize);
    std::int64_t appended = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 100; ++i)
                compose();
        },
        [&] {
            for (int i = 0; i < 100; ++i)
                appended += AppendWords(ring, perClearance);
        });
    s.Close();
    devices::ShutdownSound();
    platform::SetCurrentBackend(nullptr);
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_append", ratio, kClearanceGoal);
    goals.Note("words", perClearance);
}
BENCHMARK(BM_ComposeClearance);

void BM_AppendSameWordCount(benchmark::State& state) {
    std::vector<std::uint16_t> ring(devices::SpeechQueue::kRingSize);
    std::int64_t words = 0;
    for (auto _ : state)
        words += AppendWords(ring, 88);
    if (words == 0) state.SkipWithError("nothing appended");
}
BENCHMARK(BM_AppendSameWordCount);

// A working folder of the run's own, removed at exit.
struct WorkFolder {
    fs::path root =
        fs::temp_directory_path() / ("zephlon_atc_bench_" + std::to_string(::getpid()));
    WorkFolder() { fs::create_directories(root); }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
} theFolder;

fs::path Folder() {
    return theFolder.root;
}

void BM_SaveAtcSection(benchmark::State& state) {
    SetUpSession();
    const std::string path = (Folder() / "save.flt").string();
    const auto save = [&] {
        core::IniFile file(path.c_str());
        return nav::SaveAtcState(file) == 1;
    };
    fs::remove(path);
    if (!save()) state.SkipWithError("save failed");
    std::error_code ec;
    const auto bytes = fs::file_size(path, ec);
    if (ec || bytes == 0) {
        state.SkipWithError("nothing saved");
        return;
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    // The reference: the same bytes stored by one atomic replacement of a file that is not there,
    // as the save's store finds it. Saving waits for the disc: the processor times are measured
    // against the goal, the wall clock shown beside them. The two take turns, so that both meet
    // the same state of the file system (the cost of making a file there changes as files come
    // and go, by more than the save's own work).
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> saves, saveWalls, writes, writeWalls;
    const auto timed = [&](auto&& work, std::vector<double>& cpu, std::vector<double>& wall) {
        fs::remove(path);
        const auto w0 = std::chrono::steady_clock::now();
        const double t0 = benchsupport::ThreadSeconds();
        const bool ok = work();
        cpu.push_back(benchsupport::ThreadSeconds() - t0);
        wall.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count());
        return ok;
    };
    for (auto _ : state) {
        if (!timed(save, saves, saveWalls)) state.SkipWithError("save failed");
        state.PauseTiming();
        timed(
            [&] { return platform::ReplaceFileAtomically(path, text, false) == platform::kFileOk; },
            writes, writeWalls);
        state.ResumeTiming();
    }
    benchsupport::Goals goals(state);
    goals.AtMost("per_one_write", benchsupport::Median(saves) / benchsupport::Median(writes), 3.4);
    goals.Note("wall_per_one_write",
               benchsupport::Median(saveWalls) / benchsupport::Median(writeWalls));
}
BENCHMARK(BM_SaveAtcSection)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
