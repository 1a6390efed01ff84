// The far band of the world in the running program: the cruise flight set down over open water
// (Lake Michigan, the Pacific west of San Francisco) and over far ridges (the Front Range, the
// hills round Monterey Bay), looking ahead in the plain view, first with "Textured sky" on and
// then, through the Graphics dialog, off. Every column of each picture is read from the horizon
// down (the horizon's row from the camera's own pitch): the ground is a height field, so once a
// column has shown ground it shows ground to the bottom, and a pixel of the sky's fill below it
// is the sky seen through a seam; and over water the haze only thickens toward the horizon, so a
// dash of paler haze with less hazy water both above and below it is a piece of a farther level
// drawn among a nearer one's rows. Neither may appear. Over open water the fade itself never
// passes through a blue brighter than both the water and the haze.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "nav/independent_projection.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

constexpr int kWidth = 640, kHeight = 480;
constexpr int kFramesEach = 8;
constexpr int kSkyTextureBox = 1020;  // the Graphics dialog's "Textured sky"

struct Place {
    const char* name;
    double lat, lon;
    double feetAboveGround;
    double heading;  // degrees clockwise from the world plane's north
    bool openWater;  // nothing but water out to the range
};
const Place kPlaces[] = {
    {"Lake Michigan", 43.5, -87.0, 3000, 90, true},
    {"the Pacific off San Francisco", 37.7, -122.75, 8000, 250, true},
    {"the Front Range", 40.3, -105.7, 2000, 0, false},
    {"the Monterey hills", 36.8, -121.95, 3000, 120, false},
};

struct Faults {
    int slivers = 0;  // pixels of sky under ground
    int dashes = 0;   // pixels of haze between less hazy water above and below, 3 along a row
};

int Red(std::uint32_t c) {
    return static_cast<int>((c >> 16) & 255);
}
int Blue(std::uint32_t c) {
    return static_cast<int>(c & 255);
}
bool Water(std::uint32_t c) {
    return Blue(c) > Red(c) + 40;
}

// Haze turns water paler toward its blue-grey: a dash's red stands this far above the water's
// round it, more than the texture's own steps, and it is no warmer than grey (sand, earth and
// the shore's objects are).
constexpr int kDashStep = 30;
constexpr int kDashWidth = 3;
bool Haze(std::uint32_t c) {
    return Blue(c) + 10 >= Red(c);
}

// The first row below the horizon, with one more for the horizon's rounding: from there down a
// picture shows the ground, the ground plane under it, or with the plain sky the sky beyond the
// ground's range.
int BelowHorizon(double pitchDegrees) {
    const double horizon = 239.5 + 1024.0 * std::tan(pitchDegrees * navtest::kPi / 180.0);
    return std::max(1, static_cast<int>(std::ceil(horizon)) + 1);
}

std::uint32_t Colour(const testsupport::IndexedImage& image, int x, int y) {
    return image.colours[image.pixels[static_cast<std::size_t>(y) * kWidth + x]];
}

Faults CountFaults(const testsupport::IndexedImage& image, double pitchDegrees) {
    Faults f;
    // The sky's two entries, as the sky is filled with them; every other colour is ground.
    auto sky = [&](int x, int y) {
        const std::uint8_t i = image.pixels[static_cast<std::size_t>(y) * kWidth + x];
        return i == 244 || i == 245;
    };
    auto colour = [&](int x, int y) { return Colour(image, x, y); };
    std::vector<bool> pale(static_cast<std::size_t>(kWidth) * kHeight);
    for (int x = 0; x < kWidth; ++x) {
        bool ground = false;
        for (int y = BelowHorizon(pitchDegrees); y < kHeight; ++y) {
            if (!sky(x, y)) {
                ground = true;
            } else if (ground) {
                ++f.slivers;
            }
            if (y + 1 >= kHeight || sky(x, y - 1) || !Water(colour(x, y - 1))) continue;
            const int red = Red(colour(x, y));
            if (!Haze(colour(x, y)) || red < Red(colour(x, y - 1)) + kDashStep) continue;
            for (int end = y + 1; end <= y + 2 && end < kHeight; ++end) {
                const std::uint32_t below = colour(x, end);
                if (!sky(x, end) && Water(below) && Red(below) + kDashStep <= red) {
                    for (int k = y; k < end; ++k) pale[static_cast<std::size_t>(k) * kWidth + x] = true;
                    break;
                }
            }
        }
    }
    // A dash runs along the row: the haze's dither moves at most two neighbouring pixels of a
    // row to the farther level.
    for (int y = 0; y < kHeight; ++y) {
        int run = 0;
        for (int x = 0; x <= kWidth; ++x) {
            if (x < kWidth && pale[static_cast<std::size_t>(y) * kWidth + x]) {
                ++run;
                continue;
            }
            f.dashes += run >= kDashWidth ? run : 0;
            run = 0;
        }
    }
    return f;
}

