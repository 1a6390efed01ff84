#include <gtest/gtest.h>

#include <filesystem>

#include "core/resource_volume.h"
#include "volume_test_support.h"

namespace {

using core::ResourceVolume;
using volume_test::BuildVolume;
using volume_test::Member;
using volume_test::ScopedWorkFolder;
using volume_test::WriteFile;

// Scripts the disc prompt and the message box, and counts what was asked.
class ResourceVolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::ResourceVolumeHost host;
        host.promptForDisc = [this](int disc, std::string_view path, std::uint32_t buttons) {
            ++prompts;
            EXPECT_EQ(disc, 1);
            EXPECT_EQ(buttons, 5u);
            promptedPath = std::string(path);
            if (promptAnswers.empty()) return 0;
            const int answer = promptAnswers.front();
            promptAnswers.erase(promptAnswers.begin());
            if (answer == 1 && onDiscInserted) onDiscInserted();
            return answer;
        };
        host.showMessageBox = [this](std::string_view text, std::uint32_t type) {
            messages.emplace_back(text);
            messageTypes.push_back(type);
            if (messageAnswers.empty()) return 1;
            const int answer = messageAnswers.front();
            messageAnswers.erase(messageAnswers.begin());
            return answer;
        };
        host.fatalShutdown = [this] { ++fatalExits; };
        core::SetResourceVolumeHost(std::move(host));
        core::SetCdRoot(nullptr);
    }
    void TearDown() override {
        core::SetResourceVolumeHost({});
        core::SetCdRoot(nullptr);
        core::theSetupInfo.Reset();
    }

    ScopedWorkFolder folder;
    int prompts = 0;
    int fatalExits = 0;
    std::string promptedPath;
    std::vector<int> promptAnswers;
    std::vector<int> messageAnswers;
    std::vector<std::string> messages;
    std::vector<std::uint32_t> messageTypes;
    std::function<void()> onDiscInserted;
};

const std::vector<Member> kPalettes = {
    {true, "x.pal", 0, core::kVolumeLzh, "archived palette"},
    {true, "records.bin", 0, core::kVolumeStored, std::string(50, 'r')},
    {true, "lines.txt", 0, core::kVolumeRunLength, "abc\r\nde"},
};

TEST_F(ResourceVolumeTest, SetupInfoIsReadFromTheParentOfTheWorkingFolder) {
    struct Case {
        const char* file;  // contents of Tandor.Inf, null for none
        int parent;
        const char* expected;
    };
    const Case cases[] = {
        {"[Misc]\r\nSourceDir=D:\\\r\n", 1, "D:\\"},
        {"[Misc]\r\nSourceDir=D:\\Inst\r\n", 1, "D:\\Inst\\"},
        {"[misc]\nsourcedir = E:\\Setup\\\n", 1, "E:\\Setup\\"},
        {"[Other]\nSourceDir=D:\\\n", 1, ""},
        {nullptr, 1, ""},
        {"[Misc]\r\nSourceDir=F:\\Here\r\n", 0, "F:\\Here\\"},
    };
    std::filesystem::create_directories("Run");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        std::filesystem::remove("Tandor.Inf");
        std::filesystem::remove("Run/Tandor.Inf");
        if (c.file) WriteFile(c.parent ? "Tandor.Inf" : "Run/Tandor.Inf", c.file);
        std::filesystem::current_path(folder.root / "Run");
        core::theSetupInfo.Reset();
        EXPECT_EQ(core::theSetupInfo.Read(c.parent), 1);
        EXPECT_EQ(core::theSetupInfo.sourceDir, c.expected);
        std::filesystem::current_path(folder.root);
    }
    // Read runs once: a second call keeps what the first found.
    WriteFile("Tandor.Inf", "[Misc]\nSourceDir=Z:\\\n");
    EXPECT_EQ(core::theSetupInfo.Read(1), 1);
    EXPECT_EQ(core::theSetupInfo.sourceDir, "F:\\Here\\");
}

