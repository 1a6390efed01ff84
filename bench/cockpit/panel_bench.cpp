// The panel's per-frame costs with the starter installation's C172 art, on the headless machine's
// 640x480 8-bit window surface, each beside memcpy of comparable bytes in the same run:
// - a steady panel pass (every gauge unchanged; edge line and compass drawn) against memcpy of
//   the panel's 640 x 309 bytes (a figure: the edge line and compass alone take about 0.04 of
//   it, and each of the layout's 75 rows still visits its gauge, which compares and returns);
// - a priming frame (background, reset, invalidation) against memcpy of 640 x 480 (goal: 3.4 times
//   or less);
// - DrawFrame of a needle glyph against copying the glyph's rows, one memcpy a row, from its
//   bitmap into a 640-byte-wide picture (goal: 2.2 times or less);
// - a King Air frame in which every gauge changes (needles slewing, radios and drums moving)
//   against memcpy of its panel's 640 x 330 bytes (goal: 5.4 times or less);
// - UpdateGauges against a plain loop over the 72 gauges' words (goal: within 1.7 times).
// Each benchmark checks what it drew and fails when it drew nothing, and measures its peer
// (memcpy of aligned buffers, the glyph's rows, or the plain loop) in the same run; the ratio is
// printed beside its goal. The peers also run on their own (BM_Memcpy..., BM_CopyNeedleGlyphRows),
// for reading.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_services.h"
#include "flight/flight_model_state.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_redraw.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_world_services.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "gfx/system_palette.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "win/gdi.h"
#include "win/window.h"
#include "win/window_surface.h"

namespace {

constexpr int kPanelRows = 309;
constexpr int kPanelTop = 171;

int FullPanel() {
    return 0;
}
int CompassOn() {
    return 1;
}

// The display, the C172 selected in the full-panel view, its art from the installation.
struct Cockpit {
    platform::HeadlessBackend machine;
    win::HWND main;
    std::string folder;
    bool ready = false;

    Cockpit() {
        std::string pattern = "/tmp/zephlon-bench-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) folder = pattern;
        core::theIniFile = core::IniFile((folder + "/zephlon.ini").c_str());
        platform::SetCurrentBackend(&machine);
        win::ResetSystemPalette();
        gfx::ResetSystemPaletteState();
        machine.Screen().Open(platform::VideoOptions{});
        win::WNDCLASS wc;
        wc.className = "BenchWindow";
        wc.wndProc = win::DefWindowProc;
        win::RegisterClass(wc);
        main = win::CreateWindowEx(0, "BenchWindow", "Main", win::WS_VISIBLE, 0, 0, 640, 480, {},
                                   {}, {}, 0);
        win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);
        gfx::SetDisplayOptions(main, {}, 2);
        gfx::InitDisplay(640, 480, 8);
        if (gfx::SetDisplayMode(gfx::kDisplayWindow, 1) == 0) return;
        const std::string install = std::string(ZEPHLON_BINARY_DIR) + "/install";
        core::thePanelVolume.SetNames((install + "/Art/Panel.Vol").c_str(),
                                      (install + "/Art/Panel").c_str(), 0);
        core::theCockpitVolume.SetNames((install + "/Art/Cockpit.Vol").c_str(),
                                        (install + "/Art/Cockpit").c_str(), 0);
        flight::theFlightWorldServices.viewMode = &FullPanel;
        flight::theFlightWorldServices.lookDirection = &FullPanel;
        cockpit::thePanelHost.compassShown = &CompassOn;
        flight::theAircraft.SelectByType(0);
        flight::theAircraft.UpdateViewBitmaps(0, 0);
        ready = cockpit::theLongNeedleFont != nullptr && cockpit::theCompassCardArt != nullptr;
    }
    ~Cockpit() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
};

Cockpit& The() {
    static Cockpit c;
    return c;
}

// The edge line's row holds its colour across the screen.
bool EdgeLineDrawn() {
    gfx::GFXSurface* s = gfx::GetDrawSurface();
    gfx::GFXSurfaceLock lock(*s);
    for (int x = 0; x < 640; ++x)
        if (s->pixels[static_cast<std::ptrdiff_t>(kPanelTop) * s->stride + x] != 12) return false;
    return true;
}

