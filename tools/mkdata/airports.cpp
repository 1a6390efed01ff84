// The "airports" module: the airport object files of "Data\Data.Vol".
//
// "rwys.bin": every runway of every land airport of data/ whose centre lies in the world's
// tiles, laid out on the world grid from its two published ends (centre, length and heading
// from the projected ends, so the drawn ends meet the published ones), with its number codes,
// displaced thresholds and surface, and marking and lighting classes from public facts: an end
// with an instrument landing system gets precision markings, touchdown-zone and centre-line
// lights, approach lights and a precision approach path indicator; other paved runways of
// 4,000 ft or more non-precision markings and, at towered airports, a two-bar indicator; other
// paved runways basic markings; soft runways none.
//
// "buildings.bin": at every land airport with a runway, T-hangars and trees; at larger or
// towered airports hangars, a terminal and a fuel farm; at every towered airport a control
// tower and a rotating beacon. Each stands beside the longest runway, clear of every runway and
// of its approaches.
//
// "obstacle.bin": data/ holds no obstacle records. The obstacles here are made up to show the
// scenery's obstacle kinds and their lights in plausible places: an antenna mast at every NDB,
// and round every towered airport four obstacles of the table's fifteen types (every type
// appears), two to four nautical miles out and clear of the runways' approaches. Each stands on
// land, 600 m or more from the sea, the lakes and the rivers of the outlines. They are not real
// obstacles and must never be taken for them.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "nav/lat_lon.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/terrain_maker.h"
#include "world/airport_records.h"

namespace mkdata {

namespace {

constexpr const char* kVolume = "Data\\Data.Vol";
constexpr double kPi = 3.14159265358979323846;
constexpr double kFeetPerUnit = 1.2890625;  // a world unit
constexpr double kFlightUnitsPerWorldUnit = 100.584;
constexpr double kFeetPerMetre = 1.0 / 0.3048;

struct Point {
    double x = 0.0;  // world units
    double z = 0.0;
};

Point ToWorld(double lat, double lonEast) {
    std::int32_t fx = 0, fz = 0;
    nav::LatLonToWorld(&fx, &fz, lat, -lonEast);
    return {fx / kFlightUnitsPerWorldUnit + world::kWorldOriginX,
            fz / kFlightUnitsPerWorldUnit + world::kWorldOriginZ};
}

struct RunwayEnd {
    std::string id;
    Point at;
    double displacedFeet = 0.0;
};

struct Runway {
    RunwayEnd end1, end2;
    double widthFeet = 0.0;
    int surface = 0;
    [[nodiscard]] bool Hard() const { return surface == 1 || surface == 2; }
    [[nodiscard]] double LengthUnits() const {
        return std::hypot(end2.at.x - end1.at.x, end2.at.z - end1.at.z);
    }
};

struct Airport {
    std::string ident;
    bool towered = false;
    Point at;
    std::vector<Runway> runways;
};

// Runway number code: number x 4 + designator (1 L, 2 R, 3 C); 0 for ends without a number.
std::uint8_t NumberCode(const std::string& id) {
    std::size_t i = 0;
    int number = 0;
    while (i < id.size() && i < 2 && std::isdigit(static_cast<unsigned char>(id[i])) != 0)
        number = number * 10 + (id[i++] - '0');
    if (i == 0 || number < 1 || number > 36) return 0;
    int designator = 0;
    if (i < id.size()) {
        switch (id[i]) {
            case 'L':
                designator = 1;
                break;
            case 'R':
                designator = 2;
                break;
            case 'C':
                designator = 3;
                break;
            default:
                break;
        }
    }
    return static_cast<std::uint8_t>(number * 4 + designator);
}

int LoadAirports(const std::string& dataDir, std::vector<Airport>* out,
                 std::set<std::string>* ilsEnds, std::string* error) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dataDir + "/navdata-us/airport.csv", &rows, error)) return 0;
    std::map<std::string, std::size_t> byIdent;
    for (const auto& r : rows) {
        double lat = 0, lon = 0;
        if (r.size() < 7 || r[2] != "land" || !ParseNumber(r[4], &lat) || !ParseNumber(r[5], &lon))
            continue;
        Airport a;
        a.ident = r[0];
        a.towered = r[6] == "1";
        a.at = ToWorld(lat, lon);
        byIdent[a.ident] = out->size();
        out->push_back(std::move(a));
    }
    rows.clear();
    if (!ReadRunwayCsv(dataDir + "/navdata-us/runway.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        if (r.size() < 11) continue;
        const auto a = byIdent.find(r[0]);
        if (a == byIdent.end()) continue;
        Runway w;
        double width = 0, lat1 = 0, lon1 = 0, d1 = 0, lat2 = 0, lon2 = 0, d2 = 0, surface = 0;
        if (!ParseNumber(r[1], &width) || !ParseNumber(r[2], &surface) ||
            !ParseNumber(r[4], &lat1) || !ParseNumber(r[5], &lon1) || !ParseNumber(r[6], &d1) ||
            !ParseNumber(r[8], &lat2) || !ParseNumber(r[9], &lon2) || !ParseNumber(r[10], &d2))
            continue;
        w.widthFeet = width * kFeetPerMetre;
        w.surface = static_cast<int>(surface);
        w.end1 = RunwayEnd{r[3], ToWorld(lat1, lon1), d1 * kFeetPerMetre};
        w.end2 = RunwayEnd{r[7], ToWorld(lat2, lon2), d2 * kFeetPerMetre};
        (*out)[a->second].runways.push_back(std::move(w));
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/ils.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        // Localizers with a glide slope make precision approaches.
        if (r.size() >= 4 && r[3].rfind("ILS", 0) == 0) ilsEnds->insert(r[0] + " " + r[1]);
    }
    return 1;
}

