// Run-length coding: exact codes, round trips in any piece size, seeking and malformed codes.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/block_stream.h"
#include "core/endian.h"
#include "core/file_stream.h"
#include "core/mem_stream.h"
#include "core/rle_stream.h"
#include "core/stream_test_util.h"

namespace core {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::VectorStream;

Bytes Encode(const Bytes& in, std::uint32_t piece = 0) {
    return testing::EncodeWith<RLEWStream>(in, piece);
}

Bytes Decode(const Bytes& code, std::size_t size, std::uint32_t piece) {
    return testing::DecodeWith<RLERStream>(code, size, piece);
}

Bytes Repeat(std::uint8_t v, std::size_t n) {
    return Bytes(n, v);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// No two neighbours equal.
Bytes Alternating(std::size_t n) {
    Bytes v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i % 2 ? 0x10 + i % 7 : 0xA0 + i % 5);
    return v;
}

Bytes Group(std::uint8_t control, const Bytes& body) {
    return Concat({{control}, body});
}

// Mixed material: text, noise and long runs, in sections of random length.
Bytes Mixed(std::size_t n, std::uint32_t seed) {
    return testing::MixedMaterial(n, seed, 700, "the quick brown fox ");
}

TEST(RLEWStream, CodesAreExact) {
    const std::uint8_t x = 0x41, y = 0x42, z = 0x43;
    const Bytes alt300 = Alternating(300);
    const Bytes alt125 = Alternating(125);
    struct Case {
        const char* name;
        Bytes in;
        Bytes code;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"run then literal", {x, x, x, x, y}, {0x84, x, 0x01, y}},
        {"three literals", {x, y, z}, {0x03, x, y, z}},
        {"short run joins literals", {x, x, y}, {0x03, x, x, y}},
        {"run of three", {x, x, x}, {0x83, x}},
        {"300 equal", Repeat(x, 300), {0xFF, x, 0xFF, x, 0xAE, x}},
        {"300 alternating", alt300,
         Concat({Group(126, Bytes(alt300.begin(), alt300.begin() + 126)),
                 Group(126, Bytes(alt300.begin() + 126, alt300.begin() + 252)),
                 Group(48, Bytes(alt300.begin() + 252, alt300.end()))})},
        {"a pair fills a group to 127", Concat({alt125, {x, x, y}}),
         Concat({Group(127, Concat({alt125, {x, x}})), {0x01, y}})},
        {"literals then run then literals",
         Concat({{x, y}, Repeat(z, 5), {x}}),
         {0x02, x, y, 0x85, z, 0x01, x}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Encode(c.in), c.code) << c.name;
        // Byte-by-byte writing gives the same code, and it decodes back.
        EXPECT_EQ(Encode(c.in, 1), c.code) << c.name;
        EXPECT_EQ(Decode(c.code, c.in.size(), 7), c.in) << c.name;
    }
}

TEST(RLEWStream, PieceSizesDoNotChangeTheCode) {
    const Bytes data = Mixed(200000, 5);
    const Bytes whole = Encode(data);
    std::mt19937 rng(9);
    VectorStream out;
    RLEWStream w(&out);
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min<std::size_t>(rng() % 1000 + 1, data.size() - at);
        ASSERT_EQ(w.Write(static_cast<std::uint32_t>(n), data.data() + at), 1);
        at += n;
    }
    w.Close();  // closing flushes
    EXPECT_EQ(out.Bytes(), whole);
    for (std::uint32_t piece : {1u, 7u, 500u, 200000u}) {
        EXPECT_EQ(Decode(whole, data.size(), piece), data) << piece;
    }
}

TEST(RLEWStream, AFlushInTheMiddleKeepsTheCodeValid) {
    const Bytes data = Concat({Repeat(1, 10), Alternating(20), Repeat(2, 2)});
    VectorStream out;
    RLEWStream w(&out);
    ASSERT_EQ(w.Write(15, data.data()), 1);
    ASSERT_EQ(w.Flush(), 1);
    ASSERT_EQ(w.Flush(), 1);  // nothing pending: writes nothing
    ASSERT_EQ(w.Write(static_cast<std::uint32_t>(data.size() - 15), data.data() + 15), 1);
    ASSERT_EQ(w.Flush(), 1);
    EXPECT_EQ(Decode(out.Bytes(), data.size(), 3), data);
}

