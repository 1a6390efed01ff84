// The engine gauges on the cruise table's rows, flown level at the table's fuel flow: what the
// panel shows against the settings public pages give (the propeller speed and manifold pressure
// of the governed pistons, the turbine's torque limit) and against the air's physics.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cockpit/gauge_values.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"

namespace {

using flight::theFlightModelState;

// The gauges read the current aircraft's type.
class AsType {
public:
    explicit AsType(int type) : saved_(flight::theAircraftServices) {
        current = type;
        flight::theAircraftServices.aircraftType = [] { return current; };
    }
    ~AsType() { flight::theAircraftServices = saved_; }
    AsType(const AsType&) = delete;
    AsType& operator=(const AsType&) = delete;

private:
    static inline int current = 0;
    flight::AircraftServices saved_;
};

// A manifold gauge is read to about half an inch; the propeller's speed to 100 rpm.
constexpr double kInchesRead = 0.75;
constexpr double kRpmRead = 100.0;

// Every cruise row of the Bonanza and the Baron whose power has a published setting: the
// tachometer reads its rpm and the manifold pressure gauge its inches, where the air no longer
// holds them the standard air's pressure and the ram of the row's speed (the throttle wide open).
TEST(CruiseGauges, PistonsReadTheirPublishedSettingsAtEveryHeight) {
    int rows = 0;
    for (int type : {1, 2}) {
        const AsType as(type);
        const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
        const flight::PublishedCruiseGauges& gauges = flight::PublishedCruiseGaugesForType(type);
        for (const flight::CruisePoint& p : pub.cruise) {
            const std::optional<double> inches =
                flight::BookManifoldInches(type, p.powerPercent, p.altitudeFeet,
                                           p.trueAirspeedKnots);
            if (!inches) continue;
            SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(p.altitudeFeet) +
                         " ft, " + std::to_string(p.powerPercent) + " %");
            flight::ProbeLevelFlight(type, p.altitudeFeet,
                                     flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow),
                                     p.trueAirspeedKnots, pub.testWeightKg);
            EXPECT_NEAR(cockpit::ManifoldPressure(0), *inches, kInchesRead);
            for (const flight::CruiseRpm& r : gauges.rpm) {
                if (r.powerPercent == p.powerPercent) {
                    EXPECT_NEAR(theFlightModelState.fmEngineSpeed[0], r.rpm, kRpmRead);
                }
            }
            ++rows;
        }
    }
    EXPECT_GE(rows, 19);  // at least the 75 % rows: the Bonanza's 11, the Baron's 8
}

// A wide-open throttle passes the ram of the airflow to the manifold: a G36 Bonanza read 24.7 in.
// at 6,500 ft and 175 knots (Pilot magazine, May/June 2010), the standard air's 23.5 in. and
// the ram's 1.2. The V35B at full throttle there flies about as fast, and its gauge shows the
// same.
TEST(CruiseGauges, WideOpenThrottleReadsTheRamOfTheAirflow) {
    const AsType as(1);
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(1);
    const double knots = flight::ProbeLevelSpeedAtThrottle(1, pub.testWeightKg, 6500, 32767, 170);
    ASSERT_NEAR(knots, 175.0, 10.0);
    EXPECT_NEAR(cockpit::ManifoldPressure(0), 24.7, kInchesRead) << knots << " kt";
    EXPECT_NEAR(cockpit::ManifoldPressure(0),
                flight::StandardPressureInches(6500) + flight::StandardRamInches(6500, knots),
                kInchesRead)
        << knots << " kt";
}

// The King Air on every cruise row: each engine's torque stays within the PT6A-42's 2,230
// ft-lb.
TEST(CruiseGauges, KingAirTorqueStaysWithinTheEngineLimit) {
    const AsType as(3);
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(3);
    const double limit = flight::PublishedCruiseGaugesForType(3).torqueLimitFootPounds;
    ASSERT_GT(limit, 0.0);
    for (const flight::CruisePoint& p : pub.cruise) {
        flight::ProbeLevelFlight(3, p.altitudeFeet,
                                 flight::ProbeTableFuelToKgPerHourPerEngine(3, p.fuelFlow),
                                 p.trueAirspeedKnots, pub.testWeightKg);
        for (int engine = 0; engine < 2; ++engine)
            EXPECT_LE(cockpit::TurbineTorque(3, engine) * 11.1496, limit)
                << p.altitudeFeet << " ft, " << p.powerPercent << " %, engine " << engine;
    }
}

// The standard atmosphere's pressure against its published table (inches of mercury: sea level
// 29.92, 5,000 ft 24.90, 10,000 ft 20.58, 20,000 ft 13.75, 30,000 ft 8.88) and the ram of a
// speed: at sea level 100 knots give 1,621 Pa, half of 1.225 kg/m3 times 51.44 m/s squared.
TEST(CruiseGauges, StandardAirMatchesItsTable) {
    struct Case {
        double feet;
        double inches;
    };
    for (const Case c : {Case{0, 29.92}, Case{5000, 24.90}, Case{10000, 20.58},
                         Case{20000, 13.75}, Case{30000, 8.88}})
        EXPECT_NEAR(flight::StandardPressureInches(c.feet), c.inches, 0.02) << c.feet << " ft";
    EXPECT_NEAR(flight::StandardRamInches(0, 100) * 3386.389, 1621.0, 5.0);
}

}  // namespace

// A stopped engine's manifold holds the air's pressure: its needle stands where the dial's
// printed scale (the running engine's) puts the standard air of its height, 29.9 in. at sea level
// and 23.5 at 6,500 ft, not at the sea level's figure at every height.
TEST(CruiseGauges, AStoppedEngineReadsTheAirsPressureAtItsHeight) {
    for (int type : {1, 2}) {
        for (double feet : {0.0, 2000.0, 6500.0, 10000.0, 14000.0}) {
            const double air = flight::StandardPressureInches(feet);
            const double value = cockpit::PowerValueFromManifold(air);
            SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(feet) + " ft");
            EXPECT_NEAR(cockpit::ManifoldFrame(type, false, value),
                        cockpit::ManifoldFrame(type, true, value), 1);
        }
    }
}
