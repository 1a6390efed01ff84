// The GPS window in the running program, driven by the committed script beside this test over
// the starter flight at San Carlos: the user's own colours for runways and texts are kept and
// used, the field's runway shows in its colour once zoomed in, the box below the map is written,
// and the airports round the field are on the map.
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

TEST(GpsRun, TheMapOfSanCarlosInTheUsersColours) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-gps");
    run.Dir().Write("Zephlon.ini",
                    "[GPSColors]\r\nColorSet=3\r\nRwyLine=255,0,255\r\nBrgText=255,255,0\r\n"
                    "AptIcon=0,255,255\r\n");
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/cockpit/scripts/gps.simrun");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    std::string script = text.str();
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, run.Dir().Root());
    const testsupport::CommandResult r = run.Play(script);
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

    core::IniFile settings(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(std::string(settings.GetString("GPSColors", "RwyLine", "")), "255,0,255");
}

}  // namespace
