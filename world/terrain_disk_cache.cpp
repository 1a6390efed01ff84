#include "world/terrain_disk_cache.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/resource_volume.h"
#include "core/text_lines.h"
#include "platform/file_system.h"
#include "win/file_api.h"
#include "world/scenery_settings.h"

namespace world {

namespace {

bool Exists(std::string_view path) {
    const std::uint32_t a = win::GetFileAttributes(path);
    return a != win::INVALID_FILE_ATTRIBUTES && (a & win::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string NameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool SameName(std::string_view a, std::string_view b) {
    return platform::EqualIgnoringCase(a, b);
}

bool IsStub(std::string_view name) {
    return SameName(name, "stub.ted");
}

// A file the user made read-only: by its attributes, or by its permission bits (which say it
// even to a user the system lets write anything).
bool IsProtected(const std::string& path) {
    const std::uint32_t attributes = win::GetFileAttributes(path);
    if (attributes != win::INVALID_FILE_ATTRIBUTES &&
        (attributes & win::FILE_ATTRIBUTE_READONLY) != 0) {
        return true;
    }
    std::error_code ec;
    const auto status = std::filesystem::status(platform::ResolvePath(path).path, ec);
    return !ec && (status.permissions() & std::filesystem::perms::owner_write) ==
                      std::filesystem::perms::none;
}

}  // namespace

void TerrainDiskCache::Init(std::string_view base, std::string_view region,
                            std::int32_t megabytes) {
    capacity = static_cast<std::uint64_t>(ClampSetting(megabytes, 5, 200)) << 20;
    folder = std::string(base) + "\\" + std::string(region);
    win::CreateDirectory(base);
    win::CreateDirectory(folder);
    entries.clear();
    bytesCached = 0;
    clock = 0;
    count = 0;
    // The stamps of the files this cache copied.
    std::map<std::string, std::uint64_t> stamps;
    std::string text;
    if (win::ReadTextFile(folder + "\\" + kDiskCacheStampFile, &text)) {
        std::istringstream in(text);
        std::string name;
        std::uint64_t stamp = 0;
        while (in >> name >> stamp)
            if (name.size() <= kDiskCacheNameLength && stamp > 0) stamps[name] = stamp;
    }
    win::FindData found;
    win::FindHandle search = win::FindFirstFile(folder + "\\*.ted", &found);
    if (search.IsValid()) {
        do {
            if ((found.fileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            // A name the table cannot hold is not the cache's business.
            if (found.fileName.size() > kDiskCacheNameLength) continue;
            TerrainCacheEntry e;
            e.name = found.fileName;
            e.size = found.fileSizeLow;
            const auto s = stamps.find(found.fileName);
            if (s != stamps.end() && !IsStub(e.name)) {
                e.stamp = s->second;
                e.own = true;
            }
            entries.push_back(std::move(e));
        } while (win::FindNextFile(search, &found));
        win::FindClose(search);
    }
    if (entries.size() >= static_cast<std::size_t>(kDiskCacheEntries)) {
        entries.clear();
        count = -1;
        return;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TerrainCacheEntry& a, const TerrainCacheEntry& b) {
                         if (a.stamp != b.stamp) return a.stamp > b.stamp;
                         return a.size < b.size;
                     });
    for (const TerrainCacheEntry& e : entries) {
        bytesCached += e.size;
        clock = std::max(clock, e.stamp);
    }
    count = static_cast<std::int32_t>(entries.size());
}

std::string TerrainDiskCache::Fetch(std::string_view localPath) {
    const std::string local(localPath);
    const std::string name = NameOf(localPath);
    if (Exists(local)) {
        if (IsOn()) Stamp(name);
        return local;
    }
    std::string source = local;
    if (!core::FindDataFile(source)) return {};
    if (!IsOn() || name.size() > kDiskCacheNameLength) return source;
    // A tile larger than the whole cache is opened where it lies, and not read here.
    std::string bytes;
    if (!win::ReadWholeFile(source, &bytes, capacity)) return source;
    const std::uint64_t size = bytes.size();
    // Nothing is deleted unless the copy will then fit: files the cache may not delete stay.
    std::uint64_t evictable = 0;
    for (const TerrainCacheEntry& e : entries)
        if (e.own && !IsProtected(folder + "\\" + e.name)) evictable += e.size;
    if (bytesCached - evictable + size > capacity) return source;
    // A full table first gives up its oldest copy; then room is made for the bytes.
    if (entries.size() >= static_cast<std::size_t>(kDiskCacheEntries) && !Evict(0)) return source;
    if (bytesCached + size > capacity && !Evict(bytesCached + size - capacity)) return source;
    if (!win::ReplaceFileAtomically(local, std::string_view(bytes))) return source;
    TerrainCacheEntry e;
    e.name = name;
    e.size = static_cast<std::uint32_t>(size);
    e.own = !IsStub(name);
    e.stamp = e.own ? ++clock : 0;
    entries.insert(entries.begin(), std::move(e));
    bytesCached += size;
    count = static_cast<std::int32_t>(entries.size());
    SaveStamps();
    return local;
}

bool TerrainDiskCache::Evict(std::uint64_t needed) {
    // needed == 0 asks for one entry to go (a full table).
    bool freedOne = false;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (needed == 0 && freedOne) break;
        const TerrainCacheEntry& e = entries[i];
        if (!e.own) continue;
        const std::string path = folder + "\\" + e.name;
        if (IsProtected(path)) continue;  // the user keeps it
        if (Exists(path) && !win::DeleteFile(path)) break;
        bytesCached -= std::min<std::uint64_t>(bytesCached, e.size);
        needed -= std::min<std::uint64_t>(needed, e.size);
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        freedOne = true;
        if (needed == 0 && freedOne) break;
    }
    count = static_cast<std::int32_t>(entries.size());
    SaveStamps();
    return needed == 0 && (freedOne || entries.size() < static_cast<std::size_t>(kDiskCacheEntries));
}

void TerrainDiskCache::Stamp(const std::string& name) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!SameName(entries[i].name, name)) continue;
        if (!entries[i].own) return;
        TerrainCacheEntry e = entries[i];
        e.stamp = ++clock;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        entries.insert(entries.begin(), std::move(e));
        SaveStamps();
        return;
    }
}

