// The Baron parked at the ramp with its engines stopped and both masters on: nothing sounds, the
// stall warning included (its vane needs air flowing over the wing).
#include <gtest/gtest.h>

#include <string>

#include "core/ini_file.h"
#include "support/audio.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

TEST(ParkedRun, NoStallWarningStandingStillWithTheMastersOn) {
    testsupport::TempFolder dir("zephlon-parked");
    if (!testsupport::StarterRun::Built() ||
        !testsupport::UseStarterInstallation(dir, "BarStop.Flt"))
        GTEST_SKIP() << "simrun or the starter installation is not built";
    {
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Panel", "master", 1);
        flight.PutInt("Panel", "avionics", 1);
    }
    dir.Write("script.txt", "wait 3000\naudio " + dir.Path("parked.wav") + "\nquit\n");
    const testsupport::CommandResult r =
        testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " +
                                dir.Path("script.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    const testsupport::WavFile heard = testsupport::ReadWav16(dir.Read("parked.wav"));
    ASSERT_GT(heard.samples.size(), 2u * 11025);  // seconds of sound were captured
    EXPECT_LT(testsupport::Rms(testsupport::Channel(heard.samples, 0)), 1.0);  // below one step
}

}  // namespace
