// Menus: the calls that change them, the band they take from the client, and tracking with the
// mouse on the headless machine, down to the composed frame and the posted command.
#include <algorithm>
#include <functional>

#include "win/compositor.h"
#include "win/gdi.h"
#include "win/menu.h"
#include "win/window_surface.h"
#include "win_test_support.h"

namespace {

using namespace win;
using wintest::HeadlessTest;
using wintest::Log;
using wintest::Seen;

constexpr std::uint32_t kOpen = 159, kPause = 464, kExit = 168, kDawn = 177, kDusk = 179;

bool thePopupExistedAtInit = false;
int theInitPopups = 0;

LResult MenuOwnerProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    Log().push_back(Seen{h, m, w, l});
    if (m == WM_INITMENUPOPUP) {
        ++theInitPopups;
        thePopupExistedAtInit = thePopupExistedAtInit || FindWindow("#32768", "");
        // The handler sets the check mark; the popup must show it.
        CheckMenuItem(HMENU{static_cast<std::uint32_t>(w)}, kPause, MF_CHECKED);
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

HMENU TestMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, kOpen, "&Open...\tCtrl+O");
    AppendMenu(file, MF_SEPARATOR, 0, "");
    AppendMenu(file, MF_STRING, kPause, "&Pause");
    AppendMenu(file, MF_STRING | MF_GRAYED, kExit, "E&xit");
    HMENU time = CreatePopupMenu();
    AppendMenu(time, MF_STRING, kDawn, "D&awn");
    AppendMenu(time, MF_STRING, 178, "&Day");
    AppendMenu(time, MF_STRING, kDusk, "D&usk");
    AppendMenu(bar, MF_POPUP, file, "&File");
    AppendMenu(bar, MF_POPUP, time, "&Time");
    return bar;
}

class MenuTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        InstallMenuSupport();
        WNDCLASS wc;
        wc.className = "MenuOwner";
        wc.wndProc = MenuOwnerProc;
        ASSERT_NE(RegisterClass(wc), 0);
        main = CreateWindowEx(0, "MenuOwner", "Main", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, {}, {},
                              {}, 0);
        ASSERT_TRUE(main);
        menu = TestMenu();
        ASSERT_TRUE(SetMenu(main, menu));
        SetFocus(main);
        thePopupExistedAtInit = false;
        theInitPopups = 0;
        Pump();
    }
    void TearDown() override {
        machine.Input().SetQueueEmptyHandler(nullptr);
        HeadlessTest::TearDown();
    }

    void Click(int x, int y) {
        Mouse(platform::EventKind::MouseMove, x, y);
        Mouse(platform::EventKind::MouseDown, x, y);
        Mouse(platform::EventKind::MouseUp, x, y);
    }
    // Steps run each time the program's queue runs dry while a menu is open.
    void Steps(std::vector<std::function<void()>> steps) {
        auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
        auto next = std::make_shared<std::size_t>(0);
        machine.Input().SetQueueEmptyHandler([shared, next] {
            if (*next >= shared->size()) return false;
            (*shared)[(*next)++]();
            return true;
        });
    }
    RECT PopupRect() {
        HWND popup = FindWindow("#32768", "");
        RECT r{};
        if (popup) GetWindowRect(popup, &r);
        return r;
    }
    static std::vector<std::uint32_t> Messages(const std::vector<Seen>& seen) {
        std::vector<std::uint32_t> out;
        for (const Seen& s : seen)
            if (s.message == WM_ENTERMENULOOP || s.message == WM_INITMENU ||
                s.message == WM_INITMENUPOPUP || s.message == WM_EXITMENULOOP ||
                s.message == WM_COMMAND)
                out.push_back(s.message);
        return out;
    }
    static int CountColour(const ComposedFrame& f, RECT r, std::uint32_t colour) {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, 480); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, 640); ++x)
                n += (f.pixels[static_cast<std::size_t>(y) * 640 + x] & 0xFFFFFF) == colour;
        return n;
    }

    HWND main;
    HMENU menu;
};

