#include "devices/force_feedback_support.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace devices {

namespace {

// The sixth axis of the format, an object of its own kind.
constexpr win::GUID kSixthAxis =
    win::MakeGuid(0xA36D02E5u, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00});

constexpr std::uint32_t kAxis = win::DIDFT_AXIS | win::DIDFT_ANYINSTANCE;
constexpr std::uint32_t kOptionalAxis = kAxis | win::DIDFT_OPTIONAL;
constexpr std::uint32_t kOptionalButton =
    win::DIDFT_BUTTON | win::DIDFT_ANYINSTANCE | win::DIDFT_OPTIONAL;
constexpr std::uint32_t kFirstButtonOffset = 24;

const std::array<win::DIOBJECTDATAFORMAT, 38> kJoystickObjects = [] {
    std::array<win::DIOBJECTDATAFORMAT, 38> o{};
    o[0] = {&win::GUID_XAxis, 0, kAxis, 0};
    o[1] = {&win::GUID_YAxis, 4, kAxis, 0};
    o[2] = {&win::GUID_ZAxis, 8, kOptionalAxis, 0};
    o[3] = {&win::GUID_RzAxis, 12, kOptionalAxis, 0};
    o[4] = {&win::GUID_Slider, 16, kOptionalAxis, 0};
    o[5] = {&kSixthAxis, 20, kOptionalAxis, 0};
    for (std::uint32_t b = 0; b < 32; ++b)
        o[6 + b] = {nullptr, kFirstButtonOffset + b, kOptionalButton, 0};
    return o;
}();

// The parts every created effect shares: both stick axes, a direction pair, no trigger unless
// one is given.
struct EffectRecord {
    std::uint32_t axes[2] = {0, 4};
    std::int32_t directions[2] = {0, 0};
    win::DIENVELOPE envelope;
    win::DIEFFECT effect;

    EffectRecord(std::uint32_t flags, std::uint32_t duration, std::int32_t direction,
                 std::int32_t triggerButton) {
        directions[0] = direction;
        effect.dwFlags = flags;
        effect.dwDuration = duration;
        effect.dwSamplePeriod = 10000;
        effect.dwGain = win::DI_FFNOMINALMAX;
        effect.dwTriggerButton = triggerButton < 0
                                     ? win::DIEB_NOTRIGGER
                                     : kFirstButtonOffset + static_cast<std::uint32_t>(triggerButton);
        effect.dwTriggerRepeatInterval = 0;
        effect.cAxes = 2;
        effect.rgdwAxes = axes;
        effect.rglDirection = directions;
    }
    void SetEnvelope(std::uint32_t attackTime, std::uint32_t attackLevel, std::uint32_t fadeTime,
                     std::uint32_t fadeLevel) {
        envelope.dwAttackLevel = attackLevel;
        envelope.dwAttackTime = attackTime;
        envelope.dwFadeLevel = fadeLevel;
        envelope.dwFadeTime = fadeTime;
        effect.lpEnvelope = &envelope;
    }
};

constexpr std::uint32_t kPolar = win::DIEFF_OBJECTOFFSETS | win::DIEFF_POLAR;
constexpr std::uint32_t kCartesian = win::DIEFF_OBJECTOFFSETS | win::DIEFF_CARTESIAN;

// Every creator empties its output first and needs a device.
win::HRESULT Prepare(win::IDirectInputDevice2* device, win::IDirectInputEffect** effect) {
    if (effect == nullptr) return win::E_INVALIDARG;
    *effect = nullptr;
    return device != nullptr ? win::S_OK : win::E_INVALIDARG;
}

win::HRESULT Create(win::IDirectInputDevice2* device, const win::GUID& guid,
                    const win::DIEFFECT& record, win::IDirectInputEffect** effect) {
    return device->CreateEffect(guid, &record, effect, nullptr);
}

win::HRESULT SetParameters(win::IDirectInputEffect* effect, const win::DIEFFECT& record,
                           std::uint32_t mask) {
    if (effect == nullptr) return win::E_INVALIDARG;
    return effect->SetParameters(&record, mask);
}

struct ErrorName {
    win::HRESULT code;
    const char* name;
};

