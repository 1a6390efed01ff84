#include "sim/input/flight_controls.h"

#include <algorithm>
#include <array>

#include "cockpit/cockpit_services.h"
#include "cockpit/panel_controls.h"
#include "core/numeric.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "sim/input/command_services.h"
#include "sim/input/key_names.h"
#include "sim/input/keyboard_input.h"
#include "win/input.h"

namespace sim {

std::int16_t theElevatorInput = 0;
std::int16_t theRudderInput = 0;
std::int16_t theRudderTrim = 0;
std::int16_t theAileronInput = 0;
std::int16_t theAileronTrim = 0;

namespace {

constexpr std::uint32_t kMenuAutoCoordination = 695;
constexpr int kLastLever = 31;

flight::FlightModelState& State() {
    return flight::theFlightModelState;
}

int FlightControlsType() {
    return flight::theAircraftServices.aircraftType();
}

bool FlightControlsSynchronised() {
    return theCommandServices.isMultiEngineSynch() != 0;
}

bool Crashed() {
    return flight::theCrashed != 0;
}

// Inputs take the whole 16-bit range; trims stop one short of the top.
void AddClamped(std::int16_t& value, std::int32_t delta, std::int32_t high) {
    const std::int32_t next = value + delta;
    if (next >= -32768 && next <= high) value = static_cast<std::int16_t>(next);
}

std::int32_t ScaledByTrimEffect(std::int16_t step) {
    // Both operands are 16-bit, so the product fits; the shift rounds toward minus infinity.
    return (static_cast<std::int32_t>(step) * State().fmCNAdj) >> 15;
}

// A moved lever is always redrawn and updated, also when it was already at its stop.
void MoveLever(cockpit::LeverGauge& lever, int to, void (*update)()) {
    if (to < 0) to = 0;
    if (to > kLastLever) to = kLastLever;
    lever.lever = static_cast<std::int16_t>(to);
    lever.dirty = 1;
    update();
}

void StepTrimWheel(cockpit::TrimWheelGauge& wheel, int direction) {
    wheel.lever = static_cast<std::int16_t>((wheel.lever + direction + 4) & 3);
    wheel.dirty = 1;
}

void PlayFlapSound() {
    theCommandServices.playEffect(EffectChannel::Flap, 13, 100, -350, 0);
}

// ---- engine levers ----

void ThrottleTo(int position, bool left, bool right) {
    if (left) MoveLever(cockpit::theThrottleLever, position, &cockpit::UpdateThrottleLever);
    if (right)
        MoveLever(cockpit::theThrottleLever2, position, &cockpit::UpdateThrottleLeverRight);
}

void ThrottleMin() {
    ThrottleTo(0, true, FlightControlsSynchronised());
}
void ThrottleMax() {
    ThrottleTo(kLastLever, true, FlightControlsSynchronised());
}
void ThrottleUp() {
    const bool sync = FlightControlsSynchronised();
    MoveLever(cockpit::theThrottleLever, cockpit::theThrottleLever.lever + 1,
              &cockpit::UpdateThrottleLever);
    if (sync)
        MoveLever(cockpit::theThrottleLever2, cockpit::theThrottleLever2.lever + 1,
                  &cockpit::UpdateThrottleLeverRight);
}
void ThrottleDown() {
    const bool sync = FlightControlsSynchronised();
    MoveLever(cockpit::theThrottleLever, cockpit::theThrottleLever.lever - 1,
              &cockpit::UpdateThrottleLever);
    if (sync)
        MoveLever(cockpit::theThrottleLever2, cockpit::theThrottleLever2.lever - 1,
                  &cockpit::UpdateThrottleLeverRight);
}
void ThrottleMinRight() {
    ThrottleTo(0, false, true);
}
void ThrottleMaxRight() {
    ThrottleTo(kLastLever, false, true);
}
void ThrottleUpRight() {
    MoveLever(cockpit::theThrottleLever2, cockpit::theThrottleLever2.lever + 1,
              &cockpit::UpdateThrottleLeverRight);
}
void ThrottleDownRight() {
    MoveLever(cockpit::theThrottleLever2, cockpit::theThrottleLever2.lever - 1,
              &cockpit::UpdateThrottleLeverRight);
}

void PropPitchStep(int delta, bool left, bool right) {
    if (left)
        MoveLever(cockpit::thePropPitchLever, cockpit::thePropPitchLever.lever + delta,
                  &cockpit::UpdatePropPitchLever);
    if (right)
        MoveLever(cockpit::thePropPitchLever2, cockpit::thePropPitchLever2.lever + delta,
                  &cockpit::UpdatePropPitchLeverRight);
}
void PropPitchUp() {
    PropPitchStep(1, true, FlightControlsSynchronised());
}
void PropPitchDown() {
    PropPitchStep(-1, true, FlightControlsSynchronised());
}
void PropPitchUpRight() {
    PropPitchStep(1, false, true);
}
void PropPitchDownRight() {
    PropPitchStep(-1, false, true);
}

// The King Air's condition levers have three stops (cut-off 0, low idle 15, high idle 31) and
// stay put anywhere else; the other mixtures move one position.
int NextMixture(int position, int direction) {
    if (FlightControlsType() != 3) return position + direction;
    if (direction > 0) return position == 0 ? 15 : position == 15 ? 31 : position;
    return position == 31 ? 15 : position == 15 ? 0 : position;
}
void MixtureStep(int direction, bool left, bool right) {
    if (left)
        MoveLever(cockpit::theMixtureLever,
                  NextMixture(cockpit::theMixtureLever.lever, direction),
                  &cockpit::UpdateMixtureLever);
    if (right)
        MoveLever(cockpit::theMixtureLever2,
                  NextMixture(cockpit::theMixtureLever2.lever, direction),
                  &cockpit::UpdateMixtureLeverRight);
}
void MixtureUp() {
    MixtureStep(1, true, FlightControlsSynchronised());
}
void MixtureDown() {
    MixtureStep(-1, true, FlightControlsSynchronised());
}
void MixtureUpRight() {
    MixtureStep(1, false, true);
}
void MixtureDownRight() {
    MixtureStep(-1, false, true);
}

// ---- control surfaces ----

// An elevator key held down repeats about thirty times a second. The repeats of one hold move
// the elevator at most kHeldElevatorSteps of its steps past the press, what the first 0.8 s of
// them add: a pull held a moment past the lift-off leaves the wing short of its stall instead
// of walking it there. Each new press moves the elevator again, so any deflection is a few
// presses away.
constexpr int kHeldElevatorSteps = 24;
int theElevatorHoldSteps = 0;

bool ElevatorKeyMoves() {
    if (Crashed()) return false;
    if (!theKeyIsRepeat) {
        theElevatorHoldSteps = 0;
        return true;
    }
    if (theElevatorHoldSteps >= kHeldElevatorSteps) return false;
    ++theElevatorHoldSteps;
    return true;
}

void ElevatorUp() {
    if (ElevatorKeyMoves())
        AddElevatorInput(
            static_cast<std::int16_t>(flight::ElevatorStepForType(FlightControlsType()) + 1));
}
void ElevatorDown() {
    if (ElevatorKeyMoves())
        AddElevatorInput(
            static_cast<std::int16_t>(-flight::ElevatorStepForType(FlightControlsType())));
}
void AileronLeft() {
    if (Crashed()) return;
    AddAileronInput(-256);
    if (State().fmAutoCoordination != 0) AddRudderInput(-256);
}
void AileronCenter() {
    if (Crashed()) return;
    theAileronInput = 0;
    UpdateAileronPosition();
    if (State().fmAutoCoordination != 0) {
        theRudderInput = 0;
        UpdateRudderPosition();
    }
}
void AileronRight() {
    if (Crashed()) return;
    AddAileronInput(256);
    if (State().fmAutoCoordination != 0) AddRudderInput(256);
}
void AileronTrimLeft() {
    const int t = FlightControlsType();
    if (t != 3 && t != 4) return;
    StepTrimWheel(cockpit::theAileronTrimIndicator, 1);
    AddAileronTrim(-64);
}
void AileronTrimRight() {
    const int t = FlightControlsType();
    if (t != 3 && t != 4) return;
    StepTrimWheel(cockpit::theAileronTrimIndicator, -1);
    AddAileronTrim(64);
}
void RudderLeft() {
    if (!Crashed()) AddRudderInput(-256);
}
void RudderCenter() {
    if (Crashed()) return;
    theRudderInput = 0;
    UpdateRudderPosition();
}
void RudderRight() {
    if (!Crashed()) AddRudderInput(256);
}
// The rudder trim works after a crash too; only the twins and the jet have one.
void RudderTrimLeft() {
    const int t = FlightControlsType();
    if (t < 2 || t > 4) return;
    StepTrimWheel(cockpit::theRudderTrimIndicator, 1);
    AddRudderTrim(-64);
}
void RudderTrimRight() {
    const int t = FlightControlsType();
    if (t < 2 || t > 4) return;
    StepTrimWheel(cockpit::theRudderTrimIndicator, -1);
    AddRudderTrim(64);
}
void AutoCoordination() {
    theCommandServices.postMenuCommand(kMenuAutoCoordination);
}

void GearDown() {
    cockpit::LowerGear();
}
void GearUp() {
    cockpit::RaiseGear();
}

void IncreaseSpeedup() {
    const int k = theCommandServices.speedUp();
    if (k < 4) theCommandServices.setSpeedUp(k + 1);
}
void ReduceSpeedup() {
    const int k = theCommandServices.speedUp();
    if (k > 0) theCommandServices.setSpeedUp(k - 1);
}

using namespace win;
constexpr std::uint32_t A = kKeyAlt;

const std::array<KeyCommand, 61> kFlightControlRows = {{
    {0x30, &ThrottleMin, "ThrottleMin"},
    {VK_BACK, &ThrottleMax, "ThrottleMax"},
    {VK_OEM_PLUS, &ThrottleUp, "ThrottleUp"},
    {VK_PRIOR, &ThrottleUp, "ThrottleUp"},
    {VK_NUMPAD9, &ThrottleUp, "ThrottleUp"},
    {VK_OEM_MINUS, &ThrottleDown, "ThrottleDown"},
    {VK_NEXT, &ThrottleDown, "ThrottleDown"},
    {VK_NUMPAD3, &ThrottleDown, "ThrottleDown"},
    {VK_DOWN, &ElevatorUp, "ElevatorUp"},
    {VK_NUMPAD2, &ElevatorUp, "ElevatorUp"},
    {VK_UP, &ElevatorDown, "ElevatorDown"},
    {VK_NUMPAD8, &ElevatorDown, "ElevatorDown"},
    {VK_LEFT, &AileronLeft, "AileronLeft"},
    {VK_NUMPAD4, &AileronLeft, "AileronLeft"},
    {VK_CLEAR, &AileronCenter, "AileronCenter"},
    {VK_NUMPAD5, &AileronCenter, "AileronCenter"},
    {VK_RIGHT, &AileronRight, "AileronRight"},
    {VK_NUMPAD6, &AileronRight, "AileronRight"},
    {A | VK_LEFT, &AileronTrimLeft, "AileronTrimLeft"},
    {A | VK_NUMPAD4, &AileronTrimLeft, "AileronTrimLeft"},
    {A | VK_RIGHT, &AileronTrimRight, "AileronTrimRight"},
    {A | VK_NUMPAD6, &AileronTrimRight, "AileronTrimRight"},
    {VK_OEM_COMMA, &RudderLeft, "RudderLeft"},
    {0x4C, &RudderCenter, "RudderCenter"},
    {VK_OEM_PERIOD, &RudderRight, "RudderRight"},
    {A | VK_OEM_COMMA, &RudderTrimLeft, "RudderTrimLeft"},
    {A | VK_OEM_PERIOD, &RudderTrimRight, "RudderTrimRight"},
    {VK_OEM_2, &AutoCoordination, "AutoCoordination"},
    {VK_ADD, &CmdFlapsDown, "FlapsDown"},
    {VK_SUBTRACT, &CmdFlapsUp, "FlapsUp"},
    {VK_END, &CmdTrimUp, "TrimUp"},
    {VK_NUMPAD1, &CmdTrimUp, "TrimUp"},
    {VK_HOME, &CmdTrimDown, "TrimDown"},
    {VK_NUMPAD7, &CmdTrimDown, "TrimDown"},
    {VK_OEM_4, &GearDown, "GearDown"},
    {VK_OEM_6, &GearUp, "GearUp"},
    {0x47, &CmdToggleGear, "ToggleGear"},
    {0x4D, &CmdToggleBrakes, "ToggleBrakes"},
    {0x42, &CmdToggleBrakes, "ToggleBrakes"},
    {VK_NUMPAD0, &PropPitchUp, "PropPitchUp"},
    {VK_INSERT, &PropPitchUp, "PropPitchUp"},
    {VK_DELETE, &PropPitchDown, "PropPitchDown"},
    {VK_DECIMAL, &PropPitchDown, "PropPitchDown"},
    {VK_MULTIPLY, &MixtureUp, "MixtureUp"},
    {VK_DIVIDE, &MixtureDown, "MixtureDown"},
    {A | VK_ADD, &IncreaseSpeedup, "IncreaseSpeedup"},
    {A | VK_SUBTRACT, &ReduceSpeedup, "ReduceSpeedup"},
    {A | VK_NUMPAD0, &PropPitchUpRight, "PropPitchUpRight"},
    {A | VK_INSERT, &PropPitchUpRight, "PropPitchUpRight"},
    {A | VK_DELETE, &PropPitchDownRight, "PropPitchDownRight"},
    {A | VK_DECIMAL, &PropPitchDownRight, "PropPitchDownRight"},
    {A | VK_MULTIPLY, &MixtureUpRight, "MixtureUpRight"},
    {A | VK_DIVIDE, &MixtureDownRight, "MixtureDownRight"},
    {A | 0x30, &ThrottleMinRight, "ThrottleMinRight"},
    {A | VK_BACK, &ThrottleMaxRight, "ThrottleMaxRight"},
    {A | VK_OEM_PLUS, &ThrottleUpRight, "ThrottleUpRight"},
    {A | VK_PRIOR, &ThrottleUpRight, "ThrottleUpRight"},
    {A | VK_NUMPAD9, &ThrottleUpRight, "ThrottleUpRight"},
    {A | VK_OEM_MINUS, &ThrottleDownRight, "ThrottleDownRight"},
    {A | VK_NEXT, &ThrottleDownRight, "ThrottleDownRight"},
    {A | VK_NUMPAD3, &ThrottleDownRight, "ThrottleDownRight"},
}};

}  // namespace

void LeftLeverStep(int lever, int direction) {
    if (lever == 0)
        MoveLever(cockpit::theThrottleLever, cockpit::theThrottleLever.lever + direction,
                  &cockpit::UpdateThrottleLever);
    else if (lever == 1)
        PropPitchStep(direction, true, false);
    else
        MixtureStep(direction, true, false);
}

void UpdateElevatorPosition() {
    State().fmElv =
        core::ClampToInt16(static_cast<std::int64_t>(State().fmApElvTrim) + theElevatorInput);
}
void UpdateRudderPosition() {
    State().fmRud = core::ClampToInt16(static_cast<std::int64_t>(theRudderTrim) + theRudderInput);
}
void UpdateAileronPosition() {
    State().fmAil = core::ClampToInt16(static_cast<std::int64_t>(theAileronTrim) + theAileronInput);
}

void AddElevatorInput(std::int16_t step) {
    AddClamped(theElevatorInput, ScaledByTrimEffect(step), 32767);
    UpdateElevatorPosition();
}
// The wheel turns up to its stops; a trim beyond one (the autopilot's) only comes back.
void AddElevatorTrim(std::int16_t step) {
    const flight::AircraftParameters& ap = flight::theAircraftParameters;
    std::int16_t& trim = State().fmApElvTrim;
    if (ap.apTrimNoseDown == ap.apTrimNoseUp) {
        AddClamped(trim, ScaledByTrimEffect(step), 32766);
    } else {
        const std::int32_t next = trim + ScaledByTrimEffect(step);
        if (step > 0 && trim < ap.apTrimNoseUp)
            trim = static_cast<std::int16_t>(std::min<std::int32_t>(next, ap.apTrimNoseUp));
        else if (step < 0 && trim > ap.apTrimNoseDown)
            trim = static_cast<std::int16_t>(std::max<std::int32_t>(next, ap.apTrimNoseDown));
    }
    UpdateElevatorPosition();
}
void AddRudderInput(std::int16_t step) {
    AddClamped(theRudderInput, step, 32767);
    UpdateRudderPosition();
}
void AddRudderTrim(std::int16_t step) {
    AddClamped(theRudderTrim, step, 32766);
    UpdateRudderPosition();
}
void AddAileronInput(std::int16_t step) {
    AddClamped(theAileronInput, step, 32767);
    UpdateAileronPosition();
}
void AddAileronTrim(std::int16_t step) {
    AddClamped(theAileronTrim, step, 32766);
    UpdateAileronPosition();
}

void CmdTrimUp() {
    if (Crashed()) return;
    StepTrimWheel(cockpit::theElevatorTrimIndicator, -1);
    AddElevatorTrim(static_cast<std::int16_t>(State().fmTrimStep + 1));
}

void CmdTrimDown() {
    if (Crashed()) return;
    StepTrimWheel(cockpit::theElevatorTrimIndicator, 1);
    AddElevatorTrim(static_cast<std::int16_t>(-State().fmTrimStep));
}

void CmdFlapsDown() {
    if (State().fmFlaps >= State().fmMaxFlaps) return;
    ++State().fmFlaps;
    PlayFlapSound();
}

void CmdFlapsUp() {
    if (State().fmFlaps <= 0) return;
    --State().fmFlaps;
    PlayFlapSound();
}

void CmdToggleGear() {
    const int t = FlightControlsType();
    if (t == 0 || t == 5 || State().fmOTG != 0 || cockpit::thePanelSwitches.batteryPower == 0)
        return;
    if (cockpit::theGearUp != 0)
        cockpit::LowerGear();
    else
        cockpit::RaiseGear();
}

void CmdToggleBrakes() {
    flight::theAircraftServices.toggleBrakes();
}

void CmdThrottleDown() {
    ThrottleDown();
}

KeyCommandTable FlightControlCommands() {
    return kFlightControlRows;
}

void ResetFlightControls() {
    theElevatorInput = 0;
    theRudderInput = 0;
    theRudderTrim = 0;
    theAileronInput = 0;
    theAileronTrim = 0;
}

}  // namespace sim
