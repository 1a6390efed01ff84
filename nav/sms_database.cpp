#include "nav/sms_database.h"

#include <algorithm>
#include <cstdio>

#include "core/endian.h"
#include "core/resource_volume.h"
#include "nav/dialog_controls.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "flight/flight_model_state.h"
#include "sim/sim_world.h"
#include "ui/dialog_services.h"

namespace nav {

core::ResourceVolume& theSmsFile = core::theSmsDataVolume;
SmsCurrentEntry theSmsCurrentEntry;
std::vector<SmsRunwayRecord> theSmsRunwayBlock;
SmsDatabase theSmsDatabase;

namespace {

constexpr char kCouldNotOpen[] = "Could not open %s.";
constexpr char kErrorReading[] = "Error reading file %s.";
constexpr char kCouldNotSeek[] = "Could not seek in file %s.";

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
    fileBuffer.clear();
    entries.clear();
    for (std::vector<std::uint32_t>& map : rowMaps)
        map.clear();
    rowCounts.fill(0);
    if (!theSmsFile.OpenFile(fileName)) {
        theSmsFile.CloseFile();
        ShowError(parent, kCouldNotOpen);
        return 0;
    }
    // The header says where the name list ends; the list and the header are read whole, the
    // station records beyond it on demand. The end must lie inside the file.
    core::VolumeRStream* stream = theSmsFile.GetStream();
    const std::int64_t size = stream != nullptr ? stream->GetEntrySize(fileName) : -1;
    std::vector<std::uint8_t> header(kSmsHeaderBytes);
    if (theSmsFile.ReadRecords(header.data(), static_cast<int>(kSmsHeaderBytes), 1) != 1) {
        theSmsFile.CloseFile();
        ShowError(parent, kErrorReading);
        return 0;
    }
    const std::uint32_t end = core::ReadU32(header.data() + kSmsListEndField);
    if (end < kSmsHeaderBytes || size < 0 || std::int64_t{end} > size) {
        theSmsFile.CloseFile();
        ShowError(parent, kErrorReading);
        return 0;
    }
    // The list and the byte after it when the file has one; a guard zero ends the buffer, so a
    // name that runs to the end is still terminated.
    const std::uint32_t length = static_cast<std::uint32_t>(std::min<std::int64_t>(end + std::int64_t{1}, size));
    std::vector<std::uint8_t> buffer(std::size_t{length} + 1, 0);
    std::copy(header.begin(), header.end(), buffer.begin());
    const std::uint32_t rest = length - kSmsHeaderBytes;
    const bool whole = rest == 0 || theSmsFile.ReadRecords(buffer.data() + kSmsHeaderBytes, static_cast<int>(rest), 1) == 1;
    theSmsFile.CloseFile();
    if (!whole) {
        ShowError(parent, kErrorReading);
        return 0;
    }
    fileBuffer = std::move(buffer);

