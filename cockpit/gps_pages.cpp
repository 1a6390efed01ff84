// The GPS window's pages: the moving map with its layers (airports with their runways,
// localisers and ATIS, VORs, NDBs, intersections, obstacles, victor airways, the aircraft), the
// information box of the page, the range in the top border, and the copy into the view.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cockpit/aircraft_kind.h"
#include "cockpit/gps_display.h"
#include "flight/flight_model_state.h"
#include "gfx/font.h"
#include "gfx/surface.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"
#include "world/airport_objects.h"

namespace cockpit {

namespace {

constexpr double kGpsPagesTwoPi = 6.283185307179586;
constexpr double kUnitsPerFoot = 0.3048 * 256.0;
constexpr double kGpsPagesUnitsPerMile = 1852.0 * 256.0;
// Airports and their localisers are looked for at least this far round the map's centre (about
// 4.35 NM), so that on a small map a field just beyond its edge still shows the runways and the
// localiser wedges that reach into it.
constexpr double kAirportReach = 0x1F6EB8;
// Symbol glyphs.
constexpr int kAirportSymbol = 0;
constexpr int kVorSymbol = 1;
constexpr int kNdbSymbol = 2;
constexpr int kIntersectionSymbol = 3;
constexpr int kObstacleSymbol = 4;
constexpr int kAircraftSymbol = 5;  // then one a heading octant, clockwise from north
// Line height of the information box.
constexpr int kBoxLine = 9;
// Victor labels nearer than this to a placed one join it; a joined label stays this short.
constexpr int kLabelMerge = 5;
constexpr std::size_t kLabelLength = 31;

// The window's picture with a clip rectangle (right and bottom excluded).
struct Canvas {
    std::vector<std::uint8_t>& pixels;
    int width;
    int height;
    int left = 0, top = 0, right = 0, bottom = 0;

    void Put(int x, int y, std::uint8_t c) {
        if (x >= left && y >= top && x < right && y < bottom)
            pixels[static_cast<std::size_t>(y) * width + x] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t c) {
        for (int y = std::max(y0, top); y < std::min(y1, bottom); ++y)
            for (int x = std::max(x0, left); x < std::min(x1, right); ++x)
                pixels[static_cast<std::size_t>(y) * width + x] = c;
    }
    // 4 beyond the right edge, 8 left of the left edge, 1 below the bottom, 2 above the top.
    [[nodiscard]] int Outcode(double x, double y) const {
        return (x > right - 1 ? 4 : 0) | (x < left ? 8 : 0) | (y > bottom - 1 ? 1 : 0) |
               (y < top ? 2 : 0);
    }
    void Line(double x0, double y0, double x1, double y1, std::uint8_t c) {
        int a = Outcode(x0, y0), b = Outcode(x1, y1);
        for (int guard = 0; (a | b) != 0; ++guard) {
            if ((a & b) != 0 || guard > 8) return;
            const int out = a != 0 ? a : b;
            double x = 0, y = 0;
            if (out & 4) y = y0 + (y1 - y0) * (right - 1 - x0) / (x1 - x0), x = right - 1;
            else if (out & 8) y = y0 + (y1 - y0) * (left - x0) / (x1 - x0), x = left;
            else if (out & 1) x = x0 + (x1 - x0) * (bottom - 1 - y0) / (y1 - y0), y = bottom - 1;
            else x = x0 + (x1 - x0) * (top - y0) / (y1 - y0), y = top;
            if (out == a) x0 = x, y0 = y, a = Outcode(x0, y0);
            else x1 = x, y1 = y, b = Outcode(x1, y1);
        }
        const int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
        for (int i = 0; i <= steps; ++i)
            Put(static_cast<int>(std::lround(x0 + (x1 - x0) * i / steps)),
                static_cast<int>(std::lround(y0 + (y1 - y0) * i / steps)), c);
    }
    // A glyph's inked pixels in one colour, its top-left at (x, y).
    void Glyph(const gfx::GFXBitmap* g, int x, int y, std::uint8_t c) {
        if (g == nullptr) return;
        for (int row = 0; row < g->height; ++row) {
            const std::uint8_t* p = g->Row(row);
            for (int col = 0; col < g->width; ++col)
                if (p[col] != 0) Put(x + col, y + row, c);
        }
    }
    // Text from its top-left; the right end.
    int Text(const gfx::GFXFont* font, int x, int y, const char* text, std::uint8_t c) {
        if (font == nullptr) return x;
        for (const char* p = text; *p != '\0'; ++p) {
            const gfx::GFXBitmap* g = font->GetGlyph(static_cast<std::uint8_t>(*p), nullptr);
            if (g == nullptr) continue;
            Glyph(g, x, y, c);
            x += g->width + font->spacing;
        }
        return x;
    }
};

int TextWidth(const gfx::GFXFont* font, const char* text) {
    return font != nullptr && *text != '\0'
               ? font->GetStringWidth(gfx::GFXFontText(font, text).c_str())
               : 0;
}

int TextHeight(const gfx::GFXFont* font) {
    return font != nullptr ? font->cellHeight : 0;
}

// "%d.%d" of a tenths count.
std::string Tenths(int tenths, const char* unit) {
    char s[32];
    std::snprintf(s, sizeof s, "%d.%d%s", tenths / 10, std::abs(tenths % 10), unit);
    return s;
}

std::string LatLonText(double degrees, char positive, char negative) {
    const char hemisphere = degrees < 0 ? negative : positive;
    degrees = std::fabs(degrees);
    int whole = static_cast<int>(degrees);
    int hundredths = static_cast<int>(std::lround((degrees - whole) * 6000.0));
    if (hundredths >= 6000) ++whole, hundredths -= 6000;
    char s[32];
    std::snprintf(s, sizeof s, "%c%d %02d.%02d", hemisphere, whole, hundredths / 100,
                  hundredths % 100);
    return s;
}

std::string Bcd(std::uint16_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "1%02x.%02x", v >> 8, v & 0xFF);
    return s;
}

std::string Megahertz(int hundredths) {
    char s[16];
    std::snprintf(s, sizeof s, "%d.%02d", hundredths / 100, hundredths % 100);
    return s;
}

std::string Designator(std::uint8_t runway) {
    static constexpr char kSide[4] = {'\0', 'L', 'R', 'C'};
    char s[8];
    std::snprintf(s, sizeof s, "%d%c", runway & 0x3F, kSide[runway >> 6]);
    return s;
}

double GroundSpeedKnots() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    return std::hypot(static_cast<double>(s.fmDeltaX), static_cast<double>(s.fmDeltaZ)) / 256.0 *
           3600.0 / 1852.0;
}

