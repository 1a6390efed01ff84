// The plain byte streams: capabilities, memory windows and the three file streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/block_stream.h"
#include "core/endian.h"
#include "core/file_stream.h"
#include "core/lzh_stream.h"
#include "core/mem_stream.h"
#include "core/rle_stream.h"
#include "core/stream_io.h"
#include "platform/file_system.h"
#include "win/file_api.h"

namespace core {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint32_t seed = 7) {
    std::vector<std::uint8_t> v(n);
    std::mt19937 rng(seed);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("streams_" + std::string(info->test_suite_name()) +
                                             "_" + info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    [[nodiscard]] std::string File(const std::string& name) const {
        return (path_ / name).string();
    }

private:
    fs::path path_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// ---------------------------------------------------------------------------------------------
// Capabilities

TEST(StreamCapability, EveryClassAnswersItsRow) {
    struct Row {
        const char* name;
        std::function<std::unique_ptr<StreamIO>()> make;
        std::uint32_t answers[5];  // type, writable, readable, positionable, layered
    };
    const Row rows[] = {
        {"StreamIO", [] { return std::make_unique<StreamIO>(); }, {0, 0, 0, 0, 0}},
        {"FileRWStream", [] { return std::make_unique<FileRWStream>(); }, {1, 1, 1, 1, 0}},
        {"FileRStream", [] { return std::make_unique<FileRStream>(); }, {2, 0, 1, 1, 0}},
        {"FileWStream", [] { return std::make_unique<FileWStream>(); }, {3, 1, 0, 1, 0}},
        {"MemRWStream", [] { return std::make_unique<MemRWStream>(); }, {4, 1, 1, 1, 0}},
        {"RLERStream", [] { return std::make_unique<RLERStream>(); }, {7, 0, 1, 1, 1}},
        {"RLEWStream", [] { return std::make_unique<RLEWStream>(); }, {8, 1, 0, 0, 1}},
        {"LZHRStream", [] { return std::make_unique<LZHRStream>(); }, {9, 0, 1, 1, 1}},
        {"LZHWStream", [] { return std::make_unique<LZHWStream>(); }, {10, 1, 0, 0, 1}},
    };
    for (const Row& row : rows) {
        auto s = row.make();
        for (std::uint32_t kind = 0; kind < 5; ++kind) {
            EXPECT_EQ(s->GetCapability(kind), row.answers[kind]) << row.name << " kind " << kind;
        }
        EXPECT_EQ(s->GetCapability(5), 0u) << row.name;
        EXPECT_EQ(s->GetCapability(0xFFFFFFFFu), 0u) << row.name;
    }
}

TEST(StreamCapability, BlockStreamsForwardToTheirInnerStream) {
    std::uint8_t mem[32] = {};
    MemRWStream m(sizeof mem, mem);
    BlockRWStream b;
    EXPECT_EQ(b.GetCapability(kCapType), 0u);  // no inner stream yet
    ASSERT_EQ(b.Open(&m, FourCC("TEST"), 0, false), 1);
    EXPECT_EQ(b.GetCapability(kCapType), kStreamTypeMemRW);
    EXPECT_EQ(b.GetCapability(kCapPositionable), 1u);
}

TEST(StreamStatusFromError, NotAvailableReasonsGiveOneOthersThree) {
    for (std::uint32_t e : {2u, 4u, 6u, 12u, 32u, 39u})
        EXPECT_EQ(StreamStatusFromError(e), 1) << e;
    for (std::uint32_t e : {0u, 3u, 5u, 29u, 30u, 87u, 112u, 131u}) {
        EXPECT_EQ(StreamStatusFromError(e), 3) << e;
    }
}

TEST(ReadAll, ABlockReadClippedAtItsEndIsNotWhole) {
    std::uint8_t mem[16] = {'D', 'A', 'T', 'A', 4, 0, 0, 0, 1, 2, 3, 4};
    MemRWStream m(sizeof mem, mem);
    BlockRStream b;
    ASSERT_EQ(b.Open(&m), 1);
    std::uint8_t out[8];
    EXPECT_EQ(ReadAll(b, 3, out), 1);
    EXPECT_EQ(ReadAll(b, 3, out), 0);  // only 1 byte was left
    EXPECT_EQ(out[0], 4);
}

// ---------------------------------------------------------------------------------------------
// MemRWStream

TEST(MemRWStream, DefaultIsClosedAndRefusesTransfers) {
    MemRWStream m;
    std::uint8_t b = 0;
    EXPECT_EQ(m.GetStatus(), kStreamClosed);
    EXPECT_EQ(m.Read(1, &b), 0);
    EXPECT_EQ(m.Write(1, &b), 0);
    EXPECT_EQ(m.SetPosition(0), 0);
}

TEST(MemRWStream, ReadPastTheEndDeliversWhatIsLeftAndFails) {
    std::vector<std::uint8_t> mem = Pattern(8);
    MemRWStream m(8, mem.data());
    std::uint8_t out[10] = {};
    EXPECT_EQ(m.Read(10, out), 0);
    EXPECT_EQ(m.GetStatus(), kStreamEnd);
    EXPECT_EQ(m.GetLastCount(), 8u);
    EXPECT_TRUE(std::equal(mem.begin(), mem.end(), out));
    EXPECT_EQ(m.GetPosition(), 8u);
    // A seek clears the end; past the end it fails without moving.
    EXPECT_EQ(m.SetPosition(8), 1);
    EXPECT_EQ(m.GetStatus(), kStreamOk);
    EXPECT_EQ(m.SetPosition(9), 0);
    EXPECT_EQ(m.GetStatus(), kStreamEnd);  // it stood at the end
    EXPECT_EQ(m.SetPosition(2), 1);
    EXPECT_EQ(m.SetPosition(-1), 0);
    EXPECT_EQ(m.GetStatus(), kStreamNotFound);  // it did not stand at the end
    EXPECT_EQ(m.GetPosition(), 2u);
}

TEST(MemRWStream, WritePastTheEndFillsTheRestAndFailsWithStatusOne) {
    std::uint8_t mem[4] = {};
    MemRWStream m(sizeof mem, mem);
    const std::uint8_t src[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(m.Write(6, src), 0);
    EXPECT_EQ(m.GetStatus(), kStreamNotFound);
    EXPECT_EQ(mem[3], 4);
    EXPECT_EQ(m.Write(0, src), 0);  // the status sticks
}

TEST(MemRWStream, ReadOnlyWindowRefusesWrites) {
    const std::uint8_t mem[4] = {9, 8, 7, 6};
    MemRWStream m(4, static_cast<const void*>(mem));
    EXPECT_EQ(m.GetCapability(kCapWritable), 0u);
    std::uint8_t b = 0;
    EXPECT_EQ(m.Read(1, &b), 1);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(m.Write(1, &b), 0);
    EXPECT_EQ(m.GetStatus(), kStreamNotAllowed);
}

TEST(MemRWStream, CloseForgetsTheMemory) {
    std::uint8_t mem[4] = {};
    MemRWStream m(4, mem);
    m.Close();
    EXPECT_EQ(m.GetStatus(), kStreamClosed);
    EXPECT_EQ(m.GetPosition(), 0u);
    m.Open(4, mem);
    EXPECT_EQ(m.GetStatus(), kStreamOk);
}

// ---------------------------------------------------------------------------------------------
// FileRStream

TEST(FileRStream, SmallReadsDeliverTheFileAndTheLastOneIsShort) {
    TempDir dir;
    const auto data = Pattern(5005);
    WriteBytes(dir.File("a.bin"), data);
    FileRStream f;
    ASSERT_EQ(f.Open(dir.File("a.bin")), 1);
    std::vector<std::uint8_t> got;
    std::uint8_t piece[10];
    while (f.Read(10, piece))
        got.insert(got.end(), piece, piece + 10);
    EXPECT_EQ(f.GetStatus(), kStreamEnd);
    EXPECT_EQ(f.GetLastCount(), 5u);
    got.insert(got.end(), piece, piece + 5);
    EXPECT_EQ(got, data);
    // After the end a seek to 0 starts over.
    EXPECT_EQ(f.SetPosition(0), 1);
    ASSERT_EQ(f.Read(10, piece), 1);
    EXPECT_TRUE(std::equal(piece, piece + 10, data.begin()));
}

TEST(FileRStream, SeeksInsideTheReadAheadAndLargeReads) {
    TempDir dir;
    const auto data = Pattern(6000);
    WriteBytes(dir.File("a.bin"), data);
    FileRStream f;
    ASSERT_EQ(f.Open(dir.File("a.bin")), 1);
    std::vector<std::uint8_t> buf(3000);
    ASSERT_EQ(f.Read(100, buf.data()), 1);  // fills the read-ahead
    EXPECT_EQ(f.SetPosition(40), 1);
    EXPECT_EQ(f.GetPosition(), 40u);
    ASSERT_EQ(f.Read(3000, buf.data()), 1);  // the buffered rest first, then the file
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), data.begin() + 40));
    EXPECT_EQ(f.GetPosition(), 3040u);
    ASSERT_EQ(f.Read(3000, buf.data()), 0);
    EXPECT_EQ(f.GetLastCount(), 6000u - 3040u);
}

