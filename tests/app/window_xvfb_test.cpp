// The program's window on real X displays of two sizes, driven as a user does with the keyboard
// and the mouse (xdotool) and photographed from outside (xwd): the window opens where the
// settings put it, within the screen, comes back there from full screen and keeps the place the
// user moved it to; Help > Contents opens within the picture wherever the window stands, and its
// Close button, found in the photograph, closes it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/xvfb.h"
#include "support/zephlon_on_display.h"

namespace {

struct Screen {
    int width, height;
    [[nodiscard]] std::string XvfbGeometry() const {
        return std::to_string(width) + "x" + std::to_string(height) + "x24";
    }
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    [[nodiscard]] bool Inside(const Rect& r) const {
        return left >= r.left && top >= r.top && right <= r.right && bottom <= r.bottom;
    }
};

// The skin's active caption (its upper half) and its push buttons' face.
constexpr std::uint32_t kCaption = 0x6088B6;
constexpr std::uint32_t kButtonFace = 0xC0C0C0;

class ProgramOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "the starter installation is not built";
        xdotool = xvfb::FindTool("xdotool");
        convert = xvfb::FindTool("convert");
        if (xdotool.empty() || convert.empty() || xvfb::FindTool("xwd").empty())
            GTEST_SKIP() << "xdotool, xwd or convert missing";
    }

    // Runs xdotool on the display; its output.
    std::string Xdo(const std::string& display, const std::string& args) const {
        return testsupport::RunCommand("DISPLAY=" + display + " " + xdotool + " " + args + " 2>&1")
            .out;
    }
    // The picture's place on the screen: the program's X window (the picture is its client).
    std::optional<Rect> Picture(const std::string& display) const {
        const std::string out = Xdo(display, "search --name Zephlon getwindowgeometry --shell %1");
        const std::size_t x = out.find("\nX="), y = out.find("\nY=");
        if (x == std::string::npos || y == std::string::npos) return std::nullopt;
        const int left = std::atoi(out.c_str() + x + 3), top = std::atoi(out.c_str() + y + 3);
        return Rect{left, top, left + 640, top + 480};
    }
    // Starts the program with its window's place in the settings; the picture's place once the
    // start-up is done, nothing when it did not start.
    std::optional<Rect> Start(const testsupport::StarterRun& run, const std::string& display,
                              int mainX, int mainY, pid_t* child) const {
        run.Dir().Write("Zephlon.ini", "[Settings]\r\nMainX=" + std::to_string(mainX) +
                                           "\r\nMainY=" + std::to_string(mainY) + "\r\n");
        *child = testsupport::StartZephlon(run.Dir(), display);
        if (*child <= 0 || !testsupport::WaitForStart(*child, run.Dir().Path("Zephlon.ini")))
            return std::nullopt;
        return Picture(display);
    }
    // The pointer over the picture's middle, where the keys go to the program.
    void PointAtTheMiddle(const std::string& display, const Rect& picture) const {
        Xdo(display, "mousemove " + std::to_string(picture.left + 320) + " " +
                         std::to_string(picture.top + 300));
    }
    void Keys(const std::string& display, std::initializer_list<const char*> keys) const {
        for (const char* k : keys) {
            Xdo(display, std::string("key ") + k);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }

    std::string xdotool, convert;
};

// The help window as the photograph shows it: the topmost long row of its caption's colour
// (the window's width across), and its Close button, the face-coloured box at the right of its
// bottom rows. Nothing when no caption shows.
struct FoundHelp {
    Rect caption;
    std::optional<Rect> close;
};
std::optional<FoundHelp> FindHelpWindow(const std::vector<unsigned char>& rgb, const Screen& s,
                                        const Rect& within) {
    const auto at = [&](int x, int y) { return xvfb::At(rgb, x, y, s.width); };
    for (int y = within.top; y < within.bottom; ++y) {
        int first = -1, last = -1;
        for (int x = within.left; x < within.right; ++x)
            if (at(x, y) == kCaption) {
                if (first < 0) first = x;
                last = x;
            }
        if (first < 0 || last - first < 300) continue;
        FoundHelp found{Rect{first, y, last + 1, y + 1}, std::nullopt};
        // The window is 400 rows high; its buttons lie in its last 40 rows (below the scroll
        // bar), Close on the right.
        const int mid = (first + last) / 2;
        Rect box{s.width, s.height, -1, -1};
        for (int by = y + 360; by < std::min(y + 400, within.bottom); ++by)
            for (int bx = mid; bx <= last; ++bx)
                if (at(bx, by) == kButtonFace) {
                    box.left = std::min(box.left, bx);
                    box.top = std::min(box.top, by);
                    box.right = std::max(box.right, bx + 1);
                    box.bottom = std::max(box.bottom, by + 1);
                }
        if (box.right > box.left && box.bottom - box.top >= 10) found.close = box;
        return found;
    }
    return std::nullopt;
}

