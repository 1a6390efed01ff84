// Published performance of the five aircraft types, against which the model is calibrated
// and checked: the cruise tables of the navigation log (true airspeed in knots and fuel flow
// by altitude and power), and handbook stall, climb, take-off and ceiling figures.
#pragma once

#include <optional>
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

// The manifold pressure (inches of mercury) a pilot sets for a cruise power: held from the
// ground up to the height where the throttle, wide open, gives no more; above it the throttle
// stands wide open and the gauge reads about the air's pressure there.
struct CruiseManifold {
    int powerPercent;
    double inches;
};

// What the engine gauges read at the cruise table's powers, where a public page gives it: the
// propeller speed and manifold pressure a pilot sets (the governed pistons; a setting is one per
// power, at every height of the table), and the most torque a turbine's gauge may show.
struct PublishedCruiseGauges {
    std::vector<CruiseRpm> rpm;
    std::vector<CruiseManifold> manifold;
    double torqueLimitFootPounds = 0;  // an engine; 0: none
};

const PublishedCruiseGauges& PublishedCruiseGaugesForType(int type);

// The air's pressure at a height in the U.S. Standard Atmosphere of 1976 (inches of mercury;
// below its tropopause at 36,089 ft).
[[nodiscard]] double StandardPressureInches(double feet);

// The dynamic pressure (inches of mercury) of air of a pressure (inches of mercury) and a
// temperature (kelvin) meeting an intake at a speed (metres a second).
[[nodiscard]] double RamInches(double pressureInches, double kelvin, double metresPerSecond);

// The dynamic pressure of a true airspeed (knots) in the standard air at a height (inches of
// mercury): what an intake facing the airflow recovers on top of the air's pressure.
[[nodiscard]] double StandardRamInches(double feet, double trueAirspeedKnots);

// The manifold pressure of a type's published setting for a cruise power at a height and true
// airspeed: the setting where the standard air and the ram of the airflow hold it, their sum
// above (the throttle wide open). Nothing where no public page gives the power's setting.
[[nodiscard]] std::optional<double> BookManifoldInches(int type, int powerPercent, double feet,
                                                       double trueAirspeedKnots);

}  // namespace flight
