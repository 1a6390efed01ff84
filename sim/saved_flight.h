// Saved flights (".Flt"): choosing a file with the common dialogs, loading a flight by name from
// the folder "Flights", saving the current situation, and the name of the current flight that
// the restart command reloads. The sections themselves are written and read by the world.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win/handles.h"

namespace core {
class IniFile;
}

namespace sim {

// The current flight: "StartUp.Flt" at first, then the full path of every flight loaded or
// saved with success.
extern std::string theCurrentFlightName;

// The aircraft type the last situation read named when no aircraft has it (the aircraft then
// flown is the Cessna 172), or nothing; the loader tells the user.
extern std::optional<std::int32_t> theUnknownAircraftType;

// How a situation file is read and written: the world's LoadSituation and SaveSituation unless
// something else is installed.
struct SituationServices {
    int (*loadSituation)(core::IniFile& file, int flag);
    int (*saveSituation)(core::IniFile& file);
};
extern SituationServices theSituationServices;
[[nodiscard]] SituationServices WorldSituationServices();

// A stateless helper callers build on the stack.
class FlightFile {
public:
    // A name without a backslash is taken from the folder "Flights"; then LoadFlight.
    int Load(win::HWND owner, const char* name, int flag);
};

// A file that exists and opens for reading (not a folder).
[[nodiscard]] bool IsReadableFile(const std::string& path);

// Loads a situation file; bit 0 of the world's result. A missing or unreadable file returns 0
// and changes nothing.
int LoadFlight(const char* path, int flag);
// Ends a crash (the crash picture, the silenced sound, the dead panel): a flight loaded over one
// flies. Nothing without a crash.
void EndCrash();
// Saves the situation into a fresh file beside the target and renames it over the target, so a
// failed save leaves the previous flight as it was. 1 on success; on failure 0 with the reason
// in win::GetLastError.
int SaveFlight(const char* path);
// The open dialog, then LoadFlight; 0 when cancelled. A chosen flight that cannot be read is
// reported to the user.
int ResumeFlight(win::HWND owner, int flag);
// The save dialog, then SaveFlight; 0 when cancelled or failed. A failed save is told to the
// user with the file and the reason.
int SaveFlightAs(win::HWND owner);
// The common file dialog for flights: 1 with the chosen path, 0 when cancelled. Saving, it neither
// offers nor takes the placement starts; resuming, it offers none of the in-air ones.
int ResumeFlightDialog(std::string* path, win::HWND owner, int save);
// The flights the program places aircraft with: each type's parked and ready-to-fly starts and
// its in-air starts (cruise, pattern, final).
[[nodiscard]] std::vector<std::string> PlacementFlightNames();

}  // namespace sim
