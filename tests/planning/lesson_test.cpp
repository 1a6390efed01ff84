// The lesson language read through our own reader, a corpus of bad scripts that must be refused
// without a crash, the debug dump against its golden text, and the interpreter stepped against
// an aircraft double that flies where the copilot's autopilot points it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "planning/lesson_controller.h"
#include "planning/lesson_script.h"
#include "win/program_entry.h"

namespace {

using namespace planning;

int Load(LessonScript& s, const std::string& text) {
    return LoadLessonScript(s, ReadLessonLinesFrom(text));
}

TEST(LessonKeywords, EveryRowIsFoundByTheSearchInAnyCase) {
    for (int i = 0; i < kLessonKeywordCount; ++i) {
        EXPECT_EQ(FindLessonKeyword(theLessonKeywords[i].name), i) << theLessonKeywords[i].name;
        std::string lower = theLessonKeywords[i].name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindLessonKeyword(lower), i) << lower;
    }
    for (const char* unknown : {"", "A", "ZZZ", "~", "TESTX", "WAIT_11_SEC", "AAA"})
        EXPECT_EQ(FindLessonKeyword(unknown), -1) << unknown;
    EXPECT_EQ(LookupLessonKeyword("// note", true), -1);
    EXPECT_EQ(LookupLessonKeyword("12", true), 12);
    EXPECT_EQ(LookupLessonKeyword("12", false), -2);
}

TEST(LessonReader, StatementsBuiltFromLines) {
    struct Case {
        const char* line;
        std::uint32_t type;
        int a, b, c;
    };
    const Case cases[] = {
        {"TEST CARB_TEST", kLessonTest, 4, 0, 0},
        {"tEsT carb_test", kLessonTest, 4, 0, 0},
        {"SAY 12 3", kLessonSay, 12, 3, 0},
        {"SAY 32767 0", kLessonSay, 32767, 0, 0},
        {"CARB_ON GOOD_JOB_TEST", kLessonTestNot, 10, 0, 0},
        {"RANGETEST ELEVATOR_RANGE_TEST -500 500", kLessonRangeTest, 8, -500, 500},
        {"RANGETEST RPM_RANGE_TEST 2300 2300", kLessonRangeTest, 15, 2300, 2300},
        {"EXEC 5", kLessonExec, 5, 0, 0},
        {"EXEC2 MY_AIRCRAFT AP_BANK_LEFT", kLessonExec, 19998, 3, 0},
        {"RANGETEST AIRSPEED_RANGE_TEST,60,\t80", kLessonRangeTest, 1, 60, 80},
        {"TIMER WAIT_3_SEC", kLessonSay, 0, 3, 0},
        {"EXEC2 SET_TRAP_MODE TRAP_YOKE_THROTTLE // demo", kLessonExec, 8, 2, 0},
    };
    for (const Case& c : cases) {
        LessonScript s;
        ASSERT_EQ(Load(s, c.line), 1) << c.line;
        ASSERT_EQ(s.count, 1) << c.line;
        EXPECT_EQ(s.rows[0].type, c.type) << c.line;
        EXPECT_EQ(s.rows[0].operand[0], c.a) << c.line;
        EXPECT_EQ(s.rows[0].operand[1], c.b) << c.line;
        EXPECT_EQ(s.rows[0].operand[2], c.c) << c.line;
    }
    LessonScript s;
    ASSERT_EQ(Load(s, "TITLE  A title\r\n// comment\r\n\r\nSEQ_END\r\nLABEL TwentyCharacterName!\r\nFLTFILE C172Fly.Flt\r\n"
                      "\x1aTEST CARB_TEST\r\n"),
              1);
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(LessonNameText(s.rows[0].name), "TwentyCharacterN");
    EXPECT_EQ(s.flightFile, "C172Fly.Flt");
    // Paths below the installation folder are a lesson's to name.
    for (const char* inside : {"Flights\\Lesson.Flt", "Flights/Sub/x.Flt", "..x.Flt", "a..b.Flt"}) {
        LessonScript t;
        EXPECT_EQ(Load(t, std::string("FLTFILE ") + inside + "\r\nTEST CARB_TEST\r\n"), 1) << inside;
        EXPECT_EQ(t.flightFile, inside);
    }
    EXPECT_EQ(ReadLessonTitle(ReadLessonLinesFrom("SAY 1 1\r\nTITLE  A title\r\n")), std::string(" A title"));
    EXPECT_FALSE(ReadLessonTitle(ReadLessonLinesFrom("SAY 1 1\r\n")).has_value());
}

