// Level flight found by flying the model: for every type, at a cruise power or at an asked speed
// with flaps and gear, the trimmed aircraft flies on hands off for a minute, and at the speed
// asked for; saved and read back as a flight is loaded, it flies on as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "world/terrain_services.h"

namespace {

double AltitudeFeet() {
    return (flight::theFlightModelState.fmPosY + static_cast<double>(world::theTerrainDatum)) /
           256.0 / 0.3048;
}

// The largest departure from the starting height over a minute hands off.
double WorstDepartureFeet() {
    const double start = AltitudeFeet();
    double worst = 0;
    for (int i = 0; i < static_cast<int>(60.0 * 32768.0 / 1800.0); ++i) {
        flight::UpdateFlight();
        worst = std::max(worst, std::abs(AltitudeFeet() - start));
    }
    return worst;
}

flight::LevelFlightTrim Trim(int type, double feet, double knots, std::int16_t throttle, int flaps,
                             bool gearDown, std::int16_t mixture) {
    return flight::TrimForLevelFlight({.type = type,
                                       .altitudeFeet = feet,
                                       .indicatedKnots = knots,
                                       .throttle = throttle,
                                       .mixtureLever = mixture,
                                       .flaps = flaps,
                                       .gearDown = gearDown});
}

TEST(LevelFlightTrim, EveryTypeHoldsItsHeightHandsOff) {
    const struct {
        int type;
        double feet;
        double knots;          // 0: the throttle below
        std::int16_t throttle;
        int flaps;
        bool gearDown;
        std::int16_t mixture;
    } cases[] = {
        {0, 3000, 0, 22 * 1057, 0, true, 31},    // the lessons' cruise
        {0, 8000, 0, 30000, 0, true, 31},
        {0, 1500, 70, 0, 1, true, 31},           // slow, with flaps
        {1, 6000, 0, 24000, 0, false, 31},
        {1, 2000, 100, 0, 1, true, 31},
        {2, 8000, 0, 24000, 0, false, 31},
        {2, 2500, 125, 0, 1, true, 31},
        {3, 16000, 0, 26000, 0, false, 15},
        {3, 3000, 140, 0, 1, true, 15},
        {4, 25000, 0, 19400, 0, false, 31},  // 75 % power
        {4, 3000, 160, 0, 1, true, 31},
    };
    for (const auto& c : cases) {
        const flight::LevelFlightTrim trim =
            Trim(c.type, c.feet, c.knots, c.throttle, c.flaps, c.gearDown, c.mixture);
        const std::string what = "type " + std::to_string(c.type) + " at " +
                                 std::to_string(static_cast<int>(c.feet)) + " ft";
        EXPECT_TRUE(trim.trimmed) << what << ": " << trim.worstDeviationFeet << " ft";
        EXPECT_NEAR(AltitudeFeet(), c.feet, 1.0) << what;
        EXPECT_EQ(flight::theFlightModelState.fmAutopilotModes, 0) << what;
        EXPECT_EQ(flight::theFlightModelState.fmFlaps, c.flaps) << what;
        if (c.knots > 0) {
            EXPECT_NEAR(flight::IndicatedAirspeedKnots(), c.knots, 2.0) << what;
        }
        EXPECT_LE(WorstDepartureFeet(), flight::kTrimToleranceFeet) << what;
    }
}

// A flight in the air saved and loaded again (the record reset, the type's record loaded, the
// situation read and the levers set, as the program loads one) flies on as it was saved: the read
// leaves the thrust, the air data and the elevator's angle of attack to the first step, which must
// work them out before its forces. With a first step without lift and a second without thrust the
// King Air's cruise sank 70 ft in its first minute.
TEST(LevelFlightTrim, ATrimmedFlightSavedAndLoadedFliesOnAsItWas) {
    const struct {
        int type;
        double feet;
        std::int16_t throttle;
        std::int16_t mixture;
    } cases[] = {{0, 4000, 17 * 1057, 31},
                 {1, 6000, 24000, 31},
                 {2, 8000, 24000, 31},
                 {3, 12000, 23 * 1057, 15},
                 {4, 17000, 19400, 31}};
    const std::string path = std::string(ZEPHLON_BINARY_DIR) + "/level_flight_reload.Flt";
    for (const auto& c : cases) {
        ASSERT_TRUE(Trim(c.type, c.feet, 0, c.throttle, 0, c.type == 0, c.mixture).trimmed)
            << "type " << c.type;
        const double knots = flight::IndicatedAirspeedKnots();
        std::remove(path.c_str());
        {
            core::IniFile out(path.c_str());
            ASSERT_EQ(flight::WriteAircraftState(out), 1);
        }
        flight::theFlightModelState = flight::FlightModelState{};
        flight::LoadAircraftParameters(c.type);
        flight::InitFlightModelForAircraft();
        core::IniFile in(path.c_str());
        ASSERT_EQ(flight::ReadAircraftState(in), 1);
        // The second throttle is the cockpit's lever's, which the flight's panel sets alike.
        flight::theFlightModelState.fmThrotRight = flight::theFlightModelState.fmThrot;
        EXPECT_LE(WorstDepartureFeet(), 5.0) << "type " << c.type;
        EXPECT_NEAR(flight::IndicatedAirspeedKnots(), knots, 0.5) << "type " << c.type;
    }
    std::remove(path.c_str());
}

}  // namespace
