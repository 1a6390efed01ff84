// The world's scenery hot paths, each beside a bare peer measured in the same run:
// - the sky's step with the sun, the moon and 280 stars placed for the observer (µs) against a
//   plain loop of the same number of sine and cosine pairs (goal kSkyStepGoal);
// - a near cloud deck's blocks drawn into a 640 x 480 surface (ms) against filling the surface
//   with memset, the two timed in turns (goal kCloudDeckGoal);
// - one precision runway built from its record (µs) against copying the record 1,000 times, the
//   two timed in turns (goal kRunwayGoal);
// - the near scenery objects of a frame collected from a tile of 2,000 objects standing round
//   80 airports (µs) against a plain loop of the same objects' distances from an array of
//   their positions (goal: at most 0.75 times it: a frame passes over what lies out of reach
//   rather than visiting every object; visiting each took about five times the loop).
// - the scenery part of a frame at dusk (the sky with its stars, two cloud decks above and
//   below the eye): heap allocations per frame after the first (goal 0), counted by the
//   allocation hook below.
// Each counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#define ZEPHLON_ALLOCATION_COUNTER_HERE
#include "bench/allocation_counter.h"
#include "bench/goal.h"
#include "bench/paired.h"
#include "core/numeric.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "world/airport_objects.h"
#include "world/artifacts.h"
#include "world/cloud_layers.h"
#include "world/runway_geometry.h"
#include "world/scenery_services.h"
#include "world/sky.h"

namespace {

// The goals, each a little above what the work measures against its peer, so that a third
// more time fails.
constexpr double kSkyStepGoal = 3.6;
constexpr double kCloudDeckGoal = 28.0;
// The runway's build measured 0.72 copies in each of three runs on a quiet machine (on a busy
// one it moved by half from one process to the next, with where the allocator placed its
// vectors); the goal is a quarter above it.
constexpr double kRunwayGoal = 0.9;

// The sky's peer: for each body, the pairs of sines and cosines a placement needs, no more.
void BareSineCosinePairs(double* sum, double* a) {
    for (int i = 0; i < 282 * 4; ++i) {
        *sum += std::sin(*a) * std::cos(*a);
        *a += 0.001;
    }
    benchmark::DoNotOptimize(*sum);
}

void BM_SkyStep282Bodies(benchmark::State& state) {
    world::ZuluDateTime night;
    night.year = 126;
    night.month = 5;
    night.day = 21;
    night.hour = 8;
    static world::ZuluDateTime theTime;
    theTime = night;
    world::theSceneryServices = world::DefaultSceneryServices();
    world::theSceneryServices.zuluDateTime = [](world::ZuluDateTime* out) { *out = theTime; };
    world::theSceneryServices.latitude = [] { return 37.5; };
    world::theSceneryServices.longitude = [] { return 122.25; };
    world::Sky sky(nullptr, nullptr);
    const float eye[3] = {0, 0, 0};
    sky.PlaceForObserver(eye);
    sky.UpdateLighting(true);
    if (world::CelestialObjects().size() != 282) state.SkipWithError("not 282 bodies");
    double sum = 0.0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        sky.PlaceForObserver(eye);
        sum += sky.GetSun().Elevation();
    }
    const double step = clock.PerIteration(state);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 282);
    world::theSceneryServices = world::DefaultSceneryServices();
    double a = 0.1;
    const double bare = benchsupport::MedianSeconds([&] { BareSineCosinePairs(&sum, &a); });
    benchmark::DoNotOptimize(sum);
    benchsupport::Goals goals(state);
    goals.AtMost("per_bare_pairs", step / bare, kSkyStepGoal);
}
BENCHMARK(BM_SkyStep282Bodies)->Unit(benchmark::kMicrosecond);

void BM_Bare282SineCosinePairs(benchmark::State& state) {
    double sum = 0.0, a = 0.1;
    for (auto _ : state)
        BareSineCosinePairs(&sum, &a);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 282);
}
BENCHMARK(BM_Bare282SineCosinePairs)->Unit(benchmark::kMicrosecond);

struct Surface {
    std::unique_ptr<gfx::GFXMemSurface> surface = gfx::GFXMemSurface::Create(640, 480, 8);
    std::unique_ptr<gfx::GFXDrawTarget> target;
    ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479},
                                   ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
    Surface() {
        surface->SetDrawTable(&gfx::theSoftwareDrawTable);
        target = std::make_unique<gfx::GFXDrawTarget>(surface.get());
        target->Begin();
        // Level, looking north a little above the deck's top.
        ts::Transform3F eye;
        eye.t = ts::Vector3F{0, 0, -2600};
        camera.SetEyeTransform(eye);
        camera.Activate();
        camera.SetTransform(ts::Transform3F{});
    }
    ~Surface() { target->End(); }
};

