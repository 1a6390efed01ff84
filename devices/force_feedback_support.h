// The thin layer over the input-device interface that the force-feedback stick and its effects
// are written against: open the first force-feedback joystick, create effects from plain
// arguments (device units: magnitudes and coefficients -10000..10000, directions in hundredths
// of a degree, times in microseconds, 0xFFFFFFFF infinite), change single parameters, release
// effects, and name result codes. Results are the interface's (0 success, negative failure);
// E_INVALIDARG for a missing device, effect or output.
#pragma once

#include <cstdint>
#include <string>

#include "win/dinput.h"

namespace devices {

// The program's joystick data format: 60 bytes, x and y required, four more axes and 32 buttons
// (offsets 24..55) optional.
extern const win::DIDATAFORMAT theJoystickDataFormat;

// Opens the first force-feedback joystick, acquired, with the device's own centring off. On
// success both outputs hold owned interfaces; on failure every interface obtained is released,
// both outputs are null, and the failure is returned (REGDB_E_CLASSNOTREG: no such joystick).
win::HRESULT OpenForceFeedbackJoystick(win::HWND window, win::HINSTANCE instance,
                                       win::IDirectInput** directInput,
                                       win::IDirectInputDevice2** device,
                                       std::uint32_t cooperativeLevel);
// Enumeration callback: copies the first joystick's instance record into `buffer` and stops.
int FindJoystickCallback(const win::DIDEVICEINSTANCE* instance, void* buffer);

// Releases `effect` (every effect of the device when it is null).
win::HRESULT ReleaseDeviceEffect(win::IDirectInputDevice2* device, win::IDirectInputEffect* effect);
win::HRESULT ReleaseAllEffects(win::IDirectInputDevice2* device);
int ReleaseEffectCallback(win::IDirectInputEffect* effect, void* ref);

win::HRESULT SetEffectGain(win::IDirectInputEffect* effect, std::uint32_t gain);
win::HRESULT SetEffectDirection(win::IDirectInputEffect* effect, std::int32_t hundredths);
win::HRESULT SetEffectDuration(win::IDirectInputEffect* effect, std::uint32_t micros);

// A trigger button of -1 is none; button n plays the effect while it is held. Every creator sets
// the output to null first; it holds the new effect only on success.
// Waveforms: 1 sine, 2 sine at phase 90, 3 square, 4 square at 180, 5 triangle, 6 triangle at
// 180, 7 sawtooth up, 8 sawtooth down.
win::HRESULT CreatePeriodicEffectObject(win::IDirectInputDevice2* device,
                                        win::IDirectInputEffect** effect, int waveform,
                                        std::uint32_t duration, std::uint32_t period,
                                        std::int32_t direction, std::int32_t magnitude,
                                        std::int32_t offset, std::uint32_t attackTime,
                                        std::uint32_t attackLevel, std::uint32_t fadeTime,
                                        std::uint32_t fadeLevel, std::int32_t triggerButton);
win::HRESULT CreateConstantForceEffectObject(win::IDirectInputDevice2* device,
                                             win::IDirectInputEffect** effect,
                                             std::uint32_t duration, std::int32_t direction,
                                             std::int32_t magnitude, std::uint32_t attackTime,
                                             std::uint32_t attackLevel, std::uint32_t fadeTime,
                                             std::uint32_t fadeLevel, std::int32_t triggerButton);
win::HRESULT CreateSpringEffectObject(win::IDirectInputDevice2* device,
                                      win::IDirectInputEffect** effect, std::uint32_t duration,
                                      std::int32_t xCoefficient, std::int32_t xOffset,
                                      std::int32_t yCoefficient, std::int32_t yOffset,
                                      std::int32_t triggerButton);
// Kinds: 11 spring, 12 inertia, 13 damper, 14 friction. Only the axes with a coefficient are
// used (both when neither has one).
win::HRESULT CreateConditionEffectObject(win::IDirectInputDevice2* device,
                                         win::IDirectInputEffect** effect, int kind,
                                         std::uint32_t duration, std::int32_t xCoefficient,
                                         std::int32_t xOffset, std::int32_t yCoefficient,
                                         std::int32_t yOffset, std::int32_t triggerButton);
// An effect stored in the device under its GUID.
win::HRESULT CreateROMEffectObject(win::IDirectInputDevice2* device,
                                   win::IDirectInputEffect** effect, const win::GUID& guid,
                                   std::uint32_t duration, std::uint32_t gain,
                                   std::int32_t direction, std::int32_t triggerButton);

// The name of a result code ("DIERR_DEVICEFULL"), or its lower-case hexadecimal digits when it
// has none. Nothing when `out` is null.
void ForceFeedbackErrorName(win::HRESULT result, std::string* out);

}  // namespace devices
