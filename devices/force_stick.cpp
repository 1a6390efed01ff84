#include "devices/force_stick.h"

#include <string>

#include "devices/force_feedback_support.h"
#include "devices/force_triggers.h"
#include "devices/library_stick.h"
#include "win/joystick.h"
#include "win/module.h"

namespace devices {

std::unique_ptr<FFJoystick> theForceStick;
std::int32_t theForceFeedbackMode = kForceFeedbackNone;
std::array<std::unique_ptr<FFEffect>, kStandardEffects> theForceEffects;
win::HWND theForceStickWindow;
std::uint8_t theForceActuatorsOn = 0;

const win::GUID kBuffetingEffectGuid =
    win::MakeGuid(0xE84CD1A3u, 0x81FA, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95});

namespace {

constexpr std::int32_t kInfinite = -1;
constexpr int kNoTrigger = -1;

}  // namespace

FFDirectInputStick::FFDirectInputStick(win::IDirectInput* input, win::IDirectInputDevice2* dev)
    : device(dev), directInput(input) {}

FFDirectInputStick::~FFDirectInputStick() {
    for (int i = 0; i < kStickEffectSlots; ++i)
        StopEffect(i);
    if (device != nullptr) {
        // Whatever the device still holds goes with it, the spring and the stick force too.
        ReleaseAllEffects(device);
        device->Release();
        directInput->Release();
        device = nullptr;
        directInput = nullptr;
    }
    centering.reset();
    stickForce.reset();
}

template <class Effect, class... Args>
std::unique_ptr<Effect> FFDirectInputStick::Counted(Args... args) {
    if (effectCount >= kMaxStickEffects) return nullptr;
    auto e = std::make_unique<Effect>(this, args...);
    e->counted = true;
    ++effectCount;
    return e;
}

std::unique_ptr<FFPeriodicEffect> FFDirectInputStick::CreatePeriodicEffect(
    int waveform, std::int32_t duration, int frequencyHz, int direction, int magnitude,
    int offset, int attackTime, int attackLevel, int fadeTime, int fadeLevel, int triggerButton) {
    return Counted<FFPeriodicEffect>(waveform, duration, frequencyHz, direction, magnitude, offset,
                                     attackTime, attackLevel, fadeTime, fadeLevel, triggerButton);
}

std::unique_ptr<FFConstantForceEffect> FFDirectInputStick::CreateConstantForceEffect(
    std::int32_t duration, int direction, int magnitude, int attackTime, int attackLevel,
    int fadeTime, int fadeLevel, int triggerButton) {
    return Counted<FFConstantForceEffect>(duration, direction, magnitude, attackTime, attackLevel,
                                          fadeTime, fadeLevel, triggerButton);
}

std::unique_ptr<FFROMEffect> FFDirectInputStick::CreateROMEffect(const win::GUID& guid, int gain,
                                                                 int direction,
                                                                 std::int32_t duration,
                                                                 int triggerButton) {
    return Counted<FFROMEffect>(guid, gain, direction, duration, triggerButton);
}

bool FFDirectInputStick::ReleaseEffect(FFEffect* effect) {
    if (device == nullptr || effect == nullptr || effect->effect == nullptr ||
        effect->owner != this)
        return false;
    ReleaseDeviceEffect(device, effect->effect);
    effect->effect = nullptr;
    ForgetEffect(effect);
    return true;
}

void FFDirectInputStick::ForgetEffect(FFEffect* effect) {
    if (effect == nullptr || !effect->counted || effect->owner != this) return;
    effect->counted = false;
    --effectCount;
}

void FFDirectInputStick::CreateCentering() {
    centering = std::make_unique<FFSpringEffect>(this, kInfinite, strength, 0, strength, 0,
                                                 kNoTrigger);
    centering->Start();
}

