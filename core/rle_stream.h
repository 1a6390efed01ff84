// Byte-oriented run-length coding over an inner stream.
//
// The code is a sequence of groups, each opened by a control byte c: with bit 7 set the next
// byte is repeated (c & 0x7F) times; with bit 7 clear, c literal bytes follow. There is no
// header and no end marker: the code ends where the inner data ends. The writer emits runs of
// 3 to 127 bytes and literal groups of 1 to 127; the reader accepts any control byte.
#pragma once

#include <cstdint>

#include "core/layered_stream.h"
#include "core/read_ahead.h"

namespace core {

class RLEWStream : public LayeredStream {
public:
    RLEWStream();  // closed
    explicit RLEWStream(StreamIO* in);
    ~RLEWStream() override;

    // Coding starts at the inner stream's current position.
    void Open(StreamIO* in);

    // Only the current position is accepted: the code cannot be rewritten.
    int SetPosition(std::int32_t pos) override;
    // Emits the pending run and literal group; writing may go on afterwards.
    int Flush() override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;
    void Close() override;

private:
    int Emit(std::uint32_t count, const std::uint8_t* bytes);
    int EmitLiterals();
    int EmitRun();
    // A run too short to code joins the literal group.
    int RunToLiterals();

    std::uint8_t runValue = 0;
    int runCount = 0;
    int literalCount = 0;
    std::uint8_t literals[127] = {};
};

class RLERStream : public LayeredReader {
public:
    RLERStream();  // no source
    explicit RLERStream(StreamIO* in);

    // The code must start at position 0 of the inner stream for backward seeks to work, as it
    // does on a block body.
    void Open(StreamIO* in);

    // Forward seeks decode and drop; backward seeks restart at the start of the code.
    int SetPosition(std::int32_t pos) override;
    int Write(std::uint32_t count, const void* src) override;
    // Delivers all `count` bytes or fails with the inner stream's status (2 at the end of the
    // code); bytes before the end are already in `dst`.
    int Read(std::uint32_t count, void* dst) override;

private:
    int InnerFailed();

    std::uint8_t runValue = 0;
    int runCount = 0;
    int literalCount = 0;
    StreamReadAhead code;
};

}  // namespace core
