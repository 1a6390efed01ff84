// The subsystems below the spine reach it only through the hooks it installs: none of their
// files includes a header of sim/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(Layering, SubsystemsIncludeNothingOfTheSpine) {
    namespace fs = std::filesystem;
    for (const char* folder : {"devices", "nav"}) {
        int files = 0;
        for (const fs::directory_entry& e :
             fs::recursive_directory_iterator(fs::path(ZEPHLON_SOURCE_DIR) / folder)) {
            const std::string ext = e.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            ++files;
            std::ifstream in(e.path());
            std::string line;
            while (std::getline(in, line))
                EXPECT_NE(line.rfind("#include \"sim/", 0), 0u) << e.path() << ": " << line;
        }
        EXPECT_GT(files, 10) << folder;
    }
}

}  // namespace
