#include "devices/wave.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "core/endian.h"
#include "core/resource_volume.h"
#include "core/stream_io.h"

namespace devices {

// Clips a volume has given, by volume and number, with the volume's folder and archive names at
// the time: the sound code asks for the same clicks and words again and again, and a clip never
// changes while the program runs (a volume given new names reads its clips afresh).
struct CachedClip {
    std::string directory;
    std::string volumeName;
    CWave::Image image;
};
struct ClipCache {
    static constexpr std::size_t kMaxBytes = 8u << 20;
    std::map<std::pair<const void*, int>, CachedClip> clips;
    std::size_t bytes = 0;
    void Keep(const core::ResourceVolume& volume, int number, const CWave::Image& image);
};
ClipCache& TheClipCache();

CWave::~CWave() {
    Free();
}

int CWave::LoadFromStream(core::StreamIO& stream, std::uint32_t available) {
    Free();
    fromResource = 0;
    std::uint8_t head[8];
    if (!core::ReadAll(stream, 8, head) || std::memcmp(head, "RIFF", 4) != 0) return 0;
    const std::uint32_t length = core::ReadU32(head + 4);
    // The length is checked against what the member holds before anything is allocated.
    const std::uint64_t total = std::uint64_t{length} + 8;
    if (total > available || total > kMaxImageBytes) return 0;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    try {
        bytes->assign(static_cast<std::size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(bytes->data(), head, 8);
    if (length > 0 && !core::ReadAll(stream, length, bytes->data() + 8)) return 0;
    return LoadFromImage(std::move(bytes));
}

int CWave::LoadFromImage(Image shared) {
    Free();
    if (!shared || shared->size() < 8) return 0;
    image = std::move(shared);
    size = static_cast<std::uint32_t>(image->size());
    FindChunks();
    return 1;
}

void CWave::FindChunks() {
    formatAt = dataAt = -1;
    formatBytes = dataBytes = 0;
    if (size < 12 || std::memcmp(image->data() + 8, "WAVE", 4) != 0) return;
    std::uint64_t at = 12;
    while (at + 8 <= size) {
        const std::uint8_t* c = image->data() + at;
        const std::uint32_t length = core::ReadU32(c + 4);
        const std::uint64_t body = at + 8;
        // A chunk that claims more than the image holds keeps what is there.
        const auto bounded =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(length, size - body));
        if (std::memcmp(c, "fmt ", 4) == 0 && formatAt < 0) {
            formatAt = static_cast<std::int64_t>(body);
            formatBytes = bounded;
        } else if (std::memcmp(c, "data", 4) == 0 && dataAt < 0) {
            dataAt = static_cast<std::int64_t>(body);
            dataBytes = bounded;
        }
        at = body + length + (length & 1u);
    }
}

int CWave::GetFormat(win::WAVEFORMATEX* format) const {
    if (format == nullptr || !image || formatAt < 0) return 0;
    std::uint8_t raw[18] = {};
    std::memcpy(raw, image->data() + formatAt, std::min<std::uint32_t>(formatBytes, 18));
    format->wFormatTag = core::ReadU16(raw);
    format->nChannels = core::ReadU16(raw + 2);
    format->nSamplesPerSec = core::ReadU32(raw + 4);
    format->nAvgBytesPerSec = core::ReadU32(raw + 8);
    format->nBlockAlign = core::ReadU16(raw + 12);
    format->wBitsPerSample = core::ReadU16(raw + 14);
    format->cbSize = core::ReadU16(raw + 16);
    return 1;
}

std::uint32_t CWave::GetDataSize() const {
    return !image || dataAt < 0 ? 0 : dataBytes;
}

const std::uint8_t* CWave::Data() const {
    return GetDataSize() == 0 ? nullptr : image->data() + dataAt;
}

std::uint32_t CWave::ReadData(std::uint8_t* buffer, std::uint32_t maximum) const {
    const std::uint32_t n = std::min(GetDataSize(), maximum);
    if (buffer == nullptr || n == 0) return 0;
    std::memcpy(buffer, Data(), n);
    return n;
}

std::vector<std::uint8_t> CWave::ReadAllData() const {
    const std::uint8_t* d = Data();
    return d == nullptr ? std::vector<std::uint8_t>{}
                        : std::vector<std::uint8_t>(d, d + GetDataSize());
}

std::uint32_t CWave::ReadDataSplit(std::uint8_t* buffer1, std::uint8_t* buffer2,
                                   std::uint32_t length1, std::uint32_t length2) const {
    const std::uint32_t total = GetDataSize();
    const std::uint8_t* d = Data();
    const std::uint32_t first = std::min(length1, total);
    if (buffer1 != nullptr && first > 0) std::memcpy(buffer1, d, first);
    const std::uint32_t second = std::min(length2, total - first);
    if (buffer2 != nullptr && second > 0) std::memcpy(buffer2, d + first, second);
    return total;
}

int CWave::Free() {
    if (!image) return 0;
    image.reset();
    size = 0;
    formatAt = dataAt = -1;
    formatBytes = dataBytes = 0;
    return 1;
}

std::string CWave::LoadFile(const char* prefix, int number) {
    return std::string(prefix != nullptr ? prefix : "") + std::to_string(number) + ".wav";
}

ClipCache& TheClipCache() {
    static ClipCache cache;
    return cache;
}

void ClipCache::Keep(const core::ResourceVolume& volume, int number, const CWave::Image& image) {
    if (!image) return;
    // The speech volumes hold thousands of words: past a few megabytes the cache starts again
    // rather than grow without end.
    if (bytes + image->size() > kMaxBytes) {
        clips.clear();
        bytes = 0;
    }
    clips[{&volume, number}] = CachedClip{volume.GetDirectory(), volume.GetVolumeName(), image};
    bytes += image->size();
}

void ForgetCachedClips() {
    TheClipCache().clips.clear();
    TheClipCache().bytes = 0;
}

std::vector<std::uint8_t> MakeWaveImage(int rate, int channels, int bits, const std::uint8_t* data,
                                        std::size_t bytes) {
    const std::size_t padded = bytes + (bytes & 1u);
    std::vector<std::uint8_t> image(44 + padded, 0);
    std::uint8_t* p = image.data();
    const auto block = static_cast<std::uint16_t>(channels * bits / 8);
    std::memcpy(p, "RIFF", 4);
    core::WriteU32(p + 4, static_cast<std::uint32_t>(image.size() - 8));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    core::WriteU32(p + 16, 16);
    core::WriteU16(p + 20, win::WAVE_FORMAT_PCM);
    core::WriteU16(p + 22, static_cast<std::uint16_t>(channels));
    core::WriteU32(p + 24, static_cast<std::uint32_t>(rate));
    core::WriteU32(p + 28, static_cast<std::uint32_t>(rate) * block);
    core::WriteU16(p + 32, block);
    core::WriteU16(p + 34, static_cast<std::uint16_t>(bits));
    std::memcpy(p + 36, "data", 4);
    core::WriteU32(p + 40, static_cast<std::uint32_t>(bytes));
    if (bytes > 0) std::memcpy(p + 44, data, bytes);
    return image;
}

}  // namespace devices

namespace core {

std::unique_ptr<devices::CWave> ResourceVolume::LoadWave(int number) {
    devices::ClipCache& cache = devices::TheClipCache();
    auto wave = std::make_unique<devices::CWave>();
    if (auto it = cache.clips.find({this, number}); it != cache.clips.end() &&
                                                    it->second.directory == GetDirectory() &&
                                                    it->second.volumeName == GetVolumeName()) {
        wave->LoadFromImage(it->second.image);
        return wave;
    }
    const std::string name = devices::CWave::LoadFile(nullptr, number);
    // A global volume is opened at its first clip (without asking for the disc: a missing clip
    // is skipped, never worth a prompt).
    if (GetStream() != nullptr && !GetStream()->IsVolumeOpen()) Open(0);
    if (!OpenFile(name) || GetStream() == nullptr) return nullptr;
    // What the member holds bounds the length its header claims.
    const std::int64_t held = GetStream()->GetEntrySize(name);
    const std::uint32_t available = held < 0 ? devices::CWave::kMaxImageBytes
                                             : static_cast<std::uint32_t>(std::min<std::int64_t>(
                                                   held, devices::CWave::kMaxImageBytes));
    const int loaded = wave->LoadFromStream(*GetStream(), available);
    CloseFile();
    if (loaded == 0) {
        ReportDamagedMember(name);
        return nullptr;
    }
    cache.Keep(*this, number, wave->SharedImage());
    return wave;
}

}  // namespace core
