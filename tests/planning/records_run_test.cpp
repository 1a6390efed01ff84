// The pilot's records as a user keeps them, driven by the committed scripts beside this test in
// the starter installation: flights typed into the logbook and found in the pilot file by a
// reader of its own; a new pilot chosen after a refused name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "nav/independent_projection.h"
#include "support/audio.h"
#include "support/bmp_pixels.h"
#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// One logbook entry as the file lays it out, read without the program's reader.
struct Entry {
    int month, day, year, aircraft, conditions;
    std::string from, to, remarks;
    float hours;
};

std::vector<Entry> ReadLogbook(const std::string& bytes) {
    std::vector<Entry> entries;
    auto u16 = [&](std::size_t at) {
        return static_cast<int>(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                                          (static_cast<unsigned char>(bytes[at + 1]) << 8)));
    };
    if (bytes.size() < 106) return entries;
    const int count = u16(104);
    for (int i = 0; i < count && 106 + (i + 1) * 536 <= static_cast<int>(bytes.size()); ++i) {
        const std::size_t e = 106 + static_cast<std::size_t>(i) * 536;
        Entry x{u16(e + 6), u16(e + 4), u16(e + 8), u16(e + 10), u16(e + 526),
                bytes.c_str() + e + 12, bytes.c_str() + e + 140, bytes.c_str() + e + 268, 0.0F};
        std::memcpy(&x.hours, bytes.data() + e + 532, 4);
        entries.push_back(x);
    }
    return entries;
}

// The keys of one section of a saved flight, read as plain text.
std::map<std::string, std::string> Section(const std::string& file, const std::string& name) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(file);
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + name + "]";
        } else if (inside && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

std::vector<std::string> Split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(by, at)) != std::string::npos; at = next + by.size())
        parts.push_back(text.substr(at, next - at));
    parts.push_back(text.substr(at));
    return parts;
}

// An 8-bit BMP's colour index at a point of the screen (-1 outside it).
int PixelIndex(const std::string& bmp, int x, int y) {
    const auto* b = reinterpret_cast<const unsigned char*>(bmp.data());
    if (bmp.size() < 54 || b[0] != 'B' || b[28] != 8) return -1;
    const unsigned offset = b[10] | (b[11] << 8) | (b[12] << 16);
    const int width = b[18] | (b[19] << 8), height = b[22] | (b[23] << 8);
    const std::size_t row = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    const std::size_t at = offset + row * static_cast<std::size_t>(height - 1 - y) + static_cast<std::size_t>(x);
    return x < 0 || y < 0 || x >= width || y >= height || at >= bmp.size() ? -1 : b[at];
}

// How many pixels of a square around a point differ between two pictures.
int Differences(const std::string& a, const std::string& b, int cx, int cy, int half) {
    int n = 0;
    for (int y = cy - half; y <= cy + half; ++y)
        for (int x = cx - half; x <= cx + half; ++x)
            n += PixelIndex(a, x, y) != PixelIndex(b, x, y) ? 1 : 0;
    return n;
}

// The level of the left channel of a captured WAV between two times (seconds).
double Level(const std::string& wav, double from, double to) {
    const testsupport::WavFile w = testsupport::ReadWav16(wav);
    if (w.rate == 0 || w.channels != 2) return -1;
    const auto first = static_cast<std::size_t>(from * w.rate);
    const auto count = static_cast<std::size_t>((to - from) * w.rate);
    return testsupport::Rms(testsupport::Channel(w.samples, 0, first, count));
}

class RecordScripts : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(bin) || !fs::exists(install / "PILOT"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        // The pilots and flights are copied, since the scripts write them; the rest is linked.
        testsupport::LinkStarterFolders(dir, {"PILOT", "Flights"});
    }

    testsupport::CommandResult Run(const char* name) {
        dir.Write(name, testsupport::CommittedScript(std::string("planning/scripts/") + name, dir.Root()));
        return testsupport::RunCommand(bin + " --dir " + dir.Root() + " " + dir.Path(name) + " 2>&1");
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-records"};
};

