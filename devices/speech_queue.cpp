#include "devices/speech_queue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "core/mem_stream.h"
#include "core/resource_volume.h"
#include "devices/sound_device.h"
#include "devices/wave.h"
#include "ui/dialog_services.h"

namespace devices {

SpeechQueue theSpareSpeechQueue;

namespace {

constexpr std::uint32_t N = SpeechQueue::kBufferBytes;
constexpr std::uint8_t kSilentByte = 0x80;

bool SpeechQueueActive() {
    return theSoundDevice.active != 0;
}

void Tell(win::HWND owner, const char* text) {
    ui::ShowMessageBox(owner, text, ui::MB_OK);
}

core::ResourceVolume& WordVolume(int useFxVolume) {
    return useFxVolume != 0 ? theSoundFxVolume : core::theTowerAtcVolume;
}

// A tenth of a second of silence as a clip, for a word volume without its silence clip.
std::unique_ptr<CWave> MadeSilence() {
    const std::vector<std::uint8_t> samples(1103, kSilentByte);
    const std::vector<std::uint8_t> image =
        MakeWaveImage(11025, 1, 8, samples.data(), samples.size());
    core::MemRWStream stream(static_cast<std::uint32_t>(image.size()),
                             static_cast<const void*>(image.data()));
    auto w = std::make_unique<CWave>();
    w->LoadFromStream(stream, static_cast<std::uint32_t>(image.size()));
    return w;
}

// The clips are copied raw into the ring, so only its own format fits.
bool FitsTheRing(const CWave& w) {
    win::WAVEFORMATEX f;
    return w.GetFormat(&f) != 0 && f.wFormatTag == win::WAVE_FORMAT_PCM && f.nChannels == 1 &&
           f.wBitsPerSample == 8 && f.nSamplesPerSec == 11025 && w.GetDataSize() > 0 &&
           w.GetDataSize() <= N - SpeechQueue::kLeadBytes;
}

}  // namespace

SpeechQueue::SpeechQueue() {
    std::fill(std::begin(ring), std::end(ring), kFreeSlot);
}

SpeechQueue::~SpeechQueue() {
    if (buffer != nullptr) buffer->Release();
    buffer = nullptr;
}

// ---- opening and utterances
// ----------------------------------------------------------------------

int SpeechQueue::OpenWordFolder(const char* folderName) {
    if (!SpeechQueueActive() || buffer != nullptr) return 0;
    folder = folderName != nullptr ? folderName : "";
    win::WAVEFORMATEX f;
    f.wFormatTag = win::WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 11025;
    f.nAvgBytesPerSec = 11025;
    f.nBlockAlign = 1;
    f.wBitsPerSample = 8;
    win::DSBUFFERDESC d;
    d.dwFlags = win::DSBCAPS_STATIC | win::DSBCAPS_CTRLDEFAULT;
    d.dwBufferBytes = N;
    d.lpwfxFormat = &f;
    if (theSoundDevice.CreateBuffer(d, &buffer) == 0 || buffer == nullptr) {
        buffer = nullptr;
        return 0;
    }
    bufferOpen = 1;
    return 1;
}

int SpeechQueue::OpenPhraseLibrary(const char* folderName, const char*) {
    return OpenWordFolder(folderName);
}

int SpeechQueue::QueuePhrase(int pan, int, int) {
    if (!SpeechQueueActive()) return 0;
    playIndex = 0;
    writePos = wordBytes = endPos = 0;
    // The cursor starts again at 0: what lies behind it is the new utterance's to write.
    lastPlayPos = 0;
    wrapped = 0;
    if (buffer != nullptr) {
        buffer->SetPan(pan);
        if (muted != 0) {
            savedVolume = volume;
            buffer->SetVolume(win::DSBVOLUME_MIN);
        } else {
            buffer->SetVolume(ClampVolume(volume));
        }
        buffer->SetCurrentPosition(0);
    }
    ClearRing();
    return 1;
}

int SpeechQueue::AppendWord(std::uint16_t id) {
    int slot = playIndex;
    for (int i = 0; i < kRingSize; ++i) {
        if (ring[slot] == kFreeSlot || ring[slot] == kStopMarker) {
            ring[slot] = id;
            return 1;
        }
        slot = slot == kRingSize - 1 ? 0 : slot + 1;
    }
    return 0;
}

int SpeechQueue::WordIndexOfChar(char ch) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return 11 + (c - 'a');
    if (c == '.') return 37;
    return 10;
}

