// LZH coding: exact small codes, round trips in any piece size, seeking, an outside archiver as
// an independent decoder, and malformed codes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/block_stream.h"
#include "core/endian.h"
#include "core/lzh_stream.h"
#include "core/mem_stream.h"
#include "core/stream_test_util.h"

namespace core {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::VectorStream;

Bytes Encode(const Bytes& in, std::uint32_t piece = 0) {
    return testing::EncodeWith<LZHWStream>(in, piece);
}

Bytes Decode(const Bytes& code, std::size_t size, std::uint32_t piece) {
    return testing::DecodeWith<LZHRStream>(code, size, piece);
}

Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

// Mixed material: text, noise and long runs, in sections of random length.
Bytes Mixed(std::size_t n, std::uint32_t seed) {
    return testing::MixedMaterial(n, seed, 3000, "the quick brown fox jumps ");
}

TEST(LZHWStream, EmptyInputCodesToOneZeroByte) {
    EXPECT_EQ(Encode({}), Bytes{0x00});
    VectorStream out;
    {
        LZHWStream w(&out);  // closing finishes the code too
    }
    EXPECT_EQ(out.Bytes(), Bytes{0x00});
}

TEST(LZHWStream, ShortInputsRoundTripAndEndInAZeroByte) {
    const Bytes source = Text(
        "Short inputs never fill the look-ahead, so the start-up insertion happens at the end. "
        "abcabcabcabcabcabcabc, and sixty bytes more to reach the longer cases of the table.");
    ASSERT_GE(source.size(), 121u);
    for (std::size_t n : {1u, 2u, 3u, 10u, 59u, 60u, 61u, 119u, 120u, 121u}) {
        const Bytes in(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(n));
        const Bytes code = Encode(in);
        ASSERT_FALSE(code.empty());
        EXPECT_EQ(code.back(), 0x00) << n;
        EXPECT_EQ(Encode(in, 1), code) << n;  // one byte at a time gives the same code
        EXPECT_EQ(Decode(code, n, 1), in) << n;
        EXPECT_EQ(Decode(code, n, 7), in) << n;
    }
}

TEST(LZHWStream, LeadingSpacesMatchTheSpaceFilledRing) {
    const Bytes spaces(100, ' ');
    const Bytes code = Encode(spaces);
    // Two 60-byte-ish matches and change: a handful of bytes, not one literal per space.
    EXPECT_LE(code.size(), 8u);
    EXPECT_EQ(Decode(code, 100, 3), spaces);
}

TEST(LZHWStream, ALongRunCodesAsLongMatches) {
    const Bytes run(10000, 'Q');
    const Bytes code = Encode(run);
    // 10000 / 60 matches of a few bits each.
    EXPECT_LT(code.size(), 300u);
    EXPECT_EQ(Decode(code, run.size(), 10000), run);
    EXPECT_EQ(Decode(code, run.size(), 7), run);
}

// A megabyte gives far more than 32768 symbols, so both sides rebuild the Huffman tree (more
// than once) and must do it at the same symbol.
TEST(LZHWStream, AMegabyteInRandomPiecesMatchesOneWriteAndDecodes) {
    const Bytes data = Mixed(1 << 20, 99);
    const Bytes whole = Encode(data);
    std::mt19937 rng(5);
    VectorStream out;
    LZHWStream w(&out);
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min<std::size_t>(rng() % 5000 + 1, data.size() - at);
        ASSERT_EQ(w.Write(static_cast<std::uint32_t>(n), data.data() + at), 1);
        at += n;
    }
    ASSERT_EQ(w.Flush(), 1);
    ASSERT_EQ(out.Bytes(), whole);
    EXPECT_EQ(Decode(whole, data.size(), 7), data);

