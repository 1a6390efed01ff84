// The station directory: the name list of "flp.sms" held in memory for the directory dialogs,
// their list boxes filled by kind, one station's record read on demand, the texts of the station
// and airport pages, and the developers' stepping from airport to airport and runway to runway.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/endian.h"
#include "nav/sms_records.h"
#include "win/file_api.h"
#include "win/handles.h"

namespace core {
class ResourceVolume;
}

namespace nav {

class ListTarget;

// "Data\Data.Vol" with the loose folder "Data\Sms".
extern core::ResourceVolume& theSmsFile;
inline constexpr char kSmsFileName[] = "flp.sms";

// One station of the name list; the name lies in the directory's file buffer.
struct SmsListEntry {
    std::uint8_t code = 0;
    std::uint32_t recordOffset = 0;
    std::string_view name;
};

// The entry of the last record read, and the runway rows of the last airport read; ATC, ATIS and
// the map read them too.
struct SmsCurrentEntry {
    std::uint8_t code = 0;
    std::uint32_t recordOffset = 0;
    std::string name;
};
extern SmsCurrentEntry theSmsCurrentEntry;
extern std::vector<SmsRunwayRecord> theSmsRunwayBlock;

// One runway of the airport page's runway list, as the runway page reads it back.
struct RunwayListEntry {
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::uint16_t heading = 0;
    std::uint16_t length = 0;
    std::uint8_t runway = 0;
};

// The list controls of each kind, and the controls of the station pages.
inline constexpr int kStationListControls[5] = {1045, 1487, 1495, 1485, 1948};
inline constexpr int kRunwayListControl = 1059;

class SmsDatabase {
public:
    SmsDatabase();

    // ---- the name list ----
    // Opens "flp.sms" and loads its name list; 1 when loaded. Failures are shown to the user
    // in a message box over `parent` and leave the lists empty.
    int Open(win::HWND parent);
    int Reopen(const char* fileName, win::HWND parent);
    int OpenSmsDatabase(const char* fileName, win::HWND parent);
    // Frees the name list, the row maps and the runway list; closes the file handle.
    void Close();

    [[nodiscard]] int EntryCount() const { return static_cast<int>(entries.size()); }
    [[nodiscard]] SmsListEntry Entry(int index) const {
        const StoredEntry& e = entries[static_cast<std::size_t>(index)];
        // The entry's kind and record offset stand in the five bytes before its name.
        const std::uint8_t* head = fileBuffer.data() + e.nameOffset - kSmsEntryHeadBytes;
        return SmsListEntry{
            head[0], core::ReadU32(head + 1),
            std::string_view(reinterpret_cast<const char*>(fileBuffer.data()) + e.nameOffset,
                             e.nameLength)};
    }
    // The list box of a kind (0 airports to 4 waypoints), in file order; the kind's saved row
    // is selected. The number of rows added.
    int FillStationList(win::HWND dialog, int kind);
    int FillStationList(ListTarget& list, int kind);
    // The entry behind a list row of a kind; -1 when the row was not filled.
    [[nodiscard]] int EntryOfRow(int kind, int row) const;
    [[nodiscard]] int SelectedRow(int kind) const;
    void SetSelectedRow(int kind, int row);
    // Per-kind show flags of the planning map (1 at construction).
    std::array<std::uint32_t, kSmsListKinds> showFlags{};

    // ---- records ----
    // Whether the airport of airport-list row `row` has a tower frequency; false for a record
    // that cannot be read (nothing is said).
    [[nodiscard]] bool IsToweredAirportRow(int row) const;
    // How much a field of the airport list is the one a name means: 3 the primary airport of
    // a Class B area, 2 of a Class C one, 1 another towered field, 0 the rest.
    [[nodiscard]] int AirportRowRank(int row) const;
    // Reads the record behind list row `row` of `kind` into the current record of the kind: 0
    // on success, 1 after showing the error. VOR, NDB, ILS and waypoint records are read through
    // `handle` when it is open, else through theSmsFile. A failure leaves the current record.
    int ReadRecord(win::HWND parent, int row, int kind, win::FileHandle handle = {});
    [[nodiscard]] const SmsAirportHeader& CurrentAirport() const { return airport; }
    [[nodiscard]] std::uint16_t VorFrequency() const { return vor.frequency; }
    [[nodiscard]] std::int32_t VorX() const { return vor.x; }
    [[nodiscard]] std::int32_t VorZ() const { return vor.z; }
    [[nodiscard]] std::uint16_t NdbFrequency() const { return ndb.frequency; }
    [[nodiscard]] std::int32_t NdbX() const { return ndb.x; }
    [[nodiscard]] std::int32_t NdbZ() const { return ndb.z; }
    [[nodiscard]] std::uint16_t IlsFrequency() const { return ils.frequency; }
    [[nodiscard]] std::int32_t IlsX() const { return ils.x; }
    [[nodiscard]] std::int32_t IlsZ() const { return ils.z; }
    [[nodiscard]] std::int32_t WaypointX() const { return waypoint.x; }
    [[nodiscard]] std::int32_t WaypointZ() const { return waypoint.z; }

