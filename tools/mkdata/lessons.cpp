// The flight lessons and manoeuvres in "Lessons\Lessons.Vol": six manoeuvre scripts
// ("zqMan0.txt" ...) with their one-line descriptions ("mDesc0.txt" ...), five lesson scripts
// ("zqLess1.txt" ...) with theirs ("lDesc1.txt" ...), written in the lesson language from common
// flight-training practice. Each script is read back through the program's own reader, so a
// script the program would refuse stops the build of the installation.
//
// What the instructor says is a phrase number: 19990..19999 are the short feedback phrases, and
// ours start at 21000; their words are in the speech table (data/speech/phrases.txt), whose
// clips the speech module makes.
#include <initializer_list>
#include <string>
#include <vector>

#include "planning/lesson_script.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

// A script as its lines; each line gets the volume's line end.
std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// What the pilot is asked to do, and the seconds given to do it: the check is tried every lesson
// step (a second), and the script goes on as soon as it holds; when it never does, the fault
// counts against the lesson. `label` names the place after the check, unique in its script.
std::string Within(const std::string& check, const std::string& label, int seconds) {
    std::string text;
    for (int i = 0; i < seconds; ++i) text += Lines({check, "BRANCH " + label, "TIMER WAIT_1_SEC"});
    return text + Lines({"EXEC PERFORMANCE_BAD", "LABEL " + label});
}

// A watch sequence run every lesson step: the copilot takes the aircraft when a wing drops past
// the gentle bank, and each step outside `band` (a check that holds when the pilot is off what
// is asked, or nothing) counts as a fault.
std::string Watch(const std::string& name, const std::string& band = std::string()) {
    std::string text = Lines({"SEQ_BEGIN", "PROC " + name, "TESTNOT AIRCRAFT_LEVEL_TEST", "{",
                              "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL", "}"});
    if (!band.empty()) text += Lines({band, "EXEC PERFORMANCE_BAD"});
    return text + Lines({"ENDPROC", "SEQ_END"});
}

// Wings still banked after a roll-out the pilot was asked for: the copilot levels them.
std::string Level() {
    return Lines({"SEQ_BEGIN", "PROC Level", "TESTNOT AIRCRAFT_LEVEL_TEST",
                  "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL", "ENDPROC", "SEQ_END"});
}

// The start every script shares: the lessons' trimmed cruise, its references, no faults yet.
std::string Begin(const char* title) {
    return Lines({std::string("TITLE ") + title, "FLTFILE Cruise.Flt", "EXEC STRAIGHT_LEVEL_INIT",
                  "EXEC PERFORMANCE_INIT"});
}

// How the instructor closes: praise when nothing counted against the pilot.
std::string Debrief() {
    return Lines({"STOPCONTINUOUS", "TEST GOOD_JOB_TEST", "{", "SAY GOOD_JOB WAIT_2_SEC", "}",
                  "TESTNOT GOOD_JOB_TEST", "{", "SAY NEEDS_WORK WAIT_2_SEC", "}"});
}

// The bands the instructor judges by, in knots and engine RPM. The 172's fixed-pitch propeller
// turns about 2,200 RPM at 55 % power and 2,400 at 75 %; full throttle gives about 2,500 in the
// climb at 75 knots and 2,600 at 110, so cruise power is asked below that. Closed, the throttle
// still leaves about 1,400 RPM at 100 knots, the airflow turning the propeller.
constexpr const char* kCruisePower = "RANGETEST RPM_RANGE_TEST 1950 2450";
constexpr const char* kReducedPower = "RANGETEST RPM_RANGE_TEST 0 1600";
constexpr const char* kDescentPower = "RANGETEST RPM_RANGE_TEST 0 1700";

// Straight and level, and a change of speed in level flight: the height and heading the
// aircraft has when the instructor begins are the references, held from that moment through the
// power reduction, the slowing to 100 knots (held there) and the return to cruise power. Every
// lesson step more than 100 feet or 10 degrees off them, or off the speed once slowed, counts.
constexpr int kLevelHeightTolerance = 100, kLevelHeadingTolerance = 10;
constexpr const char* kHeldSpeed = "AIRSPEED_RANGE_TEST 90 110";

