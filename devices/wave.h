// One recorded clip: a whole RIFF "WAVE" image in memory, with its format ("fmt ") and sample
// data ("data") found once when it is loaded. Clips are numbered: clip N is the member "N.wav" of
// a resource volume (ResourceVolume::LoadWave).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "win/dsound.h"

namespace core {
class StreamIO;
}

namespace devices {

class CWave {
public:
    // Larger images are damaged members, not clips (a minute and a half of 44.1 kHz stereo).
    static constexpr std::uint32_t kMaxImageBytes = 16u * 1024u * 1024u;

    CWave() = default;
    virtual ~CWave();
    CWave(const CWave&) = delete;
    CWave& operator=(const CWave&) = delete;

    // Reads an image that starts with "RIFF" and its length L: L + 8 bytes in all (an odd L is
    // kept whole). `available` is what the stream holds; an L that needs more, or more than
    // kMaxImageBytes, gives no clip. 1 when read.
    int LoadFromStream(core::StreamIO& stream, std::uint32_t available = kMaxImageBytes);
    // The first 18 bytes of "fmt "; a shorter chunk is copied as far as it goes and the rest is
    // zero. 1, or 0 without an image or without the chunk.
    int GetFormat(win::WAVEFORMATEX* format) const;
    // The size of "data" (bounded by the image); 0 without one.
    [[nodiscard]] std::uint32_t GetDataSize() const;
    // Copies min(data size, maximum) bytes; the count copied.
    std::uint32_t ReadData(std::uint8_t* buffer, std::uint32_t maximum) const;
    // The whole data chunk.
    [[nodiscard]] std::vector<std::uint8_t> ReadAllData() const;
    // length1 bytes of the data into buffer1 (when given), the next length2 into buffer2 (when
    // given), each bounded by the data; returns the data size. Fills the two parts of a locked
    // ring-buffer region.
    std::uint32_t ReadDataSplit(std::uint8_t* buffer1, std::uint8_t* buffer2, std::uint32_t length1,
                                std::uint32_t length2) const;
    // The sample data in place (GetDataSize bytes), null without any.
    [[nodiscard]] const std::uint8_t* Data() const;
    // Releases the image; 1, or 0 when there was none.
    int Free();

    // The member name of a clip: prefix (may be null), the number in decimal and ".wav".
    static std::string LoadFile(const char* prefix, int number);

    [[nodiscard]] std::uint32_t Size() const { return size; }
    [[nodiscard]] bool Empty() const { return !image; }

    // The image as read, shared (clips of a volume are kept once loaded, never changed).
    using Image = std::shared_ptr<const std::vector<std::uint8_t>>;
    [[nodiscard]] const Image& SharedImage() const { return image; }
    // Takes an image read before; 1 when it holds one.
    int LoadFromImage(Image shared);

private:
    void FindChunks();

    Image image;
    std::uint32_t size = 0;
    std::uint32_t fromResource = 0;  // always 0: clips come from volumes, never from a module
    // Offsets and sizes of the chunks found, bounded by the image; -1 when absent.
    std::int64_t formatAt = -1;
    std::uint32_t formatBytes = 0;
    std::int64_t dataAt = -1;
    std::uint32_t dataBytes = 0;
};

// Forgets the clips volumes have kept (sound closing lets go of them).
void ForgetCachedClips();

// A RIFF "WAVE" image of PCM samples: a 16-byte "fmt " chunk and the "data" chunk (padded to an
// even length). Bits 8 (unsigned) or 16 (signed, little-endian); channels interleaved.
[[nodiscard]] std::vector<std::uint8_t> MakeWaveImage(int rate, int channels, int bits,
                                                      const std::uint8_t* data, std::size_t bytes);

}  // namespace devices
