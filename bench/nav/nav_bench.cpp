// The navigation code against plain peers measured in the same run:
// - opening the station directory (a name list of 51,000 entries) against reading the same bytes
//   through the same volume (goal: 3.8 times or less);
// - TuneVor over a table whose every row is on the tuned frequency against a plain loop that
//   finds the nearest row as TuneVor does, taking the square root only of a row nearer than the
//   best so far (goal: 1.3 times or less);
// - FillStationList for every airport against a plain walk of the same entries (goal: within
//   1.4 times);
// - the variation lookup with and without its tile cache against a 64 KB read (goal: without
//   the cache, within 1.3 reads: a lookup reads its tile once).
// Each counts the entries, rows or bytes it handled and fails when there were none.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "nav/dialog_controls.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"
#include "nav/variation_lookup.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAirports = 14000;
constexpr int kStations = 51000;
constexpr int kVors = 4000;

// A working folder with a directory of kStations entries (kAirports of them airports) and one
// pair of variation tiles; made once, removed at exit.
struct Folder {
    fs::path root;
    std::uint32_t listBytes = 0;
    Folder() {
        root = fs::temp_directory_path() / ("zephlon_nav_bench_" + std::to_string(::getpid()));
        for (const char* sub : {"Data/Sms", "Data/Mag", "Data/Nor", "Data/Nav"})
            fs::create_directories(root / sub);
        nav::SmsFileBuilder builder;
        for (int i = 0; i < kStations; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "Station number %06d (K%03d)", i, i % 1000);
            const bool airport = i < kAirports;
            nav::SmsBytes record;
            if (airport)
                nav::EncodeAirportRecord({}, {}, &record);
            else
                record = nav::EncodeStationRecord({0x1390, i, -i});
            builder.Add(airport ? 0 : static_cast<std::uint8_t>(1 + i % 4), name, record);
        }
        std::vector<std::uint32_t> entries;
        const nav::SmsBytes file = builder.Build(&entries, nullptr);
        listBytes = static_cast<std::uint32_t>(file[36] | (file[37] << 8) | (file[38] << 16) |
                                               (file[39] << 24)) +
                    1;
        std::ofstream(root / "Data/Sms/flp.sms", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
        const std::string tile(nav::kGridTileBytes, '\x11');
        std::ofstream(root / "Data/Mag" / nav::MagTileName(9, 5), std::ios::binary) << tile;
        std::ofstream(root / "Data/Nor" / nav::NorTileName(9, 5), std::ios::binary) << tile;
        fs::current_path(root);
        platform::ForgetFolderListings();
    }
    ~Folder() {
        nav::theSmsDatabase.Close();
        core::CloseGlobalVolumes();
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(root, ignored);
    }
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

// The peer: the name list's bytes read through the same volume; the bytes read.
std::int64_t ReadDirectoryBytes(std::vector<std::uint8_t>& buffer) {
    nav::theSmsFile.OpenFile("flp.sms");
    const std::int64_t bytes =
        nav::theSmsFile.ReadRecords(buffer.data(), static_cast<int>(buffer.size()), 1) *
        static_cast<std::int64_t>(buffer.size());
    nav::theSmsFile.CloseFile();
    benchmark::DoNotOptimize(buffer.data());
    return bytes;
}

void BM_OpenDirectory(benchmark::State& state) {
    TheFolder();
    std::int64_t entries = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        nav::theSmsDatabase.Open({});
        entries += nav::theSmsDatabase.EntryCount();
    }
    const double open = clock.PerIteration(state);
    if (entries == 0) state.SkipWithError("no entries read");
    state.SetItemsProcessed(entries);
    std::vector<std::uint8_t> buffer(TheFolder().listBytes);
    std::int64_t bytes = 0;
    const double read = benchsupport::MedianSeconds([&] { bytes += ReadDirectoryBytes(buffer); }, 51);
    if (bytes == 0) state.SkipWithError("nothing read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_read_of_the_bytes", open / read, 3.8);
}
BENCHMARK(BM_OpenDirectory)->Unit(benchmark::kMillisecond);

