// Values read from a user's files held to what their fields and the world can mean, and named
// in a message box when they are not; nothing saved before is lost. Driven through the starter
// installation: saved flights placed off the world or naming no aircraft, a logbook longer than
// its count can count, hours that are no flight, a cabin load typed in pounds, a plan whose
// departure flight is gone, settings files that are no plain files, a lock that cannot be taken,
// and saves over symbolic links.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "nav/lat_lon.h"
#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;

// The box a script reads and closes at the start.
const char* const kReadTheBox = "dialog GENERIC\nread 2023\nkey Return press\n";

class HeldValues : public testsupport::StarterRunTest {
protected:
    HeldValues() : StarterRunTest("zephlon-held") {}
    // A run that ended normally, without a sanitizer report, and read a box holding `said`.
    static void ExpectSaid(const CommandResult& r, const std::string& said) {
        EXPECT_EQ(r.status, 0) << r.out;
        for (const char* report :
             {"AddressSanitizer", "runtime error:", "LeakSanitizer", "simrun:"})
            EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
        const std::size_t box = r.out.find("read 2023 Static \"");
        ASSERT_NE(box, std::string::npos) << r.out;
        EXPECT_NE(r.out.find(said, box), std::string::npos) << said << "\n" << r.out;
    }
};

// ---- saved flights ----------------------------------------------------------------------------

// The covered area's edges on the world plane (x at 32.5 N, z at 65 W), where a place off it is
// held.
std::int32_t EdgeX(double westLongitude) {
    std::int32_t x = 0;
    nav::LatLonToWorld(&x, nullptr, 32.5, westLongitude);
    return x;
}
std::int32_t EdgeZ(double latitude) {
    std::int32_t z = 0;
    nav::LatLonToWorld(nullptr, &z, latitude, 65.0);
    return z;
}

TEST_F(HeldValues, AFlightOffTheWorldOrOfNoAircraftIsHeldAndSaid) {
    struct Case {
        const char* key;
        long long value;
        const char* said;
        const char* heldKey;  // the key whose saved value is checked
        long long held;
    };
    const Case cases[] = {
        {"fmPosX", 2147483647LL, "holds values the aircraft cannot have (fmPosX)", "fmPosX",
         EdgeX(30.0)},
        {"fmPosX", -2147483648LL, "holds values the aircraft cannot have (fmPosX)", "fmPosX",
         EdgeX(160.0)},
        {"fmPosZ", 2147483647LL, "holds values the aircraft cannot have (fmPosZ)", "fmPosZ",
         EdgeZ(70.0)},
        {"fmPosZ", -2147483648LL, "holds values the aircraft cannot have (fmPosZ)", "fmPosZ",
         EdgeZ(5.0)},
        {"type", 99, "names the aircraft type 99, which no aircraft has", "type", 0},
        {"type", -1, "names the aircraft type -1, which no aircraft has", "type", 0},
    };
    const std::string startup = dir.Read("Flights/Startup.Flt");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + std::to_string(c.value));
        std::string flight = startup;
        testsupport::PutSavedValue(flight, c.key, c.value);
        dir.Write("Flights/Startup.Flt", flight);
        const CommandResult r =
            Play(std::string(kReadTheBox) + "wait 300\nsave " + dir.Path("after.Flt") + "\nquit\n");
        ExpectSaid(r, c.said);
        // Held at the edge (a parked aircraft moves no more than a little meanwhile).
        const std::optional<long long> held =
            testsupport::SavedValue(dir.Read("after.Flt"), c.heldKey);
        ASSERT_TRUE(held.has_value()) << r.out;
        EXPECT_NEAR(static_cast<double>(*held), static_cast<double>(c.held), 2560.0);
        // The flight read is the user's: it stays as it was.
        EXPECT_EQ(dir.Read("Flights/Startup.Flt"), flight);
    }
}

// ---- pilot files and the logbook ------------------------------------------------------------

// A pilot file of `count` entries (its i16 count field written as the low 16 bits), each a
// 1.5-hour day flight from KSQL to KOAK on 1/2/98.
std::string PilotFileOf(int count) {
    std::string file(106, '\0');
    file[94] = 1;  // lesson 1
    file[96] = 5;
    file[104] = static_cast<char>(count & 0xFF);
    file[105] = static_cast<char>((count >> 8) & 0xFF);
    std::string entry(536, '\0');
    const std::uint32_t key = 980102;
    std::memcpy(entry.data(), &key, 4);
    entry[4] = 2, entry[6] = 1, entry[8] = 98;
    std::memcpy(entry.data() + 12, "KSQL", 4);
    std::memcpy(entry.data() + 140, "KOAK", 4);
    entry[526] = 2, entry[528] = 2;
    const float hours = 1.5F;
    std::memcpy(entry.data() + 532, &hours, 4);
    file.reserve(106 + 536 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        file += entry;
    return file;
}

int StoredCount(const std::string& file) {
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(file[104]) |
                                     static_cast<std::uint8_t>(file[105]) << 8);
}

