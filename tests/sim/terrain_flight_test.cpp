// The country's terrain in the running program: each ready-to-fly flight starts on its wheels on
// the ground at its airport's published elevation (data/navdata-us/airport.csv), with the
// magnetic heading its runway's number says, and the picture shows textured ground below the
// horizon. Only what simrun prints and photographs is read.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/lat_lon.h"
#include "support/navdata_csv.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;

double PublishedElevation(const std::string& icao) {
    for (const std::vector<std::string>& f : testsupport::ReadNavdataCsv("airport.csv"))
        if (f.size() >= 7 && f[0] == icao) return std::stod(f[3]);
    return std::nan("");
}

double Field(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(" " + name + "=");
    return at == std::string::npos ? std::nan("") : std::stod(out.substr(at + name.size() + 2));
}

std::string TextField(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(" " + name + "=");
    if (at == std::string::npos) return {};
    const std::size_t start = at + name.size() + 2;
    return out.substr(start, out.find_first_of(" \n", start) - start);
}

class TerrainFlight : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built() ||
            !fs::exists(testsupport::StarterRun::Install() / "Art" / "Terrain" / "USA" /
                        "stub.ted")) {
            GTEST_SKIP() << "simrun or the starter installation is not built";
        }
    }
    // Starts the program on one of the installation's flights; the runner's output. The
    // settings start from their defaults unless the test keeps the settings file it wrote.
    std::string RunFrom(const std::string& flight, const std::string& script,
                        bool freshSettings = true) {
        std::error_code ignored;
        if (freshSettings) fs::remove(run.Dir().Path("Zephlon.ini"), ignored);
        fs::copy_file(testsupport::StarterRun::Install() / "Flights" / flight,
                      run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
        const testsupport::CommandResult r = run.Play(script);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        return r.out;
    }
    const testsupport::TempFolder& dir() const { return run.Dir(); }

    testsupport::StarterRun run{"zephlon-terrain"};
};

TEST_F(TerrainFlight, EveryReadyFlightStandsOnItsFieldFacingItsRunway) {
    const struct {
        const char* file;
        const char* airport;
        int runway;  // the number of the runway end it takes off from
    } flights[] = {
        {"C172Fly.Flt", "KOAK", 27}, {"BonFly.Flt", "KBFI", 13}, {"BarFly.Flt", "KTEB", 19},
        {"KingFly.Flt", "KAPA", 35}, {"JetFly.Flt", "KOAK", 29},
    };
    for (const auto& f : flights) {
        const std::string out =
            RunFrom(f.file, "wait 1000\nreport alt_ft ground_ft tile magvar mag_heading cells\nquit\n");
        const double published = PublishedElevation(f.airport);
        ASSERT_TRUE(std::isfinite(published)) << f.airport;
        const double ground = Field(out, "ground_ft"), altitude = Field(out, "alt_ft");
        EXPECT_NEAR(ground, published, 5.0) << f.file << "\n" << out;
        // On its wheels: the aircraft stands a few feet above the ground.
        EXPECT_GT(altitude - ground, 0.0) << f.file << "\n" << out;
        EXPECT_LT(altitude - ground, 12.0) << f.file << "\n" << out;
        EXPECT_EQ(TextField(out, "tile").rfind("NA_", 0), 0u) << f.file << "\n" << out;
        // The flat plain round Teterboro takes the fewest cells (44).
        EXPECT_GT(Field(out, "cells"), 30.0) << f.file << "\n" << out;
        const double heading = Field(out, "mag_heading");
        const double error = std::fmod(heading - f.runway * 10.0 + 540.0, 360.0) - 180.0;
        EXPECT_LE(std::fabs(error), 8.0) << f.file << " magnetic heading " << heading << "\n" << out;
        // The variation is the west coast's east variation or the east coast's west one.
        EXPECT_NE(Field(out, "magvar"), 0.0) << f.file;
    }
}

std::vector<std::uint32_t> ReadScreenshot(const std::string& bmp) {
    return testsupport::ReadScreenshot(bmp, 640, 480);
}

