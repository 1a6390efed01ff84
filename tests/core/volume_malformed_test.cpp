// Damaged volumes, made by our own writer and then broken: every one either fails to open or
// opens with the damaged entries left out, and no read goes outside the file.
#include <gtest/gtest.h>

#include <functional>

#include "core/endian.h"
#include "core/volume_stream.h"
#include "volume_test_support.h"

namespace {

using Bytes = std::string;
using volume_test::BuildVolume;
using volume_test::Member;
using volume_test::MixedBytes;
using volume_test::ScopedWorkFolder;
using volume_test::WriteFile;

std::vector<Member> CorpusMembers() {
    return {
        {true, "alpha.txt", 0, core::kVolumeStored, MixedBytes(300, 11)},
        {true, "Beta.bin", 0, core::kVolumeRunLength, MixedBytes(700, 12)},
        {true, "gamma", 0, core::kVolumeLzh, MixedBytes(900, 13)},
        {false, "", 42, core::kVolumeLzh, MixedBytes(200, 14)},
        {false, "", 5, core::kVolumeStored, MixedBytes(64, 15)},
    };
}

// Where the parts of a volume made by our writer lie.
struct Layout {
    std::size_t namesBody = 0;  // the "vols" body (its u32 in use first)
    std::size_t indexBody = 0;  // the "voli" body
    std::size_t count = 0;
    std::size_t Entry(std::size_t i) const { return indexBody + i * core::kVolumeEntryBytes; }
};

Layout FindLayout(const Bytes& v) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(v.data());
    Layout l;
    l.namesBody = 24;
    const std::uint32_t volsSize = core::ReadU32(p + 20) & 0x7FFFFFFF;
    const std::size_t voli = 24 + ((volsSize + 3) & ~3u);
    l.indexBody = voli + 8;
    l.count = (core::ReadU32(p + voli + 4) & 0x7FFFFFFF) / core::kVolumeEntryBytes;
    return l;
}

void PutU32(Bytes& v, std::size_t at, std::uint32_t value) {
    core::WriteU32(reinterpret_cast<std::uint8_t*>(v.data()) + at, value);
}
std::uint32_t GetU32(const Bytes& v, std::size_t at) {
    return core::ReadU32(reinterpret_cast<const std::uint8_t*>(v.data()) + at);
}

// The stored (coded) size of entry i: the body size of its "VBLK".
std::uint32_t CodeBytes(const Bytes& v, const Layout& l, std::size_t i) {
    return GetU32(v, GetU32(v, l.Entry(i) + 4) + 4) & 0x7FFFFFFF;
}

// Opens the volume and reads every member it lists (bounded), touching every byte of stored data
// it hands out, so that the sanitizers see any read outside the mapping.
struct Outcome {
    bool opened = false;
    std::size_t listed = 0;
    std::uint32_t dropped = 0;
};

Outcome Exercise(const Bytes& bytes) {
    WriteFile("bad.vol", bytes);
    core::VolumeRStream volume;
    Outcome out;
    out.opened = volume.OpenVolume("bad.vol") == 1;
    if (!out.opened) return out;
    out.listed = volume.Entries().size();
    out.dropped = volume.DroppedEntryCount();
    std::vector<char> buffer(4096);
    for (const core::VolumeEntry& e : volume.Entries()) {
        if (e.compression == core::kVolumeStored) {
            if (const std::uint8_t* data =
                    e.named ? volume.GetEntryData(e.name) : volume.GetEntryData(e.id)) {
                unsigned sum = 0;
                for (std::uint32_t i = 0; i < e.size; ++i)
                    sum += data[i];
                buffer[0] = static_cast<char>(sum);
            }
        }
        if (!(e.named ? volume.OpenEntry(e.name) : volume.OpenEntryById(e.id))) continue;
        std::uint64_t left = std::min<std::uint64_t>(e.size, 1 << 16);
        while (left > 0) {
            const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, buffer.size()));
            if (!volume.Read(n, buffer.data()) || volume.GetLastCount() == 0) break;
            left -= volume.GetLastCount();
        }
        volume.SetPosition(0);
        volume.Read(16, buffer.data());
    }
    return out;
}

// The writer opens the same damage for an update without crashing or allocating wildly.
void ExerciseWriter(const Bytes& bytes) {
    WriteFile("bad.vol", bytes);
    core::VolumeRWStream volume;
    if (volume.OpenVolume("bad.vol")) {
        for (const core::VolumeEntry& e : volume.Entries()) {
            if (e.named ? volume.OpenEntry(e.name) : volume.OpenEntryById(e.id)) {
                char buffer[64];
                volume.Read(sizeof buffer, buffer);
            }
        }
        volume.CloseVolume();
    }
}

class VolumeMalformedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildVolume("good.vol", CorpusMembers()));
        good = volume_test::ReadFile("good.vol");
        layout = FindLayout(good);
        ASSERT_EQ(layout.count, 5u);
    }
    ScopedWorkFolder folder;
    Bytes good;
    Layout layout;
};

TEST_F(VolumeMalformedTest, TheUndamagedVolumeOpensWhole) {
    const Outcome out = Exercise(good);
    EXPECT_TRUE(out.opened);
    EXPECT_EQ(out.listed, 5u);
    EXPECT_EQ(out.dropped, 0u);
}

