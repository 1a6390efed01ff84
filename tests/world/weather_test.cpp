// The weather state: its setters' ranges, the "Weather" section read from good and bad files,
// saves that keep their values, the wind's ramp, the wind put into the flight model and the
// drift it gives an aircraft in flight.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "cockpit/panel_gauge.h"
#include "core/ini_file.h"
#include "core/numeric.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "planning/route_weather.h"
#include "support/temp_folder.h"
#include "world/terrain_services.h"
#include "world/weather_services.h"
#include "world/weather_state.h"

namespace {

using world::CloudLayer;
using world::WeatherState;
using world::WindLayer;

TEST(WindLayer, SettersKeepTheLayerInItsRanges) {
    struct Case {
        int value, direction, speed, character, duration, turbulence;
    };
    for (const Case c : {Case{0, 360, 0, 0, 0, 0}, Case{1, 1, 1, 1, 1, 1},
                         Case{361, 1, 100, 0, 0, 0}, Case{-10, 350, 0, 0, 0, 0},
                         Case{725, 5, 100, 0, 0, 0}, Case{2, 2, 2, 0, 2, 2},
                         Case{4, 4, 4, 0, 0, 4}, Case{INT_MIN, 232, 0, 0, 0, 0},
                         Case{INT_MAX, 127, 100, 0, 0, 0}}) {
        WindLayer w;
        w.SetDirection(c.value);
        w.SetSpeed(c.value);
        w.SetGustSpeed(c.value);
        w.SetCharacter(c.value);
        w.SetDuration(c.value);
        w.SetTurbulence(c.value);
        EXPECT_EQ(w.GetDirection(), c.direction) << c.value;
        EXPECT_EQ(w.GetSpeed(), c.speed) << c.value;
        EXPECT_EQ(w.GetGustSpeed(), c.speed) << c.value;
        EXPECT_EQ(w.GetCharacter(), c.character) << c.value;
        EXPECT_EQ(w.GetDuration(), c.duration) << c.value;
        EXPECT_EQ(w.GetTurbulence(), c.turbulence) << c.value;
    }
}

TEST(WindLayer, TextShowsAltitudeDirectionToTenDegreesAndSpeed) {
    WeatherState w;
    struct Case {
        int layer, direction, speed;
        const char* text;
    };
    for (const Case c : {Case{0, 273, 12, " 270 at 12"}, Case{6, 90, 0, "FL 210 Calm"},
                         Case{0, 2, 5, " 360 at 5"}, Case{3, 356, 40, "7500 360 at 40"},
                         Case{0, 360, 0, " Calm"}}) {
        WindLayer* l = w.GetWindLayer(c.layer);
        l->SetDirection(c.direction);
        l->SetSpeed(c.speed);
        EXPECT_EQ(l->FormatText(), c.text);
    }
}

TEST(CloudLayer, BaseAndThicknessStayInTheLayersRange) {
    WeatherState w;
    CloudLayer* low = w.GetCloudLayer(0);
    low->SetBase(50);
    EXPECT_EQ(low->GetBase(), 100);
    low->SetBase(6499);
    EXPECT_EQ(low->GetBase(), 6499);
    low->SetThickness(9000);
    EXPECT_EQ(low->GetThickness(), 6399);
    low->SetThickness(-3);
    EXPECT_EQ(low->GetThickness(), 0);
    low->SetCoverage(9);
    EXPECT_EQ(low->GetCoverage(), 0);
    low->SetCoverage(8);
    EXPECT_EQ(low->GetCoverage(), 8);
    // Out-of-range layers are not there.
    EXPECT_EQ(w.GetWindLayer(-1), nullptr);
    EXPECT_EQ(w.GetWindLayer(9), nullptr);
    EXPECT_EQ(w.GetCloudLayer(3), nullptr);
    EXPECT_NE(w.GetWindLayer(8), nullptr);
}

class WeatherFile : public ::testing::Test {
protected:
    void SetUp() override {
        savedTemp = world::theSeaLevelTemp;
        savedPressure = cockpit::theBarometricPressureWord;
    }
    void TearDown() override {
        world::theSeaLevelTemp = savedTemp;
        cockpit::theBarometricPressureWord = savedPressure;
    }
    testsupport::TempFolder dir{"zephlon-weather"};
    std::int16_t savedTemp = 0;
    std::int16_t savedPressure = 0;
};

TEST_F(WeatherFile, BadValuesLoadThroughTheSetters) {
    dir.Write("w.flt",
              "[Weather]\nsurfTemp=hot\nbaromPressure=9999\nswDir=0\nswSpd=-4\nwa2Duration=3\n"
              "wa5Spd=360\nwa3Dir=725\nwa4Character=7\nwa6Turb=12\ncla1CloudBase=50\n"
              "cla2CloudBase=20000\ncla1CloudHeight=9000\ncla3CloudCoverage=eight\n");
    core::IniFile file(dir.Path("w.flt").c_str());
    WeatherState w;
    ASSERT_EQ(w.LoadIni(file), 1);
    EXPECT_EQ(WeatherState::GetSurfaceTemperatureF(), 0);  // text reads as 0
    EXPECT_EQ(WeatherState::GetSurfaceBaroPressure(), 3199);
    EXPECT_EQ(w.GetSurfaceWindDirection(), 360);
    EXPECT_EQ(w.GetSurfaceWindSpeed(), 0);
    EXPECT_EQ(w.GetWindLayer(2)->GetDuration(), 0);
    EXPECT_EQ(w.GetWindLayer(5)->GetSpeed(), 100);
    EXPECT_EQ(w.GetWindLayer(3)->GetDirection(), 5);
    EXPECT_EQ(w.GetWindLayer(4)->GetCharacter(), 0);
    EXPECT_EQ(w.GetWindLayer(6)->GetTurbulence(), 0);
    EXPECT_EQ(w.GetWindLayer(7)->GetSpeed(), 0);  // missing
    EXPECT_EQ(w.GetWindLayer(7)->GetDirection(), 360);
    EXPECT_EQ(w.GetCloudLayer(0)->GetBase(), 100);
    EXPECT_EQ(w.GetCloudLayer(1)->GetBase(), 19999);
    EXPECT_EQ(w.GetCloudLayer(0)->GetThickness(), 6399);
    EXPECT_EQ(w.GetCloudLayer(2)->GetCoverage(), 0);
    EXPECT_EQ(w.GetCloudLayer(2)->GetThickness(), 1);  // missing height reads 1
    EXPECT_EQ(w.WindCountdown(), 0);                   // the next update retargets
}

TEST_F(WeatherFile, TenSaveAndLoadCyclesKeepEveryValue) {
    WeatherState w;
    WeatherState::SetSurfaceBaroPressure(2992);
    WeatherState::SetSurfaceTemperatureF(-10);
    EXPECT_EQ(cockpit::theBarometricPressureWord, 15729);
    EXPECT_EQ(world::theSeaLevelTemp, -5973);
    w.GetWindLayer(4)->SetDirection(275);
    w.GetCloudLayer(1)->SetCoverage(6);
    w.GetCloudLayer(1)->SetBase(8000);
    w.GetCloudLayer(1)->SetThickness(2500);
    std::string first;
    for (int cycle = 0; cycle < 10; ++cycle) {
        const std::string name = "c" + std::to_string(cycle) + ".flt";
        core::IniFile file(dir.Path(name).c_str());
        ASSERT_EQ(w.SaveIni(file), 1);
        if (cycle == 0) first = dir.Read(name);
        EXPECT_EQ(dir.Read(name), first) << cycle;
        WeatherState::SetSurfaceBaroPressure(2800);
        WeatherState::SetSurfaceTemperatureF(100);
        w = WeatherState{};
        w.LoadIni(file);
    }
    EXPECT_EQ(WeatherState::GetSurfaceBaroPressure(), 2992);
    EXPECT_EQ(WeatherState::GetSurfaceTemperatureF(), -10);
    EXPECT_EQ(w.GetCloudLayer(1)->GetTop(), 10500);
}

TEST(WeatherConversions, EveryPressureAndTemperatureReadsBackItself) {
    for (int p = 2400; p <= 3199; ++p)
        ASSERT_EQ(world::HundredthsFromPressureWord(world::PressureWordFromHundredths(p)), p) << p;
    EXPECT_EQ(world::HundredthsFromPressureWord(world::PressureWordFromHundredths(2399)), 2400);
    EXPECT_EQ(world::HundredthsFromPressureWord(world::PressureWordFromHundredths(40000)), 3199);
    for (int f = -150; f <= 250; ++f)
        ASSERT_EQ(world::FahrenheitFromTemperatureWord(world::TemperatureWordFromFahrenheit(f)),
                  f)
            << f;
    EXPECT_EQ(world::TemperatureWordFromFahrenheit(59), 3840);
    EXPECT_EQ(world::CelsiusFromTemperatureWord(world::TemperatureWordFromFahrenheit(5)), -15);
    // Far outside the word's range the temperature holds at its ends.
    EXPECT_EQ(world::TemperatureWordFromFahrenheit(INT_MAX), 32767);
}

TEST(WeatherWinds, RampReachesATargetNearTheSetWind) {
    core::srand(7);
    WeatherState w;
    WindLayer* steady = w.GetWindLayer(1);
    steady->SetSpeed(20);
    steady->SetDirection(100);
    WindLayer* gustless = w.GetWindLayer(2);
    gustless->SetSpeed(20);
    gustless->SetGustSpeed(20);
    gustless->SetCharacter(1);
    WindLayer* gusty = w.GetWindLayer(3);
    gusty->SetSpeed(20);
    gusty->SetGustSpeed(30);
    gusty->SetCharacter(1);
    int lowest = 99, highest = 0;
    for (int cycle = 0; cycle < 200; ++cycle) {
        w.UpdateWinds();  // the retarget
        EXPECT_EQ(steady->TargetSpeed(), 20.0f);
        EXPECT_EQ(gustless->TargetSpeed(), 20.0f);
        EXPECT_GE(steady->TargetDirection(), 95.0f);
        EXPECT_LE(steady->TargetDirection(), 104.0f);
        lowest = std::min(lowest, static_cast<int>(gusty->TargetSpeed()));
        highest = std::max(highest, static_cast<int>(gusty->TargetSpeed()));
        for (int i = 0; i < world::kWindSteps; ++i)
            w.UpdateWinds();
        EXPECT_NEAR(steady->CurrentSpeed(), 20.0f, 1e-3f);
        EXPECT_NEAR(gusty->CurrentSpeed(), gusty->TargetSpeed(), 1e-3f);
        EXPECT_NEAR(steady->CurrentDirection(), steady->TargetDirection(), 1e-3f);
    }
    EXPECT_EQ(lowest, 20);
    EXPECT_EQ(highest, 29);
}

// How far a direction lies outside the arc from `from` to `to` by the shorter way (0 inside).
float OutsideShorterArc(float d, float from, float to) {
    auto fold = [](float a) {
        a = std::fmod(a, 360.0f);
        return a < 0.0f ? a + 360.0f : a;
    };
    float span = fold(to - from), at = fold(d - from);
    if (span > 180.0f) {  // the shorter way runs the other way round
        span = 360.0f - span;
        at = fold(from - d);
    }
    return at <= span ? 0.0f : std::min(at - span, 360.0f - at);
}

TEST(WeatherWinds, ANewWindTurnsTheShorterWayAndACalmOneStartsFromItsDirection) {
    const struct {
        int from, fromKnots, to;
    } cases[] = {
        {350, 20, 10}, {10, 20, 350}, {20, 15, 300}, {300, 15, 20}, {90, 10, 260},
        {360, 0, 270},  // calm before: the new wind blows from the west from its first step
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to));
        core::srand(11);
        WeatherState w;
        WindLayer* layer = w.GetWindLayer(0);
        layer->SetDirection(c.from);
        layer->SetSpeed(c.fromKnots);
        for (int cycle = 0; cycle < 3; ++cycle)  // settled on the old wind
            for (int i = 0; i <= world::kWindSteps; ++i)
                w.UpdateWinds();
        layer->SetDirection(c.to);
        layer->SetSpeed(30);
        // The goal wanders 5 degrees round the set direction.
        const float from = c.fromKnots == 0 ? static_cast<float>(c.to) : layer->CurrentDirection();
        for (int step = 0; step <= 2 * world::kWindSteps + 1; ++step) {
            w.UpdateWinds();
            if (layer->CurrentSpeed() < 1.0f) continue;  // still calm: no direction yet
            // Until the next retarget the old wind may finish its own wander.
            EXPECT_LE(OutsideShorterArc(layer->CurrentDirection(), from, static_cast<float>(c.to)), 10.0f)
                << "step " << step << " at " << layer->CurrentDirection();
        }
        EXPECT_LE(OutsideShorterArc(layer->CurrentDirection(), static_cast<float>(c.to),
                                    static_cast<float>(c.to)), 5.0f);
    }
}

