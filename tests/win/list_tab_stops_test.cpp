// A list box's tab stops as the user sees them: a tab moves to the first stop past the text
// already drawn, so a cell wider than its column pushes the rest of its row on instead of being
// drawn over; consecutive tabs step from stop to stop; past the last stop they go on every 32
// pixels.
#include <gtest/gtest.h>

#include <vector>

#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win_test_support.h"

namespace {

using namespace win;

class ListTabStopsTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        InstallWindowDcProvider();
    }
};

// The ink of one row of the composed frame: runs of dark columns, left to right.
struct InkRun {
    int left, right;  // inclusive
};
std::vector<InkRun> InkRuns(const ComposedFrame& f, int x0, int x1, int y0, int y1) {
    std::vector<InkRun> runs;
    bool inRun = false;
    for (int x = x0; x < x1; ++x) {
        bool ink = false;
        for (int y = y0; y < y1 && !ink; ++y) {
            const std::uint32_t p = f.pixels[static_cast<std::size_t>(y) * 640 + x];
            ink = ((p >> 16) & 0xFF) < 128 && ((p >> 8) & 0xFF) < 128 && (p & 0xFF) < 128;
        }
        if (ink && !inRun) runs.push_back(InkRun{x, x});
        if (ink) runs.back().right = x;
        inRun = ink;
    }
    return runs;
}

TEST_F(ListTabStopsTest, ATabMovesToTheFirstStopPastTheTextDrawn) {
    HWND owner = MakeWindow(true);
    HWND list = CreateWindowEx(0, WC_LISTBOX, "", WS_CHILD | WS_VISIBLE | LBS_USETABSTOPS, 0, 0,
                               600, 200, owner, HMENU{7}, {}, 0);
    ASSERT_TRUE(list);
    SendMessage(list, LB_SETITEMHEIGHT, 0, 20);
    const int stops[2] = {8, 64};  // dialog units
    ASSERT_EQ(SendMessage(list, LB_SETTABSTOPS, 2, reinterpret_cast<LParam>(stops)), 1);
    const int cx = GetDialogBaseUnits(owner).cx;
    const int stop0 = stops[0] * cx / 4, stop1 = stops[1] * cx / 4;
    const char* rows[] = {
        "i\tX",                      // short: the first stop
        "WWW\tX",                    // past the first stop: the second
        "\t\tX",                     // two tabs: the second stop
        "WWWWWWWWWWWWWWWWWWWW\tX",  // past every stop: the next multiple of 32
    };
    for (const char* row : rows) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>(row));
    Pump();
    const ComposedFrame f = ComposeFrame();
    std::vector<std::vector<InkRun>> ink;
    for (int i = 0; i < 4; ++i) {
        RECT r{};
        ASSERT_EQ(SendMessage(list, LB_GETITEMRECT, i, reinterpret_cast<LParam>(&r)), 1);
        POINT at{0, 0};
        ClientToScreen(list, &at);
        ink.push_back(InkRuns(f, at.x + r.left, at.x + r.right, at.y + r.top, at.y + r.bottom));
        ASSERT_FALSE(ink.back().empty()) << "row " << i;
    }
    // The X is each row's last ink; positions are taken from the text's origin (plus the X's
    // left side bearing, the same in every row), found from the first row.
    const int origin = ink[0].back().left - stop0;
    const auto x = [&](int row) { return ink[static_cast<std::size_t>(row)].back().left - origin; };
    const auto beforeX = [&](int row) {  // where the ink before the X ends
        const auto& runs = ink[static_cast<std::size_t>(row)];
        return runs[runs.size() - 2].right - origin;
    };
    EXPECT_EQ(x(0), stop0);
    ASSERT_GT(beforeX(1), stop0);  // the W's pass the first stop
    EXPECT_EQ(x(1), stop1);        // and push the X on to the second, clear of them
    EXPECT_EQ(x(2), stop1);
    ASSERT_GT(beforeX(3), stop1);  // past every stop
    EXPECT_GT(x(3), beforeX(3));
    EXPECT_EQ(x(3) % 32, 0);
    EXPECT_LE(x(3) - beforeX(3), 32);
}

}  // namespace
