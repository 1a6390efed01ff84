// The whole program fed damaged files, as a user's files can be: saved flights cut short, of
// random bytes, without their aircraft, with every value at a limit or past it; settings files
// with absurd values, garbage key bindings, a link to an endless device, a pipe, a file too large;
// a damaged resource pack; scripts with bad words and targets that are no files. Each run must
// end with the program's own refusal or normally, without a sanitizer report, and the good files
// already there must stay byte for byte as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;
using testsupport::StarterRun;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Corpus(const std::string& relative) {
    return ReadFile(fs::path(ZEPHLON_SOURCE_DIR) / "tests/app/hostile" / relative);
}

void ExpectNoSanitizerReport(const CommandResult& r) {
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
}

// Whether a line of the trace holds both texts, in that order.
bool HasLine(const std::string& out, const std::string& first, const std::string& then) {
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find(first);
        if (at != std::string::npos && line.find(then, at + first.size()) != std::string::npos)
            return true;
    }
    return false;
}

// The text of a flight or settings file with every value replaced, as `value` gives it.
std::string ReplaceValues(const std::string& text, const std::string& value) {
    std::istringstream in(text);
    std::string line;
    std::string out;
    while (std::getline(in, line)) {
        const std::size_t eq = line.find('=');
        const bool keep = eq == std::string::npos || line.rfind("type=", 0) == 0;
        out += (keep ? line : line.substr(0, eq + 1) + value) + "\n";
    }
    return out;
}

// The good files a run must leave alone: every flight the installation gave the folder.
std::map<std::string, std::string> Snapshot(const StarterRun& run) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(run.Dir().Path("Flights")))
        files[e.path().filename().string()] = ReadFile(e.path());
    return files;
}

void ExpectUnchanged(const std::map<std::string, std::string>& before, const StarterRun& run) {
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(ReadFile(run.Dir().Path("Flights/" + name)), bytes) << name;
}

// Resumes a flight of the folder "Flights" through the Resume Flight dialog and flies on.
std::string Resume(const std::string& name, bool refused) {
    std::string s;
    if (refused) s += "answer \"could not be loaded\" OK\n";
    s += "menu 109\ndialog \"Resume Flight\"\nset 1120 " + name + "\nkey Return press\nwait 400\n";
    return s;
}

// Damaged flights resumed one after another in one run; those without their aircraft are
// refused with the program's message and change nothing, the others fly on.
TEST(HostileInput, DamagedFlights) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-hostile-flights");
    const std::string good = ReadFile(StarterRun::Install() / "Flights" / "Startup.Flt");
    ASSERT_NE(good.find("type="), std::string::npos);
    std::string randomBytes;
    std::uint32_t state = 31;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        randomBytes += static_cast<char>(state >> 24);
    }
    struct Damaged {
        std::string name;
        std::string text;
        bool refused;
    };
    const std::vector<Damaged> flights = {
        {"Empty.Flt", "", true},
        {"Random.Flt", randomBytes, true},
        {"NoAircraft.Flt", Corpus("flights/no_aircraft.Flt"), true},
        {"NoType.Flt", Corpus("flights/no_type.Flt"), true},
        {"WordType.Flt", Corpus("flights/word_type.Flt"), true},
        {"Cut.Flt", good.substr(0, good.size() / 3), false},
        {"Limits.Flt", Corpus("flights/limits.Flt"), false},
        {"Lowest.Flt", ReplaceValues(good, "-2147483648"), false},
        {"Highest.Flt", ReplaceValues(good, "2147483647"), false},
        {"PastAll.Flt", ReplaceValues(good, "-99999999999999999999"), false},
        {"Words.Flt", ReplaceValues(good, "\x01garbage;[x]=y"), false},
        {"LongLines.Flt", good + "[Long]\n" + std::string(1 << 20, 'x') + "=" +
                              std::string(1 << 20, '9') + "\n",
         false},
    };
    // The flights with values past their limits say so, once each.
    std::string script = "answer \"nearest it allows\" OK always\nframe-interval 20\nwait 500\n";
    for (const Damaged& f : flights) {
        run.Dir().Write("Flights/" + f.name, f.text);
        script += Resume(f.name, f.refused);
    }
    // The restart reloads the last flight loaded, damaged as it is.
    script += "key Ctrl+E press\nwait 400\nquit\n";
    std::map<std::string, std::string> before = Snapshot(run);
    const CommandResult r = run.Play(script);
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
    EXPECT_NE(r.out.find("exit=0"), std::string::npos);
    ExpectNoSanitizerReport(r);
    for (const Damaged& f : flights) {
        EXPECT_EQ(HasLine(r.out, "flight: resumed ", f.name), !f.refused) << f.name;
        EXPECT_EQ(HasLine(r.out, "flight: ", f.name + " names no aircraft"), f.refused) << f.name;
    }
    ExpectUnchanged(before, run);
}