class WindAtAircraft : public ::testing::Test {
protected:
    void SetUp() override { flight::ProbeSelectAircraft(0); }
    void TearDown() override { flight::ProbeSelectAircraft(0); }
    // Ramps every layer's current wind to its set one.
    static void Settle(WeatherState& w) {
        for (int i = 0; i <= world::kWindSteps; ++i)
            w.UpdateWinds();
    }
};

TEST_F(WindAtAircraft, TheHigherLayerWinsWhereBandsTouchAndOutsideAllNothingChanges) {
    WeatherState w;
    w.GetWindLayer(0)->SetSpeed(10);
    w.GetWindLayer(1)->SetSpeed(30);
    core::srand(3);
    Settle(w);
    // 1500 ft above the ground and above the sea: layers 0 and 1 both hold it; 1 wins.
    flight::theFlightModelState.fmPosY = static_cast<std::int32_t>(1500 * 0.3048 * 256 + 40);
    world::theWindAtAircraftX = world::theWindAtAircraftZ = 0;
    w.ApplyWindAtAircraft();
    const double speed = std::hypot(world::theWindAtAircraftX, world::theWindAtAircraftZ);
    EXPECT_NEAR(speed, 30 * 131.78, 30.0);
    // 40000 ft lies above every band: the words stay as they were.
    flight::theFlightModelState.fmPosY = static_cast<std::int32_t>(40000 * 0.3048 * 256);
    world::theWindAtAircraftX = 123;
    world::theWindAtAircraftZ = -45;
    w.ApplyWindAtAircraft();
    EXPECT_EQ(world::theWindAtAircraftX, 123);
    EXPECT_EQ(world::theWindAtAircraftZ, -45);
}

