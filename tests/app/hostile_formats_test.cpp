// The installation's files damaged, every format the program reads on a user's tour of it: the
// volumes' members (panel fonts and bitmaps, palettes, cockpit and cloud art, shapes, materials,
// light images, sounds, performance texts, lesson scripts and descriptions), the navigation
// tables, outlines and airport objects, the grids and terrain tiles, the station directory,
// help, a video, a flight plan, an assignment and the volumes themselves. Damaged copies are made
// from the installation's own files with seeded damage (cut short, noise after the first bytes,
// words set to the values readers trip on, fonts declaring 16-bit codes) and put where they
// override the good ones (loose files beside the volumes, copies in the run's folders). Each run
// tours the program and must end normally, without a sanitizer report, naming what it could not
// read, and leave every file the user saved before as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "core/volume_stream.h"
#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;

fs::path Install() {
    return testsupport::StarterRun::Install();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void ExpectNoSanitizerReport(const CommandResult& r) {
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
}

// Every member of an installation volume, read with the volume reader.
std::map<std::string, std::string> Members(const fs::path& volumeFile) {
    std::map<std::string, std::string> members;
    core::VolumeRStream volume;
    if (!volume.OpenVolume(volumeFile.string())) return members;
    for (const core::VolumeEntry& e : volume.Entries()) {
        const std::string name(e.name);
        const std::int64_t size = volume.GetEntrySize(name);
        if (name.empty() || size <= 0 || !volume.OpenEntry(name)) continue;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (volume.Read(static_cast<std::uint32_t>(size), bytes.data()) == 1) members[name] = bytes;
        volume.Close();
    }
    return members;
}

// The ways a file is damaged. Each is seeded by the file's name, so a run is repeatable.
enum class Damage { kCut, kNoise, kWords, kWideFonts };

std::string Damaged(const std::string& name, const std::string& bytes, Damage damage) {
    std::seed_seq seed(name.begin(), name.end());
    std::mt19937 random(seed);
    switch (damage) {
        case Damage::kCut:
            return bytes.substr(0, bytes.size() / 2);
        case Damage::kNoise: {
            std::string out = bytes.substr(0, 8);
            const std::size_t size = std::min<std::size_t>(bytes.size(), 4096);
            while (out.size() < size) out += static_cast<char>(random() & 0xFF);
            return out;
        }
        case Damage::kWords: {
            // A few aligned words of the first 256 bytes, where headers and counts live, set to
            // the values that break arithmetic: zero, all ones, the largest and the smallest.
            static const std::uint32_t kValues[] = {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u};
            std::string out = bytes;
            const std::size_t words = std::min<std::size_t>(out.size(), 256) / 4;
            for (int i = 0; i < 4 && words > 1; ++i) {
                const std::size_t at = 4 * (1 + random() % (words - 1));
                const std::uint32_t v = kValues[random() % 4];
                for (int b = 0; b < 4; ++b) out[at + b] = static_cast<char>(v >> (8 * b));
            }
            return out;
        }
        case Damage::kWideFonts: {
            // A good font that declares 16-bit character codes: the "head" chunk's flags word
            // (after "PFNT", its size, "head", its size and the chunk count).
            if (bytes.size() < 24 || bytes.compare(0, 4, "PFNT") != 0 || bytes.compare(8, 4, "head") != 0)
                return bytes;
            std::string out = bytes;
            out[21] = static_cast<char>(static_cast<unsigned char>(out[21]) | 0x02);
            return out;
        }
    }
    return bytes;
}

// Where the members of each volume the tour meets are read from: the volume file and the loose
// folders of the volume objects that use it.
struct VolumeFolders {
    const char* volume;
    std::vector<const char*> folders;
    // Only the members this keeps are damaged (all when empty).
    std::function<bool(const std::string&)> wanted;
};

bool NearTheStart(const std::string& name) {
    // The magnetic grids of the tiles round the first flight (San Francisco Bay).
    for (const char* tile : {"04X00", "04X01", "04X02", "05X00", "05X01", "05X02", "06X00",
                             "06X01", "06X02"})
        if (name.rfind(tile, 0) == 0) return true;
    return name.find('X') == std::string::npos;  // the tables, outlines and airport objects
}

const std::vector<VolumeFolders>& TheVolumes() {
    static const std::vector<VolumeFolders> volumes = {
        {"Art/Panel.Vol", {"Art/Panel"}, {}},
        {"Art/Palettes.Vol", {"Art/Palettes"}, {}},
        {"Art/Cockpit.Vol", {"Art/Cockpit"}, {}},
        {"Art/Wx.Vol", {"Art/Wx"}, {}},
        {"Art/3DShapes.Vol",
         {"Art/3DShapes/Planes", "Art/3DShapes/Buildings", "Art/3DShapes/Obstacle",
          "Art/3DShapes/Runways", "Art/3DShapes/Celestial"},
         {}},
        {"Snd/SndFx.Vol", {"Snd/SndFx"}, {}},
        {"Data/Perform.Vol", {"Data/Perform"}, {}},
        {"Lessons/Lessons.Vol", {"Lessons"}, {}},
        {"Data/Data.Vol",
         {"Data/Nor", "Data/Mag", "Data/Buildings", "Data/Runways", "Data/Obstacle", "Data/Nav"},
         &NearTheStart},
    };
    return volumes;
}

// Loose files of the installation read as they stand (relative to it).
const char* const kLooseFiles[] = {
    "Data/Sms/flp.sms",          "Art/Terrain/USA/GridText.bin", "Art/Terrain/USA/NA_05X01.TED",
    "Art/Terrain/USA/NA_04X01.TED", "Art/Terrain/USA/NA_05X00.TED", "Art/Terrain/USA/NA_05X02.TED",
    "Art/Terrain/USA/DML/terrain.dml", "help/popups.bin",   "help/popups.hlp",
    "train/f03.avi",             "FlightPlans/KSQLtoKFAT.Pln",   "FlightPlans/Assign/xc01.Pln",
    "FlightPlans/Assign/xc01.txt", "Flights/Cruise.Flt"};

// Replaces a linked folder of the run with a folder of links to the installation's entries, so
// that entries may be put in or replaced; the folders above it are shadowed first.
void Shadow(const testsupport::TempFolder& dir, const fs::path& relative) {
    fs::path done;
    for (const fs::path& part : relative) {
        done /= part;
        const fs::path here = fs::path(dir.Root()) / done;
        if (fs::is_directory(here) && !fs::is_symlink(here)) continue;
        const fs::path source = Install() / done;
        fs::remove(here);
        fs::create_directory(here);
        if (!fs::is_directory(source)) continue;
        for (const auto& e : fs::directory_iterator(source))
            fs::create_symlink(e.path(), here / e.path().filename());
    }
}

void Put(const testsupport::TempFolder& dir, const fs::path& relative, const std::string& bytes) {
    Shadow(dir, relative.parent_path());
    const fs::path target = fs::path(dir.Root()) / relative;
    fs::remove(target);  // a link to the installation's file, or a copy of it
    dir.Write(relative.string(), bytes);
}

// Whether a message box the user read (its text runs to the next line of the trace) names it,
// and says `why` with it.
// How many message boxes name the file (in any case: the program reads "art\terrain" for
// "Art/Terrain") and say why.
int BoxesNaming(const std::string& out, std::string name, const std::string& why = "") {
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    name = lower(name);
    int boxes = 0;
    for (std::size_t at = 0; (at = out.find("] dialog ", at)) != std::string::npos; ++at) {
        const std::string box = out.substr(at, out.find("\n[", at) - at);
        if ((box.rfind("] dialog GENERIC", 0) == 0 || box.rfind("] dialog - ", 0) == 0) &&
            lower(box).find(name) != std::string::npos && box.find(why) != std::string::npos)
            ++boxes;
    }
    return boxes;
}
bool NamedInBox(const std::string& out, const std::string& name, const std::string& why = "") {
    return BoxesNaming(out, name, why) > 0;
}

// The run's folder: the starter installation with the user's folders copied and the damaged
// files put in.
class DamagedInstallation {
public:
    explicit DamagedInstallation(std::optional<Damage> damage) {
        testsupport::LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
        fs::copy_file(Install() / "Flights" / "Startup.Flt", dir.Path("Flights/Startup.Flt"),
                      fs::copy_options::overwrite_existing);
        if (!damage) return;
        for (const VolumeFolders& v : TheVolumes()) {
            for (const auto& [name, bytes] : Members(Install() / v.volume)) {
                if (v.wanted && !v.wanted(name)) continue;
                const std::string damaged = Damaged(name, bytes, *damage);
                if (damaged == bytes) continue;
                for (const char* folder : v.folders) Put(dir, fs::path(folder) / name, damaged);
            }
        }
        for (const char* file : kLooseFiles) {
            const std::string bytes = ReadFile(Install() / file);
            const std::string damaged = Damaged(file, bytes, *damage);
            if (damaged != bytes) Put(dir, file, damaged);
        }
    }

    testsupport::TempFolder dir{"zephlon-hostile-formats"};
};

// What the user saved before: every flight, plan and pilot file of the run.
std::map<std::string, std::string> Saved(const testsupport::TempFolder& dir) {
    std::map<std::string, std::string> files;
    for (const char* folder : {"Flights", "FlightPlans", "PILOT"})
        for (const auto& e : fs::recursive_directory_iterator(dir.Path(folder)))
            if (e.is_regular_file()) files[e.path().string()] = ReadFile(e.path());
    return files;
}

CommandResult Tour(const testsupport::TempFolder& dir) {
    dir.Write("script.txt", testsupport::CommittedScript("app/scripts/hostile-tour.simrun", dir.Root()));
    return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " +
                                   dir.Path("script.txt") + " 2>&1");
}

