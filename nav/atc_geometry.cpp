// The ATC's airport: the runway into the wind, the traffic pattern and the ring of arrival gates
// round the threshold, the pattern, gate and en-route altitudes, where the aircraft is placed at
// a session's start, the test whether the target of a dialogue state is reached (with radar
// vectors when the aircraft strays) and the transponder code.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/radio_commands.h"
#include "core/numeric.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "nav/atc_services.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "nav/position_placement.h"
#include "nav/sms_database.h"
#include "planning/planning_services.h"
#include "world/terrain_services.h"

namespace nav {

namespace {

constexpr double kWorldToMap = 0.009941939075797343;
constexpr double kMapToWorld = 100.584;
constexpr double kMapEast = 9437184.0;
constexpr double kMapNorth = 5242880.0;
constexpr double kBinaryToDegrees = 0.005493164196610454;

planning::FlightPlan* Plan() {
    return theAtcHost.flightPlan();
}
bool IfrPlan() {
    planning::FlightPlan* p = Plan();
    return p != nullptr && p->ifr != 0;
}

double MapX(std::int32_t worldX) {
    return AtcMapX(worldX);
}
double MapY(std::int32_t worldZ) {
    return AtcMapY(worldZ);
}
std::int32_t WorldX(double mapX) {
    return static_cast<std::int32_t>((mapX - kMapEast) * kMapToWorld);
}
std::int32_t WorldZ(double mapY) {
    return static_cast<std::int32_t>((mapY - kMapNorth) * kMapToWorld);
}

double Wrap360(double a) {
    while (a >= 360.0)
        a -= 360.0;
    while (a < 0.0)
        a += 360.0;
    return a;
}

// The pattern starts' height above the airport (flight-model units, about 1,025 ft) and the
// base leg's length (shape units).
constexpr std::int32_t kPatternStartHeight = 80000;
constexpr double kBaseLegLength = 8200;

// The side of the pattern: left of the runway heading with a left-hand pattern.
double PatternSide(double heading) {
    return Wrap360(theAtcState.lHand != 0 ? heading - 90.0 : heading + 90.0);
}
double OppositeSide(double heading) {
    return Wrap360(theAtcState.lHand != 0 ? heading + 90.0 : heading - 90.0);
}

std::uint16_t MagneticHeading() {
    return static_cast<std::uint16_t>(flight::theFlightModelState.fmHead - world::theMagneticVariation);
}

void AircraftMap(double* x, double* y) {
    *x = MapX(flight::theFlightModelState.fmPosX);
    *y = MapY(flight::theFlightModelState.fmPosZ);
}

std::string AtcGeometryFrequencyText(std::uint16_t bcd) {
    if (bcd == 0) return kNoFrequency;
    std::string text = theSmsDatabase.FormatFrequency(bcd);
    return !text.empty() && text[0] == '1' ? text.substr(0, kFrequencyTextChars) : kNoFrequency;
}

// The centre's channel near an airport: the first of a few en-route channels that no airport
// within 100 nm uses for anything, so that the centre never answers on a field's ground or tower.
std::string CenterFrequencyNear(std::int32_t x, std::int32_t z) {
    static constexpr const char* kChannels[] = {kCenterFrequency, "128.70", "133.50", "125.35",
                                                "134.15",         "127.80", "124.85", "120.45"};
    constexpr double kRange = 100 * 1852.0 * 256;  // world units
    std::set<std::string> used;
    const auto& airports = theNavDatabase.airports;
    for (std::size_t i = 0; i < airports.size(); ++i) {
        if (std::hypot(static_cast<double>(airports[i].x) - x,
                       static_cast<double>(airports[i].z) - z) > kRange)
            continue;
        SmsEntryCopy entry;
        SmsAirportHeader h;
        std::vector<SmsRunwayRecord> rows;
        if (theSmsDatabase.ReadAirportRecord(static_cast<int>(i), &entry, &h, &rows) == 0) continue;
        for (const std::uint16_t f :
             {h.atis, h.clearance, h.ground, h.tower, h.departure, h.approach})
            used.insert(AtcGeometryFrequencyText(f));
    }
    for (const RunwayControlRecord& r : theNavDatabase.runwayControls)
        for (const std::uint16_t f : {r.tower, r.ground})
            used.insert(AtcGeometryFrequencyText(f));
    if (!theNavDatabase.comChannelsRead) LoadNavComChannels();
    std::set<std::string> near;
    for (const AirportIndexRecord& a : airports)
        if (std::hypot(static_cast<double>(a.x) - x, static_cast<double>(a.z) - z) <= kRange)
            near.insert(a.ident);
    for (const ComChannelRecord& r : theNavDatabase.comChannels)
        if (near.count(r.airport) != 0) used.insert(AtcGeometryFrequencyText(r.frequency));
    for (const char* channel : kChannels)
        if (used.count(channel) == 0) return channel;
    return kCenterFrequency;
}

void FillFrequencies(const SmsAirportHeader& h) {
    AtcState& a = theAtcState;
    a.atisFreq = AtcGeometryFrequencyText(h.atis);
    a.clearFreq = AtcGeometryFrequencyText(h.clearance);
    a.groundFreq = AtcGeometryFrequencyText(h.ground);
    a.towerFreq = AtcGeometryFrequencyText(h.tower);
    a.departFreq = AtcGeometryFrequencyText(h.departure);
    a.approachFreq = AtcGeometryFrequencyText(h.approach);
}

void TakeRunway(const SmsRunwayRecord& r, int elevation) {
    AtcState& a = theAtcState;
    a.xRwy = r.x;
    a.zRwy = r.z;
    a.headRwy = r.heading;
    a.lenRwy = r.length;
    a.elev = elevation;
    a.takeRwyNum = r.runway;
    a.toRwy = a.lndRwy = FormatRunwayNumber(r.runway);
}

// The taken runway end's own tower and ground where its airport has several (else the
// airport's), and its traffic side: left-hand unless the end's pattern is published right-hand.
void TakeRunwayControls(const SmsAirportHeader& h) {
    AtcState& a = theAtcState;
    a.towerFreq = AtcGeometryFrequencyText(h.tower);
    a.groundFreq = AtcGeometryFrequencyText(h.ground);
    a.lHand = 1;
    if (!theNavDatabase.runwayControlsRead) LoadNavRunwayControls();
    const std::string ident = AtcAirportIdent();
    for (const RunwayControlRecord& r : theNavDatabase.runwayControls) {
        if (r.airport != ident || r.runway != a.takeRwyNum) continue;
        if (r.tower != 0) a.towerFreq = AtcGeometryFrequencyText(r.tower);
        if (r.ground != 0) a.groundFreq = AtcGeometryFrequencyText(r.ground);
        if ((r.flags & kRightTrafficFlag) != 0) a.lHand = 0;
    }
}

int FindAirport(const std::string& ident) {
    const auto& rows = theNavDatabase.airports;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!ident.empty() && rows[i].ident == ident) return static_cast<int>(i);
    return -1;
}

// Reads airport `index` and chooses its runway; false when it has no usable runway.
bool LoadAirport(int index, int mode) {
    AtcState& a = theAtcState;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    if (theSmsDatabase.ReadAirportRecord(index, &entry, &header, &rows) == 0) return false;
    // The selection table holds the first 30 rows of an airport with more.
    const int count = std::min<int>(static_cast<int>(rows.size()), kAtcRunwayRows);
    if (count == 0) return false;
    a.rwySel = {};
    for (int i = 0; i < count; ++i) {
        const SmsRunwayRecord& r = rows[static_cast<std::size_t>(i)];
        AtcRunwayChoice& c = a.rwySel[static_cast<std::size_t>(i)];
        c.heading = r.heading;
        c.length = r.length;
        c.ils = !r.ils.empty() && r.ils[0] != ' ' && r.ils[0] != '0' ? 1 : 0;
        c.usable = 0;
    }
    a.numOfRwys = count;
    if (!theNavDatabase.runwayControlsRead) LoadNavRunwayControls();
    const std::string ident = static_cast<std::size_t>(index) < theNavDatabase.airports.size()
                                  ? theNavDatabase.airports[static_cast<std::size_t>(index)].ident
                                  : std::string();
    for (const RunwayControlRecord& r : theNavDatabase.runwayControls)
        if (r.airport == ident && (r.flags & kSoftSurfaceFlag) != 0)
            for (int i = 0; i < count; ++i)
                if (rows[static_cast<std::size_t>(i)].runway == r.runway)
                    a.rwySel[static_cast<std::size_t>(i)].soft = 1;
    // The wind is weighed against this field's runways, by this field's variation.
    const int previous = a.airportIndex;
    a.airportIndex = index;
    const int chosen = a.pickedRwy != 0 && a.selRwy >= 0 && a.selRwy < count
                           ? a.selRwy
                           : AtcSelectRunwayIntoWind(count, mode, kAtcRunwayRows);
    if (chosen < 0) {
        a.airportIndex = previous;
        return false;
    }
    a.selRwy = chosen;
    FillFrequencies(header);
    TakeRunway(rows[static_cast<std::size_t>(chosen)], header.elevation);
    a.airportIndex = index;
    TakeRunwayControls(header);
    a.centerFreq = CenterFrequencyNear(theNavDatabase.airports[static_cast<std::size_t>(index)].x,
                                       theNavDatabase.airports[static_cast<std::size_t>(index)].z);
    return true;
}

}  // namespace

