// The joystick buttons' default commands and the one place that registers every command table,
// in a fixed order. Registration order is behaviour: among tables of equal priority the later
// one is searched first, which decides who wins a key that two tables share.
#include <array>

#include "nav/debug_keys.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/command_services.h"
#include "sim/input/flight_controls.h"
#include "sim/input/general_commands.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/input/panel_clicks.h"
#include "sim/input/radio_key_tables.h"
#include "sim/slew.h"

namespace sim {

namespace {

void AltJoySlew() {
    theSlewControl.altJoystick = 1;
}
void CockpitView() {
    theCommandServices.cockpitView();
}
void SkyCamView() {
    theCommandServices.skyCamView();
}
// Look directions: 0 forward, 1 forward-left, 2 left, 3 back-left, 4 back, 5 back-right, 6 right,
// 7 forward-right, 8 down.
void KeyCommandTablesLookForward() {
    theCommandServices.setLookDirection(0);
}
void KeyCommandTablesLookForwardLeft() {
    theCommandServices.setLookDirection(1);
}
void KeyCommandTablesLookLeft() {
    theCommandServices.setLookDirection(2);
}
void KeyCommandTablesLookBackLeft() {
    theCommandServices.setLookDirection(3);
}
void KeyCommandTablesLookBack() {
    theCommandServices.setLookDirection(4);
}
void KeyCommandTablesLookBackRight() {
    theCommandServices.setLookDirection(5);
}
void KeyCommandTablesLookRight() {
    theCommandServices.setLookDirection(6);
}
void KeyCommandTablesLookForwardRight() {
    theCommandServices.setLookDirection(7);
}

constexpr std::uint32_t R = kKeyRepeat;

const std::array<KeyCommand, 17> kJoystickButtonRows = {{
    {R | kKeySlew | 0x101, &AltJoySlew, "AltJoySlew"},
    {0x101, &CockpitView, "CockpitView"},
    {0x102, &SkyCamView, "SkyCamView"},
    {R | 0x103, &CmdTrimDown, "TrimDown"},
    {R | 0x104, &CmdTrimUp, "TrimUp"},
    {0x105, &CmdToggleBrakes, "Brakes"},
    {0x106, &CmdFlapsUp, "FlapsUp"},
    {0x107, &CmdFlapsDown, "FlapsDown"},
    {0x108, &CmdToggleGear, "Gear"},
    {0x206, &KeyCommandTablesLookBack, "LookBack"},
    {0x205, &KeyCommandTablesLookBackLeft, "LookBackLeft"},
    {0x207, &KeyCommandTablesLookBackRight, "LookBackRight"},
    {0x201, &KeyCommandTablesLookForward, "LookForward"},
    {0x200, &KeyCommandTablesLookForwardLeft, "LookForwardLeft"},
    {0x202, &KeyCommandTablesLookForwardRight, "LookForwardRight"},
    {0x203, &KeyCommandTablesLookLeft, "LookLeft"},
    {0x204, &KeyCommandTablesLookRight, "LookRight"},
}};

// One registration node per table; the tables of subsystems that are not built yet get theirs
// when they are, at their place in the order below.
KeyCommandNode theGpsNode;
KeyCommandNode theJoystickButtonNode;
KeyCommandNode theCockpitNode;
KeyCommandNode theSlewNode;
KeyCommandNode theGeneralNode;
KeyCommandNode theViewNode;
KeyCommandNode theFlightControlNode;
KeyCommandNode theRadioNode;
KeyCommandNode theCommNode;
KeyCommandNode theDebugNode;
KeyCommand theDebugRows[nav::kDebugKeyCommandCount];

void CopyDebugKeyCommands() {
    for (int i = 0; i < nav::kDebugKeyCommandCount; ++i) {
        const nav::DebugKeyCommand& row = nav::theDebugKeyCommands[i];
        theDebugRows[i] = KeyCommand{row.code, row.function, row.name};
    }
}

}  // namespace

void SetUpDebugKeyCommands() {
    nav::DisableDebugKeyCommands();
    CopyDebugKeyCommands();
}

KeyCommandTable DebugKeyCommands() {
    return theDebugRows;
}

KeyCommandTable JoystickButtonCommands() {
    return kJoystickButtonRows;
}

void RegisterKeyCommandTables() {
    // The order, first to last: GPS (0), joystick buttons (8), navigation-database debug (5),
    // cockpit (0), slew (10), general (0), views (0), flight controls (0), navigation radios
    // and autopilot (0), communication and ATC (0).
    RegisterKeyCommands(&theGpsNode, GpsZoomCommands(), 0);
    RegisterKeyCommands(&theJoystickButtonNode, JoystickButtonCommands(), 8);
    CopyDebugKeyCommands();
    RegisterKeyCommands(&theDebugNode, DebugKeyCommands(), nav::kDebugKeyPriority);
    RegisterKeyCommands(&theCockpitNode, CockpitCommands(), 0);
    RegisterKeyCommands(&theSlewNode, SlewCommands(), 10);
    RegisterKeyCommands(&theGeneralNode, GeneralCommands(), 0);
    RegisterKeyCommands(&theViewNode, ViewCommands(), 0);
    RegisterKeyCommands(&theFlightControlNode, FlightControlCommands(), 0);
    RegisterKeyCommands(&theRadioNode, RadioCommands(), 0);
    RegisterKeyCommands(&theCommNode, CommCommands(), 0);
}

void UnregisterKeyCommandTables() {
    UnregisterKeyCommands(&theCommNode);
    UnregisterKeyCommands(&theRadioNode);
    UnregisterKeyCommands(&theFlightControlNode);
    UnregisterKeyCommands(&theViewNode);
    UnregisterKeyCommands(&theGeneralNode);
    UnregisterKeyCommands(&theSlewNode);
    UnregisterKeyCommands(&theCockpitNode);
    UnregisterKeyCommands(&theDebugNode);
    UnregisterKeyCommands(&theJoystickButtonNode);
    UnregisterKeyCommands(&theGpsNode);
}

}  // namespace sim
