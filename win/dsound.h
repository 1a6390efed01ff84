// The sound device: one object per program that owns the sound card, a primary buffer whose
// format sets the card's rate, and secondary buffers that hold PCM sound (8 or 16 bit, mono or
// stereo, any rate) and play it once or looping, with their own volume, pan and frequency.
// Buffers are filled through Lock and Unlock; the play cursor tells how far they have played.
//
// Nothing plays on another thread. The mixer runs on the program's one thread: the message loop
// calls MixDirectSound at every turn, and every cursor or status query mixes first, so a buffer
// has played exactly up to the sound card's clock (on the headless machine its virtual clock,
// which makes cursors and captured sound the same on every run). The card runs at the primary
// format's rate, 16-bit stereo; buffers are resampled linearly in fixed point and summed in 32
// bits, then clamped. A buffer at the card's rate, volume 0 and pan 0 passes bit-exact.
//
// The calls keep the names and numeric values of the interface the program was written against;
// the types are ours. Results are HRESULT-style codes: DS_OK (0) or a negative error.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win/handles.h"
#include "win/hresult.h"

namespace win {

struct GUID;

inline constexpr HRESULT MakeDSHResult(std::uint32_t code) {
    return static_cast<HRESULT>(0x88780000u | code);
}

inline constexpr HRESULT DS_OK = 0;
inline constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT DSERR_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT DSERR_ALLOCATED = MakeDSHResult(10);
inline constexpr HRESULT DSERR_CONTROLUNAVAIL = MakeDSHResult(30);
inline constexpr HRESULT DSERR_INVALIDCALL = MakeDSHResult(50);
inline constexpr HRESULT DSERR_PRIOLEVELNEEDED = MakeDSHResult(70);
inline constexpr HRESULT DSERR_BADFORMAT = MakeDSHResult(100);
inline constexpr HRESULT DSERR_NODRIVER = MakeDSHResult(120);
inline constexpr HRESULT DSERR_ALREADYINITIALIZED = MakeDSHResult(130);
inline constexpr HRESULT DSERR_BUFFERLOST = MakeDSHResult(150);
inline constexpr HRESULT DSERR_OTHERAPPHASPRIO = MakeDSHResult(160);
inline constexpr HRESULT DSERR_UNINITIALIZED = MakeDSHResult(170);

// Cooperative levels.
inline constexpr std::uint32_t DSSCL_NORMAL = 1;
inline constexpr std::uint32_t DSSCL_PRIORITY = 2;
inline constexpr std::uint32_t DSSCL_EXCLUSIVE = 3;
inline constexpr std::uint32_t DSSCL_WRITEPRIMARY = 4;

// Buffer description flags.
inline constexpr std::uint32_t DSBCAPS_PRIMARYBUFFER = 0x01;
inline constexpr std::uint32_t DSBCAPS_STATIC = 0x02;
inline constexpr std::uint32_t DSBCAPS_LOCHARDWARE = 0x04;
inline constexpr std::uint32_t DSBCAPS_LOCSOFTWARE = 0x08;
inline constexpr std::uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr std::uint32_t DSBCAPS_CTRLPAN = 0x40;
inline constexpr std::uint32_t DSBCAPS_CTRLVOLUME = 0x80;
inline constexpr std::uint32_t DSBCAPS_CTRLDEFAULT = 0xE0;
inline constexpr std::uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

// Status bits, play and lock flags.
inline constexpr std::uint32_t DSBSTATUS_PLAYING = 0x01;
inline constexpr std::uint32_t DSBSTATUS_BUFFERLOST = 0x02;
inline constexpr std::uint32_t DSBSTATUS_LOOPING = 0x04;
inline constexpr std::uint32_t DSBPLAY_LOOPING = 0x01;
inline constexpr std::uint32_t DSBLOCK_FROMWRITECURSOR = 0x01;
inline constexpr std::uint32_t DSBLOCK_ENTIREBUFFER = 0x02;

// Limits.
inline constexpr std::int32_t DSBVOLUME_MIN = -10000;
inline constexpr std::int32_t DSBVOLUME_MAX = 0;
inline constexpr std::int32_t DSBPAN_LEFT = -10000;
inline constexpr std::int32_t DSBPAN_RIGHT = 10000;
inline constexpr std::uint32_t DSBFREQUENCY_MIN = 100;
inline constexpr std::uint32_t DSBFREQUENCY_MAX = 100000;
inline constexpr std::uint32_t DSBFREQUENCY_ORIGINAL = 0;
inline constexpr std::uint32_t DSBSIZE_MIN = 4;
inline constexpr std::uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The 18-byte wave format header (as in a RIFF "fmt " chunk).
struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

struct DSBUFFERDESC {
    std::uint32_t dwSize = 20;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwBufferBytes = 0;
    std::uint32_t dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

// Reference counting of the device objects: Release answers the count left.
class DSObject {
public:
    DSObject() = default;
    DSObject(const DSObject&) = delete;
    DSObject& operator=(const DSObject&) = delete;
    virtual ~DSObject() = default;
    std::uint32_t AddRef() { return ++refs_; }
    std::uint32_t Release();

private:
    std::uint32_t refs_ = 1;
};

struct DSMixer;
struct DSVoice;

class DirectSoundBuffer : public DSObject {
public:
    ~DirectSoundBuffer() override;

