#include "devices/force_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "devices/force_feedback_support.h"
#include "devices/force_stick.h"

namespace devices {

namespace {

constexpr std::uint32_t kPolarOffsets = win::DIEFF_OBJECTOFFSETS | win::DIEFF_POLAR;

// Percent in device units, held to [lo, hi] as a signed value.
std::int32_t Units(int percent, std::int32_t lo, std::int32_t hi) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{percent} * 100, lo, hi));
}

// Tenths of a millisecond (or percent) x 100 for the creators; a negative one is none.
std::uint32_t Scaled(int value) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(std::int64_t{value} * 100, 0,
                                                               0xFFFFFFFEll));
}

// Whole units x 100, kept inside 32 bits.
std::int32_t Times100(int value) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{value} * 100, INT32_MIN, INT32_MAX));
}

std::uint32_t Duration(std::int32_t duration) {
    return duration == -1 ? win::INFINITE : static_cast<std::uint32_t>(std::max(duration, 0));
}

std::uint32_t PeriodOf(int hz) {
    return hz > 0 ? static_cast<std::uint32_t>(std::trunc(1000000.0 / hz + 0.5)) : 0;
}

win::IDirectInputDevice2* DeviceOf(FFDirectInputStick* owner) {
    return owner != nullptr ? owner->device : nullptr;
}

}  // namespace

int FoldDegrees(int degrees) {
    const int d = degrees % 360;
    return d < 0 ? d + 360 : d;
}

FFEffect::FFEffect(FFDirectInputStick* stick, std::uint32_t axisCount) : owner(stick) {
    params.dwFlags = kPolarOffsets;
    params.cAxes = axisCount;
    params.rgdwAxes = axes.data();
    params.rglDirection = directions.data();
    params.lpEnvelope = &envelope;
}

FFEffect::~FFEffect() {
    if (owner != nullptr) {
        owner->ReleaseEffect(this);
        owner->ForgetEffect(this);
    }
    owner = nullptr;
}

void FFEffect::Created() {
    if (effect != nullptr) FetchParameters(win::DIEP_ALLPARAMS);
}

void FFEffect::FetchParameters(std::uint32_t mask) {
    params.cbTypeSpecificParams = GetTypeParamsSize();
    params.lpvTypeSpecificParams = GetTypeParams();
    if (effect == nullptr) return;
    params.lpEnvelope = &envelope;
    effect->GetParameters(&params, mask);
}

void FFEffect::SendParameters(std::uint32_t mask) {
    params.cbTypeSpecificParams = GetTypeParamsSize();
    params.lpvTypeSpecificParams = GetTypeParams();
    params.lpEnvelope = &envelope;
    if (effect != nullptr) effect->SetParameters(&params, mask);
}

void FFEffect::SetStrength(int percent) {
    if (effect == nullptr) return;
    params.dwGain = static_cast<std::uint32_t>(Units(percent, 1, 10000));
    SetEffectGain(effect, params.dwGain);
}

int FFEffect::GetStrength() {
    if (effect == nullptr) return 0;
    FetchParameters(win::DIEP_GAIN);
    return static_cast<int>(params.dwGain);
}

void FFEffect::SetDirection(int degrees) {
    if (effect == nullptr) return;
    if (degrees < 0) degrees = FoldDegrees(degrees);
    directions[0] = std::min(Units(degrees, 0, 36000), 36000);
    SetEffectDirection(effect, directions[0]);
}

int FFEffect::GetDirection() {
    if (effect == nullptr) return 0;
    FetchParameters(win::DIEP_ALLPARAMS);
    return directions[0];
}

void FFEffect::SetDuration(std::int32_t tenthsOfMs) {
    if (effect == nullptr) return;
    params.dwDuration = tenthsOfMs == -1 ? win::INFINITE : Scaled(tenthsOfMs);
    SetEffectDuration(effect, params.dwDuration);
}

std::uint32_t FFEffect::GetDuration() {
    if (effect == nullptr) return 0;
    FetchParameters(win::DIEP_ALLPARAMS);
    return params.dwDuration;
}

bool FFEffect::Start() {
    return effect != nullptr && win::SUCCEEDED(effect->Start(1, 0));
}

void FFEffect::Stop() {
    if (effect != nullptr) effect->Stop();
}

bool FFEffect::IsPlaying() {
    std::uint32_t status = 0;
    return effect != nullptr && win::SUCCEEDED(effect->GetEffectStatus(&status)) &&
           (status & win::DIEGES_PLAYING) != 0;
}

