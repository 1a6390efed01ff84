// The reference of the benchmarks that store a file: the same bytes stored by one atomic
// replacement, as the settings writer stores a file (not forced to disc). A save that rewrote
// its file once per key, or parsed it again per key, is many of these; a save that gathers its
// keys and stores once is its formatting plus one. And the folder such benchmarks work in: in
// memory where the machine has a memory file system, since the goals are the program's
// processor work, and a disc file system's own work for a write (its journal, shared with every
// other program writing) varies twofold from one minute to the next on a busy machine.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system.h"

namespace benchsupport {

// Takes the bytes `path` holds now; each call stores them back at `path`.
class AtomicWriteReference {
public:
    explicit AtomicWriteReference(std::string path) : path_(std::move(path)) {
        std::ifstream in(path_, std::ios::binary);
        text_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    [[nodiscard]] bool Empty() const { return text_.empty(); }
    void operator()() const { (void)platform::ReplaceFileAtomically(path_, text_, false); }

private:
    std::string path_;
    std::string text_;
};

// A folder of the run's own, `name` and the process number, removed at the end: under /dev/shm
// when that is a writable folder, else in the temporary folder.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        std::error_code ec;
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0
                ? shm
                : std::filesystem::temp_directory_path();
        path_ = base / (name + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_, ec);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace benchsupport