std::string StraightAndLevel(int waitSeconds) {
    const std::string wait = "WAIT_" + std::to_string(waitSeconds) + "_SEC";
    return Lines({"SAY 21000 WAIT_3_SEC", "CONTINUOUS Steady",
                  "SAY 21001 " + wait, "SAY 21002 " + wait, "SAY 21003 " + wait,
                  "SAY 21005 WAIT_4_SEC"}) +
           Within(kReducedPower, "Reduced", 15) +
           Within(std::string("RANGETEST ") + kHeldSpeed, "Slow", 45) +
           Lines({"CONTINUOUS SteadySlow", "SAY 21006 WAIT_10_SEC", "TIMER WAIT_5_SEC",
                  "CONTINUOUS Steady", "SAY 21007 WAIT_3_SEC"}) +
           Within(kCruisePower, "Cruise", 15) +
           // Back at cruise power the height and heading are still watched a while: a pilot
           // who lets the nose go once the power is set has not flown straight and level.
           Lines({"TIMER WAIT_10_SEC", "TIMER WAIT_5_SEC"});
}
// The watches of straight and level: the copilot's hands when a wing drops, and a fault for
// each step off the height or heading (and, slowed, off the speed).
std::string SteadyWatch() {
    std::string text;
    for (const bool slow : {false, true}) {
        text += Lines({"SEQ_BEGIN", std::string("PROC Steady") + (slow ? "Slow" : ""),
                       "TESTNOT AIRCRAFT_LEVEL_TEST", "{", "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL",
                       "}", "RANGETESTNOT ALTITUDE_CHANGE_RANGE_TEST " +
                                std::to_string(-kLevelHeightTolerance) + " " +
                                std::to_string(kLevelHeightTolerance),
                       "EXEC PERFORMANCE_BAD",
                       "RANGETESTNOT HEADING_CHANGE_RANGE_TEST " +
                           std::to_string(-kLevelHeadingTolerance) + " " +
                           std::to_string(kLevelHeadingTolerance),
                       "EXEC PERFORMANCE_BAD"});
        if (slow) text += Lines({std::string("RANGETESTNOT ") + kHeldSpeed, "EXEC PERFORMANCE_BAD"});
        text += Lines({"ENDPROC", "SEQ_END"});
    }
    return text;
}
std::string HoldWatch() {
    return Watch("Hold", "TEST OFF_REFERENCES_TEST");
}

