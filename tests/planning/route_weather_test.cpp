// Route weather: a station's winds and clouds put into a weather state, the seeded draw of a new
// plan's weather, the briefing lines of the planning page and the briefing dialog, and the
// ranges and row texts of the weather dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/numeric.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"
#include "planning/weather_briefing.h"
#include "planning/weather_dialogs.h"

namespace {

using planning::RouteWeatherStation;

RouteWeatherStation Deck(int base, int top, int cover) {
    RouteWeatherStation s;
    s.C1Base = base;
    s.C1Top = top;
    s.C1Cover = cover;
    return s;
}

TEST(StationClouds, OneDeckBecomesTheLayersItSpans) {
    struct Layer {
        int base, thickness, cover;
    };
    const struct {
        RouteWeatherStation station;
        Layer want[3];
    } cases[] = {
        // Above 20,000 ft a deck is at most 5/8.
        {Deck(5000, 22000, 6), {{5000, 1499, 5}, {6500, 13499, 5}, {20000, 2000, 5}}},
        {Deck(2000, 3000, 3), {{2000, 1000, 3}, {6500, 0, 0}, {20000, 0, 0}}},
        {Deck(8000, 9000, 12), {{100, 0, 0}, {8000, 1000, 8}, {20000, 0, 0}}},
        {Deck(5000, 22000, 0), {{5000, 1499, 0}, {6500, 13499, 0}, {20000, 2000, 0}}},
        // A negative base compares above every band.
        {Deck(-5, 3000, 4), {{100, 0, 0}, {6500, 0, 0}, {20000, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.station.C1Base << ".." << c.station.C1Top);
        world::WeatherState w;
        planning::ApplyStationClouds(c.station, w);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(w.GetCloudLayer(i)->GetBase(), c.want[i].base) << i;
            EXPECT_EQ(w.GetCloudLayer(i)->GetThickness(), c.want[i].thickness) << i;
            EXPECT_EQ(w.GetCloudLayer(i)->GetCoverage(), c.want[i].cover) << i;
        }
    }
}

RouteWeatherStation Winds(int baseMetres) {
    RouteWeatherStation s;
    s.WsBase = baseMetres;
    s.WsTop = baseMetres + 914;
    s.W1Top = baseMetres + 2500;
    s.W2Top = baseMetres + 5000;
    s.WsDir = 0x4000;  // 90 degrees
    s.WsVel = 5;
    s.W1Dir = 0x8000, s.W1Vel = 20;
    s.W2Dir = 0xC000, s.W2Vel = 30;
    s.W3Dir = 0x2000, s.W3Vel = 45;
    return s;
}

TEST(StationWinds, LayersTakeTheBandOfTheirMiddleAndLowOnesAboveTheFieldAreCalm) {
    world::WeatherState w;
    planning::ApplyStationWinds(Winds(0), w);
    EXPECT_EQ(w.GetSurfaceWindDirection(), 90);
    EXPECT_EQ(w.GetSurfaceWindSpeed(), 5);
    // From sea level no layer is calm; each takes the band its middle lies in.
    for (int k = 1; k < 9; ++k) {
        SCOPED_TRACE(k);
        const world::WindLayer& layer = *w.GetWindLayer(k);
        const int mid = layer.GetMidAltitude();
        const int want = mid < planning::MetresToFeet(914) ? 5
                         : mid < planning::MetresToFeet(2500) ? 20
                         : mid < planning::MetresToFeet(5000) ? 30
                                                              : 45;
        EXPECT_EQ(layer.GetSpeed(), want);
        EXPECT_EQ(layer.GetGustSpeed(), want);
        EXPECT_NE(layer.GetSpeed(), 0);
    }
    // A field at 2,000 m: the layers starting below 6,661 ft are calm.
    world::WeatherState high;
    planning::ApplyStationWinds(Winds(2000), high);
    for (int k = 1; k < 9; ++k) {
        const world::WindLayer& layer = *high.GetWindLayer(k);
        const bool below = layer.GetBottomAltitude() < planning::MetresToFeet(2000) + 100;
        EXPECT_EQ(layer.GetSpeed() == 0, below) << k;
    }
    EXPECT_EQ(high.GetWindLayer(8)->GetDirection(), 45);  // 0x2000 is 45 degrees
}

planning::RouteWeatherRequest Route(double miles, int elevation) {
    planning::RouteWeatherRequest q;
    q.requestedAltitude = 5000;
    q.maxNodeElevation = 1230;
    q.departureElevation = elevation;
    q.destinationElevation = elevation;
    q.destinationX = static_cast<std::int32_t>(miles / planning::kNauticalMilesPerUnit);
    return q;
}

bool SameWeather(const RouteWeatherStation& a, const RouteWeatherStation& b) {
    return a.P == b.P && a.T == b.T && a.C1Top == b.C1Top && a.C1Base == b.C1Base && a.C1Cover == b.C1Cover;
}

TEST(RouteWeatherDraw, AShortRouteHasOneWeatherAndOneSeedOneDraw) {
    for (int ifr : {0, 1}) {
        core::srand(1234);
        planning::RouteWeatherRequest q = Route(80.0, 400);
        q.ifr = ifr;
        const planning::RouteWeatherDraw a = planning::GenerateRouteWeather(q);
        EXPECT_TRUE(SameWeather(a.environment.departure, a.environment.enRoute)) << ifr;
        EXPECT_TRUE(SameWeather(a.environment.enRoute, a.environment.destination)) << ifr;
        EXPECT_NE(a.environment.departure.WsDir, a.environment.destination.WsDir) << ifr;
        core::srand(1234);
        const planning::RouteWeatherDraw b = planning::GenerateRouteWeather(q);
        EXPECT_EQ(a.environment.destination.W3Dir, b.environment.destination.W3Dir);
        EXPECT_EQ(a.environment.hour, b.environment.hour);
        EXPECT_TRUE(SameWeather(a.environment.destination, b.environment.destination));
    }
}

TEST(RouteWeatherDraw, ValuesStayInTheirRangesOverManySeeds) {
    for (std::uint32_t seed = 1; seed < 400; ++seed) {
        core::srand(seed);
        planning::RouteWeatherRequest q = Route(seed % 2 == 0 ? 250.0 : 60.0, 2500);
        q.ifr = static_cast<int>(seed % 3 == 0);
        q.requestedAltitude = 500;  // 1,730 ft: the lowest decks, lifted above the fields
        q.maxNodeElevation = 1230;
        q.destinationElevation = 300;
        const planning::RouteWeatherDraw d = planning::GenerateRouteWeather(q);
        const planning::RouteEnvironment& e = d.environment;
        SCOPED_TRACE(seed);
        ASSERT_GE(e.hour, 8);
        ASSERT_LE(e.hour, 19);
        ASSERT_GE(e.month, 6);
        ASSERT_LE(e.month, 8);
        for (const RouteWeatherStation* s : {&e.departure, &e.enRoute, &e.destination}) {
            ASSERT_GE(s->T, 10 * 256);
            ASSERT_LE(s->T, 20 * 256);
            ASSERT_GE(s->W1Dir, 183);
            ASSERT_EQ(s->W3Top, 13716);
            ASSERT_EQ(s->C2Cover, 0);
        }
        // Visual decks keep 1,100 ft above the departure field.
        if (q.ifr == 0) ASSERT_GE(e.departure.C1Base, 2500 + 1100);
        else ASSERT_LE(e.enRoute.C1Cover, 8);
    }
}

TEST(RouteWeatherDraw, OnlyVisualSurfaceWindsAreSometimesCalm) {
    int calm[2] = {0, 0};
    for (std::uint32_t seed = 1; seed <= 500; ++seed)
        for (int ifr : {0, 1}) {
            core::srand(seed);
            planning::RouteWeatherRequest q = Route(150.0, 0);
            q.ifr = ifr;
            const planning::RouteEnvironment e = planning::GenerateRouteWeather(q).environment;
            for (const RouteWeatherStation* s : {&e.departure, &e.enRoute, &e.destination})
                calm[ifr] += s->WsVel == 0 ? 1 : 0;
        }
    EXPECT_EQ(calm[1], 0);
    EXPECT_GT(calm[0], 1500 / 10);  // about one in five of 1,500 stations
    EXPECT_LT(calm[0], 1500 * 3 / 10);
}

TEST(RouteWeatherDraw, CruiseAltitudesRoundAndCap) {
    const struct {
        int aircraft, altitude, want;
    } cases[] = {
        {1, 6230, 6500}, {1, 6220, 6000}, {1, 6600, 6500}, {1, 6800, 7000}, {1, 6751, 7000},
        {4, 18400, 18000}, {4, 18600, 19000}, {0, 20000, 12000}, {2, 16499, 16000}, {5, 50000, 50000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(planning::RoundCruiseAltitude(planning::CapCruiseAltitude(c.aircraft, c.altitude)), c.want)
            << c.altitude;
    // 6,230 ft asked rounds to 6,500, and the route runs east: the odd thousands' 7,500 (as near
    // as 5,500, and the higher).
    core::srand(7);
    EXPECT_EQ(planning::GenerateRouteWeather(Route(150.0, 0)).cruiseAltitude, 7500);
}

// A plan cruises at an altitude of the hemispheric rule for its magnetic course: eastbound odd
// thousands, westbound even, visual flights 500 ft above them below 18,000 ft; the nearest to
// what was asked (the higher of two as near), never above the aircraft's ceiling.
TEST(RouteWeatherDraw, CruiseAltitudesKeepTheHemisphericRule) {
    const struct {
        int altitude, course;
        bool visual;
        int ceiling, want;
    } cases[] = {
        {5000, 270, true, 12000, 4500},  {5000, 90, true, 12000, 5500},  {6000, 0, true, 12000, 5500},
        {6000, 179, true, 12000, 5500},  {6000, 180, true, 12000, 6500}, {6000, 359, true, 12000, 6500},
        {1000, 270, true, 12000, 2500},  {12000, 300, true, 12000, 10500}, {12000, 30, true, 12000, 11500},
        {7000, 270, false, 16000, 8000}, {7000, 90, false, 16000, 7000}, {20000, 90, false, 35000, 21000},
        {19000, 200, true, 35000, 20000}, {35000, 250, false, 35000, 34000}, {4000, -90, true, 12000, 4500},
    };
    for (const auto& c : cases)
        EXPECT_EQ(planning::HemisphericCruiseAltitude(c.altitude, c.course, c.visual, c.ceiling), c.want)
            << c.altitude << " on " << c.course;
}

TEST(RouteWeatherDraw, HighCruiseAltitudesDrawWithoutFault) {
    for (int h : {44500, 45000, 52000}) {
        for (std::uint32_t seed = 1; seed < 60; ++seed) {
            core::srand(seed);
            planning::RouteWeatherRequest q = Route(300.0, 0);
            q.aircraft = 5;
            q.ifr = static_cast<int>(seed & 1);
            q.requestedAltitude = h;
            q.maxNodeElevation = 0;
            const planning::RouteWeatherDraw d = planning::GenerateRouteWeather(q);
            EXPECT_GT(d.environment.departure.C1Base, 0) << h;
        }
    }
}

TEST(RouteWeatherDraw, BearingsFromTheWorldAxes) {
    const struct {
        int dx, dz, want;
    // Half a degree is added before truncating, so negative angles lose up to a degree.
    } cases[] = {{0, 0, 360}, {100, 0, 90}, {0, 100, 0}, {-100, 0, 270}, {0, -100, 179}, {100, -100, 134}};
    for (const auto& c : cases) EXPECT_EQ(planning::RouteBearing(0, 0, c.dx, c.dz), c.want) << c.dx << "," << c.dz;
}

TEST(Briefing, EachBriefingKeepsItsCoverWordsAndLineLayout) {
    world::WeatherState w;
    planning::StationBriefing b;
    b.title = "KSQL";
    b.temperatureC = 15;
    b.altimeter = 29.92;
    b.cloudBase = 4500;
    const struct {
        int cover;
        const char* planning;
        const char* dialog;
    } cases[] = {
        {0, "Clear", "Clear"},         {2, "Scattered", "Scattered"}, {3, "Broken", "Scattered"},
        {7, "Overcast", "Broken"},     {8, "Overcast", "Overcast"},   {-1, "Scattered", "Scattered"},
    };
    for (const auto& c : cases) {
        b.cover = c.cover;
        const auto page = planning::BriefingLines(b, w, planning::BriefingStyle::kPlanning);
        const auto dialog = planning::BriefingLines(b, w, planning::BriefingStyle::kDialog);
        EXPECT_NE(page[1].find(c.planning), std::string::npos) << c.cover << page[1];
        EXPECT_NE(dialog[1].find(c.dialog), std::string::npos) << c.cover << dialog[1];
    }
    b.cover = 4;
    b.lowestAloft = 100;
    const auto page = planning::BriefingLines(b, w, planning::BriefingStyle::kPlanning);
    EXPECT_EQ(page[0], "KSQL: Temperature 15C");
    EXPECT_EQ(page[1].substr(0, 43), "Altimeter 29.92  -  Ceiling 4500 Broken  - ");
    // Eight aloft layers: two on the first line with its title, then three, then three.
    ASSERT_EQ(page.size(), 5u);
    EXPECT_EQ(page[2].rfind("Winds Aloft (MSL): ", 0), 0u);
    EXPECT_EQ(page[4].back(), 'm');  // "... Calm", no dash after the last layer
    // Layers apart by a spaced dash, never one a reader takes for a minus ("at 7 -4500").
    for (std::size_t i = 2; i < page.size(); ++i)
        for (std::size_t at = page[i].find('-'); at != std::string::npos; at = page[i].find('-', at + 1))
            EXPECT_TRUE(at + 1 < page[i].size() && page[i][at + 1] == ' ') << page[i];
    const auto dialog = planning::BriefingLines(b, w, planning::BriefingStyle::kDialog);
    ASSERT_EQ(dialog.size(), 5u);
    EXPECT_EQ(dialog[3].rfind("   ", 0), 0u);
    EXPECT_NE(dialog[2].find(" - "), std::string::npos);
    b.title.clear();
    EXPECT_EQ(planning::BriefingLines(b, w, planning::BriefingStyle::kPlanning)[0], "Enroute Temperature 15C");
    EXPECT_EQ(planning::BriefingLines(b, w, planning::BriefingStyle::kDialog)[0], "Temperature 15C");
    // Layers under the field are left out.
    b.lowestAloft = 20000;
    EXPECT_EQ(planning::BriefingLines(b, w, planning::BriefingStyle::kDialog).size(), 3u);
}

TEST(WeatherDialogs, TypedValuesAreHeldToTheirRanges) {
    EXPECT_EQ(planning::ClampInches(27), 28);
    EXPECT_EQ(planning::ClampInches(32), 31);
    EXPECT_EQ(planning::ClampHundredths(-3), 0);
    EXPECT_EQ(planning::ClampTemperatureF(212), 120);
    EXPECT_EQ(planning::CelsiusBeside(120), 48);
    EXPECT_EQ(planning::CelsiusBeside(-50), -45);
    EXPECT_EQ(planning::ClampWindDirection(0), 1);
    EXPECT_EQ(planning::ClampGust(10, 25), 25);
    EXPECT_EQ(planning::ClampGust(500, 25), 120);
    const struct {
        int layer, base, thickness, wantBase, wantThickness;
    } clouds[] = {
        {0, 6000, 2000, 6000, 499}, {0, 50, 9000, 100, 6399}, {1, 3000, 100, 6500, 100},
        {2, 50000, 10, 44999, 0},   {1, 19000, -5, 19000, 0},
    };
    for (const auto& c : clouds) {
        EXPECT_EQ(planning::ClampCloudBase(c.layer, c.base), c.wantBase);
        EXPECT_EQ(planning::ClampCloudThickness(c.layer, c.base, c.thickness), c.wantThickness);
    }
}

TEST(WeatherDialogs, WindsAloftRowsUseTheirEightLayouts) {
    planning::WindsAloftRows rows{};
    const struct {
        planning::WindsAloftRow row;
        const char* want;
    } cases[] = {
        {{270, 25, 0, 0, 2, 1}, "0-1,500\t270\t 25\tSteady\tModerate\tIntermittent"},
        {{270, 25, 1, 35, 2, 1}, "0-1,500\t270\t 25\tGusting to: 35 Kts\tModerate\tIntermittent"},
        {{90, 0, 0, 0, 1, 0}, "0-1,500\t090\tcalm\tSteady\tLight\tOccasional"},
        {{90, 0, 1, 12, 4, 2}, "0-1,500\t090\tcalm\tGusting to: 12 Kts\tExtreme\tContinuous"},
        {{5, 8, 0, 0, 0, 2}, "0-1,500\t005\t  8\tSteady\tNone\t"},
        {{5, 8, 1, 15, 0, 2}, "0-1,500\t005\t  8\tGusting to:  15 Kts\tNone\t"},
        {{360, 0, 0, 0, 0, 0}, "0-1,500\t360\tcalm\tSteady\tNone\t"},
        {{360, 0, 1, 9, 0, 0}, "0-1,500\t360\tcalm\tGusting to:  9 Kts\tNone\t"},
    };
    for (const auto& c : cases) {
        rows[0] = c.row;
        EXPECT_EQ(planning::FormatWindsAloftRow(rows, 0), c.want);
    }
    rows[8] = cases[0].row;
    EXPECT_EQ(planning::FormatWindsAloftRow(rows, 8).substr(0, 14), "32,000-36,500\t");
    // Each row names the band its layer blows in, as the world's winds use them.
    EXPECT_EQ(planning::FormatWindsAloftRow(rows, 1).substr(0, 12), "1,500-4,500\t");
}

}  // namespace
