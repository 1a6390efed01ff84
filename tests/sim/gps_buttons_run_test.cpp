// The GPS window's buttons in the running program: the C172's window opens from the menu with
// its bezel and its nearest mode's button down; a click on WPT shows the waypoint map of San
// Carlos, MENU its menu page, the arrows walk to "Waypoint ID" and step the identifier's first
// letter (KSQL becomes L00), which moves the map to that airport; NRST goes back to the nearest
// map. Its right edge dragged widens the window, which the settings file keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/ini_file.h"
#include "support/bmp_pixels.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

struct Shot {
    std::string bmp;
    [[nodiscard]] std::uint32_t At(int x, int y) const { return testsupport::PixelAt(bmp, x, y); }
    // Pixels of a box whose colour is green (a pressed button's label).
    int Green(int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                const std::uint32_t c = At(x, y);
                n += (c >> 8 & 0xFF) > 150 && (c >> 16) < 100 && (c & 0xFF) < 120;
            }
        return n;
    }
    int Count(int left, int top, int right, int bottom, std::uint32_t colour) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += At(x, y) == colour;
        return n;
    }
    int Differences(const Shot& o, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += At(x, y) != o.At(x, y);
        return n;
    }
};

TEST(GpsButtonsRun, ModesMenuAndIdentifierByMouse) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gpsbuttons");
    // The C172's bezel in the default window (32, 32, 256 x 256): ten buttons of 20 x 14 on
    // its bottom border, rows 268..281; their middles at x 58 WPT, 98 NRST, 124 MENU, 170 down,
    // 216 right.
    auto click = [](int x, const char* shot, const StarterRun& r) {
        std::string s = "mouse " + std::to_string(x) + " 275 left-click\nwait 700\n";
        if (shot != nullptr) s += "screenshot " + r.Dir().Path(shot) + "\n";
        return s;
    };
    const std::string script = "frame-interval 20\nwait 500\nmenu 1681\nwait 1200\nscreenshot " +
                               run.Dir().Path("open.bmp") + "\n" + click(58, "wpt.bmp", run) +
                               click(124, "menu.bmp", run) + click(170, nullptr, run) +
                               click(216, nullptr, run) + click(170, "ident.bmp", run) +
                               click(124, "moved.bmp", run) + click(98, "nrst.bmp", run) +
                               // The right edge, dragged 50 to the right.
                               "mouse 285 150 left-down\nmouse 310 150 move\nmouse 335 150 move\n"
                               "mouse 335 150 left-up\nwait 200\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    Shot open{run.Dir().Read("open.bmp")}, wpt{run.Dir().Read("wpt.bmp")},
        menu{run.Dir().Read("menu.bmp")}, ident{run.Dir().Read("ident.bmp")},
        moved{run.Dir().Read("moved.bmp")}, nrst{run.Dir().Read("nrst.bmp")};
    ASSERT_GT(nrst.bmp.size(), 640u * 480u);

    // The mode's button is down: its label green. NRST at first, WPT after its click.
    const auto button = [](const Shot& s, int middle) {
        return s.Green(middle - 10, 268, middle + 10, 282);
    };
    EXPECT_GT(button(open, 98), 10);
    EXPECT_EQ(button(open, 58), 0);
    EXPECT_GT(button(wpt, 58), 10);
    EXPECT_EQ(button(wpt, 98), 0);
    EXPECT_GT(button(nrst, 98), 10);
    // The bezel: the same dark edge all round the window.
    EXPECT_EQ(open.At(32, 100), open.At(287, 100));
    EXPECT_EQ(open.At(100, 32), open.At(100, 287));
    EXPECT_EQ(open.At(32, 100), open.At(100, 32));

    // The menu page replaces the map: the chosen line (0, "Waypoint Type") is a bar in the box
    // text's colour across the window, rows 63..71; two presses of the down arrow later the bar
    // lies on line 1 ("Waypoint ID").
    const std::uint32_t bar = menu.At(60, 67);
    EXPECT_NE(bar, menu.At(60, 120));
    EXPECT_GT(menu.Count(43, 63, 277, 72, bar), 9 * 200);
    EXPECT_LT(wpt.Count(43, 63, 277, 72, bar), 1000);
    EXPECT_LT(ident.Count(43, 63, 277, 72, bar), 1000);
    EXPECT_GT(ident.Count(43, 73, 277, 82, bar), 9 * 200);
    // The right arrow started the identifier entry on its first letter and the down arrow
    // stepped that letter: another airport far away, so the closed menu shows another map.
    EXPECT_LT(moved.Count(43, 63, 277, 82, bar), 1000);
    EXPECT_GT(moved.Differences(wpt, 43, 49, 277, 262), 500);

    core::IniFile settings(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(settings.GetInt("GPS", "DisplayX", -1), 32);
    EXPECT_EQ(settings.GetInt("GPS", "DisplayW", -1), 306);
}

}  // namespace
