// The flight lessons and manoeuvres in "Lessons\Lessons.Vol": six manoeuvre scripts
// ("zqMan0.txt" ...), five lesson scripts ("zqLess1.txt" ...) with their one-line descriptions
// ("lDesc1.txt" ...), written in the lesson language from common flight-training practice. Each
// script is read back through the program's own reader, so a script the program would refuse
// stops the build of the installation.
//
// What the instructor says is a phrase number: 19990..19999 are the short feedback phrases, and
// ours start at 21000; their words are in the speech table (data/speech/phrases.txt), whose
// clips the speech module makes.
#include <string>

#include "planning/lesson_script.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

struct Script {
    const char* member;
    const char* text;
};

// The copilot's watch every script shares: a wing dropped past a gentle bank, either way, and the
// copilot takes over until the wings are level again.
#define ZQ_WATCH                                 \
    "SEQ_BEGIN\r\n"                              \
    "PROC Watch\r\n"                             \
    "TESTNOT AIRCRAFT_LEVEL_TEST\r\n"            \
    "{\r\n"                                      \
    "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL\r\n" \
    "}\r\n"                                      \
    "ENDPROC\r\n"                                \
    "SEQ_END\r\n"

// How the instructor closes a manoeuvre: praise when the copilot never had to help.
#define ZQ_DEBRIEF                         \
    "STOPCONTINUOUS\r\n"                   \
    "TEST GOOD_JOB_TEST\r\n"               \
    "{\r\n"                                \
    "SAY GOOD_JOB WAIT_2_SEC\r\n"          \
    "}\r\n"                                \
    "TESTNOT GOOD_JOB_TEST\r\n"            \
    "{\r\n"                                \
    "SAY NEEDS_WORK WAIT_2_SEC\r\n"        \
    "}\r\n"

// The power-off stall and its recovery, the manoeuvre's and the stall lesson's close alike.
#define ZQ_POWER_OFF_STALL               \
    "SAY 21050 WAIT_3_SEC\r\n"            \
    "EXEC THROTTLE_IDLE\r\n"              \
    "SAY 21051 WAIT_8_SEC\r\n"            \
    "SAY 21052 WAIT_2_SEC\r\n"            \
    "EXEC THROTTLE_FULL\r\n"              \
    "EXEC CARB_OFF\r\n"                   \
    "CONTINUOUS Watch\r\n"                \
    "TIMER WAIT_5_SEC\r\n" ZQ_DEBRIEF     \
    "ENDPROC\r\n" ZQ_WATCH

constexpr Script kScripts[] = {
    {"zqMan0.txt",
     "TITLE Straight and Level Flight\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "// Hold the references; the copilot steps in when the wings drop.\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21000 WAIT_3_SEC\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21001 WAIT_5_SEC\r\n"
     "SAY 21002 WAIT_5_SEC\r\n"
     "SAY 21003 WAIT_5_SEC\r\n" ZQ_DEBRIEF
     "SAY 21004 WAIT_2_SEC\r\n"
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqMan1.txt",
     "TITLE Climbs\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21010 WAIT_4_SEC\r\n"
     "// Full power for the climb: the mixture goes full rich first.\r\n"
     "EXEC MIXTURE_FULL_RICH\r\n"
     "EXEC THROTTLE_FULL\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21011 WAIT_8_SEC\r\n"
     "SAY 21012 WAIT_6_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqMan2.txt",
     "TITLE Descents\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     "SAY 21020 WAIT_4_SEC\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21021 WAIT_8_SEC\r\n"
     "SAY 21022 WAIT_6_SEC\r\n"
     "EXEC CARB_OFF\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqMan3.txt",
     "TITLE Standard Rate Turns\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21030 WAIT_5_SEC\r\n"
     "SAY 21031 WAIT_8_SEC\r\n"
     "SAY 21032 WAIT_5_SEC\r\n"
     "CALLPROC Level\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n"
     "SEQ_BEGIN\r\n"
     "PROC Level\r\n"
     "// Wings still banked after the roll-out: the copilot levels them.\r\n"
     "TESTNOT AIRCRAFT_LEVEL_TEST\r\n"
     "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL\r\n"
     "ENDPROC\r\n"
     "SEQ_END\r\n"},
    {"zqMan4.txt",
     "TITLE Slow Flight\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     "SAY 21040 WAIT_6_SEC\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21041 WAIT_8_SEC\r\n"
     "SAY 21042 WAIT_3_SEC\r\n"
     "EXEC THROTTLE_FULL\r\n"
     "EXEC CARB_OFF\r\n"
     "TIMER WAIT_4_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqMan5.txt",
     "TITLE Power-off Stall Recovery\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     ZQ_POWER_OFF_STALL},
    {"zqLess1.txt",
     "TITLE Effects of the Controls\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21060 WAIT_5_SEC\r\n"
     "SAY 21061 WAIT_5_SEC\r\n"
     "SAY 21062 WAIT_5_SEC\r\n"
     "CALLPROC Level\r\n"
     "SAY 21063 WAIT_5_SEC\r\n"
     "SAY 21064 WAIT_5_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n"
     "SEQ_BEGIN\r\n"
     "PROC Level\r\n"
     "TESTNOT AIRCRAFT_LEVEL_TEST\r\n"
     "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL\r\n"
     "ENDPROC\r\n"
     "SEQ_END\r\n"},
    {"zqLess2.txt",
     "TITLE Straight and Level\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21000 WAIT_3_SEC\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21001 WAIT_8_SEC\r\n"
     "SAY 21002 WAIT_8_SEC\r\n"
     "SAY 21003 WAIT_8_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqLess3.txt",
     "TITLE Climbs and Descents\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21010 WAIT_4_SEC\r\n"
     "SAY 21011 WAIT_8_SEC\r\n"
     "SAY 21012 WAIT_6_SEC\r\n"
     "SAY 21020 WAIT_4_SEC\r\n"
     "SAY 21021 WAIT_8_SEC\r\n"
     "SAY 21022 WAIT_6_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqLess4.txt",
     "TITLE Turns\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "SAY 21030 WAIT_5_SEC\r\n"
     "SAY 21031 WAIT_8_SEC\r\n"
     "SAY 21032 WAIT_5_SEC\r\n"
     "SAY 21030 WAIT_5_SEC\r\n"
     "SAY 21032 WAIT_5_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n"},
    {"zqLess5.txt",
     "TITLE Slow Flight and Stalls\r\n"
     "FLTFILE Cruise.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     "SAY 21040 WAIT_6_SEC\r\n"
     "SAY 21041 WAIT_8_SEC\r\n"
     "SAY 21042 WAIT_4_SEC\r\n"
     ZQ_POWER_OFF_STALL},
    {"lDesc1.txt", "Lesson 1: the effects of the controls - yoke, rudder and throttle, and what each does.\r\n"},
    {"lDesc2.txt", "Lesson 2: straight and level flight by the horizon, with the instruments as a cross-check.\r\n"},
    {"lDesc3.txt", "Lesson 3: climbs and descents at constant airspeed, and levelling off from them.\r\n"},
    {"lDesc4.txt", "Lesson 4: standard rate turns, holding the altitude, and rolling out on a heading.\r\n"},
    {"lDesc5.txt", "Lesson 5: slow flight near the stall, and the recovery from a power-off stall.\r\n"},
};

}  // namespace

int MakeLessons(Installation& installation, std::string* error) {
    for (const Script& s : kScripts) {
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
