// The route weather a new plan is given: a departure date and time and, for the departure, en
// route and destination stations, a pressure, a temperature, one cloud deck and winds in four
// altitude bands, drawn from the program's one seeded generator in a fixed order, and the page
// of the planning sheet that shows them as three briefings and draws again on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "planning/planning_services.h"
#include "ui/property_sheets.h"
#include "world/weather_state.h"

namespace nav {
class SmsDatabase;
}

namespace planning {

// Everything one draw reads: the flight rules, the cruise altitude asked for, the two airports
// (first runway position and field elevation) and the highest station of the route.
struct RouteWeatherRequest {
    int ifr = 0;
    int aircraft = 0;
    std::int32_t requestedAltitude = 0;  // feet above the highest station
    std::int32_t maxNodeElevation = 0;
    std::int32_t departureX = 0, departureZ = 0, departureElevation = 0;
    std::int32_t destinationX = 0, destinationZ = 0, destinationElevation = 0;
    std::int32_t departureRadius = 50;  // nautical miles
    std::int32_t destinationRadius = 50;
};

// What one draw gives: the route environment, the cruise altitude capped for the aircraft and
// rounded, and the uncapped one the clouds and winds were drawn for.
struct RouteWeatherDraw {
    RouteEnvironment environment;
    std::int32_t cruiseAltitude = 0;
    std::int32_t uncappedCruise = 0;
    double distance = 0.0;  // nautical miles between the airports
};

// One complete draw through the program's generator (core::rand), which the caller seeds. The
// winds also land in the three route weather states.
RouteWeatherDraw GenerateRouteWeather(const RouteWeatherRequest& request);

// Cruise altitude helpers: the aircraft's ceiling, and rounding to the thousand (below 18,000 ft
// to the nearest 500 ft for visual-looking altitudes).
[[nodiscard]] std::int32_t CapCruiseAltitude(int aircraft, std::int32_t altitude);
[[nodiscard]] std::int32_t RoundCruiseAltitude(std::int32_t altitude);
// The cruising altitude of the hemispheric rule nearest `altitude` (the higher of two as near)
// and not above `ceiling`: on a magnetic course of 0 to 179 degrees odd thousands of feet, on 180
// to 359 even thousands, and for a visual flight below 18,000 ft those plus 500.
[[nodiscard]] std::int32_t HemisphericCruiseAltitude(std::int32_t altitude, int magneticCourse,
                                                     bool visual, std::int32_t ceiling);
// Bearing in whole degrees 1..360 from one world point to another (360 for the same point).
[[nodiscard]] int RouteBearing(std::int32_t x0, std::int32_t z0, std::int32_t x1, std::int32_t z1);

// The briefing lines of a station written into a list box: the temperature, the altimeter with
// the lowest clouds and the surface wind, then the winds aloft three to a line. The planning
// page and the briefing dialog keep their own cover thresholds and line layouts.
enum class BriefingStyle { kPlanning, kDialog };
struct StationBriefing {
    std::string title;  // "KSQL San Carlos: Temperature ..."; empty for the bare temperature
    int temperatureC = 0;
    double altimeter = 0.0;  // inches
    int cover = 0;           // eighths
    std::int32_t cloudBase = 0;
    std::int32_t lowestAloft = 0;  // feet: aloft layers starting lower are left out
};
[[nodiscard]] std::vector<std::string> BriefingLines(const StationBriefing& station,
                                                     const world::WeatherState& weather,
                                                     BriefingStyle style);
void WriteBriefingLines(win::HWND dialog, int listId, const std::vector<std::string>& lines);

// The planning sheet's links the page reads and writes (the sheet's planning record, its working
// plan, its station directory and its hidden airport list); null links are skipped.
struct WeatherBriefingLinks {
    const std::uint16_t* ifr = nullptr;
    const std::uint16_t* aircraft = nullptr;
    const std::int32_t* requestedAltitude = nullptr;
    std::int32_t* cruiseAltitude = nullptr;
    const std::int32_t* departureRow = nullptr;
    const std::int32_t* destinationRow = nullptr;
    std::int32_t* departureRadius = nullptr;
    std::int32_t* destinationRadius = nullptr;
    RouteEnvironment* environment = nullptr;
    const FlightPlan* workingPlan = nullptr;
    nav::SmsDatabase* directory = nullptr;
    win::HWND airportList;  // the sheet's list of every airport (entry texts for the briefings)
};

// Set by the map page when the departure or destination changed; the page draws again when next
// shown and clears it.
extern int theRouteChanged;

class WeatherBriefing : public ui::FakePropertyPage {
public:
    WeatherBriefing();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;

    // Draws the whole route weather again and rewrites the briefings.
    void Generate();
    void WriteBriefings();

    WeatherBriefingLinks links;
    // The airports of the last draw and the cruise altitude it was made for.
    double lastDepartureX = 0, lastDepartureZ = 0, lastDestinationX = 0, lastDestinationZ = 0;
    std::int32_t lastCruise = 0;
    int firstShowing = 1;
    double distance = 0.0;
    int mode = 1;  // 1 visual, 2 instrument
    std::int32_t departureElevation = 0, destinationElevation = 0, averageElevation = 0;
    std::int32_t maxNodeElevation = 0;
    std::int32_t uncappedCruise = 0;
    // The generator's seed when the page is made: 0 takes the time (tests set one).
    std::uint32_t seed = 0;
};

}  // namespace planning