// Below this ground speed the aircraft stands (or creeps as its wheels settle): its motion has no
// direction worth showing, and the receiver shows no track.
constexpr double kLeastTrackKnots = 2.0;

bool HasTrack() {
    return GroundSpeedKnots() >= kLeastTrackKnots;
}

std::string TrackAndSpeed() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    char text[48];
    if (!HasTrack()) {
        std::snprintf(text, sizeof text, "--- TRK  %d KTS", static_cast<int>(GroundSpeedKnots()));
        return text;
    }
    std::snprintf(text, sizeof text, "%03d TRK  %d KTS",
                  GpsBearing(s.fmDeltaX, s.fmDeltaZ, theGpsSources.variation()),
                  static_cast<int>(GroundSpeedKnots()));
    return text;
}

}  // namespace

void GpsDisplay::DrawPage() {
    DrawFrame(true);
    Canvas canvas{page, width, height, 0, 0, width, height};
    // Without a bezel, the borders outlined on both sides (one pixel without borders).
    const std::uint8_t frame = colors[kInfText];
    const int bl = std::max(1, borderLeft), br = std::max(1, borderRight);
    const int bt = std::max(1, borderTop), bb = std::max(1, borderBottom);
    if (bezel.corners[0].w == 0) {
        // The page's edge, then the two inner columns and rows between their corners, each a
        // rectangle one pixel wide (Fill keeps every line inside the page).
        canvas.Fill(0, 0, width, 1, frame);
        canvas.Fill(0, height - 1, width, height, frame);
        canvas.Fill(0, 0, 1, height, frame);
        canvas.Fill(width - 1, 0, width, height, frame);
        const int innerRight = width - br + 1, innerBottom = height - bb + 1;
        canvas.Fill(bl - 1, bt - 1, bl, innerBottom, frame);
        canvas.Fill(width - br, bt - 1, innerRight, innerBottom, frame);
        canvas.Fill(bl - 1, bt - 1, innerRight, bt, frame);
        canvas.Fill(bl - 1, height - bb, innerRight, innerBottom, frame);
    }

    UpdateCentre();
    canvas.left = bl, canvas.top = bt, canvas.right = width - br, canvas.bottom = height - bb;
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int16_t variation = theGpsSources.variation();
    const nav::NavDatabase& db = nav::theNavDatabase;
    const double halfX = std::trunc(width / std::max(pixelsPerUnit, 1e-12)) / 2.0;
    const double halfZ = std::trunc(height / std::max(pixelsPerUnit, 1e-12)) / 2.0;
    double radius = std::max(halfX, pageNumber == 6 ? std::max(2 * halfZ, halfX) : halfZ);
    radius = std::min(radius, 3.0 * std::min(halfX, halfZ));
    auto within = [&](std::int32_t x, std::int32_t z, double reach) {
        return std::fabs(static_cast<double>(x) - centreX) <= reach &&
               std::fabs(static_cast<double>(z) - centreZ) <= reach;
    };
    auto near = [&](std::int32_t x, std::int32_t z) { return within(x, z, radius); };
    const double airportReach = std::max(radius, kAirportReach);
    auto at = [&](double x, double z) {
        int px = 0, py = 0;
        WorldToMap(x, z, &px, &py);
        return std::pair{px, py};
    };
    auto symbol = [&](int glyph, int px, int py, std::uint8_t c) {
        const gfx::GFXBitmap* g =
            symbolFont ? symbolFont->GetGlyph(static_cast<std::uint32_t>(glyph), nullptr) : nullptr;
        if (g != nullptr) {
            canvas.Glyph(g, px - g->width / 2, py - g->height / 2, c);
        } else {
            // Without the symbols, a small cross.
            canvas.Fill(px - 1, py, px + 2, py + 1, c);
            canvas.Fill(px, py - 1, px + 1, py + 2, c);
        }
    };
    // Bearing and whole miles below every item of the nearest page, ending under the symbol so
    // that the item's own texts to its right stay clear.
    auto nearestLabel = [&](std::int32_t x, std::int32_t z, int px, int py) {
        if (mode != 2 || range >= 100.0) return;
        const double dx = static_cast<double>(x) - s.fmPosX;
        const double dz = static_cast<double>(z) - s.fmPosZ;
        char text[32];
        std::snprintf(text, sizeof text, "%d/%d", GpsBearing(dx, dz, variation),
                      (GpsTenthsOfMile(dx, dz) + 5) / 10);
        canvas.Text(smallFont.get(), px + 4 - TextWidth(smallFont.get(), text), py + 6, text,
                    colors[kBrgText]);
    };
    // An item's identifier right of its symbol and a second text under it.
    auto labels = [&](int px, int py, const std::string& ident, const gfx::GFXFont* identFont,
                      const std::string& second, std::uint8_t c) {
        int y = py - 4;
        if (!ident.empty() && identFont != nullptr) {
            canvas.Text(identFont, px + 6, y, ident.c_str(), c);
            y += TextHeight(identFont) + 1;
        }
        if (!second.empty()) canvas.Text(smallFont.get(), px + 6, y, second.c_str(), c);
    };

    if ((layers & 0x1) != 0) {
        for (int i = 0; i < db.AirportCount(); ++i) {
            const nav::AirportIndexRecord& a = db.airports[static_cast<std::size_t>(i)];
            if (!within(a.x, a.z, airportReach)) continue;
            const auto [px, py] = at(a.x, a.z);
            if (range < 40.0) {
                const GpsAirport& record = Airport(i);
                const auto& rows = record.runways;
                for (std::size_t r = 0; record.valid && r < rows.size(); ++r) {
                    const nav::SmsRunwayRecord& end = rows[r];
                    const auto [x0, y0] = at(end.x, end.z);
                    // Ends come in pairs; a lone end runs its length along its heading.
                    double fx = 0, fz = 0;
                    if (r % 2 == 0 && r + 1 < rows.size()) {
                        fx = rows[r + 1].x, fz = rows[r + 1].z;
                    } else if (r % 2 == 0) {
                        const double h = end.heading * kGpsPagesTwoPi / 65536.0;
                        fx = end.x + std::sin(h) * end.length * kUnitsPerFoot;
                        fz = end.z + std::cos(h) * end.length * kUnitsPerFoot;
                    }
                    if (r % 2 == 0) {
                        const auto [x1, y1] = at(fx, fz);
                        canvas.Line(x0, y0, x1, y1, colors[kRwyLine]);
                        if (range <= 5.0) {
                            canvas.Line(x0 + 1, y0, x1 + 1, y1, colors[kRwyLine]);
                            canvas.Line(x0, y0 + 1, x1, y1 + 1, colors[kRwyLine]);
                        }
                    }
                    if (range <= 10.0) {
                        // The designator just outside its threshold.
                        const double h = end.heading * kGpsPagesTwoPi / 65536.0;
                        const auto [tx, ty] = at(end.x - std::sin(h) * 600 * kUnitsPerFoot,
                                                 end.z - std::cos(h) * 600 * kUnitsPerFoot);
                        const gfx::GFXFont* f = range <= 3.0 ? largeFont.get() : smallFont.get();
                        const std::string d = Designator(end.runway);
                        canvas.Text(f, tx - TextWidth(f, d.c_str()) / 2, ty - TextHeight(f) / 2,
                                    d.c_str(), colors[kRwyText]);
                    }
                }
                std::string atis;
                if (record.valid && record.header.atis != 0) atis = "ATIS " + Bcd(record.header.atis);
                symbol(kAirportSymbol, px, py, colors[kAptIcon]);
                labels(px, py, a.ident, largeFont.get(), atis, colors[kAptText]);
            } else {
                symbol(kAirportSymbol, px, py, colors[kAptIcon]);
            }
            nearestLabel(a.x, a.z, px, py);
        }
        if (range < 16.0) {
            for (const nav::IlsRecord& l : db.ils) {
                if (!within(l.x, l.z, airportReach)) continue;
                // The wedge opens from the antenna against the course, 3 degrees each side.
                const double back = l.course * kGpsPagesTwoPi / 65536.0 + kGpsPagesTwoPi / 2;
                const double reach = std::min(5.0, range * 0.4) * kGpsPagesUnitsPerMile;
                const double spread = 3.0 * kGpsPagesTwoPi / 360.0;
                const auto [ax, ay] = at(l.x, l.z);
                const auto [lx, ly] = at(l.x + std::sin(back + spread) * reach,
                                         l.z + std::cos(back + spread) * reach);
                const auto [rx, ry] = at(l.x + std::sin(back - spread) * reach,
                                         l.z + std::cos(back - spread) * reach);
                canvas.Line(ax, ay, lx, ly, colors[kIlsLeft]);
                canvas.Line(ax, ay, rx, ry, colors[kIlsRight]);
                const std::string f = Megahertz(l.frequency);
                canvas.Text(smallFont.get(), (lx + rx) / 2 - TextWidth(smallFont.get(), f.c_str()) / 2,
                            (ly + ry) / 2 + 2, f.c_str(), colors[kIlsText]);
            }
        }
    }
    if ((layers & 0x2) != 0) {
        for (const nav::VorRecord& v : db.vors) {
            if (!near(v.x, v.z)) continue;
            const auto [px, py] = at(v.x, v.z);
            symbol(kVorSymbol, px, py, colors[kVorIcon]);
            labels(px, py, range < 100.0 ? v.ident : "", largeFont.get(),
                   range < 40.0 ? Megahertz(v.frequency) : "", colors[kVorText]);
            nearestLabel(v.x, v.z, px, py);
        }
    }
    if ((layers & 0x4) != 0) {
        for (const nav::NdbRecord& n : db.ndbs) {
            if (!near(n.x, n.z)) continue;
            const auto [px, py] = at(n.x, n.z);
            symbol(kNdbSymbol, px, py, colors[kNdbIcon]);
            labels(px, py, range < 100.0 ? n.ident : "", largeFont.get(),
                   range < 40.0 ? std::to_string(n.frequency) : "", colors[kNdbText]);
            nearestLabel(n.x, n.z, px, py);
        }
    }
    if ((layers & 0x8) != 0) {
        for (const nav::WaypointRecord& w : db.waypoints) {
            if (!near(w.x, w.z)) continue;
            const auto [px, py] = at(w.x, w.z);
            symbol(kIntersectionSymbol, px, py, colors[kIntIcon]);
            labels(px, py, range < 100.0 ? w.name : "", smallFont.get(), "", colors[kIntText]);
            nearestLabel(w.x, w.z, px, py);
        }
    }
    if ((layers & 0x400) != 0) {
        if (const world::AirportObjectDatabase* objects = theGpsSources.airportObjects()) {
            std::size_t cursor = 0;
            const auto reach = static_cast<std::int32_t>(std::min(radius, 2.0e9));
            for (int n = 0; n < 4096; ++n) {
                const auto o = objects->FindNextObstacleNear(&cursor, centreX, centreZ, reach);
                if (!o) break;
                const auto [px, py] = at((*o)[0], (*o)[1]);
                symbol(kObstacleSymbol, px, py, colors[kObsIcon]);
            }
        }
    }
    if ((layers & 0x200) != 0) {
        struct Label {
            int x, y;
            std::string text;
        };
        std::vector<Label> placed;
        for (const nav::AirwayRecord& airway : db.airways) {
            for (std::size_t i = 1; i < airway.points.size(); ++i) {
                const nav::WaypointRecord& p = airway.points[i - 1];
                const nav::WaypointRecord& q = airway.points[i];
                if (std::max<double>(p.x, q.x) < centreX - radius ||
                    std::min<double>(p.x, q.x) > centreX + radius ||
                    std::max<double>(p.z, q.z) < centreZ - radius ||
                    std::min<double>(p.z, q.z) > centreZ + radius)
                    continue;
                const auto [x0, y0] = at(p.x, p.z);
                const auto [x1, y1] = at(q.x, q.z);
                canvas.Line(x0, y0, x1, y1, colors[kVicLine]);
                if (range > 50.0) continue;
                const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
                if (canvas.Outcode(mx, my) != 0) continue;
                char text[16];
                std::snprintf(text, sizeof text, "V%u", airway.identifier);
                auto close = std::find_if(placed.begin(), placed.end(), [&](const Label& l) {
                    return std::abs(l.x - mx) < kLabelMerge && std::abs(l.y - my) < kLabelMerge;
                });
                if (close == placed.end()) {
                    placed.push_back({mx, my, text});
                } else if (close->text.find(text) == std::string::npos &&
                           close->text.size() + std::strlen(text) + 1 <= kLabelLength) {
                    close->text += "-";
                    close->text += text;
                }
            }
        }
        for (const Label& l : placed)
            canvas.Text(smallFont.get(), l.x + 2, l.y - 6, l.text.c_str(), colors[kVicText]);
    }
    const bool northUp = mode == 0 || pageNumber == 5 || pageNumber == 7;
    if (pageNumber >= 5 && pageNumber <= 7 && fromSlot.valid && toSlot.valid) {
        const auto [x0, y0] = at(fromSlot.x, fromSlot.z);
        const auto [x1, y1] = at(toSlot.x, toSlot.z);
        canvas.Line(x0, y0, x1, y1, colors[kCdiLine]);
        if (pageNumber == 6) {
            const double track = std::atan2(static_cast<double>(s.fmDeltaX), s.fmDeltaZ);
            const auto [ax, ay] = at(s.fmPosX, s.fmPosZ);
            const auto [tx, ty] = at(s.fmPosX + std::sin(track) * radius,
                                     s.fmPosZ + std::cos(track) * radius);
            if (HasTrack()) canvas.Line(ax, ay, tx, ty, colors[kTrkLine]);
        }
    }
    if ((layers & 0x100) != 0) {
        const auto [px, py] = at(s.fmPosX, s.fmPosZ);
        const int octant =
            northUp ? ((static_cast<std::uint16_t>(s.fmHead - variation) + 4096) >> 13) & 7 : 0;
        symbol(kAircraftSymbol + octant, px, py, colors[kPlnIcon]);
    }

    DrawInformationBox();
    // The range, centred in the top border, when the window is wide enough for the page.
    const int minimum = pageNumber == 0 ? 200
                        : (pageNumber >= 5 && pageNumber <= 7) ? 256
                        : pageNumber == 8 ? 160
                                          : 128;
    if (width >= minimum && largeFont) {
        canvas.left = 0, canvas.top = 0, canvas.right = width, canvas.bottom = height;
        const int tenths = static_cast<int>(std::lround(range * 10.0));
        char text[32];
        std::snprintf(text, sizeof text, "%2d.%d NM", tenths / 10, tenths % 10);
        canvas.Text(largeFont.get(), (width - TextWidth(largeFont.get(), text)) / 2,
                    std::max(0, (bt - TextHeight(largeFont.get())) / 2), text, colors[kInfText]);
    }
}