bool AirportHeardOn(const std::string& ident, ComService service, const std::string& text) {
    if (ident.empty() || !FrequencySet(text)) return false;
    if (!theNavDatabase.comChannelsRead) LoadNavComChannels();
    const auto& rows = theNavDatabase.comChannels;
    auto it = std::lower_bound(
        rows.begin(), rows.end(), ident,
        [](const ComChannelRecord& r, const std::string& i) { return r.airport < i; });
    for (; it != rows.end() && it->airport == ident; ++it)
        if (it->service == service && AtcGeometryFrequencyText(it->frequency) == text) return true;
    return false;
}

double AtcMapX(std::int32_t worldX) {
    return worldX * kWorldToMap + kMapEast;
}

double AtcMapY(std::int32_t worldZ) {
    return worldZ * kWorldToMap + kMapNorth;
}

std::string AtcAirportIdent() {
    const auto& rows = theNavDatabase.airports;
    const int i = theAtcState.airportIndex;
    return i >= 0 && static_cast<std::size_t>(i) < rows.size() ? rows[static_cast<std::size_t>(i)].ident
                                                                : std::string();
}

void ProjectPoint(double* outX, double* outY, double x, double y, double angleDegrees,
                  double distance) {
    double a = 360.0 - angleDegrees + 90.0;
    if (a >= 360.0) a -= 360.0;
    const double r = a * std::numbers::pi / 180.0;
    *outX = std::trunc(x + std::cos(r) * distance);
    *outY = std::trunc(y + std::sin(r) * distance);
}

std::string FormatRunwayNumber(std::uint8_t runway) {
    int number = runway;
    const char* suffix = "";
    if ((runway & 0xC0) == 0xC0) {
        number = (runway + 64) & 0xFF;
        suffix = "C";
    } else if ((runway & 0x40) != 0) {
        number = runway - 64;
        suffix = "L";
    } else if ((runway & 0x80) != 0) {
        number = runway & 127;
        suffix = "R";
    }
    return std::to_string(number) + suffix;
}

