// What the station and airport pages show: frequencies, kinds, airspace, facilities, the runway
// list and positions, built as plain texts and then put into the pages' controls.
#include <cstdio>

#include "nav/dialog_controls.h"
#include "nav/lat_lon.h"
#include "nav/sms_database.h"

namespace nav {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

char Digit(unsigned value) {
    return kDigits[value & 0xF];
}

// Control ids of the pages.
constexpr int kAirportElevation = 1067;
constexpr int kAirportLatitude = 1307;
constexpr int kAirportLongitude = 1308;
constexpr int kAirportAirspace = 1790;
constexpr int kAirportFacilities = 1791;
constexpr int kAirportLine1 = 1173;
constexpr int kAirportLine2 = 1181;

struct StationPage {
    int latitude;
    int longitude;
    int frequency;  // 0: none
    int kind;       // 0: none
};
constexpr StationPage kStationTextsVorPage{1168, 1170, 1501, 1659};
constexpr StationPage kStationTextsNdbPage{1284, 1286, 1505, 0};
constexpr StationPage kStationTextsIlsPage{1288, 1290, 1509, 2026};
constexpr StationPage kStationTextsWaypointPage{1857, 1858, 0, 0};

const char* const kVorKinds[13] = {
    nullptr,
    "Terminal VOR/DME",
    "High altitude VOR/DME",
    "Low altitude VOR/DME",
    "Canadian VOR/DME",
    "Terminal VORTAC",
    "High altitude VORTAC",
    "Low altitude VORTAC",
    "Canadian VORTAC",
    "Terminal VOR",
    "High altitude VOR",
    "Low altitude VOR",
    "Canadian VOR",
};
const char* const kIlsKinds[9] = {nullptr,  "ILS", "ILS/DME", "LOC",    "LOC/DME",
                                  "LOC/GS", "SDF", "LDA",     "LDA/DME"};

const char* SideLetter(std::uint8_t runway) {
    switch (runway & 0xC0) {
        case kRunwayLeft:
            return "L";
        case kRunwayRight:
            return "R";
        case kRunwayCentre:
            return "C";
        default:
            return "";
    }
}

}  // namespace

std::string FrequencyText(std::uint16_t v) {
    if (v == 0) return {};
    return std::string{'1', Digit(v >> 12), Digit(v >> 8), '.', Digit(v >> 4), Digit(v)};
}

std::string KhzText(std::uint16_t v) {
    if (v == 0) return {};
    return std::string{Digit(v >> 8), Digit(v >> 4), Digit(v)};
}

std::string NavAidKindName(std::uint8_t code) {
    const int kind = NavKindOfCode(code);
    const int subtype = code >> 4;
    if (kind == kSmsVor) return subtype >= 1 && subtype <= 12 ? kVorKinds[subtype] : "Error";
    if (kind == kSmsIls) return subtype >= 1 && subtype <= 8 ? kIlsKinds[subtype] : "Error";
    return {};
}

std::string AirspaceText(std::uint8_t airspace) {
    std::string text;
    switch (airspace & 0x1F) {
        case kAirspaceClassB:
            text = "Class B";
            break;
        case kAirspaceClassC:
            text = "Class C";
            break;
        case kAirspaceClassD:
            text = "Class D";
            break;
        case kAirspaceClassE:
            text = "Class E";
            break;
        case kAirspaceClassG:
            text = "Class G";
            break;
        default:
            break;
    }
    if (airspace & kAirspaceTrsa) text += ", TRSA";
    return text;
}

std::string FacilitiesText(std::uint8_t airspace) {
    return std::string(airspace & kFacilityUnicom ? "Yes" : "No") +
           (airspace & kFacilityHardSurface ? "/Yes" : "/No");
}

FrequencyLines AirportFrequencyLines(const SmsAirportHeader& h) {
    struct Item {
        const char* label;
        std::uint16_t value;
    };
    std::vector<Item> items;
    for (const Item& i : {Item{"ATIS: ", h.atis}, Item{"CLR DEL: ", h.clearance},
                          Item{"GND CON: ", h.ground}, Item{"TOWER: ", h.tower}})
        if (i.value != 0) items.push_back(i);
    if (h.departure != 0 && h.departure == h.approach) {
        items.push_back(Item{"DEP/APP CON: ", h.departure});
    } else {
        if (h.departure != 0) items.push_back(Item{"DEP CON: ", h.departure});
        if (h.approach != 0) items.push_back(Item{"APP CON: ", h.approach});
    }
    FrequencyLines lines;
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string& line = i < 3 ? lines.first : lines.second;
        if (!line.empty()) line += "        ";
        line += items[i].label + FrequencyText(items[i].value);
    }
    return lines;
}

std::string RunwayDesignator(std::uint8_t runway) {
    return std::to_string(runway & 0x3F) + SideLetter(runway);
}

std::string RunwayListRow(const SmsRunwayRecord& r) {
    const char* side = SideLetter(r.runway);
    char row[96];
    if (!r.ils.empty() && r.ils[0] == 'I')
        std::snprintf(row, sizeof row, "%d%c\t%d\tX\t%d\tILS: %s", r.runway & 0x3F,
                      *side ? *side : ' ', r.length, r.width, r.ils.c_str());
    else
        std::snprintf(row, sizeof row, "%d%c\t%d\tX\t%d", r.runway & 0x3F, *side ? *side : ' ',
                      r.length, r.width);
    return row;
}

