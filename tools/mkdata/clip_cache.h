// The data cache's files of sound clips the maker spoke with espeak-ng: a file named by a key of
// what made the clips, holding "ZSPC", u32 count, then per clip u32 id, u32 size and the bytes.
// A clip that was spoken once is read back instead of being spoken again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "tools/mkdata/installation.h"

namespace mkdata {

using Clips = std::map<int, Bytes>;

// FNV-1a over texts, each closed by a separator, so that "ab" + "c" differs from "a" + "bc".
struct CacheKey {
    std::uint64_t h = 14695981039346656037ull;
    void Add(std::string_view s);
    // The key as 16 hexadecimal digits, for a file name.
    [[nodiscard]] std::string Hex() const;
};

// The clips of a whole cache file, none larger than `maxClipBytes`; false (nothing changed) for a
// file that is missing, cut short or of another kind.
bool ReadClipCache(const std::filesystem::path& path, std::size_t maxClipBytes, Clips* clips);
// Written aside and renamed, so that a build in the other tree never reads half a file.
void WriteClipCache(const std::filesystem::path& path, const Clips& clips);

}  // namespace mkdata