// Random reads and seeks against the file's own bytes: the read-ahead must never show stale
// data, whatever the order of small, large and buffered reads.
TEST(FileRStream, RandomReadsAndSeeksMatchTheFile) {
    TempDir dir;
    const auto data = Pattern(20000, 3);
    WriteBytes(dir.File("r.bin"), data);
    FileRStream f;
    ASSERT_EQ(f.Open(dir.File("r.bin")), 1);
    std::mt19937 rng(11);
    std::vector<std::uint8_t> buf(4000);
    std::uint32_t pos = 0;
    for (int step = 0; step < 2000; ++step) {
        if (rng() % 4 == 0) {
            pos = rng() % 20001;
            ASSERT_EQ(f.SetPosition(static_cast<std::int32_t>(pos)), 1);
        }
        ASSERT_EQ(f.GetPosition(), pos) << "step " << step;
        const std::uint32_t n = rng() % 2 ? rng() % 16 + 1 : rng() % 3000 + 1;
        const int ok = f.Read(n, buf.data());
        const std::uint32_t avail = 20000 - pos;
        if (n <= avail) {
            ASSERT_EQ(ok, 1);
            ASSERT_TRUE(std::equal(buf.begin(), buf.begin() + n, data.begin() + pos)) << step;
            pos += n;
        } else {
            ASSERT_EQ(ok, 0);
            ASSERT_EQ(f.GetStatus(), kStreamEnd);
            ASSERT_TRUE(std::equal(buf.begin(), buf.begin() + avail, data.begin() + pos));
            pos = 0;
            ASSERT_EQ(f.SetPosition(0), 1);
        }
    }
}

