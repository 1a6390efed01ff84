// The whole program on the starter installation, flown with a scripted stick and heard through
// the headless card: the throttle axis opens the engine (its captured pitch rises), the stick's x
// axis is the aileron a saved flight keeps, a stick plugged in during the run is taken, and with
// sound disabled the same flight flies the same and plays nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "support/audio.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class SoundAndStick : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        // The shipped data, with the 172's ready-to-fly flight as the first flight.
        if (!fs::exists(bin) || !fs::exists(install / "Snd" / "SndFx.Vol") ||
            !testsupport::UseStarterInstallation(dir, "C172Fly.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    testsupport::CommandResult Play(const std::string& name, const std::string& script) {
        dir.Write(name + ".txt", script);
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " +
                                       dir.Path(name + ".txt") + " 2>&1");
    }
    // Brakes set, the stick in use, the engine started and left at idle, then opened fully.
    std::string FlyScript(const std::string& tag) {
        return "joystick plug \"Test Stick\" axes 4 buttons 8 hats 1\n"
               "joystick axis 2 32767\n"
               "frame-interval 20\nwait 500\nkey alt+j press\nkey b press\nkey s press\n"
               "wait 6000\naudio " +
               dir.Path(tag + "-idle.wav") + "\njoystick axis 2 -32768\nwait 9000\naudio " +
               dir.Path(tag + "-full.wav") + "\njoystick axis 0 20478\nwait 500\nsave " +
               dir.Path(tag + ".flt") + "\nquit\n";
    }
    testsupport::WavFile Wav(const std::string& name) {
        return testsupport::ReadWav16(dir.Read(name));
    }
    // The last two seconds of a capture's left channel.
    static std::vector<double> Tail(const testsupport::WavFile& w) {
        const std::size_t frames = w.samples.size() / 2;
        const std::size_t two = static_cast<std::size_t>(2 * w.rate);
        return testsupport::Channel(w.samples, 0, frames > two ? frames - two : 0);
    }
    std::string Key(const std::string& file, const char* key) {
        core::IniFile flight(dir.Path(file).c_str());
        return flight.GetString("Aircraft", key, "");
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-sound-run"};
};

TEST_F(SoundAndStick, TheThrottleAxisOpensTheEngineAndTheStickIsTheAileron) {
    const testsupport::CommandResult r = Play("fly", FlyScript("fly"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const testsupport::WavFile idle = Wav("fly-idle.wav");
    const testsupport::WavFile full = Wav("fly-full.wav");
    ASSERT_EQ(idle.rate, 11025);
    ASSERT_EQ(idle.channels, 2);
    // Sample n lies n / rate after sound opened: 6.5 s, then 9 s more.
    EXPECT_NEAR(idle.samples.size() / 2.0, 6.5 * 11025, 11025 * 0.1);
    EXPECT_NEAR(full.samples.size() / 2.0, 9.0 * 11025, 2);
    const double idlePitch = testsupport::Pitch(Tail(idle), 11025, 25, 150);
    const double fullPitch = testsupport::Pitch(Tail(full), 11025, 25, 150);
    ASSERT_GT(idlePitch, 0);
    EXPECT_GE(fullPitch, 1.5 * idlePitch)
        << idlePitch << " Hz at idle, " << fullPitch << " at full";
    EXPECT_GE(testsupport::Rms(Tail(full)), testsupport::Rms(Tail(idle)) * 0.98);
    EXPECT_EQ(Key("fly.flt", "fmAil"), "1745");
    EXPECT_EQ(Key("fly.flt", "fmThrot"), "32767");
}

TEST_F(SoundAndStick, WithSoundDisabledTheSameFlightFliesTheSameSilently) {
    ASSERT_EQ(Play("fly", FlyScript("loud")).status, 0);
    dir.Write("Zephlon.ini", "[Sound]\nEnabled=0\n");
    const testsupport::CommandResult r = Play("quiet", FlyScript("quiet"));
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* f : {"quiet-idle.wav", "quiet-full.wav"})
        EXPECT_EQ(testsupport::Rms(testsupport::Channel(Wav(f).samples, 0)), 0) << f;
    EXPECT_EQ(dir.Read("quiet.flt"), dir.Read("loud.flt"));
}

TEST_F(SoundAndStick, AStickPluggedInDuringTheRunIsTakenAndItsLossLeavesTheKeys) {
    const testsupport::CommandResult r =
        Play("hot",
             "frame-interval 20\nwait 500\nkey alt+j press\nwait 500\n"
             "joystick plug \"Late Stick\" axes 3 buttons 4 hats 0\nwait 200\n"
             "joystick axis 0 20478\nwait 500\nsave " +
                 dir.Path("plugged.flt") +
                 "\njoystick unplug\nwait 200\nkey numpad4 press\nwait 200\nsave " +
                 dir.Path("keys.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Key("plugged.flt", "fmAil"), "1745");
    EXPECT_NE(Key("keys.flt", "fmAil"), "1745") << "the keyboard's aileron flies on";
    EXPECT_NE(r.out.find("joystick plug Late Stick"), std::string::npos);
}

TEST_F(SoundAndStick, BadDeviceLinesStopTheRunBeforeItStarts) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"joystick wiggle", "expected plug, unplug, axis, button or hat"},
        {"joystick axis 2 40000", "a value -32768..32767"},
        {"joystick button 33 down", "a button 1..32"},
        {"joystick hat 0 sideways", "unknown hat direction"},
        {"joystick plug", "expected a joystick name"},
        {"audio", "expected a file name"},
    };
    for (const auto& c : cases) {
        const testsupport::CommandResult r = Play("bad", std::string(c.line) + "\nwait 100\n");
        EXPECT_EQ(r.status, 2) << c.line;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.line << ": " << r.out;
    }
}

