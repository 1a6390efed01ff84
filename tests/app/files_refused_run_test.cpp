// Files the program must neither clobber nor wait on, driven through the starter installation:
// a flight or a plan saved where a pipe, a device or a link to a device has the name is refused
// with the file named, and what stands there stays; a folder or a pipe where the installation
// source should hold a volume, and a video that is a pipe or a folder, are refused with a
// message and the program goes on; settings files that cannot be used are never lost without a
// word; a lock another program holds is said; settings kept beside an unusable file come back;
// temporaries an ended save left are removed; SIGHUP ignored by nohup stays ignored.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <sstream>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;

// No run may wait for ever: a run that blocks is ended (and fails) after this long.
const char* const kTimeout = "timeout -k 5 120 ";

// The box a script reads and closes at the start.
const char* const kReadTheBox = "dialog GENERIC\nread 2023\nkey Return press\n";

bool IsCharacterDevice(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}
bool IsPipe(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

void ExpectCleanEnd(const CommandResult& r) {
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer", "simrun:"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
}

class FilesRefused : public testsupport::StarterRunTest {
protected:
    FilesRefused() : StarterRunTest("zephlon-files") {}
    // `wrapper` runs the runner (nohup, flock), itself under the time limit.
    CommandResult PlayWithin(const std::string& script, const std::string& wrapper = "") const {
        dir.Write("script.txt", script);
        return testsupport::RunCommand(kTimeout + wrapper + testsupport::StarterRun::Simrun() +
                                       " --dir " + dir.Root() + " " + dir.Path("script.txt") +
                                       " 2>&1");
    }
};

// ---- saves ------------------------------------------------------------------------------------

// What stands where a save goes, and how to tell it stayed.
struct Stander {
    const char* name;
    bool (*make)(const std::string& path);  // false: cannot be made here (skipped)
    bool (*stayed)(const std::string& path);
};

const Stander kStanders[] = {
    {"Pipe", [](const std::string& p) { return mkfifo(p.c_str(), 0644) == 0; },
     [](const std::string& p) { return IsPipe(p); }},
    {"NullLink",
     [](const std::string& p) {
         fs::create_symlink("/dev/null", p);
         return true;
     },
     [](const std::string& p) {
         return fs::is_symlink(p) && fs::read_symlink(p) == "/dev/null" && IsCharacterDevice(p);
     }},
    // A device node of its own (the null device's numbers), where the test may make one.
    {"Device",
     [](const std::string& p) { return mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; },
     [](const std::string& p) {
         struct stat st {};
         return lstat(p.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
     }},
};

// What the program says of each kind of thing that is no file.
const std::map<std::string, std::string> kSaidOf = {
    {"Folder", "it is not a plain file (it is a folder)"},
    {"Pipe", "it is not a plain file (it is a pipe)"},
    {"NullLink", "it is not a plain file (it is a link to a device)"},
    {"Device", "it is not a plain file (it is a device)"},
    {"Loop", "it is a link loop"}};

struct Save {
    const char* folder;
    const char* extension;
    const char* command;  // the menu command and its dialog
    const char* said;     // the message's sentence before the file's name
};
const Save kSaves[] = {
    {"FlightPlans", ".Pln", "menu 713\ndialog \"Save Flight Plan\"\n", "The flight plan "},
    {"Flights", ".Flt", "menu 108\ndialog \"Save Flight\"\n", "The flight "},
};

// Every save over every kind of stander in one run: each refused and said with its file, each
// stander as it was, nothing new beside them, and the null device still a device.
TEST_F(FilesRefused, SavesOverPipesDevicesAndLinksToDevicesAreRefused) {
    std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 KSQLtoKMRY.Pln\nclick 1\nwait 300\n";
    std::vector<std::pair<std::string, std::string>> expected;  // path, message
    for (const Save& save : kSaves) {
        for (const Stander& s : kStanders) {
            const std::string file = std::string(save.folder) + "/" + s.name + save.extension;
            if (!s.make(dir.Path(file))) continue;
            script += std::string(save.command) + "set 1152 " + s.name + save.extension +
                      "\nclick 1\n"
                      // The file dialog asks whether to replace what has the name; yes.
                      "dialog GENERIC\nclick 6\n"
                      "dialog GENERIC\nread 2023\nkey Return press\nwait 100\n";
            expected.emplace_back(file, std::string(save.said) + save.folder + "/" + s.name +
                                            save.extension + " could not be saved.");
        }
    }
    ASSERT_GE(expected.size(), 4u);
    const auto before = [&](const char* folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path(folder)))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto plans = before("FlightPlans");
    const auto flights = before("Flights");
    const CommandResult r = PlayWithin(script + "quit\n");
    ExpectCleanEnd(r);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        const std::size_t box = r.out.find("read 2023 Static \"" + expected[i].second);
        ASSERT_NE(box, std::string::npos) << r.out;
        EXPECT_NE(r.out.find("not a plain file", box), std::string::npos) << r.out;
    }
    for (const Save& save : kSaves)
        for (const Stander& s : kStanders) {
            const std::string path =
                dir.Path(std::string(save.folder) + "/" + s.name + save.extension);
            if (fs::symlink_status(path).type() == fs::file_type::not_found) continue;
            EXPECT_TRUE(s.stayed(path)) << path;
        }
    EXPECT_TRUE(IsCharacterDevice("/dev/null"));
    EXPECT_EQ(before("FlightPlans"), plans);
    EXPECT_EQ(before("Flights"), flights);
}

