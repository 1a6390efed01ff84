// The training and records code's costs, each beside a peer measured in the same run:
// - one lesson step with a watch sequence running every step, against reading the aircraft 19
//   times (the most a step may need); goal under 1 us and no allocation once warmed up;
// - reading a 1,000-statement script against splitting the same text into lines alone;
// - loading a pilot with 10,000 logbook entries against reading the file's bytes, and saving
//   it whole (atomically) against a plain atomic write of the same bytes.
// Each benchmark counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "bench/goal.h"
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
    const double reads = benchsupport::MedianSeconds([&] {
        for (int i = 0; i < 19 * 100; ++i) benchmark::DoNotOptimize(a->Read());
    }) / 100.0;
    const double step = stepping / static_cast<double>(steps > 0 ? steps : 1);
    benchsupport::Goals goals(state);
    goals.AtMost("us", step * 1e6, 1.0);
    goals.Note("per_19_reads", step / reads);
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

void BM_ReadThousandStatementScript(benchmark::State& state) {
    const std::string text = ThousandStatements();
    static LessonScript script;
    int rows = 0;
    for (auto _ : state) {
        LoadLessonScript(script, ReadLessonLinesFrom(text));
        rows += script.count;
    }
    if (rows == 0) state.SkipWithError("no statement read");
}
BENCHMARK(BM_ReadThousandStatementScript)->Unit(benchmark::kMicrosecond);

void BM_SplitThousandStatementLines(benchmark::State& state) {
    const std::string text = ThousandStatements();
    int lines = 0;
    for (auto _ : state) {
        const LessonLineReader read = ReadLessonLinesFrom(text);
        char buffer[256];
        while (read(buffer, sizeof buffer) != nullptr) ++lines;
    }
    if (lines == 0) state.SkipWithError("no line read");
}
BENCHMARK(BM_SplitThousandStatementLines)->Unit(benchmark::kMicrosecond);

// A pilot with 10,000 entries in a folder of its own.
struct BigPilot {
    BigPilot() {
        char pattern[] = "/tmp/zephlon-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "";
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
    ~BigPilot() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
        core::theSetupInfo.Reset();
    }
    std::string folder;
    std::vector<LogbookEntry> entries;
};

void BM_LoadPilotOf10000Entries(benchmark::State& state) {
    BigPilot big;
    std::size_t loaded = 0;
    for (auto _ : state) {
        PilotFile p;
        p.LoadCurrent();
        loaded += p.entries.size();
    }
    if (loaded == 0) state.SkipWithError("no entry loaded");
}
BENCHMARK(BM_LoadPilotOf10000Entries)->Unit(benchmark::kMillisecond);

void BM_ReadPilotFileBytes(benchmark::State& state) {
    BigPilot big;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string all;
        win::ReadWholeFile(PilotPath("Bench"), &all);
        bytes += all.size();
    }
    if (bytes == 0) state.SkipWithError("nothing read");
}
BENCHMARK(BM_ReadPilotFileBytes)->Unit(benchmark::kMillisecond);

void BM_SaveLogbookOf10000Entries(benchmark::State& state) {
    BigPilot big;
    PilotFile p;
    p.LoadCurrent();
    int saved = 0;
    for (auto _ : state) saved += p.ReplaceLogbook(big.entries);
    if (saved == 0) state.SkipWithError("nothing saved");
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
