// The "Cloud distance" slider in the running program: the cruise flight 3,000 ft above the bay
// under a deck of five eighths from 6,000 ft, looking ahead in the plain view with the plain
// sky (so that the deck's underside stands on one colour), at the fresh installation's 60 and
// then, through the Graphics dialog, at 0 and at 100. The deck's far edge straight ahead lies as
// high over the horizon as the camera sees the deck's base at the distance the slider sets:
// four miles at 0, the whole deck at 100, in equal ratios between; what the user chose is kept.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

constexpr int kWidth = 640, kHeight = 480;
constexpr double kFocal = 1024.0;  // pixels: 640 across a window of +-40 at 128
constexpr double kUnitsPerFoot = 0.77575755;
constexpr double kDeckBaseFeet = 6000.0;

// The sheet's reach in world units at a slider setting: 10,000 at 0, 400,000 at 100.
double Reach(int setting) {
    return 10000.0 * std::pow(40.0, setting / 100.0);
}

struct Shot {
    int setting;
    std::string file;
};
const Shot kShots[] = {{60, "fresh.bmp"}, {0, "nearest.bmp"}, {100, "farthest.bmp"}};

std::string Script(const std::string& dir) {
    std::string s = "frame-interval 20\nwait 600\nmenu 1666\nwait 100\n";
    for (const Shot& shot : kShots) {
        if (shot.setting != 60)
            s += "menu 532\ndialog GRAPHICS\nset 1943 " + std::to_string(shot.setting) +
                 "\nclick 1\nwait 60\n";
        s += "report cam_pitch alt_ft\nscreenshot " + dir + "/" + shot.file + "\n";
    }
    return s + "quit\n";
}

double Field(const std::string& out, const std::string& name, std::size_t* from) {
    const std::size_t at = out.find(name + "=", *from);
    if (at == std::string::npos) return NAN;
    *from = at + 1;
    return std::stod(out.substr(at + name.size() + 1));
}

// The lowest row above the horizon, in the columns ahead, where anything but the sky's fill
// shows: the deck's edge (its holes show the sky, so the lowest of many columns).
int DeckEdgeRow(const testsupport::IndexedImage& image, double horizon) {
    for (int y = static_cast<int>(std::floor(horizon)) - 1; y >= 0; --y)
        for (int x = kWidth / 2 - 120; x < kWidth / 2 + 120; ++x) {
            const std::uint8_t i = image.pixels[static_cast<std::size_t>(y) * kWidth + x];
            if (i != 244 && i != 245) return y;
        }
    return -1;
}

TEST(CloudDistanceRun, TheDeckReachesAsFarAsTheSliderSetsAndNoFarther) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-clouddistance", "Cruise.Flt");
    run.Dir().Write("Zephlon.ini",
                    "[Aircraft]\r\nAutoComplex=0\r\n[Main Scenery Graphics]\r\nSkyTexture=0\r\n");
    std::string flight = run.Dir().Read("Flights/Startup.Flt");
    ASSERT_FALSE(flight.empty());
    flight += "[Weather]\r\ncla1CloudBase=6000\r\ncla1CloudHeight=1500\r\ncla1CloudCoverage=5\r\n";
    run.Dir().Write("Flights/Startup.Flt", flight);
    const testsupport::CommandResult r = run.Play(Script(run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t from = 0;
    std::vector<int> rows;
    for (const Shot& shot : kShots) {
        SCOPED_TRACE(shot.file);
        const double pitch = Field(r.out, "cam_pitch", &from) * navtest::kPi / 180.0;
        const double altitudeFeet = Field(r.out, "alt_ft", &from);
        ASSERT_FALSE(std::isnan(pitch) || std::isnan(altitudeFeet)) << r.out;
        const auto image =
            testsupport::ReadIndexedScreenshot(run.Dir().Read(shot.file), kWidth, kHeight);
        ASSERT_TRUE(image.has_value());
        // The deck's base straight ahead at the sheet's reach, seen from the eye.
        const double above = (kDeckBaseFeet - altitudeFeet) * kUnitsPerFoot;
        const double elevation = std::atan2(above, Reach(shot.setting));
        const double expected = 239.5 - kFocal * std::tan(elevation - pitch);
        const double horizon = 239.5 + kFocal * std::tan(pitch);
        const int edge = DeckEdgeRow(*image, horizon);
        // The texture's holes may leave the last row or two of the edge to the sky.
        EXPECT_GE(edge, expected - 4.0) << "expected near row " << expected;
        EXPECT_LE(edge, expected + 1.0) << "expected near row " << expected;
        rows.push_back(edge);
    }
    // Nearer at 0 than at 60, and farther (nearer the horizon) at 100.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_LT(rows[1] + 100, rows[0]);
    EXPECT_LT(rows[0], rows[2]);
    core::IniFile ini(run.Dir().Path("Zephlon.ini").c_str());
    EXPECT_EQ(ini.GetInt("Main Scenery Graphics", "CloudDistance", -1), 100);
}

}  // namespace
