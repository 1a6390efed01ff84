// The public facts the terrain is made from: point elevations of airports and radio stations,
// the land airports with their runways, and the VORs' variation; and the world's projection in
// world units.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "nav/lat_lon.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

namespace {

constexpr double kFlightUnitsPerUnit = 100.584;
constexpr double kOriginX = 9.0 * kTileUnits;
constexpr double kOriginY = 5.0 * kTileUnits;

bool Number(const std::vector<std::string>& row, std::size_t column, double* v) {
    return column < row.size() && ParseNumber(row[column], v);
}

// A station elevation of 0 says "not known" far more often than "at sea level".
void AddStations(const std::vector<std::vector<std::string>>& rows, std::size_t lat,
                 std::size_t lon, std::size_t elev, std::vector<ElevationPoint>* out) {
    for (const auto& r : rows) {
        double a = 0, o = 0, e = 0;
        if (!Number(r, lat, &a) || !Number(r, lon, &o) || !Number(r, elev, &e) || e == 0.0)
            continue;
        out->push_back(ElevationPoint{ToWorld(a, o), e});
    }
}

}  // namespace

Vec2 ToWorld(double lat, double lon) {
    std::int32_t x = 0, z = 0;
    nav::LatLonToWorld(&x, &z, lat, -lon);
    return Vec2{x / kFlightUnitsPerUnit + kOriginX, z / kFlightUnitsPerUnit + kOriginY};
}

void ToGeo(Vec2 p, double* lat, double* lon) {
    const double fx = std::clamp((p.x - kOriginX) * kFlightUnitsPerUnit, -2.1e9, 2.1e9);
    const double fz = std::clamp((p.y - kOriginY) * kFlightUnitsPerUnit, -2.1e9, 2.1e9);
    double west = 0.0;
    nav::WorldToLatLon(lat, &west, static_cast<std::int32_t>(fx), static_cast<std::int32_t>(fz));
    *lon = -west;
}

std::vector<TileId> TilesOfBox(const GeoBox& box) {
    // The box is curved in the world plane: its edges and inside are walked finely enough that
    // no tile it touches is missed (a tile is about 3.7 degrees across).
    std::set<std::pair<int, int>> seen;
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            const double lat = box.south + (box.north - box.south) * i / steps;
            const double lon = box.west + (box.east - box.west) * j / steps;
            const Vec2 p = ToWorld(lat, lon);
            const int c = static_cast<int>(std::floor(p.x / kTileUnits));
            const int r = static_cast<int>(std::floor(p.y / kTileUnits));
            if (c >= 0 && c < 16 && r >= 0 && r < 16) seen.insert({c, r});
        }
    }
    std::vector<TileId> tiles;
    for (const auto& [c, r] : seen)
        tiles.push_back(TileId{c, r});
    return tiles;
}

int TilesToMake(const Installation& installation, std::vector<TileId>* tiles, std::string* error) {
    GeoBox box;
    const std::string text = installation.Option("terrain-box");
    if (!text.empty()) {
        double v[4];
        char comma[3] = {};
        std::istringstream in(text);
        if (!(in >> v[0] >> comma[0] >> v[1] >> comma[1] >> v[2] >> comma[2] >> v[3]) ||
            comma[0] != ',' || comma[1] != ',' || comma[2] != ',' || !(v[0] < v[2]) ||
            !(v[1] < v[3]) || v[1] < -80.0 || v[3] > 80.0 || v[0] < -180.0 || v[2] > 180.0) {
            *error = "--terrain-box must read WEST,SOUTH,EAST,NORTH in degrees: " + text;
            return 0;
        }
        box = GeoBox{v[0], v[1], v[2], v[3]};
    }
    *tiles = TilesOfBox(box);
    if (tiles->empty()) {
        *error = "the terrain box touches no tile of the world";
        return 0;
    }
    return 1;
}

