#include "planning/lesson_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/resource_volume.h"
#include "ui/dialog_services.h"
#include "win/compositor.h"
#include "win/program_entry.h"

namespace planning {

LessonController theLessonController;

namespace {

// Trace lines are formatted on the stack: a lesson step allocates nothing.
void Trace(const char* line) {
    win::TraceLine(line);
}
template <typename... Args>
void Trace(const char* format, Args... args) {
    char line[128];
    std::snprintf(line, sizeof line, format, args...);
    win::TraceLine(line);
}

// The next statement of a sequence; null past the script's last row.
LessonStatement* After(const LessonScript& script, LessonStatement* s) {
    if (s == nullptr) return nullptr;
    LessonStatement* next = s + 1;
    return next < script.rows.data() + script.count ? const_cast<LessonStatement*>(next) : nullptr;
}

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

// A signed binary angle (65536 to the turn) in whole degrees, rounded to the nearest.
int Degrees(std::int16_t angle) {
    return static_cast<int>(std::lround(angle * (360.0 / 65536.0)));
}

}  // namespace

bool IsLessonControlStatement(std::uint32_t type) {
    switch (type) {
        case kLessonTest: case kLessonTestNot: case kLessonRangeTest: case kLessonRangeTestNot:
        case kLessonBegin: case kLessonProc: case kLessonEndProc: case kLessonCallProc:
        case kLessonBranch: case kLessonContinuous: case kLessonStopContinuous:
            return true;
        default:
            return false;
    }
}

// ---- the sequencer ------------------------------------------------------------------------

void LessonSequencer::Clear() {
    stack.clear();
    current = nullptr;
    wait = 0;
    watch = nullptr;
}

void LessonSequencer::PushFrame(LessonProcedure* procedure) {
    stack.push_back(nullptr);
    current = procedure;
    if (current) current->current = current->start;
}

void LessonSequencer::CallProc(LessonController& lesson, LessonProcedure* target) {
    current->current = After(*lesson.script, current->current);
    if (static_cast<int>(stack.size()) >= kLessonCallDepthLimit) {
        // A chain this deep is a script calling itself: the lesson ends instead of growing.
        lesson.End();
        return;
    }
    stack.push_back(current);
    current = target;
    if (current) current->current = current->start;
}

void LessonSequencer::Branch(const LessonScript& script) {
    const LessonName name = current->current->name;
    for (LessonStatement* s = current->start; s != nullptr; s = After(script, s)) {
        if (s->type == kLessonEndProc || (s->type == kLessonLabel && s->name == name)) {
            current->current = s;
            return;
        }
    }
    current->current = nullptr;
}

void LessonSequencer::SkipAfterFailedTest(const LessonScript& script) {
    LessonStatement*& s = current->current;
    if (s == nullptr) return;
    if (s->type != kLessonBegin) {
        s = After(script, s);
        return;
    }
    while (s != nullptr && s->type != kLessonEnd && s->type != kLessonEndProc) s = After(script, s);
}

int LessonSequencer::RunControlStatement(LessonController& lesson) {
    LessonStatement* s = current->current;
    switch (s->type) {
        case kLessonTest: case kLessonTestNot: case kLessonRangeTest: case kLessonRangeTestNot: {
            current->current = After(*lesson.script, s);
            const int result = lesson.EvaluateStatement(*s, &wait);
            if (result == 0) SkipAfterFailedTest(*lesson.script);
            return result;
        }
        case kLessonBegin:
        case kLessonProc:
            current->current = After(*lesson.script, s);
            return 1;
        case kLessonEndProc: {
            LessonProcedure* caller = stack.empty() ? nullptr : stack.back();
            if (!stack.empty()) stack.pop_back();
            current = stack.empty() ? nullptr : caller;
            return 1;
        }
        case kLessonCallProc:
            CallProc(lesson, s->target);
            return 1;
        case kLessonBranch:
            Branch(*lesson.script);
            return 1;
        case kLessonContinuous:
            watch = s->target;
            current->current = After(*lesson.script, s);
            return 1;
        case kLessonStopContinuous:
            current->current = After(*lesson.script, s);
            watch = nullptr;
            return 1;
        default:
            current->current = After(*lesson.script, s);
            return 0;
    }
}

// The watch sequence runs from its start in every step, up to its first wait, its end or the
// step's statement limit; its wait holds the main sequence too.
void LessonSequencer::RunContinuous(LessonController& lesson) {
    LessonSequencer& temporary = *scratch;
    temporary.Clear();
    temporary.PushFrame(watch);
    temporary.Tick(lesson);
    wait = std::max(wait, temporary.wait);
}

int LessonSequencer::Tick(LessonController& lesson) {
    if (current == nullptr || current->current == nullptr) {
        lesson.trapMode = 0;
        return 0;
    }
    if (watch != nullptr && scratch != nullptr) RunContinuous(lesson);
    if (--wait > 0) return 0;
    wait = 0;
    int result = 0;
    for (int n = 0; n < kLessonStatementsPerStep && lesson.running && current != nullptr &&
                    current->current != nullptr && wait == 0;
         ++n) {
        LessonStatement* s = current->current;
        if (IsLessonControlStatement(s->type)) {
            result = RunControlStatement(lesson);
        } else {
            result = lesson.EvaluateStatement(*s, &wait);
            if (current != nullptr && current->current == s) current->current = After(*lesson.script, s);
        }
    }
    return result;
}

// ---- the controller -----------------------------------------------------------------------

void LessonController::TakeReferences() {
    const LessonAircraft::Reading r = aircraft->Read();
    referenceAltitude = r.altitude;
    referenceHeading = r.heading;
    referenceAirspeed = r.airspeed;
}

int LessonController::LoadManeuverScript(int n) {
    char member[32];
    std::snprintf(member, sizeof member, "zqMan%d.txt", n);
    return LoadLessonFile(member);
}

namespace {
// A lesson the user chose that cannot run is said, with why, rather than doing nothing.
void TellRejectedLesson(const std::string& member, const std::string& why) {
    const std::string text = "The lesson " + member + " cannot be started: " + why + ".";
    std::fprintf(stderr, "zephlon: %s\n", text.c_str());
    if (const win::HWND window = win::GetDisplayWindow())
        ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
}
}  // namespace

int LessonController::LoadLessonScriptByNumber(int n) {
    char member[32];
    std::snprintf(member, sizeof member, "zqLess%d.txt", n);
    return LoadLessonFile(member);
}

int LessonController::LoadLessonFile(const std::string& member) {
    if (aircraft == nullptr) return 0;
    End();
    scriptMember = member;
    TakeReferences();
    trapMode = 0;
    int loaded = 0;
    {
        core::ResourceVolume volume("Lessons\\Lessons.Vol", "Lessons", 1);
        if (volume.OpenFile(member) != 0) {
            loaded = LoadLessonScript(*script, [&volume](char* b, int n) { return volume.ReadLine(b, n); });
            volume.CloseFile();
        }
    }
    if (loaded == 0) {
        // The script says which of its lines cannot be run, and why; a member that is not
        // there says nothing.
        const std::string why =
            script->refusal.empty()
                ? std::string("it is missing from Lessons\\Lessons.Vol or cannot be read")
                : script->refusal;
        script->Reset();
        Trace("lesson: rejected %s", member.c_str());
        TellRejectedLesson(member, why);
        return 0;
    }
    if (aircraft->DumpWanted()) DumpLessonFile(*script, "Less.out");
    const std::string flight = script->flightFile.empty() ? std::string("Lesson.Flt") : script->flightFile;
    if (aircraft->LoadFlight(flight) == 0) {
        script->Reset();
        Trace("lesson: rejected %s (no flight %s)", member.c_str(), flight.c_str());
        TellRejectedLesson(member, "its flight " + flight + " cannot be loaded");
        return 0;
    }
    TakeReferences();
    Trace("lesson: loaded %s", member.c_str());
    Start();
    return 1;
}

void LessonController::Start() {
    sequencer.Clear();
    sequencer.scratch = &watchSequencer;
    watchSequencer.Clear();
    if (script->count == 0) return;
    mainProcedure = LessonProcedure{script->rows.data(), script->rows.data()};
    copilotHasControl = 0;
    faultCounter = 0;
    lookedDirections = 0;
    autopilotSaid = false;
    running = true;
    sequencer.PushFrame(&mainProcedure);
}

void LessonController::End() {
    if (running) Trace("lesson: ended");
    running = false;
    if (copilotHasControl != 0 && aircraft != nullptr) aircraft->SetAutopilotMaster(false);
    copilotHasControl = 0;
    trapMode = 0;
    sequencer.Clear();
    watchSequencer.Clear();
}

void LessonController::EndWithCrash() {
    Trace("lesson: the aircraft crashed");
    Trace("lesson: feedback %d", kPhraseNeedsWork);
    aircraft->Speak(kPhraseNeedsWork);
    aircraft->RecordResult(scriptMember, kLessonNotPassed);
    End();
}

int LessonController::Step() {
    if (!running || aircraft == nullptr || aircraft->Paused()) return 0;
    // A crash ends the lesson before anything else of it runs: no praise, no copilot.
    if (aircraft->Read().crashed) {
        EndWithCrash();
        return 0;
    }
    if (copilotHasControl != 0) {
        if (!IsReadyToReturn()) return 0;
        ReturnControl();
    }
    // A lesson teaches the pilot's hands: every step the pilot's autopilot flies it counts
    // against it, so a manoeuvre flown by the autopilot is never mastered.
    if (aircraft->Read().autopilot) {
        if (!autopilotSaid) Trace("lesson: flown by the autopilot");
        autopilotSaid = true;
        if (faultCounter < 0xFFFF) ++faultCounter;
    }
    const int result = sequencer.Tick(*this);
    if (running && (sequencer.current == nullptr || sequencer.current->current == nullptr)) {
        aircraft->RecordResult(scriptMember, faultCounter == 0 ? kLessonMastered : kLessonPractised);
        End();
    }
    return result;
}

int LessonController::EvaluateStatement(const LessonStatement& s, int* wait) {
    switch (s.type) {
        case kLessonTest: return RunTest(s);
        case kLessonTestNot: return RunTest(s) ? 0 : 1;
        case kLessonRangeTest: return RunRangeTest(s);
        case kLessonRangeTestNot: return RunRangeTest(s) ? 0 : 1;
        case kLessonSay:
            *wait = s.operand[1];
            if (s.operand[0] > 0) {
                Trace("lesson: sound %d", s.operand[0]);
                aircraft->Speak(s.operand[0]);
            }
            return 1;
        case kLessonExec: return DoAction(s);
        case kLessonBegin: case kLessonEnd: case kLessonProc: case kLessonEndProc:
        case kLessonLabel: case kLessonBranch:
            return 1;
        default:
            return 0;
    }
}

int LessonController::RunTest(const LessonStatement& s) {
    const LessonAircraft::Reading r = aircraft->Read();
    const auto headingOff = [&] {  // the shorter way round
        return std::abs(static_cast<int>(static_cast<std::int16_t>(r.heading - referenceHeading)));
    };
    switch (s.operand[0]) {
        // The wings within the lessons' gentle bank (8 degrees) of level.
        case 0: return std::abs(r.bank) < kWingsLevelBank;
        case 2: return std::abs(r.aileron - r.rudder) < 1500;
        case 3: return trimReference <= r.trim;
        case 4: return r.carbHeatKnob == 0;
        case 5: return r.rudder >= -909 && r.rudder < 910;
        case 6: return 1;
        case 7: return r.elevator < 547;
        case 10: return faultCounter == 0;
        case 11: return r.throttle == 0;
        case 12: return (lookedDirections & 2) != 0;
        case 13: return r.mixture >= 31;
        case 14: return r.aileron >= 0;
        case 16: return r.rudder < -909;
        case 17: return r.rudder >= 910;
        case 18:
            return std::abs(r.airspeed - referenceAirspeed) > 15 ||
                   std::abs(r.altitude - referenceAltitude) > 150 || headingOff() > 2730;
        case 19:
            deviationFlags = (std::abs(r.airspeed - referenceAirspeed) > 10 ? 1u : 0u) |
                             (std::abs(r.altitude - referenceAltitude) > 100 ? 2u : 0u) |
                             (headingOff() > 1820 ? 4u : 0u);
            return deviationFlags == 0;
        case 20: return r.throttle > 32700;
        case 21: return r.elevator >= -182;
        case 22: return Within(r.aileron, -909, 909) && Within(r.elevator, -909, 909);
        case 23: return r.pitch < 1275;
        case 24: return r.pitch > 364;
        case 25: return r.bank <= -1456;
        case 26: return r.aileron <= -364 || r.bank >= -546;
        case 27: return r.aileron >= 364;
        default: return 0;
    }
}

int LessonController::RunRangeTest(const LessonStatement& s) {
    const LessonAircraft::Reading r = aircraft->Read();
    const int low = s.operand[1], high = s.operand[2];
    switch (s.operand[0]) {
        case 1: return Within(r.airspeed, low, high);
        case 8: return Within(r.elevator, low, high);
        case 9: return Within(r.flaps, low, high);
        case 15: return Within(r.rpm, low, high);
        // What a turn is judged by, in whole degrees and feet: the height and the heading against
        // the references (taken where the turn began, the heading the shorter way round, right
        // positive) and the bank as the attitude indicator shows it (right wing down positive).
        case 28: return Within(r.altitude - referenceAltitude, low, high);
        case 29: return Within(-Degrees(r.bank), low, high);
        case 30:
            return Within(Degrees(static_cast<std::int16_t>(r.heading - referenceHeading)), low, high);
        default: return 1;
    }
}

int LessonController::DoAction(const LessonStatement& s) {
    switch (s.operand[0]) {
        case 0: aircraft->SetCarbHeat(false); return 1;
        case 1: aircraft->SetCarbHeat(true); return 1;
        case 2: lookedDirections = 0; return 1;
        case 3: return 1;
        case 4: lookedDirections |= static_cast<std::uint32_t>(aircraft->Read().lookDirection); return 1;
        case 5: aircraft->MixtureFullRich(); return 1;
        case 6: ++faultCounter; return 1;
        case 7: faultCounter = 0; return 1;
        case 8: trapMode = static_cast<std::uint16_t>(s.operand[1]); return 1;
        case 9: aircraft->SetViewMode(2); return 1;
        case 10: aircraft->SetLookDirection(0); return 1;
        case 11: aircraft->SetLookDirection(2); return 1;
        case 12: TakeReferences(); return 1;
        case 13: return 1;
        case 14: aircraft->ThrottleFull(); return 1;
        case 15: aircraft->ThrottleIdle(); return 1;
        case 16: trimReference = aircraft->Read().trim; return 1;
        case kPhraseMyAircraft:
            ++faultCounter;
            TakeControl(s.operand[1]);
            return 1;
        default: return 0;
    }
}

void LessonController::TakeControl(int manoeuvre) {
    Trace("lesson: feedback %d", kPhraseMyAircraft);
    aircraft->Speak(kPhraseMyAircraft);
    Trace("lesson: copilot takes control");
    copilotHasControl = 1;
    sequencer.wait = std::max(sequencer.wait, 4);
    copilotManoeuvre = static_cast<std::int16_t>(manoeuvre);
    if (manoeuvre < 1 || manoeuvre > 6) {
        const int d = aircraft->Read().altitude - referenceAltitude;
        aircraft->SetAutopilotPitchReference(static_cast<std::int16_t>(d > 100 ? 360 : d < -100 ? -360 : 0));
    }
    // Taking the controls, the copilot first lets go of the student's deflection: the wing
    // leveller moves the ailerons a little at a time and could not undo a full one in time.
    aircraft->CentreControls();
    aircraft->SetAutopilotMaster(true);
}

bool LessonController::IsReadyToReturn() {
    const LessonAircraft::Reading r = aircraft->Read();
    if (copilotManoeuvre >= 1 && copilotManoeuvre <= 6) return true;
    // The aircraft comes back with its wings level as the autopilot holds them (its ailerons
    // then neutral), or the watch that called the copilot would call it again.
    if (std::abs(r.bank) > kAutopilotWingsLevel) return false;
    if (copilotManoeuvre == 0) {
        if (aircraft->AutopilotPitchReference() != 0 && std::abs(r.altitude - referenceAltitude) >= 50) return false;
        aircraft->SetAutopilotPitchReference(0);
        if (std::abs(r.allowWA) >= 200) return false;
    } else if (std::abs(r.allowWA) >= 190) {
        return false;
    }
    referenceAltitude = r.altitude;
    return true;
}

void LessonController::ReturnControl() {
    copilotHasControl = 0;
    aircraft->SetAutopilotMaster(false);
    aircraft->CentreControls();
    sequencer.wait = std::max(sequencer.wait, 4);
    if (copilotManoeuvre == 0) TakeReferences();
    Trace("lesson: copilot returns control");
    Trace("lesson: feedback %d", kPhraseYourAircraft);
    aircraft->Speak(kPhraseYourAircraft);
}

int LessonStep() {
    return theLessonController.Step();
}

}  // namespace planning
