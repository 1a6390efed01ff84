// An outside look at the installation's aircraft: a reader of its own for the volume and the
// shape files (it shares no code with the program's readers; the system's archiver decodes the
// volume's LZH members) measures the five shapes against
// the types' published spans and lengths, and finds a flip-book part for every entry of the
// part-animation table with the entry's frame count.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::uint32_t U32(const std::string& b, std::size_t at) {
    if (at + 4 > b.size()) throw std::out_of_range("past the end");
    return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8) |
           (static_cast<std::uint8_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24);
}
float F32(const std::string& b, std::size_t at) {
    const std::uint32_t u = U32(b, at);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// A run-length member's bytes: a control byte with bit 7 set repeats the next byte (its low
// seven bits) times; otherwise that many literal bytes follow.
std::string RunLengthDecoded(const std::string& code, std::size_t size) {
    std::string out;
    for (std::size_t at = 0; at < code.size() && out.size() < size;) {
        const auto c = static_cast<std::uint8_t>(code[at++]);
        if ((c & 0x80) != 0) {
            if (at < code.size()) out.append(c & 0x7F, code[at++]);
        } else {
            out.append(code, at, c);
            at += c;
        }
    }
    out.resize(std::min(out.size(), size));
    return out;
}

// An LZH member's bytes, decoded by the system's archiver: the code is the "-lh1-" method, so
// a level-0 archive header in front of it is all the archiver needs (the checksum is left 0;
// the archiver prints the member all the same). Empty when the archiver is not installed.
std::string ArchiverDecoded(const std::string& code, std::size_t size) {
    if (!fs::exists("/usr/bin/lha")) return {};
    std::string h = std::string(2, '\0') + "-lh1-";
    auto u32 = [&h](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.push_back(static_cast<char>(v >> (8 * i)));
    };
    u32(static_cast<std::uint32_t>(code.size()));
    u32(static_cast<std::uint32_t>(size));
    u32(0x00210000);  // 1 January 1980
    h += std::string("\x20\x00\x05m.bin\0\0", 10);
    h[0] = static_cast<char>(h.size() - 2);
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(h[i]));
    h[1] = static_cast<char>(sum);
    const fs::path archive = fs::temp_directory_path() / ("shapes_oracle_" + std::to_string(::getpid()) + ".lzh");
    std::ofstream(archive, std::ios::binary) << h << code << '\0';
    FILE* pipe = popen(("/usr/bin/lha -pq '" + archive.string() + "' 2>/dev/null").c_str(), "r");
    std::string out;
    char buf[65536];
    for (std::size_t n; pipe != nullptr && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        out.append(buf, n);
    if (pipe != nullptr) pclose(pipe);
    fs::remove(archive);
    return out.size() == size ? out : std::string();
}

// The members of a volume: name to bytes (run-length members decoded here, LZH members by the
// system's archiver).
std::map<std::string, std::string> ReadVolume(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string v = s.str();
    std::map<std::string, std::string> out;
    // Chunks: tag, size (bit 31: padded to 4, else to 2), body.
    auto next = [&](std::size_t at) {
        const std::uint32_t size = U32(v, at + 4);
        const std::uint32_t body = size & 0x7FFFFFFFu;
        const std::uint32_t pad = (size & 0x80000000u) != 0 ? 3 : 1;
        return at + 8 + ((body + pad) & ~pad);
    };
    if (v.compare(0, 4, "VOL ") != 0) return out;
    std::size_t at = 8;  // the first chunk inside "VOL "
    std::string names;
    std::size_t index = 0, indexSize = 0;
    for (int k = 0; k < 3 && at + 8 <= v.size(); ++k) {
        const std::string tag = v.substr(at, 4);
        const std::uint32_t size = U32(v, at + 4) & 0x7FFFFFFFu;
        if (tag == "vols") names = v.substr(at + 12, size - 4);
        if (tag == "voli") {
            index = at + 8;
            indexSize = size;
            break;
        }
        at = next(at);
    }
    for (std::size_t e = 0; e + 14 <= indexSize; e += 14) {
        const std::uint32_t id = U32(v, index + e), offset = U32(v, index + e + 4), size = U32(v, index + e + 8);
        const auto coding = static_cast<std::uint8_t>(v[index + e + 12]);
        if (id == 0xFFFFFFFFu || id >= names.size() || offset + 8 > v.size()) continue;
        const std::string name = names.c_str() + id;
        const std::string body = v.substr(offset + 8, U32(v, offset + 4) & 0x7FFFFFFFu);
        if (coding == 0) out[name] = body.substr(0, size);
        if (coding == 1) out[name] = RunLengthDecoded(body, size);
        if (coding == 3) out[name] = ArchiverDecoded(body, size);
    }
    return out;
}

// What the reader gathers from a shape file.
struct Survey {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};
    std::vector<std::int32_t> sequences;
    std::map<int, std::set<int>> cells;  // sequence -> cell counts of its flip-book parts
};

std::uint32_t Tag(int id) {
    return (20u << 16) | static_cast<std::uint32_t>(id);
}