int ReadPublicData(const std::string& dataDir, PublicData* out, std::string* error) {
    const std::string dir = dataDir + "/navdata-us/";
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dir + "airport.csv", &rows, error)) return 0;
    std::map<std::string, std::size_t> landIndex;
    for (const auto& r : rows) {
        double lat = 0, lon = 0, e = 0;
        if (r.size() < 7 || !Number(r, 4, &lat) || !Number(r, 5, &lon) || !Number(r, 3, &e))
            continue;
        const Vec2 at = ToWorld(lat, lon);
        out->points.push_back(ElevationPoint{at, e});
        if (r[2] != "land" || landIndex.count(r[0]) != 0) continue;
        landIndex[r[0]] = out->landAirports.size();
        out->landAirports.push_back(Airport{r[0], at, e, r[6] == "1", {}});
    }
    rows.clear();
    if (!ReadCsv(dir + "runway.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        double w = 0, a1 = 0, o1 = 0, a2 = 0, o2 = 0;
        const auto it = r.empty() ? landIndex.end() : landIndex.find(r[0]);
        if (it == landIndex.end() || !Number(r, 1, &w) || !Number(r, 4, &a1) ||
            !Number(r, 5, &o1) || !Number(r, 8, &a2) || !Number(r, 9, &o2)) {
            continue;
        }
        out->landAirports[it->second].runways.push_back(
            Runway{ToWorld(a1, o1), ToWorld(a2, o2), std::max(w, 5.0) / kMetresPerUnit});
    }
    struct Source {
        const char* file;
        std::size_t lat, lon, elev;
    } const stations[] = {
        {"vor.csv", 2, 3, 4}, {"ndb.csv", 2, 3, 4},    {"dme.csv", 2, 3, 4},
        {"ils.csv", 4, 5, 6}, {"ils.csv", 10, 11, 12}, {"marker.csv", 3, 4, 5},
    };
    std::map<std::string, const Airport*> fields;
    for (const Airport& a : out->landAirports)
        fields[a.ident] = &a;
    for (const Source& s : stations) {
        rows.clear();
        if (!ReadCsv(dir + s.file, &rows, error)) return 0;
        if (std::string(s.file) == "marker.csv") {
            // Most markers repeat their airport's elevation rather than give their own, and a
            // few differ from it more than the ground between can (30 ft and 1 in 20 of the
            // distance): only the others tell the ground's height.
            std::erase_if(rows, [&](const std::vector<std::string>& r) {
                const auto it = r.empty() ? fields.end() : fields.find(r[0]);
                double e = 0, lat = 0, lon = 0;
                if (it == fields.end() || !Number(r, s.elev, &e) || !Number(r, s.lat, &lat) ||
                    !Number(r, s.lon, &lon)) {
                    return true;
                }
                const Vec2 at = ToWorld(lat, lon);
                const double apart = std::fabs(e - it->second->feet);
                const double feet =
                    std::hypot(at.x - it->second->at.x, at.y - it->second->at.y) * kFeetPerUnit;
                return apart < 0.5 || apart > 30.0 + feet / 20.0;
            });
        }
        AddStations(rows, s.lat, s.lon, s.elev, &out->points);
        if (std::string(s.file) == "vor.csv" && s.lat == 2) {
            for (const auto& r : rows) {
                double lat = 0, lon = 0, v = 0;
                if (Number(r, 2, &lat) && Number(r, 3, &lon) && Number(r, 7, &v))
                    out->vors.push_back(PublicData::Vor{ToWorld(lat, lon), v});
            }
        }
    }
    if (out->landAirports.empty() || out->vors.empty()) {
        *error = "no land airports or VORs in " + dir;
        return 0;
    }
    return 1;
}

namespace {

// The rows of a file of published heights (name,lat,lon,feet,source), each height with its
// source beside it and no lower than `least` feet, as points; `names` (when given) gets each
// row's name.
int ReadSourcedHeights(const std::string& path, double least, std::vector<ElevationPoint>* out,
                       std::vector<std::string>* names, std::string* error) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];
        double lat = 0, lon = 0, feet = 0;
        if (r.size() < 5 || r[0].empty() || !Number(r, 1, &lat) || !Number(r, 2, &lon) ||
            !Number(r, 3, &feet) || r[4].empty() || std::fabs(lat) > 90.0 ||
            std::fabs(lon) > 180.0 || feet < least || feet > 20000.0) {
            *error =
                path + " line " + std::to_string(k + 2) + " must read name,lat,lon,feet,source";
            return 0;
        }
        out->push_back(ElevationPoint{ToWorld(lat, lon), feet});
        if (names != nullptr) names->push_back(r[0]);
    }
    return 1;
}

