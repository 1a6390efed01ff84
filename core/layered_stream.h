// What the layered coders (run-length and LZH, each a writer and a reader) share: the inner
// stream they code to or from, the position in the uncoded bytes, the answers to capability
// queries, and for the readers the seek that decodes forward.
#pragma once

#include <cstdint>

#include "core/stream_io.h"

namespace core {

class LayeredStream : public StreamIO {
public:
    // 0 while there is no inner stream.
    std::uint32_t GetPosition() override;
    // The stream's type; layered and one direction, never positionable when writing.
    std::uint32_t GetCapability(std::uint32_t kind) override;

protected:
    enum class Direction { kWrite, kRead };
    LayeredStream(StreamType type, Direction direction);

    // Takes `in` as the inner stream, at uncoded position 0, with its status.
    void Attach(StreamIO* in);

    StreamIO* inner = nullptr;  // not owned
    std::uint32_t position = 0;

private:
    StreamType type;
    Direction direction;
};

class LayeredReader : public LayeredStream {
public:
    ~LayeredReader() override;

    int Flush() override;
    // Lets go of the inner stream.
    void Close() override;

protected:
    explicit LayeredReader(StreamType type) : LayeredStream(type, Direction::kRead) {}

    // A forward seek: decodes and drops up to `target`. The result of the last read.
    int SkipTo(std::uint32_t target);
};

}  // namespace core
