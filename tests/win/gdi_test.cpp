#include "win/gdi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace win {
namespace {

// A 4-colour table in an 8-bit DIB: black, red, green, blue; the rest white.
BITMAPINFO SmallTableInfo(int width, int height) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 8;
    for (auto& q : info.bmiColors)
        q = RGBQUAD{255, 255, 255, 0};
    info.bmiColors[0] = RGBQUAD{0, 0, 0, 0};
    info.bmiColors[1] = RGBQUAD{0, 0, 255, 0};
    info.bmiColors[2] = RGBQUAD{0, 255, 0, 0};
    info.bmiColors[3] = RGBQUAD{255, 0, 0, 0};
    return info;
}

struct MemoryDc {
    HDC dc;
    HBITMAP bitmap;
    HBITMAP previous;
    std::uint8_t* bits = nullptr;
    MemoryDc(const BITMAPINFO& info) {
        dc = CreateCompatibleDC(HDC{});
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint8_t*>(p);
        previous = SelectObject(dc, bitmap);
    }
    ~MemoryDc() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

BITMAPINFO Rgb32Info(int width, int height) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    return info;
}

TEST(GdiColour, RgbColoursBecomeTheNearestTableEntryOnEightBitTargets) {
    MemoryDc m(SmallTableInfo(8, 8));
    ASSERT_NE(m.bits, nullptr);
    struct Case {
        COLORREF colour;
        std::uint8_t index;
    } cases[] = {
        {RGB(0, 0, 0), 0},
        {RGB(250, 10, 10), 1},
        {RGB(20, 200, 30), 2},
        {RGB(0, 0, 140), 3},
        {RGB(240, 240, 240), 4},  // first white entry
        {PALETTEINDEX(3), 3},
        {PALETTEINDEX(200), 200},
        {PALETTERGB(0, 250, 0), 2},
        // Equal distance to green (2) and blue (3): the lower index wins.
        {RGB(0, 128, 128), 2},
    };
    for (const Case& c : cases) {
        HBRUSH brush = CreateSolidBrush(c.colour);
        RECT r{0, 0, 8, 8};
        ASSERT_EQ(FillRect(m.dc, &r, brush), 1);
        EXPECT_EQ(m.bits[0], c.index) << std::hex << c.colour;
        EXPECT_EQ(m.bits[63], c.index) << std::hex << c.colour;
        DeleteObject(brush);
    }
}

TEST(GdiColour, TextColourIsMappedOnEightBitTargets) {
    MemoryDc m(SmallTableInfo(64, 32));
    std::memset(m.bits, 4, 64 * 32);
    SetTextColor(m.dc, RGB(10, 250, 20));
    SetBkMode(m.dc, TRANSPARENT);
    ASSERT_TRUE(TextOut(m.dc, 2, 2, "Wx"));
    int text = 0;
    for (int i = 0; i < 64 * 32; ++i) {
        ASSERT_TRUE(m.bits[i] == 4 || m.bits[i] == 2) << i << " " << int(m.bits[i]);
        text += m.bits[i] == 2;
    }
    EXPECT_GT(text, 10);
    EXPECT_EQ(GetNearestColor(m.dc, RGB(10, 250, 20)), RGB(0, 255, 0));
}

TEST(GdiBitmap, BottomUpAndTopDownRowsAndStride) {
    for (int height : {3, -3}) {
        BITMAPINFO info = SmallTableInfo(3, 1);
        info.bmiHeader.biHeight = height;
        MemoryDc m(info);
        BITMAP bm;
        ASSERT_TRUE(GetObject(m.bitmap, &bm));
        EXPECT_EQ(bm.bmWidthBytes, 4);  // rows are padded to four bytes
        SetPixel(m.dc, 0, 0, RGB(255, 0, 0));
        // Row 0 of the picture is the first row in memory only when the DIB is top-down.
        const int rowInMemory = height < 0 ? 0 : 2;
        EXPECT_EQ(m.bits[rowInMemory * 4], 1) << height;
    }
}