TEST(RLEWStream, DirectionAndSeekRules) {
    VectorStream out;
    RLEWStream w(&out);
    const std::uint8_t b[3] = {1, 2, 3};
    ASSERT_EQ(w.Write(3, b), 1);
    EXPECT_EQ(w.GetPosition(), 3u);
    EXPECT_EQ(w.SetPosition(3), 1);
    std::uint8_t x = 0;
    EXPECT_EQ(w.Read(1, &x), 0);
    EXPECT_EQ(w.GetStatus(), kStreamNotAllowed);

    RLEWStream w2(&out);
    EXPECT_EQ(w2.SetPosition(0), 1);
    EXPECT_EQ(w2.SetPosition(1), 0);
    EXPECT_EQ(w2.GetStatus(), kStreamNotAllowed);

    RLERStream r(&out);
    EXPECT_EQ(r.Write(1, b), 0);
    EXPECT_EQ(r.GetStatus(), kStreamNotAllowed);

    RLERStream none;
    EXPECT_EQ(none.GetStatus(), kStreamNoSource);
    EXPECT_EQ(none.Read(1, &x), 0);
    EXPECT_EQ(none.GetPosition(), 0u);
}

TEST(RLEWStream, OpenThenCloseWritesNothing) {
    VectorStream out;
    {
        RLEWStream w(&out);
        w.Close();
        EXPECT_EQ(w.GetStatus(), kStreamClosed);
    }
    EXPECT_TRUE(out.Bytes().empty());
}

TEST(RLEWStream, AFailedInnerWriteTakesItsStatus) {
    VectorStream out;
    out.failWritesAfter = 2;
    RLEWStream w(&out);
    const Bytes data = Alternating(400);
    EXPECT_EQ(w.Write(400, data.data()), 0);
    EXPECT_EQ(w.GetStatus(), kStreamIOError);
}

TEST(RLERStream, ReadingPastTheEndDeliversTheRestAndFails) {
    const Bytes code = {0x83, 9, 0x02, 4, 5};
    VectorStream in(code);
    RLERStream r(&in);
    Bytes out(10, 0);
    EXPECT_EQ(r.Read(10, out.data()), 0);
    EXPECT_EQ(r.GetStatus(), kStreamEnd);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 5), (Bytes{9, 9, 9, 4, 5}));
    // A seek back after the end starts over.
    ASSERT_EQ(r.SetPosition(1), 1);
    ASSERT_EQ(r.Read(4, out.data()), 1);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{9, 9, 4, 5}));
}

TEST(RLERStream, EmptyGroupsDeliverNothing) {
    const Bytes code = {0x00, 0x80, 7, 0x01, 3, 0x80, 1, 0x82, 6};
    EXPECT_EQ(Decode(code, 3, 1), (Bytes{3, 6, 6}));
}

TEST(RLERStream, SeeksRewindOrSkip) {
    const Bytes data = Mixed(3000, 21);
    const Bytes code = Encode(data);
    VectorStream in(code);
    RLERStream r(&in);
    Bytes out(1000);
    ASSERT_EQ(r.Read(1000, out.data()), 1);
    EXPECT_EQ(r.GetPosition(), 1000u);
    ASSERT_EQ(r.SetPosition(10), 1);  // backwards: restarts at the start of the code
    EXPECT_EQ(r.GetPosition(), 10u);
    ASSERT_EQ(r.Read(5, out.data()), 1);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 5), Bytes(data.begin() + 10, data.begin() + 15));
    ASSERT_EQ(r.SetPosition(1700), 1);  // forwards: decodes and drops
    ASSERT_EQ(r.Read(100, out.data()), 1);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 100),
              Bytes(data.begin() + 1700, data.begin() + 1800));
    EXPECT_EQ(r.SetPosition(5000), 0);
    EXPECT_EQ(r.GetStatus(), kStreamEnd);
    EXPECT_EQ(r.SetPosition(-3), 0);
}

