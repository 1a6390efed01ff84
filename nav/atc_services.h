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