TEST_F(MenuTest, TheBandTakesRowsFromTheClient) {
    RECT client;
    GetClientRect(main, &client);
    const int band = 480 - client.bottom;
    EXPECT_GE(band, 16);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    EXPECT_EQ(origin.y, band);
    EXPECT_EQ(GetMenu(main), menu);
    // The band is drawn: the bar's grey and the black of its texts.
    const ComposedFrame f = ComposeFrame();
    EXPECT_GT(CountColour(f, RECT{0, 0, 640, band}, 0xC0C0C0), 640 * band / 2);
    EXPECT_GT(CountColour(f, RECT{0, 0, 100, band}, 0x000000), 10);
    EXPECT_TRUE(SetMenu(main, HMENU{}));
    GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_FALSE(GetMenu(main));
}

TEST_F(MenuTest, ClickingTheBarInitialisesThePopupBeforeItIsDrawnAndChoosingPostsTheId) {
    ASSERT_EQ(GetMenuState(menu, kPause, MF_BYCOMMAND) & MF_CHECKED, 0u);
    RECT checkColumn{}, openColumn{};
    int checkInk = -1, openInk = -1;
    Steps({[&] {
        // The File popup is open: the check mark set by the handler is on the screen.
        const RECT p = PopupRect();
        ASSERT_GT(p.right, p.left);
        const ComposedFrame f = ComposeFrame();
        const int row = std::max(GetSystemMetrics(SM_CYMENU), 16);
        openColumn = RECT{p.left + 3, p.top + 3, p.left + 21, p.top + 3 + row};
        checkColumn = RECT{p.left + 3, p.top + 3 + row + 8, p.left + 21, p.top + 3 + 2 * row + 8};
        checkInk = CountColour(f, checkColumn, 0x000000);
        openInk = CountColour(f, openColumn, 0x000000);
        // Choose "Pause" (the third item, below the separator).
        Click(p.left + 40, (checkColumn.top + checkColumn.bottom) / 2);
    }});
    Click(12, 6);  // "File" on the bar
    const auto seen = Pump();
    EXPECT_GT(checkInk, 5);
    EXPECT_EQ(openInk, 0);
    EXPECT_FALSE(thePopupExistedAtInit);
    EXPECT_EQ(theInitPopups, 1);
    const std::vector<std::uint32_t> expected = {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP,
                                                 WM_EXITMENULOOP, WM_COMMAND};
    EXPECT_EQ(Messages(seen), expected);
    const auto command = std::find_if(seen.begin(), seen.end(),
                                      [](const Seen& s) { return s.message == WM_COMMAND; });
    ASSERT_NE(command, seen.end());
    EXPECT_EQ(command->wParam, kPause);  // high word 0: a menu, not an accelerator
    // WM_MENUSELECT told of the selection, and of the end with 0xFFFF and no menu.
    const auto last = std::find_if(seen.rbegin(), seen.rend(),
                                   [](const Seen& s) { return s.message == WM_MENUSELECT; });
    ASSERT_NE(last, seen.rend());
    EXPECT_EQ(HIWORD(last->wParam), 0xFFFF);
    EXPECT_EQ(last->lParam, 0);
    EXPECT_FALSE(FindWindow("#32768", ""));  // the popup is gone
}

TEST_F(MenuTest, GreyedItemsAndClicksOutsideChooseNothing) {
    Steps({[&] {
               const RECT p = PopupRect();
               const int row = std::max(GetSystemMetrics(SM_CYMENU), 16);
               Click(p.left + 40, p.top + 3 + 2 * row + 8 + row / 2);  // "Exit", greyed
           },
           [&] {
               EXPECT_TRUE(FindWindow("#32768", ""));  // still open
               Click(400, 300);                        // outside every menu
           }});
    Click(12, 6);
    const auto seen = Pump();
    const std::vector<std::uint32_t> expected = {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP,
                                                 WM_EXITMENULOOP};
    EXPECT_EQ(Messages(seen), expected);
}

TEST_F(MenuTest, MovingAlongTheBarOpensTheNextPopupAndKeysChoose) {
    Steps({[&] {
               // Over to "Time": its popup replaces File's.
               Mouse(platform::EventKind::MouseMove, 60, 6);
           },
           [&] {
               EXPECT_EQ(theInitPopups, 2);
               Key(platform::Scancode::Down, true);
               Key(platform::Scancode::Down, false);
               Key(platform::Scancode::Down, true);
               Key(platform::Scancode::Down, false);
               Key(platform::Scancode::Down, true);
               Key(platform::Scancode::Down, false);
               Key(platform::Scancode::Return, true);
               Key(platform::Scancode::Return, false);
           }});
    Click(12, 6);
    const auto seen = Pump();
    const auto command = std::find_if(seen.begin(), seen.end(),
                                      [](const Seen& s) { return s.message == WM_COMMAND; });
    ASSERT_NE(command, seen.end());
    EXPECT_EQ(command->wParam, kDusk);
}

