#include "world/runway_geometry.h"

#include <algorithm>
#include <cmath>

namespace world {

namespace {

std::uint32_t theRunningMask = 0x10000;

constexpr float kInset = 0.5f / 256.0f;  // half a texel inside each cell

void CellRect(int cell, float* u0, float* v0, float* u1, float* v1) {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    MarkingCellRect(cell, &x0, &y0, &x1, &y1);
    *u0 = x0 / 256.0f + kInset;
    *u1 = x1 / 256.0f - kInset;
    // The near edge (the pilot's side) is the bottom of the painted glyph.
    *v0 = y1 / 256.0f - kInset;
    *v1 = y0 / 256.0f + kInset;
}

constexpr std::uint16_t Mask(int firstBit, int lastBit) {
    std::uint16_t m = 0;
    for (int b = firstBit; b <= lastBit; ++b)
        m = static_cast<std::uint16_t>(m | (1u << b));
    return m;
}

}  // namespace

void MarkingCellRect(int cell, int* x0, int* y0, int* x1, int* y1) {
    cell = std::clamp(cell, 0, 15);
    *x0 = (cell % 4) * kMarkingCellWidth;
    *y0 = (cell / 4) * kMarkingCellHeight;
    *x1 = *x0 + kMarkingCellWidth;
    *y1 = *y0 + kMarkingCellHeight;
}

std::uint32_t RunwayLightMask() {
    return theRunningMask;
}

void SetRunwayLightMask(std::uint32_t mask) {
    theRunningMask = mask;
}

void StepRunwayLightMask() {
    // Sixteen places, bits 16 to 31 of the word, one per flight step.
    theRunningMask = theRunningMask >= 0x80000000u || theRunningMask < 0x10000u
                         ? 0x10000u
                         : theRunningMask << 1;
}

double GlideSlopeAngle(int code) {
    static const double kAngles[5] = {3.5, 3.25, 3.0, 2.75, 2.5};
    if (code < 1 || code > 10) return 0.0;
    return kAngles[(code - 1) / 2];
}

int GlideSlopeCode(double angle, int end) {
    static const double kAngles[5] = {3.5, 3.25, 3.0, 2.75, 2.5};
    for (int i = 0; i < 5; ++i)
        if (std::fabs(kAngles[i] - angle) < 1e-6) return i * 2 + (end == 1 ? 1 : 2);
    return 0;
}

RunwayEndInfo DecodeRunwayEnd(const RunwayRecord& r, int end) {
    RunwayEndInfo e;
    const std::uint32_t m = r.markings;
    if (end == 1) {
        e.marking = static_cast<int>(m & 7);
        e.glideSlope = static_cast<int>((m >> 3) & 31);
        e.approach = static_cast<int>((m >> 8) & 15);
        e.centreLine = (m >> 13) & 1;
        e.touchdownLights = (m >> 14) & 1;
        e.threshold = r.threshold1;
    } else {
        e.marking = static_cast<int>((m >> 15) & 7);
        e.glideSlope = static_cast<int>((m >> 18) & 31);
        e.approach = static_cast<int>((m >> 23) & 15);
        e.centreLine = (m >> 28) & 1;
        e.touchdownLights = (m >> 29) & 1;
        e.threshold = r.threshold2;
    }
    if (e.threshold < 0) e.threshold = 0;
    e.flags.stripes = e.marking >= 1 && e.marking <= 3;
    e.flags.touchdown = e.marking == 1;
    e.flags.caution = e.marking == 1 || e.marking == 2;
    e.flags.numbers = e.marking >= 1 && e.marking <= 4;
    e.flags.displaced = e.threshold != 0;
    return e;
}

RunwayNumber DecodeRunwayNumber(std::uint8_t code) {
    static const int kDesignators[4] = {-1, 15, 11, 10};
    RunwayNumber n;
    const int tens = code / 40;
    n.tens = tens != 0 ? tens : -1;
    n.units = (code % 40) / 4;
    n.designator = kDesignators[code & 3];
    return n;
}

// ---- building -------------------------------------------------------------------------------

RunwayGeometry::RunwayGeometry(const RunwayRecord& r, int markingSetting, int lightingSetting) {
    vertices.reserve(kMaxVertices);
    texCoords.reserve(kMaxTexCoords);
    faces.reserve(kMaxFaces);
    widthFeet = r.width;
    lengthFeet = r.length;
    // A runway without width or length has nothing to build (and would divide by zero).
    if (r.width <= 0 || r.length <= 0) return;
    halfWidth = r.width / 2.0;
    halfLength = r.length / 2.0;
    RunwayEndInfo e1 = DecodeRunwayEnd(r, 1);
    RunwayEndInfo e2 = DecodeRunwayEnd(r, 2);
    for (RunwayEndInfo* e : {&e1, &e2}) {
        if (markingSetting >= 1) e->flags.stripes = e->flags.touchdown = false;
        if (markingSetting >= 2) {
            e->flags.numbers = false;
            e->flags.displaced = false;
        }
    }
    BuildPavement((r.flags & 1) != 0);
    const double start1 = BuildEndMarkings(1, e1, r.end1Code, markingSetting);
    const double start2 = BuildEndMarkings(2, e2, r.end2Code, markingSetting);
    // The centre-line stripes between the two marking starts, the dashes repeating once a
    // runway width.
    const double span = r.length - start1 - start2;
    if (span > 0.0) {
        const double u = r.width / 256.0;
        const auto repeat = static_cast<float>(std::max(0.0, std::trunc(span / r.width + 0.5)));
        if (repeat > 0.0f)
            AddEndQuad(1, start1, r.length - start2, -5 * u, 5 * u, kCentreLineU0 + kInset, 0.0f,
                       1.0f - kInset, repeat, kMarkingMaterial);
    }

    if (lightingSetting < 2) {
        BuildEdgeLights(e1, e2);
        BuildThresholdLights(1, e1);
        BuildThresholdLights(2, e2);
    }
    if (lightingSetting < 1) {
        BuildCentreLineLights(1, e1, e2);
        BuildCentreLineLights(2, e2, e1);
        BuildTouchdownLights(1, e1);
        BuildTouchdownLights(2, e2);
        BuildApproachLights(1, e1);
        BuildApproachLights(2, e2);
        BuildGlideSlope(1, e1);
        BuildGlideSlope(2, e2);
    }
    const auto k = static_cast<float>(kFeetToShapeUnits);
    minX = static_cast<float>(-halfWidth) * k;
    maxX = static_cast<float>(halfWidth) * k;
    minY = static_cast<float>(-halfLength) * k;
    maxY = static_cast<float>(halfLength) * k;
}

void RunwayGeometry::EndToRunway(int end, double along, double across, double* x,
                                 double* y) const {
    // Seen landing on end 1 the pilot looks along +y with +x on his right; on end 2 both turn.
    if (end == 1) {
        *x = across;
        *y = -halfLength + along;
    } else {
        *x = -across;
        *y = halfLength - along;
    }
}

std::uint16_t RunwayGeometry::AddTexCoord(RunwayTexCoord t) {
    for (std::size_t i = 0; i < texCoords.size(); ++i)
        if (texCoords[i].u == t.u && texCoords[i].v == t.v) return static_cast<std::uint16_t>(i);
    if (static_cast<int>(texCoords.size()) >= kMaxTexCoords) return 0xFFFF;
    texCoords.push_back(t);
    return static_cast<std::uint16_t>(texCoords.size() - 1);
}

void RunwayGeometry::AddQuad(const RunwayVertex corners[4], const RunwayTexCoord tex[4],
                             int material) {
    // Every piece adds its four corners and its centre; a piece that does not fit is left out.
    if (static_cast<int>(faces.size()) >= kMaxFaces ||
        static_cast<int>(vertices.size()) + 5 > kMaxVertices) {
        ++dropped;
        return;
    }
    RunwayFace f{};
    const std::size_t texBefore = texCoords.size();
    for (int i = 0; i < 4; ++i) {
        f.tex[i] = AddTexCoord(tex[i]);
        if (f.tex[i] == 0xFFFF) {
            texCoords.resize(texBefore);
            ++dropped;
            return;
        }
    }
    const auto base = static_cast<std::uint16_t>(vertices.size());
    RunwayVertex centre{0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        vertices.push_back(corners[i]);
        f.vertex[i] = static_cast<std::uint16_t>(base + i);
        centre.x += corners[i].x * 0.25f;
        centre.y += corners[i].y * 0.25f;
        centre.z += corners[i].z * 0.25f;
    }
    vertices.push_back(centre);
    f.centre = static_cast<std::uint16_t>(base + 4);
    f.material = static_cast<std::uint16_t>(material);
    faces.push_back(f);
}

void RunwayGeometry::AddEndQuad(int end, double a0, double a1, double c0, double c1, float u0,
                                float v0, float u1, float v1, int material) {
    const auto k = kFeetToShapeUnits;
    const double along[4] = {a0, a0, a1, a1};
    const double across[4] = {c0, c1, c1, c0};
    const RunwayTexCoord tex[4] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    RunwayVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        double x = 0, y = 0;
        EndToRunway(end, along[i], across[i], &x, &y);
        corners[i] = RunwayVertex{static_cast<float>(x * k), static_cast<float>(y * k), 0.0f};
    }
    AddQuad(corners, tex, material);
}

