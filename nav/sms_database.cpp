#include "nav/sms_database.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/endian.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "nav/dialog_controls.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "nav/nav_host.h"
#include "ui/dialog_services.h"
#include "win/compositor.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace nav {

core::ResourceVolume& theSmsFile = core::theSmsDataVolume;
SmsCurrentEntry theSmsCurrentEntry;
std::vector<SmsRunwayRecord> theSmsRunwayBlock;
SmsDatabase theSmsDatabase;

namespace {

constexpr char kCouldNotOpen[] = "Could not open %s.";
constexpr char kErrorReading[] = "Error reading file %s.";
constexpr char kCouldNotSeek[] = "Could not seek in file %s.";
constexpr char kUnlisted[] =
    "The station directory %s does not agree with the navigation tables about a station, so the "
    "station is not used. Installing the program again restores the directory.";
constexpr char kDamaged[] =
    "The station directory %s is damaged: a station's record is cut short or holds what no "
    "station can, so it is not used. Installing the program again restores the directory.";

// Where the covered area holds it.
bool InsideAirspace(std::int32_t x, std::int32_t z) {
    return HoldPositionInAirspace(x, z) == 0;
}

// Four BCD digits (or three for an NDB's kHz) within the band of the kind.
bool IsBcdFrequency(std::uint16_t bcd, int kind) {
    int value = 0;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int digit = (bcd >> shift) & 0xF;
        if (digit > 9) return false;
        value = value * 10 + digit;
    }
    if (kind == kSmsNdb) return value >= 100 && value <= 1799;
    return value >= 800 && value <= 1795;  // 108.00 to 117.95 MHz after the implied 1
}

// A station's record as the file holds it: in the covered area, on a frequency of its band.
bool IsSoundRecord(int kind, const std::uint8_t* bytes) {
    if (kind == kSmsWaypoint) {
        const SmsWaypointRecord w = DecodeWaypointRecord(bytes);
        return InsideAirspace(w.x, w.z);
    }
    const SmsStationRecord r = DecodeStationRecord(bytes);
    return InsideAirspace(r.x, r.z) && IsBcdFrequency(r.frequency, kind);
}

// A station's record against the navigation table of its kind: the directory and the tables
// are made from the same data, so a station's record holds the position (and the frequency) of
// a row of its kind. A bit changed in the record moves it off every row. A table that did not
// load judges nothing.
bool IsListedStation(int kind, const std::uint8_t* bytes) {
    const NavDatabase& db = theNavDatabase;
    if (kind == kSmsWaypoint) {
        const SmsWaypointRecord w = DecodeWaypointRecord(bytes);
        return db.waypoints.empty() ||
               std::any_of(db.waypoints.begin(), db.waypoints.end(),
                           [&](const WaypointRecord& r) { return r.x == w.x && r.z == w.z; });
    }
    const SmsStationRecord s = DecodeStationRecord(bytes);
    const auto listed = [&s](const auto& rows, std::uint16_t (*bcd)(int)) {
        return rows.empty() || std::any_of(rows.begin(), rows.end(), [&](const auto& r) {
                   return r.x == s.x && r.z == s.z && bcd(r.frequency) == s.frequency;
               });
    };
    switch (kind) {
        case kSmsVor:
            return listed(db.vors, FrequencyToBcd);
        case kSmsNdb:
            return listed(db.ndbs, KhzToBcd);
        case kSmsIls:
            return listed(db.ils, FrequencyToBcd);
        default:
            return true;
    }
}

// An airport's record against its row of the airport index: the same field elevation, and every
// runway within ten miles of the airport's reference point (the farthest runway end of the
// country, on the dry lake at Edwards, lies 7 nm from it).
constexpr std::int64_t kAirportReach = 10 * 474112;  // world units: 10 nautical miles
bool AgreesWithIndex(const AirportIndexRecord& a, const SmsAirportHeader& h,
                     const std::vector<SmsRunwayRecord>& rows) {
    if (h.elevation != a.elevation) return false;
    return std::all_of(rows.begin(), rows.end(), [&a](const SmsRunwayRecord& r) {
        const std::int64_t dx = std::int64_t{r.x} - a.x, dz = std::int64_t{r.z} - a.z;
        if (std::abs(dx) > kAirportReach || std::abs(dz) > kAirportReach) return false;
        return dx * dx + dz * dz <= kAirportReach * kAirportReach;
    });
}

