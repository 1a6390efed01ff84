#include "devices/force_triggers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/numeric.h"
#include "devices/device_host.h"
#include "devices/force_feedback.h"
#include "devices/force_stick.h"
#include "devices/library_stick.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace devices {

double theStiffnessScale = 100.0;
ForceUpdateMemory theForceUpdateMemory;

namespace {

bool HaveStick() {
    return theForceStick != nullptr;
}

bool CanChange() {
    return theForceStick != nullptr && theForceActuatorsOn != 0;
}

bool InDirectInputMode() {
    return theForceFeedbackMode == kForceFeedbackDirectInput;
}

FFLibraryStick* Library() {
    return theForceFeedbackMode == kForceFeedbackLibrary
               ? static_cast<FFLibraryStick*>(theForceStick.get())
               : nullptr;
}

// The standard effects by their fixed kinds.
FFConstantForceEffect* Constant(StandardEffect e) {
    return static_cast<FFConstantForceEffect*>(theForceEffects[static_cast<std::size_t>(e)].get());
}
FFPeriodicEffect* Periodic(StandardEffect e) {
    return static_cast<FFPeriodicEffect*>(theForceEffects[static_cast<std::size_t>(e)].get());
}

// Clamps; a value that is not a number gives 0.
float Unit(float v) {
    return v >= 0 ? std::min(v, 1.0f) : 0.0f;
}
float Signed(float v) {
    return std::isnan(v) ? 0.0f : std::clamp(v, -1.0f, 1.0f);
}
int Hertz(float f) {
    return static_cast<int>(f >= 0 ? std::min(f, 50.0f) : 0.0f);
}
int Percent(float v) {
    return core::ClampToInt32(static_cast<double>(v) * 100);
}
int JoltMs(int ms) {
    return ms <= 0 || ms > 2500 ? 2500 : ms;
}

// The key a value is remembered by: hundredths, truncated toward zero.
int Key(double v) {
    return core::ClampToInt32(v * 100);
}

void StartVibration(StandardEffect which, float first, float second, float frequency) {
    if (!CanChange()) return;
    const float a = Unit(first), b = Unit(second);
    const int hz = Hertz(frequency);
    const bool x = which == kXVibrationEffect;
    if (FFLibraryStick* lib = Library()) {
        if (hz == 0)
            x ? lib->XVibrationClear() : lib->YVibrationClear();
        else
            x ? lib->XVibration(Percent(a), Percent(b), hz)
              : lib->YVibration(Percent(a), Percent(b), hz);
        return;
    }
    FFPeriodicEffect* e = InDirectInputMode() ? Periodic(which) : nullptr;
    if (e == nullptr) return;
    // A wave of 0 Hz has no period: it is stopped, not sent.
    if (hz == 0) {
        e->Stop();
        return;
    }
    e->SetFrequency(hz);
    e->SetStrength(Percent((a + b) / 2));
    e->SetOffset(Percent(x ? (b - a) / 2 : (a - b) / 2));
    e->Start();
}

void StopVibration(StandardEffect which) {
    if (!HaveStick()) return;
    if (FFLibraryStick* lib = Library()) {
        which == kXVibrationEffect ? lib->XVibrationClear() : lib->YVibrationClear();
    } else if (InDirectInputMode()) {
        if (FFPeriodicEffect* e = Periodic(which)) e->Stop();
    }
}

}  // namespace

void JoltStick(int direction, int durationMs, float magnitude) {
    if (!CanChange()) return;
    const int p = Percent(Unit(magnitude));
    const int d = FoldDegrees(direction);
    const int ms = JoltMs(durationMs);
    if (FFLibraryStick* lib = Library()) {
        lib->Jolt(p, d, ms);
    } else if (FFConstantForceEffect* e = InDirectInputMode() ? Constant(kJoltEffect) : nullptr) {
        e->SetMagnitude(p);
        e->SetDirection(d);
        e->SetDuration(ms * 10);
        e->Start();
    }
}

void StartStickEffect(int index, int direction, float magnitude, float frequency) {
    if (!CanChange()) return;
    theForceStick->StartEffect(index, Percent(Unit(magnitude)), FoldDegrees(direction),
                               Hertz(frequency));
}

