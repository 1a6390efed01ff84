// A folder of its own that looks like the starter installation (build/install) with one of its
// flights as the first flight: the data folders linked, the flights and flight plans copied, so a
// run may save and change them.
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace testsupport {

// One folder of the starter installation placed in a run's folder: the data folders linked; the
// pilots' folder, which every run writes (the pilot's file, the logbook), copied, so runs side by
// side neither write one shared file nor copy another's half-made one.
inline void PlaceStarterFolder(const std::filesystem::path& folder, const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    if (folder.filename() == "PILOT")
        fs::copy(folder, root / folder.filename(), fs::copy_options::recursive);
    else
        fs::create_symlink(folder, root / folder.filename());
}

// False when the installation (or that flight in it) is not built.
inline bool UseStarterInstallation(TempFolder& dir, const std::string& firstFlight) {
    namespace fs = std::filesystem;
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(install / "Flights" / firstFlight)) return false;
    // The plans are the user's too: a run may open, change and save them.
    for (const fs::directory_entry& e : fs::directory_iterator(install)) {
        const fs::path name = e.path().filename();
        if (!e.is_directory() || name == "Flights") continue;
        if (name == "FlightPlans")
            fs::copy(e.path(), fs::path(dir.Root()) / name, fs::copy_options::recursive);
        else
            PlaceStarterFolder(e.path(), dir.Root());
    }
    dir.MakeFolders("Flights");
    for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
        fs::copy_file(e.path(), dir.Path("Flights/" + e.path().filename().string()));
    fs::copy_file(install / "Flights" / firstFlight, dir.Path("Flights/Startup.Flt"),
                  fs::copy_options::overwrite_existing);
    return true;
}

}  // namespace testsupport
