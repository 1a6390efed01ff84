// Whole-program runs in the starter installation (build/install, made by the data maker): its
// data folders linked into a fresh folder, its flights copied so that a run may change them,
// and simrun driving the program there. What a user keeps (a saved flight, a screenshot, the
// settings file) lands in that folder too.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace testsupport {

class StarterRun {
public:
    explicit StarterRun(const char* prefix = "zephlon-run") : dir_(prefix) {
        if (Built()) UseStarterInstallation(dir_, "Startup.Flt");
    }

    static std::filesystem::path Install() {
        return std::filesystem::path(ZEPHLON_BINARY_DIR) / "install";
    }
    static std::string Simrun() { return std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun"; }
    [[nodiscard]] static bool Built() {
        return std::filesystem::exists(Simrun()) &&
               std::filesystem::exists(Install() / "Flights" / "Startup.Flt");
    }

    [[nodiscard]] const TempFolder& Dir() const { return dir_; }

    // Runs the script in the installation; the output holds the trace and the figures.
    CommandResult Play(const std::string& script) const {
        dir_.Write("script.txt", script);
        return RunCommand(Simrun() + " --dir " + dir_.Root() + " " + dir_.Path("script.txt") +
                          " 2>&1");
    }

private:
    TempFolder dir_;
};

// The value of a key in a saved flight or settings text ("fmOTG=0"), from the first section that
// has it; nothing when no line sets it.
inline std::optional<long long> SavedValue(const std::string& text, const std::string& key) {
    const std::string wanted = "\n" + key + "=";
    const std::size_t at = ("\n" + text).find(wanted);
    if (at == std::string::npos) return std::nullopt;
    return std::strtoll(text.c_str() + at + wanted.size() - 1, nullptr, 10);
}

// A figure of the runner's last line ("ticks=NNN").
inline unsigned long RunFigure(const std::string& out, const std::string& name) {
    const std::size_t at = out.rfind(name + "=");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at + name.size() + 1));
}

}  // namespace testsupport
