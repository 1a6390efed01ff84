// The pattern traffic's shadow over a runway, in the running program: San Carlos's tower with
// its traffic shown, the aircraft parked on runway 30, watched by a sky camera 500 m behind and
// 200 m above it. About 190 s in, one of the traffic lands past the aircraft and rolls down the
// runway (its shadow once vanished under the runway, drawn after the traffic's own cell). The same run with the aircraft shadows turned off in the Graphics dialog
// gives the same pictures but for the shadows: what differs besides the parked aircraft's own
// shadow (the pictures' difference at 100 s, the traffic far off) is the traffic's shadow, and it
// must lie on the runway's grey pavement, darker than the pavement.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;
using Rgb = testsupport::ScreenRgb;

constexpr int kRollShots = 8;  // half a second apart

std::string Script(const StarterRun& run, bool shadows) {
    std::string s = "frame-interval 200\nwait 500\n";
    if (!shadows) s += "menu 532\ndialog GRAPHICS\nset 1008 0\nclick 1\n";
    // The traffic shown; the tower and the runway from the airports wizard; the sky camera.
    s += "menu 298\nclick 1536\nclick 1\n"
         "menu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(KSQL)\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\n"
         "dialog RUNWAY_PAGE\nset 1059 \"30\"\nset 1958 \"On the runway\"\nclick 1567\n"
         "dialog AIRPORTS_WIZBKGND\nclick 1717\n"
         "menu 509\nset 1935 500\nset 1939 200\nclick 1\nmenu 1929\n"
         "wait 100000\nscreenshot " + run.Dir().Path("far.bmp") + "\nwait 90000\n";
    for (int i = 0; i < kRollShots; ++i)
        s += "wait 500\nscreenshot " + run.Dir().Path("roll" + std::to_string(i) + ".bmp") + "\n";
    return s + "quit\n";
}

bool Same(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The runway's pavement: a mid grey.
bool Pavement(Rgb p) {
    return std::abs(p.r - p.g) < 10 && std::abs(p.g - p.b) < 10 && p.r > 60 && p.r < 140;
}

TEST(TrafficShadowRun, TheTrafficsShadowShowsOnTheRunwayItRollsDown) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun on("zephlon-shadow-on"), off("zephlon-shadow-off");
    // The user's own settings, not the processor's presets (which keep the Graphics dialog shut).
    for (const StarterRun* run : {&on, &off}) run->Dir().Write("Zephlon.ini", "[Aircraft]\r\nAutoComplex=0\r\n");
    const testsupport::CommandResult a = on.Play(Script(on, true));
    ASSERT_EQ(a.status, 0) << a.out;
    const testsupport::CommandResult b = off.Play(Script(off, false));
    ASSERT_EQ(b.status, 0) << b.out;

    // The parked aircraft's shadow.
    std::set<std::pair<int, int>> own;
    const std::string farOn = on.Dir().Read("far.bmp"), farOff = off.Dir().Read("far.bmp");
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (!Same(testsupport::ScreenshotPixel(farOn, x, y), testsupport::ScreenshotPixel(farOff, x, y)))
                own.insert({x, y});
    ASSERT_GT(own.size(), 50u) << "the parked aircraft's shadow is not in view";

    // From a second after the touchdown, the traffic 100 to 400 m down the runway.
    int total = 0, onPavement = 0, shotsWithShadow = 0;
    for (int i = 0; i < kRollShots; ++i) {
        const std::string name = "roll" + std::to_string(i) + ".bmp";
        const std::string withShadow = on.Dir().Read(name), without = off.Dir().Read(name);
        int shadow = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const Rgb p = testsupport::ScreenshotPixel(withShadow, x, y);
                const Rgb q = testsupport::ScreenshotPixel(without, x, y);
                if (Same(p, q) || own.count({x, y}) != 0) continue;
                ++shadow;
                onPavement += Pavement(q) && p.r + p.g + p.b < q.r + q.g + q.b ? 1 : 0;
            }
        }
        total += shadow;
        shotsWithShadow += shadow > 0 ? 1 : 0;
    }
    EXPECT_GE(shotsWithShadow, kRollShots - 2);
    EXPECT_GT(total, 80);
    EXPECT_GE(onPavement * 10, total * 9) << onPavement << " of " << total;
}

}  // namespace
