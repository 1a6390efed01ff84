// Pilot files (pilot_file.h), the flight plan the world owns, and the planning dialogs the spine
// runs. The Exit question is answered by a replaceable answerer (by default the program's
// message box).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "planning/pilot_file.h"
#include "win/handles.h"

namespace core {
class IniFile;
}

namespace planning {

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
    // When the weather was made: hour and minute -1 until set.
    std::int8_t hour = -1, minute = -1, day = 0, month = 0;
    std::int32_t enRouteX = 0, enRouteZ = 0;          // where the en-route station stands
    std::int32_t destinationX = 0, destinationZ = 0;  // and the destination's
    std::int32_t course = -1;  // binary angle from departure to destination; -1 not set
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
    std::int16_t power = 0;  // percent
    std::int32_t departureRadius = 10;    // nautical miles in which the departure weather holds
    std::int32_t destinationRadius = 10;  // and the destination's
    // The plan's own words (an assignment's briefing); kept in memory, never in plan files.
    std::string description;
    // How many points the last file read named beyond the 64 a plan holds (they were left out).
    std::int32_t pointsLeftOut = 0;
    // Why the last file read was refused as a plan, naming the point at fault ("point 3 (PXN)
    // has no readable ptX"); empty when it was read, or held no route at all.
    std::string refusal;

    // Empties the route (the slots keep their contents).
    void Reset();
    // Inserts a station looked up by kind and ident at a position (clamped to 0..count): 1, or
    // 0 when the plan is full or the station repeats the neighbour on either side.
    int InsertNode(int kind, const std::string& ident, int position);
    // Removes an inner node: the new current index, or -1 for the first and last nodes.
    int DeleteNode(int index);
    // Makes the node with this ident and kind current: 1, or 0 when there is none.
    int SelectNode(const FlightPlanNode& node);
    [[nodiscard]] std::int32_t GetMaxElevation() const;
    void SetEnvironment(const RouteEnvironment& e) { environment = e; }
    // Stamps a node with the simulated time of day and the fuel on board.
    void RecordArrival(int index);
    // 1 with the node's stamps, 0 when the node does not exist or was not passed yet.
    int GetNodeActuals(int index, std::int32_t* time, std::int32_t* fuel) const;
    // Advances to the next node once the aircraft has passed abeam it (run every third tick).
    void SequenceLeg();
    // The plan-file sections: writes give 1 when every key was written.
    int WritePoints(core::IniFile& file) const;
    int WriteSettings(core::IniFile& file) const;
    int WriteEnvironment(core::IniFile& file) const;
    int ReadSettings(core::IniFile& file);
    int ReadPoints(core::IniFile& file);
    int ReadEnvironment(core::IniFile& file);
    // Replaces the navigation log with this plan's (planning/nav_log.h).
    void BuildNavLog() const;
    // The current leg's weather station into the world's weather when the leg enters another
    // station's area (departure, en route, destination).
    void UpdateLegWeather();
    int ReadActiveFlag(core::IniFile& file);
    // The plan's name, or empty for none ("BAD" is the stored placeholder).
    std::string ReadPlanName(core::IniFile& file);
    int ReadProgress(core::IniFile& file);
    int WriteProgress(core::IniFile& file);
    // The three sections of a plan file. A read that fails (no file, fewer than two nodes)
    // leaves the plan as it was.
    int ReadSections(core::IniFile& file);
    int WriteSections(core::IniFile& file);
    // After a plan was loaded or restored: the current leg's weather (UpdateLegWeather on the
    // world's plan).
    void ApplyRouteWeather();
};

// The Exit dialog: non-zero to quit.
int RunExitDialog(win::HWND parent);
// Replaces the Exit dialog's answerer (tests, headless runs); an empty function restores it.
void SetExitDialogAnswerer(std::function<int()> answerer);

// The open and save commands of plan files ("FlightPlans\\*.Pln"): 1 loaded or saved, 0 not.
int PromptLoadFlightPlan(win::HWND window, int flags);
int PromptSaveFlightPlan(win::HWND window);
void StartGroundSchool(int lesson);

}  // namespace planning