    // Entries while the walk is before the end; the one that crosses it still counts when its
    // kind, offset and first name byte lie inside what was read.
    const std::uint8_t* data = fileBuffer.data();
    for (std::uint32_t at = kSmsHeaderBytes; at < end && std::size_t{at} + 6 <= length;) {
        const std::size_t nameAt = std::size_t{at} + kSmsEntryHeadBytes;
        const auto* name = reinterpret_cast<const char*>(data + nameAt);
        const std::size_t room = length - nameAt;
        const std::size_t nameLength = std::find(name, name + room, '\0') - name;
        entries.push_back(SmsListEntry{data[at], core::ReadU32(data + at + 1),
                                       std::string_view(name, nameLength)});
        at += static_cast<std::uint32_t>(kSmsEntryHeadBytes + nameLength + 1);
    }
    for (std::vector<std::uint32_t>& map : rowMaps)
        map.assign(entries.size(), 0);
    return 1;
}

void SmsDatabase::Close() {
    runwayList.clear();
    fileBuffer.clear();
    entries.clear();
    for (std::vector<std::uint32_t>& map : rowMaps)
        map.clear();
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
    std::vector<std::uint32_t>& map = rowMaps[static_cast<std::size_t>(kind)];
    int& rows = rowCounts[static_cast<std::size_t>(kind)];
    rows = 0;
    list.Reset();
    int added = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (NavKindOfCode(entries[i].code) != kind) continue;
        const int row = list.Add(entries[i].name);
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
    std::snprintf(message, sizeof message, format, name != nullptr ? name : fileName.c_str());
    ui::ShowMessageBox(parent, message, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

SmsDatabase::ReadResult SmsDatabase::ReadAt(std::uint32_t offset, std::uint8_t* buffer, int size,
                                            int* got) const {
    if (!theSmsFile.OpenFile(fileName)) {
        theSmsFile.CloseFile();
        return ReadResult::NotOpen;
    }
    if (offset > 0x7FFFFFFFu || !theSmsFile.Seek(static_cast<std::int32_t>(offset))) {
        theSmsFile.CloseFile();
        return ReadResult::NoSeek;
    }
    // Byte by byte when a short read is acceptable (a name-list entry near the end).
    const int read = got != nullptr ? theSmsFile.ReadRecords(buffer, 1, size)
                                    : theSmsFile.ReadRecords(buffer, size, 1) * size;
    theSmsFile.CloseFile();
    if (got != nullptr) *got = read;
    return got != nullptr || read == size ? ReadResult::Ok : ReadResult::Short;
}

SmsDatabase::ReadResult SmsDatabase::ReadAirportAt(std::uint32_t offset, SmsAirportHeader* header,
                                                   std::vector<SmsRunwayRecord>* rows) const {
    if (!theSmsFile.OpenFile(fileName)) {
        theSmsFile.CloseFile();
        return ReadResult::NotOpen;
    }
    if (offset > 0x7FFFFFFFu || !theSmsFile.Seek(static_cast<std::int32_t>(offset))) {
        theSmsFile.CloseFile();
        return ReadResult::NoSeek;
    }
    std::uint8_t head[kSmsAirportHeaderBytes];
    if (theSmsFile.ReadRecords(head, kSmsAirportHeaderBytes, 1) != 1) {
        theSmsFile.CloseFile();
        return ReadResult::Short;
    }
    const SmsAirportHeader h = DecodeAirportHeader(head);
    // The rows the count promises must all be in the file; none is read past its end.
    std::vector<std::uint8_t> bytes(std::size_t{h.runwayCount} * kSmsRunwayBytes);
    const int read = h.runwayCount > 0 ? theSmsFile.ReadRecords(bytes.data(), kSmsRunwayBytes, h.runwayCount) : 0;
    theSmsFile.CloseFile();
    if (read != h.runwayCount) return ReadResult::Short;
    *header = h;
    rows->clear();
    for (int i = 0; i < read; ++i)
        rows->push_back(DecodeRunwayRecord(bytes.data() + static_cast<std::size_t>(i) * kSmsRunwayBytes));
    return ReadResult::Ok;
}

int SmsDatabase::ReadStationThroughHandle(win::FileHandle handle, std::uint32_t offset,
                                          std::uint8_t* buffer, int size) const {
    if (offset > 0x7FFFFFFFu ||
        win::SetFilePointer(handle, static_cast<std::int32_t>(offset), win::FILE_BEGIN) !=
            offset)
        return 0;
    std::uint32_t read = 0;
    return win::ReadFile(handle, buffer, static_cast<std::uint32_t>(size), &read) &&
           read == static_cast<std::uint32_t>(size);
}

int SmsDatabase::ReadRecord(win::HWND parent, int row, int kind, win::FileHandle handle) {
    const int index = EntryOfRow(kind, row);
    if (index < 0) {
        ShowError(parent, kErrorReading);
        return 1;
    }
    const SmsListEntry& entry = entries[static_cast<std::size_t>(index)];
    theSmsCurrentEntry = SmsCurrentEntry{entry.code, entry.recordOffset, std::string(entry.name)};

    if (kind == kSmsAirport) {
        SmsAirportHeader header;
        std::vector<SmsRunwayRecord> rows;
        switch (ReadAirportAt(entry.recordOffset, &header, &rows)) {
            case ReadResult::Ok:
                airport = header;
                theSmsRunwayBlock = std::move(rows);
                return 0;
            case ReadResult::NotOpen:
                ShowError(parent, kCouldNotOpen);
                return 1;
            case ReadResult::NoSeek:
                ShowError(parent, kCouldNotSeek);
                return 1;
            case ReadResult::Short:
                break;
        }
        ShowError(parent, kErrorReading);
        return 1;
    }
    if (kind < kSmsVor || kind > kSmsWaypoint) {
        ShowError(parent, kErrorReading);
        return 1;
    }
    std::uint8_t bytes[kSmsStationRecordBytes] = {};
    const int size = StationRecordBytes(kind);
    if (handle.IsValid()) {
        if (!ReadStationThroughHandle(handle, entry.recordOffset, bytes, size)) {
            ShowError(parent, kErrorReading, kSmsFileName);
            return 1;
        }
    } else {
        switch (ReadAt(entry.recordOffset, bytes, size, nullptr)) {
            case ReadResult::Ok:
                break;
            case ReadResult::NotOpen:
                ShowError(parent, kCouldNotOpen);
                return 1;
            case ReadResult::NoSeek:
                ShowError(parent, kCouldNotSeek);
                return 1;
            case ReadResult::Short:
                ShowError(parent, kErrorReading);
                return 1;
        }
    }
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
    std::uint8_t bytes[kSmsEntryBytes] = {};
    int got = 0;
    if (ReadAt(debugEntryOffset, bytes, kSmsEntryBytes, &got) != ReadResult::Ok ||
        got < kSmsEntryHeadBytes)
        return 0;
    debugEntry = DecodeEntryCopy(bytes, got);
    std::vector<SmsRunwayRecord> rows;
    if (ReadAirportAt(debugEntry.recordOffset, &debugHeader, &rows) != ReadResult::Ok) return 0;
    debugRunways = std::move(rows);
    return 1;
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
    sim::theSimWorld.RefreshTerrain();
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
    if (!line.empty()) sim::theSimWorld.DrawReadoutText(2, 20, line, colour);
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
