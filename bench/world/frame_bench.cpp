// A whole frame of the outside world at San Carlos (KSQL) at dusk, headless on one core: the
// starter installation's first flight in the plain forward view with two cloud decks and the
// two traffic aircraft flying round, drawn into a 640 x 480 memory surface through the frame's
// own steps (the sky placed and drawn, the scenery objects collected and filed, the aircraft
// filed, the cloud passes with the terrain's) and through the world's own time-of-day palette,
// so that shading and haze take the program's paths. Goal: within kWorldFrameGoal memcpys of
// the 32-bit frame measured in the same run, the milliseconds beside it; heap allocations per frame after
// the first few: goal 0. Needs the installation the build makes (build/install). The whole
// program's frame, panel and present included, is bench_frame's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench/allocation_counter.h"
#include "bench/goal.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/raster/span_state.h"
#include "gfx/surface.h"
#include "platform/file_system.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "world/terrain_manager.h"
#include "world/traffic_aircraft.h"
#include "world/weather_state.h"

namespace {

// A whole frame of the world against a memcpy of the 32-bit frame: at most this.
constexpr double kWorldFrameGoal = 36.0;

namespace fs = std::filesystem;

// The circuit places of the traffic round runway 30, left-hand, 1,000 ft.
double thePlaces[12][3];

void SetUpTraffic(world::TrafficAircraft* a, world::TrafficAircraft* b) {
    double at[3];
    flight::GetAircraftWorldPosition(at);
    const double h = (300.0 + 17.0) * 3.14159265358979 / 180.0;  // runway 30 on the grid
    const double ax = std::sin(h), az = std::cos(h), lx = -az, lz = ax;
    auto set = [&](int p, double along, double left) {
        thePlaces[p][0] = at[0] + along * ax + left * lx;
        thePlaces[p][1] = at[1] + along * az + left * lz;
        thePlaces[p][2] = 0.0;
    };
    const double rows[12][2] = {{0, 0},     {0, 0},        {0, 0},        {0, 0},
                                {2000, 0},  {6000, 0},     {6000, 3000},  {0, 3000},
                                {-4000, 3000}, {-4000, 0}, {2000, 0},     {6000, 0}};
    for (int p = 0; p < 12; ++p)
        set(p, rows[p][0], rows[p][1]);
    world::TrafficCircuit c;
    c.runwayHeading = 317.0;
    c.leftHand = 1;
    c.circuitAltitude = 1000.0;
    c.groundElevation = 5.0;
    c.places = thePlaces;
    c.placeCount = 12;
    c.showShapes = 1;
    world::theTrafficCircuit = c;
    a->index = 0;
    b->index = 1;
    a->other = b;
    b->other = a;
    a->Spawn();
    b->Spawn();
}

void BM_WholeFrameAtKsqlAtDusk(benchmark::State& state) {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    const fs::path install = fs::path(std::string(exe, n > 0 ? static_cast<std::size_t>(n) : 0))
                                 .parent_path()
                                 .parent_path() /
                             "install";
    if (!fs::exists(install / "Flights" / "Startup.Flt")) {
        state.SkipWithError("no starter installation (build the installation target)");
        return;
    }
    const fs::path previous = fs::current_path();
    fs::current_path(install);
    platform::ForgetFolderListings();
    const core::IniFile saved = core::theIniFile;
    core::theIniFile = core::IniFile("/tmp/zephlon-frame-bench.ini");
    core::OpenGlobalVolumes();
    flight::ResetFlightModel();
    sim::SimWorld& w = sim::theSimWorld;
    w.Init(win::HWND{});
    w.SetRunning(1);
    {
        core::IniFile flight("Flights\\Startup.Flt");
        w.LoadSituation(flight, 1);
    }
    // Two decks: a broken one at 3,000 ft under a scattered one at 9,000 ft.
    world::WeatherState* weather = w.Weather();
    weather->GetCloudLayer(0)->SetBase(3000);
    weather->GetCloudLayer(0)->SetThickness(1200);
    weather->GetCloudLayer(0)->SetCoverage(5);
    weather->GetCloudLayer(1)->SetBase(9000);
    weather->GetCloudLayer(1)->SetThickness(1500);
    weather->GetCloudLayer(1)->SetCoverage(3);
    w.UpdateCloudLayers();
    w.SetDayPeriod(2);
    w.SetViewMode(2);
    // The terrain pages in the tiles round the aircraft and builds their objects.
    if (world::TerrainManager* t = w.Terrain()) t->TrackAircraft();
    world::TrafficAircraft a, b;
    SetUpTraffic(&a, &b);

    gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
    auto surface = gfx::GFXMemSurface::Create(640, 480, 8);
    // The world's palette of the moment, with its shade rows by haze level.
    gfx::GFXPalette* palette = w.GetCurrentPalette();
    if (palette == nullptr || palette->shadeTable == nullptr) {
        state.SkipWithError("the world has no shaded palette");
        w.Shutdown();
        core::theIniFile = saved;
        fs::current_path(previous);
        return;
    }
    surface->SetPalette(palette, 0, 256);
    gfx::GFXDrawTarget target(surface.get());
    target.Begin();
    std::uint64_t frames = 0, counted = 0;
    benchsupport::theAllocations = 0;
    long objects = 0;
    // A digest of the first frames' pixels: a faster frame must still draw the same pixels
    // (compare the figure before and after a change; read it from --benchmark_format=json).
    constexpr std::uint64_t kDigestFrames = 16;
    std::uint32_t digest = 2166136261u;
    const std::uint64_t pixelsBefore = gfx::theSpanState.pixelsWritten;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        // After a few frames everything the scene needs is made; from then on, count.
        benchsupport::theCounting = frames >= 3;
        a.Fly();
        b.Fly();
        float eye[3], angles[3];
        sim::theViewController.ComputeEye(eye, angles);
        sim::theViewController.UpdateCamera(eye, angles);
        ts::TSPerspectiveCamera* camera = sim::theViewController.Camera();
        camera->Activate();
        w.LightSet()->Activate();
        camera->SetTransform(ts::Transform3F{});
        if (world::TerrainManager* t = w.Terrain()) t->PrepareView(eye, angles);
        w.RenderSky(eye);
        w.FileAircraft();
        w.UpdateSceneryObjects(eye, 0);
        w.RenderClouds(eye);
        w.LightSet()->Deactivate();
        objects += w.NearObjectCount();
        if (frames < kDigestFrames) {
            state.PauseTiming();
            const gfx::GFXBitmap* bitmap = surface->GetBitmap();
            for (std::int32_t y = 0; y < bitmap->height; ++y) {
                const std::uint8_t* row = bitmap->Row(y);
                for (std::int32_t x = 0; x < bitmap->width; ++x)
                    digest = (digest ^ row[x]) * 16777619u;
            }
            state.ResumeTiming();
        }
        if (frames >= 3) ++counted;
        ++frames;
    }
    const double perFrame = clock.PerIteration(state);
    benchsupport::theCounting = false;
    target.End();
    const double pixels = static_cast<double>(gfx::theSpanState.pixelsWritten - pixelsBefore) /
                          static_cast<double>(std::max<std::uint64_t>(frames, 1));
    if (objects == 0 || pixels == 0) state.SkipWithError("no scenery objects drawn");
    benchsupport::Goals goals(state);
    goals.AtMost("frame_per_memcpy32", perFrame / benchsupport::MemcpyFrame32Seconds(),
                 kWorldFrameGoal);
    goals.Note("frame_ms", perFrame * 1e3);
    goals.AtMost("allocations_per_frame",
                 counted > 0 ? static_cast<double>(benchsupport::theAllocations.load()) /
                                   static_cast<double>(counted)
                             : 0.0,
                 0);
    goals.Note("objects_per_frame", static_cast<double>(objects) / static_cast<double>(frames));
    goals.Note("pixels_per_frame", pixels);
    if (frames >= kDigestFrames) {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", digest);
        goals.Text("digest", text);
    }
    world::theTrafficCircuit = world::TrafficCircuit{};
    a.shape = b.shape = nullptr;  // the world's objects go with it
    w.Shutdown();
    core::theIniFile = saved;
    fs::current_path(previous);
    platform::ForgetFolderListings();
}
BENCHMARK(BM_WholeFrameAtKsqlAtDusk)->Unit(benchmark::kMillisecond);

}  // namespace
