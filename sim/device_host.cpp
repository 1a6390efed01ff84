#include "sim/device_host.h"

#include <cstdint>

#include "devices/device_host.h"
#include "sim/input/flight_controls.h"
#include "sim/input/key_commands.h"
#include "sim/input/keyboard_input.h"
#include "sim/slew.h"

namespace sim {

namespace {

void LoadStickBindings(const char* iniPath, const char* stickName) {
    theJoystickBindings.LoadKeyBindings(iniPath, stickName);
}
void SaveStickBindings(const char* iniPath, const char* stickName) {
    theJoystickBindings.SaveKeyBindings(iniPath, stickName);
}
void DispatchKey(std::uint32_t code) {
    DispatchKeyCode(code);
}
int KeyRepeats() {
    return theKeyRepeatFlag != 0 ? 1 : 0;
}
int Slewing() {
    return theSlewControl.IsActive() ? 1 : 0;
}
int SlewAlternateAxes() {
    return theSlewControl.altJoystick != 0 ? 1 : 0;
}
void ClearSlewAlternateAxes() {
    theSlewControl.altJoystick = 0;
}
void SetSlewRate(devices::SlewRate which, std::int32_t value) {
    switch (which) {
        case devices::SlewRate::kForward:
            theSlewControl.SetForwardRate(value);
            break;
        case devices::SlewRate::kSide:
            theSlewControl.SetSideRate(value);
            break;
        case devices::SlewRate::kBank:
            theSlewControl.SetBankRate(value);
            break;
        case devices::SlewRate::kPitch:
            theSlewControl.SetPitchRate(value);
            break;
        case devices::SlewRate::kYaw:
            theSlewControl.SetYawRate(value);
            break;
    }
}
void EaseElevator(std::int16_t stick) {
    theElevatorInput =
        static_cast<std::int16_t>(theElevatorInput + ((stick - theElevatorInput) >> 2));
    UpdateElevatorPosition();
}
std::int16_t AileronTrim() {
    return theAileronTrim;
}

}  // namespace

void InstallDeviceHost() {
    devices::theDeviceHost = devices::DeviceHostServices{
        &LoadStickBindings, &SaveStickBindings,      &DispatchKey, &KeyRepeats,   &Slewing,
        &SlewAlternateAxes, &ClearSlewAlternateAxes, &SetSlewRate, &EaseElevator, &AileronTrim};
}

}  // namespace sim
