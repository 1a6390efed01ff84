// The sky against an outside oracle: the sun and the moon placed for random dates and places
// and compared with a separate, more complete almanac written here (the solar series with its
// nutation and aberration terms, the lunar series with its twenty largest longitude and ten
// largest latitude terms, and the sidereal time by the day-and-hour formula); the light curve,
// the phase, the stars and the sky object's day and night.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "world/calendar.h"
#include "world/celestial.h"
#include "world/scenery_services.h"
#include "world/sky.h"

namespace {

constexpr double kPi = std::numbers::pi;
double D2R(double d) {
    return d * kPi / 180.0;
}
double R2D(double r) {
    return r * 180.0 / kPi;
}
double Norm360(double d) {
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}
double AngleDiff(double a, double b) {
    const double d = Norm360(a - b);
    return d > 180.0 ? 360.0 - d : d;
}

// ---- the oracle -----------------------------------------------------------------------------

struct Equatorial {
    double ra, dec, longitude;
};

double ObliquityOracle(double t) {
    const double seconds = 21.448 - t * (46.8150 + t * (0.00059 - t * 0.001813));
    return 23.0 + (26.0 + seconds / 60.0) / 60.0;
}

Equatorial ToEquatorial(double lambda, double beta, double eps) {
    const double l = D2R(lambda), b = D2R(beta), e = D2R(eps);
    const double ra = std::atan2(std::sin(l) * std::cos(e) - std::tan(b) * std::sin(e), std::cos(l));
    const double dec = std::asin(std::sin(b) * std::cos(e) + std::cos(b) * std::sin(e) * std::sin(l));
    return {Norm360(R2D(ra)), R2D(dec), Norm360(lambda)};
}

Equatorial SunOracle(double jd) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double l0 = 280.46646 + t * (36000.76983 + t * 0.0003032);
    const double m = D2R(357.52911 + t * (35999.05029 - t * 0.0001537));
    const double c = (1.914602 - t * (0.004817 + t * 0.000014)) * std::sin(m) +
                     (0.019993 - 0.000101 * t) * std::sin(2 * m) + 0.000289 * std::sin(3 * m);
    const double omega = D2R(125.04 - 1934.136 * t);
    const double lambda = l0 + c - 0.00569 - 0.00478 * std::sin(omega);
    const double eps = ObliquityOracle(t) + 0.00256 * std::cos(omega);
    return ToEquatorial(lambda, 0.0, eps);
}

Equatorial MoonOracle(double jd) {
    const double t = (jd - 2451545.0) / 36525.0;
    const double lp = 218.3164477 + 481267.88123421 * t;
    const double d = 297.8501921 + 445267.1114034 * t;
    const double m = 357.5291092 + 35999.0502909 * t;
    const double mp = 134.9633964 + 477198.8675055 * t;
    const double f = 93.2720950 + 483202.0175233 * t;
    struct Term {
        int d, m, mp, f;
        double c;
    };
    static const Term kLongitude[] = {
        {0, 0, 1, 0, 6288774}, {2, 0, -1, 0, 1274027}, {2, 0, 0, 0, 658314},
        {0, 0, 2, 0, 213618},  {0, 1, 0, 0, -185116},  {0, 0, 0, 2, -114332},
        {2, 0, -2, 0, 58793},  {2, -1, -1, 0, 57066},  {2, 0, 1, 0, 53322},
        {2, -1, 0, 0, 45758},  {0, 1, -1, 0, -40923},  {1, 0, 0, 0, -34720},
        {0, 1, 1, 0, -30383},  {2, 0, 0, -2, 15327},   {0, 0, 1, 2, -12528},
        {0, 0, 1, -2, 10980},  {4, 0, -1, 0, 10675},   {0, 0, 3, 0, 10034},
        {4, 0, -2, 0, 8548},   {2, 1, -1, 0, -7888}};
    static const Term kLatitude[] = {
        {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602}, {0, 0, 1, -1, 277693},
        {2, 0, 0, -1, 173237}, {2, 0, -1, 1, 55413}, {2, 0, -1, -1, 46271},
        {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},  {2, 0, 1, -1, 9266},
        {0, 0, 2, -1, 8822}};
    double sl = 0.0, sb = 0.0;
    for (const Term& k : kLongitude)
        sl += k.c * std::sin(D2R(k.d * d + k.m * m + k.mp * mp + k.f * f));
    for (const Term& k : kLatitude)
        sb += k.c * std::sin(D2R(k.d * d + k.m * m + k.mp * mp + k.f * f));
    const double lambda = lp + sl / 1e6;
    const double beta = sb / 1e6;
    return ToEquatorial(lambda, beta, ObliquityOracle(t));
}

// Greenwich mean sidereal time in degrees from the day-and-hour form.
double SiderealOracle(double jd) {
    const double jd0 = std::floor(jd - 0.5) + 0.5;
    const double hours = (jd - jd0) * 24.0;
    const double d0 = jd0 - 2451545.0;
    const double t = (jd - 2451545.0) / 36525.0;
    const double gmst = 6.697374558 + 0.06570982441908 * d0 + 1.00273790935 * hours +
                        0.000026 * t * t;
    return Norm360(gmst * 15.0);
}

void HorizonOracle(const Equatorial& e, double jd, double lat, double eastLon, double* az,
                   double* el) {
    const double h = D2R(SiderealOracle(jd) + eastLon - e.ra);
    const double p = D2R(lat), dec = D2R(e.dec);
    *el = R2D(std::asin(std::sin(p) * std::sin(dec) + std::cos(p) * std::cos(dec) * std::cos(h)));
    *az = Norm360(R2D(std::atan2(-std::sin(h), std::tan(dec) * std::cos(p) - std::sin(p) * std::cos(h))));
}

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
            return index == world::kSettingEnableStars ? theStars : std::int32_t{1};
        };
        world::theSceneryServices = s;
        theZulu = world::ZuluDateTime{};
        theZulu.year = 126;
        theZulu.month = 5;
        theZulu.day = 21;
        theSunDirectionCalls = 0;
        theStars = 1;
    }
    void TearDown() override { world::theSceneryServices = world::DefaultSceneryServices(); }
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
    theZulu.hour = 8;
    const float eye[3] = {0, 0, 0};
    sky.PlaceForObserver(eye);
    sky.UpdateLighting(true);
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

}  // namespace