// A button bound in the stick's own section of the settings does its command at every start,
// and the binding is still there after each: five starts with the stick plugged in.
TEST_F(SoundAndStick, AStickButtonBindingSurvivesEveryStart) {
    dir.Write("Zephlon.ini", "[Joysticks]\r\nActive=1\r\n[Test Stick]\r\nButton2=FlapsDown\r\n");
    for (int start = 1; start <= 5; ++start) {
        SCOPED_TRACE(start);
        const std::string flight = "start" + std::to_string(start) + ".flt";
        const testsupport::CommandResult r =
            Play("start",
                 "joystick plug \"Test Stick\" axes 4 buttons 8 hats 1\n"
                 "frame-interval 20\nwait 500\njoystick button 2 press\nwait 1500\nsave " +
                     dir.Path(flight) + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        // The first flight's flaps are up; the bound button lowers them a notch.
        EXPECT_GT(std::stoi(Key(flight, "fmFlaps")), 0) << r.out;
        core::IniFile settings(dir.Path("Zephlon.ini").c_str());
        EXPECT_STREQ(settings.GetString("Test Stick", "Button2", ""), "FlapsDown");
    }
}

// "Fly with the joystick" is the user's choice: a run without the stick keeps it, and the next
// run with the stick flies with it at once.
TEST_F(SoundAndStick, FlyingWithTheStickIsKeptThroughARunWithoutIt) {
    const std::string stick = "joystick plug \"Test Stick\" axes 4 buttons 8 hats 1\n";
    ASSERT_EQ(Play("choose", stick + "wait 500\nkey alt+j press\nwait 300\nquit\n").status, 0);
    ASSERT_EQ(Play("without", "wait 800\nquit\n").status, 0);
    core::IniFile settings(dir.Path("Zephlon.ini").c_str());
    EXPECT_EQ(settings.GetInt("Joysticks", "Active", 0), 1);
    const testsupport::CommandResult r =
        Play("with", stick + "frame-interval 20\nwait 500\njoystick axis 0 20478\nwait 500\nsave " +
                         dir.Path("with.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Key("with.flt", "fmAil"), "1745") << "the stick's aileron";
}

}  // namespace
