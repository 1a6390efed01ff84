// The whole program on the starter installation, talking to the tower: the Baron parked at
// Teterboro's ramp with its masters and COM1's audio on. Tuning the airport's ATIS starts a session
// and the broadcast is heard; ground clears the aircraft to taxi with a squawk; the flight is saved
// there and loaded again, the squawk dialled, the tower called, and the dialogue goes on to the
// take-off clearance, whose clips are found in the captured sound in the tower's voice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "devices/wave.h"
#include "atc_channels.h"
#include "speech_match.h"
#include "support/audio.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using apptest::Clip;
using apptest::Find;
using apptest::WithoutLoop;

class AtcRun : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Snd" / "TowerATC.Vol") ||
            !testsupport::UseStarterInstallation(dir, "BarStop.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        // The masters on and COM1 heard, as a pilot sets them before calling; at the ramp, 600 ft
        // behind the runway's end the parked flight stands at (on the runway the tower, not
        // ground, would take the aircraft).
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Panel", "master", 1);
        flight.PutInt("Panel", "avionics", 1);
        flight.PutInt("Panel", "audioMixCom1", 1);
        const double heading =
            (flight.GetInt("Aircraft", "fmHead", 0) & 0xFFFF) * 2 * 3.14159265358979 / 65536;
        const double back = 600 * 78.03;  // flight-model units of 600 ft
        flight.PutInt("Aircraft", "fmPosX",
                      flight.GetInt("Aircraft", "fmPosX", 0) -
                          static_cast<int>(std::lround(std::sin(heading) * back)));
        flight.PutInt("Aircraft", "fmPosZ",
                      flight.GetInt("Aircraft", "fmPosZ", 0) -
                          static_cast<int>(std::lround(std::cos(heading) * back)));
    }
    testsupport::CommandResult Play(const std::string& name, const std::string& script) {
        dir.Write(name + ".txt", script);
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " +
                                       dir.Path(name + ".txt") + " 2>&1");
    }
    std::string Atc(const std::string& file, const char* key) {
        core::IniFile flight(dir.Path(file).c_str());
        return flight.GetString("ATCComm", key, "");
    }
    // The capture's left channel without any looping clip.
    std::vector<double> Heard(const std::string& file) {
        std::vector<double> x =
            testsupport::Channel(testsupport::ReadWav16(dir.Read(file)).samples, 0);
        return WithoutLoop(std::move(x), 11025);
    }

    std::string bin;
    fs::path install;
    testsupport::TempFolder dir{"zephlon-atc-run"};
};

