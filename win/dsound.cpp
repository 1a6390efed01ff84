#include "win/dsound.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/backend.h"

namespace win {

DirectSoundFaults theDirectSoundFaults;

namespace {

std::int32_t theLiveObjects = 0;
std::int32_t theDsoundLibraryLoads = 0;

// 16.16 fixed point: frame positions and resampling steps.
constexpr int kFracBits = 16;
constexpr std::uint64_t kOne = 1ull << kFracBits;
// Unity gain of the mixer's Q16 gains.
constexpr std::int32_t kUnityGain = 1 << 16;
// Frames mixed per pass; the accumulator is reused, so mixing allocates nothing per frame.
constexpr std::size_t kChunkFrames = 1024;
// The fed frames kept for mixing a starting sound into them: well over the card's lead.
constexpr std::size_t kRecentFrames = 8192;

// Q16 gain of a level in hundredths of a decibel; the bottom of the range is silence.
std::int32_t GainOf(std::int32_t hundredthsDb) {
    if (hundredthsDb <= DSBVOLUME_MIN) return 0;
    if (hundredthsDb >= 0) return kUnityGain;
    return static_cast<std::int32_t>(
        std::lround(kUnityGain * std::pow(10.0, hundredthsDb / 2000.0)));
}

std::uint64_t NowMicros() {
    platform::Clock& c = platform::CurrentBackend().GetClock();
    const std::uint64_t f = c.CounterFrequency();
    if (f == 0) return 0;
    const std::uint64_t n = c.Counter();
    return n / f * 1000000u + n % f * 1000000u / f;
}

}  // namespace

// One secondary buffer's sound and how it plays.
struct DSVoice {
    std::vector<std::uint8_t> data;
    std::uint32_t bytes = 0;
    std::uint16_t channels = 1;
    std::uint16_t bits = 8;
    std::uint16_t blockAlign = 1;
    std::uint32_t frames = 0;
    std::uint32_t ownRate = 22050;
    std::uint32_t frequency = 22050;
    std::int32_t volume = 0;
    std::int32_t pan = 0;
    std::int32_t gainLeft = kUnityGain;
    std::int32_t gainRight = kUnityGain;
    std::uint64_t position = 0;  // frames, 16.16
    bool playing = false;
    bool looping = false;
    bool lost = false;

    void UpdateGains() {
        const std::int32_t g = GainOf(volume);
        // The side away from the pan loses pan/100 decibels; at the end stop it is silent.
        const std::int32_t away = GainOf(-std::abs(pan));
        gainLeft = pan > 0 ? static_cast<std::int32_t>((std::int64_t{g} * away) >> 16) : g;
        gainRight = pan < 0 ? static_cast<std::int32_t>((std::int64_t{g} * away) >> 16) : g;
    }
    [[nodiscard]] std::uint32_t PlayCursor() const {
        const std::uint64_t frame = position >> kFracBits;
        return frame >= frames ? 0 : static_cast<std::uint32_t>(frame) * blockAlign;
    }
};

// The card and the buffers that play on it; shared by every device object of the program.
struct DSMixer {
    std::vector<std::weak_ptr<DSVoice>> voices;
    int rate = 22050;
    std::uint32_t level = 0;
    std::int32_t devices = 0;
    bool cardTried = false;
    bool cardOpen = false;
    platform::Backend* backend = nullptr;  // the machine whose card was opened
    std::uint64_t lastMicros = 0;          // without a card: the clock drives the buffers
    std::uint64_t owedMicros = 0;
    std::vector<std::int32_t> sum = std::vector<std::int32_t>(kChunkFrames * 2);
    std::vector<std::int16_t> out = std::vector<std::int16_t>(kChunkFrames * 2);
    // The sums of the last frames fed to the card, a ring by frame number, so that a sound that
    // starts can be mixed into what the card has not yet played.
    std::vector<std::int32_t> recent = std::vector<std::int32_t>(kRecentFrames * 2);
    std::uint64_t fedFrames = 0;

