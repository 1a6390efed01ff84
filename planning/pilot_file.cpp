#include "planning/pilot_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/resource_volume.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace planning {
namespace {

constexpr const char* kAircraftNames[kAircraftCodeCount] = {
    "Cessna 172 Skyhawk", "Beechcraft V35 Bonanza", "Beechcraft Baron 58",
    "Beechcraft Super King Air B200", "Cessna 525 CitationJet"};
constexpr const char* kAircraftCodes[kAircraftCodeCount] = {"C-172", "B-V35", "B-58", "B-B200",
                                                            "C-525CJ"};
constexpr const char* kCategories[2] = {"Single", "Multiengine"};
constexpr const char* kPilotFileConditions[3] = {"Night", "Instrument", "Day"};
constexpr const char* kPilotingTimes[3] = {"Cross Country", "Dual", "Pilot-In-Command"};

template <std::size_t N>
const char* Row(const char* const (&table)[N], int i) {
    return i >= 0 && static_cast<std::size_t>(i) < N ? table[i] : "";
}
template <std::size_t N>
int Find(const char* const (&table)[N], std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (text == table[i]) return static_cast<int>(i);
    return static_cast<int>(N);
}

void Put16(std::uint8_t* p, int v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::int16_t Get16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
void PutText(std::uint8_t* p, const std::string& s) {
    const std::size_t n = std::min(s.size(), kLogbookTextSize - 1);
    std::memcpy(p, s.data(), n);
    std::memset(p + n, 0, kLogbookTextSize - n);
}
std::string GetText(const std::uint8_t* p) {
    const void* end = std::memchr(p, 0, kLogbookTextSize - 1);
    const std::size_t n = end ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - p)
                              : kLogbookTextSize - 1;
    return {reinterpret_cast<const char*>(p), n};
}

// Opens, runs `body` with the handle, closes: every path closes what it opened.
template <typename Body>
int WithFile(const std::string& path, std::uint32_t access, std::uint32_t disposition, Body body) {
    const win::FileHandle f = win::CreateFile(path, access, 0, disposition);
    if (!f.IsValid()) return 0;
    const int r = body(f);
    // The reason a failed body gives outlives the close.
    const std::uint32_t error = win::GetLastError();
    win::CloseHandle(f);
    if (r == 0) win::SetLastError(error);
    return r;
}
bool WriteAll(win::FileHandle f, const void* data, std::size_t size) {
    std::uint32_t written = 0;
    return win::WriteFile(f, data, static_cast<std::uint32_t>(size), &written) && written == size;
}
bool ReadAll(win::FileHandle f, void* data, std::size_t size) {
    std::uint32_t read = 0;
    return win::ReadFile(f, data, static_cast<std::uint32_t>(size), &read) && read == size;
}
bool Seek(win::FileHandle f, std::uint32_t at) {
    return win::SetFilePointer(f, static_cast<std::int32_t>(at), win::FILE_BEGIN) == at;
}

int ParseDatePart(std::string_view text, int part) {
    if (text.size() > 8) return 0;
    std::size_t begin = 0;
    for (int i = 0; i < part; ++i) {
        const std::size_t slash = text.find('/', begin);
        if (slash == std::string_view::npos) return 0;
        begin = slash + 1;
    }
    std::string number(text.substr(begin, 16));
    if (part < 2) number = number.substr(0, number.find('/'));
    return std::atoi(number.c_str());
}

}  // namespace

float HeldLogbookHours(double hours) {
    if (!(hours > 0.0)) return 0.0F;  // negative, zero, or not a number
    return static_cast<float>(std::min(hours, kLongestLogbookHours));
}

float ParseLogbookHours(const std::string& text) {
    return HeldLogbookHours(std::strtod(text.c_str(), nullptr));
}

std::optional<float> TypedLogbookHours(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return std::nullopt;
    text = text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
    // Digits only, with one point: strtod alone would also take "inf", "0x7fffffff" or "1e9".
    if (text.size() > 16 || std::count(text.begin(), text.end(), '.') > 1 ||
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) == 0 ||
        !std::all_of(text.begin(), text.end(),
                     [](char c) { return c == '.' || (c >= '0' && c <= '9'); }))
        return std::nullopt;
    const double hours = std::strtod(std::string(text).c_str(), nullptr);
    if (std::round(hours * 10.0) > kLongestLogbookHours * 10.0) return std::nullopt;
    return static_cast<float>(hours);
}

