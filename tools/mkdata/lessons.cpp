// The flight lessons and manoeuvres in "Lessons\Lessons.Vol": six manoeuvre scripts
// ("zqMan0.txt" ...), five lesson scripts ("zqLess1.txt" ...) with their one-line descriptions
// ("lDesc1.txt" ...), written in the lesson language from common flight-training practice. Each
// script is read back through the program's own reader, so a script the program would refuse
// stops the build of the installation.
//
// What the instructor says is a phrase number: 19990..19999 are the short feedback phrases, and
// ours start at 21000 (kLessonPhrases lists their words for the speech maker).
#include <string>

#include "planning/lesson_script.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

// The instructor's phrases of the scripts below, by number.
struct LessonPhrase {
    int id;
    const char* words;
};
extern const LessonPhrase kLessonPhrases[];
const LessonPhrase kLessonPhrases[] = {
    {21000, "Let's fly straight and level. Pick a point on the horizon and keep the nose on it."},
    {21001, "Keep the wings level with the horizon and hold your altitude."},
    {21002, "Small corrections. Trim off the pressure so the airplane flies itself."},
    {21003, "Check the altimeter and the heading indicator now and then, and go back outside."},
    {21004, "That's straight and level. Let's stop here."},
    {21010, "Now a climb. Raise the nose to the climb attitude and add full power."},
    {21011, "Hold the climb speed with pitch. Right rudder keeps the ball centred."},
    {21012, "To level off, lower the nose to the cruise attitude, let the speed build, then reduce power."},
    {21020, "Now a descent. Reduce power and hold the nose at the descent attitude."},
    {21021, "Let the airspeed settle and trim for it."},
    {21022, "To level off, add power as you raise the nose back to the cruise attitude."},
    {21030, "A standard rate turn: bank until the turn coordinator's wing is on the mark."},
    {21031, "Add a little back pressure to hold the altitude in the turn."},
    {21032, "Roll out with the ailerons and rudder together, and relax the back pressure."},
    {21040, "Slow flight: reduce power and raise the nose to keep your altitude as the speed falls."},
    {21041, "Add power to hold the altitude. The controls feel soft now. Keep the ball centred."},
    {21042, "To recover, add full power, lower the nose and let the airplane accelerate."},
    {21050, "A power-off stall. Close the throttle and hold the altitude with back pressure."},
    {21051, "Keep raising the nose until the stall breaks."},
    {21052, "Recover: lower the nose, add full power and level the wings."},
    {21060, "These are the primary controls. The yoke moves the elevator and the ailerons."},
    {21061, "Pull back gently. The nose rises. Now let it come back."},
    {21062, "Turn the yoke to the left. The airplane banks and turns. Now level the wings."},
    {21063, "The rudder pedals yaw the nose and keep the turns coordinated."},
    {21064, "The throttle sets the power. More power, and the airplane climbs."},
};
extern const int kLessonPhraseCount;
const int kLessonPhraseCount = static_cast<int>(sizeof kLessonPhrases / sizeof kLessonPhrases[0]);

namespace {

struct Script {
    const char* member;
    const char* text;
};

// The copilot's watch every script shares: wings far from level, and the copilot takes over.
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

constexpr Script kScripts[] = {
    {"zqMan0.txt",
     "TITLE Straight and Level Flight\r\n"
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC MIXTURE_FULL_RICH\r\n"
     "SAY 21010 WAIT_4_SEC\r\n"
     "EXEC THROTTLE_FULL\r\n"
     "CONTINUOUS Watch\r\n"
     "SAY 21011 WAIT_8_SEC\r\n"
     "SAY 21012 WAIT_6_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqMan2.txt",
     "TITLE Descents\r\n"
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     "SAY 21050 WAIT_3_SEC\r\n"
     "EXEC THROTTLE_IDLE\r\n"
     "SAY 21051 WAIT_8_SEC\r\n"
     "SAY 21052 WAIT_2_SEC\r\n"
     "EXEC THROTTLE_FULL\r\n"
     "EXEC CARB_OFF\r\n"
     "CONTINUOUS Watch\r\n"
     "TIMER WAIT_5_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
    {"zqLess1.txt",
     "TITLE Effects of the Controls\r\n"
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
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
     "FLTFILE Lesson.Flt\r\n"
     "EXEC STRAIGHT_LEVEL_INIT\r\n"
     "EXEC PERFORMANCE_INIT\r\n"
     "EXEC CARB_ON\r\n"
     "SAY 21040 WAIT_6_SEC\r\n"
     "SAY 21041 WAIT_8_SEC\r\n"
     "SAY 21042 WAIT_4_SEC\r\n"
     "SAY 21050 WAIT_3_SEC\r\n"
     "EXEC THROTTLE_IDLE\r\n"
     "SAY 21051 WAIT_8_SEC\r\n"
     "SAY 21052 WAIT_2_SEC\r\n"
     "EXEC THROTTLE_FULL\r\n"
     "EXEC CARB_OFF\r\n"
     "CONTINUOUS Watch\r\n"
     "TIMER WAIT_5_SEC\r\n" ZQ_DEBRIEF
     "ENDPROC\r\n" ZQ_WATCH},
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
