#include "nav/nav_database.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cockpit/bearing.h"
#include "cockpit/radio_words.h"
#include "core/endian.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "win/program_entry.h"

namespace nav {

core::ResourceVolume& theNavVolume = core::theNavDataVolume;
NavDatabase theNavDatabase;
TunedNavStation theNav1Station;
TunedNavStation theNav2Station;
TunedNavStation theAdfStation;
std::uint8_t theNavReceptionFlags = 0;

void NavDatabase::Clear() {
    vors.clear();
    airports.clear();
    ndbs.clear();
    ils.clear();
    waypoints.clear();
    airways.clear();
    runwayControls.clear();
    runwayControlsRead = false;
    comChannels.clear();
    comChannelsRead = false;
}

namespace {

// World units (1/256 m) in a nautical mile.
constexpr double kWorldUnitsPerNm = 474112.0;

void TraceLoad(const char* fileName, const std::string& what) {
    win::TraceLine(std::string("nav: load ") + fileName + ": " + what);
}

// The member's size when the volume knows it, else -1.
std::int64_t MemberSize(const char* fileName) {
    core::VolumeRStream* stream = theNavVolume.GetStream();
    return stream != nullptr ? stream->GetEntrySize(fileName) : -1;
}

// Reads the u32 at the member's start; false at the end of the member.
bool ReadCount(std::uint32_t* count) {
    std::uint8_t head[4];
    if (theNavVolume.ReadRecords(head, 4, 1) != 1) return false;
    *count = core::ReadU32(head);
    return true;
}

// Reads a table of fixed rows. The row count is checked against the 16-bit row index and the
// member's size before anything is allocated, and only whole rows that were read are kept.
template <typename Row>
int LoadTable(const char* fileName, int width, Row (*decode)(const std::uint8_t*),
              std::vector<Row>* table) {
    table->clear();
    if (!theNavVolume.OpenFile(fileName)) {
        theNavVolume.CloseFile();
        TraceLoad(fileName, "missing");
        return 0;
    }
    std::uint32_t count = 0;
    if (!ReadCount(&count)) {
        theNavVolume.CloseFile();
        TraceLoad(fileName, "no row count");
        // A table that reads empty lost every row, like one cut short.
        theNavVolume.ReportDamagedMember(fileName);
        return 1;
    }
    if (count > static_cast<std::uint32_t>(kMaxNavRows)) {
        theNavVolume.CloseFile();
        TraceLoad(fileName, "refused, " + std::to_string(count) + " rows");
        theNavVolume.ReportDamagedMember(fileName);
        return 1;
    }
    std::uint32_t wanted = count;
    const std::int64_t size = MemberSize(fileName);
    if (size >= 4)
        wanted = std::min<std::uint32_t>(count, static_cast<std::uint32_t>((size - 4) / width));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(wanted) * width);
    const int read =
        wanted > 0 ? theNavVolume.ReadRecords(bytes.data(), width, static_cast<int>(wanted)) : 0;
    theNavVolume.CloseFile();
    table->reserve(static_cast<std::size_t>(read));
    for (int i = 0; i < read; ++i)
        table->push_back(decode(bytes.data() + static_cast<std::size_t>(i) * width));
    if (static_cast<std::uint32_t>(read) == count)
        TraceLoad(fileName, std::to_string(read) + " rows");
    else
        TraceLoad(fileName, std::to_string(read) + " of " + std::to_string(count) + " rows");
    // A table holds its count's rows, at least one, and nothing after them: one cut short or
    // emptied, with bytes lost or put in, or with its count changed, is named; its whole rows
    // are still used.
    if (count == 0 || static_cast<std::uint32_t>(read) != count ||
        (size >= 4 && size != 4 + std::int64_t{count} * width))
        theNavVolume.ReportDamagedMember(fileName);
    return 1;
}

// ---- reception ------------------------------------------------------------------------------

template <typename Row>
std::int16_t FindFirst(const std::vector<Row>& rows, std::int32_t count, std::int32_t code) {
    const std::int32_t n = std::min(count, static_cast<std::int32_t>(rows.size()));
    for (std::int32_t i = 0; i < n; ++i)
        if (rows[static_cast<std::size_t>(i)].frequency == code)
            return static_cast<std::int16_t>(i);
    return -1;
}

// Walks the run of rows on the code from its first row and makes the nearest of those `heard`
// accepts the station. The measuring point of a row is its glide-slope / DME point for an ILS,
// else the station itself.
// Only the winner is copied (with its bearing), after the walk: the result is the same as
// copying every nearer row in turn.
template <typename Row, typename Point, typename Fill, typename Heard>
int TuneNearest(const std::vector<Row>& rows, std::int32_t code, TunedNavStation& station,
                Point point, Fill fill, Heard heard) {
    station.distance = kNoStationDistance;
    const std::int16_t first = FindFirst(rows, static_cast<std::int32_t>(rows.size()), code);
    if (first < 0) return 0;
    const double ax = flight::theFlightModelState.fmPosX;
    const double az = flight::theFlightModelState.fmPosZ;
    std::uint32_t best = kNoStationDistance;
    std::size_t winner = rows.size();
    // A row whose squared distance is at least best squared cannot come nearer than the best
    // (its truncated distance is at least best), so its square root is not taken. The square is
    // exact while best is below 2^26; beyond that every row is measured.
    constexpr double kExactSquares = 67108864.0;
    double bound = std::numeric_limits<double>::infinity();
    for (std::size_t i = static_cast<std::size_t>(first);
         i < rows.size() && rows[i].frequency == code; ++i) {
        if (!heard(rows[i])) continue;
        const cockpit::WorldPoint p = point(rows[i]);
        const double dx = ax - p.x, dz = az - p.z;
        const double squared = dx * dx + dz * dz;
        if (squared >= bound) continue;
        const double d = std::sqrt(squared);
        // Truncated to an unsigned distance; a row no nearer than the best so far stays out.
        const std::uint32_t du = d >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(d);
        if (du < best) {
            best = du;
            winner = i;
            const double b = best;
            if (b < kExactSquares) bound = b * b;
        }
    }
    if (winner == rows.size()) return 1;
    const Row& r = rows[winner];
    station.distance = best;
    station.bearing = cockpit::BearingAndRangeFromAircraft(point(r), 0);
    station.frequency = static_cast<std::uint16_t>(code);
    station.x = r.x;
    station.z = r.z;
    station.elevation = r.elevation;
    station.flags = r.flags;
    station.ident = r.ident;
    fill(r, station);
    return 1;
}

int NavCode(int mhzPart, int hundredths) {
    return 10000 + 100 * mhzPart + hundredths;
}

// What a receiver last reported to the trace.
struct TracedReception {
    bool heard = false;
    std::string ident;
    std::int32_t x = 0;
    std::int32_t z = 0;
};
TracedReception theTraced[3];
int theTickCounter = 0;

void TraceReception(int receiver, const char* radio, const std::string& frequencyText) {
    static constexpr std::uint8_t kBits[3] = {kNav1Reception, kNav2Reception, kAdfReception};
    const TunedNavStation& station =
        receiver == 0 ? theNav1Station : (receiver == 1 ? theNav2Station : theAdfStation);
    const bool heard = (theNavReceptionFlags & kBits[receiver]) != 0;
    TracedReception& last = theTraced[receiver];
    const bool same =
        heard == last.heard &&
        (!heard || (station.ident == last.ident && station.x == last.x && station.z == last.z));
    if (same) return;
    last = TracedReception{heard, station.ident, station.x, station.z};
    std::string line = std::string("nav: ") + radio + " " + frequencyText;
    if (heard) {
        char distance[32];
        std::snprintf(distance, sizeof distance, " %.1f nm", station.distance / kWorldUnitsPerNm);
        line += " " + station.ident + distance;
    } else {
        line += " none";
    }
    win::TraceLine(line);
}

std::string NavFrequencyText(const cockpit::PanelGauge& w) {
    char text[32];
    const int code = NavCode(w.activeMHz, w.activeKHz);
    std::snprintf(text, sizeof text, "%d.%02d", code / 100, code % 100);
    return text;
}

void CheckNav(int second) {
    const cockpit::PanelGauge& w = second ? cockpit::theNav2Radio : cockpit::theNav1Radio;
    const std::uint8_t bit = second ? kNav2Reception : kNav1Reception;
    const bool heard = TuneVor(w.activeMHz, w.activeKHz, second) == 1 ||
                       TuneIls(w.activeMHz, w.activeKHz, second) == 1;
    theNavReceptionFlags =
        static_cast<std::uint8_t>(heard ? theNavReceptionFlags | bit : theNavReceptionFlags & ~bit);
    TraceReception(second, second ? "NAV2" : "NAV1", NavFrequencyText(w));
}

}  // namespace