TEST(LessonReader, BadScriptsAreRefusedAndLeaveNothingBehind) {
    std::string many;
    for (int i = 0; i < 1025; ++i) many += "SAY 1 0\r\n";
    std::string sequences;
    for (int i = 0; i < 9; ++i) sequences += "SEQ_BEGIN\r\nPROC P" + std::to_string(i) + "\r\nENDPROC\r\nSEQ_END\r\n";
    const std::vector<std::string> corpus = {
        "NOT_A_KEYWORD 1",
        "RPM_RANGE_TEST 1 2 3",
        "GOOD_JOB 1",
        "SAY 21000",
        "TEST",
        "RANGETEST AIRSPEED_RANGE_TEST 60",
        "CALLPROC Missing\r\nENDPROC",
        "CONTINUOUS Missing\r\nENDPROC",
        "BRANCH Missing\r\nLABEL Elsewhere\r\nENDPROC",  // a script cut before its label
        "FLTFILE " + std::string(32, 'f'),
        // Flights outside the installation folder.
        "FLTFILE /etc/passwd",
        "FLTFILE \\\\server\\x.Flt",
        "FLTFILE C:\\x.Flt",
        "FLTFILE ..\\..\\x.Flt",
        "FLTFILE Flights/../../x.Flt",
        "FLTFILE ..",
        many,
        sequences,
        std::string("\x01SAY 1 1"),
        std::string("\xff\xfe\x00\x01", 4),
        "SEQ_BEGIN\r\nPROC Loop\r\nCALLPROC Loop\r\nENDPROC\r\nSEQ_END\r\nPROC",
    };
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        LessonScript s;
        EXPECT_EQ(Load(s, corpus[i]), 0) << "case " << i;
    }
    // A line of 256 characters ends the reading: what follows is never read.
    LessonScript s;
    ASSERT_EQ(Load(s, "SAY 1 1\r\nSAY " + std::string(252, '1') + "\r\nSAY 2 2\r\n"), 1);
    EXPECT_EQ(s.count, 1);
    // A second load starts from empty tables.
    ASSERT_EQ(Load(s, many.substr(0, 9 * 5)), 1);
    ASSERT_EQ(Load(s, "SAY 7 1"), 1);
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.rows[1].type, kLessonUnused);
}

// Operands no lesson can mean refuse the script, and the refusal names the line and why.
TEST(LessonReader, OperandsNoLessonCanMeanAreRefusedAndNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"RANGETEST AIRSPEED_RANGE_TEST 0 nan",
         "its high bound nan is no whole number from -32768 to 32767"},
        {"RANGETEST AIRSPEED_RANGE_TEST 1e20 -5", "its low bound 1e20 is no whole number"},
        {"RANGETEST AIRSPEED_RANGE_TEST 0x10 20", "its low bound 0x10 is no whole number"},
        {"RANGETEST AIRSPEED_RANGE_TEST 60 40000", "its high bound 40000 is no whole number"},
        {"RANGETEST ELEVATOR_RANGE_TEST 500 -500",
         "its range runs backwards, from 500 down to -500"},
        {"SAY 99999999 3", "its phrase 99999999 is no whole number from 0 to 32767"},
        {"SAY 12 -1", "its wait -1 is no whole number from 0 to 32767"},
        {"TIMER 40000", "its wait 40000 is no whole number"},
        {"EXEC NO_SUCH_ROUTINE", "NO_SUCH_ROUTINE is no action a lesson can take"},
        {"EXEC 17", "17 is no action a lesson can take"},
        {"EXEC2 SET_TRAP_MODE 3", "its trap mode 3 is none there is"},
        {"EXEC2 MY_AIRCRAFT 7", "its manoeuvre 7 is none there is"},
        {"TEST 12", "12 is no test"},
        {"TESTNOT // nothing", "it names no test"},
    };
    for (const auto& [line, why] : cases) {
        LessonScript s;
        EXPECT_EQ(Load(s, std::string("TITLE T\r\n") + line + "\r\nENDPROC\r\n"), 0) << line;
        EXPECT_EQ(s.refusal.rfind(std::string("line 2 (") + line + "): " + why, 0), 0u)
            << s.refusal;
    }
}