// The documented names of the interface's and the component model's results. Codes that stand
// for one value under several names share one row.
const ErrorName kErrorNames[] = {
    {win::E_PENDING, "E_PENDING"},
    {win::DIERR_UNSUPPORTED, "DIERR_UNSUPPORTED"},
    {win::DIERR_NOINTERFACE, "DIERR_NOINTERFACE"},
    {win::DIERR_GENERIC, "DIERR_GENERIC"},
    {win::DIERR_NOAGGREGATION, "DIERR_NOAGGREGATION"},
    {win::DIERR_DEVICENOTREG, "DIERR_DEVICENOTREG"},
    {win::DIERR_INSUFFICIENTPRIVS, "DIERR_INSUFFICIENTPRIVS"},
    {win::DIERR_DEVICEFULL, "DIERR_DEVICEFULL"},
    {win::DIERR_MOREDATA, "DIERR_MOREDATA"},
    {win::DIERR_NOTDOWNLOADED, "DIERR_NOTDOWNLOADED"},
    {win::DIERR_HASEFFECTS, "DIERR_HASEFFECTS"},
    {win::DIERR_NOTEXCLUSIVEACQUIRED, "DIERR_NOTEXCLUSIVEACQUIRED"},
    {win::DIERR_INCOMPLETEEFFECT, "DIERR_INCOMPLETEEFFECT"},
    {win::DIERR_NOTBUFFERED, "DIERR_NOTBUFFERED"},
    {win::DIERR_EFFECTPLAYING, "DIERR_EFFECTPLAYING"},
    {win::DIERR_NOTFOUND, "DIERR_NOTFOUND"},
    {win::E_ACCESSDENIED, "E_ACCESSDENIED: DIERR_OTHERAPPHASPRIO, DIERR_READONLY, DIERR_HANDLEEXISTS"},
    {win::DIERR_NOTACQUIRED, "DIERR_NOTACQUIRED"},
    {win::DIERR_OUTOFMEMORY, "DIERR_OUTOFMEMORY"},
    {win::DIERR_NOTINITIALIZED, "DIERR_NOTINITIALIZED"},
    {win::DIERR_INPUTLOST, "DIERR_INPUTLOST"},
    {win::DIERR_INVALIDPARAM, "DIERR_INVALIDPARAM"},
    {win::DIERR_BADDRIVERVER, "DIERR_BADDRIVERVER"},
    {win::DIERR_ACQUIRED, "DIERR_ACQUIRED"},
    {win::DIERR_OLDDIRECTINPUTVERSION, "DIERR_OLDDIRECTINPUTVERSION"},
    {win::DIERR_BETADIRECTINPUTVERSION, "DIERR_BETADIRECTINPUTVERSION"},
    {win::DIERR_ALREADYINITIALIZED, "DIERR_ALREADYINITIALIZED"},
    {win::S_FALSE, "S_FALSE"},
    {win::DI_POLLEDDEVICE, "DI_POLLEDDEVICE"},
    {win::DI_DOWNLOADSKIPPED, "DI_DOWNLOADSKIPPED"},
    {win::DI_EFFECTRESTARTED, "DI_EFFECTRESTARTED"},
    {0x00040506, "SFERR_END_OF_LIST"},
};

}  // namespace

const win::DIDATAFORMAT theJoystickDataFormat = {24, 16, win::DIDF_ABSAXIS, 60, 38,
                                                 kJoystickObjects.data()};

int FindJoystickCallback(const win::DIDEVICEINSTANCE* instance, void* buffer) {
    if (buffer == nullptr) return win::DIENUM_STOP;
    if (instance == nullptr || (instance->dwDevType & 0xFF) != win::DIDEVTYPE_JOYSTICK)
        return win::DIENUM_CONTINUE;
    *static_cast<win::DIDEVICEINSTANCE*>(buffer) = *instance;
    return win::DIENUM_STOP;
}

