// The haze over open water and the textured sky's horizon band, as the plain view shows them
// flying level over the sea and the Great Lakes. The haze thickens with the distance from the
// eye, so over water its borders are circles round the aircraft: seen level, each border lies
// at the same row at the same angle left and right of the view's middle. The horizon band is
// painted in whole rows: no short run of pixels above the ground stands between two of one
// other colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/starter_run.h"
#include "world/flown_places.h"

namespace {

using testsupport::StarterRun;
using worldtest::kPictureHeight;
using worldtest::kPictureWidth;

// Level over open water out to the range in every direction shown.
const worldtest::FlownPlace kOverWater[] = {
    {43.5, -87.0, 900, 90},     // Lake Michigan, looking east
    {43.5, -87.0, 900, 180},    // and down the lake
    {33.5, -118.8, 1200, 240},  // off Santa Monica
    {37.7, -122.9, 2438, 270},  // off the Golden Gate at 8,000 ft
    {37.5, -122.9, 914, 270},   // lower, the coarse cells round the eye reaching past it
};

// The band's rows above the horizon: it reaches about ten degrees up, 180 rows.
constexpr int kBandRows = 150;

std::uint8_t Pixel(const testsupport::IndexedImage& image, int x, int y) {
    return image.pixels[static_cast<std::size_t>(y) * kPictureWidth + x];
}

// The row below the horizon where the four columns from x first turn to each colour, of one
// colour over two rows, from another such colour: the haze dither leaves the middle of each
// level plain, and between two plain levels mixes them, in every four columns from a multiple
// of 4 alike. (Near the horizon a level may be too narrow to show plain on both sides.)
std::map<std::uint8_t, int> Borders(const testsupport::IndexedImage& image, int x, int top) {
    std::map<std::uint8_t, int> rows;
    int last = -1;
    for (int y = kPictureHeight - 1; y > top; --y) {
        const std::uint8_t colour = Pixel(image, x, y);
        bool plain = true;
        for (int i = 0; i < 4; ++i)
            plain = plain && Pixel(image, x + i, y) == colour && Pixel(image, x + i, y - 1) == colour;
        if (!plain) continue;
        if (last >= 0 && colour != last) rows.emplace(colour, y);
        last = colour;
    }
    return rows;
}

// The most rows by which a border at one side of the view's middle stands off the same border
// at the other side, over every pair of groups of columns 8 apart.
int Lopsided(const testsupport::IndexedImage& image, double pitch) {
    const int top = worldtest::FirstRowBelowHorizon(pitch);
    int most = 0;
    for (int x = 0; x < kPictureWidth / 2; x += 8) {
        const std::map<std::uint8_t, int> left = Borders(image, x, top);
        const std::map<std::uint8_t, int> right = Borders(image, kPictureWidth - 4 - x, top);
        for (const auto& [colour, row] : left) {
            const auto there = right.find(colour);
            if (there != right.end()) most = std::max(most, std::abs(row - there->second));
        }
    }
    return most;
}

// The places over water flown with the given graphics settings, each picture and the camera's
// pitch handed to `look`, which answers the count of faults it finds there.
void FlyOverWater(const char* prefix, const std::string& graphics,
                  const std::function<int(const testsupport::IndexedImage&, double)>& look) {
    StarterRun run(prefix, "Cruise.Flt");
    const std::vector<worldtest::FlownPlace> places(std::begin(kOverWater), std::end(kOverWater));
    const std::string failure = worldtest::FlyPlaces(
        run, places, graphics,
        [&](std::size_t i, const testsupport::IndexedImage& image, double pitch) {
            EXPECT_EQ(look(image, pitch), 0)
                << places[i].lat << ", " << places[i].lon << " heading " << places[i].heading;
        });
    ASSERT_TRUE(failure.empty()) << failure;
}

// The number of dots in the band's rows above the ground (the sun and the moon stand higher):
// runs of fewer than 6 pixels of one colour with the same colour either side of them.
int Dots(const testsupport::IndexedImage& image, double pitch) {
    int dots = 0;
    const int horizon = worldtest::FirstRowBelowHorizon(pitch);
    for (int y = std::max(0, horizon - kBandRows); y < horizon - 2; ++y) {
        int before = -1, start = 0;
        for (int x = 1; x <= kPictureWidth; ++x) {
            if (x < kPictureWidth && Pixel(image, x, y) == Pixel(image, start, y)) continue;
            const int after = x < kPictureWidth ? Pixel(image, x, y) : -2;
            dots += x - start < 6 && before == after ? 1 : 0;
            before = Pixel(image, start, y);
            start = x;
        }
    }
    return dots;
}

TEST(HazeAndHorizonRun, OverOpenWaterTheHazeBordersAreCirclesRoundTheAircraft) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    // Untextured water: each haze level is one colour, and its borders the only changes. A
    // border may stand 4 rows off its twin across the middle.
    FlyOverWater("zephlon-haze", "TerrainRange=100\r\nSkyTexture=0\r\nTerrainTexture=0\r\n",
                 [](const testsupport::IndexedImage& image, double pitch) {
                     return std::max(0, Lopsided(image, pitch) - 4);
                 });
}

// The band edges under the horizon: places where a run of 8 pixels of one colour lies on a
// run of 8 of another, the haze stepping a whole level at once along a line.
int BandEdges(const testsupport::IndexedImage& image, double pitch) {
    int edges = 0;
    // Runs of ground: the sky's fill (entries 244 and 245) beyond the range is no haze level.
    auto plain = [&](int x, int y) {
        const std::uint8_t colour = Pixel(image, x, y);
        for (int i = 1; i < 8; ++i)
            if (Pixel(image, x + i, y) != colour) return false;
        return colour != 244 && colour != 245;
    };
    for (int y = worldtest::FirstRowBelowHorizon(pitch) + 1; y < kPictureHeight; ++y)
        for (int x = 0; x + 8 <= kPictureWidth; x += 8)
            edges += plain(x, y - 1) && plain(x, y) && Pixel(image, x, y - 1) != Pixel(image, x, y)
                         ? 1
                         : 0;
    return edges;
}

TEST(HazeAndHorizonRun, OverOpenWaterTheHazeThickensWithoutBands) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    // Untextured water, whose levels would each be one colour (about 600 edges a picture).
    FlyOverWater("zephlon-bands", "TerrainRange=100\r\nSkyTexture=0\r\nTerrainTexture=0\r\n",
                 [](const testsupport::IndexedImage& image, double pitch) {
                     return BandEdges(image, pitch);
                 });
}

TEST(HazeAndHorizonRun, TheTexturedSkysHorizonBandHasNoDots) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    FlyOverWater("zephlon-band", "TerrainRange=100\r\nSkyTexture=1\r\n", &Dots);
}

}  // namespace