void FFDirectInputStick::StartEffect(int index, int magnitude, int direction, int frequency) {
    if (device == nullptr || index < 0 || index >= kStickEffectSlots) return;
    auto& slot = slots[static_cast<std::size_t>(index)];
    if (slot) StopEffect(index);
    // The effect plays while the button of the same number is held.
    if (frequency <= 0)
        slot = CreateConstantForceEffect(kInfinite, direction, magnitude, 0, 0, 0, 0, index);
    else
        slot = CreatePeriodicEffect(1, kInfinite, frequency, direction, magnitude, 0, 0, 0, 0, 0,
                                    index);
}

void FFDirectInputStick::StopEffect(int index) {
    if (index < 0 || index >= kStickEffectSlots) return;
    std::unique_ptr<FFEffect> e = std::move(slots[static_cast<std::size_t>(index)]);
    if (e) ReleaseEffect(e.get());
}

void FFDirectInputStick::SetStickForce(int magnitude, int direction) {
    if (device == nullptr) return;
    if (!stickForce) {
        stickForce = CreateConstantForceEffect(kInfinite, direction, magnitude, 0, 0, 0, 0,
                                               kNoTrigger);
        if (stickForce) stickForce->Start();
        return;
    }
    stickForce->SetMagnitude(magnitude);
    stickForce->SetDirection(direction);
}

void FFDirectInputStick::ActuatorsOn() {
    if (device != nullptr) device->SendForceFeedbackCommand(win::DISFFC_SETACTUATORSON);
}

void FFDirectInputStick::ActuatorsOff() {
    if (device != nullptr) device->SendForceFeedbackCommand(win::DISFFC_SETACTUATORSOFF);
}

void FFDirectInputStick::StopAll() {
    if (device == nullptr) return;
    device->SendForceFeedbackCommand(win::DISFFC_STOPALL);
    for (int i = 0; i < kStickEffectSlots; ++i)
        if (slots[static_cast<std::size_t>(i)]) StopEffect(i);
    RestoreCentering(2);
}

bool FFDirectInputStick::IsForceActive() {
    std::uint32_t state = 0;
    return device != nullptr && win::SUCCEEDED(device->GetForceFeedbackState(&state)) &&
           (state & (win::DIGFFS_ACTUATORSON | win::DIGFFS_POWERON)) != 0;
}

bool FFDirectInputStick::QueryDeviceFlag() {
    std::uint32_t state = 0;
    if (device != nullptr) device->GetForceFeedbackState(&state);
    return false;
}

void FFDirectInputStick::SetCenterOffset(int axis, int percent) {
    if (device == nullptr || !centering) return;
    if (axis == 0) centering->SetXOffset(percent);
    if (axis == 1) centering->SetYOffset(percent);
}

void FFDirectInputStick::SetCenterStiffness(int axis, int percent) {
    if (device == nullptr || !centering) return;
    if (axis == 0) {
        centering->SetXStiffness(percent);
    } else if (axis == 1) {
        centering->SetYStiffness(percent);
    } else if (axis == 2) {
        SetCenterStiffness(0, percent);
        SetCenterStiffness(1, percent);
    }
}

void FFDirectInputStick::RestoreCentering(int axis) {
    if (device == nullptr || !centering) return;
    if (axis == 0) {
        centering->SetXStiffness(strength);
        centering->SetXOffset(0);
    } else if (axis == 1) {
        centering->SetYStiffness(strength);
        centering->SetYOffset(0);
    } else if (axis == 2) {
        RestoreCentering(0);
        RestoreCentering(1);
    }
}

int FFDirectInputStick::GetCenterOffset(int axis) {
    if (device == nullptr || !centering || (axis != 0 && axis != 1)) return 0;
    return centering->conditions[static_cast<std::size_t>(axis)].lOffset;
}

int FFDirectInputStick::GetCenterStiffness(int axis) {
    if (device == nullptr || !centering || (axis != 0 && axis != 1)) return 0;
    return centering->conditions[static_cast<std::size_t>(axis)].lPositiveCoefficient;
}

