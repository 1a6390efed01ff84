// The sound of the flight: starters, running engines whose pitch follows the RPM, spin-downs and
// stop clips, the twins' propeller synchronisation, wind and ground roll from the airspeed, the
// stall horn, touchdowns, the crash, marker tones, and the periodic driving of the speakers. Each
// step runs at its own rate of the simulation clock.
//
// The cockpit owns the engines: its start and stop sequences decide when an engine runs (the
// flight model's engine bits). This code plays the clips that go with the cockpit's requests — a
// starter, then the running sound fading in, then a spin-down and the stop clip — and sets no
// engine bit.
#pragma once

#include <cstdint>

#include "devices/sound_services.h"
#include "win/handles.h"

namespace devices {

// Every flight step: a starter clip that has ended asks for the running sound.
void PollStarterSounds();
// Every 2nd tick: the running sound of a starting engine fades in, the starter fades out.
void UpdateEngineStartSound();
// Every 3rd tick: the stall horn, the speakers' streaming, engine starts and spin-downs.
void UpdateEngineSounds();
// Every 6th tick: back from a pause, wind or ground roll, propeller synchronisation.
void UpdateWindAndSyncSounds(win::HWND window);
// Every 18th tick: the ATC step, the crash's end, the ATIS, finished effects, Morse idents and
// marker tones.
void UpdateSpeechAndBeacons(win::HWND window);

// The routines behind sound_services.h (StartEngineSounds, StopEngineSounds, PlayImpactSound,
// PlayCrashSound, PlayCrashSoundOnce); InstallSoundServices puts them there, with SwitchSound
// and the command services' effects.
void RestartEngineSounds();
void SilenceEngineSounds();
void PlayTouchdownSound();
void PlayCrashEffect();
void PlayCrashEffectOnce();
void InstallSoundServices();

// What the cockpit's switches and engine sequences play. engine 0 is the left (or only) one.
void PlayStarterSound(int engine, int clip, int pan, int level);
void RequestEngineStopSound(int engine);
void PlayGearMotorSound();
void PlayCommandEffect(EffectChannel channel, int effect, int pan, int volume, int priority);

// The steps inside the periodic ones, for tests.
void UpdateStallHorn();
void UpdateWindSound();
void UpdateGroundRollSound();
void SyncPropellerSounds();
void UpdateMarkerSounds();

// Set by the crash sound until the crash has come to rest and sound was shut down.
extern std::uint32_t theCrashSoundPending;
// Remembered between steps.
extern std::int16_t theLastWindLevel;
extern std::int16_t theLastGroundRoll;

// Puts the engine-sound state of the seven channels and the values above back to their start
// (tests).
void ResetEngineSoundState();

}  // namespace devices
