// The sky against an outside oracle: the sun and the moon placed for random dates and places
// and compared with a separate, more complete almanac written here (the solar series with its
// nutation and aberration terms, the lunar series with its twenty largest longitude and ten
// largest latitude terms, and the sidereal time by the day-and-hour formula); the light curve,
// the phase, the stars and the sky object's day and night, and every star in view drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "world/almanac_oracle.h"
#include "world/calendar.h"
#include "world/celestial.h"
#include "world/scenery_services.h"
#include "world/sky.h"

namespace {

using namespace almanac_oracle;

// ---- the comparison ---------------------------------------------------------------------------

TEST(SkyOracle, SunAndMoonStandWhereTheAlmanacPutsThem) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> day(0.0, 1.0);
    world::Sun sun(nullptr);
    world::Moon moon(nullptr);
    const float observer[3] = {0, 0, 0};
    int phaseMisses = 0;
    for (int i = 0; i < 1000; ++i) {
        // 1900 to 2100, anywhere between 60 S and 70 N.
        const double jd = 2415020.5 + day(random) * 73049.0;
        const double lat = -60.0 + 130.0 * day(random);
        const double eastLon = -180.0 + 360.0 * day(random);
        const auto dayNumber = static_cast<std::int32_t>(std::floor(jd - 0.5));
        const double dayStart = dayNumber + 0.5;
        const auto ms = static_cast<std::uint32_t>(std::lround((jd - dayStart) * 86400000.0));
        const double exact = dayStart + ms / 86400000.0;
        world::SetSkyTime(lat, -eastLon, world::JulianDay(dayNumber), ms);
        world::AdvanceSky(false, true, 0.0, observer);

        double az = 0, el = 0;
        HorizonOracle(SunOracle(exact), exact, lat, eastLon, &az, &el);
        ASSERT_NEAR(sun.Elevation(), el, 0.5) << "sun, jd " << exact << " lat " << lat;
        if (std::fabs(el) < 88.0) {
            ASSERT_LT(AngleDiff(sun.Azimuth(), az), 1.0) << "sun, jd " << exact << " lat " << lat;
        }

        const Equatorial m = MoonOracle(exact);
        HorizonOracle(m, exact, lat, eastLon, &az, &el);
        ASSERT_NEAR(moon.Elevation(), el, 1.5) << "moon, jd " << exact << " lat " << lat;
        if (std::fabs(el) < 85.0) {
            ASSERT_LT(AngleDiff(moon.Azimuth(), az), 1.5 / std::cos(D2R(el)))
                << "moon, jd " << exact << " lat " << lat;
        }

        // The phase index within one of the oracle's elongation.
        const double elongation = Norm360(SunOracle(exact).longitude - m.longitude);
        const int expected = static_cast<int>(std::lround(elongation / 45.0)) % 8;
        const int diff = std::abs(moon.Phase() - expected);
        EXPECT_LE(std::min(diff, 8 - diff), 1) << "jd " << exact;
        phaseMisses += diff != 0 ? 1 : 0;
    }
    // Off by one only right at a boundary between two indexes.
    EXPECT_LT(phaseMisses, 30);
}

TEST(SkyOracle, EndsOfTheCalendarGiveFinitePlaces) {
    world::Sun sun(nullptr);
    world::Moon moon(nullptr);
    const float observer[3] = {0, 0, 0};
    for (const world::JulianDay d : {world::JulianDay(1, 1, 0), world::JulianDay(12, 31, 9999),
                                     world::JulianDay(1, 1, 1970)}) {
        for (const double lat : {-90.0, 0.0, 90.0, 1e300}) {
            world::SetSkyTime(lat, 400.0, d, 86399999);
            world::AdvanceSky(false, true, 0.0, observer);
            EXPECT_TRUE(std::isfinite(sun.Elevation()) && std::isfinite(sun.Azimuth()));
            EXPECT_TRUE(std::isfinite(moon.Elevation()) && std::isfinite(moon.Azimuth()));
            EXPECT_GE(moon.Phase(), 0);
            EXPECT_LE(moon.Phase(), 7);
            for (int i = 0; i < 3; ++i)
                EXPECT_TRUE(std::isfinite(sun.GetLightDirection()[i]));
        }
    }
}

