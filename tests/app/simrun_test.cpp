// The headless runner plays a script against the demo program deterministically, answers its
// dialogs, writes screenshots, and stops with a clear message on a bad script or a dialog it
// was not told how to answer.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include "support/run_command.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
};

class SimrunTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        if (!fs::exists(exe)) GTEST_SKIP() << "simrun not built";
        char tmpl[] = "/tmp/zephlon-simrun-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }

    Outcome Play(const std::string& script) {
        const std::string path = dir + "/script.txt";
        std::ofstream(path) << script;
        Outcome r;
        const std::string cmd = exe + " --demo --dir " + dir + " " + path + " 2>&1";
        const testsupport::CommandResult run = testsupport::RunCommand(cmd);
        r.out = run.out;
        r.status = run.status;
        return r;
    }

    std::string exe;
    std::string dir;
};

TEST_F(SimrunTest, PlaysTheDemoDeterministically) {
    const std::string script = std::string("frame-interval 20\n") +
                               "wait 300\n"
                               "key Ctrl+O press\n"
                               "answer \"flight plan\" No\n"
                               "key Numpad8 press\n"
                               "mouse 100 200 left-click\n"
                               "menu 999\n"
                               "answer Not OK\n"
                               "wait 100\n"
                               "screenshot " +
                               dir +
                               "/shot.bmp\n"
                               "quit\n";
    Outcome first = Play(script);
    ASSERT_EQ(first.status, 0) << first.out;
    for (const char* line :
         {"] command 159 (1)\n", "] dialog GENERIC \"Zephlon\": Open a flight plan? | Yes | No\n",
          "] answered No\n", "] message box result: 7\n", "] key down 104 repeat 1 scan 72\n",
          "] left down 100 200\n", "] command 999 (0)\n", "] message box result: 1\n", "] close\n",
          "exit=0\n"})
        EXPECT_NE(first.out.find(line), std::string::npos) << line << "\n" << first.out;
    EXPECT_NE(first.out.find("simulated_ms=400 ticks=0 frames="), std::string::npos) << first.out;
    // The screenshot of an 8-bit picture is an 8-bit BMP of 640×480.
    EXPECT_EQ(fs::file_size(dir + "/shot.bmp"), 54u + 1024u + 640u * 480u);
    Outcome second = Play(script);
    EXPECT_EQ(second.out, first.out);
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

// 24-bit bottom-up BMP of 640×480: the pixel's three bytes.
std::uint32_t Pixel(const std::vector<unsigned char>& bmp, int x, int y) {
    const std::size_t i =
        54 + static_cast<std::size_t>(479 - y) * 1920 + static_cast<std::size_t>(x) * 3;
    return (bmp[i + 2] << 16) | (bmp[i + 1] << 8) | bmp[i];
}

TEST_F(SimrunTest, MenuChecksSetBeforeThePopupDrawsShowInTheScreenshot) {
    const std::string script = std::string("wait 50\n") +
                               "mouse 50 5 move\n"  // the menu bar shows at the top
                               "wait 20\n"
                               "mouse 50 5 left-click\n"  // View
                               "wait 20\n"
                               "screenshot " +
                               dir +
                               "/before.bmp\n"
                               "mouse 70 49 left-click\n"  // Status line
                               "wait 20\n"
                               "mouse 50 5 left-click\n"
                               "wait 20\n"
                               "screenshot " +
                               dir +
                               "/after.bmp\n"
                               "mouse 300 300 left-click\n"
                               "quit\n";
    Outcome r = Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::size_t init = r.out.find("] init menu popup\n");
    const std::size_t shot = r.out.find("] screenshot ");
    const std::size_t command = r.out.find("] command 712 (0)\n");
    ASSERT_NE(init, std::string::npos) << r.out;
    ASSERT_NE(command, std::string::npos) << r.out;
    EXPECT_LT(init, shot);
    EXPECT_LT(shot, command);
    const std::vector<unsigned char> before = ReadFile(dir + "/before.bmp");
    const std::vector<unsigned char> after = ReadFile(dir + "/after.bmp");
    ASSERT_EQ(before.size(), 54u + 1920u * 480u);  // composed: 24-bit
    ASSERT_EQ(after.size(), before.size());
    // The check mark sits left of the item's text; nothing else in the popup changed.
    int changedInMarkColumn = 0, changedElsewhere = 0;
    for (int y = 22; y < 60; ++y)
        for (int x = 36; x < 180; ++x)
            if (Pixel(before, x, y) != Pixel(after, x, y))
                (x < 54 ? changedInMarkColumn : changedElsewhere)++;
    EXPECT_GT(changedInMarkColumn, 0);
    EXPECT_EQ(changedElsewhere, 0);
}

TEST_F(SimrunTest, BadScriptsAndUnansweredDialogsStopTheRun) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"wait 10\nfly away\n", "line 2: unknown command 'fly'"},
        {"key Hyper+Q press\n", "unknown key 'Hyper+Q'"},
        {"mouse 10 x move\n", "expected X Y"},
        {"wait\n", "expected milliseconds"},
        {"focus sideways\n", "expected lost or gained"},
        {"menu 999\nwait 100\n", "unanswered dialog \"Zephlon\": Not yet implemented!"},
        {"answer Open Maybe\nkey Ctrl+O press\n", "has no button 'Maybe'"},
        // The COM radios dial 118.00 to 135.95 in 50 kHz steps, as the panel does.
        {"radio COM1 133.77\n", "not a frequency of COM1: '133.77'"},
        {"radio COM2 136.50\n", "not a frequency of COM2: '136.50'"},
        {"wait 10\nwait-for \"never traced\" 300\n",
         "line 2: \"never traced\" not traced within 300 ms"},
    };
    for (const Case& c : cases) {
        Outcome r = Play(c.script);
        EXPECT_NE(r.status, 0) << c.script;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.script << "\n" << r.out;
    }
}

}  // namespace
