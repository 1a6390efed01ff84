#include <gtest/gtest.h>

#include <filesystem>

#include "core/endian.h"
#include "core/volume_stream.h"
#include "volume_test_support.h"

namespace {

using core::VolumeRStream;
using core::VolumeRWStream;
using volume_test::BuildVolume;
using volume_test::Member;
using volume_test::MixedBytes;
using volume_test::ReadAll;
using volume_test::ScopedWorkFolder;
using volume_test::WriteFile;

std::vector<Member> SampleMembers() {
    return {
        {true, "b.bmp", 0, core::kVolumeLzh, MixedBytes(5000, 1)},
        {true, "A.PAL", 0, core::kVolumeStored, MixedBytes(777, 2)},
        {false, "", 7, core::kVolumeRunLength, MixedBytes(3000, 3)},
        {false, "", 3, core::kVolumeStored, ""},
        {true, "text.txt", 0, core::kVolumeRunLength, std::string(1000, 'x') + "tail"},
    };
}

std::string Label(const core::VolumeEntry& e) {
    return e.named ? e.name : "#" + std::to_string(e.id);
}

TEST(VolumeTest, IndexIsSortedByNameWithoutCaseThenByNumber) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(BuildVolume("t.vol", SampleMembers()));
    VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    std::vector<std::string> order;
    for (const auto& e : volume.Entries())
        order.push_back(Label(e));
    EXPECT_EQ(order, (std::vector<std::string>{"A.PAL", "b.bmp", "text.txt", "#3", "#7"}));
    EXPECT_TRUE(volume.IndexWasSorted());
    EXPECT_EQ(volume.DroppedEntryCount(), 0u);

    ASSERT_NE(volume.FindNamedEntry("a.pal"), nullptr);
    EXPECT_EQ(volume.FindNamedEntry("a.pal")->name, "A.PAL");
    EXPECT_NE(volume.FindNamedEntry("B.BMP"), nullptr);
    EXPECT_EQ(volume.FindNamedEntry("c.bmp"), nullptr);
    EXPECT_NE(volume.FindEntry(7), nullptr);
    EXPECT_EQ(volume.FindEntry(4), nullptr);
    EXPECT_EQ(volume.FindEntry(core::kVolumeFreeSlot), nullptr);
}

TEST(VolumeTest, EveryMemberReadsBackWholeAndInChunks) {
    ScopedWorkFolder folder;
    const auto members = SampleMembers();
    ASSERT_TRUE(BuildVolume("t.vol", members));
    VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    for (const Member& m : members) {
        SCOPED_TRACE(m.named ? m.name : std::to_string(m.id));
        const auto size = static_cast<std::uint32_t>(m.data.size());
        EXPECT_EQ(m.named ? volume.GetEntrySize(m.name) : volume.GetEntrySizeById(m.id), size);
        for (std::uint32_t chunk : {size + 1, 1u, 7u, 500u}) {
            ASSERT_EQ(m.named ? volume.OpenEntry(m.name) : volume.OpenEntryById(m.id), 1);
            EXPECT_EQ(ReadAll(volume, size, chunk), m.data);
        }
    }
}

TEST(VolumeTest, ReadsStopAtTheMembersSizeWhateverItsCoding) {
    ScopedWorkFolder folder;
    const std::string data = MixedBytes(300, 9);
    std::vector<Member> members;
    for (std::uint8_t c : {core::kVolumeStored, core::kVolumeRunLength, core::kVolumeLzh}) {
        members.push_back({false, "", c, c, data});
    }
    ASSERT_TRUE(BuildVolume("t.vol", members));
    VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    for (const Member& m : members) {
        SCOPED_TRACE(int{m.compression});
        ASSERT_EQ(volume.OpenEntryById(m.id), 1);
        std::string buffer(400, '\0');
        EXPECT_EQ(volume.Read(400, buffer.data()), 1);
        EXPECT_EQ(volume.GetLastCount(), 300u);
        EXPECT_EQ(buffer.substr(0, 300), data);
        EXPECT_EQ(volume.GetStatus(), core::kStreamEnd);
        EXPECT_EQ(volume.Read(1, buffer.data()), 0);
        EXPECT_EQ(volume.GetLastCount(), 0u);
        // Seeking back starts over (a coded member restarts its decoder).
        ASSERT_EQ(volume.SetPosition(10), 1);
        EXPECT_EQ(volume.GetStatus(), core::kStreamOk);
        ASSERT_EQ(volume.Read(20, buffer.data()), 1);
        EXPECT_EQ(buffer.substr(0, 20), data.substr(10, 20));
        EXPECT_EQ(volume.GetPosition(), 30u);
    }
}

