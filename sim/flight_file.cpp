#include "sim/flight_file.h"

#include <filesystem>

#include "core/ini_file.h"
#include "sim/saved_flight.h"
#include "win/program_entry.h"

namespace sim {

std::string FlightPath(const std::string& name) {
    if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos) return name;
    return "Flights\\" + name;
}

namespace {
// The host path of a program path with backslashes.
std::string HostPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

// The host file of a path, found without regard to the case of each part.
std::string FindHostFile(const std::string& path) {
    std::filesystem::path result = ".";
    std::error_code ec;
    for (const auto& part : std::filesystem::path(HostPath(path))) {
        const std::filesystem::path direct = result / part;
        if (std::filesystem::exists(direct, ec)) {
            result = direct;
            continue;
        }
        bool found = false;
        if (std::filesystem::is_directory(result, ec))
            for (const auto& entry : std::filesystem::directory_iterator(result, ec)) {
                const std::string a = entry.path().filename().string();
                const std::string b = part.string();
                if (a.size() == b.size() &&
                    std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                        return std::tolower(static_cast<unsigned char>(x)) ==
                               std::tolower(static_cast<unsigned char>(y));
                    })) {
                    result = entry.path();
                    found = true;
                    break;
                }
            }
        if (!found) return std::string();
    }
    return result.string();
}
}  // namespace

int LoadFlightFile(const std::string& name, int full) {
    const std::string found = FindHostFile(FlightPath(name));
    if (found.empty()) {
        win::TraceLine("flight: " + FlightPath(name) + " missing");
        return 0;
    }
    const int r = LoadFlight(found.c_str(), full);
    win::TraceLine(r != 0 ? "flight: loaded " + FlightPath(name)
                          : "flight: " + FlightPath(name) + " not loaded");
    return r;
}

int SaveFlightFile(const std::string& path) {
    return SaveFlight(HostPath(path).c_str());
}

}  // namespace sim