TEST_F(WindAtAircraft, SurfaceWindBelow1500FtAboveEveryFieldLayersAloftAboveTheSea) {
    WeatherState w;
    for (int i = 0; i < world::kWindLayers; ++i) w.GetWindLayer(i)->SetSpeed(10 + 5 * i);
    core::srand(5);
    Settle(w);
    struct Case {
        double fieldFeet, aboveFeet;
        int layer;
    };
    // The coast, Denver (5,431 ft) and Leadville (9,927 ft); the surface layer's top and the
    // layers aloft by their heights above the sea (4,500-7,500 is layer 2, 7,500-10,500 layer 3).
    constexpr Case kCases[] = {
        {0, 20, 0},    {0, 1490, 0},    {0, 1510, 1},     {5431, 0, 0},   {5431, 800, 0},
        {5431, 1490, 0}, {5431, 1510, 2}, {5431, 2200, 3}, {9927, 10, 0},  {9927, 1400, 0},
        {9927, 1600, 4},
    };
    const std::int32_t datum = world::theTerrainDatum;
    for (const Case& c : kCases) {
        world::theTerrainDatum = static_cast<std::int32_t>(c.fieldFeet * 0.3048 * 256);
        flight::theFlightModelState.fmPosY = static_cast<std::int32_t>(c.aboveFeet * 0.3048 * 256);
        float knots = -1, from = -1;
        ASSERT_EQ(w.WindAtAircraft(&knots, &from), 1) << c.fieldFeet << " + " << c.aboveFeet;
        EXPECT_NEAR(knots, 10 + 5 * c.layer, 0.01) << c.fieldFeet << " + " << c.aboveFeet;
    }
    world::theTerrainDatum = datum;
}

