// The new-plan sheet ("FLIGHTPLANBKGNDSHEET"): the user picks the flight rules, aircraft,
// altitude and power, a departure and a destination airport from the station directory, the
// route on the map, the route weather and sees the navigation log; Finish makes the plan the
// world's active, unsaved plan. While the sheet is open its working objects are reached through
// the globals below (null otherwise).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "nav/sms_database.h"
#include "planning/flight_plan_map.h"
#include "planning/planning_services.h"
#include "planning/weather_briefing.h"
#include "ui/property_sheets.h"

namespace planning {

// What the pages decide, zeroed when the sheet is made.
struct PlanningRecord {
    std::uint16_t ifr = 0;  // 0 visual, 1 instrument
    std::uint16_t aircraft = 0;
    std::int32_t requestedAltitude = 0;  // feet above the highest station
    std::int32_t cruiseAltitude = 0;     // feet, capped and rounded by the weather page
    std::uint16_t power = 0;             // percent
    std::int32_t departureRow = 0;       // rows of the sheet's airport list
    std::int32_t destinationRow = 0;
    std::int32_t departureRadius = 0;  // nautical miles
    std::int32_t destinationRadius = 0;
    RouteEnvironment environment;
};

extern std::unique_ptr<PlanningRecord> thePlanningRecord;
extern std::unique_ptr<FlightPlan> theWorkingFlightPlan;
extern std::unique_ptr<nav::SmsDatabase> theSheetDirectory;

inline constexpr int kSheetAirportList = 1045;
inline constexpr int kRoutePageFrame = 1715;
inline constexpr int kMapPageFrame = 1718;

// Flight rules, aircraft, altitude and power ("FLIGHTPLANROUTEPG").
class RouteSelection : public ui::FakePropertyPage {
public:
    RouteSelection();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    void WriteRouteSettings();
    void ClampRequestedAltitude();
    void ClampPower();

    std::int32_t maximumAltitude = 0, minimumAltitude = 0;
    std::int32_t maximumPower = 0, minimumPower = 0;
    std::int32_t altitude = 0, power = 0, aircraft = 0, ifr = 0;
};

// The departure or destination airport ("FLIGHTPLANDEPARTPG", "FLIGHTPLANDESTPG"): the sheet's
// airport list with a type-ahead box and the chosen airport's information.
class AirportChoicePage : public ui::FakePropertyPage {
public:
    AirportChoicePage(const char* templateName, const char* title, std::uint32_t help,
                      std::int32_t PlanningRecord::*row);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;

    int listId = kSheetAirportList;
    std::string search;  // at most 50 characters

private:
    void Choose(int row, bool fromList);
    std::uint32_t help;
    std::int32_t PlanningRecord::*row;
};

class FlightPlanDepart : public AirportChoicePage {
public:
    FlightPlanDepart();
};

class FlightPlanDest : public AirportChoicePage {
public:
    FlightPlanDest();
};

class NewFlightPlan : public ui::FakePropertySheet {
public:
    NewFlightPlan();
    ~NewFlightPlan() override;
    int OnInitDialog(win::HWND dialog) override;
    void OnPageChanging() override;
    // Past the route map, and at Finish, a route that goes nowhere (its departure and
    // destination the same airport, no station between) is refused with a word why.
    int NextPage() override;
    int Finish() override;
    int Cancel() override;

    RouteSelection routePage;
    FlightPlanDepart departurePage;
    FlightPlanDest destinationPage;
    FlightPlanMap mapPage;
    WeatherBriefing weatherPage;
    FlightLog logPage;
};

// The record's flight rules, aircraft, cruise altitude, power, radii and environment into a plan.
void TakePlanningRecord(FlightPlan& plan, const PlanningRecord& record);
// OK, Cancel and the sheet's Cancel button close a page (the pages keep nothing more).
[[nodiscard]] inline bool ClosesPage(int id) { return id == 1 || id == 2 || id == 1817; }
// Adds every row of the sheet's airport list to a page's list; the number of rows.
int CopyAirportList(win::HWND from, win::HWND to);
// Frees whatever a sheet left open (record, directory, log and its list, working plan).
void FreePlanningSheet();
// The sheet's limits for an aircraft: its highest altitude and lowest power.
void AircraftRouteLimits(int aircraft, std::int32_t* maximumAltitude, std::int32_t* minimumPower);
// Runs the sheet over the main window; the world's plan is the new one when the user finished.
void RunNewFlightPlan(win::HWND parent);

}  // namespace planning