    // Rewind in the middle: position 0 restarts the decoder, a later one skips forward.
    VectorStream in(whole);
    LZHRStream r(&in);
    Bytes buf(5000);
    ASSERT_EQ(r.SetPosition(600000), 1);
    ASSERT_EQ(r.Read(5000, buf.data()), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), data.begin() + 600000));
    ASSERT_EQ(r.SetPosition(0), 1);
    EXPECT_EQ(r.GetPosition(), 0u);
    ASSERT_EQ(r.Read(5000, buf.data()), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), data.begin()));
    ASSERT_EQ(r.SetPosition(4000), 1);
    ASSERT_EQ(r.Read(10, buf.data()), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 10, data.begin() + 4000));
}

// Strings that sort in the order they come chain the search trees deep: counters up and down,
// and a smooth 16-bit ramp as a grid of heights holds; each still decodes to its bytes.
TEST(LZHWStream, StringsSortedInTheirOrderRoundTrip) {
    for (const auto& [step, width] : {std::pair{1, 4}, {7, 3}, {-3, 4}, {5, 2}}) {
        Bytes data;
        for (std::int64_t v = step < 0 ? 1 << 30 : 0; data.size() < 300000; v += step)
            for (int k = width - 1; k >= 0; --k)
                data.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
        EXPECT_EQ(Decode(Encode(data), data.size(), 4096), data) << step << " " << width;
    }
}

TEST(LZHWStream, WritingAfterTheFinishIsRefused) {
    VectorStream out;
    LZHWStream w(&out);
    const Bytes data = Text("some bytes");
    ASSERT_EQ(w.Write(10, data.data()), 1);
    EXPECT_EQ(w.GetPosition(), 10u);
    EXPECT_EQ(w.SetPosition(10), 1);
    EXPECT_EQ(w.SetPosition(3), 0);
    EXPECT_EQ(w.GetStatus(), kStreamNotAllowed);

    LZHWStream w2(&out);
    ASSERT_EQ(w2.Write(10, data.data()), 1);
    ASSERT_EQ(w2.Flush(), 1);
    EXPECT_EQ(w2.Write(1, data.data()), 0);
    EXPECT_EQ(w2.GetStatus(), kStreamNoSource);
    EXPECT_EQ(w2.Flush(), 0);
    std::uint8_t b = 0;
    EXPECT_EQ(w2.Read(1, &b), 0);
}

TEST(LZHWStream, AFailedInnerWriteIsReported) {
    const Bytes data = Mixed(50000, 4);
    VectorStream out;
    out.failWritesAfter = 100;
    LZHWStream w(&out);
    const int wrote = w.Write(static_cast<std::uint32_t>(data.size()), data.data());
    const int finished = w.Flush();
    EXPECT_FALSE(wrote && finished);
    EXPECT_NE(w.GetStatus(), kStreamOk);
}

TEST(LZHRStream, ReadingPastTheCodeFailsOnTheNextRead) {
    const Bytes data = Text("a short member of a volume, read exactly");
    const Bytes code = Encode(data);
    VectorStream in(code);
    LZHRStream r(&in);
    Bytes out(data.size());
    ASSERT_EQ(r.Read(static_cast<std::uint32_t>(data.size()), out.data()), 1);
    EXPECT_EQ(out, data);
    // Exactly the uncoded length never needs bits past the code; more does, and the read after
    // that reports the end.
    Bytes extra(100);
    EXPECT_EQ(r.Read(100, extra.data()), 1);
    EXPECT_EQ(r.Read(1, extra.data()), 0);
    EXPECT_EQ(r.GetStatus(), kStreamEnd);
    // A rewind starts over.
    ASSERT_EQ(r.SetPosition(0), 1);
    ASSERT_EQ(r.Read(static_cast<std::uint32_t>(data.size()), out.data()), 1);
    EXPECT_EQ(out, data);
}