// Every value of the first flight's aircraft at each end of its field, one key a flight, resumed
// one after another: the aircraft flies on held to what it allows (under 50,000 ft, slower than
// 400 kt; a place off the covered area is the world's to wrap), each flight that had to be held
// says so in one message naming the key, and no sanitizer reports anything.
TEST(HostileInput, EveryAircraftValueAtTheEndsOfItsFieldIsHeldAndSaidOnce) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-hostile-extremes");
    const std::string good = ReadFile(StarterRun::Install() / "Flights" / "Startup.Flt");
    const std::size_t section = good.find("[Aircraft]");
    ASSERT_NE(section, std::string::npos);
    const std::size_t sectionEnd = good.find("\n[", section + 1);
    std::istringstream lines(good.substr(section, sectionEnd - section));
    // The ends of each field as wide as the record keeps it.
    const std::map<std::string, std::pair<long long, long long>> widths = {
        {"i32", {-2147483648LL, 2147483647LL}}, {"u16", {0, 65535}}, {"i16", {-32768, 32767}},
        {"i8", {-128, 127}}};
    auto widthOf = [](const std::string& key) -> std::string {
        static const std::vector<std::string> u16 = {"fmPitch", "fmBank", "fmHead"};
        static const std::vector<std::string> i16 = {"fmYVel", "fmRVel", "fmElvCur", "fmWndANG",
                                                     "fmAllowWA", "fmCNAdj", "fmDeltaH", "fmSpoil",
                                                     "fmElv", "fmAil", "fmRud", "fmThrot",
                                                     "fmAdjustedTach"};
        static const std::vector<std::string> i8 = {"fmOTG", "fmInvert", "fmEngines", "fmOGV",
                                                    "fmFlaps", "fmGear", "fmAfter", "fmRBrake",
                                                    "fmLBrake", "fmRThrust", "fmMultiEngineSynch"};
        auto in = [&](const std::vector<std::string>& v) {
            return std::find(v.begin(), v.end(), key) != v.end();
        };
        return in(u16) ? "u16" : in(i16) ? "i16" : in(i8) ? "i8" : "i32";
    };
    std::string script = "frame-interval 20\nwait 300\n";
    std::vector<std::string> names;
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || line.rfind("fm", 0) != 0) continue;
        const std::string key = line.substr(0, eq);
        const auto [low, high] = widths.at(widthOf(key));
        for (const long long v : {low, high}) {
            const std::string name = key + (v == low ? "Low" : "High") + ".Flt";
            std::string text = good;
            const std::size_t at = text.find("\n" + line + "\n", section) + 1;
            text.replace(at, line.size(), key + "=" + std::to_string(v));
            run.Dir().Write("Flights/" + name, text);
            names.push_back(name);
            script += "answer \"nearest it allows\" OK\nmenu 109\ndialog \"Resume Flight\"\nset 1120 " +
                      name + "\nkey Return press\nwait 200\nsave @dir/" + name + ".after\n";
        }
    }
    ASSERT_GE(names.size(), 80u);
    for (std::size_t at; (at = script.find("@dir")) != std::string::npos;)
        script.replace(at, 4, run.Dir().Root());
    const CommandResult r = run.Play(script + "quit\n");
    EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
    ExpectNoSanitizerReport(r);
    std::size_t said = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string after = run.Dir().Read(name + ".after");
        ASSERT_FALSE(after.empty());
        auto value = [&](const char* key) { return testsupport::SavedValue(after, key).value_or(0); };
        EXPECT_GE(value("fmPosY"), 0);
        EXPECT_LE(value("fmPosY"), 15240LL * 256);  // 50,000 ft in 1/256 m
        for (const char* speed : {"fmHVel", "fmTAVel", "fmVVel"})
            EXPECT_LE(std::llabs(value(speed)), 206LL << 16) << speed;  // 400 kt in m/s, 16.16
        const std::string key = name.substr(0, name.find(name.find("Low") != std::string::npos ? "Low" : "High"));
        const std::string box = "The flight Flights/" + name + " holds values the aircraft cannot have (" + key;
        if (r.out.find(box) != std::string::npos) ++said;
    }
    // The flights of the kind are among those said: a height of 2^31 - 1.
    EXPECT_NE(r.out.find("Flights/fmPosYHigh.Flt holds values"), std::string::npos) << r.out.substr(0, 4000);
    EXPECT_NE(r.out.find("Flights/fmFuel1Low.Flt holds values"), std::string::npos);
    // Each load says it at most once.
    std::size_t boxes = 0;
    for (std::size_t at = 0; (at = r.out.find("dialog GENERIC \"", at)) != std::string::npos; ++at) ++boxes;
    EXPECT_EQ(boxes, said);
    EXPECT_GE(said, 40u);
}