TEST(LessonReader, DumpMatchesItsGoldenText) {
    LessonScript s;
    ASSERT_EQ(Load(s, "TITLE Reference\r\nSAY 21000 3\r\nTEST CARB_TEST\r\n{\r\nEXEC CARB_ON\r\n}\r\n"
                      "RANGETEST AIRSPEED_RANGE_TEST 60 80\r\nCALLPROC AVeryLongProcedureName\r\nENDPROC\r\n"
                      "SEQ_BEGIN\r\nPROC AVeryLongProcedureName\r\nBRANCH Out\r\nLABEL Out\r\nENDPROC\r\nSEQ_END\r\n"),
              1);
    EXPECT_EQ(DumpLessonStatements(s),
              "[SOUND] [id: 21000] [wait: 3]\n"
              "[TEST] [test: 4] [parm: 0]\n"
              "[BEGIN] [Group]\n"
              "   [EXEC] [test: 1] [parm: 0]\n"
              "[END] [End]\n"
              "\n"
              "[RANGETEST] [test: 1] [lo: 60] [hi: 80]\n"
              "[CALLPROC]\n"
              "[ENDPROC] [EPr]\n"
              "\n"
              "[LABEL] [Seq]\n"
              "\n"
              "[PROC] [AVeryLongProcedu]\n"
              "   [BRANCH] [Out]\n"
              "   [LABEL] [Out]\n"
              "[ENDPROC] [EPr]\n"
              "\n");
}

// An aircraft that flies only where the copilot's autopilot points it: 40 ft a step towards its
// pitch reference, and its flight-path word settling once the autopilot is off.
class AircraftDouble : public LessonAircraft {
public:
    Reading Read() override { return r; }
    void SetAutopilotMaster(bool on) override { master = on; }
    std::int16_t AutopilotPitchReference() override { return pitchReference; }
    void SetAutopilotPitchReference(std::int16_t p) override { pitchReference = p; }
    void ThrottleIdle() override { r.throttle = 0; }
    void MixtureFullRich() override { r.mixture = 31; }
    void CentreControls() override {
        r.aileron = r.rudder = 0;
        ++centred;
    }
    void RecordResult(const std::string& member, int result) override { results.emplace_back(member, result); }
    // The autopilot also takes a third of the bank off each step.
    void Fly() {
        if (master && pitchReference != 0) r.altitude += pitchReference > 0 ? -40 : 40;
        if (master && pitchReference == 0) r.allowWA = static_cast<std::int16_t>(r.allowWA / 2);
        if (master) r.bank = static_cast<std::int16_t>(r.bank * 2 / 3);
    }
    Reading r;
    bool master = false;
    std::int16_t pitchReference = 0;
    int centred = 0;
    std::vector<std::pair<std::string, int>> results;
};

class LessonRun : public ::testing::Test {
protected:
    void SetUp() override {
        win::SetTraceSink([this](std::string_view line) { trace.emplace_back(line); });
        lesson.aircraft = &plane;
        lesson.script = &script;
        plane.r.altitude = 3000;
    }
    void TearDown() override { win::SetTraceSink(nullptr); }