void EncodeLogbookEntry(const LogbookEntry& e, std::uint8_t* out) {
    std::memset(out, 0, kLogbookEntrySize);
    Put32(out, e.dateKey);
    Put16(out + 4, e.day);
    Put16(out + 6, e.month);
    Put16(out + 8, e.year);
    Put16(out + 10, e.aircraft);
    PutText(out + 12, e.from);
    PutText(out + 140, e.to);
    PutText(out + 268, e.remarks);
    Put16(out + 524, e.category);
    Put16(out + 526, e.conditions);
    Put16(out + 528, e.pilotingTime);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &e.duration, 4);
    Put32(out + 532, bits);
}

LogbookEntry DecodeLogbookEntry(const std::uint8_t* in) {
    LogbookEntry e;
    e.dateKey = Get32(in);
    e.day = Get16(in + 4);
    e.month = Get16(in + 6);
    e.year = Get16(in + 8);
    e.aircraft = Get16(in + 10);
    e.from = GetText(in + 12);
    e.to = GetText(in + 140);
    e.remarks = GetText(in + 268);
    e.category = Get16(in + 524);
    e.conditions = Get16(in + 526);
    e.pilotingTime = Get16(in + 528);
    const std::uint32_t bits = Get32(in + 532);
    float stored = 0.0F;
    std::memcpy(&stored, &bits, 4);
    e.duration = HeldLogbookHours(stored);
    return e;
}

std::string PilotFolder() {
    core::theSetupInfo.Read(1);
    const std::string& start = core::theSetupInfo.startFolder;
    return start.empty() ? std::string("PILOT") : start + "\\PILOT";
}

std::string PilotPath(std::string_view pilot) {
    return PilotFolder() + "\\" + std::string(pilot) + ".PLT";
}
std::string CurrentPilotPath() {
    return PilotFolder() + "\\CURRENT";
}

std::string ShownPilotPath(const std::string& path) {
    const std::string& start = core::theSetupInfo.startFolder;
    if (!start.empty() && path.size() > start.size() + 1 && path.compare(0, start.size(), start) == 0 &&
        path[start.size()] == '\\')
        return win::ShownPath(path.substr(start.size() + 1));
    return win::ShownPath(path);
}

bool IsValidPilotName(std::string_view name) {
    if (name.empty() || name.size() > kPilotNameLimit) return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != ' ')
            return false;
    return true;
}

PilotFile::PilotFile() {
    SetLessonNumber(1);
    Put32(header.data() + kPilotSettingOffset, 5);
}

int PilotFile::LessonNumber() const {
    return static_cast<std::uint16_t>(Get16(header.data() + kLessonNumberOffset));
}
void PilotFile::SetLessonNumber(int lesson) {
    Put16(header.data() + kLessonNumberOffset, lesson);
}

int PilotFile::ManeuverResult(int maneuver) const {
    if (maneuver < 0 || maneuver >= kManeuverResultSlots) return -1;
    const int stored = header[static_cast<std::size_t>(kManeuverResultOffset + maneuver)];
    return stored >= 1 && stored <= 3 ? stored - 1 : -1;
}

void PilotFile::RecordManeuverResult(int maneuver, int result) {
    if (maneuver < 0 || maneuver >= kManeuverResultSlots || result < 0 || result > 2) return;
    const int kept = ManeuverResult(maneuver);
    // The best result stays: a manoeuvre once mastered is not taken back by a later try.
    if (kept >= 0 && kept <= result) return;
    header[static_cast<std::size_t>(kManeuverResultOffset + maneuver)] = static_cast<std::uint8_t>(result + 1);
}