// The unpainted pixels and the distinct colours of the screenshot's rows [first, end).
struct Rows {
    int unpainted = 0;
    std::size_t shades = 0;
};
Rows ScanRows(const std::vector<std::uint32_t>& picture, std::uint32_t first, std::uint32_t end) {
    std::set<std::uint32_t> shades;
    Rows r;
    for (std::uint32_t y = first; y < end; ++y)
        for (std::uint32_t x = 0; x < 640; ++x) {
            const std::uint32_t c = picture[y * 640 + x];
            r.unpainted += c == 0 ? 1 : 0;
            shades.insert(c);
        }
    r.shades = shades.size();
    return r;
}

int Brightness(std::uint32_t c) {
    return static_cast<int>((c >> 16) & 255) + static_cast<int>((c >> 8) & 255) +
           static_cast<int>(c & 255);
}

TEST_F(TerrainFlight, ThePictureShowsTexturedGroundBelowTheHorizon) {
    const std::string out = RunFrom("Startup.Flt", "wait 1500\nmenu 1666\nwait 500\nscreenshot " +
                                                       dir().Path("ground.bmp") + "\nquit\n");
    const std::vector<std::uint32_t> picture = ReadScreenshot(dir().Read("ground.bmp"));
    ASSERT_EQ(picture.size(), 640u * 480u) << out;
    // The lower half of the screen (below the horizon in the plain forward view, above the
    // readouts) is all ground, and ground of many shades: a texture, lit and hazed, not one flat
    // colour.
    const Rows ground = ScanRows(picture, 480 / 2, 480 - 24);
    EXPECT_EQ(ground.unpainted, 0);
    EXPECT_GE(ground.shades, 6u);
}

