// Whole-program runs in the starter installation (build/install, made by the data maker): its
// data folders linked into a fresh folder, its flights copied so that a run may change them,
// and simrun driving the program there. What a user keeps (a saved flight, a screenshot, the
// settings file) lands in that folder too.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace testsupport {

// A committed script (`path` below tests/) with "@dir" standing for `folder`.
inline std::string CommittedScript(const std::string& path, const std::string& folder) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/" + path);
    EXPECT_TRUE(in) << path;
    std::stringstream text;
    text << in.rdbuf();
    std::string script = text.str();
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;) script.replace(at, 4, folder);
    return script;
}

// The starter installation's folders in `dir`: those named in `copied` copied whole (a run
// writes them), every other linked.
inline void LinkStarterFolders(const TempFolder& dir, std::initializer_list<const char*> copied) {
    namespace fs = std::filesystem;
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    for (const fs::directory_entry& e : fs::directory_iterator(install)) {
        if (!e.is_directory()) continue;
        const fs::path to = fs::path(dir.Root()) / e.path().filename();
        bool copy = false;
        for (const char* name : copied) copy = copy || e.path().filename() == name;
        if (copy)
            fs::copy(e.path(), to, fs::copy_options::recursive);
        else
            PlaceStarterFolder(e.path(), dir.Root());
    }
}

class StarterRun {
public:
    // `firstFlight` is the installation's flight the program starts with.
    explicit StarterRun(const char* prefix = "zephlon-run",
                        const std::string& firstFlight = "Startup.Flt")
        : dir_(prefix) {
        if (Built()) UseStarterInstallation(dir_, firstFlight);
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

// A test in the starter installation whose runs may write flights, plans and pilots (those
// folders copied, the others linked), playing its scripts there.
class StarterRunTest : public ::testing::Test {
protected:
    explicit StarterRunTest(const char* prefix) : dir(prefix) {}
    void SetUp() override {
        if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
        LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
    }
    // The output holds the trace, the figures and what went to the error output.
    CommandResult Play(const std::string& script) const {
        dir.Write("script.txt", script);
        return RunCommand(StarterRun::Simrun() + " --dir " + dir.Root() + " " +
                          dir.Path("script.txt") + " 2>&1");
    }
    TempFolder dir;
};

// The value of a key in a saved flight or settings text ("fmOTG=0"), from the first section that
// has it; nothing when no line sets it.
inline std::optional<long long> SavedValue(const std::string& text, const std::string& key) {
    const std::string wanted = "\n" + key + "=";
    const std::size_t at = ("\n" + text).find(wanted);
    if (at == std::string::npos) return std::nullopt;
    return std::strtoll(text.c_str() + at + wanted.size() - 1, nullptr, 10);
}

// A saved flight with a key's value replaced (the key must be there).
inline void PutSavedValue(std::string& flight, const std::string& key, long long value) {
    const std::size_t at = flight.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    flight.replace(at + 1, flight.find('\n', at + 1) - at - 1, key + "=" + std::to_string(value));
}

// A saved in-air flight flying `factor` times as fast along the same path.
inline void ScaleSavedSpeed(std::string& flight, double factor) {
    for (const char* key : {"fmHVel", "fmTAVel", "fmDeltaX", "fmDeltaZ"})
        PutSavedValue(flight, key, std::llround(SavedValue(flight, key).value_or(0) * factor));
}

// The colour of a screenshot's pixel (8-bit with its palette, or 24/32-bit).
struct ScreenRgb {
    int r, g, b;
};
inline ScreenRgb ScreenshotPixel(const std::string& bmp, int x, int y) {
    auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<std::uint8_t>(bmp[at + static_cast<std::size_t>(i)]);
        return v;
    };
    auto byte = [&](std::size_t at) { return static_cast<int>(static_cast<std::uint8_t>(bmp[at])); };
    const std::uint32_t offset = u32(10), width = u32(18), height = u32(22);
    const int bits = static_cast<int>(u32(28) & 0xFFFF);
    const std::size_t stride = (width * static_cast<std::uint32_t>(bits) / 8 + 3) & ~3u;
    const std::size_t at = offset + (height - 1 - static_cast<std::size_t>(y)) * stride +
                           static_cast<std::size_t>(x * bits / 8);
    if (bits == 8) {
        const std::size_t entry = 54 + 4 * static_cast<std::size_t>(byte(at));
        return {byte(entry + 2), byte(entry + 1), byte(entry)};
    }
    return {byte(at + 2), byte(at + 1), byte(at)};
}

// A figure of the runner's last line ("ticks=NNN").
inline unsigned long RunFigure(const std::string& out, const std::string& name) {
    const std::size_t at = out.rfind(name + "=");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at + name.size() + 1));
}

}  // namespace testsupport