void StopStickEffect(int index) {
    if (HaveStick()) theForceStick->StopEffect(index);
}

void StartXVibration(float first, float second, float frequency) {
    StartVibration(kXVibrationEffect, first, second, frequency);
}

void StopXVibration() {
    StopVibration(kXVibrationEffect);
}

void StartYVibration(float first, float second, float frequency) {
    StartVibration(kYVibrationEffect, first, second, frequency);
}

void StopYVibration() {
    StopVibration(kYVibrationEffect);
}

void SetStickVectorForce(int direction, float magnitude) {
    if (!CanChange()) return;
    const int p = Percent(Unit(magnitude));
    const int d = FoldDegrees(direction);
    if (Library() != nullptr) {
        theForceStick->SetStickForce(p, d);
        return;
    }
    if (!InDirectInputMode()) return;
    FFConstantForceEffect* x = Constant(kXForceEffect);
    FFConstantForceEffect* y = Constant(kYForceEffect);
    // One force at a time: the two components give way to the single vector.
    if ((x != nullptr && x->IsPlaying()) || (y != nullptr && y->IsPlaying())) {
        if (x != nullptr) x->Stop();
        if (y != nullptr) y->Stop();
    }
    if (FFConstantForceEffect* v = Constant(kVectorForceEffect)) {
        v->SetMagnitude(p);
        v->SetDirection(d);
        v->Start();
    }
}

void SetStickXYForce(float x, float y) {
    if (!CanChange()) return;
    const int px = Percent(Signed(x)), py = Percent(Signed(y));
    if (FFLibraryStick* lib = Library()) {
        lib->XYVectorForce(px, py);
        return;
    }
    if (!InDirectInputMode()) return;
    FFConstantForceEffect* ex = Constant(kXForceEffect);
    FFConstantForceEffect* ey = Constant(kYForceEffect);
    if (ex == nullptr || ey == nullptr) return;
    FFConstantForceEffect* v = Constant(kVectorForceEffect);
    if (v != nullptr && v->IsPlaying()) v->Stop();
    ex->SetMagnitude(px);
    ey->SetMagnitude(py);
    ex->Start();
    ey->Start();
}

void ClearStickForce() {
    if (!HaveStick()) return;
    if (FFLibraryStick* lib = Library()) {
        lib->VectorForceClear();
        return;
    }
    FFConstantForceEffect* v = InDirectInputMode() ? Constant(kVectorForceEffect) : nullptr;
    if (v == nullptr) return;
    if (FFConstantForceEffect* x = Constant(kXForceEffect)) x->Stop();
    if (FFConstantForceEffect* y = Constant(kYForceEffect)) y->Stop();
    v->Stop();
}

void StartBuffeting(float strength) {
    if (!CanChange()) return;
    const int p = Percent(Unit(strength));
    if (FFLibraryStick* lib = Library()) {
        lib->Buffeting(p);
    } else if (FFEffect* e = InDirectInputMode() ? theForceEffects[kBuffetEffect].get() : nullptr) {
        e->SetStrength(p);
        e->Start();
    }
}

void StopBuffeting() {
    if (!HaveStick()) return;
    if (FFLibraryStick* lib = Library()) {
        lib->BuffetingClear();
    } else if (FFEffect* e = InDirectInputMode() ? theForceEffects[kBuffetEffect].get() : nullptr) {
        e->Stop();
    }
}

void SetStickCenterOffset(int axis, float value) {
    if (CanChange()) theForceStick->SetCenterOffset(axis, Percent(Signed(value)));
}

void SetStickCenterStiffness(int axis, float value) {
    if (!CanChange()) return;
    // Held to 0..1 before scaling: a negative stiffness would push the stick away from centre.
    theForceStick->SetCenterStiffness(
        axis, core::ClampToInt32(static_cast<double>(Unit(value)) * theStiffnessScale));
}

void RestoreStickCentering(int axis) {
    if (HaveStick()) theForceStick->RestoreCentering(axis);
}

float GetStickCenterOffset(int axis) {
    return HaveStick() ? static_cast<float>(theForceStick->GetCenterOffset(axis)) * 0.01f : 0.0f;
}

float GetStickCenterStiffness(int axis) {
    return HaveStick() ? static_cast<float>(theForceStick->GetCenterStiffness(axis)) : 0.0f;
}

