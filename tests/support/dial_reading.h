// Reading a needle dial in a screenshot: the needle's direction about its pivot, found among the
// bright pixels that differ from a picture of the same dial with the needle elsewhere.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

inline double Luminance(std::uint32_t rgb) {
    return 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
}

// Degrees clockwise from 12 o'clock of the needle in `shot` (pixels 0xRRGGBB, `width` a row):
// the mean direction of the outermost bright changed pixels between the radii. Nothing when no
// pixel of the annulus changed.
inline std::optional<double> NeedleDegrees(const std::vector<std::uint32_t>& shot,
                                           const std::vector<std::uint32_t>& reference, int width,
                                           int px, int py, double rMin, double rMax) {
    struct Hit {
        double r, dx, dy;
    };
    std::vector<Hit> hits;
    double farthest = 0;
    const int height = width > 0 ? static_cast<int>(shot.size()) / width : 0;
    const int reach = static_cast<int>(rMax) + 1;
    for (int y = py - reach; y <= py + reach; ++y)
        for (int x = px - reach; x <= px + reach; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            const double r = std::hypot(x - px, y - py);
            if (r < rMin || r > rMax) continue;
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            if (shot[at] == reference[at] || Luminance(shot[at]) < 150) continue;
            hits.push_back({r, (x - px) / r, (y - py) / r});
            farthest = std::max(farthest, r);
        }
    double sx = 0, sy = 0;
    for (const Hit& h : hits)
        if (h.r >= farthest - 4) {
            sx += h.dx;
            sy += h.dy;
        }
    if (hits.empty()) return std::nullopt;
    const double degrees = std::atan2(sx, -sy) * 180.0 / 3.14159265358979323846;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

// The value a dial shows at a needle angle, for a dial whose needle frame n points
// (n - 1) x 2 degrees clockwise from 12 o'clock and whose frame for a value is `frameOf`: the
// middle of the values that give the frame nearest the angle (searched from `low` to `high`).
template <class FrameOf>
std::optional<double> DialValue(double degrees, FrameOf frameOf, double low, double high,
                                double step) {
    const int frame = static_cast<int>(std::lround(degrees / 2.0)) % 180 + 1;
    std::optional<double> first, last;
    for (double v = low; v <= high; v += step)
        if (frameOf(v) == frame) {
            if (!first) first = v;
            last = v;
        }
    if (!first) return std::nullopt;
    return 0.5 * (*first + *last);
}

}  // namespace testsupport
