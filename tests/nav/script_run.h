// A committed runner script played in the starter installation: the test's folder holds links
// to the installation's data folders only (a user's settings must not reach the run), and the
// files the script saves or shoots land in the test's folder.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace navtest {

class ScriptRun : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        if (!fs::exists(bin) || !fs::exists(install / "Data" / "Sms" / "flp.sms") ||
            !fs::exists(install / "Zephlon.pack"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        for (const fs::directory_entry& e : fs::directory_iterator(install))
            if (e.is_directory())
                fs::create_symlink(e.path(), fs::path(dir.Root()) / e.path().filename());
    }
    // Plays tests/nav/`script` with its saved flights and screenshots in the test's folder.
    testsupport::CommandResult Play(const char* script) {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/nav/" + script);
        EXPECT_TRUE(in) << script;
        std::string text;
        for (std::string line; std::getline(in, line);) {
            for (const char* verb : {"save ", "screenshot "})
                if (line.rfind(verb, 0) == 0)
                    line = verb + dir.Path(line.substr(std::strlen(verb)));
            text += line + "\n";
        }
        dir.Write("script.txt", text);
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                       " 2>&1");
    }
    // A saved flight's place, height and heading.
    struct Saved {
        std::int32_t x = 0, y = 0, z = 0;
        double heading = 0;       // degrees on the world plane
        double lat = 0, lon = 0;  // east-positive, by the second projection
    };
    Saved Read(const char* flight) {
        core::IniFile file(dir.Path(flight).c_str());
        Saved s;
        s.x = file.GetInt("Aircraft", "fmPosX", 0);
        s.y = file.GetInt("Aircraft", "fmPosY", 0);
        s.z = file.GetInt("Aircraft", "fmPosZ", 0);
        s.heading = (file.GetInt("Aircraft", "fmHead", 0) & 0xFFFF) * 360.0 / 65536.0;
        WorldToGeographic(s.x, s.z, &s.lat, &s.lon);
        return s;
    }
    testsupport::TempFolder dir{"zephlon-navrun"};
    std::string bin;
};

}  // namespace navtest
