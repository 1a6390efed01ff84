#include "sim/input/radio_key_tables.h"

#include <array>

#include "cockpit/radio_commands.h"

namespace sim {

namespace {

constexpr std::uint32_t kRadioShift = 0x10000;
constexpr std::uint32_t kRadioCtrl = 0x20000;
constexpr std::uint32_t kRadioAlt = 0x40000;

using namespace cockpit;

const std::array<KeyCommand, 28> kRadioRows = {{
    {kRadioShift | 0x43, &AutoPilotMaster, "AutoPilotMaster"},
    {kRadioShift | 0x41, &AutoPilotTrimUp, "AutoPilotTrimUp"},
    {kRadioShift | 0x51, &AutoPilotTrimDown, "AutoPilotTrimDown"},
    {kRadioShift | 0x58, &AutoPilotMode, "AutoPilotMode"},
    {kRadioShift | 0x5A, &AutoPilotAltHold, "AutoPilotAltHold"},
    {kRadioShift | 0x31, &Nav1, "Nav1"},
    {kRadioShift | 0x32, &Nav2, "Nav2"},
    {kRadioShift | 0x33, &DME, "DME"},
    {kRadioShift | 0x34, &ADF, "ADF"},
    {kRadioShift | 0x35, &RMI1, "RMI1"},
    {kRadioShift | 0x36, &RMI2, "RMI2"},
    {kRadioShift | 0x39, &OBSDown, "OBSDown"},
    {kRadioShift | 0x30, &OBSUp, "OBSUp"},
    {kRadioShift | 0xBD, &NavMHzDown, "NavMHzDown"},
    {kRadioShift | 0xBB, &NavMHzUp, "NavMHzUp"},
    {kRadioShift | 0xDB, &NavKHzDown, "NavKHzDown"},
    {kRadioShift | 0xDD, &NavKHzUp, "NavKHzUp"},
    {kRadioShift | 0x49, &ToggleIDT, "ToggleIDT"},
    {kRadioShift | 0x42, &ToggleBRG, "ToggleBRG"},
    {kRadioShift | 0x53, &NavFlipStandby, "NavFlipStandby"},
    {kRadioShift | 0x54, &ToggleTimer, "ToggleTimer"},
    {kRadioAlt | 0x31, &ToggleAudioCom1, "ToggleAudioCom1"},
    {kRadioAlt | 0x32, &ToggleAudioCom2, "ToggleAudioCom2"},
    {kRadioAlt | 0x33, &ToggleAudioNav1, "ToggleAudioNav1"},
    {kRadioAlt | 0x34, &ToggleAudioNav2, "ToggleAudioNav2"},
    {kRadioAlt | 0x35, &ToggleAudioDME, "ToggleAudioDME"},
    {kRadioAlt | 0x36, &ToggleAudioMKR, "ToggleAudioMKR"},
    {kRadioAlt | 0x37, &ToggleAudioADF, "ToggleAudioADF"},
}};

const std::array<KeyCommand, 21> kCommRows = {{
    {kRadioCtrl | 0x43, &AtcCloseTraffic, "AtcCloseTraffic"},
    {kRadioCtrl | 0x47, &AtcGoAround, "AtcGoAround"},
    {kRadioCtrl | 0x4D, &AtcGoAround, "AtcGoAround"},
    {kRadioCtrl | 0x51, &AtcCancel, "AtcCancel"},
    {kRadioCtrl | 0x52, &AtcRepeat, "AtcRepeat"},
    {kRadioCtrl | 0x54, &AtcTouchAndGo, "AtcTouchAndGo"},
    {kRadioCtrl | 0x41, &AtcNewAltitude, "AtcNewAltitude"},
    {kRadioCtrl | 0xBF, &AtcNewRunway, "AtcNewRunway"},
    {kRadioAlt | 0xC0, &AtcAutoTaxi, "AtcAutoTaxi"},
    {kRadioCtrl | 0x31, &Comm1, "Comm1"},
    {kRadioCtrl | 0x32, &Comm2, "Comm2"},
    {kRadioCtrl | 0x49, &ToggleIdent, "ToggleIdent"},
    {kRadioCtrl | 0x56, &ToggleVFR, "ToggleVFR"},
    {kRadioCtrl | 0x33, &Transponder, "Transponder"},
    {kRadioCtrl | 0x53, &CommFlipStandby, "CommFlipStandby"},
    {kRadioCtrl | 0xBD, &CommMHzDown, "CommMHzDown"},
    {kRadioCtrl | 0xBB, &CommMHzUp, "CommMHzUp"},
    {kRadioCtrl | 0xDB, &CommKHzDown, "CommKHzDown"},
    {kRadioCtrl | 0xDD, &CommKHzUp, "CommKHzUp"},
    {kRadioAlt | 0x42, &CyclePilotControlAirportLighting, "CyclePilotControlAirportLighting"},
    {kRadioShift | 0x73, &ATCComm, "ATCComm"},
}};

}  // namespace

KeyCommandTable RadioCommands() {
    return kRadioRows;
}

KeyCommandTable CommCommands() {
    return kCommRows;
}

}  // namespace sim