win::HRESULT OpenForceFeedbackJoystick(win::HWND window, win::HINSTANCE instance,
                                       win::IDirectInput** directInput,
                                       win::IDirectInputDevice2** device,
                                       std::uint32_t cooperativeLevel) {
    if (!window || !instance || directInput == nullptr || device == nullptr)
        return win::E_INVALIDARG;
    *directInput = nullptr;
    *device = nullptr;
    win::HRESULT r =
        win::DirectInputCreate(instance, win::DIRECTINPUT_VERSION, directInput, nullptr);
    if (win::FAILED(r)) return r;

    win::DIDEVICEINSTANCE found;
    found.dwSize = 0;  // stays 0 unless a joystick was copied in
    r = (*directInput)
            ->EnumDevices(win::DIDEVTYPE_JOYSTICK, &FindJoystickCallback, &found,
                          win::DIEDFL_FORCEFEEDBACK);
    if (win::SUCCEEDED(r) && found.dwSize == 0) r = win::REGDB_E_CLASSNOTREG;
    if (win::SUCCEEDED(r)) {
        win::IDirectInputDevice* first = nullptr;
        r = (*directInput)->CreateDevice(found.guidInstance, &first, nullptr);
        if (win::SUCCEEDED(r)) {
            void* second = nullptr;
            r = first->QueryInterface(win::IID_IDirectInputDevice2, &second);
            *device = static_cast<win::IDirectInputDevice2*>(second);
            first->Release();
        }
    }
    if (win::SUCCEEDED(r)) r = (*device)->SetDataFormat(&theJoystickDataFormat);
    if (win::SUCCEEDED(r)) r = (*device)->SetCooperativeLevel(window, cooperativeLevel);
    if (win::SUCCEEDED(r)) {
        // The program's spring does the centring, not the device.
        win::DIPROPDWORD autocenter;
        autocenter.diph = {20, 16, 0, win::DIPH_DEVICE};
        autocenter.dwData = win::DIPROPAUTOCENTER_OFF;
        r = (*device)->SetProperty(win::DIPROP_AUTOCENTER, &autocenter.diph);
    }
    if (win::SUCCEEDED(r)) r = (*device)->Acquire();
    if (win::FAILED(r)) {
        if (*device != nullptr) (*device)->Release();
        (*directInput)->Release();
        *device = nullptr;
        *directInput = nullptr;
        return r;
    }
    return 0;
}

win::HRESULT ReleaseDeviceEffect(win::IDirectInputDevice2* device,
                                 win::IDirectInputEffect* effect) {
    if (effect == nullptr) return ReleaseAllEffects(device);
    effect->Release();
    return 0;
}

int ReleaseEffectCallback(win::IDirectInputEffect* effect, void*) {
    if (effect != nullptr) effect->Release();
    return win::DIENUM_CONTINUE;
}

win::HRESULT ReleaseAllEffects(win::IDirectInputDevice2* device) {
    if (device == nullptr) return win::E_INVALIDARG;
    return device->EnumCreatedEffectObjects(&ReleaseEffectCallback, nullptr, 0);
}

win::HRESULT SetEffectGain(win::IDirectInputEffect* effect, std::uint32_t gain) {
    win::DIEFFECT record;
    record.dwGain = gain;
    return SetParameters(effect, record, win::DIEP_GAIN);
}

win::HRESULT SetEffectDirection(win::IDirectInputEffect* effect, std::int32_t hundredths) {
    std::int32_t directions[2] = {hundredths, 0};
    win::DIEFFECT record;
    record.dwFlags = kPolar;
    record.cAxes = 2;
    record.rglDirection = directions;
    return SetParameters(effect, record, win::DIEP_DIRECTION);
}

win::HRESULT SetEffectDuration(win::IDirectInputEffect* effect, std::uint32_t micros) {
    win::DIEFFECT record;
    record.dwDuration = micros;
    return SetParameters(effect, record, win::DIEP_DURATION);
}

win::HRESULT CreatePeriodicEffectObject(win::IDirectInputDevice2* device,
                                        win::IDirectInputEffect** effect, int waveform,
                                        std::uint32_t duration, std::uint32_t period,
                                        std::int32_t direction, std::int32_t magnitude,
                                        std::int32_t offset, std::uint32_t attackTime,
                                        std::uint32_t attackLevel, std::uint32_t fadeTime,
                                        std::uint32_t fadeLevel, std::int32_t triggerButton) {
    if (const win::HRESULT r = Prepare(device, effect); win::FAILED(r)) return r;
    static const struct {
        const win::GUID* guid;
        std::uint32_t phase;
    } kWaves[8] = {{&win::GUID_Sine, 0},         {&win::GUID_Sine, 9000},
                   {&win::GUID_Square, 0},       {&win::GUID_Square, 18000},
                   {&win::GUID_Triangle, 0},     {&win::GUID_Triangle, 18000},
                   {&win::GUID_SawtoothUp, 0},   {&win::GUID_SawtoothDown, 0}};
    if (waveform < 1 || waveform > 8) return win::E_INVALIDARG;
    const auto& wave = kWaves[waveform - 1];
    // The magnitude of a wave is unsigned: a negative one is none.
    win::DIPERIODIC block{static_cast<std::uint32_t>(std::max(magnitude, 0)), offset, wave.phase,
                          period};
    EffectRecord r(kPolar, duration, direction, triggerButton);
    r.SetEnvelope(attackTime, attackLevel, fadeTime, fadeLevel);
    r.effect.cbTypeSpecificParams = win::kDIPeriodicSize;
    r.effect.lpvTypeSpecificParams = &block;
    return Create(device, *wave.guid, r.effect, effect);
}