    // ---- the station and airport pages ----
    // A BCD frequency as "121.80" or "350"; empty for 0. Valid until the next call of either.
    const std::string& FormatFrequency(std::uint16_t value);
    const std::string& FormatKhz(std::uint16_t value);
    // Each reads the row's record (returning its nonzero result on failure) and fills the page.
    int ShowAirportInfo(win::HWND dialog, int row);
    int FillRunwayList(win::HWND dialog, int row);
    int FillRunwayList(ListTarget& list, int row);
    int ShowVorInfo(win::HWND dialog, int row, win::FileHandle handle);
    int ShowNdbInfo(win::HWND dialog, int row, win::FileHandle handle);
    int ShowIlsInfo(win::HWND dialog, int row, win::FileHandle handle);
    int ShowWaypointInfo(win::HWND dialog, int row, win::FileHandle handle);
    // "name kind" of a list row (the kind text empty for airports), keeping the first runway's
    // position, heading and length; null when the record cannot be read.
    const char* DescribeStation(int listRow, int kind);
    [[nodiscard]] const std::vector<RunwayListEntry>& RunwayList() const { return runwayList; }

    // The last station shown: world position, latitude and longitude texts; for an airport its
    // first runway's heading, length and runway byte.
    std::int32_t shownX = 0;
    std::int32_t shownZ = 0;
    std::string latitudeText;
    std::string longitudeText;
    std::uint16_t shownHeading = 0;
    std::uint16_t shownLength = 0;
    std::uint8_t shownRunway = 0;

    // The directory dialogs' result.
    int confirmed = 0;
    int stationChosen = 0;
    // The airports wizard (airports_wizard.cpp): 1 when a runway was chosen, its threshold and
    // heading then in positionX, positionZ and positionHeading. The navaid directory
    // (navaid_directory.cpp): 1 when OK closed it after a set-up dialog moved the aircraft.
    // Both close the directory afterwards.
    int RunAirportsWizard(win::HWND parent);
    int RunNavAidDirectory(win::HWND parent);