int AtcCopyAirportFromDirectory() {
    // The directory's current airport is the one whose runway starts where it chose last (a
    // neighbouring strip's reference point may lie nearer a big field's threshold), else the
    // one nearest that position; its runway the one whose heading is nearest the heading it chose.
    const auto& airports = theNavDatabase.airports;
    if (airports.empty()) return 0;
    const double px = theSmsDatabase.positionX, pz = theSmsDatabase.positionZ;
    std::vector<std::pair<double, int>> near;
    for (std::size_t i = 0; i < airports.size(); ++i)
        near.emplace_back(std::hypot(airports[i].x - px, airports[i].z - pz), static_cast<int>(i));
    std::sort(near.begin(), near.end());
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    constexpr double kFieldReach = 8000.0 * 256;     // 8 km (positions in 1/256 m)
    constexpr double kThresholdReach = 800.0 * 256;  // 800 m
    int best = near.front().second;
    double bestThreshold = kThresholdReach;
    for (const auto& [d, i] : near) {
        if (d > kFieldReach) break;
        if (theSmsDatabase.ReadAirportRecord(i, &entry, &header, &rows) == 0) continue;
        for (const SmsRunwayRecord& r : rows)
            if (const double t = std::hypot(r.x - px, r.z - pz); t < bestThreshold) {
                bestThreshold = t;
                best = i;
            }
    }
    if (theSmsDatabase.ReadAirportRecord(best, &entry, &header, &rows) == 0 || rows.empty()) return 0;
    // Of the runways nearest that heading (parallels share it), the one starting nearest the
    // position.
    const std::size_t count = std::min<std::size_t>(rows.size(), kAtcRunwayRows);
    const auto off = [&](std::size_t i) {
        const int d = static_cast<std::uint16_t>(rows[i].heading - theSmsDatabase.positionHeading);
        return d > 32767 ? 65536 - d : d;
    };
    int nearestHeading = 1 << 20;
    for (std::size_t i = 0; i < count; ++i)
        nearestHeading = std::min(nearestHeading, off(i));
    std::size_t pick = 0;
    double pickD = 1e300;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = std::hypot(rows[i].x - px, rows[i].z - pz);
        if (off(i) <= nearestHeading + 182 && d < pickD) {  // within a degree
            pickD = d;
            pick = i;
        }
    }
    FillFrequencies(header);
    TakeRunway(rows[pick], header.elevation);
    theAtcState.airportIndex = best;
    TakeRunwayControls(header);
    theAtcState.centerFreq = CenterFrequencyNear(airports[static_cast<std::size_t>(best)].x,
                                                 airports[static_cast<std::size_t>(best)].z);
    theAtcState.selRwy = static_cast<int>(pick);
    theAtcState.numOfRwys = std::min<int>(static_cast<int>(rows.size()), kAtcRunwayRows);
    return 1;
}

int AtcSelectAirport(int mode, const std::string& ident) {
    const int index = FindAirport(ident);
    return index >= 0 && LoadAirport(index, mode) ? 1 : 0;
}

int AtcPlanDepartureReadable() {
    const planning::FlightPlan* p = Plan();
    if (p == nullptr || p->nodeCount < 1) return 0;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    const int index = FindAirport(p->nodes[0].ident);
    return index >= 0 && theSmsDatabase.ReadAirportRecord(index, &entry, &header, &rows) != 0 &&
           !rows.empty();
}

int AtcSelectPlanAirport(int node) {
    planning::FlightPlan* p = Plan();
    if (p == nullptr || node < 0 || node >= std::min(p->nodeCount, planning::kMaxPlanNodes)) return 0;
    return AtcSelectAirport(1, p->nodes[static_cast<std::size_t>(node)].ident);
}

namespace {

// Where the aircraft stands from a runway end: feet along the runway's heading from the end, and
// feet across it (right positive).
struct RunwayOffset {
    double along = 0, across = 0;
};
RunwayOffset AircraftFromRunwayEnd(double endX, double endZ, std::uint16_t heading) {
    constexpr double kUnitsPerFoot = 474112.0 / 6076.12;
    const flight::FlightModelState& f = flight::theFlightModelState;
    const double h = heading * (std::numbers::pi / 32768.0);
    const double dx = static_cast<double>(f.fmPosX) - endX, dz = static_cast<double>(f.fmPosZ) - endZ;
    return RunwayOffset{(dx * std::sin(h) + dz * std::cos(h)) / kUnitsPerFoot,
                        (dx * std::cos(h) - dz * std::sin(h)) / kUnitsPerFoot};
}

// Whether a runway serves as well as the one the wind chose (`windRunway`, a binary angle): in a
// light wind (5 kt or less) any runway does, in a stronger one only that runway and its parallels
// (within 30 degrees).
// The surface wind's direction as a binary angle (magnetic): the plan's at departure, else
// the weather's.
int WindDirection() {
    planning::FlightPlan* p = Plan();
    return p != nullptr ? p->environment.departure.WsDir : theAtcHost.surfaceWindDirection() * 182;
}

// Binary degrees between a runway end's grid heading and the wind at the session's field.
int OffTheWind(std::uint16_t heading) {
    const int d = static_cast<std::uint16_t>(WindDirection() - heading + AtcFieldOffset());
    return d > 32767 ? 65536 - d : d;
}

// Whether a runway end serves as well as the wind's: within 30 degrees of it and itself no more
// than 60 degrees off the wind (a parallel, or a neighbour that takes no tailwind), or any
// runway in a light wind.
bool ServesTheWind(std::uint16_t heading, std::uint16_t windRunway) {
    const int off = static_cast<std::int16_t>(static_cast<std::uint16_t>(heading - windRunway));
    return theAtcHost.surfaceWindSpeed() <= 5 ||
           (std::abs(off) <= 5461 && OffTheWind(heading) <= 60 * 182 + 4);
}

}  // namespace

int AtcTakeRunwayUnderAircraft() {
    AtcState& a = theAtcState;
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    if (theSmsDatabase.ReadAirportRecord(a.airportIndex, &entry, &header, &rows) == 0) return 0;
    const flight::FlightModelState& f = flight::theFlightModelState;
    const int count = std::min<int>(static_cast<int>(rows.size()), kAtcRunwayRows);
    // The runway the wind chose stays unless the one under the aircraft serves as well.
    const std::uint16_t windRunway = static_cast<std::uint16_t>(a.headRwy);
    for (int i = 0; i < count; ++i) {
        const SmsRunwayRecord& r = rows[static_cast<std::size_t>(i)];
        if (!ServesTheWind(r.heading, windRunway)) continue;
        // Facing along the runway (within 60 degrees), between its threshold (or a little
        // short of it, where a take-off may start) and its far end, and within its sides.
        const int facing =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(f.fmHead - r.heading));
        if (std::abs(facing) > 10923) continue;
        const RunwayOffset o = AircraftFromRunwayEnd(r.x, r.z, r.heading);
        const double halfWidth = std::max<double>(r.width, 75.0) / 2.0;
        if (o.along < -200.0 || o.along > r.length || std::abs(o.across) > halfWidth) continue;
        TakeRunway(r, header.elevation);
        TakeRunwayControls(header);
        a.selRwy = i;
        return 1;
    }
    return 0;
}

