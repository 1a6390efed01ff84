// The GPS window in the running program, driven by the committed script beside this test over
// the starter flight at San Carlos: the user's own colours for runways and texts are kept and
// used, the field's runway shows in its colour once zoomed in, the box below the map is written,
// the airports round the field are on the map, the waypoint page shows the field's details, and
// the victor airways and obstacles its menu turns on are drawn; with a plan loaded, the
// navigation menu shows each leg's waypoint with its details; a resize keeps the buttons' room
// and another aircraft brings its own bezel.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/ini_file.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

using Rgb = testsupport::ScreenRgb;
constexpr auto Pixel = testsupport::ScreenshotPixel;

template <class Test>
int CountIn(const std::string& bmp, int x0, int y0, int x1, int y1, Test&& test) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += test(Pixel(bmp, x, y)) ? 1 : 0;
    return n;
}

// Plays a committed script of scripts/ with "@dir" standing for the run's folder, after the
// settings file was written with the user's GPS colours.
testsupport::CommandResult PlayScript(const StarterRun& run, const char* name, const char* colours) {
    run.Dir().Write("Zephlon.ini", std::string("[GPSColors]\r\nColorSet=3\r\n") + colours);
    return run.Play(testsupport::CommittedScript(std::string("cockpit/scripts/") + name, run.Dir().Root()));
}

TEST(GpsRun, TheMapOfSanCarlosInTheUsersColours) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gps");
    const testsupport::CommandResult r =
        PlayScript(run, "gps.simrun",
                   "RwyLine=255,0,255\r\nBrgText=255,255,0\r\nAptIcon=0,255,255\r\n"
                   "InfText=255,128,0\r\nObsIcon=255,255,255\r\nVicLine=0,0,255\r\n"
                   "VicText=0,0,255\r\n");
    ASSERT_EQ(r.status, 0) << r.out;

    // The window lies at (32, 32), 256 x 256; its box is the last rows above the bezel's
    // bottom border (26 rows, the buttons).
    const auto magenta = [](Rgb p) { return p.r > 200 && p.g < 80 && p.b > 200; };
    const auto yellow = [](Rgb p) { return p.r > 200 && p.g > 200 && p.b < 80; };
    const auto cyan = [](Rgb p) { return p.r < 80 && p.g > 200 && p.b > 200; };
    const std::string wide = run.Dir().Read("gps25.bmp");
    const std::string close = run.Dir().Read("gps4.bmp");
    ASSERT_GT(wide.size(), 640u * 480u);
    ASSERT_GT(close.size(), 640u * 480u);
    // The field's runway in the middle, longer once zoomed in.
    const int runway = CountIn(close, 140, 140, 180, 180, magenta);
    EXPECT_GE(runway, 5);
    EXPECT_LT(CountIn(wide, 140, 140, 180, 180, magenta), runway);
    EXPECT_GT(CountIn(close, 33, 248, 287, 262, yellow), 40);
    // The airports round the field (San Francisco, Hayward, Palo Alto, Oakland ...) at 25 NM.
    EXPECT_GT(CountIn(wide, 33, 33, 287, 270, cyan), 5 * 12);
    EXPECT_EQ(CountIn(close, 300, 33, 639, 287, magenta), 0);

    // WPT: San Carlos's waypoint page, its runway long across the map and its details in the box
    // in the user's text colour.
    const std::string waypoint = run.Dir().Read("wpt.bmp");
    ASSERT_GT(waypoint.size(), 640u * 480u);
    const auto orange = [](Rgb p) { return p.r > 200 && p.g > 90 && p.g < 170 && p.b < 60; };
    EXPECT_GT(CountIn(waypoint, 43, 49, 277, 200, magenta), 2 * CountIn(close, 43, 49, 277, 200, magenta));
    EXPECT_GT(CountIn(waypoint, 43, 205, 277, 262, orange), 300);

    // The menu's layers: the masts round the field in white and an airway with its label in blue.
    const std::string layers = run.Dir().Read("layers.bmp");
    ASSERT_GT(layers.size(), 640u * 480u);
    const auto white = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
    const auto blue = [](Rgb p) { return p.r < 80 && p.g < 80 && p.b > 200; };
    EXPECT_EQ(CountIn(waypoint, 43, 49, 277, 200, white), 0);
    EXPECT_GE(CountIn(layers, 43, 49, 277, 200, white), 2 * 8);
    EXPECT_GT(CountIn(layers, 43, 49, 277, 262, blue), 20);

    core::IniFile settings(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(std::string(settings.GetString("GPSColors", "RwyLine", "")), "255,0,255");
}