// The climb at 75 knots under full power (set by the instructor, mixture first full rich), held
// for ten seconds, and the level-off back to cruise power.
std::string Climb() {
    return Lines({"SAY 21010 WAIT_4_SEC", "EXEC MIXTURE_FULL_RICH", "EXEC THROTTLE_FULL",
                  "CONTINUOUS Watch", "SAY 21011 WAIT_4_SEC"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 65 85", "ClimbSpeed", 25) +
           Lines({"CONTINUOUS Climbing", "TIMER WAIT_10_SEC", "CONTINUOUS Watch",
                  "SAY 21012 WAIT_4_SEC"}) +
           Within(kCruisePower, "LevelledOff", 20) + Within("RANGETEST AIRSPEED_RANGE_TEST 90 140", "Cruising", 20);
}
std::string ClimbWatch() {
    return Watch("Climbing", "RANGETESTNOT AIRSPEED_RANGE_TEST 60 90");
}

// The descent at reduced power and 90 knots, and the level-off with power.
std::string Descent() {
    return Lines({"EXEC CARB_ON", "SAY 21020 WAIT_4_SEC", "CONTINUOUS Watch"}) +
           Within(kDescentPower, "DescentPower", 15) + Lines({"SAY 21021 WAIT_2_SEC"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 80 100", "Settled", 25) +
           Lines({"CONTINUOUS Descending", "TIMER WAIT_8_SEC", "CONTINUOUS Watch", "EXEC CARB_OFF",
                  "SAY 21022 WAIT_4_SEC"}) +
           Within(kCruisePower, "DescentLevel", 20);
}
std::string DescentWatch() {
    return Watch("Descending", "RANGETESTNOT AIRSPEED_RANGE_TEST 75 105");
}

// A standard rate turn through 90 degrees the way `phrase` asks (`right` the direction), judged
// as an instructor judges it from where the turn began: once established the bank stays within
// 5 degrees of the standard rate's (about 17 degrees at the lessons' cruise speed: 3 degrees a
// second at 105 knots true) and the height within 100 feet; the instructor calls the roll-out as
// the heading comes within half the bank of the new heading, and the wings must be level within
// 10 degrees of it.
constexpr int kStandardRateBank = 17, kBankTolerance = 5, kHeightTolerance = 100,
              kTurnDegrees = 90, kRollOutLead = 8, kHeadingTolerance = 10;

std::string Range(const char* test, int low, int high) {
    return std::string(test) + " " + std::to_string(low) + " " + std::to_string(high);
}
// A range of signed degrees, written low to high whichever way the turn goes.
std::string TurnRange(const char* test, bool right, int from, int to) {
    return right ? Range(test, from, to) : Range(test, -to, -from);
}
std::string BankBand(bool right) {
    return TurnRange("BANK_RANGE_TEST", right, kStandardRateBank - kBankTolerance,
                     kStandardRateBank + kBankTolerance);
}
std::string HeightBand() {
    return Range("ALTITUDE_CHANGE_RANGE_TEST", -kHeightTolerance, kHeightTolerance);
}

std::string Turn(int phrase, bool right) {
    const std::string name = right ? "Right" : "Left";
    return Lines({"EXEC STRAIGHT_LEVEL_INIT", "SAY " + std::to_string(phrase) + " WAIT_3_SEC"}) +
           Within("RANGETEST " + BankBand(right), name + "Banked", 12) +
           Lines({"CONTINUOUS Turning" + name, "SAY 21031 WAIT_3_SEC"}) +
           Within("RANGETEST " + TurnRange("HEADING_CHANGE_RANGE_TEST", right,
                                           kTurnDegrees - kRollOutLead - 5, kTurnDegrees),
                  name + "Around", 45) +
           Lines({"CONTINUOUS Height", "SAY 21032 WAIT_2_SEC"}) +
           Within("TEST AIRCRAFT_LEVEL_TEST", name + "Out", 10) +
           Lines({"RANGETESTNOT " + TurnRange("HEADING_CHANGE_RANGE_TEST", right,
                                             kTurnDegrees - kHeadingTolerance,
                                             kTurnDegrees + kHeadingTolerance),
                  "EXEC PERFORMANCE_BAD", "CALLPROC Level"});
}

// The watches of a turn: every lesson step off the standard rate's bank, or off the height, counts.
std::string TurnWatch(bool right) {
    return Lines({"SEQ_BEGIN", std::string("PROC Turning") + (right ? "Right" : "Left"),
                  "RANGETESTNOT " + BankBand(right), "EXEC PERFORMANCE_BAD",
                  "RANGETESTNOT " + HeightBand(), "EXEC PERFORMANCE_BAD", "ENDPROC", "SEQ_END"});
}
std::string HeightWatch() {
    return Lines({"SEQ_BEGIN", "PROC Height", "RANGETESTNOT " + HeightBand(),
                  "EXEC PERFORMANCE_BAD", "ENDPROC", "SEQ_END"});
}

// Slow flight: 60 knots held level (the instructor's references taken there), then the recovery.
std::string SlowFlight() {
    return Lines({"EXEC CARB_ON", "SAY 21040 WAIT_4_SEC", "CONTINUOUS Watch"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 50 65", "SlowFlight", 75) +
           Lines({"EXEC STRAIGHT_LEVEL_INIT", "CONTINUOUS Hold", "SAY 21041 WAIT_10_SEC",
                  "CONTINUOUS Watch", "SAY 21042 WAIT_2_SEC", "EXEC THROTTLE_FULL", "EXEC CARB_OFF"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 70 200", "SlowRecovered", 15);
}

// The power-off stall: the throttle closed by the instructor, the nose raised by the pilot until
// the speed is gone, and the recovery.
std::string PowerOffStall() {
    return Lines({"SAY 21050 WAIT_3_SEC", "EXEC THROTTLE_IDLE", "CONTINUOUS Watch", "SAY 21051 WAIT_2_SEC"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 0 55", "Stalled", 30) +
           Lines({"SAY 21052 WAIT_2_SEC", "EXEC THROTTLE_FULL", "EXEC CARB_OFF"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 65 200", "StallRecovered", 15);
}

// The effects of the controls: the elevator (the yoke pulled back past the cruise trim), the
// ailerons (a bank, then the wings level again) and the throttle (power added).
std::string EffectsOfTheControls() {
    return Lines({"SAY 21060 WAIT_5_SEC", "SAY 21061 WAIT_1_SEC"}) +
           Within("RANGETEST AIRSPEED_RANGE_TEST 0 110", "NoseUp", 15) +
           Lines({"SAY 21065 WAIT_2_SEC"}) + Within("RANGETEST AIRSPEED_RANGE_TEST 114 200", "NoseBack", 20) +
           Lines({"SAY 21062 WAIT_1_SEC"}) + Within("TESTNOT AIRCRAFT_LEVEL_TEST", "Banked", 12) +
           Lines({"SAY 21066 WAIT_1_SEC"}) + Within("TEST AIRCRAFT_LEVEL_TEST", "Levelled", 10) +
           Lines({"CALLPROC Level", "SAY 21063 WAIT_5_SEC", "SAY 21064 WAIT_1_SEC"}) +
           Within("RANGETEST RPM_RANGE_TEST 2300 3000", "PowerAdded", 12);
}

struct Script {
    const char* member;
    std::string text;
};

std::vector<Script> Scripts() {
    const std::string end = Lines({"ENDPROC"});
    return {
        {"zqMan0.txt", Begin("Straight and Level Flight") + StraightAndLevel(5) + Debrief() +
                           Lines({"SAY 21004 WAIT_2_SEC"}) + end + SteadyWatch()},
        {"zqMan1.txt", Begin("Climbs") + Climb() + Debrief() + end + Watch("Watch") + ClimbWatch()},
        {"zqMan2.txt",
         Begin("Descents") + Descent() + Debrief() + end + Watch("Watch") + DescentWatch()},
        {"zqMan3.txt", Begin("Standard Rate Turns") + Turn(21030, false) + Debrief() + end +
                           Level() + TurnWatch(false) + HeightWatch()},
        {"zqMan4.txt",
         Begin("Slow Flight") + SlowFlight() + Debrief() + end + Watch("Watch") + HoldWatch()},
        {"zqMan5.txt", Begin("Power-off Stall Recovery") + Lines({"EXEC CARB_ON"}) +
                           PowerOffStall() + Debrief() + end + Watch("Watch")},
        {"zqLess1.txt",
         Begin("Effects of the Controls") + EffectsOfTheControls() + Debrief() + end + Level()},
        {"zqLess2.txt",
         Begin("Straight and Level") + StraightAndLevel(8) + Debrief() + end + SteadyWatch()},
        {"zqLess3.txt", Begin("Climbs and Descents") + Climb() + Descent() + Debrief() + end +
                            Watch("Watch") + ClimbWatch() + DescentWatch()},
        {"zqLess4.txt", Begin("Turns") + Turn(21030, false) + Turn(21033, true) + Debrief() + end +
                            Level() + TurnWatch(false) + TurnWatch(true) + HeightWatch()},
        {"zqLess5.txt", Begin("Slow Flight and Stalls") + SlowFlight() + Lines({"EXEC CARB_ON"}) +
                            PowerOffStall() + Debrief() + end + Watch("Watch") + HoldWatch()},
        {"lDesc1.txt",
         "Lesson 1: the effects of the controls - yoke, rudder and throttle, and what each "
         "does.\r\n"},
        {"lDesc2.txt",
         "Lesson 2: straight and level flight by the horizon, with the instruments as a "
         "cross-check.\r\n"},
        {"lDesc3.txt",
         "Lesson 3: climbs and descents at constant airspeed, and levelling off from them.\r\n"},
        {"lDesc4.txt",
         "Lesson 4: standard rate turns through 90 degrees, holding the altitude, rolling out on "
         "the new heading.\r\n"},
        {"lDesc5.txt",
         "Lesson 5: slow flight near the stall, and the recovery from a power-off stall.\r\n"},
        // What the Maneuvers dialog says of the manoeuvre chosen.
        {"mDesc0.txt",
         "Hold the height, heading and speed the instructor sets, slowed to 100 knots.\r\n"},
        {"mDesc1.txt", "Climb at 75 knots under full power, then level off at cruise power.\r\n"},
        {"mDesc2.txt", "Descend at reduced power and 90 knots, then level off with power.\r\n"},
        {"mDesc3.txt",
         "Turn 90 degrees at the standard rate, holding the height, and roll out on the new "
         "heading.\r\n"},
        {"mDesc4.txt", "Fly level at 60 knots near the stall, then recover to cruise.\r\n"},
        {"mDesc5.txt",
         "Raise the nose with the throttle closed until the wing stalls, then recover.\r\n"},
    };
}

}  // namespace

int MakeLessons(Installation& installation, std::string* error) {
    for (const Script& s : Scripts()) {
        const std::string text = s.text;
        if (text.rfind("TITLE", 0) == 0) {
            planning::LessonScript check;
            if (planning::LoadLessonScript(check, planning::ReadLessonLinesFrom(text)) == 0) {
                *error = std::string("the lesson script ") + s.member + " does not read";
                return 0;
            }
        }
        installation.AddMember("Lessons\\Lessons.Vol", s.member, Bytes(text.begin(), text.end()));
    }
    return 1;
}

}  // namespace mkdata
