// The controllers answer the first flight's radio at San Carlos, a towered field without an ATIS:
// the call on the tower's or ground's frequency starts the session, and the words are found in
// the captured sound in the controllers' voices. On the runway, ground sends the aircraft to the
// tower, which clears it for take-off with the wind; at the ramp, the tower sends it to ground,
// which clears it to taxi with the wind and the altimeter setting.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "speech_match.h"
#include "support/audio.h"
#include "support/navdata_csv.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using apptest::Clip;
using apptest::Find;
using apptest::WithoutLoop;

class AtcFirstCall : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Snd" / "TowerATC.Vol") ||
            !testsupport::UseStarterInstallation(dir, "Startup.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        flight.PutInt("Weather", "swDir", 300);
        flight.PutInt("Weather", "swSpd", 10);
    }
    // The first flight moved back along its heading (feet).
    void MoveBack(double feet) {
        core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
        const double heading =
            (flight.GetInt("Aircraft", "fmHead", 0) & 0xFFFF) * 2 * 3.14159265358979 / 65536;
        const double back = feet * 78.03;  // flight-model units
        for (const auto& [key, along] :
             {std::pair{"fmPosX", std::sin(heading)}, std::pair{"fmPosZ", std::cos(heading)}})
            flight.PutInt(
                "Aircraft", key,
                flight.GetInt("Aircraft", key, 0) - static_cast<int>(std::lround(along * back)));
    }
    testsupport::CommandResult Play(const std::string& script) {
        dir.Write("script.txt", script);
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                       " 2>&1");
    }
    // COM1 tuned to `first`, then to `second` `between` ms later, and listened to `after` ms
    // more: the capture and the flight kept.
    testsupport::CommandResult TuneTwice(const char* first, const char* second, int between,
                                         int after) {
        return Play("frame-interval 500\nwait 1000\nradio COM1 " + std::string(first) + "\nwait " +
                    std::to_string(between) + "\nradio COM1 " + second + "\nwait " +
                    std::to_string(after) + "\naudio " + dir.Path("heard.wav") + "\nsave " +
                    dir.Path("saved.flt") + "\nquit\n");
    }
    // The first flight moved a quarter along runway end `id` of `icao`, facing along it, the
    // wind down the runway and COM1 left on `com1` (as the flight keeps it: kHz past 100 MHz
    // over ten), none of it tuned by the pilot.
    void PlaceOnRunway(const std::string& icao, const std::string& id, int com1) {
        for (const auto& r : testsupport::ReadNavdataCsv("runway.csv")) {
            if (r.size() < 11 || r[0] != icao || (r[3] != id && r[7] != id)) continue;
            const bool first = r[3] == id;
            double x1, z1, x2, z2;
            navtest::GeographicToWorld(std::stod(r[first ? 4 : 8]), std::stod(r[first ? 5 : 9]),
                                       &x1, &z1);
            navtest::GeographicToWorld(std::stod(r[first ? 8 : 4]), std::stod(r[first ? 9 : 5]),
                                       &x2, &z2);
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Aircraft", "fmPosX", static_cast<int>(std::lround(x1 + (x2 - x1) / 4)));
            flight.PutInt("Aircraft", "fmPosZ", static_cast<int>(std::lround(z1 + (z2 - z1) / 4)));
            flight.PutInt("Aircraft", "fmHead",
                          static_cast<int>(std::lround(std::atan2(x2 - x1, z2 - z1) * 32768 /
                                                       3.14159265358979)) &
                              0xFFFF);
            flight.PutInt("Weather", "swDir", std::atoi(id.c_str()) * 10);
            flight.PutInt("Weather", "swSpd", 10);
            flight.PutInt("NavAids", "com1", com1);
            flight.PutInt("NavAids", "com1Standby", com1);
            return;
        }
        FAIL() << icao << " has no runway " << id;
    }
    int Voice(const char* key, const char* saved = "saved.flt") {
        core::IniFile flight(dir.Path(saved).c_str());
        return flight.GetInt("ATCComm", key, -1);
    }
    std::vector<double> Heard() {
        return WithoutLoop(
            testsupport::Channel(testsupport::ReadWav16(dir.Read("heard.wav")).samples, 0), 11025);
    }
    // Where a clip is heard at or after `from` (samples); npos when it is not.
    std::size_t HeardAt(const std::vector<double>& heard, int clip, std::size_t from) {
        std::size_t at = 0;
        return Find(heard, Clip(install, clip), from, &at) > 0.98 ? at : std::string::npos;
    }

    std::string bin;
    fs::path install;
    testsupport::TempFolder dir{"zephlon-atc-first-call"};
};

