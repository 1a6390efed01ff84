// The spoken-word queue: a ring of 90 numbered word clips streamed as continuous speech through
// one looping 8-bit mono 11025 Hz buffer. Callers start an utterance (QueuePhrase), append words
// and set `speaking`; the sound update runs the streaming step every third tick, which copies
// whole clips ahead of the play cursor, keeps about a second of silence ahead of it, and stops
// the buffer at offset 0 (clearing `speaking`) once the cursor has passed the end of the last
// word.
//
// Word ids: digits 1..9 are 1..9 and "0" is 10, letters a..z 11..36, "." 37, the runway suffixes
// left, right and centre 38..40, "thousand" 41, "hundred" 42; clip 195 is silence. Clips are the
// members "<id>.wav" of the tower volume (core::theTowerAtcVolume) or, for Morse tones, of the
// effects volume.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "win/dsound.h"
#include "win/handles.h"

namespace devices {

class CWave;

class SpeechQueue {
public:
    static constexpr int kRingSize = 90;
    static constexpr std::uint32_t kBufferBytes = 150000;  // about 13.6 s
    static constexpr std::uint32_t kLeadBytes = 11000;     // about a second
    static constexpr std::uint16_t kFreeSlot = 0xFFFF;
    static constexpr std::uint16_t kStopMarker = 0xFFFE;
    static constexpr int kSilenceClip = 195;

    SpeechQueue();
    virtual ~SpeechQueue();
    SpeechQueue(const SpeechQueue&) = delete;
    SpeechQueue& operator=(const SpeechQueue&) = delete;

    // Make the speech buffer (the names find no clips: every step reads its word volume).
    int OpenWordFolder(const char* folderName);
    int OpenPhraseLibrary(const char* folderName, const char* library);
    // Starts an utterance: empty ring, positions 0, the pan and the object's volume applied.
    int QueuePhrase(int pan, int unusedVolume, int reserved);
    // Appends a word in the first free (or stop-marker) slot from the play index; 0 when full.
    int AppendWord(std::uint16_t id);
    int QueueCharWord(int base, char ch);
    int QueueSpelled(std::string_view text, int base, int offset);
    // Speaks the text character by character; a last 'l', 'r' or 'c' becomes the runway suffix
    // ("27L": two, seven, left). The caller's text is left as it was.
    int QueueText(std::string_view text, int base, int offset);
    // 2500: two, five, hundred; 3000: three, thousand; 120: one, two, zero.
    int QueueNumber(std::int16_t number, int base);
    // "121.80": the clip of 121 (base + 61), eight; "118.05": base + 58, zero, five.
    int QueueFrequency(std::string_view text, int base);
    [[nodiscard]] static int WordIndexOfChar(char ch);

    // The streaming step (useFxVolume picks the effects volume instead of the tower's). 0 when
    // sound is off, without a buffer, or when a lost buffer cannot be restored; else 1.
    int ProcessTheATCqueue(win::HWND owner, int useFxVolume);
    int PutWordsFromQueueIntoBuffer(win::HWND owner, int useFxVolume);
    int ProcessStopMarkerInATCqueue(win::HWND owner, int useFxVolume);
    int AssureLeadTime(win::HWND owner, int useFxVolume);
    int AttemptToInsertSilence(win::HWND owner, int countsAsEnd, int useFxVolume);
    int WriteWord(win::HWND owner, int countsAsEnd);
    int WriteWordWrapped(win::HWND owner, int countsAsEnd);
    void AdvanceRing();

    int Flush();
    void Close();
    void ClearRing();
    void StopIfPlaying();
    int RestoreBuffer();
    [[nodiscard]] int IsPlaying();
    void SetVolume(int v);
    void SetMute(int on);
    void PollPlayState(int limit);

    win::DirectSoundBuffer* buffer = nullptr;
    std::uint32_t busy = 0;
    std::uint16_t ring[kRingSize];
    std::int32_t playIndex = 0;
    std::uint32_t speaking = 0;
    std::uint32_t wordBytes = 0;
    std::uint32_t writePos = 0;
    std::uint32_t endPos = 0;
    std::uint32_t lastPlayPos = 0;
    std::uint32_t wrapped = 0;
    std::uint32_t bufferOpen = 0;
    std::uint32_t muted = 0;
    std::int32_t savedVolume = -100;
    std::int32_t idlePolls = 0;
    std::unique_ptr<CWave> wave;
    std::string folder;
    std::int32_t volume = 0;

private:
    // The clip of a word as the buffer takes it: 8-bit mono 11025 Hz and short enough to fit
    // with its lead; anything else, or a missing clip, is the silence clip.
    std::unique_ptr<CWave> LoadWord(std::uint16_t id, int useFxVolume, bool* replaced);
    std::unique_ptr<CWave> LoadSilence(int useFxVolume);
    // Places `wave` ahead of the cursor: before the end, across it, or not at all (0).
    int Place(win::HWND owner, std::uint32_t play, int countsAsEnd, bool* acrossEnd);
    // Overwrites with silence what the cursor has played since the last step, and when a stall
    // let the cursor overtake the written sound, moves the write position up to it.
    void CatchUp(std::uint32_t play);
    bool ReadCursor(std::uint32_t* play);
};

// A queue built and destroyed with the program that nothing speaks through.
extern SpeechQueue theSpareSpeechQueue;

}  // namespace devices
