// The training and records code's costs, each beside a peer measured in the same run:
// - one lesson step with a watch sequence running every step, against reading the aircraft 19
//   times (the most a step may need); goal within 5.9 times, its microseconds beside
//   it, and no allocation once warmed up;
// - reading a 1,000-statement script against splitting the same text into lines alone (goal:
//   within 7.9 times);
// - loading a pilot with 10,000 logbook entries against reading the file's bytes (goal: within
//   2.2 times), and saving it whole (atomically) against a plain atomic write of the
//   same bytes (goal: within 4.4 times).
// Each benchmark counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "bench/file_reference.h"
#include "bench/goal.h"
#include "bench/paired.h"
#include "core/resource_volume.h"
#include "planning/lesson_controller.h"
#include "planning/lesson_script.h"
#include "planning/pilot_file.h"
#include "win/file_api.h"

namespace {

std::atomic<long> theAllocations{0};

}  // namespace

// Counts every allocation of the program, so a step can show it allocates nothing. The
// replacement pair is malloc and free underneath, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    theAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace planning;

class StillAircraft : public LessonAircraft {
public:
    Reading Read() override { return r; }
    void SetAutopilotMaster(bool) override {}
    std::int16_t AutopilotPitchReference() override { return 0; }
    void SetAutopilotPitchReference(std::int16_t) override {}
    Reading r;
};

// A lesson step against reading the aircraft 19 times: at most this.
constexpr double kLessonGoal = 5.9;

void BM_LessonStepWithWatch(benchmark::State& state) {
    StillAircraft plane;
    LessonScript script;
    std::string text = "CONTINUOUS Watch\r\n";
    for (int i = 0; i < 200; ++i) text += "TEST CLEAR_TEST\r\nSAY 21000 1\r\n";
    text += "ENDPROC\r\nSEQ_BEGIN\r\nPROC Watch\r\nTESTNOT AIRCRAFT_LEVEL_TEST\r\n{\r\nEXEC PERFORMANCE_BAD\r\n}\r\nENDPROC\r\nSEQ_END\r\n";
    LoadLessonScript(script, ReadLessonLinesFrom(text));
    LessonController lesson;
    lesson.aircraft = &plane;
    lesson.script = &script;
    std::int64_t steps = 0;
    long allocations = 0;
    double stepping = 0;
    for (auto _ : state) {
        state.PauseTiming();
        lesson.Start();
        for (int i = 0; i < 4; ++i) lesson.Step();  // warm-up
        const long before = theAllocations.load();
        state.ResumeTiming();
        const double t0 = benchsupport::ThreadSeconds();
        for (int i = 0; i < 300 && lesson.running; ++i, ++steps) benchmark::DoNotOptimize(lesson.Step());
        stepping += benchsupport::ThreadSeconds() - t0;
        allocations += theAllocations.load() - before;
    }
    if (steps == 0) state.SkipWithError("no step ran");
    StillAircraft reference;
    LessonAircraft* a = &reference;
    // 100 steps of a lesson started afresh (and warmed up, untimed) against 100 times 19 reads.
    bool fresh = true;
    int ran = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 100 && lesson.running; ++i, ++ran)
                benchmark::DoNotOptimize(lesson.Step());
            fresh = true;
        },
        [&] {
            for (int i = 0; i < 19 * 100; ++i)
                benchmark::DoNotOptimize(a->Read());
        },
        21,
        [&] {
            if (!fresh) return;
            lesson.Start();
            for (int i = 0; i < 4; ++i)
                lesson.Step();
            fresh = false;
        });
    if (ran < 100 * 21 * 3) state.SkipWithError("the lesson stopped");
    const double step = stepping / static_cast<double>(steps > 0 ? steps : 1);
    benchsupport::Goals goals(state);
    goals.AtMost("per_19_reads", ratio, kLessonGoal);
    goals.Note("us", step * 1e6);
    goals.AtMost("allocations_per_step", static_cast<double>(allocations) / static_cast<double>(steps > 0 ? steps : 1), 0);
}
BENCHMARK(BM_LessonStepWithWatch)->Unit(benchmark::kMicrosecond);

void BM_ReadAircraft19Times(benchmark::State& state) {
    StillAircraft plane;
    LessonAircraft* a = &plane;
    std::int64_t reads = 0;
    for (auto _ : state) {
        for (int i = 0; i < 19; ++i, ++reads) benchmark::DoNotOptimize(a->Read());
    }
    if (reads == 0) state.SkipWithError("nothing read");
}
BENCHMARK(BM_ReadAircraft19Times);

std::string ThousandStatements() {
    std::string text = "TITLE Long\r\n";
    for (int i = 0; i < 500; ++i) text += "SAY 21000 WAIT_1_SEC\r\nrangetest airspeed_range_test, 60, 80 // watch\r\n";
    return text + "ENDPROC\r\n";
}

// The lines of the script's text; the lines split.
int SplitLines(const std::string& text) {
    const LessonLineReader read = ReadLessonLinesFrom(text);
    char buffer[256];
    int lines = 0;
    while (read(buffer, sizeof buffer) != nullptr)
        ++lines;
    return lines;
}

// Reading the script against splitting its text into lines alone: at most this.
constexpr double kScriptGoal = 7.9;