void GpsDisplay::ItemDetails(int cat, int index, std::vector<std::string>* left,
                             std::vector<std::string>* right) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int16_t variation = theGpsSources.variation();
    char text[96];
    const nav::NavDatabase& db = nav::theNavDatabase;
    const int count = cat == 0   ? db.AirportCount()
                      : cat == 1 ? db.VorCount()
                      : cat == 2 ? db.NdbCount()
                                 : db.WaypointCount();
    if (index < 0 || index >= count) return;
    const auto i = static_cast<std::size_t>(index);
    std::string ident, type, frequency;
    std::int32_t x = 0, z = 0;
    int elevationFeet = 0;
    bool hasElevation = true;
    if (cat == 0) {
        ident = db.airports[i].ident, type = "Airport";
        x = db.airports[i].x, z = db.airports[i].z;
        elevationFeet = db.airports[i].elevation;
        const GpsAirport& a = Airport(index);
        if (a.valid) {
            elevationFeet = a.header.elevation;
            const std::uint16_t kinds[] = {a.header.atis,      a.header.clearance,
                                           a.header.ground,    a.header.tower,
                                           a.header.departure, a.header.approach};
            right->push_back("Freqs:");
            for (std::uint16_t f : kinds)
                if (f != 0) right->push_back(Bcd(f));
            if (right->size() == 1) right->clear();
        }
    } else if (cat == 1) {
        const nav::VorRecord& v = db.vors[i];
        ident = v.ident, x = v.x, z = v.z, frequency = Megahertz(v.frequency);
        type = "VOR";
        type += (v.flags & nav::kVortacFlag) != 0 ? " VORTAC"
                : (v.flags & nav::kDmeFlag) != 0  ? " VOR/DME"
                                                  : " VOR";
        elevationFeet = static_cast<int>(std::lround(v.elevation / 0.3048));
    } else if (cat == 2) {
        const nav::NdbRecord& n = db.ndbs[i];
        ident = n.ident, x = n.x, z = n.z, frequency = std::to_string(n.frequency);
        type = "NDB", elevationFeet = static_cast<int>(std::lround(n.elevation / 0.3048));
    } else {
        const nav::WaypointRecord& w = db.waypoints[i];
        ident = w.name, x = w.x, z = w.z, type = "Inter", hasElevation = false;
    }
    left->push_back("ID: " + ident);
    left->push_back("Type: " + type);
    if (!frequency.empty()) left->push_back("Freq: " + frequency);
    double lat = 0, lon = 0;  // longitude west
    nav::WorldToLatLon(&lat, &lon, x, z);
    left->push_back("Lat: " + LatLonText(lat, 'N', 'S'));
    left->push_back("Lon: " + LatLonText(lon, 'W', 'E'));
    if (hasElevation) left->push_back(Tenths(elevationFeet * 10, " FT"));
    const double dx = static_cast<double>(x) - s.fmPosX;
    const double dz = static_cast<double>(z) - s.fmPosZ;
    std::snprintf(text, sizeof text, "%d deg BRG  %s", GpsBearing(dx, dz, variation),
                  Tenths(GpsTenthsOfMile(dx, dz), " NM").c_str());
    left->push_back(text);
}