// Wherever the settings put the window (away from the screen's middle, where the desktop's
// centre and the picture's would agree), Help > Contents opens within the picture and its Close
// button, inside the picture too, closes it.
TEST_F(ProgramOnXvfb, HelpContentsOpensWithinThePictureAndItsCloseButtonClosesIt) {
    struct Case {
        Screen screen;
        int mainX, mainY;
    };
    for (const Case c : {Case{{1920, 1080}, 60, 80}, Case{{1024, 768}, 20, 30}}) {
        SCOPED_TRACE(c.screen.XvfbGeometry());
        xvfb::Server server(400, 460, c.screen.XvfbGeometry());
        if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
        testsupport::StarterRun run("zephlon-help-window");
        pid_t child = -1;
        const std::optional<Rect> picture = Start(run, server.Display(), c.mainX, c.mainY, &child);
        ASSERT_TRUE(picture.has_value()) << "the program did not start";
        // The keys a user without the mouse takes: the menu bar, its last menu (Help), its first
        // item (Contents).
        PointAtTheMiddle(server.Display(), *picture);
        Keys(server.Display(), {"F10", "Left", "Down", "Down", "Return"});
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        const Rect screen{0, 0, c.screen.width, c.screen.height};
        const std::vector<unsigned char> open = xvfb::Photograph(server.Display(), convert);
        ASSERT_EQ(open.size(), static_cast<std::size_t>(c.screen.width) * c.screen.height * 3);
        const std::optional<FoundHelp> help = FindHelpWindow(open, c.screen, screen);
        ASSERT_TRUE(help.has_value()) << "no help window on the screen";
        EXPECT_TRUE(help->caption.Inside(*picture));
        ASSERT_TRUE(help->close.has_value()) << "no Close button below the help window's text";
        EXPECT_TRUE(help->close->Inside(*picture));

        const int x = (help->close->left + help->close->right) / 2,
                  y = (help->close->top + help->close->bottom) / 2;
        Xdo(server.Display(),
            "mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        const std::vector<unsigned char> closed = xvfb::Photograph(server.Display(), convert);
        EXPECT_FALSE(FindHelpWindow(closed, c.screen, screen).has_value())
            << "the help window is still open";
        EXPECT_EQ(testsupport::Close(child), 0);
    }
}

// The window opens where the settings put it (a place off the screen gives way to the middle of
// the screen), comes back there from full screen, and the place the user moves it to is kept
// when the program ends.
TEST_F(ProgramOnXvfb, TheWindowOpensWhereItWasLeftWithinTheScreen) {
    const Screen s{1024, 768};
    xvfb::Server server(400, 460, s.XvfbGeometry());
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    struct Case {
        const char* what;
        int mainX, mainY;
        Rect expected;  // where the picture stands
    };
    const Case cases[] = {
        {"a place on the screen", 100, 120, Rect{100, 120, 740, 600}},
        // Centred: across (1024 - 640) / 2, down half the room below the caption and menu.
        {"a place off the screen", 5000, 5000, Rect{192, 163, 832, 643}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::StarterRun run("zephlon-window-place");
        pid_t child = -1;
        const std::optional<Rect> picture = Start(run, server.Display(), c.mainX, c.mainY, &child);
        ASSERT_TRUE(picture.has_value()) << "the program did not start";
        EXPECT_EQ(picture->left, c.expected.left);
        EXPECT_EQ(picture->top, c.expected.top);
        EXPECT_TRUE(picture->Inside(Rect{0, 0, s.width, s.height}));

        // Full screen and back: the window returns to its place.
        PointAtTheMiddle(server.Display(), *picture);
        Keys(server.Display(), {"alt+Return"});
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const std::optional<Rect> full = Picture(server.Display());
        ASSERT_TRUE(full.has_value());
        EXPECT_EQ(full->left, 0);
        Keys(server.Display(), {"alt+Return"});
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const std::optional<Rect> back = Picture(server.Display());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->left, c.expected.left);
        EXPECT_EQ(back->top, c.expected.top);

        // Moved by the user: the place is kept in the settings when the program ends.
        Xdo(server.Display(), "search --name Zephlon windowmove %1 300 200");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        EXPECT_EQ(testsupport::Close(child), 0);
        const std::string settings = run.Dir().Read("Zephlon.ini");
        EXPECT_EQ(testsupport::SavedValue(settings, "MainX"), 300) << settings;
        EXPECT_EQ(testsupport::SavedValue(settings, "MainY"), 200) << settings;
    }
}

}  // namespace
