#include "nav/debug_keys.h"

#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"
#include "nav/sms_database.h"

namespace nav {

namespace {

// After a step the aircraft takes the directory's position and heading (its height stays), and
// the radios look again for their stations.
void TakeDirectoryPosition(int placed) {
    if (placed == 0) return;
    flight::theFlightModelState.fmPosX = theSmsDatabase.positionX;
    flight::theFlightModelState.fmPosZ = theSmsDatabase.positionZ;
    flight::theFlightModelState.fmHead = theSmsDatabase.positionHeading;
    CheckNavReception();
}

void DebugAdvanceRunway() {
    TakeDirectoryPosition(theSmsDatabase.DebugNextRunway());
}
void DebugAdvanceAirport() {
    TakeDirectoryPosition(theSmsDatabase.DebugNextAirport());
}
void DebugAdvanceAlphabet() {
    TakeDirectoryPosition(theSmsDatabase.DebugNextLetter());
}

constexpr DebugKeyCommand kDebugKeyRows[kDebugKeyCommandCount] = {
    {0x400C0, nullptr, "DebugToggleDisplay"},
    {0x400DC, nullptr, "DebugReReadOptions"},
    {0x40044, nullptr, "DebugCycleLevel"},
    {0x77, &DebugAdvanceRunway, "DebugAdvanceRunway"},
    {0x78, &DebugAdvanceAirport, "DebugAdvanceAirport"},
    {0x79, &DebugAdvanceAlphabet, "DebugAdvanceAlphabet"},
};

}  // namespace

// Off until the settings file says otherwise, as with "KBEnable" absent.
DebugKeyCommand theDebugKeyCommands[kDebugKeyCommandCount] = {
    {0x400C0, nullptr, "DebugToggleDisplay"}, {0x400DC, nullptr, "DebugReReadOptions"},
    {0x40044, nullptr, "DebugCycleLevel"},    {0x77, nullptr, "DebugAdvanceRunway"},
    {0x78, nullptr, "DebugAdvanceAirport"},   {0x79, nullptr, "DebugAdvanceAlphabet"},
};

void DisableDebugKeyCommands() {
    const bool enabled = core::theIniFile.GetInt("Debug", "KBEnable", 0) != 0;
    for (int i = 0; i < kDebugKeyCommandCount; ++i)
        theDebugKeyCommands[i].function = enabled ? kDebugKeyRows[i].function : nullptr;
}

}  // namespace nav