int LoadNavVors(const char* fileName) {
    return LoadTable(fileName, kVorRowBytes, DecodeVorRow, &theNavDatabase.vors);
}

int LoadNavNdbs(const char* fileName) {
    const int loaded = LoadTable(fileName, kNdbRowBytes, DecodeNdbRow, &theNavDatabase.ndbs);
    CheckAdfReception();
    return loaded;
}

int LoadNavIls(const char* fileName) {
    const int loaded = LoadTable(fileName, kIlsRowBytes, DecodeIlsRow, &theNavDatabase.ils);
    CheckNavReception();
    return loaded;
}

int LoadNavAirports(const char* fileName) {
    return LoadTable(fileName, kAirportRowBytes, DecodeAirportRow, &theNavDatabase.airports);
}

int LoadNavRunwayControls(const char* fileName) {
    theNavDatabase.runwayControlsRead = true;
    return LoadTable(fileName, kRunwayControlRowBytes, DecodeRunwayControlRow,
                     &theNavDatabase.runwayControls);
}

int LoadNavComChannels(const char* fileName) {
    theNavDatabase.comChannelsRead = true;
    return LoadTable(fileName, kComChannelRowBytes, DecodeComChannelRow,
                     &theNavDatabase.comChannels);
}

int LoadNavWaypoints(const char* fileName) {
    return LoadTable(fileName, kWaypointRowBytes, DecodeWaypointRow, &theNavDatabase.waypoints);
}

