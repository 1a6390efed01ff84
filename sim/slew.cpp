#include "sim/slew.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "sim/input/key_names.h"
#include "win/input.h"
#include "world/airspace_services.h"
#include "world/terrain_services.h"

namespace sim {

SlewControl theSlewControl;

namespace {

// Adds the step when the rate is still inside the bound it is checked against.
void StepUpTo(std::int16_t& rate, int step, int highest) {
    if (rate <= highest) rate = static_cast<std::int16_t>(rate + step);
}
void StepDownTo(std::int16_t& rate, int step, int lowest) {
    if (rate >= lowest) rate = static_cast<std::int16_t>(rate - step);
}
void SetRate(std::int16_t& rate, std::int32_t value) {
    if (value >= -32767 && value <= 32767) rate = static_cast<std::int16_t>(value);
}

// Binary angle to radians.
constexpr double kRadiansPerUnit = 9.587379924285257e-05;
constexpr double kHalfPi = 1.5707963267948966;

std::int32_t Truncated(double v) {
    return static_cast<std::int32_t>(std::trunc(v));
}

// Positions wrap like the 32-bit registers they were, instead of overflowing.
void Add32(std::int32_t& value, std::int32_t delta) {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) +
                                      static_cast<std::uint32_t>(delta));
}

}  // namespace

void SlewControl::MoveUp() {
    StepUpTo(verticalRate, 32, 32735);
}
void SlewControl::MoveDown() {
    StepDownTo(verticalRate, 32, -32735);
}
void SlewControl::MoveForward() {
    StepUpTo(forwardRate, 32, 32735);
}
void SlewControl::MoveBackward() {
    StepDownTo(forwardRate, 32, -32735);
}
void SlewControl::MoveRight() {
    StepUpTo(sideRate, 32, 32735);
}
void SlewControl::MoveLeft() {
    StepDownTo(sideRate, 32, -32735);
}
void SlewControl::BankLeft() {
    StepUpTo(bankRate, 32, 32735);
}
void SlewControl::BankRight() {
    StepDownTo(bankRate, 32, -32751);
}
// Pitch is positive nose down, so pitching up makes the rate smaller.
void SlewControl::PitchUp() {
    StepDownTo(pitchRate, 16, -32751);
}
void SlewControl::PitchDown() {
    StepUpTo(pitchRate, 16, 32751);
}
void SlewControl::YawRight() {
    StepUpTo(yawRate, 16, 32751);
}
void SlewControl::YawLeft() {
    StepDownTo(yawRate, 16, -32751);
}

void SlewControl::SetForwardRate(std::int32_t value) {
    SetRate(forwardRate, value);
}
void SlewControl::SetSideRate(std::int32_t value) {
    SetRate(sideRate, value);
}
void SlewControl::SetBankRate(std::int32_t value) {
    SetRate(bankRate, value);
}
void SlewControl::SetPitchRate(std::int32_t value) {
    SetRate(pitchRate, value);
}
void SlewControl::SetYawRate(std::int32_t value) {
    SetRate(yawRate, value);
}

void SlewControl::Freeze() {
    verticalRate = forwardRate = sideRate = bankRate = pitchRate = yawRate = 0;
}

void SlewControl::Step() {
    if (active == 0) return;
    flight::FlightModelState& s = flight::theFlightModelState;
    // Upside down, pitching "up" moves the nose the other way in the world.
    const auto bank = static_cast<std::int16_t>(s.fmBank);
    if (bank < -16384 || bank > 16384)
        s.fmPitch = static_cast<std::uint16_t>(s.fmPitch - pitchRate);
    else
        s.fmPitch = static_cast<std::uint16_t>(s.fmPitch + pitchRate);

    // Past the vertical the aircraft goes over the top: pitch mirrored about 90 degrees, bank and
    // heading turned round.
    const auto pitch = static_cast<std::int16_t>(s.fmPitch);
    if (pitch < -16384 || pitch >= 16385) {
        s.fmPitch = static_cast<std::uint16_t>(32768 - s.fmPitch);
        s.fmBank = static_cast<std::uint16_t>(s.fmBank + 32768);
        s.fmHead = static_cast<std::uint16_t>(s.fmHead + 32768);
    }

    s.fmBank = static_cast<std::uint16_t>(s.fmBank + bankRate);
    s.fmHead = static_cast<std::uint16_t>(s.fmHead + yawRate);
    // Summed wide, so a height at the ends of the range meets the floor or the ceiling below
    // instead of overflowing.
    std::int64_t height = static_cast<std::int64_t>(s.fmPosY) + verticalRate;

    const double h = s.fmHead * kRadiansPerUnit;
    Add32(s.fmPosX, Truncated(forwardRate * std::sin(h)));
    Add32(s.fmPosZ, Truncated(forwardRate * std::cos(h)));
    Add32(s.fmPosX, Truncated(sideRate * std::sin(h + kHalfPi)));
    Add32(s.fmPosZ, Truncated(sideRate * std::cos(h + kHalfPi)));

    const std::int32_t floor = s.fmGearHeight;
    if (height < floor) {
        height = floor;
        verticalRate = 0;
    } else if (height > kCeiling) {
        height = kCeiling;
        verticalRate = 0;
    }
    s.fmPosY = static_cast<std::int32_t>(height);
    world::WrapPositionToAirspace(s.fmPosX, s.fmPosZ);
}

