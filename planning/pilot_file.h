// Pilot files: one binary file per pilot under "PILOT" in the start-up folder, holding a small
// header (the pilot's lesson number) and the logbook; "PILOT\CURRENT" names the current pilot.
//
// Layout, little-endian, no magic: the 104-byte header (a byte per manoeuvre's result from 0,
// u16 lesson number at 94, a u32 setting held as 5 at 96), an i16 entry count at 104, then the
// entries of 536 bytes each from 106.
// A file is trusted only as far as it is whole: a file too short for its header is damaged and
// fails the load; a negative count, or one that promises more entries than the file holds,
// keeps the whole entries the file holds; texts keep at most 127 characters and their terminator.
// The count counts at most 32,767 entries: the logbook shows that many, and entries a file holds
// beyond them are kept as they are, written back after the counted ones.
// Every write replaces the file whole, so a failed one leaves it as it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace planning {

inline constexpr int kPilotHeaderSize = 104;
inline constexpr int kPilotCountOffset = 104;
inline constexpr int kPilotEntriesOffset = 106;
inline constexpr int kLogbookEntrySize = 536;
inline constexpr int kLessonNumberOffset = 94;
inline constexpr int kPilotSettingOffset = 96;
// How each manoeuvre went, one byte per manoeuvre from the header's start (bytes a new pilot
// holds as zero): 0 not flown yet, 1 mastered, 2 practised, 3 not passed.
inline constexpr int kManeuverResultOffset = 0;
inline constexpr int kManeuverResultSlots = 64;
inline constexpr std::size_t kLogbookTextSize = 128;
inline constexpr std::size_t kPilotNameLimit = 64;
inline constexpr std::size_t kCurrentFileLimit = 512;
// The most entries the i16 count can count.
inline constexpr int kMaxLogbookEntries = 32767;
// The most a pilot file is read at: room for the counted entries twice over (the uncounted are
// kept as bytes); a larger file is refused unread as damaged.
inline constexpr std::uint64_t kMaxPilotFileBytes =
    kPilotEntriesOffset + 2ull * kMaxLogbookEntries * kLogbookEntrySize;

// One flight of the logbook.
struct LogbookEntry {
    std::uint32_t dateKey = 0;  // year * 10000 + month * 100 + day (two-digit year)
    std::int16_t day = 1;
    std::int16_t month = 1;
    std::int16_t year = 0;      // two digits
    std::int16_t aircraft = 0;  // row of the aircraft code table; 5 when none matched
    std::string from, to, remarks;
    std::int16_t category = 0;      // 0 Single, 1 Multiengine
    std::int16_t conditions = 2;    // 0 Night, 1 Instrument, 2 Day
    std::int16_t pilotingTime = 0;  // 0 Cross Country, 1 Dual, 2 Pilot-In-Command
    float duration = 0.0F;          // hours
};

// The longest flight one logbook entry records, in hours. A duration typed or read from a file
// is held to 0..this; text that is no number, and a stored value that is none, count as 0.
inline constexpr double kLongestLogbookHours = 999.9;
[[nodiscard]] float HeldLogbookHours(double hours);
// The hours of a duration text, read as atof reads it, then held.
[[nodiscard]] float ParseLogbookHours(const std::string& text);
// The hours a user typed: plain decimal digits with at most one point ("1.5", ".8", "12"),
// blanks around them allowed, at most kLongestLogbookHours once rounded to the tenth a logbook
// shows. Anything else (a sign, an exponent, hexadecimal, "inf", "nan", letters) is no flight's
// length: nothing.
[[nodiscard]] std::optional<float> TypedLogbookHours(std::string_view text);

// The 536 bytes of an entry, and back (texts cut at their terminator or at 127 characters).
void EncodeLogbookEntry(const LogbookEntry& entry, std::uint8_t* out);
LogbookEntry DecodeLogbookEntry(const std::uint8_t* in);

class PilotFile {
public:
    // An empty pilot: lesson 1, setting 5, no entries. Nothing is written until a pilot is chosen.
    PilotFile();

    // Reads the pilot "CURRENT" names; a missing pilot file is made. 1 when read, else 0.
    int LoadCurrent();
    // Makes `name` the current pilot (its file made when new) and loads it: 1, else 0. A pilot
    // whose file cannot be read is not made current: "CURRENT" keeps naming the pilot before.
    int SelectPilot(std::string_view name);
    // Rewrites the pilot file (header, count, every entry, nothing after them) at once: 1, else 0.
    // Every whole entry a file holds is read, so no old entry may stay beyond the count.
    int Save();
    // The existing file rewritten with the header and no entries.
    int ClearLogbook();
    // One more entry written at the end of the counted ones in the existing file.
    int AppendEntry(const LogbookEntry& entry);
    // The whole file (header as held, the given entries) replaced at once, never half: 1, else 0.
    int ReplaceLogbook(const std::vector<LogbookEntry>& newEntries);