int LoadNavAirways(const char* fileName) {
    std::vector<AirwayRecord>& airways = theNavDatabase.airways;
    airways.clear();
    if (!theNavVolume.OpenFile(fileName)) {
        theNavVolume.CloseFile();
        TraceLoad(fileName, "missing");
        return 0;
    }
    std::uint32_t count = 0;
    if (!ReadCount(&count) || count > static_cast<std::uint32_t>(kMaxNavRows)) {
        theNavVolume.CloseFile();
        TraceLoad(fileName, count == 0 ? std::string("no airway count")
                                       : "refused, " + std::to_string(count) + " airways");
        theNavVolume.ReportDamagedMember(fileName);
        return 1;
    }
    std::int64_t left = MemberSize(fileName);
    left = left >= 4 ? left - 4 : -1;  // bytes after the count; -1 when unknown
    if (left >= 0)
        count =
            std::min<std::uint32_t>(count, static_cast<std::uint32_t>(left / kAirwayHeaderBytes));
    std::vector<std::uint8_t> headers(static_cast<std::size_t>(count) * kAirwayHeaderBytes);
    const int headersRead = count > 0 ? theNavVolume.ReadRecords(headers.data(), kAirwayHeaderBytes,
                                                                 static_cast<int>(count))
                                      : 0;
    if (left >= 0) left -= std::int64_t{headersRead} * kAirwayHeaderBytes;
    std::vector<std::uint8_t> points;
    for (int i = 0; i < headersRead; ++i) {
        const std::uint8_t* h = headers.data() + static_cast<std::size_t>(i) * kAirwayHeaderBytes;
        const std::int16_t pointCount = core::ReadI16(h + 8);
        // A negative count, or points past the member's end, end the table here.
        if (pointCount < 0) break;
        if (left >= 0 && std::int64_t{pointCount} * kWaypointRowBytes > left) break;
        points.assign(static_cast<std::size_t>(pointCount) * kWaypointRowBytes, 0);
        if (pointCount > 0 &&
            theNavVolume.ReadRecords(points.data(), kWaypointRowBytes, pointCount) != pointCount)
            break;
        if (left >= 0) left -= std::int64_t{pointCount} * kWaypointRowBytes;
        AirwayRecord airway;
        airway.identifier = core::ReadU32(h);
        airway.points.reserve(static_cast<std::size_t>(pointCount));
        for (int p = 0; p < pointCount; ++p)
            airway.points.push_back(
                DecodeWaypointRow(points.data() + static_cast<std::size_t>(p) * kWaypointRowBytes));
        airways.push_back(std::move(airway));
    }
    theNavVolume.CloseFile();
    TraceLoad(fileName, std::to_string(airways.size()) + " airways");
    // Every airway counted, read whole, and the member ends with the last one.
    if (airways.size() != count || left > 0) theNavVolume.ReportDamagedMember(fileName);
    return 1;
}

std::uint32_t VorReceptionRange(std::uint16_t flags) {
    if (flags & kTerminalClass) return 117825;
    if (flags & kLowAltitudeClass) return 188520;
    if (flags & kHighAltitudeClass) return 471300;
    return 188520;
}

std::int16_t FindFirstVor(std::int32_t count, std::int32_t code) {
    return FindFirst(theNavDatabase.vors, count, code);
}
std::int16_t FindFirstIls(std::int32_t count, std::int32_t code) {
    return FindFirst(theNavDatabase.ils, count, code);
}
std::int16_t FindFirstNdb(std::int32_t count, std::int32_t code) {
    return FindFirst(theNavDatabase.ndbs, count, code);
}

int TuneVor(int mhzPart, int hundredths, int second) {
    if (cockpit::BatteryPowerWord() != 1 || cockpit::AvionicsSwitchWord() != 1) return 0;
    TunedNavStation& station = second == 0 ? theNav1Station : theNav2Station;
    return TuneNearest(
        theNavDatabase.vors, NavCode(mhzPart, hundredths), station,
        [](const VorRecord& r) {
            return cockpit::WorldPoint{r.x, r.z};
        },
        [](const VorRecord& r, TunedNavStation& s) { s.range = VorReceptionRange(r.flags); },
        [](const VorRecord&) { return true; });
}

