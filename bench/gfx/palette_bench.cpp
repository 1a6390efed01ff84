// Palette set-up per time-of-day change, in microseconds: the level's palette file read from a
// loose palette folder, the brightness scaling and the installation on the window surface,
// with and without the present that realizes it, against reading the same file and scaling its
// colours alone (goals kChangeGoal and kPresentGoal; the palette must change); and the
// brightness scaling alone.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "bench/goal.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"
#include "gfx/tod_palette.h"
#include "platform/headless/headless_backend.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

namespace {

// A palette change against reading its file and scaling its colours alone, without and with
// the present that realizes it: a little above what they measure, so a third more time fails.
constexpr double kChangeGoal = 3.2;
constexpr double kPresentGoal = 6.7;

win::LResult PlainProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return win::DefWindowProc(h, m, w, l);
}

// A headless machine with the window mode running and 32 exterior palette files on disk.
struct Machine {
    platform::HeadlessBackend backend;
    std::string folder;
    std::unique_ptr<core::IniFile> ini;
    std::unique_ptr<core::ResourceVolume> volume;

    Machine() {
        platform::SetCurrentBackend(&backend);
        win::detail::ResetWindowSystem();
        backend.Screen().Open(platform::VideoOptions{});
        win::WNDCLASS wc;
        wc.className = "PaletteBench";
        wc.wndProc = PlainProc;
        win::RegisterClass(wc);
        const win::HWND main = win::CreateWindowEx(0, "PaletteBench", "Main", win::WS_VISIBLE, 0, 0,
                                                   640, 480, {}, {}, {}, 0);
        win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);
        gfx::SetDisplayOptions(main, {}, 2);
        gfx::InitDisplay(640, 480, 8);
        gfx::SetDisplayMode(gfx::kDisplayWindow, 1);

        char pattern[] = "/tmp/zephlon-palbench-XXXXXX";
        folder = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        for (int level = 0; level < 32; ++level) {
            gfx::GFXPalette p;
            for (int i = 0; i < 256; ++i) {
                const int v = (i * (40 - level)) / 40;
                p.entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(v),
                                                    static_cast<std::uint8_t>(v / 2),
                                                    static_cast<std::uint8_t>(255 - v), 0};
            }
            p.Save(folder + "/" + gfx::TimeOfDayPalette::PaletteFileName(true, false, level));
        }
        ini = std::make_unique<core::IniFile>((folder + "/bench.ini").c_str());
        ini->PutInt("Settings", "GammaLevel", 60);
        volume = std::make_unique<core::ResourceVolume>(nullptr, folder.c_str(), 0);
    }
    ~Machine() {
        gfx::SetDisplayMode(gfx::kDisplayNone, 0);
        gfx::ResetSystemPaletteState();
        volume.reset();
        win::detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// Argument 1 also presents the frame, which realizes the palette and copies the picture.
void BM_TimeOfDayChange(benchmark::State& state) {
    Machine machine;
    gfx::TimeOfDayPalette tod(machine.ini.get(), machine.volume.get());
    const bool present = state.range(0) != 0;
    int step = 0;
    std::int64_t changed = 0;
    gfx::GFXPaletteEntry last{};
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        tod.SetLightLevel(static_cast<float>(step++ % 32) / 31.0f);
        const gfx::GFXPaletteEntry now = tod.GetPalette()->entries[200];
        changed += now.red != last.red || now.green != last.green || now.blue != last.blue;
        last = now;
        if (present) gfx::GetDisplaySurface()->Present(nullptr);
    }
    const double change = clock.PerIteration(state);
    if (changed == 0) state.SkipWithError("the palette never changed");
    // The peer: the level's file read whole and its colours scaled, nothing installed.
    int level = 0;
    const double peer = benchsupport::MedianSeconds([&] {
        const std::string path = machine.folder + "/" +
                                 gfx::TimeOfDayPalette::PaletteFileName(true, false, level++ % 32);
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        gfx::GFXPalette work;
        std::memcpy(work.entries, bytes.data(), std::min(bytes.size(), sizeof work.entries));
        gfx::TimeOfDayPalette::ApplyGamma(&work, 60, true);
        benchmark::DoNotOptimize(work.entries[100]);
    });
    benchsupport::Goals goals(state);
    goals.AtMost("per_file_read_and_scaling", change / peer, present ? kPresentGoal : kChangeGoal);
}
BENCHMARK(BM_TimeOfDayChange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_GammaOnly(benchmark::State& state) {
    gfx::GFXPalette source;
    for (int i = 0; i < 256; ++i)
        source.entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i),
                                                 static_cast<std::uint8_t>(i / 2), 90, 0};
    gfx::GFXPalette work;
    for (auto _ : state) {
        std::copy(source.entries, source.entries + 256, work.entries);
        gfx::TimeOfDayPalette::ApplyGamma(&work, 60, true);
        benchmark::DoNotOptimize(work.entries[100]);
    }
}
BENCHMARK(BM_GammaOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