TEST_F(AtcFirstCall, OnTheRunwayGroundSendsTheAircraftToTheTowerWhichClearsItForTakeOff) {
    const testsupport::CommandResult r = TuneTwice("121.60", "119.00", 15000, 20000);
    ASSERT_EQ(r.status, 0) << r.out;
    const int ground = Voice("groundNum"), tower = Voice("towerNum");
    ASSERT_GE(ground, 0);
    const std::vector<double> heard = Heard();
    // Ground: "contact tower, one one niner point zero".
    const std::size_t contact = HeardAt(heard, ground + 502, 0);
    ASSERT_NE(contact, std::string::npos) << "ground's hand-off is not heard\n" << r.out;
    // Tower: "wind three zero zero at one zero, altimeter ..., cleared for takeoff, runway three
    // zero".
    const std::size_t wind = HeardAt(heard, tower + 7006, contact);
    const std::size_t cleared = HeardAt(heard, tower + 2002, contact);
    ASSERT_NE(wind, std::string::npos) << "the tower gives no wind\n" << r.out;
    ASSERT_NE(cleared, std::string::npos) << "the take-off clearance is not heard\n" << r.out;
    EXPECT_LT(wind, cleared);
    const std::size_t three = HeardAt(heard, tower + 4503, cleared);
    ASSERT_NE(three, std::string::npos);
    EXPECT_LT(three - cleared, 11025u * 4) << "the runway follows the clearance";
}

TEST_F(AtcFirstCall, AtTheRampTheTowerSendsTheAircraftToGroundWhichClearsItToTaxi) {
    MoveBack(600);
    const testsupport::CommandResult r = TuneTwice("119.00", "121.60", 20000, 25000);
    ASSERT_EQ(r.status, 0) << r.out;
    const int ground = Voice("groundNum"), tower = Voice("towerNum");
    ASSERT_GE(tower, 0);
    const std::vector<double> heard = Heard();
    // Tower: "contact ground, one two one point six".
    const std::size_t contact = HeardAt(heard, tower + 2014, 0);
    ASSERT_NE(contact, std::string::npos) << "the tower's hand-off is not heard\n" << r.out;
    // Ground: "taxi to runway three zero via taxiway alpha, wind three zero zero at one zero,
    // altimeter ..., squawk ...".
    const std::size_t taxi = HeardAt(heard, ground + 501, contact);
    ASSERT_NE(taxi, std::string::npos) << "ground's taxi clearance is not heard\n" << r.out;
    EXPECT_NE(HeardAt(heard, ground + 4503, taxi), std::string::npos);
    const std::size_t wind = HeardAt(heard, ground + 7006, taxi);
    ASSERT_NE(wind, std::string::npos) << "ground gives no wind\n" << r.out;
    EXPECT_NE(HeardAt(heard, ground + 7008, wind), std::string::npos) << "nor the altimeter";
    EXPECT_NE(HeardAt(heard, ground + 4578, wind), std::string::npos) << "nor the squawk";
}

// The radio dialog's requests are the calls the keys make: at a towered field without an ATIS,
// from the first flight with the tower on COM1 and no session, "say again", "missed approach" or
// a request for closed traffic begins the session and the tower answers with the take-off
// clearance. The dialog opened again shows the session's runway, and its "end" ends the session.
TEST_F(AtcFirstCall, EveryRequestOfTheRadioDialogIsACall) {
    struct Field {
        const char* icao;
        const char* runway;  // the end the aircraft stands on, into the wind
        int com1;            // the tower's channel
    };
    struct Request {
        const char* name;
        const char* commands;  // in the open dialog
    };
    for (const Field& field : {Field{"KSQL", "30", 1900}, Field{"KWHP", "12", 3500}}) {
        for (const Request& request :
             {Request{"say again", "click 1601\n"}, Request{"missed approach", "click 1575\n"},
              Request{"closed traffic", "set 1587 1\n"}}) {
            SCOPED_TRACE(std::string(field.icao) + " " + request.name);
            fs::copy_file(install / "Flights" / "Startup.Flt", dir.Path("Flights/Startup.Flt"),
                          fs::copy_options::overwrite_existing);
            PlaceOnRunway(field.icao, field.runway, field.com1);
            const testsupport::CommandResult r = Play(
                "frame-interval 500\nwait 1000\nmenu 400\ndialog RadioComm\n" +
                std::string(request.commands) + "click 1\nwait 25000\naudio " +
                dir.Path("heard.wav") + "\nsave " + dir.Path("saved.flt") +
                "\nmenu 400\ndialog RadioComm\nexpect 1630 " + field.runway +
                "\nclick 1580\nclick 1\nwait 2000\nsave " + dir.Path("ended.flt") + "\nquit\n");
            ASSERT_EQ(r.status, 0) << r.out;
            core::IniFile saved(dir.Path("saved.flt").c_str());
            ASSERT_EQ(saved.GetInt("ATCComm", "atcOn", 0), 1) << "no session\n" << r.out;
            EXPECT_EQ(std::string(saved.GetString("ATCComm", "toRwy", "")), field.runway);
            const int tower = Voice("towerNum");
            ASSERT_GE(tower, 0);
            EXPECT_NE(HeardAt(Heard(), tower + 2002, 0), std::string::npos)
                << "the take-off clearance is not heard\n"
                << r.out;
            core::IniFile ended(dir.Path("ended.flt").c_str());
            EXPECT_EQ(ended.GetInt("ATCComm", "atcOn", 1), 0) << "the session did not end";
        }
    }
}

