// The abstract byte stream under every file format of the system. Files, memory windows, tagged
// blocks, run-length and LZH coders and volume members are all StreamIO subclasses, so a reader
// written against StreamIO works on any of them, and layered streams stack freely.
#pragma once

#include <cstdint>

namespace core {

// The sticky status word of a stream. Transfers refuse to run unless it is kStreamOk; a seek
// first turns kStreamEnd back into kStreamOk, so a reader that met the end can rewind.
enum StreamStatus : std::int32_t {
    kStreamOk = 0,
    kStreamNotFound = 1,    // cannot open, not found, denied, out of room
    kStreamEnd = 2,         // a read delivered fewer bytes than asked
    kStreamIOError = 3,     // any other failure of the layer below
    kStreamNotAllowed = 4,  // the wrong direction, or a seek the stream cannot do
    kStreamClosed = 5,      // never opened, or closed
    kStreamNoSource = 6,    // a layered stream without an inner stream
};

// Kinds of GetCapability query. kCapType answers the stream's type code; the others answer 0/1.
enum StreamCapability : std::uint32_t {
    kCapType = 0,
    kCapWritable = 1,
    kCapReadable = 2,
    kCapPositionable = 3,
    kCapLayered = 4,
};

// Type codes answered to kCapType.
enum StreamType : std::uint32_t {
    kStreamTypeBase = 0,
    kStreamTypeFileRW = 1,
    kStreamTypeFileR = 2,
    kStreamTypeFileW = 3,
    kStreamTypeMemRW = 4,
    kStreamTypeRLER = 7,
    kStreamTypeRLEW = 8,
    kStreamTypeLZHR = 9,
    kStreamTypeLZHW = 10,
};

class StreamIO {
public:
    StreamIO() = default;
    StreamIO(const StreamIO&) = delete;
    StreamIO& operator=(const StreamIO&) = delete;

    // The virtual operations keep one order in every class: status, destructor, position,
    // seek, capability, flush, write, read, close.
    [[nodiscard]] virtual std::int32_t GetStatus();
    virtual ~StreamIO();
    [[nodiscard]] virtual std::uint32_t GetPosition();
    // Absolute byte position; 1 on success, 0 on failure.
    virtual int SetPosition(std::int32_t pos);
    [[nodiscard]] virtual std::uint32_t GetCapability(std::uint32_t kind);
    // Nonzero on success.
    virtual int Flush();
    // Moves all `count` bytes (1) or fails (0, status set).
    virtual int Write(std::uint32_t count, const void* src);
    virtual int Read(std::uint32_t count, void* dst);
    virtual void Close();

    // The byte count of the last transfer as the layer below reported it. A block stream's read
    // clipped at the end of its block returns 1 with a smaller count here. Streams set it on
    // failed transfers too (the bytes that did move): decoders that read ahead in pieces take
    // the end of their code from it.
    [[nodiscard]] std::uint32_t GetLastCount() const { return lastCount; }

protected:
    std::uint32_t lastCount = 0;
    std::int32_t status = kStreamOk;
};

// Reads exactly `count` bytes: 1 when all arrived, 0 otherwise. A block stream's read that was
// clipped at the end of its block returns 1 with a smaller count; readers of file formats and
// layered coders must not take such a read as whole, so they read through this.
[[nodiscard]] inline int ReadAll(StreamIO& s, std::uint32_t count, void* dst) {
    if (!s.Read(count, dst)) return 0;
    // The status is asked only when the count says the read may have been clipped.
    if (s.GetLastCount() >= count) return 1;
    return s.GetStatus() == kStreamEnd ? 0 : 1;
}

}  // namespace core
