// The owner-draw library with the skin the build drew: dialogs and their controls subclassed by
// the hook (or not, when they decline), skinned frames and their metrics, push buttons at the
// skin's size unless their text needs more, button frames against a golden picture, emulated
// check boxes and radio buttons, the palette's free range, text styles from bad strings, and
// tooltips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "ui/owner_draw_library.h"
#include "ui_test_support.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/avi_file.h"
#include "win/video_window.h"

namespace {

using namespace win;

std::int32_t theSkinAnswer = 1;
std::vector<std::pair<int, int>> theClicks;  // id, check state when the dialog heard it

std::intptr_t PlainProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == ui::WM_WPL_SKINDIALOG && l != 0) *reinterpret_cast<std::int32_t*>(l) = theSkinAnswer;
    if (m == WM_INITDIALOG) {
        // A control made during the init is skinned as well.
        CreateWindowEx(0, "Button", "Late", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 90, 80, 14, h,
                       HMENU{205}, {}, 0);
        return 1;
    }
    if (m == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
        const int id = LOWORD(w);
        theClicks.emplace_back(id, static_cast<int>(IsDlgButtonChecked(h, id)));
        return 1;
    }
    return 0;
}

DialogTemplate Form() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    t.cx = 200;
    t.cy = 120;
    t.caption = "Skin";
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    auto add = [&](const char* cls, const char* text, int id, std::uint32_t style, int x, int y, int cx, int cy) {
        AddDialogItem(t, cls, text, id, style, x, y, cx, cy);
    };
    add("Button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 10, 50, 14);
    add("Button", "&Check", 201, WS_TABSTOP | BS_AUTOCHECKBOX, 10, 30, 80, 10);
    add("Button", "One", 202, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 10, 44, 80, 10);
    add("Button", "Two", 203, BS_AUTORADIOBUTTON, 10, 56, 80, 10);
    add("Button", "Box", 204, BS_GROUPBOX | WS_GROUP, 100, 10, 90, 60);
    add("msctls_trackbar32", "", 206, WS_TABSTOP, 10, 70, 100, 14);
    add("Button", "Start Near Here...", 207, WS_TABSTOP, 10, 100, 100, 14);
    return t;
}

class OwnerDrawTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (!uitest::SkinBuilt()) GTEST_SKIP() << "the build drew no skin";
        win::FreeResourceLibrary(uitest::theTestLibrary);
        uitest::theTestLibrary = uitest::LoadDialogTemplates(true);
        theSkinAnswer = 1;
        theClicks.clear();
        ui::wplSetPaletteMode(0);
        options.instance = HINSTANCE{};
        options.resourceModule = uitest::theTestLibrary;
        options.firstResourceId = 15000;
        options.flags = 0x25;
        options.palette = ui::wplGetPalette();
    }
    void TearDown() override {
        ui::wplTerm();
        ui::wplReleasePalette();
        DialogTest::TearDown();
    }
    ui::WplOptions options;
};