TEST_F(AtcRun, TheAtisStartsASessionAndTheTowerClearsTheBaronForTakeOff) {
    // Part one: the ATIS, then ground, then the flight saved at the ramp.
    testsupport::CommandResult r =
        Play("ramp", "frame-interval 500\nwait 1000\nradio COM1 132.00\nwait 20000\naudio " +
                         dir.Path("atis.wav") + "\nradio COM1 121.90\nwait 30000\n"
                         // The readbacks heard, a left-hand pattern, the traffic's calls heard.
                         "menu 400\ndialog RadioComm\nexpect 1538 2500\nset 1567 1\n"
                         "set 1589 1\nclick 1\nwait 100\nmenu 298\ndialog Virtual_Airspace\n"
                         "set 1567 1\nclick 1\nwait 100\nsave " +
                         dir.Path("ramp.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("atc: session KTEB runway "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("atc: state 0 message 501"), std::string::npos) << r.out;
    EXPECT_EQ(Atc("ramp.flt", "atcOn"), "1");
    EXPECT_EQ(Atc("ramp.flt", "atisFreq"), "132.00");
    EXPECT_EQ(Atc("ramp.flt", "towerFreq"), "125.10");
    EXPECT_EQ(Atc("ramp.flt", "listen"), "1");
    EXPECT_EQ(Atc("ramp.flt", "lHand"), "1");
    EXPECT_EQ(Atc("ramp.flt", "listenVP"), "1");
    const std::string squawk = Atc("ramp.flt", "squawk");
    ASSERT_EQ(squawk.size(), 4u);
    EXPECT_EQ(squawk.find_first_not_of("01234567"), std::string::npos) << squawk;

    // The broadcast opens with its first phrase in one of the controllers' voices.
    const std::vector<double> atis = Heard("atis.wav");
    double bestAtis = 0;
    for (int voice : {0, 100, 200, 300}) {
        std::size_t at = 0;
        bestAtis = std::max(bestAtis, Find(atis, Clip(install, 7001 + voice), 0, &at));
    }
    EXPECT_GT(bestAtis, 0.98) << "the ATIS's opening phrase is not heard";

    // Part two: taxied to the threshold, the flight is loaded again; the squawk is dialled and
    // the tower called.
    core::IniFile saved(dir.Path("ramp.flt").c_str());
    const std::string x = Atc("ramp.flt", "xRwy"), z = Atc("ramp.flt", "zRwy");
    saved.PutString("Aircraft", "fmPosX", x.c_str());
    saved.PutString("Aircraft", "fmPosZ", z.c_str());
    fs::copy_file(dir.Path("ramp.flt"), dir.Path("Flights/Startup.Flt"),
                  fs::copy_options::overwrite_existing);
    r = Play("runway", "frame-interval 500\nwait 1000\nradio XPDR " + squawk +
                           "\nwait 20000\nradio COM1 125.10\nwait 60000\naudio " +
                           dir.Path("tower.wav") + "\nsave " + dir.Path("runway.flt") +
                           "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("out of range"), std::string::npos) << r.out;
    std::vector<std::size_t> order;
    for (const char* line : {"message 502", "message 503", "message 507"}) {
        order.push_back(r.out.find(line));
        EXPECT_NE(order.back(), std::string::npos) << line << "\n" << r.out;
    }
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << r.out;
    const bool held = r.out.find("message 506") != std::string::npos;
    EXPECT_TRUE(held || r.out.find("message 505") != std::string::npos) << r.out;

    // "Cleared for take-off, runway" and then the runway's number, in the tower's voice.
    const int tower = std::stoi(Atc("runway.flt", "towerNum"));
    const std::string runway = Atc("runway.flt", "toRwy");
    ASSERT_FALSE(runway.empty());
    const std::vector<double> heard = Heard("tower.wav");
    std::size_t cleared = 0, digit = 0;
    EXPECT_GT(Find(heard, Clip(install, tower + 2002), 0, &cleared), 0.98);
    const int firstDigit = runway[0] == '0' ? 10 : runway[0] - '0';
    EXPECT_GT(Find(heard, Clip(install, tower + 4500 + firstDigit), cleared, &digit), 0.98);
    EXPECT_GT(digit, cleared);
    EXPECT_LT(digit - cleared, 11025u * 4) << "the runway follows the clearance";
}

// The ATIS heard whole over a running engine: the 172 at Oakland with its masters on, the
// broadcast captured with the engine stopped and with it started and idling. Over the engine the
// broadcast runs from its opening phrase to its last as long as without it, each found where the
// words are clear, and hardly a sample of it reaches the card's limits (at most the instant the
// broadcast starts, before the engine is heard lower).
TEST_F(AtcRun, TheAtisIsHeardWholeOverARunningEngine) {
    const std::string atis = apptest::Channels("KOAK").at("atis");
    struct Broadcast {
        double opening = 0, closing = 0;  // seconds into the capture
        double clear = 1;                 // the poorer fit of the two phrases
        int clipped = 0;                  // samples at the card's limits between them
    };
    const auto listen = [&](bool engine) {
        fs::copy_file(install / "Flights" / "C172Fly.Flt", dir.Path("Flights/Startup.Flt"),
                      fs::copy_options::overwrite_existing);
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Panel", "master", 1);
            flight.PutInt("Panel", "avionics", 1);
            flight.PutInt("Panel", "audioMixCom1", 1);
        }
        const std::string name = engine ? "running" : "stopped";
        const testsupport::CommandResult r =
            Play(name, "frame-interval 20\nwait 500\nkey b press\n" +
                           std::string(engine ? "key s press\n" : "") + "wait 6000\nradio COM1 " +
                           atis + "\nwait 45000\naudio " + dir.Path(name + ".wav") + "\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        const std::vector<std::int16_t> samples =
            testsupport::ReadWav16(dir.Read(name + ".wav")).samples;
        const std::vector<double> heard = testsupport::Channel(samples, 0);
        Broadcast b;
        double best = 0;
        for (int voice : {0, 100, 200, 300}) {
            std::size_t open = 0, close = 0;
            const double fit = Find(heard, Clip(install, 7001 + voice), 0, &open);
            if (fit <= best) continue;
            best = fit;
            b.clear = std::min(fit, Find(heard, Clip(install, 7016 + voice), open, &close));
            b.opening = static_cast<double>(open) / 11025;
            b.closing = static_cast<double>(close) / 11025;
        }
        for (std::size_t i = 2 * static_cast<std::size_t>(b.opening * 11025);
             i < std::min(samples.size(), 2 * static_cast<std::size_t>(b.closing * 11025)); ++i)
            b.clipped += samples[i] >= 32767 || samples[i] <= -32768 ? 1 : 0;
        return b;
    };
    const Broadcast stopped = listen(false), running = listen(true);
    ASSERT_GT(stopped.clear, 0.98);
    ASSERT_GT(stopped.closing - stopped.opening, 10.0);
    EXPECT_GT(running.clear, 0.98);
    EXPECT_NEAR(running.closing - running.opening, stopped.closing - stopped.opening, 0.05);
    EXPECT_LT(running.clipped, 50);
}

// The clips of the numbers (4500 + voice + 1..9, 10 for zero) heard in `heard` between `from` and
// `to`, in the order heard: the number a controller spelled there.
std::string SpokenDigits(const fs::path& install, const std::vector<double>& heard,
                         std::size_t from, std::size_t to, int voice) {
    const std::vector<double> part(heard.begin() + static_cast<std::ptrdiff_t>(from),
                                   heard.begin() + static_cast<std::ptrdiff_t>(to));
    std::vector<std::pair<std::size_t, char>> found;
    for (int d = 0; d <= 9; ++d) {
        const std::vector<double> clip = Clip(install, 4500 + voice + (d == 0 ? 10 : d));
        for (std::size_t start = 0, at = 0;
             start < part.size() && Find(part, clip, start, &at) > 0.98; start = at + clip.size() / 2)
            found.emplace_back(at, static_cast<char>('0' + d));
    }
    std::sort(found.begin(), found.end());
    std::string digits;
    for (const auto& f : found)
        digits += f.second;
    return digits;
}

// A field without a tower whose automated weather station the public data lists: dialling the
// station (where the aircraft stands on the field's runway) gives its observation, opening with
// the field's code spelled before "automated weather observation" and going on to the visibility
// and the altimeter, and no controller answers. The temperature heard is the weather's surface
// temperature, the one the ATIS gives, from Bremerton's 444 ft to Leadville's 9,927 ft.
TEST_F(AtcRun, AnUntoweredFieldsAutomatedStationGivesItsObservation) {
    {
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Weather", "surfTemp", 70);
    }
    for (const auto& [icao, runway, station] :
         {std::tuple{"KPWT", "1 ", "121.20"}, {"KBBW", "14 ", "120.00"}, {"KBAM", "3 ", "119.45"},
          {"KLXV", "16 ", "118.35"}}) {
        const testsupport::CommandResult r = Play(
            "awos", "frame-interval 100\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
                        std::string(icao) +
                        ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"" +
                        runway +
                        "\"\nset 1958 \"On the runway\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\nwait "
                        "300\nkey Z press\nkey X press\nradio COM1 " +
                        station + "\nwait 30000\naudio " + dir.Path("awos.wav") + "\nsave " +
                        dir.Path("awos.flt") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(Atc("awos.flt", "atcOn"), "0") << icao;
        const std::vector<double> heard = Heard("awos.wav");
        double best = 0;
        int voice = 0;
        std::size_t opening = 0, visibility = 0, temperature = 0, dewPoint = 0, altimeter = 0;
        for (int v : {0, 100, 200, 300}) {
            std::size_t at = 0;
            const double fit = Find(heard, Clip(install, 7025 + v), 0, &at);
            if (fit <= best) continue;
            best = fit;
            opening = at;
            voice = v;
        }
        ASSERT_GT(best, 0.98) << icao << ": the observation is not heard\n" << r.out;
        EXPECT_GT(Find(heard, Clip(install, 7026 + voice), opening, &visibility), 0.98) << icao;
        EXPECT_GT(Find(heard, Clip(install, 7004 + voice), visibility, &temperature), 0.98) << icao;
        EXPECT_GT(Find(heard, Clip(install, 7005 + voice), temperature, &dewPoint), 0.98) << icao;
        EXPECT_GT(Find(heard, Clip(install, 7008 + voice), dewPoint, &altimeter), 0.98) << icao;
        EXPECT_LT(opening, visibility) << icao;
        EXPECT_LT(visibility, altimeter) << icao;
        // The field's code, letter by letter, in the four seconds before the opening phrase.
        std::size_t letter = opening > 4 * 11025 ? opening - 4 * 11025 : 0;
        for (const char* c = icao; *c != '\0'; ++c) {
            std::size_t at = 0;
            const double fit = Find(heard, Clip(install, 4500 + voice + 11 + (*c - 'A')), letter, &at);
            EXPECT_TRUE(fit > 0.98 && at < opening) << icao << ": letter " << *c << " not heard";
            letter = at;
        }
        // The temperature spelled between its phrase and the dew point's.
        const std::string spoken = SpokenDigits(install, heard, temperature, dewPoint, voice);
        EXPECT_EQ(spoken, "70") << icao;
    }
}

}  // namespace

// The controllers take the runway most into the world's wind: Teterboro's 19 in a southerly, 1 in
// a northerly, as the flight's own weather sets it.
TEST_F(AtcRun, TheRunwayFollowsTheFlightsSurfaceWind) {
    const struct {
        int from;
        const char* runway;
    } cases[] = {{190, "atc: session KTEB runway 19"}, {10, "atc: session KTEB runway 1\n"}};
    for (const auto& c : cases) {
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Weather", "swDir", c.from);
            flight.PutInt("Weather", "swSpd", 12);
        }
        testsupport::CommandResult r = Play(
            "wind", "frame-interval 500\nwait 1000\nradio COM1 132.00\nwait 3000\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(c.runway), std::string::npos) << c.from << "\n" << r.out;
    }
}