// The committed script over the Rockies: the lessons' cruise moved to 15,000 ft over Leadville,
// flown in the plain world view. The ground under the aircraft comes from a block the
// installation stores LZH coded, decoded as it pages in: it stands at the airport's published
// elevation, and the picture has sky above and many shades of ground below.
TEST_F(TerrainFlight, FifteenThousandFeetOverTheRockiesFromCodedBlocks) {
    const double published = PublishedElevation("KLXV");
    ASSERT_TRUE(std::isfinite(published));
    fs::copy_file(testsupport::StarterRun::Install() / "Flights" / "Cruise.Flt",
                  run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
    {
        core::IniFile flight(run.Dir().Path("Flights/Startup.Flt").c_str());
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, 39.219466, 106.316444);
        flight.PutInt("Aircraft", "fmPosX", x);
        flight.PutInt("Aircraft", "fmPosZ", z);
        // The saved height counts from the ground: 15,000 ft above the sea.
        flight.PutInt("Aircraft", "fmPosY",
                      static_cast<std::int32_t>((15000.0 - published) * 0.3048 * 256));
    }
    run.Dir().Write("Zephlon.ini", "[Views]\ncur=3\n");
    const testsupport::CommandResult r = run.Play(
        testsupport::CommittedScript("sim/scripts/rockies.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    EXPECT_NEAR(Field(r.out, "alt_ft"), 15000.0, 100.0) << r.out;
    EXPECT_NEAR(Field(r.out, "ground_ft"), published, 5.0) << r.out;
    EXPECT_EQ(TextField(r.out, "tile").rfind("NA_", 0), 0u) << r.out;
    EXPECT_EQ(Field(r.out, "view"), 3.0) << r.out;
    EXPECT_GT(Field(r.out, "cells"), 100.0) << r.out;
    const std::vector<std::uint32_t> picture = ReadScreenshot(run.Dir().Read("rockies.bmp"));
    ASSERT_EQ(picture.size(), 640u * 480u) << r.out;
    // Sky at the top: blue over red. Ground below the middle: no unpainted pixel and many
    // shades (textures, light and haze).
    int bluish = 0;
    for (std::uint32_t x = 0; x < 640; ++x) {
        const std::uint32_t c = picture[10 * 640 + x];
        bluish += (c & 255) > ((c >> 16) & 255) ? 1 : 0;
    }
    EXPECT_GT(bluish, 600);
    const Rows ground = ScanRows(picture, 480 * 2 / 3, 480);
    EXPECT_EQ(ground.unpainted, 0);
    EXPECT_GE(ground.shades, 8u);
}

// The n-th value of a field in the runner's output (0 the first), or NaN.
double NthField(const std::string& out, const std::string& name, int n) {
    std::size_t at = 0;
    for (int i = 0; i <= n; ++i) {
        at = out.find(" " + name + "=", i == 0 ? 0 : at + 1);
        if (at == std::string::npos) return std::nan("");
    }
    return std::stod(out.substr(at + name.size() + 2));
}

// The committed script across a tile edge: north from row 4 into row 5 of column 11 (the
// installation's largest tile file), in cruise 3,000 ft above the ground. The window follows
// the aircraft into the new tile without a jump in its height above the ground, and the picture
// after the crossing has ground everywhere below the horizon.
TEST_F(TerrainFlight, CruiseCrossesIntoTheNextTileWithoutAJump) {
    fs::copy_file(testsupport::StarterRun::Install() / "Flights" / "Cruise.Flt",
                  run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
    {
        // Tile column 11 starts 2 tiles east of the flight model's origin, row 5 at it.
        constexpr double kTileFlightUnits = 1048576.0 * 100.584;
        core::IniFile flight(run.Dir().Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Aircraft", "fmPosX", static_cast<std::int32_t>(2.5 * kTileFlightUnits));
        flight.PutInt("Aircraft", "fmPosZ", -60000);  // 234 m south of the edge
    }
    run.Dir().Write("Zephlon.ini", "[Views]\ncur=3\n");
    const testsupport::CommandResult r = run.Play(
        testsupport::CommittedScript("sim/scripts/tile-edge.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const std::size_t second = r.out.find(" tile=", r.out.find(" tile=") + 1);
    ASSERT_NE(second, std::string::npos) << r.out;
    EXPECT_EQ(TextField(r.out, "tile"), "NA_04X11.TED") << r.out;
    EXPECT_EQ(TextField(r.out.substr(second - 1), "tile"), "NA_05X11.TED") << r.out;
    for (int n : {0, 1}) {
        const double above = NthField(r.out, "alt_ft", n) - NthField(r.out, "ground_ft", n);
        EXPECT_NEAR(above, 3000.0, 100.0) << n << "\n" << r.out;
        EXPECT_GT(NthField(r.out, "cells", n), 100.0) << n << "\n" << r.out;
    }
    const std::vector<std::uint32_t> picture = ReadScreenshot(run.Dir().Read("tile-edge.bmp"));
    ASSERT_EQ(picture.size(), 640u * 480u) << r.out;
    const Rows ground = ScanRows(picture, 480 * 2 / 3, 480);
    // The airfield below may show a building's black doorway (a few pixels); a hole in the
    // ground would leave whole runs of the window unpainted.
    EXPECT_LT(ground.unpainted, 16);
    EXPECT_GE(ground.shades, 8u);
}

TEST_F(TerrainFlight, TheAircraftCastsItsShadowWhileShadowsAreOn) {
    // The first SkyCam, behind the aircraft standing on its field; once with the settings as
    // they come, once with the shadows switched off.
    const std::string script =
        "wait 1500\nmenu 1929\nwait 500\nscreenshot " + dir().Path("shot.bmp") + "\nquit\n";
    const std::string withShadow = RunFrom("Startup.Flt", script);
    const std::vector<std::uint32_t> on = ReadScreenshot(dir().Read("shot.bmp"));
    dir().Write("Zephlon.ini", "[Main Scenery Graphics]\nAircraftShadows=0\n");
    const std::string without = RunFrom("Startup.Flt", script, false);
    const std::vector<std::uint32_t> off = ReadScreenshot(dir().Read("shot.bmp"));
    ASSERT_EQ(on.size(), 640u * 480u) << withShadow;
    ASSERT_EQ(off.size(), 640u * 480u) << without;
    // The pictures differ only where the shadow lies, below the aircraft in the middle of the
    // view, and there the ground is darker.
    int differing = 0, darker = 0, away = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t a = on[static_cast<std::size_t>(y * 640 + x)];
            const std::uint32_t b = off[static_cast<std::size_t>(y * 640 + x)];
            if (a == b) continue;
            ++differing;
            darker += Brightness(a) < Brightness(b) ? 1 : 0;
            away += (x < 120 || x > 520 || y < 160 || y > 400) ? 1 : 0;
        }
    EXPECT_GT(differing, 200);
    EXPECT_GE(darker, differing * 95 / 100);
    EXPECT_EQ(away, 0);
}

}  // namespace

namespace {

TEST_F(TerrainFlight, TheRangeAndTextureSettingsChangeWhatIsDrawn) {
    // The same view with the settings as they come, a shorter range, and the textures off.
    const std::string script = "wait 1500\nmenu 1666\nwait 500\nreport cells\nscreenshot " +
                               dir().Path("shot.bmp") + "\nquit\n";
    const double cellsAsTheyCome = Field(RunFrom("Startup.Flt", script), "cells");
    const std::set<std::uint32_t> texturedShades = [&] {
        std::set<std::uint32_t> s;
        for (std::uint32_t c : ReadScreenshot(dir().Read("shot.bmp"))) s.insert(c);
        return s;
    }();
    dir().Write("Zephlon.ini", "[Main Scenery Graphics]\nTerrainRange=10\n");
    const double cellsNear = Field(RunFrom("Startup.Flt", script, false), "cells");
    dir().Write("Zephlon.ini", "[Main Scenery Graphics]\nTerrainTexture=0\n");
    const double cellsPlain = Field(RunFrom("Startup.Flt", script, false), "cells");
    std::set<std::uint32_t> plainShades;
    for (std::uint32_t c : ReadScreenshot(dir().Read("shot.bmp"))) plainShades.insert(c);
    EXPECT_GT(cellsAsTheyCome, 50.0);
    EXPECT_LT(cellsNear, cellsAsTheyCome * 0.75);
    // Without textures the same cells are drawn in their materials' plain colours.
    EXPECT_EQ(cellsPlain, cellsAsTheyCome);
    EXPECT_LT(plainShades.size() * 2, texturedShades.size());
}


// The airports wizard's start on final approach, flown hands off for 30 s, at airports where
// the real ground under the final lies low (the bay's shore at San Carlos, San Jose and
// Hayward, the coast plain at Los Angeles) and in a mountain valley (Aspen): the aircraft stays
// more than 300 ft above the ground all the way.
TEST_F(TerrainFlight, OnFinalApproachTheGroundStaysWellBelowForHalfAMinuteHandsOff) {
    const struct {
        const char* airport;
        const char* runway;
    } finals[] = {{"KSQL", "30"}, {"KSJC", "30L"}, {"KASE", "15"}, {"KLAX", "24R"}, {"KHWD", "28L"}};
    for (const auto& f : finals) {
        SCOPED_TRACE(std::string(f.airport) + " " + f.runway);
        std::string script = "frame-interval 20\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\n"
                             "set 1045 \"(" + std::string(f.airport) + ")\"\n"
                             "dialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\n"
                             "set 1059 \"" + f.runway + "\"\nset 1958 \"On final approach\"\n"
                             "dialog AIRPORTS_WIZBKGND\nclick 1717\nwait 100\nframe-interval 1000\n";
        for (int i = 0; i <= 6; ++i)
            script += std::string(i == 0 ? "" : "wait 5000\n") + "report alt_ft ground_ft\n";
        script += "quit\n";
        const std::string out = RunFrom("Startup.Flt", script);
        double lowest = 1e9;
        int reports = 0;
        for (; reports < 7; ++reports) {
            const double above = NthField(out, "alt_ft", reports) - NthField(out, "ground_ft", reports);
            if (!std::isfinite(above)) break;
            lowest = std::min(lowest, above);
        }
        EXPECT_EQ(reports, 7) << out;
        EXPECT_GT(lowest, 300.0) << out;
        // In the air on final: a few hundred feet above the field, not on the ground (Aspen's
        // final crosses the Roaring Fork valley, which lies 500 ft and more below the field).
        EXPECT_LT(lowest, 1500.0) << out;
    }
}

}  // namespace
