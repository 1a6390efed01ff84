// The sea drawn whole along every coast: the cruise flight set down near the shore of the Pacific,
// the Atlantic, the Gulf and the Great Lakes, at three heights and eight headings, the terrain
// range at its largest, with "Textured sky" on and off, one picture each in the plain view. The
// places come from the public coastline (data/outlines-us): points spread evenly along the
// shore of the 48 states, each moved 6 nm to either side of it, so half of them lie over open
// water; the Great Lakes' places are points in open water, and the places where the sea once
// showed holes are always flown. The ground is a height field, so a column of a picture that
// has shown ground shows ground to the bottom: a pixel of the sky's fill below it is the sky
// seen through the ground.
//
// CI flies those places and a seeded sample of the others; ZEPHLON_COAST_SWEEP=all flies all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "nav/independent_projection.h"
#include "support/screenshot.h"
#include "support/starter_run.h"
#include "world/flown_places.h"

namespace {

using testsupport::StarterRun;

constexpr int kWidth = worldtest::kPictureWidth, kHeight = worldtest::kPictureHeight;
constexpr double kHeights[3] = {300.0, 1200.0, 3000.0};  // metres
constexpr int kHeadings = 8;
constexpr int kSampledPlaces = 8;  // besides the places named below, in CI
constexpr int kCasesPerRun = 192;  // pictures of one simrun session

struct Place {
    double lat, lon;
};

// Where the open sea showed the sky through it: off the Golden Gate, further out, off Santa
// Monica, off Oregon, and off Charleston (where a large triangle drawn whole in one level met
// its neighbour's halved side, at the border nearest the eye).
const Place kNamed[] = {{37.7, -122.9}, {37.6, -123.2}, {33.5, -118.8}, {44.5, -124.5}, {32.5, -79.99}};

// Open water of the five Great Lakes.
const Place kLakes[] = {{47.5, -87.5}, {47.0, -89.5}, {46.8, -85.5}, {48.0, -88.5}, {47.0, -91.0},
                        {46.7, -86.6}, {43.5, -87.0}, {44.5, -87.0}, {42.5, -87.3}, {45.5, -86.5},
                        {41.9, -87.3}, {43.0, -86.7}, {44.5, -82.5}, {45.3, -83.0}, {43.8, -82.2},
                        {45.5, -82.0}, {44.0, -82.3}, {42.0, -81.5}, {41.7, -82.5}, {42.3, -80.5},
                        {42.6, -79.5}, {43.5, -77.5}, {43.6, -78.5}, {43.4, -76.8}};

// The sea's shore of the 48 states: the outline's main shores (level 1, the lakes are level 2)
// without Canada's, Mexico's and the Bahamas'.
bool OnOurShore(double lat, double lon) {
    if (lat < 24.4 || lat > 49.0 || lon < -125.0 || lon > -66.9) return false;
    if (lon < -105.0 && lat < 32.53) return false;  // Baja California
    if (lon < -97.1 && lat < 25.95) return false;   // the Gulf coast of Mexico
    if (lon > -79.5 && lat < 28.0) return false;    // the Bahamas
    if (lon > -83.0 && lat > 45.5) return false;    // the Canadian Maritimes
    return !(lon < -123.3 && lat > 48.3);           // Vancouver Island
}

// Points every equal length along the shore, each moved `offsetNm` to both sides of it.
std::vector<Place> ShorePlaces(int samples, double offsetNm) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/coast_low.txt");
    EXPECT_TRUE(in) << "the coastline outline";
    struct Leg {
        Place a, b;
        double length;  // degrees, across scaled by the latitude's cosine
    };
    std::vector<Leg> legs;
    std::string line;
    bool mainShore = false, have = false;
    Place last{};
    double total = 0.0;
    while (std::getline(in, line)) {
        if (line.rfind('>', 0) == 0) {
            mainShore = line.find("Level 1") != std::string::npos;
            have = false;
            continue;
        }
        std::istringstream row(line);
        Place p{};
        if (!(row >> p.lon >> p.lat)) continue;
        const bool ours = mainShore && OnOurShore(p.lat, p.lon);
        if (ours && have) {
            const double k = std::cos(p.lat * navtest::kPi / 180.0);
            const double length = std::hypot((p.lon - last.lon) * k, p.lat - last.lat);
            if (length > 0.0 && length < 0.5) {
                legs.push_back(Leg{last, p, length});
                total += length;
            }
        }
        last = p;
        have = ours;
    }
    std::vector<Place> places;
    if (legs.empty()) return places;
    const double step = total / samples;
    double along = 0.0, next = step / 2.0;
    for (const Leg& leg : legs) {
        while (next < along + leg.length && static_cast<int>(places.size()) < 2 * samples) {
            const double t = (next - along) / leg.length;
            const double lat = leg.a.lat + (leg.b.lat - leg.a.lat) * t;
            const double lon = leg.a.lon + (leg.b.lon - leg.a.lon) * t;
            const double k = std::cos(lat * navtest::kPi / 180.0);
            // Across the leg, in degrees of latitude and of longitude.
            const double east = (leg.b.lon - leg.a.lon) * k / leg.length;
            const double north = (leg.b.lat - leg.a.lat) / leg.length;
            const double d = offsetNm / 60.0;
            places.push_back(Place{lat + east * d, lon - north * d / k});
            places.push_back(Place{lat - east * d, lon + north * d / k});
            next += step;
        }
        along += leg.length;
    }
    return places;
}

