// The altitude hold, the outside-air temperature and the angle-of-attack readout as a pilot meets
// them in the starter installation's in-air flights (loaded ready to fly, engines running). The
// heights are the aircraft's positions in the trace; the temperatures are checked against the
// standard atmosphere computed here; the readout against the speeds flown, from the positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

// Every value of a field in the runner's reports, in order.
std::vector<double> Values(const std::string& out, const std::string& key) {
    std::vector<double> v;
    const std::string wanted = " " + key + "=";
    for (std::size_t at = out.find(wanted); at != std::string::npos; at = out.find(wanted, at + 1))
        v.push_back(std::atof(out.c_str() + at + wanted.size()));
    return v;
}

// The flight loaded again ready to fly (engines running) after the start.
const char* const kReady = "frame-interval 250\nwait 1000\nmenu 687\nwait 2000\n";

std::string Repeat(int times, const std::string& line) {
    std::string s;
    for (int i = 0; i < times; ++i) s += line;
    return s;
}


struct HoldCase {
    const char* flight;
    const char* name;
};

class AltitudeHold : public ::testing::TestWithParam<HoldCase> {};

// Engaged in straight and level flight the hold keeps the height within 20 ft for 90 s; then one
// press of the aileron key rolls the aircraft to about 30 degrees of bank, a second press stops
// the roll, and through a minute of that turn the hold keeps the height within 50 ft.
TEST_P(AltitudeHold, KeepsTheHeightStraightAndInAThirtyDegreeTurn) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-hold", GetParam().flight);
    const std::string line = "wait 3000\nreport alt_ft cam_bank mag_heading\n";
    const auto r = run.Play(std::string(kReady) + "key Shift+C press\nkey Shift+Z press\n" +
                            "report alt_ft\n" + Repeat(30, line) +
                            "key Left press\nwait 25000\nkey Right press\n" + Repeat(20, line) +
                            "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<double> feet = Values(r.out, "alt_ft");
    const std::vector<double> bank = Values(r.out, "cam_bank");
    const std::vector<double> heading = Values(r.out, "mag_heading");
    ASSERT_EQ(feet.size(), 51u) << r.out;
    ASSERT_EQ(bank.size(), 50u);
    const double held = feet[0];
    for (std::size_t i = 1; i <= 30; ++i)
        EXPECT_NEAR(feet[i], held, 20.0) << "straight, " << 3 * i << " s after engaging";
    double turned = 0;
    for (std::size_t i = 31; i < feet.size(); ++i) {
        EXPECT_GE(std::fabs(bank[i - 1]), 22.0) << "the turn's bank";
        EXPECT_LE(std::fabs(bank[i - 1]), 35.0) << "the turn's bank";
        EXPECT_NEAR(feet[i], held, 50.0) << "turning, report " << i;
        double d = heading[i - 1] - heading[i - 2];
        d -= 360.0 * std::round(d / 360.0);
        turned += std::fabs(d);
    }
    EXPECT_GT(turned, 180.0) << "the aircraft did not turn";
}

const HoldCase kHoldCases[] = {{"C172Air.Flt", "Skyhawk"}, {"JetAir.Flt", "CitationJet"}};