void BM_ReadDirectoryBytes(benchmark::State& state) {
    std::vector<std::uint8_t> buffer(TheFolder().listBytes);
    std::int64_t bytes = 0;
    for (auto _ : state)
        bytes += ReadDirectoryBytes(buffer);
    if (bytes == 0) state.SkipWithError("nothing read");
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadDirectoryBytes)->Unit(benchmark::kMillisecond);

// Every VOR on the tuned frequency, spread round the aircraft.
void FillVors() {
    nav::theNavDatabase.vors.clear();
    for (int i = 0; i < kVors; ++i)
        nav::theNavDatabase.vors.push_back(nav::VorRecord{"V" + std::to_string(i % 100), 11390,
                                                          i * 7919 - 15000000,
                                                          i * 104729 % 30000000, 0, 0x0201});
    cockpit::thePanelSwitches.batteryPower = 1;
    cockpit::theCockpitSwitches.avionicsMaster = 1;
}

// The peer: the nearest of the same rows, found in a plain loop as TuneVor finds it: a row whose
// squared distance is no less than the best distance's square cannot be nearer, and has no square
// root taken.
void NearestOfTheRows(std::int64_t rows) {
    const double ax = static_cast<double>(rows % 1000), az = 0;
    std::uint32_t best = 0x7FFFFFFF;
    double bound = std::numeric_limits<double>::infinity();
    for (const nav::VorRecord& r : nav::theNavDatabase.vors) {
        const double dx = ax - r.x, dz = az - r.z;
        const double squared = dx * dx + dz * dz;
        if (squared >= bound) continue;
        const auto d = static_cast<std::uint32_t>(std::sqrt(squared));
        if (d < best) {
            best = d;
            bound = static_cast<double>(best) * best;
        }
    }
    benchmark::DoNotOptimize(best);
}

constexpr int kTunings = 20;

void BM_TuneVor(benchmark::State& state) {
    FillVors();
    std::int64_t rows = 0;
    for (auto _ : state) {
        flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(rows % 1000);
        rows += nav::TuneVor(13, 90, 0) == 1 ? kVors : 0;
        benchmark::DoNotOptimize(nav::theNav1Station.distance);
    }
    if (rows == 0) state.SkipWithError("no rows tuned");
    state.SetItemsProcessed(rows);
    std::int64_t r = 0, t = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < kTunings; ++i) {
                flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(++t % 1000);
                benchmark::DoNotOptimize(nav::TuneVor(13, 90, 0));
            }
        },
        [&] {
            for (int i = 0; i < kTunings; ++i)
                NearestOfTheRows(++r);
        });
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_search", ratio, 1.3);
}
BENCHMARK(BM_TuneVor);

