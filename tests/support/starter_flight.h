// A folder of its own that looks like the starter installation (build/install) with one of its
// flights as the first flight: the data folders linked, the flights and flight plans copied, so a
// run may save and change them.
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace testsupport {

// False when the installation (or that flight in it) is not built.
inline bool UseStarterInstallation(TempFolder& dir, const std::string& firstFlight) {
    namespace fs = std::filesystem;
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(install / "Flights" / firstFlight)) return false;
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        if (e.is_directory() && e.path().filename() != "Flights" &&
            e.path().filename() != "FlightPlans")
            fs::create_symlink(e.path(), fs::path(dir.Root()) / e.path().filename());
    // The plans are the user's too: a run may open, change and save them.
    if (fs::exists(install / "FlightPlans"))
        fs::copy(install / "FlightPlans", dir.Path("FlightPlans"), fs::copy_options::recursive);
    dir.MakeFolders("Flights");
    for (const fs::directory_entry& e : fs::directory_iterator(install / "Flights"))
        fs::copy_file(e.path(), dir.Path("Flights/" + e.path().filename().string()));
    fs::copy_file(install / "Flights" / firstFlight, dir.Path("Flights/Startup.Flt"),
                  fs::copy_options::overwrite_existing);
    return true;
}

}  // namespace testsupport
