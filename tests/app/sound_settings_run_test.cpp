// The Sound dialog's "turn all sound off" as a user keeps it: turned off in one session, the
// next one, in cruise with the engine running, shows the box still ticked and plays nothing;
// turned on again, the engine is heard again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/audio.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

class SoundSettingsRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built() ||
            !testsupport::UseStarterInstallation(dir, "Cruise.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    testsupport::CommandResult Play(const std::string& script) {
        dir.Write("script.txt", script);
        return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                       " " + dir.Path("script.txt") + " 2>&1");
    }
    // A session that sets the box (1 off, 0 on), flies two seconds and keeps what it heard.
    testsupport::CommandResult Session(int off, const std::string& wav) {
        return Play(
            "frame-interval 20\nwait 300\nmenu 455\ndialog SoundVolume\nread 1712\n"
            "set 1712 " +
            std::to_string(off) + "\nclick 1\nwait 2000\naudio " + dir.Path(wav) + "\nquit\n");
    }
    double Loudness(const std::string& wav) {
        const testsupport::WavFile w = testsupport::ReadWav16(dir.Read(wav));
        return testsupport::Rms(testsupport::Channel(w.samples, 0));
    }
    testsupport::TempFolder dir{"zephlon-sound-off"};
};

TEST_F(SoundSettingsRun, SoundTurnedOffStaysOffAcrossARestart) {
    const testsupport::CommandResult first = Session(1, "first.wav");
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("read 1712 Button \"Turn all sound off\""), std::string::npos)
        << first.out;
    // The next session: the box is still ticked, and the engine in cruise is not heard.
    const testsupport::CommandResult second =
        Play("frame-interval 20\nwait 2000\naudio " + dir.Path("off.wav") +
             "\nmenu 455\ndialog SoundVolume\nread 1712\nclick 2\nwait 100\nquit\n");
    ASSERT_EQ(second.status, 0) << second.out;
    const std::size_t read = second.out.find("read 1712 ");
    ASSERT_NE(read, std::string::npos) << second.out;
    EXPECT_NE(second.out.find("checked=1", read), std::string::npos) << second.out;
    EXPECT_LT(Loudness("off.wav"), 1.0);
    // Turned on again, the engine is heard in the same session and the next.
    const testsupport::CommandResult third = Session(0, "on.wav");
    ASSERT_EQ(third.status, 0) << third.out;
    EXPECT_GT(Loudness("on.wav"), 100.0);
    const testsupport::CommandResult fourth =
        Play("frame-interval 20\nwait 2000\naudio " + dir.Path("again.wav") + "\nquit\n");
    ASSERT_EQ(fourth.status, 0) << fourth.out;
    EXPECT_GT(Loudness("again.wav"), 100.0);
}

// The sound card stays open from the start to the exit: another aircraft, the restart and the
// dialogs (which stop the clock) leave it playing; only the pilot's pause closes it, and ending
// the pause opens it once more. The runner counts the card's openings; where the engine runs on
// afterwards, its sound is heard in the last second.
TEST_F(SoundSettingsRun, TheCardStaysOpenUntilThePilotPauses) {
    struct Case {
        const char* name;
        const char* steps;
        int opens;
        bool engineHeard;
    };
    const Case cases[] = {
        {"another aircraft", "menu 130\ndialog FlightModel\nclick 1743\nclick 1\n", 1, true},
        {"restart", "key Ctrl+E press\n", 1, false},
        {"dialogs",
         "menu 455\ndialog SoundVolume\nclick 2\nwait 200\nmenu 400\ndialog RadioComm\n"
         "click 2\nwait 200\nmenu 298\ndialog Virtual_Airspace\nclick 2\nwait 200\n"
         "menu 130\ndialog FlightModel\nclick 2\n",
         1, true},
        {"pause", "key P press\nwait 1000\nkey Esc press\n", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::CommandResult r =
            Play(std::string("frame-interval 20\nwait 500\n") + c.steps + "wait 2000\naudio " +
                 dir.Path("heard.wav") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("sound_opens=" + std::to_string(c.opens) + "\n"), std::string::npos)
            << r.out.substr(r.out.rfind("exit="));
        if (!c.engineHeard) continue;
        const testsupport::WavFile w = testsupport::ReadWav16(dir.Read("heard.wav"));
        const std::vector<double> left = testsupport::Channel(w.samples, 0);
        ASSERT_GT(left.size(), 11025u);
        EXPECT_GT(testsupport::Rms(std::vector<double>(left.end() - 11025, left.end())), 100.0);
    }
}

// A flight loaded with its engines running is heard at its running level from the first frames
// after the load, as loud as a second later; one loaded with its engines stopped is silent.
TEST_F(SoundSettingsRun, ALoadedFlightSoundsAsItsEnginesRun) {
    const std::string resume = "menu 109\ndialog \"Resume Flight\"\nset 1120 ";
    struct Case {
        const char* name;
        std::string before;  // steps before the load
        std::string load;
        bool heard;
    };
    const Case cases[] = {
        {"172 idling on the ground", "", resume + "C172Fly.Flt\nkey Return press\n", true},
        {"172 in cruise", "", resume + "Cruise.Flt\nkey Return press\n", true},
        {"Bonanza on the ground", "", resume + "BonFly.Flt\nkey Return press\n", true},
        {"Baron on the ground", "", resume + "BarFly.Flt\nkey Return press\n", true},
        {"King Air on the ground", "", resume + "KingFly.Flt\nkey Return press\n", true},
        {"jet on the ground", "", resume + "JetFly.Flt\nkey Return press\n", true},
        {"restart", "", "key Ctrl+E press\n", true},
        {"another aircraft (the Bonanza)", resume + "C172Fly.Flt\nkey Return press\nwait 1000\n",
         "menu 130\ndialog FlightModel\nclick 1743\nclick 1\n", true},
        {"Baron parked", resume + "C172Fly.Flt\nkey Return press\nwait 1000\n",
         resume + "BarStop.Flt\nkey Return press\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testsupport::CommandResult r =
            Play("frame-interval 20\nwait 500\n" + c.before + "audio " + dir.Path("before.wav") +
                 "\n" + c.load + "wait 200\naudio " + dir.Path("first.wav") + "\nwait 800\naudio " +
                 dir.Path("rest.wav") + "\nwait 1000\naudio " + dir.Path("later.wav") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const double first = Loudness("first.wav");
        const double later = Loudness("later.wav");
        if (!c.heard) {
            EXPECT_LT(std::max({first, Loudness("rest.wav"), later}), 1.0);
            continue;
        }
        ASSERT_GT(later, 1000.0);
        EXPECT_GT(first, 0.8 * later)
            << first << " in the first fifth of a second, " << later << " a second later";
    }
}

}  // namespace
