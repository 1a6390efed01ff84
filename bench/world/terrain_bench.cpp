// The terrain against plain peers measured in the same run, on the starter installation's
// country (build/install, made by mkdata at build time; the benchmarks fail without it):
// - a frame's PrepareView plus Render with the polygons counted but not filled, over the plains
//   of Kansas and the Colorado Rockies, at TerrainRange 60 and 100, 1,000 and 10,000 ft above
//   the ground, against a uniform grid over the square the range covers whose cells in view
//   are as many as the polygons the walk submits, its corners sampled from the same terrain,
//   transformed, projected and submitted the same way without levels, light or haze (the grid's
//   polygons must come within a fifth of the walk's; goals: each place's, measured in the same
//   run);
// - GetHeightAt at points scattered over a tile and along tracks against a bilinear lookup in
//   a flat array of floats at the same points, the two timed in turns (goals: at most 7.5 and 8
//   times the bilinear lookup, and 22 and 33 million a second);
// - paging the densest tile (open, convert its heights, load every block, decoding the blocks
//   the installation stores LZH coded; a figure) beside mapping the file and reading all its
//   bytes;
// - ten minutes of flight into the densest tile: its worst frame against its median frame
//   (goals kWorstFrameGoalLow and kWorstFrameGoalHigh).
// Each counts what it produced (cells, polygons, heights, blocks, bytes) and fails on nothing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/raster/poly_request.h"
#include "gfx/surface.h"
#include "nav/lat_lon.h"
#include "platform/file_system.h"
#include "ts/light.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "world/scenery_settings.h"
#include "world/terrain_manager.h"
#include "world/terrain_services.h"

namespace {

namespace fs = std::filesystem;

constexpr double kMetresPerFoot = 0.3048;
constexpr double kFeetPerTerrainUnit = 1.2890625;

// The installation beside the benchmark's own folder (build/bin -> build/install).
fs::path Installation() {
    std::error_code ignored;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ignored);
    return exe.parent_path().parent_path() / "install";
}

// The aircraft's flight-model position and the scenery settings the manager reads.
std::int32_t thePosition[3] = {0, 0, 0};
std::int32_t theRange = 60;

world::TerrainServices BenchServices() {
    return world::TerrainServices{
        [](std::int32_t out[3]) {
            for (int i = 0; i < 3; ++i)
                out[i] = thePosition[i];
        },
        [](std::int32_t y) { thePosition[1] = y; },
        [] { return std::uint32_t{0}; },
        [](int i) { return i == world::kTerrainRange ? theRange : (i == world::kTerrainTexture ? 1 : 0); },
        [](std::uint32_t) {},
        [](int) {},
    };
}

// Polygons reach the draw table and are counted there; nothing is filled.
std::int64_t thePolygons = 0;
void CountPolygon(gfx::GFXSurface*, gfx::GFXPolyRequest*) {
    ++thePolygons;
}

struct Scene {
    bool ready = false;
    gfx::GFXDrawTable table = gfx::theSoftwareDrawTable;
    const gfx::GFXDrawTable* previous = nullptr;
    std::unique_ptr<gfx::GFXMemSurface> surface;
    std::unique_ptr<gfx::GFXPalette> palette;
    std::unique_ptr<gfx::GFXDrawTarget> target;
    std::unique_ptr<ts::TSPerspectiveCamera> camera;
    ts::TSLight sun{ts::TSLight::kDirectional};
    ts::TSLightSet lights;
    std::unique_ptr<world::TerrainManager> manager;