void SlewLevel() {
    flight::theFlightModelState.fmPitch = 0;
    flight::theFlightModelState.fmBank = 0;
    flight::theFlightModelState.fmHead = static_cast<std::uint16_t>(world::theMagneticVariation);
}

namespace {

SlewControl& Slew() {
    return theSlewControl;
}

void SlewMoveDown() {
    Slew().MoveDown();
}
void SlewMoveUp() {
    Slew().MoveUp();
}
void SlewPitchUp() {
    Slew().PitchUp();
}
void SlewPitchDown() {
    Slew().PitchDown();
}
void SlewFreezePitch() {
    Slew().FreezePitch();
}
void SlewLevelCommand() {
    SlewLevel();
}
void SlewToggleText() {
    Slew().ToggleText();
}
void SlewFreeze() {
    Slew().Freeze();
}
void SlewYawRight() {
    Slew().YawRight();
}
void SlewYawLeft() {
    Slew().YawLeft();
}
void SlewMoveForwards() {
    Slew().MoveForward();
}
void SlewMoveBackwards() {
    Slew().MoveBackward();
}
void SlewMoveRight() {
    Slew().MoveRight();
}
void SlewMoveLeft() {
    Slew().MoveLeft();
}
void SlewBankLeft() {
    Slew().BankLeft();
}
void SlewBankRight() {
    Slew().BankRight();
}

using namespace win;
constexpr std::uint32_t W = kKeySlew;

const std::array<KeyCommand, 25> kSlewRows = {{
    {W | 0x41, &SlewMoveDown, "SlewMoveDown"},
    {W | 0x51, &SlewMoveUp, "SlewMoveUp"},
    {W | VK_OEM_PLUS, &SlewPitchUp, "SlewPitchUp"},
    {W | VK_OEM_MINUS, &SlewPitchDown, "SlewPitchDown"},
    {W | 0x30, &SlewFreezePitch, "SlewFreezePitch"},
    {W | VK_SPACE, &SlewLevelCommand, "SlewLevel"},
    {W | 0x44, &SlewToggleText, "SlewToggleText"},
    {W | VK_CLEAR, &SlewFreeze, "SlewFreeze"},
    {W | VK_NUMPAD5, &SlewFreeze, "SlewFreeze"},
    {W | VK_NEXT, &SlewYawRight, "SlewYawRight"},
    {W | VK_NUMPAD3, &SlewYawRight, "SlewYawRight"},
    {W | VK_END, &SlewYawLeft, "SlewYawLeft"},
    {W | VK_NUMPAD1, &SlewYawLeft, "SlewYawLeft"},
    {W | VK_UP, &SlewMoveForwards, "SlewMoveForwards"},
    {W | VK_NUMPAD8, &SlewMoveForwards, "SlewMoveForwards"},
    {W | VK_DOWN, &SlewMoveBackwards, "SlewMoveBackwards"},
    {W | VK_NUMPAD2, &SlewMoveBackwards, "SlewMoveBackwards"},
    {W | VK_RIGHT, &SlewMoveRight, "SlewMoveRight"},
    {W | VK_NUMPAD6, &SlewMoveRight, "SlewMoveRight"},
    {W | VK_LEFT, &SlewMoveLeft, "SlewMoveLeft"},
    {W | VK_NUMPAD4, &SlewMoveLeft, "SlewMoveLeft"},
    {W | VK_HOME, &SlewBankLeft, "SlewBankLeft"},
    {W | VK_NUMPAD7, &SlewBankLeft, "SlewBankLeft"},
    {W | VK_PRIOR, &SlewBankRight, "SlewBankRight"},
    {W | VK_NUMPAD9, &SlewBankRight, "SlewBankRight"},
}};

int IsSlewing() {
    return theSlewControl.IsActive() ? 1 : 0;
}
void SlewStep() {
    theSlewControl.Step();
}

}  // namespace

KeyCommandTable SlewCommands() {
    return kSlewRows;
}

void InstallSlewServices() {
    flight::theFlightWorldServices.isSlewing = &IsSlewing;
    flight::theFlightWorldServices.slewStep = &SlewStep;
}

}  // namespace sim
