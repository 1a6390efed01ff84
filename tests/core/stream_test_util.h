// Small helpers for the stream tests: a growing memory stream and a forward-only one.
#pragma once

#include <cstdint>
#include <cstring>
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

}  // namespace core::testing