int AtcTakeDirectoryRunway() {
    AtcState& a = theAtcState;
    if (AtcCopyAirportFromDirectory() == 0) return 0;
    if (a.startPos == 3) {
        // The aircraft stays on the runway the user chose. The wind chooses the session's
        // runway, and where that is another the pilot starts as at the ramp: ground gives the
        // active runway.
        AtcTaxiToRunway();
        if (!LoadAirport(a.airportIndex, 0)) return AtcCopyAirportFromDirectory();
        if (AtcTakeRunwayUnderAircraft() == 0) a.startPos = 0;
        return 1;
    }
    // In the air the pattern flown is the active runway's, the chosen one where it serves as
    // well: in a light wind, or as the wind's runway or a parallel of it.
    const std::uint16_t chosen = static_cast<std::uint16_t>(a.headRwy);
    if (!LoadAirport(a.airportIndex, 1)) return AtcCopyAirportFromDirectory();
    if (ServesTheWind(chosen, static_cast<std::uint16_t>(a.headRwy))) return AtcCopyAirportFromDirectory();
    return 1;
}

// Whether the user's aircraft stands on the session's runway: on the ground, between a little
// short of its threshold and its far end, within twice its usual half width of the centreline.
bool AtcUserOnRunway() {
    const AtcState& a = theAtcState;
    if (flight::theFlightModelState.fmOTG == 0) return false;
    const RunwayOffset o = AircraftFromRunwayEnd(a.xRwy, a.zRwy, static_cast<std::uint16_t>(a.headRwy));
    return o.along > -200.0 && o.along < a.lenRwy && std::abs(o.across) < 150.0;
}

bool AtcUserRolling() {
    constexpr double kRollingKnots = 20;  // faster than any taxi
    const double knots = std::abs(flight::theFlightModelState.fmHVel) / 65536.0 / 0.514444;
    return AtcUserOnRunway() && knots > kRollingKnots;
}

std::string AtcRunwayUnderAircraft() {
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    const flight::FlightModelState& f = flight::theFlightModelState;
    if (f.fmOTG == 0 ||
        theSmsDatabase.ReadAirportRecord(theAtcState.airportIndex, &entry, &header, &rows) == 0)
        return {};
    // Of the ends whose runway holds the aircraft, the one it faces most nearly.
    std::string designator;
    int nearest = 1 << 20;
    for (const SmsRunwayRecord& r : rows) {
        const RunwayOffset o = AircraftFromRunwayEnd(r.x, r.z, r.heading);
        const double halfWidth = std::max<double>(r.width, 75.0) / 2.0;
        if (o.along < -200.0 || o.along > r.length || std::abs(o.across) > halfWidth) continue;
        const int facing =
            std::abs(static_cast<std::int16_t>(static_cast<std::uint16_t>(f.fmHead - r.heading)));
        if (facing < nearest) {
            nearest = facing;
            designator = FormatRunwayNumber(r.runway);
        }
    }
    return designator;
}

std::string AtcRunwayDesignator(int index) {
    SmsEntryCopy entry;
    SmsAirportHeader header;
    std::vector<SmsRunwayRecord> rows;
    // The session's airport, or the plan's that a session would take.
    if ((Plan() == nullptr && theAtcState.atcOn == 0) || index < 0 ||
        theSmsDatabase.ReadAirportRecord(theAtcState.airportIndex, &entry, &header, &rows) == 0 ||
        static_cast<std::size_t>(index) >= rows.size())
        return {};
    return FormatRunwayNumber(rows[static_cast<std::size_t>(index)].runway);
}

// The heading offset (a grid heading = a magnetic one + offset) at the session's airport: its own
// variation and grid convergence, not those of where the aircraft stood in the last frame, which
// may be a field a continent away when a session starts before the first frame at the new one.
std::int16_t AtcFieldOffset() {
    const auto& rows = theNavDatabase.airports;
    const int i = theAtcState.airportIndex;
    if (i < 0 || static_cast<std::size_t>(i) >= rows.size()) return world::theMagneticVariation;
    const AirportIndexRecord& field = rows[static_cast<std::size_t>(i)];
    const GridValues g = theMapView.LookupGridValues(field.x, field.z);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(g.variation) +
                                     static_cast<std::uint16_t>(g.north));
}

int AtcSelectRunwayIntoWind(int count, int arrival, int exclude) {
    AtcState& a = theAtcState;
    count = std::clamp(count, 0, kAtcRunwayRows);
    const int wind = WindDirection();
    const int type = AtcAircraftType();
    const int minimum = type == 3 || type == 4 ? 4950 : 0;
    for (int i = 0; i < count; ++i) {
        AtcRunwayChoice& r = a.rwySel[static_cast<std::size_t>(i)];
        r.usable = r.length > minimum ? 1 : 0;
        if (IfrPlan() && arrival == 1 && r.ils == 0) r.usable = 0;
    }
    if (exclude >= 0 && exclude < count) a.rwySel[static_cast<std::size_t>(exclude)].usable = 0;
    const std::int16_t offset = AtcFieldOffset();
    // The end nearest the wind of those `fits` takes.
    const auto intoWind = [&](const auto& fits) {
        int best = -1, bestD = 1 << 20;
        for (int i = 0; i < count; ++i) {
            const AtcRunwayChoice& r = a.rwySel[static_cast<std::size_t>(i)];
            if (!fits(i, r)) continue;
            int d = static_cast<std::uint16_t>(wind - r.heading + offset);
            if (d > 32767) d = 65536 - d;
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        return best;
    };
    // Paved before turf, dirt and gravel: the paved end nearest the wind is taken when it lies
    // within 60 degrees of it, or no further off than the unpaved one.
    const int best = intoWind([](int, const AtcRunwayChoice& r) { return r.usable != 0; });
    const int paved =
        intoWind([](int, const AtcRunwayChoice& r) { return r.usable != 0 && r.soft == 0; });
    const auto off = [&](int i) {
        const int d = static_cast<std::uint16_t>(wind - a.rwySel[static_cast<std::size_t>(i)].heading + offset);
        return d > 32767 ? 65536 - d : d;
    };
    if (paved >= 0 && (off(paved) <= 60 * 182 + 4 || off(paved) <= off(best))) return paved;
    if (best >= 0) return best;
    // A field none of whose runways suits the type (a short field for a turbine, no ILS for an
    // instrument arrival) is still flown into the wind: the end nearest it of any runway but
    // the excluded one, never the wind's tail end.
    const int any = intoWind([&](int i, const AtcRunwayChoice& r) { return r.length != 0 && i != exclude; });
    if (any >= 0) return any;
    return intoWind([](int, const AtcRunwayChoice& r) { return r.length != 0; });
}

void AtcSetPatternConstants() {
    auto& p = theAtcState.pattern;
    static constexpr std::int32_t kArrive[kAtcPatternRows] = {
        20480, 525, 525, 90, 750, 750, 750, 3000, 1000, 2050, 500, 0,
        3000,  3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000};
    static constexpr std::int32_t kVectors[kAtcPatternRows] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0,
                                                              0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < kAtcPatternRows; ++i) {
        p[static_cast<std::size_t>(i)].arrive = kArrive[i];
        p[static_cast<std::size_t>(i)].vectors = kVectors[i];
    }
}

