// The world plane's projection inverted a second way, from its published parameters (a Lambert
// conformal cone of constant 0.63049996 and scale 12,452,654.312 m about 89.5 W, the latitude
// taken through the factor 0.9932314), with hypot, atan2 and pow instead of the program's
// steps, and great-circle distances to compare the result with public coordinates.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace navtest {

inline constexpr double kPi = 3.14159265358979323846;

// Latitude and east-positive longitude of a world position.
inline void WorldToGeographic(std::int32_t x, std::int32_t z, double* lat, double* lon) {
    const double east = x / 256.0 + 90160.64;  // metres from the cone's axis
    const double north = 7829278.0 - (z / 256.0 + 113022.1056);
    const double rho = std::hypot(east, north);
    const double theta = std::atan2(east, north);
    const double t = std::pow(rho / 12452654.312, 1.0 / 0.63049996);
    const double chi = kPi / 2 - 2 * std::atan(t);
    *lat = std::atan(std::tan(chi) / 0.9932314) * 180.0 / kPi;
    *lon = -(89.5 - theta / 0.63049996 * 180.0 / kPi);
}

// The world position (1/256 m) of a latitude and east-positive longitude: the same cone the
// other way round.
inline void GeographicToWorld(double lat, double lon, double* x, double* z) {
    const double chi = std::atan(std::tan(lat * kPi / 180.0) * 0.9932314);
    const double rho = 12452654.312 * std::pow(std::tan((kPi / 2 - chi) / 2), 0.63049996);
    const double theta = (lon + 89.5) * 0.63049996 * kPi / 180.0;
    *x = (rho * std::sin(theta) - 90160.64) * 256.0;
    *z = (7829278.0 - rho * std::cos(theta) - 113022.1056) * 256.0;
}

// Metres between two places on a sphere of the Earth's mean radius.
inline double Metres(double lat1, double lon1, double lat2, double lon2) {
    const double r = kPi / 180.0;
    const double a =
        std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
        std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2 * 6371008.8 * std::asin(std::sqrt(a));
}

// The initial true bearing from one place to another on the sphere, 0..360 degrees.
inline double GcBearing(double lat1, double lon1, double lat2, double lon2) {
    const double r = kPi / 180.0;
    const double y = std::sin((lon2 - lon1) * r) * std::cos(lat2 * r);
    const double x = std::cos(lat1 * r) * std::sin(lat2 * r) -
                     std::sin(lat1 * r) * std::cos(lat2 * r) * std::cos((lon2 - lon1) * r);
    return std::fmod(std::atan2(y, x) / r + 360.0, 360.0);
}

// Feet of a place out from a runway's threshold along the extended centreline and across it
// (right positive, looking along the runway's true `course`).
struct OutAndAcross {
    double out, across;
};
inline OutAndAcross FromThreshold(double thresholdLat, double thresholdLon, double course,
                                  double lat, double lon) {
    const double feet = Metres(thresholdLat, thresholdLon, lat, lon) / 0.3048;
    const double off =
        (GcBearing(thresholdLat, thresholdLon, lat, lon) - course - 180.0) * kPi / 180.0;
    return {feet * std::cos(off), -feet * std::sin(off)};
}

// The rows of one of data/navdata-us's tables, split at commas, without the header.
inline std::vector<std::vector<std::string>> ReadNavCsv(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    FILE* f =
        std::fopen((std::string(ZEPHLON_SOURCE_DIR) + "/data/navdata-us/" + name).c_str(), "r");
    if (f == nullptr) return rows;
    char line[512];
    bool header = true;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields(1);
        for (const char* p = line; *p && *p != '\n' && *p != '\r'; ++p) {
            if (*p == ',')
                fields.emplace_back();
            else
                fields.back() += *p;
        }
        rows.push_back(std::move(fields));
    }
    std::fclose(f);
    return rows;
}

// One end of a runway from the public runway table: its threshold, the far end, the course
// along it (true) and its length in feet; all zero when the table has no such end.
struct RunwayEnd {
    double lat = 0, lon = 0, farLat = 0, farLon = 0, course = 0, feet = 0;
};
inline RunwayEnd FindRunwayEnd(const std::string& airport, const std::string& end) {
    RunwayEnd r;
    for (const auto& rw : ReadNavCsv("runway.csv")) {
        if (rw.size() < 11 || rw[0] != airport) continue;
        const bool first = rw[3] == end;
        if (!first && rw[7] != end) continue;
        r.lat = std::stod(first ? rw[4] : rw[8]);
        r.lon = std::stod(first ? rw[5] : rw[9]);
        r.farLat = std::stod(first ? rw[8] : rw[4]);
        r.farLon = std::stod(first ? rw[9] : rw[5]);
        r.course = GcBearing(r.lat, r.lon, r.farLat, r.farLon);
        r.feet = Metres(r.lat, r.lon, r.farLat, r.farLon) / 0.3048;
    }
    return r;
}

}  // namespace navtest