int SpeechQueue::QueueCharWord(int base, char ch) {
    return AppendWord(static_cast<std::uint16_t>(base + WordIndexOfChar(ch)));
}

int SpeechQueue::QueueSpelled(std::string_view text, int base, int offset) {
    for (char ch : text) {
        if (ch == '\0') break;
        if (AppendWord(static_cast<std::uint16_t>(base + offset + WordIndexOfChar(ch))) == 0)
            return 0;
    }
    return 1;
}

int SpeechQueue::QueueText(std::string_view text, int base, int offset) {
    // Folded on a copy: callers pass runway names they keep (and save).
    std::string t(text.substr(0, text.find('\0')));
    for (char& c : t)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char suffix = 0;
    if (!t.empty() && (t.back() == 'l' || t.back() == 'r' || t.back() == 'c')) {
        suffix = t.back();
        t.pop_back();
    }
    for (char ch : t)
        if (AppendWord(static_cast<std::uint16_t>(base + offset + WordIndexOfChar(ch))) == 0)
            return 0;
    if (suffix != 0) {
        const int word = suffix == 'l' ? 38 : (suffix == 'r' ? 39 : 40);
        AppendWord(static_cast<std::uint16_t>(base + offset + word));
    }
    return 1;
}

int SpeechQueue::QueueNumber(std::int16_t number, int base) {
    const std::string s = std::to_string(number);
    const std::size_t n = s.size();
    std::size_t spoken = n;
    int tail = 0;
    if (n >= 3 && s[n - 1] == '0' && s[n - 2] == '0') {
        if (s[n - 3] == '0') {
            spoken = n - 3;
            tail = 41;
        } else {
            spoken = n - 2;
            tail = 42;
        }
    }
    for (std::size_t i = 0; i < spoken; ++i)
        QueueCharWord(base, s[i]);
    if (tail != 0) AppendWord(static_cast<std::uint16_t>(base + tail));
    return 1;
}

int SpeechQueue::QueueFrequency(std::string_view text, int base) {
    if (text.size() < 6) return 0;
    int mhz = 0;
    const auto r = std::from_chars(text.data(), text.data() + 3, mhz);
    // Only a whole-megahertz part of three digits names one of the frequency clips.
    if (r.ec != std::errc() || r.ptr != text.data() + 3) return 0;
    AppendWord(static_cast<std::uint16_t>(base + mhz - 60));
    QueueCharWord(base, text[4]);
    if (text[5] != '0') QueueCharWord(base, text[5]);
    return 1;
}

// ---- streaming ----------------------------------------------------------------------------------

bool SpeechQueue::ReadCursor(std::uint32_t* play) {
    return buffer != nullptr && win::SUCCEEDED(buffer->GetCurrentPosition(play, nullptr));
}

std::unique_ptr<CWave> SpeechQueue::LoadSilence(int useFxVolume) {
    std::unique_ptr<CWave> w = WordVolume(useFxVolume).LoadWave(kSilenceClip);
    if (!w || !FitsTheRing(*w)) w = MadeSilence();
    return w;
}

std::unique_ptr<CWave> SpeechQueue::LoadWord(std::uint16_t id, int useFxVolume, bool* replaced) {
    std::unique_ptr<CWave> w = WordVolume(useFxVolume).LoadWave(id);
    *replaced = !w || !FitsTheRing(*w);
    return *replaced ? LoadSilence(useFxVolume) : std::move(w);
}

int SpeechQueue::ProcessTheATCqueue(win::HWND owner, int useFxVolume) {
    if (!SpeechQueueActive() || buffer == nullptr) return 0;
    if (ring[playIndex] == kFreeSlot) {
        busy = 0;
        return 1;
    }
    busy = 1;
    std::uint32_t status = 0;
    buffer->GetStatus(&status);
    if (status & win::DSBSTATUS_BUFFERLOST) {
        if (RestoreBuffer() == 0) {
            Tell(owner, "Unable to restore a buffer in ProcessTheATCqueue.");
            return 0;
        }
    }
    if (IsPlaying() != 0) {
        std::uint32_t play = 0;
        if (ReadCursor(&play)) CatchUp(play);
    }
    if (ring[playIndex] == kStopMarker) {
        ProcessStopMarkerInATCqueue(owner, useFxVolume);
    } else if (PutWordsFromQueueIntoBuffer(owner, useFxVolume) != 0 && IsPlaying() == 0) {
        if (muted != 0) {
            savedVolume = volume;
            buffer->SetVolume(win::DSBVOLUME_MIN);
        } else {
            buffer->SetVolume(ClampVolume(volume));
        }
        buffer->Play(0, 0, win::DSBPLAY_LOOPING);
        lastPlayPos = 0;
    }
    if (IsPlaying() != 0) {
        AssureLeadTime(owner, useFxVolume);
        if (!ReadCursor(&lastPlayPos)) {
            Tell(owner, "Error from GetCurrentPosition in ProcessTheATCqueue.");
            return 1;
        }
    }
    return 1;
}