// Whether the aircraft flies in the localizer's front course sector (35 degrees either side of
// the approach, within the 28 nm a localizer is received at). Localizers that share a frequency (the two ends of a
// runway, neighbouring airports) are sited so that one serves each approach: the receiver hears
// the one in front of the aircraft.
bool InFrontCourse(const IlsRecord& r) {
    constexpr std::int32_t kSectorHalfWidth = 6371;  // 35 degrees
    const std::int64_t east = std::int64_t{flight::theFlightModelState.fmPosX} - r.x;
    const std::int64_t north = std::int64_t{flight::theFlightModelState.fmPosZ} - r.z;
    const double range = std::sqrt(static_cast<double>(east) * static_cast<double>(east) +
                                   static_cast<double>(north) * static_cast<double>(north));
    if (range > 28 * kWorldUnitsPerNm) return false;
    // The approach lies on the radial opposite the course flown inbound.
    const std::uint16_t radial = cockpit::VectorBearing(east, north);
    const std::int16_t off = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(radial - r.course - 0x8000));
    return off >= -kSectorHalfWidth && off <= kSectorHalfWidth;
}

int TuneIls(int mhzPart, int hundredths, int second) {
    TunedNavStation& station = second == 0 ? theNav1Station : theNav2Station;
    // Of the localizers on the frequency that have the aircraft in their front course, the
    // nearest; with none, the nearest of all (behind a localizer, on its back course).
    const std::int32_t code = NavCode(mhzPart, hundredths);
    bool anyInFront = false;
    const std::int16_t first =
        FindFirst(theNavDatabase.ils, static_cast<std::int32_t>(theNavDatabase.ils.size()), code);
    for (std::size_t i = first < 0 ? theNavDatabase.ils.size() : static_cast<std::size_t>(first);
         i < theNavDatabase.ils.size() && theNavDatabase.ils[i].frequency == code && !anyInFront;
         ++i)
        anyInFront = InFrontCourse(theNavDatabase.ils[i]);
    return TuneNearest(
        theNavDatabase.ils, code, station,
        [](const IlsRecord& r) {
            return cockpit::WorldPoint{r.x2, r.z2};
        },
        [](const IlsRecord& r, TunedNavStation& s) {
            s.x2 = r.x2;
            s.z2 = r.z2;
            s.range = kIlsReceptionRange;
            s.localizerCourse = r.course;
            s.glideSlopeAngle = r.glideSlopeAngle;
            for (int k = 0; k < 3; ++k) {
                s.pointX[k] = r.pointX[k];
                s.pointZ[k] = r.pointZ[k];
            }
        },
        [anyInFront](const IlsRecord& r) { return !anyInFront || InFrontCourse(r); });
}

int TuneNdb(int hundreds, int rest) {
    return TuneNearest(
        theNavDatabase.ndbs, 100 * hundreds + rest, theAdfStation,
        [](const NdbRecord& r) {
            return cockpit::WorldPoint{r.x, r.z};
        },
        [](const NdbRecord&, TunedNavStation& s) { s.range = kNdbReceptionRange; },
        [](const NdbRecord&) { return true; });
}

void CheckNav1Reception() {
    CheckNav(0);
}

void CheckNav2Reception() {
    CheckNav(1);
}

void CheckAdfReception() {
    const cockpit::PanelGauge& w = cockpit::theAdfRadio;
    const bool heard = TuneNdb(w.activeMHz, w.activeKHz) == 1;
    theNavReceptionFlags = static_cast<std::uint8_t>(heard ? theNavReceptionFlags | kAdfReception
                                                           : theNavReceptionFlags & ~kAdfReception);
    TraceReception(2, "ADF", std::to_string(100 * w.activeMHz + w.activeKHz));
}

void CheckNavReception() {
    CheckNav1Reception();
    CheckNav2Reception();
}

void TickNavReception() {
    ++theTickCounter;
    if (theTickCounter == 9) {
        CheckNav1Reception();
    } else if (theTickCounter == 19) {
        CheckNav2Reception();
    } else if (theTickCounter >= 29) {
        CheckAdfReception();
        theTickCounter = 0;
    }
}

void ResetNavReception() {
    theNav1Station = TunedNavStation{};
    theNav2Station = TunedNavStation{};
    theAdfStation = TunedNavStation{};
    theNavReceptionFlags = 0;
    theTickCounter = 0;
    for (TracedReception& t : theTraced)
        t = TracedReception{};
}

}  // namespace nav