// The cloud deck's peer: the surface filled row by row with memset.
void FillWithMemset(Surface& s) {
    for (int y = 0; y < 480; ++y)
        std::memset(s.surface->pixels + y * s.surface->stride, 7, 640);
    benchmark::ClobberMemory();
}

void BM_NearCloudDeck(benchmark::State& state) {
    Surface s;
    auto map = gfx::GFXBitmap::Create(256, 256, 8);
    core::srand(1);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            map->Row(y)[x] = core::rand() % 8 < 5 ? 200 : 0;  // five eighths
    world::CloudDeck deck(2000.0f, 3200.0f, 5, *map);
    const double viewer[3] = {0.0, 0.0, 2600.0};
    const double offset[2] = {0.0, 0.0};
    world::UpdateCloudLightFactors();
    long faces = 0;
    for (auto _ : state)
        faces += deck.RenderCells(viewer, offset);
    if (faces == 0) state.SkipWithError("no faces drawn");
    state.counters["faces"] = static_cast<double>(faces) / static_cast<double>(state.iterations());
    const double ratio = benchsupport::PairedRatio(
        [&] { benchmark::DoNotOptimize(deck.RenderCells(viewer, offset)); },
        [&] { FillWithMemset(s); });
    benchsupport::Goals goals(state);
    goals.AtMost("per_memset_fill", ratio, kCloudDeckGoal);
}
BENCHMARK(BM_NearCloudDeck)->Unit(benchmark::kMillisecond);

void BM_FillSurfaceWithMemset(benchmark::State& state) {
    Surface s;
    for (auto _ : state)
        FillWithMemset(s);
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_FillSurfaceWithMemset)->Unit(benchmark::kMillisecond);

world::RunwayRecord PrecisionRunway() {
    world::RunwayRecord r;
    r.width = 150;
    r.length = 9000;
    r.flags = 1;
    r.end1Code = 28 * 4 + 1;
    r.end2Code = 10 * 4 + 2;
    r.threshold1 = 500;
    const std::uint32_t end = 1u | (12u << 3) | (1u << 8) | (1u << 13) | (1u << 14);
    r.markings = end | (end << 15);
    return r;
}

// The runway's peer: its record written out and read back 1,000 times.
void CopyARunwayRecord1000Times(const world::RunwayRecord& r) {
    std::uint8_t bytes[world::RunwayRecord::kSize];
    world::RunwayRecord back;
    for (int i = 0; i < 1000; ++i) {
        r.Write(bytes);
        back.Read(bytes);
        benchmark::DoNotOptimize(back);
    }
}

void BM_BuildOneRunway(benchmark::State& state) {
    const world::RunwayRecord r = PrecisionRunway();
    std::size_t pieces = 0;
    for (auto _ : state) {
        world::RunwayGeometry g(r, 0, 0);
        pieces += g.faces.size() + g.bothWays.size() + g.towardEnd1.size() + g.towardEnd2.size();
        benchmark::DoNotOptimize(g.faces.data());
    }
    if (pieces == 0) state.SkipWithError("nothing built");
    state.counters["pieces"] =
        static_cast<double>(pieces) / static_cast<double>(state.iterations());
    // Ten of each a turn: one build or one round of copies is only a few microseconds.
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 10; ++i) {
                world::RunwayGeometry g(r, 0, 0);
                benchmark::DoNotOptimize(g.faces.data());
            }
        },
        [&] {
            for (int i = 0; i < 10; ++i)
                CopyARunwayRecord1000Times(r);
        });
    benchsupport::Goals goals(state);
    goals.AtMost("per_1000_record_copies", ratio, kRunwayGoal);
}
BENCHMARK(BM_BuildOneRunway)->Unit(benchmark::kMicrosecond);

void BM_CopyARunwayRecord1000Times(benchmark::State& state) {
    const world::RunwayRecord r = PrecisionRunway();
    for (auto _ : state)
        CopyARunwayRecord1000Times(r);
}
BENCHMARK(BM_CopyARunwayRecord1000Times)->Unit(benchmark::kMicrosecond);

