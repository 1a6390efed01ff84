// Templates of installation.h.
#pragma once

#include <cstring>

#include "core/stream_io.h"

namespace mkdata {

// A write-only stream that appends to a byte vector, for the program's writers.
class ByteSink final : public core::StreamIO {
public:
    explicit ByteSink(Bytes* into) : bytes(into) {}
    std::uint32_t GetPosition() override { return static_cast<std::uint32_t>(bytes->size()); }
    std::uint32_t GetCapability(std::uint32_t kind) override {
        return kind == core::kCapWritable ? 1 : 0;
    }
    int Write(std::uint32_t count, const void* src) override {
        const auto* p = static_cast<const std::uint8_t*>(src);
        bytes->insert(bytes->end(), p, p + count);
        lastCount = count;
        return 1;
    }

private:
    Bytes* bytes;
};

template <typename WriteFn>
Bytes CollectBytes(WriteFn&& write) {
    Bytes bytes;
    ByteSink sink(&bytes);
    if (!write(sink)) bytes.clear();
    return bytes;
}

}  // namespace mkdata
