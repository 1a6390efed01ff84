#include "devices/sound_device.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "core/ini_file.h"
#include "core/numeric.h"
#include "core/resource_volume.h"
#include "devices/beacon_sound.h"
#include "devices/engine_sounds.h"
#include "devices/sound_services.h"
#include "devices/speech_queue.h"
#include "devices/wave.h"
#include "flight/flight_model_state.h"
#include "nav/speakers.h"
#include "ui/dialog_services.h"
#include "win/timing.h"

namespace devices {

SoundDevice theSoundDevice;
SoundChannel theLeftEngineSound;
SoundChannel theRightEngineSound;
SoundChannel theLeftStarterSound;
SoundChannel theRightStarterSound;
SoundChannel theSystemsSound;
SoundChannel theEffectSound;
SoundChannel theAmbientSound;
core::ResourceVolume& theSoundFxVolume = core::theSoundEffectsVolume;

std::uint32_t theSoundSuspended = 0;
std::uint32_t theSoundOffByUser = 0;
std::uint32_t theEnginesMuted = 0;
std::uint32_t theAtcMuted = 0;
std::uint32_t theEffectsMuted = 0;

namespace {

win::HWND theSoundWindow;

SoundChannel* const kChannels[7] = {
    &theLeftEngineSound, &theRightEngineSound, &theLeftStarterSound, &theRightStarterSound,
    &theSystemsSound,    &theEffectSound,      &theAmbientSound};

void Tell(const char* text) {
    ui::ShowMessageBox(theSoundDevice.owner, text, ui::MB_OK);
}

bool Active() {
    return theSoundDevice.active != 0;
}

}  // namespace

std::int32_t ClampVolume(std::int32_t volume) {
    return std::clamp(volume, win::DSBVOLUME_MIN, win::DSBVOLUME_MAX);
}

win::HWND SoundOwnerWindow() {
    return theSoundWindow;
}

// ---- the device --------------------------------------------------------------------------------

int SoundDevice::Open(win::HWND window) {
    if (active != 0) return 1;
    owner = window;
    if (core::theIniFile.GetInt("Sound", "Enabled", 1) == 0) return 0;
    library = win::LoadDirectSoundLibrary();
    if (library == nullptr) return 0;
    if (library->DirectSoundCreate == nullptr) {
        win::FreeDirectSoundLibrary();
        library = nullptr;
        return 0;
    }
    if (win::FAILED(library->DirectSoundCreate(nullptr, &directSound, nullptr)) ||
        directSound == nullptr) {
        directSound = nullptr;
        Close();
        return 0;
    }
    if (win::FAILED(directSound->SetCooperativeLevel(owner, win::DSSCL_PRIORITY))) {
        Close();
        return 0;
    }
    active = 1;
    if (CreatePrimaryBuffer() == 0) {
        Tell("Failed to create primary buffer!");
    } else if (SetPrimaryFormat(11025) == 0) {
        Tell("Unable to set format of primary buffer!");
    }
    return 1;
}

int SoundDevice::CreatePrimaryBuffer() {
    if (directSound == nullptr) return 0;
    win::DSBUFFERDESC d;
    d.dwFlags = win::DSBCAPS_PRIMARYBUFFER;
    if (win::FAILED(directSound->CreateSoundBuffer(&d, &primary, nullptr)) || primary == nullptr) {
        primary = nullptr;
        return 0;
    }
    primaryReady = 1;
    return 1;
}

int SoundDevice::SetPrimaryFormat(int rate) {
    if (primary == nullptr || (rate != 11025 && rate != 22050)) return 0;
    win::WAVEFORMATEX f;
    f.wFormatTag = win::WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.wBitsPerSample = 8;
    f.nSamplesPerSec = static_cast<std::uint32_t>(rate);
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return win::SUCCEEDED(primary->SetFormat(&f)) ? 1 : 0;
}

int SoundDevice::CreateBuffer(const win::DSBUFFERDESC& description, win::DirectSoundBuffer** out) {
    if (directSound == nullptr || out == nullptr) return 0;
    return win::SUCCEEDED(directSound->CreateSoundBuffer(&description, out, nullptr)) ? 1 : 0;
}

void SoundDevice::Close() {
    active = 0;
    if (primary != nullptr) primary->Release();
    primary = nullptr;
    primaryReady = 0;
    if (directSound != nullptr) directSound->Release();
    directSound = nullptr;
    if (library != nullptr) win::FreeDirectSoundLibrary();
    library = nullptr;
}

// ---- channels ----------------------------------------------------------------------------------

SoundChannel::~SoundChannel() {
    // The device may be gone at exit; the buffer object is ours either way.
    if (buffer != nullptr) buffer->Release();
    buffer = nullptr;
}

std::int32_t SoundChannel::EffectiveVolume() const {
    return muted != 0 ? win::DSBVOLUME_MIN : ClampVolume(categoryVolume + level + duck);
}

void SoundChannel::ApplyVolume() {
    if (buffer == nullptr) return;
    if (muted != 0) savedVolume = categoryVolume + level + duck;
    buffer->SetVolume(EffectiveVolume());
}

void DuckUnderRadio(bool speaking) {
    const std::int32_t duck = speaking ? kRadioDuck : 0;
    for (SoundChannel* c : {&theLeftEngineSound, &theRightEngineSound, &theLeftStarterSound,
                            &theRightStarterSound, &theAmbientSound}) {
        if (c->duck == duck) continue;
        c->duck = duck;
        if (Active()) c->ApplyVolume();
    }
}

int SoundChannel::Play(int id, int pan, int newLevel, int newFrequency, int loop, int newPriority,
                       int) {
    if (!Active()) return 1;
    // One-shot sounds are skipped while muted; looping ones start silent.
    if (muted != 0 && loop == 0) return 1;
    if (buffer != nullptr) {
        if (IsPlaying() != 0 && priority < newPriority) return 0;
        Release();
    }
    std::unique_ptr<CWave> clip = theSoundFxVolume.LoadWave(id);
    win::WAVEFORMATEX format;
    if (!clip || clip->GetFormat(&format) == 0 || clip->GetDataSize() == 0) return 0;
    lockedBytes = bufferBytes = clip->GetDataSize();
    win::DSBUFFERDESC d;
    d.dwFlags = win::DSBCAPS_STATIC | win::DSBCAPS_CTRLDEFAULT;
    d.dwBufferBytes = bufferBytes;
    d.lpwfxFormat = &format;
    if (theSoundDevice.CreateBuffer(d, &buffer) == 0 || buffer == nullptr) {
        buffer = nullptr;
        return 0;
    }
    bufferPresent = 1;
    void* part1 = nullptr;
    void* part2 = nullptr;
    std::uint32_t bytes1 = 0;
    std::uint32_t bytes2 = 0;
    if (win::FAILED(buffer->Lock(0, bufferBytes, &part1, &bytes1, &part2, &bytes2, 0))) return 0;
    clip->ReadDataSplit(static_cast<std::uint8_t*>(part1), static_cast<std::uint8_t*>(part2),
                        bytes1, bytes2);
    if (win::FAILED(buffer->Unlock(part1, bytes1, part2, bytes2))) return 0;
    buffer->SetPan(pan);
    level = newLevel;
    ApplyVolume();
    buffer->SetFrequency(static_cast<std::uint32_t>(std::max(newFrequency, 0)));
    buffer->Play(0, 0, loop != 0 ? win::DSBPLAY_LOOPING : 0);
    effectId = static_cast<std::uint16_t>(id);
    priority = static_cast<std::int16_t>(newPriority);
    return 1;
}

void SoundChannel::Stop() {
    if (!Active() || buffer == nullptr) return;
    std::uint32_t status = 0;
    if (win::SUCCEEDED(buffer->GetStatus(&status)) && (status & win::DSBSTATUS_PLAYING))
        buffer->Stop();
    effectId = 0;
}

void SoundChannel::Release() {
    if (buffer != nullptr) {
        if (Active()) Stop();
        buffer->Release();
    }
    buffer = nullptr;
    bufferPresent = 0;
    effectId = 0;
}

void SoundChannel::ReleaseIfStopped() {
    if (!Active() || buffer == nullptr) return;
    if (IsPlaying() == 0) Release();
}

void SoundChannel::PollFinished() {
    bool done = !Active() || buffer == nullptr || IsPlaying() == 0;
    if (!done) {
        std::uint32_t play = 0;
        if (win::SUCCEEDED(buffer->GetCurrentPosition(&play, nullptr)) &&
            static_cast<std::int64_t>(play) >= static_cast<std::int64_t>(bufferBytes) - 10000)
            done = true;
    }
    if (!done) return;
    starterPlaying = 0;
    startRequested = 1;
}

int SoundChannel::SetPanLevelFrequency(int pan, int newLevel, int newFrequency) {
    if (!Active() || buffer == nullptr) return 0;
    buffer->SetPan(pan);
    level = newLevel;
    ApplyVolume();
    return SetFrequency(newFrequency);
}

int SoundChannel::SetFrequency(int f) {
    if (!Active() || buffer == nullptr) return 0;
    // The card takes 100..100000 samples a second; 0 is the clip's own rate.
    const std::uint32_t hz = f <= 0 ? 0u : static_cast<std::uint32_t>(std::clamp(f, 100, 100000));
    return win::SUCCEEDED(buffer->SetFrequency(hz)) ? 1 : 0;
}

int SoundChannel::GetFrequency() {
    if (!Active() || buffer == nullptr) return 0;
    std::uint32_t f = 0;
    return win::SUCCEEDED(buffer->GetFrequency(&f)) ? static_cast<int>(f) : 0;
}

int SoundChannel::RaiseLevel(int step, int maximum) {
    if (!Active() || buffer == nullptr) return 1;
    if (IsPlaying() == 0) return 0;
    level += step;
    const bool capped = level >= maximum;
    if (capped) level = maximum;
    ApplyVolume();
    return capped ? 1 : 0;
}

int SoundChannel::LowerLevel(int step, int minimum) {
    if (!Active() || buffer == nullptr || IsPlaying() == 0) return 0;
    // Callers give the step with either sign; the level always goes down.
    level -= std::abs(step);
    const bool floored = level <= minimum;
    if (floored) level = minimum;
    ApplyVolume();
    return floored ? 1 : 0;
}

int SoundChannel::LowerFrequency(int step, int floor) {
    if (!Active() || buffer == nullptr || IsPlaying() == 0) return 1;
    const int f = GetFrequency();
    if (f == 0) return 1;
    const int next = f + step;
    // A step past zero is below every floor (compared unsigned it would read as a huge pitch).
    if (next < 0 || static_cast<std::uint32_t>(next) < static_cast<std::uint32_t>(floor)) {
        SetFrequency(floor);
        return 1;
    }
    SetFrequency(next);
    return 0;
}

void SoundChannel::SetMute(int on) {
    MuteBuffer(buffer, on, &muted, &savedVolume);
}

void MuteBuffer(win::DirectSoundBuffer* buffer, int on, std::uint32_t* muted,
                std::int32_t* savedVolume) {
    if (!Active() || buffer == nullptr) {
        *muted = on != 0 ? 1 : 0;
        return;
    }
    if (on != 0) {
        std::int32_t v = -100;
        if (win::FAILED(buffer->GetVolume(&v))) v = -100;
        *savedVolume = v;
        buffer->SetVolume(win::DSBVOLUME_MIN);
        *muted = 1;
    } else {
        *muted = 0;
        buffer->SetVolume(ClampVolume(*savedVolume));
    }
}

void SoundChannel::SetLevel(int volume) {
    if (!Active() || buffer == nullptr || IsPlaying() == 0) return;
    categoryVolume = volume;
    ApplyVolume();
}

int SoundChannel::IsPlaying() {
    return bufferPresent == 0 ? 0 : BufferPlays(buffer);
}

int BufferPlays(win::DirectSoundBuffer* buffer) {
    std::uint32_t status = 0;
    return buffer != nullptr && win::SUCCEEDED(buffer->GetStatus(&status)) &&
                   (status & win::DSBSTATUS_PLAYING)
               ? 1
               : 0;
}

int SoundChannel::RestoreBuffer() {
    if (!Active() || buffer == nullptr) return 0;
    return win::SUCCEEDED(buffer->Restore()) ? 1 : 0;
}

void SoundChannel::SetFolder(const char* folderName, const char* name) {
    folder = std::string(folderName != nullptr ? folderName : "") + (name != nullptr ? name : "");
}

void SetNewPlayPosition(SoundChannel& channel, std::uint32_t offset) {
    if (!Active() || channel.buffer == nullptr) return;
    if (win::FAILED(channel.buffer->SetCurrentPosition(offset)))
        Tell("Error from SetCurrentPosition in SetNewPlayPosition.");
}

std::uint32_t GetCurrentPlayPosition(SoundChannel& channel) {
    if (!Active() || channel.IsPlaying() == 0) return 0;
    std::uint32_t play = 0;
    if (win::FAILED(channel.buffer->GetCurrentPosition(&play, nullptr))) {
        Tell("Error from GetCurrentPosition in GetCurrentPlayPosition.");
        return 0;
    }
    return play;
}

// ---- sound as a whole --------------------------------------------------------------------------

namespace {

// The running engines' sounds begin again at the levels they had.
void RestoreEngineSounds() {
    if ((flight::theFlightModelState.fmEngines & 3) == 0) return;
    const std::int32_t left = theLeftEngineSound.level;
    const std::int32_t right = theRightEngineSound.level;
    StartEngineSounds();
    theLeftEngineSound.level = left;
    theRightEngineSound.level = right;
    theLeftEngineSound.ApplyVolume();
    theRightEngineSound.ApplyVolume();
    theLeftEngineSound.forceUpdate = theRightEngineSound.forceUpdate = 1;
}

// Every speaker and channel lets its sound go, and a stopping engine has stopped; the clips are
// read afresh.
void ReleaseSounds() {
    nav::theAtisSpeech.Close();
    nav::theAtcSpeech.Close();
    theBeaconSound.Close();
    for (SoundChannel* c : kChannels)
        c->Release();
    for (SoundChannel* engine : {&theLeftEngineSound, &theRightEngineSound}) {
        if (engine->stopRequested == 0) continue;
        engine->stopRequested = 0;
        engine->running = 0;
        (engine == &theLeftEngineSound ? theLeftStarterSound : theRightStarterSound).running = 0;
    }
    ForgetCachedClips();
}

}  // namespace

int InitSound(win::HWND owner) {
    if (owner) theSoundWindow = owner;
    InstallSoundServices();
    const int opened = theSoundDevice.Open(owner);
    core::srand(win::timeGetTime());
    for (SoundChannel* c : kChannels)
        c->folder = kSoundFxFolder;
    if (opened == 0) return 0;
    RestoreEngineSounds();
    return 1;
}

void ShutdownSound() {
    ReleaseSounds();
    theSoundDevice.Close();
}

void HoldSounds(int hold) {
    if (hold != 0) {
        ReleaseSounds();
    } else if (IsSoundOpen()) {
        // The random numbers start afresh with the new aircraft, as when the card opens.
        core::srand(win::timeGetTime());
        RestoreEngineSounds();
    } else {
        // Closed while held (or before): opened as a resumed flight opens it.
        SwitchSound(0);
    }
}

void SwitchSound(int off) {
    // Sound the user turned off stays off whatever else asks for it back (a new aircraft, a
    // loaded flight).
    if (off == 0 && theSoundOffByUser == 0)
        InitSound(theSoundWindow);
    else if (off != 0)
        ShutdownSound();
}

void SuspendSound() {
    if (theSoundOffByUser != 0) return;
    ShutdownSound();
    theSoundSuspended = 1;
}

void ResumeSound() {
    if (theSoundOffByUser != 0) return;
    InitSound(theSoundWindow);
    theSoundSuspended = 0;
}

bool IsSoundOpen() {
    return theSoundDevice.active != 0;
}

bool IsSoundSuspended() {
    return theSoundSuspended != 0;
}

// ---- settings ----------------------------------------------------------------------------------

namespace {

// Volumes as the sound dialog stores them (-10000..0), and the 100 of a fresh installation.
std::int32_t VolumeKey(core::IniFile& file, const char* key) {
    return std::clamp(file.GetInt("Sound", key, 100), win::DSBVOLUME_MIN, 100);
}
std::uint32_t FlagKey(core::IniFile& file, const char* key) {
    return file.GetInt("Sound", key, 0) != 0 ? 1 : 0;
}

}  // namespace

int LoadSoundSettings(core::IniFile& file) {
    theAtcMuted = FlagKey(file, "atcMute");
    nav::theAtisSpeech.SetMute(static_cast<int>(theAtcMuted));
    nav::theAtcSpeech.SetMute(static_cast<int>(theAtcMuted));
    const std::int32_t atc = VolumeKey(file, "atcVol");
    nav::theAtisSpeech.volume = nav::theAtcSpeech.volume = atc;

    theEffectsMuted = FlagKey(file, "effMute");
    theEffectSound.SetMute(static_cast<int>(theEffectsMuted));
    theSystemsSound.SetMute(static_cast<int>(theEffectsMuted));
    const std::int32_t effects = VolumeKey(file, "effVol");
    theEffectSound.categoryVolume = theSystemsSound.categoryVolume = effects;

    theEnginesMuted = FlagKey(file, "engMute");
    const std::int32_t engines = VolumeKey(file, "engVol");
    for (SoundChannel* c : {&theLeftStarterSound, &theRightStarterSound, &theLeftEngineSound,
                            &theRightEngineSound, &theAmbientSound}) {
        c->muted = theEnginesMuted;
        c->SetMute(static_cast<int>(theEnginesMuted));
        c->categoryVolume = engines;
    }
    // A frequency outside what the card takes is no remembered pitch.
    const std::int32_t frequency = file.GetInt("Sound", "engLeftPrevFreq", 0);
    theLeftEngineSound.frequency = frequency >= 100 && frequency <= 100000 ? frequency : 0;
    theLeftEngineSound.lastLevel = ClampVolume(file.GetInt("Sound", "engLeftPrevVol", 0));
    // Sound turned off stays off from one session to the next: the card is closed as the
    // dialog's box would close it.
    const std::uint32_t off = FlagKey(file, "soundOff");
    if (off != theSoundOffByUser) {
        theSoundOffByUser = off;
        SwitchSound(static_cast<int>(off));
    }
    return 1;
}

int SaveSoundSettings(core::IniFile& file) {
    int ok = 1;
    ok &= file.PutInt("Sound", "atcMute", static_cast<std::int32_t>(theAtcMuted));
    ok &= file.PutInt("Sound", "atcVol", nav::theAtisSpeech.volume);
    ok &= file.PutInt("Sound", "effMute", static_cast<std::int32_t>(theEffectsMuted));
    ok &= file.PutInt("Sound", "effVol", theEffectSound.categoryVolume);
    ok &= file.PutInt("Sound", "engMute", static_cast<std::int32_t>(theEnginesMuted));
    ok &= file.PutInt("Sound", "engVol", theLeftStarterSound.categoryVolume);
    ok &= file.PutInt("Sound", "engLeftPrevFreq", theLeftEngineSound.frequency);
    ok &= file.PutInt("Sound", "engLeftPrevVol", theLeftEngineSound.lastLevel);
    ok &= file.PutInt("Sound", "soundOff", static_cast<std::int32_t>(theSoundOffByUser));
    return ok;
}

}  // namespace devices