TEST_F(MenuTest, AltAloneEntersTheBarAndTheKeyboardChooses) {
    Steps({[&] {
        // The bar's first item is highlighted, no popup yet: Down opens it, Down selects
        // its first item, Return chooses it.
        EXPECT_FALSE(FindWindow("#32768", ""));
        for (auto key :
             {platform::Scancode::Down, platform::Scancode::Down, platform::Scancode::Return}) {
            Key(key, true);
            Key(key, false);
        }
    }});
    Key(platform::Scancode::LeftAlt, true);
    Key(platform::Scancode::LeftAlt, false);
    const auto seen = Pump();
    const auto command = std::find_if(seen.begin(), seen.end(),
                                      [](const Seen& s) { return s.message == WM_COMMAND; });
    ASSERT_NE(command, seen.end());
    EXPECT_EQ(command->wParam, kOpen);
}

// A menu the mouse opened closes whole on one Escape; one the keys opened steps back to the bar
// first, and the second Escape leaves it.
TEST_F(MenuTest, EscapeLeavesTheMenu) {
    struct Case {
        const char* what;
        bool byMouse;
        int escapes;
        bool left;
    };
    for (const Case c :
         {Case{"mouse, one Escape", true, 1, true}, Case{"keys, one Escape", false, 1, false},
          Case{"keys, two Escapes", false, 2, true}}) {
        SCOPED_TRACE(c.what);
        bool stillOpen = false;
        std::vector<std::function<void()>> steps;
        if (!c.byMouse)
            steps.emplace_back([&] {
                Key(platform::Scancode::Down, true);
                Key(platform::Scancode::Down, false);
            });
        steps.emplace_back([&] {
            for (int i = 0; i < c.escapes; ++i) {
                Key(platform::Scancode::Escape, true);
                Key(platform::Scancode::Escape, false);
            }
        });
        // The menu still waits for the keys when it has not yet told its owner that it ended;
        // one more Escape then leaves it for the next case.
        steps.emplace_back([&] {
            stillOpen = std::none_of(Log().begin(), Log().end(),
                                     [](const Seen& s) { return s.message == WM_EXITMENULOOP; });
            Key(platform::Scancode::Escape, true);
            Key(platform::Scancode::Escape, false);
        });
        Steps(steps);
        if (c.byMouse) {
            Click(12, 6);
        } else {
            Key(platform::Scancode::LeftAlt, true);
            Key(platform::Scancode::LeftAlt, false);
        }
        const auto seen = Pump();
        EXPECT_EQ(stillOpen, !c.left);
        EXPECT_EQ(Messages(seen).back(), WM_EXITMENULOOP);
        EXPECT_FALSE(FindWindow("#32768", ""));
        machine.Input().SetQueueEmptyHandler(nullptr);
    }
}

TEST_F(MenuTest, TheOverlayShowsTheBarOverAFullScreenPictureAndTakesClicks) {
    // Full screen: the window's own band lies above the screen.
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, WS_POPUP, true);
    MoveWindow(main, r.left, r.top, r.right - r.left, r.bottom - r.top, false);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    ASSERT_EQ(origin.y, 0);
    WindowSurface* s = GetWindowSurface(main);
    ASSERT_TRUE(s);
    std::fill(s->pixels.begin(), s->pixels.end(), 0x0000FFu);
    MarkWindowSurfaceDrawn(main);
    EXPECT_EQ(CountColour(ComposeFrame(), RECT{0, 0, 640, 16}, 0xC0C0C0), 0);

    ASSERT_TRUE(ShowMenuOverlay(main, true));
    EXPECT_TRUE(IsMenuOverlayShown(main));
    EXPECT_GT(CountColour(ComposeFrame(), RECT{0, 0, 640, 16}, 0xC0C0C0), 640 * 8);
    Steps({[&] {
        const RECT p = PopupRect();
        const int row = std::max(GetSystemMetrics(SM_CYMENU), 16);
        Click(p.left + 40, p.top + 3 + row / 2);  // "Open"
    }});
    Click(12, 6);
    const auto seen = Pump();
    const auto command = std::find_if(seen.begin(), seen.end(),
                                      [](const Seen& s) { return s.message == WM_COMMAND; });
    ASSERT_NE(command, seen.end());
    EXPECT_EQ(command->wParam, kOpen);
    ASSERT_TRUE(ShowMenuOverlay(main, false));
    EXPECT_EQ(CountColour(ComposeFrame(), RECT{0, 0, 640, 16}, 0xC0C0C0), 0);
}

