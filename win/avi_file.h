// The video files the video window plays: RIFF "AVI " with one 8-bit video stream, uncoded or
// run-length coded (RLE8) with its 256-colour table in the stream format, and at most one PCM
// sound stream (8 or 16 bit, mono). Everything else is refused with a reason, and every chunk is
// bounded by the chunk that holds it, so a damaged file never reads past its bytes. The writer
// makes exactly this subset (the data maker's videos, the tests' corpora).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace win {

inline constexpr int kAviMaxWidth = 640;
inline constexpr int kAviMaxHeight = 480;
inline constexpr std::uint32_t kAviUncoded = 0;  // BI_RGB
inline constexpr std::uint32_t kAviRle8 = 1;     // BI_RLE8

struct AviChunkRef {
    std::size_t offset = 0;  // of the chunk's data in the file image
    std::uint32_t size = 0;
};

struct AviClip {
    std::vector<std::uint8_t> bytes;  // the whole file
    int width = 0;
    int height = 0;
    bool bottomUp = true;  // rows stored bottom first (the usual, positive height)
    std::uint32_t coding = kAviUncoded;
    std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB
    std::uint32_t rate = 0;                    // frames a second = rate / scale
    std::uint32_t scale = 1;
    std::vector<AviChunkRef> frames;
    // Sound: absent when soundRate is 0. The samples of every sound chunk in order.
    int soundRate = 0;
    int soundBits = 0;
    std::vector<std::uint8_t> sound;

    [[nodiscard]] std::size_t FrameCount() const { return frames.size(); }
    // The first microsecond of frame n.
    [[nodiscard]] std::uint64_t FrameStartMicros(std::uint64_t n) const {
        return n * 1000000ull * scale / rate;
    }
    [[nodiscard]] std::uint64_t VideoMicros() const { return FrameStartMicros(frames.size()); }
    [[nodiscard]] std::size_t SoundSamples() const {
        return soundRate == 0 ? 0 : sound.size() / static_cast<std::size_t>(soundBits / 8);
    }
    [[nodiscard]] std::uint64_t SoundMicros() const {
        return soundRate == 0 ? 0 : SoundSamples() * 1000000ull / static_cast<std::uint64_t>(soundRate);
    }
};

// Reads a file image; false with the reason in `error` for anything outside the subset: not
// RIFF "AVI ", chunk sizes past their parent, no or several video streams, other codings or
// depths, frames over 640×480, sound other than 8/16-bit mono PCM, a frame that does not decode.
bool ReadAviClip(std::vector<std::uint8_t> bytes, AviClip* clip, std::string* error);

// Decodes one frame's data over `frame` (width × height indices, top row first), which holds
// the previous frame: run-length frames may leave pixels as they were. False when a code runs
// past the frame or the data is short.
bool DecodeAviFrame(const AviClip& clip, std::size_t index, std::uint8_t* frame);
bool DecodeRle8(const std::uint8_t* data, std::size_t size, int width, int height, bool bottomUp,
                std::uint8_t* frame);

// Run-length codes a frame (top row first) for a bottom-up RLE8 stream. With `previous`,
// pixels that did not change are skipped, so a frame equal to the previous one is two bytes.
std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* frame, const std::uint8_t* previous,
                                     int width, int height);

struct AviContents {
    int width = 0;
    int height = 0;
    std::uint32_t coding = kAviRle8;
    std::array<std::uint32_t, 256> palette{};
    std::uint32_t rate = 1;
    std::uint32_t scale = 1;
    // Each frame's data as stored (already coded) and whether it stands alone.
    std::vector<std::vector<std::uint8_t>> frames;
    std::vector<bool> keyFrames;
    int soundRate = 0;  // 0: no sound stream
    int soundBits = 8;
    std::vector<std::uint8_t> sound;
};
// The file image: header list, stream lists, the frames interleaved with the sound that plays
// during each, and the index.
std::vector<std::uint8_t> MakeAviImage(const AviContents& contents);

}  // namespace win
