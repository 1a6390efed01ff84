// The navigation database and the station directory, from the public data: "na.vor", "na.ndb",
// "na.ils", "na.apt", "na.wpt", "na.vct", "na.rwc" and "na.frq" in "Data\Data.Vol", and "Data\Sms\flp.sms".
// Every VOR, NDB, ILS or localizer and airport of the data is written; the waypoints are the fixes
// on victor airways, then the fixes nearest to airports with an ILS, up to the tables' 32,767 rows;
// the victor airways are chained into polylines through their fixes and VORs. Positions are the
// world plane's (nav/lat_lon.h); courses and runway headings are directions on that plane.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "nav/city_search.h"
#include "nav/lat_lon.h"
#include "nav/nav_records.h"
#include "nav/sms_records.h"
#include "tools/mkdata/city_airports.h"
#include "tools/mkdata/com_channels.h"
#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/navigation_sources.h"

namespace mkdata {

namespace {

constexpr char kDataVolume[] = "Data\\Data.Vol";
constexpr char kDirectoryFile[] = "Data\\Sms\\flp.sms";
// Two positions within this many degrees name the same place (an airway point and its fix).
constexpr double kSamePlace = 0.02;
constexpr int kMaxRunways = 15;

struct WorldPosition {
    std::int32_t x = 0;
    std::int32_t z = 0;
};

WorldPosition Project(double lat, double lon) {
    WorldPosition p;
    nav::LatLonToWorld(&p.x, &p.z, lat, -lon);  // the world counts longitudes positive west
    return p;
}

std::uint16_t BinaryAngle(double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    return static_cast<std::uint16_t>(std::lround(a * 65536.0 / 360.0) & 0xFFFF);
}

// A true course at a place as a direction on the world plane.
std::uint16_t WorldCourse(double trueCourse, double lon) {
    return BinaryAngle(trueCourse + nav::MeridianConvergence(-lon));
}

std::int16_t Metres(int feet) {
    return static_cast<std::int16_t>(std::lround(feet * 0.3048));
}

double SquaredDistance(const WorldPosition& a, const WorldPosition& b) {
    const double dx = static_cast<double>(a.x) - b.x, dz = static_cast<double>(a.z) - b.z;
    return dx * dx + dz * dz;
}

bool SamePlace(double lat1, double lon1, double lat2, double lon2) {
    return std::fabs(lat1 - lat2) < kSamePlace && std::fabs(lon1 - lon2) < kSamePlace;
}

// Places on the world plane in square cells, for "the nearest of many" without comparing every
// pair: the search widens ring by ring until no nearer place can lie beyond.
class NearestPlaces {
public:
    explicit NearestPlaces(std::vector<WorldPosition> places) : places(std::move(places)) {
        for (std::size_t i = 0; i < this->places.size(); ++i)
            cells[CellOf(this->places[i])].push_back(i);
    }
    // The index of the nearest place and its squared distance; -1 when there are none.
    int Nearest(const WorldPosition& p, double* squared) const {
        int best = -1;
        double bestSquared = 1e300;
        const auto [cx, cz] = CellOf(p);
        for (long ring = 0; !cells.empty(); ++ring) {
            for (long dx = -ring; dx <= ring; ++dx)
                for (long dz = -ring; dz <= ring; ++dz) {
                    if (std::max(std::labs(dx), std::labs(dz)) != ring) continue;
                    const auto it = cells.find({cx + dx, cz + dz});
                    if (it == cells.end()) continue;
                    for (const std::size_t i : it->second) {
                        const double d = SquaredDistance(p, places[i]);
                        if (d < bestSquared || (d == bestSquared && static_cast<int>(i) < best)) {
                            bestSquared = d;
                            best = static_cast<int>(i);
                        }
                    }
                }
            // Everything beyond this ring lies at least `ring` cells away.
            const double reach = static_cast<double>(ring) * kCell;
            if (best >= 0 && reach * reach >= bestSquared) break;
            if (ring > 4096) break;
        }
        if (squared != nullptr) *squared = bestSquared;
        return best;
    }

private:
    static constexpr double kCell = 16777216.0;  // 2^24 world units, about 35 nm
    static std::pair<long, long> CellOf(const WorldPosition& p) {
        return {static_cast<long>(std::floor(p.x / kCell)),
                static_cast<long>(std::floor(p.z / kCell))};
    }
    std::vector<WorldPosition> places;
    std::map<std::pair<long, long>, std::vector<std::size_t>> cells;
};

// The maker's tally of what it left out, printed once.
struct Refusals {
    int identTooLong = 0;
    int runwayUnreadable = 0;
    int waypointsLeftOut = 0;
};

// ---- VORs ------------------------------------------------------------------------------------

// Four letters: an ICAO location code, whose first letter names the country's region.
bool IsIcaoCode(const std::string& code) {
    return code.size() == 4 &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::uint16_t VorClass(int rangeNm) {
    if (rangeNm <= 25) return nav::kTerminalClass;
    if (rangeNm <= 40) return nav::kLowAltitudeClass;
    return nav::kHighAltitudeClass;
}

// The directory's subtype: VOR/DME 1-4, VORTAC 5-8, VOR 9-12, each terminal, high altitude, low
// altitude or Canadian.
std::uint8_t VorCode(const SourceVor& v, bool canadian) {
    int base = v.kind == "VORTAC" ? 5 : (v.kind == "VOR" ? 9 : 1);
    int step = 3;
    if (!canadian) {
        const std::uint16_t c = VorClass(v.rangeNm);
        step = c == nav::kTerminalClass ? 0 : (c == nav::kHighAltitudeClass ? 1 : 2);
    }
    return static_cast<std::uint8_t>(nav::kSmsVor | ((base + step) << 4));
}

nav::VorRecord VorRow(const SourceVor& v) {
    nav::VorRecord r;
    r.ident = v.ident;
    r.frequency = static_cast<std::int16_t>(v.frequency);
    const WorldPosition p = Project(v.lat, v.lon);
    r.x = p.x;
    r.z = p.z;
    r.elevation = Metres(v.elevationFt);
    r.flags = static_cast<std::uint16_t>(nav::kVorFlag | VorClass(v.rangeNm));
    if (v.kind != "VOR") r.flags |= nav::kDmeFlag;
    if (v.kind == "VORTAC") r.flags |= nav::kVortacFlag;
    return r;
}

// ---- ILS -------------------------------------------------------------------------------------

// "I-" and the public ident without its leading "I".
std::string IlsIdent(const std::string& ident) {
    return "I-" + (ident.size() > 1 && ident[0] == 'I' ? ident.substr(1) : ident);
}

struct IlsFacts {
    const SourceIls* source = nullptr;
    bool dme = false;
    const SourceDme* dmeSource = nullptr;
    // The runway the localizer serves: its landing threshold and its far end, and the airport's
    // elevation, where the terrain lays the runway.
    bool runway = false;
    std::optional<int> runwayFeet;
    double thresholdLat = 0, thresholdLon = 0, farLat = 0, farLon = 0;
};

// A localizer whose published course lies within this many degrees of its runway's centreline
// serves that runway straight in; the others (offset localizers, LDAs) keep their own course.
constexpr double kStraightInDegrees = 3.0;

// The direction on the world plane from one place to another, in degrees clockwise from the
// plane's north.
double WorldBearing(const WorldPosition& from, const WorldPosition& to) {
    const double d = std::atan2(static_cast<double>(to.x) - from.x,
                                static_cast<double>(to.z) - from.z) *
                     180.0 / 3.14159265358979323846;
    return d < 0 ? d + 360.0 : d;
}

// The runway end "29", "09R" or "9R" names, without its leading zero.
std::string RunwayName(const std::string& id) {
    return id.size() > 1 && id[0] == '0' ? id.substr(1) : id;
}

// The course a localizer's beam is laid along: from the landing threshold through the antenna,
// so that the beam crosses the threshold on the centreline, when the published course and the
// runway agree (within a few degrees: the antenna stands on the centreline beyond the far end,
// give or take a few metres); the published course otherwise.
std::uint16_t LocalizerCourse(const IlsFacts& f, const WorldPosition& antenna) {
    const SourceIls& s = *f.source;
    const std::uint16_t published = WorldCourse(s.courseTrue, s.lon);
    if (!f.runway) return published;
    const WorldPosition threshold = Project(f.thresholdLat, f.thresholdLon);
    const WorldPosition farEnd = Project(f.farLat, f.farLon);
    const double runway = WorldBearing(threshold, farEnd);
    const double beam = WorldBearing(threshold, antenna);
    auto apart = [](double a, double b) {
        const double d = std::fabs(std::fmod(a - b + 540.0, 360.0) - 180.0);
        return d;
    };
    const double publishedDegrees = published * 360.0 / 65536.0;
    if (apart(runway, publishedDegrees) > kStraightInDegrees ||
        apart(beam, runway) > kStraightInDegrees)
        return published;
    return BinaryAngle(beam);
}

std::uint16_t IlsFlags(const IlsFacts& f) {
    const SourceIls& s = *f.source;
    std::uint16_t flags = 0;
    if (s.kind.rfind("LDA", 0) == 0)
        flags = nav::kLdaFlag;
    else if (s.kind == "SDF")
        flags = nav::kSdfFlag;
    else if (!s.glideSlope)
        flags = nav::kLocalizerFlag;
    if (s.glideSlope) flags |= nav::kIlsFlag;
    if (f.dme) flags |= nav::kDmeFlag;
    return flags;
}

// The directory's subtype: ILS 1, ILS/DME 2, LOC 3, LOC/DME 4, LOC/GS 5, SDF 6, LDA 7, LDA/DME 8.
std::uint8_t IlsCode(const IlsFacts& f) {
    const SourceIls& s = *f.source;
    int subtype = 0;
    if (s.kind.rfind("LDA", 0) == 0)
        subtype = f.dme ? 8 : 7;
    else if (s.kind == "SDF")
        subtype = 6;
    else if (s.glideSlope && (s.kind == "IGS" || s.kind == "LOC"))
        subtype = 5;
    else if (s.glideSlope)
        subtype = f.dme ? 2 : 1;
    else
        subtype = f.dme ? 4 : 3;
    return static_cast<std::uint8_t>(nav::kSmsIls | (subtype << 4));
}

nav::IlsRecord IlsRow(const IlsFacts& f, const std::vector<SourceMarker>& markers) {
    const SourceIls& s = *f.source;
    nav::IlsRecord r;
    r.ident = IlsIdent(s.ident);
    r.frequency = static_cast<std::int16_t>(s.frequency);
    const WorldPosition loc = Project(s.lat, s.lon);
    r.x = loc.x;
    r.z = loc.z;
    // Distance and bearing count from the glide-slope antenna, else the DME, else the localizer.
    WorldPosition measure = loc;
    if (s.glideSlope)
        measure = Project(s.gsLat, s.gsLon);
    else if (f.dmeSource != nullptr)
        measure = Project(f.dmeSource->lat, f.dmeSource->lon);
    r.x2 = measure.x;
    r.z2 = measure.z;
    // The glide path rises from the runway as the terrain lays it out (at the airport's published
    // elevation): the antenna's own site elevation differs from it by tens of feet at a third of
    // the airports, enough to put the path into the ground short of the threshold.
    r.elevation = Metres(f.runwayFeet.value_or(s.elevationFt));
    r.flags = IlsFlags(f);
    r.course = LocalizerCourse(f, loc);
    r.glideSlopeAngle = s.glideSlope ? BinaryAngle(s.gsAngle) : 0;
    static const char* const kKinds[3] = {"OM", "MM", "IM"};
    static constexpr std::uint16_t kBits[3] = {nav::kOuterMarkerFlag, nav::kMiddleMarkerFlag,
                                               nav::kInnerMarkerFlag};
    for (const SourceMarker& m : markers) {
        if (m.airport != s.airport || m.runway != s.runway) continue;
        for (int k = 0; k < 3; ++k) {
            if (m.kind != kKinds[k] || (r.flags & kBits[k])) continue;
            const WorldPosition p = Project(m.lat, m.lon);
            r.pointX[k] = p.x;
            r.pointZ[k] = p.z;
            r.flags |= kBits[k];
        }
    }
    return r;
}

// ---- runways -------------------------------------------------------------------------------

// "27L", "9", "05H": number 1 to 36 and the side letter; false for other designators.
bool RunwayByte(const std::string& id, std::uint8_t* out) {
    std::size_t digits = 0;
    while (digits < id.size() && digits < 2 && id[digits] >= '0' && id[digits] <= '9')
        ++digits;
    if (digits == 0) return false;
    const int number = std::stoi(id.substr(0, digits));
    if (number < 1 || number > 36) return false;
    std::uint8_t side = 0;
    if (digits < id.size()) {
        if (id[digits] == 'L') side = nav::kRunwayLeft;
        if (id[digits] == 'R') side = nav::kRunwayRight;
        if (id[digits] == 'C') side = nav::kRunwayCentre;
    }
    *out = static_cast<std::uint8_t>(number | side);
    return true;
}

// One end of a runway: its landing threshold (moved in by its displacement), heading along the
// world plane toward the other end, the runway's length and width.
nav::SmsRunwayRecord RunwayEndRow(double lat, double lon, double displaced, double farLat,
                                  double farLon, double widthM, std::uint8_t runway,
                                  const std::string& ils) {
    nav::SmsRunwayRecord r;
    r.runway = runway;
    double tLat = lat, tLon = lon;
    if (displaced > 0) Travel(lat, lon, Bearing(lat, lon, farLat, farLon), displaced, &tLat, &tLon);
    const WorldPosition threshold = Project(tLat, tLon);
    r.x = threshold.x;
    r.z = threshold.z;
    const WorldPosition a = Project(lat, lon), b = Project(farLat, farLon);
    r.heading = BinaryAngle(
        Degrees(std::atan2(static_cast<double>(b.x) - a.x, static_cast<double>(b.z) - a.z)));
    r.length = static_cast<std::uint16_t>(
        std::min(65535L, std::lround(Distance(lat, lon, farLat, farLon) * kFeetPerMetre)));
    r.width = static_cast<std::uint16_t>(std::min(65535L, std::lround(widthM * kFeetPerMetre)));
    r.ils = ils;
    return r;
}

// ---- airways and waypoints -------------------------------------------------------------------

struct PointKey {
    std::string ident;
    long lat = 0, lon = 0;  // micro-degrees
    friend bool operator<(const PointKey& a, const PointKey& b) {
        return std::tie(a.ident, a.lat, a.lon) < std::tie(b.ident, b.lat, b.lon);
    }
    friend bool operator==(const PointKey& a, const PointKey& b) {
        return a.ident == b.ident && a.lat == b.lat && a.lon == b.lon;
    }
};

PointKey KeyOf(const SourcePoint& p) {
    return PointKey{p.ident, std::lround(p.lat * 1e6), std::lround(p.lon * 1e6)};
}

// Chains the segments of one airway into polylines: from every point where the airway ends or
// branches, along points where it only passes through; closed loops last.
std::vector<std::vector<PointKey>> ChainSegments(
    const std::set<std::pair<PointKey, PointKey>>& edges) {
    std::map<PointKey, std::vector<PointKey>> next;
    for (const auto& [a, b] : edges) {
        next[a].push_back(b);
        next[b].push_back(a);
    }
    for (auto& [key, list] : next) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    std::set<std::pair<PointKey, PointKey>> used;
    auto edge = [](const PointKey& a, const PointKey& b) {
        return a < b ? std::make_pair(a, b) : std::make_pair(b, a);
    };
    std::vector<std::vector<PointKey>> chains;
    auto walk = [&](const PointKey& start, const PointKey& first) {
        std::vector<PointKey> chain = {start, first};
        used.insert(edge(start, first));
        PointKey at = first;
        while (next[at].size() == 2) {
            const PointKey* onward = nullptr;
            for (const PointKey& n : next[at])
                if (used.count(edge(at, n)) == 0) onward = &n;
            if (onward == nullptr) break;
            used.insert(edge(at, *onward));
            chain.push_back(*onward);
            at = *onward;
        }
        chains.push_back(std::move(chain));
    };
    for (int loops = 0; loops < 2; ++loops) {
        for (const auto& [key, list] : next) {
            if (loops == 0 && list.size() == 2) continue;
            for (const PointKey& n : list)
                if (used.count(edge(key, n)) == 0) walk(key, n);
        }
    }
    return chains;
}

struct Airways {
    std::vector<nav::AirwayRecord> records;
    std::map<PointKey, SourcePoint> points;  // every point an airway passes
};

Airways BuildAirways(const NavSources& s) {
    std::map<int, std::set<std::pair<PointKey, PointKey>>> byNumber;
    Airways out;
    for (const SourceSegment& g : s.segments) {
        if (g.victorAirways.empty()) continue;
        const PointKey a = KeyOf(g.from), b = KeyOf(g.to);
        if (a == b) continue;
        out.points[a] = g.from;
        out.points[b] = g.to;
        for (const int number : g.victorAirways)
            byNumber[number].insert(a < b ? std::make_pair(a, b) : std::make_pair(b, a));
    }
    for (const auto& [number, edges] : byNumber) {
        for (const std::vector<PointKey>& chain : ChainSegments(edges)) {
            nav::AirwayRecord airway;
            airway.identifier = static_cast<std::uint32_t>(number);
            for (const PointKey& k : chain) {
                const SourcePoint& p = out.points[k];
                const WorldPosition w = Project(p.lat, p.lon);
                airway.points.push_back(nav::WaypointRecord{p.ident, w.x, w.z});
            }
            out.records.push_back(std::move(airway));
        }
    }
    return out;
}

// The fixes on victor airways (the airway points that are not VORs or NDBs), then the fixes
// nearest to airports with an ILS, until the table is full.
std::vector<nav::WaypointRecord> BuildWaypoints(const NavSources& s, const Airways& airways,
                                                Refusals* refusals) {
    std::multimap<std::string, std::pair<double, double>> stations;
    for (const SourceVor& v : s.vors)
        stations.emplace(v.ident, std::make_pair(v.lat, v.lon));
    for (const SourceNdb& n : s.ndbs)
        stations.emplace(n.ident, std::make_pair(n.lat, n.lon));
    auto isStation = [&](const SourcePoint& p) {
        const auto [first, last] = stations.equal_range(p.ident);
        for (auto it = first; it != last; ++it)
            if (SamePlace(it->second.first, it->second.second, p.lat, p.lon)) return true;
        return false;
    };
    std::vector<SourcePoint> chosen;
    std::map<std::string, std::vector<const SourcePoint*>> byIdent;
    for (const auto& [key, p] : airways.points) {
        if (isStation(p) || p.ident.size() >= static_cast<std::size_t>(nav::kStationIdentField))
            continue;
        chosen.push_back(p);
    }
    for (const SourcePoint& p : chosen)
        byIdent[p.ident].push_back(&p);

    std::vector<WorldPosition> ilsPlaces;
    {
        std::set<std::string> withIls;
        for (const SourceIls& i : s.ils)
            withIls.insert(i.airport);
        for (const SourceAirport& a : s.airports)
            if (withIls.count(a.icao)) ilsPlaces.push_back(Project(a.lat, a.lon));
    }
    const NearestPlaces ilsAirports(std::move(ilsPlaces));
    struct Candidate {
        double distance;
        const SourcePoint* fix;
    };
    std::vector<Candidate> candidates;
    for (const SourcePoint& f : s.fixes) {
        if (f.ident.empty() || f.ident.size() >= static_cast<std::size_t>(nav::kStationIdentField))
            continue;
        bool already = false;
        const auto same = byIdent.find(f.ident);
        if (same != byIdent.end())
            for (const SourcePoint* p : same->second)
                already = already || SamePlace(p->lat, p->lon, f.lat, f.lon);
        if (already) continue;
        double best = 1e300;
        ilsAirports.Nearest(Project(f.lat, f.lon), &best);
        candidates.push_back(Candidate{best, &f});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.distance, a.fix->ident, a.fix->lat, a.fix->lon) <
               std::tie(b.distance, b.fix->ident, b.fix->lat, b.fix->lon);
    });
    const std::size_t room = chosen.size() < static_cast<std::size_t>(nav::kMaxNavRows)
                                 ? nav::kMaxNavRows - chosen.size()
                                 : 0;
    for (std::size_t i = 0; i < candidates.size() && i < room; ++i)
        chosen.push_back(*candidates[i].fix);
    refusals->waypointsLeftOut =
        static_cast<int>(candidates.size() > room ? candidates.size() - room : 0);
    chosen.resize(std::min(chosen.size(), static_cast<std::size_t>(nav::kMaxNavRows)));

