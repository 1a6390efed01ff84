#include "nav/atc_services.h"

#include <string>

#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/position_placement.h"
#include "nav/sms_database.h"
#include "win/program_entry.h"

namespace nav {

int theAtcSessionRunning = 0;
int theAtcState = 0;
int theAtcStartPos = 0;
int theAtcEnabled = 0;
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

void AtcStartSession(int tuned) {
    if (tuned != 0) return;
    AtcSetUpAirport();
    AtcPlaceAircraftAtStartPos();
}

void AtcStartAtAirport() {}

void AtcSetUpAirport() {}

void AtcPlaceAircraftAtStartPos() {
    flight::FlightModelState& s = flight::theFlightModelState;
    const std::int32_t x = theSmsDatabase.positionX, z = theSmsDatabase.positionZ;
    const std::uint16_t heading = theSmsDatabase.positionHeading;
    switch (theAtcStartPos) {
        case 0:
        case 3:
            s.fmPosX = x;
            s.fmPosZ = z;
            s.fmPosY = 0;
            s.fmHead = heading;
            break;
        case 25: {
            // 82,000 map units (17.4 nm) out along the runway's heading, turned back toward it.
            PointAtBearing(x, z, heading * 360.0 / 65536.0, 82000.0 * 100.584, &s.fmPosX,
                           &s.fmPosZ);
            s.fmPosY = 320000;
            s.fmHead = static_cast<std::uint16_t>(heading + 32768);
            break;
        }
        default:
            s.fmPosX = x;
            s.fmPosZ = z;
            s.fmPosY = 80000;
            s.fmHead = heading;
            break;
    }
}
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