TEST(FileRStream, FailuresSetTheirStatus) {
    TempDir dir;
    FileRStream f;
    EXPECT_EQ(f.GetStatus(), kStreamClosed);
    EXPECT_EQ(f.Open(dir.File("missing.bin")), 0);
    EXPECT_EQ(f.GetStatus(), kStreamNotFound);

    WriteBytes(dir.File("a.bin"), Pattern(10));
    ASSERT_EQ(f.Open(dir.File("a.bin")), 1);
    std::uint8_t b = 0;
    EXPECT_EQ(f.Write(1, &b), 0);
    EXPECT_EQ(f.GetStatus(), kStreamNotAllowed);
    EXPECT_EQ(f.Read(1, &b), 0);  // status 4 sticks until reopened
    EXPECT_EQ(f.SetPosition(0), 0);
    f.Close();
    EXPECT_EQ(f.GetStatus(), kStreamClosed);
}

TEST(FileRStream, AnAttachedHandleIsNotClosedByTheStream) {
    TempDir dir;
    const auto data = Pattern(50);
    WriteBytes(dir.File("a.bin"), data);
    const win::FileHandle h = win::CreateFile(dir.File("a.bin"), win::GENERIC_READ,
                                              win::FILE_SHARE_READ, win::OPEN_EXISTING);
    ASSERT_TRUE(h.IsValid());
    {
        FileRStream f(h);
        std::uint8_t b = 0;
        ASSERT_EQ(f.Read(1, &b), 1);
        EXPECT_EQ(b, data[0]);
    }
    EXPECT_NE(win::SetFilePointer(h, 0, win::FILE_BEGIN), win::INVALID_SET_FILE_POINTER);
    std::uint8_t b = 0;
    std::uint32_t got = 0;
    EXPECT_TRUE(win::ReadFile(h, &b, 1, &got));
    EXPECT_EQ(got, 1u);
    EXPECT_TRUE(win::CloseHandle(h));

    win::SetLastError(win::ERROR_INVALID_HANDLE);
    FileRStream bad{win::FileHandle{}};
    EXPECT_EQ(bad.GetStatus(), kStreamNotFound);
}

