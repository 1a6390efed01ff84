#include "core/block_stream.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/endian.h"

namespace core {

namespace {

constexpr std::uint64_t kMaxSeek =
    static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

// Moves `s` to an absolute position given in 64 bits; positions past the i32 range fail.
int SeekTo(StreamIO& s, std::uint64_t pos) {
    if (pos > kMaxSeek) return 0;
    return s.SetPosition(static_cast<std::int32_t>(pos));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// BlockStream

BlockStream::BlockStream() {
    status = kStreamClosed;
}

BlockStream::~BlockStream() = default;

std::uint64_t BlockStream::BlockEnd() const {
    return std::uint64_t{blockStart} + kBlockHeaderSize + BlockPaddedSize(sizeWord);
}

void BlockStream::Forget() {
    inner = nullptr;
    blockStart = 0;
    position = 0;
    status = kStreamClosed;
}

int BlockStream::OpenHeader(StreamIO* in, bool write) {
    inner = in;
    blockStart = in->GetPosition();
    std::uint8_t header[kBlockHeaderSize];
    int ok = 0;
    if (blockStart <= std::numeric_limits<std::uint32_t>::max() - kBlockHeaderSize) {
        if (write) {
            WriteU32(header, tag);
            WriteU32(header + 4, sizeWord);
            ok = in->Write(kBlockHeaderSize, header);
        } else if (ReadAll(*in, kBlockHeaderSize, header)) {
            tag = ReadU32(header);
            sizeWord = ReadU32(header + 4);
            ok = 1;
        }
    }
    if (!ok) {
        Forget();
        return 0;
    }
    status = kStreamOk;
    position = blockStart + kBlockHeaderSize;
    highWater = position;
    return 1;
}

int BlockStream::SyncInner() {
    if (inner->GetPosition() == position) return 1;
    if (SeekTo(*inner, position)) return 1;
    status = kStreamIOError;
    return 0;
}

std::uint32_t BlockStream::GetPosition() {
    if (!inner || (status != kStreamOk && status != kStreamEnd)) return 0;
    return position - blockStart - kBlockHeaderSize;
}

int BlockStream::SetPosition(std::int32_t pos) {
    // Unlike the plain streams, a seek here keeps status 2: the caller learns that it asked for
    // a place past the block even when the seek itself succeeded.
    if (!inner || (status != kStreamOk && status != kStreamEnd)) return 0;
    if (pos < 0) {
        status = kStreamNotAllowed;
        return 0;
    }
    std::uint64_t rel = static_cast<std::uint64_t>(pos);
    const std::uint32_t size = GetSize();
    if (size != 0 && rel > size) {
        status = kStreamEnd;
        rel = size;
    }
    const std::uint64_t target = std::uint64_t{blockStart} + kBlockHeaderSize + rel;
    if (target != position) {
        if (!SeekTo(*inner, target)) {
            position = inner->GetPosition();
            status = kStreamIOError;
            return 0;
        }
        position = static_cast<std::uint32_t>(target);
    }
    return 1;
}

std::uint32_t BlockStream::GetCapability(std::uint32_t kind) {
    return inner ? inner->GetCapability(kind) : 0;
}

int BlockStream::Flush() {
    if (!inner || (status != kStreamOk && status != kStreamEnd)) return 0;
    if (!inner->Flush()) {
        status = kStreamIOError;
        return 0;
    }
    return 1;
}

int BlockStream::Read(std::uint32_t count, void* dst) {
    // No status test: a reader that met the end of the block may seek back and go on.
    if (!inner) return 0;
    if (!SyncInner()) return 0;
    const std::uint32_t size = GetSize();
    if (size != 0) {
        const std::uint64_t bodyEnd = std::uint64_t{blockStart} + kBlockHeaderSize + size;
        const std::uint64_t left = bodyEnd > position ? bodyEnd - position : 0;
        if (count > left) {
            status = kStreamEnd;
            count = static_cast<std::uint32_t>(left);
            if (count == 0) {
                lastCount = 0;
                return 0;
            }
        }
    }
    if (!ReadAll(*inner, count, dst)) {
        // The inner data ended inside the block: nothing of it counts as delivered.
        const std::int32_t innerStatus = inner->GetStatus();
        position = inner->GetPosition();
        lastCount = inner->GetLastCount();
        status = innerStatus == kStreamEnd ? kStreamEnd : kStreamIOError;
        return 0;
    }
    position += count;
    lastCount = count;
    return 1;
}

int BlockStream::Write(std::uint32_t count, const void* src) {
    if (!inner || status != kStreamOk) return 0;
    if (!SyncInner()) return 0;
    const std::uint64_t bodyEnd = std::uint64_t{position} - blockStart - kBlockHeaderSize + count;
    const std::uint32_t size = GetSize();
    if (size != 0 && bodyEnd > size) {
        // A block declared with its size never grows past it; the volume writer relies on
        // members staying inside their declared blocks.
        status = kStreamEnd;
        lastCount = 0;
        return 0;
    }
    if (size == 0 && bodyEnd > kBlockSizeMask) {
        status = kStreamNotAllowed;  // the size could not be recorded
        lastCount = 0;
        return 0;
    }
    if (!inner->Write(count, src)) {
        position = inner->GetPosition();
        lastCount = inner->GetLastCount();
        status = kStreamIOError;
        return 0;
    }
    position += count;
    lastCount = count;
    if (position > highWater) highWater = position;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// BlockRWStream

BlockRWStream::~BlockRWStream() {
    BlockRWStream::Close();
}

int BlockRWStream::Open(StreamIO* in, std::uint32_t newTag, std::uint32_t size, bool padTo4) {
    Close();
    if (!in || in->GetStatus() != kStreamOk || size > kBlockSizeMask) return 0;
    tag = newTag;
    sizeWord = size | (padTo4 ? kBlockPadTo4 : 0);
    return OpenHeader(in, true);
}

int BlockRWStream::OpenExisting(StreamIO* in) {
    Close();
    if (!in || in->GetStatus() != kStreamOk) return 0;
    return OpenHeader(in, false);
}

int BlockRWStream::OpenExistingExpect(StreamIO* in, std::uint32_t expected) {
    if (!OpenExisting(in)) return 0;
    if (tag == expected) return 1;
    Forget();  // not our block: leave it untouched, the inner stream just past its header
    return 0;
}

void BlockRWStream::Close() {
    if (!inner) return;
    const std::uint64_t bodyStart = std::uint64_t{blockStart} + kBlockHeaderSize;
    bool placed = true;
    if (GetSize() == 0) {
        // The body is as long as the furthest byte written, even when the writer seeked back.
        const std::uint64_t written = std::max<std::uint64_t>(position, highWater);
        placed = written >= bodyStart && written - bodyStart <= kBlockSizeMask;
        if (placed) {
            sizeWord |= static_cast<std::uint32_t>(written - bodyStart);
            std::uint8_t header[kBlockHeaderSize];
            WriteU32(header, tag);
            WriteU32(header + 4, sizeWord);
            placed = SeekTo(*inner, blockStart) && inner->Write(kBlockHeaderSize, header);
            if (placed) position = static_cast<std::uint32_t>(bodyStart);
        }
    }
    if (placed) {
        // Skip the unwritten rest of a body by seeking where the inner stream allows it, then
        // write the padding, so the block is complete even at the end of a file. Zeros never
        // go over bytes this block already holds.
        const std::uint64_t bodyEnd = bodyStart + GetSize();
        const std::uint64_t end = BlockEnd();
        if (position < bodyEnd && inner->GetCapability(kCapPositionable)) {
            if (SeekTo(*inner, bodyEnd)) {
                position = static_cast<std::uint32_t>(bodyEnd);
            } else if (position < highWater && SeekTo(*inner, highWater)) {
                position = highWater;
            }
        }
        static const std::uint8_t kZeros[256] = {};
        while (position >= highWater && position < end) {
            const std::uint64_t gap = end - position;
            const std::uint32_t n = gap < sizeof kZeros ? static_cast<std::uint32_t>(gap)
                                                        : static_cast<std::uint32_t>(sizeof kZeros);
            if (!inner->Write(n, kZeros)) break;
            position += n;
            highWater = position;
        }
    }
    Forget();
}

// ---------------------------------------------------------------------------------------------
// BlockRStream

BlockRStream::~BlockRStream() {
    BlockRStream::Close();
}

int BlockRStream::Open(StreamIO* in) {
    Close();
    if (!in || in->GetStatus() != kStreamOk) return 0;
    return OpenHeader(in, false);
}

int BlockRStream::OpenExpect(StreamIO* in, std::uint32_t expected) {
    if (!Open(in)) return 0;
    if (tag == expected) return 1;
    // Closed without skipping: the inner stream stays just past the header it read.
    Forget();
    return 0;
}

void BlockRStream::Close() {
    if (!inner) return;
    const std::uint64_t end = BlockEnd();
    if (position != end) {
        if (inner->GetCapability(kCapPositionable)) {
            SeekTo(*inner, end);
        } else {
            std::uint8_t scrap[256];
            while (position < end) {
                const std::uint64_t gap = end - position;
                const std::uint32_t n = gap < sizeof scrap
                                            ? static_cast<std::uint32_t>(gap)
                                            : static_cast<std::uint32_t>(sizeof scrap);
                if (!ReadAll(*inner, n, scrap)) break;
                position += n;
            }
        }
    }
    Forget();
}

}  // namespace core
