// The outside world in the running program: the first flight of the starter installation in
// the plain forward view by day and, after the night command, by night. The sun and the moon of
// the report stand where the test's own almanac puts them for the flight's date, time and
// place; the picture shows the sky above the horizon and the ground below it, dark at night.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "support/bmp_pixels.h"
#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"
#include "world/almanac_oracle.h"

namespace {

namespace fs = std::filesystem;
using namespace almanac_oracle;

// The fields of the first report line after `from` in the trace.
std::map<std::string, std::string> Report(const std::string& out, std::size_t* from) {
    std::map<std::string, std::string> fields;
    const std::size_t at = out.find(" report ", *from);
    if (at == std::string::npos) return fields;
    const std::size_t end = out.find('\n', at);
    std::stringstream line(out.substr(at + 8, end - at - 8));
    for (std::string word; line >> word;) {
        const std::size_t eq = word.find('=');
        if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
    }
    *from = end;
    return fields;
}

using testsupport::PixelAt;

double Brightness(std::uint32_t rgb) {
    return ((rgb >> 16) & 255) + ((rgb >> 8) & 255) + (rgb & 255);
}

TEST(SceneryProgram, TheFirstFlightsSkyByDayAndByNight) {
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(bin) || !fs::exists(install / "Flights"))
        GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-scenery");
    testsupport::LinkStarterFolders(dir, {"Flights", "PILOT"});
    dir.Write("script.txt",
              "wait 2000\n"
              "menu 1665\n"  // the plain forward view
              "wait 500\n"
              "report sun_az sun_el moon_az moon_el moon_phase light period clouds wind_kt objects\n"
              "screenshot " + dir.Path("day.bmp") + "\n"
              "menu 180\n"  // night
              "wait 500\n"
              "report sun_el light period\n"
              "screenshot " + dir.Path("night.bmp") + "\n"
              "menu 1933\n"  // the tower camera
              "wait 300\n"
              "report view objects\n"
              "quit\n");
    const testsupport::CommandResult r = testsupport::RunCommand(
        bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t from = 0;
    auto day = Report(r.out, &from);
    auto night = Report(r.out, &from);
    auto tower = Report(r.out, &from);
    ASSERT_EQ(day.count("sun_az"), 1u) << r.out;
    ASSERT_EQ(night.count("period"), 1u) << r.out;

    // The first flight: 2026-06-21 19:00 UTC, on KSQL runway 30 (37.5091 N, 122.2467 W); the
    // report came 2.5 simulated seconds later.
    const double jd = JulianDateOfUnix(1782068400.0 + 2.5);
    const double lat = 37.5093, eastLon = -122.2467;
    double az = 0, el = 0;
    HorizonOracle(SunOracle(jd), jd, lat, eastLon, &az, &el);
    EXPECT_NEAR(std::stod(day["sun_el"]), el, 0.5);
    EXPECT_LT(AngleDiff(std::stod(day["sun_az"]), az), 1.0);
    const Equatorial moon = MoonOracle(jd);
    HorizonOracle(moon, jd, lat, eastLon, &az, &el);
    EXPECT_NEAR(std::stod(day["moon_el"]), el, 1.5);
    EXPECT_LT(AngleDiff(std::stod(day["moon_az"]), az), 1.5 / std::cos(D2R(el)));
    const double elongation = Norm360(SunOracle(jd).longitude - moon.longitude);
    const int phase = static_cast<int>(std::lround(elongation / 45.0)) % 8;
    const int diff = std::abs(std::stoi(day["moon_phase"]) - phase);
    EXPECT_LE(std::min(diff, 8 - diff), 1);
    EXPECT_EQ(day["period"], "1");
    EXPECT_EQ(day["light"], "1.000");
    EXPECT_EQ(day["clouds"], "0");
    EXPECT_EQ(night["period"], "3");
    EXPECT_LT(std::stod(night["sun_el"]), -18.0);
    EXPECT_LE(std::stod(night["light"]), 0.1);

    // The pictures: sky over the top rows, ground of another colour over the bottom rows;
    // the night's sky darker than the day's.
    const std::string dayPicture = dir.Read("day.bmp");
    const std::string nightPicture = dir.Read("night.bmp");
    const std::uint32_t sky = PixelAt(dayPicture, 320, 5);
    const std::uint32_t ground = PixelAt(dayPicture, 320, 470);
    int skyPixels = 0;
    for (int x = 0; x < 640; x += 4)
        for (int y = 0; y < 40; ++y)
            skyPixels += PixelAt(dayPicture, x, y) == sky ? 1 : 0;
    EXPECT_EQ(skyPixels, 160 * 40);
    EXPECT_NE(sky, ground);
    EXPECT_NE(sky, ~0u);
    EXPECT_LT(Brightness(PixelAt(nightPicture, 320, 5)), 0.5 * Brightness(sky));

    // The runway ahead: pavement and markings down the middle, where the grass is at the
    // sides; at night its edge lights shine in their fixed colours.
    EXPECT_GT(std::stoi(day["objects"]), 0);
    int runway = 0;
    for (int y = 300; y < 370; ++y)
        for (int x = 280; x < 360; ++x)
            runway += PixelAt(dayPicture, x, y) != PixelAt(dayPicture, 2, y) ? 1 : 0;
    EXPECT_GT(runway, 80 * 70 * 8 / 10);
    int lights = 0;
    for (int y = 200; y < 380; ++y)
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t c = PixelAt(nightPicture, x, y);
            lights += (c == 0xFFFFFFu || c == 0x00FF00u || c == 0xFF0000u || c == 0xFFFF00u) ? 1 : 0;
        }
    EXPECT_GT(lights, 10);
    // The tower camera finds the airport's tower.
    EXPECT_EQ(tower["view"], "5");
}

