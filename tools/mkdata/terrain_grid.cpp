// The public elevation grid (data/elevation-us, gridMET's elevation grid, University of Idaho;
// Abatzoglou 2013): each cell's mean height on a grid of 1/24 degree over the 48 states. The
// ground's large shape comes from it wherever it has cells: read between the cell centres
// bicubically, it keeps each cell's mean; what it cannot say (the detail inside a cell) the
// made-up relief adds, zero on average. Cells whose mean the source clipped at 3,276.7 m are
// raised toward the published summits round them, and the deeper inside a clipped range a cell
// lies the higher it stands, with the detail of rough high country: no flat table at the clip. A cell whose neighbours rise on both sides of
// it holds a valley narrower than itself: its mean stands above the floor, where the towns and
// the rivers lie, so such a cell is lowered toward its floor by a share of how far the lower
// side rises, and the detail made up inside it dies down (the floor is flat, the walls beyond).
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

namespace {

constexpr double kFeetPerMetre = 1.0 / 0.3048;
constexpr std::int16_t kNoData = -32768;
constexpr std::int16_t kClipped = 32767;
constexpr double kClipFeet = 3276.7 * kFeetPerMetre;
// A clipped cell holding a summit stands this share of the summit's height above the clip; the
// share falls to none kClipReach away.
constexpr double kClipShare = 0.25;
constexpr double kClipReach = 8.0;  // km
// A valley cell's mean comes down by this share of how far its lower side rises above it, at
// most kValleyMost; the made-up detail inside it is gone when it comes down kValleyCalm.
constexpr double kValleyShare = 0.3;
constexpr double kValleyMost = 600.0;  // feet
constexpr double kValleyCalm = 250.0;  // feet
// A clipped cell stands kClipRing higher for each ring of clipped cells round it (less half a
// ring at the edge), at most kClipDome above the clip, with detail as rough as kClipRough says.
constexpr double kClipRing = 200.0;   // feet
constexpr double kClipDome = 600.0;   // feet
constexpr double kClipRough = 600.0;  // feet
constexpr int kAcross[4][2] = {{0, 1}, {1, 0}, {1, 1}, {1, -1}};

}  // namespace

int ElevationGrid::Read(const std::string& dataDir, std::string* error) {
    const std::string path = dataDir + "/elevation-us/conus_dem_2p5min.i16";
    std::ifstream in(path, std::ios::binary);
    if (!in) return 1;  // a data folder without the grid: the ground as beyond it everywhere
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != static_cast<std::size_t>(kRows) * kColumns * 2) {
        *error = path + " must hold " + std::to_string(kRows) + " x " + std::to_string(kColumns) +
                 " 16-bit heights";
        return 0;
    }
    feet.assign(static_cast<std::size_t>(kRows) * kColumns, 0.0f);
    valid.assign(feet.size(), 0);
    clipped.assign(feet.size(), 0);
    for (std::size_t k = 0; k < feet.size(); ++k) {
        const auto v = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k])) |
            static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
        if (v == kNoData) continue;
        valid[k] = 1;
        clipped[k] = v == kClipped ? 1 : 0;
        feet[k] = static_cast<float>(v * 0.1 * kFeetPerMetre);
    }
    // How much the cells round each differ from it: the detail a cell hides grows with it.
    rough.assign(feet.size(), 0.0f);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::size_t k = Index(r, c);
            if (!valid[k]) continue;
            double sum = 0.0;
            int n = 0;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if ((dr == 0 && dc == 0) || rr < 0 || rr >= kRows || cc < 0 ||
                        cc >= kColumns || !valid[Index(rr, cc)]) {
                        continue;
                    }
                    const double d = feet[Index(rr, cc)] - feet[k];
                    sum += d * d;
                    ++n;
                }
            rough[k] = n > 0 ? static_cast<float>(std::sqrt(sum / n)) : 0.0f;
        }
    // Valleys narrower than a cell: across one of its four lines of neighbours (east and west,
    // north and south, the two diagonals) the ground rises on both sides.
    std::vector<float> drop(feet.size(), 0.0f);
    for (int r = 1; r + 1 < kRows; ++r)
        for (int c = 1; c + 1 < kColumns; ++c) {
            const std::size_t k = Index(r, c);
            if (!valid[k] || clipped[k]) continue;
            double rise = 0.0;
            for (const auto& [dr, dc] : kAcross) {
                const std::size_t a = Index(r + dr, c + dc), b = Index(r - dr, c - dc);
                if (!valid[a] || !valid[b]) continue;
                rise = std::max(rise, std::min(feet[a], feet[b]) - double{feet[k]});
            }
            drop[k] = static_cast<float>(std::min(kValleyShare * rise, kValleyMost));
        }
    for (std::size_t k = 0; k < feet.size(); ++k) {
        feet[k] -= drop[k];
        rough[k] *= static_cast<float>(std::max(0.0, 1.0 - drop[k] / kValleyCalm));
    }
    return 1;
}