void ExpectToured(const CommandResult& r) {
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 4000 ? r.out.size() - 4000 : 0);
    EXPECT_NE(r.out.find("exit=0"), std::string::npos);
    ExpectNoSanitizerReport(r);
    // The tour went all the way round.
    EXPECT_NE(r.out.find("menu 698"), std::string::npos);
}

class HostileFormats : public ::testing::TestWithParam<Damage> {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    }
};

TEST_P(HostileFormats, TheTourEndsNormallyNamesWhatItCouldNotReadAndKeepsTheSavedFiles) {
    DamagedInstallation install(GetParam());
    const auto before = Saved(install.dir);
    const CommandResult r = Tour(install.dir);
    ExpectToured(r);
    EXPECT_EQ(Saved(install.dir), before);
    if (GetParam() == Damage::kWideFonts) {
        // Fonts of 16-bit codes are good fonts: nothing is refused, and the panel, whose gauges
        // and readouts draw their text and frames with them, looks as it does with 8-bit codes.
        EXPECT_EQ(r.out.find("is damaged"), std::string::npos) << r.out;
        DamagedInstallation plain(std::nullopt);
        const CommandResult p = Tour(plain.dir);
        ExpectToured(p);
        const std::string wide = install.dir.Read("panel.bmp"), narrow = plain.dir.Read("panel.bmp");
        ASSERT_GT(narrow.size(), 640u * 480u);
        EXPECT_TRUE(wide == narrow) << "the panel drawn with 16-bit fonts differs";
        return;
    }
    if (GetParam() != Damage::kCut) return;
    // Cut short, every file met is refused and named, a loose file as itself (or, for tables,
    // read as far as it goes).
    for (const char* said :
         {"installation: Art\\Panel\\172panel.bmp is damaged",
          "installation: Art\\Panel\\172_misc.pft is damaged",
          "installation: Art\\Panel\\gps5.pft is damaged",
          "installation: Art\\Palettes\\todisb0.ppl is damaged",
          "installation: Art\\Cockpit\\172_f.bmp is damaged",
          "installation: Art\\Wx\\hzc-cld.bmp is damaged",
          "installation: Art\\3DShapes\\Planes\\shad0.bmp is damaged",
          "installation: Art\\3DShapes\\Runways\\whtlght.pft is damaged",
          "installation: Snd\\SndFx\\2.wav is damaged",
          "installation: 172.dts is damaged", "installation: runway.dml is damaged",
          "GridText.bin is damaged", "installation: Art\\Terrain\\USA\\DML\\terrain.dml is damaged",
          "installation: Data\\Mag\\05X01.mag is damaged",
          "nav: load na.vor: ", "nav: load states.bin: ", "lesson: rejected zqLess1.txt",
          "plan: FlightPlans\\KSQLtoKFAT.Pln not loaded"})
        EXPECT_NE(r.out.find(said), std::string::npos) << said;
}