TEST_F(ResourceVolumeTest, InstallationSourceComesFromTheSetupFile) {
    std::filesystem::create_directories("Run");
    WriteFile("Tandor.Inf", "[Misc]\nSourceDir=Media\n");
    std::filesystem::current_path(folder.root / "Run");
    core::InitInstallationSource();
    std::filesystem::current_path(folder.root);
    EXPECT_EQ(core::theCdRoot, "Media\\");
    EXPECT_EQ(core::DiscPath("Art\\Palettes.Vol"), "Media\\Corvex\\Art\\Palettes.Vol");
}

// How a volume is found: locally, on the installation source, or after the disc prompt.
TEST_F(ResourceVolumeTest, MissingVolumesComeFromTheInstallationSource) {
    struct Case {
        const char* what;
        bool local;
        bool onDisc;
        bool garbageOnDisc;
        int askForDisc;
        const char* cdRoot;
        std::vector<int> promptAnswers;
        std::vector<int> messageAnswers;
        bool insertOnPrompt;
        int opened;
        int prompts;
        int messages;
        int fatalExits;
    };
    const Case cases[] = {
        {"local copy", true, false, false, 1, "src\\", {}, {}, false, 1, 0, 0, 0},
        {"from the source", false, true, false, 1, "src\\", {}, {}, false, 1, 0, 0, 0},
        {"without the prompt flag", false, true, false, 0, "src\\", {}, {}, false, 0, 0, 0, 0},
        {"without a source", false, true, false, 1, "", {}, {}, false, 0, 0, 0, 0},
        {"disc inserted at the prompt", false, false, false, 1, "src\\", {1}, {}, true, 1, 1, 0, 0},
        {"cancel, then not giving up, then inserted",
         false,
         false,
         false,
         1,
         "src\\",
         {0, 1},
         {2},
         true,
         1,
         2,
         1,
         0},
        {"giving up ends the program",
         false,
         false,
         false,
         1,
         "src\\",
         {0, 0},
         {2, 1},
         false,
         0,
         2,
         2,
         1},
        {"unreadable on the source: one message",
         false,
         false,
         true,
         1,
         "src\\",
         {},
         {},
         false,
         0,
         0,
         1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all("Art");
        std::filesystem::remove_all("src");
        if (c.local) {
            ASSERT_TRUE(BuildVolume("Art/Palettes.Vol", kPalettes));
        }
        std::filesystem::create_directories("src/Corvex/Art");
        if (c.onDisc) {
            ASSERT_TRUE(BuildVolume("src/Corvex/Art/Palettes.Vol", kPalettes));
        }
        if (c.garbageOnDisc) WriteFile("src/Corvex/Art/Palettes.Vol", "not a volume");
        platform::ForgetFolderListings();
        core::SetCdRoot(c.cdRoot);
        prompts = fatalExits = 0;
        messages.clear();
        promptAnswers = c.promptAnswers;
        messageAnswers = c.messageAnswers;
        onDiscInserted = nullptr;
        if (c.insertOnPrompt) {
            onDiscInserted = [] {
                ASSERT_TRUE(BuildVolume("src/Corvex/Art/Palettes.Vol", kPalettes));
            };
        }
        ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", c.askForDisc);
        EXPECT_EQ(volume.GetStream()->IsVolumeOpen(), c.opened);
        EXPECT_EQ(prompts, c.prompts);
        EXPECT_EQ(static_cast<int>(messages.size()), c.messages);
        EXPECT_EQ(fatalExits, c.fatalExits);
        if (c.prompts > 0) {
            EXPECT_EQ(promptedPath, "src\\Corvex\\Art\\Palettes.Vol");
        }
        if (c.fatalExits > 0) {
            EXPECT_EQ(messages.back(), core::kDiscNeededText);
        }
        if (c.opened) {
            ASSERT_EQ(volume.OpenFile("X.PAL"), 1);
            char text[32] = {};
            EXPECT_NE(volume.ReadLine(text, sizeof text), nullptr);
            EXPECT_STREQ(text, "archived palette");
        }
    }
}

TEST_F(ResourceVolumeTest, IsOpenReloadsOnlyWhenNoVolumeIsLoaded) {
    ASSERT_TRUE(BuildVolume("Art/Palettes.Vol", kPalettes));
    ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", 0);
    core::VolumeRStream* stream = volume.GetStream();
    EXPECT_EQ(stream->GetStatus(), core::kStreamNoSource);  // no member opened yet
    EXPECT_EQ(volume.IsOpen(), 1);
    std::filesystem::remove("Art/Palettes.Vol");  // a reload would now fail
    EXPECT_EQ(volume.IsOpen(), 1);
    EXPECT_EQ(volume.Open(1), 1);

    ResourceVolume none("Art\\Nothing.Vol", "Art\\Nothing", 0);
    core::SetCdRoot("src\\");
    EXPECT_EQ(none.IsOpen(), 0);
    EXPECT_EQ(prompts, 1);
}

TEST_F(ResourceVolumeTest, MembersComeFromLooseFilesThenTheVolumeThenTheDisc) {
    ASSERT_TRUE(BuildVolume("src/Corvex/Art/Palettes.Vol", kPalettes));
    WriteFile("Art/Palettes/y.pal", "loose y");
    // Made at start-up without the prompt: the volume is not found locally.
    ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", 0);
    EXPECT_EQ(volume.GetStream()->IsVolumeOpen(), 0);
    char text[32];
    ASSERT_EQ(volume.OpenFile("Y.PAL"), 1);
    EXPECT_STREQ(volume.ReadLine(text, sizeof text), "loose y");
    EXPECT_EQ(volume.OpenFile("x.pal"), 0);  // no installation source known yet
    core::SetCdRoot("src\\");
    ASSERT_EQ(volume.OpenFile("x.pal"), 1);
    EXPECT_EQ(prompts, 0);
    EXPECT_STREQ(volume.ReadLine(text, sizeof text), "archived palette");
    EXPECT_EQ(volume.OpenFile("absent.pal"), 0);
    volume.CloseFile();
    EXPECT_NE(volume.GetStream()->GetStatus(), core::kStreamOk);
}

TEST_F(ResourceVolumeTest, GlobalVolumesOpenAtStartUpWithoutThePromptAndCloseBeforeExit) {
    ASSERT_TRUE(BuildVolume("Art/Palettes.Vol", kPalettes));
    core::SetCdRoot("src\\");
    core::OpenGlobalVolumes();
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(core::thePalettesVolume.GetStream()->IsVolumeOpen(), 1);
    EXPECT_EQ(core::theSoundEffectsVolume.GetStream()->IsVolumeOpen(), 0);
    WriteFile("Art/Palettes/loose.pal", "loose");
    ASSERT_EQ(core::thePalettesVolume.OpenFile("loose.pal"), 1);
    ASSERT_EQ(core::thePalettesVolume.OpenFile("x.pal"), 1);
    ASSERT_EQ(core::thePalettesVolume.OpenFile("loose.pal"), 1);
    // Closing before exit leaves no file for a static destructor to close.
    core::CloseGlobalVolumes();
    EXPECT_EQ(core::thePalettesVolume.GetStream()->IsVolumeOpen(), 0);
    EXPECT_NE(core::thePalettesVolume.GetStream()->GetStatus(), core::kStreamOk);
}

// The seven global readers of Data.Vol (one per loose-file folder) read one mapping of it, and
// each still finds its own loose files first.
TEST_F(ResourceVolumeTest, TheGlobalReadersOfOneVolumeShareOneMapping) {
    ASSERT_TRUE(BuildVolume("Data/Data.Vol", {{true, "na.vor", 0, core::kVolumeLzh, "vors"},
                                             {true, "flp.sms", 0, core::kVolumeStored, "sms"}}));
    WriteFile("Data/Sms/flp.sms", "loose sms");
    core::OpenGlobalVolumes();
    core::ResourceVolume* readers[] = {
        &core::theSmsDataVolume,      &core::theNorDataVolume,    &core::theMagDataVolume,
        &core::theBuildingDataVolume, &core::theRunwayDataVolume, &core::theObstacleDataVolume,
        &core::theNavDataVolume};
    const std::uint8_t* mapped = core::theNavDataVolume.GetStream()->MappedData();
    ASSERT_NE(mapped, nullptr);
    for (core::ResourceVolume* v : readers)
        EXPECT_EQ(v->GetStream()->MappedData(), mapped) << v->GetDirectory();
    char text[16];
    ASSERT_EQ(core::theSmsDataVolume.OpenFile("flp.sms"), 1);
    EXPECT_STREQ(core::theSmsDataVolume.ReadLine(text, sizeof text), "loose sms");
    ASSERT_EQ(core::theNavDataVolume.OpenFile("flp.sms"), 1);
    EXPECT_STREQ(core::theNavDataVolume.ReadLine(text, sizeof text), "sms");
    core::CloseGlobalVolumes();
}

TEST_F(ResourceVolumeTest, SetNamesSwitchesToAnotherVolume) {
    ASSERT_TRUE(BuildVolume("One.Vol", {{true, "a", 0, core::kVolumeStored, "one"}}));
    ASSERT_TRUE(BuildVolume("Two.Vol", {{true, "a", 0, core::kVolumeStored, "two"}}));
    ResourceVolume volume(nullptr, nullptr, 0);
    EXPECT_EQ(volume.GetDirectory(), ".");
    EXPECT_EQ(volume.IsOpen(), 0);
    char text[8];
    EXPECT_EQ(volume.SetNames("One.Vol", "Loose", 0), 1);
    ASSERT_EQ(volume.OpenFile("A"), 1);
    EXPECT_STREQ(volume.ReadLine(text, sizeof text), "one");
    EXPECT_EQ(volume.SetNames("Two.Vol", "Loose", 0), 1);
    ASSERT_EQ(volume.OpenFile("A"), 1);
    EXPECT_STREQ(volume.ReadLine(text, sizeof text), "two");
}

TEST_F(ResourceVolumeTest, ReadLineEndsLinesAtCrLfCrOrLf) {
    struct Case {
        std::string text;
        int size;
        std::vector<const char*> lines;  // null: the call returns null
    };
    const Case cases[] = {
        {"abc\r\nde", 4, {"abc", "de", nullptr}},
        {"one\ntwo\rthree\r\n\r\nfour\n", 16, {"one", "two", "three", "", "four", nullptr}},
        {"\r\r\n\n", 4, {"", "", "", nullptr}},
        {"abcdef\r\nxy\r\n", 4, {nullptr}},  // too long: null, and the buffer is never overrun
        {"", 4, {nullptr}},
        {"x", 1, {nullptr}},
        {"\nx", 1, {"", nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (std::uint8_t coding :
             {core::kVolumeStored, core::kVolumeRunLength, core::kVolumeLzh}) {
            SCOPED_TRACE(int{coding});
            std::filesystem::remove("t.vol");
            ASSERT_TRUE(BuildVolume("t.vol", {{true, "t", 0, coding, c.text}}));
            ResourceVolume volume("t.vol", nullptr, 0);
            ASSERT_EQ(volume.OpenFile("t"), 1);
            std::vector<char> buffer(static_cast<std::size_t>(c.size) + 4, '#');
            for (const char* line : c.lines) {
                const char* got = volume.ReadLine(buffer.data(), c.size);
                if (line) {
                    ASSERT_NE(got, nullptr);
                    EXPECT_STREQ(got, line);
                } else {
                    EXPECT_EQ(got, nullptr);
                }
                EXPECT_EQ(std::string(buffer.end() - 4, buffer.end()), "####");
            }
        }
    }
}

// The byte after a lone CR is held, not sought back to: the next line or record starts with it.
TEST_F(ResourceVolumeTest, TheByteAfterALoneCrStartsTheNextRead) {
    for (std::uint8_t coding : {core::kVolumeStored, core::kVolumeRunLength, core::kVolumeLzh}) {
        SCOPED_TRACE(int{coding});
        std::filesystem::remove("t.vol");
        ASSERT_TRUE(BuildVolume("t.vol", {{true, "t", 0, coding, "ab\rXYZ\rq\r"}}));
        ResourceVolume volume("t.vol", nullptr, 0);
        ASSERT_EQ(volume.OpenFile("t"), 1);
        char text[8];
        EXPECT_STREQ(volume.ReadLine(text, sizeof text), "ab");
        char record[4] = {};
        ASSERT_EQ(volume.ReadRecords(record, 3, 1), 1);
        EXPECT_EQ(std::string(record, 3), "XYZ");
        EXPECT_STREQ(volume.ReadLine(text, sizeof text), "");
        EXPECT_STREQ(volume.ReadLine(text, sizeof text), "q");
        EXPECT_EQ(volume.ReadLine(text, sizeof text), nullptr);
    }
}

TEST_F(ResourceVolumeTest, ReadRecordsCountsWholeRecordsOnly) {
    ASSERT_TRUE(BuildVolume("Art/Palettes.Vol", kPalettes));
    ResourceVolume volume("Art\\Palettes.Vol", "Art\\Palettes", 0);
    std::vector<char> buffer(60);
    EXPECT_EQ(volume.ReadRecords(buffer.data(), 6, 10), 0);  // no member open
    ASSERT_EQ(volume.OpenFile("records.bin"), 1);
    EXPECT_EQ(volume.ReadRecords(buffer.data(), 6, 10), 8);
    EXPECT_EQ(volume.ReadRecords(buffer.data(), 6, 10), 0);
    EXPECT_EQ(volume.Seek(-1), 0);
    ASSERT_EQ(volume.OpenFile("records.bin"), 1);
    ASSERT_EQ(volume.Seek(45), 1);
    EXPECT_EQ(volume.ReadRecords(buffer.data(), 5, 3), 1);
}

// Long reads of small records cross the reader's internal pieces: every whole record arrives
// in order, whatever the member's coding, from a loose file too, and the part of a record at
// the member's end does not count.
TEST_F(ResourceVolumeTest, LongReadsOfSmallRecordsDeliverEveryWholeRecord) {
    std::string bytes(10007, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    WriteFile("Loose/m.bin", bytes);
    struct Source {
        const char* volume;  // null: the loose file
        std::uint8_t coding;
    };
    for (const Source source : {Source{"t.vol", core::kVolumeStored},
                                Source{"t.vol", core::kVolumeRunLength},
                                Source{"t.vol", core::kVolumeLzh}, Source{nullptr, 0}}) {
        SCOPED_TRACE(source.volume != nullptr ? int{source.coding} : -1);
        if (source.volume != nullptr) {
            std::filesystem::remove(source.volume);
            ASSERT_TRUE(BuildVolume(source.volume, {{true, "m.bin", 0, source.coding, bytes}}));
        }
        for (const int size : {1, 3, 4096, 5000}) {
            SCOPED_TRACE(size);
            ResourceVolume volume(source.volume, source.volume ? nullptr : "Loose", 0);
            ASSERT_EQ(volume.OpenFile("m.bin"), 1);
            std::string got(bytes.size() + 16, '#');
            const int wanted = 20000 / size + 1;
            EXPECT_EQ(volume.ReadRecords(got.data(), size, wanted), 10007 / size);
            const std::size_t whole = static_cast<std::size_t>(10007 / size) * size;
            EXPECT_EQ(got.substr(0, whole), bytes.substr(0, whole));
            EXPECT_EQ(volume.ReadRecords(got.data(), size, 1), 0);
        }
    }
}

TEST_F(ResourceVolumeTest, DataFilesFallBackToTheInstallationSource) {
    WriteFile("src/Corvex/Data/na.vor", "x");
    WriteFile("Data/local.dat", "y");
    std::string local = "Data\\local.dat";
    std::string remote = "Data\\na.vor";
    std::string absent = "Data\\none.dat";
    EXPECT_EQ(core::FindDataFile(remote), 0);  // no source known
    core::SetCdRoot("src\\");
    EXPECT_EQ(core::FindDataFile(local), 1);
    EXPECT_EQ(local, "Data\\local.dat");
    EXPECT_EQ(core::FindDataFile(remote), 1);
    EXPECT_EQ(remote, "src\\Corvex\\Data\\na.vor");
    EXPECT_EQ(core::FindDataFile(absent), 0);
    EXPECT_EQ(absent, "Data\\none.dat");
    EXPECT_EQ(prompts, 0);

    std::string resolved = "Data\\na.vor";
    promptAnswers = {1};
    EXPECT_EQ(core::ResolveDataPath(resolved), 1);
    EXPECT_EQ(resolved, "src\\Corvex\\Data\\na.vor");
    EXPECT_EQ(prompts, 1);
    std::string kept = "Data\\local.dat";
    EXPECT_EQ(core::ResolveDataPath(kept), 1);
    EXPECT_EQ(kept, "Data\\local.dat");
    EXPECT_EQ(prompts, 1);
}

}  // namespace