TEST_F(OwnerDrawTest, TheHookSkinsDialogsTheirControlsAndFrames) {
    ASSERT_EQ(ui::wplInit(&options), 1);
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    EXPECT_NE(GetProp(d, "WPL"), 0);
    EXPECT_NE(GetProp(d, "WPL_BORDER"), 0);
    // Push, check and radio buttons are skinned, group boxes are not; so is a late control.
    for (int id : {IDOK, 201, 202, 203, 205, 206}) EXPECT_NE(GetProp(GetDlgItem(d, id), "WPL"), 0) << id;
    EXPECT_EQ(GetProp(GetDlgItem(d, 204), "WPL"), 0);
    EXPECT_EQ(ui::wplButtonKind(GetDlgItem(d, 201)), 100);
    EXPECT_EQ(ui::wplButtonKind(GetDlgItem(d, 202)), 101);
    EXPECT_EQ(ui::wplButtonKind(GetDlgItem(d, IDOK)), 4);
    EXPECT_EQ(ui::wplButtonKind(GetDlgItem(d, 204)), 999);

    // Push buttons take one frame's size; the trackbar its channel's.
    RECT r;
    GetWindowRect(GetDlgItem(d, IDOK), &r);
    const SIZE push = ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinPushButton));
    EXPECT_EQ(r.right - r.left, push.cx / 5);
    EXPECT_EQ(r.bottom - r.top, push.cy);
    GetWindowRect(GetDlgItem(d, 206), &r);
    EXPECT_EQ(r.right - r.left, ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinTrackChannelH)).cx);
    // A text longer than the frame keeps the template's width, so no letter is cut off.
    GetWindowRect(GetDlgItem(d, 207), &r);
    EXPECT_GT(r.right - r.left, push.cx / 5);
    EXPECT_EQ(r.bottom - r.top, push.cy);

    // The client is the window less the skin's frame: dialog frame, caption.
    RECT window, client;
    GetWindowRect(d, &window);
    GetClientRect(d, &client);
    MapWindowPoints(d, {}, &client);
    EXPECT_EQ(client.left - window.left, ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinDialogFrameV)).cx);
    EXPECT_EQ(client.top - window.top, ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinDialogFrameH)).cy +
                                           ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinCaption)).cy);
    EXPECT_EQ(ui::wplGetSystemMetrics(SM_CYCAPTION), ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinCaption)).cy);
    // The caption's close button is hit-tested by the skin.
    const POINT closeAt{window.right - 4 - 6, window.top + 3 + 9};
    EXPECT_EQ(SendMessage(d, WM_NCHITTEST, 0, MAKELPARAM(closeAt.x, closeAt.y)), HTCLOSE);
    EXPECT_EQ(SendMessage(d, WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.top + 10)), HTCAPTION);

    // Subclassing again keeps the first stored procedure.
    const std::intptr_t first = GetProp(d, "WPL");
    EXPECT_EQ(ui::wplSubclassWindow(d, &ui::wplFrameSubclassProc, "WPL"), 1);
    EXPECT_EQ(GetProp(d, "WPL"), first);
    DestroyWindow(d);
}