TEST(GpsRun, TheNavigationPageFollowsTheLoadedPlan) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gpsplan");
    const testsupport::CommandResult r =
        PlayScript(run, "gps-plan.simrun", "CdiLine=255,0,255\r\nBrgText=255,255,0\r\nInfText=255,128,0\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string shot = run.Dir().Read("nav.bmp");
    ASSERT_GT(shot.size(), 640u * 480u);
    const auto magenta = [](Rgb p) { return p.r > 200 && p.g < 80 && p.b > 200; };
    const auto yellow = [](Rgb p) { return p.r > 200 && p.g > 200 && p.b < 80; };
    // The course line from San Carlos (the middle of the map) towards San Jose, east-south-east
    // on the north-up page: in the right half of the map, none in the left.
    EXPECT_GT(CountIn(shot, 165, 49, 277, 200, magenta), 60);
    EXPECT_EQ(CountIn(shot, 43, 49, 150, 200, magenta), 0);
    // The box: five lines of text, then the deviation scale's ticks.
    EXPECT_GT(CountIn(shot, 43, 205, 277, 250, yellow), 300);
    EXPECT_GT(CountIn(shot, 43, 250, 277, 265, magenta), 20);

    // MENU twice: the plan's first leg, "Departure KSQL", with San Carlos's details in the
    // user's text colour, its frequencies in a column at the right; right: the leg being flown,
    // to the San Jose VOR, whose details have no such column.
    const std::string leg1 = run.Dir().Read("leg1.bmp"), leg2 = run.Dir().Read("leg2.bmp");
    ASSERT_GT(leg1.size(), 640u * 480u);
    ASSERT_GT(leg2.size(), 640u * 480u);
    const auto orange = [](Rgb p) { return p.r > 200 && p.g > 90 && p.g < 170 && p.b < 80; };
    // Six lines of details (ID, type, latitude, longitude, elevation, bearing and distance),
    // seven with the VOR's frequency.
    EXPECT_GT(CountIn(leg1, 43, 93, 200, 158, orange), 600);
    EXPECT_GT(CountIn(leg2, 43, 93, 200, 158, orange), 700);
    EXPECT_GT(CountIn(leg1, 235, 93, 280, 140, orange), 200);
    EXPECT_EQ(CountIn(leg2, 235, 93, 280, 140, orange), 0);
}

TEST(GpsRun, TheButtonsKeepTheirRoomAndAnotherAircraftBringsItsBezel) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gps-bezels");
    const testsupport::CommandResult r = PlayScript(run, "gps-bezels.simrun", "");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string narrow = run.Dir().Read("narrow.bmp"), baron = run.Dir().Read("baron.bmp");
    ASSERT_GT(narrow.size(), 640u * 480u);
    ASSERT_GT(baron.size(), 640u * 480u);
    // The C172's bar: ten 20-pixel buttons, four 6-pixel gaps and 4 pixels at each end, between
    // borders of 10.
    core::IniFile settings(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(settings.GetInt("GPS", "DisplayW", -1), 10 * 20 + 24 + 8 + 10 + 10);
    // The left border's middle: the C172's light grey, then the Baron's dark face.
    const Rgb c172 = Pixel(narrow, 36, 220), other = Pixel(baron, 36, 220);
    EXPECT_TRUE(c172.r > 150 && c172.g > 150 && c172.b > 150) << c172.r;
    EXPECT_TRUE(other.r < 60 && other.g < 60 && other.b < 60) << other.r;
}

}  // namespace