// Marking and lighting bits of one end (shifted into place by the caller).
std::uint32_t EndBits(const Airport& a, const Runway& w, const RunwayEnd& e,
                      const std::set<std::string>& ilsEnds, double lengthFeet) {
    if (!w.Hard()) return 0;
    constexpr std::uint32_t kPrecision = 1, kNonPrecision = 2, kBasic = 3;
    if (ilsEnds.count(a.ident + " " + e.id) != 0) {
        // Precision markings, a precision path indicator, approach lights with sequenced
        // flashers on long runways and without on shorter ones, centre-line and touchdown-zone
        // lights.
        const std::uint32_t approach = lengthFeet >= 8000.0 ? 1 : 5;
        return kPrecision | (12u << 3) | (approach << 8) | (1u << 13) | (1u << 14);
    }
    if (lengthFeet >= 4000.0) return kNonPrecision | (a.towered ? (3u << 3) : 0u);
    return kBasic;
}

// The runway record of a runway, or false when it has no place in the world.
bool MakeRunwayRecord(const Airport& a, const Runway& w, const std::set<std::string>& ilsEnds,
                      world::RunwayRecord* out) {
    const double dx = w.end2.at.x - w.end1.at.x, dz = w.end2.at.z - w.end1.at.z;
    const double lengthFeet = std::hypot(dx, dz) * kFeetPerUnit;
    const double widthFeet = w.widthFeet;
    if (lengthFeet < 1.0 || widthFeet < 1.0 || lengthFeet > 32767.0 || widthFeet > 32767.0)
        return false;
    world::RunwayRecord r;
    r.x = static_cast<std::int32_t>((w.end1.at.x + w.end2.at.x) / 2.0);
    r.z = static_cast<std::int32_t>((w.end1.at.z + w.end2.at.z) / 2.0);
    r.tileId = world::TileIdOf(r.x, r.z);
    if (r.tileId == world::kNoTile) return false;
    // The object's turn about the up axis: minus the bearing of end 2 from end 1 on the grid.
    r.heading = static_cast<float>(-std::atan2(dx, dz));
    r.width = static_cast<std::int16_t>(std::lround(widthFeet));
    r.length = static_cast<std::int16_t>(std::lround(lengthFeet));
    r.end1Code = NumberCode(w.end1.id);
    r.end2Code = NumberCode(w.end2.id);
    r.flags = w.Hard() ? 1 : 0;
    r.threshold1 = static_cast<std::int16_t>(std::lround(std::min(w.end1.displacedFeet, lengthFeet / 2)));
    r.threshold2 = static_cast<std::int16_t>(std::lround(std::min(w.end2.displacedFeet, lengthFeet / 2)));
    r.markings = EndBits(a, w, w.end1, ilsEnds, lengthFeet) |
                 (EndBits(a, w, w.end2, ilsEnds, lengthFeet) << 15);
    *out = r;
    return true;
}