void SpeechQueue::CatchUp(std::uint32_t play) {
    const std::uint32_t moved = (play + N - lastPlayPos) % N;
    if (moved == 0) return;
    // What was heard is wiped, so a cursor that runs on past the written words meets silence,
    // never a word of an earlier utterance.
    void* p1 = nullptr;
    void* p2 = nullptr;
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    if (win::SUCCEEDED(buffer->Lock(lastPlayPos, moved, &p1, &n1, &p2, &n2, 0))) {
        std::memset(p1, kSilentByte, n1);
        if (p2 != nullptr) std::memset(p2, kSilentByte, n2);
        buffer->Unlock(p1, n1, p2, n2);
    }
    // A stall longer than the lead let the cursor pass the write position: the next words go
    // where the cursor is now instead of a whole turn of the ring later.
    const std::uint32_t ahead = (writePos + N - lastPlayPos) % N;
    if (moved > ahead) {
        const std::uint32_t toEnd = (endPos + N - lastPlayPos) % N;
        if (moved > toEnd) endPos = play;
        writePos = play;
        wrapped = 0;
    }
}

int SpeechQueue::Place(win::HWND owner, std::uint32_t play, int countsAsEnd, bool* acrossEnd) {
    *acrossEnd = false;
    if (play <= writePos) {
        if (N - writePos > wordBytes) return WriteWord(owner, countsAsEnd);
        if (play + N - 1 - writePos > wordBytes) {
            *acrossEnd = true;
            return WriteWordWrapped(owner, countsAsEnd);
        }
        return 0;
    }
    if (play - writePos > wordBytes) {
        *acrossEnd = true;  // written behind the cursor: it lies a turn of the ring ahead
        return WriteWord(owner, countsAsEnd);
    }
    return 0;
}

int SpeechQueue::PutWordsFromQueueIntoBuffer(win::HWND owner, int useFxVolume) {
    int copied = 0;
    while (ring[playIndex] != kFreeSlot && ring[playIndex] != kStopMarker) {
        bool replaced = false;
        wave = LoadWord(ring[playIndex], useFxVolume, &replaced);
        if (replaced) ring[playIndex] = kSilenceClip;
        wordBytes = wave->GetDataSize();
        std::uint32_t play = 0;
        if (!ReadCursor(&play)) {
            wave.reset();
            Tell(owner, "Error from GetCurrentPosition in PutWordsFromQueueIntoBuffer.");
            return copied;
        }
        bool acrossEnd = false;
        const int written = Place(owner, play, 1, &acrossEnd);
        wave.reset();
        if (written == 0) break;  // stays queued until the cursor has moved on
        wrapped = acrossEnd ? 1 : 0;
        AdvanceRing();
        copied = 1;
    }
    if (ring[playIndex] == kFreeSlot) ring[playIndex] = kStopMarker;
    return copied;
}

int SpeechQueue::WriteWord(win::HWND owner, int countsAsEnd) {
    if (wave == nullptr || N - writePos <= wordBytes) return 0;
    void* p1 = nullptr;
    void* p2 = nullptr;
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    if (wordBytes == 0 || win::FAILED(buffer->Lock(writePos, wordBytes, &p1, &n1, &p2, &n2, 0)))
        return 0;
    const std::uint32_t read = wave->ReadData(static_cast<std::uint8_t*>(p1), n1);
    if (win::FAILED(buffer->Unlock(p1, n1, p2, n2))) {
        Tell(owner, "Unable to unlock Direct Sound Buffer for ATC.");
        return 0;
    }
    writePos += read;
    if (countsAsEnd != 0) endPos = writePos;
    return 1;
}

int SpeechQueue::WriteWordWrapped(win::HWND owner, int countsAsEnd) {
    if (wave == nullptr || wordBytes == 0) return 0;
    void* p1 = nullptr;
    void* p2 = nullptr;
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    if (win::FAILED(buffer->Lock(writePos, wordBytes, &p1, &n1, &p2, &n2, 0))) return 0;
    wave->ReadDataSplit(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p2), n1, n2);
    if (win::FAILED(buffer->Unlock(p1, n1, p2, n2))) {
        Tell(owner, "Unable to unlock Direct Sound Buffer for ATC.");
        return 0;
    }
    writePos = n2 % N;
    if (countsAsEnd != 0) endPos = writePos;
    return 1;
}

