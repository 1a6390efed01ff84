// Small helpers for the stream tests: a growing memory stream and a forward-only one, coding
// through a layered writer or reader in pieces, and mixed test material.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

#include "core/stream_io.h"

namespace core::testing {

// A stream over a vector that grows on writes, like a file: seeks may pass the end, and a write
// there fills the gap with zeros; reads stop at the end. `positionable` false
// makes it a forward-only pipe: it refuses seeks and says so in its capabilities.
class VectorStream : public StreamIO {
public:
    explicit VectorStream(bool positionable = true) : positionable_(positionable) {}
    explicit VectorStream(std::vector<std::uint8_t> bytes, bool positionable = true)
        : bytes_(std::move(bytes)), positionable_(positionable) {}

    std::uint32_t GetPosition() override { return pos_; }
    int SetPosition(std::int32_t pos) override {
        if (status == kStreamEnd) status = kStreamOk;
        if (status != kStreamOk) return 0;
        if (!positionable_ || pos < 0) {
            status = kStreamNotAllowed;
            return 0;
        }
        pos_ = static_cast<std::uint32_t>(pos);
        ++seeks;
        return 1;
    }
    std::uint32_t GetCapability(std::uint32_t kind) override {
        switch (kind) {
            case kCapWritable:
            case kCapReadable:
                return 1;
            case kCapPositionable:
                return positionable_ ? 1 : 0;
            default:
                return 0;
        }
    }
    int Write(std::uint32_t count, const void* src) override {
        if (status != kStreamOk) return 0;
        if (failWritesAfter >= 0 &&
            bytesWritten + count > static_cast<std::uint64_t>(failWritesAfter)) {
            status = kStreamIOError;
            return 0;
        }
        if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
        if (count) std::memcpy(bytes_.data() + pos_, src, count);
        pos_ += count;
        bytesWritten += count;
        lastCount = count;
        return 1;
    }
    int Read(std::uint32_t count, void* dst) override {
        if (status != kStreamOk) return 0;
        const std::uint32_t size = static_cast<std::uint32_t>(bytes_.size());
        const std::uint32_t left = pos_ < size ? size - pos_ : 0;
        const std::uint32_t n = count < left ? count : left;
        if (n) std::memcpy(dst, bytes_.data() + pos_, n);
        pos_ += n;
        lastCount = n;
        if (n < count) {
            status = kStreamEnd;
            return 0;
        }
        return 1;
    }

    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

    int seeks = 0;
    std::int64_t failWritesAfter = -1;  // >= 0: writes beyond this many bytes fail
    std::uint64_t bytesWritten = 0;

private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t pos_ = 0;
    bool positionable_;
};

// Codes `in` through a layered writer `W`, `piece` bytes a write (0: all at once), and finishes.
template <class W>
std::vector<std::uint8_t> EncodeWith(const std::vector<std::uint8_t>& in, std::uint32_t piece) {
    VectorStream out;
    W w(&out);
    if (piece == 0) piece = static_cast<std::uint32_t>(in.size() ? in.size() : 1);
    for (std::size_t at = 0; at < in.size(); at += piece) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(piece, in.size() - at));
        EXPECT_EQ(w.Write(n, in.data() + at), 1);
    }
    EXPECT_EQ(w.Flush(), 1);
    return out.Bytes();
}

// Decodes `size` bytes of `code` through a layered reader `R`, `piece` bytes a read.
template <class R>
std::vector<std::uint8_t> DecodeWith(const std::vector<std::uint8_t>& code, std::size_t size,
                                     std::uint32_t piece) {
    VectorStream in(code);
    R r(&in);
    std::vector<std::uint8_t> out(size);
    for (std::size_t at = 0; at < size; at += piece) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(piece, size - at));
        EXPECT_EQ(r.Read(n, out.data() + at), 1) << "at " << at;
    }
    return out;
}

// Mixed material: text drawn from `words`, noise and long runs, in sections of 1 to
// `longestSection` bytes.
inline std::vector<std::uint8_t> MixedMaterial(std::size_t n, std::uint32_t seed,
                                               std::size_t longestSection, std::string_view words) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v;
    v.reserve(n);
    while (v.size() < n) {
        const std::size_t len = rng() % longestSection + 1;
        const int kind = static_cast<int>(rng() % 3);
        const std::uint8_t fill = static_cast<std::uint8_t>(rng());
        for (std::size_t i = 0; i < len && v.size() < n; ++i) {
            if (kind == 0) v.push_back(static_cast<std::uint8_t>(words[rng() % words.size()]));
            if (kind == 1) v.push_back(static_cast<std::uint8_t>(rng()));
            if (kind == 2) v.push_back(fill);
        }
    }
    return v;
}

}  // namespace core::testing
