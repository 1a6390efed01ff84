#include "nav/nav_database.h"

#include <cstdio>
#include <cstdlib>

#include "core/ini_file.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace nav {

std::vector<std::string> theNavFilesLoaded;
int theAtcSessionRunning = 0;
int theAtcState = 0;

namespace {
int LoadNavFile(const char* fileName) {
    theNavFilesLoaded.emplace_back(fileName);
    const bool present = win::GetFileAttributes(fileName) != win::INVALID_FILE_ATTRIBUTES;
    win::TraceLine(std::string("nav: load ") + fileName + (present ? "" : " (missing)"));
    return present ? 1 : 0;
}
}  // namespace

int LoadNavVors(const char* f) {
    return LoadNavFile(f);
}
int LoadNavNdbs(const char* f) {
    return LoadNavFile(f);
}
int LoadNavIls(const char* f) {
    return LoadNavFile(f);
}
int LoadNavAirports(const char* f) {
    return LoadNavFile(f);
}
int LoadNavWaypoints(const char* f) {
    return LoadNavFile(f);
}
int LoadNavAirways(const char* f) {
    return LoadNavFile(f);
}

int LoadAtcState(core::IniFile&) {
    return 1;
}
int SaveAtcState(core::IniFile&) {
    return 1;
}
int LoadCopilotSettings(core::IniFile&) {
    return 1;
}
int SaveCopilotSettings(core::IniFile&) {
    return 1;
}
void AtcReset() {
    theAtcSessionRunning = 0;
}
void AtcResetTraffic() {}
void AtcMoveTraffic() {}

}  // namespace nav