// ---- buildings ------------------------------------------------------------------------------

// Every runway of the world with its approaches, by coarse cells, so a building can be tested
// against all runways near it, whichever airport they belong to.
class RunwayStrips {
public:
    explicit RunwayStrips(const std::vector<Airport>& airports) {
        for (const Airport& a : airports)
            for (const Runway& w : a.runways) {
                const double len = w.LengthUnits();
                if (len <= 0.0) continue;
                Strip s;
                s.ux = (w.end2.at.x - w.end1.at.x) / len;
                s.uz = (w.end2.at.z - w.end1.at.z) / len;
                s.cx = (w.end1.at.x + w.end2.at.x) / 2.0;
                s.cz = (w.end1.at.z + w.end2.at.z) / 2.0;
                s.halfLength = len / 2.0 + kApproachFeet / kFeetPerUnit;
                s.halfWidthFeet = w.widthFeet / 2.0;
                // Filed in every cell its rectangle may reach.
                const double reach = s.halfLength + 2000.0 / kFeetPerUnit;
                for (int i = Cell(s.cx - reach); i <= Cell(s.cx + reach); ++i)
                    for (int j = Cell(s.cz - reach); j <= Cell(s.cz + reach); ++j)
                        cells[{i, j}].push_back(strips.size());
                strips.push_back(s);
            }
    }
    // Whether a point stands clear of every runway and its approaches by the margin.
    [[nodiscard]] bool Clear(Point p, double marginFeet) const {
        const auto it = cells.find({Cell(p.x), Cell(p.z)});
        if (it == cells.end()) return true;
        for (const std::size_t i : it->second) {
            const Strip& s = strips[i];
            const double along = (p.x - s.cx) * s.ux + (p.z - s.cz) * s.uz;
            const double across = -(p.x - s.cx) * s.uz + (p.z - s.cz) * s.ux;
            if (std::fabs(along) < s.halfLength &&
                std::fabs(across) < (s.halfWidthFeet + marginFeet) / kFeetPerUnit)
                return false;
        }
        return true;
    }

private:
    static constexpr double kApproachFeet = 3000.0;
    static constexpr double kCellUnits = 16384.0;
    static int Cell(double v) { return static_cast<int>(std::floor(v / kCellUnits)); }
    struct Strip {
        double cx, cz, ux, uz, halfLength, halfWidthFeet;
    };
    std::vector<Strip> strips;
    std::map<std::pair<int, int>, std::vector<std::size_t>> cells;
};

struct Placement {
    const char* shape;
    std::uint8_t cls;
    double along;   // fraction of the runway's half length from its centre
    double beside;  // feet out from the runway's edge
};