TEST(GdiBitmap, ColourTableChangesRecolourWithoutRedraw) {
    MemoryDc m(SmallTableInfo(2, 2));
    SetPixel(m.dc, 1, 1, PALETTEINDEX(1));
    EXPECT_EQ(GetPixel(m.dc, 1, 1), RGB(255, 0, 0));
    const RGBQUAD yellow{0, 255, 255, 0};
    EXPECT_EQ(SetDIBColorTable(m.dc, 1, 1, &yellow), 1u);
    EXPECT_EQ(GetPixel(m.dc, 1, 1), RGB(255, 255, 0));
    RGBQUAD back[2];
    EXPECT_EQ(GetDIBColorTable(m.dc, 255, 2, back), 1u);  // clipped at the table's end
    EXPECT_EQ(SetDIBColorTable(m.dc, 256, 1, &yellow), 0u);
}

TEST(GdiBitmap, RefusedShapesAndSelectedObjectsStayAlive) {
    BITMAPINFO info = SmallTableInfo(0, 1);
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    info = SmallTableInfo(4, 4);
    info.bmiHeader.biBitCount = 24;
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
    info = SmallTableInfo(4, 4);
    EXPECT_FALSE(CreateDIBSection(HDC{}, &info, DIB_PAL_COLORS, nullptr, nullptr, 0));

    MemoryDc m(SmallTableInfo(4, 4));
    EXPECT_FALSE(DeleteObject(m.bitmap));  // still selected
    HDC other = CreateCompatibleDC(HDC{});
    EXPECT_FALSE(SelectObject(other, m.bitmap));  // one DC at a time
    DeleteDC(other);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects are never freed
    EXPECT_TRUE(GetStockObject(BLACK_BRUSH));
}

