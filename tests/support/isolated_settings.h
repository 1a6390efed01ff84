// Gives each test process its own settings file. ctest runs every test case as a process of its
// own, many at once; without this they would all read and write the one settings file beside
// the test executable and disturb each other.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "core/ini_file.h"
#include "platform/file_system.h"

namespace testsupport {

class IsolatedSettings : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = "/tmp/zephlon-settings-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        // The program's settings file is the executable's path with ".ini".
        platform::SetExecutablePathForTesting(folder_ + "/zephlon");
        core::theIniFile = core::IniFile((folder_ + "/zephlon.ini").c_str());
    }
    void TearDown() override {
        platform::SetExecutablePathForTesting("");
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::string folder_;
};

}  // namespace testsupport
