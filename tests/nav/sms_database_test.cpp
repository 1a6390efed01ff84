// The station directory through its own writer: the name list and its lists by kind, record
// reads through the volume and through an open file, damaged directories, the page texts, and the
// stepping from airport to airport with the debug keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/endian.h"
#include "core/ini_file.h"
#include "nav/debug_keys.h"
#include "nav/dialog_controls.h"
#include "nav/nav_records.h"
#include "nav/sms_records.h"
#include "nav_fixture.h"
#include "sim/input/key_commands.h"

namespace {

using navtest::NavFixture;
using navtest::RecordingList;
using Bytes = std::vector<std::uint8_t>;

nav::SmsRunwayRecord Runway(std::uint8_t runway, std::int32_t x, std::int32_t z,
                            std::uint16_t heading, const char* ils = "") {
    return nav::SmsRunwayRecord{runway, x, z, heading, 6000, 150, ils};
}

Bytes AirportRecord(const nav::SmsAirportHeader& header,
                    const std::vector<nav::SmsRunwayRecord>& rows) {
    Bytes b;
    EXPECT_TRUE(nav::EncodeAirportRecord(header, rows, &b));
    return b;
}

const nav::SmsAirportHeader kSanCarlos{0, 5, 0, 0, 0x2160, 0x1900, 0x3565, 0x3395, 0x44};
const nav::SmsAirportHeader kOakland{0, -9, 0x3377, 0x2110, 0x2190, 0x1830, 0x2090, 0x3565, 0xC2};

struct Directory {
    Bytes file;
    std::vector<std::uint32_t> entries;
    std::vector<std::uint32_t> records;
};

// Two airports, a VOR, an NDB, an ILS and a waypoint, and entries of kinds no list takes.
Directory MakeDirectory() {
    nav::SmsFileBuilder b;
    b.Add(0x00, "San Carlos (KSQL)",
          AirportRecord(kSanCarlos, {Runway(12, 100, 200, 0x8000), Runway(30, 300, 400, 0)}));
    b.Add(0x07, "Metro Oakland Intl (KOAK)",
          AirportRecord(kOakland, {Runway(0x40 | 27, 10, 20, 0x4000, "I-OAK"),
                                   Runway(0x80 | 9, 30, 40, 0xC000)}));
    b.Add(0x71, "WOODSIDE (OSI)", nav::EncodeStationRecord({0x1390, -1000, 2000}));
    b.Add(0x02, "PALO ALTO (PAO)", nav::EncodeStationRecord({0x0362, 5, 6}));
    b.Add(0x13, "I-OAK KOAK Rwy 27R", nav::EncodeStationRecord({0x0990, 7, 8}));
    b.Add(0x04, "MENLO", nav::EncodeWaypointRecord({9, 10}));
    for (std::uint8_t code : {0x06, 0x09, 0x0F, 0x1A})
        b.Add(code, "NOBODY", nav::EncodeWaypointRecord({0, 0}));
    b.Add(0x15, "WOODY", nav::EncodeWaypointRecord({11, 12}));
    Directory d;
    d.file = b.Build(&d.entries, &d.records);
    return d;
}

class SmsDatabaseTest : public NavFixture {
protected:
    void WriteDirectory(const Bytes& file) { Write("Data/Sms/flp.sms", file); }
    // Opens the directory and fills every list; the messages shown meanwhile.
    std::string OpenAndFill(int* opened = nullptr) {
        ::testing::internal::CaptureStderr();
        const int r = nav::theSmsDatabase.Open({});
        for (int kind = 0; kind < 5; ++kind)
            nav::theSmsDatabase.FillStationList(lists[kind], kind);
        if (opened != nullptr) *opened = r;
        return ::testing::internal::GetCapturedStderr();
    }
    std::string Read(int row, int kind, win::FileHandle handle = {}) {
        ::testing::internal::CaptureStderr();
        result = nav::theSmsDatabase.ReadRecord({}, row, kind, handle);
        return ::testing::internal::GetCapturedStderr();
    }
    RecordingList lists[5];
    int result = -1;
};

TEST_F(SmsDatabaseTest, ListsEveryKindInFileOrderAndReadsItsRecords) {
    const Directory d = MakeDirectory();
    WriteDirectory(d.file);
    int opened = 0;
    EXPECT_EQ(OpenAndFill(&opened), "");
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(nav::theSmsDatabase.EntryCount(), 11);
    using Names = std::vector<std::string>;
    EXPECT_EQ(lists[0].rows, (Names{"San Carlos (KSQL)", "Metro Oakland Intl (KOAK)"}));
    EXPECT_EQ(lists[1].rows, (Names{"WOODSIDE (OSI)"}));
    EXPECT_EQ(lists[2].rows, (Names{"PALO ALTO (PAO)"}));
    EXPECT_EQ(lists[3].rows, (Names{"I-OAK KOAK Rwy 27R"}));
    EXPECT_EQ(lists[4].rows, (Names{"MENLO", "WOODY"}));  // codes 6, 9, 15 and 10 are no list's
    EXPECT_EQ(lists[4].selected, 0);
    EXPECT_EQ(lists[4].top, -1);
    EXPECT_EQ(nav::theSmsDatabase.EntryOfRow(4, 1), 10);
    EXPECT_EQ(nav::theSmsDatabase.EntryOfRow(4, 2), -1);

    EXPECT_EQ(Read(0, 1), "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(nav::theSmsDatabase.VorFrequency(), 0x1390);
    EXPECT_EQ(nav::theSmsDatabase.VorX(), -1000);
    EXPECT_EQ(nav::theSmsDatabase.VorZ(), 2000);
    EXPECT_EQ(nav::theSmsCurrentEntry.name, "WOODSIDE (OSI)");
    Read(0, 2);
    EXPECT_EQ(nav::theSmsDatabase.NdbFrequency(), 0x0362);
    Read(0, 3);
    EXPECT_EQ(nav::theSmsDatabase.IlsX(), 7);
    Read(1, 4);
    EXPECT_EQ(nav::theSmsDatabase.WaypointZ(), 12);
    Read(1, 0);
    EXPECT_EQ(nav::theSmsDatabase.CurrentAirport().elevation, -9);  // below sea level
    ASSERT_EQ(nav::theSmsRunwayBlock.size(), 2u);
    EXPECT_EQ(nav::theSmsRunwayBlock[0].ils, "I-OAK");

    // Through a file opened by name, as the directory dialogs do; the volume when it is closed.
    const win::FileHandle file = win::CreateFile("DATA\\SMS\\flp.SMS", win::GENERIC_READ,
                                                 win::FILE_SHARE_READ, win::OPEN_EXISTING);
    ASSERT_TRUE(file.IsValid());
    nav::theSmsDatabase.ShowVorInfo({}, 0, file);
    EXPECT_EQ(nav::theSmsDatabase.shownX, -1000);
    win::CloseHandle(file);
    EXPECT_EQ(nav::theSmsDatabase.showFlags[5], 1u);
}

TEST_F(SmsDatabaseTest, TheEntryCrossingTheListEndStillCounts) {
    Directory d = MakeDirectory();
    const std::uint32_t last = d.entries.back();
    // Inside the last entry: the list and one byte more are read, so its kind, offset and first
    // name byte are there; its name ends with what was read.
    core::WriteU32(d.file.data() + nav::kSmsListEndField, last + 5);
    WriteDirectory(d.file);
    OpenAndFill();
    EXPECT_EQ(nav::theSmsDatabase.EntryCount(), 11);
    EXPECT_EQ(lists[4].rows.back(), "W");
    core::WriteU32(d.file.data() + nav::kSmsListEndField, last + 4);  // its first name byte unread
    WriteDirectory(d.file);
    OpenAndFill();
    EXPECT_EQ(nav::theSmsDatabase.EntryCount(), 10);
    core::WriteU32(d.file.data() + nav::kSmsListEndField, last);  // at its start: not counted
    WriteDirectory(d.file);
    OpenAndFill();
    EXPECT_EQ(nav::theSmsDatabase.EntryCount(), 10);
}

// Damaged directories: the message of the failure, the lists as far as they got, no crash.
// Long name lists are indexed from several places at once; every entry must still come out as
// a plain walk from the first entry finds it, whatever the bytes: names of every length, heads
// full of zeros, empty names one after another, and a list end inside an entry.
TEST_F(SmsDatabaseTest, LongListsIndexAsAPlainWalkDoes) {
    struct Expected {
        std::uint8_t code;
        std::uint32_t offset;
        std::string name;
    };
    // The plain walk over the file's bytes, as the directory is defined.
    const auto walk = [](const Bytes& file) {
        const std::uint32_t end = core::ReadU32(file.data() + nav::kSmsListEndField);
        const std::size_t length = std::min<std::size_t>(std::size_t{end} + 1, file.size());
        std::vector<Expected> out;
        for (std::size_t at = nav::kSmsHeaderBytes; at < end && at + 6 <= length;) {
            std::size_t n = 0;
            while (at + 5 + n < length && file[at + 5 + n] != 0)
                ++n;
            out.push_back({file[at], core::ReadU32(file.data() + at + 1),
                           std::string(reinterpret_cast<const char*>(file.data()) + at + 5, n)});
            at += 5 + n + 1;
        }
        return out;
    };
    std::uint32_t state = 5;
    const auto pick = [&state](std::uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    // A real directory of 30,000 stations with names of 1 to 60 characters.
    nav::SmsFileBuilder builder;
    for (int i = 0; i < 30000; ++i) {
        std::string name(1 + pick(60), 'a');
        for (char& c : name)
            c = static_cast<char>('A' + pick(26));
        builder.Add(static_cast<std::uint8_t>(pick(5)), name, nav::EncodeWaypointRecord({i, -i}));
    }
    std::vector<std::uint32_t> entries, records;
    const Bytes built = builder.Build(&entries, &records);
    // The same header over a list of other bytes, ending where asked.
    const auto over = [&built](std::size_t listBytes, std::uint32_t zeroEvery, std::uint32_t seed,
                               int endBack) {
        Bytes file(built.begin(), built.begin() + nav::kSmsHeaderBytes);
        std::uint32_t r = seed;
        for (std::size_t i = 0; i < listBytes; ++i) {
            r = r * 1103515245u + 12345u;
            const std::uint32_t v = r >> 16;
            file.push_back(zeroEvery == 0 || v % zeroEvery == 0 ? 0 : static_cast<std::uint8_t>(v));
        }
        file.resize(file.size() + 64, 0x55);
        core::WriteU32(file.data() + nav::kSmsListEndField,
                       static_cast<std::uint32_t>(nav::kSmsHeaderBytes + listBytes - endBack));
        return file;
    };
    const struct {
        const char* label;
        Bytes file;
    } cases[] = {
        {"built", built},
        {"random bytes, many zeros", over(400000, 6, 1, 0)},
        {"random bytes, few zeros", over(400000, 40, 2, 0)},
        {"every byte zero", over(400000, 1, 3, 0)},
        {"the end inside an entry", over(300000, 9, 4, 3)},
    };
    for (const auto& c : cases) {
        WriteDirectory(c.file);
        int opened = 0;
        OpenAndFill(&opened);
        ASSERT_EQ(opened, 1) << c.label;
        const std::vector<Expected> want = walk(c.file);
        ASSERT_EQ(nav::theSmsDatabase.EntryCount(), static_cast<int>(want.size())) << c.label;
        int wrong = 0;
        for (std::size_t i = 0; i < want.size(); ++i) {
            const nav::SmsListEntry e = nav::theSmsDatabase.Entry(static_cast<int>(i));
            wrong += e.code != want[i].code || e.recordOffset != want[i].offset ||
                     e.name != want[i].name;
        }
        EXPECT_EQ(wrong, 0) << c.label;
    }
    // The built directory also reads back what was written into it.
    WriteDirectory(built);
    OpenAndFill();
    ASSERT_EQ(nav::theSmsDatabase.EntryCount(), 30000);
    EXPECT_EQ(nav::theSmsDatabase.Entry(29999).recordOffset, records.back());
}

TEST_F(SmsDatabaseTest, DamagedDirectoriesShowTheirMessage) {
    const Directory d = MakeDirectory();
    auto withEnd = [&](std::uint32_t end) {
        Bytes b = d.file;
        core::WriteU32(b.data() + nav::kSmsListEndField, end);
        return b;
    };
    // The list runs to the file's end, its last name without a terminator.
    Bytes unterminated = d.file;
    unterminated.resize(d.entries.back() + 7);
    core::WriteU32(unterminated.data() + nav::kSmsListEndField,
                   static_cast<std::uint32_t>(unterminated.size()));
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
        int entries;
    } cases[] = {
        {"shorter than its header", Bytes(d.file.begin(), d.file.begin() + 2000),
         "Error reading file flp.sms.", 0},
        {"empty", {}, "Error reading file flp.sms.", 0},
        {"list end below the header", withEnd(100), "Error reading file flp.sms.", 0},
        {"list end past the file", withEnd(static_cast<std::uint32_t>(d.file.size()) + 1),
         "Error reading file flp.sms.", 0},
        {"list end at 0xFFFFFFFF", withEnd(0xFFFFFFFFu), "Error reading file flp.sms.", 0},
        {"no list", withEnd(nav::kSmsHeaderBytes), "", 0},
        {"last name unterminated", unterminated, "", 11},
    };
    for (const auto& c : cases) {
        WriteDirectory(c.bytes);
        int opened = -1;
        const std::string shown = OpenAndFill(&opened);
        EXPECT_EQ(shown, std::string(c.message) + (*c.message ? "\n" : "")) << c.what;
        EXPECT_EQ(opened, *c.message ? 0 : 1) << c.what;
        EXPECT_EQ(nav::theSmsDatabase.EntryCount(), c.entries) << c.what;
    }
    EXPECT_EQ(lists[4].rows.back(), "WO");  // the name ends with the file

    std::remove("Data/Sms/flp.sms");
    platform::ForgetFolderListings();
    EXPECT_EQ(OpenAndFill(), "Could not open flp.sms.\n");
    EXPECT_EQ(nav::theSmsDatabase.EntryCount(), 0);
    EXPECT_TRUE(lists[0].rows.empty());
}

TEST_F(SmsDatabaseTest, DamagedRecordsLeaveTheLastRecordInPlace) {
    Directory d = MakeDirectory();
    WriteDirectory(d.file);
    OpenAndFill();
    Read(0, 1);
    // The VOR's record offset past the file, the first airport's runway count past it.
    Bytes damaged = d.file;
    core::WriteU32(damaged.data() + d.entries[2] + 1,
                   static_cast<std::uint32_t>(d.file.size()) - 4);
    damaged[d.records[0]] = 200;
    WriteDirectory(damaged);
    OpenAndFill();
    // Records the file's end cuts short are a damaged directory, named once however many are
    // read.
    EXPECT_EQ(Read(0, 1),
              "The station directory flp.sms is damaged: a station's record is cut short or holds "
              "what no station can, so it is not used. Installing the program again restores the "
              "directory.\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(nav::theSmsDatabase.VorX(), -1000);
    EXPECT_EQ(Read(0, 0), "");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Read(0, 1), "");
    core::WriteU32(damaged.data() + d.entries[2] + 1, 0x90000000u);
    WriteDirectory(damaged);
    OpenAndFill();
    EXPECT_EQ(Read(0, 1), "Could not seek in file flp.sms.\n");
    EXPECT_EQ(Read(7, 1), "Error reading file flp.sms.\n");  // a row the list does not have
    // Through an open file the same record fails with the file's own name.
    const win::FileHandle file = win::CreateFile("Data/Sms/flp.sms", win::GENERIC_READ,
                                                 win::FILE_SHARE_READ, win::OPEN_EXISTING);
    EXPECT_EQ(Read(0, 1, file), "Error reading file flp.sms.\n");
    win::CloseHandle(file);
}

// A bit changed inside a record, where the record still holds what a station can: the
// navigation tables, made from the same data as the directory, hold no such station, and the
// record is not taken. Tables that did not load judge nothing.
TEST_F(SmsDatabaseTest, RecordsTheNavigationTablesDoNotHoldAreRefused) {
    const Directory d = MakeDirectory();
    nav::NavDatabase& db = nav::theNavDatabase;
    db.vors = {{"OSI", 11390, -1000, 2000, 0, 0}};
    db.ndbs = {{"PAO", 362, 5, 6, 0, 0}};
    nav::IlsRecord ils;
    ils.ident = "I-OAK";
    ils.frequency = 10990;
    ils.x = 7;
    ils.z = 8;
    db.ils = {ils};
    db.waypoints = {{"MENLO", 9, 10}, {"WOODY", 11, 12}};
    // San Carlos at its directory elevation, its runways 300 units from its reference point.
    db.airports = {{"KSQL", 0, 0, 5, d.entries[0]}};
    const struct {
        const char* what;
        int kind, row;
        std::uint32_t at;  // the byte changed
        std::uint8_t flip;
    } cases[] = {
        {"a VOR's frequency, still in its band", 1, 0, d.records[2], 0x01},
        {"a VOR's x", 1, 0, d.records[2] + 2, 0x10},
        {"an NDB's z", 2, 0, d.records[3] + 6, 0x01},
        {"an ILS's x", 3, 0, d.records[4] + 2, 0x04},
        {"a waypoint's z", 4, 1, d.records[10] + 4, 0x02},
        {"an airport's elevation", 0, 0, d.records[0] + 3, 0x01},
        {"a runway 70 nm away", 0, 0, d.records[0] + nav::kSmsAirportHeaderBytes + 4, 0x02},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteDirectory(d.file);
        OpenAndFill();
        nav::SmsEntryCopy entry;
        nav::SmsAirportHeader header;
        std::vector<nav::SmsRunwayRecord> rows;
        const auto read = [&] {
            if (c.kind != 0) {
                Read(c.row, c.kind);
                return result == 0;
            }
            return nav::theSmsDatabase.ReadAirportRecord(0, &entry, &header, &rows) == 1;
        };
        EXPECT_TRUE(read()) << "the record as written";
        Bytes damaged = d.file;
        damaged[c.at] ^= c.flip;
        WriteDirectory(damaged);
        OpenAndFill();
        EXPECT_FALSE(read());
        if (c.kind == 0) {
            EXPECT_TRUE(rows.empty()) << "no runway of a refused record is given";
        }
    }
    // Without the tables every record in its band is taken.
    db.vors.clear();
    Bytes damaged = d.file;
    damaged[d.records[2] + 2] ^= 0x10;
    WriteDirectory(damaged);
    OpenAndFill();
    EXPECT_EQ(Read(0, 1), "");
    EXPECT_EQ(result, 0);
}

TEST(StationTexts, FrequenciesKindsAirspaceAndFacilities) {
    EXPECT_EQ(nav::FrequencyText(0x1180), "111.80");
    EXPECT_EQ(nav::FrequencyText(0x2180), "121.80");
    EXPECT_EQ(nav::FrequencyText(0), "");
    EXPECT_EQ(nav::KhzText(0x0350), "350");
    EXPECT_EQ(nav::KhzText(0), "");
    EXPECT_EQ(nav::FrequencyToBcd(12180), 0x2180);
    EXPECT_EQ(nav::FrequencyToBcd(20000), 0);
    EXPECT_EQ(nav::KhzToBcd(350), 0x0350);
    EXPECT_EQ(nav::theSmsDatabase.FormatFrequency(0x1390), "113.90");
    EXPECT_EQ(nav::theSmsDatabase.FormatKhz(0x0362), "362");

    const struct {
        std::uint8_t code;
        const char* name;
    } kinds[] = {{0x11, "Terminal VOR/DME"},
                 {0x71, "Low altitude VORTAC"},
                 {0xC1, "Canadian VOR"},
                 {0x01, "Error"},
                 {0xD1, "Error"},
                 {0x13, "ILS"},
                 {0x28, "ILS/DME"},
                 {0x83, "LDA/DME"},
                 {0x93, "Error"},
                 {0x12, ""},
                 {0x30, ""},
                 {0x16, ""}};
    for (const auto& k : kinds)
        EXPECT_EQ(nav::NavAidKindName(k.code), k.name) << int{k.code};
    const struct {
        std::uint8_t code;
        int kind;
    } lists[] = {{0, 0}, {7, 0}, {1, 1}, {2, 2}, {3, 3},    {8, 3},
                 {4, 4}, {5, 4}, {6, 6}, {9, 9}, {0xFF, 15}};
    for (const auto& l : lists)
        EXPECT_EQ(nav::NavKindOfCode(l.code), l.kind) << int{l.code};

    const struct {
        std::uint8_t byte;
        const char* airspace;
        const char* facilities;
    } spaces[] = {{0x01, "Class B", "No/No"},       {0x02, "Class C", "No/No"},
                  {0x24, "Class D, TRSA", "No/No"}, {0x48, "Class E", "Yes/No"},
                  {0x90, "Class G", "No/Yes"},      {0x03, "", "No/No"},
                  {0xE0, ", TRSA", "Yes/Yes"}};
    for (const auto& s : spaces) {
        EXPECT_EQ(nav::AirspaceText(s.byte), s.airspace) << int{s.byte};
        EXPECT_EQ(nav::FacilitiesText(s.byte), s.facilities) << int{s.byte};
    }
}

TEST(StationTexts, FrequencyLinesAndRunwayRows) {
    const std::string eight(8, ' ');
    const struct {
        nav::SmsAirportHeader header;
        std::string first, second;
    } cases[] = {
        {{0, 0, 0x2780, 0, 0, 0x1900, 0, 0}, "ATIS: 127.80" + eight + "TOWER: 119.00", ""},
        {{0, 0, 0x3377, 0x2110, 0x2190, 0x1830, 0x2090, 0x3565},
         "ATIS: 133.77" + eight + "CLR DEL: 121.10" + eight + "GND CON: 121.90",
         "TOWER: 118.30" + eight + "DEP CON: 120.90" + eight + "APP CON: 135.65"},
        {{0, 0, 0, 0, 0x2160, 0, 0x3395, 0x3395},
         "GND CON: 121.60" + eight + "DEP/APP CON: 133.95",
         ""},
        {{0, 0, 0, 0, 0, 0, 0, 0x3395}, "APP CON: 133.95", ""},
        {{}, "", ""},
    };
    for (const auto& c : cases) {
        const nav::FrequencyLines lines = nav::AirportFrequencyLines(c.header);
        EXPECT_EQ(lines.first, c.first);
        EXPECT_EQ(lines.second, c.second);
    }
    // An entry read whole ends its name inside its 100-byte field and inside what was read.
    const std::vector<std::uint8_t> entry(105, 'A');
    EXPECT_EQ(nav::DecodeEntryCopy(entry.data(), 105).name, std::string(99, 'A'));
    EXPECT_EQ(nav::DecodeEntryCopy(entry.data(), 9).name, "AAAA");
    EXPECT_EQ(nav::DecodeEntryCopy(entry.data(), 4).name, "");
    EXPECT_EQ(nav::RunwayDesignator(0xC9), "9C");
    EXPECT_EQ(nav::RunwayDesignator(0x40 | 27), "27L");
    EXPECT_EQ(nav::RunwayDesignator(30), "30");
    EXPECT_EQ(nav::RunwayListRow(Runway(0x80 | 28, 0, 0, 0, "I-SFO")),
              "28R\t6000\tX\t150\tILS: I-SFO");
    EXPECT_EQ(nav::RunwayListRow(Runway(10, 0, 0, 0)), "10 \t6000\tX\t150");
}

TEST_F(SmsDatabaseTest, AirportPageRunwayListAndDescription) {
    WriteDirectory(MakeDirectory().file);
    OpenAndFill();
    EXPECT_EQ(nav::theSmsDatabase.ShowAirportInfo({}, 1), 0);
    EXPECT_EQ(nav::theSmsDatabase.shownX, 10);
    EXPECT_EQ(nav::theSmsDatabase.shownRunway, 0x40 | 27);
    EXPECT_FALSE(nav::theSmsDatabase.latitudeText.empty());
    RecordingList runways;
    EXPECT_EQ(nav::theSmsDatabase.FillRunwayList(runways, 1), 0);
    EXPECT_EQ(runways.tabStops, (std::vector<int>{30, 45, 55, 65}));
    EXPECT_EQ(runways.rows,
              (std::vector<std::string>{"27L\t6000\tX\t150\tILS: I-OAK", "9R\t6000\tX\t150"}));
    EXPECT_EQ(runways.selected, 0);
    ASSERT_EQ(nav::theSmsDatabase.RunwayList().size(), 2u);
    EXPECT_EQ(nav::theSmsDatabase.RunwayList()[1].heading, 0xC000);
    EXPECT_STREQ(nav::theSmsDatabase.DescribeStation(0, 0), "San Carlos (KSQL) ");
    EXPECT_EQ(nav::theSmsDatabase.shownHeading, 0x8000);
    EXPECT_STREQ(nav::theSmsDatabase.DescribeStation(0, 1), "WOODSIDE (OSI) Low altitude VORTAC");
    EXPECT_EQ(nav::theSmsDatabase.DescribeStation(5, 0), nullptr);
}

class DebugStepsTest : public SmsDatabaseTest {
protected:
    void SetUp() override {
        SmsDatabaseTest::SetUp();
        const Directory d = MakeDirectory();
        WriteDirectory(d.file);
        // The index in identifier order: Kona (its entry is San Carlos's), Oakland, San Carlos,
        // each at its directory record's elevation.
        Bytes b;
        ASSERT_TRUE(nav::WriteAirportTable({{"KOA", 0, 0, 5, d.entries[0]},
                                            {"KOAK", 0, 0, -9, d.entries[1]},
                                            {"KSQL", 0, 0, 5, d.entries[0]}},
                                           &b));
        Write("Data/Nav/na.apt", b);
        nav::LoadNavAirports();
    }
    static std::int32_t X() { return nav::theSmsDatabase.positionX; }
};

TEST_F(DebugStepsTest, StepsThroughRunwaysAndAirports) {
    flight::theFlightModelState.fmPosY = 5000;
    nav::theNavReceptionFlags = 7;
    EXPECT_EQ(nav::theSmsDatabase.RunwayReadoutText(), "");
    std::vector<std::int32_t> seen;
    std::vector<std::string> readouts;
    EXPECT_EQ(nav::theSmsDatabase.DebugNextAirport(), 1);
    seen.push_back(X());
    readouts.push_back(nav::theSmsDatabase.RunwayReadoutText());
    EXPECT_EQ(flight::theFlightModelState.fmPosY, 6);
    EXPECT_EQ(nav::theNavReceptionFlags, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(nav::theSmsDatabase.DebugNextRunway(), 1);
        seen.push_back(X());
        readouts.push_back(nav::theSmsDatabase.RunwayReadoutText());
    }
    // KOA 12, 30; KOAK 27L, 9R; KSQL 12, 30: the runways in file order, then the next airport.
    EXPECT_EQ(seen, (std::vector<std::int32_t>{100, 300, 10, 30, 100, 300}));
    EXPECT_EQ(readouts,
              (std::vector<std::string>{"KOA runway 12", "KOA runway 30", "KOAK runway 27L",
                                        "KOAK runway 9R", "KSQL runway 12", "KSQL runway 30"}));
    EXPECT_EQ(nav::theSmsDatabase.DebugNextAirport(), 1);  // past the last airport: the first
    EXPECT_EQ(nav::theSmsDatabase.DebugAirportIndex(), 0);
    EXPECT_EQ(nav::theSmsDatabase.positionHeading, 0x8000);
    EXPECT_TRUE(nav::theSmsDatabase.IsStepped());

    // By letter: nothing starts after "K", so the airport is loaded again.
    EXPECT_EQ(nav::theSmsDatabase.DebugNextLetter(), 1);
    EXPECT_EQ(nav::theSmsDatabase.DebugAirportIndex(), 0);

    // The wizard's airport by its exact identifier, not the first identifier inside the text.
    nav::theSmsDatabase.selectedAirportText = "Metro Oakland Intl (KOAK)";
    EXPECT_EQ(nav::theSmsDatabase.LoadAirportRunways(1), 1);
    EXPECT_EQ(nav::theSmsDatabase.DebugAirportIndex(), 1);
    EXPECT_EQ(nav::theSmsDatabase.DebugRunwayIndex(), 1);
    nav::theSmsDatabase.selectedAirportText = "Somewhere near KSQL";
    EXPECT_EQ(nav::theSmsDatabase.LoadAirportRunways(0), 1);
    EXPECT_EQ(nav::theSmsDatabase.DebugAirportIndex(), 2);
    nav::theSmsDatabase.selectedAirportText = "Nowhere";
    EXPECT_EQ(nav::theSmsDatabase.LoadAirportRunways(0), 0);
}

TEST_F(DebugStepsTest, TheKeysMoveTheAircraftOnlyWhenTheSettingsEnableThem) {
    sim::KeyCommandNode node;
    sim::RegisterKeyCommands(&node, sim::DebugKeyCommands(), nav::kDebugKeyPriority);
    const struct {
        const char* value;  // null: no key
        bool enabled;
    } cases[] = {{nullptr, false}, {"0", false},          {"yes", false},
                 {"1", true},      {"99999999999", true}, {"-4", true}};
    for (const auto& c : cases) {
        core::theIniFile.PutString("Debug", "KBEnable", c.value);
        sim::SetUpDebugKeyCommands();
        nav::theSmsDatabase.ResetStepping();
        flight::theFlightModelState.fmPosX = -7;
        flight::theFlightModelState.fmPosY = 1234;
        EXPECT_EQ(sim::RunKeyCommandByCode(0x78), c.enabled ? 1 : 0)
            << (c.value ? c.value : "none");
        EXPECT_EQ(flight::theFlightModelState.fmPosX, c.enabled ? 100 : -7)
            << (c.value ? c.value : "none");
        if (!c.enabled) continue;
        EXPECT_EQ(flight::theFlightModelState.fmHead, 0x8000);
        EXPECT_EQ(flight::theFlightModelState.fmPosY, 6);
        sim::RunKeyCommandByCode(0x77);  // F8: the next runway
        EXPECT_EQ(flight::theFlightModelState.fmPosX, 300);
        sim::RunKeyCommandByCode(0x79);  // F10: the next letter, here the same airport again
        EXPECT_EQ(flight::theFlightModelState.fmPosX, 100);
        EXPECT_EQ(sim::RunKeyCommandByCode(0x40044), 0);  // the rows without effect pass keys on
    }
    sim::UnregisterKeyCommands(&node);
}

}  // namespace