// On a screen larger than the picture the band is laid over the client's top rows. A popup
// dropping from it opens under the band as it is shown, so the first item, which lies just
// under it, takes the click there (the band's own rows still belong to the bar).
TEST_F(MenuTest, OnALargerScreenThePopupOpensUnderTheShownBandAndItsFirstItemTakesTheClick) {
    RECT client;
    GetClientRect(main, &client);
    const int band = 480 - client.bottom;
    SetVirtualScreenSize(1024, 768);
    SetDisplayWindow(main);
    MoveWindow(main, 100, 100, 640, 480 + band, true);
    Pump();
    const POINT origin = OutputOrigin();
    ASSERT_EQ(origin, (POINT{100, 100 + band}));
    const int row = std::max(GetSystemMetrics(SM_CYMENU), 16);
    struct Case {
        int barX;  // the bar's item, in the picture
        std::uint32_t first;
    };
    for (const Case c : {Case{12, kOpen}, Case{60, kDawn}}) {
        SCOPED_TRACE(c.first);
        int shownTop = -1;
        Steps({[&] {
            const RECT p = PopupRect();
            shownTop = p.top - origin.y;
            Click(p.left - origin.x + 30, shownTop + 3 + row / 2);
        }});
        Click(c.barX, band / 2);
        const auto seen = Pump();
        EXPECT_EQ(shownTop, band);
        const auto command = std::find_if(seen.begin(), seen.end(),
                                          [](const Seen& s) { return s.message == WM_COMMAND; });
        ASSERT_NE(command, seen.end());
        EXPECT_EQ(command->wParam, c.first);
    }
}

// The bar entered from the keyboard while it is shown over a full-screen picture drops its
// popups from the overlay too, and a click on the bar still reaches it.
TEST_F(MenuTest, TheKeyboardOpensTheOverlayBarsPopupsUnderIt) {
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, WS_POPUP, true);
    MoveWindow(main, r.left, r.top, r.right - r.left, r.bottom - r.top, false);
    ASSERT_TRUE(ShowMenuOverlay(main, true));
    HWND overlay = FindWindow("ZephlonMenuOverlay", "");
    ASSERT_TRUE(overlay);
    RECT bar;
    GetWindowRect(overlay, &bar);
    RECT file{}, time{};
    Steps({[&] {
               Key(platform::Scancode::Down, true);
               Key(platform::Scancode::Down, false);
           },
           [&] {
               file = PopupRect();
               Click(60, bar.bottom / 2);  // "Time" on the bar
           },
           [&] {
               time = PopupRect();
               Key(platform::Scancode::Escape, true);
               Key(platform::Scancode::Escape, false);
               Key(platform::Scancode::Escape, true);
               Key(platform::Scancode::Escape, false);
           }});
    Key(platform::Scancode::LeftAlt, true);
    Key(platform::Scancode::LeftAlt, false);
    Pump();
    EXPECT_EQ(file.left, 0);
    EXPECT_EQ(file.top, bar.bottom);
    EXPECT_GT(time.left, file.left);
    EXPECT_EQ(time.top, bar.bottom);
}

