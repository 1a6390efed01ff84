// The cockpit in the program, as a user meets it in the starter installation: the first flight's
// panel on screen, the take-off run from the keys (starter, brake, full throttle), the mixture
// cut-off stopping the engine and the starter bringing it back, with sound on and off.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "core/endian.h"
#include "core/ini_file.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct ScriptRun {
    testsupport::CommandResult result;
    std::string folder;
};

// The installation's data folders linked into a fresh folder, and the script run there.
ScriptRun RunScript(testsupport::TempFolder& dir, const std::string& script, const std::string& ini) {
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        if (e.is_directory())
            fs::create_symlink(e.path(), fs::path(dir.Root()) / e.path().filename());
    if (!ini.empty()) dir.Write("zephlon.ini", ini);
    dir.Write("script.txt", script);
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    return {testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                    " 2>&1"),
            dir.Root()};
}

bool Ready() {
    return fs::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun") &&
           fs::exists(std::string(ZEPHLON_BINARY_DIR) + "/install/Art/Panel.Vol");
}

std::string Repeat(const std::string& line, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += line + "\n";
    return s;
}

// Distinct colours of the rows below `row` of an 8-bit or 24-bit BMP.
int ColoursBelow(const std::string& bytes, int row) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 54 || b[0] != 'B' || b[1] != 'M') return 0;
    const unsigned bpp = core::ReadU16(b + 28) / 8u;
    const auto width = static_cast<std::int32_t>(core::ReadU32(b + 18));
    const auto height = static_cast<std::int32_t>(core::ReadU32(b + 22));
    const std::size_t stride = (static_cast<std::size_t>(width) * bpp + 3) & ~std::size_t{3};
    std::set<std::uint32_t> seen;
    for (int y = row + 1; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at =
                core::ReadU32(b + 10) + stride * static_cast<std::size_t>(height - 1 - y) + x * bpp;
            if (at + bpp > bytes.size()) return 0;
            const std::uint8_t* c = bpp == 3 ? b + at : b + 54 + 4 * b[at];
            seen.insert((std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0]);
        }
    return static_cast<int>(seen.size());
}

class CockpitProgram : public ::testing::TestWithParam<bool> {};

TEST_P(CockpitProgram, TakeOffStopAndRestartFromTheKeys) {
    if (!Ready()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const bool soundOff = GetParam();
    testsupport::TempFolder dir("zephlon-cockpit");
    const std::string script =
        "wait 1000\nscreenshot " + dir.Path("panel.bmp") +
        "\nkey S press\nwait 3000\nkey B press\nkey backspace press\nwait 25000\nsave " +
        dir.Path("rolled.Flt") + "\n" + Repeat("key numpad/ press", 31) + "wait 3000\nsave " +
        dir.Path("stopped.Flt") + "\n" + Repeat("key numpad* press", 31) +
        "key S press\nwait 4000\nsave " + dir.Path("restarted.Flt") + "\nquit\n";
    const ScriptRun r = RunScript(dir, script, soundOff ? "[Sound]\r\nEnabled=0\r\n" : "");
    ASSERT_EQ(r.result.status, 0) << r.result.out;

    // The panel below the 3D view.
    EXPECT_GE(ColoursBelow(dir.Read("panel.bmp"), 171), 16);

    core::IniFile rolled(dir.Path("rolled.Flt").c_str());
    core::IniFile start(
        (std::string(ZEPHLON_BINARY_DIR) + "/install/Flights/Startup.Flt").c_str());
    EXPECT_EQ(rolled.GetInt("Aircraft", "fmEngines", -1) & 1, 1) << r.result.out;
    EXPECT_GE(rolled.GetInt("Aircraft", "fmThrot", 0), 32000);
    EXPECT_EQ(rolled.GetInt("Panel", "throttle", 0), 31);
    // Along the runway: 150 m is 150 x 256 flight-model units.
    const double dx = rolled.GetInt("Aircraft", "fmPosX", 0) - start.GetInt("Aircraft", "fmPosX", 0);
    const double dz = rolled.GetInt("Aircraft", "fmPosZ", 0) - start.GetInt("Aircraft", "fmPosZ", 0);
    EXPECT_GE(std::hypot(dx, dz), 150.0 * 256) << r.result.out;

    core::IniFile stopped(dir.Path("stopped.Flt").c_str());
    EXPECT_EQ(stopped.GetInt("Aircraft", "fmEngines", -1), 0);
    EXPECT_EQ(stopped.GetInt("Panel", "mixture", -1), 0);
    core::IniFile restarted(dir.Path("restarted.Flt").c_str());
    EXPECT_EQ(restarted.GetInt("Aircraft", "fmEngines", -1) & 1, 1) << r.result.out;
    EXPECT_EQ(restarted.GetInt("Panel", "mixture", -1), 31);

    // The trace tells the engine's story in order.
    std::size_t at = 0;
    for (const char* line : {"panel: primed 1 of 1", "engine 1 running", "engine 1 stopping",
                             "engine 1 stopped", "engine 1 starting", "engine 1 running"}) {
        at = r.result.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n"
                                         << r.result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(SoundOnAndOff, CockpitProgram, ::testing::Values(false, true));

}  // namespace