void TerrainDiskCache::SaveStamps() const {
    // Replaced whole, never forced to disc: a stamp list lost only makes the cache forget some
    // of its copies, which it then leaves alone like the user's files. A pipe or a device of
    // the list's name is left as it is, and the list is not kept.
    std::string text;
    for (const TerrainCacheEntry& e : entries)
        if (e.own) text += e.name + ' ' + std::to_string(e.stamp) + '\n';
    (void)platform::ReplaceFileAtomically(folder + "\\" + kDiskCacheStampFile, text, false);
}

bool ParseShippedTiles(std::string_view text, std::vector<std::string>* names) {
    names->clear();
    bool first = true;
    std::string_view line;
    while (core::NextLine(text, &line)) {
        if (first) {
            if (line != kShippedTilesTitle) return false;
            first = false;
            continue;
        }
        // A tile's own name, never a path or a name the program would not open.
        const bool tile = line.size() > 4 && line.size() <= kDiskCacheNameLength &&
                          line.find_first_of("\\/:") == std::string_view::npos &&
                          SameName(line.substr(line.size() - 4), ".ted") && !IsStub(line);
        if (!tile) return false;
        names->emplace_back(line);
    }
    return !first;
}

std::vector<std::string> MissingShippedTiles(std::string_view folder, ShippedTilesList* list) {
    std::vector<std::string> missing;
    std::string path = std::string(folder) + "\\" + kShippedTilesFile;
    std::string text;
    if (!Exists(path) && !core::FindDataFile(path)) {
        *list = ShippedTilesList::Missing;
        return missing;
    }
    std::vector<std::string> names;
    if (!win::ReadTextFile(path, &text) || !ParseShippedTiles(text, &names)) {
        *list = ShippedTilesList::Damaged;
        return missing;
    }
    *list = ShippedTilesList::Read;
    for (const std::string& name : names) {
        std::string tile = std::string(folder) + "\\" + name;
        if (!Exists(tile) && !core::FindDataFile(tile)) missing.push_back(tile);
    }
    return missing;
}

}  // namespace world