    Scene() {
        const fs::path install = Installation();
        if (!fs::exists(install / "Art" / "Terrain" / "USA" / "stub.ted")) return;
        fs::current_path(install);
        platform::ForgetFolderListings();
        world::theTerrainServices = BenchServices();
        table.DrawPolygon = CountPolygon;
        previous = gfx::GFXMemSurface::SetDrawTable(&table);
        surface = gfx::GFXMemSurface::Create(640, 480, 8);
        gfx::GFXPaletteEntry grey[256];
        for (int i = 0; i < 256; ++i)
            grey[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i),
                                           static_cast<std::uint8_t>(i),
                                           static_cast<std::uint8_t>(i), 0};
        palette = gfx::GFXPalette::CreateFromEntries(grey);
        surface->palette = palette.get();
        target = std::make_unique<gfx::GFXDrawTarget>(surface.get());
        camera = std::make_unique<ts::TSPerspectiveCamera>(
            ts::CameraRect{0, 0, 639, 479}, ts::CameraWindow{-40, 30, 40, -30}, 8.0f, 128.0f);
        sun.worldDirection = ts::Vector3F{0.2f, 0.3f, -0.93f};
        lights.AddLight(&sun);
        manager = std::make_unique<world::TerrainManager>();
        manager->InitDiskCache();
        ready = true;
    }
    ~Scene() {
        manager.reset();
        target.reset();
        if (previous != nullptr) gfx::GFXMemSurface::SetDrawTable(previous);
        world::theTerrainServices = world::DefaultTerrainServices();
    }

    // Pages the window round a place, `feet` above its ground; the eye in grid coordinates.
    bool Place(double lat, double lonWest, double feet, std::int32_t range, float eye[3]) {
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, lat, lonWest);
        thePosition[0] = x;
        thePosition[2] = z;
        theRange = range;
        manager->TrackAircraft();
        manager->ApplyGraphicsSettings();
        if (manager->CentreTile() == nullptr) return false;
        const double world[3] = {x / world::kFlightUnitsPerTerrainUnit + 9.0 * world::kTileUnits,
                                 z / world::kFlightUnitsPerTerrainUnit + 5.0 * world::kTileUnits,
                                 0.0};
        const double ground = manager->GetHeightAt(world).height;
        const double heightUnits = ground + feet / kFeetPerTerrainUnit;
        thePosition[1] =
            static_cast<std::int32_t>(heightUnits * kFeetPerTerrainUnit * kMetresPerFoot * 256.0);
        manager->TrackAircraft();
        double grid[3];
        manager->WorldToGrid(world, grid);
        eye[0] = static_cast<float>(grid[0]);
        eye[1] = static_cast<float>(grid[1]);
        eye[2] = static_cast<float>(heightUnits);
        return true;
    }

    // Makes the camera look from the eye along a heading, a little down.
    void Look(const float eye[3], float heading, float angles[3]) {
        angles[0] = -0.05f;
        angles[1] = 0.0f;
        angles[2] = heading;
        ts::Transform3F placement;
        ts::Matrix3F::SetEulerAngles(ts::Vector3F{angles[0], angles[1], angles[2]},
                                     &placement.matrix);
        placement.t = ts::Vector3F{eye[0], eye[1], eye[2]};
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(placement, &worldToEye);
        camera->SetEyeTransform(worldToEye);
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

// A place and the goals of its terrain frame against the uniform grid's over the same view with
// as many polygons, at TerrainRange 60 and 100, each 1,000 and 10,000 ft up (about a quarter
// above what each measures: the walk's levels, light and haze against bare submission).
struct Place {
    const char* name;
    double lat, lonWest;
    double goals[4];
};
const Place kPlains{"plains", 38.4, 98.6, {18.5, 21.0, 20.0, 18.0}};
const Place kRockies{"rockies", 39.6, 106.0, {18.5, 13.5, 20.5, 13.2}};
// Rounds of the walk and the grid timed in turns for a goal.
constexpr int kRounds = 11;

// Pages the window for a benchmark's arguments {TerrainRange setting, feet above the ground};
// false (the benchmark skipped) without the installation.
bool PlaceForArguments(benchmark::State& state, const Place& place, float eye[3]) {
    Scene& s = TheScene();
    const auto range = static_cast<std::int32_t>(state.range(0));
    const double feet = static_cast<double>(state.range(1));
    if (!s.ready || !s.Place(place.lat, place.lonWest, feet, range, eye)) {
        state.SkipWithError("the starter installation is not built");
        return false;
    }
    return true;
}

// The peer: a uniform grid over the square of the view range round the eye, `cells` cells a
// side, heights sampled from the same terrain beforehand; every corner carried to the eye and
// projected, every cell whose corners all lie in front submitted as a quadrilateral to the same
// counting table.
struct UniformCells {
    Scene& s;
    float eye[3] = {};
    float viewRange = 0;
    int n = 0;
    std::vector<ts::Vector3F> points;
    std::vector<ts::ScreenPoint> screen;
    std::vector<ts::Vector3F> eyePoints;
    std::vector<std::uint8_t> inFront;

    // The grid round the eye the window was paged for (its view range at this height).
    UniformCells(Scene& scene, const float at[3], int cells) : s(scene) {
        std::copy(at, at + 3, eye);
        float angles[3];
        s.Look(eye, 0.0f, angles);
        s.manager->PrepareView(eye, angles);
        viewRange = static_cast<float>(s.manager->ViewRange());
        n = std::max(cells, 2) + 1;
        const float step = 2.0f * viewRange / static_cast<float>(n - 1);
        points.resize(static_cast<std::size_t>(n) * n);
        const float x0 = eye[0] - viewRange, y0 = eye[1] - viewRange;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const float x = x0 + i * step, y = y0 + j * step;
                const world::TerrainHeightResult& h = s.manager->GetHeightAtGrid(
                    static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
                points[static_cast<std::size_t>(j * n + i)] = ts::Vector3F{x, y, h.height};
            }
        screen.resize(points.size());
        eyePoints.resize(points.size());
        inFront.resize(points.size());
    }

    // One frame looking along `heading`; the cells drawn.
    std::int64_t Frame(float heading) {
        gfx::GFXFaceMaterial face;
        face.colour = 100;
        float angles[3];
        s.Look(eye, heading, angles);
        s.target->Begin();
        s.camera->Activate();
        s.camera->SetTransform(ts::Transform3F{});
        const ts::Transform3F& toEye = s.camera->GetModelToEye();
        const float nearPlane = s.camera->GetNear();
        for (std::size_t k = 0; k < points.size(); ++k) {
            ts::Transform3F::TransformPoint(points[k], toEye, &eyePoints[k]);
            inFront[k] = eyePoints[k].y >= nearPlane ? 1 : 0;
            if (inFront[k] != 0) s.camera->ProjectPoint(eyePoints[k], &screen[k]);
        }
        std::int64_t cells = 0;
        for (int j = 0; j + 1 < n; ++j)
            for (int i = 0; i + 1 < n; ++i) {
                const std::size_t a = static_cast<std::size_t>(j * n + i);
                const std::size_t c[4] = {a, a + static_cast<std::size_t>(n),
                                          a + static_cast<std::size_t>(n) + 1, a + 1};
                if ((inFront[c[0]] & inFront[c[1]] & inFront[c[2]] & inFront[c[3]]) == 0) continue;
                const gfx::GFXScreenPoint* p[4] = {&screen[c[0]], &screen[c[1]], &screen[c[2]],
                                                   &screen[c[3]]};
                gfx::DrawQuadSolid(*s.target, face, p);
                ++cells;
            }
        s.target->End();
        return cells;
    }
};

// A grid whose cells in view in a frame are about `polygons`: sized once from the share of a
// trial grid's cells that lay in view.
UniformCells GridOfAsManyCells(Scene& s, const float eye[3], double polygons) {
    constexpr int kTrial = 64;
    UniformCells trial(s, eye, kTrial);
    std::int64_t inView = 0;
    for (int h = 0; h < 16; ++h)
        inView += trial.Frame(static_cast<float>(h) * 0.3927f);
    const double share = std::max(static_cast<double>(inView) / 16.0 / (kTrial * kTrial), 1e-3);
    return UniformCells(s, eye, static_cast<int>(std::lround(std::sqrt(polygons / share))));
}

void TerrainFrames(benchmark::State& state, const Place& place) {
    Scene& s = TheScene();
    float eye[3];
    if (!PlaceForArguments(state, place, eye)) return;
    // One frame of the walk looking along the k-th of 16 headings; the cells it drew.
    const auto walk = [&](std::int64_t k) {
        float angles[3];
        s.Look(eye, static_cast<float>(k % 16) * 0.3927f, angles);
        s.target->Begin();
        s.camera->Activate();
        s.lights.Activate();
        s.camera->SetTransform(ts::Transform3F{});
        s.manager->PrepareView(eye, angles);
        const std::int64_t drawn = s.manager->Render();
        s.lights.Deactivate();
        s.target->End();
        return drawn;
    };
    std::int64_t frames = 0, cells = 0;
    thePolygons = 0;
    std::vector<double> times;
    for (auto _ : state) {
        const double t0 = benchsupport::ThreadSeconds();
        cells += walk(frames++);
        times.push_back(benchsupport::ThreadSeconds() - t0);
    }
    const double frame = benchsupport::Median(times);
    if (cells == 0 || thePolygons == 0) state.SkipWithError("no cells drawn");
    state.counters["cells"] = benchmark::Counter(static_cast<double>(cells) / frames);
    state.counters["polygons"] = benchmark::Counter(static_cast<double>(thePolygons) / frames);
    state.counters["range"] = s.manager->ViewRange();
    state.SetItemsProcessed(frames);
    // The uniform grid's frame over the same view with as many polygons, measured after the
    // walk's frames (it pages nothing the walk did not).
    const double walkPolygons = static_cast<double>(thePolygons) / static_cast<double>(frames);
    UniformCells grid = GridOfAsManyCells(s, eye, walkPolygons);
    std::int64_t gridCells = 0, gridFrames = 0;
    // Each timed call looks round all 16 headings, the walk and the grid in turns.
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int k = 0; k < 16; ++k)
                benchmark::DoNotOptimize(walk(k));
        },
        [&] {
            for (int k = 0; k < 16; ++k, ++gridFrames)
                gridCells += grid.Frame(static_cast<float>(k) * 0.3927f);
        },
        kRounds);
    const double gridPolygons = static_cast<double>(gridCells) / static_cast<double>(gridFrames);
    if (std::fabs(gridPolygons - walkPolygons) > walkPolygons / 5)
        state.SkipWithError("the grid's polygons are not within a fifth of the walk's");
    const int which = (state.range(0) >= 100 ? 2 : 0) + (state.range(1) >= 10000 ? 1 : 0);
    benchsupport::Goals goals(state);
    goals.AtMost("per_uniform_grid", ratio, place.goals[which]);
    goals.Note("ms", frame * 1e3);
    goals.Note("grid_polygons", gridPolygons);
}

