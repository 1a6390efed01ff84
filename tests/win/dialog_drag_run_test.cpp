// Dialogs moved by their caption and their edge with the mouse, as a user does in the program:
// a click (press and release at once) never leaves a dialog hanging on the pointer, a drag moves
// it by exactly the pointer's move, only while the button is held, and no drag takes it out of
// the picture. The dialog is found in each screenshot by its caption's colour.
#include <gtest/gtest.h>

#include <string>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

constexpr std::uint32_t kCaption = 0x6088B6;  // the active caption's upper band
constexpr int kFrame = 3;                     // frame lines outside the caption

struct Caption {
    int left = -1, top = -1, right = -1;
};

// The first row that holds a long run of the caption's colour: the caption's top, its left and
// right ends.
Caption FindCaption(const std::vector<std::uint32_t>& pixels) {
    for (int y = 0; y < 480 && !pixels.empty(); ++y) {
        int runStart = -1;
        for (int x = 0; x <= 640; ++x) {
            const bool in = x < 640 && pixels[static_cast<std::size_t>(y) * 640 + x] == kCaption;
            if (in && runStart < 0) runStart = x;
            if (!in && runStart >= 0) {
                if (x - runStart >= 100) {
                    Caption c{runStart, y, x - 1};
                    // The run may be cut by the title's letters: the caption's right end is the
                    // last pixel of its colour on that row.
                    for (int r = 639; r > x; --r)
                        if (pixels[static_cast<std::size_t>(y) * 640 + r] == kCaption) {
                            c.right = r;
                            break;
                        }
                    return c;
                }
                runStart = -1;
            }
        }
    }
    return {};
}

struct DialogCase {
    const char* name;
    const char* open;       // script lines that open the dialog
    const char* template_;  // its template name in the trace
};

const DialogCase kDialogs[] = {
    {"PlanPrompt",
     "menu 159\ndialog \"Load Flight Plan\"\nset 1120 KSQLtoKMRY.Pln\nclick 1\nwait 500\n"
     "key Ctrl+L press\n",
     "FP_CLOSE"},
    {"Sound", "menu 455\n", "SoundVolume"},
    {"About", "menu 545\n", "ABOUTBOX"},
};

class DialogDragRun : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "the starter installation is not built";
        testsupport::LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
    }
    Caption Shot(const std::string& name) const {
        return FindCaption(testsupport::ReadScreenshot(dir.Read(name + ".bmp"), 640, 480));
    }
    testsupport::TempFolder dir{"zephlon-drag"};
};

std::string At(int x, int y) {
    return std::to_string(x) + " " + std::to_string(y);
}

TEST_P(DialogDragRun, FollowsThePointerOnlyWhileHeldAndStaysInThePicture) {
    const DialogCase& d = GetParam();
    auto play = [&](const std::string& lines) {
        dir.Write("script.txt", "frame-interval 20\nwait 300\n" + std::string(d.open) +
                                    "wait 500\n" + lines + "key Esc press\nwait 300\nquit\n");
        return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                       " " + dir.Path("script.txt") + " 2>&1");
    };
    auto shot = [&](const char* name) {
        return "wait 200\nscreenshot " + dir.Path(std::string(name) + ".bmp") + "\n";
    };
    testsupport::CommandResult r = play(shot("open"));
    ASSERT_EQ(r.status, 0) << r.out;
    const Caption c0 = Shot("open");
    ASSERT_GE(c0.top, 0) << d.name << ": no caption seen";
    const int cx = c0.left + 40, cy = c0.top + 6;  // on the caption, clear of its buttons
    const int ex = c0.left + 60, ey = c0.top - 2;  // on the top edge
    const std::string elsewhere = "mouse 20 470 left-click\n";  // the panel, outside every dialog

    // A click on the caption or the edge, then clicks elsewhere and moves: the dialog stays.
    // A drag by the caption and by the edge: it moves by the pointer's move and no further.
    // Dragged far up-left and far down-right: it stops at the picture's edges.
    // (The About box is nearly as wide as the picture: the drags stay within its room.)
    r = play(
        "mouse " + At(cx, cy) + " left-click\n" + elsewhere + shot("caption-click") + "mouse " +
        At(ex, ey) + " left-click\nmouse 300 20 move\n" + elsewhere + shot("edge-click") +
        "mouse " + At(cx, cy) + " left-down\nmouse " + At(cx - 4, cy - 10) + " move\nmouse " +
        At(cx - 9, cy - 23) + " left-up\nmouse 600 460 move\n" + elsewhere + shot("caption-drag") +
        "mouse " + At(ex - 9, ey - 23) + " left-down\nmouse " + At(ex - 20, ey) + " move\nmouse " +
        At(ex + 3, ey + 7) + " left-up\n" + elsewhere + shot("edge-drag") + "mouse " +
        At(cx + 3, cy + 7) + " left-down\nmouse -900 -900 left-up\n" + shot("up-left") + "mouse " +
        At(kFrame + 40, kFrame + 6) + " left-down\nmouse 2000 2000 left-up\n" + shot("down-right"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(std::string("dialog ") + d.template_ + " ended"), std::string::npos)
        << "Escape closes the dialog after the drags\n"
        << r.out;

    struct Expected {
        const char* shot;
        int left, top;
    };
    const Expected expected[] = {
        {"caption-click", c0.left, c0.top},
        {"edge-click", c0.left, c0.top},
        {"caption-drag", c0.left - 9, c0.top - 23},
        {"edge-drag", c0.left + 3, c0.top + 7},
        {"up-left", kFrame, kFrame},
    };
    for (const Expected& e : expected) {
        const Caption c = Shot(e.shot);
        EXPECT_EQ(c.left, e.left) << d.name << " " << e.shot;
        EXPECT_EQ(c.top, e.top) << d.name << " " << e.shot;
    }
    const Caption c = Shot("down-right");
    EXPECT_EQ(c.right, 639 - kFrame) << d.name << ": the right edge stops at the picture's";
    EXPECT_EQ(c.right - c.left, c0.right - c0.left) << d.name << ": the caption shows whole";
    EXPECT_GT(c.top, c0.top) << d.name;
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogDragRun, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