    std::vector<nav::WaypointRecord> rows;
    rows.reserve(chosen.size());
    for (const SourcePoint& p : chosen) {
        const WorldPosition w = Project(p.lat, p.lon);
        rows.push_back(nav::WaypointRecord{p.ident, w.x, w.z});
    }
    std::sort(rows.begin(), rows.end(),
              [](const nav::WaypointRecord& a, const nav::WaypointRecord& b) {
                  return std::tie(a.name, a.x, a.z) < std::tie(b.name, b.x, b.z);
              });
    return rows;
}

// ---- the station directory -----------------------------------------------------------------

struct ListedStation {
    std::string name;
    WorldPosition position;
    std::uint8_t code = 0;
    nav::SmsBytes record;
    std::string airport;  // the airport ident of an airport's entry
};

// A name as a reader sorts it: capitals beside small letters ("SAN CARLOS" beside "San Carlos").
std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

void SortByName(std::vector<ListedStation>* list) {
    std::sort(list->begin(), list->end(), [](const ListedStation& a, const ListedStation& b) {
        const std::string fa = Folded(a.name), fb = Folded(b.name);
        return std::tie(fa, a.name, a.position.x, a.position.z) <
               std::tie(fb, b.name, b.position.x, b.position.z);
    });
}

struct AirportFacts {
    int elevationFt = 0;
    std::vector<const SourceRunway*> runways;
    std::map<std::string, int> firstFrequency;  // by kind, the first row's channel, dialable
    bool hasIls = false;
    std::map<std::string, std::string> ilsByRunway;  // runway end -> "I-XXX"
};

nav::SmsAirportHeader AirportHeader(const SourceAirport& a, const AirportFacts& f,
                                    const std::map<std::string, char>& classes) {
    nav::SmsAirportHeader h;
    h.elevation = static_cast<std::int16_t>(std::clamp(a.elevationFt, -32768, 32767));
    auto freq = [&](const char* kind) {
        const auto it = f.firstFrequency.find(kind);
        return it == f.firstFrequency.end() ? std::uint16_t{0} : nav::FrequencyToBcd(it->second);
    };
    h.atis = freq("atis");
    h.clearance = freq("clearance");
    h.ground = freq("ground");
    h.tower = freq("tower");
    h.departure = freq("departure");
    h.approach = freq("approach");
    const auto listed = classes.find(a.icao);
    if (listed != classes.end())
        h.airspace = listed->second == 'B' ? nav::kAirspaceClassB : nav::kAirspaceClassC;
    else if (a.towered)
        h.airspace = nav::kAirspaceClassD;
    else if (f.hasIls)
        h.airspace = nav::kAirspaceClassE;
    else
        h.airspace = nav::kAirspaceClassG;
    if (f.firstFrequency.count("unicom")) h.airspace |= nav::kFacilityUnicom;
    for (const SourceRunway* r : f.runways)
        if (r->surface == 1 || r->surface == 2) h.airspace |= nav::kFacilityHardSurface;
    return h;
}

std::vector<nav::SmsRunwayRecord> RunwayRows(const AirportFacts& f, Refusals* refusals) {
    std::vector<nav::SmsRunwayRecord> rows;
    for (const SourceRunway* r : f.runways) {
        std::uint8_t one = 0, two = 0;
        if (!RunwayByte(r->id1, &one) || !RunwayByte(r->id2, &two)) {
            ++refusals->runwayUnreadable;
            continue;
        }
        if (rows.size() >= 2 * static_cast<std::size_t>(kMaxRunways)) break;
        auto ils = [&](const std::string& id) {
            const auto it = f.ilsByRunway.find(id);
            return it == f.ilsByRunway.end() ? std::string() : it->second;
        };
        rows.push_back(RunwayEndRow(r->lat1, r->lon1, r->displaced1, r->lat2, r->lon2, r->widthM,
                                    one, ils(r->id1)));
        rows.push_back(RunwayEndRow(r->lat2, r->lon2, r->displaced2, r->lat1, r->lon1, r->widthM,
                                    two, ils(r->id2)));
    }
    return rows;
}

// ---- the whole module ----------------------------------------------------------------------

struct Tables {
    std::vector<nav::VorRecord> vors;
    std::vector<nav::NdbRecord> ndbs;
    std::vector<nav::IlsRecord> ils;
    std::vector<nav::AirportIndexRecord> airports;
    std::vector<nav::WaypointRecord> waypoints;
    std::vector<nav::AirwayRecord> airways;
    std::vector<nav::RunwayControlRecord> runwayControls;
    std::vector<nav::ComChannelRecord> comChannels;
    nav::SmsBytes directory;
};

// The side of the field a tower or ground works, from its name ("OAKLAND TWR SOUTH",
// "RGNL GND East 1"): 'N', 'S', 'E' or 'W'; 0 when the name gives none.
char SideOfField(const std::string& name) {
    std::string upper = " " + name + " ";
    for (char& c : upper)
        c = std::isalpha(static_cast<unsigned char>(c)) != 0
                ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                : ' ';
    for (const auto& [word, side] : {std::pair{" NORTH ", 'N'}, std::pair{" SOUTH ", 'S'},
                                     std::pair{" EAST ", 'E'}, std::pair{" WEST ", 'W'}})
        if (upper.find(word) != std::string::npos) return side;
    return 0;
}

// Where an airport's towers or grounds each work one side of the field, the channel of `kind`
// whose side a runway's middle (lat, lon) lies on, measured from the middle of all its runways;
// 0 where the airport has one channel of the kind or its names give no side.
int ChannelOfSide(const std::vector<NamedComChannel>& channels, const std::string& kind, double lat,
                  double lon, double fieldLat, double fieldLon) {
    std::set<int> distinct;
    for (const NamedComChannel& c : channels)
        if (c.kind == kind) distinct.insert(c.frequency);
    if (distinct.size() < 2) return 0;
    for (const NamedComChannel& c : channels) {
        if (c.kind != kind) continue;
        const char side = SideOfField(c.name);
        if ((side == 'N' && lat > fieldLat) || (side == 'S' && lat <= fieldLat) ||
            (side == 'E' && lon > fieldLon) || (side == 'W' && lon <= fieldLon))
            return c.frequency;
    }
    return 0;
}

// The rows of "na.rwc" for one airport: each runway end's own tower and ground where the field
// is split between several, and the right-hand patterns the public data lists.
void RunwayControlRows(const SourceAirport& a, const AirportFacts& f,
                       const std::vector<NamedComChannel>& channels, const NavSources& s,
                       std::vector<nav::RunwayControlRecord>* out) {
    double fieldLat = 0, fieldLon = 0;
    for (const SourceRunway* r : f.runways) {
        fieldLat += (r->lat1 + r->lat2) / 2 / static_cast<double>(f.runways.size());
        fieldLon += (r->lon1 + r->lon2) / 2 / static_cast<double>(f.runways.size());
    }
    const auto first = [&](const char* kind) {
        const auto it = f.firstFrequency.find(kind);
        return it == f.firstFrequency.end() ? 0 : it->second;
    };
    const auto hard = [](const SourceRunway* r) { return r->surface == 1 || r->surface == 2; };
    const bool anyHard = std::any_of(f.runways.begin(), f.runways.end(), hard);
    for (const SourceRunway* r : f.runways) {
        const double lat = (r->lat1 + r->lat2) / 2, lon = (r->lon1 + r->lon2) / 2;
        int tower = ChannelOfSide(channels, "tower", lat, lon, fieldLat, fieldLon);
        int ground = ChannelOfSide(channels, "ground", lat, lon, fieldLat, fieldLon);
        if (tower == first("tower")) tower = 0;
        if (ground == first("ground")) ground = 0;
        for (const std::string& id : {r->id1, r->id2}) {
            nav::RunwayControlRecord row;
            if (!RunwayByte(id, &row.runway)) continue;
            row.airport = a.icao;
            row.tower = tower != 0 ? nav::FrequencyToBcd(tower) : std::uint16_t{0};
            row.ground = ground != 0 ? nav::FrequencyToBcd(ground) : std::uint16_t{0};
            if (s.rightTraffic.count({a.icao, id}) != 0) row.flags |= nav::kRightTrafficFlag;
            if (anyHard && !hard(r)) row.flags |= nav::kSoftSurfaceFlag;
            if (row.tower != 0 || row.ground != 0 || row.flags != 0) out->push_back(row);
        }
    }
}

template <typename Row>
void SortByFrequency(std::vector<Row>* rows) {
    std::sort(rows->begin(), rows->end(), [](const Row& a, const Row& b) {
        return std::tie(a.frequency, a.ident, a.x, a.z) < std::tie(b.frequency, b.ident, b.x, b.z);
    });
}

int BuildTables(const NavSources& s, Tables* t, Refusals* refusals, std::string* error) {
    // Airports by ident, with their runways, first frequencies and ILS ends.
    std::map<std::string, AirportFacts> facts;
    for (const SourceAirport& a : s.airports)
        facts[a.icao].elevationFt = a.elevationFt;
    for (const SourceRunway& r : s.runways) {
        const auto it = facts.find(r.icao);
        if (it != facts.end() && it->second.runways.size() < static_cast<std::size_t>(kMaxRunways))
            it->second.runways.push_back(&r);
    }
    for (auto& [icao, kinds] : DialableComChannels(s.frequencies)) {
        const auto it = facts.find(icao);
        if (it != facts.end()) it->second.firstFrequency = std::move(kinds);
    }
    const AirportControlChannels controls = DialableControlChannels(s.frequencies);
    // Every channel of the airports' services, so that a pilot is heard on any.
    for (const auto& [icao, channels] : DialableServiceChannels(s.frequencies)) {
        if (facts.count(icao) == 0) continue;
        for (const NamedComChannel& c : channels) {
            static const std::map<std::string, nav::ComService> kServices = {
                {"atis", nav::ComService::Atis},       {"clearance", nav::ComService::Clearance},
                {"ground", nav::ComService::Ground},   {"tower", nav::ComService::Tower},
                {"departure", nav::ComService::Departure}, {"approach", nav::ComService::Approach}};
            const auto service = kServices.find(c.kind);
            if (service == kServices.end()) continue;
            const nav::ComChannelRecord row{icao, service->second, nav::FrequencyToBcd(c.frequency)};
            if (std::find(t->comChannels.begin(), t->comChannels.end(), row) == t->comChannels.end())
                t->comChannels.push_back(row);
        }
    }
    std::stable_sort(t->comChannels.begin(), t->comChannels.end(),
                     [](const nav::ComChannelRecord& a, const nav::ComChannelRecord& b) {
                         return a.airport < b.airport;
                     });
    std::vector<ListedStation> airportList, vorList, ndbList, ilsList, waypointList;

    // VORs: "Canadian" subtypes for stations in Canada. The data gives no country, so a
    // station's is that of the nearest airport with a four-letter ICAO code, whose first letter
    // names its country (C Canada; K and P the United States): the FAA's own four-character
    // codes ("CA35", "CL46") hold digits and say nothing of the country.
    std::vector<WorldPosition> airportPlaces;
    std::vector<const SourceAirport*> icaoAirports;
    for (const SourceAirport& a : s.airports) {
        if (!IsIcaoCode(a.icao)) continue;
        icaoAirports.push_back(&a);
        airportPlaces.push_back(Project(a.lat, a.lon));
    }
    const NearestPlaces nearestAirport(std::move(airportPlaces));
    for (const SourceVor& v : s.vors) {
        if (v.ident.size() >= static_cast<std::size_t>(nav::kVorIdentField)) {
            ++refusals->identTooLong;
            continue;
        }
        const nav::VorRecord row = VorRow(v);
        t->vors.push_back(row);
        const int nearest = nearestAirport.Nearest(WorldPosition{row.x, row.z}, nullptr);
        const bool canadian =
            nearest >= 0 && icaoAirports[static_cast<std::size_t>(nearest)]->icao[0] == 'C';
        vorList.push_back(ListedStation{
            v.name + " (" + v.ident + ")",
            {row.x, row.z},
            VorCode(v, canadian),
            nav::EncodeStationRecord({nav::FrequencyToBcd(v.frequency), row.x, row.z}),
            {}});
    }
    SortByFrequency(&t->vors);

    for (const SourceNdb& n : s.ndbs) {
        if (n.ident.size() >= static_cast<std::size_t>(nav::kStationIdentField)) {
            ++refusals->identTooLong;
            continue;
        }
        nav::NdbRecord row;
        row.ident = n.ident;
        row.frequency = static_cast<std::int16_t>(n.frequencyKhz);
        const WorldPosition p = Project(n.lat, n.lon);
        row.x = p.x;
        row.z = p.z;
        row.elevation = Metres(n.elevationFt);
        row.flags = n.kind == "NDB-DME" ? nav::kDmeFlag : 0;
        t->ndbs.push_back(row);
        ndbList.push_back(
            ListedStation{n.name + " (" + n.ident + ")",
                          p,
                          nav::kSmsNdb,
                          nav::EncodeStationRecord({nav::KhzToBcd(n.frequencyKhz), p.x, p.z}),
                          {}});
    }
    SortByFrequency(&t->ndbs);

    std::multimap<std::string, const SourceDme*> ilsDmes;
    for (const SourceDme& d : s.dmes)
        if (d.kind == "DME-ILS") ilsDmes.emplace(d.ident, &d);
    for (const SourceIls& i : s.ils) {
        const std::string ident = IlsIdent(i.ident);
        if (ident.size() >= static_cast<std::size_t>(nav::kStationIdentField)) {
            ++refusals->identTooLong;
            continue;
        }
        IlsFacts f;
        f.source = &i;
        const auto [first, last] = ilsDmes.equal_range(i.ident);
        for (auto it = first; it != last && !f.dme; ++it)
            if (SamePlace(it->second->lat, it->second->lon, i.lat, i.lon)) {
                f.dme = true;
                f.dmeSource = it->second;
            }
        const auto airport = facts.find(i.airport);
        if (airport != facts.end()) {
            f.runwayFeet = airport->second.elevationFt;
            for (const SourceRunway* r : airport->second.runways) {
                const bool first = RunwayName(r->id1) == RunwayName(i.runway);
                if (!first && RunwayName(r->id2) != RunwayName(i.runway)) continue;
                f.runway = true;
                f.thresholdLat = first ? r->lat1 : r->lat2;
                f.thresholdLon = first ? r->lon1 : r->lon2;
                f.farLat = first ? r->lat2 : r->lat1;
                f.farLon = first ? r->lon2 : r->lon1;
                break;
            }
        }
        const nav::IlsRecord row = IlsRow(f, s.markers);
        t->ils.push_back(row);
        ilsList.push_back(ListedStation{
            ident + " " + i.airport + " Rwy " + i.runway,
            {row.x, row.z},
            IlsCode(f),
            nav::EncodeStationRecord({nav::FrequencyToBcd(i.frequency), row.x, row.z}),
            {}});
        const auto it = facts.find(i.airport);
        if (it != facts.end()) {
            it->second.hasIls = true;
            it->second.ilsByRunway.try_emplace(i.runway, ident);
        }
    }
    SortByFrequency(&t->ils);

    for (const SourceAirport& a : s.airports) {
        if (a.icao.size() >= static_cast<std::size_t>(nav::kAirportIdentField)) {
            ++refusals->identTooLong;
            continue;
        }
        const AirportFacts& f = facts[a.icao];
        ListedStation listed;
        listed.name = a.name + " (" + a.icao + ")";
        listed.position = Project(a.lat, a.lon);
        listed.code = nav::kSmsAirport;
        listed.airport = a.icao;
        const std::vector<nav::SmsRunwayRecord> runways = RunwayRows(f, refusals);
        if (a.towered && a.kind == "land" && runways.empty() && !f.runways.empty()) {
            // A tower with none of its runways readable: a pilot could not start or land there.
            *error = "the towered airport " + a.icao + " has no runway that reads";
            return 0;
        }
        if (!nav::EncodeAirportRecord(AirportHeader(a, f, s.airspaceClass), runways,
                                      &listed.record)) {
            *error = "cannot write the directory record of " + a.icao;
            return 0;
        }
        airportList.push_back(std::move(listed));
        if (a.towered) {
            const auto channels = controls.find(a.icao);
            RunwayControlRows(
                a, f,
                channels != controls.end() ? channels->second : std::vector<NamedComChannel>{}, s,
                &t->runwayControls);
        }
    }

    const Airways airways = BuildAirways(s);
    t->airways = airways.records;
    t->waypoints = BuildWaypoints(s, airways, refusals);
    for (const nav::WaypointRecord& w : t->waypoints)
        waypointList.push_back(ListedStation{
            w.name, {w.x, w.z}, nav::kSmsWaypoint, nav::EncodeWaypointRecord({w.x, w.z}), {}});

    // The directory: airports, VORs, NDBs, ILS and waypoints, each kind sorted by name, capitals
    // beside small letters.
    nav::SmsFileBuilder builder;
    std::vector<const ListedStation*> order;
    for (std::vector<ListedStation>* list :
         {&airportList, &vorList, &ndbList, &ilsList, &waypointList}) {
        SortByName(list);
        for (const ListedStation& l : *list) {
            if (!builder.Add(l.code, l.name, l.record)) {
                *error = "the directory cannot name " + l.name;
                return 0;
            }
            order.push_back(&l);
        }
    }
    std::vector<std::uint32_t> entryOffsets;
    t->directory = builder.Build(&entryOffsets, nullptr);

    // The airport index points at each airport's directory entry.
    std::map<std::string, std::uint32_t> entryOf;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (!order[i]->airport.empty()) entryOf.emplace(order[i]->airport, entryOffsets[i]);
    for (const SourceAirport& a : s.airports) {
        const auto entry = entryOf.find(a.icao);
        if (entry == entryOf.end()) continue;
        const WorldPosition p = Project(a.lat, a.lon);
        t->airports.push_back(nav::AirportIndexRecord{
            a.icao, p.x, p.z, static_cast<std::int16_t>(std::clamp(a.elevationFt, -32768, 32767)),
            entry->second});
    }
    std::sort(t->airports.begin(), t->airports.end(),
              [](const nav::AirportIndexRecord& a, const nav::AirportIndexRecord& b) {
                  return std::tie(a.ident, a.x, a.z) < std::tie(b.ident, b.x, b.z);
              });
    return 1;
}

}  // namespace

