// The program's dialogs as a user meets them, driven by the committed scripts beside this test
// in the starter installation: a flight saved under a typed name and resumed, a save over it
// answered No, a shipped flight resumed from the list with Enter, a message box closed with
// Enter and pictured while it is up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class DialogScripts : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "Flights"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        // The data folders are linked; the flights are copied, since the scripts save flights.
        for (const fs::directory_entry& e : fs::directory_iterator(install)) {
            if (!e.is_directory()) continue;
            const fs::path to = fs::path(dir.Root()) / e.path().filename();
            if (e.path().filename() == "Flights") fs::copy(e.path(), to, fs::copy_options::recursive);
            else fs::create_symlink(e.path(), to);
        }
    }

    // Runs a committed script with "@dir" standing for the test's folder.
    testsupport::CommandResult Run(const char* name) {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/ui/scripts/" + name);
        EXPECT_TRUE(in) << name;
        std::stringstream text;
        text << in.rdbuf();
        std::string script = text.str();
        for (std::size_t at; (at = script.find("@dir")) != std::string::npos;) script.replace(at, 4, dir.Root());
        dir.Write(name, script);
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path(name) + " 2>&1");
    }

    static void InOrder(const std::string& out, std::initializer_list<const char*> lines) {
        std::size_t at = 0;
        for (const char* line : lines) {
            at = out.find(line, at);
            ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << out;
        }
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-dialogs"};
};

TEST_F(DialogScripts, SaveUnderATypedNameResumeItAndRefuseToReplaceIt) {
    const auto first = Run("save-flight.simrun");
    ASSERT_EQ(first.status, 0) << first.out;
    InOrder(first.out, {"dialog Save Flight ended 1", "dialog Resume Flight ended 1",
                        "flight: resumed Flights\\MyFirst.Flt", "exit=0"});
    const std::string saved = dir.Read("Flights/MyFirst.Flt");
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(saved.find("[Aircraft]"), std::string::npos) << saved.substr(0, 200);

    const auto second = Run("dialogs.simrun");
    ASSERT_EQ(second.status, 0) << second.out;
    InOrder(second.out, {"already exists.", "dialog GENERIC ended 7", "dialog Save Flight ended 0",
                         "dialog Resume Flight ended 1", "flight: resumed Flights\\C172Fly.Flt",
                         "Not yet implemented!", "screenshot ", "dialog GENERIC ended 6", "exit=0"});
    EXPECT_EQ(second.out.find("simrun:"), std::string::npos) << second.out;
    // Answering No kept the flight byte for byte.
    EXPECT_EQ(dir.Read("Flights/MyFirst.Flt"), saved);

    // The picture shows the box: its grey face in the middle of the screen.
    const std::string bmp = dir.Read("message.bmp");
    ASSERT_GT(bmp.size(), 54u);
    const auto* b = reinterpret_cast<const unsigned char*>(bmp.data());
    const unsigned offset = b[10] | (b[11] << 8) | (b[12] << 16);
    const int bpp = b[28] / 8;
    const int width = b[18] | (b[19] << 8), height = b[22] | (b[23] << 8);
    ASSERT_EQ(bpp, 3);
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    auto pixel = [&](int x, int y) {
        const std::size_t at = offset + row * static_cast<std::size_t>(height - 1 - y) + static_cast<std::size_t>(x) * 3;
        return (b[at + 2] << 16) | (b[at + 1] << 8) | b[at];
    };
    EXPECT_EQ(pixel(width / 2 - 70, height / 2 - 20), 0xC0C0C0);
}

}  // namespace