TEST_F(OwnerDrawTest, ADialogThatDeclinesKeepsPlainControlsInASkinnedFrame) {
    ASSERT_EQ(ui::wplInit(&options), 1);
    theSkinAnswer = 0;
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    EXPECT_EQ(GetProp(d, "WPL"), 0);
    EXPECT_NE(GetProp(d, "WPL_BORDER"), 0);
    EXPECT_EQ(GetProp(GetDlgItem(d, IDOK), "WPL"), 0);
    EXPECT_EQ(GetWindowLong(GetDlgItem(d, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    DestroyWindow(d);

    // Without the hook nothing is skinned, though the library is on; menus never are.
    ui::wplTerm();
    options.flags |= ui::WPL_NO_HOOK;
    EXPECT_EQ(ui::wplInit(&options), 1);
    EXPECT_TRUE(ui::wplIsEnabled());
    theSkinAnswer = 1;
    d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    EXPECT_EQ(GetProp(d, "WPL"), 0);
    EXPECT_EQ(GetProp(d, "WPL_BORDER"), 0);
    DestroyWindow(d);

    ui::WplOptions wrong = options;
    wrong.size = 56;
    ui::wplTerm();
    EXPECT_EQ(ui::wplInit(&wrong), 0);
    EXPECT_FALSE(ui::wplIsEnabled());
}

TEST_F(OwnerDrawTest, SkinnedCheckBoxesAndRadioButtonsKeepTheirStateAsUsersExpect) {
    ASSERT_EQ(ui::wplInit(&options), 1);
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    // The dialog hears the click after the state changed, as with the system's boxes.
    SendDlgItemMessage(d, 201, BM_CLICK, 0, 0);
    SendDlgItemMessage(d, 201, BM_CLICK, 0, 0);
    SendDlgItemMessage(d, 202, BM_CLICK, 0, 0);
    SendDlgItemMessage(d, 203, BM_CLICK, 0, 0);
    EXPECT_EQ(theClicks, (std::vector<std::pair<int, int>>{{201, 1}, {201, 0}, {202, 1}, {203, 1}}));
    EXPECT_EQ(IsDlgButtonChecked(d, 202), 0u);
    EXPECT_EQ(IsDlgButtonChecked(d, 203), 1u);
    // The program's own calls reach the property, and the keyboard's dialog codes stay.
    CheckDlgButton(d, 201, BST_CHECKED);
    EXPECT_EQ(GetProp(GetDlgItem(d, 201), "CHECK"), 1);
    EXPECT_EQ(SendDlgItemMessage(d, 202, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON, DLGC_RADIOBUTTON);
    EXPECT_EQ(SendDlgItemMessage(d, IDOK, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    DestroyWindow(d);
}

// The push button's frames 0, 3, 2 and 1 (plain, pressed, focused, disabled), one under the other.
TEST_F(OwnerDrawTest, ButtonFramesMatchTheirGoldenPicture) {
    ASSERT_EQ(ui::wplInit(&options), 1);
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    HWND ok = GetDlgItem(d, IDOK);
    const SIZE push = ui::wplBitmapSize(ui::wplGetBitmap(ui::kSkinPushButton));
    const int w = push.cx / 5, h = push.cy;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h * 4), 0x00FF00);
    HDC dc = CreatePixelDC(pixels.data(), w, h * 4, w);
    ASSERT_TRUE(dc);
    const unsigned states[4] = {0, ODS_SELECTED, ODS_FOCUS, ODS_DISABLED};
    for (int i = 0; i < 4; ++i) {
        DRAWITEMSTRUCT item;
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDOK;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = states[i];
        item.hwndItem = ok;
        item.hDC = dc;
        item.rcItem = RECT{0, i * h, w, (i + 1) * h};
        const int frames[4] = {0, 3, 2, 1};
        EXPECT_EQ(ui::wplButtonFrame(states[i]), frames[i]);
        ASSERT_EQ(ui::wplButtonDraw(d, &item), 1);
    }
    DeleteDC(dc);
    DestroyWindow(d);

    std::string picture = "P6\n" + std::to_string(w) + " " + std::to_string(h * 4) + "\n255\n";
    for (std::uint32_t p : pixels) {
        picture.push_back(static_cast<char>((p >> 16) & 0xFF));
        picture.push_back(static_cast<char>((p >> 8) & 0xFF));
        picture.push_back(static_cast<char>(p & 0xFF));
    }
    const std::string path = std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/skin_buttons.ppm";
    if (const char* update = std::getenv("ZEPHLON_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
        std::ofstream(path, std::ios::binary) << picture;
        GTEST_SKIP() << "golden picture rewritten";
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing " << path << " (run with ZEPHLON_UPDATE_GOLDEN=1)";
    const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(golden == picture) << "the button frames differ from " << path;
}

TEST_F(OwnerDrawTest, PaletteKeepsTheSystemsEntries) {
    ASSERT_EQ(ui::wplInit(&options), 1);
    std::vector<COLORREF> colours(16);
    for (int i = 0; i < 16; ++i) colours[static_cast<std::size_t>(i)] = RGB(static_cast<std::uint8_t>(100 + i), 50, 60);
    const COLORREF system5 = ui::wplGetPaletteEntry(5);
    EXPECT_EQ(ui::wplSetPaletteEntries(5, 16, colours.data()), 11);
    EXPECT_EQ(ui::wplGetPaletteEntry(5), system5);
    EXPECT_EQ(ui::wplGetPaletteEntry(10), RGB(105, 50, 60));
    EXPECT_EQ(ui::wplGetPaletteEntry(20), RGB(115, 50, 60));
    EXPECT_EQ(ui::wplSetPaletteEntries(240, 16, colours.data()), 6);
    EXPECT_EQ(ui::wplSetPaletteEntries(246, 1, colours.data()), 0);
    // A palette resource sets the free range; a short block sets what it holds and no more.
    EXPECT_EQ(ui::wplLoadPaletteResource(uitest::theTestLibrary, 745, "Palette"), 1);
    EXPECT_NE(ui::wplGetPaletteEntry(10), RGB(105, 50, 60));
    std::vector<std::uint8_t> block = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a', 't', 'a',
                                       0,   0,   0,   0,   0, 3, 0, 0};
    for (int i = 0; i < 13; ++i) block.insert(block.end(), {7, 8, 9, 0});
    block.push_back(1);  // an odd size
    EXPECT_EQ(ui::wplLoadPaletteBlock(block.data(), block.size(), 10, 236), 1);
    EXPECT_EQ(ui::wplGetPaletteEntry(12), RGB(7, 8, 9));
    EXPECT_NE(ui::wplGetPaletteEntry(13), RGB(7, 8, 9));
    EXPECT_EQ(ui::wplLoadPaletteBlock(block.data(), 20, 10, 236), 0);
}

TEST_F(OwnerDrawTest, TextStylesFromGoodAndBadStrings) {
    struct Case {
        std::string text;
        std::size_t entries;
        bool colour;
        int alignment;
    };
    const std::vector<Case> cases = {
        {"255,0,0,Arial,Bold,10,C", 1, true, 4},
        {",,,Arial,Normal,8,r", 1, false, 2},           // no colour: the system's text colour
        {"300,-1,x,Arial,Normal,8,L", 1, false, 1},     // bad colours count as none
        {"0,0,0,NoSuchFace,Normal,9,L", 1, true, 1},    // unknown face: the ANSI variable font
        {std::string(20, ';') + "0,0,0,Arial", 1, true, 0},
        {"1,1,1,A;2,2,2,A;3,3,3,A;4,4,4,A;5,5,5,A;6,6,6,A;7,7,7,A;8,8,8,A;9,9,9,A;1,1,1,A;2,2,2,A;3,3,3,A;4,4,4,A", 0,
         true, 0},  // longer than 80 characters: cut there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ui::WplTextStyle s = ui::wplParseTextStyle(c.text);
        if (c.entries > 0) {
            ASSERT_EQ(s.entries.size(), c.entries);
            EXPECT_EQ(s.entries[0].hasColour, c.colour);
            EXPECT_TRUE(s.entries[0].font);
        } else {
            EXPECT_LE(s.entries.size(), ui::kTextStyleMaxEntries);
            EXPECT_GT(s.entries.size(), 0u);
        }
        EXPECT_EQ(s.alignment, c.alignment);
        ui::wplFreeTextStyle(s);
    }
    // An unknown face refused on request, else the variable font at the size asked for.
    EXPECT_FALSE(ui::wplCreateFont({}, "NoSuchFace", nullptr, 10, ui::WPL_FONT_MUST_EXIST, 96));
    const HFONT fallback = ui::wplCreateFont({}, "NoSuchFace", nullptr, 12, 0, 96);
    LOGFONT lf;
    ASSERT_TRUE(GetObject(fallback, &lf));
    EXPECT_EQ(lf.lfHeight, -16);
    DeleteObject(AsGdiObject(fallback));
}

TEST_F(OwnerDrawTest, MissingSkinBitmapsFallBackToTheSystemsLook) {
    FreeResourceLibrary(uitest::theTestLibrary);
    uitest::theTestLibrary = uitest::LoadDialogTemplates(false);
    options.resourceModule = uitest::theTestLibrary;
    ASSERT_EQ(ui::wplInit(&options), 1);
    for (int m : {SM_CYCAPTION, SM_CXBORDER, SM_CYBORDER, SM_CXDLGFRAME, SM_CYDLGFRAME, SM_CYMENU, SM_CXFRAME, SM_CYFRAME})
        EXPECT_EQ(ui::wplGetSystemMetrics(m), GetSystemMetrics(m)) << m;
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    // No trackbar channel: the trackbar stays the system's.
    EXPECT_EQ(GetProp(GetDlgItem(d, 206), "WPL"), 0);
    EXPECT_NE(GetProp(GetDlgItem(d, 201), "WPL"), 0);
    DestroyWindow(d);
}

TEST_F(OwnerDrawTest, TabStatesAndTooltips) {
    EXPECT_EQ(ui::wplTabFrame(0), 0);
    EXPECT_EQ(ui::wplTabFrame(ODS_DEFAULT), 0);
    EXPECT_EQ(ui::wplTabFrame(ODS_DISABLED), 1);
    EXPECT_EQ(ui::wplTabFrame(ODS_FOCUS), 2);
    EXPECT_EQ(ui::wplTabFrame(ODS_SELECTED), 3);
    EXPECT_EQ(ui::wplTabFrame(ODS_SELECTED | ODS_FOCUS), 4);
    EXPECT_EQ(ui::wplTabFrame(ODS_SELECTED | ODS_DISABLED), 0);  // logged, no box while painting

    // Tooltips, which the program's own flags leave off: string (id + offset), shown after the
    // show delay, gone after the hide delay once the pointer is back over the dialog.
    options.flags |= ui::WPL_TOOLTIPS;
    options.tooltipStringOffset = 15501 - IDOK;  // the first text style's string stands in
    options.tooltipShowDelay = 300;
    options.tooltipHideDelay = 200;
    ASSERT_EQ(ui::wplInit(&options), 1);
    HWND d = CreateDialogIndirectParam(Form(), {}, PlainProc, 0);
    ASSERT_TRUE(d);
    ShowWindow(d, SW_SHOW);
    auto pump = [] {
        MSG m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    };
    SendMessage(GetDlgItem(d, IDOK), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    pump();
    EXPECT_FALSE(ui::wplTooltipWindow());
    machine.Time().Advance(350);
    pump();
    ASSERT_TRUE(ui::wplTooltipWindow());
    const std::string shown = GetWindowText(ui::wplTooltipWindow());
    SendMessage(d, WM_MOUSEMOVE, 0, MAKELPARAM(150, 150));
    pump();
    EXPECT_TRUE(ui::wplTooltipWindow());
    machine.Time().Advance(250);
    pump();
    const bool gone = !ui::wplTooltipWindow();
    EXPECT_EQ(shown, "24,30,40,Arial,Normal,8,C");
    EXPECT_TRUE(gone);
    DestroyWindow(d);
}

}  // namespace

namespace {

HPALETTE theClipPalette;
std::string theClipAsked;

TEST_F(OwnerDrawTest, AnimationClipsByBareNamePlayFromTheProgramsFolderInTheirColours) {
    testsupport::TempFolder folder;
    platform::SetExecutablePathForTesting(folder.Path("zephlon"));
    AviContents clip;
    clip.width = 16;
    clip.height = 8;
    clip.rate = 10;
    std::vector<std::uint8_t> picture(16 * 8, 7);
    clip.frames = {EncodeRle8(picture.data(), nullptr, 16, 8), EncodeRle8(picture.data(), picture.data(), 16, 8)};
    const auto bytes = MakeAviImage(clip);
    std::ofstream(folder.Path("spin.avi"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // The program names the clip's palette (option 14): its colours from 10 on become the library's.
    LOGPALETTE lp;
    lp.palPalEntry.assign(256, PALETTEENTRY{1, 2, 3, 0});
    theClipPalette = CreatePalette(&lp);
    options.clipPaletteCallback = [](const char* name) {
        theClipAsked = name;
        return theClipPalette;
    };
    ASSERT_EQ(ui::wplInit(&options), 1);
    DialogTemplate t = Form();
    AddDialogItem(t, "SysAnimate32", "", 300, WS_CHILD | WS_VISIBLE, 10, 90, 40, 20);
    HWND d = CreateDialogIndirectParam(t, {}, PlainProc, 0);
    const HWND a = GetDlgItem(d, 300);
    ASSERT_TRUE(a);
    EXPECT_NE(GetProp(a, "WPL"), 0);
    ASSERT_EQ(SendMessage(a, ACM_OPENA, 0, reinterpret_cast<LParam>("spin.avi")), 1);
    EXPECT_EQ(theClipAsked, folder.Path("spin.avi"));
    EXPECT_TRUE(AnimationVideoWindow(a));
    PALETTEENTRY e{};
    GetPaletteEntries(ui::wplGetPalette(), 12, 1, &e);
    EXPECT_EQ(e, (PALETTEENTRY{1, 2, 3, 0}));
    EXPECT_EQ(SendMessage(a, WM_ERASEBKGND, 0, 0), 1);
    DestroyWindow(d);
    DeleteObject(theClipPalette);
    platform::SetExecutablePathForTesting("");
}

}  // namespace