void ElevationGrid::RaiseClipped(const std::vector<Summit>& summits) {
    struct Top {
        double lat, lon, feet;
    };
    std::vector<Top> tops;
    for (const Summit& s : summits) {
        if (s.feet <= kClipFeet) continue;
        Top t{0, 0, s.feet};
        ToGeo(s.at, &t.lat, &t.lon);
        tops.push_back(t);
    }
    // How many rings of clipped cells lie round each clipped cell: 1 beside a cell the source
    // measured, counted outward from those.
    std::vector<int> ring(feet.size(), 0);
    std::vector<std::size_t> front;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::size_t k = Index(r, c);
            if (!clipped[k]) continue;
            for (int dr = -1; dr <= 1 && ring[k] == 0; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if (rr >= 0 && rr < kRows && cc >= 0 && cc < kColumns &&
                        valid[Index(rr, cc)] && !clipped[Index(rr, cc)]) {
                        ring[k] = 1;
                        break;
                    }
                }
            if (ring[k] == 1) front.push_back(k);
        }
    for (int depth = 1; !front.empty(); ++depth) {
        std::vector<std::size_t> next;
        for (const std::size_t k : front) {
            const int r = static_cast<int>(k / kColumns), c = static_cast<int>(k % kColumns);
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if (rr < 0 || rr >= kRows || cc < 0 || cc >= kColumns) continue;
                    const std::size_t n = Index(rr, cc);
                    if (!clipped[n] || ring[n] != 0) continue;
                    ring[n] = depth + 1;
                    next.push_back(n);
                }
        }
        front = std::move(next);
    }
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::size_t k = Index(r, c);
            if (!clipped[k]) continue;
            const double lat = kNorth - r * kStep, lon = kWest + c * kStep;
            const int rings = std::max(ring[k], 1);
            double best = kClipFeet + std::min(kClipRing * (rings - 0.5), kClipDome);
            rough[k] = std::max(rough[k], static_cast<float>(kClipRough));
            for (const Top& t : tops) {
                const double dy = (t.lat - lat) * 111.2;
                const double dx = (t.lon - lon) * 111.2 * std::cos(lat * 3.14159265358979 / 180);
                const double share = kClipShare * std::max(0.0, 1.0 - std::hypot(dx, dy) / kClipReach);
                best = std::max(best, kClipFeet + (t.feet - kClipFeet) * share);
            }
            feet[k] = static_cast<float>(best);
        }
}

double ElevationGrid::At(double lat, double lon, double* cover, double* rough_) const {
    *cover = 0.0;
    if (rough_ != nullptr) *rough_ = 0.0;
    if (feet.empty()) return 0.0;
    const double fr = (kNorth - lat) / kStep, fc = (lon - kWest) / kStep;
    const int r = static_cast<int>(std::floor(fr)), c = static_cast<int>(std::floor(fc));
    if (r < -1 || r >= kRows || c < -1 || c >= kColumns) return 0.0;
    const double v = fr - r, u = fc - c;
    auto ok = [&](int rr, int cc) {
        return rr >= 0 && rr < kRows && cc >= 0 && cc < kColumns && valid[Index(rr, cc)];
    };
    // The bilinear weights of the four cells round the point tell how much of it the grid holds.
    const double w[4] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
    const int at[4][2] = {{r, c}, {r, c + 1}, {r + 1, c}, {r + 1, c + 1}};
    double sw = 0.0, sv = 0.0, sr = 0.0;
    for (int k = 0; k < 4; ++k) {
        if (!ok(at[k][0], at[k][1])) continue;
        sw += w[k];
        sv += w[k] * feet[Index(at[k][0], at[k][1])];
        sr += w[k] * rough[Index(at[k][0], at[k][1])];
    }
    if (sw <= 1e-9) return 0.0;
    *cover = sw;
    if (rough_ != nullptr) *rough_ = sr / sw;
    // Bicubic (Catmull-Rom) where all sixteen cells round the point hold data.
    for (int b = -1; b <= 2; ++b)
        for (int a = -1; a <= 2; ++a)
            if (!ok(r + b, c + a)) return sv / sw;
    return CatmullRomSurface(
        u, v, [&](int a, int b) { return double{feet[Index(r - 1 + b, c - 1 + a)]}; });
}

}  // namespace mkdata::terrain