void UniformGrid(benchmark::State& state, const Place& place) {
    Scene& s = TheScene();
    float eye[3];
    if (!PlaceForArguments(state, place, eye)) return;
    UniformCells grid(s, eye, static_cast<int>(s.manager->ViewRange() / 256.0));
    std::int64_t frames = 0, cells = 0;
    thePolygons = 0;
    for (auto _ : state) {
        cells += grid.Frame(static_cast<float>(frames % 16) * 0.3927f);
        ++frames;
    }
    if (cells == 0) state.SkipWithError("no cells drawn");
    state.counters["cells"] = benchmark::Counter(static_cast<double>(cells) / frames);
    state.counters["range"] = grid.viewRange;
    state.SetItemsProcessed(frames);
}

// {TerrainRange setting, feet above the ground}.
#define TERRAIN_ARGS \
    Args({60, 1000})->Args({60, 10000})->Args({100, 1000})->Args({100, 10000})->Unit(benchmark::kMillisecond)
BENCHMARK_CAPTURE(TerrainFrames, Plains, kPlains)->TERRAIN_ARGS;
BENCHMARK_CAPTURE(TerrainFrames, Rockies, kRockies)->TERRAIN_ARGS;
BENCHMARK_CAPTURE(UniformGrid, Plains, kPlains)->TERRAIN_ARGS;
BENCHMARK_CAPTURE(UniformGrid, Rockies, kRockies)->TERRAIN_ARGS;
#undef TERRAIN_ARGS

