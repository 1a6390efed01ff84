// Context help and the option dialogs, each beside a peer measured in the same run:
// - loading a help index of the installation's size (600 rows) and showing a popup for one of
//   its longer texts (lookup, wrapping, placement, the window drawn and closed), against copying
//   the index's bytes (goal: within 60 copies, its milliseconds beside it);
// - opening the sound dialog from its template to its first composed frame, against composing
//   the same frame without the dialog (goal: within 70 frames, its milliseconds beside
//   it).
// Each benchmark counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/resource_pack.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "ui/dialog.h"
#include "ui/help_popup.h"
#include "ui/option_dialogs.h"
#include "win/compositor.h"
#include "win/gdi.h"
#include "win/resource.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

using namespace win;

std::string HelpIndexBytes() {
    std::vector<ui::HelpIndexRow> rows;
    for (std::uint32_t i = 0; i < 600; ++i) {
        std::string text = "Row " + std::to_string(i) + ":";
        for (int w = 0; w < 12 + static_cast<int>(i % 20); ++w)
            text += " word";
        rows.push_back({10000 + i, text, i % 7 == 0 ? 10460 : ui::kNoTopic});
    }
    const std::vector<std::uint8_t> b = ui::WriteHelpIndex(rows);
    return std::string(b.begin(), b.end());
}

struct Headless {
    platform::HeadlessBackend backend;
    Headless() {
        platform::SetCurrentBackend(&backend);
        detail::ResetWindowSystem();
        // Windows draw into their surfaces, as in the program.
        InstallWindowDcProvider();
    }
    ~Headless() {
        detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
    }
};

// Loading the index and showing a popup against one memcpy of the index's bytes: at most this.
constexpr double kHelpGoal = 60.0;

void BM_HelpIndexLoadAndPopup(benchmark::State& state) {
    Headless machine;
    const std::string bytes = HelpIndexBytes();
    const ui::HelpPopupHost saved = ui::theHelpPopupHost;
    ui::theHelpPopupHost = ui::HelpPopupHost{};
    ui::theHelpPopupHost.closeWhenShown = true;
    std::int64_t shown = 0;
    const auto loadAndShow = [&] {
        ui::HelpPopup popup;
        popup.LoadIndexBytes(bytes);
        popup.Show(HWND{}, 10000 + 19);
        shown += popup.Text().size() > 100 ? 1 : 0;
        popup.Release();
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        loadAndShow();
    const double once = clock.PerIteration(state);
    benchsupport::MemcpyReference copy(bytes.size());
    const double ratio = benchsupport::PairedRatio(loadAndShow, copy);
    ui::theHelpPopupHost = saved;
    if (shown == 0) state.SkipWithError("no popup shown");
    state.SetItemsProcessed(shown);
    benchsupport::Goals goals(state);
    goals.AtMost("per_copy_of_the_index", ratio, kHelpGoal);
    goals.Note("ms", once * 1e3);
}
BENCHMARK(BM_HelpIndexLoadAndPopup)->Unit(benchmark::kMicrosecond);

void BM_CopyHelpIndexBytes(benchmark::State& state) {
    const std::string bytes = HelpIndexBytes();
    std::vector<char> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    if (copy.back() != bytes.back()) state.SkipWithError("nothing copied");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_CopyHelpIndexBytes)->Unit(benchmark::kMicrosecond);

// The program's resource pack, which the build puts beside the benchmarks.
HINSTANCE OptionTemplates() {
    std::error_code ec;
    const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    std::string error;
    return core::OpenResourcePack((exe.parent_path() / "Zephlon.pack").string(), &error);
}

HINSTANCE theTemplates;

std::uint64_t Lit(const ComposedFrame& f) {
    return static_cast<std::uint64_t>(
        std::count_if(f.pixels.begin(), f.pixels.end(), [](std::uint32_t p) { return p != 0; }));
}

// The sound dialog to its first frame against composing the frame without it: at most this.
constexpr double kOptionGoal = 70.0;

void BM_OptionDialogToFirstFrame(benchmark::State& state) {
    Headless machine;
    theTemplates = OptionTemplates();
    if (!theTemplates) {
        state.SkipWithError("no resource pack beside the benchmark");
        return;
    }
    const ui::DialogHost saved = ui::theDialogHost;
    ui::theDialogHost = ui::DialogHost{};
    ui::theDialogHost.resourceLibrary = [] { return theTemplates; };
    std::uint64_t lit = 0;
    bool opened = true;
    const auto open = [&] {
        ui::SoundDialog d;
        if (d.CreateModeless({}) != 1) {
            opened = false;
            return;
        }
        const ComposedFrame f = ComposeFrame();
        lit += Lit(f);
        d.DestroyModeless();
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        open();
        if (!opened) break;
    }
    const double once = clock.PerIteration(state);
    const double ratio = benchsupport::PairedRatio(open, [] {
        const ComposedFrame f = ComposeFrame();
        benchmark::DoNotOptimize(f.pixels.data());
    });
    ui::theDialogHost = saved;
    FreeResourceLibrary(theTemplates);
    if (lit == 0 || !opened) state.SkipWithError("no dialog composed");
    benchsupport::Goals goals(state);
    goals.AtMost("per_empty_frame", ratio, kOptionGoal);
    goals.Note("ms", once * 1e3);
    goals.Note("pixels", static_cast<double>(lit) / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1)));
}
BENCHMARK(BM_OptionDialogToFirstFrame)->Unit(benchmark::kMicrosecond);

void BM_ComposeEmptyFrame(benchmark::State& state) {
    Headless machine;
    std::uint64_t frames = 0;
    for (auto _ : state) {
        const ComposedFrame f = ComposeFrame();
        frames += f.pixels.empty() ? 0 : 1;
        benchmark::DoNotOptimize(f.pixels.data());
    }
    if (frames == 0) state.SkipWithError("nothing composed");
}
BENCHMARK(BM_ComposeEmptyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
