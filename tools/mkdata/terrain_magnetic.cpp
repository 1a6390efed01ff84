// The "magnetic grids" module: for every tile of the world (or of the terrain box), "%02dX%02d.mag"
// and ".nor" (row first) in "Data\Data.Vol", 128 x 128 binary angles at the cell centres. ".mag"
// is the magnetic variation (east positive), interpolated smoothly from the VORs' published
// variation; ".nor" is the projection's meridian convergence. A world-grid direction is the
// magnetic direction plus both.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/endian.h"
#include "nav/lat_lon.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/terrain_maker.h"

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthKm = 6371.0;
constexpr double kSigmaKm = 250.0;       // the variation's smoothing
constexpr double kWideSigmaKm = 1500.0;  // far from every VOR
constexpr double kStepDeg = 1.0;

struct Unit {
    double x, y, z;
};
Unit UnitVector(double lat, double lon) {
    const double a = lat * kPi / 180, o = lon * kPi / 180;
    return {std::cos(a) * std::cos(o), std::cos(a) * std::sin(o), std::sin(a)};
}

std::int16_t Angle(double degrees) {
    const long v = std::lround(degrees * 65536.0 / 360.0);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}

}  // namespace

int MakeMagneticGrids(Installation& installation, std::string* error) {
    using namespace terrain;
    std::vector<TileId> tiles;
    if (installation.Option("terrain-box").empty()) {
        for (int c = 0; c < 16; ++c)
            for (int r = 0; r < 16; ++r)
                tiles.push_back(TileId{c, r});
    } else if (!TilesToMake(installation, &tiles, error)) {
        return 0;
    }
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(installation.DataDir() + "/navdata-us/vor.csv", &rows, error)) return 0;
    struct Vor {
        Unit at;
        double variation;
    };
    std::vector<Vor> vors;
    for (const auto& r : rows) {
        double lat = 0, lon = 0, v = 0;
        if (r.size() >= 8 && ParseNumber(r[2], &lat) && ParseNumber(r[3], &lon) &&
            ParseNumber(r[7], &v)) {
            vors.push_back(Vor{UnitVector(lat, lon), v});
        }
    }
    if (vors.empty()) {
        *error = "no VOR variation in vor.csv";
        return 0;
    }
    // The geographic extent of the tiles, then the variation on a raster of whole degrees.
    double latMin = 90, latMax = -90, lonMin = 180, lonMax = -180;
    for (const TileId& t : tiles)
        for (int j = 0; j <= 4; ++j)
            for (int i = 0; i <= 4; ++i) {
                double lat = 0, lon = 0;
                ToGeo(Vec2{(t.column + i / 4.0) * kTileUnits, (t.row + j / 4.0) * kTileUnits}, &lat,
                      &lon);
                latMin = std::min(latMin, lat);
                latMax = std::max(latMax, lat);
                lonMin = std::min(lonMin, lon);
                lonMax = std::max(lonMax, lon);
            }
    latMin = std::max(-89.0, std::floor(latMin) - 1);
    latMax = std::min(89.0, std::ceil(latMax) + 1);
    lonMin = std::floor(lonMin) - 1;
    lonMax = std::ceil(lonMax) + 1;
    const int nx = static_cast<int>((lonMax - lonMin) / kStepDeg) + 1;
    const int ny = static_cast<int>((latMax - latMin) / kStepDeg) + 1;
    std::vector<double> raster(static_cast<std::size_t>(nx) * ny);
    const double k1 = 1.0 / (2 * kSigmaKm * kSigmaKm), k2 = 1.0 / (2 * kWideSigmaKm * kWideSigmaKm);
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const Unit p = UnitVector(latMin + j * kStepDeg, lonMin + i * kStepDeg);
            double w = 0, wv = 0, w2 = 0, wv2 = 0, nearest = 1e300, nearestValue = 0;
            for (const Vor& v : vors) {
                const double dx = p.x - v.at.x, dy = p.y - v.at.y, dz = p.z - v.at.z;
                const double d2 = (dx * dx + dy * dy + dz * dz) * kEarthKm * kEarthKm;
                const double a = std::exp(-d2 * k1), b = std::exp(-d2 * k2);
                w += a;
                wv += a * v.variation;
                w2 += b;
                wv2 += b * v.variation;
                if (d2 < nearest) {
                    nearest = d2;
                    nearestValue = v.variation;
                }
            }
            double value = nearestValue;
            if (w + 1e-3 * w2 > 1e-200) value = (wv + 1e-3 * wv2) / (w + 1e-3 * w2);
            raster[static_cast<std::size_t>(j) * nx + i] = value;
        }
    auto variation = [&](double lat, double lon) {
        const double fx = std::clamp((lon - lonMin) / kStepDeg, 0.0, nx - 1.001);
        const double fy = std::clamp((lat - latMin) / kStepDeg, 0.0, ny - 1.001);
        const int i = static_cast<int>(fx), j = static_cast<int>(fy);
        const double u = fx - i, v = fy - j;
        auto at = [&](int a, int b) { return raster[static_cast<std::size_t>(b) * nx + a]; };
        return (at(i, j) * (1 - u) + at(i + 1, j) * u) * (1 - v) +
               (at(i, j + 1) * (1 - u) + at(i + 1, j + 1) * u) * v;
    };
    for (const TileId& t : tiles) {
        // Latitude and longitude every four cells, read between for the cell centres.
        double lats[33][33], lons[33][33];
        for (int j = 0; j <= 32; ++j)
            for (int i = 0; i <= 32; ++i)
                ToGeo(Vec2{t.column * kTileUnits + i * 32768.0, t.row * kTileUnits + j * 32768.0},
                      &lats[j][i], &lons[j][i]);
        Bytes mag(2 * 128 * 128), nor(2 * 128 * 128);
        for (int r = 0; r < 128; ++r)
            for (int c = 0; c < 128; ++c) {
                const double fx = (c + 0.5) / 4.0, fy = (r + 0.5) / 4.0;
                const int i = std::min(31, static_cast<int>(fx)), j = std::min(31, static_cast<int>(fy));
                const double u = fx - i, v = fy - j;
                const double lat = (lats[j][i] * (1 - u) + lats[j][i + 1] * u) * (1 - v) +
                                   (lats[j + 1][i] * (1 - u) + lats[j + 1][i + 1] * u) * v;
                const double lon = (lons[j][i] * (1 - u) + lons[j][i + 1] * u) * (1 - v) +
                                   (lons[j + 1][i] * (1 - u) + lons[j + 1][i + 1] * u) * v;
                const std::size_t k = 2 * static_cast<std::size_t>(r * 128 + c);
                core::WriteU16(mag.data() + k, static_cast<std::uint16_t>(Angle(variation(lat, lon))));
                // The world's longitudes count west positive.
                core::WriteU16(nor.data() + k,
                               static_cast<std::uint16_t>(Angle(nav::MeridianConvergence(-lon))));
            }
        char name[32];
        std::snprintf(name, sizeof name, "%02dX%02d.mag", t.row, t.column);
        installation.AddMember("Data\\Data.Vol", name, std::move(mag));
        std::snprintf(name, sizeof name, "%02dX%02d.nor", t.row, t.column);
        installation.AddMember("Data\\Data.Vol", name, std::move(nor));
    }
    return 1;
}

}  // namespace mkdata
