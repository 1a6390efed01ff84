// What reaches the screen: the 8-bit picture alone goes out as indices (a palette change alone
// recolours it), anything laid over it makes a 32-bit frame, and screenshots follow suit.
#include <cstdio>
#include <fstream>
#include <functional>

#include "support/temp_folder.h"
#include "win/compositor.h"
#include "win/gdi.h"
#include "win/window_surface.h"
#include "win_test_support.h"

namespace {

using namespace win;
using wintest::HeadlessTest;

class CompositorTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        machine.Screen().Open(platform::VideoOptions{});
        RECT r{0, 0, 640, 480};
        AdjustWindowRect(&r, 0x000B0000, false);
        main = CreateWindowEx(0, "TestWindow", "Main", 0x000B0000 | WS_VISIBLE, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
        ASSERT_TRUE(main);
        ASSERT_EQ(GetDisplayWindow(), main);
        SetWindowSurfaceFormat(main, SurfaceFormat::Indexed8);
        std::array<std::uint32_t, 256> grey{};
        for (int i = 0; i < 256; ++i)
            grey[i] = static_cast<std::uint32_t>(i * 0x010101);
        SetWindowSurfacePalette(main, grey);
        WindowSurface* s = GetWindowSurface(main);
        for (int x = 0; x < 640; ++x)
            s->indices[x] = static_cast<std::uint8_t>(x / 3);
        MarkWindowSurfaceDrawn(main);
        Pump();
    }

    // A 640 x 480 8-bit DIB section in a memory DC, its colours from `colour`, each row the ramp
    // x / 3; the window is made true colour first, as the program's is.
    struct Picture {
        HDC memory;
        HBITMAP bitmap;
        std::uint8_t* bits;
    };
    Picture MakePicture(RGBQUAD (*colour)(int)) {
        SetWindowSurfaceFormat(main, SurfaceFormat::Rgb32);
        BITMAPINFO info;
        info.bmiHeader.biWidth = 640;
        info.bmiHeader.biHeight = -480;
        info.bmiHeader.biBitCount = 8;
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] = colour(i);
        Picture p{CreateCompatibleDC(HDC{}), {}, nullptr};
        void* bits = nullptr;
        p.bitmap = CreateDIBSection(p.memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(p.memory, p.bitmap);
        p.bits = static_cast<std::uint8_t*>(bits);
        for (int i = 0; i < 640 * 480; ++i)
            p.bits[i] = static_cast<std::uint8_t>(i % 640 / 3);
        return p;
    }

    HWND main;
};

TEST_F(CompositorTest, PictureAloneGoesOutAsIndicesAndRecoloursWithoutARedraw) {
    PresentNow();
    auto& screen = machine.Screen();
    ASSERT_TRUE(screen.LastWasIndexed());
    const std::uint64_t frames = screen.Frames();
    EXPECT_EQ(screen.LastPixels()[300] & 0xFFFFFF, 0x646464u);
    EXPECT_FALSE(PresentNow());  // nothing changed
    EXPECT_EQ(screen.Frames(), frames);
    const std::uint32_t drawn = GetWindowSurface(main)->contentSerial;
    std::array<std::uint32_t, 256> p = GetWindowSurface(main)->palette;
    p[100] = 0x00FF00;
    SetWindowSurfacePalette(main, p);
    EXPECT_TRUE(PresentNow());  // the same picture out again in its new colours
    EXPECT_EQ(screen.Frames(), frames + 1);
    EXPECT_EQ(GetWindowSurface(main)->contentSerial, drawn);  // nobody drew
    EXPECT_EQ(screen.LastPixels()[300] & 0xFFFFFF, 0x00FF00u);
    EXPECT_FALSE(PresentNow());
}

