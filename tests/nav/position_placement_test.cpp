// The positioning dialogs' arithmetic: angles, distances and heights in world units, the point
// at a bearing, typed values held to their ranges, and the directory's BCD frequencies.
#include "nav/position_placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "flight/flight_model_state.h"
#include "world/terrain_services.h"

namespace {

TEST(PositionPlacement, AnglesHeightsAndDistances) {
    struct Angle {
        double degrees;
        std::int32_t angle;
    } angles[] = {{0, 0}, {90, 16384}, {180, 32767}, {270, 49151}, {360, 65534}, {1, 182}};
    for (const Angle& a : angles) {
        EXPECT_EQ(nav::DegreesToAngle(a.degrees), a.angle) << a.degrees;
        EXPECT_EQ(nav::AngleToDegrees(a.angle), static_cast<int>(a.degrees)) << a.degrees;
    }
    EXPECT_EQ(nav::FeetToWorldAltitude(3000), static_cast<std::int32_t>(3000 * 0.3048780487804878 * 256));
    EXPECT_EQ(nav::FeetToWorldAltitude(3000), 234146);
    for (int feet : {1, 600, 3000, 12345, 30000})
        EXPECT_EQ(nav::WorldAltitudeToFeet(nav::FeetToWorldAltitude(feet)), feet);
    EXPECT_EQ(nav::NmToWorld(10), 4741120.0);
    flight::theFlightModelState.fmPosY = nav::FeetToWorldAltitude(4500);
    EXPECT_EQ(nav::CurrentAltitudeFeet(), 4500);
    // The heading shown is magnetic, 0 shown as 360.
    world::theMagneticVariation = static_cast<std::int16_t>(nav::DegreesToAngle(14));
    flight::theFlightModelState.fmHead = static_cast<std::uint16_t>(nav::DegreesToAngle(14));
    EXPECT_EQ(nav::CurrentHeadingDegrees(), 360);
    flight::theFlightModelState.fmHead = static_cast<std::uint16_t>(nav::DegreesToAngle(104));
    EXPECT_EQ(nav::CurrentHeadingDegrees(), 90);
    world::theMagneticVariation = 0;
    flight::theFlightModelState = flight::FlightModelState{};
}

TEST(PositionPlacement, PointsAtABearingAgreeWithTheCompass) {
    const double d = nav::NmToWorld(10);
    struct Case {
        double bearing;
        double east, north;
    } cases[] = {{90, d, 0}, {0, 0, d}, {360, 0, d}, {180, 0, -d}, {270, -d, 0}, {45, d / std::sqrt(2.0), d / std::sqrt(2.0)}};
    for (const Case& c : cases)
        for (std::int32_t x0 : {0, -744663509, 600000000}) {
            std::int32_t x = 0, z = 0;
            nav::PointAtBearing(x0, -5000, c.bearing, d, &x, &z);
            EXPECT_NEAR(x - x0, c.east, 1.0) << c.bearing;
            EXPECT_NEAR(z + 5000, c.north, 1.0) << c.bearing;
        }
    // A distance of 0 is the station itself.
    std::int32_t x = 0, z = 0;
    nav::PointAtBearing(1234, -5678, 123.0, 0.0, &x, &z);
    EXPECT_EQ(x, 1234);
    EXPECT_EQ(z, -5678);
    // Far beyond the world: held to 32 bits, not undefined.
    nav::PointAtBearing(2000000000, 0, 90.0, 1e12, &x, &z);
    EXPECT_EQ(x, 2147483647);
}

TEST(PositionPlacement, TypedValuesAreHeldToTheirRanges) {
    struct Case {
        const char* text;
        int lo, hi, value;
    } cases[] = {{"90", 1, 360, 90},       {"", 1, 360, 1},        {"abc", 0, 130, 0},
                 {"-45", 1, 360, 1},       {"999999999999", 1, 30000, 30000},
                 {"0", 1, 360, 1},         {"360", 1, 360, 360},  {" 12nm", 0, 130, 12},
                 {"+7", 0, 28, 7},         {"29", 0, 28, 28}};
    for (const Case& c : cases)
        EXPECT_EQ(nav::ClampTypedValue(c.text, c.lo, c.hi), c.value) << '"' << c.text << '"';
    // Radial 180 plus 180 is 360, not 0.
    EXPECT_EQ(nav::WrapDegrees(180 + 180), 360);
    EXPECT_EQ(nav::WrapDegrees(270 + 180), 90);
    EXPECT_EQ(nav::WrapDegrees(0), 360);
    EXPECT_EQ(nav::WrapDegrees(-90), 270);
}

TEST(PositionPlacement, DirectoryFrequenciesBecomeRadioWords) {
    struct Nav {
        std::uint16_t bcd;
        int mhz, hundredths;
    } navs[] = {{0x1280, 12, 80}, {0x1730, 17, 30}, {0x0805, 8, 5}, {0x1390, 13, 90}};
    for (const Nav& n : navs) {
        const nav::NavRadioWords w = nav::NavWordsFromBcd(n.bcd);
        EXPECT_EQ(w.mhz, n.mhz) << std::hex << n.bcd;
        EXPECT_EQ(w.hundredths, n.hundredths) << std::hex << n.bcd;
    }
    const nav::NavRadioWords adf = nav::AdfWordsFromBcd(0x0374);
    EXPECT_EQ(adf.mhz, 3);
    EXPECT_EQ(adf.hundredths, 74);
    const nav::NavRadioWords table = nav::NavWordsFromHundredths(11730);
    EXPECT_EQ(table.mhz, 17);
    EXPECT_EQ(table.hundredths, 30);
    char text[16];
    EXPECT_EQ(nav::FormatMhz(10805, text), "108.05");
    EXPECT_EQ(nav::FormatMhz(11700, text), "117.00");
    EXPECT_EQ(nav::FormatMhz(11730, text), "117.30");
}

}  // namespace