std::unique_ptr<FFDirectInputStick> CreateDirectInputStick(win::HWND window) {
    if (win::joyGetNumDevs() == 0) return nullptr;
    win::IDirectInput* input = nullptr;
    win::IDirectInputDevice2* device = nullptr;
    const win::HRESULT r =
        OpenForceFeedbackJoystick(window, win::GetModuleHandle(nullptr), &input, &device,
                                  win::DISCL_EXCLUSIVE | win::DISCL_BACKGROUND);
    if (win::FAILED(r)) {
        // Named for a debugger's eyes only; the library stick is tried next, silently.
        std::string name;
        ForceFeedbackErrorName(r, &name);
        return nullptr;
    }
    auto stick = std::make_unique<FFDirectInputStick>(input, device);
    stick->strength = 50;
    stick->CreateCentering();
    stick->ActuatorsOn();
    return stick;
}

bool InitForceFeedback() {
    if (theForceStick) return true;
    std::unique_ptr<FFDirectInputStick> stick;
    if (theForceStickWindow) stick = CreateDirectInputStick(theForceStickWindow);
    if (stick) {
        FFDirectInputStick& s = *stick;
        theForceStick = std::move(stick);
        theForceFeedbackMode = kForceFeedbackDirectInput;
        theForceEffects[kJoltEffect] = s.CreateConstantForceEffect(kInfinite, 0, 100, 0, 0, 0, 0,
                                                                   kNoTrigger);
        theForceEffects[kVectorForceEffect] =
            s.CreateConstantForceEffect(kInfinite, 0, 100, 0, 0, 0, 0, kNoTrigger);
        theForceEffects[kXForceEffect] =
            s.CreateConstantForceEffect(kInfinite, 270, 100, 0, 0, 0, 0, kNoTrigger);
        theForceEffects[kYForceEffect] =
            s.CreateConstantForceEffect(kInfinite, 180, 100, 0, 0, 0, 0, kNoTrigger);
        theForceEffects[kXVibrationEffect] =
            s.CreatePeriodicEffect(1, kInfinite, 10, 270, 100, 0, 0, 0, 0, 0, kNoTrigger);
        theForceEffects[kYVibrationEffect] =
            s.CreatePeriodicEffect(1, kInfinite, 10, 180, 100, 0, 0, 0, 0, 0, kNoTrigger);
        theForceEffects[kBuffetEffect] =
            s.CreateROMEffect(kBuffetingEffectGuid, 100, 0, kInfinite, kNoTrigger);
        ForceActuatorsOn();
        return true;
    }
    if (LoadStickLibrary()) {
        if (std::unique_ptr<FFLibraryStick> library = CreateLibraryStick()) {
            theForceStick = std::move(library);
            theForceFeedbackMode = kForceFeedbackLibrary;
            ForceActuatorsOn();
            return true;
        }
    }
    return false;
}

void ReleaseForceFeedback(bool unloadLibrary) {
    if (!theForceStick) return;
    StopForceEffects();
    if (theForceFeedbackMode == kForceFeedbackDirectInput) {
        auto& stick = static_cast<FFDirectInputStick&>(*theForceStick);
        for (auto& e : theForceEffects)
            if (e) stick.ReleaseEffect(e.get());
        for (auto& e : theForceEffects)
            e.reset();
    }
    theForceStick.reset();
    theForceFeedbackMode = kForceFeedbackNone;
    if (unloadLibrary) ReleaseStickLibrary();
}

void SetForceFeedbackWindow(win::HWND window) {
    theForceStickWindow = window;
}

void ForceActuatorsOn() {
    if (!theForceStick) return;
    theForceStick->ActuatorsOn();
    theForceActuatorsOn = 1;
}

void ForceActuatorsOff() {
    if (!theForceStick) return;
    theForceStick->ActuatorsOff();
    theForceActuatorsOn = 0;
    if (theForceFeedbackMode == kForceFeedbackDirectInput) {
        theForceStick->ActuatorsOn();
        theForceStick->RestoreCentering(2);
    }
}

}  // namespace devices
