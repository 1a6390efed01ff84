// Air traffic control without the program around it: the pattern's geometry against its closed
// forms, the altitude, runway and transponder rules, the "ATCComm" section against a golden file
// and a corpus of damaged ones, a departure dialogue and the traffic's circuit stepped on a
// clock of the test's own, and what the speakers queue (every clip found in the installed
// tower volume in the format the queue takes).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "core/ini_file.h"
#include "core/numeric.h"
#include "core/resource_volume.h"
#include "devices/sound_device.h"
#include "devices/wave.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "nav/atc_dialogs.h"
#include "nav/atc_services.h"
#include "nav/atc_traffic.h"
#include "planning/planning_services.h"
#include "platform/headless/headless_backend.h"
#include "support/temp_folder.h"
#include "win/dsound.h"
#include "win/profile.h"
#include "win/program_entry.h"

namespace {

namespace fs = std::filesystem;
using nav::theAtcState;
using nav::theFlightEvaluation;

std::uint32_t theNow = 0;
planning::FlightPlan* thePlan = nullptr;
int theWind = 360;
int theType = 2;
int theHour = 14, theMinute = 20;

class Atc : public ::testing::Test {
protected:
    void SetUp() override {
        theNow = 1000;
        thePlan = nullptr;
        theWind = 360;
        theType = 2;
        nav::theAtcHost = nav::DefaultAtcHost();
        nav::theAtcHost.now = [] { return theNow; };
        nav::theAtcHost.flightPlan = [] { return thePlan; };
        nav::theAtcHost.surfaceWindDirection = [] { return theWind; };
        nav::theAtcHost.surfaceWindSpeed = [] { return 10; };
        nav::theAtcHost.zuluTime = [](int* h, int* m) {
            *h = theHour;
            *m = theMinute;
        };
        nav::theAtcHost.setFlightMode = [](int) {};
        // A standard day, whatever the test process's weather words hold.
        nav::theAtcHost.temperatureF = [] { return 59; };
        nav::theAtcHost.pressure = [] { return 2992; };
        nav::theAtcHost.cloudBase = [] { return 0; };
        nav::theAtcHost.cloudCoverage = [] { return 0; };
        flight::theAircraftServices.aircraftType = [] { return theType; };
        theAtcState = nav::AtcState{};
        theFlightEvaluation = nav::FlightEvaluation{};
        nav::theCopilotSettings = nav::CopilotSettings{};
        flight::theFlightModelState = flight::FlightModelState{};
        for (int n = 0; n < 2; ++n) {
            *nav::AtcTrafficFieldsOf(n).active = 0;
            *nav::AtcTrafficFieldsOf(n).place = 0;
        }
        win::SetTraceSink([this](std::string_view line) { trace.emplace_back(line); });
    }
    void TearDown() override {
        win::SetTraceSink(nullptr);
        nav::theAtcHost = nav::DefaultAtcHost();
        flight::theAircraftServices = flight::DefaultAircraftServices();
        theAtcState = nav::AtcState{};
        theFlightEvaluation = nav::FlightEvaluation{};
    }
    // A runway at the world's origin: heading in degrees, length in feet, left-hand pattern.
    static void Runway(double degrees, int feet) {
        theAtcState.xRwy = theAtcState.zRwy = 0;
        theAtcState.headRwy = static_cast<std::int32_t>(std::lround(degrees * 65536.0 / 360.0));
        theAtcState.lenRwy = feet;
        theAtcState.lHand = 1;
        theAtcState.finalLen = 12300;
        nav::AtcBuildPattern();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> m;
        for (const std::string& l : trace)
            if (l.rfind("atc: state", 0) == 0 || l == "atc: reset") m.push_back(l);
        return m;
    }

