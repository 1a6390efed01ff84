// The dialog framework's costs, each beside a peer measured in the same run:
// - composing the frozen 8-bit frame with three dialogs over it against memcpy of the 32-bit
//   frame (goal: within 29 memcpys, its milliseconds beside it);
// - a 10,000-row list view: insert, sort and the first paint, against std::sort of the keys
//   (goal: within kListViewGoal times);
// - repainting 64 rows of 14 owner-drawn columns with ellipsis fitting against drawing the same
//   texts unfitted (goal: within 2.0 times, its milliseconds beside it);
// - the wake-ups of an idle modal dialog's loop over 10 s on SDL (dummy video) once its first
//   paint is done, where only its timer may wake it (goal: one wake-up per timer tick).
// Each benchmark counts what it produced and fails when that is nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "ui/owner_draw_list_view.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/modal.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

namespace {

// The list view's insert, sort and first paint against std::sort of its keys: at most this.
constexpr double kListViewGoal = 4.4;

using namespace win;

LResult PlainProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    return DefWindowProc(h, m, w, l);
}

std::intptr_t QuietDialog(HWND, std::uint32_t m, WParam, LParam) {
    return m == WM_INITDIALOG ? 1 : 0;
}

DialogTemplate Form(int x, int y) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.x = static_cast<std::int16_t>(x);
    t.y = static_cast<std::int16_t>(y);
    t.cx = 160;
    t.cy = 90;
    t.caption = "Dialog";
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    for (int i = 0; i < 4; ++i) {
        DialogItemTemplate b;
        b.className = "Button";
        b.text = "Button";
        b.id = 100 + i;
        b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        b.x = 10;
        b.y = static_cast<std::int16_t>(10 + 18 * i);
        b.cx = 60;
        b.cy = 14;
        t.items.push_back(b);
    }
    return t;
}

// A headless machine with the program's main window showing an 8-bit picture.
struct Machine {
    platform::HeadlessBackend backend;
    HWND main;
    Machine() {
        platform::SetCurrentBackend(&backend);
        detail::ResetWindowSystem();
        WNDCLASS wc;
        wc.className = "BenchMain";
        wc.wndProc = PlainProc;
        RegisterClass(wc);
        main = CreateWindowEx(0, "BenchMain", "Zephlon", WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
        SetWindowSurfaceFormat(main, SurfaceFormat::Indexed8);
        WindowSurface* s = GetWindowSurface(main);
        for (std::size_t i = 0; i < s->indices.size(); ++i) s->indices[i] = static_cast<std::uint8_t>(i * 7);
        MarkWindowSurfaceDrawn(main);
    }
    ~Machine() {
        detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
    }
    void Pump() {
        MSG m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
};

// The frozen frame with three dialogs against one memcpy of the 32-bit frame: at most this.
constexpr double kComposeGoal = 29.0;

void BM_ComposeFrozenFrameWithThreeDialogs(benchmark::State& state) {
    Machine machine;
    for (int i = 0; i < 3; ++i) CreateDialogIndirectParam(Form(20 + 60 * i, 20 + 40 * i), machine.main, QuietDialog, 0);
    machine.Pump();
    std::uint64_t lit = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        ComposedFrame f = ComposeFrame();
        lit += f.pixels[320 * 240] != 0 ? 1 : 0;
        benchmark::DoNotOptimize(f.pixels.data());
    }
    const double frame = clock.PerIteration(state);
    const ComposedFrame check = ComposeFrame();
    const auto drawn = std::count_if(check.pixels.begin(), check.pixels.end(),
                                     [](std::uint32_t p) { return p != 0; });
    if (check.indexed || drawn == 0) state.SkipWithError("nothing composed");
    benchsupport::Goals goals(state);
    benchsupport::MemcpyReference memcpy32(640 * 480 * 4);
    const double ratio = benchsupport::PairedRatio(
        [] {
            const ComposedFrame f = ComposeFrame();
            benchmark::DoNotOptimize(f.pixels.data());
        },
        memcpy32);
    goals.AtMost("per_memcpy32", ratio, kComposeGoal);
    goals.Note("ms", frame * 1e3);
    goals.Note("pixels", static_cast<double>(drawn));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480 * 4);
}
BENCHMARK(BM_ComposeFrozenFrameWithThreeDialogs)->Unit(benchmark::kMicrosecond);

