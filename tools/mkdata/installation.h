// The installation being made: the members of each volume archive and the loose files, kept in
// memory until everything is made, then written in one go so that every run writes the same
// bytes in the same order. Each kind of data is a module (a function that adds to the
// installation); adding a kind means writing one module and listing it in kModules.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mkdata {

using Bytes = std::vector<std::uint8_t>;

// A member of a volume; the volume writer codes it as pays for it (core::CodeVolumeMember)
// unless it is to be kept plain.
struct Member {
    std::string name;
    Bytes bytes;
    bool plain = false;
};

class Installation {
public:
    Installation(std::string dataDir, std::string outDir);

    // The public data folder (data/ of the source tree) and the installation root.
    [[nodiscard]] const std::string& DataDir() const { return dataDir; }
    [[nodiscard]] const std::string& OutDir() const { return outDir; }
    // A folder where slow modules keep what they made, by a key of their inputs, for the next
    // run (empty: nothing is kept). Two build trees may share one.
    void SetCacheDir(std::string dir) { cacheDir = std::move(dir); }
    [[nodiscard]] const std::string& CacheDir() const { return cacheDir; }

    // Declares a volume (a path such as "Art\Palettes.Vol"); declared volumes are written even
    // when no member was added, so every volume the program opens is there and valid.
    void DeclareVolume(std::string_view volumeFile);
    // Adds a member to a volume (declaring it); a member of the same name is replaced. A member
    // the program reads whole at every start is best kept `plain`: its decoding would be paid
    // at every start.
    void AddMember(std::string_view volumeFile, std::string_view name, Bytes bytes,
                   bool plain = false);
    // A loose file of the installation, by its path relative to the root ("Art\Intro\x.bmp").
    void AddFile(std::string_view relativePath, Bytes bytes);
    // A file that a module writes itself (through the program's INI writer, say): the folders
    // are made and an old copy removed; the result is the path to write.
    std::string PrepareFile(std::string_view relativePath);

    // Writes every volume and loose file; 1 when all were written.
    int Write(std::string* error);

    [[nodiscard]] const std::map<std::string, std::vector<Member>>& Volumes() const {
        return volumes;
    }

    // The POSIX path of a relative installation path written the Windows way.
    [[nodiscard]] std::string PathOf(std::string_view relativePath) const;

    // Options of the maker's command line ("--name=value"); empty when not given.
    void SetOption(const std::string& name, const std::string& value) { options[name] = value; }
    [[nodiscard]] std::string Option(const std::string& name) const {
        const auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }

private:
    std::string dataDir;
    std::string outDir;
    std::string cacheDir;
    std::map<std::string, std::vector<Member>> volumes;  // by volume path
    std::map<std::string, Bytes> files;                  // by relative path
    std::map<std::string, std::string> options;
};

// A kind of data.
struct Module {
    const char* name;
    // 1 when made; on failure `error` says why.
    int (*make)(Installation& installation, std::string* error);
};

int MakeVolumes(Installation& installation, std::string* error);
int MakePalettes(Installation& installation, std::string* error);
int MakeLoadingScreen(Installation& installation, std::string* error);
int MakeFlights(Installation& installation, std::string* error);
int MakeNavigation(Installation& installation, std::string* error);
int MakeAirports(Installation& installation, std::string* error);
int MakeRunwayArt(Installation& installation, std::string* error);
int MakeSkyArt(Installation& installation, std::string* error);
int MakeOutlines(Installation& installation, std::string* error);
int MakePanelArt(Installation& installation, std::string* error);
int MakeGpsBezels(Installation& installation, std::string* error);
int MakeTerrain(Installation& installation, std::string* error);
int MakeGroundTextures(Installation& installation, std::string* error);
int MakeMagneticGrids(Installation& installation, std::string* error);
int MakeEffects(Installation& installation, std::string* error);
int MakeShapes(Installation& installation, std::string* error);
int MakeHelp(Installation& installation, std::string* error);
int MakeSpeech(Installation& installation, std::string* error);
int MakeGroundSchool(Installation& installation, std::string* error);
int MakePilots(Installation& installation, std::string* error);
int MakeLessons(Installation& installation, std::string* error);
// The ground-school videos by file name ("f01.avi"); with `slidesOnly` instead each slide's
// 320×240 pixels ("f01_0.raw", the slides of a video in order), without speech. With a cache
// folder the slides' speech is kept there under a key of espeak-ng's version and every text.
int MakeGroundSchoolInto(const std::string& dataDir,
                         const std::function<void(const std::string&, Bytes)>& put, bool slidesOnly,
                         std::string* error, const std::string& cacheDir = {});