    std::vector<std::string> trace;
};

TEST_F(Atc, ThePatternLiesWhereItsClosedFormsPutIt) {
    Runway(0, 5000);
    const double tx = 9437184, ty = 5242880, l = 5000 * 0.77575755;
    const struct {
        int row;
        double x, y;
    } rows[] = {
        {10, tx, ty + l},
        {4, tx, ty + l + 2050},
        {5, tx, ty + l + 6150},
        {6, tx - 8200, ty + l + 6150},
        {7, tx - 8200, ty + l / 2},
        {9, tx, ty - 12300},
        {8, tx - 8200, ty - 12300},
        // The gates round the threshold: W, SW, S, SE, E, NE, N, NW.
        {12, tx - 24600, ty},
        {13, tx - 24600, ty - 24600},
        {14, tx, ty - 24600},
        {15, tx + 24600, ty - 24600},
        {16, tx + 24600, ty},
        {17, tx + 24600, ty + 24600},
        {18, tx, ty + 24600},
        {19, tx - 24600, ty + 24600},
    };
    for (const auto& r : rows) {
        const nav::AtcPatternPoint& p = theAtcState.pattern[static_cast<std::size_t>(r.row)];
        // Each projection truncates, and a row is projected from another up to four deep.
        EXPECT_NEAR(p.x, r.x, 2.01) << "row " << r.row;
        EXPECT_NEAR(p.y, r.y, 2.01) << "row " << r.row;
    }
    EXPECT_EQ(theAtcState.pattern[3].arrive, 90);
    EXPECT_EQ(theAtcState.pattern[12].vectors, 1);
}

TEST_F(Atc, RunwayNumbersAltitudesAndSquawksFollowTheirRules) {
    for (auto [byte, text] : std::vector<std::pair<int, const char*>>{
             {0xC0 + 4, "4C"}, {0x40 + 9, "9L"}, {0x80 + 27, "27R"}, {19, "19"}})
        EXPECT_EQ(nav::FormatRunwayNumber(static_cast<std::uint8_t>(byte)), text);

    for (auto [in, out] : std::vector<std::pair<int, int>>{{3200, 3500}, {3600, 4500}, {4500, 5500}})
        EXPECT_EQ(nav::AtcRoundVfrAltitude(in), out) << in;
    planning::FlightPlan ifr;
    ifr.ifr = 1;
    thePlan = &ifr;
    EXPECT_EQ(nav::AtcRoundVfrAltitude(3200), 4000);
    thePlan = nullptr;

    // Odd thousands (plus 500) eastbound, even westbound.
    theFlightEvaluation.spPos = 12;
    theAtcState.ceilAlt = 5500;
    for (auto [heading, altitude] :
         std::vector<std::pair<const char*, int>>{{"090", 5500}, {"270", 6500}, {"360", 5500}}) {
        theFlightEvaluation.spPropHead = heading;
        nav::AtcProposeAltitude();
        EXPECT_EQ(theFlightEvaluation.spPropAlt, altitude) << heading;
    }

    std::set<std::string> seen;
    for (int i = 0; i < 10000; ++i) {
        nav::AtcNewSquawk();
        const std::string& s = theAtcState.squawk;
        ASSERT_EQ(s.size(), 4u);
        ASSERT_EQ(s.find_first_not_of("01234567"), std::string::npos) << s;
        ASSERT_NE(s[0], '0');
        ASSERT_NE(s[0], '7');
        ASSERT_NE(s, "1200");
        seen.insert(s);
    }
    EXPECT_GT(seen.size(), 1000u);
}

TEST_F(Atc, TheDialogsAltitudeRequestStaysAVisualAltitudeBetweenItsBounds) {
    const struct {
        int feet;
        bool typed;
        int result;
    } cases[] = {{4500, true, 4500}, {4500, false, 5500}, {3200, true, 3500},
                 {18000, true, 2500}, {17800, false, 2500}, {900, true, 2500}, {-40, false, 2500}};
    for (const auto& c : cases)
        EXPECT_EQ(nav::ATCCommunicationDialog::StepAltitude(c.feet, c.typed), c.result)
            << c.feet << (c.typed ? " typed" : " stepped");
    planning::FlightPlan ifr;
    ifr.ifr = 1;
    thePlan = &ifr;
    EXPECT_EQ(nav::ATCCommunicationDialog::StepAltitude(1000, false), 2000);
}

TEST_F(Atc, TheRunwayIntoTheWindIsChosenAndShortOnesAreLeftToSmallAircraft) {
    struct Row {
        double degrees;
        int feet;
    };
    auto fill = [](const std::vector<Row>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            theAtcState.rwySel[i].heading =
                static_cast<std::uint16_t>(std::lround(rows[i].degrees * 65536.0 / 360.0) & 0xFFFF);
            theAtcState.rwySel[i].length = static_cast<std::uint16_t>(rows[i].feet);
        }
        return static_cast<int>(rows.size());
    };
    const int n = fill({{90, 5000}, {270, 5000}, {180, 5000}, {0, 5000}});
    theWind = 270;
    EXPECT_EQ(nav::AtcSelectRunwayIntoWind(n, 0, 30), 1);
    theWind = 10;
    EXPECT_EQ(nav::AtcSelectRunwayIntoWind(n, 0, 30), 3);
    EXPECT_EQ(nav::AtcSelectRunwayIntoWind(n, 0, 3), 0) << "the excluded row is not taken";
    // Turf down the wind gives way to pavement within 60 degrees of it, not to a crosswind.
    theAtcState.rwySel[3].soft = 1;
    using Winds = std::vector<std::pair<int, int>>;  // the wind, the row it takes
    for (const auto& [wind, row] : Winds{{10, 3}, {300, 1}, {340, 3}, {330, 1}}) {
        theWind = wind;
        EXPECT_EQ(nav::AtcSelectRunwayIntoWind(n, 0, 30), row) << wind;
    }
    theAtcState.rwySel[3].soft = 0;