void BM_MemcpyFrame32(benchmark::State& state) {
    benchsupport::MemcpyLoop(state, 640 * 480 * 4);
}
BENCHMARK(BM_MemcpyFrame32)->Unit(benchmark::kMicrosecond);

constexpr int kRows = 10000;

std::vector<int> Keys() {
    std::mt19937 rng(11);
    std::vector<int> keys(kRows);
    for (int& k : keys) k = static_cast<int>(rng() % 1000000);
    return keys;
}

int CompareKeys(LParam a, LParam b, LParam) {
    return a < b ? -1 : a > b ? 1 : 0;
}

void BM_ListViewInsertSortPaint(benchmark::State& state) {
    Machine machine;
    const std::vector<int> keys = Keys();
    std::int64_t rows = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        HWND list = CreateWindowEx(WS_EX_CLIENTEDGE, "SysListView32", "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 10, 600,
                                   400, machine.main, HMENU{500}, {}, 0);
        LVCOLUMN c;
        c.mask = LVCF_WIDTH | LVCF_TEXT;
        c.cx = 200;
        c.text = "Key";
        SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LParam>(&c));
        for (int i = 0; i < kRows; ++i) {
            LVITEM it;
            it.mask = LVIF_TEXT | LVIF_PARAM;
            it.iItem = i;
            it.text = std::to_string(keys[static_cast<std::size_t>(i)]);
            it.lParam = keys[static_cast<std::size_t>(i)];
            SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LParam>(&it));
        }
        SendMessage(list, LVM_SORTITEMS, 0, reinterpret_cast<LParam>(&CompareKeys));
        UpdateWindow(list);
        rows += SendMessage(list, LVM_GETITEMCOUNT, 0, 0);
        DestroyWindow(list);
    }
    const double once = clock.PerIteration(state);
    if (rows == 0) state.SkipWithError("no rows");
    state.SetItemsProcessed(rows);
    const double sort = benchsupport::MedianSeconds([&] {
        std::vector<int> copy = keys;
        std::sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
    }, 21);
    benchsupport::Goals goals(state);
    goals.AtMost("per_std_sort", once / sort, kListViewGoal);
    goals.Note("ms", once * 1e3);
}
BENCHMARK(BM_ListViewInsertSortPaint)->Unit(benchmark::kMillisecond);

