// Great-circle helpers of the data makers: bearings, distances and points along a bearing on a
// sphere of the Earth's mean radius (good to well under a metre over a runway's length).
#pragma once

#include <cmath>

namespace mkdata {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kEarthRadius = 6371008.8;  // mean radius, metres
inline constexpr double kFeetPerMetre = 1.0 / 0.3048;

inline double Radians(double degrees) {
    return degrees * kPi / 180.0;
}
inline double Degrees(double radians) {
    return radians * 180.0 / kPi;
}

// Initial great-circle bearing from one point to another, degrees clockwise from true north.
inline double Bearing(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = Radians(lat1), p2 = Radians(lat2), dl = Radians(lon2 - lon1);
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    const double b = Degrees(std::atan2(y, x));
    return b < 0 ? b + 360.0 : b;
}

// Great-circle distance in metres.
inline double Distance(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = Radians(lat1), p2 = Radians(lat2);
    const double dp = p2 - p1, dl = Radians(lon2 - lon1);
    const double a = std::sin(dp / 2) * std::sin(dp / 2) +
                     std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2.0 * kEarthRadius * std::asin(std::sqrt(std::fmin(1.0, a)));
}

// The point `distance` metres from a point along a bearing.
inline void Travel(double lat, double lon, double bearing, double distance, double* latOut,
                   double* lonOut) {
    const double d = distance / kEarthRadius, b = Radians(bearing), p1 = Radians(lat);
    const double p2 =
        std::asin(std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(b));
    const double l2 = Radians(lon) + std::atan2(std::sin(b) * std::sin(d) * std::cos(p1),
                                                std::cos(d) - std::sin(p1) * std::sin(p2));
    *latOut = Degrees(p2);
    *lonOut = Degrees(l2);
}

}  // namespace mkdata
