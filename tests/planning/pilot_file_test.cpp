// Pilot files through our own writer and reader, the logbook's date rules, and a corpus of
// damaged pilot and "CURRENT" files that must be refused without a crash or a lost file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/resource_volume.h"
#include "planning/logbook_dialog.h"
#include "planning/pilot_file.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "win/file_api.h"

namespace {

using planning::LogbookEntry;
using planning::PilotFile;

class PilotFiles : public ::testing::Test {
protected:
    void SetUp() override {
        core::theSetupInfo.Reset();
        core::theSetupInfo.startFolder = dir.Root();
    }
    void TearDown() override { core::theSetupInfo.Reset(); }

    std::string Plt(const std::string& name) { return dir.Read("PILOT/" + name + ".PLT"); }
    static int U16(const std::string& b, std::size_t at) {
        return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
    }

    testsupport::TempFolder dir{"zephlon-pilot"};
};

LogbookEntry Flight(int month, int day, int year, float hours, int conditions) {
    LogbookEntry e;
    e.month = static_cast<std::int16_t>(month);
    e.day = static_cast<std::int16_t>(day);
    e.year = static_cast<std::int16_t>(year);
    e.dateKey = planning::MakeDateKey(month, day, year);
    e.from = "KSQL";
    e.to = "KOAK";
    e.remarks = "pattern work";
    e.duration = hours;
    e.conditions = static_cast<std::int16_t>(conditions);
    return e;
}

TEST_F(PilotFiles, NewPilotAppendClearAndReadBack) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Student"), 1);
    std::string bytes = Plt("Student");
    ASSERT_EQ(bytes.size(), 106u);
    EXPECT_EQ(U16(bytes, 94), 1);
    EXPECT_EQ(U16(bytes, 96), 5);
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Student", 8));

    for (const LogbookEntry& e : {Flight(1, 2, 98, 1.5F, 2), Flight(3, 4, 98, 0.7F, 0), Flight(5, 6, 99, 2.0F, 1)})
        ASSERT_EQ(pilot.AppendEntry(e), 1);
    EXPECT_EQ(Plt("Student").size(), 1714u);
    PilotFile again;
    ASSERT_EQ(again.LoadCurrent(), 1);
    ASSERT_EQ(again.entries.size(), 3u);
    EXPECT_EQ(again.entries[2].to, "KOAK");
    EXPECT_FLOAT_EQ(again.TotalHours(2), 1.5F);
    EXPECT_FLOAT_EQ(again.TotalHours(0), 0.7F);
    EXPECT_EQ(again.FormatEntryDate(1), "3/4/98");
    EXPECT_EQ(again.FormatEntryDate(3), "");

    ASSERT_EQ(again.ClearLogbook(), 1);
    bytes = Plt("Student");
    EXPECT_EQ(bytes.size(), 106u);  // no old entry stays to be read again
    EXPECT_EQ(U16(bytes, 104), 0);
    PilotFile cleared;
    ASSERT_EQ(cleared.LoadCurrent(), 1);
    EXPECT_TRUE(cleared.entries.empty());
}

TEST_F(PilotFiles, ReplacingTheLogbookKeepsTheStoredLessonAndTruncatesTexts) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Ann Lee-2"), 1);
    pilot.SetLessonNumber(3);
    ASSERT_EQ(pilot.Save(), 1);
    PilotFile editor;
    ASSERT_EQ(editor.LoadCurrent(), 1);
    LogbookEntry long_texts = Flight(12, 31, 99, 1.0F, 2);
    long_texts.remarks = std::string(300, 'r');
    ASSERT_EQ(editor.ReplaceLogbook({long_texts, Flight(1, 1, 0, 2.0F, 2)}), 1);
    const std::string bytes = Plt("Ann Lee-2");
    EXPECT_EQ(bytes.size(), 106u + 2 * 536u);
    EXPECT_EQ(U16(bytes, 94), 3);
    PilotFile back;
    ASSERT_EQ(back.LoadCurrent(), 1);
    EXPECT_EQ(back.entries[0].remarks, std::string(127, 'r'));
    EXPECT_FLOAT_EQ(back.TotalHours(2), 3.0F);
}

