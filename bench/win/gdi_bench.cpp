// The drawing layer's hot paths, each beside memcpy of the same bytes: presenting a 640×480
// 8-bit DIB into an 8-bit window surface (the plain row copy; goal: within 1.35
// memcpys of the 8-bit frame), into a 32-bit one (through the colour table; 8.2 of the
// 32-bit frame), a whole frame's present (the picture onto the main window and out to the
// machine's screen) against a memcpy of the 32-bit frame (goal: within 1.85), and a
// line of TrueType text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "platform/headless/headless_backend.h"
#include "win/compositor.h"
#include "win/gdi.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

using namespace win;

struct Frame {
    HDC src, dst;
    HBITMAP srcBitmap, dstBitmap;
    void* dstBits = nullptr;
    std::size_t dstBytes = 0;
    Frame(int destBits) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = 640;
        info.bmiHeader.biHeight = -480;
        info.bmiHeader.biBitCount = 8;
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] =
                RGBQUAD{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                        static_cast<std::uint8_t>(i / 2), 0};
        src = CreateCompatibleDC(HDC{});
        dst = CreateCompatibleDC(HDC{});
        void* bits = nullptr;
        srcBitmap = CreateDIBSection(src, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        for (int i = 0; i < 640 * 480; ++i)
            static_cast<std::uint8_t*>(bits)[i] = static_cast<std::uint8_t>(i * 7);
        info.bmiHeader.biBitCount = static_cast<std::uint16_t>(destBits);
        dstBitmap = CreateDIBSection(dst, &info, DIB_RGB_COLORS, &dstBits, nullptr, 0);
        dstBytes = static_cast<std::size_t>(640) * 480 * (destBits / 8);
        SelectObject(src, srcBitmap);
        SelectObject(dst, dstBitmap);
    }
    // The pixels one drawing writes into the destination: drawn over two different backgrounds,
    // so that every written pixel differs from at least one of them. Reported, and the benchmark
    // skipped when there are none.
    template <typename Draw>
    bool CountWritten(benchmark::State& state, Draw draw) {
        const int bytesPerPixel = static_cast<int>(dstBytes / (640 * 480));
        const int colourBytes = bytesPerPixel == 4 ? 3 : bytesPerPixel;  // not the spare byte
        auto* bytes = static_cast<std::uint8_t*>(dstBits);
        std::memset(bytes, 0, dstBytes);
        draw();
        std::vector<std::uint8_t> first(bytes, bytes + dstBytes);
        std::memset(bytes, 0xFF, dstBytes);
        draw();
        std::int64_t n = 0;
        for (std::size_t p = 0; p < dstBytes; p += bytesPerPixel) {
            bool written = false;
            for (int k = 0; k < colourBytes; ++k)
                written = written || first[p + k] != 0 || bytes[p + k] != 0xFF;
            n += written ? 1 : 0;
        }
        state.counters["pixels"] = static_cast<double>(n);
        if (n == 0) state.SkipWithError("the drawing writes no pixel");
        return n != 0;
    }
    ~Frame() {
        DeleteDC(src);
        DeleteDC(dst);
        DeleteObject(srcBitmap);
        DeleteObject(dstBitmap);
    }
};

// The blit of an 8-bit DIB against memcpy of the destination's bytes, onto 8 and 32 bits: at
// most this.
constexpr double kBlitGoal[2] = {1.35, 8.2};

void BitBltFrame(benchmark::State& state, int destBits) {
    Frame f(destBits);
    const auto draw = [&] { BitBlt(f.dst, 0, 0, 640, 480, f.src, 0, 0, SRCCOPY); };
    if (!f.CountWritten(state, draw)) return;
    for (auto _ : state)
        draw();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480);
    benchsupport::MemcpyReference copy(640u * 480u * static_cast<unsigned>(destBits / 8));
    const double ratio = benchsupport::PairedRatio(draw, copy, 41);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_of_the_bytes", ratio, kBlitGoal[destBits == 8 ? 0 : 1]);
}

