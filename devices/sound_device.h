// The sound device and the seven effect channels. The device owns the sound card (through the
// DirectSound miniature) while sound is open; each channel holds at most one buffer with one
// numbered clip of the effects volume, played once or looping with a priority, a pan, a level
// and a pitch. Engine and starter channels also carry the engine-sound flags that the engine
// sound steps (engine_sounds.h) and the cockpit's engine sequences share.
//
// Every operation tests the device's active flag first and does nothing while sound is closed;
// the channels' flags survive a close so that engine sounds restart when sound reopens.
#pragma once

#include <cstdint>
#include <string>

#include "win/dsound.h"
#include "win/handles.h"

namespace core {
class IniFile;
class ResourceVolume;
}  // namespace core

namespace devices {

class SoundDevice {
public:
    // Opens sound for the window: "Enabled" of section "Sound" (default 1) must be set and the
    // device library, the device and its cooperative level must answer. 1 when open (also when
    // the primary buffer failed, which the user is told about).
    int Open(win::HWND owner);
    // The primary buffer with flags 1; 1 when made.
    int CreatePrimaryBuffer();
    // PCM, 2 channels, 8 bits, at 11025 or 22050 samples a second (other rates are refused).
    int SetPrimaryFormat(int rate);
    // A secondary buffer; 1 when made.
    int CreateBuffer(const win::DSBUFFERDESC& description, win::DirectSoundBuffer** buffer);
    void Close();

    win::HWND owner;
    win::DirectSound* directSound = nullptr;
    win::DirectSoundBuffer* primary = nullptr;
    std::uint32_t primaryReady = 0;
    std::uint32_t active = 0;
    const win::DirectSoundLibrary* library = nullptr;
};
extern SoundDevice theSoundDevice;

// A volume in hundredths of a decibel brought into -10000..0.
[[nodiscard]] std::int32_t ClampVolume(std::int32_t volume);
// 1 while the buffer plays.
[[nodiscard]] int BufferPlays(win::DirectSoundBuffer* buffer);
// Mutes a buffer (its volume kept in `savedVolume`, -100 when unreadable) or gives the volume
// back; without sound or a buffer only the flag changes. Channels and speech queues alike.
void MuteBuffer(win::DirectSoundBuffer* buffer, int on, std::uint32_t* muted,
                std::int32_t* savedVolume);

class SoundChannel {
public:
    SoundChannel() = default;
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // Plays clip `effectId` of the effects volume. 1 when played (or skipped: sound closed, or a
    // one-shot on a muted channel), 0 when refused (a more important sound plays: a smaller
    // priority number) or failed (missing clip, no buffer). A muted looping clip starts at -10000.
    int Play(int effectId, int pan, int level, int frequency, int loop, int priority,
             int reserved = 0);
    void Stop();
    void Release();
    void ReleaseIfStopped();
    // Starter channels, every flight step while starterPlaying: once the clip has ended (or its
    // cursor is within 10000 bytes of the end) the engine start is requested.
    void PollFinished();
    int SetPanLevelFrequency(int pan, int level, int frequency);
    int SetFrequency(int frequency);
    [[nodiscard]] int GetFrequency();
    // Fade steps: 1 when the cap or floor is reached (RaiseLevel also with sound closed or no
    // buffer, so an engine start completes without sound).
    int RaiseLevel(int step, int maximum);
    int LowerLevel(int step, int minimum);
    int LowerFrequency(int step, int floor);
    // Pitch and level of a running engine from its tachometer value.
    void UpdateEngineFrequency(std::int16_t rpm, int aircraftType, int rightEngine);
    void SetMute(int on);
    void SetLevel(int volume);
    [[nodiscard]] int IsPlaying();
    int RestoreBuffer();
    void SetFolder(const char* folderName, const char* name);

    // The volume the buffer gets: the group's volume plus the clip's level, or -10000 muted.
    [[nodiscard]] std::int32_t EffectiveVolume() const;
    // Applies the volume of EffectiveVolume (muted: remembers it in savedVolume).
    void ApplyVolume();

