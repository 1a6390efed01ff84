#include "tools/mkdata/clip_cache.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "core/endian.h"

namespace mkdata {

namespace fs = std::filesystem;

void CacheKey::Add(std::string_view s) {
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    h ^= 0xFF;
    h *= 1099511628211ull;
}

std::string CacheKey::Hex() const {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

bool ReadClipCache(const fs::path& path, std::size_t maxClipBytes, Clips* clips) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<char> data((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.data());
    const std::size_t n = data.size();
    if (n < 8 || std::string_view(data.data(), 4) != "ZSPC") return false;
    const std::uint32_t count = core::ReadU32(p + 4);
    std::size_t at = 8;
    Clips read;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (n - at < 8) return false;
        const std::uint32_t id = core::ReadU32(p + at);
        const std::uint32_t size = core::ReadU32(p + at + 4);
        at += 8;
        if (size > n - at || size > maxClipBytes) return false;
        read[static_cast<int>(id)] = Bytes(p + at, p + at + size);
        at += size;
    }
    if (at != n) return false;
    *clips = std::move(read);
    return true;
}

void WriteClipCache(const fs::path& path, const Clips& clips) {
    Bytes out = {'Z', 'S', 'P', 'C'};
    auto put = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(static_cast<std::uint32_t>(clips.size()));
    for (const auto& [id, image] : clips) {
        put(static_cast<std::uint32_t>(id));
        put(static_cast<std::uint32_t>(image.size()));
        out.insert(out.end(), image.begin(), image.end());
    }
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const fs::path temporary = path.string() + ".part" + std::to_string(::getpid());
    {
        std::ofstream file(temporary, std::ios::binary);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        if (!file) {
            fs::remove(temporary, ec);
            return;
        }
    }
    fs::rename(temporary, path, ec);
    if (ec) fs::remove(temporary, ec);
}

}  // namespace mkdata
