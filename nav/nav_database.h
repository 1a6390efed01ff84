// The navigation database files and the ATC and copilot sections as start-up and situations
// reach them. Least bodies: each loader records that it ran (in the run's trace and in
// theNavFilesLoaded) and reports whether its file is there; the navigation code reads them.
#pragma once

#include <string>
#include <vector>

namespace core {
class IniFile;
}

namespace nav {

int LoadNavVors(const char* fileName = "na.vor");
int LoadNavNdbs(const char* fileName = "na.ndb");
int LoadNavIls(const char* fileName = "na.ils");
int LoadNavAirports(const char* fileName = "na.apt");
int LoadNavWaypoints(const char* fileName = "na.wpt");
int LoadNavAirways(const char* fileName = "na.vct");
// The files the loaders were asked for, in order.
extern std::vector<std::string> theNavFilesLoaded;

// Sections "ATCComm" and "CoPilot" of a situation and the ATC session steps.
int LoadAtcState(core::IniFile& file);
int SaveAtcState(core::IniFile& file);
int LoadCopilotSettings(core::IniFile& file);
int SaveCopilotSettings(core::IniFile& file);
void AtcReset();
void AtcResetTraffic();
void AtcMoveTraffic();
// Non-zero while an ATC session runs; the ATC state word (3 parked).
extern int theAtcSessionRunning;
extern int theAtcState;

}  // namespace nav
