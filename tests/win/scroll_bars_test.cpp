// Scroll bars as a user works them: a press on an arrow or beside the thumb tells the parent and
// repeats while held, the thumb is as long as the page is of the range and drags to a position;
// list views and list boxes show their own bars while their rows or columns do not fit, and the
// bars bring every row and column into view; an up-down control's halves show their arrows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/input.h"
#include "win/window_surface.h"
#include "win_test_support.h"

namespace {

using namespace win;

// The scroll codes and positions a parent heard, in order.
std::vector<std::pair<unsigned, int>> Scrolls(const std::vector<wintest::Seen>& seen) {
    std::vector<std::pair<unsigned, int>> codes;
    for (const wintest::Seen& s : seen)
        if (s.message == WM_VSCROLL || s.message == WM_HSCROLL)
            codes.emplace_back(LOWORD(static_cast<std::uintptr_t>(s.wParam)),
                               HIWORD(static_cast<std::uintptr_t>(s.wParam)));
    return codes;
}

class ScrollBars : public wintest::HeadlessTest {
protected:
    // A vertical bar 16 wide and 216 long: 16-pixel arrows, 184 pixels of trough.
    HWND MakeBar(HWND owner) {
        HWND bar = CreateWindowEx(0, WC_SCROLLBAR, "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 16, 216, owner,
                                  HMENU{5}, {}, 0);
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = 99;
        info.nPage = 25;
        SendMessage(bar, SBM_SETSCROLLINFO, 1, reinterpret_cast<LParam>(&info));
        return bar;
    }
    static void Press(HWND bar, int y, bool up = true) {
        SendMessage(bar, WM_LBUTTONDOWN, 0, MAKELPARAM(8, static_cast<std::uint16_t>(y)));
        if (up) SendMessage(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, static_cast<std::uint16_t>(y)));
    }
};

TEST_F(ScrollBars, PartsTellTheParentAndTheThumbIsThePage) {
    HWND owner = MakeWindow();
    HWND bar = MakeBar(owner);
    SCROLLBARINFO info;
    ASSERT_EQ(SendMessage(bar, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LParam>(&info)), 1);
    EXPECT_EQ(info.dxyLineButton, 16);
    EXPECT_EQ(info.xyThumbTop, 16);
    EXPECT_EQ(info.xyThumbBottom - info.xyThumbTop, 184 * 25 / 100);  // a quarter of the range
    // Positions run to the last page's start (99 - 25 + 1); the thumb then touches the arrow.
    EXPECT_EQ(SendMessage(bar, SBM_SETPOS, 200, 0), 0);
    EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), 75);
    SendMessage(bar, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LParam>(&info));
    EXPECT_EQ(info.xyThumbBottom, 200);
    SendMessage(bar, SBM_SETPOS, 30, 0);

    struct Case {
        int y;
        unsigned code;
    };
    for (const Case& c : {Case{2, SB_LINEUP}, Case{213, SB_LINEDOWN}, Case{20, SB_PAGEUP}, Case{190, SB_PAGEDOWN}}) {
        wintest::Log().clear();
        Press(bar, c.y);
        const auto heard = Scrolls(wintest::Log());
        ASSERT_EQ(heard.size(), 2u) << c.y;
        EXPECT_EQ(heard[0].first, c.code) << c.y;
        EXPECT_EQ(heard[1].first, SB_ENDSCROLL);
    }
}

TEST_F(ScrollBars, HeldArrowsRepeatAndTheThumbDrags) {
    HWND owner = MakeWindow();
    HWND bar = MakeBar(owner);
    Pump();
    POINT arrow{8, 213};
    ClientToScreen(bar, &arrow);
    SetCursorPos(arrow.x, arrow.y);  // the pointer stays on the arrow
    Press(bar, 213, false);          // held on the lower arrow
    machine.Time().Advance(390);
    EXPECT_EQ(Scrolls(Pump()).size(), 0u) << "not before the repeat delay";
    machine.Time().Advance(20);
    std::vector<std::pair<unsigned, int>> repeats = Scrolls(Pump());
    for (int i = 0; i < 4; ++i) {  // then every 50 ms
        machine.Time().Advance(50);
        for (const auto& r : Scrolls(Pump())) repeats.push_back(r);
    }
    EXPECT_EQ(repeats.size(), 5u);
    for (const auto& r : repeats) EXPECT_EQ(r.first, SB_LINEDOWN);
    SendMessage(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 213));
    machine.Time().Advance(500);
    EXPECT_EQ(Scrolls(Pump()).size(), 0u) << "released";

    // The thumb (at position 0, pixels 16..62) dragged down by half the free trough reads half
    // of the 75 positions, to the parent while it moves and once more as it is let go.
    SendMessage(bar, SBM_SETPOS, 0, 0);
    wintest::Log().clear();
    SendMessage(bar, WM_LBUTTONDOWN, 0, MAKELPARAM(8, 20));
    SendMessage(bar, WM_MOUSEMOVE, 0, MAKELPARAM(8, 20 + 69));
    SCROLLINFO track;
    track.fMask = SIF_TRACKPOS;
    SendMessage(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LParam>(&track));
    EXPECT_EQ(track.nTrackPos, 38);
    SendMessage(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 20 + 69));
    const auto heard = Scrolls(wintest::Log());
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], (std::pair<unsigned, int>{SB_THUMBTRACK, 38}));
    EXPECT_EQ(heard[1], (std::pair<unsigned, int>{SB_THUMBPOSITION, 38}));
    EXPECT_EQ(heard[2].first, SB_ENDSCROLL);
}