void BM_StdSortKeys(benchmark::State& state) {
    const std::vector<int> keys = Keys();
    std::int64_t rows = 0;
    for (auto _ : state) {
        std::vector<int> copy = keys;
        std::sort(copy.begin(), copy.end());
        rows += static_cast<std::int64_t>(copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    if (rows == 0) state.SkipWithError("no keys");
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_StdSortKeys)->Unit(benchmark::kMillisecond);

constexpr int kColumns = 14, kDrawnRows = 64;

// 64 rows of 14 cells, every third text too wide for its 40-pixel column.
struct OwnerDrawn {
    Machine machine;
    std::unique_ptr<ui::OwnerDrawListView> view;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(640 * 16, 0);
    HDC dc;
    OwnerDrawn() {
        view = std::make_unique<ui::OwnerDrawListView>(LVS_REPORT | LVS_OWNERDRAWFIXED | WS_CHILD | WS_VISIBLE, 0, 0, 600,
                                                       400, machine.main, 600, kColumns);
        view->Create();
        for (int c = 0; c < kColumns; ++c) view->InsertColumn(c, 40, LVCFMT_LEFT, "Col");
        for (int r = 0; r < kDrawnRows; ++r) {
            view->InsertItem(r, "Row", r);
            for (int c = 0; c < kColumns; ++c)
                view->SetItemText(r, c, (c % 3 == 0) ? "A cell far too wide for its column" : "12.5");
        }
        dc = CreatePixelDC(pixels.data(), 640, 16, 640);
    }
    ~OwnerDrawn() { DeleteDC(dc); }
};

// The owner-drawn rows with their texts fitted against the same texts drawn whole: at most this.
constexpr double kFittingGoal = 2.0;

// The rows as the list view draws them, every cell fitted to its column; the cells drawn.
std::int64_t FittedRepaint(OwnerDrawn& o) {
    for (int r = 0; r < kDrawnRows; ++r) {
        DRAWITEMSTRUCT item;
        item.CtlType = ODT_LISTVIEW;
        item.CtlID = 600;
        item.itemID = static_cast<unsigned>(r);
        item.itemAction = ODA_DRAWENTIRE;
        item.hDC = o.dc;
        item.rcItem = RECT{0, 0, kColumns * 40, 14};
        o.view->OnDrawItem(600, &item);
    }
    return kDrawnRows * kColumns;
}

// The peer: the same cells' texts drawn whole, clipped, without fitting; the cells drawn.
std::int64_t PlainRepaint(OwnerDrawn& o) {
    char text[512];
    for (int r = 0; r < kDrawnRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            o.view->GetItemText(r, c, text, sizeof text);
            const RECT cell{c * 40, 0, c * 40 + 40, 14};
            ExtTextOut(o.dc, cell.left + 2, 1, ETO_CLIPPED | ETO_OPAQUE, &cell, text);
        }
    return kDrawnRows * kColumns;
}

bool NothingDrawn(const OwnerDrawn& o) {
    return std::count(o.pixels.begin(), o.pixels.end(), 0u) == static_cast<long>(o.pixels.size());
}

void BM_OwnerDrawnRepaintWithFitting(benchmark::State& state) {
    OwnerDrawn o;
    std::int64_t cells = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        cells += FittedRepaint(o);
    const double repaint = clock.PerIteration(state);
    if (NothingDrawn(o)) state.SkipWithError("nothing drawn");
    state.SetItemsProcessed(cells);
    std::fill(o.pixels.begin(), o.pixels.end(), 0u);
    std::int64_t plain = 0;
    const double ratio = benchsupport::PairedRatio([&] { cells += FittedRepaint(o); },
                                                   [&] { plain += PlainRepaint(o); });
    if (plain == 0 || NothingDrawn(o)) state.SkipWithError("the plain texts drew nothing");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_texts", ratio, kFittingGoal);
    goals.Note("ms", repaint * 1e3);
}
BENCHMARK(BM_OwnerDrawnRepaintWithFitting)->Unit(benchmark::kMillisecond);

void BM_PlainCellTextRepaint(benchmark::State& state) {
    OwnerDrawn o;
    std::int64_t cells = 0;
    for (auto _ : state)
        cells += PlainRepaint(o);
    if (NothingDrawn(o)) state.SkipWithError("nothing drawn");
    state.SetItemsProcessed(cells);
}
BENCHMARK(BM_PlainCellTextRepaint)->Unit(benchmark::kMillisecond);

int theTicks = 0;

std::intptr_t TimedDialog(HWND h, std::uint32_t m, WParam, LParam) {
    if (m == WM_INITDIALOG) {
        SetTimer(h, 1, 1000, nullptr);
        return 1;
    }
    if (m == WM_TIMER) {
        if (++theTicks == 10) EndDialog(h, 1);
        return 1;
    }
    return 0;
}

// An idle modal dialog with a one-second timer for 10 s of real time on SDL's dummy video:
// every wake-up of its loop is a message it took.
void BM_IdleModalLoopWakeUps(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::unique_ptr<platform::Backend> sdl = platform::CreateSdlBackend();
    if (!sdl) {
        state.SkipWithError("no SDL backend");
        return;
    }
    platform::SetCurrentBackend(sdl.get());
    detail::ResetWindowSystem();
    int wakeUps = 0;
    SetModalObserver(nullptr);
    for (auto _ : state) {
        theTicks = 0;
        const auto start = std::chrono::steady_clock::now();
        HWND d = CreateDialogIndirectParam(Form(40, 40), {}, TimedDialog, 0);
        MSG m;
        // The dialog's first paint (the dialog and its buttons) is not idling: the loop takes it
        // before it waits.
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessage(d, &m)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
        }
        while (IsWindow(d) && theTicks < 10 && GetMessage(&m, {}, 0, 0) > 0) {
            ++wakeUps;
            if (!IsDialogMessage(d, &m)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
        }
        if (IsWindow(d)) DestroyWindow(d);
        state.counters["seconds"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (theTicks < 10) state.SkipWithError("the timer did not run");
    benchsupport::Goals goals(state);
    goals.AtMost("wake_ups_per_tick", static_cast<double>(wakeUps) / std::max(theTicks, 1), 1.0);
    detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
}
BENCHMARK(BM_IdleModalLoopWakeUps)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
