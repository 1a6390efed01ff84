// Published performance of the five aircraft types, against which the model is calibrated
// and checked: the cruise tables of the navigation log (true airspeed in knots and fuel flow
// by altitude and power), and handbook stall, climb, take-off and ceiling figures.
#pragma once

#include <vector>

namespace flight {

struct CruisePoint {
    int altitudeFeet;
    int powerPercent;
    double trueAirspeedKnots;
    double fuelFlow;  // US gal/h per engine for the pistons, lb/h for the whole turbine aircraft
};

// The propeller speed a handbook sets for a cruise power.
struct CruiseRpm {
    int powerPercent;
    double rpm;
};

struct PublishedPerformance {
    int type;
    std::vector<CruisePoint> cruise;
    bool fuelInGallons;
    bool fuelPerEngine;
    double testWeightKg;        // weight of the cruise, stall and climb figures
    double stallCleanKnots;     // calibrated airspeed, power off
    double stallFlapsKnots;     // full flaps
    double climbFeetPerMinute;  // best rate at sea level, maximum weight
    double ceilingFeet;         // service ceiling
    double rotationKnots;       // indicated airspeed at which the take-off rotation begins
    double bestClimbKnots;      // indicated airspeed of the best rate of climb near sea level
    // Take-off at the test weight from a sea-level runway on a standard day, flaps up: the ground
    // roll and the distance to 50 ft (0 where no figure is at hand).
    double groundRollFeet;
    double over50FeetFeet;
    // The governed propeller's speed at the cruise powers (empty for the fixed-pitch and turbine
    // types).
    std::vector<CruiseRpm> cruiseRpm;
    // True airspeed at full power, level (0 where no figure is at hand), at a height (feet;
    // kFastestHeight: the fastest over the cruise table's heights, where the source names none)
    // and a weight (0: the test weight).
    double topSpeedKnots = 0;
    double topSpeedFeet = 0;
    double topSpeedWeightKg = 0;
    // An upper bound on the ground roll where only a heavier sibling's figure is at hand (0 where
    // none is).
    double groundRollAtMostFeet = 0;
    // The sibling whose published top speed stands for the type's (nullptr: the type's own).
    const char* topSpeedSibling = nullptr;
    // A lower bound on the true airspeed at full power, level at a height (feet), where only a
    // heavier sibling's speed on less power is at hand (0 where none is); flown at the test weight.
    double topSpeedAtLeastKnots = 0;
    double topSpeedAtLeastFeet = 0;
};

inline constexpr double kFastestHeight = -1.0;

const PublishedPerformance& PublishedPerformanceForType(int type);

}  // namespace flight
