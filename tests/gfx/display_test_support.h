// A headless machine with a 640×480 8-bit main window for the display tests, and a clean
// display and palette state around each test.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

#include "../win/win_test_support.h"
#include "gfx/cds_surface.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"
#include "win/gdi.h"
#include "win/window_surface.h"

namespace displaytest {

// A palette whose entries are all different and far from the reserved colours.
inline std::unique_ptr<gfx::GFXPalette> DistinctPalette(int seed) {
    auto p = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i)
        p->entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i),
                                             static_cast<std::uint8_t>((i * 7 + seed) & 0x7F),
                                             static_cast<std::uint8_t>(40 + seed), 0};
    return p;
}

inline std::uint32_t Rgb(const gfx::GFXPaletteEntry& e) {
    return (static_cast<std::uint32_t>(e.red) << 16) | (e.green << 8) | e.blue;
}

class DisplayTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        win::ResetSystemPalette();
        gfx::ResetSystemPaletteState();
        machine.Screen().Open(platform::VideoOptions{});
        win::RECT r{0, 0, 640, 480};
        win::AdjustWindowRect(&r, 0x000B0000, false);
        main = win::CreateWindowEx(0, "TestWindow", "Main", 0x000B0000 | win::WS_VISIBLE, r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
        ASSERT_TRUE(main);
        win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);
        gfx::SetDisplayOptions(main, {}, 2);
        gfx::InitDisplay(640, 480, 8);
    }
    void TearDown() override {
        gfx::SetDisplayMode(gfx::kDisplayNone, 0);
        gfx::ResetSystemPaletteState();
        HeadlessTest::TearDown();
    }

    // The colour the main window shows at (x, y).
    std::uint32_t WindowColour(int x, int y) {
        win::WindowSurface* s = win::GetWindowSurface(main);
        return s->palette[s->indices[static_cast<std::size_t>(y) * s->width + x]] & 0xFFFFFF;
    }
    std::uint8_t WindowIndex(int x, int y) {
        win::WindowSurface* s = win::GetWindowSurface(main);
        return s->indices[static_cast<std::size_t>(y) * s->width + x];
    }
    // The system's reserved colour at `index` as 0xRRGGBB.
    static std::uint32_t SystemColour(int index) {
        win::PALETTEENTRY e;
        win::GetSystemPaletteEntries(win::HDC{}, static_cast<unsigned>(index), 1, &e);
        return (static_cast<std::uint32_t>(e.peRed) << 16) | (e.peGreen << 8) | e.peBlue;
    }

    win::HWND main;
};

// Fills a surface with index (x + y) & 0xFF.
inline void DrawDiagonals(gfx::GFXSurface& s) {
    gfx::GFXSurfaceLock lock(s);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.pixels[y * s.stride + x] = static_cast<std::uint8_t>(x + y);
}

}  // namespace displaytest
