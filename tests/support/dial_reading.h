// Reading a needle dial in a screenshot: the needle's direction about its pivot, found among the
// bright pixels that differ from a picture of the same dial with the needle elsewhere.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

inline double Luminance(std::uint32_t rgb) {
    return 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
}

// A bright pixel of `shot` (pixels 0xRRGGBB, `width` a row) that differs from `reference`,
// between two radii of a pivot: its distance and direction (unit vector, y down) from the pivot.
struct ChangedPixel {
    double r, dx, dy;
    // Degrees clockwise from 12 o'clock.
    [[nodiscard]] double Degrees() const {
        const double d = std::atan2(dx, -dy) * 180.0 / 3.14159265358979323846;
        return d < 0 ? d + 360.0 : d;
    }
};
inline std::vector<ChangedPixel> ChangedPixels(const std::vector<std::uint32_t>& shot,
                                               const std::vector<std::uint32_t>& reference,
                                               int width, int px, int py, double rMin,
                                               double rMax) {
    std::vector<ChangedPixel> out;
    const int height = width > 0 ? static_cast<int>(shot.size()) / width : 0;
    const int reach = static_cast<int>(rMax) + 1;
    for (int y = py - reach; y <= py + reach; ++y)
        for (int x = px - reach; x <= px + reach; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            const double r = std::hypot(x - px, y - py);
            if (r < rMin || r > rMax) continue;
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            if (shot[at] == reference[at] || Luminance(shot[at]) < 150) continue;
            out.push_back({r, (x - px) / r, (y - py) / r});
        }
    return out;
}

// Degrees clockwise from 12 o'clock of the needle in `shot`: the mean direction of the densest
// cluster of bright changed pixels between the radii (a thinner pointer that moved a little
// changes fewer of them). Nothing when no pixel of the annulus changed.
inline std::optional<double> NeedleDegrees(const std::vector<std::uint32_t>& shot,
                                           const std::vector<std::uint32_t>& reference, int width,
                                           int px, int py, double rMin, double rMax) {
    const std::vector<ChangedPixel> hits = ChangedPixels(shot, reference, width, px, py, rMin, rMax);
    if (hits.empty()) return std::nullopt;
    // Within about 6 degrees of each other: the cosine of the angle between them above 0.994.
    auto near = [](const ChangedPixel& a, const ChangedPixel& b) {
        return a.dx * b.dx + a.dy * b.dy > 0.994;
    };
    const ChangedPixel* centre = &hits.front();
    std::size_t most = 0;
    for (const ChangedPixel& h : hits) {
        const auto n = static_cast<std::size_t>(std::count_if(
            hits.begin(), hits.end(), [&](const ChangedPixel& o) { return near(h, o); }));
        if (n > most) {
            most = n;
            centre = &h;
        }
    }
    ChangedPixel sum{1, 0, 0};
    for (const ChangedPixel& h : hits)
        if (near(*centre, h)) {
            sum.dx += h.dx;
            sum.dy += h.dy;
        }
    return sum.Degrees();
}

// The direction holding the most bright changed pixels between the radii, smoothed over 9
// degrees, leaving out those within `skipWidth` degrees of `skip` (a longer hand already read): a
// wide hand among thinner ones. Nothing when fewer than `least` pixels are left.
inline std::optional<double> HandDegrees(const std::vector<std::uint32_t>& shot,
                                         const std::vector<std::uint32_t>& reference, int width,
                                         int px, int py, double rMin, double rMax, double skip,
                                         double skipWidth, int least) {
    int bins[360] = {};
    int total = 0;
    for (const ChangedPixel& h : ChangedPixels(shot, reference, width, px, py, rMin, rMax)) {
        const double d = h.Degrees();
        const double off = std::fmod(std::abs(d - skip), 360.0);
        if (std::min(off, 360.0 - off) <= skipWidth) continue;
        ++bins[static_cast<int>(d) % 360];
        ++total;
    }
    if (total < least) return std::nullopt;
    int best = 0, bestCount = -1;
    for (int b = 0; b < 360; ++b) {
        int count = 0;
        for (int k = -4; k <= 4; ++k) count += bins[(b + k + 360) % 360];
        if (count > bestCount) {
            bestCount = count;
            best = b;
        }
    }
    return best + 0.5;
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