// ---- the installation source and videos --------------------------------------------------------

// An installation at <root>/inst whose source (the setup file in its parent folder) is
// <root>/src: the starter's files linked in, but for those `onSource` picks, which lie on the
// source alone; the flights and the pilots are copies the run may change.
std::string InstallWithSource(const testsupport::TempFolder& root,
                              const std::function<bool(const fs::path&)>& onSource) {
    const fs::path starter = testsupport::StarterRun::Install();
    const std::string inst = root.Path("inst");
    const auto anyOnSource = [&](const fs::path& folder) {
        for (const auto& f : fs::recursive_directory_iterator(starter / folder))
            if (onSource(fs::relative(f.path(), starter))) return true;
        return false;
    };
    std::function<void(const fs::path&)> place = [&](const fs::path& folder) {
        fs::create_directories(inst / folder);
        for (const auto& e : fs::directory_iterator(starter / folder)) {
            const fs::path rel = folder / e.path().filename();
            if (rel == "Flights" || rel == "PILOT") {
                fs::copy(e.path(), inst / rel, fs::copy_options::recursive);
            } else if (onSource(rel)) {
                fs::create_directories((fs::path(root.Path("src/Corvex")) / rel).parent_path());
                fs::create_symlink(e.path(), fs::path(root.Path("src/Corvex")) / rel);
            } else if (e.is_directory() && anyOnSource(rel)) {
                place(rel);
            } else {
                fs::create_symlink(e.path(), inst / rel);
            }
        }
    };
    place("");
    root.Write("Tandor.Inf", "[Misc]\nSourceDir=" + root.Path("src") + "\n");
    return inst;
}

// An installation at <root>/inst whose source (the setup file in its parent folder) is
// <root>/src, with the installation's own copy of a volume gone and a folder or a pipe in its
// place in the source: the lessons' volume at the start, the aircraft's figures in Select
// Aircraft. The file is named once, the program goes on, and nothing waits for ever.
TEST_F(FilesRefused, AFolderOrPipeInTheInstallationSourceIsRefused) {
    struct Case {
        const char* volume;  // below the installation and the source's "Corvex" folder
        const char* kind;
        const char* script;
    };
    const char* const lessons =
        "dialog GENERIC\nread 2023\nkey Return press\n"
        "dialog GENERIC\nread 2023\nkey Return press\nframe-interval 20\nwait 300\nquit\n";
    const char* const perform =
        "frame-interval 20\nwait 300\nmenu 130\ndialog GENERIC\nread 2023\nkey Return press\n"
        "dialog FlightModel\nclick 2\nwait 300\nquit\n";
    std::vector<Case> cases;
    for (const char* kind : {"Folder", "Pipe", "NullLink", "Loop"})
        cases.insert(cases.end(),
                     {{"Lessons/Lessons.Vol", kind, lessons}, {"Data/Perform.Vol", kind, perform}});
    for (const Case& c : cases) {
        const std::string kind = c.kind;
        SCOPED_TRACE(std::string(c.volume) + " " + kind);
        testsupport::TempFolder root("zephlon-source");
        const std::string inst =
            InstallWithSource(root, [&](const fs::path& rel) { return rel == c.volume; });
        const std::string inSource = root.Path("src/Corvex/" + std::string(c.volume));
        const fs::path volume(c.volume);
        fs::remove(inSource);
        if (kind == "Pipe") {
            ASSERT_EQ(mkfifo(inSource.c_str(), 0644), 0);
        }
        if (kind == "Folder") fs::create_directory(inSource);
        if (kind == "NullLink") fs::create_symlink("/dev/zero", inSource);
        if (kind == "Loop") fs::create_symlink(volume.filename(), inSource);
        root.Write("script.txt", c.script);
        const CommandResult r =
            testsupport::RunCommand(std::string(kTimeout) + testsupport::StarterRun::Simrun() +
                                    " --dir " + inst + " " + root.Path("script.txt") + " 2>&1");
        EXPECT_NE(r.status, 124) << "the run waited for ever\n" << r.out;
        ExpectCleanEnd(r);
        // Said for what it is, with the path written one way throughout.
        const std::string said = "read 2023 Static \"Zephlon cannot read the file " +
                                 root.Path("src") + "/Corvex/" + c.volume + ": " + kSaidOf.at(kind);
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\n" << r.out;
        EXPECT_EQ(fs::symlink_status(inSource).type(), kind == "Pipe"     ? fs::file_type::fifo
                                                       : kind == "Folder" ? fs::file_type::directory
                                                                          : fs::file_type::symlink);
    }
}

