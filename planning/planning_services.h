// Pilot files (pilot_file.h), the flight plan the world owns, and the planning dialogs the spine
// runs. Least bodies until the planning code exists: the plan is never active, and the Exit
// question is answered by a replaceable answerer (by default the program's message box).
#pragma once

#include <functional>
#include <string>

#include "planning/pilot_file.h"
#include "win/handles.h"

namespace core {
class IniFile;
}

namespace planning {

class FlightPlan {
public:
    std::string name;
    int active = 0;
    int saved = 1;
    // Set when the route's altitudes are the even thousands (the ATC's altitude requests).
    int directionFlag = 0;
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