    HRESULT GetFormat(WAVEFORMATEX* format, std::uint32_t size, std::uint32_t* written) const;
    // The primary buffer only: sets the card's rate (11025 or 22050 samples a second).
    HRESULT SetFormat(const WAVEFORMATEX* format);
    // Locks `bytes` bytes from `offset` (or from the write cursor, or the whole buffer); a
    // region that runs past the end comes back in two parts, the second from offset 0.
    HRESULT Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1,
                 void** part2, std::uint32_t* bytes2, std::uint32_t flags);
    HRESULT Unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2);
    HRESULT Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags);
    HRESULT Stop();
    HRESULT GetStatus(std::uint32_t* status);
    HRESULT GetCurrentPosition(std::uint32_t* play, std::uint32_t* write);
    HRESULT SetCurrentPosition(std::uint32_t position);
    // Hundredths of a decibel, -10000 (silent) to 0 (as recorded); values outside are clamped.
    HRESULT SetVolume(std::int32_t volume);
    HRESULT GetVolume(std::int32_t* volume) const;
    // -10000 (left only) to 10000 (right only): a positive pan lowers the left channel by pan/100
    // decibels, a negative one the right.
    HRESULT SetPan(std::int32_t pan);
    HRESULT GetPan(std::int32_t* pan) const;
    // Samples a second, 100 to 100000; 0 goes back to the buffer's own rate.
    HRESULT SetFrequency(std::uint32_t frequency);
    HRESULT GetFrequency(std::uint32_t* frequency) const;
    HRESULT Restore();

    // The stand-in's own view, for tests.
    [[nodiscard]] bool IsPrimary() const { return primary_; }
    [[nodiscard]] std::uint32_t Bytes() const;
    // The card takes the buffer's memory away (as when another program takes the device).
    void MarkLost();

private:
    friend class DirectSound;
    std::shared_ptr<DSMixer> mixer_;
    std::shared_ptr<DSVoice> voice_;  // null for the primary buffer
    bool primary_ = false;
    std::uint32_t flags_ = 0;
};

class DirectSound : public DSObject {
public:
    DirectSound();
    ~DirectSound() override;

    // Any level is accepted; the primary format can be set only from DSSCL_PRIORITY on.
    HRESULT SetCooperativeLevel(HWND window, std::uint32_t level);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** out, void* outer);

private:
    std::shared_ptr<DSMixer> mixer_;
};

// What the stand-in refuses, for tests: a machine without the library, a device that cannot be
// made, a primary buffer or format that the driver refuses.
struct DirectSoundFaults {
    bool libraryMissing = false;
    bool createFails = false;
    bool cooperativeLevelFails = false;
    bool primaryFails = false;
    bool formatFails = false;
};
extern DirectSoundFaults theDirectSoundFaults;

// The entry point of the device library ("DSOUND.DLL").
struct DirectSoundLibrary {
    HRESULT (*DirectSoundCreate)(GUID* driver, DirectSound** out, void* outer) = nullptr;
};
// Loads the device library: null when it is missing. Counted; FreeDirectSoundLibrary undoes one.
const DirectSoundLibrary* LoadDirectSoundLibrary();
void FreeDirectSoundLibrary();
[[nodiscard]] std::int32_t DirectSoundLibraryLoads();

HRESULT DirectSoundCreate(GUID* driver, DirectSound** out, void* outer);

// Mixes every playing buffer up to the sound card's clock and hands the sound to the card.
// Called by the message loop at each turn; cheap when nothing plays.
void MixDirectSound();
// The milliseconds the program may rest before the sound card must be fed again: while a buffer
// plays on an open card, the sound it holds less a margin a late wake-up rides over; without
// anything playing a card that runs dry only falls silent, so there is no limit
// (platform::kWaitForever).
[[nodiscard]] std::uint32_t DirectSoundMsUntilFeed();

// The card's rate (the primary format's), for tests and the runner; 0 while no device exists.
[[nodiscard]] int DirectSoundDeviceRate();
// Live device objects and buffers, for tests.
[[nodiscard]] std::int32_t DirectSoundLiveObjects();
// Resets faults (tests).
void ResetDirectSoundStandIn();

}  // namespace win