    [[nodiscard]] bool SameMachine() const { return backend == &platform::CurrentBackend(); }

    void OpenCard() {
        CloseCard();
        cardTried = true;
        backend = &platform::CurrentBackend();
        cardOpen = backend->GetAudio().Open(platform::AudioFormat{rate, 2});
        lastMicros = NowMicros();
        owedMicros = 0;
    }
    void CloseCard() {
        if (cardOpen && SameMachine()) backend->GetAudio().Close();
        cardOpen = false;
        cardTried = false;
    }
    // Frames the buffers must advance now.
    std::size_t FramesDue() {
        if (!cardTried || !SameMachine()) return 0;
        if (cardOpen) return backend->GetAudio().FramesDue();
        // No sound card: the buffers still play in time, heard by no one.
        const std::uint64_t now = NowMicros();
        owedMicros += now - lastMicros;
        lastMicros = now;
        const std::uint64_t frames = owedMicros * static_cast<std::uint64_t>(rate) / 1000000u;
        owedMicros -= frames * 1000000u / static_cast<std::uint64_t>(rate);
        return static_cast<std::size_t>(frames);
    }
    void Mix();
    void StartNow(DSVoice& v);

private:
    // Keeps the chunk's sums in the ring and feeds them to the card.
    void Feed(std::size_t n);
};

namespace {

std::weak_ptr<DSMixer> theMixer;

template <int Bits, int Channels>
inline void Fetch(const std::uint8_t* d, std::uint32_t frame, std::int32_t* l, std::int32_t* r) {
    if constexpr (Bits == 8) {
        const std::uint8_t* p = d + static_cast<std::size_t>(frame) * Channels;
        *l = (static_cast<std::int32_t>(p[0]) - 128) * 256;
        *r = Channels == 2 ? (static_cast<std::int32_t>(p[1]) - 128) * 256 : *l;
    } else {
        const std::uint8_t* p = d + static_cast<std::size_t>(frame) * Channels * 2;
        *l = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
        *r = Channels == 2
                 ? static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2] | (p[3] << 8)))
                 : *l;
    }
}

// Adds `count` frames of the voice into the stereo sum, resampled linearly to the card's rate.
// At the card's rate the position never has a fraction, so every sample passes unchanged.
template <int Bits, int Channels>
void MixVoice(DSVoice& v, std::int32_t* sum, std::size_t count, int cardRate) {
    const std::uint8_t* d = v.data.data();
    const std::uint64_t step = (static_cast<std::uint64_t>(v.frequency) << kFracBits) /
                               static_cast<std::uint64_t>(cardRate);
    const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << kFracBits;
    const std::int64_t gl = v.gainLeft;
    const std::int64_t gr = v.gainRight;
    std::uint64_t pos = v.position;
    for (std::size_t i = 0; i < count; ++i) {
        if (pos >= end) {
            if (!v.looping) {
                v.playing = false;
                pos = 0;
                break;
            }
            pos %= end;
        }
        const auto frame = static_cast<std::uint32_t>(pos >> kFracBits);
        const auto frac = static_cast<std::int32_t>(pos & (kOne - 1));
        std::uint32_t next = frame + 1;
        if (next >= v.frames) next = v.looping ? 0 : frame;
        std::int32_t l0, r0, l1, r1;
        Fetch<Bits, Channels>(d, frame, &l0, &r0);
        Fetch<Bits, Channels>(d, next, &l1, &r1);
        const std::int64_t l = l0 + ((static_cast<std::int64_t>(l1 - l0) * frac) >> kFracBits);
        const std::int64_t r = r0 + ((static_cast<std::int64_t>(r1 - r0) * frac) >> kFracBits);
        sum[2 * i] += static_cast<std::int32_t>((l * gl) >> 16);
        sum[2 * i + 1] += static_cast<std::int32_t>((r * gr) >> 16);
        pos += step;
    }
    v.position = pos;
}