// ---- the pages -------------------------------------------------------------------------------

const std::string& SmsDatabase::FormatFrequency(std::uint16_t value) {
    frequencyText = FrequencyText(value);
    return frequencyText;
}

const std::string& SmsDatabase::FormatKhz(std::uint16_t value) {
    frequencyText = KhzText(value);
    return frequencyText;
}

void SmsDatabase::KeepShown(std::int32_t x, std::int32_t z) {
    shownX = x;
    shownZ = z;
    FormatLatLon(&latitudeText, &longitudeText, x, z);
}

// The airport's first runway gives its position, heading and length.
namespace {
void KeepFirstRunway(SmsDatabase& d) {
    if (theSmsRunwayBlock.empty()) {
        d.latitudeText.clear();
        d.longitudeText.clear();
        return;
    }
    const SmsRunwayRecord& first = theSmsRunwayBlock.front();
    d.shownX = first.x;
    d.shownZ = first.z;
    FormatLatLon(&d.latitudeText, &d.longitudeText, first.x, first.z);
    d.shownHeading = first.heading;
    d.shownLength = first.length;
    d.shownRunway = first.runway;
}
}  // namespace

int SmsDatabase::ShowAirportInfo(win::HWND dialog, int row) {
    if (const int failed = ReadRecord(dialog, row, kSmsAirport)) return failed;
    KeepFirstRunway(*this);
    SetControlText(dialog, kAirportElevation, std::to_string(airport.elevation));
    SetControlText(dialog, kAirportLatitude, latitudeText);
    SetControlText(dialog, kAirportLongitude, longitudeText);
    SetControlText(dialog, kAirportAirspace, AirspaceText(airport.airspace));
    SetControlText(dialog, kAirportFacilities, FacilitiesText(airport.airspace));
    const FrequencyLines lines = AirportFrequencyLines(airport);
    SetControlText(dialog, kAirportLine1, lines.first);
    SetControlText(dialog, kAirportLine2, lines.second);
    return 0;
}

int SmsDatabase::FillRunwayList(win::HWND dialog, int row) {
    ListBoxTarget list(dialog, kRunwayListControl);
    return FillRunwayList(list, row);
}

int SmsDatabase::FillRunwayList(ListTarget& list, int row) {
    if (const int failed = ReadRecord({}, row, kSmsAirport)) return failed;
    static constexpr int kTabStops[4] = {30, 45, 55, 65};
    list.SetTabStops(kTabStops, 4);
    list.Reset();
    runwayList.clear();
    for (const SmsRunwayRecord& r : theSmsRunwayBlock) {
        list.Add(RunwayListRow(r));
        runwayList.push_back(RunwayListEntry{r.x, r.z, r.heading, r.length, r.runway});
    }
    list.Select(0);
    return 0;
}

namespace {
void ShowStationPage(SmsDatabase& d, win::HWND dialog, const StationPage& page,
                     const std::string& frequency, std::uint8_t code) {
    SetControlText(dialog, page.latitude, d.latitudeText);
    SetControlText(dialog, page.longitude, d.longitudeText);
    if (page.frequency != 0) SetControlText(dialog, page.frequency, frequency);
    if (page.kind != 0) SetControlText(dialog, page.kind, NavAidKindName(code));
}
}  // namespace

int SmsDatabase::ShowVorInfo(win::HWND dialog, int row, win::FileHandle handle) {
    if (const int failed = ReadRecord(dialog, row, kSmsVor, handle)) return failed;
    KeepShown(vor.x, vor.z);
    ShowStationPage(*this, dialog, kStationTextsVorPage, FormatFrequency(vor.frequency),
                    theSmsCurrentEntry.code);
    return 0;
}

int SmsDatabase::ShowNdbInfo(win::HWND dialog, int row, win::FileHandle handle) {
    if (const int failed = ReadRecord(dialog, row, kSmsNdb, handle)) return failed;
    KeepShown(ndb.x, ndb.z);
    ShowStationPage(*this, dialog, kStationTextsNdbPage, FormatKhz(ndb.frequency),
                    theSmsCurrentEntry.code);
    return 0;
}

int SmsDatabase::ShowIlsInfo(win::HWND dialog, int row, win::FileHandle handle) {
    if (const int failed = ReadRecord(dialog, row, kSmsIls, handle)) return failed;
    KeepShown(ils.x, ils.z);
    ShowStationPage(*this, dialog, kStationTextsIlsPage, FormatFrequency(ils.frequency),
                    theSmsCurrentEntry.code);
    return 0;
}

int SmsDatabase::ShowWaypointInfo(win::HWND dialog, int row, win::FileHandle handle) {
    if (const int failed = ReadRecord(dialog, row, kSmsWaypoint, handle)) return failed;
    KeepShown(waypoint.x, waypoint.z);
    ShowStationPage(*this, dialog, kStationTextsWaypointPage, std::string(),
                    theSmsCurrentEntry.code);
    return 0;
}

const char* SmsDatabase::DescribeStation(int listRow, int kind) {
    if (ReadRecord({}, listRow, kind) != 0) return nullptr;
    text = theSmsCurrentEntry.name + " " + NavAidKindName(theSmsCurrentEntry.code);
    if (kind == kSmsAirport) KeepFirstRunway(*this);
    return text.c_str();
}

}  // namespace nav