std::string DamageName(const ::testing::TestParamInfo<Damage>& info) {
    static const char* const kNames[] = {"CutShort", "Noise", "Words", "WideFonts"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Damages, HostileFormats,
                         ::testing::Values(Damage::kCut, Damage::kNoise, Damage::kWords,
                                           Damage::kWideFonts),
                         DamageName);

// The volumes themselves damaged: cut, noise and header words. The start names each one it
// cannot open, in its message box and on the error output, and the tour goes on without them.
TEST(HostileVolumes, DamagedVolumesAreNamedAndTheProgramRunsWithoutThem) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    for (const Damage damage : {Damage::kCut, Damage::kNoise, Damage::kWords}) {
        SCOPED_TRACE(static_cast<int>(damage));
        DamagedInstallation install(std::nullopt);
        std::vector<std::string> refused;
        for (const char* volume : {"Art/Panel.Vol", "Art/Palettes.Vol", "Art/Wx.Vol",
                                   "Art/3DShapes.Vol", "Snd/SndFx.Vol", "Data/Data.Vol"}) {
            // The index lies at the start of a volume: cut or noised after 8 bytes it is gone.
            const std::string bytes = ReadFile(Install() / volume);
            Put(install.dir, volume, Damaged(volume, bytes.substr(0, 1 << 16), damage));
            std::string windows = volume;
            for (char& c : windows) c = c == '/' ? '\\' : c;
            refused.push_back(windows);
        }
        const auto before = Saved(install.dir);
        const CommandResult r = Tour(install.dir);
        ExpectToured(r);
        EXPECT_EQ(Saved(install.dir), before);
        if (damage == Damage::kWords) continue;  // a volume with a few words changed may still open
        for (const std::string& volume : refused)
            EXPECT_NE(r.out.find("installation: " + volume + " damaged"), std::string::npos) << volume;
        EXPECT_NE(r.out.find("Zephlon cannot read these files of its installation"), std::string::npos);
    }
}