void Memcpy(benchmark::State& state, std::size_t bytes) {
    benchsupport::MemcpyLoop(state, bytes);
}

void BM_MemcpyPanel(benchmark::State& state) {
    Memcpy(state, 640 * kPanelRows);
}
BENCHMARK(BM_MemcpyPanel);

void BM_SteadyPanelPass(benchmark::State& state) {
    Cockpit& c = The();
    if (!c.ready) {
        state.SkipWithError("no panel art in the starter installation");
        return;
    }
    cockpit::thePanelPrimed = 0;
    cockpit::PaintCockpit(0, 0);
    const int primed = cockpit::thePanelPrimeCount;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        cockpit::PaintCockpit(0, 0);
        benchmark::ClobberMemory();
    }
    const double pass = clock.PerIteration(state);
    if (cockpit::thePanelPrimeCount != primed) state.SkipWithError("the steady pass primed");
    if (!EdgeLineDrawn()) state.SkipWithError("no edge line");
    benchsupport::Goals goals(state);
    goals.Note("per_memcpy_panel", pass / benchsupport::MemcpySeconds(640 * kPanelRows));
    goals.Note("us", pass * 1e6);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SteadyPanelPass);

void BM_MemcpyScreen(benchmark::State& state) {
    Memcpy(state, 640 * 480);
}
BENCHMARK(BM_MemcpyScreen);

void BM_PrimingFrame(benchmark::State& state) {
    Cockpit& c = The();
    if (!c.ready) {
        state.SkipWithError("no panel art in the starter installation");
        return;
    }
    std::int64_t primings = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        cockpit::thePanelPrimed = 0;
        cockpit::PaintCockpit(0, 0);
        primings += cockpit::thePanelPrimeCount;
        benchmark::ClobberMemory();
    }
    const double frame = clock.PerIteration(state);
    if (primings != static_cast<std::int64_t>(state.iterations()) || !EdgeLineDrawn())
        state.SkipWithError("a frame did not prime");
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_screen", frame / benchsupport::MemcpyFrame8Seconds(), 3.4);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * kPanelRows);
}
BENCHMARK(BM_PrimingFrame);

// Frame 46 points east: a long needle lying across its glyph.
constexpr int kNeedleFrame = 46;

const gfx::GFXBitmap* NeedleGlyph() {
    return cockpit::FrameBitmap(cockpit::theLongNeedleFont, kNeedleFrame);
}

// The glyph's rows copied one by one, as any drawing of it onto the screen must: a memcpy of
// the glyph's bytes in one piece is not the same work (a 50 x 7 glyph is seven copies of 50
// bytes between rows of different strides, not one of 350).
struct GlyphRows {
    explicit GlyphRows(const gfx::GFXBitmap& b)
        : width(static_cast<std::size_t>(b.width)),
          height(std::abs(b.height)),
          stride(static_cast<std::size_t>(b.stride)),
          from(stride * static_cast<std::size_t>(height)),
          to(640 * static_cast<std::size_t>(height)) {
        std::memset(from.bytes, 7, from.size);
        std::memset(to.bytes, 0, to.size);
    }
    void Copy() {
        for (int y = 0; y < height; ++y)
            std::memcpy(to.bytes + static_cast<std::size_t>(y) * 640,
                        from.bytes + static_cast<std::size_t>(y) * stride, width);
        benchmark::ClobberMemory();
    }
    // The median time of one copy (timed a few hundred at a time).
    double Seconds() {
        constexpr int kRepeats = 500;
        return benchsupport::MedianSeconds([&] {
                   for (int i = 0; i < kRepeats; ++i) Copy();
               }) /
               kRepeats;
    }
    std::size_t width;
    int height;
    std::size_t stride;
    benchsupport::AlignedBuffer from, to;
};

void BM_CopyNeedleGlyphRows(benchmark::State& state) {
    Cockpit& c = The();
    const gfx::GFXBitmap* glyph = c.ready ? NeedleGlyph() : nullptr;
    if (glyph == nullptr) {
        state.SkipWithError("no needle glyph");
        return;
    }
    GlyphRows rows(*glyph);
    for (auto _ : state)
        rows.Copy();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rows.width * rows.height));
}
BENCHMARK(BM_CopyNeedleGlyphRows);