TEST(SceneryProgram, ACloudDeckOverheadCoversTheSkyWithItsUnderside) {
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(bin) || !fs::exists(install / "Flights"))
        GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-clouds");
    testsupport::LinkStarterFolders(dir, {"Flights", "PILOT"});
    // The first flight with five eighths of cloud from 2,500 to 4,000 ft.
    std::string flight = dir.Read("Flights/Startup.Flt");
    flight += "[Weather]\r\ncla1CloudBase=2500\r\ncla1CloudHeight=1500\r\ncla1CloudCoverage=5\r\n";
    dir.Write("Flights/Startup.Flt", flight);
    dir.Write("script.txt", "wait 2000\nmenu 1665\nwait 500\nreport clouds\nscreenshot " +
                                dir.Path("clouds.bmp") + "\nquit\n");
    const testsupport::CommandResult r = testsupport::RunCommand(
        bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t from = 0;
    EXPECT_EQ(Report(r.out, &from)["clouds"], "2") << r.out;
    // Overhead the underside's greys hide most of the sky, which shows through the holes.
    const std::string picture = dir.Read("clouds.bmp");
    std::map<std::uint32_t, int> colours;
    for (int x = 0; x < 640; x += 2)
        for (int y = 0; y < 60; ++y)
            ++colours[PixelAt(picture, x, y)];
    int most = 0;
    for (const auto& [c, n] : colours)
        most = std::max(most, n);
    EXPECT_GE(colours.size(), 3u);
    EXPECT_LT(most, 320 * 60 * 8 / 10) << "one colour fills the sky";
}

// Pavement grey, as the runway's asphalt and the concrete of its markings' gaps are; grass and
// fields are green or brown.
bool Pavement(std::uint32_t c) {
    const int r = static_cast<int>((c >> 16) & 255), g = static_cast<int>((c >> 8) & 255),
              b = static_cast<int>(c & 255);
    return std::abs(r - g) <= 16 && std::abs(g - b) <= 16 && r > 40 && r < 200;
}
bool Grass(std::uint32_t c) {
    const int r = static_cast<int>((c >> 16) & 255), g = static_cast<int>((c >> 8) & 255),
              b = static_cast<int>(c & 255);
    return g > r + 20 && g > b + 20;
}

// The first flight on the terrain: from the cockpit the runway runs from under the aircraft to
// the textured fields ahead (the ground between them and the eye does not cover it); from the
// SkyCam the aircraft and its shadow stand on the pavement, drawn after it.
TEST(SceneryProgram, TheRunwayAndTheAircraftOnItStandOnTheTexturedGround) {
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(bin) || !fs::exists(install / "Flights"))
        GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-ground");
    testsupport::LinkStarterFolders(dir, {"Flights", "PILOT"});
    dir.Write("script.txt", "wait 1500\nmenu 1665\nwait 500\nreport tile objects ground_ft\n"
                            "screenshot " + dir.Path("ahead.bmp") + "\nmenu 1929\nwait 500\n"
                            "screenshot " + dir.Path("skycam.bmp") + "\nquit\n");
    const testsupport::CommandResult r = testsupport::RunCommand(
        bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t from = 0;
    auto fields = Report(r.out, &from);
    // San Carlos lies on a tile of its own terrain, 5 ft above the sea.
    EXPECT_EQ(fields["tile"].rfind("NA_", 0), 0u) << r.out;
    EXPECT_GT(std::stoi(fields["objects"]), 0);
    EXPECT_NEAR(std::stod(fields["ground_ft"]), 5.0, 3.0);

    const std::string ahead = dir.Read("ahead.bmp");
    auto count = [](const std::string& p, int x0, int x1, int y0, int y1, bool (*f)(std::uint32_t)) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += f(PixelAt(p, x, y)) ? 1 : 0;
        return n;
    };
    // Pavement straight ahead below the horizon, from the nearest rows on.
    EXPECT_GT(count(ahead, 250, 390, 300, 370, &Pavement), 140 * 70 * 8 / 10);
    // Fields beyond, out to the flat shore's horizon, textured: many greens.
    std::set<std::uint32_t> greens;
    for (int y = 280; y < 300; ++y)
        for (int x = 0; x < 640; ++x)
            if (Grass(PixelAt(ahead, x, y))) greens.insert(PixelAt(ahead, x, y));
    EXPECT_GT(count(ahead, 0, 640, 280, 300, &Grass), 640 * 20 / 4);
    EXPECT_GE(greens.size(), 6u);

    // From behind: the aircraft over the pavement in the middle of the picture, pavement round
    // it and below.
    const std::string sky = dir.Read("skycam.bmp");
    const int aircraft = count(sky, 280, 360, 220, 290, [](std::uint32_t c) { return !Pavement(c) && !Grass(c); });
    EXPECT_GT(aircraft, 400);
    EXPECT_GT(count(sky, 0, 640, 330, 470, &Pavement), 640 * 140 / 2);
}

}  // namespace
