// Filling the new-plan sheet's airport lists with every airport of a directory the size of the
// installed one (14,000 airports among 51,000 stations): the sheet's hidden list filled from the
// directory and copied into the departure and destination pages' lists, against a plain copy of
// the same names into three vectors measured in the same run (goal: within 3.2 times the
// plain copy, the milliseconds beside it). Each counts the rows it made and fails when there were
// none.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/resource_volume.h"
#include "nav/sms_database.h"
#include "nav/sms_records.h"
#include "planning/plan_sheet.h"
#include "platform/file_system.h"
#include "platform/headless/headless_backend.h"
#include "win/controls.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAirports = 14000;
constexpr int kStations = 51000;

// A working folder with the directory, a headless machine and a window with the sheet's hidden
// list and the two pages' lists; made once, removed at exit.
struct Machine {
    fs::path root;
    platform::HeadlessBackend backend;
    win::HWND sheet, all, departure, destination;
    nav::SmsDatabase directory;
    Machine() {
        root = fs::temp_directory_path() / ("zephlon_sheet_bench_" + std::to_string(::getpid()));
        fs::create_directories(root / "Data/Sms");
        nav::SmsFileBuilder builder;
        for (int i = 0; i < kStations; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Airfield number %06d (K%03d)", i, i % 1000);
            const bool airport = i < kAirports;
            nav::SmsBytes record;
            if (airport)
                nav::EncodeAirportRecord({}, {}, &record);
            else
                record = nav::EncodeStationRecord({0x1390, i, -i});
            builder.Add(airport ? 0 : static_cast<std::uint8_t>(1 + i % 4), name, record);
        }
        const nav::SmsBytes file = builder.Build(nullptr, nullptr);
        std::ofstream(root / "Data/Sms/flp.sms", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        fs::current_path(root);
        platform::ForgetFolderListings();
        platform::SetCurrentBackend(&backend);
        win::detail::ResetWindowSystem();
        sheet = win::CreateWindowEx(0, win::WC_STATIC, "", win::WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
        auto list = [&](int id) {
            return win::CreateWindowEx(0, "LISTBOX", "", win::WS_CHILD, 0, 0, 100, 100, sheet,
                                       win::HMENU{static_cast<std::uint32_t>(id)}, {}, 0);
        };
        all = list(planning::kSheetAirportList);
        departure = list(2001);
        destination = list(2002);
        directory.Open({});
    }
    ~Machine() {
        directory.Close();
        core::CloseGlobalVolumes();
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(root, ignored);
    }
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

// The reference: the same airports' names copied three times into plain vectors.
std::int64_t CopyAirportNames(Machine& m) {
    std::vector<std::string> lists[3];
    for (std::vector<std::string>& v : lists)
        for (int i = 0; i < m.directory.EntryCount(); ++i) {
            const nav::SmsListEntry e = m.directory.Entry(i);
            if (e.code == 0) v.emplace_back(e.name);
        }
    benchmark::DoNotOptimize(lists);
    std::int64_t rows = 0;
    for (const std::vector<std::string>& v : lists) rows += static_cast<std::int64_t>(v.size());
    return rows;
}

// The sheet's three lists filled against the plain copy of their names: at most this.
constexpr double kFillGoal = 3.2;

void BM_FillSheetAirportLists(benchmark::State& state) {
    Machine& m = TheMachine();
    std::int64_t rows = 0;
    const auto fillLists = [&] {
        for (win::HWND h : {m.all, m.departure, m.destination})
            win::SendMessage(h, win::LB_RESETCONTENT, 0, 0);
        rows += m.directory.FillStationList(m.sheet, nav::kSmsAirport);
        rows += planning::CopyAirportList(m.all, m.departure);
        rows += planning::CopyAirportList(m.all, m.destination);
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        fillLists();
    const double fill = clock.PerIteration(state);
    if (rows == 0) state.SkipWithError("no rows filled");
    const double rowsPerFill = static_cast<double>(rows) / static_cast<double>(state.iterations());
    std::int64_t copied = 0;
    const double ratio = benchsupport::PairedRatio(
        fillLists, [&] { copied += CopyAirportNames(m); }, 21);
    if (copied == 0) state.SkipWithError("no names copied");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_copy", ratio, kFillGoal);
    goals.Note("ms", fill * 1e3);
    goals.Note("rows", rowsPerFill);
}
BENCHMARK(BM_FillSheetAirportLists)->Unit(benchmark::kMillisecond);

void BM_CopyAirportNames(benchmark::State& state) {
    Machine& m = TheMachine();
    std::int64_t rows = 0;
    for (auto _ : state)
        rows += CopyAirportNames(m);
    if (rows == 0) state.SkipWithError("no names copied");
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CopyAirportNames)->Unit(benchmark::kMillisecond);

}  // namespace