TEST(SkyBodies, LightCurvePhaseAndStarPeriods) {
    EXPECT_EQ(world::LightLevelForElevation(-14.25), 0.0f);
    EXPECT_EQ(world::LightLevelForElevation(-40.0), 0.0f);
    EXPECT_NEAR(world::LightLevelForElevation(-1.0), 0.75f, 1e-6f);
    EXPECT_NEAR(world::LightLevelForElevation(90.0), 1.0f, 1e-6f);
    // Rising with the sun all the way.
    for (double e = -20.0; e < 90.0; e += 0.25)
        EXPECT_LE(world::LightLevelForElevation(e), world::LightLevelForElevation(e + 0.25)) << e;

    EXPECT_EQ(world::MoonPhaseIndex(100.0, 100.0), 0);
    EXPECT_EQ(world::MoonPhaseIndex(280.0, 100.0), 4);
    EXPECT_EQ(world::MoonPhaseIndex(337.5, 0.0), 0);  // rounds to 8
    EXPECT_EQ(world::MoonPhaseIndex(90.0, 0.0), 2);   // last quarter
    EXPECT_EQ(world::MoonPhaseIndex(0.0, 90.0), 6);   // first quarter

    world::CelestialObject pole;
    pole.SetSkyPosition(0.0, -90.0, world::kFarDistance);
    EXPECT_EQ(pole.RecomputePeriod(), 86400.0);
    pole.SetSkyPosition(0.0, 60.0, world::kFarDistance);
    EXPECT_NEAR(pole.RecomputePeriod(), 120.0, 1e-6);
    EXPECT_EQ(world::Moon::BitmapName(3, true), "Moon3n.bmp");
    EXPECT_EQ(world::Moon::BitmapName(0, false), "Moon0d.bmp");
}

// ---- the sky object -----------------------------------------------------------------------------

world::ZuluDateTime theZulu;
float theSunDirection[3];
int theSunDirectionCalls = 0;
std::int32_t theStars = 1;
std::int32_t theSkyTexture = 1;

class SkyObject : public ::testing::Test {
protected:
    void SetUp() override {
        world::SceneryServices s = world::DefaultSceneryServices();
        s.zuluDateTime = [](world::ZuluDateTime* out) { *out = theZulu; };
        s.latitude = [] { return 37.5; };
        s.longitude = [] { return 122.25; };  // west
        s.setSunDirection = [](const float d[3]) {
            for (int i = 0; i < 3; ++i)
                theSunDirection[i] = d[i];
            ++theSunDirectionCalls;
        };
        s.graphicsSetting = [](int index) {
            if (index == world::kSkyTexture) return theSkyTexture;
            return index == world::kEnableStars ? theStars : std::int32_t{1};
        };
        world::theSceneryServices = s;
        theZulu = world::ZuluDateTime{};
        theZulu.year = 126;
        theZulu.month = 5;
        theZulu.day = 21;
        theSunDirectionCalls = 0;
        theStars = 1;
        theSkyTexture = 1;
    }
    void TearDown() override { world::theSceneryServices = world::DefaultSceneryServices(); }
    // The sky placed for 01:00 on the west coast, the stars out.
    static void AtOneInTheMorning(world::Sky& sky) {
        theZulu.hour = 8;
        const float eye[3] = {0, 0, 0};
        sky.PlaceForObserver(eye);
        sky.UpdateLighting(true);
    }
};

TEST_F(SkyObject, NoonIsBrightWithTheSunHighNightHasStarsAndTheMoonsNightBitmap) {
    world::Sky sky(nullptr, nullptr);
    const float eye[3] = {0, 0, 0};
    theZulu.hour = 20;  // 13:00 on the west coast's summer time
    sky.PlaceForObserver(eye);
    sky.UpdateLighting(false);
    EXPECT_GT(sky.GetSun().Elevation(), 60.0);
    EXPECT_NEAR(sky.GetSun().Azimuth(), 180.0, 25.0);
    EXPECT_FLOAT_EQ(sky.GetAmbientLight(), 1.0f);
    EXPECT_FALSE(sky.HasStars());
    ASSERT_EQ(theSunDirectionCalls, 1);
    // The light comes down from the south (the world grid turns it a few degrees).
    EXPECT_LT(theSunDirection[2], -0.8f);
    EXPECT_GT(theSunDirection[1], 0.0f);

    theZulu.hour = 8;  // 01:00
    sky.PlaceForObserver(eye);
    sky.UpdateLighting(false);
    EXPECT_LT(sky.GetSun().Elevation(), -20.0);
    EXPECT_TRUE(sky.HasStars());
    EXPECT_EQ(sky.StarCount(), world::kStarCount);
    EXPECT_EQ(world::CelestialObjects().size(), 2u + world::kStarCount);
    EXPECT_LE(sky.GetAmbientLight(), 0.3f);
    // The moon takes the night flag at the next change of light.
    sky.UpdateLighting(true);
    EXPECT_TRUE(sky.GetMoon().IsNight());

    // Stars switched off go at once.
    theStars = 0;
    sky.ApplyGraphicsSettings();
    EXPECT_FALSE(sky.HasStars());
    EXPECT_EQ(world::CelestialObjects().size(), 2u);
}