// The lessons' volume on neither the installation nor its source: the start asks for the disc.
// The session ended in any of its ways while it asks ends the program in order.
TEST_F(FilesRefused, TheEndOfTheSessionInTheDiscPromptEndsTheProgram) {
    for (const char* signal : {"TERM", "INT", "HUP"}) {
        SCOPED_TRACE(signal);
        testsupport::TempFolder root("zephlon-disc");
        const std::string inst = InstallWithSource(
            root, [](const fs::path& rel) { return rel == "Lessons/Lessons.Vol"; });
        fs::remove(root.Path("src/Corvex/Lessons/Lessons.Vol"));
        root.Write("script.txt",
                   std::string("dialog INSERT_CD1\nread 2023\nread 2024\nread 1\nshell \"kill -") +
                       signal + " $PPID\"\nwait 1000\n");
        const CommandResult r =
            testsupport::RunCommand(std::string(kTimeout) + testsupport::StarterRun::Simrun() +
                                    " --dir " + inst + " " + root.Path("script.txt") + " 2>&1");
        EXPECT_NE(r.status, 124) << "the prompt never ended\n" << r.out;
        ExpectCleanEnd(r);
        EXPECT_NE(r.out.find("end of session: closing without questions"), std::string::npos)
            << r.out;
        // The prompt's words name its buttons, and its path is written one way.
        EXPECT_NE(r.out.find("read 1 Button \"Retry\""), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("then press Retry."), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("press OK"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\"Looking for " + root.Path("src") + "/Corvex/Lessons/Lessons.Vol\""),
                  std::string::npos)
            << r.out;
    }
}

