// Tagged blocks: a four-character tag, a 32-bit size word and a body, the body holding data or
// further blocks. A block stream views one block's body of an inner stream; stacking block
// streams writes and reads nested blocks, and positions are relative to the body, so they
// compose through any depth.
//
// Size word: bits 0-30 the body length; bit 31 set pads the body with zeros to a multiple of 4,
// clear to a multiple of 2. A size of 0 while writing means "not yet known" and is filled in at
// close; a reader takes a size of 0 as "no limit".
#pragma once

#include <cstdint>

#include "core/stream_io.h"

namespace core {

inline constexpr std::uint32_t kBlockPadTo4 = 0x80000000u;
inline constexpr std::uint32_t kBlockSizeMask = 0x7FFFFFFFu;
inline constexpr std::uint32_t kBlockHeaderSize = 8;

// The length of a body with its padding, for a size word as stored.
[[nodiscard]] constexpr std::uint64_t BlockPaddedSize(std::uint32_t sizeWord) {
    const std::uint64_t size = sizeWord & kBlockSizeMask;
    return (sizeWord & kBlockPadTo4) ? (size + 3) & ~std::uint64_t{3}
                                     : (size + 1) & ~std::uint64_t{1};
}

class BlockStream : public StreamIO {
public:
    BlockStream();  // closed
    ~BlockStream() override;

    std::uint32_t GetPosition() override;
    int SetPosition(std::int32_t pos) override;
    std::uint32_t GetCapability(std::uint32_t kind) override;
    int Flush() override;
    int Write(std::uint32_t count, const void* src) override;
    int Read(std::uint32_t count, void* dst) override;

    [[nodiscard]] std::uint32_t GetTag() const { return tag; }
    [[nodiscard]] std::uint32_t GetSizeWord() const { return sizeWord; }
    [[nodiscard]] std::uint32_t GetSize() const { return sizeWord & kBlockSizeMask; }
    // The inner stream's position of the block's header.
    [[nodiscard]] std::uint32_t GetBlockStart() const { return blockStart; }

protected:
    // The shared open: close, check the inner stream, then write or read the 8-byte header.
    int OpenHeader(StreamIO* in, bool write);
    // Where the padded block ends, in the inner stream's coordinates.
    [[nodiscard]] std::uint64_t BlockEnd() const;
    void Forget();

    StreamIO* inner = nullptr;  // not owned
    std::uint32_t tag = 0;
    std::uint32_t sizeWord = 0;
    std::uint32_t position = 0;  // absolute, in the inner stream's coordinates
    std::uint32_t blockStart = 0;
    std::uint32_t highWater = 0;  // the furthest position written, in the inner's coordinates

private:
    // Brings the inner stream to `position` when another user moved it; 0 on failure.
    int SyncInner();
};

class BlockRWStream : public BlockStream {
public:
    BlockRWStream() = default;
    ~BlockRWStream() override;

    // Starts a new block at the inner stream's current position. A size of 0 is filled in at
    // close; a known size refuses writes past it.
    int Open(StreamIO* in, std::uint32_t tag, std::uint32_t size, bool padTo4);
    // Steps into an existing block of a file being updated.
    int OpenExisting(StreamIO* in);
    int OpenExistingExpect(StreamIO* in, std::uint32_t tag);

    // Patches an unknown size into the header and pads the body, leaving the inner stream at
    // the start of the next block.
    void Close() override;
};

class BlockRStream : public BlockStream {
public:
    BlockRStream() = default;
    ~BlockRStream() override;

    // Reads the header at the inner stream's current position; the caller looks at GetTag().
    int Open(StreamIO* in);
    // As Open, but a header with another tag closes the stream again and fails (the inner
    // stream has then moved past the header).
    int OpenExpect(StreamIO* in, std::uint32_t tag);

    // Leaves the inner stream at the start of the next sibling block, however much was read.
    void Close() override;
};

}  // namespace core
