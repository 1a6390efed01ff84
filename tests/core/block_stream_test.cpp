// Tagged blocks: header layout, padding, patched sizes, clipping, nesting and malformed input.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/block_stream.h"
#include "core/endian.h"
#include "core/mem_stream.h"
#include "core/stream_io.h"
#include "core/stream_test_util.h"

namespace core {
namespace {

using testing::VectorStream;

std::vector<std::uint8_t> Header(const char (&tag)[5], std::uint32_t sizeWord) {
    std::vector<std::uint8_t> h(8);
    WriteU32(h.data(), FourCC(tag));
    WriteU32(h.data() + 4, sizeWord);
    return h;
}

TEST(BlockRWStream, ClosePatchesAnUnknownSizeAndPads) {
    struct Case {
        std::uint32_t body;
        bool padTo4;
        std::size_t total;
    };
    const Case cases[] = {{5, false, 14}, {5, true, 16}, {6, false, 14}, {8, true, 16},
                          {0, false, 8},  {1, true, 12}, {7, true, 16}};
    for (const Case& c : cases) {
        for (bool positionable : {true, false}) {
            VectorStream out(positionable);
            BlockRWStream b;
            ASSERT_EQ(b.Open(&out, FourCC("ABCD"), 0, c.padTo4), 1);
            const std::vector<std::uint8_t> body(c.body, 0x5A);
            ASSERT_EQ(b.Write(c.body, body.data()), 1);
            EXPECT_EQ(b.GetPosition(), c.body);
            b.Close();
            EXPECT_EQ(b.GetStatus(), kStreamClosed);
            const auto& bytes = out.Bytes();
            if (!positionable) continue;  // an unknown size cannot be patched without seeking
            ASSERT_EQ(bytes.size(), c.total) << c.body << " " << c.padTo4;
            EXPECT_EQ(ReadU32(bytes.data()), FourCC("ABCD"));
            EXPECT_EQ(ReadU32(bytes.data() + 4), c.body | (c.padTo4 ? kBlockPadTo4 : 0));
            for (std::size_t i = 8 + c.body; i < c.total; ++i)
                EXPECT_EQ(bytes[i], 0) << i;
            EXPECT_EQ(out.GetPosition(), c.total);
        }
    }
}

TEST(BlockRWStream, AKnownSizeIsReachedBySeekingOrByZeros) {
    for (bool positionable : {true, false}) {
        VectorStream out(positionable);
        BlockRWStream b;
        ASSERT_EQ(b.Open(&out, FourCC("SIZE"), 10, false), 1);
        const std::uint8_t four[4] = {1, 2, 3, 4};
        ASSERT_EQ(b.Write(4, four), 1);
        b.Close();
        EXPECT_EQ(out.GetPosition(), 18u) << positionable;
        if (!positionable) {
            ASSERT_EQ(out.Bytes().size(), 18u);
            for (std::size_t i = 12; i < 18; ++i)
                EXPECT_EQ(out.Bytes()[i], 0);
        }
    }
}

TEST(BlockRWStream, AWritePastAKnownSizeFailsWhole) {
    VectorStream out;
    BlockRWStream b;
    ASSERT_EQ(b.Open(&out, FourCC("SIZE"), 6, false), 1);
    const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(b.Write(4, bytes), 1);
    EXPECT_EQ(b.Write(4, bytes), 0);
    EXPECT_EQ(b.GetStatus(), kStreamEnd);
    EXPECT_EQ(out.Bytes().size(), 12u);  // nothing of the refused write reached the file
}

TEST(BlockRWStream, NestedBlocksGetTheirSizesAtEveryLevel) {
    VectorStream out;
    BlockRWStream outer, mid, leaf;
    ASSERT_EQ(outer.Open(&out, FourCC("OUTR"), 0, true), 1);
    ASSERT_EQ(mid.Open(&outer, FourCC("MIDL"), 0, false), 1);
    const std::uint8_t three[3] = {7, 8, 9};
    ASSERT_EQ(leaf.Open(&mid, FourCC("LEAF"), 0, false), 1);
    ASSERT_EQ(leaf.Write(3, three), 1);
    EXPECT_EQ(leaf.GetPosition(), 3u);
    EXPECT_EQ(mid.GetPosition(), 8u + 3u);
    leaf.Close();                                             // 8 + 3 + 1 pad
    ASSERT_EQ(leaf.Open(&mid, FourCC("TWO "), 2, false), 1);  // re-open on the next block
    ASSERT_EQ(leaf.Write(2, three), 1);
    leaf.Close();
    mid.Close();
    outer.Close();

    const auto& bytes = out.Bytes();
    // OUTR(8) [ MIDL(8) [ LEAF(8) 3 pad1 | TWO(8) 2 ] ] -> mid body 22, outer body 30 -> pad to 32
    ASSERT_EQ(bytes.size(), 8u + 32u);
    EXPECT_EQ(ReadU32(bytes.data() + 4), 30u | kBlockPadTo4);
    EXPECT_EQ(ReadU32(bytes.data() + 12), 22u);
    EXPECT_EQ(ReadU32(bytes.data() + 20), 3u);
    EXPECT_EQ(ReadU32(bytes.data() + 28), FourCC("TWO "));

    // Read it back by stacking readers.
    VectorStream in(bytes);
    BlockRStream r0, r1, r2;
    ASSERT_EQ(r0.OpenExpect(&in, FourCC("OUTR")), 1);
    ASSERT_EQ(r1.OpenExpect(&r0, FourCC("MIDL")), 1);
    ASSERT_EQ(r2.Open(&r1), 1);
    EXPECT_EQ(r2.GetTag(), FourCC("LEAF"));
    r2.Close();  // skips the body and its padding
    EXPECT_EQ(r1.GetPosition(), 12u);
    ASSERT_EQ(r2.OpenExpect(&r1, FourCC("TWO ")), 1);
    std::uint8_t got[2] = {};
    ASSERT_EQ(ReadAll(r2, 2, got), 1);
    EXPECT_EQ(got[1], 8);
    r2.Close();
    r1.Close();
    r0.Close();
    EXPECT_EQ(in.GetPosition(), 40u);
}

TEST(BlockRStream, ReadsAreClippedAtTheBodyEnd) {
    auto bytes = Header("DATA", 12);
    for (int i = 0; i < 12; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    bytes.resize(bytes.size() + 8, 0xEE);  // the next block's bytes must not leak in
    VectorStream in(bytes);
    BlockRStream b;
    ASSERT_EQ(b.Open(&in), 1);
    std::uint8_t out[20] = {};
    EXPECT_EQ(b.Read(20, out), 1);
    EXPECT_EQ(b.GetLastCount(), 12u);
    EXPECT_EQ(b.GetStatus(), kStreamEnd);
    EXPECT_EQ(out[11], 11);
    EXPECT_EQ(out[12], 0);
    EXPECT_EQ(b.Read(1, out), 0);
    EXPECT_EQ(b.GetLastCount(), 0u);
    // Seeks clip at the size and keep reporting the end; reads go on after a seek back.
    EXPECT_EQ(b.SetPosition(15), 1);
    EXPECT_EQ(b.GetPosition(), 12u);
    EXPECT_EQ(b.SetPosition(4), 1);
    ASSERT_EQ(b.Read(2, out), 1);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(b.SetPosition(-1), 0);
    EXPECT_EQ(b.GetStatus(), kStreamNotAllowed);
}

TEST(BlockRStream, CloseLeavesTheInnerStreamAtTheNextBlock) {
    struct Case {
        std::uint32_t sizeWord;
        std::uint32_t next;
    };
    const Case cases[] = {
        {7, 16}, {7 | kBlockPadTo4, 16}, {5 | kBlockPadTo4, 16}, {4, 12}, {9 | kBlockPadTo4, 20}};
    for (const Case& c : cases) {
        for (bool positionable : {true, false}) {
            auto bytes = Header("BODY", c.sizeWord);
            bytes.resize(64, 0x11);
            VectorStream in(bytes, positionable);
            BlockRStream b;
            ASSERT_EQ(b.Open(&in), 1);
            std::uint8_t one = 0;
            ASSERT_EQ(b.Read(1, &one), 1);
            b.Close();
            EXPECT_EQ(in.GetPosition(), c.next) << c.sizeWord << " " << positionable;
        }
    }
}

TEST(BlockRStream, OpenFailures) {
    BlockRStream b;
    std::uint8_t byte = 0;
    EXPECT_EQ(b.GetStatus(), kStreamClosed);
    EXPECT_EQ(b.Read(1, &byte), 0);
    EXPECT_EQ(b.Write(1, &byte), 0);
    EXPECT_EQ(b.SetPosition(0), 0);
    EXPECT_EQ(b.Flush(), 0);
    EXPECT_EQ(b.Open(nullptr), 0);

    // A header cut short.
    VectorStream shortHeader(std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 1});
    EXPECT_EQ(b.Open(&shortHeader), 0);
    EXPECT_EQ(b.GetStatus(), kStreamClosed);

    // A wrong tag leaves the inner stream just past the header.
    auto bytes = Header("GOOD", 4);
    bytes.resize(12);
    VectorStream in(bytes);
    EXPECT_EQ(b.OpenExpect(&in, FourCC("ELSE")), 0);
    EXPECT_EQ(in.GetPosition(), 8u);
    EXPECT_EQ(b.GetStatus(), kStreamClosed);

    // An inner stream that is not ready.
    MemRWStream closed;
    EXPECT_EQ(b.Open(&closed), 0);
}

// The inner data ends inside the block (a cut file): nothing counts as delivered.
TEST(BlockRStream, ABodyCutShortIsAFailure) {
    auto bytes = Header("DATA", 100);
    bytes.resize(8 + 30, 3);
    VectorStream in(bytes);
    BlockRStream b;
    ASSERT_EQ(b.Open(&in), 1);
    std::uint8_t out[100];
    EXPECT_EQ(b.Read(50, out), 0);
    EXPECT_EQ(b.GetStatus(), kStreamEnd);
    EXPECT_EQ(ReadAll(b, 10, out), 0);
}

TEST(BlockRStream, TwoReadersShareOneInnerStream) {
    auto bytes = Header("ONE ", 4);
    for (std::uint8_t v : {1, 2, 3, 4})
        bytes.push_back(v);
    auto second = Header("TWO ", 4);
    bytes.insert(bytes.end(), second.begin(), second.end());
    for (std::uint8_t v : {5, 6, 7, 8})
        bytes.push_back(v);
    VectorStream in(bytes);
    BlockRStream a, b;
    ASSERT_EQ(a.Open(&in), 1);
    ASSERT_EQ(in.SetPosition(12), 1);
    ASSERT_EQ(b.Open(&in), 1);
    std::uint8_t x = 0;
    ASSERT_EQ(a.Read(1, &x), 1);
    EXPECT_EQ(x, 1);
    ASSERT_EQ(b.Read(1, &x), 1);
    EXPECT_EQ(x, 5);
    ASSERT_EQ(a.Read(1, &x), 1);
    EXPECT_EQ(x, 2);
}

TEST(BlockRWStream, InnerWriteFailureIsAnIOError) {
    VectorStream out;
    out.failWritesAfter = 10;
    BlockRWStream b;
    ASSERT_EQ(b.Open(&out, FourCC("FAIL"), 0, false), 1);
    const std::vector<std::uint8_t> body(8, 1);
    EXPECT_EQ(b.Write(8, body.data()), 0);
    EXPECT_EQ(b.GetStatus(), kStreamIOError);
    EXPECT_EQ(b.Write(1, body.data()), 0);
}

// Random headers and bodies: opening, reading, seeking and closing never reach past the data.
TEST(BlockRStream, GarbageNeverReadsOutOfBounds) {
    std::mt19937 rng(1234);
    std::vector<std::uint8_t> out(256);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 40);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        if (bytes.size() >= 8 && rng() % 2) {
            const std::uint32_t sizes[] = {0,           1,
                                           0x7FFFFFFFu, 0xFFFFFFFFu,
                                           0x80000000u, static_cast<std::uint32_t>(rng() % 64)};
            WriteU32(bytes.data() + 4, sizes[rng() % 6]);
        }
        MemRWStream mem(static_cast<std::uint32_t>(bytes.size()),
                        static_cast<const void*>(bytes.data()));
        BlockRStream outer, inner;
        if (!outer.Open(&mem)) continue;
        inner.Open(&outer);
        for (int op = 0; op < 4; ++op) {
            (void)inner.Read(rng() % 200, out.data());
            (void)outer.Read(rng() % 200, out.data());
            (void)outer.SetPosition(static_cast<std::int32_t>(rng() % 100));
        }
        inner.Close();
        outer.Close();
        EXPECT_LE(mem.GetPosition(), bytes.size());
    }
}

}  // namespace
}  // namespace core