TEST(LZHRStream, ReadsInsideATaggedBlock) {
    const Bytes data = Mixed(20000, 8);
    VectorStream file;
    {
        BlockRWStream block;
        ASSERT_EQ(block.Open(&file, FourCC("VBLK"), 0, true), 1);
        LZHWStream w(&block);
        ASSERT_EQ(w.Write(static_cast<std::uint32_t>(data.size()), data.data()), 1);
        ASSERT_EQ(w.Flush(), 1);
    }
    const Bytes bytes = file.Bytes();
    MemRWStream mem(static_cast<std::uint32_t>(bytes.size()),
                    static_cast<const void*>(bytes.data()));
    BlockRStream block;
    ASSERT_EQ(block.OpenExpect(&mem, FourCC("VBLK")), 1);
    LZHRStream r(&block);
    Bytes out(data.size());
    for (std::size_t at = 0; at < data.size(); ++at)
        ASSERT_EQ(r.Read(1, &out[at]), 1);
    EXPECT_EQ(out, data);
    ASSERT_EQ(r.SetPosition(5), 1);
    std::uint8_t b = 0;
    ASSERT_EQ(r.Read(1, &b), 1);
    EXPECT_EQ(b, data[5]);
}

TEST(LZHRStream, DirectionRules) {
    LZHRStream none;
    std::uint8_t b = 0;
    EXPECT_EQ(none.GetStatus(), kStreamNoSource);
    EXPECT_EQ(none.Read(1, &b), 0);
    EXPECT_EQ(none.SetPosition(0), 0);
    EXPECT_EQ(none.Flush(), 0);

    VectorStream in(Bytes{0});
    LZHRStream r(&in);
    EXPECT_EQ(r.Flush(), 1);
    EXPECT_EQ(r.Write(1, &b), 0);
    EXPECT_EQ(r.GetStatus(), kStreamNotAllowed);
    r.Close();
    EXPECT_EQ(r.GetStatus(), kStreamNoSource);
}

TEST(LZHRStream, MalformedCodesNeverCrash) {
    const Bytes good = Encode(Mixed(3000, 12));
    std::vector<Bytes> corpus = {
        {},
        {0xFF},
        Bytes(64, 0xFF),
        Bytes(64, 0x00),
        Bytes(good.begin(), good.begin() + 40),  // cut short
    };
    std::mt19937 rng(2024);
    for (int i = 0; i < 3000; ++i) {
        Bytes code(rng() % 200);
        for (auto& b : code)
            b = static_cast<std::uint8_t>(rng());
        if (i % 3 == 0 && !good.empty()) {  // a real code with flipped bytes
            code = good;
            for (int k = 0; k < 4; ++k)
                code[rng() % code.size()] ^= static_cast<std::uint8_t>(rng());
        }
        corpus.push_back(std::move(code));
    }
    Bytes out(5000);
    for (const Bytes& code : corpus) {
        auto exact = std::make_unique<std::uint8_t[]>(code.size() + 1);
        std::copy(code.begin(), code.end(), exact.get());
        MemRWStream mem(static_cast<std::uint32_t>(code.size()),
                        static_cast<const void*>(exact.get()));
        LZHRStream r(&mem);
        int failures = 0;
        for (int op = 0; op < 8 && failures == 0; ++op) {
            if (op == 3) {
                (void)r.SetPosition(static_cast<std::int32_t>(rng() % 4000));
            } else if (!r.Read(rng() % 5000, out.data())) {
                ++failures;
                EXPECT_NE(r.GetStatus(), kStreamOk);
            }
        }
        // A skip far past the end of any code stops soon after the code runs out.
        (void)r.SetPosition(0x7FFFFFFF);
        EXPECT_LE(r.GetPosition(), 64u * 200u * 60u);
    }
}

