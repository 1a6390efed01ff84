// The hard-disk copy of the tile files. Tiles live on the installation source (the folder the
// setup information names); a tile the window needs is copied into the local terrain folder
// once and opened from there, and the oldest copies are deleted to keep the folder within its
// size. The cache keeps its own access stamps (in "TedCache.lst" beside the tiles), because a
// file's access time says little on a modern system: a stamp is given to every file it copies
// and every copy it hands out, and only files with a stamp — files it copied itself — are ever
// deleted. "stub.ted", read-only files and files of names longer than 15 characters are left
// alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace world {

inline constexpr int kDiskCacheEntries = 92;
inline constexpr std::size_t kDiskCacheNameLength = 15;
inline constexpr char kDiskCacheStampFile[] = "TedCache.lst";

struct TerrainCacheEntry {
    std::uint64_t stamp = 0;  // the cache's own access clock; 0 for files it did not copy
    std::uint32_t size = 0;
    std::string name;
    bool own = false;  // copied by the cache, so it may delete it
};

class TerrainDiskCache {
public:
    // Scans "<base>\<region>\*.ted" (making the folders); `megabytes` is clamped to 5..200. With
    // 92 files or more the cache stays off until the program ends.
    void Init(std::string_view base, std::string_view region, std::int32_t megabytes);

    // The path to open for a tile path "<base>\<region>\<name>": the local file (copied from the
    // source first when it is only there and fits), the file where it lies on the source when
    // it cannot be copied, or empty when it is nowhere.
    [[nodiscard]] std::string Fetch(std::string_view localPath);

    [[nodiscard]] bool IsOn() const { return count >= 0; }
    [[nodiscard]] std::uint64_t Capacity() const { return capacity; }
    [[nodiscard]] std::uint64_t BytesCached() const { return bytesCached; }
    [[nodiscard]] const std::vector<TerrainCacheEntry>& Entries() const { return entries; }

private:
    // Deletes the oldest own copies until `needed` bytes are free; false when it cannot.
    bool Evict(std::uint64_t needed);
    void Stamp(const std::string& name);
    void SaveStamps() const;

    std::string folder;
    std::vector<TerrainCacheEntry> entries;  // newest first
    std::uint64_t capacity = 0;
    std::uint64_t bytesCached = 0;
    std::int32_t count = -1;
    std::uint64_t clock = 0;
};

// The installation's list of the tiles it ships, beside them: its first line is
// kShippedTilesTitle, then one tile file name a line. Where the list names no tile the ground is
// sea by design; a listed tile that is gone is a damaged installation.
inline constexpr char kShippedTilesFile[] = "Tiles.lst";
inline constexpr char kShippedTilesTitle[] = "Zephlon terrain tiles";

// The tile names of a list's text; false when the text is not such a list.
bool ParseShippedTiles(std::string_view text, std::vector<std::string>* names);

enum class ShippedTilesList { Read, Missing, Damaged };
// The tiles the list in `folder` names that neither `folder` nor the installation source holds.
std::vector<std::string> MissingShippedTiles(std::string_view folder, ShippedTilesList* list);

}  // namespace world
