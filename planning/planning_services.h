// Pilot files, the flight plan the world owns, and the planning dialogs the spine runs. Least
// bodies until the planning code exists: no pilot file is found, the plan is never active, and
// the Exit question is answered by a replaceable answerer (by default the program's message box).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "win/handles.h"

namespace core {
class IniFile;
}

namespace planning {

class PilotFile {
public:
    // Non-zero when a current pilot was read.
    int LoadCurrent();
    int Save();
    int flightMode = 0;
};

// One point of a plan: its station and when and with what fuel it was passed.
struct FlightPlanNode {
    std::string ident;  // at most 7 characters
    // 1 airport, 2 VOR, 3 NDB, 6 intersection; 4 is flown as a VOR and 5 as an NDB.
    std::int32_t kind = 0;
    std::int32_t frequency = 0;  // a VOR's MHz x 100, an NDB's kHz
    std::int32_t x = 0;          // world position
    std::int32_t y = 0;
    std::int32_t elevation = 0;          // feet
    std::uint16_t arrivalTime = 0xFFFF;  // minutes since midnight; 0xFFFF not yet passed
    std::int32_t fuel = 0;
};

// The weather expected at a point of the route (pressure, temperature, two cloud layers, the
// surface wind and three winds aloft; directions as binary angles).
struct RouteWeatherStation {
    std::int32_t P = 0, T = 0;
    std::int32_t C1Top = 0, C1Base = 0, C1Cover = 0, C2Top = 0, C2Base = 0, C2Cover = 0;
    std::int32_t WsTop = 0, WsBase = 0, WsDir = 0, WsVel = 0;
    std::int32_t W1Top = 0, W1Base = 0, W1Dir = 0, W1Vel = 0;
    std::int32_t W2Top = 0, W2Base = 0, W2Dir = 0, W2Vel = 0;
    std::int32_t W3Top = 0, W3Base = 0, W3Dir = 0, W3Vel = 0;
};

struct RouteEnvironment {
    RouteWeatherStation departure;
    RouteWeatherStation enRoute;
    RouteWeatherStation destination;
};

inline constexpr int kMaxPlanNodes = 64;

class FlightPlan {
public:
    std::string name;
    int active = 0;
    int saved = 1;
    std::array<FlightPlanNode, kMaxPlanNodes> nodes{};
    std::int32_t nodeCount = 0;
    std::int32_t currentNode = 0;
    std::int16_t ifr = 0;  // instrument flight rules
    std::int16_t aircraft = 0;
    std::int32_t cruiseAltitude = 0;  // feet
    std::int16_t departureTime = -1;  // minutes since midnight; -1 until take-off
    RouteEnvironment environment;
    // The departure time and node 0's arrival become the simulated time of day.
    void MarkDeparture();
    void SequenceLeg() {}
    int ReadActiveFlag(core::IniFile& file);
    // The plan's name, or empty for none ("BAD" is the stored placeholder).
    std::string ReadPlanName(core::IniFile& file);
    int ReadProgress(core::IniFile& file);
    int WriteProgress(core::IniFile& file);
    int ReadSections(core::IniFile& file);
    int WriteSections(core::IniFile& file);
    void ApplyRouteWeather() {}
};

// The Exit dialog: non-zero to quit.
int RunExitDialog(win::HWND parent);
// Replaces the Exit dialog's answerer (tests, headless runs); an empty function restores it.
void SetExitDialogAnswerer(std::function<int()> answerer);

// The aircraft selection ("FlightModel"): the chosen aircraft type 0..5, the current one when
// the user cancels. `startFlight` is the dialog's copy of the start flight's name.
int RunAircraftSelectionDialog(win::HWND parent, int currentType, std::string* startFlight);

int PromptLoadFlightPlan(win::HWND window, int flags);
void PromptSaveFlightPlan(win::HWND window);
void StartGroundSchool(int lesson);

}  // namespace planning