void BM_DrawNeedleFrame(benchmark::State& state) {
    Cockpit& c = The();
    const gfx::GFXBitmap* glyph = c.ready ? NeedleGlyph() : nullptr;
    if (glyph == nullptr) {
        state.SkipWithError("no needle glyph");
        return;
    }
    GlyphRows rows(*glyph);
    const std::size_t bytes = rows.width * static_cast<std::size_t>(rows.height);
    std::int64_t drawn = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        drawn += cockpit::PanelGauge::DrawFrame(cockpit::theLongNeedleFont, kNeedleFrame,
                                                {60, 239})
                     ? 1
                     : 0;
        benchmark::ClobberMemory();
    }
    const double draw = clock.PerIteration(state);
    if (drawn != static_cast<std::int64_t>(state.iterations())) state.SkipWithError("not drawn");
    benchsupport::Goals goals(state);
    goals.AtMost("per_glyph_rows", draw / rows.Seconds(), 2.2);
    goals.Note("per_memcpy_glyph", draw / benchsupport::MemcpySeconds(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_DrawNeedleFrame);

// ---- the King Air with every gauge changing ----------------------------------------------------

constexpr int kKingAirRows = 330;

void BM_MemcpyKingAirPanel(benchmark::State& state) {
    Memcpy(state, 640 * kKingAirRows);
}
BENCHMARK(BM_MemcpyKingAirPanel);

// Every instrument's words one way or the other: needles, drums, radios, attitude, cards.
void ChangeEveryGauge(int phase) {
    using namespace cockpit;
    const bool b = (phase & 1) != 0;
    for (PanelGauge* g : thePanelGauges) {
        g->value = (b ? 60 : 120) + (phase & 2);
        g->value2 = static_cast<std::int16_t>(b ? 40 : 80);
        g->needle = static_cast<std::int16_t>(b ? 10 : 30);
        g->needle2 = static_cast<std::int16_t>(b ? 90 : 270);
        g->cardFrame = static_cast<std::int16_t>(b ? 20 : 100);
        g->lever = static_cast<std::int16_t>(b ? 1 : 0);
        g->knob = static_cast<std::int16_t>(b ? 10 : 35);
        g->switchState = b ? 1 : 0;
        g->activeMHz = static_cast<std::uint16_t>(b ? 13 : 8);
        g->activeKHz = static_cast<std::uint16_t>(b ? 95 : 5);
        g->standbyMHz = static_cast<std::uint16_t>(b ? 9 : 17);
        g->courseNeedle = static_cast<std::int16_t>(b ? -12 : 12);
        g->glideSlopeNeedle = static_cast<std::int16_t>(b ? 15 : -15);
        g->dirty = 1;
    }
    theAltimeter.value = b ? 9870 : 14320;  // every drum rolls
    theDmeRadio.dmeDigits[0] = static_cast<std::int16_t>(b ? 123 : 456);
    theAttitudeLayout.pitch = static_cast<std::int16_t>(b ? 1200 : -1200);
    theAttitudeLayout.bank = static_cast<std::int16_t>(b ? 20 : 340);
    theHsiGauge.compassFrame = static_cast<std::int16_t>(b ? 30 : 90);
    theHsiGauge.dirty = 1;
}

void BM_KingAirFrameEveryGaugeChanging(benchmark::State& state) {
    Cockpit& c = The();
    if (!c.ready) {
        state.SkipWithError("no panel art in the starter installation");
        return;
    }
    flight::theAircraft.SelectByType(3);
    flight::theAircraft.UpdateViewBitmaps(0, 0);
    cockpit::theMasterSwitch.switchState = cockpit::theAvionicsSwitch.switchState = 1;
    cockpit::thePanelPrimed = 0;
    cockpit::PaintCockpit(0, 0);
    std::int64_t drawn = 0;
    int phase = 0;
    // A digest of the first frames' panel: a faster frame must draw the same pixels (compare the
    // figure before and after a change; read it from --benchmark_format=json).
    constexpr int kDigestFrames = 8;
    std::uint32_t digest = 2166136261u;
    // The frames are timed eight at a time: the thread's clock is a system call, which read
    // round every frame added a twentieth to it (the memcpy it is held to is timed in batches).
    constexpr int kGroup = 8;
    std::vector<double> frames;
    double groupStart = 0;
    for (auto _ : state) {
        ChangeEveryGauge(++phase);
        cockpit::PaintCockpit(0, 0);
        // The altimeter's drums show the new altitude: the frame drew.
        const cockpit::PanelGauge& alt = cockpit::theAltimeter;
        drawn += alt.drawnValue1[alt.slot] == alt.value ? 1 : 0;
        benchmark::ClobberMemory();
        if (phase <= kDigestFrames) {
            state.PauseTiming();
            gfx::GFXSurface* s = gfx::GetDrawSurface();
            gfx::GFXSurfaceLock lock(*s);
            // The panel's rows only: above them lies whatever was drawn before.
            for (int y = 480 - kKingAirRows; y < s->height && s->pixels != nullptr; ++y)
                for (int x = 0; x < 640; ++x)
                    digest = (digest ^ s->pixels[static_cast<std::ptrdiff_t>(y) * s->stride + x]) *
                             16777619u;
            state.ResumeTiming();
        }
        if (phase >= kDigestFrames && (phase - kDigestFrames) % kGroup == 0) {
            const double now = benchsupport::ThreadSeconds();
            if (phase > kDigestFrames) frames.push_back((now - groupStart) / kGroup);
            groupStart = now;
        }
    }
    flight::theAircraft.SelectByType(0);
    flight::theAircraft.UpdateViewBitmaps(0, 0);
    cockpit::thePanelPrimed = 0;
    if (drawn != static_cast<std::int64_t>(state.iterations()))
        state.SkipWithError("a frame did not draw the changed gauges");
    // The library's first short run, which only sizes the next, times no whole group.
    if (frames.empty()) return;
    const double frame = benchsupport::Median(frames);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_kingair", frame / benchsupport::MemcpySeconds(640 * kKingAirRows),
                 5.4);
    goals.Note("frame_ms", frame * 1e3);
    if (phase >= kDigestFrames) {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", digest);
        goals.Text("digest", text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KingAirFrameEveryGaugeChanging)->Unit(benchmark::kMicrosecond);

// ---- the instrument update against a plain loop over the gauges' words --------------------------

// One plain loop over the gauges' words.
void PlainGaugeWordLoop(int t, std::int64_t* sum) {
    for (cockpit::PanelGauge* g : cockpit::thePanelGauges) {
        g->value = (g->value * 3 + t) & 0xFF;
        g->needle = static_cast<std::int16_t>((g->needle + t) & 0x3F);
        *sum += g->value + g->needle;
    }
    benchmark::DoNotOptimize(*sum);
}

double PlainGaugeWordLoopSeconds() {
    std::int64_t sum = 0;
    int t = 0;
    // Many loops a sample: one is shorter than the clock's resolution.
    return benchsupport::MedianSeconds([&] {
               for (int i = 0; i < 100; ++i) PlainGaugeWordLoop(++t, &sum);
           }) /
           100.0;
}

void BM_PlainGaugeWordLoop(benchmark::State& state) {
    std::int64_t sum = 0;
    int t = 0;
    for (auto _ : state)
        PlainGaugeWordLoop(++t, &sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainGaugeWordLoop);

void BM_UpdateGauges(benchmark::State& state) {
    for (int type : {0, 3}) {
        flight::theAircraft.SelectByType(type);
        flight::FlightModelState& s = flight::theFlightModelState;
        s.fmEngines = 3;
        s.fmThrot = s.fmThrotRight = 20000;
        s.fmEngineSpeed[0] = s.fmEngineSpeed[1] = 900;
        s.fmPowerFraction[0] = s.fmPowerFraction[1] = 40000;
        cockpit::theMasterSwitch.switchState = 1;
    }
    std::int64_t moved = 0;
    int t = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        flight::theFlightModelState.fmIAS = (100 + (++t & 63)) * 32768;
        flight::theFlightModelState.fmHead = static_cast<std::uint16_t>(t * 97);
        cockpit::UpdateGauges();
        moved += cockpit::theAirspeedIndicator.value;
    }
    const double update = clock.PerIteration(state);
    if (moved == 0) state.SkipWithError("the airspeed did not move");
    flight::theAircraft.SelectByType(0);
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", update / PlainGaugeWordLoopSeconds(), 1.7);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateGauges);

}  // namespace