INSTANTIATE_TEST_SUITE_P(InAirFlights, AltitudeHold, ::testing::ValuesIn(kHoldCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The standard atmosphere's temperature (degrees Fahrenheit) at a pressure height in feet: 15
// degrees Celsius at sea level, falling 6.5 degrees a kilometre.
double StandardFahrenheit(double feet) {
    const double celsius = 15.0 - 0.0065 * feet * 0.3048;
    return celsius * 1.8 + 32.0;
}

// The CitationJet's outside-air readout shows the air's temperature where the aircraft is: parked
// on the field and at 17,000 ft.
TEST(OutsideAirTemperature, FallsWithHeightAsTheStandardAtmosphere) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const char* flight : {"JetFly.Flt", "JetAir.Flt"}) {
        StarterRun run("zephlon-oat", flight);
        const auto r = run.Play(std::string(kReady) + "wait 3000\nreport alt_ft gauge_oat\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const std::vector<double> feet = Values(r.out, "alt_ft");
        const std::vector<double> shown = Values(r.out, "gauge_oat");
        ASSERT_EQ(feet.size(), 1u) << r.out;
        ASSERT_EQ(shown.size(), 1u) << r.out;
        EXPECT_NEAR(shown[0], StandardFahrenheit(feet[0]), 1.0) << flight << " at " << feet[0] << " ft";
    }
}

// The CitationJet's angle-of-attack readout (hundredths) shows how near the wing is to the stall:
// low parked and in cruise, rising as the aircraft slows on the altitude hold with the throttles
// closed, near 1.0 at the stall and, in level flight, the inverse square of the speed over the
// stall speed (about 0.6 at 1.3 times the stall speed: 1 / 1.3^2 = 0.59).
TEST(AngleOfAttackReadout, RisesTowardsOneAsTheWingNearsTheStall) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    {
        StarterRun run("zephlon-aoa", "JetFly.Flt");
        const auto r = run.Play(std::string(kReady) + "wait 3000\nreport gauge_aoa\nquit\n");
        const std::vector<double> shown = Values(r.out, "gauge_aoa");
        ASSERT_EQ(shown.size(), 1u) << r.out;
        EXPECT_LE(shown[0], 35) << "parked";
    }
    StarterRun run("zephlon-aoa", "JetAir.Flt");
    const auto r = run.Play(std::string(kReady) + "key Shift+C press\nkey Shift+Z press\n" +
                            Repeat(31, "key - press\n") +
                            Repeat(320, "wait 1000\nreport gauge_aoa alt_ft ac_x ac_y ac_z\n") +
                            "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<double> shown = Values(r.out, "gauge_aoa"), feet = Values(r.out, "alt_ft");
    const std::vector<double> x = Values(r.out, "ac_x"), y = Values(r.out, "ac_y"),
                              z = Values(r.out, "ac_z");
    ASSERT_EQ(shown.size(), 320u) << r.out;
    EXPECT_LE(shown[0], 35) << "in cruise";
    // The speed (scene units a second) over the four seconds about each report (positions move
    // in whole flight steps, a twentieth of a second); the stall is where the height first falls
    // 50 ft below the held height.
    std::vector<double> speed(shown.size(), 0.0);
    std::size_t stall = 0;
    for (std::size_t i = 2; i + 2 < shown.size(); ++i) {
        speed[i] = std::hypot(x[i + 2] - x[i - 2], y[i + 2] - y[i - 2], z[i + 2] - z[i - 2]) / 4;
        if (stall == 0 && feet[i] < feet[0] - 50) stall = i;
    }
    ASSERT_GT(stall, 10u) << "the aircraft did not slow to the stall on the hold";
    const auto end = shown.begin() + static_cast<long>(stall);
    EXPECT_GE(*std::max_element(shown.begin() + 1, end + 3), 90) << "near the stall";
    // Before the stall the readout never falls as the speed falls, and while the height is held
    // it shows the lift share: each reading with its speed gives the same stall speed,
    // speed x sqrt(reading).
    std::vector<double> stallSpeeds;
    for (std::size_t i = 3; i < stall; ++i) {
        EXPECT_GE(shown[i], shown[i - 1] - 3) << "report " << i;
        if (std::fabs(feet[i] - feet[0]) < 10 && shown[i] >= 30 && shown[i] <= 85)
            stallSpeeds.push_back(speed[i] * std::sqrt(shown[i] / 100.0));
    }
    ASSERT_GE(stallSpeeds.size(), 10u);
    std::sort(stallSpeeds.begin(), stallSpeeds.end());
    const double median = stallSpeeds[stallSpeeds.size() / 2];
    for (double v : stallSpeeds) EXPECT_NEAR(v, median, 0.06 * median);
}

}  // namespace
