// What a user keeps when things go wrong, driven by the committed scripts beside this test in
// the starter installation: saves of a flight, a plan, the logbook, a new pilot and the settings
// refused on a full disk (the file layer's own fault, and a real small file system where one can
// be mounted) and in a read-only folder, each said in a message box with the file and the reason
// while the file saved before stays byte for byte; a damaged pilot file named and kept; a plan
// held to what its fields mean; the start-up naming installation files it cannot read; and the
// end of a session closing the program without a question.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;

void ExpectNoSanitizerReport(const CommandResult& r) {
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
}

// A run that ended normally and showed the user a message box beginning with `said`; where in
// the trace the box was read.
std::size_t ExpectRanAndSaid(const CommandResult& r, const std::string& said) {
    EXPECT_EQ(r.status, 0) << r.out;
    ExpectNoSanitizerReport(r);
    const std::size_t box = r.out.find("read 2023 Static \"" + said);
    EXPECT_NE(box, std::string::npos) << said << "\n" << r.out;
    return box;
}

// The script without its lines that fill the disk from inside (for a folder that is full or
// read-only by itself).
std::string WithoutDiskLines(const std::string& script) {
    std::istringstream in(script);
    std::string line, out;
    while (std::getline(in, line))
        if (line.rfind("disk ", 0) != 0) out += line + "\n";
    return out;
}

// A folder of the run on a file system of its own (a small tmpfs, which needs the right to
// mount): full, or read-only. What the folder held is copied onto it first. Unmounted at the end.
class OwnFileSystem {
public:
    OwnFileSystem(const testsupport::TempFolder& dir, const std::string& folder, bool readOnly)
        : path_(dir.Path(folder)) {
        const std::string kept = path_ + ".kept";
        fs::rename(path_, kept);
        fs::create_directory(path_);
        mounted_ = testsupport::RunCommand("mount -t tmpfs -o size=256k zephlon-test " + path_ +
                                           " 2>&1").status == 0;
        if (mounted_) {
            fs::copy(kept, path_, fs::copy_options::recursive);
            if (readOnly) {
                mounted_ = testsupport::RunCommand("mount -o remount,ro " + path_ + " 2>&1").status == 0;
            } else {
                // The rest of the room taken, a page at a time, until the file system says full.
                testsupport::RunCommand("dd if=/dev/zero of=" + path_ + "/filler bs=4k 2>/dev/null");
            }
        }
        if (!mounted_) {
            testsupport::RunCommand("umount " + path_ + " 2>/dev/null");
            fs::remove_all(path_);
            fs::rename(kept, path_);
        } else {
            fs::remove_all(kept);
        }
    }
    ~OwnFileSystem() {
        if (mounted_) testsupport::RunCommand("umount -l " + path_ + " 2>&1");
    }
    OwnFileSystem(const OwnFileSystem&) = delete;
    OwnFileSystem& operator=(const OwnFileSystem&) = delete;
    [[nodiscard]] bool Mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

// The ways a folder refuses a save: full by the file layer's fault (everywhere), a full file
// system of its own and a read-only one (where mounting is allowed), or a folder without write
// permission (where the user is not root, who writes anyway).
enum class Refusal { kFaultFull, kOwnFull, kOwnReadOnly, kNoPermission };

struct SaveCase {
    const char* script;
    const char* folder;     // the folder the save writes into
    const char* kept;       // the file there that must stay as it was (relative to the run)
    const char* copyFrom;   // what that file is made from, in the run
    const char* said;       // the message box's sentence
};

const SaveCase kSaves[] = {
    {"save-flight-full-disk.simrun", "Flights", "Flights/Kept.Flt", "Flights/C172Fly.Flt",
     "The flight Flights/Kept.Flt could not be saved."},
    {"save-plan-full-disk.simrun", "FlightPlans", "FlightPlans/Kept.Pln",
     "FlightPlans/KSQLtoKFAT.Pln", "The flight plan FlightPlans/Kept.Pln could not be saved."},
    {"logbook-full-disk.simrun", "PILOT", "PILOT/Student.PLT", nullptr,
     "The logbook could not be saved."},
    {"pilot-full-disk.simrun", "PILOT", "PILOT/CURRENT", nullptr,
     "The pilot file PILOT/Newbie.PLT could not be made."},
};

// The starter installation with the folders a run writes copied: flights, plans, pilots.
class SavesRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
        testsupport::LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
        fs::copy_file(testsupport::StarterRun::Install() / "Flights" / "Startup.Flt",
                      dir.Path("Flights/Startup.Flt"), fs::copy_options::overwrite_existing);
    }

    std::string Script(const char* name) const {
        return testsupport::CommittedScript(std::string("app/scripts/") + name, dir.Root());
    }
    CommandResult Play(const std::string& script) const {
        dir.Write("script.txt", script);
        return testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                       " " + dir.Path("script.txt") + " 2>&1");
    }
    // Every file below a folder of the run, by its path there.
    std::map<std::string, std::string> Files(const std::string& folder) const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path(folder)))
            if (e.is_regular_file()) files[e.path().string()] = dir.Read(fs::relative(e.path(), dir.Root()).string());
        return files;
    }

    // Plays a save that the folder refuses (see Refusal) and checks what the user saw and kept.
    void RunRefusedSave(const SaveCase& c, Refusal refusal, const std::string& script);

    testsupport::TempFolder dir{"zephlon-saves"};
};