void AtcBuildPattern() {
    AtcState& a = theAtcState;
    auto& p = a.pattern;
    const double tx = MapX(a.xRwy), ty = MapY(a.zRwy);
    for (int i = 0; i < kAtcPatternRows; ++i)
        p[static_cast<std::size_t>(i)] = AtcPatternPoint{tx, ty, 0, 0};
    AtcSetPatternConstants();
    a.rwyAngle = static_cast<std::uint16_t>(a.headRwy) * kBinaryToDegrees;
    a.RwyLen = a.lenRwy * 0.77575755;
    const double h = a.rwyAngle;
    auto at = [&](int row, int from, double angle, double distance) {
        ProjectPoint(&p[static_cast<std::size_t>(row)].x, &p[static_cast<std::size_t>(row)].y,
                     p[static_cast<std::size_t>(from)].x, p[static_cast<std::size_t>(from)].y,
                     Wrap360(angle), distance);
    };
    at(10, 0, h, a.RwyLen);
    at(4, 10, h, 2050);
    at(5, 4, h, 4100);
    const double side = PatternSide(h);
    at(6, 5, side, 8200);
    at(7, 6, Wrap360(h + 180.0), a.RwyLen * 0.5 + 6150);
    const double r = Wrap360(h - 180.0);
    at(9, 0, r, a.finalLen);
    at(8, 9, side, kBaseLegLength);
    const double opposite = OppositeSide(h);
    at(14, 0, r, 24600);
    at(15, 14, opposite, 24600);
    at(16, 15, h, 24600);
    at(17, 16, h, 24600);
    at(18, 17, side, 24600);
    at(19, 18, side, 24600);
    at(13, 14, side, 24600);
    at(12, 13, h, 24600);
}

void AtcSetPatternAltitude() {
    theAtcState.patAlt = (theAtcState.elev / 100) * 100 + 1100;
}

void AtcSetCeilingAltitude() {
    AtcState& a = theAtcState;
    int ceiling = a.patAlt + 1000;
    for (int row = 12; row <= 19; ++row) {
        const AtcPatternPoint& g = a.pattern[static_cast<std::size_t>(row)];
        if (theAtcHost.terrainLoadedAt(g.x, g.y) == 0) continue;
        const int ground = static_cast<int>(theAtcHost.groundAt(g.x, g.y) * 1.2890625 + 0.5);
        ceiling = std::max(ceiling, ground + 2000);
    }
    a.ceilAlt = AtcRoundVfrAltitude(ceiling);
}

void AtcSetInitialAltitude() {
    planning::FlightPlan* p = Plan();
    if (p == nullptr) return;
    int alt = p->cruiseAltitude;
    for (int i = 0; i < std::clamp(p->nodeCount, 0, planning::kMaxPlanNodes); ++i)
        alt = std::max(alt, p->nodes[static_cast<std::size_t>(i)].elevation + 2000);
    theAtcState.initAlt = AtcRoundVfrAltitude(alt);
}

int AtcRoundVfrAltitude(int feet) {
    const bool ifr = IfrPlan();
    const int step = ifr ? 1000 : 500;
    int r = (feet / step + 1) * step;
    if (!ifr && r % 1000 == 0) r += 500;
    return r;
}

void AtcProposeAltitude() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    const int pos = e.spPos;
    if (pos >= 5 && pos <= 7) {
        e.spPropAlt = static_cast<std::int16_t>(a.patAlt);
        return;
    }
    int base;
    if ((pos >= 12 && pos <= 19) || pos == 0)
        base = a.ceilAlt;
    else if (a.spSeq == kSeqEnRoute)
        base = a.initAlt;
    else
        return;
    int h = e.spPropHead.empty() ? static_cast<int>(MagneticHeading() * kBinaryToDegrees + 0.5)
                                 : std::atoi(e.spPropHead.c_str());
    if (h == 360) h = 0;
    const bool west = h >= 180;
    int result = base;
    const bool even = (base / 1000) % 2 == 0;
    if (!IfrPlan()) {
        if (base > 3000 && base < 18000) {
            if ((west && !even) || (!west && even)) result += 1000;
            if (result > 18000) result = west ? 16500 : 17500;
        }
    } else if (base < 18000) {
        if ((west && !even) || (!west && even)) result += 1000;
        if (result > 18000) result = west ? 16000 : 17000;
    }
    e.spPropAlt = static_cast<std::int16_t>(std::clamp(result, -32768, 32767));
}

int AtcCapAltitude(int feet) {
    const int type = AtcAircraftType();
    return std::min(feet, type == 3 || type == 4 ? 10000 : 5000);
}

void AtcSetAircraftLimits() {
    FlightEvaluation& e = theFlightEvaluation;
    theAtcState.finalLen = 12300;
    struct Rates {
        std::int16_t climb, descent;
    };
    static constexpr Rates kRates[] = {{300, 400}, {400, 400}, {450, 400}, {500, 500}, {600, 500}};
    const int type = AtcAircraftType();
    const Rates r = type == 5 ? kRates[0] : (type >= 0 && type < 5 ? kRates[type] : Rates{400, 500});
    e.spROC = r.climb;
    e.spROD = r.descent;
    if (type != 0) theCopilotSettings.advice = 0;
}