// The drift over the ground, in knots, of an aircraft flying north for a minute at 3,000 ft,
// with the weather's wind put in before every flight step.
double EastDriftKnots(const WeatherState* weather) {
    flight::ProbeSelectAircraft(0, 5);
    flight::ProbePlaceInFlight(3000.0, 100.0, 0);
    flight::ProbeEngageAltitudeHold();
    const std::int32_t x0 = flight::theFlightModelState.fmPosX;
    constexpr double kSeconds = 60.0;
    const int steps = static_cast<int>(kSeconds / (1800.0 / 32768.0) + 0.5);
    for (int i = 0; i < steps; ++i) {
        if (weather != nullptr) weather->ApplyWindAtAircraft();
        flight::ProbeRunSeconds(1800.0 / 32768.0);
    }
    const double metres = (flight::theFlightModelState.fmPosX - x0) / 256.0;
    return metres / kSeconds / 0.514444;
}

TEST_F(WindAtAircraft, ACrosswindDriftsTheAircraftAtTheWindsSpeed) {
    const double calm = EastDriftKnots(nullptr);
    WeatherState w;
    WindLayer* layer = w.GetWindLayer(1);  // 1,500 to 4,500 ft
    layer->SetDirection(270);              // from the west
    layer->SetSpeed(20);
    core::srand(11);
    Settle(w);
    const double windy = EastDriftKnots(&w);
    EXPECT_NEAR(windy - calm, 20.0, 1.0);
    // And from the east the other way.
    layer->SetDirection(90);
    w.ResetWindTimer();
    Settle(w);
    EXPECT_NEAR(EastDriftKnots(&w) - calm, -20.0, 1.0);
}

