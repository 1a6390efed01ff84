// The ATC and copilot services that the simulation's spine and the cockpit call: the "ATCComm"
// and "CoPilot" sections of a situation, the ATC session steps, and the ATC speaker's handler of
// a COM change. Least bodies: the ATC state machine and its speaker fill them in.
#pragma once

#include "devices/speech_queue.h"
#include "win/handles.h"

namespace core {
class IniFile;
}

namespace nav {

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

// The pilot's requests, set by the communication commands and consumed by the ATC step. Until the
// ATC exists each request only raises its flag and is written to the trace.
enum class AtcRequest { Cancel, Repeat, TouchAndGo, GoAround, ClosedTraffic };
struct AtcRequestFlags {
    int cancel = 0;
    int repeat = 0;
    int touchAndGo = 0;
    int goAround = 0;
    int closedTraffic = 0;
};
extern AtcRequestFlags theAtcRequests;
void AtcPostRequest(AtcRequest request);
// The radio the pilot talks on: 0 COM1, 1 COM2, 2 the transponder.
extern int theAtcRadioIndex;
// Automatic taxi on or off.
extern int theAtcAutoTaxi;
// The session's altitudes in feet: the one assigned (0 none) and the one it started with.
extern int theAtcAssignedAltitude;
extern int theAtcSessionAltitude;
// The session's airport (index of the airport table, -1 none) and runway.
extern int theAtcAirport;
extern int theAtcRunway;
// A wanted altitude rounded to the VFR cruising altitudes (thousands plus 500).
[[nodiscard]] int AtcRoundVfrAltitude(int feet);
// Asks the controller for an altitude.
void AtcRequestAltitude(int feet);
// Whether the controller may change the runway now; change it.
[[nodiscard]] int AtcCanChangeRunway();
void AtcChangeRunway(int runway);
// The runway of an airport most into the wind (the current one when none is better).
[[nodiscard]] int AtcSelectRunwayIntoWind(int airport, int sessionFlag, int current);

// The fields of the ATC state the positioning dialogs and the airports wizard set: where the
// next session starts ("startPos": 0 on the ground, 3 on the runway, 6 downwind, 8 base, 9
// final, 25 en route) and whether ATC is wanted ("enabledATC").
extern int theAtcStartPos;
extern int theAtcEnabled;

// After a flight was loaded for the station directory's chosen runway (the airports wizard):
// the session's start, or without ATC the airport's set-up and the aircraft put at the start
// position. Until the ATC builds its pattern the aircraft goes to the directory's runway
// threshold with the runway's heading: on the ground for the runway start, 17.4 nm out along
// the runway's heading at 4,100 ft turned back toward it for the en-route start, at 1,025 ft
// over the threshold for the pattern starts.
void AtcStartSession(int tuned);
void AtcStartAtAirport();
void AtcSetUpAirport();
void AtcPlaceAircraftAtStartPos();

// The ATC's speaker: a spoken-word queue of the tower's words. After a COM frequency or a COM
// audio button changed, it rebuilds its COM frequency texts and starts or stops the ATIS and the
// ATC session; until the ATC exists it only counts the calls. Reload (speakers.cpp) reopens its
// buffer after sound came back.
class AtcSpeech : public devices::SpeechQueue {
public:
    void OnComFrequencyChanged(int flag);
    [[nodiscard]] int ComChanges() const { return comChanges; }
    int Reload(win::HWND window);

private:
    int comChanges = 0;
};
extern AtcSpeech theAtcSpeech;

}  // namespace nav