void PlaceBuildings(const Airport& a, const RunwayStrips& runways,
                    std::vector<world::BuildingRecord>* out) {
    if (a.runways.empty()) return;
    const Runway* longest = &a.runways[0];
    bool paved = false;
    for (const Runway& w : a.runways) {
        if (w.LengthUnits() > longest->LengthUnits()) longest = &w;
        paved = paved || w.Hard();
    }
    const Runway& w = *longest;
    const double len = w.LengthUnits();
    if (len <= 0.0) return;
    const double lengthFeet = len * kFeetPerUnit;
    const double ux = (w.end2.at.x - w.end1.at.x) / len, uz = (w.end2.at.z - w.end1.at.z) / len;
    const Point centre{(w.end1.at.x + w.end2.at.x) / 2.0, (w.end1.at.z + w.end2.at.z) / 2.0};
    const float heading = static_cast<float>(-std::atan2(ux, uz));

    std::vector<Placement> plan;
    if (paved) {
        plan.push_back({"thangar", 1, -0.35, 450.0});
        plan.push_back({"thangar", 1, -0.20, 450.0});
    } else {
        plan.push_back({"thangar", 1, -0.25, 350.0});
    }
    if (lengthFeet >= 5000.0 || a.towered) {
        plan.push_back({"hangar", 2, 0.05, 600.0});
        plan.push_back({"hangar", 2, 0.22, 600.0});
        plan.push_back({"terminal", 2, -0.05, 700.0});
        plan.push_back({"fuelfarm", 1, 0.38, 550.0});
    }
    if (a.towered) {
        plan.push_back({"ctower", world::kTowerClass, -0.12, 1000.0});
        plan.push_back({"beacon", world::kBeaconClass, 0.30, 1100.0});
    }
    for (const double f : {-0.45, -0.10, 0.15, 0.45})
        plan.push_back({f < 0.0 ? "tree1" : "tree2", 0, f, 1500.0});

    for (const Placement& p : plan) {
        // The planned spot on the right side first, then the left, then farther out and along
        // the runway, until one is clear of every runway and approach near it.
        bool placed = false;
        for (const double farther : {0.0, 600.0, 1200.0, 2000.0}) {
            for (const double shift : {0.0, 0.15, -0.15, 0.3, -0.3}) {
                for (const double side : {1.0, -1.0}) {
                    const double along = (p.along + shift) * len / 2.0;
                    const double across =
                        side * (w.widthFeet / 2.0 + p.beside + farther) / kFeetPerUnit;
                    const Point at{centre.x + along * ux + across * uz,
                                   centre.z + along * uz - across * ux};
                    if (!runways.Clear(at, 250.0)) continue;
                    world::BuildingRecord b;
                    b.x = static_cast<std::int32_t>(at.x);
                    b.z = static_cast<std::int32_t>(at.z);
                    b.heading = heading;
                    b.name = p.shape;
                    b.cls = p.cls;
                    b.tileId = world::TileIdOf(b.x, b.z);
                    if (b.tileId != world::kNoTile) out->push_back(std::move(b));
                    placed = true;
                    break;
                }
                if (placed) break;
            }
            if (placed) break;
        }
    }
}

// ---- obstacles ------------------------------------------------------------------------------

// A small deterministic hash of a text, for heights and bearings that differ from place to place.
std::uint32_t Hash(const std::string& s) {
    std::uint32_t h = 2166136261u;
    for (const char c : s)
        h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
    return h;
}

// Typical heights (feet) and light kinds of the made-up obstacles by type.
struct ObstacleKind {
    int lowHeight, highHeight;
    std::uint8_t light;
};
constexpr ObstacleKind kKinds[world::kObstacleTypes] = {
    {150, 900, 0},  {120, 250, 1}, {150, 220, 3},   {200, 620, 4}, {90, 240, 5},
    {60, 110, 6},   {180, 320, 3}, {110, 230, 1},   {50, 100, 5},  {180, 320, 0},
    {150, 240, 4},  {200, 330, 3}, {380, 520, 1},   {180, 260, 2}, {1000, 2000, 7}};

world::ObstacleRecord MakeObstacle(Point at, int type, std::uint32_t h) {
    const ObstacleKind& k = kKinds[type];
    world::ObstacleRecord o;
    o.type = static_cast<std::uint8_t>(type);
    o.light = k.light;
    o.x = static_cast<std::int32_t>(at.x);
    o.z = static_cast<std::int32_t>(at.z);
    o.tileId = world::TileIdOf(o.x, o.z);
    o.height = static_cast<std::int16_t>(k.lowHeight +
                                         static_cast<int>(h % static_cast<std::uint32_t>(
                                                                  k.highHeight - k.lowHeight + 1)));
    return o;
}

// Whether a place stands on land, clear of the water's edge and of the rivers (the terrain
// follows the outlines in cells of about 400 m).
bool OnLand(const terrain::WaterIndex& water, Point at) {
    const terrain::Vec2 p{at.x, at.z};
    return !water.InWater(p) && !water.NearWater(p, 600.0 / 0.392906);
}

