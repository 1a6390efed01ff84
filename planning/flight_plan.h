// What the plan offers beside its class: the simulated time of day it stamps nodes with, plan
// files ("FlightPlans\*.Pln", the sections "Points", "Settings" and "Environ"), and making a
// loaded plan's aircraft the current one.
#pragma once

#include <cstdint>
#include <string>

#include "win/handles.h"

namespace planning {

class FlightPlan;

// Hour x 60 + minute of the simulated clock: local time when the clock keeps a zone, zulu
// otherwise.
[[nodiscard]] std::int32_t SimulatedMinutesOfDay();

// Writes the world's plan whole (one file write, then a rename over the old file): 1 when every
// key was stored; on failure the old file is kept and the plan stays unsaved.
int WriteFlightPlanFile(const std::string& path);
// Reads a plan file into the world's plan, which becomes active and saved: 1, or 0 (the world's
// plan as it was) for a missing or unreadable file or one with fewer than two nodes.
int ReadFlightPlanFile(const std::string& path);
// How a message names a plan's point: "point 3 (PXN)", or "point 3" when it has no name.
[[nodiscard]] std::string PointName(const std::string& ident, int index);
// The name the save dialog proposes: "FIRSTtoLAST.Pln", "NewPlan.Pln" for an empty plan.
[[nodiscard]] std::string DefaultPlanFileName(const FlightPlan& plan);
// Makes the plan's aircraft (0..5) the current aircraft when it is another one.
void ApplyPlanAircraft(const FlightPlan& plan);
// A general open or save dialog for plan files starting in "Flights": 1 with the chosen path.
int ShowPlanFileDialog(std::string* result, win::HWND owner, int save);

}  // namespace planning
