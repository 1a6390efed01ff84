#include "sim/input/radio_key_tables.h"

#include <array>

#include "cockpit/radio_commands.h"

namespace sim {

namespace {

constexpr std::uint32_t S = 0x10000;
constexpr std::uint32_t C = 0x20000;
constexpr std::uint32_t A = 0x40000;

using namespace cockpit;

const std::array<KeyCommand, 28> kRadioRows = {{
    {S | 0x43, &AutoPilotMaster, "AutoPilotMaster"},
    {S | 0x41, &AutoPilotTrimUp, "AutoPilotTrimUp"},
    {S | 0x51, &AutoPilotTrimDown, "AutoPilotTrimDown"},
    {S | 0x58, &AutoPilotMode, "AutoPilotMode"},
    {S | 0x5A, &AutoPilotAltHold, "AutoPilotAltHold"},
    {S | 0x31, &Nav1, "Nav1"},
    {S | 0x32, &Nav2, "Nav2"},
    {S | 0x33, &DME, "DME"},
    {S | 0x34, &ADF, "ADF"},
    {S | 0x35, &RMI1, "RMI1"},
    {S | 0x36, &RMI2, "RMI2"},
    {S | 0x39, &OBSDown, "OBSDown"},
    {S | 0x30, &OBSUp, "OBSUp"},
    {S | 0xBD, &NavMHzDown, "NavMHzDown"},
    {S | 0xBB, &NavMHzUp, "NavMHzUp"},
    {S | 0xDB, &NavKHzDown, "NavKHzDown"},
    {S | 0xDD, &NavKHzUp, "NavKHzUp"},
    {S | 0x49, &ToggleIDT, "ToggleIDT"},
    {S | 0x42, &ToggleBRG, "ToggleBRG"},
    {S | 0x53, &NavFlipStandby, "NavFlipStandby"},
    {S | 0x54, &ToggleTimer, "ToggleTimer"},
    {A | 0x31, &ToggleAudioCom1, "ToggleAudioCom1"},
    {A | 0x32, &ToggleAudioCom2, "ToggleAudioCom2"},
    {A | 0x33, &ToggleAudioNav1, "ToggleAudioNav1"},
    {A | 0x34, &ToggleAudioNav2, "ToggleAudioNav2"},
    {A | 0x35, &ToggleAudioDME, "ToggleAudioDME"},
    {A | 0x36, &ToggleAudioMKR, "ToggleAudioMKR"},
    {A | 0x37, &ToggleAudioADF, "ToggleAudioADF"},
}};

const std::array<KeyCommand, 21> kCommRows = {{
    {C | 0x43, &AtcCloseTraffic, "AtcCloseTraffic"},
    {C | 0x47, &AtcGoAround, "AtcGoAround"},
    {C | 0x4D, &AtcGoAround, "AtcGoAround"},
    {C | 0x51, &AtcCancel, "AtcCancel"},
    {C | 0x52, &AtcRepeat, "AtcRepeat"},
    {C | 0x54, &AtcTouchAndGo, "AtcTouchAndGo"},
    {C | 0x41, &AtcNewAltitude, "AtcNewAltitude"},
    {C | 0xBF, &AtcNewRunway, "AtcNewRunway"},
    {A | 0xC0, &AtcAutoTaxi, "AtcAutoTaxi"},
    {C | 0x31, &Comm1, "Comm1"},
    {C | 0x32, &Comm2, "Comm2"},
    {C | 0x49, &ToggleIdent, "ToggleIdent"},
    {C | 0x56, &ToggleVFR, "ToggleVFR"},
    {C | 0x33, &Transponder, "Transponder"},
    {C | 0x53, &CommFlipStandby, "CommFlipStandby"},
    {C | 0xBD, &CommMHzDown, "CommMHzDown"},
    {C | 0xBB, &CommMHzUp, "CommMHzUp"},
    {C | 0xDB, &CommKHzDown, "CommKHzDown"},
    {C | 0xDD, &CommKHzUp, "CommKHzUp"},
    {A | 0x42, &CyclePilotControlAirportLighting, "CyclePilotControlAirportLighting"},
    {S | 0x73, &ATCComm, "ATCComm"},
}};

}  // namespace

KeyCommandTable RadioCommands() {
    return kRadioRows;
}

KeyCommandTable CommCommands() {
    return kCommRows;
}

}  // namespace sim
