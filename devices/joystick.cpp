#include "devices/joystick.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cockpit/panel_controls.h"
#include "core/numeric.h"
#include "devices/device_host.h"
#include "devices/force_feedback.h"
#include "flight/flight_model_state.h"
#include "win/process.h"

namespace devices {

core::IniFile theJoystickIniFile("joystick.ini");

namespace {

constexpr const char* kSection = "Joysticks";
constexpr std::uint32_t kPollFlags = win::JOY_RETURNX | win::JOY_RETURNY | win::JOY_RETURNZ |
                                     win::JOY_RETURNR | win::JOY_RETURNPOV |
                                     win::JOY_RETURNBUTTONS;  // 0xCF
// Gains of the three axes: aileron (x), elevator (y), rudder (r).
constexpr double kAileronGain = 11520;
constexpr double kElevatorGain = 6400;
constexpr double kRudderGain = 14336;

bool theControlPanelArmed = false;

std::int32_t GetKey(const char* key, std::int32_t fallback) {
    return core::theIniFile.GetInt(kSection, key, fallback);
}

// A range limit of the settings: 0..32767 (they are kept in 16 bits).
std::int16_t Limit(const char* key, std::int32_t fallback) {
    return static_cast<std::int16_t>(std::clamp(GetKey(key, fallback), 0, 32767));
}

// percent = (value - min) x 100 / (max - min); an empty range counts as 1000.
int Percent(std::int32_t value, std::int32_t min, std::int32_t max) {
    const std::int32_t range = max - min != 0 ? max - min : 1000;
    return static_cast<int>((value - min) * 100 / range);
}

std::int32_t FromPercent(int percent, std::int32_t min, std::int32_t max) {
    return min + (max - min) * percent / 100;
}

}  // namespace

Joystick::~Joystick() {
    ShutdownForceFeedback();
}

int Joystick::Detect(win::HWND window) {
    found = 0;
    std::int32_t tried = -1;
    if (win::joyGetNumDevs() > 0) {
        const std::int32_t first = std::clamp(GetKey("Device", -1), -1, 15);
        const auto answers = [&](std::int32_t id) {
            if (id < 0) return false;
            win::JOYINFOEX probe;
            probe.dwFlags = win::JOY_RETURNALL;
            win::JOYCAPS c;
            return win::joyGetPosEx(static_cast<std::uint32_t>(id), &probe) ==
                       win::JOYERR_NOERROR &&
                   win::joyGetDevCaps(static_cast<std::uint32_t>(id), &c, win::kJoyCapsSize) ==
                       win::JOYERR_NOERROR;
        };
        if (answers(first)) {
            tried = first;
        } else {
            const auto n = static_cast<std::int32_t>(win::joyGetNumDevs());
            for (std::int32_t id = 0; id < n && tried < 0; ++id)
                if (answers(id)) tried = id;
        }
    }
    if (tried < 0) {
        // Without a stick the dialog still shows (and keeps) the user's settings.
        LoadSettings();
        return core::theIniFile.PutInt(kSection, "Device", -1);
    }
    deviceId = static_cast<std::uint32_t>(tried);
    found = 1;
    theJoystickFound = 1;
    LoadSensitivity();
    StartForceFeedback(window);
    return core::theIniFile.PutInt(kSection, "Device", tried);
}

void Joystick::LoadSensitivity() {
    if (found == 0 || win::joyGetDevCaps(deviceId, &caps, win::kJoyCapsSize) != win::JOYERR_NOERROR)
        return;
    const char* name = GetJoystickOEMName(deviceId);
    theDeviceHost.loadStickBindings(theJoystickIniFile.Path().c_str(), name);
    theDeviceHost.loadStickBindings(core::theIniFile.Path().c_str(), name);
    theDeviceHost.saveStickBindings(core::theIniFile.Path().c_str(), name);

    auto axis = [](std::uint32_t min, std::uint32_t max, std::int32_t* centre,
                   std::int32_t* range) {
        *range = static_cast<std::int32_t>(max) - static_cast<std::int32_t>(min);
        *centre = static_cast<std::int32_t>(min) + *range / 2;
    };
    axis(caps.wXmin, caps.wXmax, &xCentre, &xRange);
    axis(caps.wYmin, caps.wYmax, &yCentre, &yRange);
    axis(caps.wZmin, caps.wZmax, &zCentre, &zRange);
    axis(caps.wRmin, caps.wRmax, &rCentre, &rRange);
    LoadSettings();
    // Below half the x travel, or nothing outside the dead zone would be left.
    deadZone = std::min(deadZone, std::max(xRange / 2 - 1, 0));
}

void Joystick::LoadSettings() {
    aileronMin = Limit("AilSensMin", 0);
    aileronMax = std::max(aileronMin, Limit("AilSensMax", 16000));
    elevatorMin = Limit("ElvSensMin", 0);
    elevatorMax = std::max(elevatorMin, Limit("ElvSensMax", 14000));
    rudderMin = Limit("RudSendMin", 0);
    rudderMax = std::max(rudderMin, Limit("RudSendMax", 12000));
    deadZoneMin = Limit("DZSensMin", 0);
    deadZoneMax = std::max(deadZoneMin, Limit("DZSensMax", 16384));
    // -1 (or a missing key) keeps the sensitivity; a value is held inside its range.
    auto sensitivity = [](const char* key, std::int16_t min, std::int16_t max, double* out) {
        const std::int32_t v = GetKey(key, -1);
        if (v != -1) *out = static_cast<double>(std::clamp<std::int32_t>(v, min, max) / 1000);
    };
    sensitivity("AilSens", aileronMin, aileronMax, &aileronSensitivity);
    sensitivity("ElvSens", elevatorMin, elevatorMax, &elevatorSensitivity);
    sensitivity("RudSend", rudderMin, rudderMax, &rudderSensitivity);
    deadZone = std::clamp<std::int32_t>(GetKey("DZone", 8192), deadZoneMin, deadZoneMax);
}

Joystick::AxisReading Joystick::ReadAxis(std::uint32_t position, std::int32_t centre,
                                         std::int32_t range, int sensitivityPercent,
                                         double gain) const {
    AxisReading r;
    // Each axis keeps some travel outside the dead zone; one with none reads 0.
    const std::int64_t z = std::min<std::int64_t>(deadZone, range / 2 - 1);
    const std::int64_t half = range / 2 - z;
    if (z < 0 || half <= 0) return r;
    const std::int64_t p = position;
    std::int64_t d = 0;
    if (p > centre + z)
        d = p - z - centre;
    else if (p < centre - z)
        d = p - centre + z;
    r.d = static_cast<std::int32_t>(d);
    r.frac = static_cast<double>(std::llabs(d)) / static_cast<double>(half);
    const double s = (100 - sensitivityPercent) * 0.01 + 0.5;
    const double k = (100 - 0.25 * GetDeadZone()) * 0.01;
    const double shaped = 0.01 * std::pow(100 * r.frac, s) * std::pow(100.0, 1 - s);
    r.output = core::ClampToInt16(core::ClampToInt32(d * shaped * gain / (32768 * k)));
    return r;
}

void Joystick::Poll() {
    info = win::JOYINFOEX{};
    info.dwFlags = kPollFlags;
    if (win::joyGetPosEx(deviceId, &info) != win::JOYERR_NOERROR) {
        // The stick is gone: its forces go with it, to start again when a stick arrives.
        ShutdownForceFeedback();
        return;
    }
    flight::FlightModelState& fm = flight::theFlightModelState;
    const DeviceHostServices& host = theDeviceHost;
    const bool slewing = host.slewing() != 0;
    const bool alt = host.slewAlternateAxes() != 0;

    const AxisReading x =
        ReadAxis(info.dwXpos, xCentre, xRange, GetAileronSensitivity(), kAileronGain);
    if (!slewing) {
        fm.fmAil = x.output;
    } else if (alt) {
        host.setSlewRate(SlewRate::kBank,
                         static_cast<std::int32_t>(std::trunc((x.d / -31) * x.frac)));
    } else {
        host.setSlewRate(SlewRate::kSide, static_cast<std::int32_t>(std::trunc(x.d * x.frac)));
        host.setSlewRate(SlewRate::kBank, 0);
    }

    const AxisReading y =
        ReadAxis(info.dwYpos, yCentre, yRange, GetElevatorSensitivity(), kElevatorGain);
    if (!slewing) {
        host.easeElevator(y.output);
    } else if (alt) {
        host.setSlewRate(SlewRate::kPitch,
                         static_cast<std::int32_t>(std::trunc((y.d / -31) * y.frac)));
    } else {
        host.setSlewRate(SlewRate::kForward, static_cast<std::int32_t>(std::trunc(-y.d * y.frac)));
        host.setSlewRate(SlewRate::kPitch, 0);
    }

    if (!slewing && fm.fmAutoCoordination != 0) {
        fm.fmRud = fm.fmAil;
    } else if (caps.wCaps & win::JOYCAPS_HASR) {
        const AxisReading r =
            ReadAxis(info.dwRpos, rCentre, rRange, GetRudderSensitivity(), kRudderGain);
        if (slewing)
            host.setSlewRate(SlewRate::kYaw,
                             static_cast<std::int32_t>(std::trunc((r.d / 15) * r.frac)));
        else
            fm.fmRud = r.output;
    }

    // The throttle: only on a stick with a third axis that has a travel.
    if ((caps.wCaps & win::JOYCAPS_HASZ) && zRange > 0) {
        const std::int64_t lever =
            (static_cast<std::int64_t>(caps.wZmax) - info.dwZpos) * 31 / zRange;
        cockpit::theThrottleLever.lever =
            static_cast<std::int16_t>(std::clamp<std::int64_t>(lever, 0, 31));
        cockpit::theThrottleLever.dirty = 1;
        cockpit::UpdateThrottleLever();
        if (fm.fmMultiEngineSynch != 0) {
            cockpit::theThrottleLever2.lever = cockpit::theThrottleLever.lever;
            cockpit::theThrottleLever2.dirty = 1;
            cockpit::UpdateThrottleLeverRight();
        }
    }

    UpdateForces();
    host.clearSlewAlternateAxes();
    DispatchButtons(info.dwButtons);
    if (caps.wCaps & win::JOYCAPS_HASPOV) DispatchHat(info.dwPOV);
}

void Joystick::DispatchButtons(std::uint32_t buttons) {
    const std::uint32_t pressed = buttons & ~lastButtons;
    lastButtons = buttons;
    for (int b = 1; b <= 32; ++b) {
        const std::uint32_t bit = 1u << (b - 1);
        if ((pressed & bit) == 0) continue;
        theDeviceHost.dispatchKey(0x100u + static_cast<std::uint32_t>(b));
        // A command that repeats fires again at the next poll while the button is held.
        if (theDeviceHost.keyRepeats() != 0) lastButtons &= ~bit;
    }
}

void Joystick::DispatchHat(std::uint32_t pov) {
    if (pov == lastPov) return;
    lastPov = pov;
    static const struct {
        std::uint32_t pov;
        std::uint32_t code;
    } kDirections[8] = {{0, 0x201},     {4500, 0x202},  {9000, 0x204},  {13500, 0x207},
                        {18000, 0x206}, {22500, 0x205}, {27000, 0x203}, {31500, 0x200}};
    for (const auto& d : kDirections)
        if (d.pov == pov) theDeviceHost.dispatchKey(d.code);
}

void Joystick::UpdateForces() {
    if (theForceFeedbackActive != 0) UpdateStickForces();
}

int Joystick::GetAileronSensitivity() const {
    return Percent(static_cast<std::int32_t>(std::trunc(aileronSensitivity * 1000)), aileronMin,
                   aileronMax);
}
int Joystick::GetElevatorSensitivity() const {
    return Percent(static_cast<std::int32_t>(std::trunc(elevatorSensitivity * 1000)), elevatorMin,
                   elevatorMax);
}
int Joystick::GetRudderSensitivity() const {
    return Percent(static_cast<std::int32_t>(std::trunc(rudderSensitivity * 1000)), rudderMin,
                   rudderMax);
}

void Joystick::SetAileronSensitivity(int percent) {
    const std::int32_t v = FromPercent(percent, aileronMin, aileronMax);
    aileronSensitivity = static_cast<double>(v / 1000);
    core::theIniFile.PutInt(kSection, "AilSens", v);
}
void Joystick::SetElevatorSensitivity(int percent) {
    const std::int32_t v = FromPercent(percent, elevatorMin, elevatorMax);
    elevatorSensitivity = static_cast<double>(v / 1000);
    core::theIniFile.PutInt(kSection, "ElvSens", v);
}
void Joystick::SetRudderSensitivity(int percent) {
    const std::int32_t v = FromPercent(percent, rudderMin, rudderMax);
    rudderSensitivity = static_cast<double>(v / 1000);
    core::theIniFile.PutInt(kSection, "RudSend", v);
}

int Joystick::GetDeadZone() const {
    return Percent(deadZone, deadZoneMin, deadZoneMax);
}

void Joystick::SetDeadZone(int percent) {
    deadZone = FromPercent(percent, deadZoneMin, deadZoneMax);
    core::theIniFile.PutInt(kSection, "DZone", deadZone);
}

void Joystick::SetInUse(bool on) {
    wanted = on ? 1 : 0;
    inUse = on && found != 0 ? 1 : 0;
}

void Joystick::CheckArrival(win::HWND window) {
    const std::uint32_t arrivals = win::JoystickArrivals();
    if (arrivals == arrivalsSeen) return;
    arrivalsSeen = arrivals;
    if (wanted == 0) return;
    if (found != 0) {
        // The stick held still answers: the new one is not taken over it. It may be the same
        // stick plugged back, whose forces went with it: they start afresh.
        win::JOYINFOEX probe;
        if (win::joyGetPosEx(deviceId, &probe) == win::JOYERR_NOERROR) {
            RestartForceFeedback(window);
            return;
        }
    }
    // A stick found again starts its forces afresh too.
    ShutdownForceFeedback();
    Detect(window);
    inUse = found;
}

const char* GetJoystickOEMName(std::uint32_t id) {
    static std::string name;
    win::JOYCAPS c;
    if (win::joyGetDevCaps(id, &c, win::kJoyCapsSize) != win::JOYERR_NOERROR) {
        name = "Generic";
        return name.c_str();
    }
    std::string product;
    if (win::GetJoystickProductName(id, &product) && !product.empty()) {
        // The name heads an INI section: brackets and line breaks would end it early.
        for (char& ch : product)
            if (ch == '[' || ch == ']' || ch == '\r' || ch == '\n') ch = ' ';
        name = product;
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "Generic %u-button", c.wNumButtons);
        name = text;
    }
    return name.c_str();
}

void OpenJoystickControlPanel(win::HWND) {
    if (!theControlPanelArmed) {
        theControlPanelArmed = true;
        return;
    }
    win::WinExec("control joy.cpl", 1);
}

}  // namespace devices