void SavesRun::RunRefusedSave(const SaveCase& c, Refusal refusal, const std::string& script) {
    if (c.copyFrom != nullptr) fs::copy_file(dir.Path(c.copyFrom), dir.Path(c.kept));
    std::unique_ptr<OwnFileSystem> own;
    if (refusal == Refusal::kOwnFull || refusal == Refusal::kOwnReadOnly) {
        own = std::make_unique<OwnFileSystem>(dir, c.folder, refusal == Refusal::kOwnReadOnly);
        if (!own->Mounted()) GTEST_SKIP() << "no file system of its own can be mounted here";
    }
    if (refusal == Refusal::kNoPermission) {
        if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
        fs::permissions(dir.Path(c.folder), fs::perms::owner_write | fs::perms::group_write |
                                                fs::perms::others_write,
                        fs::perm_options::remove);
    }
    const std::string before = dir.Read(c.kept);
    ASSERT_FALSE(before.empty());
    const auto folderBefore = Files(c.folder);
    const CommandResult r = Play(script);
    if (refusal == Refusal::kNoPermission)
        fs::permissions(dir.Path(c.folder), fs::perms::owner_write, fs::perm_options::add);
    // The box the user read: the sentence, then the reason.
    const std::string reason = refusal == Refusal::kOwnReadOnly || refusal == Refusal::kNoPermission
                                   ? "ccess is denied"
                                   : "he disk is full.";
    const std::size_t box = ExpectRanAndSaid(r, c.said);
    if (box != std::string::npos) {
        EXPECT_NE(r.out.find(reason, box), std::string::npos) << r.out;
    }
    EXPECT_EQ(dir.Read(c.kept), before);
    // Nothing else appeared or changed in the folder (no half-written side file is left).
    EXPECT_EQ(Files(c.folder), folderBefore);
}

TEST_F(SavesRun, SavesOnAFullDiskAreSaidAndKeepTheOldFile) {
    for (const SaveCase& c : kSaves) {
        SCOPED_TRACE(c.script);
        RunRefusedSave(c, Refusal::kFaultFull, Script(c.script));
        if (c.copyFrom != nullptr) fs::remove(dir.Path(c.kept));
    }
}

// Each case in a run folder of its own, since the folder is remounted or its rights changed.
class SavesRunOnRealFolders : public SavesRun,
                              public ::testing::WithParamInterface<std::tuple<int, Refusal>> {};

TEST_P(SavesRunOnRealFolders, AreSaidAndKeepTheOldFile) {
    const SaveCase& c = kSaves[std::get<0>(GetParam())];
    RunRefusedSave(c, std::get<1>(GetParam()), WithoutDiskLines(Script(c.script)));
}