void StopForceEffects() {
    if (!HaveStick()) return;
    if (InDirectInputMode()) {
        for (StandardEffect e : {kVectorForceEffect, kXVibrationEffect, kYVibrationEffect})
            if (FFEffect* effect = theForceEffects[static_cast<std::size_t>(e)].get())
                effect->Stop();
        theForceStick->StopAll();
    } else if (Library() != nullptr) {
        theForceStick->StopAll();
    }
    theForceStick->RestoreCentering(2);
}

void UpdateStickForces() {
    const flight::FlightModelState& fm = flight::theFlightModelState;
    ForceUpdateMemory& m = theForceUpdateMemory;
    const bool refresh = theForceRefresh != 0;

    // The spring stiffens with airspeed and is softer on the ground: the airspeed word's integer
    // part (whole half-knots) over 75 is knots / 150, so the spring is at full strength from
    // 150 kt.
    double base = std::floor(flight::AirspeedWordKnots(fm.fmIAS) / 2.0) / 75.0;
    if (fm.fmOTG != 0) base /= 3.0;
    // The stick centres on the trimmed controls; the offset grows with the deflection from trim.
    constexpr double kLimit = 1.4922565104551517;  // 85.5 degrees
    const double a =
        std::clamp((std::int32_t{fm.fmAil} - std::int32_t{theDeviceHost.aileronTrim()}) *
                       std::numbers::pi / 14000,
                   -kLimit, kLimit);
    const double e = std::clamp(
        (std::int32_t{fm.fmElv} - std::int32_t{fm.fmApElvTrim}) * std::numbers::pi / 8000, -kLimit,
        kLimit);
    const double ox = -0.25 * std::sin(a) / std::sqrt(std::cos(a));
    const double oy = -0.25 * std::sin(e) / std::sqrt(std::cos(e));
    const double sx = (std::fabs(ox) + 1) * base;
    const double sy = (std::fabs(oy) + 1) * base;

    const auto send = [&](double value, int& last, void (*call)(int, float), int axis) {
        const int key = Key(value);
        if (!refresh && key == last) return;
        call(axis, static_cast<float>(value));
        last = key;
    };
    send(sx, m.xStiffness, &SetStickCenterStiffness, 0);
    send(ox, m.xOffset, &SetStickCenterOffset, 0);
    send(sy, m.yStiffness, &SetStickCenterStiffness, 1);
    send(oy, m.yOffset, &SetStickCenterOffset, 1);

    // Past the stall angle (2184, about 12 degrees) the stick shakes, harder and faster as the
    // angle grows (1456 is about 8 degrees).
    constexpr float kBuffetStep = 1.0f / 1456.0f;
    constexpr float kBuffetRate = 10.0f / 1456.0f;
    const int d = std::int32_t{fm.fmAlpha} - 2184;
    if (d > 0 && theDeviceHost.slewing() == 0) {
        const float low = 0.5f - static_cast<float>(d) * kBuffetStep;
        const float high = 0.5f + static_cast<float>(d) * kBuffetStep;
        const float frequency = 3.0f + static_cast<float>(d) * kBuffetRate;
        const int kl = Key(low), kh = Key(high), kf = Key(frequency);
        // A restarted stick has lost its buffet: it is sent again even when nothing changed.
        if (refresh || kl != m.buffetLow || kh != m.buffetHigh || kf != m.buffetFrequency) {
            StartYVibration(low, high, frequency);
            m.buffetLow = kl;
            m.buffetHigh = kh;
            m.buffetFrequency = kf;
        }
    } else if (refresh || m.buffetLow != 0 || m.buffetHigh != 0 || m.buffetFrequency != 0) {
        StopYVibration();
        m.buffetLow = m.buffetHigh = m.buffetFrequency = 0;
    }

    // Turbulence bumps the stick.
    const float tx = flight::theFlightStep.stickBumpX;
    const float ty = flight::theFlightStep.stickBumpY;
    const int kx = Key(tx), ky = Key(ty);
    if (refresh || kx != m.turbulenceX || ky != m.turbulenceY) {
        SetStickXYForce(tx, ty);
        m.turbulenceX = kx;
        m.turbulenceY = ky;
    }
    theForceRefresh = 0;
}

}  // namespace devices