int MakeNavigation(Installation& installation, std::string* error) {
    NavSources sources;
    if (!LoadNavSources(installation.DataDir(), &sources, error)) return 0;
    Tables t;
    Refusals refusals;
    if (!BuildTables(sources, &t, &refusals, error)) return 0;
    struct Member {
        const char* name;
        bool written;
        nav::NavBytes bytes;
    };
    Member members[8] = {{"na.vor", false, {}}, {"na.ndb", false, {}}, {"na.ils", false, {}},
                         {"na.apt", false, {}}, {"na.wpt", false, {}}, {"na.vct", false, {}},
                         {"na.rwc", false, {}}, {"na.frq", false, {}}};
    members[0].written = nav::WriteVorTable(t.vors, &members[0].bytes);
    members[1].written = nav::WriteNdbTable(t.ndbs, &members[1].bytes);
    members[2].written = nav::WriteIlsTable(t.ils, &members[2].bytes);
    members[3].written = nav::WriteAirportTable(t.airports, &members[3].bytes);
    members[4].written = nav::WriteWaypointTable(t.waypoints, &members[4].bytes);
    members[5].written = nav::WriteAirwayTable(t.airways, &members[5].bytes);
    members[6].written = nav::WriteRunwayControlTable(t.runwayControls, &members[6].bytes);
    members[7].written = nav::WriteComChannelTable(t.comChannels, &members[7].bytes);
    for (Member& m : members) {
        if (!m.written) {
            *error = std::string("cannot write ") + m.name;
            return 0;
        }
        // The program reads every table whole at every start: kept plain, they cost about
        // 200 KB more on disk and save decoding 1.2 MB each time.
        installation.AddMember(kDataVolume, m.name, std::move(m.bytes), true);
    }
    installation.AddFile(kDirectoryFile, std::move(t.directory));
    // The cities a pilot may type in the airport lists, each with its airports, and each
    // airport's state, for a search that names one ("san carlos ca").
    std::vector<City> cities;
    std::vector<std::vector<nav::MapOutlinePoint>> stateBorders, nationalBorders;
    if (!ReadCities(installation.DataDir(), &cities, error) ||
        !ReadPolylines(installation.DataDir() + "/outlines-us/state_borders.txt", &stateBorders,
                       error) ||
        !ReadPolylines(installation.DataDir() + "/outlines-us/national_borders.txt",
                       &nationalBorders, error))
        return 0;
    const std::string cityText =
        CityAirportsText(cities, sources, AirportsAbroad(sources, nationalBorders));
    installation.AddMember(kDataVolume, nav::kCityAirportsMember,
                           Bytes(cityText.begin(), cityText.end()), true);
    const std::map<std::string, std::string> states =
        AirportStates(cities, sources, stateBorders, nationalBorders);
    const std::string stateText = AirportStatesText(states);
    installation.AddMember(kDataVolume, nav::kAirportStatesMember,
                           Bytes(stateText.begin(), stateText.end()));
    std::printf(
        "mkdata: navigation: %zu VORs, %zu NDBs, %zu ILS, %zu airports, %zu waypoints, %zu "
        "airways, %zu runway ends with their own controllers or side, %zu airports with their "
        "state; left out %d idents too long, %d runways without a number, %d fixes past the "
        "table, %d unreadable rows\n",
        t.vors.size(), t.ndbs.size(), t.ils.size(), t.airports.size(), t.waypoints.size(),
        t.airways.size(), t.runwayControls.size(), states.size(), refusals.identTooLong,
        refusals.runwayUnreadable, refusals.waypointsLeftOut, sources.skippedRows);
    return 1;
}

}  // namespace mkdata
