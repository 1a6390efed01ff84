// The radios and the autopilot in the program, from the keys, in the starter installation: NAV1
// tuned and swapped at Oakland, its course turned onto the aircraft's radial from the Oakland VOR
// (FROM) and round to its reciprocal (TO), the runway 29 localizer heard, the transponder's code
// and VFR key, the autopilot turning an airborne 172 to its heading bug, and San Carlos' OSI
// VOR heard in Morse from the sound card.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "support/audio.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& line, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += line + "\n";
    return s;
}

double GcBearing(double lat1, double lon1, double lat2, double lon2) {
    const double r = navtest::kPi / 180.0;
    const double y = std::sin((lon2 - lon1) * r) * std::cos(lat2 * r);
    const double x = std::cos(lat1 * r) * std::sin(lat2 * r) -
                     std::sin(lat1 * r) * std::cos(lat2 * r) * std::cos((lon2 - lon1) * r);
    return std::fmod(std::atan2(y, x) / r + 360.0, 360.0);
}

class RadioProgram : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        if (!fs::exists(bin) || !testsupport::UseStarterInstallation(dir, "Startup.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    // The shipped flight as the first flight.
    void StartWith(const std::string& flight) {
        dir.Write("Flights/Startup.Flt", dir.Read("Flights/" + flight));
    }
    testsupport::CommandResult Play(const std::string& script) {
        dir.Write("script.txt", "frame-interval 20\nwait 1000\n" + script + "quit\n");
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                       " 2>&1");
    }
    std::string Save(const std::string& name) { return "wait 500\nsave " + dir.Path(name) + "\n"; }
    int Get(const std::string& flight, const char* section, const char* key) {
        core::IniFile f(dir.Path(flight).c_str());
        return f.GetInt(section, key, -99999);
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-radios"};
};

TEST_F(RadioProgram, NavOneTunedSwappedAndTurnedAtOakland) {
    StartWith("C172Fly.Flt");
    // The aircraft's radial from the Oakland VOR, from the public coordinates and variation.
    core::IniFile start(dir.Path("Flights/Startup.Flt").c_str());
    double lat = 0, lon = 0;
    navtest::WorldToGeographic(start.GetInt("Aircraft", "fmPosX", 0),
                               start.GetInt("Aircraft", "fmPosZ", 0), &lat, &lon);
    double vorLat = 0, vorLon = 0, variation = 0;
    for (const auto& r : navtest::ReadNavCsv("vor.csv"))
        if (r[0] == "OAK") {
            vorLat = std::stod(r[2]);
            vorLon = std::stod(r[3]);
            variation = std::stod(r[7]);
        }
    ASSERT_NE(vorLat, 0);
    const int radial = static_cast<int>(
        std::lround(std::fmod(GcBearing(vorLat, vorLon, lat, lon) - variation + 360.0, 360.0)));
    const int course = start.GetInt("NavAids", "vor1_obs_setting", 0);
    ASSERT_EQ(start.GetInt("NavAids", "nav1", 0), 1680);
    const int turns = ((radial - course) % 360 + 360) % 360;  // course +1 a Shift+0

    const testsupport::CommandResult r = Play(
        // NAV1 is first put on Woodside; its standby (San Francisco's 115.80) becomes Oakland.
        "radio NAV1 113.90\nkey shift+1 press\nkey shift+= press\nkey shift+[ press\n"
        "key shift+] press\n" +
        Save("tuned.flt") + "key shift+s press\n" + Save("swapped.flt") +
        Repeat("key shift+0 press", turns) + Save("from.flt") + Repeat("key shift+0 press", 180) +
        Save("to.flt") +
        // Oakland 29's localizer, 108.70, from Woodside's 113.90 on standby.
        Repeat("key shift+- press", 5) + Repeat("key shift+[ press", 4) + "key shift+s press\n" +
        Save("localizer.flt") +
        // The transponder: a digit down, then the VFR key.
        "key ctrl+3 press\nkey ctrl+- press\n" + Save("squawk.flt") + "key ctrl+v press\n" +
        Save("vfr.flt"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    EXPECT_EQ(Get("tuned.flt", "NavAids", "nav1Standby"), 1680);
    EXPECT_EQ(Get("tuned.flt", "NavAids", "nav1"), 1390);
    EXPECT_EQ(Get("swapped.flt", "NavAids", "nav1"), 1680);
    EXPECT_EQ(Get("swapped.flt", "NavAids", "nav1Standby"), 1390);
    EXPECT_EQ(Get("swapped.flt", "NavAids", "nav1RadioSelectedFlag"), 1);
    EXPECT_NE(r.out.find("nav: NAV1 116.80 OAK"), std::string::npos) << r.out;
    EXPECT_EQ(Get("from.flt", "NavAids", "vor1_obs_setting"), radial == 0 ? 360 : radial);
    EXPECT_EQ(Get("from.flt", "NavAids", "vor1_dir_flag"), 2);
    EXPECT_EQ(Get("to.flt", "NavAids", "vor1_dir_flag"), 1);
    EXPECT_EQ(Get("localizer.flt", "NavAids", "nav1"), 870);
    EXPECT_EQ(Get("localizer.flt", "NavAids", "vor1_dir_flag"), 3);
    EXPECT_EQ(Get("squawk.flt", "NavAids", "xpndr"), 1100);
    EXPECT_EQ(Get("vfr.flt", "NavAids", "xpndr"), 1200);
    EXPECT_EQ(Get("vfr.flt", "NavAids", "xpndrVFR"), 1);
}

TEST_F(RadioProgram, TheAutopilotTurnsAnAirborne172ToItsBug) {
    // The ready 172 lifted to 3,000 feet above the field at 100 knots, cruise power set.
    std::string flight = dir.Read("Flights/C172Fly.Flt");
    auto set = [&](const std::string& key, long value) {
        const std::size_t at = flight.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t end = flight.find('\r', at + 1);
        flight.replace(at + key.size() + 2, end - (at + key.size() + 2), std::to_string(value));
    };
    set("fmPosY", std::lround(3000 * 0.3048 * 256));
    set("fmOTG", 0);
    set("fmOGV", 0);
    set("fmHVel", std::lround(51.4 * 65536));
    set("fmTAVel", std::lround(51.4 * 65536));
    set("fmLBrake", 0);
    set("fmRBrake", 0);
    set("fmGear", 1);
    set("throttle", 25);
    // The ready flight ships the take-off trim; lifted to cruise the elevator takes the cruise
    // trim of the starter flight trimmed level in the air.
    set("fmElv", Get("Flights/C172Air.Flt", "Aircraft", "fmElv"));
    set("fmElvCur", Get("Flights/C172Air.Flt", "Aircraft", "fmElvCur"));
    set("elevatorTrim", Get("Flights/C172Air.Flt", "Panel", "elevatorTrim"));
    // Resumed from the menu: the first flight starts with its engines stopped.
    dir.Write("Flights/Air.Flt", flight);
    const int head = Get("Flights/Air.Flt", "Aircraft", "fmHead");
    const int bug = Get("Flights/Air.Flt", "NavAids", "nav1HSIbug");

    const testsupport::CommandResult r = Play(
        "menu 109\ndialog \"Resume Flight\"\nset 1120 Air.Flt\nkey Return press\nwait 500\n"
        "key shift+7 press\n" +
        Repeat("key shift+= press", 9) +
        "key shift+c press\nkey shift+z press\nkey shift+x press\n" + Save("engaged.flt") +
        "wait 25000\n" + Save("turned.flt") + "wait 5000\n" + Save("steady.flt") +
        Repeat("key shift+= press", 9) + "wait 25000\n" + Save("again.flt"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Get("engaged.flt", "NavAids", "nav1HSIbug"), (bug + 90) % 360);
    EXPECT_EQ(Get("engaged.flt", "Panel", "APap"), 1);
    EXPECT_EQ(Get("engaged.flt", "Panel", "APhdg"), 1);
    EXPECT_EQ(Get("engaged.flt", "Panel", "APalt"), 1);
    EXPECT_EQ(Get("again.flt", "NavAids", "nav1HSIbug"), (bug + 180) % 360);
    auto heading = [&](const char* flight) {
        return Get(flight, "Aircraft", "fmHead") * 360.0 / 65536.0;
    };
    auto turn = [](double from, double to) { return std::remainder(to - from, 360.0); };
    // A right turn onto the bug (the world's grid and the chart differ by the variation, so the
    // first turn's size depends on it), held there; the next 90 degrees of bug turn it 90 more.
    EXPECT_GT(turn(head * 360.0 / 65536.0, heading("turned.flt")), 30) << r.out;
    EXPECT_LT(std::fabs(turn(heading("turned.flt"), heading("steady.flt"))), 2);
    EXPECT_NEAR(turn(heading("steady.flt"), heading("again.flt")), 90, 3);
    for (const char* f : {"turned.flt", "again.flt"}) {
        EXPECT_EQ(Get(f, "Aircraft", "fmOTG"), 0) << f;
        EXPECT_EQ(Get(f, "Aircraft", "fmEngines"), 1) << f;
        // The altitude held at 3000 ft: a saved height counts from the ground under the
        // aircraft, and the hills below lie up to about 700 ft above the sea.
        const double aboveGround = Get(f, "Aircraft", "fmPosY") / 256.0 / 0.3048;
        EXPECT_GT(aboveGround, 3000 - 300 - 700) << f;
        EXPECT_LT(aboveGround, 3000 + 300) << f;
    }
}

TEST_F(RadioProgram, SanCarlosOsiIsHeardInMorse) {
    // The startup flight stands at San Carlos with NAV1 on Woodside.
    const testsupport::CommandResult r =
        Play("audio " + dir.Path("before.wav") +
             "\nkey shift+1 press\nkey shift+i press\nkey alt+3 press\nwait 25000\naudio " +
             dir.Path("ident.wav") + "\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const testsupport::WavFile w = testsupport::ReadWav16(dir.Read("ident.wav"));
    ASSERT_GT(w.rate, 0);
    const std::vector<double> left = testsupport::Channel(w.samples, 0);
    // The 1020 Hz keying, picked out of whatever else sounds by its tone's power in 60 ms
    // windows every 10 ms.
    const std::size_t window = static_cast<std::size_t>(0.06 * w.rate);
    const std::size_t hop = static_cast<std::size_t>(0.01 * w.rate);
    std::vector<double> power;
    const double k = 2 * std::cos(2 * navtest::kPi * 1020.0 / w.rate);
    for (std::size_t start = 0; start + window <= left.size(); start += hop) {
        double s1 = 0, s2 = 0;
        for (std::size_t i = start; i < start + window; ++i) {
            const double s0 = left[i] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        power.push_back(s1 * s1 + s2 * s2 - k * s1 * s2);
    }
    double loudest = 0;
    for (double p : power)
        loudest = std::max(loudest, p);
    ASSERT_GT(loudest, 0);
    std::vector<testsupport::Segment> tones;
    for (std::size_t i = 0; i < power.size(); ++i) {
        if (power[i] < 0.2 * loudest) continue;
        if (!tones.empty() && tones.back().start + tones.back().length >= i * hop) {
            tones.back().length = i * hop + hop - tones.back().start;
        } else {
            tones.push_back(testsupport::Segment{i * hop, hop, 1020});
        }
    }
    const std::string heard = testsupport::FromMorse(testsupport::Morse(tones, 0.12 * w.rate));
    EXPECT_NE(heard.find("osi"), std::string::npos) << heard;
}

}  // namespace