// Settings files a user may have broken: each run starts on it, flies a little and closes. The
// program runs on what it can read; files it cannot read it leaves as they are.
TEST(HostileInput, DamagedSettings) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    // The settings a normal run leaves behind name every key the program keeps.
    std::string written;
    {
        StarterRun first("zephlon-hostile-settings");
        const CommandResult r = first.Play("wait 300\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        written = first.Dir().Read("Zephlon.ini");
        ASSERT_NE(written.find('='), std::string::npos);
    }
    const std::string bindings = Corpus("settings/bindings.ini");
    struct Settings {
        const char* name;
        std::string text;
    };
    const Settings cases[] = {
        {"lowest", ReplaceValues(written, "-2147483648") + Corpus("settings/memory.ini")},
        {"highest", ReplaceValues(written, "2147483647")},
        {"past every limit", ReplaceValues(written, "99999999999999999999999")},
        {"words and garbage bindings", ReplaceValues(written, "\x7f[;=") + bindings},
    };
    const std::string script =
        "frame-interval 20\nwait 400\nkey Z press\nkey S down\nwait 300\nkey S up\n"
        "key Back press\nwait 300\nkey Ctrl+E press\nwait 200\nquit\n";
    for (const Settings& c : cases) {
        SCOPED_TRACE(c.name);
        StarterRun run("zephlon-hostile-settings");
        run.Dir().Write("Zephlon.ini", c.text);
        const auto before = Snapshot(run);
        const CommandResult r = run.Play(script);
        EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
        EXPECT_NE(r.out.find("start-up done"), std::string::npos);
        EXPECT_NE(r.out.find("exit=0"), std::string::npos);
        ExpectNoSanitizerReport(r);
        ExpectUnchanged(before, run);
    }
}

// Settings that are no settings files at all: a link to an endless device, a pipe that would
// hold the open for ever, a link that leads back to itself, a file past the size a settings file
// may have. The program says so, keeps its settings beside them and leaves them as they are.
TEST(HostileInput, SettingsThatAreNoFiles) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    for (const auto& [settings, joystick] :
         {std::pair{"/dev/zero", "pipe"}, std::pair{"Zephlon.ini", "joystick.ini"}}) {
        StarterRun run("zephlon-hostile-device");
        fs::create_symlink(settings, run.Dir().Path("Zephlon.ini"));
        if (joystick == std::string("pipe"))
            ASSERT_EQ(mkfifo(run.Dir().Path("joystick.ini").c_str(), 0600), 0);
        else
            fs::create_symlink(joystick, run.Dir().Path("joystick.ini"));
        const CommandResult r = run.Play("wait 300\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        ExpectNoSanitizerReport(r);
        for (const char* name : {"Zephlon.ini", "joystick.ini"})
            EXPECT_NE(r.out.find(std::string(name) + " cannot be used: it is not a plain file"),
                      std::string::npos)
                << r.out;
        EXPECT_TRUE(fs::is_symlink(run.Dir().Path("Zephlon.ini")));
        struct stat st {};
        ASSERT_EQ(lstat(run.Dir().Path("joystick.ini").c_str(), &st), 0);
        EXPECT_TRUE(joystick == std::string("pipe") ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode));
    }
    {
        StarterRun run("zephlon-hostile-large");
        std::string large = "[Views]\nmag=1\n";
        large.resize((20u << 20), ';');
        run.Dir().Write("Zephlon.ini", large);
        const CommandResult r = run.Play("wait 300\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        ExpectNoSanitizerReport(r);
        EXPECT_NE(r.out.find("Zephlon.ini cannot be used: it is larger than 16 MB"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(run.Dir().Read("Zephlon.ini") == large, true);
    }
}

// Scripts with bad words stop before the program starts, saying which line is wrong.
TEST(HostileInput, ScriptsWithBadWords) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    std::istringstream lines(Corpus("scripts/bad_lines.txt"));
    std::string line;
    int cases = 0;
    StarterRun run("zephlon-hostile-scripts");
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        ++cases;
        const CommandResult r = run.Play("wait 10\n" + line + "\nquit\n");
        EXPECT_EQ(r.status, 2) << line << "\n" << r.out;
        EXPECT_NE(r.out.find("line 2: "), std::string::npos) << line << "\n" << r.out;
        ExpectNoSanitizerReport(r);
    }
    EXPECT_GT(cases, 10);
}