void SpeechQueue::AdvanceRing() {
    if (ring[playIndex] == kStopMarker) return;
    ring[playIndex] = kFreeSlot;
    playIndex = playIndex == kRingSize - 1 ? 0 : playIndex + 1;
}

int SpeechQueue::ProcessStopMarkerInATCqueue(win::HWND owner, int useFxVolume) {
    std::uint32_t play = 0;
    if (!ReadCursor(&play)) {
        Tell(owner, "Error from GetCurrentPosition in ProcessStopMarkerInATCqueue.");
        return 0;
    }
    if (wrapped != 0) {
        if (endPos < kLeadBytes) AttemptToInsertSilence(owner, 1, useFxVolume);
    } else if (endPos <= play) {
        // The cursor has passed the end of the last word: the utterance has been heard, and
        // the speaker may start the next (the ATIS its next broadcast, the ATC its next call).
        buffer->Stop();
        buffer->SetCurrentPosition(0);
        endPos = writePos = lastPlayPos = 0;
        ring[playIndex] = kFreeSlot;
        speaking = 0;
        return 1;
    } else if (N - endPos < kLeadBytes) {
        AttemptToInsertSilence(owner, 1, useFxVolume);
        if (endPos < play) wrapped = 1;
    }
    if (wrapped != 0 && lastPlayPos > play) wrapped = 0;
    return 0;
}

int SpeechQueue::AssureLeadTime(win::HWND owner, int useFxVolume) {
    std::uint32_t play = 0;
    if (!ReadCursor(&play)) {
        Tell(owner, "Error from GetCurrentPosition in AssureLeadTime.");
        return 0;
    }
    const std::uint32_t ahead = play < writePos ? writePos - play : writePos - play + N;
    if (ahead <= kLeadBytes) return AttemptToInsertSilence(owner, 0, useFxVolume);
    return 1;
}

int SpeechQueue::AttemptToInsertSilence(win::HWND owner, int countsAsEnd, int useFxVolume) {
    std::unique_ptr<CWave> keep = std::move(wave);
    const std::uint32_t keepBytes = wordBytes;
    wave = LoadSilence(useFxVolume);
    wordBytes = wave->GetDataSize();
    std::uint32_t play = 0;
    int written = 0;
    if (!ReadCursor(&play)) {
        Tell(owner, "Error from GetCurrentPosition in AttemptToInsertSilence.");
    } else {
        bool acrossEnd = false;
        written = Place(owner, play, countsAsEnd, &acrossEnd);
    }
    wave = std::move(keep);
    wordBytes = keepBytes;
    return written;
}

// ---- control -----------------------------------------------------------------------------------

int SpeechQueue::Flush() {
    if (!SpeechQueueActive()) return 0;
    ClearRing();
    StopIfPlaying();
    Close();
    speaking = 0;
    return 1;
}

void SpeechQueue::Close() {
    ClearRing();
    if (buffer != nullptr) {
        StopIfPlaying();
        buffer->Release();
    }
    buffer = nullptr;
    bufferOpen = 0;
    if (wave) wave->Free();
}

void SpeechQueue::ClearRing() {
    std::fill(std::begin(ring), std::end(ring), kFreeSlot);
    busy = 0;
}

void SpeechQueue::StopIfPlaying() {
    if (IsPlaying() != 0) buffer->Stop();
}

int SpeechQueue::RestoreBuffer() {
    return buffer != nullptr && win::SUCCEEDED(buffer->Restore()) ? 1 : 0;
}

int SpeechQueue::IsPlaying() {
    return BufferPlays(buffer);
}

void SpeechQueue::SetVolume(int v) {
    if (!SpeechQueueActive() || bufferOpen == 0 || IsPlaying() == 0) return;
    volume = v;
    if (muted != 0) {
        savedVolume = v;
        return;
    }
    buffer->SetVolume(ClampVolume(v));
}

void SpeechQueue::SetMute(int on) {
    MuteBuffer(buffer, on, &muted, &savedVolume);
}

void SpeechQueue::PollPlayState(int limit) {
    if (IsPlaying() != 0) {
        idlePolls = 0;
        return;
    }
    if (++idlePolls >= limit) Flush();
}

}  // namespace devices