TEST(VolumeTest, OpeningAnotherMemberClosesTheFirst) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(BuildVolume("t.vol", SampleMembers()));
    VolumeRStream volume;
    EXPECT_EQ(volume.GetStatus(), core::kStreamNoSource);
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    ASSERT_EQ(volume.OpenEntry("b.bmp"), 1);
    char c[4];
    ASSERT_EQ(volume.Read(4, c), 1);
    ASSERT_EQ(volume.OpenEntryById(7), 1);
    EXPECT_EQ(volume.GetPosition(), 0u);
    EXPECT_EQ(volume.OpenEntry("missing"), 0);
    EXPECT_NE(volume.GetStatus(), core::kStreamOk);
    EXPECT_EQ(volume.Read(1, c), 0);
    EXPECT_EQ(volume.Write(1, c), 0);
}

TEST(VolumeTest, LooseFilesOverrideMembers) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(BuildVolume("t.vol", SampleMembers()));
    WriteFile("Art/B.BMP", "loose bitmap");
    WriteFile("Art/0000012A.raw", "numbered loose");
    std::filesystem::create_directories("A.PAL");  // a folder named like a member is ignored
    WriteFile("Art/A.PAL/inner", "x");
    const std::string dirs = ".;NoSuchFolder;Art";
    VolumeRStream volume;
    volume.SetLooseDirs(&dirs);
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);

    ASSERT_EQ(volume.OpenEntry("b.bmp"), 1);
    EXPECT_EQ(ReadAll(volume, 12, 64), "loose bitmap");
    EXPECT_EQ(volume.GetEntrySize("b.bmp"), 12);

    ASSERT_EQ(volume.OpenEntryById(298), 1);
    EXPECT_EQ(ReadAll(volume, 14, 64), "numbered loose");
    EXPECT_EQ(volume.GetEntrySizeById(298), 14);

    ASSERT_EQ(volume.OpenEntry("a.pal"), 1);
    EXPECT_EQ(ReadAll(volume, 777, 1000), MixedBytes(777, 2));
    EXPECT_EQ(volume.GetEntrySize("nothing"), -1);
    EXPECT_EQ(volume.GetEntrySizeById(299), -1);
    EXPECT_EQ(std::filesystem::current_path(), folder.root);

    // A listed folder that does not exist is skipped, never searched as the working folder.
    WriteFile("b.bmp", "in the working folder");
    const std::string missingOnly = "NoSuchFolder";
    volume.SetLooseDirs(&missingOnly);
    ASSERT_EQ(volume.OpenEntry("b.bmp"), 1);
    EXPECT_EQ(ReadAll(volume, 5000, 5000), MixedBytes(5000, 1));
}

TEST(VolumeTest, LooseFilesWorkWithoutAVolume) {
    ScopedWorkFolder folder;
    WriteFile("Art/x.pal", "palette");
    const std::string dirs = "Art";
    VolumeRStream volume;
    volume.SetLooseDirs(&dirs);
    EXPECT_EQ(volume.OpenVolume("missing.vol"), 0);
    ASSERT_EQ(volume.OpenEntry("X.PAL"), 1);
    EXPECT_EQ(ReadAll(volume, 7, 3), "palette");
    EXPECT_EQ(volume.OpenEntry("y.pal"), 0);
}