FFPeriodicEffect::FFPeriodicEffect(FFDirectInputStick* stick, int waveform, std::int32_t duration,
                                   int frequencyHz, int direction, int magnitude, int offset,
                                   int attackTime, int attackLevel, int fadeTime, int fadeLevel,
                                   int triggerButton)
    : FFEffect(stick, 3) {
    periodic = {Scaled(magnitude), Units(offset, -10000, 10000), 0, PeriodOf(frequencyHz)};
    CreatePeriodicEffectObject(DeviceOf(stick), &effect, waveform, Duration(duration),
                               periodic.dwPeriod, Times100(direction), Times100(magnitude),
                               Times100(offset),
                               Scaled(attackTime), Scaled(attackLevel), Scaled(fadeTime),
                               Scaled(fadeLevel), triggerButton);
    Created();
}

void FFPeriodicEffect::SetStrength(int percent) {
    if (effect == nullptr) return;
    params.dwGain = static_cast<std::uint32_t>(Units(percent, 1, 10000));
    periodic.dwMagnitude = params.dwGain;
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFPeriodicEffect::SetOffset(int percent) {
    if (effect == nullptr) return;
    periodic.lOffset = Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFPeriodicEffect::SetPhase(int degrees) {
    if (effect == nullptr) return;
    periodic.dwPhase = static_cast<std::uint32_t>(std::min(FoldDegrees(degrees), 359) * 100);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFPeriodicEffect::SetFrequency(int hz) {
    if (effect == nullptr) return;
    // No period belongs to a frequency of 0: the wave stops instead.
    if (hz <= 0) {
        Stop();
        return;
    }
    periodic.dwPeriod = PeriodOf(hz);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

FFConstantForceEffect::FFConstantForceEffect(FFDirectInputStick* stick, std::int32_t duration,
                                             int direction, int magnitude, int attackTime,
                                             int attackLevel, int fadeTime, int fadeLevel,
                                             int triggerButton)
    : FFEffect(stick, 3) {
    constant.lMagnitude = Units(magnitude, -10000, 10000);
    CreateConstantForceEffectObject(DeviceOf(stick), &effect, Duration(duration),
                                    Times100(direction), Times100(magnitude), Scaled(attackTime), Scaled(attackLevel),
                                    Scaled(fadeTime), Scaled(fadeLevel), triggerButton);
    Created();
}

void FFConstantForceEffect::SetMagnitude(int percent) {
    if (effect == nullptr) return;
    FetchParameters(win::DIEP_TYPESPECIFICPARAMS);
    constant.lMagnitude = Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

FFSpringEffect::FFSpringEffect(FFDirectInputStick* stick, std::int32_t duration, int xStiffness,
                               int xOffset, int yStiffness, int yOffset, int triggerButton)
    : FFEffect(stick, 2) {
    params.dwDuration = win::INFINITE;
    const auto condition = [](int stiffness, int offset) {
        const std::int32_t c = Units(stiffness, -10000, 10000);
        return win::DICONDITION{Units(offset, -10000, 10000), c, c, 10000, 10000, 0};
    };
    conditions = {condition(xStiffness, xOffset), condition(yStiffness, yOffset)};
    CreateSpringEffectObject(DeviceOf(stick), &effect, Duration(duration),
                             conditions[0].lPositiveCoefficient, conditions[0].lOffset,
                             conditions[1].lPositiveCoefficient, conditions[1].lOffset,
                             triggerButton);
    Created();
}

void FFSpringEffect::SetXStiffness(int percent) {
    if (effect == nullptr) return;
    conditions[0].lPositiveCoefficient = conditions[0].lNegativeCoefficient =
        Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFSpringEffect::SetYStiffness(int percent) {
    if (effect == nullptr) return;
    conditions[1].lPositiveCoefficient = conditions[1].lNegativeCoefficient =
        Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFSpringEffect::SetXOffset(int percent) {
    if (effect == nullptr) return;
    conditions[0].lOffset = Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

void FFSpringEffect::SetYOffset(int percent) {
    if (effect == nullptr) return;
    conditions[1].lOffset = Units(percent, -10000, 10000);
    SendParameters(win::DIEP_TYPESPECIFICPARAMS);
}

FFROMEffect::FFROMEffect(FFDirectInputStick* stick, const win::GUID& guid, int gain,
                         int direction, std::int32_t duration, int triggerButton)
    : FFEffect(stick, 3) {
    CreateROMEffectObject(DeviceOf(stick), &effect, guid, Duration(duration), Scaled(gain),
                          Times100(direction), triggerButton);
    Created();
}

}  // namespace devices
