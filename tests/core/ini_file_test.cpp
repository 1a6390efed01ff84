#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using core::IniFile;

// Each test has its own installation: <root>/bin/zephlon.exe and a working folder <root>/run.
class IniFileTest : public ::testing::Test {
protected:
    IniFileTest() {
        folder_.MakeFolders("bin");
        folder_.MakeFolders("run");
        platform::SetExecutablePathForTesting(root_ + "/bin/zephlon.exe");
        here_ = std::make_unique<testsupport::ScopedCurrentFolder>(root_ + "/run");
    }
    ~IniFileTest() override { platform::SetExecutablePathForTesting(""); }
    void Put(const std::string& path, const std::string& contents) const {
        std::ofstream(path, std::ios::binary) << contents;
    }
    std::string Contents(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    testsupport::TempFolder folder_{"files-inifile"};
    const std::string root_ = folder_.Root();
    std::unique_ptr<testsupport::ScopedCurrentFolder> here_;
};

TEST(SettingsPathTest, ReplacesOnlyTheFileExtension) {
    struct Case {
        const char* executable;
        const char* settings;
    };
    const Case cases[] = {
        {"/opt/zephlon/bin/zephlon", "/opt/zephlon/bin/zephlon.ini"},
        {"/opt/zephlon.d/bin/zephlon", "/opt/zephlon.d/bin/zephlon.ini"},
        {"/opt/bin/zephlon.exe", "/opt/bin/zephlon.ini"},
        {"C:\\Prog.1\\ZEPHLON.EXE", "C:\\Prog.1\\ZEPHLON.ini"},
        {"C:\\Prog.1\\zephlon", "C:\\Prog.1\\zephlon.ini"},
        {"zephlon", "zephlon.ini"},
        {"", ".ini"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::SettingsPathFor(c.executable), c.settings);
}

TEST_F(IniFileTest, TheProgramsOwnFileSitsBesideTheExecutable) {
    IniFile ini;
    EXPECT_EQ(ini.Path(), root_ + "/bin/zephlon.ini");
    // With no file present, reads give the defaults.
    EXPECT_EQ(ini.GetInt("Settings", "MainX", 7), 7);
    EXPECT_STREQ(ini.GetString("Settings", "Title", nullptr), "");
    // The first write creates it, in the default section when none is named.
    EXPECT_EQ(ini.PutInt(nullptr, "Answer", -5), 1);
    EXPECT_EQ(Contents(root_ + "/bin/zephlon.ini"), "[Zephlon]\r\nAnswer=-5\r\n");
    EXPECT_EQ(ini.GetInt("zephlon", "answer", 0), -5);
}

TEST_F(IniFileTest, BareNamesLookBesideTheExecutableThenHere) {
    // In neither place: beside the executable.
    EXPECT_EQ(IniFile("joystick.ini").Path(), root_ + "/bin/joystick.ini");
    // Only in the working folder: the bare name.
    Put(root_ + "/run/joystick.ini", "[J]\n");
    EXPECT_EQ(IniFile("joystick.ini").Path(), "joystick.ini");
    // Beside the executable (whatever its case): that one.
    Put(root_ + "/bin/Joystick.INI", "[J]\n");
    EXPECT_EQ(IniFile("joystick.ini").Path(), root_ + "/bin/joystick.ini");
    // A name with a folder in it is used unchanged.
    EXPECT_EQ(IniFile("Flights\\Startup.Flt").Path(), "Flights\\Startup.Flt");
    EXPECT_EQ(IniFile("/abs/plan.Pln").Path(), "/abs/plan.Pln");
}

TEST_F(IniFileTest, ReadRules) {
    const std::string path = root_ + "/run/Situation.Flt";
    Put(path,
        "[Aircraft]\n"
        "fmPosX=12abc\n"
        "empty=\n"
        "sentinel=KvOrMiD\n"
        "name=Skyhawk\n"
        "big=4294967296\n");
    IniFile ini(path.c_str());
    EXPECT_EQ(ini.Path(), path);
    struct Case {
        const char* key;
        std::int32_t fallback;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"fmPosX", 0, 12},      // leading digits
        {"empty", 9, 0},        // present but empty: not the default
        {"sentinel", 9, 9},     // the sentinel in any case reads as absent
        {"name", 9, 0},         // no digits
        {"missing", -3, -3},    // absent
        {"big", 0, INT32_MAX},  // clamped
        {nullptr, 4, 4},        // no key
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.GetInt("Aircraft", c.key, c.fallback), c.expected)
            << (c.key ? c.key : "(null)");
    }
    EXPECT_STREQ(ini.GetString("aircraft", "sentinel", "dflt"), "dflt");
    EXPECT_STREQ(ini.GetString("aircraft", "NAME", "dflt"), "Skyhawk");
}

TEST_F(IniFileTest, OneSharedResultBuffer) {
    const std::string path = root_ + "/run/a.ini";
    Put(path, "[S]\na=first\nb=second\n");
    IniFile one(path.c_str());
    IniFile two(path.c_str());
    const char* first = one.GetString("S", "a", "");
    const char* second = two.GetString("S", "b", "");
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "second");
    // An earlier result handed back as a default survives the read that reuses the buffer.
    EXPECT_STREQ(one.GetString("S", "missing", one.GetString("S", "a", "")), "first");
    // A default too long for the buffer is cut, not written past it.
    const std::string longDefault(2000, 'd');
    EXPECT_EQ(std::string(one.GetString("S", "missing", longDefault.c_str())),
              std::string(IniFile::kResultSize - 1, 'd'));
}

TEST_F(IniFileTest, WritesAndDeletes) {
    const std::string path = root_ + "/run/w.ini";
    IniFile ini(path.c_str());
    EXPECT_EQ(ini.PutString("S", nullptr, "x"), 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(ini.PutString("S", "k", "v"), 1);
    EXPECT_EQ(ini.PutInt("S", "n", 0), 1);
    EXPECT_EQ(ini.PutInt("S", "m", INT32_MIN), 1);
    EXPECT_EQ(ini.GetInt("S", "m", 0), INT32_MIN);
    EXPECT_EQ(ini.PutString("S", "k", nullptr), 1);  // no value: the key goes
    EXPECT_EQ(Contents(path), "[S]\r\nn=0\r\nm=-2147483648\r\n");
    EXPECT_EQ(ini.DeleteSection("s"), 1);
    EXPECT_EQ(Contents(path), "");

    IniFile nowhere((root_ + "/missing/dir/x.ini").c_str());
    EXPECT_EQ(nowhere.PutInt("S", "k", 1), 0);
}

}  // namespace
