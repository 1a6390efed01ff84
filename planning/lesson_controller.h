// The lesson interpreter: loads a lesson (its script and its start flight) and steps the script
// against the aircraft once per lesson step (every 18th tick of the world, about a second, which
// is one wait unit). Tests read the aircraft, waits hold the script, actions move the controls
// and views, sequences are called and one may watch the aircraft every step; on "MY_AIRCRAFT" the
// copilot flies the aircraft back to the references and hands it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "planning/lesson_script.h"

namespace planning {

// What a lesson reads of the aircraft and moves on it. The program binds it to the flight model,
// the cockpit and the views; tests bind a double.
class LessonAircraft {
public:
    struct Reading {
        std::int16_t elevator = 0, aileron = 0, rudder = 0, throttle = 0;
        std::int8_t flaps = 0;
        std::uint16_t pitch = 0;  // binary angle, read unsigned
        std::int16_t bank = 0;    // binary angle, read signed
        std::uint16_t heading = 0;
        std::int16_t allowWA = 0;  // flight-path word
        int airspeed = 0;          // knots
        int rpm = 0;
        int altitude = 0;  // feet
        std::int16_t trim = 0;
        int carbHeatKnob = 15;  // 0 heat on, 15 off
        int mixture = 31;       // 0..31
        int lookDirection = 0;
        bool crashed = false;
        bool autopilot = false;  // the autopilot's master switch on
    };
    virtual ~LessonAircraft() = default;
    [[nodiscard]] virtual Reading Read() = 0;
    [[nodiscard]] virtual bool Paused() { return false; }
    virtual void SetCarbHeat(bool) {}
    virtual void MixtureFullRich() {}
    virtual void SetViewMode(int) {}
    virtual void SetLookDirection(int) {}
    virtual void ThrottleFull() {}
    virtual void ThrottleIdle() {}
    // The copilot's hands on the yoke and pedals: ailerons and rudder back to neutral.
    virtual void CentreControls() {}
    virtual void SetAutopilotMaster(bool on) = 0;
    [[nodiscard]] virtual std::int16_t AutopilotPitchReference() = 0;
    virtual void SetAutopilotPitchReference(std::int16_t reference) = 0;
    // Loads the lesson's start flight; 1 when loaded.
    virtual int LoadFlight(const std::string&) { return 1; }
    // Speaks a phrase clip, when there is one.
    virtual void Speak(int) {}
    // Whether the debug dump of a loaded script is wanted.
    [[nodiscard]] virtual bool DumpWanted() { return false; }
    // How a lesson that ran to its end, or crashed, went (LessonResult): the program keeps a
    // manoeuvre's in the pilot file.
    virtual void RecordResult(const std::string& /*scriptMember*/, int /*result*/) {}
};

// How a lesson went: flown without the copilot's help, flown with it, or crashed. The values
// are the pilot-status marks' (green check, grey check, red cross).
enum LessonResult { kLessonMastered = 0, kLessonPractised = 1, kLessonNotPassed = 2 };

inline constexpr int kLessonCallDepthLimit = 64;
// "AIRCRAFT_LEVEL_TEST": the wings are level while the bank stays inside the 8 degrees (binary
// angle 1456) the lessons call a gentle bank, so a watch on it catches a wing dropping either way.
inline constexpr int kWingsLevelBank = 1456;
// The autopilot's wing leveller counts the wings level (and centres the ailerons) inside this.
inline constexpr int kAutopilotWingsLevel = 0x100;
inline constexpr int kLessonStatementsPerStep = 19;

class LessonController;

// Steps statements of a sequence, with its call stack, its wait and its watch sequence.
class LessonSequencer {
public:
    int Tick(LessonController& lesson);
    void PushFrame(LessonProcedure* procedure);
    void CallProc(LessonController& lesson, LessonProcedure* target);
    void Branch(const LessonScript& script);
    int RunControlStatement(LessonController& lesson);
    void SkipAfterFailedTest(const LessonScript& script);
    void RunContinuous(LessonController& lesson);
    void Clear();

    std::vector<LessonProcedure*> stack;  // the callers, a null frame at the bottom
    LessonProcedure* current = nullptr;
    int wait = 0;
    LessonProcedure* watch = nullptr;
    LessonSequencer* scratch = nullptr;  // the watch's sequencer, kept so steps need no memory
};

[[nodiscard]] bool IsLessonControlStatement(std::uint32_t type);

class LessonController {
public:
    // Loads "zqMan<n>.txt", or "zqLess<n>.txt", and its flight; 1 when the lesson runs.
    int LoadManeuverScript(int n);
    int LoadLessonScriptByNumber(int n);
    // Loads the script member; 1 when the lesson runs.
    int LoadLessonFile(const std::string& member);
    // Runs an already read script from its first row (tests and the loader).
    void Start();
    // One lesson step; the last statement's result.
    int Step();
    // Ends the lesson: nothing runs any more, the copilot lets go.
    void End();
    // The aircraft crashed: the instructor's "needs work", the result kept, the lesson ended.
    void EndWithCrash();

    int EvaluateStatement(const LessonStatement& statement, int* wait);
    int RunTest(const LessonStatement& statement);
    int RunRangeTest(const LessonStatement& statement);
    int DoAction(const LessonStatement& statement);
    void TakeReferences();
    void TakeControl(int manoeuvre);
    bool IsReadyToReturn();
    void ReturnControl();

    LessonAircraft* aircraft = nullptr;
    bool running = false;
    int copilotHasControl = 0;
    std::uint16_t referenceHeading = 0;
    int referenceAltitude = 0;
    int referenceAirspeed = 0;
    std::uint32_t deviationFlags = 0;
    std::int16_t copilotManoeuvre = 0;
    std::string scriptMember;
    std::uint16_t trapMode = 0;
    std::uint32_t lookedDirections = 0;
    std::uint16_t faultCounter = 0;
    bool autopilotSaid = false;  // the trace has said the autopilot flies this lesson
    std::int16_t trimReference = 0;
    LessonProcedure mainProcedure;
    LessonSequencer sequencer;
    LessonSequencer watchSequencer;
    LessonScript* script = &theLessonScript;
};
extern LessonController theLessonController;

// The world's every-18th-tick lesson step.
int LessonStep();

}  // namespace planning