void BM_BitBlt8To8(benchmark::State& state) {
    BitBltFrame(state, 8);
}
BENCHMARK(BM_BitBlt8To8);

void BM_BitBlt8To32(benchmark::State& state) {
    BitBltFrame(state, 32);
}
BENCHMARK(BM_BitBlt8To32);

void BM_MemcpyFrame(benchmark::State& state) {
    benchsupport::MemcpyLoop(state, 640 * 480);
}
BENCHMARK(BM_MemcpyFrame);

// One frame of the window as the program shows it: an 8-bit picture copied onto the main window
// (no menu over it) and the window presented to the headless screen, against a memcpy of the
// 32-bit frame. Two pictures take turns, since the screen is not given the same picture twice.
// The pictures are made up (a colour ramp); the same present on the program's own frames is
// measured in bench_frame.
constexpr double kPresentGoal = 1.85;

void BM_PresentFrame(benchmark::State& state) {
    platform::HeadlessBackend machine;
    platform::SetCurrentBackend(&machine);
    machine.Screen().Open(platform::VideoOptions{});
    SetVirtualScreenSize(640, 480);
    WNDCLASS wc;
    wc.className = "BenchMain";
    wc.wndProc = DefWindowProc;
    RegisterClass(wc);
    // Placed as the program's main window on a 640×480 screen: caption and frame above and
    // beside it, the client exactly on the screen.
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, WS_CAPTION | WS_SYSMENU, false);
    const HWND window =
        CreateWindowEx(0, "BenchMain", "Bench", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, r.left, r.top,
                       r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    Frame a(8), b(8);
    BitBlt(b.src, 1, 0, 639, 480, a.src, 0, 0, SRCCOPY);  // the same ramp a pixel over
    const HDC screen = GetDC(window);
    const std::uint64_t before = machine.Screen().Frames();
    std::uint64_t turn = 0;
    const auto present = [&] {
        BitBlt(screen, 0, 0, 640, 480, (turn++ & 1) != 0 ? b.src : a.src, 0, 0, SRCCOPY);
        PresentNow();
    };
    for (auto _ : state)
        present();
    benchsupport::MemcpyReference memcpy32(640 * 480 * 4);
    const double ratio = benchsupport::PairedRatio(present, memcpy32, 41);
    ReleaseDC(window, screen);
    const std::uint64_t presented = machine.Screen().Frames() - before;
    const auto& pixels = machine.Screen().LastPixels();
    std::uint64_t lit = 0;
    for (std::uint32_t p : pixels)
        lit += (p & 0xFFFFFF) != 0 ? 1 : 0;
    state.counters["pixels"] = static_cast<double>(lit);
    if (presented != turn || lit == 0)
        state.SkipWithError("not every picture reached the screen");
    benchsupport::Goals goals(state);
    goals.AtMost("present_per_memcpy32", ratio, kPresentGoal);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480 * 4);
    DestroyWindow(window);
    detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
}
BENCHMARK(BM_PresentFrame);

void BM_MemcpyFrame32(benchmark::State& state) {
    benchsupport::MemcpyLoop(state, 640 * 480 * 4);
}
BENCHMARK(BM_MemcpyFrame32);

void BM_TextOutLine(benchmark::State& state) {
    Frame f(8);
    HFONT font = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    SelectObject(f.dst, font);
    SetBkMode(f.dst, TRANSPARENT);
    SetTextColor(f.dst, RGB(255, 255, 0));
    const auto draw = [&] { TextOut(f.dst, 10, 10, "ALT 4500  HDG 270  IAS 105  VS +500"); };
    if (f.CountWritten(state, draw)) {
        for (auto _ : state)
            draw();
    }
    SelectObject(f.dst, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(font);
}
BENCHMARK(BM_TextOutLine);

}  // namespace
