// The planning tests' runs of committed scripts in the starter installation: the script beside
// the test, with the files it saves or photographs placed in the run's folder.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "support/starter_run.h"

namespace planningtest {

// The cells of a list row the runner read ("read 79 row 0: \"KSQL | 118 | ...\"").
inline std::vector<std::string> ListRow(const std::string& out, int list, int row) {
    const std::string key = "read " + std::to_string(list) + " row " + std::to_string(row) + ": \"";
    const std::size_t at = out.find(key);
    if (at == std::string::npos) return {};
    const std::string text =
        out.substr(at + key.size(), out.find('"', at + key.size()) - at - key.size());
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t bar; (bar = text.find(" | ", start)) != std::string::npos; start = bar + 3)
        cells.push_back(text.substr(start, bar - start));
    cells.push_back(text.substr(start));
    return cells;
}

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
    // "FlightPlans/<name>": four stations KSQL, OSI, PYE, KFAT along the line z of the start
    // flight, at x + dx[i], followed by `more` (other sections).
    void WriteLinePlan(const char* name, const std::int32_t (&dx)[4], const std::string& more = {}) {
        const std::int32_t x = Key("Flights/Startup.Flt", "Aircraft", "fmPosX");
        const std::int32_t z = Key("Flights/Startup.Flt", "Aircraft", "fmPosZ");
        dir.MakeFolders("FlightPlans");
        std::string plan = "[Settings]\nstCount=4\nstAirc=0\nstAlt=5500\nstPower=65\n[Points]\n";
        const char* idents[4] = {"KSQL", "OSI", "PYE", "KFAT"};
        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(i);
            plan += "ptIdent" + n + "=" + idents[i] + "\nptType" + n + "=" + (i == 0 || i == 3 ? "1" : "2") +
                    "\nptX" + n + "=" + std::to_string(x + dx[i]) + "\nptY" + n + "=" + std::to_string(z) + "\n";
        }
        dir.Write(std::string("FlightPlans/") + name, plan + more);
    }
    testsupport::StarterRun run;
    const testsupport::TempFolder& dir = run.Dir();
};

}  // namespace planningtest
