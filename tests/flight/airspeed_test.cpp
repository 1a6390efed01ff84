// The indicated airspeed the air data leave for every reader, against the standard atmosphere
// computed here on its own: at sea level it is the true airspeed, aloft the true airspeed times
// the square root of the density ratio.
#include <gtest/gtest.h>

#include <cmath>

#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_probe.h"

namespace {

// The standard atmosphere's density ratio below the tropopause (ICAO).
double StandardDensityRatio(double feet) {
    return std::pow(1.0 - 6.8756e-6 * feet, 4.2559);
}

TEST(Airspeed, IndicatedIsTrueTimesTheRootOfTheDensityRatio) {
    const struct {
        int type;
        double feet;
        double trueKnots;
    } cases[] = {{0, 0, 60}, {0, 3000, 123}, {1, 6000, 170}, {2, 10000, 190},
                 {3, 20000, 287}, {4, 30000, 376}, {4, 0, 110}};
    for (const auto& c : cases) {
        flight::ProbeSelectAircraft(c.type);
        flight::ProbePlaceInFlight(c.feet, c.trueKnots);
        flight::UpdateAirData();
        const double expected = c.trueKnots * std::sqrt(StandardDensityRatio(c.feet));
        // The model's own atmosphere and its table every 2048 m stay within 0.4 % of it.
        EXPECT_NEAR(flight::IndicatedAirspeedKnots(), expected, 0.004 * expected)
            << "type " << c.type << " at " << c.feet << " ft, " << c.trueKnots << " kt true";
    }
}

TEST(Airspeed, WordConversionsAgree) {
    for (const double knots : {0.0, 0.5, 55.0, 123.25, 250.0, 400.0}) {
        const std::int32_t word = flight::AirspeedWordFromKnots(knots);
        EXPECT_DOUBLE_EQ(flight::AirspeedWordKnots(word), knots);
        EXPECT_EQ(flight::AirspeedWordWholeKnots(word), static_cast<int>(knots));
        EXPECT_EQ(flight::AirspeedWordKnots16(word), static_cast<std::int64_t>(knots * 65536));
    }
    EXPECT_EQ(flight::AirspeedWordFromKnots(1e9), 2147483647);
}

}  // namespace