// A list view's own bars: both while rows and columns overflow, each scrolling its way, the
// header sideways with the columns; none once everything fits.
TEST_F(ScrollBars, AListViewScrollsItsRowsAndColumns) {
    HWND owner = MakeWindow();
    HWND list = CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 160, owner,
                               HMENU{9}, {}, 0);
    ASSERT_TRUE(list);
    for (int c = 0; c < 8; ++c) {
        LVCOLUMN col;
        col.cx = 60;
        col.text = "C" + std::to_string(c);
        SendMessage(list, LVM_INSERTCOLUMN, static_cast<WParam>(c), reinterpret_cast<LParam>(&col));
    }
    auto bars = [&] {
        UpdateWindow(list);  // as the user sees it: the list has painted
        std::vector<HWND> shown;
        for (HWND c = GetWindow(list, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (GetClassName(c) == WC_SCROLLBAR && IsWindowVisible(c)) shown.push_back(c);
        return shown;
    };
    ASSERT_EQ(bars().size(), 1u) << "480 pixels of columns in 300";
    for (int i = 0; i < 30; ++i) {
        LVITEM it;
        it.mask = LVIF_TEXT;
        it.iItem = i;
        it.text = "row " + std::to_string(i);
        SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LParam>(&it));
    }
    ASSERT_EQ(bars().size(), 2u);
    HWND vertical, horizontal;
    for (HWND b : bars()) (GetWindowLong(b, GWL_STYLE) & SBS_VERT ? vertical : horizontal) = b;
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    SendMessage(horizontal, SBM_GETSCROLLINFO, 0, reinterpret_cast<LParam>(&info));
    const int view = 300 - GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(info.nMax, 479);
    EXPECT_EQ(static_cast<int>(info.nPage), view);

    // The last page of rows: the top row is the last whole page's first, and a click on the
    // first row shown selects it.
    SendMessage(list, WM_VSCROLL, SB_BOTTOM, static_cast<LParam>(vertical.id));
    const int top = static_cast<int>(SendMessage(list, LVM_GETTOPINDEX, 0, 0));
    RECT first;
    SendMessage(list, LVM_GETITEMRECT, static_cast<WParam>(top), reinterpret_cast<LParam>(&first));
    RECT last;
    SendMessage(list, LVM_GETITEMRECT, 29, reinterpret_cast<LParam>(&last));
    EXPECT_LE(last.bottom, 160 - GetSystemMetrics(SM_CYHSCROLL)) << "the last row shows whole";
    SendMessage(list, WM_LBUTTONDOWN, 0, MAKELPARAM(20, static_cast<std::uint16_t>(first.top + 2)));
    EXPECT_EQ(SendMessage(list, LVM_GETNEXTITEM, static_cast<WParam>(-1), LVNI_SELECTED), top);

    // Sideways to the end: the header moves with the columns, so the last column ends at the
    // view's right edge.
    SendMessage(list, WM_HSCROLL, SB_BOTTOM, static_cast<LParam>(horizontal.id));
    HWND header{static_cast<std::uint32_t>(SendMessage(list, LVM_GETHEADER, 0, 0))};
    RECT at;
    GetWindowRect(header, &at);
    MapWindowPoints({}, list, &at);
    EXPECT_EQ(at.left, view - 480);
    SendMessage(list, LVM_GETITEMRECT, static_cast<WParam>(top), reinterpret_cast<LParam>(&first));
    EXPECT_EQ(first.left, view - 480);

    // Narrow columns and few rows fit: no bar, and nothing scrolled.
    for (int c = 0; c < 8; ++c) SendMessage(list, LVM_SETCOLUMNWIDTH, static_cast<WParam>(c), 30);
    SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_TRUE(bars().empty());
    GetWindowRect(header, &at);
    MapWindowPoints({}, list, &at);
    EXPECT_EQ(at.left, 0);
}