std::vector<std::uint8_t> PilotFile::Encode() const {
    const std::size_t held = entries.size() * kLogbookEntrySize;
    std::vector<std::uint8_t> bytes(kPilotEntriesOffset + held + uncounted.size());
    std::memcpy(bytes.data(), header.data(), kPilotHeaderSize);
    // Entries kept beyond the count come after the counted ones, and move up into the count as
    // far as it has room (after rows were deleted).
    const std::size_t all = entries.size() + UncountedEntries();
    Put16(bytes.data() + kPilotCountOffset,
          static_cast<int>(std::min<std::size_t>(all, kMaxLogbookEntries)));
    for (std::size_t i = 0; i < entries.size(); ++i)
        EncodeLogbookEntry(entries[i], bytes.data() + kPilotEntriesOffset + i * kLogbookEntrySize);
    std::memcpy(bytes.data() + kPilotEntriesOffset + held, uncounted.data(), uncounted.size());
    return bytes;
}

int PilotFile::Fail(const std::string& path, std::uint32_t error, bool damaged) {
    failedFile = path;
    failedError = error != win::ERROR_SUCCESS ? error : win::ERROR_WRITE_FAULT;
    damagedFile = damaged;
    win::SetLastError(failedError);
    return 0;
}

// The whole file is read first, so a count that differs from the whole entries the file holds
// (more, fewer, or negative) is seen before anything is believed. Such a count is damage to the
// count only: every whole entry the file holds is kept, and the file is marked repaired so that
// the next save writes the right count. The count can count 32,767 entries: a file holding more
// counts that many, and the rest are kept as bytes. A file too short for its header is no pilot
// file.
int PilotFile::ReadFile(const std::string& path) {
    std::string bytes;
    if (!win::ReadWholeFile(path, &bytes, kMaxPilotFileBytes)) {
        const std::uint32_t error = win::GetLastError();
        // A file that is there but cannot be read as bytes (a folder, a device) is damaged too.
        return Fail(path, error, error != win::ERROR_FILE_NOT_FOUND && error != win::ERROR_PATH_NOT_FOUND &&
                                     error != win::ERROR_ACCESS_DENIED && error != win::ERROR_SHARING_VIOLATION);
    }
    if (bytes.size() < kPilotEntriesOffset) return Fail(path, win::ERROR_FILE_INVALID, true);
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const int count = Get16(b + kPilotCountOffset);
    const std::size_t whole = (bytes.size() - kPilotEntriesOffset) / kLogbookEntrySize;
    const std::size_t counted = std::min<std::size_t>(whole, kMaxLogbookEntries);
    repairedFile = count < 0 || static_cast<std::size_t>(count) != counted;
    countRead = count;
    if (repairedFile)
        win::TraceLine("pilot: " + path + " counts " + std::to_string(count) + " entries and holds " +
                       std::to_string(whole) + " whole ones; those are kept");
    if (whole > counted)
        win::TraceLine("pilot: " + path + " holds " + std::to_string(whole) + " entries; " +
                       std::to_string(counted) + " are counted and the others kept as they are");
    std::memcpy(header.data(), b, kPilotHeaderSize);
    entries.clear();
    entries.reserve(counted);
    for (std::size_t i = 0; i < counted; ++i)
        entries.push_back(DecodeLogbookEntry(b + kPilotEntriesOffset + i * kLogbookEntrySize));
    uncounted.assign(bytes, kPilotEntriesOffset + counted * kLogbookEntrySize,
                     (whole - counted) * kLogbookEntrySize);
    editIndex = 0;
    if (Get32(header.data() + kPilotSettingOffset) != 0) Put32(header.data() + kPilotSettingOffset, 5);
    return 1;
}

namespace {
// Nothing stands at the path: a pilot of that name is new. What stands there and is no file
// (a pipe, a loop of links) is a pilot file that cannot be read, never one to make.
bool IsAbsent(const std::string& path) {
    return win::GetFileAttributes(path) == win::INVALID_FILE_ATTRIBUTES &&
           !win::IsOtherThanPlainFile(path);
}
}  // namespace