std::string RealFolderName(const ::testing::TestParamInfo<std::tuple<int, Refusal>>& info) {
    static const char* const kSavesNamed[] = {"Flight", "Plan", "Logbook", "NewPilot"};
    static const char* const kRefusalsNamed[] = {"", "OnAFullFileSystem", "OnAReadOnlyFileSystem",
                                                 "InAFolderWithoutWriting"};
    return std::string(kSavesNamed[std::get<0>(info.param)]) +
           kRefusalsNamed[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(FullAndReadOnly, SavesRunOnRealFolders,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(Refusal::kOwnFull,
                                                              Refusal::kOwnReadOnly,
                                                              Refusal::kNoPermission)),
                         RealFolderName);

TEST_F(SavesRun, SettingsThatCannotBeStoredAreSaidAtTheClose) {
    const CommandResult first = Play("wait 300\nquit\n");
    ASSERT_EQ(first.status, 0) << first.out;
    const std::string before = dir.Read("Zephlon.ini");
    ASSERT_FALSE(before.empty());
    const CommandResult r = Play(Script("settings-full-disk.simrun"));
    EXPECT_EQ(r.status, 0) << r.out;
    ExpectNoSanitizerReport(r);
    // Answered by the script as it came (at the close there is no later line to read it).
    EXPECT_NE(r.out.find("The settings could not be saved in " + dir.Path("Zephlon.ini") +
                         ".\n\nThe disk is full."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(dir.Read("Zephlon.ini"), before);
}

// A pilot file too short for its header, or something that is no file in its place: named with
// why before the pilot dialog and again when chosen; the user makes a new pilot and flies; what
// stood there stays as it was.
TEST_F(SavesRun, ADamagedPilotFileIsNamedAndKept) {
    struct Case {
        const char* kind;
        const char* said;
    };
    const Case cases[] = {
        {"short", "is damaged and cannot be read"},
        {"loop", "cannot be read: it is a link loop"},
        {"pipe", "cannot be read: it is not a plain file (it is a pipe)"},
        {"device", "cannot be read: it is not a plain file (it is a link to a device)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string said = std::string("The pilot file PILOT/Student.PLT ") + c.said;
        const std::string file = dir.Path("PILOT/Student.PLT");
        fs::remove(file);
        fs::remove(dir.Path("PILOT/Pat.PLT"));
        dir.Write("PILOT/CURRENT", std::string("Student", 8));
        const std::string kind = c.kind;
        if (kind == "short") dir.Write("PILOT/Student.PLT", std::string(40, '\x7f'));
        if (kind == "loop") fs::create_symlink("Student.PLT", file);
        if (kind == "pipe") {
            ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
        }
        if (kind == "device") fs::create_symlink("/dev/zero", file);
        const CommandResult r = Play(Script("pilot-damaged.simrun"));
        const std::size_t first = ExpectRanAndSaid(r, said);
        EXPECT_NE(r.out.find("read 2023 Static \"" + said, first + 1), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("start-up done"), std::string::npos) << r.out;
        if (kind == "short") {
            EXPECT_EQ(dir.Read("PILOT/Student.PLT"), std::string(40, '\x7f'));
        } else {
            EXPECT_EQ(fs::symlink_status(file).type(),
                      kind == "pipe" ? fs::file_type::fifo : fs::file_type::symlink);
        }
        EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Pat", 4));
        EXPECT_EQ(dir.Read("PILOT/Pat.PLT").size(), 106u);
    }
}

// A pilot file whose count (bytes 104-105) is lower than the whole entries it holds: the start
// says it was repaired, and the file keeps every entry with the count that says so.
TEST_F(SavesRun, ALowCountPilotFileKeepsEveryEntryAndSaysItWasRepaired) {
    std::string file(106 + 3 * 536, '\0');
    file[94] = 1;
    file[96] = 5;
    file[104] = 1;  // one counted of the three held
    const char* const kTo[3] = {"KOAK", "KFAT", "KMRY"};
    for (std::size_t i = 0; i < 3; ++i) file.replace(106 + i * 536 + 140, 4, kTo[i]);
    dir.Write("PILOT/Student.PLT", file);
    const CommandResult r = Play(Script("pilot-low-count.simrun"));
    ExpectRanAndSaid(r, "The pilot file PILOT/Student.PLT counted 1 logbook entries but holds 3; it "
                        "was repaired and keeps all 3.");
    const std::string kept = dir.Read("PILOT/Student.PLT");
    ASSERT_EQ(kept.size(), file.size());
    EXPECT_EQ(kept[104], 3);
    EXPECT_EQ(kept[105], 0);
    EXPECT_EQ(kept.substr(106), file.substr(106));
}

// A plan of 65 points whose values no plan can hold loads cut and held, says it was cut, and is
// saved again with the values held.
TEST_F(SavesRun, APlanOutOfRangeIsHeldAndACutOneSaysSo) {
    std::string plan = "[Settings]\nstCount=65\nstAirc=0\nstAlt=2147483647\nstPower=-1\n"
                       "[Environ]\nenDpWsBase=700000000\nenDpWsTop=700000000\nenDpWsVel=90000\n"
                       "enDpC1Cover=99\nenHour=99\n[Points]\n";
    for (int i = 0; i < 65; ++i) {
        const std::string n = std::to_string(i);
        plan += "ptIdent" + n + "=P" + n + "\nptType" + n + "=6\nptX" + n + "=" +
                std::to_string(9437184 + i * 2000) + "\nptY" + n + "=" +
                std::to_string(5242880 + i * 1000) + "\nptElev" + n + "=100\n";
    }
    dir.Write("FlightPlans/Wild.Pln", plan);
    const CommandResult r = Play(Script("plan-held.simrun"));
    ExpectRanAndSaid(r, "The flight plan FlightPlans/Wild.Pln has 65 points; a plan holds at most "
                        "64, so the points after P63 were left out.");
    const std::string held = dir.Read("FlightPlans/Held.Pln");
    for (const auto& [key, value] : std::map<std::string, long long>{{"stCount", 64},
                                                                     {"stAlt", 12000},
                                                                     {"stPower", 50},
                                                                     {"enDpWsBase", 20000},
                                                                     {"enDpWsTop", 20000},
                                                                     {"enDpWsVel", 300},
                                                                     {"enDpC1Cover", 8},
                                                                     {"enHour", 23}})
        EXPECT_EQ(testsupport::SavedValue(held, key), value) << key << "\n" << held;
    EXPECT_EQ(dir.Read("FlightPlans/Wild.Pln"), plan);
}

// A plan with a point whose place is missing or garbled, or that counts more points than it
// holds, is refused with a message naming the point, and nothing of it is flown; a plan cut at a
// point without a name says which point by its number.
TEST_F(SavesRun, APlanWithAPointWithoutItsPlaceIsRefusedNamingThePoint) {
    const std::string good = dir.Read("FlightPlans/KSQLtoKFAT.Pln");
    ASSERT_NE(good.find("ptX2=-721208992"), std::string::npos);
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    // The file without the line that sets `key` (whatever its line ending).
    auto without = [&](const std::string& key) {
        std::string text = good;
        const std::size_t at = text.find("\n" + key + "=") + 1;
        text.erase(at, text.find('\n', at) + 1 - at);
        return text;
    };
    struct Refused {
        std::string name, text, said;
    };
    const Refused cases[] = {
        {"NoX.Pln", without("ptX2"), "point 3 (PXN) has no ptX"},
        {"NoY.Pln", without("ptY0"), "point 1 (KSQL) has no ptY"},
        {"Garbled.Pln", edited("ptY3=25057145", "ptY3=2505x7145"), "point 4 (CZQ) has no readable ptY"},
        {"Blank.Pln", edited("ptX1=-739624869", "ptX1="), "point 2 (SJC) has no ptX"},
        {"Counted.Pln", edited("stCount=5", "stCount=7"), "point 6 has no ptX"},
    };
    std::string script = "frame-interval 20\nwait 300\n";
    for (const Refused& c : cases) {
        dir.Write("FlightPlans/" + c.name, c.text);
        script += "menu 159\ndialog \"Load Flight Plan\"\nset 1120 " + c.name +
                  "\nclick 1\ndialog GENERIC\nread 2023\nkey Return press\nwait 200\n";
    }
    // 65 points, the 64th without a name.
    std::string cut = "[Settings]\nstCount=65\n[Points]\n";
    for (int i = 0; i < 65; ++i) {
        const std::string n = std::to_string(i);
        cut += "ptIdent" + n + "=" + (i == 63 ? "" : "P" + n) + "\nptType" + n + "=6\nptX" + n +
               "=" + std::to_string(-744696400 + i * 2000) + "\nptY" + n + "=60457083\n";
    }
    dir.Write("FlightPlans/Cut.Pln", cut);
    script += "menu 159\ndialog \"Load Flight Plan\"\nset 1120 Cut.Pln\n"
              "click 1\ndialog GENERIC\nread 2023\nkey Return press\nwait 200\nquit\n";
    const CommandResult r = Play(script);
    EXPECT_EQ(r.status, 0) << r.out;
    ExpectNoSanitizerReport(r);
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(r.out.find("read 2023 Static \"The flight plan FlightPlans/" + c.name +
                             " could not be loaded: its " + c.said + "."),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("plan: loaded FlightPlans\\" + c.name), std::string::npos);
    }
    EXPECT_NE(r.out.find("a plan holds at most 64, so the points after point 64 were left out."),
              std::string::npos)
        << r.out;
}

// An installation folder whose entries are the starter installation's, linked one by one, so a
// test may take some away or put damaged ones in their place.
void ShadowFolder(const testsupport::TempFolder& dir, const std::string& folder) {
    fs::remove(dir.Path(folder));
    fs::create_directory(dir.Path(folder));
    for (const auto& e : fs::directory_iterator(testsupport::StarterRun::Install() / folder))
        fs::create_symlink(e.path(), dir.Path(folder + "/" + e.path().filename().string()));
}

TEST_F(SavesRun, TheStartNamesInstallationFilesItCannotRead) {
    ShadowFolder(dir, "Art");
    ShadowFolder(dir, "Data");
    fs::remove(dir.Path("Art/Palettes.Vol"));
    fs::remove(dir.Path("Data/Data.Vol"));
    dir.Write("Data/Data.Vol", "VOL junk that is no volume");
    const CommandResult r = Play(Script("start-without-volumes.simrun"));
    const std::size_t box = ExpectRanAndSaid(r, "Zephlon cannot read these files");
    ASSERT_NE(box, std::string::npos);
    EXPECT_NE(r.out.find("Art/Palettes.Vol: it is missing.", box), std::string::npos);
    EXPECT_NE(r.out.find("Data/Data.Vol: it is damaged.", box), std::string::npos);
    EXPECT_NE(r.out.find("zephlon: the installation file Art/Palettes.Vol cannot be read"),
              std::string::npos);
    EXPECT_NE(r.out.find("start-up done"), std::string::npos) << r.out;
}

// The files read beside the volumes (the ground's textures, the station directory, the lessons)
// missing: the start names each in its box.
TEST_F(SavesRun, TheStartNamesMissingTexturesStationsAndLessons) {
    for (const char* folder : {"Art", "Art/Terrain", "Art/Terrain/USA", "Data", "Data/Sms", "Lessons"})
        ShadowFolder(dir, folder);
    for (const char* file : {"Art/Terrain/USA/GridText.bin", "Data/Sms/flp.sms", "Lessons/Lessons.Vol"})
        fs::remove(dir.Path(file));
    const CommandResult r = Play(Script("start-without-volumes.simrun"));
    const std::size_t box = ExpectRanAndSaid(r, "Zephlon cannot read these files");
    ASSERT_NE(box, std::string::npos);
    for (const char* named : {"Art/Terrain/USA/GridText.bin: it is missing.",
                              "Data/Sms/flp.sms: it is missing.", "Lessons/Lessons.Vol: it is missing."})
        EXPECT_NE(r.out.find(named, box), std::string::npos) << named << "\n" << r.out;
    EXPECT_NE(r.out.find("start-up done"), std::string::npos) << r.out;
}

// A terrain tile the installation ships gone (its ground would read as open sea): the start
// names that tile, and no other; the sea where no tile was ever shipped is never named.
TEST_F(SavesRun, TheStartNamesAMissingTerrainTile) {
    for (const char* folder : {"Art", "Art/Terrain", "Art/Terrain/USA"})
        ShadowFolder(dir, folder);
    ASSERT_TRUE(fs::remove(dir.Path("Art/Terrain/USA/NA_05X01.TED")));
    const CommandResult r = Play(Script("start-without-volumes.simrun"));
    const std::size_t box = ExpectRanAndSaid(r, "Zephlon cannot read these files");
    ASSERT_NE(box, std::string::npos);
    const std::string said =
        r.out.substr(box, r.out.find("Installing the program again", box) - box);
    EXPECT_NE(said.find("Art/Terrain/USA/NA_05X01.TED: it is missing."), std::string::npos)
        << said;
    std::size_t named = 0;
    for (std::size_t at = said.find(".TED:"); at != std::string::npos;
         at = said.find(".TED:", at + 1))
        ++named;
    EXPECT_EQ(named, 1u) << said;
    EXPECT_EQ(said.find("Tiles.lst"), std::string::npos) << said;
    EXPECT_NE(r.out.find("installation: Art\\Terrain\\USA\\NA_05X01.TED missing"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("start-up done"), std::string::npos) << r.out;
}

// One bit of San Carlos's field elevation changed in the station directory, where it still reads
// as an elevation: the airport index beside it disagrees, and opening a plan from San Carlos
// names the directory instead of using the record.
TEST_F(SavesRun, AnAirportRecordTheIndexDisagreesWithIsNamed) {
    for (const char* folder : {"Data", "Data/Sms"})
        ShadowFolder(dir, folder);
    std::ifstream in(testsupport::StarterRun::Install() / "Data/Sms/flp.sms", std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The name-list entry: its record's offset in the four bytes before the name.
    const std::size_t name = file.find(std::string("San Carlos (KSQL)") + '\0');
    ASSERT_NE(name, std::string::npos);
    std::uint32_t record = 0;
    for (int k = 3; k >= 0; --k)
        record = record << 8 | static_cast<unsigned char>(file[name - 4 + k]);
    ASSERT_LT(record + 4u, file.size());
    file[record + 3] = static_cast<char>(file[record + 3] ^ 1);  // the elevation's lowest bit
    fs::remove(dir.Path("Data/Sms/flp.sms"));
    dir.Write("Data/Sms/flp.sms", file);
    const CommandResult r = Play(Script("plan-directory-flipped.simrun"));
    ExpectRanAndSaid(r, "The station directory flp.sms does not agree with the navigation tables");
    EXPECT_NE(r.out.find("sms: flp.sms holds an unlisted record"), std::string::npos) << r.out;
}

// The station directory cut short before the records of two airports (a copy that stopped
// part way): choosing them, and one again, in the airports wizard names the damage once.
TEST_F(SavesRun, ADirectoryCutShortIsNamedOnce) {
    for (const char* folder : {"Data", "Data/Sms"})
        ShadowFolder(dir, folder);
    std::ifstream in(testsupport::StarterRun::Install() / "Data/Sms/flp.sms", std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::uint32_t first = 0xFFFFFFFFu;
    for (const char* airport : {"Palo Alto (KPAO)", "San Carlos (KSQL)"}) {
        const std::size_t name = file.find(std::string(airport) + '\0');
        ASSERT_NE(name, std::string::npos) << airport;
        std::uint32_t record = 0;
        for (int k = 3; k >= 0; --k)
            record = record << 8 | static_cast<unsigned char>(file[name - 4 + k]);
        first = std::min(first, record);
    }
    ASSERT_LT(first, file.size());
    fs::remove(dir.Path("Data/Sms/flp.sms"));
    dir.Write("Data/Sms/flp.sms", file.substr(0, first + 20));
    const CommandResult r = Play(Script("airports-directory-cut.simrun"));
    EXPECT_EQ(r.status, 0) << r.out;
    ExpectNoSanitizerReport(r);
    std::size_t boxes = 0;
    for (std::size_t at = r.out.find("dialog GENERIC \""); at != std::string::npos;
         at = r.out.find("dialog GENERIC \"", at + 1))
        ++boxes;
    EXPECT_EQ(boxes, 1u) << r.out;
    EXPECT_NE(r.out.find("The station directory flp.sms is damaged"), std::string::npos) << r.out;
}

// Without its first flight the aircraft starts where its parked flight puts it, not at the
// world's origin.
TEST_F(SavesRun, ADamagedFirstFlightStartsFromTheParkedOne) {
    dir.Write("Flights/Startup.Flt", "");
    const CommandResult r = Play(Script("start-flight-damaged.simrun"));
    ExpectRanAndSaid(r, "The flight Flights/Startup.Flt is missing or damaged; the aircraft starts "
                        "from Flights/C172Stop.Flt instead.");
    const std::string parked = dir.Read("Flights/C172Stop.Flt");
    const std::string after = dir.Read("after.Flt");
    for (const char* key : {"fmPosX", "fmPosZ"}) {
        ASSERT_TRUE(testsupport::SavedValue(parked, key).has_value()) << key;
        EXPECT_NE(testsupport::SavedValue(parked, key), 0) << key;
        EXPECT_EQ(testsupport::SavedValue(after, key), testsupport::SavedValue(parked, key)) << key;
    }
    EXPECT_EQ(dir.Read("Flights/Startup.Flt"), "");
}

// The end of the session: no exit question, and the settings written on the way out.
TEST_F(SavesRun, TheEndOfTheSessionClosesWithoutAQuestionAndKeepsTheSettings) {
    const CommandResult r = Play(Script("terminate.simrun"));
    EXPECT_EQ(r.status, 0) << r.out;
    ExpectNoSanitizerReport(r);
    EXPECT_NE(r.out.find("end of session: closing without questions"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("dialog Exit"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("exit=0"), std::string::npos) << r.out;
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_NE(ini.find("[Settings]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MainW=640"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Views]"), std::string::npos) << ini;
}

}  // namespace
