// A list box shows whole rows: unless its style says otherwise it is cut down to the rows that
// fit the height it was given, so the text a user reads is never a row sliced through.
#include <gtest/gtest.h>

#include <cstdint>

#include "win/compositor.h"
#include "win/controls.h"
#include "win/gdi.h"
#include "win_test_support.h"

namespace {

using namespace win;

class ListWholeRowsTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        InstallWindowDcProvider();
    }
};

bool Dark(std::uint32_t p) {
    return ((p >> 16) & 0xFF) < 128 && ((p >> 8) & 0xFF) < 128 && (p & 0xFF) < 128;
}

TEST_F(ListWholeRowsTest, NoRowIsShownCut) {
    struct Case {
        const char* name;
        int height;                     // as created
        int rowHeight, laterRowHeight;  // the rows' height, and a height set afterwards (0: none)
        bool noIntegralHeight;
        int rowsShown;
    };
    // The rows lie inside a two-pixel sunken edge.
    const Case cases[] = {
        {"half a row left over", 100, 14, 0, false, 6},
        {"all but a pixel of a row left over", 103, 20, 0, false, 4},
        {"exactly whole rows", 88, 14, 0, false, 6},
        {"lower than one row", 12, 14, 0, false, 0},
        {"taller rows later fit the height first given", 120, 14, 29, false, 4},
        {"asked to show the cut row", 100, 14, 0, true, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND owner = MakeWindow(true);
        const std::uint32_t style =
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | (c.noIntegralHeight ? LBS_NOINTEGRALHEIGHT : 0);
        HWND list =
            CreateWindowEx(0, WC_LISTBOX, "", style, 20, 20, 200, c.height, owner, HMENU{7}, {}, 0);
        ASSERT_TRUE(list);
        SendMessage(list, LB_SETITEMHEIGHT, 0, c.rowHeight);
        if (c.laterRowHeight > 0) SendMessage(list, LB_SETITEMHEIGHT, 0, c.laterRowHeight);
        const int rh = static_cast<int>(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
        for (int i = 0; i < 30; ++i)
            SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>("Wg|Wg|Wg"));
        Pump();
        RECT at;
        GetWindowRect(list, &at);
        const int rowsTop = at.top + 2, rowsBottom = at.bottom - 2;
        if (c.noIntegralHeight || c.rowsShown == 0) {
            EXPECT_EQ(at.bottom - at.top, c.height) << "the list keeps its height";
            DestroyWindow(owner);
            continue;
        }
        EXPECT_EQ(rowsBottom - rowsTop, c.rowsShown * rh);
        // Every band of the rows' area that holds text is a whole row that looks like the first.
        const ComposedFrame f = ComposeFrame();
        const auto ink = [&](int x, int y) {
            return Dark(f.pixels[static_cast<std::size_t>(y) * 640 + x]);
        };
        int inked = 0;
        for (int top = rowsTop; top < rowsBottom; top += rh) {
            bool any = false, same = true;
            for (int y = top; y < top + rh && y < rowsBottom; ++y)
                for (int x = at.left + 3; x < at.left + 120; ++x) {
                    any = any || ink(x, y);
                    same = same && ink(x, y) == ink(x, rowsTop + (y - top));
                }
            if (!any) continue;
            ++inked;
            EXPECT_LE(top + rh, rowsBottom) << "a row cut by the list's bottom at y " << top;
            EXPECT_TRUE(same) << "the row at y " << top << " does not look like the first";
        }
        EXPECT_EQ(inked, c.rowsShown);
        DestroyWindow(owner);
    }
}

}  // namespace