// Blits between every pair of depths, through colour tables where they differ.
TEST(GdiBlit, CopiesConvertBetweenDepthsAndTables) {
    MemoryDc src8(SmallTableInfo(4, 4));
    for (int i = 0; i < 16; ++i)
        src8.bits[i] = static_cast<std::uint8_t>(i % 4);

    // The same table: indices go across unchanged.
    MemoryDc same(SmallTableInfo(4, 4));
    ASSERT_TRUE(BitBlt(same.dc, 0, 0, 4, 4, src8.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(std::memcmp(same.bits, src8.bits, 16), 0);

    // A table in another order: each colour finds its new index.
    BITMAPINFO reordered = SmallTableInfo(4, 4);
    std::swap(reordered.bmiColors[1], reordered.bmiColors[3]);
    MemoryDc other(reordered);
    ASSERT_TRUE(BitBlt(other.dc, 0, 0, 4, 4, src8.dc, 0, 0, SRCCOPY));
    const std::uint8_t expected[4] = {0, 3, 2, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(other.bits[i], expected[i % 4]) << i;

    // 8 to 32 and back to 8.
    MemoryDc rgb(Rgb32Info(4, 4));
    ASSERT_TRUE(BitBlt(rgb.dc, 0, 0, 4, 4, src8.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(rgb.dc, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(rgb.dc, 3, 0), RGB(0, 0, 255));
    std::uint32_t raw;
    std::memcpy(&raw, rgb.bits + 4, 4);
    EXPECT_EQ(raw, 0x00FF0000u);  // 32-bit DIB pixels are 0x00RRGGBB words
    MemoryDc back(SmallTableInfo(4, 4));
    ASSERT_TRUE(BitBlt(back.dc, 0, 0, 4, 4, rgb.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(std::memcmp(back.bits, src8.bits, 16), 0);
}

TEST(GdiBlit, StretchScalesMirrorsAndClips) {
    MemoryDc src(SmallTableInfo(2, 1));
    src.bits[0] = 1;
    src.bits[1] = 2;
    MemoryDc dst(SmallTableInfo(4, 2));
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
    const std::uint8_t doubled[8] = {1, 1, 2, 2, 1, 1, 2, 2};
    EXPECT_EQ(std::memcmp(dst.bits, doubled, 8), 0);
    // A negative destination width mirrors: the picture runs leftwards from x = 4.
    ASSERT_TRUE(StretchBlt(dst.dc, 4, 0, -4, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
    const std::uint8_t mirrored[4] = {2, 2, 1, 1};
    EXPECT_EQ(std::memcmp(dst.bits, mirrored, 4), 0);
    // Far outside either bitmap: nothing is touched, nothing crashes.
    EXPECT_TRUE(StretchBlt(dst.dc, -100000, -5, 7, 7, src.dc, 50, 50, 3, 3, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc, 2, 1, 1000000, 1000000, src.dc, -3, -3, SRCCOPY));
    EXPECT_EQ(std::memcmp(dst.bits, mirrored, 4), 0);
}

TEST(GdiBlit, OverlappingCopyWithinOneBitmap) {
    MemoryDc m(SmallTableInfo(4, 1));
    const std::uint8_t start[4] = {1, 2, 3, 0};
    std::memcpy(m.bits, start, 4);
    ASSERT_TRUE(BitBlt(m.dc, 1, 0, 3, 1, m.dc, 0, 0, SRCCOPY));
    const std::uint8_t shifted[4] = {1, 1, 2, 3};
    EXPECT_EQ(std::memcmp(m.bits, shifted, 4), 0);
}

TEST(GdiBlit, RasterOperationsOnIndices) {
    MemoryDc src(SmallTableInfo(1, 1));
    MemoryDc dst(SmallTableInfo(1, 1));
    struct Case {
        std::uint32_t rop;
        std::uint8_t s, d, result;
    } cases[] = {{SRCCOPY, 5, 9, 5},
                 {SRCPAINT, 5, 9, 13},
                 {SRCAND, 5, 9, 1},
                 {SRCINVERT, 5, 9, 12},
                 {NOTSRCCOPY, 5, 9, 250}};
    for (const Case& c : cases) {
        src.bits[0] = c.s;
        dst.bits[0] = c.d;
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, c.rop));
        EXPECT_EQ(dst.bits[0], c.result) << std::hex << c.rop;
    }
    EXPECT_TRUE(PatBlt(dst.dc, 0, 0, 1, 1, WHITENESS));
    EXPECT_EQ(dst.bits[0], 4);
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x12345678));
}

TEST(GdiPalette, SystemPaletteHoldsTheStaticsAndTheRealisedEntries) {
    ResetSystemPalette();
    PALETTEENTRY sys[256];
    ASSERT_EQ(GetSystemPaletteEntries(HDC{}, 0, 256, sys), 256u);
    EXPECT_EQ(sys[0], (PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_EQ(sys[7], (PALETTEENTRY{192, 192, 192, 0}));
    EXPECT_EQ(sys[8], (PALETTEENTRY{192, 220, 192, 0}));
    EXPECT_EQ(sys[246], (PALETTEENTRY{255, 251, 240, 0}));
    EXPECT_EQ(sys[249], (PALETTEENTRY{255, 0, 0, 0}));
    EXPECT_EQ(sys[255], (PALETTEENTRY{255, 255, 255, 0}));

    // An identity palette: statics at both ends, the rest marked not to collapse.
    LOGPALETTE lp;
    lp.palPalEntry.resize(256);
    for (int i = 0; i < 256; ++i) {
        lp.palPalEntry[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), 0,
                                         static_cast<std::uint8_t>(255 - i), PC_NOCOLLAPSE};
    }
    for (int i = 0; i < 10; ++i)
        lp.palPalEntry[i] = sys[i];
    for (int i = 246; i < 256; ++i)
        lp.palPalEntry[i] = sys[i];
    lp.palPalEntry[100] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};  // stays its own entry
    HPALETTE pal = CreatePalette(&lp);
    ASSERT_TRUE(pal);
    HDC dc = CreateCompatibleDC(HDC{});
    SelectPalette(dc, pal, false);
    const std::uint32_t serial = GetSystemPaletteSerial();
    EXPECT_EQ(RealizePalette(dc), 236u);
    EXPECT_NE(GetSystemPaletteSerial(), serial);
    ASSERT_EQ(GetSystemPaletteEntries(dc, 0, 256, sys), 256u);
    for (int i = 10; i < 246; ++i)
        EXPECT_EQ(sys[i], (PALETTEENTRY{lp.palPalEntry[i].peRed, lp.palPalEntry[i].peGreen,
                                        lp.palPalEntry[i].peBlue, 0}))
            << i;
    // Realising the same palette again changes nothing.
    const std::uint32_t after = GetSystemPaletteSerial();
    EXPECT_EQ(RealizePalette(dc), 236u);
    EXPECT_EQ(GetSystemPaletteSerial(), after);
    // New entries, or a system palette another palette changed, are realised afresh.
    const PALETTEENTRY moved{7, 8, 9, PC_NOCOLLAPSE};
    SetPaletteEntries(pal, 50, 1, &moved);
    EXPECT_EQ(RealizePalette(dc), 236u);
    GetSystemPaletteEntries(dc, 50, 1, sys);
    EXPECT_EQ(sys[0], (PALETTEENTRY{7, 8, 9, 0}));
    LOGPALETTE other;
    other.palPalEntry = {PALETTEENTRY{4, 5, 6, 0}};
    HPALETTE pal3 = CreatePalette(&other);
    SelectPalette(dc, pal3, false);
    EXPECT_EQ(RealizePalette(dc), 1u);
    SelectPalette(dc, pal, false);
    EXPECT_EQ(RealizePalette(dc), 236u);
    GetSystemPaletteEntries(dc, 10, 1, sys);
    EXPECT_EQ(sys[0], (PALETTEENTRY{lp.palPalEntry[10].peRed, 0, lp.palPalEntry[10].peBlue, 0}));
    EXPECT_TRUE(DeleteObject(pal3));

    // Without PC_NOCOLLAPSE an entry equal to a static colour shares it.
    LOGPALETTE small;
    small.palPalEntry = {PALETTEENTRY{255, 0, 0, 0}, PALETTEENTRY{1, 2, 3, 0}};
    HPALETTE pal2 = CreatePalette(&small);
    SelectPalette(dc, pal2, false);
    EXPECT_EQ(RealizePalette(dc), 1u);
    GetSystemPaletteEntries(dc, 10, 1, sys);
    EXPECT_EQ(sys[0], (PALETTEENTRY{1, 2, 3, 0}));
    SelectPalette(dc, HPALETTE{GetStockObject(DEFAULT_PALETTE).id}, false);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(pal));
    EXPECT_TRUE(DeleteObject(pal2));
    EXPECT_EQ(GetSystemPaletteEntries(HDC{}, 250, 10, sys), 6u);
    ResetSystemPalette();
}

TEST(GdiPalette, EntriesAndNearestIndex) {
    LOGPALETTE lp;
    lp.palPalEntry = {PALETTEENTRY{0, 0, 0, 0}, PALETTEENTRY{200, 0, 0, 0},
                      PALETTEENTRY{0, 0, 200, 0}};
    HPALETTE pal = CreatePalette(&lp);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(150, 20, 0)), 1u);
    const PALETTEENTRY green{0, 255, 0, 0};
    EXPECT_EQ(SetPaletteEntries(pal, 2, 5, &green), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(0, 200, 0)), 2u);
    PALETTEENTRY out[3];
    EXPECT_EQ(GetPaletteEntries(pal, 0, 3, out), 3u);
    EXPECT_EQ(out[2], green);
    EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 3u);
    LOGPALETTE empty;
    EXPECT_FALSE(CreatePalette(&empty));
    DeleteObject(pal);
}