// A manoeuvre's best result is kept in its header byte, through a save and a logbook rewrite; a
// byte no result writes reads as not flown.
TEST_F(PilotFiles, ManoeuvreResultsKeepTheBestOne) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Student"), 1);
    struct Step {
        int maneuver, result, kept;
    };
    for (const Step& s : {Step{0, 2, 2}, Step{0, 1, 1}, Step{0, 2, 1}, Step{0, 0, 0}, Step{0, 1, 0},
                          Step{5, 2, 2}, Step{63, 1, 1}, Step{64, 0, -1}, Step{-1, 0, -1}, Step{3, 7, -1}}) {
        pilot.RecordManeuverResult(s.maneuver, s.result);
        EXPECT_EQ(pilot.ManeuverResult(s.maneuver), s.kept) << s.maneuver << " " << s.result;
    }
    ASSERT_EQ(pilot.Save(), 1);
    ASSERT_EQ(pilot.ReplaceLogbook({Flight(1, 2, 98, 1.5F, 2)}), 1);
    const std::string bytes = Plt("Student");
    EXPECT_EQ(bytes[0], 1);  // mastered
    EXPECT_EQ(bytes[5], 3);  // not passed
    EXPECT_EQ(U16(bytes, 94), 1);
    PilotFile back;
    ASSERT_EQ(back.LoadCurrent(), 1);
    EXPECT_EQ(back.ManeuverResult(0), 0);
    EXPECT_EQ(back.ManeuverResult(1), -1);
    EXPECT_EQ(back.ManeuverResult(63), 1);
    back.header[2] = 9;  // no result writes this
    EXPECT_EQ(back.ManeuverResult(2), -1);
}

TEST(PilotTables, ParsersAndKeys) {
    struct DateCase {
        const char* text;
        int month, day, year;
    };
    for (const DateCase c : {DateCase{"12/31/1997", 0, 0, 0}, DateCase{"1/2/99", 1, 2, 99},
                             DateCase{"10/10/0", 10, 10, 0}, DateCase{"7", 7, 0, 0}, DateCase{"", 0, 0, 0}}) {
        EXPECT_EQ(planning::ParseEntryMonth(c.text), c.month) << c.text;
        EXPECT_EQ(planning::ParseEntryDay(c.text), c.day) << c.text;
        EXPECT_EQ(planning::ParseEntryYear(c.text), c.year) << c.text;
    }
    EXPECT_EQ(planning::ParseAircraftCode("C-182"), 5);
    EXPECT_EQ(planning::ParseAircraftCode("B-58"), 2);
    EXPECT_EQ(planning::ParseAircraftCode("b-58"), 5);
    EXPECT_EQ(planning::ParseConditions("Instrument"), 1);
    EXPECT_EQ(planning::ParsePilotingTime("Pilot-In-Command"), 2);
    EXPECT_STREQ(planning::GetAircraftCode(5), "");
    EXPECT_EQ(planning::MakeDateKey(12, 31, 97), 971231u);
    // 1999 sorts before 2000 although its stored key is larger.
    EXPECT_LT(planning::SortingDateKey(planning::MakeDateKey(12, 31, 99)),
              planning::SortingDateKey(planning::MakeDateKey(1, 1, 0)));
}

TEST(LogbookDates, TypedAndSteppedFields) {
    EXPECT_EQ(planning::CorrectLogbookYear(45), 35);
    EXPECT_EQ(planning::CorrectLogbookYear(60), 70);
    EXPECT_EQ(planning::CorrectLogbookYear(-3), 0);
    EXPECT_EQ(planning::DaysInMonth(2, 0), 29);
    EXPECT_EQ(planning::DaysInMonth(2, 99), 28);
    struct Step {
        int field, value, delta, month, year, expected;
    };
    for (const Step s : {Step{2, 70, -1, 1, 70, 70}, Step{2, 35, 1, 1, 35, 35}, Step{2, 99, 1, 1, 99, 0},
                         Step{2, 0, -1, 1, 0, 99}, Step{0, 12, 1, 12, 0, 1}, Step{0, 1, -1, 1, 0, 12},
                         Step{1, 29, 1, 2, 0, 1}, Step{1, 1, -1, 2, 1, 28}}) {
        EXPECT_EQ(planning::StepDateField(s.field, s.value, s.delta, s.month, s.year), s.expected)
            << s.field << " " << s.value << " " << s.delta;
    }
}