TEST_F(SkyObject, StarsAreDrawnFromTheGeneratorWithinTheirRanges) {
    world::Sky sky(nullptr, nullptr);
    AtOneInTheMorning(sky);
    int sizes[4] = {0, 0, 0, 0};
    for (const world::CelestialObject* o : world::CelestialObjects()) {
        if (o->refCount >= 1) continue;
        const auto* star = static_cast<const world::Star*>(o);
        EXPECT_GE(star->Declination(), -90.0);
        EXPECT_LT(star->Declination(), 90.0);
        EXPECT_GE(star->Variant(), 0);
        EXPECT_LE(star->Variant(), 7);
        EXPECT_EQ(star->colour, world::kStarColour);
        ++sizes[star->sizeClass];
    }
    EXPECT_EQ(sizes[1] + sizes[2] + sizes[3], world::kStarCount);
    EXPECT_GT(sizes[1], sizes[3]);  // faint stars outnumber bright ones
}

// On a night with the sun and the moon out of the way, every star the camera sees is a dot on
// the screen, the faintest (one pixel) as much as the brightest: the dots counted in the picture
// (touching dots count once) against the stars whose places lie on the screen.
TEST_F(SkyObject, EveryStarInViewIsDrawnAsADot) {
    world::Sky sky(nullptr, nullptr);
    AtOneInTheMorning(sky);
    ASSERT_TRUE(sky.HasStars());
    sky.GetSun().enabled = false;
    sky.GetMoon().enabled = false;
    theSkyTexture = 0;  // the sky's colour alone behind the stars
    const gfx::GFXDrawTable* previous = gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
    auto surface = gfx::GFXMemSurface::Create(640, 480, 8);
    ASSERT_NE(surface, nullptr);
    gfx::GFXPaletteEntry grey[256];
    for (int i = 0; i < 256; ++i)
        grey[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                       static_cast<std::uint8_t>(i), 0};
    auto palette = gfx::GFXPalette::CreateFromEntries(grey);
    surface->palette = palette.get();
    gfx::GFXDrawTarget target(surface.get());
    ts::TSPerspectiveCamera camera(ts::CameraRect{0, 0, 639, 479}, ts::CameraWindow{-40, 30, 40, -30},
                                   8.0f, 128.0f);
    int expected = 0, drawn = 0;
    for (int h = 0; h < 48; ++h) {
        // Looking 20, 45 and 70 degrees up, round the compass.
        ts::Transform3F look;
        ts::Matrix3F::SetEulerAngles(
            ts::Vector3F{0.35f + 0.436f * static_cast<float>(h % 3), 0.0f, static_cast<float>(h / 3) * 0.3927f},
            &look.matrix);
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(look, &worldToEye);
        camera.SetEyeTransform(worldToEye);
        target.Begin();
        camera.Activate();
        std::vector<std::uint8_t> pixels(640 * 480, 0);
        {
            gfx::GFXSurfaceLock lock(*surface);
            for (int y = 0; y < 480; ++y)
                std::memset(surface->pixels + static_cast<std::ptrdiff_t>(y) * surface->stride, 0, 640);
        }
        sky.Render(false);
        target.End();
        {
            gfx::GFXSurfaceLock lock(*surface);
            for (int y = 0; y < 480; ++y)
                std::memcpy(&pixels[static_cast<std::size_t>(y) * 640],
                            surface->pixels + static_cast<std::ptrdiff_t>(y) * surface->stride, 640);
        }
        for (const world::CelestialObject* o : world::CelestialObjects()) {
            if (o->refCount >= 1 || !o->enabled) continue;
            const float* d = o->DrawPosition();
            ts::Vector3F e;
            ts::Transform3F::RotatePoint(ts::Vector3F{d[0], d[1], d[2]}, worldToEye, &e);
            if (e.y <= 0.0f) continue;
            // The window spans 80 by 60 at the projection distance 128 over 640 by 480 pixels.
            const double x = 319.5 + e.x / e.y * 128.0 * 639.0 / 80.0;
            const double y = 239.5 - e.z / e.y * 128.0 * 479.0 / 60.0;
            expected += x >= 2 && x < 638 && y >= 2 && y < 478 ? 1 : 0;
        }
        // Dots: 8-connected runs of the stars' colour away from the edges.
        std::vector<int> stack;
        for (int y = 2; y < 478; ++y)
            for (int x = 2; x < 638; ++x) {
                if (pixels[static_cast<std::size_t>(y) * 640 + x] != world::kStarColour) continue;
                ++drawn;
                stack.assign(1, y * 640 + x);
                pixels[static_cast<std::size_t>(y) * 640 + x] = 0;
                while (!stack.empty()) {
                    const int at = stack.back();
                    stack.pop_back();
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = at % 640 + dx, ny = at / 640 + dy;
                            if (nx < 2 || nx >= 638 || ny < 2 || ny >= 478) continue;
                            std::uint8_t& p = pixels[static_cast<std::size_t>(ny) * 640 + nx];
                            if (p != world::kStarColour) continue;
                            p = 0;
                            stack.push_back(ny * 640 + nx);
                        }
                }
            }
    }
    gfx::GFXMemSurface::SetDrawTable(previous);
    ASSERT_GT(expected, 40);
    EXPECT_GE(drawn, expected * 9 / 10) << drawn << " dots for " << expected << " stars";
    EXPECT_LE(drawn, expected + expected / 10);
}

}  // namespace