// A whole 8-bit picture copied onto a true-colour window keeps its indices and colour table, so
// it goes out as indices; drawing anything else on the window turns it back to true colour with
// the picture's colours kept.
TEST_F(CompositorTest, AWholePictureCopiedOntoTheWindowGoesOutAsIndices) {
    const Picture pic = MakePicture([](int i) {
        return RGBQUAD{0, static_cast<std::uint8_t>(i), 0, 0};  // green ramp
    });
    const HDC memory = pic.memory;
    void* bits = pic.bits;
    const HDC window = GetDC(main);
    ASSERT_TRUE(BitBlt(window, 0, 0, 640, 480, memory, 0, 0, SRCCOPY));
    EXPECT_TRUE(GetWindowSurface(main)->pictureIndexed);
    PresentNow();
    EXPECT_TRUE(machine.Screen().LastWasIndexed());
    EXPECT_EQ(machine.Screen().LastPixels()[300] & 0xFFFFFF, 0x006400u);
    // The same picture copied again is not a new frame; a changed one is.
    const std::uint64_t frames = machine.Screen().Frames();
    ASSERT_TRUE(BitBlt(window, 0, 0, 640, 480, memory, 0, 0, SRCCOPY));
    EXPECT_FALSE(PresentNow());
    EXPECT_EQ(machine.Screen().Frames(), frames);
    static_cast<std::uint8_t*>(bits)[479 * 640 + 639] = 200;
    ASSERT_TRUE(BitBlt(window, 0, 0, 640, 480, memory, 0, 0, SRCCOPY));
    EXPECT_TRUE(PresentNow());
    EXPECT_EQ(machine.Screen().Frames(), frames + 1);
    EXPECT_EQ(machine.Screen().LastPixels()[479 * 640 + 639] & 0xFFFFFF, 0x00C800u);

    const RECT box{10, 10, 20, 20};
    FillRect(window, &box, HBRUSH{GetStockObject(WHITE_BRUSH).id});
    EXPECT_EQ(GetWindowSurface(main)->format, SurfaceFormat::Rgb32);
    EXPECT_FALSE(GetWindowSurface(main)->pictureIndexed);
    PresentNow();
    EXPECT_EQ(machine.Screen().LastPixels()[15 * 640 + 15] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(machine.Screen().LastPixels()[300] & 0xFFFFFF, 0x006400u);
    ReleaseDC(main, window);
    DeleteDC(pic.memory);
    DeleteObject(pic.bitmap);
}

// The screen takes only the rows the whole-picture copy changed; whatever else drew on the
// window in between (a direct write, a popup's frame, other colours) must still show. After
// every step the screen holds the window's picture in its colours, pixel for pixel.
TEST_F(CompositorTest, TheScreenFollowsThePictureWhateverDrewOnTheWindowBetweenCopies) {
    const Picture pic = MakePicture([](int i) {
        return RGBQUAD{static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0};
    });
    const HDC memory = pic.memory;
    std::uint8_t* art = pic.bits;
    const HDC window = GetDC(main);
    auto copy = [&] { ASSERT_TRUE(BitBlt(window, 0, 0, 640, 480, memory, 0, 0, SRCCOPY)); };
    HWND popup{};
    const struct Step {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"first copy", [&] { copy(); }},
        {"a row changed",
         [&] {
             art[200 * 640 + 7] = 9;
             copy();
         }},
        {"a row changed and changed back before the present",
         [&] {
             art[300 * 640] = 77;
             copy();
             art[300 * 640] = 0;
             copy();
         }},
        {"written straight into the window, then the same picture copied",
         [&] {
             WindowSurface* s = GetWindowSurface(main);
             s->indices[100 * 640 + 5] = 250;
             MarkWindowSurfaceDrawn(main);
             copy();
         }},
        {"written straight into the window alone",
         [&] {
             GetWindowSurface(main)->indices[50 * 640 + 50] = 251;
             MarkWindowSurfaceDrawn(main);
         }},
        {"a popup shown and presented",
         [&] {
             popup = CreateWindowEx(0, "TestWindow", "Box", WS_POPUP | WS_VISIBLE, 100, 100, 50, 40,
                                    main, {}, {}, 0);
             PresentNow();
             art[10 * 640 + 10] = 33;
             copy();
             DestroyWindow(popup);
         }},
        {"other colours",
         [&] {
             art[400 * 640 + 400] = 1;
             const RGBQUAD other{1, 2, 3, 0};
             SetDIBColorTable(memory, 1, 1, &other);
             copy();
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        PresentNow();
        const WindowSurface* s = GetWindowSurface(main);
        ASSERT_TRUE(machine.Screen().LastWasIndexed());
        const std::vector<std::uint32_t>& screen = machine.Screen().LastPixels();
        int wrong = 0;
        for (std::size_t i = 0; i < s->indices.size(); ++i)
            if ((screen[i] & 0xFFFFFFu) != s->palette[s->indices[i]]) ++wrong;
        EXPECT_EQ(wrong, 0);
    }
    ReleaseDC(main, window);
    DeleteDC(pic.memory);
    DeleteObject(pic.bitmap);
}

TEST_F(CompositorTest, APopupOverThePictureMakesA32BitFrameAndScreenshot) {
    HWND popup = CreateWindowEx(0, "TestWindow", "Box", WS_POPUP | WS_VISIBLE, 100, 100, 50, 40,
                                main, {}, {}, 0);
    WindowSurface* s = GetWindowSurface(popup);
    std::fill(s->pixels.begin(), s->pixels.end(), 0x123456u);
    PresentNow();
    EXPECT_FALSE(machine.Screen().LastWasIndexed());
    ComposedFrame f = ComposeFrame();
    EXPECT_FALSE(f.indexed);
    EXPECT_EQ(f.pixels[120 * 640 + 120], 0x123456u);
    EXPECT_EQ(f.pixels[300], 0x646464u);

    // A folder of its own: the normal and sanitizer runs may take screenshots at the same time.
    const testsupport::TempFolder folder("compositor");
    const std::string path = folder.Path("shot.bmp");
    ASSERT_TRUE(WriteScreenshotBmp(path));
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[28], 24);  // bits per pixel
    EXPECT_EQ(bmp.size(), 54u + 640u * 3u * 480u);

    DestroyWindow(popup);
    ASSERT_TRUE(WriteScreenshotBmp(path));
    std::ifstream in8(path, std::ios::binary);
    std::vector<unsigned char> bmp8((std::istreambuf_iterator<char>(in8)), {});
    ASSERT_EQ(bmp8.size(), 54u + 1024u + 640u * 480u);
    EXPECT_EQ(bmp8[28], 8);
    // Bottom-up rows: the top row is the last one in the file.
    EXPECT_EQ(bmp8[54 + 1024 + 479 * 640 + 300], 100);
}

TEST_F(CompositorTest, MenuBandIsDrawnWhereTheWindowPutsIt) {
    std::vector<RECT> bands;
    SetNonClientPainter([&](HWND h, const ComposeTarget&, const RECT&, const RECT& band) {
        if (h == main) bands.push_back(band);
    });
    SetWindowMenuHandle(main, HMENU{9});
    // A 640×480 screen: the client fills it and the band lies above it, out of view.
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, 0x000B0000, true);
    MoveWindow(main, r.left, r.top, r.right - r.left, r.bottom - r.top, true);
    ComposedFrame f = ComposeFrame();
    EXPECT_TRUE(f.indexed);
    // Shown the way the program's automatic menu bar does it: the window moves down by the band.
    MoveWindow(main, r.left, r.top + 19, r.right - r.left, r.bottom - r.top, true);
    f = ComposeFrame();
    EXPECT_FALSE(f.indexed);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.back(), (RECT{0, 0, 640, 19}));
    SetNonClientPainter(nullptr);
}

