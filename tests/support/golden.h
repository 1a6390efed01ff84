// Golden outputs: bytes compared with a file of tests/golden/, which ZEPHLON_UPDATE_GOLDEN=1
// rewrites instead (after a deliberate change).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

inline ::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& bytes) {
    const std::string path = std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/" + name;
    if (std::getenv("ZEPHLON_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << bytes;
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return ::testing::AssertionFailure() << "missing " << path << " (run with ZEPHLON_UPDATE_GOLDEN=1)";
    std::stringstream expected;
    expected << in.rdbuf();
    if (expected.str() != bytes) return ::testing::AssertionFailure() << "differs from " << path;
    return ::testing::AssertionSuccess();
}

}  // namespace testsupport