void BM_NearestOfTheSameRows(benchmark::State& state) {
    FillVors();
    std::int64_t rows = 0;
    for (auto _ : state) {
        NearestOfTheRows(rows);
        rows += kVors;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_NearestOfTheSameRows);

// A list that only counts, like a list box that keeps row numbers.
class CountingList final : public nav::ListTarget {
public:
    void Reset() override { rows = 0; }
    int Add(std::string_view text) override {
        benchmark::DoNotOptimize(text.data());
        return rows++;
    }
    void Select(int) override {}
    void SetTop(int) override {}
    void SetTabStops(const int*, int) override {}
    int rows = 0;
};

// The peer: a plain walk of the same entries; the airports met.
std::int64_t WalkAirportEntries() {
    std::int64_t rows = 0;
    for (int i = 0; i < nav::theSmsDatabase.EntryCount(); ++i) {
        const nav::SmsListEntry e = nav::theSmsDatabase.Entry(i);
        if (nav::NavKindOfCode(e.code) != 0) continue;
        benchmark::DoNotOptimize(e.name.data());
        ++rows;
    }
    return rows;
}

// The airport list filled against a plain walk of the same entries: at most this.
constexpr double kFillGoal = 1.4;

void BM_FillAirportList(benchmark::State& state) {
    TheFolder();
    nav::theSmsDatabase.Open({});
    CountingList list;
    std::int64_t rows = 0;
    for (auto _ : state)
        rows += nav::theSmsDatabase.FillStationList(list, 0);
    if (rows == 0) state.SkipWithError("no airports listed");
    state.SetItemsProcessed(rows);
    std::int64_t walked = 0;
    const double ratio =
        benchsupport::PairedRatio([&] { rows += nav::theSmsDatabase.FillStationList(list, 0); },
                                  [&] { walked += WalkAirportEntries(); }, 41);
    if (walked == 0) state.SkipWithError("no airports walked");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_walk", ratio, kFillGoal);
}
BENCHMARK(BM_FillAirportList)->Unit(benchmark::kMicrosecond);

void BM_WalkAirportEntries(benchmark::State& state) {
    TheFolder();
    nav::theSmsDatabase.Open({});
    std::int64_t rows = 0;
    for (auto _ : state)
        rows += WalkAirportEntries();
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_WalkAirportEntries)->Unit(benchmark::kMicrosecond);

// Reads the tiles of the world grid's origin from both grid volumes; the bytes read.
std::int64_t ReadOriginTiles(std::vector<std::uint8_t>& buffer) {
    std::int64_t bytes = 0;
    for (core::ResourceVolume* v : {&core::theMagDataVolume, &core::theNorDataVolume}) {
        v->OpenFile(nav::MagTileName(9, 5).substr(0, 5) +
                    (v == &core::theMagDataVolume ? ".mag" : ".nor"));
        bytes += v->ReadRecords(buffer.data(), nav::kGridTileBytes, 1) * nav::kGridTileBytes;
        v->CloseFile();
    }
    benchmark::DoNotOptimize(buffer.data());
    return bytes;
}

// A lookup without the tile cache against reading the two tiles it needs: at most this.
constexpr double kLookupGoal = 1.3;

void LookupBench(benchmark::State& state, bool cache) {
    TheFolder();
    nav::SetGridTileCache(cache);
    std::int64_t lookups = 0, sum = 0;
    const auto lookup = [&] {
        // A point inside tile (9, 5): the origin of the world grid.
        const nav::GridValues v =
            nav::theMapView.LookupGridValues(static_cast<std::int32_t>(lookups % 1000), 0);
        sum += v.variation + v.north;
        ++lookups;
    };
    for (auto _ : state)
        lookup();
    if (sum == 0) state.SkipWithError("the tiles were not read");
    state.SetItemsProcessed(lookups);
    if (!cache) {
        std::vector<std::uint8_t> buffer(nav::kGridTileBytes);
        std::int64_t bytes = 0;
        const double ratio =
            benchsupport::PairedRatio(lookup, [&] { bytes += ReadOriginTiles(buffer); });
        if (bytes == 0) state.SkipWithError("nothing read");
        benchsupport::Goals goals(state);
        goals.AtMost("per_tile_read", ratio, kLookupGoal);
    }
    nav::SetGridTileCache(true);
}
void BM_LookupWithCache(benchmark::State& state) {
    LookupBench(state, true);
}
void BM_LookupWithoutCache(benchmark::State& state) {
    LookupBench(state, false);
}
BENCHMARK(BM_LookupWithCache);
BENCHMARK(BM_LookupWithoutCache)->Unit(benchmark::kMicrosecond);

void BM_Read64Kilobytes(benchmark::State& state) {
    TheFolder();
    std::vector<std::uint8_t> buffer(nav::kGridTileBytes);
    std::int64_t bytes = 0;
    for (auto _ : state)
        bytes += ReadOriginTiles(buffer);
    if (bytes == 0) state.SkipWithError("nothing read");
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Read64Kilobytes)->Unit(benchmark::kMicrosecond);

}  // namespace