void MixOne(DSVoice& v, std::int32_t* sum, std::size_t count, int cardRate) {
    if (v.frames == 0) {
        v.playing = false;
        return;
    }
    if (v.bits == 8) {
        if (v.channels == 1)
            MixVoice<8, 1>(v, sum, count, cardRate);
        else
            MixVoice<8, 2>(v, sum, count, cardRate);
    } else if (v.channels == 1) {
        MixVoice<16, 1>(v, sum, count, cardRate);
    } else {
        MixVoice<16, 2>(v, sum, count, cardRate);
    }
}

}  // namespace

void DSMixer::Mix() {
    std::size_t due = FramesDue();
    if (due == 0) return;
    // Forget buffers that are gone.
    std::erase_if(voices, [](const std::weak_ptr<DSVoice>& w) { return w.expired(); });
    while (due > 0) {
        const std::size_t n = std::min(due, kChunkFrames);
        std::fill(sum.begin(), sum.begin() + static_cast<std::ptrdiff_t>(2 * n), 0);
        for (const std::weak_ptr<DSVoice>& w : voices)
            if (std::shared_ptr<DSVoice> v = w.lock(); v && v->playing && !v->lost)
                MixOne(*v, sum.data(), n, rate);
        if (cardOpen) Feed(n);
        due -= n;
    }
}

void DSMixer::Feed(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = 2 * ((fedFrames + i) % kRecentFrames);
        recent[at] = sum[2 * i];
        recent[at + 1] = sum[2 * i + 1];
    }
    fedFrames += n;
    for (std::size_t i = 0; i < 2 * n; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767));
    backend->GetAudio().Feed(out.data(), 2 * n);
}

// A sound that starts is heard from the card's next block, not after the lead the card holds:
// what the card has not begun to play is taken back and fed again with the sound mixed in from
// its start. The other sounds play on as they were fed.
void DSMixer::StartNow(DSVoice& v) {
    if (!cardOpen || !SameMachine()) return;
    std::size_t back = backend->GetAudio().TakeBackQueued();
    if (back == 0) return;
    if (back > fedFrames || back > kRecentFrames) {
        // More than the ring holds (not with the card's lead): what was fed plays as it was.
        back = static_cast<std::size_t>(std::min<std::uint64_t>(back, fedFrames));
        back = std::min(back, kRecentFrames);
    }
    std::uint64_t from = fedFrames - back;
    fedFrames = from;
    while (back > 0) {
        const std::size_t n = std::min(back, kChunkFrames);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = 2 * ((from + i) % kRecentFrames);
            sum[2 * i] = recent[at];
            sum[2 * i + 1] = recent[at + 1];
        }
        if (v.playing) MixOne(v, sum.data(), n, rate);
        Feed(n);
        from += n;
        back -= n;
    }
}