// San Carlos' runway 30 in map units (world x 0.009941939075797343, offset), from runway.csv.
void RunwayEnds(double* x12, double* y12, double* x30, double* y30) {
    const auto map = [](double lat, double lon, double* x, double* y) {
        navtest::GeographicToWorld(lat, lon, x, y);
        *x = *x * 0.009941939075797343 + 9437184;
        *y = *y * 0.009941939075797343 + 5242880;
    };
    map(37.51441788, -122.25238931, x12, y12);
    map(37.50905184, -122.24638214, x30, y30);
}

// Cleared for take-off on 30 with traffic in the pattern, the tower asks the aircraft to expedite
// only when the traffic on base nears final: at the call, the traffic lies within about a mile of
// the runway's extended centreline (the base leg begins some two miles out).
TEST_F(AtcFirstCall, TheExpediteCallWaitsForTheTrafficOnBase) {
    double x12, y12, x30, y30;
    RunwayEnds(&x12, &y12, &x30, &y30);
    for (const int tuned : {1000, 17000, 43000}) {
        SCOPED_TRACE(tuned);
        const testsupport::CommandResult r =
            Play("frame-interval 500\nwait " + std::to_string(tuned) +
                 "\nradio COM1 119.00\nwait-for \"message 533\" 180000\nsave " +
                 dir.Path("saved.flt") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("saved.flt").c_str());
        int onBase = 0;
        for (int n = 0; n < 2; ++n) {
            const std::string k = std::to_string(n);
            const int place = saved.GetInt("ATCComm", ("vpPos_" + k).c_str(), 0);
            if (place != 8 && place != 9) continue;
            ++onBase;
            const double px = saved.GetInt("ATCComm", ("vpPLocX_" + k).c_str(), 0);
            const double py = saved.GetInt("ATCComm", ("vpPLocY_" + k).c_str(), 0);
            const double cross = (x30 - x12) * (py - y12) - (y30 - y12) * (px - x12);
            const double off = std::abs(cross) / std::hypot(x30 - x12, y30 - y12);
            EXPECT_LT(off, 3500.0)
                << "traffic " << n << " still " << off * 1.2890625 / 6076.12 << " nm from final";
        }
        EXPECT_EQ(onBase, 1) << r.out;
    }
}