// Targets a save cannot take: a folder and a pipe stay what they are, the run fails with its
// message, and a program closed that way leaves nothing for the sanitizers to find.
TEST(HostileInput, SavesThatCannotBeMade) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-hostile-save");
    run.Dir().MakeFolders("AFolder");
    const std::string pipe = run.Dir().Path("APipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& target : {run.Dir().Path("AFolder"), pipe}) {
        const CommandResult r = run.Play("wait 300\nsave " + target + "\nwait 100\nquit\n");
        EXPECT_EQ(r.status, 3) << r.out;
        EXPECT_NE(r.out.find("cannot save " + target), std::string::npos) << r.out;
        ExpectNoSanitizerReport(r);
    }
    EXPECT_TRUE(fs::is_directory(run.Dir().Path("AFolder")));
    struct stat st {};
    ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// The flight-save dialog, answered Yes wherever it asks: a flight saved over an empty start-up
// flight (whose box is still up) is written whole, with no temporary left; a name typed with
// another kind's extension saves a flight of its own beside the pilot's file or the plan, which
// stay as they were.
TEST(HostileInput, SavedFlightsLandWholeAndReplaceOnlyFlights) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    struct Row {
        const char* typed;
        const char* emptied;  // made empty before the start, if any
        const char* kept;     // must keep its bytes
        const char* saved;    // must hold the flight afterwards
    };
    const Row rows[] = {
        {"Startup", "Flights/Startup.Flt", nullptr, "Flights/Startup.Flt"},
        {"..\\PILOT\\Student.PLT", nullptr, "PILOT/Student.PLT", "PILOT/Student.PLT.Flt"},
        {"../FlightPlans/CaliforniaTour.Pln", nullptr, "FlightPlans/CaliforniaTour.Pln",
         "FlightPlans/CaliforniaTour.Pln.Flt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        StarterRun run("zephlon-hostile-save-name");
        if (row.emptied != nullptr) run.Dir().Write(row.emptied, "");
        const std::string before = row.kept != nullptr ? run.Dir().Read(row.kept) : "";
        const CommandResult r = run.Play(std::string("frame-interval 20\nwait 500\nmenu 108\n"
                                                     "dialog \"Save Flight\"\nset 1152 ") +
                                         row.typed +
                                         "\nclick 1\nwait 300\nkey Return press\nwait 300\n"
                                         "key Return press\nwait 300\nquit\n");
        if (row.kept != nullptr) {
            EXPECT_EQ(run.Dir().Read(row.kept), before) << r.out;
        }
        EXPECT_NE(run.Dir().Read(row.saved).find("[Aircraft]"), std::string::npos) << r.out;
        const fs::path folder = fs::path(run.Dir().Path(row.saved)).parent_path();
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_NE(e.path().filename().string().front(), '.') << "left behind: " << e.path();
        ExpectNoSanitizerReport(r);
    }
}

// The exit question takes the script's answers: No keeps the program running, Yes ends it.
TEST(HostileInput, AnswersReachTheExitQuestion) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-hostile-answer");
    const CommandResult r =
        run.Play("wait 300\nanswer Exit No\nquit\nwait 300\nanswer Exit Yes\nquit\n");
    EXPECT_EQ(r.status, 0) << r.out;
    const std::size_t no = r.out.find("answered No");
    const std::size_t yes = r.out.find("answered Yes");
    EXPECT_NE(no, std::string::npos) << r.out;
    EXPECT_NE(yes, std::string::npos) << r.out;
    EXPECT_LT(no, yes);
    ExpectNoSanitizerReport(r);
}

