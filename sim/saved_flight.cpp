#include "sim/saved_flight.h"

#include <cstdio>
#include <vector>

#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "devices/sound_services.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "platform/file_system.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/sim_world.h"
#include "sim/startup.h"
#include "sim/view_controller.h"
#include "ui/dialog_services.h"
#include "ui/file_dialogs.h"
#include "win/file_api.h"
#include "win/profile.h"

namespace sim {

std::string theCurrentFlightName = "StartUp.Flt";
std::optional<std::int32_t> theUnknownAircraftType;

namespace {

constexpr const char* kFlightsFolder = "Flights";
constexpr std::uint32_t kWaitCursor = 741;

int WorldLoad(core::IniFile& file, int flag) {
    return theSimWorld.LoadSituation(file, flag);
}
int WorldSave(core::IniFile& file) {
    return theSimWorld.SaveSituation(file);
}

bool HasFolder(const std::string& path) {
    return path.find('\\') != std::string::npos || path.find('/') != std::string::npos;
}

}  // namespace

// A plain file that exists and opens for reading (a device or a pipe is never opened: it
// could block the open or never end).
bool IsReadableFile(const std::string& path) {
    platform::FileInfo info;
    if (platform::GetFileInfo(path, &info) != platform::kFileOk || !info.isRegular) return false;
    win::FileHandle f =
        win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING);
    if (!f.IsValid()) return false;
    win::CloseHandle(f);
    return true;
}

namespace {

// A saved flight names its aircraft. A file without the "Aircraft" section's type is damaged,
// or no flight at all (empty, cut short, too large to read): loading it would put the aircraft
// at the origin without fuel.
bool NamesAnAircraft(core::IniFile& file) {
    const std::string type = file.GetString("Aircraft", "type", "");
    std::size_t i = type.find_first_not_of(" \t");
    if (i < type.size() && (type[i] == '+' || type[i] == '-')) ++i;
    return i < type.size() && type[i] >= '0' && type[i] <= '9';
}

// A flight whose aircraft values had to be held to what the world and the aircraft allow, or
// that names an aircraft type there is none of, is said once, with the keys, while it loads.
void TellHeldValues(const char* path) {
    const std::vector<std::string>& keys = flight::theHeldAircraftKeys;
    if (keys.empty() && !theUnknownAircraftType) return;
    std::string text = "The flight " + win::ShownPath(path);
    if (theUnknownAircraftType) {
        text += " names the aircraft type " + std::to_string(*theUnknownAircraftType) +
                ", which no aircraft has (0 to 5); it is flown as the Cessna 172 Skyhawk";
        win::TraceLine("flight: " + std::string(path) + " names the unknown aircraft type " +
                       std::to_string(*theUnknownAircraftType));
        text += keys.empty() ? "." : ", and";
    }
    if (!keys.empty()) {
        std::string named;
        for (std::size_t i = 0; i < keys.size() && i < 6; ++i)
            named += (i == 0 ? "" : ", ") + keys[i];
        if (keys.size() > 6) named += " and " + std::to_string(keys.size() - 6) + " more";
        text += std::string(" holds values the aircraft cannot have (") + named +
                "); they were held to the nearest it allows.";
        win::TraceLine("flight: " + std::string(path) + " held " + std::to_string(keys.size()) +
                       " values");
    }
    if (theMainWindow.window)
        ui::ShowMessageBox(theMainWindow.window, text, ui::MB_ICONEXCLAMATION);
    else
        std::fprintf(stderr, "zephlon: %s\n", text.c_str());
}

}  // namespace

SituationServices WorldSituationServices() {
    return SituationServices{&WorldLoad, &WorldSave};
}
SituationServices theSituationServices = WorldSituationServices();

int FlightFile::Load(win::HWND, const char* name, int flag) {
    if (name == nullptr) return 0;
    std::string path = name;
    if (path.find('\\') == std::string::npos) path = std::string(kFlightsFolder) + "\\" + path;
    return LoadFlight(path.c_str(), flag);
}

void EndCrash() {
    if (flight::theCrashed == 0 && cockpit::theCrashShown == 0) return;
    // The sound the crash silenced comes back with the flight.
    if (cockpit::theCrashSuspendedSound != 0) {
        devices::SetSoundSuspended(0);
        cockpit::theCrashSuspendedSound = 0;
    }
    flight::theCrashed = 0;
    cockpit::theCrashShown = 0;
    cockpit::theCockpitFullRedraw |= cockpit::kRedrawReloadFlags;
}

