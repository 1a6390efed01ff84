// Resource volumes and the installation source. Only part of the data is installed on the hard
// disc; the rest stays on the distribution disc. A ResourceVolume names one volume archive and a
// folder of loose files that override its members, opens it from the installation, and falls
// back to the same relative path under the installation source ("<source>Corvex\<path>"),
// asking for the disc until it is there. The setup information file "Tandor.Inf", written by the
// installer in the parent of the working folder, says where the source is.
//
// The disc prompt, the message box and the emergency exit belong to the dialog and start-up
// code; core reaches them through ResourceVolumeHost, which those layers install (and tests
// script).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/volume_stream.h"

namespace gfx {
class GFXBitmap;
class GFXFont;
class GFXPalette;
}  // namespace gfx

namespace devices {
class CWave;
}

namespace core {

// The services of the layers above that the disc fallback needs. Each may be empty: the prompt
// then answers whether the file is there, the message box answers OK, and the emergency exit
// does nothing (so the failed open simply fails).
struct ResourceVolumeHost {
    // (disc number, file path, button set) -> nonzero when the file is there, 0 when cancelled.
    std::function<int(int, std::string_view, std::uint32_t)> promptForDisc;
    // (text, type) -> the pressed button's id (1 OK, 2 Cancel, ...).
    std::function<int(std::string_view, std::uint32_t)> showMessageBox;
    // Ends the program at once; does not return in the running program.
    std::function<void()> fatalShutdown;
    // Whether the program is closing (asked to end while a prompt was open): no prompt is
    // shown again then, and the open that wanted the disc fails.
    std::function<bool()> closing;
};

void SetResourceVolumeHost(ResourceVolumeHost host);
[[nodiscard]] const ResourceVolumeHost& GetResourceVolumeHost();

inline constexpr char kSetupInfoFile[] = "Tandor.Inf";
inline constexpr char kDiscNeededText[] =
    "Zephlon cannot continue without this disk.\n\nZephlon will now exit.";

// The installation as found at start-up: the working folder and the installation source.
struct SetupInfo {
    std::string startFolder;  // the working folder when Read first ran; empty before
    std::string sourceDir;    // "SourceDir" of section "Misc", ending in a backslash, or empty

    // Runs once per process (a remembered start folder means it already ran). With
    // `parentFolder` the file is looked for in the parent of the working folder, else in it.
    int Read(int parentFolder);
    // Forgets what was read, so Read runs again (tests).
    void Reset();
};
extern SetupInfo theSetupInfo;

// The installation source folder, ending in a backslash; empty when there is none.
extern std::string theCdRoot;
void SetCdRoot(const char* path);

// Start-up: reads the setup information from the parent of the working folder and takes its
// source folder as the installation source.
void InitInstallationSource();

// The disc-fallback path of a relative path: "<theCdRoot>Corvex\<path>".
[[nodiscard]] std::string DiscPath(std::string_view path);
// When `path` does not exist, asks for the disc until the file exists under the installation
// source and rewrites `path` to it. 1 when `path` names an existing file afterwards.
int ResolveDataPath(std::string& path);
// Like ResolveDataPath but never prompts: 1 when the path or its disc-fallback exists (then
// `path` is rewritten to it), else 0.
int FindDataFile(std::string& path);

class ResourceVolume {
public:
    // Names the volume and opens it; with `askForDisc` a missing volume is looked for on the
    // installation source, asking for the disc.
    ResourceVolume(const char* volumeFile, const char* folder, int askForDisc);
    // The program's global volumes: only the names are stored; OpenGlobalVolumes opens them once
    // the installation source is known.
    struct AtStartUp {};
    ResourceVolume(AtStartUp, const char* volumeFile, const char* folder);
    ~ResourceVolume();
    ResourceVolume(const ResourceVolume&) = delete;
    ResourceVolume& operator=(const ResourceVolume&) = delete;

    // Stores the loose-file folder (null gives ".") and the volume file (null gives none), then
    // opens the volume.
    int SetNames(const char* volumeFile, const char* folder, int askForDisc);
    // 1 when the volume's index is loaded (loading it now if need be).
    int Open(int askForDisc);
    // 1 when the volume's index is loaded; loads it, asking for the disc, when none is.
    int IsOpen();
    [[nodiscard]] VolumeRStream* GetStream() { return stream.get(); }
    [[nodiscard]] const std::string& GetDirectory() const { return directory; }
    [[nodiscard]] const std::string& GetVolumeName() const { return volumeName; }

    // Opens a member (a loose file first, then the archive, then the volume on the disc).
    int OpenFile(std::string_view name);
    void CloseFile();
    // Reads a text line of the open member into `buffer` (at most size - 1 characters and a NUL).
    // CR LF, CR and LF end a line, and a last line without one counts. Null at the end, when the
    // member is not readable, or when the line does not fit (the buffer then holds its start).
    // After a lone CR the next byte is held for the next ReadLine or ReadRecords (a read through
    // GetStream would miss it).
    char* ReadLine(char* buffer, int size);
    // Reads up to `count` records of `recordSize` bytes; the number of whole records read.
    int ReadRecords(void* buffer, int recordSize, int count);
    int Seek(std::int32_t position);