TEST(LzhDecode, WholeBuffersAndCutCodes) {
    const Bytes data = Mixed(30000, 41);
    const Bytes code = LzhEncode(data);
    EXPECT_EQ(code, Encode(data));
    Bytes out(data.size());
    EXPECT_EQ(LzhDecode(code, out), 1);
    EXPECT_EQ(out, data);
    // Any cut of the code leaves the decoder short of bits before the end.
    for (std::size_t cut : {code.size() - 2, code.size() / 2, std::size_t{1}, std::size_t{0}}) {
        const Bytes part(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(LzhDecode(part, out), 0) << cut;
    }
    Bytes none;
    EXPECT_EQ(LzhDecode(LzhEncode({}), none), 1);
}

// The decoder reads a byte ahead of the bits it takes, and the code's closing zero byte is that
// byte: the whole code decodes its length exactly, and every shorter cut runs out before the end,
// whatever the symbols (rare ones with long codes, long matches, plain text).
TEST(LzhDecode, EveryCutRunsOutAndTheWholeCodeDoesNot) {
    std::mt19937 random(5);
    Bytes noise(700);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    const struct {
        const char* name;
        Bytes data;
    } kCases[] = {
        {"one byte", Text("x")},
        {"text", Text("a short member of a volume, read exactly to its end")},
        {"a run", Bytes(5000, 0x41)},
        {"noise", noise},
        {"mixed", Mixed(4000, 3)},
    };
    for (const auto& c : kCases) {
        const Bytes code = LzhEncode(c.data);
        Bytes out(c.data.size());
        ASSERT_EQ(LzhDecode(code, out), 1) << c.name;
        EXPECT_EQ(out, c.data) << c.name;
        for (std::size_t cut = 0; cut < code.size(); ++cut) {
            const Bytes part(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(cut));
            ASSERT_EQ(LzhDecode(part, out), 0) << c.name << " cut at " << cut;
        }
        // In pieces of any size the same bytes come out.
        for (std::uint32_t piece : {1u, 7u, 64u, 4096u})
            EXPECT_EQ(Decode(code, c.data.size(), piece), c.data) << c.name << " in " << piece;
    }
}

// ---------------------------------------------------------------------------------------------
// An outside decoder: our code is the "-lh1-" method of the classic LZH archives, so wrapping it
// in a minimal level-0 archive lets the system's archiver check it independently.

std::uint16_t Crc16(const Bytes& data) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

Bytes Level0Archive(const std::string& name, const Bytes& original, const Bytes& code) {
    Bytes h = {0, 0, '-', 'l', 'h', '1', '-'};
    auto u32 = [&h](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    u32(static_cast<std::uint32_t>(code.size()));
    u32(static_cast<std::uint32_t>(original.size()));
    u32(0x00210000);    // 1 January 1980, midnight
    h.push_back(0x20);  // attribute: archive
    h.push_back(0);     // header level
    h.push_back(static_cast<std::uint8_t>(name.size()));
    h.insert(h.end(), name.begin(), name.end());
    const std::uint16_t crc = Crc16(original);
    h.push_back(static_cast<std::uint8_t>(crc));
    h.push_back(static_cast<std::uint8_t>(crc >> 8));
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + h[i]);
    h[1] = sum;
    h.insert(h.end(), code.begin(), code.end());
    h.push_back(0);  // end of archive
    return h;
}

TEST(LZHWStream, TheSystemArchiverDecodesOurCode) {
    if (access("/usr/bin/lha", X_OK) != 0) GTEST_SKIP() << "lha is not installed";
    const auto dir =
        std::filesystem::temp_directory_path() / ("lzh_oracle_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {
        {"text", Text("It is a truth universally acknowledged, that a single byte in possession "
                      "of a good fortune, must be in want of a match. a match. a match.")},
        {"spaces", Bytes(500, ' ')},
        {"run", Bytes(10000, 0x00)},
        {"mixed", Mixed(400000, 31)},  // crosses the tree rebuild
    };
    for (const Case& c : cases) {
        const auto archive = (dir / (std::string(c.name) + ".lzh")).string();
        {
            const Bytes bytes = Level0Archive("member.bin", c.data, Encode(c.data));
            std::ofstream f(archive, std::ios::binary);
            f.write(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<std::streamsize>(bytes.size()));
        }
        const std::string command = "/usr/bin/lha -pq '" + archive + "' 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        Bytes got;
        std::uint8_t buf[65536];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
            got.insert(got.end(), buf, buf + n);
        EXPECT_EQ(pclose(pipe), 0) << c.name;
        EXPECT_EQ(got.size(), c.data.size()) << c.name;
        EXPECT_TRUE(got == c.data) << c.name;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace core
