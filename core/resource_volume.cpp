// Resource volumes, the installation source and the disc fallback.
#include "core/resource_volume.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <utility>

#include "platform/file_system.h"
#include "platform/termination.h"
#include "win/file_api.h"
#include "win/profile.h"
#include "win/program_entry.h"

namespace core {

namespace {

ResourceVolumeHost& Host() {
    static ResourceVolumeHost host;
    return host;
}

// Only a plain file is a data file: a folder, a device or a pipe of its name is none, however
// often the disc is asked for.
bool FileExists(std::string_view path) {
    return win::IsPlainFile(path);
}

constexpr std::uint32_t kRetryCancel = 5;
constexpr std::uint32_t kOkCancel = 1;
constexpr std::uint32_t kWarningOk = 48;
constexpr int kIdOk = 1;

int PromptForDisc(std::string_view path) {
    const ResourceVolumeHost& host = Host();
    if (host.promptForDisc) return host.promptForDisc(1, path, kRetryCancel);
    return FileExists(path) ? 1 : 0;
}

int ShowMessage(std::string_view text, std::uint32_t type) {
    const ResourceVolumeHost& host = Host();
    if (host.showMessageBox) return host.showMessageBox(text, type);
    return kIdOk;
}

// A folder, a device or a pipe where a file of the installation source should be is told once
// per path and never asked for again: no disc brings the file while it stands there, and
// opening a pipe would wait for ever.
bool RefusedAsNoFile(const std::string& path) {
    if (!win::IsOtherThanPlainFile(path)) return false;
    static std::set<std::string> told;
    if (told.insert(path).second)
        ShowMessage("Zephlon cannot read the file " + win::ShownPath(path) + ": " +
                        win::DescribeFileErrorAt(path, win::ERROR_BAD_FILE_TYPE) + ".",
                    kWarningOk);
    return true;
}

}  // namespace

void SetResourceVolumeHost(ResourceVolumeHost host) {
    Host() = std::move(host);
}

const ResourceVolumeHost& GetResourceVolumeHost() {
    return Host();
}

// ---------------------------------------------------------------------------------------------
// The installation source

SetupInfo theSetupInfo;
std::string theCdRoot;

int SetupInfo::Read(int parentFolder) {
    if (!startFolder.empty()) return 1;
    startFolder = win::GetCurrentDirectory();
    std::string file;
    if (parentFolder) {
        // The parent is the working folder cut after its last separator.
        const std::size_t cut = startFolder.find_last_of("\\/");
        file = cut == std::string::npos ? std::string() : startFolder.substr(0, cut + 1);
        file += kSetupInfoFile;
    } else {
        file = startFolder + "\\" + kSetupInfoFile;
    }
    sourceDir = win::GetPrivateProfileString("Misc", "SourceDir", "", file);
    if (!sourceDir.empty() && sourceDir.back() != '\\') sourceDir.push_back('\\');
    return 1;
}

void SetupInfo::Reset() {
    startFolder.clear();
    sourceDir.clear();
}

void SetCdRoot(const char* path) {
    theCdRoot = path ? path : "";
}

void InitInstallationSource() {
    theSetupInfo.Read(1);
    SetCdRoot(theSetupInfo.sourceDir.c_str());
}

std::string DiscPath(std::string_view path) {
    std::string result = theCdRoot;
    result += "Corvex\\";
    result += path;
    return result;
}

int ResolveDataPath(std::string& path) {
    win::FindData found;
    const win::FindHandle search = win::FindFirstFile(path, &found);
    if (search.IsValid()) {
        win::FindClose(search);
        return 1;
    }
    if (theCdRoot.empty()) return 0;
    std::string onDisc = DiscPath(path);
    if (RefusedAsNoFile(onDisc) || !ResourceVolume::AskForDisc(onDisc)) return 0;
    path = std::move(onDisc);
    return 1;
}

int FindDataFile(std::string& path) {
    if (FileExists(path)) return 1;
    if (theCdRoot.empty()) return 0;
    std::string onDisc = DiscPath(path);
    if (!FileExists(onDisc)) return 0;
    path = std::move(onDisc);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// ResourceVolume

ResourceVolume::ResourceVolume(const char* volumeFile, const char* folder, int askForDisc)
    : stream(std::make_unique<VolumeRStream>()) {
    SetNames(volumeFile, folder, askForDisc);
}

ResourceVolume::ResourceVolume(AtStartUp, const char* volumeFile, const char* folder)
    : stream(std::make_unique<VolumeRStream>()),
      directory(folder ? folder : "."),
      volumeName(volumeFile ? volumeFile : "") {
    stream->SetLooseDirs(&directory);
}

ResourceVolume::~ResourceVolume() = default;

int ResourceVolume::SetNames(const char* volumeFile, const char* folder, int askForDisc) {
    stream->FreeIndex();
    directory = folder ? folder : ".";
    stream->SetLooseDirs(&directory);
    volumeName = volumeFile ? volumeFile : "";
    return Open(askForDisc);
}

int ResourceVolume::Open(int askForDisc) {
    if (stream->IsVolumeOpen()) return 1;
    if (volumeName.empty()) return 0;
    if (stream->OpenVolume(volumeName)) return 1;
    if (!askForDisc || theCdRoot.empty()) return 0;
    const std::string onDisc = DiscPath(volumeName);
    for (;;) {
        if (RefusedAsNoFile(onDisc)) return 0;
        if (stream->OpenVolume(onDisc)) return 1;
        // A volume that is there but cannot be read will not get better by asking again.
        if (FileExists(onDisc)) {
            ShowMessage("Zephlon cannot read the file " + win::ShownPath(onDisc) + ".", kWarningOk);
            return 0;
        }
        if (!AskForDisc(onDisc)) return 0;
    }
}

int ResourceVolume::IsOpen() {
    if (!stream->IsVolumeOpen()) Open(1);
    return stream->IsVolumeOpen();
}

int ResourceVolume::AskForDisc(std::string_view path) {
    if (PromptForDisc(path)) return 1;
    for (;;) {
        // A request to end the program ends the asking too, whether it waits to be taken or
        // the prompt's loop took it and the close has begun.
        const ResourceVolumeHost& host = Host();
        if (platform::TerminationPending() || (host.closing && host.closing())) return 0;
        if (ShowMessage(kDiscNeededText, kOkCancel) == kIdOk) {
            if (host.closing && host.closing()) return 0;
            if (host.fatalShutdown) host.fatalShutdown();
            return 0;
        }
        if (PromptForDisc(path)) return 1;
    }
}

int ResourceVolume::OpenMember(std::string_view name) {
    if (stream->OpenEntry(name)) return 1;
    // A loose file in the member's place that cannot be read is damage, named as itself.
    if (!stream->RefusedLooseFile().empty()) {
        ReportDamagedFile(stream->RefusedLooseFile());
        return 0;
    }
    // A volume start-up could not open (or whose index was freed) is opened now: from the
    // installation, and from the disc when there is an installation source.
    if (!stream->IsVolumeOpen()) {
        if (!Open(1)) return 0;
    } else if (theCdRoot.empty()) {
        return 0;
    }
    return stream->OpenEntry(name);
}

int ResourceVolume::OpenFile(std::string_view name) {
    lookAhead = -1;
    return OpenMember(name);
}

void ResourceVolume::CloseFile() {
    lookAhead = -1;
    stream->Close();
}

bool ResourceVolume::NextByte(char* c) {
    if (lookAhead >= 0) {
        *c = static_cast<char>(lookAhead);
        lookAhead = -1;
        return true;
    }
    return stream->Read(1, c) && stream->GetLastCount() == 1;
}

bool ResourceVolume::ReadFull(std::uint8_t* out, std::uint32_t count) {
    if (count == 0) return true;
    if (lookAhead >= 0) {
        *out++ = static_cast<std::uint8_t>(lookAhead);
        lookAhead = -1;
        --count;
    }
    return count == 0 || (stream->Read(count, out) && stream->GetLastCount() == count);
}

char* ResourceVolume::ReadLine(char* buffer, int size) {
    if (!buffer || size <= 0 || (lookAhead < 0 && stream->GetStatus() != kStreamOk))
        return nullptr;
    int length = 0;
    for (;;) {
        char c = 0;
        if (!NextByte(&c)) {
            // The end of the member ends the last line, when it has any characters.
            if (length == 0) return nullptr;
            buffer[length] = 0;
            return buffer;
        }
        if (c == '\n') break;
        if (c == '\r') {
            // CR LF is one line end; a CR alone ends the line too, and the byte after it is
            // held for the next read.
            char next = 0;
            if (NextByte(&next) && next != '\n') lookAhead = static_cast<unsigned char>(next);
            break;
        }
        if (length >= size - 1) {
            buffer[length] = 0;
            return nullptr;
        }
        buffer[length++] = c;
    }
    buffer[length] = 0;
    return buffer;
}

int ResourceVolume::ReadRecords(void* buffer, int recordSize, int count) {
    if ((lookAhead < 0 && stream->GetStatus() != kStreamOk) || recordSize <= 0 || count <= 0 ||
        !buffer)
        return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    int whole = 0;
    // A record that starts with the byte held after a lone CR is read on its own.
    if (lookAhead >= 0) {
        if (!ReadFull(out, static_cast<std::uint32_t>(recordSize))) return 0;
        out += recordSize;
        ++whole;
    }
    // Then in pieces of whole records, about 4 KB each (a call down the stream layers costs
    // more than moving a small record). A read that ends early (at the member's end, or failing)
    // still says how many bytes it moved; a part of a record among them does not count.
    const int perPiece = std::max(1, 4096 / recordSize);
    while (whole < count && stream->GetStatus() == kStreamOk) {
        const int records = std::min(perPiece, count - whole);
        const auto bytes =
            static_cast<std::uint32_t>(records) * static_cast<std::uint32_t>(recordSize);
        const bool read = stream->Read(bytes, out) != 0;
        const std::uint32_t got = std::min(stream->GetLastCount(), bytes);
        whole += static_cast<int>(got / static_cast<std::uint32_t>(recordSize));
        if (!read || got < bytes) break;
        out += bytes;
    }
    return whole;
}

int ResourceVolume::Seek(std::int32_t position) {
    lookAhead = -1;
    if (position < 0 || stream->GetStatus() != kStreamOk) return 0;
    return stream->SetPosition(position);
}

// ---------------------------------------------------------------------------------------------
// The global volumes

using StartUp = ResourceVolume::AtStartUp;

ResourceVolume theSoundEffectsVolume(StartUp{}, "Snd\\SndFx.Vol", "Snd\\SndFx");
ResourceVolume theTowerAtcVolume(StartUp{}, "Snd\\TowerATC.Vol", "Snd\\TowerATC");
ResourceVolume thePalettesVolume(StartUp{}, "Art\\Palettes.Vol", "Art\\Palettes");
ResourceVolume thePanelVolume(StartUp{}, "Art\\Panel.Vol", "Art\\Panel");
ResourceVolume theCockpitVolume(StartUp{}, "Art\\Cockpit.Vol", "Art\\Cockpit");
ResourceVolume theWeatherArtVolume(StartUp{}, "Art\\Wx.Vol", "Art\\Wx");
ResourceVolume thePlaneShapesVolume(StartUp{}, "Art\\3DShapes.Vol", "Art\\3DShapes\\Planes");
ResourceVolume theBuildingShapesVolume(StartUp{}, "Art\\3DShapes.Vol", "Art\\3DShapes\\Buildings");
ResourceVolume theObstacleShapesVolume(StartUp{}, "Art\\3DShapes.Vol", "Art\\3DShapes\\Obstacle");
ResourceVolume theRunwayShapesVolume(StartUp{}, "Art\\3DShapes.Vol", "Art\\3DShapes\\Runways");
ResourceVolume theCelestialShapesVolume(StartUp{}, "Art\\3DShapes.Vol", "Art\\3DShapes\\Celestial");
ResourceVolume theAltitudeVolume(StartUp{}, "Data\\Altitude.Vol", "Data\\Altitude");
ResourceVolume theSmsDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Sms");
ResourceVolume theNorDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Nor");
ResourceVolume theMagDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Mag");
ResourceVolume theBuildingDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Buildings");
ResourceVolume theRunwayDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Runways");
ResourceVolume theObstacleDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Obstacle");
ResourceVolume theNavDataVolume(StartUp{}, "Data\\Data.Vol", "Data\\Nav");
ResourceVolume theSpareVolume(StartUp{}, nullptr, "");

namespace {

std::array<ResourceVolume*, 19> GlobalVolumes() {
    return {
        &theSoundEffectsVolume, &theTowerAtcVolume,        &thePalettesVolume,
        &thePanelVolume,        &theCockpitVolume,         &theWeatherArtVolume,
        &thePlaneShapesVolume,  &theBuildingShapesVolume,  &theObstacleShapesVolume,
        &theRunwayShapesVolume, &theCelestialShapesVolume, &theAltitudeVolume,
        &theSmsDataVolume,      &theNorDataVolume,         &theMagDataVolume,
        &theBuildingDataVolume, &theRunwayDataVolume,      &theObstacleDataVolume,
        &theNavDataVolume,
    };
}

}  // namespace

void OpenGlobalVolumes() {
    for (ResourceVolume* volume : GlobalVolumes())
        volume->Open(0);
}

namespace {
std::vector<std::string>& DamagedFilesToTell() {
    static auto& files = *new std::vector<std::string>;
    return files;
}
}  // namespace

std::vector<std::string> TakeDamagedFilesToTell() {
    return std::exchange(DamagedFilesToTell(), {});
}

void ReportDamagedFile(const std::string& what, const std::string& given) {
    // Never destroyed: a static object may still load from a volume while the program exits.
    static auto& told = *new std::set<std::string>;
    if (!told.insert(what).second) return;
    // A file that is no plain file at all is said for what it is.
    const std::string why = given.empty() ? win::DescribeNoPlainFile(what) : given;
    const std::string shown = win::ShownPath(what);
    DamagedFilesToTell().push_back(shown + ": " + (why.empty() ? "it is damaged" : why));
    if (why.empty()) {
        win::TraceLine("installation: " + what + " is damaged");
        std::fprintf(stderr, "zephlon: the installation file %s is damaged and was not used.\n",
                     shown.c_str());
    } else {
        win::TraceLine("installation: " + what + ": " + why);
        std::fprintf(stderr, "zephlon: the installation file %s cannot be read: %s.\n",
                     shown.c_str(), why.c_str());
    }
}

namespace {
std::vector<std::string>& UnwrittenFilesToTell() {
    static auto& files = *new std::vector<std::string>;
    return files;
}
}  // namespace

void ReportUnwrittenFile(const std::string& path, std::uint32_t error) {
    static auto& told = *new std::set<std::string>;
    if (!told.insert(path).second) return;
    const std::string why = win::DescribeFileErrorAt(path, error);
    UnwrittenFilesToTell().push_back(win::ShownPath(path) + ": " + why);
    win::TraceLine("report: " + path + " not written: " + why);
    std::fprintf(stderr, "zephlon: the report %s could not be written: %s.\n",
                 win::ShownPath(path).c_str(), why.c_str());
}

std::vector<std::string> TakeUnwrittenFilesToTell() {
    return std::exchange(UnwrittenFilesToTell(), {});
}

void ResourceVolume::ReportDamagedMember(std::string_view name) const {
    // A loose file that stood for the member is named as itself.
    const std::string& loose = stream->OpenedLooseFile();
    const std::size_t folder = loose.find_last_of("\\/");
    if (folder != std::string::npos &&
        platform::EqualIgnoringCase(std::string_view(loose).substr(folder + 1), name)) {
        ReportDamagedFile(loose);
        return;
    }
    ReportDamagedFile(std::string(name) + " of " + directory +
                      (volumeName.empty() ? std::string() : " (" + volumeName + ")"));
}

std::vector<UnreadableVolume> UnreadableGlobalVolumes() {
    std::vector<UnreadableVolume> unreadable;
    for (ResourceVolume* volume : GlobalVolumes()) {
        const std::string& file = volume->GetVolumeName();
        if (file.empty()) continue;
        const VolumeRStream* stream = volume->GetStream();
        const std::uint32_t lost = stream->IsVolumeOpen() ? stream->DroppedEntryCount() : 0;
        if (stream->IsVolumeOpen() && lost == 0) continue;
        // A loose folder holds the members of a volume that is not there.
        const std::uint32_t folder = win::GetFileAttributes(volume->GetDirectory());
        const bool looseFolder =
            folder != win::INVALID_FILE_ATTRIBUTES && (folder & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
        // Something that is no file where the volume should be is said all the same.
        if (looseFolder && !FileExists(file) && !win::IsOtherThanPlainFile(file)) continue;
        bool listed = false;
        for (const UnreadableVolume& u : unreadable) listed = listed || u.file == file;
        if (!listed) unreadable.push_back(UnreadableVolume{file, FileExists(file), lost});
    }
    return unreadable;
}

void CloseGlobalVolumes() {
    for (ResourceVolume* volume : GlobalVolumes())
        volume->GetStream()->FreeIndex();
    theSpareVolume.GetStream()->FreeIndex();
}

}  // namespace core