TEST_F(VolumeMalformedTest, EveryTruncationIsSafe) {
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Outcome out = Exercise(good.substr(0, cut));
        // The writer's open reads the same structure; a sample of the cuts is enough for it.
        if (cut % 16 == 0 || cut < layout.Entry(layout.count) + 16)
            ExerciseWriter(good.substr(0, cut));
        // A cut volume never lists a member whose block was cut away.
        EXPECT_LE(out.listed, 5u);
        if (cut < layout.indexBody) {
            EXPECT_FALSE(out.opened);
        }
    }
}

struct Damage {
    const char* what;
    std::function<void(Bytes&, const Layout&)> apply;
    bool opens;
    std::size_t listed;
};

TEST_F(VolumeMalformedTest, DamagedFieldsGiveTheFailureResult) {
    // Entry 0 is "alpha.txt" (stored), 1 "Beta.bin", 2 "gamma", 3 #5, 4 #42: the index order.
    const std::vector<Damage> cases = {
        {"name offset past the name table",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(0), 0x7FFFFFF0); }, true, 4},
        {"name offset at the table's end",
         [](Bytes& v, const Layout& l) {
             PutU32(v, l.Entry(1), static_cast<std::uint32_t>(l.indexBody));
         },
         true, 4},
        {"names without a NUL",
         [](Bytes& v, const Layout& l) {
             for (std::size_t i = l.namesBody + 4; i < l.indexBody - 8; ++i)
                 v[i] = 'x';
         },
         true, 2},
        {"block offset outside the file",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(2) + 4, 0xFFFFFFF0u); }, true, 4},
        {"block header cut by the file's end",
         [](Bytes& v, const Layout& l) {
             PutU32(v, l.Entry(3) + 4, static_cast<std::uint32_t>(v.size() - 4));
         },
         true, 4},
        {"block that is not VBLK",
         [](Bytes& v, const Layout& l) {
             PutU32(v, GetU32(v, l.Entry(4) + 4), core::FourCC("XBLK"));
         },
         true, 4},
        {"block body past the file's end",
         [](Bytes& v, const Layout& l) { PutU32(v, GetU32(v, l.Entry(1) + 4) + 4, 0xFFFFFFFFu); },
         true, 4},
        {"stored size larger than its block",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(0) + 8, 0xFFFFFFFFu); }, true, 4},
        {"coded size near 2^32",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(2) + 8, 0xFFFFFFFFu); }, true, 4},
        {"coded size at the most its code can give",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(2) + 8, 64 * CodeBytes(v, l, 2)); },
         true, 5},
        {"coded size past the most its code can give",
         [](Bytes& v, const Layout& l) { PutU32(v, l.Entry(2) + 8, 64 * CodeBytes(v, l, 2) + 1); },
         true, 4},
        {"unknown compression", [](Bytes& v, const Layout& l) { v[l.Entry(1) + 12] = 2; }, true, 5},
        {"unknown entry kind", [](Bytes& v, const Layout& l) { v[l.Entry(3) + 13] = 7; }, true, 4},
        {"index size near 2^31",
         [](Bytes& v, const Layout& l) { PutU32(v, l.indexBody - 4, 0xFFFFFFFEu); }, false, 0},
        {"name table shorter than 4 bytes",
         [](Bytes& v, const Layout&) { PutU32(v, 20, 0x80000002u); }, false, 0},
        {"name table past the file", [](Bytes& v, const Layout&) { PutU32(v, 20, 0xFFFFFFFFu); },
         false, 0},
        {"no VOL block", [](Bytes& v, const Layout&) { v[0] = 'X'; }, false, 0},
        {"no volh block", [](Bytes& v, const Layout&) { v[8] = 'X'; }, false, 0},
        {"no voli block", [](Bytes& v, const Layout& l) { v[l.indexBody - 8] = 'X'; }, false, 0},
    };
    for (const Damage& d : cases) {
        SCOPED_TRACE(d.what);
        Bytes bytes = good;
        d.apply(bytes, layout);
        const Outcome out = Exercise(bytes);
        ExerciseWriter(bytes);
        EXPECT_EQ(out.opened, d.opens);
        EXPECT_EQ(out.listed, d.listed);
    }
}

TEST_F(VolumeMalformedTest, UnsortedIndexStillFindsEveryMember) {
    Bytes bytes = good;
    // Swap the first and last entries.
    const std::string first = bytes.substr(layout.Entry(0), core::kVolumeEntryBytes);
    bytes.replace(layout.Entry(0), core::kVolumeEntryBytes,
                  bytes.substr(layout.Entry(4), core::kVolumeEntryBytes));
    bytes.replace(layout.Entry(4), core::kVolumeEntryBytes, first);
    WriteFile("swapped.vol", bytes);
    core::VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("swapped.vol"), 1);
    EXPECT_FALSE(volume.IndexWasSorted());
    for (const Member& m : CorpusMembers()) {
        EXPECT_EQ(m.named ? volume.OpenEntry(m.name) : volume.OpenEntryById(m.id), 1);
    }
}

TEST_F(VolumeMalformedTest, RandomDamageNeverCrashes) {
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = good;
        const int flips = 1 + static_cast<int>(next() % 8);
        for (int i = 0; i < flips; ++i) {
            // Most damage goes to the structure (first bytes) where it matters most.
            const std::size_t limit = (next() % 2) ? layout.Entry(layout.count) : bytes.size();
            bytes[next() % limit] = static_cast<char>(next());
        }
        Exercise(bytes);
        ExerciseWriter(bytes);
    }
}

}  // namespace