void RunwayGeometry::AddCellQuad(int end, double a0, double a1, double c0, double c1, int cell) {
    float u0, v0, u1, v1;
    CellRect(cell, &u0, &v0, &u1, &v1);
    AddEndQuad(end, a0, a1, c0, c1, u0, v0, u1, v1, kMarkingMaterial);
}

void RunwayGeometry::BuildPavement(bool hard) {
    const double w = 2.0 * halfWidth, l = 2.0 * halfLength;
    const int material = hard ? kHardPavementMaterial : kSoftPavementMaterial;
    // An end square at each end (shorter on a runway less than two widths long) and the
    // stretch between, its texture repeating once a width.
    const double square = std::min(w, l / 2.0);
    const double repeat = std::max(0.0, std::trunc(l / w + 0.5) - 2.0);
    AddEndQuad(1, 0.0, square, -halfWidth, halfWidth, 0.0f, 0.0f, 1.0f,
               static_cast<float>(square / w), material);
    if (l - 2.0 * square > 0.0)
        AddEndQuad(1, square, l - square, -halfWidth, halfWidth, 0.0f, 0.0f, 1.0f,
                   static_cast<float>(std::max(repeat, 1.0)), material);
    AddEndQuad(2, 0.0, square, -halfWidth, halfWidth, 0.0f, 0.0f, 1.0f,
               static_cast<float>(square / w), material);
}