// On a larger screen the band lies over the picture in every frame of a flight: whatever changed
// (rows of the picture, its colours, the band, a popup laid over both and gone again), the screen
// shows what composing the whole frame gives.
TEST_F(CompositorTest, UnderTheBandTheScreenShowsTheWholeComposedFrame) {
    SetVirtualScreenSize(1024, 768);
    SetWindowMenuHandle(main, HMENU{9});
    MoveWindow(main, 100, 100, 648, 526, true);
    Pump();
    std::uint32_t bandColour = 0x102030;
    SetNonClientPainter([&](HWND h, const ComposeTarget& t, const RECT&, const RECT& b) {
        if (h != main) return;
        for (int y = std::max(b.top, 0); y < std::min<int>(b.bottom, t.height); ++y)
            for (int x = std::max(b.left, 0); x < std::min<int>(b.right, t.width); x += 2)
                t.pixels[y * t.pitch + x] = bandColour;  // every other pixel: the picture shows
    });
    WindowSurface* s = GetWindowSurface(main);
    HWND popup;
    enum class Step { Row, RowUnderTheBand, Colours, Band, PopupOn, PopupOff, Nothing };
    int n = 0;
    for (const Step step : {Step::Row, Step::RowUnderTheBand, Step::Colours, Step::Band, Step::Row,
                            Step::PopupOn, Step::Row, Step::PopupOff, Step::Nothing, Step::Row}) {
        ++n;
        switch (step) {
            case Step::Row:
                std::fill_n(&s->indices[static_cast<std::size_t>(100 + n) * 640], 640,
                            static_cast<std::uint8_t>(20 * n));
                MarkWindowSurfaceDrawn(main);
                break;
            case Step::RowUnderTheBand:
                std::fill_n(&s->indices[5 * 640], 640, std::uint8_t{77});
                MarkWindowSurfaceDrawn(main);
                break;
            case Step::Colours: {
                std::array<std::uint32_t, 256> p = s->palette;
                p[77] = 0xFF00FF;
                p[40] = 0x00FFFF;
                SetWindowSurfacePalette(main, p);
                MarkWindowSurfaceDrawn(main);
                break;
            }
            case Step::Band:
                bandColour = 0x405060;
                RequestPresent();
                break;
            case Step::PopupOn:
                popup = CreateWindowEx(0, "TestWindow", "Box", WS_POPUP | WS_VISIBLE, 300, 300, 50,
                                       40, main, {}, {}, 0);
                std::fill(GetWindowSurface(popup)->pixels.begin(),
                          GetWindowSurface(popup)->pixels.end(), 0x123456u);
                s = GetWindowSurface(main);
                break;
            case Step::PopupOff:
                DestroyWindow(popup);
                Pump();
                s = GetWindowSurface(main);
                break;
            case Step::Nothing:
                break;
        }
        PresentNow();
        const ComposedFrame whole = ComposeFrame();
        ASSERT_FALSE(whole.indexed);
        const std::vector<std::uint32_t>& shown = machine.Screen().LastPixels();
        for (std::size_t i = 0; i < whole.pixels.size(); ++i)
            ASSERT_EQ(shown[i] & 0xFFFFFF, whole.pixels[i]) << "step " << n << " pixel " << i;
    }
    SetNonClientPainter(nullptr);
}

}  // namespace