// Inside a tagged block, as volumes store it: a block that ends inside a literal group fails the
// read instead of handing over bytes from past the block.
TEST(RLERStream, ACodeCutByItsBlockFails) {
    Bytes file(8);
    WriteU32(file.data(), FourCC("VBLK"));
    WriteU32(file.data() + 4, 4);
    for (std::uint8_t b : {0x05, 1, 2, 3, 4, 5, 6, 7})
        file.push_back(b);
    MemRWStream mem(static_cast<std::uint32_t>(file.size()), static_cast<const void*>(file.data()));
    BlockRStream block;
    ASSERT_EQ(block.Open(&mem), 1);
    RLERStream r(&block);
    std::uint8_t out[5] = {};
    EXPECT_EQ(r.Read(5, out), 0);
    EXPECT_EQ(r.GetStatus(), kStreamEnd);
}

TEST(RLERStream, MalformedCodesFailWithoutOverrun) {
    const Bytes corpus[] = {
        {0x05, 1, 2},  // literal group cut short
        {0x85},        // run without its value
        {0x7F},        // a literal group with nothing behind it
        {0xFF, 0xFF, 0xFF},
        {},
    };
    for (const Bytes& code : corpus) {
        // Exact-size memory, so that any overrun shows under the address sanitizer.
        auto exact = std::make_unique<std::uint8_t[]>(code.size() + 1);
        std::copy(code.begin(), code.end(), exact.get());
        MemRWStream mem(static_cast<std::uint32_t>(code.size()),
                        static_cast<const void*>(exact.get()));
        RLERStream r(&mem);
        Bytes out(300);
        EXPECT_EQ(r.Read(300, out.data()), 0);
        EXPECT_EQ(r.GetStatus(), kStreamEnd);
        EXPECT_EQ(r.Read(1, out.data()), 0);
    }
}

TEST(RLERStream, RandomGarbageNeverCrashes) {
    std::mt19937 rng(77);
    Bytes out(4096);
    for (int round = 0; round < 3000; ++round) {
        Bytes code(rng() % 64);
        for (auto& b : code)
            b = static_cast<std::uint8_t>(rng());
        MemRWStream mem(static_cast<std::uint32_t>(code.size()),
                        static_cast<const void*>(code.data()));
        RLERStream r(&mem);
        for (int op = 0; op < 5; ++op) {
            const std::uint32_t n = rng() % 4096;
            if (rng() % 4 == 0) {
                (void)r.SetPosition(static_cast<std::int32_t>(rng() % 3000));
            } else if (!r.Read(n, out.data())) {
                EXPECT_NE(r.GetStatus(), kStreamOk);
            }
        }
        EXPECT_LE(mem.GetPosition(), code.size());
    }
}

// The code in a file: the decoder's read-ahead meets the end of the file part-way through a
// piece and must still deliver every byte before it.
TEST(RLERStream, DecodesFromAFile) {
    const Bytes data = Mixed(9000, 17);
    const Bytes code = Encode(data);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("rle_file_" + std::to_string(::getpid()) + ".bin"))
                                 .string();
    {
        FileWStream w;
        ASSERT_EQ(w.OpenTruncated(path), 1);
        ASSERT_EQ(w.Write(static_cast<std::uint32_t>(code.size()), code.data()), 1);
    }
    FileRStream f;
    ASSERT_EQ(f.Open(path), 1);
    RLERStream r(&f);
    Bytes out(data.size());
    ASSERT_EQ(r.Read(static_cast<std::uint32_t>(out.size()), out.data()), 1);
    EXPECT_EQ(out, data);
    std::uint8_t more = 0;
    EXPECT_EQ(r.Read(1, &more), 0);
    EXPECT_EQ(r.GetStatus(), kStreamEnd);
    ASSERT_EQ(r.SetPosition(4500), 1);
    ASSERT_EQ(r.Read(100, out.data()), 1);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 100, data.begin() + 4500));
    f.Close();
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace core
