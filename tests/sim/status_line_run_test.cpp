// The status line in every view that shows the world: cruising, each of the four cockpit views
// chosen from the View menu is shot with the line off and on; the line's text stands in the
// picture's top rows, over the sky, in each of them, the panel views too.
#include <gtest/gtest.h>

#include <string>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

TEST(StatusLineRun, TheStatusLineShowsInEveryViewOfTheWorld) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-statusline", "Cruise.Flt");
    struct View {
        int command;
        const char* name;
    };
    const View views[] = {
        {1663, "Panel"}, {1664, "Low Panel"}, {1665, "Forward"}, {1666, "Forward, No Frame"}};
    std::string script = "frame-interval 20\nwait 600\n";
    for (const View& v : views) {
        const std::string n = std::to_string(v.command);
        script += "menu " + n + "\nwait 200\nscreenshot " + run.Dir().Path("off" + n + ".bmp") +
                  "\nmenu 712\nwait 200\nscreenshot " + run.Dir().Path("on" + n + ".bmp") +
                  "\nmenu 712\nwait 100\n";
    }
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const View& v : views) {
        const std::string n = std::to_string(v.command);
        const std::string off = run.Dir().Read("off" + n + ".bmp");
        const std::string on = run.Dir().Read("on" + n + ".bmp");
        ASSERT_FALSE(off.empty() || on.empty()) << v.name;
        // The line's text: "Hdg: ... VSI: ... fpm" in the first 18 rows, over the left 420
        // columns; the sky above the aircraft stays as it was.
        int changed = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 420; ++x) {
                const testsupport::ScreenRgb a = testsupport::ScreenshotPixel(off, x, y);
                const testsupport::ScreenRgb b = testsupport::ScreenshotPixel(on, x, y);
                changed += a.r != b.r || a.g != b.g || a.b != b.b ? 1 : 0;
            }
        EXPECT_GT(changed, 300) << "the status line's text in the " << v.name << " view";
    }
}

}  // namespace