    // Loads and starts; then the step at which each trace line appeared.
    void Begin(const std::string& text) {
        ASSERT_EQ(Load(script, text), 1);
        lesson.TakeReferences();
        lesson.Start();
    }
    int StepUntil(const std::string& line, int limit = 200) {
        for (int step = 1; step <= limit; ++step) {
            trace.clear();
            lesson.Step();
            plane.Fly();
            for (const std::string& t : trace)
                if (t == line) return step;
        }
        return -1;
    }

    std::vector<std::string> trace;
    LessonScript script;
    LessonController lesson;
    AircraftDouble plane;
};

TEST_F(LessonRun, WaitsTestsAndWatches) {
    Begin("SAY 21000 3\r\nSAY 21001 0\r\nTIMER 0\r\nSAY 21002 1\r\nENDPROC\r\n");
    EXPECT_EQ(StepUntil("lesson: sound 21000"), 1);
    EXPECT_EQ(StepUntil("lesson: sound 21002"), 3);  // three steps after the first, same step as 21001
    EXPECT_EQ(StepUntil("lesson: ended"), 1);

    // A failed test skips to the first END, nested blocks not counted.
    Begin("TEST RUDDER_LEFT_TEST\r\nBEGIN Outer\r\nBEGIN Inner\r\nSAY 1 1\r\nEND\r\nSAY 2 1\r\nEND\r\nSAY 3 1\r\nENDPROC\r\n");
    std::vector<std::string> said;
    for (int i = 0; i < 10 && lesson.running; ++i) {
        trace.clear();
        lesson.Step();
        for (const std::string& t : trace)
            if (t.rfind("lesson: sound", 0) == 0) said.push_back(t);
    }
    EXPECT_EQ(said, (std::vector<std::string>{"lesson: sound 2", "lesson: sound 3"}));

    // A watch that waits 5 holds the main sequence in every step.
    Begin("CONTINUOUS W\r\nTIMER 1\r\nSAY 9 1\r\nENDPROC\r\nSEQ_BEGIN\r\nPROC W\r\nTIMER 5\r\nENDPROC\r\nSEQ_END\r\n");
    EXPECT_EQ(StepUntil("lesson: sound 9", 30), -1);
    EXPECT_TRUE(lesson.running);
}

TEST_F(LessonRun, TrapModesBranchesAndDeepCalls) {
    Begin("EXEC SET_TRAP_MODE\r\nTIMER 1\r\nEXEC2 SET_TRAP_MODE TRAP_YOKE_THROTTLE\r\nTIMER 1\r\n"
          "BRANCH Elsewhere\r\nSAY 5 1\r\nENDPROC\r\nSEQ_BEGIN\r\nPROC X\r\nLABEL Elsewhere\r\nENDPROC\r\nSEQ_END\r\n");
    lesson.Step();
    EXPECT_EQ(lesson.trapMode, 0);
    lesson.Step();
    EXPECT_EQ(lesson.trapMode, 2);
    // The label lies in another sequence: the branch lands on this one's ENDPROC, which ends it.
    EXPECT_EQ(StepUntil("lesson: sound 5", 10), -1);
    EXPECT_FALSE(lesson.running);

    Begin("CALLPROC Loop\r\nENDPROC\r\nSEQ_BEGIN\r\nPROC Loop\r\nCALLPROC Loop\r\nENDPROC\r\nSEQ_END\r\n");
    EXPECT_GT(StepUntil("lesson: ended", 20), 0);  // 64 frames deep, the lesson ends
}

