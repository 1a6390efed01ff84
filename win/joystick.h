// The multimedia joystick calls over the machine's sticks and game controllers: a joystick id is
// the index of a device plugged in now, positions come as unsigned axis values 0..65535 (centred
// near 32768), buttons as a bit mask and the hat as a direction in hundredths of a degree.
#pragma once

#include <cstdint>
#include <string>

namespace win {

inline constexpr std::uint32_t JOYERR_NOERROR = 0;
inline constexpr std::uint32_t MMSYSERR_BADDEVICEID = 2;
inline constexpr std::uint32_t MMSYSERR_NODRIVER = 6;
inline constexpr std::uint32_t MMSYSERR_INVALPARAM = 11;
inline constexpr std::uint32_t JOYERR_PARMS = 165;
inline constexpr std::uint32_t JOYERR_NOCANDO = 166;
inline constexpr std::uint32_t JOYERR_UNPLUGGED = 167;

inline constexpr std::uint32_t JOYSTICKID1 = 0;
inline constexpr std::uint32_t JOYSTICKID2 = 1;

// What joyGetPosEx fills.
inline constexpr std::uint32_t JOY_RETURNX = 0x01;
inline constexpr std::uint32_t JOY_RETURNY = 0x02;
inline constexpr std::uint32_t JOY_RETURNZ = 0x04;
inline constexpr std::uint32_t JOY_RETURNR = 0x08;
inline constexpr std::uint32_t JOY_RETURNU = 0x10;
inline constexpr std::uint32_t JOY_RETURNV = 0x20;
inline constexpr std::uint32_t JOY_RETURNPOV = 0x40;
inline constexpr std::uint32_t JOY_RETURNBUTTONS = 0x80;
inline constexpr std::uint32_t JOY_RETURNALL = 0xFF;

// Capability bits.
inline constexpr std::uint32_t JOYCAPS_HASZ = 0x01;
inline constexpr std::uint32_t JOYCAPS_HASR = 0x02;
inline constexpr std::uint32_t JOYCAPS_HASU = 0x04;
inline constexpr std::uint32_t JOYCAPS_HASV = 0x08;
inline constexpr std::uint32_t JOYCAPS_HASPOV = 0x10;
inline constexpr std::uint32_t JOYCAPS_POV4DIR = 0x20;
inline constexpr std::uint32_t JOYCAPS_POVCTS = 0x40;

// Hat directions in hundredths of a degree, clockwise from forward.
inline constexpr std::uint32_t JOY_POVCENTERED = 0xFFFF;
inline constexpr std::uint32_t JOY_POVFORWARD = 0;
inline constexpr std::uint32_t JOY_POVRIGHT = 9000;
inline constexpr std::uint32_t JOY_POVBACKWARD = 18000;
inline constexpr std::uint32_t JOY_POVLEFT = 27000;

// Slots the driver offers; ids at or above the number of plugged devices answer "unplugged".
inline constexpr std::uint32_t kJoystickSlots = 16;

// The capabilities record (404 bytes where the interface defines it).
struct JOYCAPS {
    std::uint16_t wMid = 0;
    std::uint16_t wPid = 0;
    char szPname[32] = {};
    std::uint32_t wXmin = 0, wXmax = 0;
    std::uint32_t wYmin = 0, wYmax = 0;
    std::uint32_t wZmin = 0, wZmax = 0;
    std::uint32_t wNumButtons = 0;
    std::uint32_t wPeriodMin = 0, wPeriodMax = 0;
    std::uint32_t wRmin = 0, wRmax = 0;
    std::uint32_t wUmin = 0, wUmax = 0;
    std::uint32_t wVmin = 0, wVmax = 0;
    std::uint32_t wCaps = 0;
    std::uint32_t wMaxAxes = 0;
    std::uint32_t wNumAxes = 0;
    std::uint32_t wMaxButtons = 0;
    char szRegKey[32] = {};
    char szOEMVxD[260] = {};
};
inline constexpr std::uint32_t kJoyCapsSize = 404;

// The position record (52 bytes; dwSize must say so).
struct JOYINFOEX {
    std::uint32_t dwSize = 52;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwXpos = 0;
    std::uint32_t dwYpos = 0;
    std::uint32_t dwZpos = 0;
    std::uint32_t dwRpos = 0;
    std::uint32_t dwUpos = 0;
    std::uint32_t dwVpos = 0;
    std::uint32_t dwButtons = 0;
    std::uint32_t dwButtonNumber = 0;
    std::uint32_t dwPOV = 0;
    std::uint32_t dwReserved1 = 0;
    std::uint32_t dwReserved2 = 0;
};
inline constexpr std::uint32_t kJoyInfoExSize = 52;

std::uint32_t joyGetNumDevs();
// `size` must be kJoyCapsSize.
std::uint32_t joyGetDevCaps(std::uint32_t id, JOYCAPS* caps, std::uint32_t size);
std::uint32_t joyGetPosEx(std::uint32_t id, JOYINFOEX* info);

// The product name the device reports (the registry of the original platform does not exist);
// false when no device has the id.
bool GetJoystickProductName(std::uint32_t id, std::string* name);
// How many times a stick arrived since the program started, so that a program can look for a
// stick again when one is plugged in.
[[nodiscard]] std::uint32_t JoystickArrivals();

}  // namespace win