win::HRESULT CreateConstantForceEffectObject(win::IDirectInputDevice2* device,
                                             win::IDirectInputEffect** effect,
                                             std::uint32_t duration, std::int32_t direction,
                                             std::int32_t magnitude, std::uint32_t attackTime,
                                             std::uint32_t attackLevel, std::uint32_t fadeTime,
                                             std::uint32_t fadeLevel, std::int32_t triggerButton) {
    if (const win::HRESULT r = Prepare(device, effect); win::FAILED(r)) return r;
    win::DICONSTANTFORCE block{magnitude};
    EffectRecord r(kPolar, duration, direction, triggerButton);
    r.SetEnvelope(attackTime, attackLevel, fadeTime, fadeLevel);
    r.effect.cbTypeSpecificParams = win::kDIConstantForceSize;
    r.effect.lpvTypeSpecificParams = &block;
    return Create(device, win::GUID_ConstantForce, r.effect, effect);
}

win::HRESULT CreateSpringEffectObject(win::IDirectInputDevice2* device,
                                      win::IDirectInputEffect** effect, std::uint32_t duration,
                                      std::int32_t xCoefficient, std::int32_t xOffset,
                                      std::int32_t yCoefficient, std::int32_t yOffset,
                                      std::int32_t triggerButton) {
    return CreateConditionEffectObject(device, effect, 11, duration, xCoefficient, xOffset,
                                       yCoefficient, yOffset, triggerButton);
}

win::HRESULT CreateConditionEffectObject(win::IDirectInputDevice2* device,
                                         win::IDirectInputEffect** effect, int kind,
                                         std::uint32_t duration, std::int32_t xCoefficient,
                                         std::int32_t xOffset, std::int32_t yCoefficient,
                                         std::int32_t yOffset, std::int32_t triggerButton) {
    if (const win::HRESULT r = Prepare(device, effect); win::FAILED(r)) return r;
    const win::GUID* guid = kind == 11   ? &win::GUID_Spring
                            : kind == 12 ? &win::GUID_Inertia
                            : kind == 13 ? &win::GUID_Damper
                            : kind == 14 ? &win::GUID_Friction
                                         : nullptr;
    if (guid == nullptr) return win::E_INVALIDARG;
    const auto condition = [](std::int32_t coefficient, std::int32_t offset) {
        return win::DICONDITION{offset, coefficient, coefficient, 10000, 10000, 0};
    };
    win::DICONDITION blocks[2] = {condition(xCoefficient, xOffset),
                                  condition(yCoefficient, yOffset)};
    EffectRecord r(kCartesian, duration, 0, triggerButton);
    // Only the axes that have a coefficient; both when neither has.
    if (xCoefficient != 0 && yCoefficient == 0) {
        r.effect.cAxes = 1;
    } else if (xCoefficient == 0 && yCoefficient != 0) {
        r.effect.cAxes = 1;
        r.axes[0] = 4;
        blocks[0] = blocks[1];
    }
    r.effect.cbTypeSpecificParams = r.effect.cAxes * win::kDIConditionSize;
    r.effect.lpvTypeSpecificParams = blocks;
    return Create(device, *guid, r.effect, effect);
}

win::HRESULT CreateROMEffectObject(win::IDirectInputDevice2* device,
                                   win::IDirectInputEffect** effect, const win::GUID& guid,
                                   std::uint32_t duration, std::uint32_t gain,
                                   std::int32_t direction, std::int32_t triggerButton) {
    if (const win::HRESULT r = Prepare(device, effect); win::FAILED(r)) return r;
    EffectRecord r(kPolar, duration, direction, triggerButton);
    r.effect.dwSamplePeriod = 1000;
    r.effect.dwGain = gain;
    r.SetEnvelope(0, 10000, 0, 10000);
    return Create(device, guid, r.effect, effect);
}

void ForceFeedbackErrorName(win::HRESULT result, std::string* out) {
    if (out == nullptr) return;
    for (const ErrorName& e : kErrorNames) {
        if (e.code == result) {
            *out = e.name;
            return;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<std::uint32_t>(result));
    *out = text;
}

}  // namespace devices
