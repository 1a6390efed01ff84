// The sound calls the flight model and the aircraft make. The sound subsystem installs its
// routines here; until then they do nothing.
#pragma once

#include <cstdint>

namespace devices {

// The sound channels a command of the keyboard or the panel plays an effect on.
enum class EffectChannel { PanelClick, Avionics, Flap };

struct SoundServices {
    void (*playImpactSound)();
    void (*playCrashSound)();
    void (*playCrashSoundOnce)();
    void (*stopEngineSounds)();
    void (*startEngineSounds)();
    void (*setSoundSuspended)(int suspend);
};

extern SoundServices theSoundServices;
[[nodiscard]] SoundServices SilentSoundServices();

inline void PlayImpactSound() {
    theSoundServices.playImpactSound();
}
inline void PlayCrashSound() {
    theSoundServices.playCrashSound();
}
inline void PlayCrashSoundOnce() {
    theSoundServices.playCrashSoundOnce();
}
inline void StopEngineSounds() {
    theSoundServices.stopEngineSounds();
}
inline void StartEngineSounds() {
    theSoundServices.startEngineSounds();
}
inline void SetSoundSuspended(int suspend) {
    theSoundServices.setSoundSuspended(suspend);
}

}  // namespace devices