// The first flight comes with COM1 on the tower already: the pilot's first request (closed
// traffic, Ctrl+C) is the call. The tower answers it and clears the aircraft for take-off, and
// the request stands: "make closed traffic" once airborne is what the session keeps.
TEST_F(AtcFirstCall, ARequestOnTheTowersFrequencyIsTheFirstCall) {
    const testsupport::CommandResult r =
        Play("frame-interval 500\nwait 1000\nkey Ctrl+C press\nwait 45000\naudio " +
             dir.Path("heard.wav") + "\nsave " + dir.Path("saved.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    core::IniFile saved(dir.Path("saved.flt").c_str());
    EXPECT_EQ(saved.GetInt("ATCComm", "atcOn", 0), 1) << r.out;
    EXPECT_EQ(saved.GetInt("ATCComm", "reqClosed", 0), 1) << r.out;
    const int tower = Voice("towerNum");
    ASSERT_GE(tower, 0);
    EXPECT_NE(HeardAt(Heard(), tower + 2002, 0), std::string::npos)
        << "the take-off clearance is not heard\n"
        << r.out;
}

// On the runway with the tower tuned, the first call ("say again") is answered as a tower answers
// an aircraft ready at the runway: its answer with the take-off clearance begins within 15 s of
// the call, not after the half minute given to an aircraft still taxiing to it.
TEST_F(AtcFirstCall, TheTowerClearsAnAircraftOnItsRunwaySoonAfterTheCall) {
    const testsupport::CommandResult r =
        Play("frame-interval 500\nwait 1000\nkey Ctrl+R press\nwait 25000\naudio " +
             dir.Path("heard.wav") + "\nsave " + dir.Path("saved.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const int tower = Voice("towerNum");
    ASSERT_GE(tower, 0);
    // "Wind three zero zero at ..., altimeter ..., cleared for takeoff, runway three zero": the
    // answer begins with the wind, the airport having no ATIS.
    const std::vector<double> heard = Heard();
    const std::size_t wind = HeardAt(heard, tower + 7006, 0);
    ASSERT_NE(wind, std::string::npos) << "the tower's answer is not heard\n" << r.out;
    EXPECT_LT(wind, 11025u * (1 + 15)) << r.out;
    EXPECT_NE(HeardAt(heard, tower + 2002, wind), std::string::npos) << r.out;
}

// Standing on runway 30 after the call, never rolling, with the traffic shown: for four minutes,
// saved every five seconds, no traffic aircraft is ever on the runway (it goes around instead of
// landing over the aircraft). In calm air the traffic lands on 30; in a south-easterly on 12,
// towards the aircraft at its far end.
TEST_F(AtcFirstCall, TrafficNeverLandsOverTheAircraftOnTheRunway) {
    for (const int wind : {0, 120}) {
        SCOPED_TRACE(wind);
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("ATCComm", "seeVP", 1);
            flight.PutInt("ATCComm", "listenVP", 1);
            flight.PutInt("Weather", "swDir", wind);
            flight.PutInt("Weather", "swSpd", wind != 0 ? 15 : 0);
        }
        std::string script = "frame-interval 500\nwait 1000\nradio COM1 119.00\n";
        constexpr int kSaves = 48;
        for (int i = 0; i < kSaves; ++i)
            script += "wait 5000\nsave " + dir.Path("at" + std::to_string(i) + ".flt") + "\n";
        const testsupport::CommandResult r = Play(script + "quit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        int finals = 0;
        for (int i = 0; i < kSaves; ++i) {
            core::IniFile saved(dir.Path("at" + std::to_string(i) + ".flt").c_str());
            ASSERT_EQ(saved.GetInt("ATCComm", "atcOn", 0), 1) << i;
            for (const char* key : {"vpPos_0", "vpPos_1"}) {
                const int place = saved.GetInt("ATCComm", key, 0);
                EXPECT_NE(place, 3) << "traffic on the runway at " << (i + 1) * 5 << " s";
                finals += place == 9 ? 1 : 0;
            }
        }
        EXPECT_GT(finals, 0) << "no traffic came to final";
    }
}

// San Carlos' pattern lies over the bay, north-east of the runway, from both ends: left-hand for
// runway 12, right-hand for runway 30, as the airport publishes it. The session's downwind and
// base corners (saved with the flight) are checked against the runway's public coordinates.
TEST_F(AtcFirstCall, SanCarlosPatternLiesOverTheBayFromBothEnds) {
    double x12, y12, x30, y30;
    RunwayEnds(&x12, &y12, &x30, &y30);
    for (const auto& [wind, runway] : {std::pair{120, "12"}, std::pair{300, "30"}}) {
        SCOPED_TRACE(runway);
        {
            core::IniFile flight(dir.Path("Flights/Startup.Flt").c_str());
            flight.PutInt("Weather", "swDir", wind);
            flight.PutInt("Weather", "swSpd", 10);
        }
        const testsupport::CommandResult r =
            Play("frame-interval 500\nwait 1000\nradio COM1 119.00\nwait 2000\nsave " +
                 dir.Path("saved.flt") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        core::IniFile saved(dir.Path("saved.flt").c_str());
        ASSERT_EQ(std::string(saved.GetString("ATCComm", "toRwy", "")), runway) << r.out;
        // Left of the line from 12's end toward 30's is north-east, over the bay.
        for (int row : {6, 7, 8}) {
            const double px = saved.GetInt("ATCComm", ("atcX_" + std::to_string(row)).c_str(), 0);
            const double py = saved.GetInt("ATCComm", ("atcY_" + std::to_string(row)).c_str(), 0);
            const double cross = (x30 - x12) * (py - y12) - (y30 - y12) * (px - x12);
            EXPECT_GT(cross, 0) << "pattern corner " << row << " south-west of the runway";
        }
    }
}

}  // namespace