TEST_F(LessonRun, TheCopilotTakesTheAircraftBackToTheReferences) {
    Begin("EXEC STRAIGHT_LEVEL_INIT\r\nSAY 1 1\r\nEXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL\r\nSAY 2 1\r\nENDPROC\r\n");
    plane.r.altitude = 3000;
    EXPECT_EQ(StepUntil("lesson: sound 1"), 1);
    plane.r.altitude = 3400;  // the student climbed away
    plane.r.allowWA = 900;
    const int taken = StepUntil("lesson: copilot takes control");
    ASSERT_GT(taken, 0);
    EXPECT_TRUE(plane.master);
    EXPECT_EQ(plane.pitchReference, 360);
    const int returned = StepUntil("lesson: copilot returns control");
    ASSERT_GE(returned, 4);
    EXPECT_FALSE(plane.master);
    EXPECT_LT(std::abs(plane.r.altitude - 3000), 50);
    EXPECT_LT(std::abs(plane.r.allowWA), 200);
    EXPECT_EQ(StepUntil("lesson: sound 2"), 3);  // four steps with the one that gave control back
    EXPECT_EQ(StepUntil("lesson: ended"), 1);
}

// The wings-level test catches a wing dropped either way past a gentle bank (8 degrees), whatever
// the flight path; the mixture test reads the lever, which the action puts full rich.
TEST_F(LessonRun, LevelAndMixtureTestsReadTheAircraft) {
    struct Case {
        std::int16_t bank, path;
        int level;
    };
    LessonStatement level{};
    level.type = kLessonTest;
    level.operand[0] = 0;
    for (const Case& c : {Case{0, 0, 1}, Case{1455, 0, 1}, Case{-1455, 0, 1}, Case{1456, 0, 0},
                          Case{-1456, 0, 0}, Case{5461, 0, 0}, Case{0, 2000, 1}, Case{-5461, -3000, 0}}) {
        plane.r.bank = c.bank;
        plane.r.allowWA = c.path;
        EXPECT_EQ(lesson.RunTest(level), c.level) << c.bank << " " << c.path;
    }
    LessonStatement mixture{};
    mixture.type = kLessonTest;
    mixture.operand[0] = 13;
    plane.r.mixture = 27;
    EXPECT_EQ(lesson.RunTest(mixture), 0);
    LessonStatement rich{};
    rich.type = kLessonExec;
    rich.operand[0] = 5;
    EXPECT_EQ(lesson.DoAction(rich), 1);
    EXPECT_EQ(lesson.RunTest(mixture), 1);
}

// A turn is judged against where it began: the heading change the shorter way round (across
// north too), the height change, and the bank as the attitude indicator shows it (right positive,
// the flight model's bank word negative to the right).
TEST_F(LessonRun, TurnRangesReadFromWhereTheTurnBegan) {
    plane.r.heading = 0xF8E4;  // 350 degrees
    plane.r.altitude = 3000;
    LessonStatement init{};
    init.type = kLessonExec;
    init.operand[0] = 12;  // STRAIGHT_LEVEL_INIT
    ASSERT_EQ(lesson.DoAction(init), 1);
    struct Case {
        int test;
        std::uint16_t heading;
        int altitude;
        std::int16_t bank;
        int low, high, within;
    };
    for (const Case& c :
         {Case{30, 0x38E4, 3000, 0, 80, 100, 1},    // 80 degrees: 90 to the right
          Case{30, 0xB8E4, 3000, 0, -100, -80, 1},  // 260 degrees: 90 to the left
          Case{30, 0x38E4, 3000, 0, -100, -80, 0}, Case{30, 0x5000, 3000, 0, 80, 100, 0},
          Case{28, 0xF8E4, 2899, 0, -100, 100, 0}, Case{28, 0xF8E4, 3100, 0, -100, 100, 1},
          Case{29, 0xF8E4, 3000, -3095, 12, 22, 1},  // 17 degrees right
          Case{29, 0xF8E4, 3000, 3095, 12, 22, 0}, Case{29, 0xF8E4, 3000, -10923, 12, 22, 0}}) {
        plane.r.heading = c.heading;
        plane.r.altitude = c.altitude;
        plane.r.bank = c.bank;
        LessonStatement range{};
        range.type = kLessonRangeTest;
        range.operand[0] = static_cast<std::int16_t>(c.test);
        range.operand[1] = static_cast<std::int16_t>(c.low);
        range.operand[2] = static_cast<std::int16_t>(c.high);
        EXPECT_EQ(lesson.RunRangeTest(range), c.within) << c.test << " " << c.heading << " " << c.bank;
    }
}