// The pixels of the sky's fill below the first row of ground in each column.
int SkyUnderGround(const testsupport::IndexedImage& image, double pitchDegrees) {
    int count = 0;
    for (int x = 0; x < kWidth; ++x) {
        bool ground = false;
        for (int y = worldtest::FirstRowBelowHorizon(pitchDegrees); y < kHeight; ++y) {
            const std::uint8_t i = image.pixels[static_cast<std::size_t>(y) * kWidth + x];
            const bool sky = i == 244 || i == 245;
            if (!sky)
                ground = true;
            else if (ground)
                ++count;
        }
    }
    return count;
}

TEST(CoastSweepRun, NearEveryShoreTheGroundAndTheSeaAreDrawnWithoutTheSkyShowingThrough) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    std::vector<Place> places(std::begin(kNamed), std::end(kNamed));
    std::vector<Place> others = ShorePlaces(100, 6.0);
    ASSERT_GE(others.size(), 180u) << "the coastline outline gave too few places";
    others.insert(others.end(), std::begin(kLakes), std::end(kLakes));
    const char* all = std::getenv("ZEPHLON_COAST_SWEEP");
    if (all == nullptr || std::string(all) != "all") {
        std::mt19937 random(73);
        std::shuffle(others.begin(), others.end(), random);
        others.resize(kSampledPlaces);
    }
    places.insert(places.end(), others.begin(), others.end());
    std::vector<worldtest::FlownPlace> cases;
    for (const Place& p : places)
        for (double metres : kHeights)
            for (int h = 0; h < kHeadings; ++h)
                cases.push_back(worldtest::FlownPlace{p.lat, p.lon, metres, h * 360.0 / kHeadings});

    StarterRun run("zephlon-coast", "Cruise.Flt");
    int faulty = 0;
    for (const bool textured : {false, true}) {
        for (std::size_t from = 0; from < cases.size(); from += kCasesPerRun) {
            const std::vector<worldtest::FlownPlace> part(
                cases.begin() + static_cast<std::ptrdiff_t>(from),
                cases.begin() +
                    static_cast<std::ptrdiff_t>(std::min(cases.size(), from + kCasesPerRun)));
            const std::string failure = worldtest::FlyPlaces(
                run, part, std::string("TerrainRange=100\r\nSkyTexture=") + (textured ? "1" : "0"),
                [&](std::size_t i, const testsupport::IndexedImage& image, double pitch) {
                    const int count = SkyUnderGround(image, pitch);
                    if (count == 0 || ++faulty > 12) return;
                    const worldtest::FlownPlace& c = part[i];
                    ADD_FAILURE() << count << " pixels of sky under the ground at " << c.lat << ", "
                                  << c.lon << ", " << c.metres << " m, heading " << c.heading
                                  << (textured ? ", textured sky" : ", plain sky");
                });
            ASSERT_TRUE(failure.empty()) << failure;
        }
    }
    std::cout << "coast sweep: " << places.size() << " places, " << 2 * cases.size()
              << " pictures, " << faulty << " with the sky under the ground\n";
    EXPECT_EQ(faulty, 0);
}

}  // namespace