    // ---- stepping through the airport index (the debug keys) ----
    // Next airport of "na.apt", next runway of the current airport (then the next airport), next
    // airport whose identifier starts with a later letter. Each places the aircraft on the runway
    // and returns 1, or returns 0 when nothing could be placed.
    int DebugNextAirport();
    int DebugNextRunway();
    int DebugNextLetter();
    // Makes the airport of the selected-airport text current with the given runway (the airports
    // wizard); 1 when found and read.
    int LoadAirportRunways(int runwayIndex);
    // The name-list entry of row `index` of the airport index (its name ends inside the entry's
    // 105 bytes) and the airport record it points to, as the map, the pickers and ATC read them;
    // 1 when both were read whole and the record agrees with the index row (its elevation, its
    // runways near its reference point), 0 otherwise and for a row outside the index.
    int ReadAirportRecord(int index, SmsEntryCopy* entry, SmsAirportHeader* header,
                          std::vector<SmsRunwayRecord>* rows) const;
    // Stores the runway's threshold and heading as the directory's position, puts the aircraft's
    // height to 6, clears the reception flags and refreshes the terrain.
    void PlaceOnRunway(int runway);
    // The "KSQL runway 30" line drawn over the view while stepping.
    void DrawRunwayReadout(std::uint32_t colour);
    [[nodiscard]] std::string RunwayReadoutText() const;
    [[nodiscard]] bool IsStepped() const { return stepped; }
    [[nodiscard]] int DebugAirportIndex() const { return debugAirport; }
    [[nodiscard]] int DebugRunwayIndex() const { return debugRunway; }
    [[nodiscard]] const std::vector<SmsRunwayRecord>& DebugRunways() const { return debugRunways; }
    // The position the last step, the wizard or the directory chose.
    std::int32_t positionX = 0;
    std::int32_t positionZ = 0;
    std::uint16_t positionHeading = 0;
    std::string selectedAirportText;
    // Forgets the stepping (tests).
    void ResetStepping();

private:
    // Damaged: the record was read but holds what no station can (a file with bytes lost or
    // changed); Unlisted: it holds what the navigation tables say of no such station. Neither is
    // used.
    enum class ReadResult { Ok, NotOpen, NoSeek, Short, Damaged, Unlisted };
    // Opens the directory file at an offset (closed again on failure).
    ReadResult OpenAt(std::uint32_t offset) const;
    // Shows the message of a failed read; 0 for a read that worked, else 1.
    int ReportRead(win::HWND parent, ReadResult result) const;
    ReadResult ReadAt(std::uint32_t offset, std::uint8_t* buffer, int size, int* got) const;
    ReadResult ReadAirportAt(std::uint32_t offset, SmsAirportHeader* header,
                             std::vector<SmsRunwayRecord>* rows) const;
    // The name-list entry at `entryOffset` and the airport record it points to; 1 when both were
    // read whole.
    int ReadAirportEntry(std::uint32_t entryOffset, SmsEntryCopy* entry, SmsAirportHeader* header,
                         std::vector<SmsRunwayRecord>* rows) const;
    int ReadStationThroughHandle(win::FileHandle handle, std::uint32_t offset, std::uint8_t* buffer,
                                 int size) const;
    // A message over `parent` with the file's name (or `name`) in it.
    void ShowError(win::HWND parent, const char* format, const char* name = nullptr) const;
    void KeepShown(std::int32_t x, std::int32_t z);
    // Fills the entry table from the name list in the file buffer: `end` is where the list ends,
    // `length` how much of the file was read.
    void IndexNames(std::uint32_t end, std::uint32_t length);
    int LoadDebugAirport(int index);
    int PlaceOnCurrentRunway();

    std::string fileName = kSmsFileName;
    // A damaged record was said once already (ReportRead is const: the flag is not the data).
    mutable bool damageTold = false;
    std::vector<std::uint8_t> fileBuffer;  // the header, the name list and a guard zero
    // An entry as the table keeps it: its name, and its head before the name, are found in the
    // file buffer.
    struct StoredEntry {
        std::uint32_t nameOffset;
        std::uint32_t nameLength;
    };
    std::vector<StoredEntry> entries;
    // The entries of the walks of a long name list that start inside it.
    std::array<std::vector<StoredEntry>, 3> walkScratch;
    std::array<std::vector<std::uint32_t>, kSmsListKinds> rowMaps;
    std::array<int, kSmsListKinds> rowCounts{};
    std::array<int, kSmsListKinds> selectedRows{};
    SmsAirportHeader airport;
    SmsStationRecord vor;
    SmsStationRecord ndb;
    SmsStationRecord ils;
    SmsWaypointRecord waypoint;
    std::string text;
    std::string frequencyText;
    std::vector<RunwayListEntry> runwayList;
    win::FileHandle fileHandle;

    bool stepped = false;
    int debugAirport = -1;
    std::string debugIdent;
    std::uint32_t debugEntryOffset = 0;
    int debugRunway = 0;
    SmsEntryCopy debugEntry;
    SmsAirportHeader debugHeader;
    std::vector<SmsRunwayRecord> debugRunways;
};

extern SmsDatabase theSmsDatabase;

// ---- texts ----
[[nodiscard]] std::string FrequencyText(std::uint16_t bcd);
[[nodiscard]] std::string KhzText(std::uint16_t bcd);
// The subtype name of a VOR or ILS kind code ("Low altitude VORTAC", "ILS/DME"); "Error" for an
// unknown subtype of those two, empty for every other kind.
[[nodiscard]] std::string NavAidKindName(std::uint8_t code);
[[nodiscard]] std::string AirspaceText(std::uint8_t airspace);
[[nodiscard]] std::string FacilitiesText(std::uint8_t airspace);
struct FrequencyLines {
    std::string first;
    std::string second;
};
[[nodiscard]] FrequencyLines AirportFrequencyLines(const SmsAirportHeader& header);
// "9C", "27L", "30": the runway byte's number and side letter.
[[nodiscard]] std::string RunwayDesignator(std::uint8_t runway);
// One row of the runway list: number and side, length, width and the ILS, tab-separated.
[[nodiscard]] std::string RunwayListRow(const SmsRunwayRecord& r);

}  // namespace nav
