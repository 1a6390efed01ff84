#include "tools/mkdata/installation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/volume_coding.h"
#include "core/volume_stream.h"
#include "platform/file_system.h"

namespace mkdata {

namespace fs = std::filesystem;

Installation::Installation(std::string data, std::string out)
    : dataDir(std::move(data)), outDir(std::move(out)) {}

std::string Installation::PathOf(std::string_view relativePath) const {
    std::string path = outDir;
    if (!path.empty() && path.back() != '/') path += '/';
    for (const char c : relativePath)
        path += c == '\\' ? '/' : c;
    return path;
}

void Installation::DeclareVolume(std::string_view volumeFile) {
    volumes.try_emplace(std::string(volumeFile));
}

void Installation::AddMember(std::string_view volumeFile, std::string_view name, Bytes bytes,
                             bool plain) {
    std::vector<Member>& members = volumes[std::string(volumeFile)];
    for (Member& m : members) {
        if (m.name == name) {
            m.bytes = std::move(bytes);
            m.plain = plain;
            return;
        }
    }
    members.push_back(Member{std::string(name), std::move(bytes), plain});
}

void Installation::AddFile(std::string_view relativePath, Bytes bytes) {
    files[std::string(relativePath)] = std::move(bytes);
}

std::string Installation::PrepareFile(std::string_view relativePath) {
    const fs::path path = PathOf(relativePath);
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    fs::remove(path, ignored);
    // The program's file layer caches folder listings; it must see the new folders.
    platform::ForgetFolderListings();
    return path.string();
}

namespace {

int WriteVolume(const std::string& path, const std::vector<Member>& unsorted, std::string* error) {
    // Members in name order, so the file does not depend on the order modules added them.
    std::vector<const Member*> members;
    members.reserve(unsorted.size());
    for (const Member& m : unsorted)
        members.push_back(&m);
    std::sort(members.begin(), members.end(), [](const Member* a, const Member* b) {
        return core::CompareNamesNoCase(a->name, b->name) < 0;
    });
    std::uint32_t nameBytes = 0;
    for (const Member* m : members)
        nameBytes += static_cast<std::uint32_t>(m->name.size() + 1);

    core::VolumeRWStream volume;
    if (!volume.CreateVolume(path, nameBytes, static_cast<std::uint32_t>(members.size()))) {
        *error = "cannot create " + path;
        return 0;
    }
    // Every member is coded as pays for it.
    std::vector<core::VolumeMemberBytes> coded;
    for (const Member* m : members) {
        core::VolumeMemberBytes b;
        b.name = m->name;
        b.bytes = m->bytes;
        b.plain = m->plain;
        coded.push_back(std::move(b));
    }
    if (!core::AddCodedMembers(volume, coded)) {
        volume.CloseVolume();
        *error = "cannot add the members to " + path;
        return 0;
    }
    if (!volume.CloseVolume()) {
        *error = "cannot finish " + path;
        return 0;
    }
    return 1;
}

}  // namespace

int Installation::Write(std::string* error) {
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec) {
        *error = "cannot make " + outDir + ": " + ec.message();
        return 0;
    }
    for (const auto& [volumeFile, members] : volumes) {
        const std::string path = PrepareFile(volumeFile);
        if (!WriteVolume(path, members, error)) return 0;
    }
    for (const auto& [relative, bytes] : files) {
        const std::string path = PrepareFile(relative);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            *error = "cannot write " + path;
            return 0;
        }
    }
    platform::ForgetFolderListings();
    return 1;
}

int ReadCsv(const std::string& path, std::vector<std::vector<std::string>>* rows,
            std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return 0;
    }
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header) {
            header = false;
            continue;
        }
        if (line.empty()) continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(line.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        rows->push_back(std::move(fields));
    }
    return 1;
}

namespace {

// The number (1 to 36) a designator starts with, its side letter after it; 0 for no number.
int RunwayNumber(const std::string& id, char* side) {
    std::size_t digits = 0;
    while (digits < id.size() && digits < 2 && id[digits] >= '0' && id[digits] <= '9')
        ++digits;
    if (digits == 0) return 0;
    const int number = std::stoi(id.substr(0, digits));
    *side = digits < id.size() ? id[digits] : '\0';
    return number >= 1 && number <= 36 ? number : 0;
}

std::string Reciprocal(int number, char side) {
    const int other = (number + 17) % 36 + 1;
    std::string id = (other < 10 ? "0" : "") + std::to_string(other);
    if (side == 'L') id += 'R';
    else if (side == 'R') id += 'L';
    else if (side == 'C') id += 'C';
    return id;
}

}  // namespace

void MendRunwayEnds(std::string* id1, std::string* id2) {
    char side1 = 0, side2 = 0;
    const int one = RunwayNumber(*id1, &side1), two = RunwayNumber(*id2, &side2);
    if (one == 0 && two != 0) *id1 = Reciprocal(two, side2);
    if (two == 0 && one != 0) *id2 = Reciprocal(one, side1);
}

int ReadRunwayCsv(const std::string& path, std::vector<std::vector<std::string>>* rows,
                  std::string* error) {
    if (!ReadCsv(path, rows, error)) return 0;
    for (auto& r : *rows)
        if (r.size() >= 8) MendRunwayEnds(&r[3], &r[7]);
    return 1;
}

bool ParseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

}  // namespace mkdata
