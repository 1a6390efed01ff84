// The aircraft's track as a whole-program run reports it: its place in the scene every so
// often ("report ac_x ac_y ac_z ..."), and the speeds that follow from the places.
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

constexpr double kKnotsPerMetrePerSecond = 1.943844;

// The standard atmosphere's density ratio below the tropopause.
inline double DensityRatio(double feet) {
    return std::pow(1.0 - 6.8756e-6 * feet, 4.2559);
}

// What an airspeed indicator shows for a true airspeed at a height (the equivalent airspeed).
inline double IndicatedForTrue(double trueKnots, double feet) {
    return trueKnots * std::sqrt(DensityRatio(feet));
}

// The number after " key=" in a run's output, from `from` on (NaN when there is none).
inline double Reported(const std::string& out, const std::string& key, std::size_t from = 0) {
    const std::size_t at = out.find(" " + key + "=", from);
    if (at == std::string::npos) return std::nan("");
    return std::atof(out.c_str() + at + key.size() + 2);
}

// The aircraft's place in a report line, scene units (1.2890625 ft).
struct ScenePlace {
    double x, y, z;
    double KnotsFrom(const ScenePlace& p, double seconds) const {
        const double feet =
            std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) + (z - p.z) * (z - p.z)) *
            1.2890625;
        return feet * 0.3048 / seconds * kKnotsPerMetrePerSecond;
    }
};
inline ScenePlace ReportedPlace(const std::string& out, std::size_t at) {
    return {Reported(out, "ac_x", at), Reported(out, "ac_y", at), Reported(out, "ac_z", at)};
}

// The true airspeed (knots) at place `i` of places reported every `interval` seconds: the slope
// at `i` of the least-squares parabola through the distance flown over `span` places either side.
// Positions move in whole flight steps, so a single interval's distance is too coarse.
inline double SpeedAt(const std::vector<ScenePlace>& places, std::size_t i, std::size_t span,
                      double interval) {
    double sums[5] = {}, rhs[3] = {}, run = 0;
    for (std::size_t k = i - span; k <= i + span; ++k) {
        if (k > i - span) run += places[k].KnotsFrom(places[k - 1], 1.0);  // knot-seconds
        const double t = (static_cast<double>(k) - static_cast<double>(i)) * interval;
        double p = 1;
        for (double& v : sums) {
            v += p;
            p *= t;
        }
        rhs[0] += run;
        rhs[1] += run * t;
        rhs[2] += run * t * t;
    }
    // The normal equations [s0 s1 s2; s1 s2 s3; s2 s3 s4] (a, b, c) = rhs, solved for b.
    const double m[3][3] = {
        {sums[0], sums[1], sums[2]}, {sums[1], sums[2], sums[3]}, {sums[2], sums[3], sums[4]}};
    auto det = [](const double(&a)[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double mb[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            mb[r][c] = c == 1 ? rhs[r] : m[r][c];
    return det(mb) / det(m);
}

}  // namespace testsupport
