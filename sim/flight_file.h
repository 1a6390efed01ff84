// Saved flights (".Flt") as the spine's start-up, restart and reloads load them: a name without a
// folder is taken from the folder "Flights" and found whatever the case of its letters; the
// loading itself is the saved-flight code's. A missing file changes nothing and answers 0.
#pragma once

#include <string>

namespace sim {

[[nodiscard]] std::string FlightPath(const std::string& name);
int LoadFlightFile(const std::string& name, int full);
// The saved-flight code's save (through a temporary file), for a host path.
int SaveFlightFile(const std::string& path);

}  // namespace sim