// ---------------------------------------------------------------------------------------------
// FileWStream and FileRWStream

TEST(FileWStream, OpenKeepsTheOldTailAndOpenTruncatedEmpties) {
    TempDir dir;
    const std::string path = dir.File("w.bin");
    const auto old = Pattern(100);
    WriteBytes(path, old);
    const std::vector<std::uint8_t> fresh(10, 0xAB);
    {
        FileWStream w(path);
        ASSERT_EQ(w.GetStatus(), kStreamOk);
        ASSERT_EQ(w.Write(10, fresh.data()), 1);
        EXPECT_EQ(w.GetPosition(), 10u);
        std::uint8_t b = 0;
        EXPECT_EQ(w.Read(1, &b), 0);
        EXPECT_EQ(w.GetStatus(), kStreamNotAllowed);
    }
    auto now = ReadBytes(path);
    ASSERT_EQ(now.size(), 100u);
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), now.begin()));
    EXPECT_TRUE(std::equal(old.begin() + 10, old.end(), now.begin() + 10));

    FileWStream w;
    ASSERT_EQ(w.OpenTruncated(path), 1);
    ASSERT_EQ(w.Write(10, fresh.data()), 1);
    ASSERT_EQ(w.Flush(), 1);
    w.Close();
    EXPECT_EQ(ReadBytes(path), fresh);
}

TEST(FileRWStream, WritesSeeksReadsAndCuts) {
    TempDir dir;
    const std::string path = dir.File("rw.bin");
    const auto data = Pattern(300);
    FileRWStream f(path);  // created when absent
    ASSERT_EQ(f.GetStatus(), kStreamOk);
    ASSERT_EQ(f.Write(300, data.data()), 1);
    ASSERT_EQ(f.SetPosition(100), 1);
    std::vector<std::uint8_t> buf(300);
    ASSERT_EQ(f.Read(50, buf.data()), 1);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 50, data.begin() + 100));
    EXPECT_EQ(f.Read(200, buf.data()), 0);
    EXPECT_EQ(f.GetStatus(), kStreamEnd);
    EXPECT_EQ(f.GetLastCount(), 150u);
    ASSERT_EQ(f.SetPosition(120), 1);
    ASSERT_EQ(f.Truncate(), 1);
    EXPECT_EQ(f.SetPosition(-1), 0);
    EXPECT_EQ(f.GetStatus(), kStreamNotAllowed);
    f.Close();
    EXPECT_EQ(ReadBytes(path).size(), 120u);
}

TEST(FileWStream, AFullDiscFailsWithAStickyIOError) {
    TempDir dir;
    platform::ScopedFileFaults faults;
    FileWStream w;
    ASSERT_EQ(w.OpenTruncated(dir.File("full.bin")), 1);
    platform::SimulateDiskFull(4);
    const auto data = Pattern(10);
    EXPECT_EQ(w.Write(10, data.data()), 0);
    EXPECT_EQ(w.GetStatus(), kStreamIOError);
    platform::ClearSimulatedFaults();
    EXPECT_EQ(w.Write(1, data.data()), 0);
    EXPECT_EQ(w.SetPosition(0), 0);
    ASSERT_EQ(w.Open(dir.File("full.bin")), 1);  // opening again clears it
    EXPECT_EQ(w.Write(1, data.data()), 1);
}

TEST(FileWStream, TooManyOpenFilesGivesStatusOne) {
    TempDir dir;
    platform::ScopedFileFaults faults;
    platform::SimulateTooManyOpenFiles(true);
    FileRWStream f;
    EXPECT_EQ(f.Open(dir.File("x.bin")), 0);
    EXPECT_EQ(f.GetStatus(), kStreamNotFound);
}

}  // namespace
}  // namespace core
