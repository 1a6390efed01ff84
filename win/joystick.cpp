#include "win/joystick.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/backend.h"
#include "win/window_internal.h"

namespace win {

namespace {

bool Info(std::uint32_t id, platform::JoystickInfo* info) {
    platform::Joysticks& sticks = platform::CurrentBackend().GetJoysticks();
    return id < kJoystickSlots && static_cast<int>(id) < sticks.Count() &&
           sticks.GetInfo(static_cast<int>(id), info);
}

// Hundredths of a degree of a hat's direction bits; centred (or an impossible pair) gives the
// centred value.
std::uint32_t PovOf(std::uint8_t bits) {
    switch (bits & 0x0F) {
        case platform::kHatUp:
            return 0;
        case platform::kHatUp | platform::kHatRight:
            return 4500;
        case platform::kHatRight:
            return 9000;
        case platform::kHatDown | platform::kHatRight:
            return 13500;
        case platform::kHatDown:
            return 18000;
        case platform::kHatDown | platform::kHatLeft:
            return 22500;
        case platform::kHatLeft:
            return 27000;
        case platform::kHatUp | platform::kHatLeft:
            return 31500;
        default:
            return JOY_POVCENTERED;
    }
}

}  // namespace

std::uint32_t joyGetNumDevs() {
    return kJoystickSlots;
}

std::uint32_t joyGetDevCaps(std::uint32_t id, JOYCAPS* caps, std::uint32_t size) {
    if (caps == nullptr || size != kJoyCapsSize) return MMSYSERR_INVALPARAM;
    if (id >= kJoystickSlots) return MMSYSERR_BADDEVICEID;
    platform::JoystickInfo info;
    if (!Info(id, &info)) return JOYERR_UNPLUGGED;
    *caps = JOYCAPS{};
    std::snprintf(caps->szPname, sizeof caps->szPname, "%s", info.name.c_str());
    std::snprintf(caps->szRegKey, sizeof caps->szRegKey, "%s", "Zephlon Sticks");
    const int axes = std::clamp(info.axes, 0, 6);
    caps->wXmax = caps->wYmax = caps->wZmax = caps->wRmax = caps->wUmax = caps->wVmax = 65535;
    caps->wNumButtons = static_cast<std::uint32_t>(std::clamp(info.buttons, 0, 32));
    caps->wPeriodMin = 10;
    caps->wPeriodMax = 1000;
    caps->wMaxAxes = 6;
    caps->wNumAxes = static_cast<std::uint32_t>(axes);
    caps->wMaxButtons = 32;
    static const std::uint32_t kAxisBits[6] = {
        0, 0, JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};
    for (int a = 0; a < axes; ++a)
        caps->wCaps |= kAxisBits[a];
    if (info.hats > 0) caps->wCaps |= JOYCAPS_HASPOV | JOYCAPS_POV4DIR | JOYCAPS_POVCTS;
    return JOYERR_NOERROR;
}

std::uint32_t joyGetPosEx(std::uint32_t id, JOYINFOEX* info) {
    if (info == nullptr || info->dwSize != kJoyInfoExSize) return MMSYSERR_INVALPARAM;
    if (id >= kJoystickSlots) return MMSYSERR_BADDEVICEID;
    platform::Joysticks& sticks = platform::CurrentBackend().GetJoysticks();
    platform::JoystickInfo caps;
    platform::JoystickState s;
    if (!Info(id, &caps) || !sticks.Read(static_cast<int>(id), &s)) return JOYERR_UNPLUGGED;
    const std::uint32_t f = info->dwFlags;
    // An axis the device lacks reads centred.
    auto axis = [&](int a) {
        return static_cast<std::uint32_t>(
            (a < caps.axes ? s.axes[static_cast<std::size_t>(a)] : 0) + 32768);
    };
    if (f & JOY_RETURNX) info->dwXpos = axis(0);
    if (f & JOY_RETURNY) info->dwYpos = axis(1);
    if (f & JOY_RETURNZ) info->dwZpos = axis(2);
    if (f & JOY_RETURNR) info->dwRpos = axis(3);
    if (f & JOY_RETURNU) info->dwUpos = axis(4);
    if (f & JOY_RETURNV) info->dwVpos = axis(5);
    if (f & JOY_RETURNBUTTONS) {
        const int count = std::clamp(caps.buttons, 0, 32);
        info->dwButtons = count >= 32 ? s.buttons : s.buttons & ((1u << count) - 1);
        info->dwButtonNumber = 0;
        for (std::uint32_t b = info->dwButtons; b != 0; b &= b - 1)
            ++info->dwButtonNumber;
    }
    if (f & JOY_RETURNPOV) info->dwPOV = caps.hats > 0 ? PovOf(s.hats[0]) : JOY_POVCENTERED;
    return JOYERR_NOERROR;
}

bool GetJoystickProductName(std::uint32_t id, std::string* name) {
    platform::JoystickInfo info;
    if (name == nullptr || !Info(id, &info)) return false;
    *name = info.name;
    return true;
}

std::uint32_t JoystickArrivals() {
    return detail::JoystickArrivalCount();
}

}  // namespace win
