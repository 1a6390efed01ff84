// The developers' keys that jump the aircraft from airport to airport and runway to runway through
// the station directory, for checking runway data: F8 the next runway of the airport, F9 the next
// airport of "na.apt", F10 the next airport with a later first letter. They work only when the
// settings file's "Debug" "KBEnable" is not 0.
#pragma once

#include <cstdint>

namespace nav {

// A key command row as the program's key registry takes it (the spine copies the rows in).
struct DebugKeyCommand {
    std::uint32_t code;
    void (*function)();  // null: the key is left to the other tables
    const char* name;
};

// Six rows: Alt+` "DebugToggleDisplay", Alt+\ "DebugReReadOptions" and Alt+D "DebugCycleLevel"
// do nothing (their handlers are empty, so their keys reach the other tables), then F8
// "DebugAdvanceRunway", F9 "DebugAdvanceAirport" and F10 "DebugAdvanceAlphabet".
inline constexpr int kDebugKeyCommandCount = 6;
extern DebugKeyCommand theDebugKeyCommands[kDebugKeyCommandCount];
// The registry's priority of the table.
inline constexpr int kDebugKeyPriority = 5;

// Called while the main window is created (the rows start cleared): with "KBEnable" 0 (or absent,
// or not a number) the handlers of all six rows are cleared; otherwise the three advance commands
// are active. The spine copies the rows into its registry afterwards.
void DisableDebugKeyCommands();

}  // namespace nav
