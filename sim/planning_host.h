// The spine's answers to the planning dialogs and the flight plan (planning/planning_host.h).
#pragma once

namespace sim {

void InstallPlanningHost();

}  // namespace sim
