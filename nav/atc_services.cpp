#include "nav/atc_services.h"

#include "core/ini_file.h"

namespace nav {

int theAtcSessionRunning = 0;
int theAtcState = 0;
AtcSpeech theAtcSpeech;

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

void AtcSpeech::OnComFrequencyChanged(int) {
    ++comChanges;
}

}  // namespace nav
