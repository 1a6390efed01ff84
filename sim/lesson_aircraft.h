// The lesson interpreter's view of the live aircraft: the flight model's state, the cockpit's
// knobs and levers, the views and the autopilot; phrases go to the spoken-word queue.
#pragma once

#include "planning/lesson_controller.h"
#include "win/handles.h"

namespace sim {

class LiveLessonAircraft : public planning::LessonAircraft {
public:
    [[nodiscard]] Reading Read() override;
    [[nodiscard]] bool Paused() override;
    void SetCarbHeat(bool on) override;
    void MixtureFullRich() override;
    void SetViewMode(int mode) override;
    void SetLookDirection(int direction) override;
    void ThrottleFull() override;
    void ThrottleIdle() override;
    void CentreControls() override;
    void SetAutopilotMaster(bool on) override;
    [[nodiscard]] std::int16_t AutopilotPitchReference() override;
    void SetAutopilotPitchReference(std::int16_t reference) override;
    int LoadFlight(const std::string& name) override;
    void Speak(int phrase) override;
    [[nodiscard]] bool DumpWanted() override;
    // A manoeuvre's result into the current pilot's file.
    void RecordResult(const std::string& scriptMember, int result) override;
};
extern LiveLessonAircraft theLiveLessonAircraft;

// Menu command 103: the lesson preflight, then the chosen lesson when it is to start now.
void RunFlightLessonCommand(win::HWND window);
// Menu command 105: the manoeuvre list, then the chosen manoeuvre's lesson.
void RunManeuverCommand(win::HWND window);

}  // namespace sim