// An airport's runways are numbered 1 to 36 and lie in the covered area, and its frequencies are
// radio frequencies (lengths and widths are whatever the data says: some strips are 4 ft wide).
bool IsSoundAirport(const SmsAirportHeader& h, const std::vector<SmsRunwayRecord>& rows) {
    for (const std::uint16_t bcd : {h.atis, h.clearance, h.ground, h.tower, h.departure, h.approach})
        for (int shift = 0; shift < 16; shift += 4)
            if (((bcd >> shift) & 0xF) > 9) return false;
    for (const SmsRunwayRecord& r : rows) {
        const int number = r.runway & 0x3F;
        if (number < 1 || number > 36 || !InsideAirspace(r.x, r.z)) return false;
    }
    return true;
}

// Zeros after the name list in memory: the last name ends there even when the file cut it, and
// the name scan below may read thirty-two bytes from the last byte before a terminator.
constexpr std::size_t kGuardBytes = 32;

// The length of the NUL-terminated name at `p`: 32 bytes compared with zero at a time, or
// without SSE2 eight bytes at a time until a word holds a zero byte ((w - 0x01..01) & ~w &
// 0x80..80 is not zero), then byte by byte.
[[gnu::always_inline]] inline std::size_t NameLength(const std::uint8_t* p) {
#if defined(__SSE2__)
    // Thirty-two bytes a step, so that nearly every name takes one step and its length decides
    // no branch.
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t n = 0;; n += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n + 16));
        const unsigned nul =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero))) |
            (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) << 16);
        if (nul != 0) return n + static_cast<std::size_t>(std::countr_zero(nul));
    }
#else
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    std::size_t n = 0;
    for (;; n += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + n, 8);
        if (((w - kOnes) & ~w & kHighs) != 0) break;
    }
    while (p[n] != 0)
        ++n;
    return n;
#endif
}

// Stores the name list's entry at `at`; the first byte of the entry after it. Inlined into the
// walks, which take one step after another.
template <class Entries>
[[gnu::always_inline]] inline std::uint32_t StoreEntry(const std::uint8_t* data, std::uint32_t at,
                                                       Entries& out) {
    const std::size_t nameAt = std::size_t{at} + kSmsEntryHeadBytes;
    const std::size_t nameLength = NameLength(data + nameAt);
    out.push_back({static_cast<std::uint32_t>(nameAt), static_cast<std::uint32_t>(nameLength)});
    return static_cast<std::uint32_t>(nameAt + nameLength + 1);
}

// The record size of a station kind (1 VOR to 4 waypoint).
int StationRecordBytes(int kind) {
    return kind == kSmsWaypoint ? kSmsWaypointRecordBytes : kSmsStationRecordBytes;
}

}  // namespace

SmsDatabase::SmsDatabase() {
    showFlags.fill(1);
}

// ---- the name list ------------------------------------------------------------------------

int SmsDatabase::Open(win::HWND parent) {
    return OpenSmsDatabase(kSmsFileName, parent);
}

int SmsDatabase::Reopen(const char* name, win::HWND parent) {
    if (fileHandle.IsValid()) win::CloseHandle(fileHandle);
    fileHandle = win::FileHandle{};
    return OpenSmsDatabase(name, parent);
}

