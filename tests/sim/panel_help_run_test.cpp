// Right clicks on the panels of the starter installation's Baron and King Air show the help of
// the control under the mouse: the Baron's radio stack, or the engine gauges its swapped panel
// shows in the same place, and the King Air's torque dial and start switch.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "core/ini_file.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

using testsupport::StarterRun;

// The trace of right clicks at the points, on a flight of the installation, with its [Panel]
// swapPanel set as given.
std::string RightClicks(const char* flight, int swapPanel,
                        std::initializer_list<std::pair<int, int>> points) {
    testsupport::TempFolder dir("zephlon-panelhelp");
    if (!testsupport::UseStarterInstallation(dir, flight)) return {};
    {
        core::IniFile startup(dir.Path("Flights/Startup.Flt").c_str());
        startup.PutInt("Panel", "swapPanel", swapPanel);
    }
    std::string script = "wait 500\n";
    for (const auto& [x, y] : points)
        script += "mouse " + std::to_string(x) + " " + std::to_string(y) + " right-click\nwait 100\n";
    script += "quit\n";
    dir.Write("script.txt", script);
    const testsupport::CommandResult r = testsupport::RunCommand(
        StarterRun::Simrun() + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    return r.out;
}

// The text of the n-th help popup of a trace, empty when there are fewer.
std::string Popup(const std::string& trace, int n) {
    std::size_t at = 0;
    for (int i = 0; i <= n; ++i) {
        at = trace.find("help popup ", at);
        if (at == std::string::npos) return {};
        at += 11;
    }
    const std::size_t text = trace.find("): ", at);
    return trace.substr(text + 3, trace.find('\n', text) - text - 3);
}

TEST(PanelHelpRun, TheBaronsStackAndTheKingAirsDials) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    // The Baron's COM1 window, its clock, and a point beside the panel's switches.
    const std::string baron = RightClicks("BarStop.Flt", 0, {{500, 340}, {350, 296}, {207, 445}});
    EXPECT_EQ(Popup(baron, 0).rfind("DME:", 0), 0u) << baron;
    EXPECT_EQ(Popup(baron, 1), "Clock: the time of day.") << baron;
    EXPECT_EQ(Popup(baron, 2), "") << baron;

    // Swapped, the fuel gauge stands where the DME was.
    const std::string swapped = RightClicks("BarStop.Flt", 1, {{500, 340}});
    EXPECT_EQ(Popup(swapped, 0), "Fuel quantity: the fuel left in a tank.") << swapped;

    const std::string kingAir = RightClicks("KingStop.Flt", 0, {{379, 210}, {8, 460}});
    EXPECT_EQ(Popup(kingAir, 0).rfind("Torque gauge:", 0), 0u) << kingAir;
    EXPECT_EQ(Popup(kingAir, 1).rfind("Left engine start switch", 0), 0u) << kingAir;
}

// The twins' propeller synchronisation switch and the jet's speed brake switch, which one command
// works, each say what they do on their own panel.
TEST(PanelHelpRun, TheSyncAndSpeedBrakeSwitchesSayWhatTheyDo) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const auto& [flight, x, y] :
         {std::tuple{"BarStop.Flt", 192, 425}, std::tuple{"KingStop.Flt", 157, 460}}) {
        const std::string trace = RightClicks(flight, 0, {{x, y}});
        EXPECT_EQ(Popup(trace, 0).rfind("Propeller synchronisation:", 0), 0u) << flight << trace;
    }
    const std::string jet = RightClicks("JetStop.Flt", 0, {{182, 464}});
    EXPECT_EQ(Popup(jet, 0).rfind("Speed brakes:", 0), 0u) << jet;
}

}  // namespace
