// The first flight as a new user makes it: the starter installation, the script the project
// ships for it, and the trace and picture it leaves. The installation is linked, not copied, into
// a fresh folder, so the run's settings never land in the build tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/bmp_pixels.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

unsigned long Figure(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(name + "=");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at + name.size() + 1));
}

using testsupport::PixelAt;

TEST(FirstFlight, StartsFliesAndClosesAsTheStarterInstallationShipsIt) {
    const std::string bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(bin) || !fs::exists(install / "Flights"))
        GTEST_SKIP() << "simrun or the starter installation is not built";
    testsupport::TempFolder dir("zephlon-first");
    // Only the shipped data folders: a settings file or instance lock left in the installation by
    // a user's run must not reach the test's run.
    for (const fs::directory_entry& e : fs::directory_iterator(install))
        if (e.is_directory())
            testsupport::PlaceStarterFolder(e.path(), dir.Root());

    // The shipped script, its picture written into the test's folder.
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/scripts/first-flight.simrun");
    ASSERT_TRUE(in);
    std::string script;
    int shots = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("screenshot ", 0) == 0) {
            line = "screenshot " + dir.Path("first-flight.bmp");
            ++shots;
        }
        script += line + "\n";
    }
    ASSERT_EQ(shots, 1);
    dir.Write("script.txt", script);

    const testsupport::CommandResult r = testsupport::RunCommand(
        bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;

    // Start-up in its order, the picture, the close the user confirms.
    std::size_t at = 0;
    // The shipped pilot "Student" is current, so no pilot dialog comes first.
    EXPECT_EQ(r.out.find("dialog SelectPilot"), std::string::npos) << r.out;
    for (const char* line : {"flight: loaded Flights\\Startup.Flt",
                             "start-up done", "screenshot ", "quit", "dialog Exit", "exit=0"}) {
        at = r.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("refused"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    // 4 s of simulated time: 18.2 ticks a second. Parked, the world stands still: it is drawn
    // for the first picture and about once a second after it, as the sun moves.
    EXPECT_NEAR(static_cast<double>(Figure(r.out, "ticks")), 4000 * 0.0182, 2.0) << r.out;
    EXPECT_GE(Figure(r.out, "frames"), 4) << r.out;

    // In the cockpit by day with the parking brake set: "Brakes" in red over the panel's top,
    // and the menu bar off the top of the 640×480 screen, whose top rows show one colour (the
    // cabin's frame over the sky).
    const std::string picture = dir.Read("first-flight.bmp");
    int red = 0;
    for (int y = 150; y < 175; ++y)
        for (int x = 0; x < 60; ++x)
            red += PixelAt(picture, x, y) == 0xFF0000u ? 1 : 0;
    EXPECT_GT(red, 20) << "no red brakes readout";
    const std::uint32_t top = PixelAt(picture, 320, 0);
    int other = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 640; ++x)
            other += PixelAt(picture, x, y) != top ? 1 : 0;
    EXPECT_EQ(other, 0) << "something over the top rows";
}

}  // namespace