int SmsDatabase::OpenSmsDatabase(const char* name, win::HWND parent) {
    fileName = name != nullptr ? name : kSmsFileName;
    // A directory opened again may be another file: its damage is named once more.
    damageTold = false;
    // The table is emptied, not freed: a directory opened again reads into the memory it had.
    entries.clear();
    rowCounts.fill(0);
    auto fail = [&](const char* message) {
        fileBuffer.clear();
        ShowError(parent, message);
        return 0;
    };
    if (!theSmsFile.OpenFile(fileName)) {
        theSmsFile.CloseFile();
        return fail(kCouldNotOpen);
    }
    // The header says where the name list ends; the list and the header are read whole, the
    // station records beyond it on demand. The end must lie inside the file.
    core::VolumeRStream* stream = theSmsFile.GetStream();
    const std::int64_t size = stream != nullptr ? stream->GetEntrySize(fileName) : -1;
    std::array<std::uint8_t, kSmsHeaderBytes> header;
    if (theSmsFile.ReadRecords(header.data(), static_cast<int>(kSmsHeaderBytes), 1) != 1) {
        theSmsFile.CloseFile();
        return fail(kErrorReading);
    }
    const std::uint32_t end = core::ReadU32(header.data() + kSmsListEndField);
    if (end < kSmsHeaderBytes || size < 0 || std::int64_t{end} > size) {
        theSmsFile.CloseFile();
        return fail(kErrorReading);
    }
    // The list and the byte after it when the file has one; a guard zero ends the buffer, so a
    // name that runs to the end is still terminated.
    const std::uint32_t length =
        static_cast<std::uint32_t>(std::min<std::int64_t>(end + std::int64_t{1}, size));
    fileBuffer.resize(std::size_t{length} + kGuardBytes);
    std::copy(header.begin(), header.end(), fileBuffer.begin());
    std::fill(fileBuffer.begin() + length, fileBuffer.end(), 0);
    const std::uint32_t rest = length - kSmsHeaderBytes;
    const bool whole = rest == 0 || theSmsFile.ReadRecords(fileBuffer.data() + kSmsHeaderBytes,
                                                           static_cast<int>(rest), 1) == 1;
    theSmsFile.CloseFile();
    if (!whole) return fail(kErrorReading);

    IndexNames(end, length);
    return 1;
}

void SmsDatabase::IndexNames(std::uint32_t end, std::uint32_t length) {
    const std::uint8_t* data = fileBuffer.data();
    // Entries while the walk is before the end; the one that crosses it still counts when its
    // kind, offset and first name byte lie inside what was read.
    const auto inside = [end, length](std::uint32_t at) {
        return at < end && std::size_t{at} + 6 <= length;
    };
    // An entry takes at least six bytes, which bounds the count.
    entries.reserve((end - kSmsHeaderBytes) / 6 + 1);
    constexpr std::uint32_t kWalks = 4;
    if (end - kSmsHeaderBytes < kWalks * 65536) {
        for (std::uint32_t at = kSmsHeaderBytes; inside(at);)
            at = StoreEntry(data, at, entries);
        return;
    }

    // A long list is walked from four places at once: each entry's length depends on the one
    // before, so one walk waits on every step, and four independent ones keep the processor
    // busy. All but the first start at a guessed byte, perhaps inside an entry; such a walk falls
    // into step with the true one within an entry or two (every walk goes on from the end of a
    // name), so the walk before it goes on past that guess until the two meet, and the guessed
    // walk's entries count from there. When they do not meet soon (a list of empty names, say),
    // the true walk goes on alone.
    std::array<std::uint32_t, kWalks + 1> starts{};
    const std::uint32_t share = (end - kSmsHeaderBytes) / kWalks;
    for (std::uint32_t k = 0; k < kWalks; ++k)
        starts[k] = kSmsHeaderBytes + k * share;
    starts[kWalks] = end;
    std::array<std::vector<StoredEntry>*, kWalks> out{&entries};
    for (std::uint32_t k = 1; k < kWalks; ++k) {
        out[k] = &walkScratch[k - 1];
        out[k]->clear();
    }
    std::array<std::uint32_t, kWalks> at{starts[0], starts[1], starts[2], starts[3]};
    while (at[0] < starts[1] && at[1] < starts[2] && at[2] < starts[3] && inside(at[3])) {
        at[0] = StoreEntry(data, at[0], entries);
        at[1] = StoreEntry(data, at[1], *out[1]);
        at[2] = StoreEntry(data, at[2], *out[2]);
        at[3] = StoreEntry(data, at[3], *out[3]);
    }
    for (std::uint32_t k = 0; k + 1 < kWalks; ++k) {
        while (at[k] < starts[k + 1])
            at[k] = StoreEntry(data, at[k], *out[k]);
    }
    while (inside(at[kWalks - 1]))
        at[kWalks - 1] = StoreEntry(data, at[kWalks - 1], *out[kWalks - 1]);

    for (std::uint32_t k = 1; k < kWalks; ++k) {
        // The true walk goes on from where it stopped until it meets an entry of the guessed
        // walk (which may have stepped over an entry or two before falling into step); the
        // guessed walk's entries count from there.
        std::uint32_t met = at[k - 1];
        const std::vector<StoredEntry>& guessed = *out[k];
        const std::size_t look = std::min<std::size_t>(guessed.size(), 16);
        std::size_t from = 0;
        for (;;) {
            while (from < look && guessed[from].nameOffset - kSmsEntryHeadBytes < met)
                ++from;
            if (from == look) {
                for (std::uint32_t a = met; inside(a);)
                    a = StoreEntry(data, a, entries);
                return;
            }
            if (guessed[from].nameOffset - kSmsEntryHeadBytes == met) break;
            met = StoreEntry(data, met, entries);
        }
        entries.insert(entries.end(), guessed.begin() + static_cast<std::ptrdiff_t>(from),
                       guessed.end());
    }
}