// A volume written by hand: no name table, numbered entries only.
TEST(VolumeTest, VolumeWithoutNameTableFindsNumberedMembers) {
    ScopedWorkFolder folder;
    std::vector<std::uint8_t> bytes;
    auto u32 = [&](std::uint32_t v) {
        bytes.resize(bytes.size() + 4);
        core::WriteU32(bytes.data() + bytes.size() - 4, v);
    };
    u32(core::FourCC("VOL "));
    u32(0x80000000u | (8 + 8 + 28));
    u32(core::FourCC("volh"));
    u32(0x80000000u);
    u32(core::FourCC("voli"));
    u32(0x80000000u | 28);
    const std::size_t index = bytes.size();
    bytes.resize(bytes.size() + 28);
    const std::uint32_t first = static_cast<std::uint32_t>(bytes.size());
    u32(core::FourCC("VBLK"));
    u32(0x80000000u | 3);
    bytes.insert(bytes.end(), {'a', 'b', 'c', 0});
    const std::uint32_t second = static_cast<std::uint32_t>(bytes.size());
    u32(core::FourCC("VBLK"));
    u32(0x80000000u | 2);
    bytes.insert(bytes.end(), {'x', 'y', 0, 0});
    core::WriteU32(&bytes[index], 5);
    core::WriteU32(&bytes[index + 4], first);
    core::WriteU32(&bytes[index + 8], 3);
    core::WriteU32(&bytes[index + 14], 9);
    core::WriteU32(&bytes[index + 18], second);
    core::WriteU32(&bytes[index + 22], 2);
    WriteFile("n.vol", std::string(bytes.begin(), bytes.end()));

    VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("n.vol"), 1);
    ASSERT_EQ(volume.OpenEntryById(9), 1);
    EXPECT_EQ(ReadAll(volume, 2, 8), "xy");
    ASSERT_EQ(volume.OpenEntryById(5), 1);
    EXPECT_EQ(ReadAll(volume, 3, 8), "abc");
    EXPECT_EQ(volume.OpenEntry("abc"), 0);
    ASSERT_NE(volume.GetEntryData(5), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(volume.GetEntryData(5)), 3), "abc");
}

// Volumes may also declare a coded member's block as large as its uncoded data, the rest of the
// body zero; such members read the same.
TEST(VolumeTest, CodedMembersInBlocksOfTheirUncodedSizeReadTheSame) {
    ScopedWorkFolder folder;
    for (std::uint8_t coding : {core::kVolumeRunLength, core::kVolumeLzh}) {
        SCOPED_TRACE(int{coding});
        const std::string data = MixedBytes(4000, 21);
        ASSERT_TRUE(BuildVolume("t.vol", {{false, "", 1, coding, data}}));
        std::string bytes = volume_test::ReadFile("t.vol");
        std::uint32_t offset = 0;
        {
            VolumeRStream volume;
            ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
            offset = volume.FindEntry(1)->offset;
        }
        bytes.resize(offset + 8 + data.size(), '\0');
        core::WriteU32(reinterpret_cast<std::uint8_t*>(bytes.data()) + offset + 4,
                       0x80000000u | static_cast<std::uint32_t>(data.size()));
        WriteFile("t.vol", bytes);
        VolumeRStream volume;
        ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
        for (std::uint32_t chunk : {4000u, 1u, 333u}) {
            ASSERT_EQ(volume.OpenEntryById(1), 1);
            EXPECT_EQ(ReadAll(volume, 4000, chunk), data);
        }
    }
}

TEST(VolumeTest, EntryDataPointsAtStoredBytes) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(BuildVolume("t.vol", SampleMembers()));
    VolumeRStream volume;
    EXPECT_EQ(volume.GetEntryData("A.PAL"), nullptr);  // not mapped yet
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    const std::uint8_t* pal = volume.GetEntryData("a.pal");
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pal), 777), MixedBytes(777, 2));
    EXPECT_EQ(volume.GetEntryData(3), nullptr);  // empty
    EXPECT_EQ(volume.GetEntryData("none"), nullptr);
    EXPECT_EQ(volume.GetStoredSize(*volume.FindNamedEntry("A.PAL")), 777);
    EXPECT_LT(volume.GetStoredSize(*volume.FindNamedEntry("text.txt")), 1004);
}

