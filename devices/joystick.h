// The world's joystick: one stick read through the multimedia joystick calls and turned into
// flight controls. Aileron, elevator and rudder get a dead zone and a sensitivity curve (the
// lower the sensitivity, the gentler the response near the centre), the third axis is the
// throttle lever, slew mode takes rates instead, and buttons and hat directions become key codes
// (0x101..0x120, 0x200..0x207) that run their bound commands. Settings live in section
// "Joysticks"; button bindings in "joystick.ini" and the settings file, in a section named after
// the stick's product name.
#pragma once

#include <cstdint>
#include <string>

#include "core/ini_file.h"
#include "win/handles.h"
#include "win/joystick.h"

namespace devices {

class Joystick {
public:
    Joystick() = default;
    ~Joystick();
    Joystick(const Joystick&) = delete;
    Joystick& operator=(const Joystick&) = delete;

    // Looks for a stick: the id in "Device" first, then every id. On success loads the settings
    // and bindings and starts force feedback; writes "Device" (-1 when none). The write's result.
    int Detect(win::HWND window);
    // Capabilities, bindings, axis centres and ranges, and the "Joysticks" keys.
    void LoadSensitivity();
    // The "Joysticks" keys alone: the sensitivity and dead-zone ranges and values.
    void LoadSettings();
    // Once per flight step while found and in use.
    void Poll();
    void UpdateForces();

    // Percentages 0..100 of the sensitivity and dead-zone ranges (the control dialog's scale).
    [[nodiscard]] int GetAileronSensitivity() const;
    [[nodiscard]] int GetElevatorSensitivity() const;
    [[nodiscard]] int GetRudderSensitivity() const;
    void SetAileronSensitivity(int percent);
    void SetElevatorSensitivity(int percent);
    void SetRudderSensitivity(int percent);
    [[nodiscard]] int GetDeadZone() const;
    void SetDeadZone(int percent);

    // The world's view: a stick was found; joystick input is on.
    [[nodiscard]] bool IsPresent() const { return found != 0; }
    [[nodiscard]] bool IsInUse() const { return inUse != 0; }
    // The user's choice of flying with the stick, kept while no stick answers.
    [[nodiscard]] bool IsWanted() const { return wanted != 0; }
    // Joystick input on or off. On is kept as the user's wish even without a stick, so that a
    // stick plugged in later is taken at once.
    void SetInUse(bool on);
    // Every flight step: a stick that arrived while joystick input is wanted and none answers is
    // detected and put in use.
    void CheckArrival(win::HWND window);

    win::JOYINFOEX info;
    win::JOYCAPS caps;
    std::uint32_t found = 0;
    std::uint32_t inUse = 0;
    std::uint32_t deviceId = 0;
    double aileronSensitivity = 0;
    double elevatorSensitivity = 0;
    double rudderSensitivity = 0;
    std::int16_t aileronMin = 0, aileronMax = 0;
    std::int16_t elevatorMin = 0, elevatorMax = 0;
    std::int16_t rudderMin = 0, rudderMax = 0;
    std::int16_t deadZoneMin = 0, deadZoneMax = 0;
    std::int32_t deadZone = 0;
    std::uint32_t lastButtons = 0;
    std::uint32_t lastPov = 0;
    std::int32_t xCentre = 0, xRange = 0;
    std::int32_t yCentre = 0, yRange = 0;
    std::int32_t zCentre = 0, zRange = 0;
    std::int32_t rCentre = 0, rRange = 0;

private:
    // The output of one axis for its sensitivity percent and gain, and the signed distance past
    // the dead zone with its fraction of the travel.
    struct AxisReading {
        std::int32_t d = 0;
        double frac = 0;
        std::int16_t output = 0;
    };
    [[nodiscard]] AxisReading ReadAxis(std::uint32_t position, std::int32_t centre,
                                       std::int32_t range, int sensitivityPercent,
                                       double gain) const;
    void DispatchButtons(std::uint32_t buttons);
    void DispatchHat(std::uint32_t pov);

    std::uint32_t wanted = 0;
    std::uint32_t arrivalsSeen = 0;
};

// The joystick file of the installation: its sections hold each stick's button bindings.
extern core::IniFile theJoystickIniFile;

// The stick's product name ("Generic" when its capabilities cannot be read, "Generic N-button"
// when it reports no name); the section of its bindings.
const char* GetJoystickOEMName(std::uint32_t id);

// Runs the joystick control panel; the first call (at world start) only arms it.
void OpenJoystickControlPanel(win::HWND window);

}  // namespace devices
