// The weather dialogs and a plan's route weather in the running program (the starter
// installation): what the user typed or flew into lands in the world's weather, which saved
// flights keep and the sky shows.
#include <gtest/gtest.h>

#include <string>

#include "planning_run.h"

namespace {

class WeatherRun : public planningtest::ScriptRun {
protected:
    WeatherRun() : ScriptRun("zephlon-weatherrun") {}
    std::int32_t Weather(const char* file, const char* key) { return Key(file, "Weather", key); }
    // The share of bytes that differ between two screenshots in their top 40 rows (the sky
    // above the horizon).
    double SkyChange(const char* a, const char* b) {
        const std::string x = dir.Read(a), y = dir.Read(b);
        if (x.size() != y.size() || x.size() < 54) return -1.0;
        auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(x[at])) |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(x[at + 1])) << 8 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>(x[at + 2])) << 16;
        };
        const std::size_t offset = u32(10), width = u32(18), bits = u32(28) & 0xFFFF;
        const std::size_t row = (width * bits / 8 + 3) & ~std::size_t{3};
        // Rows are stored bottom first: the top rows end the file.
        const std::size_t start = x.size() - 40 * row;
        if (start < offset) return -1.0;
        std::size_t differ = 0;
        for (std::size_t i = start; i < x.size(); ++i) differ += x[i] != y[i] ? 1 : 0;
        return static_cast<double>(differ) / static_cast<double>(x.size() - start);
    }
};

TEST_F(WeatherRun, SurfaceConditionsAreHeldToTheirRangesAndKept) {
    const testsupport::CommandResult r = Play("weather_surface.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("(48 \xB0" "C)"), std::string::npos) << r.out;
    for (const char* flight : {"surface.flt", "cancelled.flt"}) {
        SCOPED_TRACE(flight);
        EXPECT_EQ(Weather(flight, "baromPressure"), 2817);
        EXPECT_EQ(Weather(flight, "surfTemp"), 120);
        EXPECT_EQ(Weather(flight, "swDir"), 270);
        EXPECT_EQ(Weather(flight, "swSpd"), 25);
        EXPECT_EQ(Weather(flight, "swCharacter"), 1);
        EXPECT_EQ(Weather(flight, "swGustSpd"), 25);
    }
}

TEST_F(WeatherRun, CloudLayersTypedIntoTheDialogShowInTheSky) {
    const testsupport::CommandResult r = Play("weather_clouds.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Weather("clouds.flt", "cla1CloudBase"), 700);
    EXPECT_EQ(Weather("clouds.flt", "cla1CloudHeight"), 2500);
    EXPECT_EQ(Weather("clouds.flt", "cla1CloudCoverage"), 8);
    EXPECT_EQ(Weather("clouds.flt", "cla2CloudBase"), 6500);
    EXPECT_EQ(Weather("clouds.flt", "cla2CloudCoverage"), 4);
    // The overcast greys the whole sky above the horizon.
    EXPECT_GT(SkyChange("before.bmp", "after.bmp"), 0.9);
}

TEST_F(WeatherRun, WindsAloftSetOnTheChosenRows) {
    const testsupport::CommandResult r = Play("weather_aloft.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("4,500-7,500 | 250 |  40 | Gusting to: 55 Kts | Moderate | Continuous"), std::string::npos)
        << r.out;
    EXPECT_EQ(Weather("aloft.flt", "wa2Dir"), 250);
    EXPECT_EQ(Weather("aloft.flt", "wa2Spd"), 40);
    EXPECT_EQ(Weather("aloft.flt", "wa2GustSpd"), 55);
    EXPECT_EQ(Weather("aloft.flt", "wa2Turb"), 2);
    EXPECT_EQ(Weather("aloft.flt", "wa2Duration"), 2);
}

TEST_F(WeatherRun, APlanMovingIntoTheEnRouteAreaBringsItsWeather) {
    // The route runs east with its first two stations 6 and 2 nm behind the aircraft, wherever
    // on the field the wind puts it: with 1-nm radii the second lies in the en-route area.
    const std::int32_t dx[4] = {-3000000, -1000000, 5000000, 10000000};
    // Departure: light easterly, a few clouds; en route: a strong westerly under a deck from
    // 5,000 to 22,000 ft.
    WriteLinePlan("Wx.Pln", dx,
        "[Environ]\nenDepRad=1\nenDestRad=1\n"
        "enDpWsDir=16384\nenDpWsVel=4\nenDpC1Base=3000\nenDpC1Top=3500\nenDpC1Cover=2\n"
        "enErWsDir=49152\nenErWsVel=18\nenErWsTop=914\nenErW1Top=3000\nenErW1Dir=49152\nenErW1Vel=35\n"
        "enErW2Top=6000\nenErW2Dir=45000\nenErW2Vel=50\nenErW3Dir=45000\nenErW3Vel=60\n"
        "enErC1Base=5000\nenErC1Top=22000\nenErC1Cover=6\n");

    const testsupport::CommandResult r = Play("plan_weather.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("plan: weather en route"), std::string::npos) << r.out;
    EXPECT_EQ(Weather("enroute.flt", "swDir"), 270);
    EXPECT_EQ(Weather("enroute.flt", "swSpd"), 18);
    // Aloft: 35 kt from 270 in the band to 9,842 ft, then 50 kt.
    EXPECT_EQ(Weather("enroute.flt", "wa2Spd"), 35);
    EXPECT_EQ(Weather("enroute.flt", "wa2Dir"), 270);
    EXPECT_EQ(Weather("enroute.flt", "wa5Spd"), 50);
    EXPECT_EQ(Weather("enroute.flt", "wa8Spd"), 60);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(Weather("enroute.flt", ("cla" + std::to_string(i) + "CloudCoverage").c_str()), 5);
    EXPECT_EQ(Weather("enroute.flt", "cla1CloudBase"), 5000);
    EXPECT_EQ(Weather("enroute.flt", "cla3CloudHeight"), 2000);
    // The briefing names the plan's two ends and gives the en-route winds.
    EXPECT_NE(r.out.find("Surface Winds  270 at 18"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Winds Aloft (MSL): 1500 270 at 35 - 4500 270 at 35"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("KSQL: Temperature"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("KFAT: Temperature"), std::string::npos) << r.out;
}

}  // namespace