TEST(GdiShapes, RectanglesFramesAndLinesStayInside) {
    MemoryDc m(SmallTableInfo(6, 6));
    std::memset(m.bits, 0, 36);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{1, 1, 5, 5};
    FrameRect(m.dc, &r, red);
    EXPECT_EQ(m.bits[1 * 8 + 1], 1);
    EXPECT_EQ(m.bits[2 * 8 + 2], 0);  // the inside is untouched
    // System colour brushes: COLOR_x + 1.
    RECT all{-10, -10, 100, 100};
    FillRect(m.dc, &all, HBRUSH{COLOR_WINDOW + 1});
    EXPECT_EQ(m.bits[0], 4);  // white
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HPEN old = SelectObject(m.dc, pen);
    MoveToEx(m.dc, -50, 3, nullptr);
    LineTo(m.dc, 3, 3);
    EXPECT_EQ(m.bits[3 * 8 + 0], 3);
    EXPECT_EQ(m.bits[3 * 8 + 2], 3);
    EXPECT_EQ(m.bits[3 * 8 + 3], 4);        // the end point is not drawn
    LineTo(m.dc, 2000000000, -2000000000);  // far away: bounded work, no crash
    SelectObject(m.dc, old);
    DeleteObject(pen);
    DeleteObject(red);
}

}  // namespace
}  // namespace win

// ---- Window DCs on the headless machine ------------------------------------------------------