// A ground-school video that is a pipe or a folder: choosing it says the file cannot be read,
// the dialog stays, and the next video plays.
TEST_F(FilesRefused, AVideoThatIsAPipeOrAFolderIsRefused) {
    struct Case {
        const char* what;
        bool pipe;
    };
    fs::remove(dir.Path("train"));
    fs::create_directory(dir.Path("train"));
    for (const auto& e : fs::directory_iterator(testsupport::StarterRun::Install() / "train"))
        if (e.path().filename() != "f03.avi")
            fs::create_symlink(e.path(), dir.Path("train/" + e.path().filename().string()));
    for (const Case c : {Case{"pipe", true}, Case{"folder", false}}) {
        SCOPED_TRACE(c.what);
        const std::string video = dir.Path("train/f03.avi");
        fs::remove_all(video);
        if (c.pipe)
            ASSERT_EQ(mkfifo(video.c_str(), 0644), 0);
        else
            fs::create_directory(video);
        const CommandResult r = PlayWithin(
            "wait 300\nmenu 104\ndialog GroundInstruction\nset 1799 \"Straight and Level Flight\"\n"
            "click 1\ndialog GENERIC\nread 2023\nkey Return press\n"
            "dialog GroundInstruction\nset 1799 \"Turns\"\nclick 1\nwait 1000\nclick 1\n"
            "wait 200\nclick 2\nwait 200\nquit\n");
        EXPECT_NE(r.status, 124) << "the video was waited on for ever\n" << r.out;
        ExpectCleanEnd(r);
        EXPECT_NE(r.out.find("f03.avi.\n\nIt is not a plain file"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("video play"), std::string::npos) << r.out;
        if (c.pipe) {
            EXPECT_TRUE(IsPipe(video));
        }
    }
}

// The terrain tiles on the installation source, so the start copies them into the tile cache
// beside its list of stamps, with the runways' debug report asked for: a pipe, a link to a
// device or a device as the list and as the report is neither waited on nor written into, and
// the tiles still come.
TEST_F(FilesRefused, TheTileListAndDebugReportsThatAreNoFilesAreNotWaitedOn) {
    std::vector<Stander> standers(std::begin(kStanders), std::end(kStanders));
    standers.push_back(
        {"Loop",
         [](const std::string& p) {
             fs::create_symlink(fs::path(p).filename(), p);
             return true;
         },
         [](const std::string& p) { return fs::read_symlink(p) == fs::path(p).filename(); }});
    for (const Stander& s : standers) {
        SCOPED_TRACE(s.name);
        testsupport::TempFolder root("zephlon-tiles");
        const std::string inst = InstallWithSource(root, [](const fs::path& rel) {
            return rel.parent_path() == "Art/Terrain/USA" && rel.extension() == ".TED";
        });
        const std::string list = inst + "/Art/Terrain/USA/TedCache.lst";
        const std::string report = inst + "/DmpRwy.out";
        const std::string buildings = inst + "/DmpBuild.out";
        if (!s.make(list) || !s.make(report) || !s.make(buildings)) continue;
        root.Write("inst/Zephlon.ini", "[Debug]\nDumpRunways=1\nDumpBuildings=1\n");
        root.Write(
            "script.txt",
            "answer \"could not write these reports\" OK\nframe-interval 20\nwait 500\nquit\n");
        const CommandResult r =
            testsupport::RunCommand(std::string(kTimeout) + testsupport::StarterRun::Simrun() +
                                    " --dir " + inst + " " + root.Path("script.txt") + " 2>&1");
        EXPECT_NE(r.status, 124) << "the run waited for ever\n" << r.out;
        ExpectCleanEnd(r);
        EXPECT_TRUE(s.stayed(list));
        EXPECT_TRUE(s.stayed(report));
        EXPECT_TRUE(s.stayed(buildings));
        // Each report the settings asked for is said, with what stands in its place.
        const std::size_t box = r.out.find("Zephlon could not write these reports");
        EXPECT_NE(box, std::string::npos) << r.out;
        for (const char* name : {"DmpRwy.out", "DmpBuild.out"})
            EXPECT_NE(r.out.find(std::string(name) + ": " + kSaidOf.at(s.name), box),
                      std::string::npos)
                << name << "\n"
                << r.out;
        int copied = 0;
        for (const auto& e : fs::directory_iterator(inst + "/Art/Terrain/USA"))
            copied += e.path().extension() == ".TED" && e.is_regular_file() ? 1 : 0;
        EXPECT_GT(copied, 0) << r.out;
    }
    EXPECT_TRUE(IsCharacterDevice("/dev/null"));
}

// A flight or a plan the user made read-only is refused with its file named, and stays as it
// was; one only the user may read is saved over and stays so.
TEST_F(FilesRefused, ReadOnlySavesAreRefusedAndPrivateOnesStayPrivate) {
    struct Kept {
        const char* name;
        mode_t mode;
        bool saved;
    };
    const Kept kinds[] = {{"ReadOnly", 0444, false}, {"Private", 0600, true}};
    std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 KSQLtoKMRY.Pln\nclick 1\nwait 300\n";
    const std::string before = "[Kept]\nmark=1\n";
    for (const Save& save : kSaves)
        for (const Kept& k : kinds) {
            const std::string file = dir.Path(std::string(save.folder) + "/" + k.name + save.extension);
            dir.Write(std::string(save.folder) + "/" + k.name + save.extension, before);
            ASSERT_EQ(chmod(file.c_str(), k.mode), 0);
            script += std::string(save.command) + "set 1152 " + k.name + save.extension +
                      "\nclick 1\ndialog GENERIC\nclick 6\n" +
                      (k.saved ? "wait 100\n" : "dialog GENERIC\nread 2023\nkey Return press\nwait 100\n");
        }
    const CommandResult r = PlayWithin(script + "quit\n");
    ExpectCleanEnd(r);
    for (const Save& save : kSaves)
        for (const Kept& k : kinds) {
            const std::string name = std::string(save.folder) + "/" + k.name + save.extension;
            SCOPED_TRACE(name);
            struct stat st {};
            ASSERT_EQ(stat(dir.Path(name).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, k.mode);
            EXPECT_EQ(dir.Read(name) == before, !k.saved);
            const std::string said = std::string(save.said) + save.folder + "/" + k.name +
                                     save.extension + " could not be saved.";
            const std::size_t box = r.out.find(said);
            EXPECT_EQ(box != std::string::npos, !k.saved) << r.out;
            if (box != std::string::npos) {
                EXPECT_NE(r.out.find("read-only", box), std::string::npos) << r.out;
            }
        }
}

// ---- settings files, the lock, leftovers, SIGHUP
// ---------------------------------------------------

// Zephlon.ini and its stand-in both unusable: the start says the session's settings are not
// kept, never that they are kept in the stand-in; both stay as they were.
TEST_F(FilesRefused, BothSettingsFilesUnusableIsSaid) {
    fs::create_directory(dir.Path("Zephlon.ini"));
    ASSERT_EQ(mkfifo(dir.Path("Zephlon.kept.ini").c_str(), 0644), 0);
    const CommandResult r =
        PlayWithin(std::string(kReadTheBox) + "frame-interval 20\nwait 300\nquit\n");
    ExpectCleanEnd(r);
    const std::size_t box = r.out.find("read 2023 Static \"");
    ASSERT_NE(box, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Zephlon.kept.ini cannot be used either", box), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("is not kept", box), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("kept in Zephlon.kept.ini instead"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_directory(dir.Path("Zephlon.ini")));
    EXPECT_TRUE(IsPipe(dir.Path("Zephlon.kept.ini")));
}

// A stand-in too large to be settings when Zephlon.ini can be used again: one note says why it
// is not taken back, and it stays as it is.
TEST_F(FilesRefused, AKeptSettingsFileTooLargeIsSaidOnceForWhatItIs) {
    for (const std::size_t size :
         {std::size_t{(16u << 20) + 1}, std::size_t{16400000} + (1u << 20)}) {
        SCOPED_TRACE(size);
        dir.Write("Zephlon.ini", "[Settings]\ncrashdetect=1\n");
        std::string kept = "[Kept]\nmark=7\n";
        kept.resize(size, ';');
        dir.Write("Zephlon.kept.ini", kept);
        const CommandResult r =
            PlayWithin(std::string(kReadTheBox) + "frame-interval 20\nwait 300\nquit\n");
        ExpectCleanEnd(r);
        const std::string out = r.out.substr(0, 4000);
        EXPECT_NE(out.find("could not be taken back into Zephlon.ini: it is larger than 16 MB."),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("no error was reported"), std::string::npos) << out;
        EXPECT_EQ(out.find("is not read or written"), std::string::npos) << out;
        EXPECT_EQ(dir.Read("Zephlon.kept.ini").size(), size);
    }
}

// The settings kept in the stand-in while Zephlon.ini could not be used come back into it once
// it can, said at the start, 40,000 keys well within a second; the stand-in goes, and so do the
// temporaries the saves of an ended run listed, but no file only named like one.
TEST_F(FilesRefused, KeptSettingsComeBackAndLeftoversGo) {
    dir.Write("Zephlon.ini", "[Settings]\ncrashdetect=1\n");
    std::string kept = "[Settings]\ncrashdetect=0\n[Kept]\nmark=7\n";
    for (int i = 0; i < 40000; ++i)
        kept += (i % 100 == 0 ? "[Many" + std::to_string(i / 100) + "]\n" : std::string()) +
                "key" + std::to_string(i) + "=" + std::to_string(i * 7) + "\n";
    dir.Write("Zephlon.kept.ini", kept);
    // Listed, each as the file it is; the third replaced by the user's file since, and the last a
    // user's file of the same size that took the listed one's inode a second after it was written.
    const char* const listed[] = {".Zephlon.ini.Ab12Cd", "PILOT/.CURRENT.x9Y8z7",
                                  ".Zephlon.ini.Zz9Yy8", ".Zephlon.ini.Rr5Ss4",
                                  // a flight's and a plan's save ended before their renames
                                  "Flights/.Mine.Flt.Qq1Ww2", "Flights/..Mine.Flt.Qq1Ww2.Tt7Uu8",
                                  "FlightPlans/.MyPlan.Pln.Ee3Rr4"};
    const char* const users[] = {".Zephlon.ini.keep-me", ".Zephlon.ini.backup", "PILOT/.Student.PLT.backup",
                                 "Flights/.Mine.Flt.backup", "FlightPlans/.MyPlan.Pln.old"};
    std::string journal;
    for (const char* name : listed) {
        const bool reused = name == listed[3];
        dir.Write(name, reused ? "[Mine]\n" : "[Half]\n");
        struct stat st {};
        ASSERT_EQ(stat(dir.Path(name).c_str(), &st), 0);
        journal +=
            std::to_string(st.st_dev) + " " + std::to_string(st.st_ino) + " " +
            std::to_string(st.st_size) + " " +
            std::to_string((st.st_ctim.tv_sec - reused) * 1000000000LL + st.st_ctim.tv_nsec) + " " +
            dir.Path(name) + "\n";
    }
    // The user's file is made while the listed one still stands, so it cannot take its inode.
    dir.Write("users-own", "the user's own\n");
    fs::rename(dir.Path("users-own"), dir.Path(listed[2]));
    for (const char* name : users) dir.Write(name, "not the program's\n");
    dir.Write(".zephlon.temporaries", journal);
    const auto start = std::chrono::steady_clock::now();
    const CommandResult r =
        PlayWithin(std::string(kReadTheBox) + "frame-interval 20\nwait 300\nquit\n");
    // Key by key the keys took minutes; in one pass they are lost in the start's own time.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
    ExpectCleanEnd(r);
    EXPECT_NE(r.out.find("Zephlon.kept.ini while Zephlon.ini could not be used are now in"),
              std::string::npos)
        << r.out;
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_NE(ini.find("crashdetect=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("mark=7"), std::string::npos) << ini;
    // Every kept key is there, in its section, with its value.
    std::map<std::string, std::string> keys;
    std::string section, line;
    for (std::istringstream lines(ini); std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t equals = line.find('=');
        if (line.rfind('[', 0) == 0) section = line.substr(1, line.find(']') - 1);
        else if (equals != std::string::npos) keys[section + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
    int wrong = 0;
    for (int i = 0; i < 40000; ++i)
        wrong += keys["Many" + std::to_string(i / 100) + "/key" + std::to_string(i)] != std::to_string(i * 7);
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(fs::exists(dir.Path("Zephlon.kept.ini")));
    for (const char* gone : {listed[0], listed[1], listed[4], listed[5], listed[6]})
        EXPECT_FALSE(fs::exists(dir.Path(gone))) << gone;
    EXPECT_EQ(dir.Read(listed[2]), "the user's own\n");
    EXPECT_EQ(dir.Read(listed[3]), "[Mine]\n");
    for (const char* name : users) EXPECT_TRUE(fs::exists(dir.Path(name))) << name;
}

// Another program holds the lock (flock, which closes its own copy of the lock before the
// program runs): the program runs and says so.
TEST_F(FilesRefused, ALockHeldByAnotherProgramIsSaid) {
    dir.Write(".zephlon.lock", "");
    const CommandResult r =
        PlayWithin(std::string(kReadTheBox) + "frame-interval 20\nwait 300\nquit\n",
                   "flock -o " + dir.Path(".zephlon.lock") + " ");
    ExpectCleanEnd(r);
    EXPECT_NE(r.out.find("read 2023 Static \"Zephlon cannot take its lock " +
                         dir.Path(".zephlon.lock") + ": another program holds it"),
              std::string::npos)
        << r.out;
}

// Under nohup a SIGHUP (the terminal closed) leaves the program flying; the run ends by its
// own quit.
TEST_F(FilesRefused, SighupUnderNohupIsIgnored) {
    const CommandResult r = PlayWithin(
        "frame-interval 20\nwait 300\nshell \"kill -HUP $PPID\"\nwait 500\n"
        "shell \"echo still-flying\"\nquit\n",
        "nohup ");
    ExpectCleanEnd(r);
    EXPECT_EQ(r.out.find("end of session: closing without questions"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("still-flying"), std::string::npos) << r.out;
}

}  // namespace