// ---- flying into a new tile -------------------------------------------------------------------

// Blocks loaded in the whole window.
std::int64_t LoadedBlocks(const world::TerrainManager& m) {
    std::int64_t n = 0;
    for (int i = 0; i < 9; ++i)
        if (const world::TerrainTile* t = m.Slot(i)) n += t->LoadedBlockCount();
    return n;
}

// The worst frame of the flight against its median frame, 3,000 and 10,000 ft up: the blocks a
// frame pages must not make it longer than this many of the flight's ordinary frames (a little
// above what each measures; the lower flight's frames are the cheaper).
constexpr double kWorstFrameGoalLow = 33.0;
constexpr double kWorstFrameGoalHigh = 19.0;

// What a flight pays for paging: ten minutes at 200 kt, 3,000 or 10,000 ft (the argument) above
// the ground, eastward across the edge into the installation's densest tile (row 5, column 11)
// at TerrainRange 100, one frame's tracking, view and terrain walk (polygons counted, not
// filled) every 1/30 s. The first frame (the window paged at the start, behind the wait cursor)
// is given apart; the goal is on the worst frame of the flight after it, against its median.
void BM_FlyIntoDensestTile(benchmark::State& state) {
    Scene& s = TheScene();
    if (!s.ready) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    constexpr double kTileFlight = world::kTileUnits * world::kFlightUnitsPerTerrainUnit;
    constexpr double kFeetPerSecond = 200.0 * 6076.12 / 3600.0;
    constexpr int kFrames = 600 * 30;
    const double step = kFeetPerSecond / 30.0 * kMetresPerFoot * 256.0;  // flight units
    double worst = 0.0, first = 0.0;
    std::vector<double> times;
    std::int64_t blocks = 0, framesLoading = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.manager = std::make_unique<world::TerrainManager>();
        s.manager->InitDiskCache();
        state.ResumeTiming();
        theRange = 100;
        times.clear();
        thePolygons = 0;
        double x = 2.0 * kTileFlight - 120.0 * 30.0 * step;
        const double z = 5.5 * kTileFlight - 5.0 * kTileFlight;
        std::int64_t before = 0;
        for (int f = 0; f <= kFrames; ++f, x += step) {
            const double t0 = benchsupport::ThreadSeconds();
            thePosition[0] = static_cast<std::int32_t>(x);
            thePosition[2] = static_cast<std::int32_t>(z);
            s.manager->TrackAircraft();
            if (f == 0) s.manager->ApplyGraphicsSettings();
            const double world[3] = {x / world::kFlightUnitsPerTerrainUnit + 9.0 * world::kTileUnits,
                                     z / world::kFlightUnitsPerTerrainUnit + 5.0 * world::kTileUnits,
                                     0.0};
            const double heightUnits = s.manager->GetHeightAt(world).height +
                                       static_cast<double>(state.range(0)) / kFeetPerTerrainUnit;
            thePosition[1] = static_cast<std::int32_t>(heightUnits * kFeetPerTerrainUnit * kMetresPerFoot * 256.0);
            double grid[3];
            s.manager->WorldToGrid(world, grid);
            const float eye[3] = {static_cast<float>(grid[0]), static_cast<float>(grid[1]),
                                  static_cast<float>(heightUnits)};
            float angles[3];
            s.Look(eye, -1.5708f, angles);
            s.target->Begin();
            s.camera->Activate();
            s.lights.Activate();
            s.camera->SetTransform(ts::Transform3F{});
            s.manager->PrepareView(eye, angles);
            (void)s.manager->Render();
            s.lights.Deactivate();
            s.target->End();
            const double t = benchsupport::ThreadSeconds() - t0;
            const std::int64_t now = LoadedBlocks(*s.manager);
            if (f == 0) {
                first = t;
            } else {
                times.push_back(t);
                worst = std::max(worst, t);
                if (now != before) ++framesLoading;
            }
            blocks += now - before;
            before = now;
        }
    }
    s.manager = std::make_unique<world::TerrainManager>();
    s.manager->InitDiskCache();
    if (blocks == 0 || times.empty()) state.SkipWithError("no blocks paged");
    state.counters["blocks"] = benchmark::Counter(static_cast<double>(blocks), benchmark::Counter::kAvgIterations);
    state.counters["frames_loading"] =
        benchmark::Counter(static_cast<double>(framesLoading), benchmark::Counter::kAvgIterations);
    benchsupport::Goals goals(state);
    goals.Note("polygons_per_frame", static_cast<double>(thePolygons) / (kFrames + 1));
    goals.Note("first_frame_ms", first * 1e3);
    const double median = benchsupport::Median(times);
    goals.Note("median_frame_ms", median * 1e3);
    goals.Note("worst_frame_ms", worst * 1e3);
    goals.AtMost("worst_per_median_frame", median > 0 ? worst / median : 0,
                 state.range(0) >= 10000 ? kWorstFrameGoalHigh : kWorstFrameGoalLow);
}
BENCHMARK(BM_FlyIntoDensestTile)->Arg(3000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- heights --------------------------------------------------------------------------------

// Query points over a tile of `span` units from `lo`: scattered at random, or along tracks of
// 512 points 64 units apart (as the aircraft, its shadow and the scenery ask).
std::vector<std::int32_t> QueryPoints(bool tracks, std::int32_t lo, std::int32_t span) {
    std::mt19937 rng(11);
    std::vector<std::int32_t> xy(2 * 4096);
    const auto any = [&] { return lo + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(span)); };
    for (std::size_t k = 0; k < xy.size(); k += 2) {
        if (!tracks || k % 1024 == 0) {
            xy[k] = any();
            xy[k + 1] = any();
            continue;
        }
        xy[k] = std::clamp(xy[k - 2] + 45, lo, lo + span - 1);
        xy[k + 1] = std::clamp(xy[k - 1] + 45, lo, lo + span - 1);
    }
    return xy;
}