    // "month/day/year" of entry n, or empty when there is none.
    [[nodiscard]] std::string FormatEntryDate(int n) const;
    [[nodiscard]] std::string FormatCurrentEntryDate() const;
    void SetEntryDate(int month, int day, int year);
    // Hours of the entries flown in the given conditions (0 night, 1 instrument, 2 day).
    [[nodiscard]] float TotalHours(int conditions) const;

    [[nodiscard]] int LessonNumber() const;
    void SetLessonNumber(int lesson);
    // Manoeuvre n's best result (LessonResult: 0 mastered, 1 practised, 2 not passed), -1 when
    // it was not flown (or n is past the 64 kept).
    [[nodiscard]] int ManeuverResult(int maneuver) const;
    // Keeps a result unless a better one is kept already.
    void RecordManeuverResult(int maneuver, int result);

    // The file's bytes for what is held now.
    [[nodiscard]] std::vector<std::uint8_t> Encode() const;

    std::string name;  // empty when no pilot is set
    std::array<std::uint8_t, kPilotHeaderSize> header{};
    std::int16_t editIndex = 0;
    std::vector<LogbookEntry> entries;
    int flightMode = 0;  // the world's flight mode the menu keeps with the pilot (not stored)

    // Why the last operation that returned 0 failed, for the caller to tell the user: the file
    // it concerned, the file error, and whether that file is there but holds no pilot (too short
    // for its header, or no plain file).
    std::string failedFile;
    std::uint32_t failedError = 0;
    bool damagedFile = false;
    // The last read found a count (`countRead`) that differs from the whole entries the file
    // holds: every whole entry was kept, and the next save writes the right count.
    bool repairedFile = false;
    int countRead = 0;
    // The bytes of the whole entries the file holds beyond the 32,767 the count counts: not in
    // `entries`, and written back after them by every save.
    std::string uncounted;
    [[nodiscard]] std::size_t UncountedEntries() const {
        return uncounted.size() / kLogbookEntrySize;
    }

private:
    int ReadFile(const std::string& path);
    // Records a failure (an error of 0 counts as a write fault) and returns 0.
    int Fail(const std::string& path, std::uint32_t error, bool damaged);
};

// The pilot folder under the start-up folder, and a pilot's file or "CURRENT" in it.
[[nodiscard]] std::string PilotFolder();
[[nodiscard]] std::string PilotPath(std::string_view pilot);
[[nodiscard]] std::string CurrentPilotPath();
// A pilot path as the user knows the file: from the start-up folder, with slashes
// ("PILOT/Student.PLT").
[[nodiscard]] std::string ShownPilotPath(const std::string& path);
// Letters, digits, "-", "_" and blanks, 1 to 64 of them.
[[nodiscard]] bool IsValidPilotName(std::string_view name);

// Text tables; the index is what an entry stores. Out of range gives "".
inline constexpr int kAircraftCodeCount = 5;
[[nodiscard]] const char* GetAircraftName(int i);
[[nodiscard]] const char* GetAircraftCode(int i);
[[nodiscard]] const char* GetCategoryName(int i);
[[nodiscard]] const char* GetConditionsName(int i);
[[nodiscard]] const char* GetPilotingTimeName(int i);

// Parsers of the logbook's list texts. A date of more than 8 characters gives 0 for each part.
[[nodiscard]] int ParseEntryMonth(std::string_view text);
[[nodiscard]] int ParseEntryDay(std::string_view text);
[[nodiscard]] int ParseEntryYear(std::string_view text);
// The row whose text equals `text` exactly, or the row count.
[[nodiscard]] int ParseAircraftCode(std::string_view text);
[[nodiscard]] int ParseCategory(std::string_view text);
[[nodiscard]] int ParseConditions(std::string_view text);
[[nodiscard]] int ParsePilotingTime(std::string_view text);

[[nodiscard]] std::uint32_t MakeDateKey(int month, int day, int year);
// The key the logbook sorts by: two-digit years below 70 count as 20xx, so 1999 comes first.
[[nodiscard]] std::uint32_t SortingDateKey(std::uint32_t dateKey);

}  // namespace planning
