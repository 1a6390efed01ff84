#include "nav/atc_services.h"

#include <string>

#include "core/ini_file.h"
#include "win/program_entry.h"

namespace nav {

int theAtcSessionRunning = 0;
int theAtcState = 0;
AtcSpeech theAtcSpeech;
AtcRequestFlags theAtcRequests;
int theAtcRadioIndex = 0;
int theAtcAutoTaxi = 0;
int theAtcAssignedAltitude = 0;
int theAtcSessionAltitude = 0;
int theAtcAirport = -1;
int theAtcRunway = 0;

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

void AtcPostRequest(AtcRequest request) {
    static constexpr const char* kNames[] = {"cancel", "repeat", "touch-and-go", "go-around",
                                             "closed traffic"};
    int* flags[] = {&theAtcRequests.cancel, &theAtcRequests.repeat, &theAtcRequests.touchAndGo,
                    &theAtcRequests.goAround, &theAtcRequests.closedTraffic};
    const int i = static_cast<int>(request);
    *flags[i] = 1;
    win::TraceLine(std::string("atc: request ") + kNames[i]);
}

int AtcRoundVfrAltitude(int feet) {
    if (feet < 0) feet = 0;
    return (feet / 1000) * 1000 + 500;
}

void AtcRequestAltitude(int feet) {
    theAtcAssignedAltitude = feet;
    win::TraceLine("atc: request altitude " + std::to_string(feet));
}

int AtcCanChangeRunway() {
    return theAtcSessionRunning != 0 ? 1 : 0;
}

void AtcChangeRunway(int runway) {
    theAtcRunway = runway;
    win::TraceLine("atc: request runway " + std::to_string(runway));
}

int AtcSelectRunwayIntoWind(int, int, int current) {
    return current;
}

void AtcSpeech::OnComFrequencyChanged(int) {
    ++comChanges;
}

}  // namespace nav