namespace {

std::uint16_t HeadingAngle(double headingDegrees) {
    return static_cast<std::uint16_t>(std::lround(Wrap360(headingDegrees) * 65536.0 / 360.0));
}

// Feet in a unit of the pattern's shapes.
constexpr double kShapeUnitFeet = 1.2890625;
// Flight-model height units in a foot.
constexpr double kHeightUnitsPerFoot = 0.3048780487804878 * 256.0;

double DistanceFeet(const AtcPatternPoint& a, const AtcPatternPoint& b) {
    return std::hypot(b.x - a.x, b.y - a.y) * kShapeUnitFeet;
}

void PlaceAt(double mapX, double mapY, std::int32_t height, double headingDegrees) {
    flight::FlightModelState& f = flight::theFlightModelState;
    f.fmPosX = WorldX(mapX);
    f.fmPosZ = WorldZ(mapY);
    f.fmPosY = height;
    f.fmHead = HeadingAngle(headingDegrees);
}

// In the air, `height` (flight-model units) above the airport's published elevation: the pattern
// altitude as the altimeter shows it.
void PlaceAloft(double mapX, double mapY, std::int32_t height, double headingDegrees) {
    const std::int32_t altitude = FeetToWorldAltitude(theAtcState.elev) + height;
    PlaceInTheAir(WorldX(mapX), WorldZ(mapY), altitude, HeadingAngle(headingDegrees));
}

// The final starts on the approach path: 3 degrees down to an aiming point 1,000 ft past the
// threshold, `finalLength` (shape units of 1.2890625 ft) out from it; in flight-model units above
// the airport.
std::int32_t FinalStartHeight(double finalLength) {
    constexpr double kPathDegrees = 3.0;
    constexpr double kAimingPointFeet = 1000.0;
    const double feet = (finalLength * 1.2890625 + kAimingPointFeet) *
                        std::tan(kPathDegrees * std::numbers::pi / 180.0);
    return FeetToWorldAltitude(feet);
}

// The base start on the descent a pilot flies to the final turn: begun abeam the threshold at the
// pattern height (`patternHeight`, flight-model units above the airport) and steady to the
// approach path at the final turn, `finalLength` out; the base point lies `baseLength` before the
// final turn along that way, down the downwind from abeam the threshold and across on base.
std::int32_t BaseStartHeight(std::int32_t patternHeight, double finalLength, double baseLength) {
    const double turn = FinalStartHeight(finalLength);
    if (patternHeight <= turn) return patternHeight;
    const double left = baseLength / (finalLength + baseLength);
    return static_cast<std::int32_t>(std::lround(turn + (patternHeight - turn) * left));
}

// The set surface wind against a course (degrees on the world plane) at the aircraft's true
// airspeed: its parts along (from ahead) and across the course, in knots. The wind's direction is
// magnetic, as a tower gives it, and turns onto the world plane by the variation where the
// aircraft has just been placed (the world keeps that of where it was in the last frame, an
// airport away after a start elsewhere). Nothing when calm.
struct WindOnCourse {
    double head = 0, across = 0, trueKnots = 0;
};

std::optional<WindOnCourse> SurfaceWindOnCourse(double courseDegrees) {
    const flight::FlightModelState& f = flight::theFlightModelState;
    const int knots = theAtcHost.surfaceWindSpeed();
    const double trueKnots = f.fmTAVel / 65536.0 / 0.514444;
    if (knots <= 0 || trueKnots < 1.0) return std::nullopt;
    const GridValues g = theMapView.LookupGridValues(f.fmPosX, f.fmPosZ);
    const auto variation = static_cast<std::int16_t>(static_cast<std::uint16_t>(g.variation) +
                                                     static_cast<std::uint16_t>(g.north));
    const double from = theAtcHost.surfaceWindDirection() + variation * 360.0 / 65536.0;
    const double off = (from - courseDegrees) * std::numbers::pi / 180.0;
    return WindOnCourse{knots * std::cos(off), knots * std::sin(off), trueKnots};
}

// Turned into the wind so that the track keeps the runway's course: the sine of the crab is the
// wind's part across the course over the true airspeed.
void CrabIntoTheWind(double courseDegrees, const WindOnCourse& w) {
    const double crab =
        std::asin(std::clamp(w.across / w.trueKnots, -0.5, 0.5)) * 180.0 / std::numbers::pi;
    flight::theFlightModelState.fmHead = HeadingAngle(courseDegrees + crab);
}

// The distance the aircraft flies through the air while it covers `feetAlong` over the ground in
// the wind: more into a headwind, less with a tailwind, and more when crabbed, for then only part
// of the speed through the air goes along the course. The start's power is found in calm air, so
// a path over the ground is flown there as this one.
double FeetThroughTheAir(double feetAlong, const WindOnCourse& w) {
    const double across = std::min(std::fabs(w.across), 0.5 * w.trueKnots);
    const double along = std::sqrt(w.trueKnots * w.trueKnots - across * across);
    const double overTheGround = std::max(along - w.head, 0.4 * w.trueKnots);
    return feetAlong * w.trueKnots / overTheGround;
}

}  // namespace

bool AtcStartsInTheAir(int startPos) {
    return startPos != 0 && startPos != 3;
}

flight::AirborneLeg AtcStartLeg(int startPos) {
    switch (startPos) {
        case 9:  // descending on the approach path in the landing configuration
            return flight::AirborneLeg::Final;
        case 25:
            return flight::AirborneLeg::Cruise;
        default:
            // The pattern's legs, base too: its profile loses only the last tens of feet of the
            // pattern height to the approach path at the final turn, flaps out and gear down.
            return flight::AirborneLeg::Pattern;
    }
}

void AtcTaxiToRunway() {
    flight::FlightModelState& f = flight::theFlightModelState;
    f.fmPosX = theAtcState.xRwy;
    f.fmPosZ = theAtcState.zRwy;
    f.fmPosY = 0;
    f.fmHead = static_cast<std::uint16_t>(theAtcState.headRwy);
}

void AtcTaxiToHoldShort() {
    const AtcState& a = theAtcState;
    double x, y;
    ProjectPoint(&x, &y, a.pattern[0].x, a.pattern[0].y, Wrap360(a.rwyAngle - 90.0), 200);
    PlaceAt(x, y, 0, a.rwyAngle + 90.0);
}