// Damaged files: one too short for its header is refused as damaged and never written; one
// whose count is off (negative, more or fewer entries than the file holds) keeps every whole
// entry it holds and is marked repaired. No load writes the file; the next save keeps them all.
TEST_F(PilotFiles, DamagedPilotFilesAreNamedAndCountsThatAreOffKeepWholeEntries) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Student"), 1);
    ASSERT_EQ(pilot.AppendEntry(Flight(1, 2, 98, 1.5F, 2)), 1);
    ASSERT_EQ(pilot.AppendEntry(Flight(3, 4, 98, 0.5F, 0)), 1);
    const std::string good = Plt("Student");
    auto withCount = [&](const std::string& bytes, int count) {
        std::string b = bytes;
        b[104] = static_cast<char>(count & 0xFF);
        b[105] = static_cast<char>((count >> 8) & 0xFF);
        return b;
    };
    struct Case {
        std::string bytes;
        int loads;
        std::size_t entries;  // kept when it loads
        bool repaired;
    };
    const Case cases[] = {
        {"", 0, 0, false},
        {good.substr(0, 50), 0, 0, false},
        {good.substr(0, 105), 0, 0, false},
        {good, 1, 2, false},
        {good.substr(0, 106 + 536 + 300), 1, 1, true},  // the second entry cut short
        {withCount(good, -1), 1, 2, true},
        {withCount(good, 0x7FFF), 1, 2, true},
        {withCount(good, 3), 1, 2, true},               // one too many
        {withCount(good, 1), 1, 2, true},               // fewer: the whole entries still count
        {withCount(good, 0), 1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes.size() << " bytes");
        dir.Write("PILOT/Student.PLT", c.bytes);
        PilotFile read;
        ASSERT_EQ(read.LoadCurrent(), c.loads);
        if (c.loads == 0) {
            EXPECT_TRUE(read.damagedFile);
            EXPECT_NE(read.failedFile.find("Student.PLT"), std::string::npos);
            EXPECT_EQ(read.Save(), 0);
            EXPECT_EQ(read.ReplaceLogbook({}), 0);
        } else {
            EXPECT_EQ(read.entries.size(), c.entries);
            EXPECT_EQ(read.repairedFile, c.repaired);
            EXPECT_EQ(read.entries[0].to, "KOAK");
        }
        EXPECT_EQ(Plt("Student"), c.bytes);
        if (c.loads == 0) continue;
        // The save writes what was kept, with its count; read again it is whole.
        ASSERT_EQ(read.Save(), 1);
        PilotFile again;
        ASSERT_EQ(again.LoadCurrent(), 1);
        EXPECT_EQ(again.entries.size(), c.entries);
        EXPECT_FALSE(again.repairedFile);
        EXPECT_EQ(Plt("Student").size(), 106 + 536 * c.entries);
    }
    // Choosing the damaged pilot keeps "CURRENT" naming the pilot before it.
    ASSERT_EQ(pilot.SelectPilot("Other"), 1);
    dir.Write("PILOT/Student.PLT", "");
    PilotFile chosen;
    EXPECT_EQ(chosen.SelectPilot("Student"), 0);
    EXPECT_TRUE(chosen.damagedFile);
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Other", 6));
    EXPECT_EQ(Plt("Student"), "");
}

TEST_F(PilotFiles, TextsWithoutTerminatorAndDurationsOutOfRange) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Student"), 1);
    ASSERT_EQ(pilot.AppendEntry(Flight(1, 2, 98, 1.5F, 2)), 1);
    const std::string good = Plt("Student");
    // Texts without a terminator are cut at 127 characters.
    std::string open = good;
    std::memset(open.data() + 106 + 12, 'x', 128 * 3);
    dir.Write("PILOT/Student.PLT", open);
    PilotFile unterminated;
    ASSERT_EQ(unterminated.LoadCurrent(), 1);
    EXPECT_EQ(unterminated.entries[0].from, std::string(127, 'x'));
    EXPECT_EQ(unterminated.entries[0].remarks, std::string(127, 'x'));

    // A stored duration no flight lasts reads held: never negative, never past 999.9 hours,
    // and a value that is no number reads 0.
    const struct {
        std::uint32_t bits;
        float hours;
    } durations[] = {{0xBF800000u, 0.0F},   // -1
                     {0x7F800000u, 999.9F},  // infinity
                     {0x7FC00000u, 0.0F},    // not a number
                     {0x501502F9u, 999.9F},  // 1e10
                     {0x3FC00000u, 1.5F}};
    for (const auto& d : durations) {
        std::string b = good;
        for (int i = 0; i < 4; ++i) b[106 + 532 + i] = static_cast<char>(d.bits >> (8 * i));
        dir.Write("PILOT/Student.PLT", b);
        PilotFile read;
        ASSERT_EQ(read.LoadCurrent(), 1);
        EXPECT_FLOAT_EQ(read.entries[0].duration, d.hours) << std::hex << d.bits;
    }
}

TEST(LogbookHours, TypedDurationsAreHeldToAFlightsLength) {
    const std::pair<const char*, float> typed[] = {
        {"1.5", 1.5F},      {"-1", 0.0F},          {"1e308", 999.9F}, {"99999999999", 999.9F},
        {"nan", 0.0F},      {"hood work", 0.0F},   {"12abc", 12.0F},  {"", 0.0F},
        {"999.9", 999.9F},  {"-0", 0.0F}};
    for (const auto& [text, hours] : typed)
        EXPECT_FLOAT_EQ(planning::ParseLogbookHours(text), hours) << text;
}