double RunwayGeometry::BuildEndMarkings(int end, const RunwayEndInfo& info, std::uint8_t code,
                                        int markingSetting) {
    const double u = 2.0 * halfWidth / 256.0;
    const double left = -128.0 * u;
    double m = 20.0 * u;
    if (markingSetting >= 2) return m;
    const RunwayMarkingFlags& f = info.flags;
    if (f.displaced && info.threshold > m) {
        const double t = info.threshold;
        const double arrowStart = std::max(m, t - 63.0 * u);
        if (arrowStart > m) AddCellQuad(end, m, arrowStart, -23.0 * u, 23.0 * u, kCellBar);
        const double arrows[4][2] = {{left + 14 * u, left + 60 * u},
                                     {left + 74 * u, -15 * u},
                                     {15 * u, -left - 74 * u},
                                     {-left - 60 * u, -left - 14 * u}};
        for (const auto& a : arrows)
            AddCellQuad(end, arrowStart, t, a[0], a[1], kCellArrow);
        m = t;
        AddCellQuad(end, m, m + 10.0, left, -left, kCellBar);
        m += 20.0;
    }
    if (f.stripes) {
        AddCellQuad(end, m, m + 256.0 * u, left + 10 * u, -10 * u, kCellStripes);
        AddCellQuad(end, m, m + 256.0 * u, 10 * u, -left - 10 * u, kCellStripes);
        m += 272.0 * u;
    }
    if (f.numbers) {
        const RunwayNumber n = DecodeRunwayNumber(code);
        if (n.designator >= 0) {
            AddCellQuad(end, m, m + 64.0 * u, -32 * u, 32 * u, n.designator);
            m += 76.0 * u;
        }
        if (n.tens >= 0) {
            AddCellQuad(end, m, m + 64.0 * u, -64 * u, 0.0, n.tens);
            AddCellQuad(end, m, m + 64.0 * u, 0.0, 64 * u, n.units);
        } else {
            AddCellQuad(end, m, m + 64.0 * u, -32 * u, 32 * u, n.units);
        }
        m += 76.0 * u;
    }
    if (f.touchdown) {
        // Six groups from 500 ft past the threshold, a bar either side of the quarter lines.
        const double start = info.flags.displaced ? info.threshold : 0.0;
        const double q = 64.0 * u;
        for (int g = 1; g <= 6; ++g) {
            const double a = start + 500.0 * g;
            if (a + 122.0 * u > halfLength * 2.0 - 20.0 * u) break;
            double inner = 23.0 * u, outer = 23.0 * u, length = 122.0 * u;
            int cell = kCellStripes;
            if (g == 2) {
                inner = 28.0 * u;
                outer = 22.0 * u;
                length = 256.0 * u;
                cell = kCellBar;
            } else if (g >= 5) {
                inner = 11.0 * u;
                outer = 10.0 * u;
                cell = kCellBar;
            }
            AddCellQuad(end, a, a + length, -q - outer, -q + inner, cell);
            AddCellQuad(end, a, a + length, q - inner, q + outer, cell);
        }
    }
    return m;
}