std::string Script(const std::string& dir) {
    std::string s = "frame-interval 20\nwait 600\nmenu 1666\nwait 100\n";
    auto frames = [&](const char* prefix) {
        for (int i = 0; i < kFramesEach; ++i)
            s += "screenshot " + dir + "/" + prefix + std::to_string(i) +
                 ".bmp\nreport cam_pitch\nwait 137\n";
    };
    frames("on");
    s += "menu 532\ndialog GRAPHICS\nset " + std::to_string(kSkyTextureBox) +
         " 0\nclick 1\nwait 60\n";
    frames("off");
    return s + "quit\n";
}

std::vector<double> Pitches(const std::string& out) {
    std::vector<double> all;
    for (std::size_t at = out.find("cam_pitch="); at != std::string::npos;
         at = out.find("cam_pitch=", at + 1))
        all.push_back(std::stod(out.substr(at + 10)));
    return all;
}

// The pictures of one place, the textured sky's first, with the camera's pitch of each.
struct Flown {
    std::vector<testsupport::IndexedImage> pictures;
    std::vector<double> pitch;
    std::string failure;  // why there are none
};

// Each place is flown once for both tests.
const Flown& Fly(const Place& place) {
    static std::vector<std::pair<const Place*, Flown>> flown;
    for (const auto& [p, f] : flown)
        if (p == &place) return f;
    Flown f;
    StarterRun run("zephlon-farband", "Cruise.Flt");
    // The user's own settings, not the processor's presets (which keep the dialog shut).
    run.Dir().Write("Zephlon.ini", "[Aircraft]\r\nAutoComplex=0\r\n");
    std::string flight = run.Dir().Read("Flights/Startup.Flt");
    double x = 0, z = 0;
    navtest::GeographicToWorld(place.lat, place.lon, &x, &z);
    testsupport::PutSavedValue(flight, "fmPosX", std::llround(x));
    testsupport::PutSavedValue(flight, "fmPosZ", std::llround(z));
    testsupport::PutSavedValue(flight, "fmPosY",
                               std::llround(place.feetAboveGround * 0.3048 * 256.0));
    testsupport::PutSavedValue(flight, "fmHead",
                               std::llround(place.heading / 360.0 * 65536.0) & 0xFFFF);
    run.Dir().Write("Flights/Startup.Flt", flight);
    const testsupport::CommandResult r = run.Play(Script(run.Dir().Root()));
    f.pitch = Pitches(r.out);
    if (r.status != 0 || f.pitch.size() != 2u * kFramesEach) f.failure = r.out;
    for (int i = 0; f.failure.empty() && i < 2 * kFramesEach; ++i) {
        const std::string name =
            std::string(i < kFramesEach ? "on" : "off") + std::to_string(i % kFramesEach) + ".bmp";
        const auto image =
            testsupport::ReadIndexedScreenshot(run.Dir().Read(name), kWidth, kHeight);
        if (!image)
            f.failure = "no picture " + name;
        else
            f.pictures.push_back(*image);
    }
    flown.emplace_back(&place, std::move(f));
    return flown.back().second;
}

TEST(FarBandRun, OverOpenWaterAndFarRidgesTheFarBandHasNoDashesAndNoSlivers) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const Place& place : kPlaces) {
        SCOPED_TRACE(place.name);
        const Flown& f = Fly(place);
        ASSERT_TRUE(f.failure.empty()) << f.failure;
        for (int i = 0; i < 2 * kFramesEach; ++i) {
            const bool textured = i < kFramesEach;
            const Faults faults = CountFaults(f.pictures[static_cast<std::size_t>(i)],
                                              f.pitch[static_cast<std::size_t>(i)]);
            EXPECT_EQ(faults.dashes, 0) << "picture " << i;
            // With the sky's texture the ground plane lies under the ground, in the haze's
            // colour: only the plain sky shows a seam.
            if (!textured) {
                EXPECT_EQ(faults.slivers, 0) << "picture " << i;
            }
        }
    }
}

// The pixels of open water and its haze bluer than both the water near the aircraft and the
// haze (the ground plane under the horizon): a band of lighter blue on the way to the haze.
int BluerThanWaterAndHaze(const testsupport::IndexedImage& image, double pitchDegrees) {
    const int top = BelowHorizon(pitchDegrees);
    int bluest = Blue(Colour(image, kWidth / 2, top));
    for (int y = kHeight - 40; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            bluest = std::max(bluest, Blue(Colour(image, x, y)));
    int bluer = 0;
    for (int y = top; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            bluer += Blue(Colour(image, x, y)) > bluest + 4 ? 1 : 0;
    return bluer;
}

TEST(FarBandRun, OpenWaterFadesIntoTheHazeEvenlyWithoutBandsOfLighterBlue) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const Place& place : kPlaces) {
        if (!place.openWater) continue;
        SCOPED_TRACE(place.name);
        const Flown& f = Fly(place);
        ASSERT_TRUE(f.failure.empty()) << f.failure;
        for (int i = 0; i < kFramesEach; ++i) {
            EXPECT_EQ(BluerThanWaterAndHaze(f.pictures[static_cast<std::size_t>(i)],
                                            f.pitch[static_cast<std::size_t>(i)]),
                      0)
                << "picture " << i;
        }
    }
}

}  // namespace
