// The GPS window's map page and its copy into the view.
#include <algorithm>
#include <cmath>

#include "cockpit/gps_display.h"
#include "flight/flight_model_state.h"
#include "gfx/surface.h"
#include "nav/nav_database.h"

namespace cockpit {

namespace {

// Small symbols, one bit a pixel, 5 x 5, row by row from the top.
constexpr std::uint32_t kAirportGlyph = 0b01110'10001'10101'10001'01110;
constexpr std::uint32_t kVorGlyph = 0b11111'10001'10101'10001'11111;
constexpr std::uint32_t kNdbGlyph = 0b00100'01010'10101'01010'00100;
constexpr std::uint32_t kIntersectionGlyph = 0b00100'00100'11111'00100'00100;
constexpr std::uint32_t kAircraftGlyph = 0b00100'01110'11111'00100'01110;

struct Canvas {
    std::vector<std::uint8_t>& pixels;
    int width;
    int height;
    void Put(int x, int y, std::uint8_t c) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<std::size_t>(y) * width + x] = c;
    }
    void Glyph(int cx, int cy, std::uint32_t bits, std::uint8_t c) {
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col)
                if ((bits >> (24 - row * 5 - col)) & 1u) Put(cx - 2 + col, cy - 2 + row, c);
    }
};

}  // namespace

void GpsDisplay::DrawPage() {
    DrawFrame(true);
    Canvas canvas{page, width, height};
    const int bl = std::max(1, borderLeft), br = std::max(1, borderRight);
    const int bt = std::max(1, borderTop), bb = std::max(1, borderBottom);

    const flight::FlightModelState& s = flight::theFlightModelState;
    const double heading = s.fmHead * 2.0 * M_PI / 65536.0;
    const double cx = bl + (width - bl - br) / 2.0;
    const double cy = bt + (height - bt - bb) / 2.0;
    const double radius = (std::max(width, height) / 2.0) / std::max(pixelsPerUnit, 1e-12);
    // Heading up: a point straight ahead lies above the aircraft.
    auto draw = [&](std::int32_t x, std::int32_t z, std::uint32_t glyph, std::uint8_t c) {
        const double dx = static_cast<double>(x) - s.fmPosX;
        const double dz = static_cast<double>(z) - s.fmPosZ;
        if (std::fabs(dx) > radius || std::fabs(dz) > radius) return;
        const double r = std::hypot(dx, dz) * pixelsPerUnit;
        const double a = std::atan2(dx, dz) - heading;
        const int px = static_cast<int>(std::lround(cx + r * std::sin(a)));
        const int py = static_cast<int>(std::lround(cy - r * std::cos(a)));
        if (px < bl + 2 || py < bt + 2 || px >= width - br - 2 || py >= height - bb - 2) return;
        canvas.Glyph(px, py, glyph, c);
    };
    const nav::NavDatabase& db = nav::theNavDatabase;
    for (const auto& a : db.airports)
        draw(a.x, a.z, kAirportGlyph, colors[kAptIcon]);
    for (const auto& v : db.vors)
        draw(v.x, v.z, kVorGlyph, colors[kVorIcon]);
    for (const auto& n : db.ndbs)
        draw(n.x, n.z, kNdbGlyph, colors[kNdbIcon]);
    for (const auto& w : db.waypoints)
        draw(w.x, w.z, kIntersectionGlyph, colors[kIntIcon]);
    canvas.Glyph(static_cast<int>(cx), static_cast<int>(cy), kAircraftGlyph, colors[kPlnIcon]);
}

void GpsDisplay::Update(gfx::GFXSurface* target, const std::array<GpsRgb, 256>* palette,
                        std::uint32_t nowMs) {
    if (!shown) return;
    if (LoadColors(0, palette) != 0) redrawNow = true;
    if (redrawNow || static_cast<std::int32_t>(nowMs - nextRedraw) >= 0 ||
        page.size() != static_cast<std::size_t>(width) * height) {
        redrawNow = false;
        nextRedraw = nowMs + 500;
        Redraw();
    }
    if (target == nullptr || target->AcquireLock() == 0) return;
    const int right = std::min(x + width, target->width);
    const int bottom = std::min(y + height, target->height);
    for (int row = std::max(0, y); row < bottom; ++row) {
        const int left = std::max(0, x);
        if (right <= left) break;
        std::copy_n(&page[static_cast<std::size_t>(row - y) * width + (left - x)], right - left,
                    target->pixels + static_cast<std::ptrdiff_t>(row) * target->stride + left);
    }
    target->ReleaseLock();
}

}  // namespace cockpit