    win::DirectSoundBuffer* buffer = nullptr;
    std::uint32_t lockedBytes = 0;
    std::uint32_t bufferBytes = 0;
    std::uint16_t effectId = 0;
    std::int16_t priority = 0;
    std::uint32_t bufferPresent = 0;
    std::uint32_t forceUpdate = 0;
    std::int32_t frequency = 0;
    std::int32_t lastLevel = 0;
    std::uint32_t stopRequested = 0;
    std::uint32_t muted = 0;
    std::uint32_t syncPhase = 0;
    std::uint32_t synced = 0;
    std::uint32_t snapToTarget = 0;
    std::int32_t savedVolume = -100;
    std::int32_t categoryVolume = 0;
    std::int32_t level = 0;
    // Hundredths of a decibel taken off while the radio speaks (0 or kRadioDuck).
    std::int32_t duck = 0;
    std::int16_t syncOffset = 0;
    std::string folder;
    std::uint32_t running = 0;
    std::uint32_t startRequested = 0;
    std::uint32_t starting = 0;
    std::uint32_t starterPlaying = 0;
};

// While the radio speaks, the engines, their starters and the wind or ground roll are heard this
// much lower (hundredths of a decibel), as through a headset: an engine near full scale and the
// speech at its own would sum past what the card takes, and the words would be clipped.
inline constexpr std::int32_t kRadioDuck = -1500;
// Lowers those channels while `speaking` (a broadcast or a controller heard on the radio), and
// gives them back their level after.
void DuckUnderRadio(bool speaking);

// Sets the play position of the channel's buffer; a failure is told to the user.
void SetNewPlayPosition(SoundChannel& channel, std::uint32_t offset);
// The play cursor of a playing channel; 0 otherwise (a failure is told to the user).
[[nodiscard]] std::uint32_t GetCurrentPlayPosition(SoundChannel& channel);

extern SoundChannel theLeftEngineSound;
extern SoundChannel theRightEngineSound;
extern SoundChannel theLeftStarterSound;
extern SoundChannel theRightStarterSound;
extern SoundChannel theSystemsSound;
extern SoundChannel theEffectSound;
extern SoundChannel theAmbientSound;

// The effect clips: archive "Snd\SndFx.Vol", folder "Snd\SndFx".
extern core::ResourceVolume& theSoundFxVolume;
// The folder name copied into the channels at opening (clips are found through the volume).
inline constexpr char kSoundFxFolder[] = "snd\\sndfx\\";

// Whole-sound switches: the pause suspension, the user's "sound off" and the three mute groups
// of the sound dialog.
extern std::uint32_t theSoundSuspended;
extern std::uint32_t theSoundOffByUser;
extern std::uint32_t theEnginesMuted;
extern std::uint32_t theAtcMuted;
extern std::uint32_t theEffectsMuted;

// Opens the device and brings back the sounds of running engines; 1 when open.
int InitSound(win::HWND owner);
// Closes the speakers, releases the channels and closes the device.
void ShutdownSound();
// A new aircraft or flight: 1 lets every sound go with the card left open, 0 brings back the
// sounds of running engines (and opens sound as SwitchSound(0) does when it was closed).
void HoldSounds(int hold);
// 0 reopens sound (InitSound with the main window), nonzero shuts it down. The rest of the
// program reaches it as SetSoundSuspended (sound_services.h).
void SwitchSound(int off);
// Unless the user turned sound off: shut down and mark suspended / reopen and clear the mark.
void SuspendSound();
void ResumeSound();
[[nodiscard]] bool IsSoundOpen();
[[nodiscard]] bool IsSoundSuspended();

// Section "Sound" of a settings or situation file; the save answers the AND of its writes.
int LoadSoundSettings(core::IniFile& file);
int SaveSoundSettings(core::IniFile& file);

// The window sound reopens for (the main window once InitSound has seen it).
[[nodiscard]] win::HWND SoundOwnerWindow();

}  // namespace devices