// ---- lights ---------------------------------------------------------------------------------

void RunwayGeometry::AddLight(std::vector<RunwayLight>& list, double xFeet, double yFeet,
                              std::uint16_t code, std::uint16_t mask) {
    const auto k = kFeetToShapeUnits;
    list.push_back(RunwayLight{static_cast<float>(xFeet * k), static_cast<float>(yFeet * k), 0.0f,
                               static_cast<std::uint32_t>(code) |
                                   (static_cast<std::uint32_t>(mask) << 16)});
}

void RunwayGeometry::AddTwoWay(double x, double y, std::uint16_t toward2, std::uint16_t toward1) {
    if (toward2 == toward1) {
        AddLight(bothWays, x, y, toward2);
    } else {
        AddLight(towardEnd2, x, y, toward2);
        AddLight(towardEnd1, x, y, toward1);
    }
}

void RunwayGeometry::AddApproachLight(int end, double along, double across, std::uint16_t code,
                                      std::uint16_t mask) {
    double x = 0, y = 0;
    EndToRunway(end, along, across, &x, &y);
    AddLight(end == 1 ? towardEnd2 : towardEnd1, x, y, code, mask);
}

void RunwayGeometry::BuildEdgeLights(const RunwayEndInfo& e1, const RunwayEndInfo& e2) {
    const double l = 2.0 * halfLength;
    const double d = 2.0 * halfWidth / 30.0;
    const int n = static_cast<int>(std::trunc((l + 2.0 * d) / 200.0));
    for (int i = 1; i <= n; ++i) {
        // Evenly from one end to the other; a single light stands mid-runway.
        const double y = n == 1 ? 0.0 : -halfLength - d + (i - 1) * (l + 2.0 * d) / (n - 1);
        // The end of the runway ahead shows amber to a pilot who landed on the other end.
        const bool firstPart = i < 10 && i <= n / 2.0;
        const bool lastPart = i > n - 10 && i >= n / 2.0;
        const std::uint16_t toward2 = (lastPart && e1.flags.caution) ? kLightAmber : kLightWhite;
        const std::uint16_t toward1 = (firstPart && e2.flags.caution) ? kLightAmber : kLightWhite;
        for (const double x : {-halfWidth - d, halfWidth + d})
            AddTwoWay(x, y, toward2, toward1);
    }
}

void RunwayGeometry::BuildThresholdLights(int end, const RunwayEndInfo& info) {
    const double d = 2.0 * halfWidth / 30.0;
    const double offsets[4] = {0.0, 10.0, 20.0, 30.0};
    // Green toward the approach (red past a displaced threshold), red toward the runway.
    const std::uint16_t approach = info.flags.displaced ? kLightRed : kLightGreen;
    for (const double o : offsets) {
        for (const double side : {-1.0, 1.0}) {
            double x = 0, y = 0;
            EndToRunway(end, -d, side * (halfWidth - o), &x, &y);
            if (end == 1)
                AddTwoWay(x, y, approach, kLightRed);
            else
                AddTwoWay(x, y, kLightRed, approach);
            if (info.flags.displaced)
                AddApproachLight(end, info.threshold, side * (halfWidth + o), kLightGreen);
        }
    }
}

