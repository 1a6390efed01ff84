// What a user sees of a whole flight, pixel for pixel: simrun flies a few of the starter
// installation's flights for a few seconds and shoots the screen once, and each picture must
// equal its golden one (tests/golden/pictures_*.bmp, index for index and colour for colour).
// The goldens were shot before the drawing was rewritten for speed (the copy loops, the font's
// rows, the needles and gauges, the terrain's triangles and heights, the rasterizer's set-up),
// so a rewrite that moves a single pixel of a panel, the ground or the sky shows up here.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/golden_image.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

struct Flight {
    const char* name;    // the golden picture is pictures_<name>.bmp
    const char* flight;  // the installation's flight it starts with
    const char* script;  // ends with the screenshot; "@dir" is the run's folder
};

// A test's name and its cost are filed under the flight's name.
void PrintTo(const Flight& f, std::ostream* os) {
    *os << f.name;
}

// The ready flights on their runways are restarted first (menu 687), as the take-off runs do: as
// the first flight they stay put at full power.
constexpr const char* kTakeOffRoll =
    "wait 500\nmenu 687\nwait 500\nkey Back press\nkey B press\nwait 7000\n"
    "screenshot @dir/shot.bmp\nquit\n";

const Flight kFlights[] = {
    // Rolling at full power, brakes off: the gauges off their rests, the runway's markings,
    // the hangars, the hills. The CitationJet's panel adds its bar gauges and digital readouts.
    {"kingair", "KingFly.Flt", kTakeOffRoll},
    {"citationjet", "JetFly.Flt", kTakeOffRoll},
    // Cruise over San Carlos, banked right and nose down towards the bay: the hills' triangles,
    // the water, the haze, the sky band, the needles and the tilted horizon.
    {"c172", "Cruise.Flt",
     "wait 300\nkey Right down\nkey Up down\nwait 400\nkey Up up\nwait 600\nkey Right up\n"
     "wait 2000\nscreenshot @dir/shot.bmp\nquit\n"},
};

// Rows [0, kWorldEnd) show the world in every one of them, rows [kPanelStart, 480) the panel.
constexpr int kWorldEnd = 140;
constexpr int kPanelStart = 180;
// A sky and haze alone show fewer than ten colours.
constexpr std::size_t kManyColours = 20;

// The distinct colours of rows [from, to).
std::size_t Colours(const testsupport::IndexedImage& image, int from, int to) {
    std::set<std::uint32_t> seen;
    for (int y = from; y < to; ++y)
        for (int x = 0; x < image.width; ++x)
            seen.insert(image.colours[image.pixels[static_cast<std::size_t>(y) * image.width + x]]);
    return seen.size();
}

class Pictures : public ::testing::TestWithParam<Flight> {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "simrun or the installation is missing";
    }
};

TEST_P(Pictures, ScreenIsAsBeforeTheDrawingWasRewritten) {
    const Flight& f = GetParam();
    testsupport::StarterRun run("zephlon-pictures", f.flight);
    std::string script = f.script;
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, run.Dir().Root());
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::optional<testsupport::IndexedImage> shot =
        testsupport::ReadIndexedScreenshot(run.Dir().Read("shot.bmp"), 640, 480);
    ASSERT_TRUE(shot) << "the screenshot is not a 640 x 480 picture of palette indices";

    // Not a blank or half-drawn frame: the world and the panel each show many colours.
    EXPECT_GE(Colours(*shot, 0, kWorldEnd), kManyColours) << "the world";
    EXPECT_GE(Colours(*shot, kPanelStart, shot->height), kManyColours) << "the panel";

    const std::string name = std::string("pictures_") + f.name + ".bmp";
    const std::string differs = testsupport::CompareGolden(name, *shot);
    ASSERT_EQ(differs, "");
    // The same indices: their colours must be the same too.
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/" + name, std::ios::binary);
    const std::optional<testsupport::IndexedImage> golden = testsupport::DecodeRle8Bmp(
        std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
    ASSERT_TRUE(golden);
    std::set<std::uint8_t> used(shot->pixels.begin(), shot->pixels.end());
    for (std::uint8_t i : used)
        EXPECT_EQ(shot->colours[i], golden->colours[i]) << "colour " << int{i};
}

INSTANTIATE_TEST_SUITE_P(Starter, Pictures, ::testing::ValuesIn(kFlights),
                         [](const ::testing::TestParamInfo<Flight>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
