#include "cockpit/vector_needles.h"

#include <cmath>

#include "gfx/draw_table.h"
#include "gfx/surface.h"

namespace cockpit {

namespace {

constexpr double kVectorNeedlesPi = 3.14159265359;

// The work angle of a compass angle, in radians: 450 - angle, less 360 above 360.
double WorkAngle(double degrees) {
    double a = 450.0 - degrees;
    if (a > 360.0) a -= 360.0;
    return a * kVectorNeedlesPi / 180.0;
}

IntPoint Along(IntPoint from, double length, double radians) {
    return {from.x + RoundNearest(length * std::cos(radians)),
            from.y - RoundNearest(length * std::sin(radians))};
}

void Line(IntPoint a, IntPoint b, std::int32_t colour) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawSegment == nullptr) return;
    t->DrawSegment(s, {a.x, a.y}, {b.x, b.y}, static_cast<std::uint32_t>(colour) & 0xFF);
}

}  // namespace

IntPoint NeedlePoint(IntPoint centre, double radius, double degrees) {
    return Along(centre, radius, WorkAngle(degrees));
}

void DrawArrowNeedle(PanelGauge& gauge, IntPoint centre, std::int32_t radius, double angle,
                     std::int32_t colour) {
    const double a = WorkAngle(angle);
    const IntPoint tip = Along(centre, radius, a);
    auto& p = gauge.needlePolygon;
    p.vertices[0] = tip;
    p.vertices[1] = Along(tip, 8.0, a + 150.0 * kVectorNeedlesPi / 180.0);
    p.vertices[2] = Along(tip, 8.0, a + 210.0 * kVectorNeedlesPi / 180.0);
    p.Fill(colour);
}

void DrawLineNeedle(IntPoint centre, std::int32_t radius, double angle, std::int32_t colour) {
    const double a = WorkAngle(angle);
    const IntPoint tip = Along(centre, radius, a);
    Line(centre, tip, colour);
    Line(tip, Along(tip, 9.7, a + 165.0 * kVectorNeedlesPi / 180.0), colour);
    Line(tip, Along(tip, 9.7, a + 195.0 * kVectorNeedlesPi / 180.0), colour);
}

void DrawDoubleNeedle(IntPoint centre, std::int32_t radius, double angle, std::int32_t colour) {
    const double a = WorkAngle(angle);
    const double ux = std::cos(a), uy = std::sin(a);
    const double nx = std::cos(a + kVectorNeedlesPi / 2), ny = std::sin(a + kVectorNeedlesPi / 2);
    auto at = [&](double u, double n) {
        return IntPoint{centre.x + RoundNearest(u * ux + n * nx),
                        centre.y - RoundNearest(u * uy + n * ny)};
    };
    const double r = radius;
    const double base = r - 9.0;
    const double tail = base - (2.0 * r - 10.0);
    const IntPoint tip = at(r, 0);
    Line(tip, at(base, 4), colour);
    Line(tip, at(base, -4), colour);
    Line(at(base, 4), at(base, -4), colour);
    Line(at(base, 2), at(tail, 2), colour);
    Line(at(base, -2), at(tail, -2), colour);
    Line(at(tail, 2), at(tail, -2), colour);
}

}  // namespace cockpit
