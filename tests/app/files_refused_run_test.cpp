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
            expected.emplace_back(file, std::string(save.said) + save.folder + "\\" + s.name +
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
// <root>/src, with the installation's own copy of a volume gone and a folder or a pipe in its
// place in the source: the lessons' volume at the start, the aircraft's figures in Select
// Aircraft. The file is named once, the program goes on, and nothing waits for ever.
TEST_F(FilesRefused, AFolderOrPipeInTheInstallationSourceIsRefused) {
    struct Case {
        const char* volume;  // below the installation and the source's "Corvex" folder
        bool pipe;
        const char* script;
    };
    const char* const lessons =
        "dialog GENERIC\nread 2023\nkey Return press\n"
        "dialog GENERIC\nread 2023\nkey Return press\nframe-interval 20\nwait 300\nquit\n";
    const char* const perform =
        "frame-interval 20\nwait 300\nmenu 130\ndialog GENERIC\nread 2023\nkey Return press\n"
        "dialog FlightModel\nclick 2\nwait 300\nquit\n";
    const Case cases[] = {{"Lessons/Lessons.Vol", false, lessons},
                          {"Lessons/Lessons.Vol", true, lessons},
                          {"Data/Perform.Vol", false, perform},
                          {"Data/Perform.Vol", true, perform}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.volume) + (c.pipe ? " pipe" : " folder"));
        testsupport::TempFolder root("zephlon-source");
        const std::string inst = root.Path("inst");
        fs::create_directory(inst);
        const fs::path starter = testsupport::StarterRun::Install();
        const fs::path volume(c.volume);
        for (const auto& e : fs::directory_iterator(starter)) {
            const std::string name = e.path().filename().string();
            if (name == volume.parent_path()) {
                // The folder's entries linked, but for the volume.
                fs::create_directory(inst + "/" + name);
                for (const auto& f : fs::directory_iterator(e.path()))
                    if (f.path().filename() != volume.filename())
                        fs::create_symlink(f.path(),
                                           inst + "/" + name + "/" + f.path().filename().string());
            } else if (name == "Flights" || name == "PILOT") {
                fs::copy(e.path(), inst + "/" + name, fs::copy_options::recursive);
            } else {
                fs::create_symlink(e.path(), inst + "/" + name);
            }
        }
        root.Write("Tandor.Inf", "[Misc]\nSourceDir=" + root.Path("src") + "\n");
        const std::string inSource = root.Path("src/Corvex/" + std::string(c.volume));
        fs::create_directories(fs::path(inSource).parent_path());
        if (c.pipe)
            ASSERT_EQ(mkfifo(inSource.c_str(), 0644), 0);
        else
            fs::create_directory(inSource);
        root.Write("script.txt", c.script);
        const CommandResult r =
            testsupport::RunCommand(std::string(kTimeout) + testsupport::StarterRun::Simrun() +
                                    " --dir " + inst + " " + root.Path("script.txt") + " 2>&1");
        EXPECT_NE(r.status, 124) << "the run waited for ever\n" << r.out;
        ExpectCleanEnd(r);
        const std::string said = "read 2023 Static \"Zephlon cannot read the file " +
                                 root.Path("src") + "\\Corvex\\" + volume.parent_path().string() +
                                 "\\" + volume.filename().string() + ": it is not a plain file";
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\n" << r.out;
        if (c.pipe) {
            EXPECT_TRUE(IsPipe(inSource));
        } else {
            EXPECT_TRUE(fs::is_directory(inSource));
        }
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

// The settings kept in the stand-in while Zephlon.ini could not be used come back into it once
// it can, said at the start; the stand-in goes, and so do the temporaries an ended save left.
TEST_F(FilesRefused, KeptSettingsComeBackAndLeftoversGo) {
    dir.Write("Zephlon.ini", "[Settings]\ncrashdetect=1\n");
    dir.Write("Zephlon.kept.ini", "[Settings]\ncrashdetect=0\n[Kept]\nmark=7\n");
    dir.Write(".Zephlon.ini.Ab12Cd", "[Half]\n");
    dir.Write(".Zephlon.ini.keep-me", "not the program's\n");
    const CommandResult r =
        PlayWithin(std::string(kReadTheBox) + "frame-interval 20\nwait 300\nquit\n");
    ExpectCleanEnd(r);
    EXPECT_NE(r.out.find("Zephlon.kept.ini while Zephlon.ini could not be used are now in"),
              std::string::npos)
        << r.out;
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_NE(ini.find("crashdetect=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("mark=7"), std::string::npos) << ini;
    EXPECT_FALSE(fs::exists(dir.Path("Zephlon.kept.ini")));
    EXPECT_FALSE(fs::exists(dir.Path(".Zephlon.ini.Ab12Cd")));
    EXPECT_TRUE(fs::exists(dir.Path(".Zephlon.ini.keep-me")));
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
