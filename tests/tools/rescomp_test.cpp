// rescomp as a program: a script on disk becomes a pack that the program's loaders read back,
// bad scripts fail with their line, and a missing or foreign pack stops the start with a reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/resource_pack.h"
#include "core/volume_stream.h"
#include "support/run_command.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/resource.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error together
};

ToolRun RunRescomp(const std::string& args) {
    const std::string command = std::string(ZEPHLON_BINARY_DIR) + "/bin/rescomp " + args + " 2>&1";
    const testsupport::CommandResult result = testsupport::RunCommand(command);
    ToolRun run;
    run.output = result.out;
    run.status = result.status;
    return run;
}

class RescompTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("rescomp_test_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir / "art");
    }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

const char kIds[] = "#define IDM_OPEN 159\n#define IDM_PAUSE 464\n";
const char kScript[] = R"(#include "ids.h"
MAINMENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open...\tCtrl+O", IDM_OPEN
        MENUITEM "&Pause", IDM_PAUSE, CHECKED
    END
END
ACCEL ACCELERATORS
BEGIN
    "O", IDM_OPEN, VIRTKEY, CONTROL
END
STRINGTABLE
BEGIN
    7, "Not yet implemented!"
END
LOGO Palette "art/logo.bin"
)";

TEST_F(RescompTest, ScriptRoundTripsThroughThePack) {
    Write("ids.h", kIds);
    Write("game.rc", kScript);
    Write("art/logo.bin", std::string("\x00\x01\x02\x03", 4));
    const ToolRun run = RunRescomp(Path("game.rc") + " " + Path("game.pack"));
    ASSERT_EQ(run.status, 0) << run.output;

    const ToolRun list = RunRescomp("--list " + Path("game.pack"));
    ASSERT_EQ(list.status, 0) << list.output;
    for (const char* member :
         {"MENU\\MAINMENU", "ACCELERATORS\\ACCEL", "STRING\\#7", "PALETTE\\LOGO", "RESPACK"})
        EXPECT_NE(list.output.find(member), std::string::npos) << member << "\n" << list.output;

    std::string error;
    const win::HINSTANCE pack = core::OpenResourcePack(Path("game.pack"), &error);
    ASSERT_TRUE(pack) << error;
    std::string text;
    EXPECT_EQ(win::LoadString(pack, 7, &text), 20);
    EXPECT_EQ(text, "Not yet implemented!");
    const win::HMENU menu = win::LoadMenu(pack, "MainMenu");
    ASSERT_TRUE(menu);
    const win::HMENU file = win::GetSubMenu(menu, 0);
    EXPECT_EQ(win::GetMenuItemID(file, 0), 159u);
    EXPECT_EQ(win::GetMenuState(menu, 464, win::MF_BYCOMMAND) & win::MF_CHECKED, win::MF_CHECKED);
    win::DestroyMenu(menu);
    const win::HACCEL accel = win::LoadAccelerators(pack, "ACCEL");
    ASSERT_TRUE(accel);
    const auto entries = win::GetAcceleratorEntries(accel);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].cmd, 159);
    EXPECT_EQ(entries[0].flags, win::FVIRTKEY | win::FCONTROL);
    win::DestroyAcceleratorTable(accel);
    const auto logo = win::LoadResourceBytes(pack, "Palette", "logo");
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->size(), 4u);
    win::FreeResourceLibrary(pack);
}

TEST_F(RescompTest, BadScriptsAndArgumentsFailClearly) {
    Write("bad.rc", "M MENU\nBEGIN\n  MENUITEM \"x\", NOSUCH\nEND\n");
    ToolRun run = RunRescomp(Path("bad.rc") + " " + Path("bad.pack"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("bad.rc:3: unknown name 'NOSUCH'"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(dir / "bad.pack"));

    run = RunRescomp(Path("missing.rc") + " " + Path("x.pack"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos);
    run = RunRescomp("only-one-argument");
    EXPECT_NE(run.status, 0);
    run = RunRescomp("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("usage"), std::string::npos);
}

// The start-up check: what the program says for a pack that is missing, not a volume, or a
// volume of something else.
TEST_F(RescompTest, MissingOrForeignPacksAreRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(core::OpenResourcePack(Path("nothere.pack"), &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;

    Write("junk.pack", std::string(300, '\x5A'));
    EXPECT_FALSE(core::OpenResourcePack(Path("junk.pack"), &error));
    EXPECT_NE(error.find("junk.pack"), std::string::npos) << error;

    {
        core::VolumeRWStream volume;
        ASSERT_TRUE(volume.CreateVolume(Path("other.vol"), 16, 1));
        ASSERT_TRUE(volume.AddEntry("readme.txt", core::kVolumeStored, 2));
        ASSERT_TRUE(volume.Write(2, "hi"));
        ASSERT_TRUE(volume.CloseEntry());
        ASSERT_TRUE(volume.CloseVolume());
    }
    EXPECT_FALSE(core::OpenResourcePack(Path("other.vol"), &error));
    EXPECT_NE(error.find("manifest"), std::string::npos) << error;
    const ToolRun list = RunRescomp("--list " + Path("other.vol"));
    EXPECT_EQ(list.status, 1);
}

}  // namespace
