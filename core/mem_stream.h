// A byte stream over memory the caller owns: the stream never allocates or frees it.
#pragma once

#include <cstdint>

#include "core/stream_io.h"

namespace core {

class MemRWStream : public StreamIO {
public:
    MemRWStream();  // closed
    MemRWStream(std::uint32_t count, void* mem);
    // A window that refuses writes (status 4), for read-only memory such as a mapped file.
    MemRWStream(std::uint32_t count, const void* mem);
    ~MemRWStream() override;

    void Open(std::uint32_t count, void* mem);
    void OpenReadOnly(std::uint32_t count, const void* mem);

    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;
    void Close() override;

    [[nodiscard]] const std::uint8_t* GetStart() const { return start; }
    [[nodiscard]] std::uint32_t GetSize() const { return static_cast<std::uint32_t>(end - start); }

private:
    std::uint8_t* start = nullptr;
    std::uint8_t* end = nullptr;  // one past the last byte
    std::uint8_t* current = nullptr;
    bool readOnly = false;
};

}  // namespace core
