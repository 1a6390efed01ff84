// What a user meets after a crash, and the GPS key, in the running program (scripts in
// tests/sim/scripts/): the crash says how to fly on, and a flight resumed over it flies with its
// panel and without the crash picture; F8 shows the GPS as Navigation > GPS does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

std::vector<std::uint32_t> Picture(const StarterRun& run, const char* name) {
    return testsupport::ReadScreenshot(run.Dir().Read(name), 640, 480);
}

// Pixels of the rectangle (their index in the picture) for which `test` holds.
template <class Test>
int CountWhere(int x0, int y0, int x1, int y1, Test&& test) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += test(static_cast<std::size_t>(y) * 640 + x) ? 1 : 0;
    return n;
}

// Pixels of the rectangle where two pictures differ.
int Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int x0,
              int y0, int x1, int y1) {
    return CountWhere(x0, y0, x1, y1, [&](std::size_t i) { return a[i] != b[i]; });
}

// Pixels of the rectangle whose colour passes `test`.
template <class Test>
int Count(const std::vector<std::uint32_t>& p, int x0, int y0, int x1, int y1, Test&& test) {
    return CountWhere(x0, y0, x1, y1, [&](std::size_t i) { return test(p[i]); });
}

// Plays a committed script of tests/sim/scripts/ in the run's folder.
testsupport::CommandResult PlayScript(const StarterRun& run, const char* name) {
    return run.Play(
        testsupport::CommittedScript(std::string("sim/scripts/") + name, run.Dir().Root()));
}

bool Red(std::uint32_t c) {
    return (c >> 16) > 180 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80;
}

TEST(GpsKeyRun, F8ShowsTheGpsAsTheMenuDoes) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gps-key");
    const testsupport::CommandResult r = PlayScript(run, "gps-key.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto before = Picture(run, "before.bmp"), key = Picture(run, "key.bmp"),
               hidden = Picture(run, "hidden.bmp"), menu = Picture(run, "menu.bmp");
    ASSERT_FALSE(before.empty() || key.empty() || hidden.empty() || menu.empty());
    // The GPS window: 256 pixels square at (32, 32).
    const int area = 256 * 256;
    EXPECT_GT(Differing(before, menu, 32, 32, 288, 288), area / 3) << "the menu shows no GPS";
    EXPECT_LT(Differing(key, menu, 32, 32, 288, 288), area / 50) << "F8 shows another picture";
    EXPECT_LT(Differing(hidden, before, 32, 32, 288, 288), area / 50) << "F8 again hides it";
}

TEST(CrashRun, ACrashSaysHowToGoOnAndAFlightLoadedOverItFlies) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-crash");
    // The settings ask for the crash's explanation: one crash, one box.
    run.Dir().Write("Zephlon.ini", "[Feq]\nshowWhyCrash=1\n");
    const testsupport::CommandResult r = PlayScript(run, "crash-resume.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    int boxes = 0;
    for (std::size_t at = r.out.find("dialog GENERIC \"Zephlon\":"); at != std::string::npos;
         at = r.out.find("dialog GENERIC \"Zephlon\":", at + 1))
        ++boxes;
    EXPECT_EQ(boxes, 1) << r.out;
    const auto crashed = Picture(run, "crashed.bmp"), resumed = Picture(run, "resumed.bmp");
    ASSERT_FALSE(crashed.empty() || resumed.empty());
    // The crash picture's red word in the middle of the panel; a line of text over the sky
    // (the hint, in the readouts' red) tells the way on.
    EXPECT_GT(Count(crashed, 250, 145, 390, 190, Red), 500) << "no crash picture";
    EXPECT_GT(Count(crashed, 0, 18, 400, 36, Red), 150) << "nothing tells how to go on";
    // Resumed: no crash picture and no hint; the panel's radios light again.
    EXPECT_LT(Count(resumed, 250, 145, 390, 190, Red), 20) << "the crash picture stays";
    EXPECT_LT(Count(resumed, 0, 18, 400, 36, Red), 20) << "the hint stays";
    const auto orange = [](std::uint32_t c) {
        return (c >> 16) > 200 && ((c >> 8) & 0xFF) > 60 && ((c >> 8) & 0xFF) < 180 &&
               (c & 0xFF) < 80;
    };
    EXPECT_GT(Count(resumed, 480, 190, 640, 320, orange), 100) << "the radios stay dark";
    // And it flies: three seconds on, it has moved on the cruise's way.
    const std::string a = run.Dir().Read("resumed.Flt"), b = run.Dir().Read("later.Flt");
    const auto metres = [&](const char* key) {
        return std::llabs(testsupport::SavedValue(a, key).value_or(0) -
                          testsupport::SavedValue(b, key).value_or(0)) /
               256.0;
    };
    EXPECT_GT(metres("fmPosX") + metres("fmPosZ"), 100.0) << r.out;
}

}  // namespace