void SmsDatabase::Close() {
    runwayList = {};
    fileBuffer = {};
    entries = {};
    for (std::vector<std::uint32_t>& map : rowMaps)
        map = {};
    for (std::vector<StoredEntry>& walk : walkScratch)
        walk = {};
    rowCounts.fill(0);
    if (fileHandle.IsValid()) win::CloseHandle(fileHandle);
    fileHandle = win::FileHandle{};
}

int SmsDatabase::FillStationList(win::HWND dialog, int kind) {
    if (kind < 0 || kind > kSmsWaypoint) return 0;
    ListBoxTarget list(dialog, kStationListControls[kind]);
    return FillStationList(list, kind);
}

int SmsDatabase::FillStationList(ListTarget& list, int kind) {
    if (kind < 0 || kind >= kSmsListKinds) return 0;
    // The kind's row map: list row -> entry, as long as the name list.
    std::vector<std::uint32_t>& map = rowMaps[static_cast<std::size_t>(kind)];
    if (map.size() != entries.size()) map.assign(entries.size(), 0);
    int& rows = rowCounts[static_cast<std::size_t>(kind)];
    rows = 0;
    list.Reset();
    int added = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::uint8_t code = fileBuffer[entries[i].nameOffset - kSmsEntryHeadBytes];
        if (NavKindOfCode(code) != kind) continue;
        const int row = list.Add(Entry(static_cast<int>(i)).name);
        if (row < 0 || static_cast<std::size_t>(row) >= map.size()) continue;
        map[static_cast<std::size_t>(row)] = static_cast<std::uint32_t>(i);
        rows = std::max(rows, row + 1);
        ++added;
    }
    const int selected = selectedRows[static_cast<std::size_t>(kind)];
    list.Select(selected);
    list.SetTop(selected - 1);
    return added;
}

int SmsDatabase::EntryOfRow(int kind, int row) const {
    if (kind < 0 || kind >= kSmsListKinds || row < 0 ||
        row >= rowCounts[static_cast<std::size_t>(kind)])
        return -1;
    return static_cast<int>(rowMaps[static_cast<std::size_t>(kind)][static_cast<std::size_t>(row)]);
}

int SmsDatabase::SelectedRow(int kind) const {
    return kind >= 0 && kind < kSmsListKinds ? selectedRows[static_cast<std::size_t>(kind)] : 0;
}

void SmsDatabase::SetSelectedRow(int kind, int row) {
    if (kind >= 0 && kind < kSmsListKinds) selectedRows[static_cast<std::size_t>(kind)] = row;
}

// ---- records -------------------------------------------------------------------------------