// 80 airports of 25 objects each scattered over a third of a terrain tile, listed airport by
// airport as the record files hold them; the viewer stands at one of them, with a few others
// within reach (75 objects near).
void BM_CollectNearObjects(benchmark::State& state) {
    world::theSceneryServices = world::DefaultSceneryServices();
    world::theSceneryServices.isTerrainLoadedAt = [](const double*) { return 1; };
    const std::int32_t x0 = 9 << 20, z0 = 5 << 20;
    std::vector<world::RunwayRecord> records;
    core::srand(11);
    for (int airport = 0; airport < 80; ++airport) {
        const std::int32_t ax = x0 + 20000 + core::rand() * 10, az = z0 + 20000 + core::rand() * 10;
        for (int i = 0; i < 25; ++i) {
            world::RunwayRecord r;
            r.x = ax + core::rand() % 3000;
            r.z = az + core::rand() % 3000;
            r.width = 50;
            r.length = 600;
            r.flags = 1;
            r.tileId = world::TileIdOf(x0, z0);
            records.push_back(r);
        }
    }
    world::AirportObjectDatabase db;
    db.SetRecords(records, {}, {});
    const std::unique_ptr<world::TileArtifacts> tile =
        db.BuildRunways(world::TileIdOf(x0, z0), 0, 0);
    std::vector<double> positions;
    for (const world::Artifact* a : tile->Items())
        positions.insert(positions.end(), a->position, a->position + 3);
    const double viewer[3] = {records[0].x + 1000.0, records[0].z + 1000.0, 300.0};
    const double seconds = benchsupport::MedianSeconds([&] {
        for (int k = 0; k < 20; ++k) {
            int near = 0;
            for (std::size_t i = 0; i < positions.size(); i += 3) {
                const double dx = positions[i] - viewer[0], dy = positions[i + 1] - viewer[1],
                             dz = positions[i + 2] - viewer[2];
                near += dx * dx + dy * dy + dz * dz < 40000.0 * 40000.0 ? 1 : 0;
            }
            benchmark::DoNotOptimize(near);
        }
    }) / 20.0;
    std::size_t near = 0;
    benchsupport::LoopClock clock;
    for (auto _ : state) {
        db.SetView(viewer);
        db.CollectNearObjects(*tile, 40000.0);
        near += db.NearCount();
    }
    const double per = clock.PerIteration(state);
    if (near == 0) state.SkipWithError("nothing collected");
    benchsupport::Goals goals(state);
    goals.Note("near_objects", static_cast<double>(near) / static_cast<double>(state.iterations()));
    goals.AtMost("collect_per_distance_loop", per / seconds, 0.75);
    world::theSceneryServices = world::DefaultSceneryServices();
}
BENCHMARK(BM_CollectNearObjects)->Unit(benchmark::kMicrosecond);

void BM_SceneryFrameAllocations(benchmark::State& state) {
    Surface s;
    static world::ZuluDateTime theDusk;
    theDusk = world::ZuluDateTime{};
    theDusk.year = 126;
    theDusk.month = 5;
    theDusk.day = 22;
    theDusk.hour = 4;  // 21:00 on the west coast
    world::theSceneryServices = world::DefaultSceneryServices();
    world::theSceneryServices.zuluDateTime = [](world::ZuluDateTime* out) { *out = theDusk; };
    world::theSceneryServices.latitude = [] { return 37.5; };
    world::theSceneryServices.longitude = [] { return 122.25; };
    world::Sky sky(nullptr, nullptr);
    auto map = gfx::GFXBitmap::Create(256, 256, 8);
    core::srand(5);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            map->Row(y)[x] = core::rand() % 8 < 4 ? 200 : 0;
    world::CloudLayerSet clouds(nullptr);
    clouds.SetDeck(0, std::make_unique<world::CloudDeck>(6000.0f, 7000.0f, 4, *map));
    clouds.SetDeck(2, std::make_unique<world::CloudDeck>(2000.0f, 3000.0f, 4, *map));
    const float eye[3] = {0, 0, 2600};
    const double viewer[3] = {0, 0, 2600};
    std::uint64_t frames = 0;
    benchsupport::theAllocations = 0;
    for (auto _ : state) {
        // The first frame makes what the night needs (the stars); the count starts after it.
        benchsupport::theCounting = frames > 0;
        sky.PlaceForObserver(eye);
        sky.Render(false);
        clouds.Render(viewer);
        ++frames;
    }
    benchsupport::theCounting = false;
    if (!sky.HasStars()) state.SkipWithError("no night sky drawn");
    benchsupport::Goals goals(state);
    goals.AtMost("allocations_per_frame",
                 frames > 1 ? static_cast<double>(benchsupport::theAllocations.load()) /
                                  static_cast<double>(frames - 1)
                            : 0.0,
                 0);
    world::theSceneryServices = world::DefaultSceneryServices();
}
BENCHMARK(BM_SceneryFrameAllocations)->Unit(benchmark::kMicrosecond);

}  // namespace