// The peer: a 1024 x 1024 float raster over a tile, bilinear between its samples.
class BilinearRaster {
public:
    BilinearRaster() : raster_(static_cast<std::size_t>(kN + 1) * (kN + 1)) {
        for (std::size_t i = 0; i < raster_.size(); ++i)
            raster_[i] = static_cast<float>((i * 2654435761u) % 4096u);
    }
    // The sum of the heights at the points (x, y pairs inside the tile counted from its corner).
    [[nodiscard]] double Sum(const std::vector<std::int32_t>& xy) const {
        const float scale = static_cast<float>(kN) / static_cast<float>(world::kTileUnits);
        double sum = 0.0;
        for (std::size_t k = 0; k < xy.size(); k += 2) {
            const float fx = static_cast<float>(xy[k]) * scale;
            const float fy = static_cast<float>(xy[k + 1]) * scale;
            const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
            const float u = fx - static_cast<float>(ix), v = fy - static_cast<float>(iy);
            const float* r = raster_.data() + static_cast<std::size_t>(iy) * (kN + 1) + ix;
            const float top = r[0] + (r[1] - r[0]) * u;
            const float bottom = r[kN + 1] + (r[kN + 2] - r[kN + 1]) * u;
            sum += top + (bottom - top) * v;
        }
        return sum;
    }

private:
    static constexpr int kN = 1024;
    std::vector<float> raster_;
};