// Walks one block at `at`; returns the position after it. Meshes under flip-book parts (the
// moving parts) and all but the finest child of a detail part are not measured.
std::size_t Walk(const std::string& b, std::size_t at, bool measure, Survey& s) {
    const std::uint32_t tag = U32(b, at), size = U32(b, at + 4);
    const std::size_t data = at + 8, end = data + size + (size & 1);
    auto children = [&](std::size_t from, std::uint32_t count, bool measureChildren, bool onlyLast) {
        std::size_t p = from;
        for (std::uint32_t i = 0; i < count; ++i)
            p = Walk(b, p, measureChildren && (!onlyLast || i + 1 == count), s);
        return p;
    };
    if (tag == Tag(101)) {
        std::size_t p = children(data + 4 + 28, U32(b, data + 4 + 24), measure, false);
        const std::uint32_t n = U32(b, p);
        for (std::uint32_t i = 0; i < n; ++i) s.sequences.push_back(static_cast<std::int32_t>(U32(b, p + 4 + 4 * i)));
    } else if (tag == Tag(60)) {
        children(data + 28, U32(b, data + 24), measure, false);
    } else if (tag == Tag(90)) {
        children(data + 28, U32(b, data + 24), measure, true);
    } else if (tag == Tag(71)) {
        children(data + 4 + 28, U32(b, data + 4 + 24), measure, false);
    } else if (tag == Tag(81)) {
        const std::size_t p = children(data + 28, U32(b, data + 24), false, false);
        s.cells[static_cast<int>(U32(b, p))].insert(static_cast<int>(U32(b, p + 4)));
    } else if (tag == Tag(43) && measure) {
        const std::uint32_t vertices = U32(b, data + 4 + 24);
        const std::size_t v0 = data + 4 + 24 + 12;
        for (std::uint32_t i = 0; i < vertices; ++i)
            for (int k = 0; k < 3; ++k) {
                const float c = F32(b, v0 + 24 * i + 4 * k);
                s.min[k] = std::min(s.min[k], c);
                s.max[k] = std::max(s.max[k], c);
            }
    }
    return end;
}

TEST(ShapesOracle, TheFiveAircraftMatchTheirTypesAndTheirPartTable) {
    const fs::path volume = fs::path(ZEPHLON_BINARY_DIR) / "install" / "Art" / "3DShapes.Vol";
    if (!fs::exists(volume)) GTEST_SKIP() << "the starter installation is not built";
    const std::map<std::string, std::string> members = ReadVolume(volume.string());
    // Published span and length (feet) of each type.
    const struct {
        const char* name;
        double span, length;
    } types[5] = {{"172.dts", 36.0 + 1.0 / 12, 27.0 + 2.0 / 12},
                  {"bonanza.dts", 33.5, 26.0 + 5.0 / 12},
                  {"baron.dts", 37.0 + 10.0 / 12, 29.0 + 10.0 / 12},
                  {"kingair.dts", 54.5, 43.75},
                  {"citation.dts", 46.0 + 11.0 / 12, 42.0 + 7.0 / 12}};
    // The part-animation table's frames by entry (0 where the type has no such part).
    const int frames[5][16] = {
        {12, 12, 0, 0, 2, 12, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0},
        {12, 12, 0, 0, 2, 12, 2, 2, 2, 17, 24, 24, 14, 21, 14, 21},
        {8, 8, 8, 8, 2, 12, 2, 2, 2, 17, 23, 23, 15, 24, 16, 24},
        {8, 8, 8, 8, 2, 12, 2, 2, 2, 11, 18, 18, 12, 21, 21, 0},
        {4, 2, 4, 2, 2, 12, 2, 2, 2, 12, 18, 18, 15, 17, 17, 0}};
    constexpr double kUnitsPerFoot = 0.77575755;
    for (int t = 0; t < 5; ++t) {
        const auto it = members.find(types[t].name);
        ASSERT_NE(it, members.end()) << types[t].name;
        Survey s;
        ASSERT_NO_THROW(Walk(it->second, 0, true, s)) << types[t].name;
        const double span = (s.max[0] - s.min[0]) / kUnitsPerFoot, length = (s.max[1] - s.min[1]) / kUnitsPerFoot;
        EXPECT_NEAR(span / types[t].span, 1.0, 0.03) << types[t].name << " span " << span;
        EXPECT_NEAR(length / types[t].length, 1.0, 0.03) << types[t].name << " length " << length;
        ASSERT_EQ(s.sequences.size(), 16u) << types[t].name;
        for (int e = 0; e < 16; ++e) {
            EXPECT_EQ(s.sequences[static_cast<std::size_t>(e)], frames[t][e]) << types[t].name << " entry " << e;
            if (frames[t][e] == 0) {
                EXPECT_EQ(s.cells.count(e), 0u) << types[t].name << " entry " << e;
                continue;
            }
            ASSERT_EQ(s.cells.count(e), 1u) << types[t].name << " has no part for entry " << e;
            EXPECT_EQ(s.cells[e], (std::set<int>{frames[t][e]})) << types[t].name << " entry " << e;
        }
    }
}

}  // namespace
