#include "sim/saved_flight.h"

#include <cstdio>

#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "ui/dialog_services.h"
#include "ui/file_dialogs.h"
#include "win/file_api.h"
#include "win/profile.h"

namespace sim {

std::string theCurrentFlightName = "StartUp.Flt";

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

// A file that exists and opens for reading.
bool Readable(const std::string& path) {
    const std::uint32_t attributes = win::GetFileAttributes(path);
    if (attributes == win::INVALID_FILE_ATTRIBUTES ||
        (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    win::FileHandle f =
        win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING);
    if (!f.IsValid()) return false;
    win::CloseHandle(f);
    return true;
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

int LoadFlight(const char* path, int flag) {
    if (path == nullptr || !Readable(path)) return 0;
    // The settings accessor takes a bare name from beside the program; a flight's name is
    // always meant from the working folder.
    const std::string where = HasFolder(path) ? std::string(path) : std::string(".\\") + path;
    core::IniFile file(where.c_str());
    const int result = theSituationServices.loadSituation(file, flag) & 1;
    if (result != 0) theCurrentFlightName = path;
    // A flight left in the low-panel view by an aircraft that has one falls back to the full
    // panel on an aircraft without.
    if (theViewController.GetViewMode() == kViewLowPanel && flight::theAircraft.GetType() >= 0 &&
        !flight::theAircraft.HasLowPanel())
        theViewController.SetViewMode(kViewFullPanel);
    return result;
}

int SaveFlight(const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    const std::string target = HasFolder(path) ? std::string(path) : std::string(".\\") + path;
    const std::string temporary = target + ".tmp";
    win::DeleteFile(temporary);
    int result = 0;
    {
        // Every section's keys are gathered and the temporary file written once.
        win::ProfileWriteBatch batch;
        core::IniFile file(temporary.c_str());
        result = theSituationServices.saveSituation(file);
        if (!batch.Flush()) result = 0;
    }
    if (result != 0 && win::GetFileAttributes(temporary) == win::INVALID_FILE_ATTRIBUTES) {
        // Nothing was written: an empty file is still a saved flight.
        win::FileHandle f = win::CreateFile(temporary, win::GENERIC_WRITE, 0, win::CREATE_ALWAYS);
        result = f.IsValid() ? 1 : 0;
        if (f.IsValid()) win::CloseHandle(f);
    }
    if (result == 0 || !win::MoveFileEx(temporary, target, win::MOVEFILE_REPLACE_EXISTING)) {
        win::DeleteFile(temporary);
        return 0;
    }
    theCurrentFlightName = path;
    return 1;
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
    } else {
        r.title = "Resume Flight";
        r.flags = ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR | ui::OFN_FILEMUSTEXIST;
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
        std::snprintf(text, sizeof text, "The flight %s could not be loaded.", path.c_str());
        ui::ShowMessageBox(owner, text, ui::MB_OK);
    }
    return result;
}

int SaveFlightAs(win::HWND owner) {
    std::string path;
    if (ResumeFlightDialog(&path, owner, 1) == 0) return 0;
    return SaveFlight(path.c_str());
}

}  // namespace sim