#include "win/window_surface.h"
#include "win_test_support.h"

namespace {

using namespace win;

class WindowDcTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        InstallWindowDcProvider();
        ResetSystemPalette();
        main = MakeWindow();
        ASSERT_TRUE(main);
    }
    void TearDown() override {
        ResetSystemPalette();
        HeadlessTest::TearDown();
    }
    HWND main;
};

TEST_F(WindowDcTest, PaintingDrawsIntoTheWindowSurface) {
    PAINTSTRUCT ps;
    ASSERT_TRUE(BeginPaint(main, &ps));
    ASSERT_TRUE(ps.hdc);
    EXPECT_EQ(WindowFromDC(ps.hdc), main);
    const std::uint32_t serial = GetWindowSurface(main)->contentSerial;
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    RECT r{5, 5, 15, 15};
    FillRect(ps.hdc, &r, brush);
    EndPaint(main, &ps);
    const WindowSurface* s = GetWindowSurface(main);
    EXPECT_EQ(s->pixels[10 * s->width + 10], 0x000A141Eu);
    EXPECT_EQ(s->pixels[0], 0u);
    EXPECT_NE(s->contentSerial, serial);
    EXPECT_EQ(GetDeviceCaps(GetDC(main), BITSPIXEL), 8);  // the screen is a 256-colour display
    DeleteObject(brush);
}

TEST_F(WindowDcTest, RealisingOverAnEightBitWindowGivesItTheSystemPalette) {
    ASSERT_TRUE(SetWindowSurfaceFormat(main, SurfaceFormat::Indexed8));
    PALETTEENTRY sys[256];
    GetSystemPaletteEntries(HDC{}, 0, 256, sys);
    LOGPALETTE lp;
    lp.palPalEntry.assign(sys, sys + 256);
    for (int i = 10; i < 246; ++i)
        lp.palPalEntry[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), 100, 0, PC_NOCOLLAPSE};
    HPALETTE pal = CreatePalette(&lp);
    HDC dc = GetDC(main);
    SelectPalette(dc, pal, false);
    RealizePalette(dc);
    const WindowSurface* s = GetWindowSurface(main);
    EXPECT_EQ(s->palette[200], 0x00C86400u);
    EXPECT_EQ(s->palette[255], 0x00FFFFFFu);
    // Drawing with RGB colours picks the window's nearest entries; a palette index goes through
    // the realised mapping.
    SetPixel(dc, 0, 0, RGB(200, 99, 1));
    SetPixel(dc, 1, 0, PALETTEINDEX(150));
    EXPECT_EQ(s->indices[0], 200);
    EXPECT_EQ(s->indices[1], 150);

    // A DIB with the same colours goes across as indices, unchanged.
    BITMAPINFO info;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biBitCount = 8;
    for (int i = 0; i < 256; ++i)
        info.bmiColors[i] = RGBQUAD{lp.palPalEntry[i].peBlue, lp.palPalEntry[i].peGreen,
                                    lp.palPalEntry[i].peRed, 0};
    HDC mem = CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(mem, dib);
    const std::uint8_t row[4] = {11, 99, 245, 3};
    std::memcpy(bits, row, 4);
    ASSERT_TRUE(BitBlt(dc, 10, 2, 4, 1, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(std::memcmp(&s->indices[2 * s->width + 10], row, 4), 0);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(main, dc);
    EXPECT_TRUE(DeleteObject(pal));

    // The screen's DC: realising there changes the system palette, drawing does nothing.
    HDC screen = GetDC(HWND{});
    ASSERT_TRUE(screen);
    LOGPALETTE one;
    one.palPalEntry = {PALETTEENTRY{1, 2, 3, 0}};
    HPALETTE small = CreatePalette(&one);
    SelectPalette(screen, small, false);
    EXPECT_EQ(RealizePalette(screen), 1u);
    PALETTEENTRY e;
    GetSystemPaletteEntries(screen, 10, 1, &e);
    EXPECT_EQ(e, (PALETTEENTRY{1, 2, 3, 0}));
    EXPECT_FALSE(TextOut(screen, 0, 0, "x"));
    EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 256);
    EXPECT_EQ(ReleaseDC(HWND{}, screen), 1);
    EXPECT_TRUE(DeleteObject(small));
}

}  // namespace