void SmsDatabase::ShowError(win::HWND parent, const char* format, const char* name) const {
    char message[512];
    const std::string shown = win::ShownPath(name != nullptr ? name : fileName);
    std::snprintf(message, sizeof message, format, shown.c_str());
    ui::ShowMessageBox(parent, message, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

SmsDatabase::ReadResult SmsDatabase::OpenAt(std::uint32_t offset) const {
    if (!theSmsFile.OpenFile(fileName)) {
        theSmsFile.CloseFile();
        return ReadResult::NotOpen;
    }
    if (offset > 0x7FFFFFFFu || !theSmsFile.Seek(static_cast<std::int32_t>(offset))) {
        theSmsFile.CloseFile();
        return ReadResult::NoSeek;
    }
    return ReadResult::Ok;
}

SmsDatabase::ReadResult SmsDatabase::ReadAt(std::uint32_t offset, std::uint8_t* buffer, int size,
                                            int* got) const {
    if (const ReadResult opened = OpenAt(offset); opened != ReadResult::Ok) return opened;
    // Byte by byte when a short read is acceptable (a name-list entry near the end).
    const int read = got != nullptr ? theSmsFile.ReadRecords(buffer, 1, size)
                                    : theSmsFile.ReadRecords(buffer, size, 1) * size;
    theSmsFile.CloseFile();
    if (got != nullptr) *got = read;
    return got != nullptr || read == size ? ReadResult::Ok : ReadResult::Short;
}

SmsDatabase::ReadResult SmsDatabase::ReadAirportAt(std::uint32_t offset, SmsAirportHeader* header,
                                                   std::vector<SmsRunwayRecord>* rows) const {
    if (const ReadResult opened = OpenAt(offset); opened != ReadResult::Ok) return opened;
    std::uint8_t head[kSmsAirportHeaderBytes];
    if (theSmsFile.ReadRecords(head, kSmsAirportHeaderBytes, 1) != 1) {
        theSmsFile.CloseFile();
        return ReadResult::Short;
    }
    const SmsAirportHeader h = DecodeAirportHeader(head);
    // The rows the count promises must all be in the file; none is read past its end.
    std::vector<std::uint8_t> bytes(std::size_t{h.runwayCount} * kSmsRunwayBytes);
    const int read = h.runwayCount > 0
                         ? theSmsFile.ReadRecords(bytes.data(), kSmsRunwayBytes, h.runwayCount)
                         : 0;
    theSmsFile.CloseFile();
    if (read != h.runwayCount) return ReadResult::Short;
    std::vector<SmsRunwayRecord> decoded;
    for (int i = 0; i < read; ++i)
        decoded.push_back(DecodeRunwayRecord(bytes.data() + static_cast<std::size_t>(i) * kSmsRunwayBytes));
    if (!IsSoundAirport(h, decoded)) return ReadResult::Damaged;
    *header = h;
    *rows = std::move(decoded);
    return ReadResult::Ok;
}

int SmsDatabase::ReadStationThroughHandle(win::FileHandle handle, std::uint32_t offset,
                                          std::uint8_t* buffer, int size) const {
    if (offset > 0x7FFFFFFFu ||
        win::SetFilePointer(handle, static_cast<std::int32_t>(offset), win::FILE_BEGIN) != offset)
        return 0;
    std::uint32_t read = 0;
    return win::ReadFile(handle, buffer, static_cast<std::uint32_t>(size), &read) &&
           read == static_cast<std::uint32_t>(size);
}

int SmsDatabase::ReportRead(win::HWND parent, ReadResult result) const {
    switch (result) {
        case ReadResult::Ok:
            return 0;
        case ReadResult::NotOpen:
            ShowError(parent, kCouldNotOpen);
            return 1;
        case ReadResult::NoSeek:
            ShowError(parent, kCouldNotSeek);
            return 1;
        case ReadResult::Short:  // a record the file's end cuts short: damage too
        case ReadResult::Damaged:
        case ReadResult::Unlisted: {
            // Said once: a damaged directory would otherwise say it at every station.
            const bool unlisted = result == ReadResult::Unlisted;
            if (!damageTold) ShowError(parent, unlisted ? kUnlisted : kDamaged);
            damageTold = true;
            win::TraceLine("sms: " + fileName + " holds " +
                           (unlisted ? "an unlisted" : "a damaged") + " record");
            return 1;
        }
    }
    ShowError(parent, kErrorReading);
    return 1;
}

bool SmsDatabase::IsToweredAirportRow(int row) const {
    const int index = EntryOfRow(kSmsAirport, row);
    if (index < 0) return false;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    return ReadAirportAt(Entry(index).recordOffset, &header, &rows) == ReadResult::Ok &&
           !FrequencyText(header.tower).empty();
}

int SmsDatabase::AirportRowRank(int row) const {
    const int index = EntryOfRow(kSmsAirport, row);
    if (index < 0) return 0;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    if (ReadAirportAt(Entry(index).recordOffset, &header, &rows) != ReadResult::Ok ||
        FrequencyText(header.tower).empty())
        return 0;
    switch (header.airspace & 0x1F) {
        case kAirspaceClassB:
            return 3;
        case kAirspaceClassC:
            return 2;
        default:
            return 1;
    }
}

int SmsDatabase::ReadRecord(win::HWND parent, int row, int kind, win::FileHandle handle) {
    const int index = EntryOfRow(kind, row);
    if (index < 0 || kind > kSmsWaypoint) {
        ShowError(parent, kErrorReading);
        return 1;
    }
    const SmsListEntry entry = Entry(index);
    theSmsCurrentEntry = SmsCurrentEntry{entry.code, entry.recordOffset, std::string(entry.name)};

    if (kind == kSmsAirport) {
        SmsAirportHeader header;
        std::vector<SmsRunwayRecord> rows;
        const ReadResult result = ReadAirportAt(entry.recordOffset, &header, &rows);
        if (result == ReadResult::Ok) {
            airport = header;
            theSmsRunwayBlock = std::move(rows);
        }
        return ReportRead(parent, result);
    }
    std::uint8_t bytes[kSmsStationRecordBytes] = {};
    const int size = StationRecordBytes(kind);
    if (handle.IsValid()) {
        if (!ReadStationThroughHandle(handle, entry.recordOffset, bytes, size)) {
            ShowError(parent, kErrorReading, kSmsFileName);
            return 1;
        }
    } else if (const int failed =
                   ReportRead(parent, ReadAt(entry.recordOffset, bytes, size, nullptr))) {
        return failed;
    }
    if (!IsSoundRecord(kind, bytes)) return ReportRead(parent, ReadResult::Damaged);
    if (!IsListedStation(kind, bytes)) return ReportRead(parent, ReadResult::Unlisted);
    switch (kind) {
        case kSmsVor:
            vor = DecodeStationRecord(bytes);
            break;
        case kSmsNdb:
            ndb = DecodeStationRecord(bytes);
            break;
        case kSmsIls:
            ils = DecodeStationRecord(bytes);
            break;
        default:
            waypoint = DecodeWaypointRecord(bytes);
            break;
    }
    return 0;
}

// ---- stepping through the airport index ----------------------------------------------------

int SmsDatabase::LoadDebugAirport(int index) {
    const std::vector<AirportIndexRecord>& airports = theNavDatabase.airports;
    if (index < 0 || static_cast<std::size_t>(index) >= airports.size()) return 0;
    const AirportIndexRecord& row = airports[static_cast<std::size_t>(index)];
    debugAirport = index;
    debugIdent = row.ident.substr(0, 4);
    debugEntryOffset = row.entryOffset;
    debugRunway = 0;
    debugRunways.clear();
    std::vector<SmsRunwayRecord> rows;
    if (!ReadAirportRecord(index, &debugEntry, &debugHeader, &rows)) return 0;
    debugRunways = std::move(rows);
    return 1;
}

int SmsDatabase::ReadAirportEntry(std::uint32_t entryOffset, SmsEntryCopy* entry,
                                  SmsAirportHeader* header,
                                  std::vector<SmsRunwayRecord>* rows) const {
    std::uint8_t bytes[kSmsEntryBytes] = {};
    int got = 0;
    // The navigation index points at an airport's entry; a directory that does not reach it
    // (emptied, cut short, or no plain file at all), anything else there, or a record cut short
    // or holding what no airport can, is a damaged directory, said once.
    const bool reached = ReadAt(entryOffset, bytes, kSmsEntryBytes, &got) == ReadResult::Ok &&
                         got >= kSmsEntryHeadBytes;
    if (reached) *entry = DecodeEntryCopy(bytes, got);
    const ReadResult result = !reached || NavKindOfCode(entry->code) != kSmsAirport
                                  ? ReadResult::Damaged
                                  : ReadAirportAt(entry->recordOffset, header, rows);
    if (result != ReadResult::Ok) ReportRead(win::GetDisplayWindow(), ReadResult::Damaged);
    return result == ReadResult::Ok ? 1 : 0;
}

int SmsDatabase::ReadAirportRecord(int index, SmsEntryCopy* entry, SmsAirportHeader* header,
                                   std::vector<SmsRunwayRecord>* rows) const {
    const std::vector<AirportIndexRecord>& airports = theNavDatabase.airports;
    if (index < 0 || static_cast<std::size_t>(index) >= airports.size()) return 0;
    const AirportIndexRecord& a = airports[static_cast<std::size_t>(index)];
    if (ReadAirportEntry(a.entryOffset, entry, header, rows) == 0) return 0;
    if (AgreesWithIndex(a, *header, *rows)) return 1;
    rows->clear();
    ReportRead(win::GetDisplayWindow(), ReadResult::Unlisted);
    return 0;
}

int SmsDatabase::PlaceOnCurrentRunway() {
    if (debugRunway < 0 || static_cast<std::size_t>(debugRunway) >= debugRunways.size()) return 0;
    PlaceOnRunway(debugRunway);
    return 1;
}

int SmsDatabase::DebugNextAirport() {
    stepped = true;
    const int count = theNavDatabase.AirportCount();
    if (count == 0) return 0;
    const int next = debugAirport < 0 || debugAirport + 1 >= count ? 0 : debugAirport + 1;
    if (!LoadDebugAirport(next)) return 0;
    return PlaceOnCurrentRunway();
}

int SmsDatabase::DebugNextRunway() {
    stepped = true;
    if (debugAirport < 0) return DebugNextAirport();
    if (++debugRunway >= static_cast<int>(debugRunways.size())) return DebugNextAirport();
    return PlaceOnCurrentRunway();
}

int SmsDatabase::DebugNextLetter() {
    stepped = true;
    const std::vector<AirportIndexRecord>& airports = theNavDatabase.airports;
    int next = 0;
    if (debugAirport >= 0 && !debugIdent.empty() && debugIdent[0] != 'Z') {
        next = debugAirport;
        const unsigned char letter = static_cast<unsigned char>(debugIdent[0]);
        for (std::size_t i = 0; i < airports.size(); ++i) {
            if (!airports[i].ident.empty() &&
                static_cast<unsigned char>(airports[i].ident[0]) > letter) {
                next = static_cast<int>(i);
                break;
            }
        }
    }
    if (!LoadDebugAirport(next)) return 0;
    return PlaceOnCurrentRunway();
}

int SmsDatabase::LoadAirportRunways(int runwayIndex) {
    const std::vector<AirportIndexRecord>& airports = theNavDatabase.airports;
    // The identifier of the selected text first; the looser test (an identifier anywhere in the
    // text) only when no airport has it, since it can find an identifier inside another name.
    const std::string ident = ExtractAirportIdent(selectedAirportText);
    int found = -1;
    for (std::size_t i = 0; i < airports.size() && found < 0; ++i)
        if (!ident.empty() && airports[i].ident == ident) found = static_cast<int>(i);
    for (std::size_t i = 0; i < airports.size() && found < 0; ++i)
        if (!airports[i].ident.empty() &&
            selectedAirportText.find(airports[i].ident) != std::string::npos)
            found = static_cast<int>(i);
    if (found < 0 || !LoadDebugAirport(found)) return 0;
    debugRunway = runwayIndex;
    return 1;
}

void SmsDatabase::PlaceOnRunway(int runway) {
    if (runway < 0 || static_cast<std::size_t>(runway) >= debugRunways.size()) return;
    const SmsRunwayRecord& r = debugRunways[static_cast<std::size_t>(runway)];
    positionX = r.x;
    positionZ = r.z;
    positionHeading = r.heading;
    flight::theFlightModelState.fmPosY = 6;
    theNavReceptionFlags = 0;
    theNavHost.refreshTerrain();
}

std::string SmsDatabase::RunwayReadoutText() const {
    if (debugAirport < 0 || debugRunway < 0 ||
        static_cast<std::size_t>(debugRunway) >= debugRunways.size())
        return {};
    const std::uint8_t runway = debugRunways[static_cast<std::size_t>(debugRunway)].runway;
    return debugIdent + " runway " + RunwayDesignator(runway);
}

void SmsDatabase::DrawRunwayReadout(std::uint32_t colour) {
    const std::string line = RunwayReadoutText();
    if (!line.empty()) theNavHost.drawReadoutText(2, 20, line, colour);
}

void SmsDatabase::ResetStepping() {
    stepped = false;
    debugAirport = -1;
    debugIdent.clear();
    debugEntryOffset = 0;
    debugRunway = 0;
    debugEntry = SmsEntryCopy{};
    debugHeader = SmsAirportHeader{};
    debugRunways.clear();
    positionX = positionZ = 0;
    positionHeading = 0;
}

}  // namespace nav