// A list box shows the bars its style asks for, while the rows or the widest row do not fit.
TEST_F(ScrollBars, AListBoxShowsTheBarsItsStyleAsksFor) {
    HWND owner = MakeWindow();
    struct Case {
        std::uint32_t style;
        int rows;
        bool longRow, vertical, horizontal;
    };
    for (const Case& c : {Case{0, 10, true, false, false}, Case{WS_VSCROLL, 4, false, false, false},
                          Case{WS_VSCROLL, 10, true, true, false}, Case{WS_HSCROLL, 2, true, false, true},
                          Case{WS_VSCROLL | WS_HSCROLL, 10, true, true, true}}) {
        HWND list = CreateWindowEx(0, WC_LISTBOX, "", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 120, 104, owner,
                                   HMENU{7}, {}, 0);
        SendMessage(list, LB_SETITEMHEIGHT, 0, 20);
        for (int i = 0; i < c.rows; ++i) {
            const std::string text = c.longRow && i == 1 ? std::string(60, 'W') : "row";
            SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>(text.c_str()));
        }
        bool vertical = false, horizontal = false;
        UpdateWindow(list);
        for (HWND b = GetWindow(list, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT))
            if (IsWindowVisible(b)) (GetWindowLong(b, GWL_STYLE) & SBS_VERT ? vertical : horizontal) = true;
        EXPECT_EQ(vertical, c.vertical) << c.style << " " << c.rows;
        EXPECT_EQ(horizontal, c.horizontal) << c.style << " " << c.rows;
        if (c.vertical) {
            // The top row goes no further than the last whole page's first.
            SendMessage(list, LB_SETTOPINDEX, 9, 0);
            RECT last;
            SendMessage(list, LB_GETITEMRECT, 9, reinterpret_cast<LParam>(&last));
            EXPECT_LE(last.bottom, 102 - (c.horizontal ? GetSystemMetrics(SM_CYHSCROLL) : 0));
        }
        DestroyWindow(list);
    }
}

// An up-down control shows an arrow on each half, pointing the way that half steps: a triangle
// whose rows (or columns) widen away from its point.
TEST_F(ScrollBars, UpDownHalvesShowTheirArrows) {
    InstallWindowDcProvider();
    HWND owner = MakeWindow();
    struct Case {
        const char* what;
        std::uint32_t style;
        int width, height;
    };
    for (const Case c : {Case{"vertical", 0, 16, 32}, Case{"horizontal", UDS_HORZ, 32, 16}}) {
        SCOPED_TRACE(c.what);
        HWND updown = CreateWindowEx(0, UPDOWN_CLASS, "", WS_CHILD | WS_VISIBLE | c.style, 100, 100,
                                     c.width, c.height, owner, HMENU{7}, {}, 0);
        UpdateWindow(updown);
        const WindowSurface* pixels = GetWindowSurface(updown);
        ASSERT_TRUE(pixels != nullptr);
        ASSERT_EQ(pixels->width, c.width);
        const std::uint32_t ink = GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF;
        // Ink across each line of the control, along its length, inside the buttons' edges.
        const bool vertical = c.style == 0;
        const int length = vertical ? c.height : c.width, across = vertical ? c.width : c.height;
        std::vector<int> widths;
        for (int along = 0; along < length; ++along) {
            int n = 0;
            for (int a = 2; a < across - 2; ++a) {
                const int x = vertical ? a : along, y = vertical ? along : a;
                n += (pixels->pixels[static_cast<std::size_t>(y) * c.width + x] & 0xFFFFFF) == ink;
            }
            widths.push_back(n);
        }
        // The first half's arrow widens along the length, the second's narrows.
        const auto half = [&](int from, int to) {
            std::vector<int> v;
            for (int i = from; i < to; ++i)
                if (widths[static_cast<std::size_t>(i)] > 0)
                    v.push_back(widths[static_cast<std::size_t>(i)]);
            return v;
        };
        const std::vector<int> first = half(2, length / 2 - 2),
                               second = half(length / 2 + 2, length - 2);
        ASSERT_GE(first.size(), 2u);
        ASSERT_GE(second.size(), 2u);
        EXPECT_LT(first.front(), first.back());
        EXPECT_GT(second.front(), second.back());
        DestroyWindow(updown);
    }
}

}  // namespace