std::uint32_t DSObject::Release() {
    if (refs_ == 0) return 0;
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- buffers ---------------------------------------------------------------------------------

DirectSoundBuffer::~DirectSoundBuffer() {
    --theLiveObjects;
}

std::uint32_t DirectSoundBuffer::Bytes() const {
    return voice_ ? voice_->bytes : 0;
}

void DirectSoundBuffer::MarkLost() {
    if (voice_) {
        voice_->lost = true;
        voice_->playing = false;
    }
}

HRESULT DirectSoundBuffer::GetFormat(WAVEFORMATEX* format, std::uint32_t size,
                                     std::uint32_t* written) const {
    if (format == nullptr || size < 16) return DSERR_INVALIDPARAM;
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    if (primary_) {
        f.nChannels = 2;
        f.wBitsPerSample = 16;
        f.nSamplesPerSec = static_cast<std::uint32_t>(mixer_->rate);
    } else {
        f.nChannels = voice_->channels;
        f.wBitsPerSample = voice_->bits;
        f.nSamplesPerSec = voice_->ownRate;
    }
    f.nBlockAlign = static_cast<std::uint16_t>(f.nChannels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    *format = f;
    if (written != nullptr) *written = size < 18 ? 16 : 18;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFormat(const WAVEFORMATEX* format) {
    if (!primary_) return DSERR_INVALIDCALL;
    if (format == nullptr) return DSERR_INVALIDPARAM;
    if (mixer_->level < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    if (theDirectSoundFaults.formatFails) return DSERR_BADFORMAT;
    const bool pcm = format->wFormatTag == WAVE_FORMAT_PCM &&
                     (format->nChannels == 1 || format->nChannels == 2) &&
                     (format->wBitsPerSample == 8 || format->wBitsPerSample == 16);
    if (!pcm || (format->nSamplesPerSec != 11025 && format->nSamplesPerSec != 22050))
        return DSERR_BADFORMAT;
    // The card always runs 16-bit stereo; only its rate follows the primary format.
    mixer_->rate = static_cast<int>(format->nSamplesPerSec);
    mixer_->OpenCard();
    return DS_OK;
}

HRESULT DirectSoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, void** part1,
                                std::uint32_t* bytes1, void** part2, std::uint32_t* bytes2,
                                std::uint32_t flags) {
    if (primary_) return DSERR_PRIOLEVELNEEDED;
    if (part1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
    DSVoice& v = *voice_;
    if (v.lost) return DSERR_BUFFERLOST;
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = v.bytes;
    } else if (flags & DSBLOCK_FROMWRITECURSOR) {
        std::uint32_t play = 0;
        GetCurrentPosition(&play, &offset);
    }
    if (offset >= v.bytes || bytes == 0 || bytes > v.bytes) return DSERR_INVALIDPARAM;
    const std::uint32_t first = std::min(bytes, v.bytes - offset);
    *part1 = v.data.data() + offset;
    *bytes1 = first;
    if (first < bytes && (part2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
    if (part2 != nullptr) *part2 = first < bytes ? v.data.data() : nullptr;
    if (bytes2 != nullptr) *bytes2 = bytes - first;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(void* part1, std::uint32_t bytes1, void* part2,
                                  std::uint32_t bytes2) {
    if (primary_) return DSERR_PRIOLEVELNEEDED;
    const DSVoice& v = *voice_;
    // The parts must lie inside the buffer: anything else was not handed out by Lock.
    auto inside = [&](void* p, std::uint32_t n) {
        if (p == nullptr) return n == 0;
        const auto* b = static_cast<const std::uint8_t*>(p);
        const std::uint8_t* base = v.data.data();
        return b >= base && b <= base + v.bytes &&
               n <= static_cast<std::uint32_t>(base + v.bytes - b);
    };
    if (!inside(part1, bytes1) || !inside(part2, bytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Play(std::uint32_t, std::uint32_t, std::uint32_t flags) {
    if (primary_) return DS_OK;
    if (mixer_->devices == 0) return DSERR_UNINITIALIZED;
    DSVoice& v = *voice_;
    if (v.lost) return DSERR_BUFFERLOST;
    if (!mixer_->cardTried) mixer_->OpenCard();
    // What played before this moment belongs to the sound before the call.
    MixDirectSound();
    v.looping = (flags & DSBPLAY_LOOPING) != 0;
    const bool starts = !v.playing;
    v.playing = true;
    if (starts && mixer_->devices > 0) mixer_->StartNow(v);
    return DS_OK;
}

HRESULT DirectSoundBuffer::Stop() {
    if (primary_) return DS_OK;
    MixDirectSound();
    voice_->playing = false;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetStatus(std::uint32_t* status) {
    if (status == nullptr) return DSERR_INVALIDPARAM;
    if (primary_) {
        *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
        return DS_OK;
    }
    MixDirectSound();
    const DSVoice& v = *voice_;
    *status = (v.playing ? DSBSTATUS_PLAYING : 0) |
              (v.playing && v.looping ? DSBSTATUS_LOOPING : 0) |
              (v.lost ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) {
    if (primary_) {
        if (play != nullptr) *play = 0;
        if (write != nullptr) *write = 0;
        return DS_OK;
    }
    const DSVoice& v = *voice_;
    if (v.lost) return DSERR_BUFFERLOST;
    MixDirectSound();
    const std::uint32_t p = v.PlayCursor();
    if (play != nullptr) *play = p;
    if (write != nullptr) {
        // The write cursor runs about 15 ms ahead of what is heard.
        const std::uint64_t lead = std::min<std::uint64_t>(
            std::uint64_t{v.frequency} * 15 / 1000 * v.blockAlign, v.bytes - 1);
        *write = static_cast<std::uint32_t>((p + lead) % v.bytes / v.blockAlign * v.blockAlign);
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(std::uint32_t position) {
    if (primary_) return DSERR_INVALIDCALL;
    DSVoice& v = *voice_;
    if (v.lost) return DSERR_BUFFERLOST;
    if (position >= v.bytes) return DSERR_INVALIDPARAM;
    MixDirectSound();
    v.position = static_cast<std::uint64_t>(position / v.blockAlign) << kFracBits;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(std::int32_t volume) {
    if (primary_) return DS_OK;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    MixDirectSound();
    voice_->volume = std::clamp(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
    voice_->UpdateGains();
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(std::int32_t* volume) const {
    if (volume == nullptr) return DSERR_INVALIDPARAM;
    if (primary_) {
        *volume = 0;
        return DS_OK;
    }
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = voice_->volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetPan(std::int32_t pan) {
    if (primary_) return DS_OK;
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    MixDirectSound();
    voice_->pan = std::clamp(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
    voice_->UpdateGains();
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetPan(std::int32_t* pan) const {
    if (pan == nullptr) return DSERR_INVALIDPARAM;
    if (primary_) {
        *pan = 0;
        return DS_OK;
    }
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    *pan = voice_->pan;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFrequency(std::uint32_t frequency) {
    if (primary_) return DSERR_CONTROLUNAVAIL;
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    MixDirectSound();
    voice_->frequency = frequency == DSBFREQUENCY_ORIGINAL ? voice_->ownRate : frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFrequency(std::uint32_t* frequency) const {
    if (frequency == nullptr) return DSERR_INVALIDPARAM;
    if (primary_) {
        *frequency = static_cast<std::uint32_t>(mixer_->rate);
        return DS_OK;
    }
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    *frequency = voice_->frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Restore() {
    if (voice_) voice_->lost = false;
    return DS_OK;
}

// ---- the device ------------------------------------------------------------------------------

DirectSound::DirectSound() {
    ++theLiveObjects;
    mixer_ = theMixer.lock();
    if (!mixer_) {
        mixer_ = std::make_shared<DSMixer>();
        theMixer = mixer_;
    }
    ++mixer_->devices;
}

DirectSound::~DirectSound() {
    --theLiveObjects;
    if (mixer_->devices == 1) {
        // The card goes with the last device; buffers still held stop where they are.
        MixDirectSound();
        mixer_->devices = 0;
        mixer_->CloseCard();
        for (const std::weak_ptr<DSVoice>& w : mixer_->voices)
            if (std::shared_ptr<DSVoice> v = w.lock()) v->playing = false;
        mixer_->level = 0;
    } else {
        --mixer_->devices;
    }
}

HRESULT DirectSound::SetCooperativeLevel(HWND, std::uint32_t level) {
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    if (theDirectSoundFaults.cooperativeLevelFails) return DSERR_ALLOCATED;
    mixer_->level = level;
    return DS_OK;
}

HRESULT DirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc, DirectSoundBuffer** out,
                                       void* outer) {
    if (outer != nullptr) return DSERR_NOAGGREGATION;
    if (desc == nullptr || out == nullptr || desc->dwSize < 20) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (mixer_->level == 0) return DSERR_PRIOLEVELNEEDED;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
        if (theDirectSoundFaults.primaryFails) return DSERR_ALLOCATED;
        auto* b = new DirectSoundBuffer;
        ++theLiveObjects;
        b->mixer_ = mixer_;
        b->primary_ = true;
        b->flags_ = desc->dwFlags;
        *out = b;
        return DS_OK;
    }
    const WAVEFORMATEX* f = desc->lpwfxFormat;
    if (f == nullptr) return DSERR_INVALIDPARAM;
    if (f->wFormatTag != WAVE_FORMAT_PCM || (f->nChannels != 1 && f->nChannels != 2) ||
        (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) ||
        f->nSamplesPerSec < DSBFREQUENCY_MIN || f->nSamplesPerSec > DSBFREQUENCY_MAX ||
        f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8)
        return DSERR_BADFORMAT;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
        desc->dwBufferBytes < f->nBlockAlign)
        return DSERR_INVALIDPARAM;
    auto v = std::make_shared<DSVoice>();
    try {
        // A new buffer holds silence: the middle value for 8-bit sound, 0 for 16-bit.
        v->data.assign(desc->dwBufferBytes, f->wBitsPerSample == 8 ? 0x80 : 0);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    v->bytes = desc->dwBufferBytes / f->nBlockAlign * f->nBlockAlign;
    v->channels = f->nChannels;
    v->bits = f->wBitsPerSample;
    v->blockAlign = f->nBlockAlign;
    v->frames = v->bytes / v->blockAlign;
    v->ownRate = v->frequency = f->nSamplesPerSec;
    mixer_->voices.push_back(v);
    auto* b = new DirectSoundBuffer;
    ++theLiveObjects;
    b->mixer_ = mixer_;
    b->voice_ = std::move(v);
    b->flags_ = desc->dwFlags;
    *out = b;
    return DS_OK;
}

HRESULT DirectSoundCreate(GUID*, DirectSound** out, void* outer) {
    if (outer != nullptr) return DSERR_NOAGGREGATION;
    if (out == nullptr) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (theDirectSoundFaults.createFails) return DSERR_NODRIVER;
    *out = new DirectSound;
    return DS_OK;
}

const DirectSoundLibrary* LoadDirectSoundLibrary() {
    static const DirectSoundLibrary library{&DirectSoundCreate};
    if (theDirectSoundFaults.libraryMissing) return nullptr;
    ++theDsoundLibraryLoads;
    return &library;
}

void FreeDirectSoundLibrary() {
    if (theDsoundLibraryLoads > 0) --theDsoundLibraryLoads;
}

std::int32_t DirectSoundLibraryLoads() {
    return theDsoundLibraryLoads;
}

void MixDirectSound() {
    if (std::shared_ptr<DSMixer> m = theMixer.lock(); m && m->devices > 0) m->Mix();
}

std::uint32_t DirectSoundMsUntilFeed() {
    // Fed at the end of a rest, the card still holds this much when the wake-up comes late.
    constexpr std::uint32_t kMarginMs = 20;
    std::shared_ptr<DSMixer> m = theMixer.lock();
    if (!m || m->devices <= 0 || !m->cardOpen || !m->SameMachine()) return platform::kWaitForever;
    const bool playing = std::any_of(m->voices.begin(), m->voices.end(), [](const auto& w) {
        const std::shared_ptr<DSVoice> v = w.lock();
        return v && v->playing && !v->lost;
    });
    if (!playing) return platform::kWaitForever;
    const std::uint32_t held = m->backend->GetAudio().MsQueued();
    return held > kMarginMs ? held - kMarginMs : 0;
}

int DirectSoundDeviceRate() {
    std::shared_ptr<DSMixer> m = theMixer.lock();
    return m && m->devices > 0 ? m->rate : 0;
}

std::int32_t DirectSoundLiveObjects() {
    return theLiveObjects;
}

void ResetDirectSoundStandIn() {
    theDirectSoundFaults = DirectSoundFaults{};
}

}  // namespace win
