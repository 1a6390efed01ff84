// The menus under the mouse in the running program: the first item of a popup, just under the
// menu bar, takes the click, both with the bar that the pointer brings over a full-screen picture
// (headless, a screen the picture's size) and with the band laid over the window's picture on a
// larger screen (the SDL machine on Xvfb). The script is tests/sim/scripts/menu-first-items.simrun.
// On that larger screen the status line shows below the band.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/starter_run.h"
#include "support/xvfb.h"

namespace {

using testsupport::StarterRun;

// The height of the menu band the window lays over its picture's top rows.
constexpr int kBand = 19;

// Runs the script with the picture on an SDL window of the display.
testsupport::CommandResult PlayOnScreen(const StarterRun& run, const xvfb::Server& server,
                                        const std::string& script) {
    run.Dir().Write("script.txt", script);
    // The display's own libraries keep memory to the end; their leaks are not the program's.
    return testsupport::RunCommand(
        "DISPLAY=" + server.Display() +
        " SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software ASAN_OPTIONS=detect_leaks=0 " +
        StarterRun::Simrun() + " --screen sdl --dir " + run.Dir().Root() + " " +
        run.Dir().Path("script.txt") + " 2>&1");
}

std::string Script() {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/sim/scripts/menu-first-items.simrun");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "Airports..." opened the airports wizard, and "Dawn" turned the day (period 1) into dawn (0).
void ExpectFirstItemsChosen(const testsupport::CommandResult& r) {
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("] dialog AIRPORTS_WIZBKGND \"Airports\""), std::string::npos) << r.out;
    const std::size_t day = r.out.find("] report period=1\n");
    ASSERT_NE(day, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("] report period=0\n", day), std::string::npos) << r.out;
}

TEST(MenuClicksRun, FirstItemsTakeTheClickUnderTheBarOverAFullScreenPicture) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-menuclicks");
    ExpectFirstItemsChosen(run.Play(Script()));
}

TEST(MenuClicksRun, FirstItemsTakeTheClickUnderTheBandOnALargerScreen) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    xvfb::Server server(260, 320, "1024x768x24");
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    StarterRun run("zephlon-menuclicks-sdl");
    ExpectFirstItemsChosen(PlayOnScreen(run, server, Script()));
}

// The status line, ticked on in an outside view, shows in the window on a larger screen: the
// picture changes just below the band, where its text stands, and not under the band.
TEST(MenuClicksRun, TheStatusLineShowsBelowTheBandOfTheWindow) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    xvfb::Server server(260, 320, "1024x768x24");
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    StarterRun run("zephlon-statusline-sdl");
    const testsupport::CommandResult r =
        PlayOnScreen(run, server,
                     "frame-interval 20\nwait 1000\nmenu 1665\nwait 500\nscreenshot " +
                         run.Dir().Path("off.bmp") + "\nmenu 712\nwait 500\nscreenshot " +
                         run.Dir().Path("on.bmp") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string off = run.Dir().Read("off.bmp");
    const std::string on = run.Dir().Read("on.bmp");
    ASSERT_FALSE(off.empty());
    ASSERT_FALSE(on.empty());
    // The band is the same in both; the text stands in the rows below it.
    int changedUnder = 0, changedBelow = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 420; ++x) {
            const testsupport::ScreenRgb a = testsupport::ScreenshotPixel(off, x, y);
            const testsupport::ScreenRgb b = testsupport::ScreenshotPixel(on, x, y);
            if (a.r == b.r && a.g == b.g && a.b == b.b) continue;
            (y < kBand ? changedUnder : changedBelow) += 1;
        }
    EXPECT_EQ(changedUnder, 0) << "the band stays as it is";
    EXPECT_GT(changedBelow, 300) << "the status line's text";
}

}  // namespace