TEST_F(RecordScripts, FlightsTypedIntoTheLogbookAreKeptOldestFirst) {
    const testsupport::CommandResult r = Run("logbook.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("logbook: saved 3 entries for Student"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const std::vector<Entry> log = ReadLogbook(dir.Read("PILOT/Student.PLT"));
    ASSERT_EQ(log.size(), 3u) << r.out;
    // 12/31/99 before 1/1/00 before the year typed as 45, kept as 35.
    EXPECT_EQ(log[0].year, 99);
    EXPECT_EQ(log[0].to, "KOAK");
    EXPECT_EQ(log[0].remarks, "first night flight");
    EXPECT_EQ(log[0].conditions, 0);
    EXPECT_EQ(log[0].aircraft, 0);
    EXPECT_FLOAT_EQ(log[0].hours, 1.5F);
    EXPECT_EQ(log[1].month * 10000 + log[1].day * 100 + log[1].year, 10100);
    EXPECT_EQ(log[1].aircraft, 1);
    EXPECT_EQ(log[1].to, "KSJC");
    EXPECT_EQ(log[2].year, 35);
    EXPECT_EQ(log[2].conditions, 1);
    EXPECT_FLOAT_EQ(log[2].hours, 0.8F);  // "hood work" is no number: asked again
    EXPECT_NE(r.out.find("Enter the hours flown"), std::string::npos) << r.out;
}

TEST_F(RecordScripts, ANewPilotIsMadeAfterARefusedName) {
    const testsupport::CommandResult r = Run("pilots.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // The refusal names every character a name may hold, blanks, - and _ among them.
    EXPECT_NE(r.out.find("Pilot names may hold only letters, digits, blanks, - and _."),
              std::string::npos)
        << r.out;
    // Once: no second box follows the refusal.
    EXPECT_EQ(r.out.find("You Must Select a Pilot."), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Jo Pilot", 9));
    EXPECT_EQ(dir.Read("PILOT/Jo Pilot.PLT").size(), 106u);
    EXPECT_FALSE(fs::exists(dir.Path("PILOT/a.b.PLT")));
}

TEST_F(RecordScripts, BlanksAroundAPilotNameAreNoPartOfIt) {
    const testsupport::CommandResult r = Run("pilot-blanks.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("You Must Select a Pilot."), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Jo", 3));
    std::vector<std::string> pilots;
    for (const fs::directory_entry& e : fs::directory_iterator(dir.Path("PILOT")))
        if (e.path().extension() == ".PLT") pilots.push_back(e.path().filename().string());
    std::sort(pilots.begin(), pilots.end());
    EXPECT_EQ(pilots, (std::vector<std::string>{"Jo.PLT", "Student.PLT"}));
}

TEST_F(RecordScripts, AFirstStartWithoutPilotsAsksForOneThatCannotBeCancelled) {
    fs::remove_all(dir.Path("PILOT"));
    const testsupport::CommandResult r = Run("first-pilot.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* seen : {"rows=1", "row 0: \"Student\"", "read 2 Button \"Cancel\" enabled=0",
                             "read 1580 Button \"Delete\" enabled=0", "start-up done"})
        EXPECT_NE(r.out.find(seen), std::string::npos) << seen << "\n" << r.out;
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Student", 8));
    EXPECT_EQ(dir.Read("PILOT/Student.PLT").size(), 106u);
}

TEST_F(RecordScripts, TheLessonPreflightKeepsTheNextLessonInThePilotFile) {
    const testsupport::CommandResult r = Run("lesson.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string plt = dir.Read("PILOT/Student.PLT");
    ASSERT_GE(plt.size(), 106u);
    EXPECT_EQ(plt[94], 3);
    EXPECT_EQ(plt[95], 0);
    EXPECT_NE(r.out.find("Lesson 3:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("lesson: loaded zqLess3.txt"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("zqLess1.txt"), std::string::npos) << r.out;  // the first was not started
}

// With the dump asked for, the statements read are written to "Less.out": every instructor line
// heard is one of its sounds, the first heard its first. Without it no dump is written.
TEST_F(RecordScripts, TheLessonDumpIsWrittenWhenAsked) {
    EXPECT_EQ(Run("maneuver.simrun").status, 0);
    EXPECT_FALSE(fs::exists(dir.Path("Less.out")));
    dir.Write("Zephlon.ini", "[Debug]\nDumpLess=1\n");
    const testsupport::CommandResult r = Run("lesson-dump.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(fs::exists(dir.Path("Less.out"))) << r.out;
    const std::string dump = dir.Read("Less.out");
    const std::size_t heard = r.out.find("lesson: sound ");
    ASSERT_NE(heard, std::string::npos) << r.out;
    for (std::size_t at = heard; at != std::string::npos; at = r.out.find("lesson: sound ", at + 1)) {
        const std::string id = r.out.substr(at + 14, r.out.find('\n', at) - at - 14);
        EXPECT_NE(dump.find("[SOUND] [id: " + id + "]"), std::string::npos) << id << "\n" << dump;
    }
    const std::string first = r.out.substr(heard + 14, r.out.find('\n', heard) - heard - 14);
    EXPECT_EQ(dump.find("[SOUND] [id: " + first + "]"), dump.find("[SOUND]")) << dump;
    EXPECT_NE(dump.find("[ENDPROC] [EPr]"), std::string::npos) << dump;
}

// A manoeuvre the program cannot start (its script stands as a loose file beside the lessons'
// volume, in its place) is refused with a message box that names it and says why: a line it
// cannot read, or one whose operands mean nothing a lesson can do, by its number.
TEST_F(RecordScripts, AManoeuvreThatCannotStartSaysWhy) {
    struct Case {
        const char* name;
        const char* script;
        const char* why;
    };
    const Case cases[] = {
        {"its flight is not there",
         "TITLE Straight and Level Flight\r\nFLTFILE Nowhere.Flt\r\nEXEC STRAIGHT_LEVEL_INIT\r\n",
         "its flight Nowhere.Flt cannot be loaded"},
        {"its flight lies outside the installation",
         "TITLE Straight and Level Flight\r\nFLTFILE ..\\..\\Cruise.Flt\r\nEXEC "
         "STRAIGHT_LEVEL_INIT\r\n",
         "line 2 (FLTFILE ..\\..\\Cruise.Flt): its flight ..\\..\\Cruise.Flt lies outside the "
         "installation"},
        {"a line no lesson has",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nFLY_TO_THE_MOON 3\r\n",
         "line 3 (FLY_TO_THE_MOON 3): FLY_TO_THE_MOON is no word of the lesson language"},
        {"a range that is no number",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nRANGETEST AIRSPEED_RANGE_TEST 0 "
         "nan\r\n",
         "line 3 (RANGETEST AIRSPEED_RANGE_TEST 0 nan): its high bound nan is no whole number"},
        {"a bound written with an exponent",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nRANGETEST AIRSPEED_RANGE_TEST "
         "1e20 -5\r\n",
         "line 3 (RANGETEST AIRSPEED_RANGE_TEST 1e20 -5): its low bound 1e20 is no whole number"},
        {"a range from high to low",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nRANGETEST AIRSPEED_RANGE_TEST "
         "120 -5\r\n",
         "line 3 (RANGETEST AIRSPEED_RANGE_TEST 120 -5): its range runs backwards"},
        {"a phrase past the field",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nSAY 99999999 3\r\n",
         "line 3 (SAY 99999999 3): its phrase 99999999 is no whole number from 0 to 32767"},
        {"an action there is none of",
         "TITLE Straight and Level Flight\r\nFLTFILE Cruise.Flt\r\nEXEC NO_SUCH_ROUTINE\r\n",
         "line 3 (EXEC NO_SUCH_ROUTINE): NO_SUCH_ROUTINE is no action a lesson can take"},
    };
    fs::remove(dir.Path("Lessons"));
    dir.MakeFolders("Lessons");
    fs::create_symlink(fs::path(ZEPHLON_BINARY_DIR) / "install" / "Lessons" / "Lessons.Vol",
                       dir.Path("Lessons/Lessons.Vol"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("Lessons/zqMan0.txt", c.script);
        const testsupport::CommandResult r = Run("lesson-rejected.simrun");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("read 2023 Static \"The lesson zqMan0.txt cannot be started: " +
                             std::string(c.why)),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("lesson: loaded"), std::string::npos) << r.out;
    }
}

// Each manoeuvre, the one selected on opening and each chosen after, says what it asks of the
// pilot under the list: a sentence of its own, the same again when chosen again.
TEST_F(RecordScripts, EachManoeuvreIsDescribed) {
    const testsupport::CommandResult r = Run("maneuver-descriptions.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> said;
    const std::string mark = "read 1804 Edit \"";
    for (std::size_t at = r.out.find(mark); at != std::string::npos; at = r.out.find(mark, at + 1))
        said.push_back(
            r.out.substr(at + mark.size(), r.out.find('"', at + mark.size()) - at - mark.size()));
    ASSERT_EQ(said.size(), 7u) << r.out;
    EXPECT_EQ(said.front(), said.back());
    const std::set<std::string> distinct(said.begin(), said.end() - 1);
    EXPECT_EQ(distinct.size(), 6u) << r.out;
    for (const std::string& s : said)
        EXPECT_GT(s.size(), 30u) << s;
}

// The instructor's lines come in the script's order, a wait of n steps being n lesson steps of
// 18 ticks each: 3, 5 and 5 steps after the first three lines, 5 before asking for the slower
// speed, and 2 between the verdict and the last line and after it.
TEST_F(RecordScripts, AManoeuvreRunsItsScriptToTheEnd) {
    const testsupport::CommandResult r = Run("maneuver.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t at = 0;
    for (const char* line : {"dialog FlightManeuver", "Cruise.Flt", "lesson: loaded zqMan0.txt",
                             "lesson: sound 21000", "lesson: sound 21001", "lesson: sound 21002",
                             "lesson: sound 21003", "lesson: sound 21005", "lesson: sound 19994",
                             "lesson: sound 21004", "lesson: ended"}) {
        at = r.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("copilot takes control"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    // Trimmed cruise: about 3,000 ft (scene units of 1.2890625 ft), held within 50 ft for half a
    // minute with nobody at the controls.
    const std::size_t first = r.out.find("report ac_z=");
    const std::size_t last = r.out.rfind("report ac_z=");
    ASSERT_NE(first, last) << r.out;
    const double start = std::stod(r.out.substr(first + 12)) * 1.2890625;
    const double end = std::stod(r.out.substr(last + 12)) * 1.2890625;
    EXPECT_NEAR(start, 3000.0, 100.0);
    EXPECT_NEAR(end, start, 50.0);
    // Each line's simulated time: the waits between them, in steps of 18 ticks (18 / 18.2 s),
    // seen at the 250 ms frames the script asks for.
    auto when = [&](const char* line) {
        const std::size_t at = r.out.rfind('[', r.out.find(line));
        return std::stod(r.out.substr(at + 1));
    };
    const struct {
        const char* after;
        const char* line;
        int steps;
    } waits[] = {{"lesson: sound 21000", "lesson: sound 21001", 3}, {"lesson: sound 21001", "lesson: sound 21002", 5},
                 {"lesson: sound 21002", "lesson: sound 21003", 5}, {"lesson: sound 21003", "lesson: sound 21005", 5},
                 {"lesson: sound 19994", "lesson: sound 21004", 2}, {"lesson: sound 21004", "lesson: ended", 2}};
    for (const auto& w : waits)
        EXPECT_NEAR(when(w.line) - when(w.after), w.steps * 18 / 0.0182, 260.0) << w.line;
}

// The instructor is heard: with the engine and effect sounds muted the cockpit is quiet, and
// the manoeuvre's first line sounds a lesson step (18 ticks, about a second) after its start.
TEST_F(RecordScripts, TheInstructorIsHeardWhenALineIsDue) {
    const testsupport::CommandResult r = Run("lesson-speech.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("lesson: sound 21000"), std::string::npos) << r.out;
    const std::string quiet = dir.Read("quiet.wav");
    const std::string said = dir.Read("said.wav");
    EXPECT_LT(Level(quiet, 2.0, 3.0), 20.0);  // muted, and nothing said yet
    EXPECT_LT(Level(said, 0.0, 0.8), 20.0);   // the lesson's flight loaded, its first step to come
    EXPECT_GT(Level(said, 1.2, 2.5), 500.0);  // spoken
    EXPECT_GT(Level(said, 2.5, 4.5), 500.0);  // a whole sentence, not a click
}

// Partial-panel practice: the 172's attitude and heading indicators covered from the menu show
// covered (the other instruments as they were), and a flight saved then keeps the covers.
TEST_F(RecordScripts, CoveredInstrumentsShowCoveredAndAreKept) {
    const testsupport::CommandResult r = Run("partial-panel.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const std::string before = dir.Read("uncovered.bmp");
    const std::string after = dir.Read("covered.bmp");
    const struct {
        const char* instrument;
        int x, y;
        bool covered;
    } faces[] = {{"attitude", 180, 234, true},   {"heading", 180, 370, true},
                 {"airspeed", 60, 252, false},   {"turn coordinator", 60, 370, false},
                 {"altimeter", 298, 252, false}, {"vertical speed", 298, 370, false}};
    for (const auto& f : faces) {
        const int changed = Differences(before, after, f.x, f.y, 30);
        if (f.covered)
            EXPECT_GT(changed, 900) << f.instrument;
        else
            EXPECT_LT(changed, 60) << f.instrument;  // a needle may move a little
    }
    // Both covers are the same plate.
    EXPECT_EQ(PixelIndex(after, 160, 234), PixelIndex(after, 160, 370));
    const auto covers = Section(dir.Read("covered.Flt"), "PartialPanel");
    const std::map<std::string, std::string> expected = {{"altHide", "0"}, {"asHide", "0"}, {"attHide", "1"},
                                                         {"headHide", "1"}, {"tcHide", "0"}, {"vsiHide", "0"}};
    EXPECT_EQ(covers, expected);
}

// The reliability chosen from the menu is what a saved flight keeps.
TEST_F(RecordScripts, ReliabilityChosenIsKeptWithTheFlight) {
    const testsupport::CommandResult r = Run("reliability.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    auto keys = Section(dir.Read("rates.Flt"), "Reliability");
    EXPECT_EQ(keys["vacPct"], "40");
    EXPECT_EQ(keys["attMayFail"], "1");
    EXPECT_EQ(keys["headMayFail"], "1");
    for (const char* stays : {"elecPct", "pitotPct", "powerPct"})
        EXPECT_EQ(keys[stays], "100") << stays;
    for (const char* stays : {"asMayFail", "altMayFail", "vsMayFail", "tcMayFail", "adfMayFail", "leftMayFail"})
        EXPECT_EQ(keys[stays], "0") << stays;
}

// Leaving: Cancel (Escape) and No keep the program running (time goes on, the menu still
// answers); Yes ends it, and the command given after that is never run.
TEST_F(RecordScripts, TheExitQuestionDecidesWhetherTheProgramEnds) {
    const testsupport::CommandResult r = Run("exit.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t at = 0;
    for (const char* line : {"dialog Exit ended 0", "[    1500] menu 168", "dialog Exit ended 0",
                             "[    3000] report ac_z", "dialog Exit ended 1", "exit=0"}) {
        at = r.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << r.out;
    }
    EXPECT_EQ(r.out.find("[    5000] menu 168"), std::string::npos) << r.out;
}

// The pilot's status lists every manoeuvre of the Lessons volume; the copilot's help chosen in
// the 172 is kept with a saved flight.
TEST_F(RecordScripts, CopilotHelpIsKeptAndTheStatusListsTheManoeuvres) {
    const testsupport::CommandResult r = Run("copilot-status.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1624 ListBox \"\" enabled=1 focus=1 selected=-1 rows=6"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("row 5: \"Power-off Stall Recovery\""), std::string::npos) << r.out;
    // Each row shows its mark, an empty grey box (nothing flown yet), in one column at the left,
    // the whole of every box's frame (four lines of 14 pixels) inside the list's sunken edge.
    const std::string shot = dir.Read("status.bmp");
    const auto* b = reinterpret_cast<const unsigned char*>(shot.data());
    ASSERT_TRUE(shot.size() > 54 && b[28] == 24);
    const unsigned offset = b[10] | (b[11] << 8) | (b[12] << 16);
    int marks = 0, left = 640, right = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const unsigned char* c = b + offset + static_cast<std::size_t>(479 - y) * 1920 + 3 * x;
            if (c[0] != 150 || c[1] != 150 || c[2] != 150) continue;  // the marks' frame grey
            ++marks;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_EQ(marks, 6 * 52);
    EXPECT_LT(right - left, 16);
    const std::map<std::string, std::string> expected = {
        {"CoPilot", "1"}, {"Takeoff", "0"}, {"Radios", "1"},  {"Navigation", "0"},
        {"Advice", "1"},  {"Altitude", "0"}, {"Heading", "0"}};
    EXPECT_EQ(Section(dir.Read("copilot.Flt"), "CoPilot"), expected);
}

// The flight log shows the opened plan's legs; Return keeps the plan; its reset asks first, is
// undone by Cancel, and kept by OK, after which a saved flight carries no active plan.
TEST_F(RecordScripts, TheFlightLogShowsThePlanAndItsResetEndsIt) {
    const testsupport::CommandResult r = Run("flight-log.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    for (const char* leg : {"row 0: \"KSQL | ", "row 1: \"SJC | ", "row 2: \"SNS | ", "row 3: \"KMRY | "})
        EXPECT_NE(r.out.find(leg), std::string::npos) << leg << "\n" << r.out;
    EXPECT_EQ(Section(dir.Read("returned.Flt"), "flightPlan")["active"], "1");
    EXPECT_NE(r.out.find("Reset the log? The flight plan is closed."), std::string::npos) << r.out;
    EXPECT_EQ(Section(dir.Read("kept.Flt"), "flightPlan")["active"], "1");
    EXPECT_NE(Section(dir.Read("ended.Flt"), "flightPlan")["active"], "1");

    // Every heading the picture shows is drawn whole: its text stops short of the margin where
    // the header cuts a cell's text (four pixels inside the cell).
    const std::string bmp = dir.Read("log.bmp");
    const std::size_t read = r.out.find("] read 78 SysListView32");
    ASSERT_NE(read, std::string::npos) << r.out;
    const std::string line = r.out.substr(read, r.out.find('\n', read) - read);
    const std::size_t h = line.find(" header="), c = line.find(" cells=");
    ASSERT_NE(h, std::string::npos) << line;
    ASSERT_NE(c, std::string::npos) << line;
    const int top = std::atoi(line.c_str() + h + 8),
              bottom = std::atoi(line.c_str() + line.find('-', h) + 1);
    const std::vector<std::string> titles =
        Split(line.substr(line.find("columns=\"") + 9, line.find('"', line.find("columns=\"") + 9) -
                                                           line.find("columns=\"") - 9),
              "|");
    const std::vector<std::string> cells = Split(line.substr(c + 7), ",");
    ASSERT_GE(cells.size(), titles.size()) << line;
    ASSERT_NE(std::find(titles.begin(), titles.end(), "Winds(-HW)"), titles.end()) << line;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const int left = std::atoi(cells[i].c_str()),
                  right = std::atoi(cells[i].c_str() + cells[i].find('-') + 1);
        int lastInk = -1;
        for (int x = left + 2; x < right - 2; ++x)
            for (int y = top + 2; y < bottom - 2; ++y) {
                const std::uint32_t p = testsupport::PixelAt(bmp, x, y);
                if (((p >> 16) & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96 && (p & 0xFF) < 96)
                    lastInk = x;
            }
        EXPECT_GT(lastInk, left) << titles[i] << ": no text in its heading";
        EXPECT_LE(lastInk, right - 7) << titles[i] << ": its heading is cut at the cell's margin";
    }
}

}  // namespace

namespace {

// The "columns=..." of each read of a list, and the cells of its rows (the last read's).
struct ListReads {
    std::vector<std::vector<std::string>> shown;  // the columns seen whole, read by read
    std::vector<std::string> positions;          // "hscroll=POS/LAST", read by read
    std::map<int, std::vector<std::string>> rows;
};

ListReads ReadList(const std::string& out, int id) {
    ListReads r;
    const std::string head = "] read " + std::to_string(id) + " SysListView32";
    const std::string row = "] read " + std::to_string(id) + " row ";
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.find(head) != std::string::npos) {
            const std::size_t h = line.find("hscroll="), c = line.find("columns=\"");
            r.positions.push_back(h == std::string::npos ? "" : line.substr(h, line.find(' ', h) - h));
            if (c != std::string::npos)
                r.shown.push_back(Split(line.substr(c + 9, line.rfind('"') - c - 9), "|"));
        } else if (const std::size_t at = line.find(row); at != std::string::npos) {
            const int n = std::atoi(line.c_str() + at + row.size());
            const std::size_t q = line.find('"', at);
            r.rows[n] = Split(line.substr(q + 1, line.rfind('"') - q - 1), " | ");
        }
    }
    return r;
}

std::set<std::string> SeenColumns(const ListReads& r) {
    std::set<std::string> seen;
    for (const auto& read : r.shown) seen.insert(read.begin(), read.end());
    return seen;
}

// The world position (1/256 m) of a latitude and east longitude, found by stepping the
// independent inverse projection until it lands there.
void WorldAt(double lat, double lon, std::int32_t* x, std::int32_t* z) {
    double wx = 0, wz = 0;
    for (int i = 0; i < 40; ++i) {
        double la = 0, lo = 0, lax = 0, lox = 0, laz = 0, loz = 0;
        const double step = 25600;
        navtest::WorldToGeographic(static_cast<std::int32_t>(wx), static_cast<std::int32_t>(wz), &la, &lo);
        navtest::WorldToGeographic(static_cast<std::int32_t>(wx + step), static_cast<std::int32_t>(wz), &lax, &lox);
        navtest::WorldToGeographic(static_cast<std::int32_t>(wx), static_cast<std::int32_t>(wz + step), &laz, &loz);
        const double a = (lax - la) / step, b = (laz - la) / step, c = (lox - lo) / step, d = (loz - lo) / step;
        const double det = a * d - b * c;
        wx += (d * (lat - la) - b * (lon - lo)) / det;
        wz += (a * (lon - lo) - c * (lat - la)) / det;
    }
    *x = static_cast<std::int32_t>(std::lround(wx));
    *z = static_cast<std::int32_t>(std::lround(wz));
}

int Minutes(const std::string& hhmm) {
    return std::atoi(hhmm.c_str()) * 60 + std::atoi(hhmm.c_str() + hhmm.find(':') + 1);
}

}  // namespace

// A plan flown without ATC's clearance keeps its departure and the leg as flown: the flight log
// shows the actual time, ground speed, arrival and fuel, and its scroll bar brings each of the
// fourteen columns into view.
TEST_F(RecordScripts, AFlownPlanShowsItsActualsAndEveryColumnScrollsIntoView) {
    // The pilot's plan: San Carlos to San Francisco, straight out along runway 30, placed where
    // the public data puts the two fields, in calm air (no weather section).
    std::map<std::string, std::pair<double, double>> at;
    for (const auto& row : navtest::ReadNavCsv("airport.csv"))
        if (row[0] == "KSQL" || row[0] == "KSFO") at[row[0]] = {std::stod(row[4]), std::stod(row[5])};
    if (at.size() != 2) GTEST_SKIP() << "the public airport table is not there";
    std::string plan = "[Settings]\nstCount=2\nstIFR=0\nstAirc=0\nstAlt=3500\nstPower=65\n[Points]\n";
    const char* idents[2] = {"KSQL", "KSFO"};
    for (int i = 0; i < 2; ++i) {
        std::int32_t x = 0, z = 0;
        WorldAt(at[idents[i]].first, at[idents[i]].second, &x, &z);
        const std::string n = std::to_string(i);
        plan += "ptIdent" + n + "=" + idents[i] + "\nptType" + n + "=1\nptX" + n + "=" + std::to_string(x) +
                "\nptY" + n + "=" + std::to_string(z) + "\n";
    }
    dir.MakeFolders("FlightPlans");
    dir.Write("FlightPlans/KSQLtoKSFO.Pln", plan);
    const double miles = navtest::Metres(at["KSQL"].first, at["KSQL"].second, at["KSFO"].first, at["KSFO"].second) / 1852.0;

    const testsupport::CommandResult r = Run("flown-log.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 2010 Static \"--:--\""), std::string::npos) << "no departure time before the start";
    const ListReads log = ReadList(r.out, 78);
    ASSERT_EQ(log.shown.size(), 3u) << r.out;
    EXPECT_EQ(log.positions.front(), "hscroll=0/297")
        << "725 pixels of columns in a 428-pixel list";
    EXPECT_EQ(log.positions.back(), "hscroll=297/297");
    const std::set<std::string> seen = SeenColumns(log);
    for (const char* title : {"Fix", "Hdg", "Winds(-HW)", "Est GS", "Dist", "Dist Rem", "ETE", "ATE", "Act GS", "ETA",
                              "ATA", "Est Fuel", "Fuel Rem", "Act Rem"})
        EXPECT_EQ(seen.count(title), 1u) << title << " never came into view";

    ASSERT_EQ(log.rows.count(0), 1u);
    const std::vector<std::string>& leg = log.rows.at(0);
    ASSERT_EQ(leg.size(), 14u);
    EXPECT_EQ(leg[0], "KSQL");
    // About 8.8 nm flown straight at full power: about five and a half minutes at the 100
    // knots the pilot holds in the climb, started half a minute after the take-off roll began.
    const std::size_t departed = r.out.rfind("read 2010 Static \"");
    ASSERT_NE(departed, std::string::npos);
    const int departure = Minutes(r.out.substr(departed + 18, 5));
    const int ate = Minutes(leg[7]), ata = Minutes(leg[10]);
    EXPECT_GE(ate, 4) << r.out;
    EXPECT_LE(ate, 8);
    EXPECT_EQ((ata - departure + 1440) % 1440, ate) << "arrival less departure is the time flown";
    const int groundSpeed = std::atoi(leg[8].c_str());
    EXPECT_GE(groundSpeed, miles * 60 / (ate + 1) - 1);
    EXPECT_LE(groundSpeed, miles * 60 / std::max(1, ate - 1) + 1);
    // Full power burns about 8 to 11 gallons an hour: some 0.5 to 2 gallons of the 40 by San Francisco.
    const double left = std::atof(leg[13].c_str());
    EXPECT_GT(40.0 - left, 0.5);
    EXPECT_LT(40.0 - left, 2.0);
    EXPECT_EQ(log.rows.at(1)[10], "") << "the destination is the last station";
}

// Three flights logged: the logbook's nine columns are wider than its list, and its scroll bar
// brings the conditions, piloting time and hours into view with the values typed.
TEST_F(RecordScripts, TheLogbookScrollsToItsLastColumns) {
    const testsupport::CommandResult r = Run("logbook-columns.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    const ListReads book = ReadList(r.out, 77);
    ASSERT_EQ(book.shown.size(), 4u) << r.out;
    EXPECT_EQ(book.positions[0], "hscroll=0/143") << "650 pixels of columns in a 507-pixel list";
    EXPECT_EQ(book.positions[1], "hscroll=143/143");
    EXPECT_EQ(book.positions[3], "hscroll=0/143") << "and back";
    EXPECT_EQ(book.shown[0].back(), "Conditions");
    EXPECT_EQ(book.shown[1].back(), "Duration");
    const std::set<std::string> seen = SeenColumns(book);
    for (const char* title : {"Date", "Aircraft", "From", "To", "Remarks", "Category", "Conditions",
                              "Piloting Time", "Duration"})
        EXPECT_EQ(seen.count(title), 1u) << title << " never came into view";
    const std::vector<std::vector<std::string>> want = {
        {"3/14/99", "C-172", "KSQL", "KHWD", "first solo cross country", "Single", "Day", "Pilot-In-Command", "1.2"},
        {"4/2/99", "B-V35", "KHWD", "KMRY", "night currency", "Single", "Night", "Dual", "2.5"},
        {"5/20/0", "B-58", "KMRY", "KSQL", "hood work", "Single", "Instrument", "Cross Country", "0.8"}};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(book.rows.at(i), want[static_cast<std::size_t>(i)]) << i;
}

namespace {

// The simulated time of a trace line ("[  12345] ...").
double TraceTime(const std::string& out, std::size_t at) {
    const std::size_t open = out.rfind('[', at);
    return std::stod(out.substr(open + 1));
}

// The part of a run from one line to the next "lesson: ended" after it.
std::string LessonPart(const std::string& out, const std::string& loaded) {
    const std::size_t from = out.find(loaded);
    if (from == std::string::npos) return {};
    const std::size_t end = out.find("lesson: ended", from);
    return out.substr(from, end == std::string::npos ? std::string::npos : end + 13 - from);
}

}  // namespace

// The instructor judges the flight: a wing dropped brings the copilot at once and the wings come
// back level; the mixture goes full rich before the climb's full power; a crash ends the lesson
// without praise; and the pilot's status keeps each manoeuvre's result.
TEST_F(RecordScripts, LessonsJudgeTheFlightAndThePilotStatusKeepsIt) {
    const testsupport::CommandResult r = Run("lesson-judged.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;

    // Straight and level: the bank over time, and when the copilot took the controls.
    const std::string level = LessonPart(r.out, "lesson: loaded zqMan0.txt");
    ASSERT_FALSE(level.empty()) << r.out;
    double past8 = -1, past30 = -1, worst = 0;
    const std::size_t took = r.out.find("lesson: copilot takes control");
    ASSERT_NE(took, std::string::npos) << r.out;
    const double takeover = TraceTime(r.out, took);
    for (std::size_t at = r.out.find("report cam_bank="); at != std::string::npos && at < took + 4000;
         at = r.out.find("report cam_bank=", at + 1)) {
        const double bank = std::fabs(std::stod(r.out.substr(at + 16)));
        const double t = TraceTime(r.out, at);
        worst = std::max(worst, bank);
        if (bank >= 8 && past8 < 0) past8 = t;
        if (bank >= 30 && past30 < 0) past30 = t;
    }
    ASSERT_GE(past8, 0) << "the wing never dropped\n" << r.out;
    EXPECT_LE(takeover, past8 + 1250) << "the watch runs every lesson step, about a second";
    if (past30 >= 0) {
        EXPECT_LE(takeover, past30 + 2000);
    }
    // The wings come back level before the controls are handed back, and stay level.
    const std::size_t back = r.out.find("lesson: copilot returns control");
    ASSERT_NE(back, std::string::npos) << r.out;
    const std::size_t after = r.out.find("report cam_bank=", back);
    ASSERT_NE(after, std::string::npos);
    EXPECT_LT(std::fabs(std::stod(r.out.substr(after + 16))), 2.0);
    EXPECT_LT(TraceTime(r.out, back) - takeover, 20000);
    EXPECT_EQ(level.find("copilot takes control", level.find("copilot takes control") + 1), std::string::npos)
        << "taken once, handed back once";
    EXPECT_NE(level.find("lesson: sound 19994"), std::string::npos) << "the copilot's help needs work";
    EXPECT_EQ(level.find("lesson: sound 19995"), std::string::npos);

    // Climbs: leaned by the student, full rich from the instructor before full power.
    EXPECT_EQ(Section(dir.Read("leaned.Flt"), "Panel")["mixture"], "28");
    EXPECT_EQ(Section(dir.Read("climbing.Flt"), "Panel")["mixture"], "31");
    EXPECT_NE(LessonPart(r.out, "lesson: loaded zqMan1.txt").find("lesson: sound 19995"), std::string::npos)
        << r.out;

    // Descents: the dive ends on the ground, and so does the lesson, without praise.
    const std::string dive = LessonPart(r.out, "lesson: loaded zqMan2.txt");
    const std::size_t crashed = dive.find("lesson: the aircraft crashed");
    ASSERT_NE(crashed, std::string::npos) << r.out;
    EXPECT_NE(dive.find("lesson: feedback 19994", crashed), std::string::npos);
    EXPECT_EQ(dive.find("lesson: sound 19995"), std::string::npos) << dive;
    EXPECT_EQ(dive.find("lesson: sound", crashed), std::string::npos) << "nothing more after the crash";

    // The pilot file keeps a byte per manoeuvre: practised, mastered, not passed, the rest unflown.
    const std::string plt = dir.Read("PILOT/Student.PLT");
    ASSERT_GE(plt.size(), 106u);
    EXPECT_EQ(std::vector<int>(plt.begin(), plt.begin() + 6), (std::vector<int>{2, 1, 3, 0, 0, 0}));
    // And the status list shows them: a grey check, a green check, a red cross, three empty boxes.
    const std::string shot = dir.Read("status.bmp");
    const auto* b = reinterpret_cast<const unsigned char*>(shot.data());
    ASSERT_TRUE(shot.size() > 54 && b[28] == 24);
    const unsigned offset = b[10] | (b[11] << 8) | (b[12] << 16);
    std::map<int, int> rowOf;  // colour -> the first row (y) it shows in
    std::map<int, int> count;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const unsigned char* c = b + offset + static_cast<std::size_t>(479 - y) * 1920 + 3 * x;
            const int rgb = c[2] << 16 | c[1] << 8 | c[0];
            if (rgb != 0x149628 && rgb != 0xD21E1E && rgb != 0x828282) continue;
            ++count[rgb];
            if (rowOf.count(rgb) == 0) rowOf[rgb] = y;
        }
    ASSERT_EQ(count.size(), 3u) << "green, red and grey marks";
    // The legend says what each mark means: the instructor's "needs work" is the grey one.
    EXPECT_NE(r.out.find("grey: flown, needs more work; a red cross: ended in a crash"), std::string::npos) << r.out;
    EXPECT_LT(rowOf[0x828282], rowOf[0x149628]) << "grey first, then green";
    EXPECT_LT(rowOf[0x149628], rowOf[0xD21E1E]) << "then red";
}