TEST(VolumeTest, WriterReplacesMembersInPlaceOrAtTheEnd) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(BuildVolume("t.vol", SampleMembers(), 1));
    const auto before = std::filesystem::file_size("t.vol");
    {
        VolumeRWStream volume;
        ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
        EXPECT_EQ(volume.SlotCount(), 6u);
        // Same size, stored: rewritten inside its old block.
        const std::string pal(777, 'p');
        ASSERT_EQ(volume.AddEntry("a.pal", core::kVolumeStored, 777), 1);
        ASSERT_EQ(volume.Write(777, pal.data()), 1);
        volume.Close();
        ASSERT_EQ(volume.CloseVolume(), 1);
    }
    EXPECT_EQ(std::filesystem::file_size("t.vol"), before);
    {
        VolumeRWStream volume;
        ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
        // A new size goes to the end; the old slot is freed, so a full index still takes it.
        ASSERT_EQ(volume.AddEntryById(7, core::kVolumeLzh, 0), 1);
        ASSERT_EQ(volume.Write(5, "seven"), 1);
        volume.Close();
        ASSERT_EQ(volume.AddEntryById(8, core::kVolumeStored, 3), 1);
        ASSERT_EQ(volume.Write(3, "888"), 1);
        volume.Close();
        EXPECT_EQ(volume.AddEntryById(9, core::kVolumeStored, 1), 0);  // no slot left
        EXPECT_EQ(volume.AddEntry("new.name", core::kVolumeStored, 1), 0);
        ASSERT_EQ(volume.OpenEntryById(7), 1);
        EXPECT_EQ(ReadAll(volume, 5, 5), "seven");
        ASSERT_EQ(volume.CloseVolume(), 1);
    }
    VolumeRStream volume;
    ASSERT_EQ(volume.OpenVolume("t.vol"), 1);
    EXPECT_EQ(volume.Entries().size(), 6u);
    ASSERT_EQ(volume.OpenEntry("A.PAL"), 1);
    EXPECT_EQ(ReadAll(volume, 777, 777), std::string(777, 'p'));
    ASSERT_EQ(volume.OpenEntryById(7), 1);
    EXPECT_EQ(ReadAll(volume, 5, 2), "seven");
    ASSERT_EQ(volume.OpenEntryById(8), 1);
    EXPECT_EQ(ReadAll(volume, 3, 2), "888");
    ASSERT_EQ(volume.OpenEntry("B.bmp"), 1);
    EXPECT_EQ(ReadAll(volume, 5000, 999), MixedBytes(5000, 1));
}

TEST(VolumeTest, WriterRefusesWhatDoesNotFit) {
    ScopedWorkFolder folder;
    VolumeRWStream volume;
    ASSERT_EQ(volume.CreateVolume("t.vol", 6, 3), 1);
    EXPECT_EQ(volume.NameCapacity(), 8u);  // rounded up to 4
    EXPECT_EQ(volume.AddEntry("toolongname", core::kVolumeStored, 1), 0);
    EXPECT_EQ(volume.AddEntry("", core::kVolumeStored, 1), 0);
    EXPECT_EQ(volume.AddEntryById(1, 2, 1), 0);  // no such coding
    EXPECT_EQ(volume.AddEntryById(core::kVolumeFreeSlot, core::kVolumeStored, 1), 0);
    // A stored member declares its size: writing past it fails.
    ASSERT_EQ(volume.AddEntry("abcd", core::kVolumeStored, 4), 1);
    EXPECT_EQ(volume.Write(5, "12345"), 0);
    volume.Close();
    // A member whose write failed is not listed.
    EXPECT_EQ(volume.FindNamedEntry("abcd"), nullptr);
    ASSERT_EQ(volume.AddEntry("ok", core::kVolumeStored, 2), 1);
    ASSERT_EQ(volume.Write(2, "ok"), 1);
    volume.Close();
    EXPECT_EQ(volume.CloseVolume(), 0);  // a write failed on the way

    VolumeRStream reader;
    ASSERT_EQ(reader.OpenVolume("t.vol"), 1);
    EXPECT_EQ(reader.Entries().size(), 1u);
    ASSERT_EQ(reader.OpenEntry("OK"), 1);
    EXPECT_EQ(ReadAll(reader, 2, 2), "ok");
}

TEST(VolumeTest, StoredMemberShorterThanDeclaredIsPaddedWithZeros) {
    ScopedWorkFolder folder;
    {
        VolumeRWStream volume;
        ASSERT_EQ(volume.CreateVolume("t.vol", 0, 1), 1);
        ASSERT_EQ(volume.AddEntryById(1, core::kVolumeStored, 6), 1);
        ASSERT_EQ(volume.Write(2, "ab"), 1);
        volume.Close();
        ASSERT_EQ(volume.CloseVolume(), 1);
    }
    VolumeRStream reader;
    ASSERT_EQ(reader.OpenVolume("t.vol"), 1);
    ASSERT_EQ(reader.OpenEntryById(1), 1);
    EXPECT_EQ(ReadAll(reader, 6, 6), std::string("ab\0\0\0\0", 6));
}

}  // namespace
