// A committed runner script played in the starter installation (the one helper every
// whole-program test uses: data folders linked, flights copied, so a user's settings cannot reach
// the run and the installation is never changed); the files the script saves or shoots land in
// the test's folder.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "support/starter_run.h"

namespace navtest {

class ScriptRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built() ||
            !std::filesystem::exists(testsupport::StarterRun::Install() / "Data" / "Sms" / "flp.sms"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
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
        return run.Play(text);
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
    // The value of `key` in the first `report` line of a run's output that gives it (NaN when
    // none does).
    static double Reported(const std::string& out, const std::string& key) {
        for (std::size_t at = out.find("report "); at != std::string::npos;
             at = out.find("report ", at + 1)) {
            const std::string line = out.substr(at, out.find('\n', at) - at);
            const std::size_t k = line.find(" " + key + "=");
            if (k != std::string::npos) return std::stod(line.substr(k + key.size() + 2));
        }
        return std::nan("");
    }
    testsupport::StarterRun run{"zephlon-navrun"};
    const testsupport::TempFolder& dir = run.Dir();
};

}  // namespace navtest