// The station directory and the navigation tables damaged as a disk or a copy damages them: cut
// short, with 100 bytes lost from the middle, with bits flipped (seeded), or emptied. A plan is loaded
// and flown a moment. Either the damaged file is named in a message box, or the aircraft ends
// where it ends with the undamaged files; never is it moved, nor does ATC call a runway 0.
TEST(HostileTables, DamagedTablesAreNamedOrChangeNothing) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::string script =
        "answer \"cannot read these files\" OK always\nanswer \"is damaged\" OK always\n"
        "answer \"cannot be read\" OK always\nanswer \"cannot be used\" OK always\n"
        "answer \"could not be loaded\" OK always\nanswer SelectPilot OK always\n"
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 KSQLtoKFAT.Pln\nclick 1\nwait 1500\nmenu 466\nwait 200\nmenu 466\nwait 200\n"
        "menu 455\ndialog SoundVolume\nclick 1 right\nwait 100\nclick 2\nwait 100\n"
        "save @dir/after.flt\nquit\n";
    auto play = [&](const testsupport::TempFolder& dir) {
        std::string text = script;
        for (std::size_t at; (at = text.find("@dir")) != std::string::npos;) text.replace(at, 4, dir.Root());
        dir.Write("script.txt", text);
        return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " " +
                                       dir.Path("script.txt") + " 2>&1");
    };
    auto position = [](const std::string& flight) {
        return std::make_pair(testsupport::SavedValue(flight, "fmPosX").value_or(0),
                              testsupport::SavedValue(flight, "fmPosZ").value_or(0));
    };
    DamagedInstallation good(std::nullopt);
    const CommandResult first = play(good.dir);
    ASSERT_EQ(first.status, 0) << first.out;
    const auto home = position(good.dir.Read("after.flt"));
    ASSERT_NE(home.first, 0);

    const std::map<std::string, std::string> data = Members(Install() / "Data/Data.Vol");
    struct Table {
        std::string name;   // as the box names it
        std::string where;  // where the damaged copy goes
        std::string bytes;
    };
    std::vector<Table> tables = {{"flp.sms", "Data/Sms/flp.sms", ReadFile(Install() / "Data/Sms/flp.sms")}};
    for (const char* member : {"na.apt", "na.vor", "na.ils", "na.wpt"})
        tables.push_back({member, std::string("Data/Nav/") + member, data.at(member)});
    tables.push_back({"rwys.bin", "Data/Runways/rwys.bin", data.at("rwys.bin")});
    tables.push_back({"buildings.bin", "Data/Buildings/buildings.bin", data.at("buildings.bin")});
    std::uint32_t seed = 53;
    for (const Table& t : tables) {
        ASSERT_GT(t.bytes.size(), 400u) << t.name;
        std::string flipped = t.bytes;
        for (int i = 0; i < 8; ++i) {
            seed = seed * 1103515245u + 12345u;
            flipped[(seed >> 8) % flipped.size()] ^= static_cast<char>(1u << ((seed >> 4) % 8));
        }
        const std::string lost = t.bytes.substr(0, t.bytes.size() / 2) + t.bytes.substr(t.bytes.size() / 2 + 100);
        const std::pair<const char*, std::string> damages[] = {
            {"cut short", t.bytes.substr(0, t.bytes.size() * 2 / 3)}, {"100 bytes lost", lost},
            {"bits flipped", flipped}, {"emptied", std::string()}, {"a pipe", "pipe"},
            {"a link to /dev/zero", "/dev/zero"}};
        for (const auto& [how, bytes] : damages) {
            // No plain file at all: the station directory only, read beside the volumes.
            const bool noFile = how[0] == 'a';
            if (noFile && t.name != "flp.sms") continue;
            SCOPED_TRACE(t.name + " " + how);
            DamagedInstallation run(std::nullopt);
            Put(run.dir, t.where, bytes);
            if (const std::string at = run.dir.Path(t.where); noFile) {
                fs::remove(at);
                if (bytes == "pipe")
                    ASSERT_EQ(mkfifo(at.c_str(), 0644), 0);
                else
                    fs::create_symlink(bytes, at);
            }
            const CommandResult r = play(run.dir);
            EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 4000 ? r.out.size() - 4000 : 0);
            ExpectNoSanitizerReport(r);
            EXPECT_EQ(r.out.find("runway 0 "), std::string::npos);
            const bool named = NamedInBox(r.out, t.name);
            const auto where = position(run.dir.Read("after.flt"));
            // A file whose damage changed nothing the run read need not be named.
            if (!named) {
                EXPECT_EQ(where, home) << r.out.substr(0, 6000);
            }
            // A cut or a loss is always seen (the file's own counts no longer hold).
            if (std::string(how) != "bits flipped") {
                EXPECT_TRUE(named) << r.out.substr(0, 6000);
            }
        }
    }
    // What reads as nothing in a table's place is named the same way, and never waited for:
    // each table gets one stand-in in turn. So are the other files the start and the help read
    // when something no file stands in their place, and the run goes on without them; the
    // starting pilot is chosen when the file naming it cannot be read. Each is named once (the
    // help is opened twice), by its path as the file system names it.
    const char* const kStandIns[] = {"pipe", "device", "loop", "2 GB"};
    struct Place {
        std::string name, where;
        const char* kind = nullptr;  // a stand-in of the turn when null
        const char* why = "";        // what the box says of it
    };
    const char* const kPipe = "not a plain file (it is a pipe)";
    const char* const kDevice = "not a plain file (it is a link to a device)";
    const char* const kLoop = "is a link loop";
    const Place places[] = {{"na.apt", "Data/Nav/na.apt"},
                            {"na.ils", "Data/Nav/na.ils"},
                            {"na.ndb", "Data/Nav/na.ndb"},
                            {"na.vct", "Data/Nav/na.vct"},
                            {"rwys.bin", "Data/Runways/rwys.bin"},
                            {"buildings.bin", "Data/Buildings/buildings.bin"},
                            {"obstacle.bin", "Data/Obstacle/obstacle.bin"},
                            {"GridText.bin", "Art/Terrain/USA/GridText.bin"},
                            {"Perform.Vol", "Data/Perform.Vol", "pipe"},
                            {"popups.hlp", "help/popups.hlp", "loop"},
                            {"loading.bmp", "Art/Intro/loading.bmp", "device"},
                            {"CURRENT", "PILOT/CURRENT", "pipe"},
                            {"KSQLtoKFAT.Pln", "FlightPlans/KSQLtoKFAT.Pln", "pipe"},
                            {".zephlon.temporaries", ".zephlon.temporaries", "pipe"},
                            {".zephlon.temporaries", ".zephlon.temporaries", "folder"},
                            {".zephlon.temporaries", ".zephlon.temporaries", "loop"},
                            {".zephlon.temporaries", ".zephlon.temporaries", "2 GB"},
                            {"popups.bin", "help/popups.bin", "pipe", kPipe},
                            {"popups.bin", "help/popups.bin", "device", kDevice},
                            {"popups.bin", "help/popups.bin", "loop", kLoop},
                            {"popups.bin", "help/popups.bin", "empty", "empty or damaged"},
                            {"popups.bin", "help/popups.bin", "2 GB", "too large"},
                            {"popups.hlp", "help/popups.hlp", "empty", "empty or damaged"},
                            {"USA.Vol", "Art/USA.Vol", "pipe", kPipe},
                            {"USA.Vol", "Art/USA.Vol", "device", kDevice},
                            {"USA.Vol", "Art/USA.Vol", "loop", kLoop},
                            {"loading.bmp", "Art/Intro/loading.bmp", "loop", kLoop},
                            {"Palettes.Vol", "Art/Palettes.Vol", "pipe", kPipe},
                            {"SndFx.Vol", "Snd/SndFx.Vol", "device", kDevice},
                            {"Wx.Vol", "Art/Wx.Vol", "loop", kLoop},
                            {"CURRENT", "PILOT/CURRENT", "empty", "empty or damaged"}};
    int turn = 1;
    for (const auto& [name, where, standIn, why] : places) {
        const std::string kind = standIn != nullptr ? standIn : kStandIns[turn++ % 4];
        SCOPED_TRACE(name + " as a " + kind);
        DamagedInstallation run(std::nullopt);
        Put(run.dir, where, "");
        const fs::path target = fs::path(run.dir.Root()) / where;
        fs::remove(target);
        if (kind == "pipe") {
            ASSERT_EQ(mkfifo(target.c_str(), 0644), 0);
        }
        if (kind == "device") fs::create_symlink("/dev/zero", target);
        if (kind == "loop") fs::create_symlink(target.filename(), target);
        if (kind == "folder") fs::create_directory(target);
        if (kind == "empty") run.dir.Write(where, "");
        if (kind == "2 GB") std::ofstream(target).close(), fs::resize_file(target, 2ull << 30);
        const CommandResult r = play(run.dir);
        EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 4000 ? r.out.size() - 4000 : 0);
        EXPECT_EQ(BoxesNaming(r.out, where, why), 1) << r.out.substr(0, 6000);
    }
}

}  // namespace