int MakePlans(Installation& installation, std::string* error);
int MakeGpsArt(Installation& installation, std::string* error);
// The aircraft selection's performance texts "P<type>.Txt" in "Data\Perform.Vol".
int MakePerformanceTexts(Installation& installation, std::string* error);
// Not a module of the installation: the skin's inputs of the resource pack (`mkdata --skin DIR`,
// run before the resource compiler, which reads them with -I DIR).
int MakeSkinResources(const std::string& outDir, std::string* error);
// Also drawn then: the map's background and toolbar strip (map_art.cpp).
int MakeMapArt(const std::string& outDir, std::string* error);
// The pilot status list's four marks ("greencheck.bmp" ...) beside the skin.
int MakeStatusMarks(const std::string& outDir, std::string* error);
// And the aircraft dialogs' pictures, name cards and checklist titles
// (aircraft_dialog_art.cpp, named by "aircraft_art.rc").
int MakeAircraftDialogArt(const std::string& outDir, std::string* error);

// In the order they run. Later modules may add members to the volumes the first declares;
// modules that read data/ come first, so bad data is reported before the long work starts.
inline constexpr Module kModules[] = {
    {"volumes", MakeVolumes},
    {"speech", MakeSpeech},
    {"flights", MakeFlights},
    {"navigation", MakeNavigation},
    {"airports", MakeAirports},
    {"outlines", MakeOutlines},
    {"palettes", MakePalettes},
    {"loading screen", MakeLoadingScreen},
    {"runway art", MakeRunwayArt},
    {"sky art", MakeSkyArt},
    {"panel art", MakePanelArt},
    {"gps bezels", MakeGpsBezels},
    {"effects", MakeEffects},
    {"shapes", MakeShapes},
    {"help", MakeHelp},
    {"terrain", MakeTerrain},
    {"ground textures", MakeGroundTextures},
    {"magnetic grids", MakeMagneticGrids},
    {"ground school", MakeGroundSchool},
    {"plans", MakePlans},
    {"pilots", MakePilots},
    {"lessons", MakeLessons},
    {"gps art", MakeGpsArt},
    {"performance", MakePerformanceTexts},
};

// Small helpers shared by the modules.
// The bytes a writer function puts into a memory stream.
template <typename WriteFn>
Bytes CollectBytes(WriteFn&& write);
// Text lines from a comma-separated file with a header line, split at commas.
int ReadCsv(const std::string& path, std::vector<std::vector<std::string>>* rows,
            std::string* error);
// Runway ends named by something that is no runway number ("xxx") take the reciprocal of the
// other end's number (31 gives 13, 28L gives 10R, 9C gives 27C), so that the runway is kept.
void MendRunwayEnds(std::string* id1, std::string* id2);
// runway.csv's rows, read as ReadCsv reads them, with the ends' designators (fields 3 and 7)
// mended.
int ReadRunwayCsv(const std::string& path, std::vector<std::vector<std::string>>* rows,
                  std::string* error);
// A whole field read as a finite decimal number; false (and `value` untouched) otherwise.
bool ParseNumber(const std::string& text, double* value);

}  // namespace mkdata

#include "tools/mkdata/installation_inl.h"
