// volpack: builds, lists, extracts and checks volume archives (".Vol") with the program's own
// volume reader and writer.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/volume_coding.h"
#include "core/volume_stream.h"
#include "win/file_api.h"

namespace {

constexpr char kUsage[] =
    "usage: volpack create OUT.vol [--coding stored|rle|lzh|auto] [--slots N] ENTRY...\n"
    "       volpack list VOL\n"
    "       volpack extract VOL MEMBER [OUT]\n"
    "       volpack verify VOL\n"
    "       volpack --help\n"
    "\n"
    "ENTRY is FILE (the member is named after the file), NAME=FILE or #N=FILE (member number N,\n"
    "decimal or 0x hex). --coding applies to the entries after it; auto codes a member as the\n"
    "installation's volumes are (core/volume_coding.h): run-length when that saves a tenth, LZH\n"
    "when that saves a fifth more, stored otherwise. MEMBER is a name (without regard to case)\n"
    "or #N. OUT defaults to standard output.\n";

enum class Coding { kStored, kRle, kLzh, kAuto };

struct Entry {
    bool named = true;
    std::string name;
    std::uint32_t id = 0;
    std::string file;
    Coding coding = Coding::kStored;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "volpack: %s\n", message.c_str());
    return 1;
}

bool ParseNumber(std::string_view text, std::uint32_t& value) {
    if (text.empty()) return false;
    std::string s(text);
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (errno != 0 || *end != 0 || s[0] == '-' || v > 0xFFFFFFFEull) return false;
    value = static_cast<std::uint32_t>(v);
    return true;
}

// The name of a member made from a bare FILE: its last path component.
std::string BaseName(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

const char* CodingName(std::uint8_t compression) {
    switch (compression) {
        case core::kVolumeStored:
            return "stored";
        case core::kVolumeRunLength:
            return "rle";
        case core::kVolumeLzh:
            return "lzh";
        default:
            return "unknown";
    }
}

std::string MemberLabel(const core::VolumeEntry& e) {
    return e.named ? e.name : "#" + std::to_string(e.id);
}

int Create(int argc, char** argv) {
    if (argc < 3) return Fail("create needs an output volume and at least one entry");
    const std::string out = argv[2];
    Coding coding = Coding::kStored;
    std::uint32_t slots = 0;
    bool slotsGiven = false;
    std::vector<Entry> entries;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--coding") {
            if (++i >= argc) return Fail("--coding needs stored, rle, lzh or auto");
            const std::string kind = argv[i];
            if (kind == "stored") {
                coding = Coding::kStored;
            } else if (kind == "rle") {
                coding = Coding::kRle;
            } else if (kind == "lzh") {
                coding = Coding::kLzh;
            } else if (kind == "auto") {
                coding = Coding::kAuto;
            } else {
                return Fail("unknown coding '" + kind + "' (stored, rle, lzh or auto)");
            }
            continue;
        }
        if (arg == "--slots") {
            if (++i >= argc || !ParseNumber(argv[i], slots)) return Fail("--slots needs a number");
            slotsGiven = true;
            continue;
        }
        if (arg.starts_with("--")) return Fail("unknown option '" + arg + "'");
        Entry e;
        e.coding = coding;
        const std::size_t eq = arg.find('=');
        if (eq == std::string::npos) {
            e.file = arg;
            e.name = BaseName(arg);
        } else if (arg[0] == '#') {
            if (!ParseNumber(std::string_view(arg).substr(1, eq - 1), e.id)) {
                return Fail("bad member number in '" + arg + "'");
            }
            e.named = false;
            e.file = arg.substr(eq + 1);
        } else {
            e.name = arg.substr(0, eq);
            e.file = arg.substr(eq + 1);
        }
        if (e.file.empty() || (e.named && e.name.empty())) return Fail("bad entry '" + arg + "'");
        entries.push_back(std::move(e));
    }
    if (entries.empty()) return Fail("create needs at least one entry");
    if (!slotsGiven) slots = static_cast<std::uint32_t>(entries.size());
    if (slots < entries.size()) return Fail("--slots is smaller than the number of entries");

    std::uint64_t nameBytes = 0;
    for (const Entry& e : entries) {
        if (e.named) nameBytes += e.name.size() + 1;
    }
    if (nameBytes > 0x7FFFFFF0u) return Fail("the names are too long");

    core::VolumeRWStream volume;
    if (!volume.CreateVolume(out, static_cast<std::uint32_t>(nameBytes), slots)) {
        return Fail("cannot create " + out);
    }
    for (const Entry& e : entries) {
        std::string data;
        if (!win::ReadWholeFile(e.file, &data)) {
            volume.CloseVolume();
            win::DeleteFile(out);
            return Fail("cannot read " + e.file);
        }
        if (data.size() > 0x7FFFFFF0u) {
            volume.CloseVolume();
            win::DeleteFile(out);
            return Fail(e.file + " is too large for a volume");
        }
        const auto size = static_cast<std::uint32_t>(data.size());
        bool ok = false;
        if (e.coding == Coding::kAuto) {
            // The code every volume of the installation is made with.
            core::VolumeMemberBytes member;
            member.named = e.named;
            member.name = e.name;
            member.id = e.id;
            member.bytes = {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
            ok = core::AddCodedMembers(volume, {&member, 1}) != 0;
        } else {
            const std::uint8_t compression = e.coding == Coding::kRle   ? core::kVolumeRunLength
                                             : e.coding == Coding::kLzh ? core::kVolumeLzh
                                                                        : core::kVolumeStored;
            const int added = e.named ? volume.AddEntry(e.name, compression, size)
                                      : volume.AddEntryById(e.id, compression, size);
            ok = added && volume.Write(size, data.data()) && volume.CloseEntry();
        }
        if (!ok) {
            volume.CloseVolume();
            win::DeleteFile(out);
            return Fail("cannot add " + e.file + " to " + out);
        }
    }
    if (!volume.CloseVolume()) return Fail("cannot finish " + out);
    return 0;
}

