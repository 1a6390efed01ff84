// The pilot's records as a user keeps them, driven by the committed scripts beside this test in
// the starter installation: flights typed into the logbook and found in the pilot file by a
// reader of its own; a new pilot chosen after a refused name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/audio.h"
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
    EXPECT_FLOAT_EQ(log[2].hours, 0.0F);  // "hood work" is no number
}

TEST_F(RecordScripts, ANewPilotIsMadeAfterARefusedName) {
    const testsupport::CommandResult r = Run("pilots.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Only Alphanumeric Characters May be Used in Pilot Names."), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Jo Pilot", 9));
    EXPECT_EQ(dir.Read("PILOT/Jo Pilot.PLT").size(), 106u);
    EXPECT_FALSE(fs::exists(dir.Path("PILOT/a.b.PLT")));
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

// The instructor's lines come in the script's order, a wait of n steps being n lesson steps of
// 18 ticks each: between the first and the last phrase the script waits 3 + 5 + 5 + 5 + 2 steps.
TEST_F(RecordScripts, AManoeuvreRunsItsScriptToTheEnd) {
    const testsupport::CommandResult r = Run("maneuver.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t at = 0;
    for (const char* line : {"dialog FlightManeuver", "Cruise.Flt", "lesson: loaded zqMan0.txt",
                             "lesson: sound 21000", "lesson: sound 21001", "lesson: sound 21002",
                             "lesson: sound 21003", "lesson: sound 19995", "lesson: sound 21004",
                             "lesson: ended"}) {
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
        const char* line;
        int steps;  // after the line before
    } waits[] = {{"lesson: sound 21001", 3}, {"lesson: sound 21002", 5}, {"lesson: sound 21003", 5},
                 {"lesson: sound 19995", 5}, {"lesson: sound 21004", 2}, {"lesson: ended", 2}};
    double before = when("lesson: sound 21000");
    for (const auto& w : waits) {
        const double now = when(w.line);
        EXPECT_NEAR(now - before, w.steps * 18 / 0.0182, 260.0) << w.line;
        before = now;
    }
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

// The flight log shows the opened plan's legs; its reset is undone by Cancel, and kept by OK,
// after which a saved flight carries no active plan.
TEST_F(RecordScripts, TheFlightLogShowsThePlanAndItsResetEndsIt) {
    const testsupport::CommandResult r = Run("flight-log.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    for (const char* leg : {"row 0: \"KSQL | ", "row 1: \"SJC | ", "row 2: \"SNS | ", "row 3: \"KMRY | "})
        EXPECT_NE(r.out.find(leg), std::string::npos) << leg << "\n" << r.out;
    EXPECT_EQ(Section(dir.Read("kept.Flt"), "flightPlan")["active"], "1");
    EXPECT_NE(Section(dir.Read("ended.Flt"), "flightPlan")["active"], "1");
}

}  // namespace