void AtcPlaceAircraftAtStartPos() {
    AtcState& a = theAtcState;
    const AtcPatternPoint* p = a.pattern.data();
    const double h = a.rwyAngle;
    switch (a.startPos) {
        case 3:
            if (Plan() != nullptr && FrequencySet(a.towerFreq)) {
                AtcTaxiToHoldShort();
                a.startPos = 0;
            } else {
                AtcTaxiToRunway();
            }
            break;
        case 6:
            PlaceAloft(p[6].x, p[6].y, kPatternStartHeight, h + 180.0);
            // The pattern's flight, trimmed level at sea level, at the power that holds the
            // pattern height in the field's air down the downwind to abeam the threshold.
            flight::RetrimThrottleForPath(0.0, DistanceFeet(p[6], p[7]));
            break;
        case 8: {
            const std::int32_t height =
                BaseStartHeight(kPatternStartHeight, a.finalLen, kBaseLegLength);
            PlaceAloft(p[8].x, p[8].y, height, a.lHand != 0 ? h + 90.0 : h - 90.0);
            // Descending across on base to the approach path at the final turn, at the power
            // that flies that descent in the field's air.
            flight::RetrimThrottleForPath(
                (height - FinalStartHeight(a.finalLen)) / kHeightUnitsPerFoot,
                kBaseLegLength * kShapeUnitFeet);
            break;
        }
        case 9: {
            PlaceAloft(p[9].x, p[9].y, FinalStartHeight(a.finalLen), h);
            // Trimmed at sea level, the approach power would hold a shallower path in a high
            // field's thinner air: the power that reaches the threshold on the path there.
            // In a wind the path over the ground is a longer or shorter one through the air.
            const std::optional<WindOnCourse> wind = SurfaceWindOnCourse(h);
            const double along = a.finalLen * kShapeUnitFeet;
            flight::RetrimThrottleForPath(along * std::tan(3.0 * std::numbers::pi / 180.0),
                                          wind ? FeetThroughTheAir(along, *wind) : along);
            if (wind) CrabIntoTheWind(h, *wind);
            break;
        }
        case 25: {
            double x, y;
            ProjectPoint(&x, &y, p[0].x, p[0].y, h, 82000);
            PlaceAloft(x, y, 320000, h + 180.0);
            // Level at its height, at the power (or the speed) the field's air gives.
            flight::RetrimThrottleForLevelFlight(flight::kLevelStartSeconds);
            break;
        }
        case 0:
            break;
        default:
            PlaceAloft(p[0].x, p[0].y, kPatternStartHeight, h);
            flight::RetrimThrottleForLevelFlight(flight::kLevelStartSeconds);
            break;
    }
}

void AtcSetLegTarget(int state) {
    FlightEvaluation& e = theFlightEvaluation;
    const AtcState& a = theAtcState;
    if (state == 9) {
        e.spDestX = static_cast<std::int32_t>(a.pattern[0].x);
        e.spDestY = static_cast<std::int32_t>(a.pattern[0].y);
        e.spVFlag = 1;
        e.spDist = 512;
        return;
    }
    // After the take-off clearance (state 3) the aircraft flies on to the next point of the
    // sequence, out along the runway (row 4), where the departure hand-off or the closed-traffic
    // turn comes; the threshold itself lies behind it by then.
    const int row = state == 19 ? 12 : (state == 3 ? 4 : state);
    if (row < 0 || row >= kAtcPatternRows) return;
    const AtcPatternPoint& p = a.pattern[static_cast<std::size_t>(row)];
    e.spDestX = static_cast<std::int32_t>(p.x);
    e.spDestY = static_cast<std::int32_t>(p.y);
    e.spDist = p.arrive;
    e.spVFlag = p.vectors;
}

void AtcUpdateTargetBearing() {
    FlightEvaluation& e = theFlightEvaluation;
    double x, y;
    AircraftMap(&x, &y);
    const double dx = std::trunc(x) - e.spDestX, dy = std::trunc(y) - e.spDestY;
    // The compass direction from the target to the aircraft as a binary angle.
    double deg = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (deg < 0) deg += 360.0;
    const auto bearing = static_cast<std::uint16_t>(static_cast<int>(deg * 65536.0 / 360.0) & 0xFFFF);
    e.spD2D = static_cast<std::int32_t>(std::min(std::sqrt(dx * dx + dy * dy), 2147483647.0));
    e.spHOff = static_cast<std::uint16_t>(bearing - flight::theFlightModelState.fmHead + 32768);
    e.spR2D = static_cast<std::uint16_t>(bearing - world::theMagneticVariation);
}

int AtcReachedTarget() {
    FlightEvaluation& e = theFlightEvaluation;
    AtcUpdateTargetBearing();
    if (e.spDist > e.spD2D) return 1;
    if (!AtcTimerRunOut(e.spTick, e.spWait) || e.spVFlag == 0) return 0;
    const int drift = static_cast<std::int16_t>(e.spPropRad - e.spR2D);
    const int degrees = std::abs(drift) / 182;
    int allowed;
    if (e.spD2D <= 1000) {
        if (degrees > 100) return 1;
        allowed = 16;
    } else if (e.spD2D < 5000) {
        allowed = static_cast<int>(16.0 * std::pow(0.5, (e.spD2D - 1000) / 1000));
    } else {
        allowed = e.spD2D > 41000 ? 1 : 2;
    }
    if (std::abs(drift) > 16380) return 1;
    planning::FlightPlan* p = Plan();
    if (p != nullptr && p->ifr == 0 && theAtcState.curNode != 0 &&
        p->nodeCount - theAtcState.curNode != 1 && !(CopilotOn() && theCopilotSettings.advice != 0))
        return 0;
    if (allowed < degrees || (e.spHOff >= 24571 && e.spHOff < 40950)) AtcRevector();
    if (theCopilotSettings.heading != 0 && e.spVFlag != 0) AtcHeadingAdvisory();
    return 0;
}

