#include "devices/sound_system.h"

#include "core/ini_file.h"
#include "win/handles.h"

namespace devices {

namespace {
bool theSoundOpen = false;
bool theSoundSuspended = false;
}  // namespace

void InitSound(win::HWND) {
    theSoundOpen = true;
    theSoundSuspended = false;
}

void ShutdownSound() {
    theSoundOpen = false;
}

void SuspendSound() {
    theSoundOpen = false;
    theSoundSuspended = true;
}

bool IsSoundOpen() {
    return theSoundOpen;
}

bool IsSoundSuspended() {
    return theSoundSuspended;
}

void UpdateEngineStartSound() {}
void UpdateEngineSounds() {}
void UpdateWindAndSyncSounds(win::HWND) {}

void UpdateSpeechAndBeacons(win::HWND) {
    // Resuming after a pause is the sound code's own per-frame work.
    if (theSoundSuspended) {
        theSoundSuspended = false;
        theSoundOpen = true;
    }
}

// No channel plays yet, so there is no level to give back.
void ReapplySoundLevels() {}

int LoadSoundSettings(core::IniFile&) {
    return 1;
}

int SaveSoundSettings(core::IniFile&) {
    return 1;
}

int Joystick::Detect(win::HWND) {
    present = false;
    return 0;
}

void Joystick::Poll() {
    ++polls;
}

}  // namespace devices