void BM_ReadThousandStatementScript(benchmark::State& state) {
    const std::string text = ThousandStatements();
    static LessonScript script;
    int rows = 0;
    for (auto _ : state) {
        LoadLessonScript(script, ReadLessonLinesFrom(text));
        rows += script.count;
    }
    if (rows == 0) state.SkipWithError("no statement read");
    int lines = 0;
    const double ratio =
        benchsupport::PairedRatio([&] { LoadLessonScript(script, ReadLessonLinesFrom(text)); },
                                  [&] { lines += SplitLines(text); });
    if (lines == 0) state.SkipWithError("no line split");
    benchsupport::Goals goals(state);
    goals.AtMost("per_line_split", ratio, kScriptGoal);
}
BENCHMARK(BM_ReadThousandStatementScript)->Unit(benchmark::kMicrosecond);

void BM_SplitThousandStatementLines(benchmark::State& state) {
    const std::string text = ThousandStatements();
    int lines = 0;
    for (auto _ : state)
        lines += SplitLines(text);
    if (lines == 0) state.SkipWithError("no line read");
}
BENCHMARK(BM_SplitThousandStatementLines)->Unit(benchmark::kMicrosecond);

// A pilot with 10,000 entries in a folder of its own.
struct BigPilot {
    BigPilot() : scratch("zephlon-records-bench"), folder(scratch.Path().string()) {
        core::theSetupInfo.Reset();
        core::theSetupInfo.startFolder = folder;
        PilotFile p;
        p.SelectPilot("Bench");
        for (int i = 0; i < 10000; ++i) {
            LogbookEntry e;
            e.month = static_cast<std::int16_t>(1 + i % 12);
            e.day = static_cast<std::int16_t>(1 + i % 28);
            e.year = static_cast<std::int16_t>(i % 100);
            e.dateKey = MakeDateKey(e.month, e.day, e.year);
            e.from = "KSQL";
            e.to = "KOAK";
            e.duration = 1.5F;
            p.entries.push_back(e);
        }
        p.Save();
        entries = p.entries;
    }
    ~BigPilot() { core::theSetupInfo.Reset(); }
    benchsupport::ScratchFolder scratch;
    std::string folder;
    std::vector<LogbookEntry> entries;
};

// The pilot file's bytes; their count.
std::size_t ReadPilotBytes() {
    std::string all;
    win::ReadWholeFile(PilotPath("Bench"), &all);
    return all.size();
}

// Loading the pilot against reading its file's bytes: at most this.
constexpr double kPilotLoadGoal = 2.2;

void BM_LoadPilotOf10000Entries(benchmark::State& state) {
    BigPilot big;
    std::size_t loaded = 0;
    const auto load = [&] {
        PilotFile p;
        p.LoadCurrent();
        loaded += p.entries.size();
    };
    for (auto _ : state)
        load();
    if (loaded == 0) state.SkipWithError("no entry loaded");
    std::size_t bytes = 0;
    const double ratio = benchsupport::PairedRatio(load, [&] { bytes += ReadPilotBytes(); });
    if (bytes == 0) state.SkipWithError("nothing read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_read_of_the_bytes", ratio, kPilotLoadGoal);
}
BENCHMARK(BM_LoadPilotOf10000Entries)->Unit(benchmark::kMillisecond);

void BM_ReadPilotFileBytes(benchmark::State& state) {
    BigPilot big;
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes += ReadPilotBytes();
    if (bytes == 0) state.SkipWithError("nothing read");
}
BENCHMARK(BM_ReadPilotFileBytes)->Unit(benchmark::kMillisecond);

// Saving the logbook whole against one atomic write of the same bytes: at most this.
constexpr double kLogbookSaveGoal = 4.4;

void BM_SaveLogbookOf10000Entries(benchmark::State& state) {
    BigPilot big;
    PilotFile p;
    p.LoadCurrent();
    int saved = 0;
    for (auto _ : state) saved += p.ReplaceLogbook(big.entries);
    if (saved == 0) state.SkipWithError("nothing saved");
    const std::vector<std::uint8_t> bytes = p.Encode();
    int written = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] { saved += p.ReplaceLogbook(big.entries); },
        [&] {
            written +=
                win::ReplaceFileAtomically(PilotPath("Bench"), std::span<const std::uint8_t>(bytes))
                    ? 1
                    : 0;
        },
        21);
    if (written == 0) state.SkipWithError("nothing written");
    benchsupport::Goals goals(state);
    goals.AtMost("per_atomic_write", ratio, kLogbookSaveGoal);
}
BENCHMARK(BM_SaveLogbookOf10000Entries)->Unit(benchmark::kMillisecond);

void BM_WriteSameBytesAtomically(benchmark::State& state) {
    BigPilot big;
    PilotFile p;
    p.LoadCurrent();
    const std::vector<std::uint8_t> bytes = p.Encode();
    int written = 0;
    for (auto _ : state) written += win::ReplaceFileAtomically(PilotPath("Bench"), std::span<const std::uint8_t>(bytes)) ? 1 : 0;
    if (written == 0) state.SkipWithError("nothing written");
}
BENCHMARK(BM_WriteSameBytesAtomically)->Unit(benchmark::kMillisecond);

}  // namespace
