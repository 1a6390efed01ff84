// The code each member of a made volume gets, and that what the volume hands back is what was
// put in, whichever code and however many threads made it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/volume_coding.h"
#include "volume_test_support.h"

namespace core {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Noise(std::size_t n, std::uint32_t seed) {
    Bytes b(n);
    for (std::uint8_t& c : b) {
        seed = seed * 214013u + 2531011u;
        c = static_cast<std::uint8_t>(seed >> 16);
    }
    return b;
}

Bytes Text(std::size_t n) {
    const std::string words = "the quick brown fox jumps over the lazy dog near the runway ";
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(words[(i * 7 + i / 61) % words.size()]);
    return b;
}

// Runs that run-length coding halves and LZH does not halve again: pairs of bytes in runs of 4.
Bytes ShortRuns(std::size_t n) {
    Bytes b(n);
    const Bytes noise = Noise(n / 4 + 1, 5);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = noise[i / 4];
    return b;
}

TEST(VolumeCoding, EachMemberGetsTheCodeThatPaysForIt) {
    const struct {
        const char* what;
        Bytes bytes;
        std::uint8_t compression;
    } cases[] = {
        {"noise", Noise(5000, 1), kVolumeStored},
        {"short", Bytes(63, 0), kVolumeStored},
        {"empty", Bytes(), kVolumeStored},
        {"runs of four", ShortRuns(20000), kVolumeRunLength},
        {"text", Text(20000), kVolumeLzh},
        {"one long run", Bytes(100000, 9), kVolumeRunLength},
    };
    for (const auto& c : cases) {
        const VolumeMemberCode m = CodeVolumeMember(c.bytes);
        EXPECT_EQ(int{m.compression}, int{c.compression}) << c.what;
        EXPECT_EQ(m.size, c.bytes.size()) << c.what;
        if (m.compression == kVolumeStored) {
            EXPECT_EQ(m.code, c.bytes) << c.what;
        } else {
            EXPECT_LT(m.code.size() * 10, c.bytes.size() * 9) << c.what;
        }
    }
}

// Builds a volume of the members with `threads` coding threads; returns the file's bytes.
std::string MakeVolume(const std::vector<std::pair<std::string, Bytes>>& members, unsigned threads) {
    SetVolumeCodingThreads(threads);
    std::vector<VolumeMemberBytes> list;
    std::uint32_t names = 0;
    for (const auto& [name, bytes] : members) {
        VolumeMemberBytes m;
        m.named = name[0] != '#';
        if (m.named) {
            m.name = name;
            names += static_cast<std::uint32_t>(name.size() + 1);
        } else {
            m.id = static_cast<std::uint32_t>(std::stoul(name.substr(1)));
        }
        m.bytes = bytes;
        list.push_back(m);
    }
    VolumeRWStream v;
    EXPECT_EQ(v.CreateVolume("made.vol", names, static_cast<std::uint32_t>(list.size())), 1);
    EXPECT_EQ(AddCodedMembers(v, list), 1);
    EXPECT_EQ(v.CloseVolume(), 1);
    SetVolumeCodingThreads(1);
    return volume_test::ReadFile("made.vol");
}

TEST(VolumeCoding, AMadeVolumeReadsBackWhateverTheThreads) {
    volume_test::ScopedWorkFolder folder;
    const std::vector<std::pair<std::string, Bytes>> members = {
        {"a.txt", Text(30000)},  {"b.bin", Noise(4000, 2)}, {"c.raw", ShortRuns(9000)},
        {"d.run", Bytes(7000, 3)}, {"e.tiny", Bytes(10, 4)},  {"#300", Text(70000)},
        {"#301", Noise(300, 6)},
    };
    const std::string one = MakeVolume(members, 1);
    EXPECT_EQ(MakeVolume(members, 4), one);  // the same bytes from four threads
    VolumeRStream v;
    ASSERT_EQ(v.OpenVolume("made.vol"), 1);
    for (const auto& [name, bytes] : members) {
        const bool named = name[0] != '#';
        const std::uint32_t id = named ? 0 : static_cast<std::uint32_t>(std::stoul(name.substr(1)));
        ASSERT_EQ(named ? v.OpenEntry(name) : v.OpenEntryById(id), 1) << name;
        Bytes got(bytes.size());
        if (!got.empty()) {
            ASSERT_EQ(ReadAll(v, static_cast<std::uint32_t>(got.size()), got.data()), 1);
        }
        EXPECT_EQ(got, bytes) << name;
        v.Close();
    }
    EXPECT_LT(one.size(), 60000u);  // the text and the runs are coded
}

}  // namespace
}  // namespace core
