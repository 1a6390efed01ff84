// LZH coding over an inner stream: LZSS string matching over a 4096-byte ring whose literals
// and match lengths go through an adaptive Huffman code, and whose match positions are sent as
// a fixed code for the upper 6 bits plus 6 plain bits. This is the classic LZHUF scheme, so
// archivers that read the "-lh1-" method decode it, with three differences: no length header
// (the container keeps the uncoded length), one extra zero byte after the last partial byte
// (so a code for empty input is the single byte 0x00), and coding in pieces of any size gives
// the same code as coding everything at once.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/layered_stream.h"
#include "core/read_ahead.h"

namespace core {

inline constexpr int kLzhRingSize = 4096;
inline constexpr int kLzhLookAhead = 60;
inline constexpr int kLzhThreshold = 2;

// The adaptive Huffman code and the bit packing shared by both directions.
class LzhCoder {
public:
    static constexpr int kChars = 256 - kLzhThreshold + kLzhLookAhead;  // 314 symbols
    static constexpr int kTableSize = kChars * 2 - 1;                   // 627 tree nodes
    static constexpr int kRoot = kTableSize - 1;
    static constexpr unsigned kMaxFreq = 0x8000;

    // Initial tree (every leaf frequency 1), empty bit buffers.
    void Reset(StreamIO* stream);

    void EncodeChar(unsigned c);
    void EncodePosition(unsigned pos);
    // Writes the last partial byte and the closing zero byte, then hands every pending byte to
    // the inner stream. 0 when a write to it failed.
    int EncodeEnd();
    // Hands full output bytes to the inner stream; 0 when a write failed.
    int FlushOutput();

    [[nodiscard]] unsigned DecodeChar();
    [[nodiscard]] unsigned DecodePosition();

    // A read of the inner stream failed; the bits it should have given were zeros.
    [[nodiscard]] bool InputFailed() const { return inputFailed; }
    [[nodiscard]] bool OutputFailed() const { return outputFailed; }

private:
    void Update(unsigned c);
    void Rebuild();
    void PutCode(int length, unsigned code);
    void PutByte(std::uint8_t b);
    // Tops the bit buffer up to more than 56 bits (zeros past the end of the code).
    void FillBits();
    // After a symbol: the code ran out when 8 or fewer of its bits were left before the symbol's
    // last bit was taken (the coder reads a byte ahead, and the writer's closing zero byte is
    // that byte).
    void CheckEnd();

    StreamIO* inner = nullptr;
    // The counts, ascending; the sentinel after them (and its copies, so that the search for
    // the end of a run may read eight counts at a time) stands above every count.
    std::uint16_t freq[kTableSize + 8] = {};
    std::uint16_t parent[kTableSize + kChars] = {};
    std::uint16_t child[kTableSize] = {};
    std::uint64_t getBuf = 0;  // the next bits of the code, first bit highest
    int getLen = 0;            // bits in getBuf
    int padLen = 0;            // of those, zeros given past the end of the code
    std::uint16_t putBuf = 0;
    std::uint8_t putLen = 0;
    bool inputFailed = false;
    bool outputFailed = false;
    // Output bytes are gathered and written in pieces rather than one virtual call per byte.
    std::uint8_t out[1024] = {};
    std::uint32_t outCount = 0;
    StreamReadAhead input;
};

class LZHWStream : public LayeredStream {
public:
    LZHWStream();  // no source
    explicit LZHWStream(StreamIO* in);
    ~LZHWStream() override;

    void Open(StreamIO* in);

    // Only the current position is accepted.
    int SetPosition(std::int32_t pos) override;
    // Finishes the code and lets go of the inner stream: a finished writer accepts no more data
    // until it is opened again. 0 when a write to the inner stream failed.
    int Flush() override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;
    void Close() override;

private:
    struct Search;  // the ring and the chains of its strings

    void StartUp();
    void EmitToken();
    void Consume(std::uint8_t c);
    void ConsumeTail();
    int OutputStatus();

    std::unique_ptr<LzhCoder> coder;
    std::unique_ptr<Search> search;
    int lookAhead = 0;      // bytes of look-ahead in the ring
    bool started = false;   // the first 60 bytes are gathered and inserted
    int tokenLength = 0;    // bytes the last token covers
    int tokenConsumed = 0;  // of those, already taken into the ring
};

class LZHRStream : public LayeredReader {
public:
    LZHRStream();  // no source
    explicit LZHRStream(StreamIO* in);

    // The code must start at position 0 of the inner stream for backward seeks to work.
    void Open(StreamIO* in);

    // Forward seeks decode and drop; backward seeks restart at the start of the code.
    int SetPosition(std::int32_t pos) override;
    int Write(std::uint32_t count, const void* src) override;
    // The code carries no end: this delivers as many bytes as asked, so callers ask for at most
    // the uncoded length they keep. Bits past the end of the code read as zeros; the read after
    // the one that ran out fails with the inner stream's status (2 at the end of the data).
    int Read(std::uint32_t count, void* dst) override;

    // The decoder needed bits past the end of the code (and was given zeros).
    [[nodiscard]] bool RanPastTheCode() const { return coder->InputFailed(); }

private:
    void Restart();

    std::unique_ptr<LzhCoder> coder;
    std::unique_ptr<std::uint8_t[]> ring;
    unsigned r = 0;
    unsigned matchPos = 0;
    unsigned matchLeft = 0;
};

// Whole-buffer coding, for tools and measurements. LzhDecode fills `out` exactly and returns 1,
// or 0 when the code ran out before `out` was full (a cut or damaged code).
[[nodiscard]] std::vector<std::uint8_t> LzhEncode(std::span<const std::uint8_t> data);
[[nodiscard]] int LzhDecode(std::span<const std::uint8_t> code, std::span<std::uint8_t> out);

}  // namespace core