// The crests of ridges.csv (ridge,from,to: a stretch of crest between two named places of
// `places`); none when the file is missing.
int ReadCrests(const std::string& path, const std::map<std::string, ElevationPoint>& places,
               std::vector<Crest>* out, std::string* error) {
    if (!std::ifstream(path)) return 1;
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];
        const std::string line = path + " line " + std::to_string(k + 2);
        if (r.size() < 3 || r[0].empty()) {
            *error = line + " must read ridge,from,to";
            return 0;
        }
        const auto a = places.find(r[1]), b = places.find(r[2]);
        if (a == places.end() || b == places.end()) {
            *error =
                line + ": no summit or place named \"" + (a == places.end() ? r[1] : r[2]) + "\"";
            return 0;
        }
        const Vec2 p = a->second.at, q = b->second.at;
        const double length = std::hypot(q.x - p.x, q.y - p.y);
        if (length <= 0.0 || length > kLongestCrest) {
            *error = line + ": " + r[1] + " and " + r[2] + " lie " +
                     std::to_string(static_cast<int>(length * kMetresPerUnit / 1000.0)) +
                     " km apart (a crest joins places 0 to " +
                     std::to_string(static_cast<int>(kLongestCrest * kMetresPerUnit / 1000.0)) +
                     " km apart)";
            return 0;
        }
        out->push_back(Crest{p, q, a->second.feet, b->second.feet});
    }
    return 1;
}

}  // namespace

int ReadPlaceHeights(const std::string& dataDir, std::vector<ElevationPoint>* points,
                     std::string* error) {
    return ReadSourcedHeights(dataDir + "/places-us/heights.csv", -1000.0, points, nullptr, error);
}

int ReadTowns(const std::string& dataDir, std::vector<Vec2>* towns, std::string* error) {
    const std::string path = dataDir + "/places-us/cities.csv";
    if (!std::ifstream(path)) return 1;
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    for (const auto& r : rows) {
        double lat = 0, lon = 0;
        if (Number(r, 4, &lat) && Number(r, 5, &lon)) towns->push_back(ToWorld(lat, lon));
    }
    return 1;
}

int ReadMountains(const std::string& dataDir, Mountains* out, std::string* error) {
    std::vector<ElevationPoint> summits;
    std::vector<std::string> summitNames, passNames;
    const std::string passes = dataDir + "/places-us/passes.csv";
    if (!ReadSourcedHeights(dataDir + "/places-us/summits.csv", 1.0, &summits, &summitNames,
                            error) ||
        (std::ifstream(passes) &&
         !ReadSourcedHeights(passes, 1.0, &out->passes, &passNames, error))) {
        return 0;
    }
    std::map<std::string, ElevationPoint> places;
    for (std::size_t i = 0; i < summits.size(); ++i) {
        out->summits.push_back(Summit{summits[i].at, summits[i].feet});
        places.emplace(summitNames[i], summits[i]);
    }
    for (std::size_t i = 0; i < out->passes.size(); ++i)
        places.emplace(passNames[i], out->passes[i]);
    return ReadCrests(dataDir + "/places-us/ridges.csv", places, &out->crests, error);
}

int ReadWaterLevels(const std::string& dataDir, WaterLevels* out, std::string* error) {
    const std::string path = dataDir + "/water-us/levels.csv";
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];
        double lat = 0, lon = 0, feet = 0, radius = 0;
        const bool basin = r.size() >= 7 && r[1] == "basin";
        // A level needs its source beside it; a basin its radius.
        if (r.size() < 7 || (r[1] != "lake" && !basin) || !Number(r, 2, &lat) ||
            !Number(r, 3, &lon) || !Number(r, 4, &feet) || r[6].empty() || std::fabs(lat) > 90.0 ||
            std::fabs(lon) > 180.0 || feet < -1000.0 || feet > 20000.0 ||
            (basin && (!Number(r, 5, &radius) || radius <= 0.0 || radius > 50000.0))) {
            *error = path + " line " + std::to_string(k + 2) +
                     " must read name,lake|basin,lat,lon,feet,radius_m (basins),source";
            return 0;
        }
        PublishedLevel level{r[0], ToWorld(lat, lon), feet, radius / kMetresPerUnit};
        (basin ? out->basins : out->lakes).push_back(std::move(level));
    }
    return 1;
}

}  // namespace mkdata::terrain
