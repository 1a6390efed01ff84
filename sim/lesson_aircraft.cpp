#include "sim/lesson_aircraft.h"

#include <cstdio>
#include <string_view>

#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "devices/sound_device.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "planning/lesson_dialogs.h"
#include "planning/pilot_file.h"
#include "sim/flight_file.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/flight_controls.h"
#include "sim/menu_commands.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "win/program_entry.h"

namespace sim {

LiveLessonAircraft theLiveLessonAircraft;

namespace {

// A flight-control command by its name in the key command table (the throttle stops).
void RunFlightCommand(std::string_view name) {
    for (const KeyCommand& c : FlightControlCommands())
        if (name == c.name && c.function != nullptr) {
            c.function();
            return;
        }
}

}  // namespace

planning::LessonAircraft::Reading LiveLessonAircraft::Read() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    Reading r;
    r.elevator = s.fmElv;
    r.aileron = s.fmAil;
    r.rudder = s.fmRud;
    r.throttle = s.fmThrot;
    r.flaps = s.fmFlaps;
    r.pitch = s.fmPitch;
    r.bank = static_cast<std::int16_t>(s.fmBank);
    r.heading = s.fmHead;
    r.allowWA = s.fmAllowWA;
    r.airspeed = flight::IndicatedAirspeedWholeKnots();
    r.rpm = s.fmEngineSpeed[0];
    r.altitude = static_cast<std::int16_t>(static_cast<int>(flight::AircraftAltitudeFeet()));
    r.trim = s.fmApElvTrim;
    r.carbHeatKnob = cockpit::theCockpitSwitches.carbHeatKnob;
    r.mixture = cockpit::theMixtureLever.lever;
    r.lookDirection = theSimWorld.GetLookDirection();
    r.crashed = flight::theCrashed != 0;
    r.autopilot = (s.fmAutopilotModes & 1u) != 0;
    return r;
}

bool LiveLessonAircraft::Paused() {
    return theSimWorld.IsPauseRequested();
}

void LiveLessonAircraft::SetCarbHeat(bool on) {
    if ((cockpit::theCockpitSwitches.carbHeatKnob == 0) != on) CmdToggleCarbHeat();
}

// The (left) mixture lever all the way in, as a click on the panel's lever moves it.
void LiveLessonAircraft::MixtureFullRich() {
    cockpit::theMixtureLever.lever = 31;
    cockpit::theMixtureLever.dirty = 1;
    cockpit::UpdateMixtureLever();
}

void LiveLessonAircraft::SetViewMode(int mode) {
    theSimWorld.SetViewMode(mode);
}

void LiveLessonAircraft::SetLookDirection(int direction) {
    theSimWorld.SetLookDirection(direction);
}

void LiveLessonAircraft::ThrottleFull() {
    RunFlightCommand("ThrottleMax");
}

void LiveLessonAircraft::ThrottleIdle() {
    RunFlightCommand("ThrottleMin");
}

void LiveLessonAircraft::CentreControls() {
    RunFlightCommand("AileronCenter");
    RunFlightCommand("RudderCenter");
}

void LiveLessonAircraft::SetAutopilotMaster(bool on) {
    std::uint16_t& modes = flight::theFlightModelState.fmAutopilotModes;
    modes = static_cast<std::uint16_t>(on ? (modes | 1u) : (modes & ~1u));
}

std::int16_t LiveLessonAircraft::AutopilotPitchReference() {
    return flight::theFlightModelState.fmApPitchTarget;
}

void LiveLessonAircraft::SetAutopilotPitchReference(std::int16_t reference) {
    flight::theFlightModelState.fmApPitchTarget = reference;
}

int LiveLessonAircraft::LoadFlight(const std::string& name) {
    return LoadFlightFile(name, 1);
}

// A phrase is spoken when its clip is in the tower's volume.
void LiveLessonAircraft::Speak(int phrase) {
    char clip[24];
    std::snprintf(clip, sizeof clip, "%d.wav", phrase);
    if (core::theTowerAtcVolume.OpenFile(clip) == 0) return;
    core::theTowerAtcVolume.CloseFile();
    // The speech buffer opens on the first phrase (its opening starts a fresh utterance, so the
    // phrase is queued after it); a phrase said while the radio talks waits its turn.
    nav::AtcSpeech& q = nav::theAtcSpeech;
    if (q.bufferOpen == 0 || q.buffer == nullptr) {
        if (q.Reload(devices::theSoundDevice.owner) == 0) return;
    } else if (q.speaking == 0) {
        q.QueuePhrase(0, q.volume, 0);
    }
    q.AppendWord(static_cast<std::uint16_t>(phrase));
    q.speaking = 1;
}

bool LiveLessonAircraft::DumpWanted() {
    return core::theIniFile.GetInt("Debug", "DumpLess", 0) != 0;
}

void LiveLessonAircraft::RecordResult(const std::string& scriptMember, int result) {
    int manoeuvre = -1;
    if (std::sscanf(scriptMember.c_str(), "zqMan%d.txt", &manoeuvre) != 1 || manoeuvre < 0) return;
    planning::PilotFile pilot;
    if (pilot.LoadCurrent() == 0) return;
    pilot.RecordManeuverResult(manoeuvre, result);
    if (pilot.Save() == 0) win::TraceLine("lesson: the pilot file could not keep the result");
}

void RunFlightLessonCommand(win::HWND window) {
    if (ConfirmCloseFlightPlan(window) == 0) return;
    planning::theLessonController.aircraft = &theLiveLessonAircraft;
    planning::FltLessonPreflight dialog;
    if (dialog.DoModal(window) == 1 && dialog.startNow != 0)
        planning::theLessonController.LoadLessonScriptByNumber(dialog.lesson);
}

void RunManeuverCommand(win::HWND window) {
    if (ConfirmCloseFlightPlan(window) == 0) return;
    planning::theLessonController.aircraft = &theLiveLessonAircraft;
    planning::FlightManeuverDialog dialog;
    if (dialog.DoModal(window) == 1) RunFlightCommand("ThrottleDown");
}

}  // namespace sim