void RunwayGeometry::BuildCentreLineLights(int end, const RunwayEndInfo& info,
                                           const RunwayEndInfo& other) {
    if (!info.centreLine) return;
    const double l = 2.0 * halfLength;
    const int n = static_cast<int>(std::trunc(l / 50.0));
    for (int k = 1; k <= n; ++k) {
        // Counted from the far end of the landing direction.
        const double fromFar = (k - 1) * 50.0 + 25.0;
        const double along = l - fromFar;
        // Inside a displaced threshold shorter than 700 ft there are none.
        if (info.threshold > 0 && info.threshold < 700 && along < info.threshold) continue;
        if (other.threshold > 0 && other.threshold < 700 && fromFar < other.threshold) continue;
        std::uint16_t code = kLightWhite;
        if (k <= 20)
            code = kLightRed;
        else if (k <= 60 && fromFar <= halfLength && (k % 2) == 1)
            code = kLightRed;
        AddApproachLight(end, along, 0.0, code);
    }
}

void RunwayGeometry::BuildTouchdownLights(int end, const RunwayEndInfo& info) {
    if (!info.touchdownLights) return;
    const double remaining = 2.0 * halfLength - info.threshold;
    const int rows = remaining >= 6000.0 ? 30 : static_cast<int>(std::trunc(remaining / 2.0 / 100.0));
    for (int r = 1; r <= rows; ++r) {
        const double along = info.threshold + 100.0 * r;
        for (const double c : {36.0, 41.0, 46.0}) {
            AddApproachLight(end, along, -c, kLightWhite);
            AddApproachLight(end, along, c, kLightWhite);
        }
    }
}

void RunwayGeometry::BuildApproachLights(int end, const RunwayEndInfo& info) {
    const double t = info.threshold;  // rows count outward from the (displaced) threshold
    auto at = [&](double outward, double across, std::uint16_t code,
                  std::uint16_t mask = kSteadyMask) {
        AddApproachLight(end, t - outward, across, code, mask);
    };
    auto greenBar = [&](double first, double step, int pairs) {
        for (int k = 0; k < pairs; ++k) {
            at(5.0, -(first + step * k), kLightGreen);
            at(5.0, first + step * k, kLightGreen);
        }
    };
    auto bars = [&](double spacing, int rowCount, std::initializer_list<double> xs) {
        for (int r = 1; r <= rowCount; ++r)
            for (const double x : xs)
                at(spacing * r, x, kLightWhite);
    };
    auto crossbar = [&](double outward, double first, double step, int each) {
        for (int k = 0; k < each; ++k) {
            at(outward, -(first + step * k), kLightWhite);
            at(outward, first + step * k, kLightWhite);
        }
    };
    const std::uint16_t kType6Masks[5] = {Mask(9, 10), Mask(7, 8), Mask(5, 6), Mask(3, 4),
                                          Mask(1, 2)};
    auto type6Flashers = [&] {
        for (int i = 0; i < 5; ++i)
            at(1600.0 + 200.0 * i, 0.0, kLightFlasher, kType6Masks[i]);
    };
    const double w2 = halfWidth;
    switch (info.approach) {
        case 1:
        case 2:
        case 3:
            for (int r = 1; r <= 9; ++r)
                for (const double c : {36.0, 41.0, 46.0}) {
                    at(100.0 * r, -c, kLightRed);
                    at(100.0 * r, c, kLightRed);
                }
            bars(100.0, 24, {-6.0, -2.0, 0.0, 2.0, 6.0});
            crossbar(500.0, 16.76, 5.0, 4);
            crossbar(1000.0, 19.34, 5.0, 8);
            for (int r = 10; r <= 24; ++r)
                at(100.0 * r, 0.0, kLightFlasher, static_cast<std::uint16_t>(1u << (24 - r)));
            greenBar(3.22, 5.0, static_cast<int>(std::trunc((w2 + 45.0) / 5.0 + 0.5)));
            break;
        case 4:
        case 5:
        case 6:
            bars(200.0, 7, {-5.0, -2.5, 0.0, 2.5, 5.0});
            crossbar(1000.0, 29.65, 2.5, 5);
            greenBar(6.45, 10.0, static_cast<int>(std::trunc((w2 + 10.0) / 10.0 + 0.5)));
            if (info.approach == 5) {
                at(1000.0, 0.0, kLightFlasher, Mask(7, 9));
                at(1200.0, 0.0, kLightFlasher, Mask(5, 7));
                at(1400.0, 0.0, kLightFlasher, Mask(3, 5));
            } else if (info.approach == 6) {
                type6Flashers();
            }
            break;
        case 9:
            bars(200.0, 7, {-6.0, -2.0, 0.0, 2.0, 6.0});
            crossbar(1000.0, 19.34, 5.0, 5);
            type6Flashers();
            greenBar(6.45, 10.0, static_cast<int>(std::trunc((w2 + 10.0) / 10.0 + 0.5)));
            break;
        case 11: {
            const std::uint16_t masks[5] = {0x8080, 0x6060, 0x1818, 0x0404, 0x0303};
            for (int i = 0; i < 5; ++i) {
                double x = 0, y = 0;
                EndToRunway(end, t - 300.0 * (i + 1), 0.0, &x, &y);
                AddLight(bothWays, x, y, kLightFlasher, masks[i]);
            }
            for (const double side : {-1.0, 1.0}) {
                double x = 0, y = 0;
                EndToRunway(end, t, side * (w2 + 40.0), &x, &y);
                AddLight(bothWays, x, y, kLightFlasher, 0xC0C0);
            }
            break;
        }
        default:
            break;
    }
}