// 40,000 entries, more than the count's 32,767: named at every start, never "repaired" again and
// again, the logbook full for one more, and every entry kept whatever is saved.
TEST_F(HeldValues, ALogbookLongerThanItsCountIsNamedAndKeptWhole) {
    const std::string before = PilotFileOf(40000);
    dir.Write("PILOT/Student.PLT", before);
    const char* const said = "holds 40000 logbook entries, more than the 32767 a logbook can count";
    const CommandResult first =
        Play(std::string(kReadTheBox) +
             "wait 300\nmenu 163\ndialog LOGBOOKS\nset 1964 1.0\nclick 1974\n" + kReadTheBox +
             "dialog LOGBOOKS\nclick 1\nwait 300\nquit\n");
    ExpectSaid(first, said);
    EXPECT_NE(first.out.find("The logbook is full: it keeps at most 32767 flights."),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("logbook: saved 32767 entries"), std::string::npos) << first.out;
    const std::string after = dir.Read("PILOT/Student.PLT");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(StoredCount(after), 32767);
    EXPECT_TRUE(after.compare(106, std::string::npos, before, 106) == 0) << "an entry changed";
    const CommandResult second = Play(std::string(kReadTheBox) + "wait 300\nquit\n");
    ExpectSaid(second, said);
    EXPECT_EQ(second.out.find("repaired"), std::string::npos) << second.out;
    EXPECT_EQ(dir.Read("PILOT/Student.PLT"), after);
}

// Hours that are no flight's length are refused as typed and asked for again; the longest a
// logbook keeps is taken, and nothing past it.
TEST_F(HeldValues, LogbookHoursThatAreNoFlightAreRefused) {
    std::string script = "wait 300\nmenu 163\ndialog LOGBOOKS\n";
    for (const char* typed : {"inf", "0x7fffffff", "nan", "1e3", "1000", "999.96", "-2", "12abc"})
        script +=
            std::string("set 1964 ") + typed + "\nclick 1974\n" + kReadTheBox + "dialog LOGBOOKS\n";
    script += "set 1964 999.9\nclick 1974\nset 1964 2.5\nclick 1974\nclick 1\nwait 300\nquit\n";
    const CommandResult r = Play(script);
    ExpectSaid(r, "Enter the hours flown, from 0.1 to 999.9");
    std::size_t asked = 0;
    for (std::size_t at = r.out.find("read 2023"); at != std::string::npos;
         at = r.out.find("read 2023", at + 1))
        ++asked;
    EXPECT_EQ(asked, 8u) << r.out;
    const std::string file = dir.Read("PILOT/Student.PLT");
    ASSERT_EQ(file.size(), 106u + 2 * 536) << r.out;
    float hours[2];
    std::memcpy(&hours[0], file.data() + 106 + 532, 4);
    std::memcpy(&hours[1], file.data() + 106 + 536 + 532, 4);
    EXPECT_FLOAT_EQ(hours[0] + hours[1], 999.9F + 2.5F);
}

// ---- the loading dialog ---------------------------------------------------------------------

// Every cabin load typed in whole pounds reads back as typed, in the dialog and when it is opened
// again, though the aircraft keeps whole kilograms.
TEST_F(HeldValues, ACabinLoadTypedInPoundsReadsBackAsTyped) {
    std::string script = "wait 300\nmenu 124\ndialog Loading\n";
    for (int pounds = 0; pounds <= 600; ++pounds)
        script +=
            "set 1169 " + std::to_string(pounds) + "\nexpect 1169 " + std::to_string(pounds) + "\n";
    for (int pounds : {12, 200, 201, 13})
        script += "set 1169 " + std::to_string(pounds) +
                  "\nclick 1\nwait 100\nmenu 124\ndialog Loading\nexpect 1169 " +
                  std::to_string(pounds) + "\n";
    script += "click 2\nwait 100\nquit\n";
    const CommandResult r = Play(script);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
}

// ---- plans ----------------------------------------------------------------------------------

// A plan opened while the flight its departure starts from is gone: loaded, and the user told
// which flight is missing; the plan file stays as it was.
TEST_F(HeldValues, APlanWhoseDepartureFlightIsMissingSaysSo) {
    fs::remove(dir.Path("Flights/C172Fly.Flt"));
    const std::string plan = dir.Read("FlightPlans/KSQLtoKMRY.Pln");
    const CommandResult r = Play(
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 KSQLtoKMRY.Pln\nclick 1\n" +
        std::string(kReadTheBox) + "wait 300\nquit\n");
    ExpectSaid(r, "The flight Flights/C172Fly.Flt is missing or damaged");
    EXPECT_NE(r.out.find("plan: loaded FlightPlans\\KSQLtoKMRY.Pln"), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("FlightPlans/KSQLtoKMRY.Pln"), plan);
}

// ---- settings files and the lock ------------------------------------------------------------

