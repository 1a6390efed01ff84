// What the stick and its forces ask of the spine; the world installs its own at start-up. The
// defaults describe no key tables, no slewing and an untrimmed aircraft.
#pragma once

#include <cstdint>

namespace devices {

// The slew rates the stick sets while the aircraft slews.
enum class SlewRate { kForward, kSide, kBank, kPitch, kYaw };

struct DeviceHostServices {
    // The stick's button bindings: read from a settings file's section for the stick's name,
    // or written to it.
    void (*loadStickBindings)(const char* iniPath, const char* stickName);
    void (*saveStickBindings)(const char* iniPath, const char* stickName);
    // Key codes of the stick's buttons and hat run as keys do; whether the command run last
    // repeats while its key is held.
    void (*dispatchKey)(std::uint32_t code);
    int (*keyRepeats)();
    // Slewing: whether it is on, whether the stick works its alternate axes (set by a button,
    // cleared by every poll), and the rates the stick's axes set.
    int (*slewing)();
    int (*slewAlternateAxes)();
    void (*clearSlewAlternateAxes)();
    void (*setSlewRate)(SlewRate which, std::int32_t value);
    // The stick's elevator: the elevator input eases a quarter of the way to it and the
    // elevator follows.
    void (*easeElevator)(std::int16_t stick);
    // The aileron trim the stick's forces centre on.
    std::int16_t (*aileronTrim)();
};
extern DeviceHostServices theDeviceHost;
[[nodiscard]] DeviceHostServices DefaultDeviceHostServices();

}  // namespace devices