// Whether a bearing from the airport (degrees) lies clear of every runway's axis.
bool ClearOfApproaches(const Airport& a, double bearing) {
    for (const Runway& w : a.runways) {
        const double axis = std::atan2(w.end2.at.x - w.end1.at.x, w.end2.at.z - w.end1.at.z) *
                            180.0 / kPi;
        for (const double dir : {axis, axis + 180.0}) {
            double d = std::fmod(std::fabs(bearing - dir), 360.0);
            if (d > 180.0) d = 360.0 - d;
            if (d < 25.0) return false;
        }
    }
    return true;
}

int MakeObstacles(const std::string& dataDir, const std::vector<Airport>& airports,
                  std::vector<world::ObstacleRecord>* out, std::string* error) {
    terrain::Outlines outlines;
    if (!terrain::ReadOutlines(dataDir, &outlines, error)) return 0;
    const terrain::WaterIndex water(outlines);
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dataDir + "/navdata-us/ndb.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        double lat = 0, lon = 0;
        if (r.size() < 4 || !ParseNumber(r[2], &lat) || !ParseNumber(r[3], &lon)) continue;
        const Point at = ToWorld(lat, lon);
        if (!OnLand(water, at)) continue;
        const world::ObstacleRecord o = MakeObstacle(at, 0, Hash(r[0] + r[1]));
        if (o.tileId != world::kNoTile) out->push_back(o);
    }
    int next = 0;  // cycles through every type
    for (const Airport& a : airports) {
        if (!a.towered || a.runways.empty()) continue;
        const std::uint32_t h = Hash(a.ident);
        int placed = 0;
        for (int k = 0; k < 24 && placed < 4; ++k) {
            const double bearing = std::fmod((h % 360u) + k * 97.0, 360.0);
            if (!ClearOfApproaches(a, bearing)) continue;
            const double nm = 2.0 + ((h >> (k % 16)) % 200u) / 100.0;
            const double units = nm * 1852.0 / 0.392906;
            const Point at{a.at.x + units * std::sin(bearing * kPi / 180.0),
                           a.at.z + units * std::cos(bearing * kPi / 180.0)};
            if (!OnLand(water, at)) continue;
            const world::ObstacleRecord o =
                MakeObstacle(at, next % world::kObstacleTypes, (h >> 3) ^ static_cast<std::uint32_t>(k));
            ++next;
            ++placed;
            if (o.tileId != world::kNoTile) out->push_back(o);
        }
    }
    // The scenery finds a tile's obstacles from the first record of its tile on.
    std::stable_sort(out->begin(), out->end(),
                     [](const world::ObstacleRecord& p, const world::ObstacleRecord& q) {
                         return p.tileId < q.tileId;
                     });
    return 1;
}

}  // namespace

int MakeAirports(Installation& installation, std::string* error) {
    std::vector<Airport> airports;
    std::set<std::string> ilsEnds;
    if (!LoadAirports(installation.DataDir(), &airports, &ilsEnds, error)) return 0;
    std::vector<world::RunwayRecord> runways;
    std::vector<world::BuildingRecord> buildings;
    const RunwayStrips strips(airports);
    for (const Airport& a : airports) {
        for (const Runway& w : a.runways) {
            world::RunwayRecord r;
            if (MakeRunwayRecord(a, w, ilsEnds, &r)) runways.push_back(r);
        }
        PlaceBuildings(a, strips, &buildings);
    }
    std::vector<world::ObstacleRecord> obstacles;
    if (!MakeObstacles(installation.DataDir(), airports, &obstacles, error)) return 0;
    if (runways.empty()) {
        *error = "no runway of the data lies in the world";
        return 0;
    }
    const Bytes buildingBytes = world::WriteBuildingRecords(buildings);
    if (buildingBytes.empty()) {
        *error = "a building name does not fit its record";
        return 0;
    }
    // The program reads all three whole at every start and at every flight it loads: kept
    // plain, they cost 1.5 MB more on disk and save decoding 2.5 MB each time (a third of the
    // start).
    constexpr bool kPlain = true;
    installation.AddMember(kVolume, "rwys.bin", world::WriteRunwayRecords(runways), kPlain);
    installation.AddMember(kVolume, "buildings.bin", buildingBytes, kPlain);
    installation.AddMember(kVolume, "obstacle.bin", world::WriteObstacleRecords(obstacles), kPlain);
    return 1;
}

}  // namespace mkdata
