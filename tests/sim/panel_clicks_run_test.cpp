// The panel's mouse in the running program: the C172 of the starter flight answers clicks on
// its radios, a held throttle and the battery switch in what a saved flight keeps; a right click
// on the trim wheel shows its help; the GPS window opens from the menu, is dragged, and keeps its
// place in the settings file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "core/ini_file.h"
#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

using Rgb = testsupport::ScreenRgb;
constexpr auto Pixel = testsupport::ScreenshotPixel;

// A NavAids value as a number ("118.15" or 11815 alike).
double Frequency(const std::string& flight, const std::string& key) {
    const std::string wanted = "\n" + key + "=";
    const std::size_t at = ("\n" + flight).find(wanted);
    if (at == std::string::npos) return -1;
    return std::strtod(flight.c_str() + at + wanted.size() - 1, nullptr);
}

TEST(PanelClicksRun, TheC172AnswersTheMouse) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-panelclicks");
    const std::string script =
        "frame-interval 20\n"
        "wait 500\n"
        "save " +
        run.Dir().Path("before.flt") +
        "\n"
        // NAV1's and COM1's MHz-up buttons.
        "mouse 610 240 left-click\n"
        "mouse 535 240 left-click\n"
        // The throttle's upper half, held.
        "mouse 318 440 left-down\n"
        "wait 3000\n"
        "mouse 318 440 left-up\n"
        // The battery switch.
        "mouse 85 450 left-click\n"
        // Help on the elevator trim wheel.
        "mouse 400 460 right-click\n"
        "wait 200\n"
        "save " +
        run.Dir().Path("after.flt") +
        "\n"
        // The GPS window, dragged by its inside.
        "menu 1681\n"
        "wait 1200\n"
        "screenshot " +
        run.Dir().Path("gps.bmp") +
        "\n"
        "mouse 100 100 left-down\n"
        "mouse 150 150 move\n"
        "mouse 200 200 move\n"
        "mouse 200 200 left-up\n"
        "wait 200\n"
        "quit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("(10026)"), std::string::npos) << r.out;

    const std::string before = run.Dir().Read("before.flt");
    const std::string after = run.Dir().Read("after.flt");
    EXPECT_EQ(SavedValue(before, "master").value_or(-1), 1);
    EXPECT_EQ(SavedValue(after, "master").value_or(-1), 0);
    EXPECT_EQ(SavedValue(after, "throttle").value_or(-1), 31);
    for (const char* key : {"nav1Standby", "com1Standby"})
        EXPECT_GT(Frequency(after, key), Frequency(before, key)) << key;

    // The GPS window at (32, 32), 256 wide: its bezel's dark edge, the aircraft in green in the
    // middle, and the map round it.
    const std::string shot = run.Dir().Read("gps.bmp");
    ASSERT_GT(shot.size(), 640u * 480u);
    for (const auto& [x, y] : {std::pair{32, 100}, std::pair{287, 100}, std::pair{100, 32}}) {
        const Rgb p = Pixel(shot, x, y);
        EXPECT_TRUE(std::abs(p.r - p.b) < 16 && p.r < 64) << x << "," << y;
    }
    int green = 0;
    for (int y = 158; y <= 162; ++y)
        for (int x = 158; x <= 162; ++x) {
            const Rgb p = Pixel(shot, x, y);
            green += p.g > 200 && p.r < 80 && p.b < 80;
        }
    EXPECT_GE(green, 5);
    // The airports round San Carlos with their names, runways and bearings, inside the bezel.
    int drawn = 0;
    for (int y = 49; y < 262; ++y)
        for (int x = 43; x < 277; ++x) {
            const Rgb p = Pixel(shot, x, y);
            drawn += p.r + p.g + p.b > 240;
        }
    EXPECT_GT(drawn, 300);

    core::IniFile settings(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(settings.GetInt("GPS", "DisplayX", -1), 132);
    EXPECT_EQ(settings.GetInt("GPS", "DisplayY", -1), 132);
}

}  // namespace