void AtcRevector() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    const int m = MagneticHeading();
    const int rel = e.spHOff;
    const int lead = rel / 546;
    const int turn = (rel + lead) & 0xFFFF;
    int heading = ((m + rel + lead) & 0xFFFF) / 182;
    if (a.repMsg == 0 && (turn < 1820 || turn > 63716)) return;
    heading = heading % 10 < 5 ? heading / 10 * 10 : (heading / 10 + 1) * 10;
    if (heading >= 370) heading -= 360;
    if (heading == 0) heading = 360;
    char text[8];
    std::snprintf(text, sizeof text, "%03d", heading);
    if (a.repMsg == 0 && e.spPropHead == text) return;
    e.spPropHead = text;
    const int id = turn < 5451 || turn >= 60086 ? 526 : (turn < 32760 ? 516 : 515);
    theAtcSpeech.SayVector(id);
    e.spPCom = static_cast<std::int16_t>(id);
    if (Plan() != nullptr && theCopilotSettings.navigation != 0 && CopilotOn()) AtcCopilotSetCourse();
    e.spPropRad = e.spR2D;
    const int degrees = turn < 32769 ? turn / 182 : (65536 - turn) / 182;
    const int ms = std::max(20000, degrees * 400);
    e.spWait = e.spHdgWait = ms;
    e.spTick = e.spHsgTick = static_cast<std::int32_t>(theAtcHost.now());
    if ((e.spPos >= 12 && e.spPos <= 19) || a.spSeq == kSeqEnRoute) AtcProposeAltitude();
}

int AtcWithinRange(double x, double y, double radius) {
    double ax, ay;
    AircraftMap(&ax, &ay);
    return std::hypot(ax - x, ay - y) <= radius ? 1 : 0;
}

int AtcNearestGate() {
    FlightEvaluation& e = theFlightEvaluation;
    int best = 12;
    std::int32_t bestD = 0;
    for (int row = 12; row <= 19; ++row) {
        AtcSetLegTarget(row == 19 ? 18 : row);
        if (row == 19) {
            e.spDestX = static_cast<std::int32_t>(theAtcState.pattern[19].x);
            e.spDestY = static_cast<std::int32_t>(theAtcState.pattern[19].y);
        }
        AtcUpdateTargetBearing();
        if (row == 12 || e.spD2D < bestD) {
            bestD = e.spD2D;
            best = row;
        }
    }
    AtcProposeAltitude();
    return best;
}

void AtcNewSquawk() {
    std::string code(4, '0');
    for (char& c : code)
        c = static_cast<char>('0' + std::min(core::rand() / 4681, 7));
    if (code[0] == '7') code[0] = '3';
    if (code[0] == '0') code[0] = '2';
    if (code == "1200") code[1] = '4';
    theAtcState.squawk = code;
}

int AtcIsSquawkSet() {
    const cockpit::PanelGauge& t = cockpit::theTransponder;
    char text[16];
    std::snprintf(text, sizeof text, "%02u%02u", t.activeMHz % 100u, t.activeKHz % 100u);
    return theAtcState.squawk == text ? 1 : 0;
}

void AtcCopilotSetTransponder() {
    const int code = std::atoi(theAtcState.squawk.c_str());
    cockpit::theTransponder.activeMHz = static_cast<std::uint16_t>(code / 100);
    cockpit::theTransponder.activeKHz = static_cast<std::uint16_t>(code - 100 * (code / 100));
    cockpit::theTransponder.dirty = 1;
}

void AtcCopilotSetCourse() {
    planning::FlightPlan* p = Plan();
    const int node = theAtcState.curNode;
    if (p == nullptr || node < 0 || node >= std::min(p->nodeCount, planning::kMaxPlanNodes)) return;
    const int kind = p->nodes[static_cast<std::size_t>(node)].kind;
    const FlightEvaluation& e = theFlightEvaluation;
    // The copilot works the panel as the pilot would: the radio selected, then its course knob
    // (the 172's course card, the HSI's course, the ADF's card).
    if (kind == 2 || kind == 4) {
        const int course = static_cast<int>(static_cast<std::uint16_t>(e.spR2D + 32768) *
                                                kBinaryToDegrees +
                                            0.5);
        cockpit::Nav1();
        cockpit::SetSelectedRadioCourse(course);
    } else if (kind == 3 || kind == 5) {
        const int course = static_cast<int>(
            static_cast<std::uint16_t>(MagneticHeading() + e.spHOff) * kBinaryToDegrees + 0.5);
        cockpit::ADF();
        cockpit::SetSelectedRadioCourse(course);
    }
}

namespace {

int Knots() {
    return flight::IndicatedAirspeedWholeKnots();
}

}  // namespace

int AtcHeadingAdvisory() {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn()) return 0;
    if (!AtcTimerRunOut(e.spHsgTick, e.spHdgWait)) return 1;
    if (e.spPropHead.empty()) return 0;
    int d = static_cast<std::uint16_t>(MagneticHeading() - std::atoi(e.spPropHead.c_str()) * 182);
    if (d > 32767) d = 65536 - d;
    if (d < 1821) return 0;
    const int id = d < 2184 ? 700 : (d < 2548 ? 701 : 702);
    theAtcSpeech.SayAdvisory(id);
    e.spHdgWait = id == 702 ? 20000 : 15000;
    e.spHsgTick = static_cast<std::int32_t>(theAtcHost.now());
    return 1;
}

int AtcAltitudeAdvisory() {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn() || e.spPropAlt == 0) return 0;
    if (!AtcTimerRunOut(e.spAltTick, e.spAltWait)) return 1;
    if (e.spAltTick == 0) return 0;
    const int feet = static_cast<int>(flight::GetAircraftAltitude() * 1.2890625);
    const int d = std::abs(feet - e.spPropAlt);
    if (d < 99 || d > 199) return 0;
    theAtcSpeech.SayAdvisory(d < 120 ? 703 : (d < 140 ? 704 : 705));
    e.spAltWait = 20000;
    e.spAltTick = static_cast<std::int32_t>(theAtcHost.now());
    return 1;
}

int AtcAirspeedAdvisory() {
    FlightEvaluation& e = theFlightEvaluation;
    if (!CopilotOn()) return 0;
    if (!AtcTimerRunOut(e.spAirTick, e.spAirWait)) return 1;
    if (e.spPropAS == 0) return 0;
    const int d = std::abs(Knots() - e.spPropAS);
    if (d <= 9) return 0;
    theAtcSpeech.SayAdvisory(d < 12 ? 706 : (d < 15 ? 707 : 708));
    e.spAirWait = 15000;
    e.spAirTick = static_cast<std::int32_t>(theAtcHost.now());
    return 1;
}

int AtcKnots() {
    return Knots();
}

}  // namespace nav
