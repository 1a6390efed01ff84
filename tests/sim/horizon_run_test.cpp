// The horizon in the running program: the cruise flight moved over the bay near San Carlos (low
// and at 15,000 ft), over the Rockies at Leadville and over the sea west of the coast, shot in
// the plain world view and read row by row and column by column. Between the sky and the
// terrain lies the haze: the horizon band thickening downward into the haze the far terrain
// fades into. Nothing of the ground beyond the terrain's range shows through the band as dark
// specks, and the terrain comes out of the haze by small steps, never at one hard line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/lat_lon.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kWidth = 640, kHeight = 480;

int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 255); }
int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 255); }
int Blue(std::uint32_t c) { return static_cast<int>(c & 255); }

// The pale grey-white of thick haze (and of terrain deep in it).
bool Pale(std::uint32_t c) {
    const int lo = std::min({Red(c), Green(c), Blue(c)}), hi = std::max({Red(c), Green(c), Blue(c)});
    return lo >= 180 && hi - lo <= 40;
}

// A dark green-brown speck: ground colour, not haze and not sky.
bool Ground(std::uint32_t c) {
    return Green(c) > Blue(c) + 20 && Red(c) + Green(c) + Blue(c) < 450;
}

// Ground-coloured pixels of a column with haze right above and below: the ground beyond the
// terrain showing through the band.
int Specks(const std::vector<std::uint32_t>& picture, std::uint32_t x) {
    auto at = [&](std::uint32_t y) { return picture[y * kWidth + x]; };
    int specks = 0;
    for (std::uint32_t y = 1; y + 1 < kHeight; ++y)
        specks += Ground(at(y)) && Pale(at(y - 1)) && Pale(at(y + 1)) ? 1 : 0;
    return specks;
}

// The mean brightness of each row (red + green + blue, over the whole width).
std::vector<double> RowBrightness(const std::vector<std::uint32_t>& picture) {
    std::vector<double> rows(kHeight, 0.0);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const std::uint32_t c = picture[y * kWidth + x];
            rows[y] += Red(c) + Green(c) + Blue(c);
        }
        rows[y] /= kWidth;
    }
    return rows;
}

class Horizon : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "simrun or the installation is not built";
    }
    testsupport::StarterRun run{"zephlon-horizon"};
};

TEST_F(Horizon, HazeMeetsTheTerrainWithoutSpecksOrHardLines) {
    const struct {
        const char* name;
        double lat, lon;  // degrees north and west
        double aboveGroundFt;
        int heading;  // the flight's 16-bit heading word
        bool water;  // all the ground in view is sea
    } flights[] = {
        {"bay-low", 37.511735, 122.249386, 3000, 61699, false},
        {"bay-high", 37.511735, 122.249386, 15000, 61699, false},
        {"rockies", 39.219466, 106.316444, 5073, 61699, false},
        {"sea", 37.5, 122.9, 3000, 49152, true},
    };
    for (const auto& f : flights) {
        fs::copy_file(testsupport::StarterRun::Install() / "Flights" / "Cruise.Flt",
                      run.Dir().Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
        {
            core::IniFile flight(run.Dir().Path("Flights/Startup.Flt").c_str());
            std::int32_t x = 0, z = 0;
            nav::LatLonToWorld(&x, &z, f.lat, f.lon);
            flight.PutInt("Aircraft", "fmPosX", x);
            flight.PutInt("Aircraft", "fmPosZ", z);
            // The saved height counts from the ground, in metres x 256.
            flight.PutInt("Aircraft", "fmPosY",
                          static_cast<std::int32_t>(f.aboveGroundFt * 0.3048 * 256));
            flight.PutInt("Aircraft", "fmHead", f.heading);
        }
        run.Dir().Write("Zephlon.ini", "[Views]\ncur=3\n");
        const std::string shot = std::string(f.name) + ".bmp";
        const testsupport::CommandResult r =
            run.Play("frame-interval 16\nwait 1000\nscreenshot " + run.Dir().Path(shot) + "\nquit\n");
        ASSERT_EQ(r.status, 0) << f.name << "\n" << r.out;
        const std::vector<std::uint32_t> picture =
            testsupport::ReadScreenshot(run.Dir().Read(shot), kWidth, kHeight);
        ASSERT_EQ(picture.size(), kWidth * kHeight) << f.name << "\n" << r.out;
        int specks = 0, ground = 0;
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            specks += Specks(picture, x);
            // Every column reaches the ground: the picture is not all sky and haze.
            const std::uint32_t bottom = picture[(kHeight - 1) * kWidth + x];
            ground += !Pale(bottom) && bottom != picture[2 * kWidth + x] ? 1 : 0;
        }
        EXPECT_EQ(ground, static_cast<int>(kWidth)) << f.name;
        EXPECT_EQ(specks, 0) << f.name << ": ground-coloured specks in the haze";
        // From the haze down to the nearest ground the rows darken by small steps: the haze
        // thins over the distance, not at one line.
        const std::vector<double> rows = RowBrightness(picture);
        // The haze's brightest row: above it the sky's band brightens toward the horizon (row
        // by row, in the palette's steps), below it lies the ground.
        std::uint32_t haze = kHeight / 2;
        for (std::uint32_t y = kHeight / 2; y < kHeight; ++y)
            if (rows[y] > rows[haze]) haze = y;
        double steepest = 0.0, rise = 0.0;
        for (std::uint32_t y = kHeight / 2; y + 1 < kHeight; ++y) {
            steepest = std::max(steepest, rows[y] - rows[y + 1]);
            if (y >= haze) rise = std::max(rise, rows[y + 1] - rows[y]);
        }
        EXPECT_LE(steepest, 60.0) << f.name << ": the haze ends at one row";
        // Over the sea nothing but the haze changes down the screen: the rows only darken, but
        // for the water texture's own rows (a few units of brightness).
        if (f.water) {
            EXPECT_LE(rise, 12.0) << f.name << ": the haze over the water is not even";
        }
    }
}

}  // namespace
