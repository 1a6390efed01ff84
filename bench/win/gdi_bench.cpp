// The drawing layer's hot paths, each beside memcpy of the same bytes: presenting a 640×480
// 8-bit DIB into an 8-bit window surface (the plain row copy), into a 32-bit one (through the
// colour table), and a line of TrueType text.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "win/gdi.h"

namespace {

using namespace win;

struct Frame {
    HDC src, dst;
    HBITMAP srcBitmap, dstBitmap;
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
        dstBitmap = CreateDIBSection(dst, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        SelectObject(src, srcBitmap);
        SelectObject(dst, dstBitmap);
    }
    ~Frame() {
        DeleteDC(src);
        DeleteDC(dst);
        DeleteObject(srcBitmap);
        DeleteObject(dstBitmap);
    }
};

void BM_BitBlt8To8(benchmark::State& state) {
    Frame f(8);
    for (auto _ : state)
        BitBlt(f.dst, 0, 0, 640, 480, f.src, 0, 0, SRCCOPY);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480);
}
BENCHMARK(BM_BitBlt8To8);

void BM_BitBlt8To32(benchmark::State& state) {
    Frame f(32);
    for (auto _ : state)
        BitBlt(f.dst, 0, 0, 640, 480, f.src, 0, 0, SRCCOPY);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480);
}
BENCHMARK(BM_BitBlt8To32);

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<std::uint8_t> a(640 * 480, 1), b(640 * 480);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480);
}
BENCHMARK(BM_MemcpyFrame);

void BM_TextOutLine(benchmark::State& state) {
    Frame f(8);
    HFONT font = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    SelectObject(f.dst, font);
    SetBkMode(f.dst, TRANSPARENT);
    SetTextColor(f.dst, RGB(255, 255, 0));
    for (auto _ : state)
        TextOut(f.dst, 10, 10, "ALT 4500  HDG 270  IAS 105  VS +500");
    SelectObject(f.dst, HFONT{GetStockObject(SYSTEM_FONT).id});
    DeleteObject(font);
}
BENCHMARK(BM_TextOutLine);

}  // namespace
