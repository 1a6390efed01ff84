// The volume tool, run as the real executable.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/volume_stream.h"
#include "platform/file_system.h"
#include "support/run_command.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
};

class VolpackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(ZEPHLON_BINARY_DIR "/bin/volpack", X_OK), 0)
            << "volpack is not built; build the volpack target before these tests";
        char pattern[] = "/tmp/zephlon-volpack-XXXXXX";
        root = mkdtemp(pattern);
        previous = fs::current_path();
        fs::current_path(root);
        platform::ForgetFolderListings();
    }
    void TearDown() override {
        if (root.empty()) return;
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(root, ignored);
        platform::ForgetFolderListings();
    }

    // Runs volpack with `args` (already quoted for the shell) in the test's folder.
    static Result Run(const std::string& args) {
        const std::string command =
            std::string("'") + ZEPHLON_BINARY_DIR + "/bin/volpack' " + args + " 2>stderr.txt";
        const testsupport::CommandResult run = testsupport::RunCommand(command);
        Result r;
        r.out = run.out;
        r.exitCode = run.status;
        return r;
    }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path root;
    fs::path previous;
};

std::string Text(std::size_t n) {
    std::string s;
    while (s.size() < n)
        s += "Every member comes back byte for byte. ";
    s.resize(n);
    return s;
}

std::string Noise(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 7;
    for (char& c : s) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 23);
    }
    return s;
}

TEST_F(VolpackTest, CreateListExtractAndVerify) {
    Write("text.txt", Text(20000));
    Write("noise.bin", Noise(3000));
    Write("runs.bin", std::string(4000, 'a') + std::string(4000, 'b'));
    Write("empty.bin", "");
    const Result created =
        Run("create out.vol Zulu.TXT=text.txt --coding rle alpha.bin=runs.bin '#300=runs.bin' "
            "--coding lzh Mike.Txt=text.txt '#0x10=text.txt' --coding auto noise.bin "
            "'#2=runs.bin' Empty=empty.bin");
    ASSERT_EQ(created.exitCode, 0) << Read("stderr.txt");

    const Result listed = Run("list out.vol");
    ASSERT_EQ(listed.exitCode, 0);
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(listed.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream f(line);
        for (std::string field; std::getline(f, field, '\t');)
            fields.push_back(field);
        ASSERT_EQ(fields.size(), 4u) << line;
        rows.push_back(fields);
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"alpha.bin", "rle"},   {"Empty", "stored"}, {"Mike.Txt", "lzh"}, {"noise.bin", "stored"},
        {"Zulu.TXT", "stored"}, {"#2", "rle"},       {"#16", "lzh"},      {"#300", "rle"},
    };
    ASSERT_EQ(rows.size(), expected.size()) << listed.out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], expected[i].first);
        EXPECT_EQ(rows[i][1], expected[i].second);
    }
    EXPECT_EQ(rows[2][3], "20000");
    EXPECT_LT(std::stoul(rows[2][2]), 20000u);  // the code is smaller than the text

    const std::vector<std::pair<std::string, std::string>> members = {
        {"zulu.txt", "text.txt"}, {"ALPHA.BIN", "runs.bin"}, {"'#300'", "runs.bin"},
        {"mike.txt", "text.txt"}, {"'#16'", "text.txt"},     {"noise.BIN", "noise.bin"},
        {"'#2'", "runs.bin"},     {"empty", "empty.bin"},
    };
    for (const auto& [member, source] : members) {
        SCOPED_TRACE(member);
        const Result toStdout = Run("extract out.vol " + member);
        EXPECT_EQ(toStdout.exitCode, 0);
        EXPECT_EQ(toStdout.out, Read(source));
        ASSERT_EQ(Run("extract out.vol " + member + " copy.bin").exitCode, 0);
        EXPECT_EQ(Read("copy.bin"), Read(source));
    }
    EXPECT_EQ(Run("verify out.vol").exitCode, 0);
}

TEST_F(VolpackTest, BadArgumentsAndBadVolumesFail) {
    Write("a.txt", "a");
    Write("not.vol", "this is not a volume");
    struct Case {
        const char* args;
        int exitCode;
    };
    const Case cases[] = {
        {"", 2},
        {"--help", 0},
        {"frobnicate", 2},
        {"create", 1},
        {"create x.vol", 1},
        {"create x.vol --coding zip a.txt", 1},
        {"create x.vol --slots 0 a.txt", 1},
        {"create x.vol --slots", 1},
        {"create x.vol --fast a.txt", 1},
        {"create x.vol missing.txt", 1},
        {"create x.vol '#-1=a.txt'", 1},
        {"create x.vol =a.txt", 1},
        {"list", 1},
        {"list missing.vol", 1},
        {"list not.vol", 1},
        {"verify not.vol", 1},
        {"extract not.vol a.txt", 1},
        {"extract", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        if (c.exitCode != 0) {
            EXPECT_FALSE(Read("stderr.txt").empty());
        }
    }
    EXPECT_FALSE(fs::exists("x.vol"));  // a failed create leaves nothing behind

    ASSERT_EQ(Run("create ok.vol a.txt").exitCode, 0);
    EXPECT_EQ(Run("extract ok.vol b.txt").exitCode, 1);
    EXPECT_EQ(Run("extract ok.vol '#5'").exitCode, 1);
}

TEST_F(VolpackTest, VerifyFindsDamage) {
    Write("a.txt", Text(500));
    ASSERT_EQ(Run("create ok.vol --coding lzh a.txt b.txt=a.txt").exitCode, 0);
    std::string bytes = Read("ok.vol");
    // The first index entry's name offset is moved outside the name table.
    const std::uint32_t volsSize = static_cast<std::uint8_t>(bytes[20]);
    const std::size_t entry = 24 + ((volsSize + 3) & ~3u) + 8;
    bytes[entry + 3] = 0x40;
    Write("bad.vol", bytes);
    EXPECT_EQ(Run("verify bad.vol").exitCode, 1);
    EXPECT_NE(Read("stderr.txt").find("malformed"), std::string::npos);

    // A coded member whose index claims far more than its code can give is a malformed entry.
    bytes = Read("ok.vol");
    for (int i = 8; i < 12; ++i)
        bytes[entry + i] = static_cast<char>(0xF0);
    Write("huge.vol", bytes);
    EXPECT_EQ(Run("verify huge.vol").exitCode, 1);
    EXPECT_NE(Read("stderr.txt").find("1 malformed"), std::string::npos);
    EXPECT_EQ(Run("extract huge.vol a.txt out.bin").exitCode, 1);
}

TEST_F(VolpackTest, SpareSlotsLetTheVolumeGrowLater) {
    Write("a.txt", "first");
    ASSERT_EQ(Run("create grow.vol --slots 3 a.txt").exitCode, 0);
    {
        core::VolumeRWStream volume;
        ASSERT_EQ(volume.OpenVolume("grow.vol"), 1);
        EXPECT_EQ(volume.SlotCount(), 3u);
        ASSERT_EQ(volume.AddEntryById(9, core::kVolumeLzh, 6), 1);
        ASSERT_EQ(volume.Write(6, "second"), 1);
        ASSERT_EQ(volume.CloseEntry(), 1);
        ASSERT_EQ(volume.CloseVolume(), 1);
    }
    EXPECT_EQ(Run("extract grow.vol '#9'").out, "second");
    EXPECT_EQ(Run("extract grow.vol A.TXT").out, "first");
    EXPECT_EQ(Run("verify grow.vol").exitCode, 0);
}

}  // namespace