// Heights of the centre tile at the query points, with the bilinear raster over as many points
// (the same pattern) as the reference measured in the same run: each lookup may cost at most
// 7.5 bilinear ones scattered and 8 along tracks, about 1.25 times what it measures.
void HeightQueries(benchmark::State& state, bool tracks) {
    Scene& s = TheScene();
    float eye[3];
    if (!s.ready || !s.Place(kRockies.lat, kRockies.lonWest, 1000.0, 60, eye)) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    world::TerrainTile* tile = s.manager->CentreTile();
    const std::vector<std::int32_t> xy = QueryPoints(tracks, -world::kTileUnits / 2, world::kTileUnits);
    // A digest of every answer's bits (height, normal, material), to show they stay the same.
    std::uint64_t digest = 1469598103934665603u;
    for (std::size_t k = 0; k < xy.size(); k += 2) {
        const world::TerrainHeightResult& r = tile->GetHeightAt(xy[k], xy[k + 1]);
        const float bits[4] = {r.height, r.normal[0], r.normal[1], r.normal[2]};
        std::uint32_t words[4];
        std::memcpy(words, bits, sizeof words);
        for (std::uint32_t w : words)
            digest = (digest ^ w) * 1099511628211u;
        digest = (digest ^ (r.material != nullptr ? r.material->paletteIndex * 16 + r.material->type : 0xFFFFu)) * 1099511628211u;
    }
    std::int64_t heights = 0;
    double sum = 0.0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        for (std::size_t k = 0; k < xy.size(); k += 2)
            sum += tile->GetHeightAt(xy[k], xy[k + 1]).height;
        heights += static_cast<std::int64_t>(xy.size() / 2);
    }
    const double pass = clock.PerIteration(state);
    // The lookups and their peer in turns, each pair a ratio: the median ratio, so that a
    // stretch of a loaded machine's noise in either side does not decide the goal.
    const BilinearRaster raster;
    const std::vector<std::int32_t> peerPoints = QueryPoints(tracks, 0, world::kTileUnits);
    double peerSum = 0.0;
    std::vector<double> ratios;
    for (int i = 0; i < 101; ++i) {
        const double t0 = benchsupport::ThreadSeconds();
        for (std::size_t k = 0; k < xy.size(); k += 2)
            sum += tile->GetHeightAt(xy[k], xy[k + 1]).height;
        const double t1 = benchsupport::ThreadSeconds();
        peerSum += raster.Sum(peerPoints);
        const double t2 = benchsupport::ThreadSeconds();
        if (t2 > t1) ratios.push_back((t1 - t0) / (t2 - t1));
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(peerSum);
    if (heights == 0 || sum == 0.0 || peerSum == 0.0) state.SkipWithError("no heights");
    state.SetItemsProcessed(heights);
    benchsupport::Goals goals(state);
    goals.AtLeast("millions_a_second", static_cast<double>(xy.size() / 2) / pass / 1e6,
                  tracks ? 33.0 : 22.0);
    goals.AtMost("per_bilinear", ratios.empty() ? 1e9 : benchsupport::Median(ratios),
                 tracks ? 8.0 : 7.5);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(digest));
    goals.Text("digest", hex);
}
BENCHMARK_CAPTURE(HeightQueries, GetHeightAtScattered, false);
BENCHMARK_CAPTURE(HeightQueries, GetHeightAtAlongTracks, true);

