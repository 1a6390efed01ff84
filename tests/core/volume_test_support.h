// Helpers shared by the volume tests: a temporary working folder and volumes built in memory.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/volume_stream.h"
#include "platform/file_system.h"

namespace volume_test {

// A fresh folder under /tmp that is the working folder while the object lives; the previous
// working folder is restored and the folder removed afterwards.
class ScopedWorkFolder {
public:
    ScopedWorkFolder() {
        char pattern[] = "/tmp/zephlon-volume-XXXXXX";
        root = mkdtemp(pattern);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root);
        platform::ForgetFolderListings();
    }
    ~ScopedWorkFolder() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
        platform::ForgetFolderListings();
    }
    ScopedWorkFolder(const ScopedWorkFolder&) = delete;
    ScopedWorkFolder& operator=(const ScopedWorkFolder&) = delete;

    std::filesystem::path root;

private:
    std::filesystem::path previous;
};

// Writes a file below the working folder, creating its folders; `path` uses '/'.
inline void WriteFile(const std::string& path, const std::string& bytes) {
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Deterministic test data: text, runs and noise, so every coder has something to do.
inline std::string MixedBytes(std::size_t size, std::uint32_t seed) {
    std::string out;
    out.reserve(size);
    std::uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    static const char kWords[] = "the quick brown fox jumps over the lazy dog; ";
    while (out.size() < size) {
        switch (next() % 3) {
            case 0:
                for (int i = 0; i < 40 && out.size() < size; ++i)
                    out.push_back(kWords[i % 45]);
                break;
            case 1:
                out.append(std::min<std::size_t>(next() % 200 + 3, size - out.size()),
                           static_cast<char>(next()));
                break;
            default:
                for (int i = 0; i < 30 && out.size() < size; ++i)
                    out.push_back(static_cast<char>(next()));
                break;
        }
    }
    return out;
}

struct Member {
    bool named = true;
    std::string name;
    std::uint32_t id = 0;
    std::uint8_t compression = core::kVolumeStored;
    std::string data;
};

// Builds a volume with the project's own writer; true when every step succeeded.
inline bool BuildVolume(const std::string& path, const std::vector<Member>& members,
                        std::uint32_t extraSlots = 0) {
    std::uint32_t names = 0;
    for (const Member& m : members)
        names += m.named ? static_cast<std::uint32_t>(m.name.size()) + 1 : 0;
    const std::filesystem::path where(path);
    if (where.has_parent_path()) std::filesystem::create_directories(where.parent_path());
    platform::ForgetFolderListings();
    core::VolumeRWStream volume;
    if (!volume.CreateVolume(path, names,
                             static_cast<std::uint32_t>(members.size()) + extraSlots)) {
        return false;
    }
    for (const Member& m : members) {
        const auto size = static_cast<std::uint32_t>(m.data.size());
        const int added = m.named ? volume.AddEntry(m.name, m.compression, size)
                                  : volume.AddEntryById(m.id, m.compression, size);
        if (!added || !volume.Write(size, m.data.data()) || !volume.CloseEntry()) return false;
    }
    return volume.CloseVolume() == 1;
}

// Reads a whole open member of `stream` in chunks of `chunk` bytes.
inline std::string ReadAll(core::StreamIO& stream, std::uint32_t size, std::uint32_t chunk) {
    std::string out;
    std::vector<char> buffer(chunk);
    while (out.size() < size) {
        const std::uint32_t n =
            std::min<std::uint32_t>(chunk, size - static_cast<std::uint32_t>(out.size()));
        if (!stream.Read(n, buffer.data())) break;
        out.append(buffer.data(), stream.GetLastCount());
        if (stream.GetLastCount() != n) break;
    }
    return out;
}

}  // namespace volume_test
