// The layered decoders take their code from the inner stream in pieces rather than a byte per
// call: one virtual transfer per piece instead of several per run or per Huffman byte. The
// inner stream may therefore stand past the bytes decoded so far; a decoder that rewinds resets
// its read-ahead together with the inner stream.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/stream_io.h"

namespace core {

class StreamReadAhead {
public:
    static constexpr std::uint32_t kPiece = 2048;

    void Reset(StreamIO* stream) {
        inner = stream;
        pos = end = 0;
        exhausted = false;
    }

    // The next byte of the code; false when the inner stream has no more.
    [[nodiscard]] bool Get(std::uint8_t& b) {
        if (pos == end && !Refill()) return false;
        b = buffer[pos++];
        return true;
    }

    // Copies up to `n` bytes and returns how many there were.
    [[nodiscard]] std::uint32_t Take(std::uint8_t* dst, std::uint32_t n) {
        std::uint32_t done = 0;
        while (done < n) {
            if (pos == end && !Refill()) break;
            std::uint32_t k = end - pos;
            if (k > n - done) k = n - done;
            std::memcpy(dst + done, buffer + pos, k);
            pos += k;
            done += k;
        }
        return done;
    }

private:
    bool Refill() {
        pos = end = 0;
        if (exhausted || !inner) return false;
        // A whole piece, or what a clipped or failed transfer reports it moved: the end of a
        // tagged block or of the data.
        std::uint32_t got = kPiece;
        if (!inner->Read(kPiece, buffer)) {
            got = inner->GetLastCount();
            exhausted = true;
        } else if (inner->GetLastCount() < kPiece && inner->GetStatus() == kStreamEnd) {
            got = inner->GetLastCount();
            exhausted = true;
        }
        end = got < kPiece ? got : kPiece;
        return end > 0;
    }

    StreamIO* inner = nullptr;
    std::uint32_t pos = 0;
    std::uint32_t end = 0;
    bool exhausted = false;
    std::uint8_t buffer[kPiece];
};

}  // namespace core