// The copilot lets go of the student's deflection as it takes the controls, keeps them until the
// autopilot has the wings level, and hands them back centred.
TEST_F(LessonRun, TheCopilotHandsBackWithTheWingsLevel) {
    Begin("EXEC STRAIGHT_LEVEL_INIT\r\nCONTINUOUS Watch\r\nTIMER 3\r\nTIMER 3\r\nTIMER 3\r\nTIMER 3\r\n"
          "ENDPROC\r\nSEQ_BEGIN\r\nPROC Watch\r\nTESTNOT AIRCRAFT_LEVEL_TEST\r\n{\r\n"
          "EXEC2 MY_AIRCRAFT AP_STRAIGHT_AND_LEVEL\r\n}\r\nENDPROC\r\nSEQ_END\r\n");
    plane.r.bank = 5461;  // 30 degrees
    plane.r.aileron = -12000;
    ASSERT_EQ(StepUntil("lesson: copilot takes control"), 2);  // the watch starts in the second step
    EXPECT_EQ(plane.r.aileron, 0);
    EXPECT_EQ(plane.centred, 1);
    ASSERT_GT(StepUntil("lesson: copilot returns control"), 0);
    EXPECT_LE(std::abs(plane.r.bank), kAutopilotWingsLevel);
    EXPECT_EQ(plane.centred, 2);
    EXPECT_EQ(StepUntil("lesson: copilot takes control", 30), -1) << "level: the watch keeps quiet";
}

// How a lesson went is kept when it ends: without the copilot's help, with it, or crashed; a
// crash ends it before anything else runs.
TEST_F(LessonRun, AnEndedLessonKeepsItsResultAndACrashEndsIt) {
    lesson.scriptMember = "zqMan3.txt";
    Begin("SAY 1 1\r\nSAY 2 1\r\nENDPROC\r\n");
    EXPECT_GT(StepUntil("lesson: ended"), 0);
    Begin("EXEC2 MY_AIRCRAFT AP_YOKE_BACK\r\nSAY 3 1\r\nENDPROC\r\n");
    EXPECT_GT(StepUntil("lesson: ended"), 0);
    // Flown by the pilot's autopilot, a lesson is only practised, and said so once.
    plane.r.autopilot = true;
    Begin("SAY 1 1\r\nSAY 2 1\r\nENDPROC\r\n");
    EXPECT_EQ(StepUntil("lesson: flown by the autopilot"), 1);
    EXPECT_EQ(StepUntil("lesson: flown by the autopilot", 5), -1);
    plane.r.autopilot = false;
    EXPECT_EQ(plane.results, (std::vector<std::pair<std::string, int>>{{"zqMan3.txt", kLessonMastered},
                                                                        {"zqMan3.txt", kLessonPractised},
                                                                        {"zqMan3.txt", kLessonPractised}}));

    plane.results.clear();
    Begin("SAY 1 1\r\nSAY 2 5\r\nTEST GOOD_JOB_TEST\r\nSAY GOOD_JOB 1\r\nENDPROC\r\n");
    EXPECT_EQ(StepUntil("lesson: sound 2"), 2);
    plane.r.crashed = true;
    std::vector<std::string> after;
    for (int i = 0; i < 10; ++i) {
        trace.clear();
        lesson.Step();
        after.insert(after.end(), trace.begin(), trace.end());
    }
    EXPECT_EQ(after, (std::vector<std::string>{"lesson: the aircraft crashed", "lesson: feedback 19994",
                                                "lesson: ended"}));
    EXPECT_EQ(plane.results, (std::vector<std::pair<std::string, int>>{{"zqMan3.txt", kLessonNotPassed}}));
    EXPECT_FALSE(lesson.running);
}

}  // namespace