TEST(RouteWeather, TheBriefingsThreeWeathersStartWithTheDefaultLayers) {
    for (const WeatherState* w : {&planning::theDepartureWeather, &planning::theEnrouteWeather,
                                  &planning::theDestinationWeather}) {
        EXPECT_EQ(w->GetWindLayer(1)->GetBottomAltitude(), 1500);
        EXPECT_EQ(w->GetWindLayer(8)->GetTopAltitude(), 36500);
        EXPECT_EQ(w->GetWindLayer(5)->GetMidAltitude(), 18000);
        EXPECT_EQ(w->GetCloudLayer(1)->GetBase(), 6500);
        EXPECT_EQ(w->GetCloudLayer(2)->GetBaseRangeHigh(), 44999);
    }
}

TEST(WeatherServices, TheFlightModelReadsTheLiveWeather) {
    WeatherState w;
    w.SetSurfaceWindCharacter(1);
    w.SetSurfaceWindSpeed(14);
    world::InstallWeatherServices(&w);
    EXPECT_EQ(world::theWeatherServices.surfaceWindCharacter(), 1);
    EXPECT_EQ(world::theWeatherServices.surfaceWindSpeed(), 14);
    EXPECT_EQ(world::theWeatherServices.windLayerBottomFeet(3), 7500.0);
    EXPECT_LT(world::theWeatherServices.windLayerBottomFeet(9), 0.0);
    world::InstallWeatherServices(nullptr);
    EXPECT_EQ(world::theWeatherServices.surfaceWindSpeed(), 0);
    EXPECT_LT(world::theWeatherServices.windLayerBottomFeet(3), 0.0);
}

}  // namespace
