// The menus under the mouse in the running program: the first item of a popup, just under the
// menu bar, takes the click, both with the bar that the pointer brings over a full-screen picture
// (headless, a screen the picture's size) and with the band laid over the window's picture on a
// larger screen (the SDL machine on Xvfb). The script is tests/sim/scripts/menu-first-items.simrun.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/starter_run.h"
#include "support/xvfb.h"

namespace {

using testsupport::StarterRun;

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
    run.Dir().Write("script.txt", Script());
    // The display's own libraries keep memory to the end; their leaks are not the program's.
    ExpectFirstItemsChosen(testsupport::RunCommand(
        "DISPLAY=" + server.Display() +
        " SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software ASAN_OPTIONS=detect_leaks=0 " +
        StarterRun::Simrun() + " --screen sdl --dir " + run.Dir().Root() + " " +
        run.Dir().Path("script.txt") + " 2>&1"));
}

}  // namespace
