#include "devices/engine_sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "devices/beacon_sound.h"
#include "devices/sound_device.h"
#include "devices/sound_services.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "nav/speakers.h"

namespace devices {

std::uint32_t theCrashSoundPending = 0;
std::int16_t theLastWindLevel = 0;
std::int16_t theLastGroundRoll = 0;

namespace {

flight::FlightModelState& Fm() {
    return flight::theFlightModelState;
}

int AircraftType() {
    return flight::theAircraft.GetType();
}

// Whole knots of indicated airspeed.
int Knots() {
    return flight::IndicatedAirspeedWholeKnots();
}

bool Twin(int type) {
    return type >= 2 && type <= 4;
}

SoundChannel& EngineChannel(int engine) {
    return engine == 0 ? theLeftEngineSound : theRightEngineSound;
}
SoundChannel& StarterChannel(int engine) {
    return engine == 0 ? theLeftStarterSound : theRightStarterSound;
}

// The running sound of each type and engine: clip, pan, level, pitch and synchronisation offset.
struct RunningSound {
    int clip;
    int pan;
    int level;
    int frequency;
    int syncOffset;
};
const RunningSound kRunning[5][2] = {
    {{2, 0, -800, 16500, 0}, {0, 0, 0, 0, 0}},
    {{10, 0, -1200, 10500, 0}, {0, 0, 0, 0, 0}},
    {{10, -10000, -1200, 10125, -375}, {10, 10000, -1200, 10875, 375}},
    {{25, -10000, -1200, 14625, -375}, {25, 10000, -1200, 15375, 375}},
    {{19, -10000, -1200, 13000, 0}, {19, 10000, -1200, 13000, 0}},
};

// The spin-down of each type: pitch step and floor, then the stop clip and its level.
struct StopSound {
    int step;
    int floor;
    int clip;
    int level;
};
const StopSound kStop[5] = {
    {-600, 13500, 3, -200}, {-500, 9000, 3, -500}, {-500, 9000, 3, -500},
    {-500, 9000, 26, -500}, {-50, 4000, 18, 0},
};

// The level a running engine's sound has at a pitch: higher pitched, louder.
int RunningLevel(int frequency, int type) {
    const double f = frequency;
    switch (type) {
        case 0:
            return static_cast<int>(f / 31000.0 * 400.0 - 400.0);
        case 4:
            return static_cast<int>(f / 30000.0 * 400.0 - 400.0) - 200;
        default:
            return static_cast<int>(f / 22050.0 * 400.0 - 400.0);
    }
}

// Starts the running sound of an engine; false for a type without engine sounds.
bool PlayRunningSound(int engine, int type) {
    if (type < 0 || type > 4 || (engine == 1 && !Twin(type))) return false;
    const RunningSound& r = kRunning[type][engine];
    SoundChannel& e = EngineChannel(engine);
    e.Play(r.clip, r.pan, r.level, r.frequency, 1, 0);
    e.frequency = r.frequency;
    e.syncOffset = static_cast<std::int16_t>(r.syncOffset);
    if (engine == 0) e.synced = 0;
    return true;
}

void StartEngine(int engine, int type) {
    SoundChannel& starter = StarterChannel(engine);
    if (starter.startRequested == 0) return;
    starter.startRequested = 0;
    flight::theAircraft.SetPropellerRunning(engine);
    if (PlayRunningSound(engine, type)) starter.starting = 1;
}

void SpinDown(int engine, int type) {
    SoundChannel& e = EngineChannel(engine);
    if (e.stopRequested == 0) return;
    const StopSound& s = kStop[std::clamp(type, 0, 4)];
    if (e.LowerFrequency(s.step, s.floor) == 0) return;
    const int pan = Twin(type) ? (engine == 0 ? -10000 : 10000) : 0;
    SoundChannel& starter = StarterChannel(engine);
    starter.Play(s.clip, pan, s.level, 0, 0, 0);
    e.Stop();
    e.Release();
    e.stopRequested = 0;
    e.running = 0;
    starter.running = 0;
}

void FadeIn(int engine, int type) {
    SoundChannel& starter = StarterChannel(engine);
    if (starter.starting == 0) return;
    SoundChannel& e = EngineChannel(engine);
    starter.LowerLevel(-100, -1000);
    const int cap = type == 4 && engine == 0 ? -430 : -200;
    if (e.RaiseLevel(200, cap) == 0) return;
    starter.Release();
    starter.starting = 0;
    starter.running = 1;
    e.running = 1;
}

// Runs a speaker's step; a speaker without its buffer (sound came back) is reopened once.
template <class Reopen>
void Stream(SpeechQueue& q, int useFxVolume, Reopen reopen) {
    const win::HWND w = theSoundDevice.owner;
    if (q.ProcessTheATCqueue(w, useFxVolume) != 0) return;
    reopen(w);
    q.ProcessTheATCqueue(w, useFxVolume);
}

bool Powered() {
    return cockpit::thePanelSwitches.batteryPower != 0 &&
           cockpit::theCockpitSwitches.avionicsMaster != 0;
}

void SetChannelLevel(SoundChannel& c, int newLevel) {
    c.level = newLevel;
    c.ApplyVolume();
}

}  // namespace

// ---- per-step work -----------------------------------------------------------------------------

void PollStarterSounds() {
    for (SoundChannel* s : {&theLeftStarterSound, &theRightStarterSound})
        if (s->starterPlaying != 0) s->PollFinished();
}

void UpdateEngineStartSound() {
    const int type = AircraftType();
    FadeIn(0, type);
    if (Twin(type)) FadeIn(1, type);
}

void UpdateEngineSounds() {
    UpdateStallHorn();
    if (theSoundDevice.active != 0) {
        nav::AtisSpeech& atis = nav::theAtisSpeech;
        if (atis.speaking != 0 && atis.muted == 0)
            Stream(atis, 0, [&](win::HWND w) { atis.Reload(w); });
        if (theBeaconSound.speaking != 0)
            Stream(theBeaconSound, 1, [](win::HWND w) { CreateBeaconResponseBuffer(w); });
        nav::AtcSpeech& atc = nav::theAtcSpeech;
        if (atc.speaking != 0) Stream(atc, 0, [&](win::HWND w) { atc.Reload(w); });
    }
    const int type = AircraftType();
    for (int engine = 0; engine < (Twin(type) ? 2 : 1); ++engine) {
        StartEngine(engine, type);
        SpinDown(engine, type);
    }
}

void UpdateWindAndSyncSounds(win::HWND) {
    if (theSoundSuspended != 0) ResumeSound();
    if (Fm().fmOTG != 0)
        UpdateGroundRollSound();
    else
        UpdateWindSound();
    SyncPropellerSounds();
}

void UpdateSpeechAndBeacons(win::HWND window) {
    if (nav::IsAtcActive()) nav::AtcFrameStep(window);
    if (theSoundDevice.active == 0) return;
    if (theCrashSoundPending != 0 && flight::theCrashed != 0 && Fm().fmVVel == 0 &&
        theAmbientSound.IsPlaying() == 0) {
        // The wreck has come to rest and its sound has ended: sound stays off until the repair.
        SwitchSound(1);
        theCrashSoundPending = 0;
        if (theSoundOffByUser == 0) cockpit::theCrashSuspendedSound = 1;
        return;
    }
    if (nav::theAtisSpeech.atisTuned != 0)
        nav::theAtisSpeech.Tick(window);
    else
        nav::theAtisSpeech.Flush();
    const nav::AtisSpeech& atis = nav::theAtisSpeech;
    const nav::AtcSpeech& atc = nav::theAtcSpeech;
    DuckUnderRadio((atis.atisTuned != 0 && atis.speaking != 0 && atis.muted == 0) ||
                   (atc.speaking != 0 && atc.muted == 0));
    if (theEffectSound.buffer != nullptr) theEffectSound.ReleaseIfStopped();
    if (theSystemsSound.buffer != nullptr) theSystemsSound.ReleaseIfStopped();
    if (Powered()) {
        theBeaconSound.CountSecond(window);
        UpdateMarkerSounds();
    }
}

// ---- engines -----------------------------------------------------------------------------------

void RestartEngineSounds() {
    for (SoundChannel* c :
         {&theLeftEngineSound, &theRightEngineSound, &theLeftStarterSound, &theRightStarterSound}) {
        c->startRequested = c->starting = c->starterPlaying = 0;
        c->stopRequested = 0;
        c->syncPhase = c->synced = 0;
        c->syncOffset = 0;
        c->running = 0;
    }
    const int type = AircraftType();
    for (int engine = 0; engine < 2; ++engine) {
        // An engine that does not run is silent, whatever it played before.
        if ((Fm().fmEngines & (1 << engine)) == 0 || (engine == 1 && !Twin(type))) {
            EngineChannel(engine).Release();
            StarterChannel(engine).Release();
            continue;
        }
        EngineChannel(engine).running = StarterChannel(engine).running = 1;
        if (PlayRunningSound(engine, type)) {
            // An engine that already runs is heard at its running level at once, not at the
            // quiet level a start fades in from; its pitch follows the tachometer next.
            SoundChannel& e = EngineChannel(engine);
            e.lastLevel = RunningLevel(e.frequency, type);
            SetChannelLevel(e, e.lastLevel);
            e.snapToTarget = 1;
            e.forceUpdate = 1;
        }
    }
}

void SilenceEngineSounds() {
    for (SoundChannel* c :
         {&theLeftEngineSound, &theRightEngineSound, &theLeftStarterSound, &theRightStarterSound}) {
        c->startRequested = c->starting = c->starterPlaying = 0;
        c->stopRequested = c->running = 0;
        c->syncPhase = c->synced = 0;
        c->syncOffset = 0;
        c->Release();
    }
    theAmbientSound.Release();
}

void PlayStarterSound(int engine, int clip, int pan, int level) {
    SoundChannel& s = StarterChannel(engine != 0 ? 1 : 0);
    s.startRequested = s.starting = 0;
    s.Play(clip, pan, level, 0, 0, 0);
    s.starterPlaying = 1;
}

void RequestEngineStopSound(int engine) {
    SoundChannel& e = EngineChannel(engine != 0 ? 1 : 0);
    e.stopRequested = 1;
    e.running = 0;
}

void SoundChannel::UpdateEngineFrequency(std::int16_t rpm, int type, int rightEngine) {
    if (theSoundDevice.active == 0 || buffer == nullptr) return;
    const int newLevel = RunningLevel(frequency, type);
    const cockpit::PanelSwitches& sw = cockpit::thePanelSwitches;
    const int ignition = rightEngine != 0 ? sw.ignitionRight : sw.ignitionLeft;
    const bool oneMagneto = ignition == 1 || ignition == 2;
    const double throttle = cockpit::theThrottleLever.lever;
    const double knob = cockpit::theThrottleLever.knob;
    const double prop = cockpit::thePropPitchLever.lever;
    int target;
    switch (type) {
        case 0:
            target = 181 * rpm + 13966;
            if (cockpit::theCockpitSwitches.carbHeatKnob == 0) target -= 2250;
            if (ignition == 1 || ignition == 2) target -= 2250;
            break;
        case 1:
            target =
                static_cast<int>(385 * throttle * 0.67 + 385 * throttle * 0.33 * prop / 31) + 10500;
            if (oneMagneto) target -= 3500;
            break;
        case 2:
            target = static_cast<int>(280 * knob * 0.67 + 280 * knob * 0.33 * prop / 31) +
                     syncOffset + 10500;
            if (oneMagneto) target -= 3500;
            break;
        case 3:
            target = static_cast<int>(150 * knob) + 15000 + syncOffset;
            break;
        default:
            target = 27 * std::max<int>(rpm, 332) + 4036;
            break;
    }
    if (forceUpdate == 0 && std::abs(target - frequency) < 350 &&
        std::abs(newLevel - lastLevel) < 100)
        return;
    forceUpdate = 0;
    if (snapToTarget != 0)
        frequency = target;
    else
        frequency += std::clamp(target - frequency, -350, 350);
    lastLevel = newLevel;
    std::int32_t pan = 0;
    if (win::SUCCEEDED(buffer->GetPan(&pan))) SetPanLevelFrequency(pan, newLevel, frequency);
    snapToTarget = 0;
}

void SyncPropellerSounds() {
    const int type = AircraftType();
    SoundChannel& left = theLeftEngineSound;
    SoundChannel& right = theRightEngineSound;
    if ((type != 2 && type != 3) || cockpit::theCockpitSwitches.propSync == 0 ||
        left.running == 0 || right.running == 0 || left.synced != 0)
        return;
    if (left.syncPhase == 0) {
        SetNewPlayPosition(left, GetCurrentPlayPosition(right));
        left.syncPhase = 1;
        return;
    }
    if (left.frequency < right.frequency) {
        left.frequency += 15;
        left.syncOffset = static_cast<std::int16_t>(left.syncOffset + 15);
        right.frequency -= 15;
        right.syncOffset = static_cast<std::int16_t>(right.syncOffset - 15);
        left.SetFrequency(left.frequency);
        right.SetFrequency(right.frequency);
        return;
    }
    left.frequency = right.frequency;
    left.SetFrequency(left.frequency);
    SetNewPlayPosition(left, GetCurrentPlayPosition(right));
    left.syncOffset = right.syncOffset = 0;
    left.syncPhase = 0;
    left.synced = 1;
    if (const int f = left.GetFrequency(); f != 0) left.frequency = f;
    if (const int f = right.GetFrequency(); f != 0) right.frequency = f;
}

// ---- wind, ground, horn, impacts, markers
// ---------------------------------------------------------

void UpdateWindSound() {
    SoundChannel& a = theAmbientSound;
    const int v = Knots();
    if (a.effectId == 29) a.Stop();
    const int w = std::min(v > 20 ? 5 * (5 * v - 100) : 0, 1500);
    const int x = v > 80 ? 5 * v - 400 : 0;
    const int type = AircraftType();
    int level = w + x - 2500;
    if (type == 3) level = static_cast<int>((w + x) * 0.75) - 2500;
    if (type == 4) level = static_cast<int>((w + x) * 0.5) - 2500;
    level = std::min(level, 0);
    if (v > 40 && a.effectId != 8) a.Play(8, 0, level, 0, 1, 10);
    // Over a running engine small changes of the wind are not heard.
    if ((Fm().fmEngines & 1) == 0 || std::abs(level - theLastWindLevel) > 100) {
        if (a.effectId == 8 && level != theLastWindLevel) SetChannelLevel(a, level);
        theLastWindLevel = static_cast<std::int16_t>(level);
    }
    if (v < 30 && a.effectId == 8) a.Stop();
}

void UpdateGroundRollSound() {
    SoundChannel& a = theAmbientSound;
    const int v = Knots();
    const int type = AircraftType();
    const int level = std::min(30 * v - 2000, type == 3 || type == 4 ? -200 : -100);
    if (v > 8 && a.effectId != 29) a.Play(29, 0, level, 0, 1, 5);
    if (a.effectId == 29) {
        if (100 * v != theLastGroundRoll) {
            a.SetPanLevelFrequency(0, level, 10000 + 100 * v);
        }
        if (v < 5) a.Stop();
    }
    theLastGroundRoll = static_cast<std::int16_t>(std::clamp(100 * v, -32768, 32767));
}

void UpdateStallHorn() {
    SoundChannel& e = theEffectSound;
    if (Fm().fmStallWarning == 0) {
        if (e.effectId == 5) {
            e.Stop();
            e.Release();
        }
        return;
    }
    const bool crashed = flight::theCrashed != 0;
    if (!crashed && e.muted == 0 && theSoundOffByUser == 0 && e.effectId != 5)
        e.Play(5, 0, -300, 0, 1, 0);
    if ((crashed || theSoundOffByUser != 0) && e.effectId == 5) e.Stop();
}

namespace {

// The touchdown's strength: 0 (hard) down to -800 (a kiss), from the sink rate.
int ImpactLevel() {
    const int sink = static_cast<int>((Fm().fmVVel >> 4) * 0.05466666666666666);
    const int d = sink <= 0 ? std::abs(sink) : 0;
    // The flight model keeps no separate impact value: it adds nothing.
    return std::min(std::min(d, 800) - 800, 0);
}

}  // namespace

void PlayTouchdownSound() {
    const int k = ImpactLevel();
    const int f = 25 * Knots();
    if (k > -250)
        theEffectSound.Play(28, 0, k, f + 9000, 0, 5);
    else if (Fm().fmGear != 0)
        theSystemsSound.Play(27, 0, k, f + 8000, 0, 5);
}

void PlayCrashEffect() {
    theAmbientSound.Play(30, 0, ImpactLevel(), 25 * Knots() + 9000, 0, 5);
    theCrashSoundPending = 1;
}

void PlayCrashEffectOnce() {
    if ((theAmbientSound.effectId == 30 && theAmbientSound.IsPlaying() != 0) || Fm().fmVVel == 0)
        return;
    theAmbientSound.Play(30, 0, 0, 0, 0, 5);
    theCrashSoundPending = 1;
}

void UpdateMarkerSounds() {
    if (cockpit::theAudioPanelButtons.audioMixMKR == 0) return;
    const cockpit::MarkerReceiver& m = cockpit::theMarkerReceiver;
    const struct {
        std::int32_t flag;
        int clip;
        int level;
    } kTones[3] = {{m.outer, 21, -200}, {m.middle, 20, -200}, {m.inner, 16, -400}};
    SoundChannel& s = theSystemsSound;
    for (const auto& t : kTones) {
        if (t.flag != 0 && s.effectId != t.clip) {
            s.Play(t.clip, 800, t.level, 0, 1, 0);
        } else if (t.flag == 0 && s.effectId == t.clip) {
            s.Stop();
            s.Release();
        }
    }
}

// ---- the program's calls -----------------------------------------------------------------------

void PlayGearMotorSound() {
    theEffectSound.Play(11, 0, -100, 0, 0, 0);
}

void PlayCommandEffect(EffectChannel channel, int effect, int pan, int volume, int priority) {
    SoundChannel& c = channel == EffectChannel::Avionics ? theSystemsSound : theEffectSound;
    c.Play(effect, pan, volume, 0, 0, priority);
}

void InstallSoundServices() {
    theSoundServices = SoundServices{
        &PlayTouchdownSound,  &PlayCrashEffect, &PlayCrashEffectOnce, &SilenceEngineSounds,
        &RestartEngineSounds, &SwitchSound,     &HoldSounds};
}

void ResetEngineSoundState() {
    for (SoundChannel* c :
         {&theLeftEngineSound, &theRightEngineSound, &theLeftStarterSound, &theRightStarterSound,
          &theSystemsSound, &theEffectSound, &theAmbientSound}) {
        c->Release();
        c->forceUpdate = c->stopRequested = c->muted = c->syncPhase = c->synced = 0;
        c->snapToTarget = c->running = c->startRequested = c->starting = c->starterPlaying = 0;
        c->frequency = c->lastLevel = c->level = c->categoryVolume = 0;
        c->syncOffset = 0;
        c->savedVolume = -100;
        c->priority = 0;
    }
    theCrashSoundPending = 0;
    theLastWindLevel = theLastGroundRoll = 0;
}

}  // namespace devices