// The peer on its own, for reading beside the lookups.
void Bilinear(benchmark::State& state, bool tracks) {
    const BilinearRaster raster;
    const std::vector<std::int32_t> xy = QueryPoints(tracks, 0, world::kTileUnits);
    std::int64_t heights = 0;
    double sum = 0.0;
    for (auto _ : state) {
        sum += raster.Sum(xy);
        heights += static_cast<std::int64_t>(xy.size() / 2);
    }
    benchmark::DoNotOptimize(sum);
    if (heights == 0) state.SkipWithError("no heights");
    state.SetItemsProcessed(heights);
}
BENCHMARK_CAPTURE(Bilinear, Scattered, false);
BENCHMARK_CAPTURE(Bilinear, AlongTracks, true);

// ---- paging ---------------------------------------------------------------------------------

// The largest tile file of the installation.
fs::path DensestTile() {
    fs::path best;
    std::uintmax_t bestSize = 0;
    std::error_code ignored;
    const fs::path folder = Installation() / "Art" / "Terrain" / "USA";
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ignored)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("NA_", 0) != 0) continue;
        if (e.file_size() > bestSize) {
            bestSize = e.file_size();
            best = e.path();
        }
    }
    return best;
}

void BM_PageDensestTile(benchmark::State& state) {
    const fs::path path = DensestTile();
    if (path.empty()) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    std::int64_t blocks = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        world::TerrainTile tile(0, 0);
        if (!tile.Open(path.string())) break;
        std::int32_t heights[256];
        for (int i = 0; i < 256; ++i)
            heights[i] =
                world::ConvertHeightToTerrain(tile.Root()->ownHeights[static_cast<std::size_t>(i)]);
        tile.ConvertHeightsToTerrain(true);
        tile.SetRootHeights(heights);
        for (const world::TerrainBlockRecord& r : tile.Blocks())
            benchmark::DoNotOptimize(tile.GetBlock(tile.Root(), r.id));
        blocks += tile.LoadedBlockCount();
    }
    const double page = clock.PerIteration(state);
    if (blocks == 0) state.SkipWithError("no blocks loaded");
    state.counters["blocks"] = benchmark::Counter(static_cast<double>(blocks),
                                                  benchmark::Counter::kAvgIterations);
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
    state.SetItemsProcessed(blocks);
    // A figure, not a goal: the program never pages a whole tile at once (blocks load as lookups
    // reach them), so a frame's budget belongs to BM_FlyIntoDensestTile's worst frame.
    benchsupport::Goals goals(state);
    goals.Note("ms", page * 1e3);
}
BENCHMARK(BM_PageDensestTile)->Unit(benchmark::kMillisecond);

void BM_MapAndReadDensestTile(benchmark::State& state) {
    const fs::path path = DensestTile();
    if (path.empty()) {
        state.SkipWithError("the starter installation is not built");
        return;
    }
    std::int64_t bytes = 0;
    std::uint64_t sum = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) break;
        struct stat st {};
        ::fstat(fd, &st);
        const auto size = static_cast<std::size_t>(st.st_size);
        void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (view == MAP_FAILED) break;
        const auto* p = static_cast<const std::uint8_t*>(view);
        for (std::size_t i = 0; i < size; i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + i, std::min<std::size_t>(8, size - i));
            sum += word;
        }
        ::munmap(view, size);
        bytes += static_cast<std::int64_t>(size);
    }
    benchmark::DoNotOptimize(sum);
    if (bytes == 0) state.SkipWithError("nothing read");
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_MapAndReadDensestTile)->Unit(benchmark::kMillisecond);

}  // namespace