    // The King Air needs more than 4,950 ft: with none, still the end into the wind.
    theType = 3;
    const int m = fill({{270, 4000}, {90, 4000}, {0, 0}});
    for (const auto& [wind, row] : Winds{{270, 0}, {100, 1}, {240, 0}}) {
        theWind = wind;
        EXPECT_EQ(nav::AtcSelectRunwayIntoWind(m, 0, 30), row) << wind;
    }
    EXPECT_EQ(nav::AtcSelectRunwayIntoWind(0, 0, 30), -1) << "no runway at all";
}

TEST_F(Atc, TheSectionMatchesItsGoldenFileAndReadsBack) {
    testsupport::TempFolder dir{"zephlon-atc"};
    theAtcState.lndRwy = "27L";
    theAtcState.toRwy = "27L";
    theAtcState.squawk = "4523";
    theAtcState.atcOn = 1;
    theAtcState.numOfRwys = 2;
    theAtcState.rwyAngle = 271.9;
    theFlightEvaluation.spEval = 0x10000;
    theFlightEvaluation.spHOff = 40000;
    *nav::AtcTrafficFieldsOf(0).angle = 123.7;
    *nav::AtcTrafficFieldsOf(1).place = 9;
    Runway(270, 4000);
    const std::string path = dir.Path("golden.flt");
    {
        core::IniFile file(path.c_str());
        EXPECT_EQ(nav::SaveAtcState(file), 1);
    }
    std::string text = dir.Read("golden.flt");
    std::erase(text, '\r');
    for (const char* line : {"[ATCComm]\n", "lndRwy=27L\n", "spEval=65536\n", "spHOff=40000\n",
                             "vpAngle_0=123\n", "vpPos_1=9\n", "rwyAngle=270\n", "atisLetter=65\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // The keys in the section's order: the first, the traffic, the runway table, the last.
    EXPECT_LT(text.find("toRwy="), text.find("spTCon="));
    EXPECT_LT(text.find("spTCon="), text.find("vpNum_0="));
    EXPECT_LT(text.find("vpActive_1="), text.find("pickedRwy="));
    EXPECT_LT(text.find("rwySelPos_29="), text.find("atcX_0="));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 79 + 22 + 11 + 120 + 44);

    const nav::AtcPatternPoint four = theAtcState.pattern[4];
    theAtcState = nav::AtcState{};
    theFlightEvaluation = nav::FlightEvaluation{};
    core::IniFile file(path.c_str());
    EXPECT_EQ(nav::LoadAtcState(file), 1);
    EXPECT_EQ(theAtcState.lndRwy, "27L");
    EXPECT_EQ(theFlightEvaluation.spEval, 0x10000u);
    EXPECT_EQ(theFlightEvaluation.spHOff, 40000);
    EXPECT_EQ(*nav::AtcTrafficFieldsOf(0).angle, 123.0);
    EXPECT_EQ(theAtcState.atcOn, 1) << "a whole session goes on";
    EXPECT_EQ(theAtcState.pattern[4].x, four.x);
    EXPECT_EQ(theAtcState.pattern[4].arrive, 750);
}

// Saving over a flight that already has the section (hand-edited, in other cases, with keys of
// its own) and sections around it leaves the bytes that writing its keys one by one leaves, alone
// or inside a write batch as the flight's save makes it.
TEST_F(Atc, SavingOverAnOldSectionEqualsWritingItsKeysOneByOne) {
    testsupport::TempFolder dir{"zephlon-atc"};
    theAtcState.lndRwy = "27L";
    theAtcState.squawk = " 1200 ";  // blanks at the ends are kept by quotes
    theAtcState.atcOn = 1;
    theFlightEvaluation.spEval = 0xFFFFFFFFu;
    Runway(270, 4000);
    const std::string old =
        "[Aircraft]\r\nType=2\r\n[atccomm]\r\n; kept\r\nLNDRWY = 09\r\nmine=1\r\n\r\n"
        "[Time]\nhour=7";
    // The section's keys and texts as a save into an empty file writes them.
    const std::string fresh = dir.Path("fresh.flt");
    {
        core::IniFile file(fresh.c_str());
        ASSERT_EQ(nav::SaveAtcState(file), 1);
    }
    std::vector<std::pair<std::string, std::string>> keys;
    for (const std::string& key : win::GetPrivateProfileKeyNames("ATCComm", fresh))
        keys.emplace_back(key, win::GetPrivateProfileString("ATCComm", key, "", fresh));
    ASSERT_GT(keys.size(), 200u);

    dir.Write("one_by_one.flt", old);
    for (const auto& [key, value] : keys)
        ASSERT_TRUE(win::WritePrivateProfileString("ATCComm", key.c_str(), value.c_str(),
                                                   dir.Path("one_by_one.flt")));
    for (const bool batched : {false, true}) {
        dir.Write("saved.flt", old);
        {
            std::unique_ptr<win::ProfileWriteBatch> batch;
            if (batched) batch = std::make_unique<win::ProfileWriteBatch>();
            core::IniFile file(dir.Path("saved.flt").c_str());
            EXPECT_EQ(nav::SaveAtcState(file), 1);
        }
        EXPECT_EQ(dir.Read("saved.flt"), dir.Read("one_by_one.flt")) << "batched " << batched;
    }
}

TEST_F(Atc, ADamagedSectionEndsTheSessionAndKeepsItsFieldsInBounds) {
    testsupport::TempFolder dir{"zephlon-atc"};
    const struct {
        const char* lines;
        bool ends;
    } cases[] = {
        {"selRwy=99\nnumOfRwys=2\n", true},
        {"numOfRwys=45\n", true},
        {"spPos=40\n", true},
        {"spPos=-3\n", true},
        {"spSeq=7\n", true},
        {"airportIndex=-1\n", true},
        {"vpPos_0=77\n", true},
        {"spWait=-5\nspTick=12\n", false},
        {"spAltWait=99999999999\n", false},
        {"toRwy=27LLLLLLLL\nsquawk=1234567\natisFreq=121.800000\n", false},
        {"spEval=banana\nlHand=x\n", false},
    };
    for (const auto& c : cases) {
        theAtcState = nav::AtcState{};
        *nav::AtcTrafficFieldsOf(0).place = 0;
        dir.Write("bad.flt", std::string("[ATCComm]\natcOn=1\n") + c.lines);
        core::IniFile file(dir.Path("bad.flt").c_str());
        EXPECT_EQ(nav::LoadAtcState(file), 1) << c.lines;
        EXPECT_EQ(theAtcState.atcOn, c.ends ? 0 : 1) << c.lines;
        const nav::FlightEvaluation& e = theFlightEvaluation;
        for (std::int32_t w : {e.spWait, e.spAltWait, e.spHdgWait, e.spAirWait, e.spGenWait}) {
            EXPECT_GE(w, 0) << c.lines;
            EXPECT_LE(w, 600000) << c.lines;
        }
        EXPECT_LE(theAtcState.toRwy.size(), nav::kRunwayTextChars);
        EXPECT_LE(theAtcState.squawk.size(), nav::kSquawkTextChars);
        EXPECT_LE(theAtcState.atisFreq.size(), nav::kFrequencyTextChars);
    }
}

TEST_F(Atc, TheCopilotSectionReadsBackAndTextLeavesTheCopilotOff) {
    testsupport::TempFolder dir{"zephlon-copilot"};
    nav::CopilotSettings& c = nav::theCopilotSettings;
    c.master = 1;
    c.takeoff = c.radios = c.heading = 1;
    {
        core::IniFile file(dir.Path("c.flt").c_str());
        EXPECT_EQ(nav::SaveCopilotSettings(file), 1);
    }
    c = nav::CopilotSettings{};
    core::IniFile file(dir.Path("c.flt").c_str());
    EXPECT_EQ(nav::LoadCopilotSettings(file), 1);
    EXPECT_EQ(c.master, 1);
    EXPECT_EQ(c.radios, 1);
    EXPECT_EQ(c.heading, 1);
    EXPECT_EQ(c.advice, 0);
    EXPECT_TRUE(nav::CopilotRadioHelp());
    for (const char* text : {"[CoPilot]\nCoPilot=yes\nRadios=1\n", "[CoPilot]\nCoPilot=0\nRadios=1\n"}) {
        dir.Write("bad.flt", text);
        core::IniFile bad(dir.Path("bad.flt").c_str());
        EXPECT_EQ(nav::LoadCopilotSettings(bad), 1);
        EXPECT_EQ(c.master, 0) << text;
        EXPECT_EQ(c.radios, 0) << text;
        EXPECT_FALSE(nav::CopilotRadioHelp()) << text;
    }
}

// Steps the dialogue once a simulated second until `done` or a limit.
template <typename Done>
void Step(Done done, int seconds = 600) {
    for (int s = 0; s < seconds && !done(); ++s) {
        theNow += 1000;
        nav::AtcFrameStep(win::HWND{});
    }
}

TEST_F(Atc, ADepartureWithoutAPlanRunsFromTheTaxiCallToTheHandOffAndEnds) {
    Runway(0, 5000);
    theAtcState.atcOn = 1;
    theAtcState.vPilots = 1;
    theAtcState.squawk = "4523";
    theAtcState.groundFreq = "121.90";
    theAtcState.towerFreq = "125.10";
    theAtcState.departFreq = "126.70";
    theAtcState.atisFreq = theAtcState.clearFreq = theAtcState.approachFreq = "NONE";
    theAtcState.groundTuned = theAtcState.towerTuned = theAtcState.departTuned = 1;
    nav::theAtisSpeech.atcContact = 1;
    cockpit::theTransponder.activeMHz = 45;
    cockpit::theTransponder.activeKHz = 23;
    flight::theFlightModelState.fmOTG = 1;
    // Holding short, then on the runway once cleared, then airborne past the runway's end: the
    // hand-off comes out there, 8,000 ft north of the threshold of the 5,000 ft runway 36.
    Step([] { return theFlightEvaluation.spCom == 507; });
    flight::theFlightModelState.fmOTG = 0;
    flight::theFlightModelState.fmPosY = 50000;
    Step([] { return false; }, 30);
    EXPECT_EQ(theFlightEvaluation.spPos, 3) << "no hand-off while over the runway";
    flight::theFlightModelState.fmPosZ = static_cast<std::int32_t>(8000 * 0.3048 * 256);
    Step([] { return theAtcState.atcOn == 0; });
    const std::vector<std::string> expected = {
        "atc: state 0 message 501", "atc: state 1 message 502", "atc: state 1 message 503",
        "atc: state 2 message 505", "atc: state 3 message 507", "atc: state 4 message 508",
        "atc: state 6 message 509", "atc: reset"};
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(theAtcState.atcOn, 0);
}

// Flies the aircraft toward the dialogue's target at 2,000 map units a second (about 150 kt).
void FlyTowardTarget() {
    flight::FlightModelState& f = flight::theFlightModelState;
    const double x = nav::AtcMapX(f.fmPosX), y = nav::AtcMapY(f.fmPosZ);
    const double dx = theFlightEvaluation.spDestX - x, dy = theFlightEvaluation.spDestY - y;
    const double d = std::hypot(dx, dy);
    const double k = d > 2000 ? 2000 / d : 1.0;
    f.fmPosX = static_cast<std::int32_t>((x + dx * k - 9437184) * 100.584);
    f.fmPosZ = static_cast<std::int32_t>((y + dy * k - 5242880) * 100.584);
    f.fmHead = static_cast<std::uint16_t>(std::lround(std::atan2(dx, dy) * 32768 / 3.14159265358979));
}

TEST_F(Atc, AnArrivalIsVectoredRoundTheGatesIntoThePatternAndToTheRamp) {
    Runway(0, 5000);
    nav::AtcState& a = theAtcState;
    a.atcOn = 1;
    a.vPilots = 1;
    a.startPos = 25;
    a.spSeq = nav::kSeqArrival;
    a.squawk = "4523";
    a.approachFreq = "127.60";
    a.towerFreq = "125.10";
    a.groundFreq = "121.90";
    a.atisFreq = a.clearFreq = a.departFreq = "NONE";
    a.approachTuned = a.towerTuned = a.groundTuned = 1;
    a.patAlt = 1100;
    a.ceilAlt = 2500;
    nav::theAtisSpeech.atcContact = 1;
    cockpit::theTransponder.activeMHz = 45;
    cockpit::theTransponder.activeKHz = 23;
    nav::AtcPlaceAircraftAtStartPos();
    flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(100);
    for (int s = 0; s < 1200 && a.atcOn != 0; ++s) {
        theNow += 1000;
        nav::AtcFrameStep(win::HWND{});
        if (theFlightEvaluation.spCom == 512) flight::theFlightModelState.fmOTG = 1;
        FlyTowardTarget();
    }
    const std::vector<std::string> heard = Messages();
    auto at = [&](const std::string& m) {
        return std::find(heard.begin(), heard.end(), m) - heard.begin();
    };
    std::string all;
    for (const std::string& m : heard)
        all += m + "\n";
    // Approach's first call, the gates, the hand-off to the tower, the pattern, the landing.
    const std::ptrdiff_t first = at("atc: state 0 message 523");
    EXPECT_EQ(first, 0) << all;
    const std::ptrdiff_t gate = first + 1;
    ASSERT_LT(gate, static_cast<std::ptrdiff_t>(heard.size())) << all;
    const int gateState = std::stoi(heard[static_cast<std::size_t>(gate)].substr(11));
    EXPECT_GE(gateState, 12) << all;
    EXPECT_LE(gateState, 19) << all;
    for (const char* line : {"message 502", "message 503", "message 511", "message 512",
                             "message 517", "message 518"})
        EXPECT_NE(all.find(line), std::string::npos) << line << "\n" << all;
    EXPECT_LT(all.find("message 502"), all.find("message 503")) << all;
    EXPECT_LT(all.find("message 503"), all.find("state 8 message 511")) << all;
    EXPECT_LT(all.find("message 511"), all.find("state 9 message 512")) << all;
    EXPECT_LT(all.find("message 512"), all.find("state 10 message 517")) << all;
    EXPECT_LT(all.find("message 517"), all.find("state 11 message 518")) << all;
    EXPECT_EQ(heard.back(), "atc: reset") << all;
}

TEST_F(Atc, TheTrafficFliesTheCircuitAndHoldsTheUserShort) {
    Runway(0, 5000);
    theAtcState.vPilots = 1;
    nav::AtcPublishCircuit();
    *nav::AtcTrafficFieldsOf(0).active = 1;
    *nav::AtcTrafficFieldsOf(0).place = 3;
    const struct {
        int place, call;
    } circuit[] = {{10, 16}, {4, 7}, {5, 10}, {6, 11}, {7, 11}, {8, 12}, {9, 0}, {3, 13}};
    for (const auto& c : circuit) {
        const int before = *nav::AtcTrafficFieldsOf(0).place;
        EXPECT_EQ(nav::AtcPlaceBusy(before), true) << before;
        *nav::AtcTrafficFieldsOf(0).distance = 0;
        nav::AtcTrafficStep(0);
        int voice = 0, model = 0;
        EXPECT_EQ(*nav::AtcTrafficFieldsOf(0).place, c.place) << "from " << before;
        EXPECT_EQ(nav::AtcTrafficCall(0, &voice, &model), c.call) << "from " << before;
    }
    // Far from its target it stays where it is.
    *nav::AtcTrafficFieldsOf(0).distance = 40000;
    nav::AtcTrafficStep(0);
    EXPECT_EQ(*nav::AtcTrafficFieldsOf(0).place, 3);

    // On final, it keeps the user at the hold-short line.
    *nav::AtcTrafficFieldsOf(0).place = 9;
    theAtcState.atcOn = 1;
    theAtcState.towerTuned = 1;
    theFlightEvaluation.spActive = 1;
    theFlightEvaluation.spPos = 1;
    theFlightEvaluation.spCom = 503;
    nav::AtcSetLegTarget(1);
    theNow += 10000;
    nav::AtcDepartureStep();
    EXPECT_EQ(theFlightEvaluation.spCom, 506);
}

// ---- what the speakers queue ------------------------------------------------------------------

class Speakers : public Atc {
protected:
    void SetUp() override {
        Atc::SetUp();
        platform::SetCurrentBackend(&machine);
        win::ResetDirectSoundStandIn();
        ASSERT_EQ(devices::InitSound(win::HWND{}), 1);
        cockpit::thePanelSwitches.batteryPower = 1;
        cockpit::theCockpitSwitches.avionicsMaster = 1;
        theAtcState.squawk = "4523";
        theAtcState.toRwy = theAtcState.lndRwy = "27L";
        theAtcState.atisLetter = 'b';
        for (std::string* f : {&theAtcState.atisFreq, &theAtcState.clearFreq,
                               &theAtcState.groundFreq, &theAtcState.towerFreq,
                               &theAtcState.departFreq, &theAtcState.approachFreq,
                               &theAtcState.centerFreq})
            *f = "121.80";
    }
    void TearDown() override {
        nav::theAtcSpeech.Close();
        nav::theAtisSpeech.Close();
        devices::ShutdownSound();
        platform::SetCurrentBackend(nullptr);
        cockpit::thePanelSwitches.batteryPower = 0;
        cockpit::theCockpitSwitches.avionicsMaster = 0;
        Atc::TearDown();
    }
    // The clips queued since the last call, in order.
    static std::vector<int> Take(devices::SpeechQueue& q) {
        std::vector<int> ids;
        for (int i = 0; i < devices::SpeechQueue::kRingSize; ++i) {
            const std::uint16_t id = q.ring[i];
            if (id != devices::SpeechQueue::kFreeSlot && id != devices::SpeechQueue::kStopMarker)
                ids.push_back(id);
        }
        q.QueuePhrase(0, q.volume, 0);
        return ids;
    }

    platform::HeadlessBackend machine;
};

TEST_F(Speakers, EveryClipABuilderCanQueueIsInTheInstalledVolume) {
    const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
    if (!fs::exists(install / "Snd" / "TowerATC.Vol")) GTEST_SKIP() << "no starter installation";
    std::set<int> ids;
    auto take = [&](devices::SpeechQueue& q) {
        for (int id : Take(q))
            ids.insert(id);
    };
    planning::FlightPlan plan;
    plan.nodeCount = 3;
    plan.nodes[0].ident = "KTEB";
    plan.nodes[1].ident = "SAX";
    plan.nodes[2].ident = "KSQL";
    plan.cruiseAltitude = 6500;
    nav::theCopilotSettings.master = 1;
    nav::theCopilotSettings.advice = 1;
    theAtcState.listen = theAtcState.listenVP = 1;
    nav::AtcSpeech& s = nav::theAtcSpeech;
    for (int type = 0; type <= 5; ++type) {
        theType = type;
        for (int voice : {0, 100, 200, 300}) {
            theAtcState.groundNum = theAtcState.towerNum = theAtcState.departNum =
                theAtcState.approachNum = theAtcState.centerNum = theAtcState.clearNum =
                    static_cast<std::int16_t>(voice);
            for (int pilot : {0, 200}) {
                theAtcState.pilotNum = static_cast<std::int16_t>(pilot);
                for (bool withPlan : {false, true}) {
                    thePlan = withPlan ? &plan : nullptr;
                    for (int lHand : {0, 1}) {
                        theAtcState.lHand = lHand;
                        for (int id = 499; id <= 540; ++id) {
                            s.SayDeparture(id);
                            take(s);
                            s.SayArrival(id);
                            take(s);
                            theAtcState.fac = static_cast<std::int16_t>(id % 2 == 0 ? 4 : 5);
                            s.SayEnRoute(id);
                            take(s);
                        }
                        theFlightEvaluation.spPropHead = "270";
                        theFlightEvaluation.spPropAlt = 5500;
                        for (int id : {515, 516, 526, 530, 531}) {
                            s.SayVector(id);
                            take(s);
                        }
                    }
                }
            }
        }
    }
    // The runway words of every designator, every letter and digit spelled, every frequency.
    for (const char* text : {"0123456789abcdefghijklmnopqrstuvwxyz"}) {
        for (int voice : {0, 100, 200, 300}) {
            s.QueueSpelled(text, 4500, voice);
            take(s);
        }
        for (int pilot : {0, 200}) {
            s.QueueSpelled(text, 6000, pilot);
            take(s);
        }
    }
    for (int mhz = 118; mhz <= 135; ++mhz)
        for (int base : {4500, 4600, 4700, 4800, 6000, 6200}) {
            s.QueueFrequency(std::to_string(mhz) + ".05", base);
            s.QueueText("9l", base, 0);
            s.QueueText("9r", base, 0);
            s.QueueText("9c", base, 0);
            s.QueueNumber(2500, static_cast<std::int16_t>(base));
            s.QueueNumber(3000, static_cast<std::int16_t>(base));
            take(s);
        }
    for (int id = 700; id <= 715; ++id) {
        theFlightEvaluation.spPropAS = id % 2 == 0 ? 0 : 65;
        s.SayAdvisory(id);
        take(s);
    }
    for (int id : {10, 32, 40, 41}) {
        theFlightEvaluation.spGenWait = 0;
        s.SayCallout(id, 0);
        take(s);
    }
    for (int type = 0; type <= 5; ++type) {
        theType = type;
        nav::theCopilotSettings.ResetCallouts();
        for (int knots = 0; knots <= 130; knots += 5) {
            flight::theFlightModelState.fmOTG = 1;
            flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(knots);
            flight::theFlightModelState.fmEngineSpeed[0] = 2000;
            cockpit::theAirspeedIndicator.needle = static_cast<std::int16_t>(knots);
            flight::theFlightModelState.fmVVel = 1;
            flight::theFlightModelState.fmPosY = 1000;
            nav::theCopilotSettings.TickCallouts();
        }
        take(s);
    }
    // Both traffic pilots, every model, every place of the circuit.
    Runway(0, 5000);
    nav::AtcPublishCircuit();
    for (int n = 0; n < 2; ++n)
        for (std::uint32_t model = 0; model < 5; ++model)
            for (int place = 3; place <= 10; ++place) {
                const nav::AtcTrafficFields f = nav::AtcTrafficFieldsOf(n);
                *f.voice = static_cast<std::int16_t>(n);
                *f.model = model;
                *f.place = static_cast<std::uint16_t>(place);
                *f.distance = 0;
                nav::AtcTrafficStep(n);
                s.SayTrafficCall(n);
                take(s);
            }
    for (int voice : {0, 100, 200, 300}) {
        nav::theAtisSpeech.voiceOffset = static_cast<std::int16_t>(voice);
        for (int wind : {0, 10}) {
            nav::theAtcHost.surfaceWindSpeed = wind == 0 ? +[] { return 0; } : +[] { return 10; };
            for (int cover : {0, 3, 5, 8}) {
                static int theCover;
                theCover = cover;
                nav::theAtcHost.cloudCoverage = [] { return theCover; };
                nav::theAtisSpeech.collected = 0;
                nav::theAtisSpeech.QueuePhrase(0, 0, 0);
                nav::theAtisSpeech.CollectData();
                nav::theAtisSpeech.ComposeAtis();
                take(nav::theAtisSpeech);
            }
        }
    }

    const fs::path previous = fs::current_path();
    fs::current_path(install);
    {
        core::ResourceVolume volume("Snd\\TowerATC.Vol", "Snd\\TowerATC", 0);
        ASSERT_EQ(volume.IsOpen(), 1);
        for (int id : ids) {
            std::unique_ptr<devices::CWave> w = volume.LoadWave(id);
            ASSERT_NE(w, nullptr) << "clip " << id << " is missing";
            win::WAVEFORMATEX f{};
            ASSERT_EQ(w->GetFormat(&f), 1) << id;
            EXPECT_EQ(f.nSamplesPerSec, 11025u) << id;
            EXPECT_EQ(f.nChannels, 1) << id;
            EXPECT_EQ(f.wBitsPerSample, 8) << id;
            EXPECT_LT(w->GetDataSize(), 139000u) << id;
        }
    }
    fs::current_path(previous);
    EXPECT_GT(ids.size(), 800u);
}

TEST_F(Speakers, MessagesQueueTheirClipsInOrder) {
    nav::AtcSpeech& s = nav::theAtcSpeech;
    theType = 2;  // the Baron: call signs 46 (long) and 51 (short)
    theAtcState.groundNum = 300;
    theAtcState.towerNum = 0;
    // 501 with "listen" off: the pilot's call and ground, no readback.
    s.SayDeparture(501);
    EXPECT_EQ(Take(s), (std::vector<int>{5002, 6046, 5008, 6012, 5009, 1, 4846, 801, 4802, 4807,
                                         4838, 807, 4878, 4804, 4805, 4802, 4803, 2, 1}));
    // With "listen" and the copilot on the radios, the readback is in the copilot's voice.
    theAtcState.listen = 1;
    theAtcState.pilotNum = 200;
    s.SayDeparture(507);
    EXPECT_EQ(Take(s), (std::vector<int>{4551, 2002, 4502, 4507, 4538, 2, 1, 5215, 6243, 6202, 6207,
                                         6238, 6251, 2, 1}));
    // "121.80": the clip of 121, then eight.
    s.QueueFrequency("121.80", 4500);
    EXPECT_EQ(Take(s), (std::vector<int>{4561, 4508}));
}

TEST_F(Speakers, TheAtisSaysTheTimeWithTwoDigitMinutesAndTheRunway) {
    theHour = 14;
    theMinute = 20;
    theWind = 270;
    theAtcState.toRwy = theAtcState.lndRwy = "27";
    theAtcState.groundFreq = "121.90";
    theAtcState.approachFreq = "NONE";
    theAtcState.towerFreq = "125.10";
    nav::AtisSpeech& a = nav::theAtisSpeech;
    a.voiceOffset = 0;
    a.letterIndex = 1;
    a.letterHour = 14;
    a.QueuePhrase(0, 0, 0);
    a.CollectData();
    EXPECT_EQ(a.timeText, "1405");
    a.ComposeAtis();
    const std::vector<int> expected = {
        7001, 4512,                    // information bravo
        4501, 4504, 4510, 4505, 7002,  // one four zero five zulu
        7004, 4505, 4509, 7005, 4505, 4505,  // temperature five niner, dew point five five
        7006, 4502, 4507, 4510, 7007, 4501, 4510,  // wind two seven zero at one zero
        7008, 4502, 4509, 4509, 4502,              // altimeter two niner niner two
        7011, 7012, 4543, 4502, 4507,              // landing and departing runway two seven
        7013, 7014, 4561, 4509, 7017, 7015, 4565, 4501,  // ground, then tower for arrivals
        7016, 4512};
    EXPECT_EQ(Take(a), expected);
}

TEST_F(Speakers, TheCopilotCallsTheSkyhawksSpeedsOnceEach) {
    nav::CopilotSettings& c = nav::theCopilotSettings;
    theType = 0;
    flight::theFlightModelState.fmOTG = 1;
    c.ResetCallouts();
    c.master = 1;
    std::vector<int> heard;
    for (int knots : {30, 41, 45, 51, 55, 56}) {
        flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(knots);
        c.TickCallouts();
        for (int id : Take(nav::theAtcSpeech))
            heard.push_back(id);
    }
    EXPECT_EQ(heard, (std::vector<int>{5319, 5306, 5320, 5306, 5316}));
    c.master = 0;
    c.ResetCallouts();
    flight::theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(90);
    c.TickCallouts();
    EXPECT_TRUE(Take(nav::theAtcSpeech).empty());
}

}  // namespace