TEST_F(MenuTest, APopupTrackedAloneReturnsItsChoice) {
    const HMENU time = GetSubMenu(menu, 1);
    Steps({[&] {
        const RECT p = PopupRect();
        EXPECT_EQ(p.left, 200);
        EXPECT_EQ(p.top, 150);
        const int row = std::max(GetSystemMetrics(SM_CYMENU), 16);
        Click(p.left + 30, p.top + 3 + row + row / 2);  // "Day"
    }});
    EXPECT_EQ(TrackPopupMenu(time, TPM_RETURNCMD, 200, 150, main), 178u);
    const auto seen = Pump();
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(),
                             [](const Seen& s) { return s.message == WM_COMMAND; }));
    // Near the screen's edge the popup moves to stay on it; nothing chosen gives 0.
    Steps({[&] {
        const RECT p = PopupRect();
        EXPECT_LE(p.right, 640);
        EXPECT_LE(p.bottom, 480);
        Click(5, 470);
    }});
    EXPECT_EQ(TrackPopupMenu(time, TPM_RETURNCMD, 630, 475, main), 0u);

    // On a larger screen only the picture is shown: the popup stays within it, not merely on the
    // screen.
    RECT client;
    GetClientRect(main, &client);
    SetVirtualScreenSize(1024, 768);
    SetDisplayWindow(main);
    MoveWindow(main, 100, 100, 640, 480 + (480 - client.bottom), true);
    Pump();
    const RECT picture = PictureRect();
    Steps({[&] {
        const RECT p = PopupRect();
        EXPECT_LE(p.right, picture.right);
        EXPECT_LE(p.bottom, picture.bottom);
        EXPECT_GE(p.left, picture.left);
        Click(5, 470);
    }});
    EXPECT_EQ(TrackPopupMenu(time, TPM_RETURNCMD, picture.right - 10, picture.bottom - 5, main),
              0u);
}

TEST(MenuCalls, StatesChecksAndRadioMarks) {
    HMENU bar = TestMenu();
    struct Case {
        std::uint32_t item, flags;
        std::uint32_t state;
    } before[] = {{kOpen, MF_BYCOMMAND, 0},
                  {kExit, MF_BYCOMMAND, MF_GRAYED},
                  {1, MF_BYPOSITION, 3u << 8 | MF_POPUP},
                  {999, MF_BYCOMMAND, kMenuError},
                  {5, MF_BYPOSITION, kMenuError}};
    for (const Case& c : before)
        EXPECT_EQ(GetMenuState(bar, c.item, c.flags), c.state) << c.item;

    EXPECT_EQ(CheckMenuItem(bar, kOpen, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(bar, kOpen, MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(bar, 999, MF_CHECKED), kMenuError);
    EXPECT_EQ(EnableMenuItem(bar, kExit, MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(bar, kExit, MF_BYCOMMAND), 0u);
    EXPECT_EQ(EnableMenuItem(bar, kExit, MF_GRAYED), MF_ENABLED);

    ASSERT_TRUE(CheckMenuRadioItem(bar, kDawn, kDusk, 178, MF_BYCOMMAND));
    ASSERT_TRUE(CheckMenuRadioItem(bar, kDawn, kDusk, kDusk, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(bar, 178, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(bar, kDusk, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_FALSE(CheckMenuRadioItem(bar, kDawn, kDusk, 4000, MF_BYCOMMAND));

    const HMENU time = GetSubMenu(bar, 1);
    EXPECT_EQ(GetMenuItemCount(time), 3);
    EXPECT_EQ(GetMenuItemID(time, 2), kDusk);
    EXPECT_EQ(GetMenuItemID(bar, 0), kMenuError);  // a popup has no id
    EXPECT_FALSE(GetSubMenu(bar, 7));
    std::string text;
    EXPECT_GT(GetMenuString(bar, kOpen, &text, MF_BYCOMMAND), 0);
    EXPECT_EQ(text, "&Open...\tCtrl+O");
    EXPECT_FALSE(AppendMenu(bar, MF_POPUP, bar, "itself"));
    EXPECT_TRUE(RemoveMenu(bar, kOpen, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(bar, kOpen, MF_BYCOMMAND), kMenuError);

    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(time));  // submenus go with it
    EXPECT_FALSE(DestroyMenu(bar));
}

TEST(MenuCalls, TemplatesBuildMenus) {
    std::vector<MenuTemplateItem> items(1);
    items[0].flags = MF_POPUP;
    items[0].text = "&View";
    items[0].items.resize(2);
    items[0].items[0].id = 1663;
    items[0].items[0].text = "Cockpit";
    items[0].items[1].id = 1664;
    items[0].items[1].flags = MF_GRAYED;
    const HMENU m = LoadMenuIndirect(items);
    EXPECT_EQ(GetMenuItemCount(m), 1);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(m, 0), 0), 1663u);
    EXPECT_EQ(GetMenuState(m, 1664, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_FALSE(LoadMenu(HINSTANCE{}, "nothing"));
    DestroyMenu(m);
}

}  // namespace
