// rescomp: compiles the resource script into the program's resource pack, a volume written with
// the program's own volume writer; and lists a pack, checking that every member decodes.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/resource_pack.h"
#include "core/volume_stream.h"
#include "win/file_api.h"
#include "win/resource.h"
#include "win/resource_script.h"

namespace {

constexpr char kUsage[] =
    "usage: rescomp [-I DIR]... SCRIPT OUT\n"
    "       rescomp --list PACK\n"
    "       rescomp --help\n"
    "\n"
    "Compiles the resource script SCRIPT into the resource pack OUT. Files the script names\n"
    "(#include, CURSOR, ICON, BITMAP and user types) are looked up beside the script, then in\n"
    "each -I folder. --list prints every member of a pack with its size and whether it decodes.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "rescomp: %s\n", message.c_str());
    return 1;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

int Compile(const std::string& script, const std::string& out,
            const std::vector<std::string>& dirs) {
    std::string text;
    if (!win::ReadWholeFile(script, &text)) return Fail("cannot read " + script);
    std::vector<std::string> folders{FolderOf(script)};
    for (const std::string& d : dirs)
        folders.push_back(d.empty() || d.back() == '/' ? d : d + "/");
    const win::ScriptFileReader reader =
        [&](const std::string& name) -> std::optional<std::string> {
        std::string path = name;
        for (char& c : path)
            if (c == '\\') c = '/';
        if (!path.empty() && path[0] == '/') {
            std::string data;
            if (win::ReadWholeFile(path, &data)) return data;
            return std::nullopt;
        }
        for (const std::string& folder : folders) {
            std::string data;
            if (win::ReadWholeFile(folder + path, &data)) return data;
        }
        return std::nullopt;
    };
    const win::ResourceScriptResult result = win::CompileResourceScript(text, script, reader);
    if (!result.Ok()) return Fail(result.error);

    std::uint64_t nameBytes = win::kManifestMember.size() + 1;
    for (const auto& r : result.resources)
        nameBytes += r.member.size() + 1;
    if (nameBytes > 0x7FFFFFF0u) return Fail("the member names are too long");
    const auto slots = static_cast<std::uint32_t>(result.resources.size() + 1);
    core::VolumeRWStream volume;
    if (!volume.CreateVolume(out, static_cast<std::uint32_t>(nameBytes), slots))
        return Fail("cannot create " + out);
    auto add = [&](const std::string& name, const std::vector<std::uint8_t>& data) {
        const auto size = static_cast<std::uint32_t>(data.size());
        return volume.AddEntry(name, core::kVolumeStored, size) &&
               (size == 0 || volume.Write(size, data.data())) && volume.CloseEntry();
    };
    bool ok = add(std::string(win::kManifestMember),
                  win::EncodeManifest(static_cast<std::uint32_t>(result.resources.size())));
    for (const auto& r : result.resources) {
        if (!ok) break;
        if (r.data.size() > 0x7FFFFFF0u) {
            ok = false;
            break;
        }
        ok = add(r.member, r.data);
    }
    if (!volume.CloseVolume() || !ok) {
        win::DeleteFile(out);
        return Fail("cannot write " + out);
    }
    return 0;
}

int List(const std::string& path) {
    core::VolumeRStream volume;
    if (!volume.OpenVolume(path)) return Fail("cannot read the pack " + path);
    core::VolumeResourceSource source;
    if (!source.Open(path)) return Fail("cannot read the pack " + path);
    int damaged = 0;
    for (const core::VolumeEntry& e : volume.Entries()) {
        const std::string name = e.named ? e.name : "#" + std::to_string(e.id);
        const auto bytes = source.Read(name);
        bool good = bytes.has_value();
        if (good) {
            const std::string type = name.substr(0, name.find('\\'));
            if (type == win::RT_MENU)
                good = win::DecodeMenuTemplate(*bytes).has_value();
            else if (type == win::RT_ACCELERATOR)
                good = win::DecodeAccelerators(*bytes).has_value();
            else if (type == win::RT_DIALOG)
                good = win::DecodeDialogTemplate(*bytes).has_value();
            else if (type == win::RT_BITMAP)
                good = win::DecodeBmpFile(*bytes).has_value();
            else if (type == win::RT_CURSOR || type == win::RT_ICON)
                good = win::DecodeIconFile(*bytes).has_value();
        }
        damaged += good ? 0 : 1;
        std::printf("%s\t%u\t%s\n", name.c_str(), e.size, good ? "ok" : "damaged");
    }
    std::string error;
    auto check = std::make_unique<core::VolumeResourceSource>();
    check->Open(path);
    const win::HINSTANCE library = win::LoadResourceLibrary(std::move(check), &error);
    if (!library) return Fail(path + ": " + error);
    win::FreeResourceLibrary(library);
    return damaged ? Fail(std::to_string(damaged) + " damaged member(s) in " + path) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() == 2 && args[0] == "--list") return List(args[1]);
    std::vector<std::string> dirs, files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-I") {
            if (i + 1 >= args.size()) return Fail("-I needs a folder");
            dirs.push_back(args[++i]);
        } else if (args[i].starts_with("-I") && args[i].size() > 2) {
            dirs.push_back(args[i].substr(2));
        } else if (args[i].starts_with("-")) {
            return Fail("unknown option '" + args[i] + "'\n" + kUsage);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return Compile(files[0], files[1], dirs);
}