    // Loaders: open the member, read one object, close the member; null when any step fails.
    // Their bodies live with the graphics and sound code.
    std::unique_ptr<gfx::GFXBitmap> LoadBitmap(std::string_view name, std::uint32_t flags);
    std::unique_ptr<gfx::GFXFont> LoadFont(std::string_view name);
    std::unique_ptr<gfx::GFXPalette> LoadPalette(std::string_view name, std::uint32_t flags);
    std::unique_ptr<devices::CWave> LoadWave(int number);

    // Says that a member that opened could not be read as what it should hold: once per member
    // of this volume, in the trace and on the error output (ReportDamagedFile). The loaders call
    // it; so does any reader that refuses a member.
    void ReportDamagedMember(std::string_view name) const;

    // Shows the disc prompt until `path` exists; 1 then. When the user gives up, the program
    // ends; 0 only when the emergency exit returns (no program around it).
    static int AskForDisc(std::string_view path);

private:
    int OpenMember(std::string_view name);
    // One byte of the member: the look-ahead byte first, when a line ended with a lone CR.
    bool NextByte(char* c);
    bool ReadFull(std::uint8_t* out, std::uint32_t count);

    std::unique_ptr<VolumeRStream> stream;
    // The byte after a lone CR, read to see whether an LF followed and held for the next read,
    // so that a coded member is never sought back (which would restart its decoder).
    int lookAhead = -1;
    std::string directory = ".";
    std::string volumeName;
};

// Opens every global volume from the installation, without the disc prompt (start-up, after
// InitInstallationSource). A volume missing then is looked for on the disc when first used.
void OpenGlobalVolumes();

// Says once, in the trace ("installation: WHAT is damaged") and on the error output, that a file
// of the installation (or a member, named with its folder) could not be read and was not used.
// `why` says what else than damage kept it from being read; without it a file that is no plain
// file is said for what it is ("it is a link loop ..."), any other as damaged.
void ReportDamagedFile(const std::string& what, const std::string& why = {});
// The files reported since the last call, each once and with why ("Art\x.bmp: it is
// damaged"), for the user to be told in a box.
[[nodiscard]] std::vector<std::string> TakeDamagedFilesToTell();

// Says once per file, in the trace and on the error output, that a report the settings asked
// for could not be written, and why; nothing waits on what stands in its place.
void ReportUnwrittenFile(const std::string& path, std::uint32_t error);
// The reports that could not be written since the last call, each once and with why
// ("DmpRwy.out: it is not a plain file (it is a pipe)"), for the user to be told in a box.
[[nodiscard]] std::vector<std::string> TakeUnwrittenFilesToTell();

// A volume file of the installation that start-up could not open, whose loose folder does not
// stand in for it, or that opened without some of its members: the file as the installation
// names it, whether it is there at all (then it is damaged: no volume, or cut short), and how
// many members its index names that were left out as damaged.
struct UnreadableVolume {
    std::string file;
    bool present = false;
    std::uint32_t lostMembers = 0;
};
// The global volumes not open now or open with members lost, each file once, in the order of
// the global volumes.
[[nodiscard]] std::vector<UnreadableVolume> UnreadableGlobalVolumes();
// Closes the open members and frees the indexes of every global volume. Shut-down calls it while
// the file layer still runs, so no file is closed by a static destructor at exit.
void CloseGlobalVolumes();

extern ResourceVolume theSoundEffectsVolume;
extern ResourceVolume theTowerAtcVolume;
extern ResourceVolume thePalettesVolume;
extern ResourceVolume thePanelVolume;
extern ResourceVolume theCockpitVolume;
extern ResourceVolume theWeatherArtVolume;
extern ResourceVolume thePlaneShapesVolume;
extern ResourceVolume theBuildingShapesVolume;
extern ResourceVolume theObstacleShapesVolume;
extern ResourceVolume theRunwayShapesVolume;
extern ResourceVolume theCelestialShapesVolume;
extern ResourceVolume theAltitudeVolume;
extern ResourceVolume theSmsDataVolume;
extern ResourceVolume theNorDataVolume;
extern ResourceVolume theMagDataVolume;
extern ResourceVolume theBuildingDataVolume;
extern ResourceVolume theRunwayDataVolume;
extern ResourceVolume theObstacleDataVolume;
extern ResourceVolume theNavDataVolume;
// Starts with no folder and no volume; its owner gives it names later.
extern ResourceVolume theSpareVolume;

// Local volumes made when needed, with the disc prompt.
inline constexpr char kLessonsVolumeFile[] = "Lessons\\Lessons.Vol";
inline constexpr char kLessonsFolder[] = "Lessons";
inline constexpr char kPerformVolumeFile[] = "Data\\Perform.Vol";
inline constexpr char kPerformFolder[] = "Data\\Perform";

}  // namespace core
