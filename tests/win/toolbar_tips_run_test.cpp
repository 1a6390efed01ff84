// The tools of the Position Aircraft dialog, at the picture's foot: the tip of every one of them
// shows whole within the picture (above the tools, since there is no room below them).
#include <gtest/gtest.h>

#include <string>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

constexpr std::uint32_t kTipBackground = 0xFFFFE1;

class ToolbarTipsRun : public testsupport::StarterRunTest {
protected:
    ToolbarTipsRun() : StarterRunTest("zephlon-tips") {}
};

TEST_F(ToolbarTipsRun, EveryToolsTipShowsWholeWithinThePicture) {
    // The middle of each tool along the bar (the buttons lie 22 or 23 pixels apart, in groups).
    const int tools[] = {30,  53,  76,  98,  121, 145, 168, 190, 222,
                         245, 275, 298, 321, 344, 375, 398, 421};
    std::string script =
        "frame-interval 20\nwait 300\nmenu 133\nwait 300\ndialog PositionAircraft\n";
    for (int x : tools)
        script += "mouse " + std::to_string(x) + " 461 move\nwait 300\nscreenshot " +
                  dir.Path("tip" + std::to_string(x) + ".bmp") + "\n";
    const testsupport::CommandResult r = Play(script + "key Esc press\nwait 200\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    for (int x : tools) {
        const std::vector<std::uint32_t> pixels =
            testsupport::ReadScreenshot(dir.Read("tip" + std::to_string(x) + ".bmp"), 640, 480);
        ASSERT_FALSE(pixels.empty()) << x;
        // The tip's rows: those with a stretch of its background.
        int rows = 0, first = -1, last = -1;
        for (int y = 0; y < 480; ++y) {
            int n = 0;
            for (int i = 0; i < 640; ++i)
                n += pixels[static_cast<std::size_t>(y) * 640 + i] == kTipBackground ? 1 : 0;
            if (n < 20) continue;
            ++rows;
            if (first < 0) first = y;
            last = y;
        }
        EXPECT_EQ(rows, 16) << "the tip of the tool at x " << x << " does not show whole";
        EXPECT_LT(last, 450) << "the tip of the tool at x " << x << " covers the tools";
        EXPECT_EQ(last - first + 1, rows) << x;
    }
}

}  // namespace
