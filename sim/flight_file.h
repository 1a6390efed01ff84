// Saved flights (".Flt") as the spine loads and saves them: a name without a folder is taken
// from the folder "Flights". A missing or unreadable file changes nothing and answers 0.
#pragma once

#include <string>

namespace sim {

[[nodiscard]] std::string FlightPath(const std::string& name);
int LoadFlightFile(const std::string& name, int full);
// Writes the situation into a fresh file beside the target and renames it over the target, so
// a failed save never leaves half a file.
int SaveFlightFile(const std::string& path);

}  // namespace sim