// A damaged resource pack: the program refuses to start, says why (in a message box and on the
// error output), and the run reports the failure in its exit status.
TEST(HostileInput, DamagedResourcePack) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-hostile-pack");
    // A copy of the runner beside a pack of its own (a hard link costs nothing).
    std::error_code ec;
    fs::create_hard_link(StarterRun::Simrun(), run.Dir().Path("simrun"), ec);
    if (ec) GTEST_SKIP() << "cannot link the runner: " << ec.message();
    const std::string pack = ReadFile(fs::path(ZEPHLON_BINARY_DIR) / "bin" / "Zephlon.pack");
    ASSERT_GT(pack.size(), 64u);
    // An empty pack and one of noise are refused at the start; one cut in half may lose only
    // members the start does without, but must never crash.
    const std::pair<std::string, bool> damaged[] = {{"", true},
                                                    {std::string(pack.size(), '\xff'), true},
                                                    {pack.substr(0, pack.size() / 2), false}};
    for (const auto& [bytes, refused] : damaged) {
        run.Dir().Write("Zephlon.pack", bytes);
        run.Dir().Write("script.txt",
                        "answer \"cannot start\" OK\nanswer \"lacks\" OK always\nwait 300\nquit\n");
        const CommandResult r = testsupport::RunCommand(run.Dir().Path("simrun") + " --dir " +
                                                        run.Dir().Root() + " " +
                                                        run.Dir().Path("script.txt") + " 2>&1");
        if (refused) {
            EXPECT_NE(r.status, 0) << r.out;
            EXPECT_NE(r.out.find("start: "), std::string::npos) << r.out;
            // Said in a message box of the program's own making (the pack holds none) and where a
            // user who started it from a terminal looks, naming the pack.
            EXPECT_NE(r.out.find("dialog - \"Zephlon\": Zephlon cannot start: the resource pack"),
                      std::string::npos)
                << r.out;
            EXPECT_NE(r.out.find("zephlon: cannot start: the resource pack"), std::string::npos)
                << r.out;
        }
        ExpectNoSanitizerReport(r);
    }
}

// A resource pack that opens but lacks a dialog template (one of another build, or damaged on
// the way): the start names what is missing, in a message box and on the error output; the
// program runs, and File > Exit and the close box still end it, even without the exit question.
TEST(HostileInput, AResourcePackWithoutSomeTemplatesIsNamedAndTheProgramStillEnds) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const fs::path rescomp = fs::path(ZEPHLON_BINARY_DIR) / "bin" / "rescomp";
    if (!fs::exists(rescomp)) GTEST_SKIP() << "the resource compiler is not built";
    struct Lacking {
        const char* templ;
        const char* end;  // how the user ends the program
    };
    const Lacking cases[] = {{"Exit", "menu 168\nwait 300\n"},
                             {"Exit", "quit\n"},
                             {"FP_CLOSE", "menu 168\nwait 300\n"},
                             {"GENERIC", "quit\n"},
                             {"SelectPilot", "menu 673\nwait 300\nquit\n"}};
    for (const Lacking& c : cases) {
        SCOPED_TRACE(std::string(c.templ) + " " + c.end);
        StarterRun run("zephlon-hostile-templates");
        std::error_code ec;
        fs::create_hard_link(StarterRun::Simrun(), run.Dir().Path("simrun"), ec);
        if (ec) GTEST_SKIP() << "cannot link the runner: " << ec.message();
        // The resource script without the template's block, compiled as the build compiles it.
        const fs::path script = run.Dir().Path("res");
        fs::copy(fs::path(ZEPHLON_SOURCE_DIR) / "resources", script, fs::copy_options::recursive);
        bool cut = false;
        for (const auto& e : fs::directory_iterator(script)) {
            if (e.path().extension() != ".rc") continue;
            std::string text = ReadFile(e.path());
            const std::size_t at = text.find("\n" + std::string(c.templ) + " DIALOGEX");
            if (at == std::string::npos) continue;
            const std::size_t end = text.find("\nEND", at);
            text.erase(at, end + 4 - at);
            std::ofstream(e.path(), std::ios::binary) << text;
            cut = true;
        }
        ASSERT_TRUE(cut);
        const CommandResult made = testsupport::RunCommand(
            rescomp.string() + " -I " + ZEPHLON_BINARY_DIR + "/skin " + (script / "zephlon.rc").string() +
            " " + run.Dir().Path("Zephlon.pack") + " 2>&1");
        ASSERT_EQ(made.status, 0) << made.out;
        run.Dir().Write("script.txt", std::string("answer \"lacks\" OK\nanswer \"is missing\" OK always\n"
                                                  "wait 300\n") + c.end);
        const CommandResult r = testsupport::RunCommand(run.Dir().Path("simrun") + " --dir " +
                                                        run.Dir().Root() + " " +
                                                        run.Dir().Path("script.txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
        EXPECT_NE(r.out.find("exit=0"), std::string::npos);
        ExpectNoSanitizerReport(r);
        const std::string said = "The resource pack Zephlon.pack lacks the dialog " + std::string(c.templ) + ".";
        EXPECT_NE(r.out.find("zephlon: " + said), std::string::npos) << r.out.substr(0, 3000);
        EXPECT_NE(r.out.find(": " + said), std::string::npos) << r.out.substr(0, 3000);
        if (std::string(c.templ) == "SelectPilot") {
            EXPECT_NE(r.out.find("The dialog SelectPilot is missing from the resource pack"), std::string::npos);
        }
    }
}

}  // namespace