namespace {

TEST_F(CompositorTest, OnALargerScreenTheBandLiesOverThePictureAndTakesItsClicks) {
    SetVirtualScreenSize(1024, 768);
    SetWindowMenuHandle(main, HMENU{9});
    MoveWindow(main, 100, 100, 648, 526, true);
    Pump();
    RECT band{};
    SetNonClientPainter([&](HWND h, const ComposeTarget&, const RECT&, const RECT& b) {
        if (h == main) band = b;
    });
    ComposedFrame f = ComposeFrame();
    EXPECT_FALSE(f.indexed);
    EXPECT_EQ(band, (RECT{0, 0, 640, 19}));
    const POINT origin = OutputOrigin();
    EXPECT_EQ(origin, (POINT{104, 142}));
    EXPECT_EQ(OutputToScreen(10, 5), (POINT{114, 128}));   // in the band
    EXPECT_EQ(OutputToScreen(10, 25), (POINT{114, 167}));  // in the picture
    wintest::Log().clear();
    Mouse(platform::EventKind::MouseDown, 10, 5);
    Pump();
    bool sawMenuClick = false;
    for (const wintest::Seen& s : wintest::Log())
        if (s.message == WM_NCLBUTTONDOWN && s.wParam == static_cast<WParam>(HTMENU))
            sawMenuClick = true;
    EXPECT_TRUE(sawMenuClick);
    SetNonClientPainter(nullptr);
}

}  // namespace