int PilotFile::LoadCurrent() {
    std::string bytes;
    if (!win::ReadWholeFile(CurrentPilotPath(), &bytes, kCurrentFileLimit)) {
        const std::uint32_t error = win::GetLastError();
        // What stands there and is no file of a name (a pipe, a device, a folder, a loop of
        // links, a huge file) is named to the user and kept as it is.
        const bool unreadable = error == win::ERROR_FILE_TOO_LARGE || error == win::ERROR_BAD_FILE_TYPE;
        return Fail(CurrentPilotPath(), error == win::ERROR_FILE_TOO_LARGE ? win::ERROR_FILE_INVALID : error,
                    unreadable);
    }
    const std::string read = bytes.substr(0, bytes.find('\0'));
    // A file that names no pilot (an empty one) is damaged: said, and replaced by the choice.
    if (!IsValidPilotName(read)) return Fail(CurrentPilotPath(), win::ERROR_FILE_INVALID, true);
    name = read;
    const std::string path = PilotPath(name);
    if (IsAbsent(path)) return SelectPilot(read);
    // A pilot whose file does not read is no pilot: nothing is written over the damaged file.
    if (ReadFile(path) == 0) {
        name.clear();
        return 0;
    }
    return 1;
}

int PilotFile::SelectPilot(std::string_view pilot) {
    if (!IsValidPilotName(pilot)) return Fail(PilotPath(pilot), win::ERROR_INVALID_PARAMETER, false);
    name = std::string(pilot);
    win::CreateDirectory(PilotFolder());  // the folder is made when a pilot is first written
    const std::string path = PilotPath(name);
    if (IsAbsent(path)) {
        // The new pilot's file is made whole or not at all. A link of that name whose file is
        // not there yet stays, and its file is made; a loop of links is refused and stays.
        const std::vector<std::uint8_t> bytes = Encode();
        if (!win::ReplaceFileAtomically(path, std::span<const std::uint8_t>(bytes))) {
            const std::uint32_t error = win::GetLastError();
            name.clear();
            return Fail(path, error, false);
        }
    } else {
        // A pilot file that cannot be read is not made current: the pilot named in "CURRENT"
        // until now stays the current one, and the damaged file stays as it is.
        PilotFile check;
        if (check.ReadFile(path) == 0) {
            name.clear();
            return Fail(check.failedFile, check.failedError, check.damagedFile);
        }
    }
    // The name with its terminating zero, replacing the old "CURRENT" only once it is whole.
    const std::string current(name.c_str(), name.size() + 1);
    if (!win::ReplaceFileAtomically(CurrentPilotPath(), std::string_view(current))) {
        const std::uint32_t error = win::GetLastError();
        // What stands in its place (named when the start could not read it) stays: the pilot
        // flies this session without being remembered for the next.
        if (error == win::ERROR_BAD_FILE_TYPE && ReadFile(path) != 0) return 1;
        name.clear();
        return Fail(CurrentPilotPath(), error, false);
    }
    return LoadCurrent();
}

// The header, count and entries written over the start of the file, whose later bytes stay, in
// one replacement: a failed save leaves the file as it was.
int PilotFile::Save() {
    if (name.empty()) return Fail(std::string(), win::ERROR_INVALID_PARAMETER, false);
    const std::string path = PilotPath(name);
    const std::vector<std::uint8_t> bytes = Encode();
    if (!win::ReplaceFileAtomically(path, std::span<const std::uint8_t>(bytes)))
        return Fail(path, win::GetLastError(), false);
    repairedFile = false;
    return 1;
}

int PilotFile::ClearLogbook() {
    if (name.empty() || win::GetFileAttributes(PilotPath(name)) == win::INVALID_FILE_ATTRIBUTES) return 0;
    std::vector<LogbookEntry> kept = std::move(entries);
    std::string keptBeyond = std::move(uncounted);
    entries.clear();
    uncounted.clear();
    if (Save() == 0) {
        entries = std::move(kept);
        uncounted = std::move(keptBeyond);
        return 0;
    }
    editIndex = 0;
    return 1;
}

int PilotFile::AppendEntry(const LogbookEntry& entry) {
    if (name.empty()) return 0;
    return WithFile(PilotPath(name), win::GENERIC_READ | win::GENERIC_WRITE, win::OPEN_EXISTING,
                    [&](win::FileHandle f) {
                        std::uint8_t head[kPilotEntriesOffset];
                        if (!ReadAll(f, head, sizeof head)) return 0;
                        const int count = Get16(head + kPilotCountOffset);
                        if (count < 0 || count >= kMaxLogbookEntries) {
                            win::SetLastError(win::ERROR_FILE_TOO_LARGE);
                            return 0;
                        }
                        std::memcpy(header.data(), head, kPilotHeaderSize);
                        std::uint8_t bytes[kLogbookEntrySize];
                        EncodeLogbookEntry(entry, bytes);
                        std::uint8_t newCount[2];
                        Put16(newCount, count + 1);
                        const auto at = static_cast<std::uint32_t>(kPilotEntriesOffset + count * kLogbookEntrySize);
                        if (!Seek(f, kPilotCountOffset) || !WriteAll(f, newCount, 2) || !Seek(f, at) ||
                            !WriteAll(f, bytes, sizeof bytes))
                            return 0;
                        if (entries.size() == static_cast<std::size_t>(count)) entries.push_back(entry);
                        return 1;
                    });
}

