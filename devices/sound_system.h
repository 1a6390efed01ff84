// The sound system as the simulation's spine drives it: opening and closing the device, the
// pause suspension, the per-tick updates and the "Sound" section. Least bodies: they keep the
// open and suspended states so the spine's order can be checked; the sound code fills them.
#pragma once

#include <cstdint>

#include "win/handles.h"

namespace core {
class IniFile;
}

namespace devices {

void InitSound(win::HWND window);
void ShutdownSound();
// Closes the sound while paused and marks it suspended.
void SuspendSound();
[[nodiscard]] bool IsSoundOpen();
[[nodiscard]] bool IsSoundSuspended();

void UpdateEngineStartSound();
void UpdateEngineSounds();
void UpdateWindAndSyncSounds(win::HWND window);
void UpdateSpeechAndBeacons(win::HWND window);

// After the sound dialog every channel takes its stored level again: the two speech queues and
// the seven effect channels.
void ReapplySoundLevels();

int LoadSoundSettings(core::IniFile& file);
int SaveSoundSettings(core::IniFile& file);

// The joystick as the world owns it: detection, the in-use flag and the per-step poll.
class Joystick {
public:
    // Non-zero when a joystick was found; none is, until the input devices exist.
    int Detect(win::HWND window);
    void Poll();
    void LoadSensitivity() {}
    [[nodiscard]] bool IsPresent() const { return present; }
    [[nodiscard]] bool IsInUse() const { return inUse; }
    void SetInUse(bool on) { inUse = on && present; }
    std::uint32_t polls = 0;

private:
    bool present = false;
    bool inUse = false;
};

}  // namespace devices
