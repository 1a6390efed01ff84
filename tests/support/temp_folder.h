// A fresh folder under /tmp for one test, removed with everything in it when the test ends.
// Tests never write into the repository or the build tree.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

class TempFolder {
public:
    explicit TempFolder(const char* prefix = "zephlon") {
        std::string pattern = "/tmp/" + std::string(prefix) + "-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
        EXPECT_FALSE(root_.empty()) << "cannot make a temporary folder";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, and a path below it ("a/b.txt").
    [[nodiscard]] const std::string& Root() const { return root_; }
    [[nodiscard]] std::string Path(const std::string& relative) const {
        return root_ + "/" + relative;
    }
    // The same path written the Windows way, with a backslash after the folder.
    [[nodiscard]] std::string WinPath(const std::string& relative) const {
        return root_ + "\\" + relative;
    }

    // Writes a file byte for byte (its folder must exist).
    void Write(const std::string& relative, const std::string& contents) const {
        std::ofstream(Path(relative), std::ios::binary) << contents;
    }
    // A file's bytes; empty when it does not exist.
    [[nodiscard]] std::string Read(const std::string& relative) const {
        std::ifstream in(Path(relative), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void MakeFolders(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
    }

private:
    std::string root_;
};

// Makes a folder the current one for a scope and goes back afterwards.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace testsupport
