#include "core/rle_stream.h"

#include <cstring>

namespace core {

namespace {

constexpr int kMaxGroup = 127;

// Status to report for a failed transfer of the inner stream; a stream that failed while
// claiming to be fine still failed.
std::int32_t FailureStatus(StreamIO& inner) {
    const std::int32_t s = inner.GetStatus();
    return s == kStreamOk ? kStreamEnd : s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// RLEWStream

RLEWStream::RLEWStream() : LayeredStream(kStreamTypeRLEW, Direction::kWrite) {
    status = kStreamClosed;
}

RLEWStream::RLEWStream(StreamIO* in) : LayeredStream(kStreamTypeRLEW, Direction::kWrite) {
    Open(in);
}

RLEWStream::~RLEWStream() {
    RLEWStream::Close();
}

void RLEWStream::Open(StreamIO* in) {
    Close();
    runValue = 0;
    runCount = 0;
    literalCount = 0;
    Attach(in);
}

int RLEWStream::SetPosition(std::int32_t pos) {
    if (pos >= 0 && static_cast<std::uint32_t>(pos) == position) return 1;
    status = kStreamNotAllowed;
    return 0;
}

int RLEWStream::Emit(std::uint32_t count, const std::uint8_t* bytes) {
    if (inner->Write(count, bytes)) return 1;
    status = FailureStatus(*inner);
    return 0;
}

int RLEWStream::EmitLiterals() {
    if (literalCount == 0) return 1;
    std::uint8_t group[1 + kMaxGroup];
    group[0] = static_cast<std::uint8_t>(literalCount);
    std::memcpy(group + 1, literals, static_cast<std::size_t>(literalCount));
    const std::uint32_t n = 1 + static_cast<std::uint32_t>(literalCount);
    literalCount = 0;
    return Emit(n, group);
}

int RLEWStream::EmitRun() {
    const std::uint8_t group[2] = {static_cast<std::uint8_t>(runCount | 0x80), runValue};
    runCount = 0;
    return Emit(2, group);
}

int RLEWStream::RunToLiterals() {
    // A group already holding 126 bytes goes out first, so a group reaches 127 only when a run
    // of 2 joins 125.
    if (literalCount >= kMaxGroup - 1 && !EmitLiterals()) return 0;
    for (int i = 0; i < runCount; ++i)
        literals[literalCount++] = runValue;
    runCount = 0;
    return 1;
}

int RLEWStream::Write(std::uint32_t count, const void* src) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    const auto* p = static_cast<const std::uint8_t*>(src);
    const auto* const end = p + count;
    if (runCount == 0) {
        runValue = *p++;
        runCount = 1;
        ++position;
    }
    while (p < end) {
        const std::uint8_t b = *p++;
        ++position;
        if (b == runValue && runCount < kMaxGroup) {
            ++runCount;
            continue;
        }
        if (runCount < 3) {
            if (!RunToLiterals()) return 0;
        } else {
            if (!EmitLiterals() || !EmitRun()) return 0;
        }
        runValue = b;
        runCount = 1;
    }
    lastCount = count;
    return 1;
}

int RLEWStream::Flush() {
    if (status != kStreamOk) return 0;
    if (runCount > 0 && runCount < 3 && !RunToLiterals()) return 0;
    if (!EmitLiterals()) return 0;
    if (runCount >= 3 && !EmitRun()) return 0;
    return 1;
}

int RLEWStream::Read(std::uint32_t, void*) {
    status = kStreamNotAllowed;
    return 0;
}

void RLEWStream::Close() {
    if (!inner) return;
    Flush();
    inner = nullptr;
    status = kStreamClosed;
}

// ---------------------------------------------------------------------------------------------
// RLERStream

RLERStream::RLERStream() : LayeredReader(kStreamTypeRLER) {
    status = kStreamNoSource;
}

RLERStream::RLERStream(StreamIO* in) : LayeredReader(kStreamTypeRLER) {
    Open(in);
}

void RLERStream::Open(StreamIO* in) {
    Close();
    runValue = 0;
    runCount = 0;
    literalCount = 0;
    code.Reset(in);
    Attach(in);
}

int RLERStream::Write(std::uint32_t, const void*) {
    status = kStreamNotAllowed;
    return 0;
}

int RLERStream::InnerFailed() {
    status = FailureStatus(*inner);
    return 0;
}

int RLERStream::Read(std::uint32_t count, void* dst) {
    if (status != kStreamOk || !inner) return 0;
    if (count == 0) return 1;
    auto* out = static_cast<std::uint8_t*>(dst);
    std::uint32_t left = count;
    lastCount = 0;
    while (left > 0) {
        if (literalCount > 0) {
            const std::uint32_t want = left < static_cast<std::uint32_t>(literalCount)
                                           ? left
                                           : static_cast<std::uint32_t>(literalCount);
            const std::uint32_t n = code.Take(out, want);
            out += n;
            left -= n;
            literalCount -= static_cast<int>(n);
            position += n;
            if (n < want) break;
        } else if (runCount > 0) {
            const std::uint32_t n = left < static_cast<std::uint32_t>(runCount)
                                        ? left
                                        : static_cast<std::uint32_t>(runCount);
            std::memset(out, runValue, n);
            out += n;
            left -= n;
            runCount -= static_cast<int>(n);
            position += n;
        } else {
            std::uint8_t c;
            if (!code.Get(c)) break;
            if (c & 0x80) {
                if (!code.Get(runValue)) break;
                runCount = c & 0x7F;
            } else {
                literalCount = c;
            }
        }
    }
    lastCount = count - left;
    if (left > 0) return InnerFailed();  // the code ended; what came before it is delivered
    return 1;
}

int RLERStream::SetPosition(std::int32_t pos) {
    // A reader that met the end of the code may seek back and go on.
    if (status == kStreamEnd) status = kStreamOk;
    if (status != kStreamOk || !inner) return 0;
    if (pos < 0) {
        status = kStreamNotAllowed;
        return 0;
    }
    const std::uint32_t target = static_cast<std::uint32_t>(pos);
    if (target < position) {
        if (!inner->SetPosition(0)) return InnerFailed();
        position = 0;
        runCount = 0;
        literalCount = 0;
        code.Reset(inner);
    }
    return SkipTo(target);
}

}  // namespace core
