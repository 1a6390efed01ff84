// The "Aircraft" section of a situation and the coefficient lookup.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"

namespace {

using flight::FlightModelState;
using flight::theFlightModelState;

std::string FreshSituation(const char* name) {
    const std::string path = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
    std::remove(path.c_str());
    return path;
}

// Random values within each field's range (flags and the contact state in theirs).
// A state a flight may hold: every value anywhere in what the world and the aircraft (the 172)
// allow, so that it comes back as it went.
void Randomise(FlightModelState& s, std::mt19937& rng) {
    auto in = [&](std::int32_t low, std::int32_t high) {
        return static_cast<std::int32_t>(low + static_cast<std::int64_t>(rng() % (static_cast<std::uint64_t>(high) - low + 1)));
    };
    auto u16 = [&] { return static_cast<std::uint16_t>(rng()); };
    auto i16 = [&] { return static_cast<std::int16_t>(in(-32767, 32767)); };
    auto flag = [&] { return static_cast<std::int8_t>(rng() & 1); };
    constexpr std::int32_t kSpeed = 200 << 16;
    const flight::AircraftParameters& ap = flight::theAircraftParameters;
    s.fmPosX = static_cast<std::int32_t>(rng());  // the world holds the position, not the aircraft
    s.fmPosY = in(0, 15240 * 256);
    s.fmPosZ = static_cast<std::int32_t>(rng());
    s.fmPitch = u16();
    s.fmBank = u16();
    s.fmHead = u16();
    s.fmHVel = in(-kSpeed, kSpeed);
    s.fmVVel = in(-kSpeed, kSpeed);
    s.fmSVel = in(-kSpeed, kSpeed);
    s.fmTAVel = in(0, kSpeed);
    s.fmYVel = i16();
    s.fmRVel = i16();
    s.fmDeltaX = in(-200 * 256, 200 * 256);
    s.fmDeltaY = in(-200 * 256, 200 * 256);
    s.fmDeltaZ = in(-200 * 256, 200 * 256);
    s.fmElvCur = i16();
    s.fmWndANG = static_cast<std::int16_t>(in(-16384, 16384));
    s.fmAllowWA = static_cast<std::int16_t>(in(-16384, 16384));
    s.fmCNAdj = static_cast<std::int16_t>(in(0, 32767));
    s.fmDeltaH = i16();
    s.fmOTG = flag();
    s.fmInvert = flag();
    s.fmEngines = static_cast<std::int8_t>(rng() & 3);
    s.fmOGV = static_cast<std::int8_t>(rng() % 4);
    s.fmSpoil = static_cast<std::int16_t>(in(0, 32767));
    s.fmElv = i16();
    s.fmAil = i16();
    s.fmRud = i16();
    s.fmThrot = static_cast<std::int16_t>(in(0, 32767));
    s.fmFlaps = static_cast<std::int8_t>(rng() % 4);
    s.fmGear = flag();
    s.fmAfter = flag();
    s.fmRBrake = static_cast<std::int8_t>(-flag());
    s.fmLBrake = static_cast<std::int8_t>(-flag());
    s.fmRThrust = flag();
    s.fmFuel1 = in(0, ap.apMaxFuel * 256);
    s.fmFuel2 = in(0, ap.apMaxFuel * 256);
    s.fmFuel3 = in(0, ap.apMaxFuel * 256);
    s.fmPLoad = in(0, ap.apMaxTakeoffWeight - ap.apEmptyWeight);
    s.fmAdjustedTach = static_cast<std::int16_t>(in(0, 32767));
    s.fmMultiEngineSynch = flag();
}

bool SameHead(const FlightModelState& a, const FlightModelState& b) {
    return a.fmPosX == b.fmPosX && a.fmPosY == b.fmPosY && a.fmPosZ == b.fmPosZ &&
           a.fmPitch == b.fmPitch && a.fmBank == b.fmBank && a.fmHead == b.fmHead &&
           a.fmHVel == b.fmHVel && a.fmVVel == b.fmVVel && a.fmSVel == b.fmSVel &&
           a.fmTAVel == b.fmTAVel && a.fmYVel == b.fmYVel && a.fmRVel == b.fmRVel &&
           a.fmDeltaX == b.fmDeltaX && a.fmDeltaY == b.fmDeltaY && a.fmDeltaZ == b.fmDeltaZ &&
           a.fmElvCur == b.fmElvCur && a.fmWndANG == b.fmWndANG && a.fmAllowWA == b.fmAllowWA &&
           a.fmCNAdj == b.fmCNAdj && a.fmDeltaH == b.fmDeltaH && a.fmOTG == b.fmOTG &&
           a.fmInvert == b.fmInvert && a.fmEngines == b.fmEngines && a.fmOGV == b.fmOGV &&
           a.fmSpoil == b.fmSpoil && a.fmElv == b.fmElv && a.fmAil == b.fmAil &&
           a.fmRud == b.fmRud && a.fmThrot == b.fmThrot && a.fmFlaps == b.fmFlaps &&
           a.fmGear == b.fmGear && a.fmAfter == b.fmAfter && a.fmRBrake == b.fmRBrake &&
           a.fmLBrake == b.fmLBrake && a.fmRThrust == b.fmRThrust && a.fmFuel1 == b.fmFuel1 &&
           a.fmFuel2 == b.fmFuel2 && a.fmFuel3 == b.fmFuel3 && a.fmPLoad == b.fmPLoad &&
           a.fmAdjustedTach == b.fmAdjustedTach && a.fmMultiEngineSynch == b.fmMultiEngineSynch;
}

TEST(FlightState, RandomStatesRoundTripThroughAFreshSituation) {
    flight::ProbeSelectAircraft(0);
    std::mt19937 rng(1234);
    const std::string path = FreshSituation("flight_state_roundtrip.Flt");
    // The settings functions rewrite the file for every key, so a few dozen states keep this
    // test quick; each is written to and read from a fresh file.
    for (int i = 0; i < 40; ++i) {
        std::remove(path.c_str());
        Randomise(theFlightModelState, rng);
        const FlightModelState saved = theFlightModelState;
        core::IniFile out(path.c_str());
        ASSERT_EQ(flight::WriteAircraftState(out), 1);
        theFlightModelState = FlightModelState{};
        theFlightModelState.fmMaxFlaps = 3;
        core::IniFile in(path.c_str());
        ASSERT_EQ(flight::ReadAircraftState(in), 1);
        ASSERT_TRUE(SameHead(saved, theFlightModelState)) << "state " << i;
    }
    std::remove(path.c_str());
}

TEST(FlightState, MissingSectionLoadsZerosWithSynchronisedEngines) {
    const std::string path = FreshSituation("flight_state_empty.Flt");
    theFlightModelState.fmPosX = 77;
    theFlightModelState.fmMultiEngineSynch = 0;
    theFlightModelState.fmNetThrust = 500;
    core::IniFile in(path.c_str());
    EXPECT_EQ(flight::ReadAircraftState(in), 1);
    EXPECT_EQ(theFlightModelState.fmPosX, 0);
    EXPECT_EQ(theFlightModelState.fmMultiEngineSynch, 1);
    EXPECT_EQ(theFlightModelState.fmNetThrust, 0);  // the tach's companion is cleared
}

TEST(FlightState, AnglesAreWrittenUnsignedAndNarrowFieldsSignExtended) {
    const std::string path = FreshSituation("flight_state_signs.Flt");
    theFlightModelState = FlightModelState{};
    theFlightModelState.fmHead = 65535;
    theFlightModelState.fmBank = static_cast<std::uint16_t>(-1);
    theFlightModelState.fmYVel = -1;
    theFlightModelState.fmRBrake = -1;
    {
        core::IniFile out(path.c_str());
        ASSERT_EQ(flight::WriteAircraftState(out), 1);
    }
    core::IniFile in(path.c_str());
    EXPECT_STREQ(in.GetString("Aircraft", "fmHead", ""), "65535");
    EXPECT_STREQ(in.GetString("Aircraft", "fmBank", ""), "65535");
    EXPECT_STREQ(in.GetString("Aircraft", "fmYVel", ""), "-1");
    EXPECT_STREQ(in.GetString("Aircraft", "fmRBrake", ""), "-1");
}

TEST(FlightState, HandEditedValuesAreKeptInRange) {
    const std::string path = FreshSituation("flight_state_clamp.Flt");
    {
        core::IniFile out(path.c_str());
        out.PutInt("Aircraft", "fmFlaps", 40);
        out.PutInt("Aircraft", "fmOGV", 9);
        out.PutInt("Aircraft", "fmOTG", 7);
        out.PutInt("Aircraft", "fmInvert", -3);
    }
    theFlightModelState = FlightModelState{};
    theFlightModelState.fmMaxFlaps = 3;
    core::IniFile in(path.c_str());
    flight::ReadAircraftState(in);
    EXPECT_EQ(theFlightModelState.fmFlaps, 3);
    EXPECT_EQ(theFlightModelState.fmOGV, 0);
    EXPECT_EQ(theFlightModelState.fmOTG, 1);
    EXPECT_EQ(theFlightModelState.fmInvert, 1);
}

TEST(FlightAero, RowSearchRoundsAwayFromZero) {
    const flight::AeroCoefficientRow* t = flight::AeroCoefficientTable(0);
    struct Case {
        double x;
        double rowAlpha;
    };
    const Case cases[] = {{0.0, 0.0},    {0.05, 0.1},    {-0.05, -0.1}, {-0.1, -0.1},
                          {19.95, 20.0}, {20.5, 21.0},   {-20.5, -21},  {89.5, 90.0},
                          {120.0, 90.0}, {-175.0, -90.0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(t[flight::FindAeroRow(t, c.x)].alpha, c.rowAlpha) << c.x;
    EXPECT_EQ(flight::FindAeroRow(t, 0.0), flight::kAeroZeroRow);
}

TEST(FlightAero, TablesKeepTheirTellingRows) {
    struct Case {
        int type;
        double alpha;
        double cl;
        double cd;
    };
    const Case cases[] = {{0, -90, 0.0, 1.28},      {0, -15, -1.1, 0.01865},
                          {0, 0, 0.25, 0.00601},    {0, 14.9, 1.59862, 0.02049},
                          {0, 18, 1.10871, 0.0281}, {0, 45, 0.45, 0.47899},
                          {4, -20, -0.8, 0.05707},  {4, 0, 0.35, 0.00299},
                          {4, 18, 1.6, 0.06761},    {4, 90, 0.0, 1.28}};
    for (const Case& c : cases) {
        const flight::AeroCoefficientRow* t = flight::AeroCoefficientTable(c.type);
        const flight::AeroCoefficientRow& r = t[flight::FindAeroRow(t, c.alpha)];
        EXPECT_NEAR(r.cl, c.cl, 1e-9) << c.type << " " << c.alpha;
        EXPECT_NEAR(r.cd, c.cd, 1e-9) << c.type << " " << c.alpha;
    }
    // The maximum lift of the common table is at 14.9 degrees.
    const flight::AeroCoefficientRow* t = flight::AeroCoefficientTable(0);
    for (int i = 0; i < flight::kAeroRows; ++i)
        EXPECT_LE(t[i].cl, 1.59862 + 1e-12);
}

TEST(FlightAero, JetReadsItsTableThreeAndAHalfDegreesLower) {
    flight::ProbeSelectAircraft(4);
    theFlightModelState.fmElvAlpha = static_cast<std::int16_t>(3.57 / 0.005493298176225006 + 0.5);
    theFlightModelState.fmPitch = 0;
    flight::LookupAeroCoefficients();
    EXPECT_NEAR(flight::theAeroLookup.cl, 0.35, 0.01);
    // Type 5 flies with the common table, unshifted.
    flight::ProbeSelectAircraft(5);
    theFlightModelState.fmElvAlpha = static_cast<std::int16_t>(3.57 / 0.005493298176225006 + 0.5);
    flight::LookupAeroCoefficients();
    EXPECT_NEAR(flight::theAeroLookup.cl, 0.25 + 0.102 * 3.57, 0.02);
}

TEST(FlightAero, AngleOfAttackPastHalfATurnWraps) {
    flight::ProbeSelectAircraft(0);
    theFlightModelState.fmElvAlpha = 30000;
    theFlightModelState.fmWndANG = 30000;
    theFlightModelState.fmPitch = 0;
    flight::LookupAeroCoefficients();
    EXPECT_EQ(flight::theAeroLookup.alphaWord, static_cast<std::int16_t>(60000 & 0xFFFF));
    EXPECT_GE(flight::theAeroLookup.alphaDegrees, -180.0);
    EXPECT_LE(flight::theAeroLookup.alphaDegrees, 180.0);
}

}  // namespace
