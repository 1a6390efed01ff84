// Slew: the aircraft moves freely over the world by six rates instead of by the flight model.
// While slew is on, key dispatch offers every key with the Slew bit first, which reaches the slew
// commands (priority 10, the highest), and the flight step runs SlewControl::Step instead.
#pragma once

#include <cstdint>

#include "sim/input/key_commands.h"

namespace sim {

class SlewControl {
public:
    // The highest fmPosY the slew reaches: 45,000 feet in 1/256 m.
    static constexpr std::int32_t kCeiling = 3511296;

    [[nodiscard]] bool IsActive() const { return active != 0; }
    void SetActive(int on) { active = on != 0 ? 1 : 0; }

    // Key steps; each refuses a step that would leave its range.
    void MoveUp();
    void MoveDown();
    void MoveForward();
    void MoveBackward();
    void MoveRight();
    void MoveLeft();
    void BankLeft();
    void BankRight();
    void PitchUp();
    void PitchDown();
    void YawRight();
    void YawLeft();

    // Joystick rates: taken when in -32767..32767.
    void SetForwardRate(std::int32_t value);
    void SetSideRate(std::int32_t value);
    void SetBankRate(std::int32_t value);
    void SetPitchRate(std::int32_t value);
    void SetYawRate(std::int32_t value);

    void FreezePitch() { pitchRate = 0; }
    void Freeze();
    void ToggleText() { textFlag ^= 1; }

    // One frame of motion; nothing while slew is off.
    void Step();

    std::uint32_t active = 0;
    std::uint32_t textFlag = 1;
    std::uint16_t altJoystick = 0;  // set by the joystick button, cleared by every joystick poll
    std::int16_t verticalRate = 0;
    std::int16_t forwardRate = 0;
    std::int16_t sideRate = 0;
    std::int16_t bankRate = 0;
    std::int16_t pitchRate = 0;
    std::int16_t yawRate = 0;
};

extern SlewControl theSlewControl;

// Wings level, nose level, pointing to magnetic north.
void SlewLevel();

// The 25 slew rows (priority 10).
[[nodiscard]] KeyCommandTable SlewCommands();

// Makes the flight step ask theSlewControl whether it slews, and step it when it does.
void InstallSlewServices();

}  // namespace sim