void GpsDisplay::DrawInformationBox() {
    boxLines.clear();
    std::vector<std::string> right;
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int16_t variation = theGpsSources.variation();
    char text[96];
    if (pageNumber <= 4) {
        ItemDetails(category, selected, &boxLines, &right);
        if (pageNumber == 4) boxLines.push_back(TrackAndSpeed());
    } else if (pageNumber <= 7) {
        if (toSlot.valid) {
            std::snprintf(text, sizeof text, "%s --> %s", fromSlot.valid ? fromSlot.ident.c_str() : "",
                          toSlot.ident.c_str());
            boxLines.push_back(text);
            const double dx = static_cast<double>(toSlot.x) - s.fmPosX;
            const double dz = static_cast<double>(toSlot.z) - s.fmPosZ;
            const int tenths = GpsTenthsOfMile(dx, dz);
            std::snprintf(text, sizeof text, "%d deg BRG  %s", GpsBearing(dx, dz, variation),
                          Tenths(tenths, " NM").c_str());
            boxLines.push_back(text);
            boxLines.push_back(TrackAndSpeed());
            const double knots = GroundSpeedKnots();
            if (knots >= 1.0) {
                const int minutes = static_cast<int>(tenths / 10.0 / knots * 60.0);
                std::snprintf(text, sizeof text, "ETE %02d:%02d", minutes / 60 % 100, minutes % 60);
            } else {
                std::snprintf(text, sizeof text, "ETE --:--");
            }
            const double feet = s.fmPosY / 256.0 / 0.3048;
            boxLines.push_back(std::string(text) + "  " +
                               Tenths(static_cast<int>(feet * 10.0), " FT"));
            if (fromSlot.valid) {
                // The bearing to "to" against the leg's course, left or right.
                const double legX = static_cast<double>(toSlot.x) - fromSlot.x;
                const double legZ = static_cast<double>(toSlot.z) - fromSlot.z;
                double diff = std::atan2(dx, dz) - std::atan2(legX, legZ);
                diff = std::remainder(diff, kGpsPagesTwoPi) * 360.0 / kGpsPagesTwoPi;
                std::snprintf(text, sizeof text, "%c%d DEG", diff < 0 ? 'L' : 'R',
                              static_cast<int>(std::fabs(diff) + 0.05));
                boxLines.push_back(text);
                cdiDegrees = diff;
            }
        }
    } else {
        boxLines.push_back(TrackAndSpeed());
    }

    const gfx::GFXFont* font = largeFont.get();
    if (font == nullptr || (boxLines.empty() && right.empty())) return;
    const int bl = std::max(1, borderLeft), br = std::max(1, borderRight);
    const int bt = std::max(1, borderTop), bb = std::max(1, borderBottom);
    const bool scale = pageNumber >= 5 && pageNumber <= 7 && fromSlot.valid && toSlot.valid;
    const int lines = static_cast<int>(std::max(boxLines.size(), right.size())) + (scale ? 1 : 0);
    Canvas canvas{page, width, height, bl, bt, width - br, height - bb};
    const int top = std::max(bt, height - bb - lines * kBoxLine - 3);
    canvas.Fill(bl, top, width - br, height - bb, colors[kBgnFill]);
    canvas.Line(bl, top, width - br - 1, top, colors[kInfText]);
    int y = top + 3;
    for (std::size_t i = 0; i < boxLines.size(); ++i)
        canvas.Text(font, bl + 3, y + static_cast<int>(i) * kBoxLine, boxLines[i].c_str(),
                    colors[i + 1 == boxLines.size() || pageNumber > 4 ? kBrgText : kInfText]);
    for (std::size_t i = 0; i < right.size(); ++i)
        canvas.Text(font, width - br - 3 - TextWidth(font, right[i].c_str()),
                    y + static_cast<int>(i) * kBoxLine, right[i].c_str(), colors[kInfText]);
    if (scale) {
        // The course-deviation scale: ticks every 2 degrees from -20 to +20, the pointer below.
        const int spacing = std::max(1, std::min(4, width / 80));
        const int mid = width / 2;
        const int base = y + lines * kBoxLine - kBoxLine + 2;
        for (int d = -20; d <= 20; d += 2) {
            const int x = mid + d / 2 * spacing;
            canvas.Line(x, base, x, base + (d == 0 ? 4 : 2), colors[kCdiLine]);
        }
        const int pointer = mid + static_cast<int>(std::clamp(cdiDegrees, -20.0, 20.0) / 2 * spacing);
        canvas.Line(pointer - 2, base + 6, pointer, base + 4, colors[kCdiLine]);
        canvas.Line(pointer + 2, base + 6, pointer, base + 4, colors[kCdiLine]);
    }
}

void GpsDisplay::Update(gfx::GFXSurface* target, const std::array<GpsRgb, 256>* palette,
                        std::uint32_t nowMs) {
    if (!shown) return;
    if (LoadColors(0, palette) != 0) redrawNow = true;
    // Another aircraft: its bezel.
    if (const int type = AircraftType(); type >= 0 && type <= 5 && type != loadedType) {
        Load(type);
        LoadColors(1, palette);
    }
    UpdateFlightPlanProgress();
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