// A save that fails on a full disk leaves the pilot file as it was and says which file failed.
TEST_F(PilotFiles, SavesThatFailKeepTheFileWhole) {
    PilotFile pilot;
    ASSERT_EQ(pilot.SelectPilot("Student"), 1);
    ASSERT_EQ(pilot.AppendEntry(Flight(1, 2, 98, 1.5F, 2)), 1);
    const std::string before = Plt("Student");
    {
        platform::ScopedFileFaults faults;
        platform::SimulateDiskFull(0);
        PilotFile p;
        ASSERT_EQ(p.LoadCurrent(), 1);
        p.SetLessonNumber(7);
        EXPECT_EQ(p.Save(), 0);
        EXPECT_EQ(p.failedError, platform::kDiskFull);
        EXPECT_NE(p.failedFile.find("Student.PLT"), std::string::npos);
        EXPECT_FALSE(p.damagedFile);
        EXPECT_EQ(p.ReplaceLogbook({Flight(5, 6, 99, 2.0F, 1)}), 0);
        EXPECT_EQ(p.entries.size(), 1u);  // the held logbook stays as it was
        PilotFile fresh;
        EXPECT_EQ(fresh.SelectPilot("Newcomer"), 0);
        EXPECT_EQ(fresh.failedError, platform::kDiskFull);
    }
    EXPECT_EQ(Plt("Student"), before);
    EXPECT_EQ(dir.Read("PILOT/CURRENT"), std::string("Student", 8));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("PILOT/Newcomer.PLT")));
    // Saved again with room, the lesson goes in and the entry's bytes stay.
    PilotFile p;
    ASSERT_EQ(p.LoadCurrent(), 1);
    p.SetLessonNumber(7);
    ASSERT_EQ(p.Save(), 1);
    EXPECT_EQ(U16(Plt("Student"), 94), 7);
    EXPECT_EQ(Plt("Student").substr(104), before.substr(104));
}

TEST_F(PilotFiles, CurrentFileVariants) {
    PilotFile first;
    ASSERT_EQ(first.SelectPilot("Student"), 1);
    struct Case {
        std::string current;
        int loads;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {std::string("\0Student", 8), 0},
        {"Student", 1},                       // no terminating zero
        {std::string("Student\0junk", 12), 1},  // read up to the zero
        {std::string(600, 'a'), 0},
        {std::string(65, 'a') + '\0', 0},
        {"../Student", 0},
        {"a/b", 0},
        {"a.b", 0},
        {std::string("Newcomer\0", 9), 1},  // a missing pilot is made
    };
    for (const Case& c : cases) {
        dir.Write("PILOT/CURRENT", c.current);
        PilotFile p;
        EXPECT_EQ(p.LoadCurrent(), c.loads) << c.current.substr(0, 20);
    }
    EXPECT_EQ(Plt("Newcomer").size(), 106u);
    PilotFile none;
    EXPECT_EQ(none.SelectPilot(std::string(65, 'n')), 0);
    EXPECT_EQ(none.SelectPilot("a.b"), 0);
    EXPECT_EQ(none.Save(), 0);
    EXPECT_EQ(none.ClearLogbook(), 0);
}

// A new pilot whose file's name is a link: a link to a file not there yet stays and its file
// is made; a loop of links stays and the pilot is refused; a read-only pilot file is not
// replaced by a save.
TEST_F(PilotFiles, NewPilotsThroughLinksKeepTheLinks) {
    std::filesystem::create_directories(dir.Path("PILOT"));
    std::filesystem::create_directories(dir.Path("elsewhere"));
    std::filesystem::create_symlink(dir.Path("elsewhere/Ann.PLT"), dir.Path("PILOT/Ann.PLT"));
    std::filesystem::create_symlink("Loop.PLT", dir.Path("PILOT/Bob.PLT"));
    std::filesystem::create_symlink("Bob.PLT", dir.Path("PILOT/Loop.PLT"));
    PilotFile ann, bob;
    EXPECT_EQ(ann.SelectPilot("Ann"), 1);
    EXPECT_EQ(dir.Read("elsewhere/Ann.PLT").size(), 106u);
    EXPECT_EQ(bob.SelectPilot("Bob"), 0);
    EXPECT_EQ(bob.failedError, win::ERROR_BAD_FILE_TYPE);
    for (const char* link : {"Ann.PLT", "Bob.PLT", "Loop.PLT"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir.Path(std::string("PILOT/") + link))) << link;
    std::filesystem::permissions(dir.Path("elsewhere/Ann.PLT"), std::filesystem::perms::owner_read);
    EXPECT_EQ(ann.Save(), 0);
    EXPECT_EQ(ann.failedError, win::ERROR_FILE_READ_ONLY);
}


}  // namespace