bool OpenForReading(core::VolumeRStream& volume, const std::string& path) {
    if (volume.OpenVolume(path)) return true;
    Fail("cannot read the volume " + path);
    return false;
}

int List(int argc, char** argv) {
    if (argc != 3) return Fail("list needs exactly one volume");
    core::VolumeRStream volume;
    if (!OpenForReading(volume, argv[2])) return 1;
    for (const core::VolumeEntry& e : volume.Entries()) {
        std::printf("%s\t%s\t%lld\t%u\n", MemberLabel(e).c_str(), CodingName(e.compression),
                    static_cast<long long>(volume.GetStoredSize(e)), e.size);
    }
    return 0;
}

// Reads a whole member; false when it does not deliver all its bytes.
bool ReadMember(core::VolumeRStream& volume, const core::VolumeEntry& e, std::string& data) {
    const int opened = e.named ? volume.OpenEntry(e.name) : volume.OpenEntryById(e.id);
    if (!opened) return false;
    // Read in chunks: a damaged index may claim a size the member's code cannot deliver, and
    // the data grows only as far as the code really goes.
    data.clear();
    std::vector<char> chunk(1 << 16);
    bool ok = true;
    while (ok && data.size() < e.size) {
        const auto n =
            static_cast<std::uint32_t>(std::min<std::size_t>(chunk.size(), e.size - data.size()));
        ok = volume.Read(n, chunk.data()) && volume.GetLastCount() == n;
        if (ok) data.append(chunk.data(), n);
    }
    volume.Close();
    return ok;
}

int Extract(int argc, char** argv) {
    if (argc != 4 && argc != 5) return Fail("extract needs a volume, a member and maybe an output");
    core::VolumeRStream volume;
    if (!OpenForReading(volume, argv[2])) return 1;
    const std::string member = argv[3];
    const core::VolumeEntry* entry = nullptr;
    if (member.size() > 1 && member[0] == '#') {
        std::uint32_t id = 0;
        if (!ParseNumber(std::string_view(member).substr(1), id)) {
            return Fail("bad member number '" + member + "'");
        }
        entry = volume.FindEntry(id);
    } else {
        entry = volume.FindNamedEntry(member);
    }
    if (!entry) return Fail("no member " + member + " in " + argv[2]);
    std::string data;
    if (!ReadMember(volume, *entry, data)) return Fail("cannot read the member " + member);
    if (argc == 5) {
        if (!win::ReplaceFileAtomically(argv[4], data))
            return Fail(std::string("cannot write ") + argv[4]);
        return 0;
    }
    if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size()) {
        return Fail("cannot write to standard output");
    }
    return 0;
}

int Verify(int argc, char** argv) {
    if (argc != 3) return Fail("verify needs exactly one volume");
    core::VolumeRStream volume;
    if (!OpenForReading(volume, argv[2])) return 1;
    int problems = 0;
    if (volume.DroppedEntryCount() != 0) {
        std::fprintf(stderr, "volpack: %u malformed index entries\n", volume.DroppedEntryCount());
        ++problems;
    }
    if (!volume.IndexWasSorted()) {
        std::fprintf(stderr, "volpack: the index is not in order\n");
        ++problems;
    }
    const core::VolumeEntry* previous = nullptr;
    for (const core::VolumeEntry& e : volume.Entries()) {
        if (previous && !core::VolumeEntryBefore(*previous, e)) {
            std::fprintf(stderr, "volpack: %s appears twice\n", MemberLabel(e).c_str());
            ++problems;
        }
        previous = &e;
        std::string data;
        if (!ReadMember(volume, e, data)) {
            std::fprintf(stderr, "volpack: %s cannot be read whole\n", MemberLabel(e).c_str());
            ++problems;
        }
    }
    if (problems != 0) return 1;
    std::printf("%s: %zu members, all readable\n", argv[2], volume.Entries().size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "create") return Create(argc, argv);
    if (command == "list") return List(argc, argv);
    if (command == "extract") return Extract(argc, argv);
    if (command == "verify") return Verify(argc, argv);
    std::fprintf(stderr, "volpack: unknown command '%s'\n\n%s", command.c_str(), kUsage);
    return 2;
}