int PilotFile::ReplaceLogbook(const std::vector<LogbookEntry>& newEntries) {
    if (name.empty()) return Fail(std::string(), win::ERROR_INVALID_PARAMETER, false);
    const std::string path = PilotPath(name);
    if (newEntries.size() > static_cast<std::size_t>(kMaxLogbookEntries))
        return Fail(path, win::ERROR_FILE_TOO_LARGE, false);
    // The header as the file holds it now, so the lesson the preflight stored is kept.
    std::string old;
    if (!win::ReadWholeFile(path, &old)) return Fail(path, win::GetLastError(), false);
    if (old.size() < kPilotEntriesOffset) return Fail(path, win::ERROR_FILE_INVALID, true);
    std::memcpy(header.data(), old.data(), kPilotHeaderSize);
    std::vector<LogbookEntry> kept = std::move(entries);
    entries = newEntries;
    const std::vector<std::uint8_t> bytes = Encode();
    if (!win::ReplaceFileAtomically(path, std::span<const std::uint8_t>(bytes))) {
        const std::uint32_t error = win::GetLastError();
        entries = std::move(kept);
        return Fail(path, error, false);
    }
    return 1;
}

std::string PilotFile::FormatEntryDate(int n) const {
    if (n < 0 || static_cast<std::size_t>(n) >= entries.size()) return {};
    const LogbookEntry& e = entries[static_cast<std::size_t>(n)];
    char text[40];
    std::snprintf(text, sizeof text, "%d/%d/%d", e.month, e.day, e.year);
    return text;
}
std::string PilotFile::FormatCurrentEntryDate() const {
    return FormatEntryDate(editIndex);
}

void PilotFile::SetEntryDate(int month, int day, int year) {
    if (entries.empty() || editIndex < 0 || static_cast<std::size_t>(editIndex) >= entries.size()) return;
    LogbookEntry& e = entries[static_cast<std::size_t>(editIndex)];
    e.month = static_cast<std::int16_t>(month);
    e.day = static_cast<std::int16_t>(day);
    e.year = static_cast<std::int16_t>(year);
    e.dateKey = MakeDateKey(month, day, year);
}

float PilotFile::TotalHours(int conditions) const {
    float total = 0.0F;
    for (const LogbookEntry& e : entries)
        if (e.conditions == conditions) total += e.duration;
    return total;
}

const char* GetAircraftName(int i) { return Row(kAircraftNames, i); }
const char* GetAircraftCode(int i) { return Row(kAircraftCodes, i); }
const char* GetCategoryName(int i) { return Row(kCategories, i); }
const char* GetConditionsName(int i) {
    return Row(kPilotFileConditions, i);
}
const char* GetPilotingTimeName(int i) { return Row(kPilotingTimes, i); }

int ParseEntryMonth(std::string_view text) { return ParseDatePart(text, 0); }
int ParseEntryDay(std::string_view text) { return ParseDatePart(text, 1); }
int ParseEntryYear(std::string_view text) { return ParseDatePart(text, 2); }
int ParseAircraftCode(std::string_view text) { return Find(kAircraftCodes, text); }
int ParseCategory(std::string_view text) { return Find(kCategories, text); }
int ParseConditions(std::string_view text) {
    return Find(kPilotFileConditions, text);
}
int ParsePilotingTime(std::string_view text) { return Find(kPilotingTimes, text); }

std::uint32_t MakeDateKey(int month, int day, int year) {
    return static_cast<std::uint32_t>(day + (year * 100 + month) * 100);
}

std::uint32_t SortingDateKey(std::uint32_t dateKey) {
    return dateKey < 700000 ? dateKey + 1000000 : dateKey;
}

}  // namespace planning