void RunwayGeometry::BuildGlideSlope(int end, const RunwayEndInfo& info) {
    const double bar1 = 200.0 + info.threshold;
    const double bars[3] = {bar1, bar1 + 700.0, bar1 + 1400.0};
    auto light = [&](double along, double across, double angle) {
        AddApproachLight(end, along, across, static_cast<std::uint16_t>(GlideSlopeCode(angle, end)));
    };
    const double w2 = halfWidth;
    // Left and right as seen landing on the end.
    auto twoBar = [&](double side, int perBar) {
        const double angles[2] = {2.5, 3.0};
        for (int b = 0; b < 2; ++b)
            for (int i = 0; i < perBar; ++i)
                light(bars[b], side * (w2 + 16.0 * i), angles[b]);
    };
    auto threeBar = [&](double side, int perBar) {
        const double angles[3] = {2.75, 3.0, 3.25};
        for (int b = 0; b < 3; ++b)
            for (int i = 0; i < perBar; ++i)
                light(bars[b], side * (w2 + 50.0 + 16.0 * i), angles[b]);
    };
    switch (info.glideSlope) {
        case 3:
        case 4:
        case 6:
        case 16:
        case 18:
            twoBar(-1.0, 1);
            break;
        case 5:
        case 7:
        case 17:
        case 19:
            twoBar(1.0, 1);
            break;
        case 8:
            twoBar(-1.0, 2);
            break;
        case 9:
            twoBar(1.0, 2);
            break;
        case 10:
            threeBar(-1.0, 3);
            break;
        case 11:
            threeBar(1.0, 3);
            break;
        case 12:
        case 13:
        case 14:
        case 15: {
            const double angles[4] = {3.5, 3.25, 2.75, 2.5};
            for (int i = 0; i < 4; ++i)
                light(info.threshold + 1000.0, -(w2 + 55.0 + 30.0 * i), angles[i]);
            break;
        }
        case 22: {
            const double angles[2] = {2.5, 3.0};
            for (int b = 0; b < 2; ++b)
                for (const double o : {50.0, 66.0, 82.0}) {
                    light(bars[b], -(w2 + o), angles[b]);
                    light(bars[b], w2 + o, angles[b]);
                }
            break;
        }
        case 23: {
            const double angles[3] = {2.75, 3.0, 3.25};
            for (int b = 0; b < 3; ++b)
                for (const double o : {50.0, 66.0, 82.0}) {
                    light(bars[b], -(w2 + o), angles[b]);
                    light(bars[b], w2 + o, angles[b]);
                }
            break;
        }
        default:
            break;
    }
}

}  // namespace world