int LoadFlight(const char* path, int flag) {
    if (path == nullptr || !IsReadableFile(path)) return 0;
    // The settings accessor takes a bare name from beside the program; a flight's name is
    // always meant from the working folder.
    const std::string where = HasFolder(path) ? std::string(path) : std::string(".\\") + path;
    core::IniFile file(where.c_str());
    if (!NamesAnAircraft(file)) {
        win::TraceLine(std::string("flight: ") + path + " names no aircraft; nothing is changed");
        return 0;
    }
    flight::theHeldAircraftKeys.clear();
    theUnknownAircraftType.reset();
    const int result = theSituationServices.loadSituation(file, flag) & 1;
    if (result != 0) {
        theCurrentFlightName = path;
        EndCrash();
    }
    TellHeldValues(path);
    // A flight left in the low-panel view by an aircraft that has one falls back to the full
    // panel on an aircraft without.
    if (theViewController.GetViewMode() == kViewLowPanel && flight::theAircraft.GetType() >= 0 &&
        !flight::theAircraft.HasLowPanel())
        theViewController.SetViewMode(kViewFullPanel);
    return result;
}

int SaveFlight(const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    // Saved over a symbolic link, the flight goes into the file the link names and the link
    // stays, as the settings and plans do.
    const std::string where = HasFolder(path) ? std::string(path) : std::string(".\\") + path;
    if (core::SaveWholeIniFile(where, [](core::IniFile& file) {
            return theSituationServices.saveSituation(file);
        }) == 0) {
        if (win::GetLastError() == win::ERROR_BAD_FILE_TYPE)
            win::TraceLine("flight: " + where + " is not a file a flight can be saved in");
        return 0;
    }
    theCurrentFlightName = path;
    return 1;
}

std::vector<std::string> PlacementFlightNames() {
    std::vector<std::string> names;
    for (int type = 0; type <= 4; ++type) {
        names.push_back(DefaultFlightName(type, true));
        names.push_back(DefaultFlightName(type, false));
        for (flight::AirborneLeg leg : {flight::AirborneLeg::Cruise, flight::AirborneLeg::Pattern,
                                        flight::AirborneLeg::Final})
            names.emplace_back(flight::AirborneFlightName(type, leg));
    }
    return names;
}

int ResumeFlightDialog(std::string* path, win::HWND owner, int save) {
    ui::FileDialogRequest r;
    r.owner = owner;
    r.save = save != 0;
    r.filterName = "Flight Files (*.Flt)";
    r.filterPattern = "*.Flt";
    r.filterIndex = 1;
    r.initialFolder = kFlightsFolder;
    r.defaultExtension = "Flt";
    r.bufferSize = 256;
    if (save != 0) {
        r.title = "Save Flight";
        r.flags = ui::OFN_OVERWRITEPROMPT | ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR |
                  ui::OFN_NOREADONLYRETURN;
        // The starts the program places aircraft with are not offered for overwriting, nor
        // taken when typed: saving over one would change where the program places aircraft.
        r.hiddenNames = PlacementFlightNames();
        r.hiddenRefusal =
            "This name belongs to a start the program places aircraft with. Save the flight "
            "under another name.";
    } else {
        r.title = "Resume Flight";
        r.flags = ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR | ui::OFN_FILEMUSTEXIST;
        // The in-air starts that the airports and positioning choices place are no flights of
        // their own: they are not offered beside the flights to resume.
        for (int type = 0; type <= 4; ++type)
            for (flight::AirborneLeg leg : {flight::AirborneLeg::Cruise, flight::AirborneLeg::Pattern,
                                            flight::AirborneLeg::Final})
                r.hiddenNames.emplace_back(flight::AirborneFlightName(type, leg));
    }
    // Whatever the dialog did, the working folder is the program's again afterwards.
    const std::string folder = win::GetCurrentDirectory();
    const int chosen = save != 0 ? ShowSaveFileDialog(r) : ShowOpenFileDialog(r);
    win::SetCurrentDirectory(folder);
    if (chosen == 0) return 0;
    if (path != nullptr) *path = r.file;
    return 1;
}

int ResumeFlight(win::HWND owner, int flag) {
    std::string path;
    if (ResumeFlightDialog(&path, owner, 0) == 0) return 0;
    LoadAndSetCursor(kWaitCursor);
    const int result = LoadFlight(path.c_str(), flag);
    win::TraceLine(result != 0 ? "flight: resumed " + path : "flight: " + path + " not resumed");
    if (result == 0) {
        char text[512];
        std::snprintf(text, sizeof text, "The flight %s could not be loaded.",
                      win::ShownPath(path).c_str());
        ui::ShowMessageBox(owner, text, ui::MB_OK);
    }
    return result;
}

int SaveFlightAs(win::HWND owner) {
    std::string path;
    if (ResumeFlightDialog(&path, owner, 1) == 0) return 0;
    if (SaveFlight(path.c_str()) != 0) {
        win::TraceLine("flight: saved " + path);
        return 1;
    }
    const std::uint32_t error = win::GetLastError();
    win::TraceLine("flight: " + path + " not saved: " + win::DescribeFileError(error));
    ui::ShowFileMessage(owner, "The flight %s could not be saved.", path, error);
    return 0;
}

}  // namespace sim
