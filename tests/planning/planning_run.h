// The planning tests' runs of committed scripts in the starter installation: the script beside
// the test, with the files it saves or photographs placed in the run's folder.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "support/starter_run.h"

namespace planningtest {

class ScriptRun : public ::testing::Test {
protected:
    explicit ScriptRun(const char* prefix) : run(prefix) {}
    void SetUp() override {
        if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "simrun or the installation is not built";
    }
    testsupport::CommandResult Play(const char* script) {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/tests/planning/" + script);
        EXPECT_TRUE(in) << script;
        std::string text;
        for (std::string line; std::getline(in, line);) {
            for (const std::string verb : {"save ", "screenshot "})
                if (line.rfind(verb, 0) == 0) line = verb + dir.Path(line.substr(verb.size()));
            text += line + "\n";
        }
        return run.Play(text);
    }
    std::int32_t Key(const char* file, const char* section, const char* key) {
        core::IniFile f(dir.Path(file).c_str());
        return f.GetInt(section, key, -99);
    }
    testsupport::StarterRun run;
    const testsupport::TempFolder& dir = run.Dir();
};

}  // namespace planningtest