// A settings file that is a pipe, a device, a folder or larger than 16 MB is named to the user
// and left alone; the session's settings are kept beside it, and read again from there.
TEST_F(HeldValues, ASettingsFileThatIsNoPlainFileIsNamedAndTheSettingsKept) {
    struct Case {
        const char* name;
        void (*make)(const std::string& path);
        const char* why;
    };
    const Case cases[] = {
        {"pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); },
         "it is not a plain file"},
        {"device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
         "it is not a plain file"},
        {"folder", [](const std::string& p) { fs::create_directory(p); }, "it is not a plain file"},
        {"17 MB",
         [](const std::string& p) {
             { std::ofstream(p) << "[Settings]\nMainX=7\n"; }
             fs::resize_file(p, 17u << 20);
         },
         "it is larger than 16 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ini = dir.Path("Zephlon.ini");
        c.make(ini);
        const auto type = fs::symlink_status(ini).type();
        const auto size = fs::is_regular_file(ini) ? fs::file_size(ini) : 0;
        const CommandResult r =
            Play(std::string(kReadTheBox) + "frame-interval 20\nwait 500\nquit\n");
        ExpectSaid(r, std::string("The settings file Zephlon.ini cannot be used: ") + c.why);
        EXPECT_NE(r.out.find("kept in Zephlon.kept.ini instead"), std::string::npos) << r.out;
        const std::string kept = dir.Read("Zephlon.kept.ini");
        EXPECT_NE(kept.find("[Settings]"), std::string::npos) << kept;
        EXPECT_NE(kept.find("[Views]"), std::string::npos) << kept;
        EXPECT_EQ(fs::symlink_status(ini).type(), type);
        if (size != 0) {
            EXPECT_EQ(fs::file_size(ini), size);
        }
        // The next start reads the kept settings (a switch turned off there stays off) and keeps
        // them there again.
        std::string changed = kept;
        const std::size_t at = changed.find("crashdetect=1");
        ASSERT_NE(at, std::string::npos) << kept;
        changed.replace(at, 13, "crashdetect=0");
        dir.Write("Zephlon.kept.ini", changed);
        const CommandResult again = Play(std::string(kReadTheBox) + "wait 300\nquit\n");
        ExpectSaid(again, "Zephlon.kept.ini");
        EXPECT_NE(dir.Read("Zephlon.kept.ini").find("crashdetect=0"), std::string::npos)
            << dir.Read("Zephlon.kept.ini");
        fs::remove_all(ini);
        fs::remove(dir.Path("Zephlon.kept.ini"));
    }
}

// A folder standing where the single-copy lock goes: the program runs and says that a second copy
// would not be noticed; the folder stays.
TEST_F(HeldValues, ALockThatCannotBeTakenIsSaid) {
    fs::create_directory(dir.Path(".zephlon.lock"));
    const CommandResult r = Play(std::string(kReadTheBox) + "wait 300\nquit\n");
    ExpectSaid(r, "Zephlon cannot take its lock " + dir.Path(".zephlon.lock") +
                      ": a folder has that name");
    EXPECT_TRUE(fs::is_directory(dir.Path(".zephlon.lock")));
}

// ---- saves over symbolic links --------------------------------------------------------------

// A flight, a plan and the settings saved where a symbolic link stands go into the file the link
// names, and the link stays: the same way for all three.
TEST_F(HeldValues, SavesOverSymbolicLinksWriteTheFileTheLinkNames) {
    testsupport::TempFolder elsewhere("zephlon-linked");
    struct Case {
        const char* link;    // in the run
        const char* target;  // in the other folder
        const char* script;  // saves through the link
        const char* saved;   // what the saved file holds
    };
    const Case cases[] = {
        {"Flights/Linked.Flt", "Real.Flt",
         "frame-interval 20\nwait 300\nmenu 108\ndialog \"Save Flight\"\nset 1152 Linked\nclick 1\n"
         "dialog GENERIC\nclick 6\nwait 300\nquit\n",
         "[Aircraft]"},
        {"FlightPlans/Linked.Pln", "Real.Pln",
         "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\nset 1120 "
         "KSQLtoKMRY.Pln\nclick 1\n"
         "wait 300\nmenu 713\ndialog \"Save Flight Plan\"\nset 1152 Linked\nclick 1\ndialog "
         "GENERIC\nclick 6\n"
         "wait 300\nquit\n",
         "ptIdent0=KSQL"},
        {"Zephlon.ini", "Real.ini", "frame-interval 20\nwait 300\nquit\n", "[Views]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        elsewhere.Write(c.target, "old\n");
        fs::remove(dir.Path(c.link));  // the settings an earlier run wrote
        fs::create_symlink(elsewhere.Path(c.target), dir.Path(c.link));
        const CommandResult r = Play(c.script);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        ASSERT_TRUE(fs::is_symlink(dir.Path(c.link)));
        EXPECT_EQ(fs::read_symlink(dir.Path(c.link)), elsewhere.Path(c.target));
        EXPECT_NE(elsewhere.Read(c.target).find(c.saved), std::string::npos)
            << elsewhere.Read(c.target);
        // Nothing was left beside the link or the file it names.
        for (const auto& e : fs::directory_iterator(elsewhere.Root()))
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

}  // namespace
