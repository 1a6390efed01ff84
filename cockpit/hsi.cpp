// The heading instrument: the C172's directional gyro with its heading bug, the Bonanza's and
// Baron's HSI and the turbines' electronic HSI with heading and DME digits. Everything it draws
// goes into one recorded area per buffer, so the next draw erases all of it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "cockpit/dme_source.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "flight/aircraft.h"

namespace cockpit {

namespace {

constexpr double kPi = 3.14159265359;

constexpr HsiStyle kHsiStyles[5] = {
    // C172: the course pointer and the bug.
    {44, 30, 8, 4, 0, 0, 0, 0, 0, 0, 36, 8, kHsiNavFlag, kHsiHeadingFlag},
    {44, 38, 10, 5, 4, 5, 12, 37, 11, 9, 31, 8, kHsiNavFlag, kHsiHeadingFlag},
    {44, 38, 10, 5, 4, 5, 12, 37, 11, 9, 31, 8, kHsiNavFlag, kHsiHeadingFlag},
    {42, 36, 9, 4, 9, 2, 12, 35, 9, 6, 38, 7, kHsiTurbineNavFlag, kHsiTurbineHeadingFlag},
    {42, 36, 9, 4, 9, 2, 12, 35, 9, 6, 38, 7, kHsiTurbineNavFlag, kHsiTurbineHeadingFlag},
};

IntPoint Add(IntPoint a, IntPoint b) {
    return {a.x + b.x, a.y + b.y};
}

// A point `radius` along compass heading `h` from the centre, on the screen.
IntPoint At(IntPoint centre, double h, double radius) {
    const IntPoint p = CompassPoint(h, radius);
    return {centre.x + p.x, centre.y - p.y};
}

IntRect Box(IntPoint a) {
    return {a.x, a.y, a.x, a.y};
}

struct Drawing {
    IntRect area = kNoRect;
    void Line(IntPoint a, IntPoint b, std::int32_t colour) {
        DrawPanelLine(a, b, colour);
        area = UnionRect(area, UnionRect(Box(a), Box(b)));
    }
    void Triangle(HsiGauge& h, IntPoint a, IntPoint b, IntPoint c, std::int32_t colour) {
        h.polygon.vertices[0] = a;
        h.polygon.vertices[1] = b;
        h.polygon.vertices[2] = c;
        h.polygon.Fill(colour);
        area = UnionRect(area, UnionRect(Box(a), UnionRect(Box(b), Box(c))));
    }
    void Frame(const GFXFont* art, std::int32_t frame, IntPoint point) {
        area = UnionRect(area, DrawFrameAnchored(art, frame, point));
    }
    void Text(const GFXFont* font, IntPoint at, const char* text) {
        if (font == nullptr) return;
        DrawPanelText(font, at, text);
        std::int32_t w = 0, h = 0;
        FrameSize(font, '0', &w, &h);
        const auto n = static_cast<std::int32_t>(std::char_traits<char>::length(text));
        area = UnionRect(area, {at.x, at.y - h, at.x + n * w, at.y});
    }
};

// The heading bug: a small filled triangle on the card's rim pointing at the centre.
void DrawBug(HsiGauge& h, Drawing& d, IntPoint centre, const HsiStyle& s, std::int32_t colour) {
    const double a = h.headingBug + std::trunc(h.cardRotation * 2.5);
    const IntPoint tip = At(centre, a, s.bugRadius);
    const IntPoint c1 = Add(tip, {CompassPoint(a + 28, s.bugSize).x, -CompassPoint(a + 28, s.bugSize).y});
    const IntPoint c2 = Add(tip, {CompassPoint(a - 28, s.bugSize).x, -CompassPoint(a - 28, s.bugSize).y});
    d.Triangle(h, tip, c1, c2, colour);
}

// Every value the instrument shows, in one word per buffer.
std::uint64_t Key(const HsiGauge& h, std::int32_t variant) {
    std::uint64_t k = static_cast<std::uint16_t>(h.cardRotation);
    auto add = [&](std::int64_t v, int bits) {
        k = (k << bits) ^ static_cast<std::uint64_t>(v & ((1 << bits) - 1));
    };
    add(h.headingBug, 10);
    add(h.course, 10);
    add(h.courseDeviation, 7);
    add(h.glideSlope, 7);
    add(h.toFrom, 2);
    add(h.navWarning, 1);
    add(h.headingWarning, 1);
    add(h.glideSlopeFlag, 1);
    add(h.signalFlag != 0, 1);
    add(variant, 3);
    if (variant >= 3) {
        add(h.headingDigits, 10);
        add(h.dmeDistance, 14);
        add(h.dmeSpeed, 10);
        add(h.dmeTime, 7);
        add(h.dmeValid, 1);
        add(BatteryOn(), 1);
    }
    return k;
}

// The buffer protocol common to the three: advance, skip an up-to-date buffer, cover.
bool HsiDue(HsiGauge& h, std::int32_t x, std::int32_t y, std::int32_t variant) {
    if (h.dirty != 0)
        for (std::int32_t& r : h.repaint)
            r = 1;
    h.dirty = 0;
    if (h.alwaysDraw == 0 && h.slotCount > 0 && h.advancedInFrame != thePanelPaintCount) {
        h.advancedInFrame = thePanelPaintCount;
        h.slot = (h.slot + 1) % h.slotCount;
    }
    const int s = std::clamp(h.slot, 0, kGaugeSlots - 1);
    h.slot = s;
    if (h.cardRotation < 0 || h.cardRotation > 143) h.cardRotation = 0;
    if (h.toFrom < 0 || h.toFrom > 2) h.toFrom = 0;
    h.courseDeviation = static_cast<std::int16_t>(std::clamp<std::int32_t>(h.courseDeviation, -20, 20));
    h.glideSlope = static_cast<std::int16_t>(std::clamp<std::int32_t>(h.glideSlope, -20, 20));
    const std::uint64_t key = Key(h, variant) ^ (static_cast<std::uint64_t>(h.hidden != 0) << 63);
    if (h.alwaysDraw == 0 && h.repaint[s] == 0 && h.drawnKey[s] == key) return false;
    // Erase everything the buffer showed.
    for (int a = 0; a < 3; ++a)
        if (h.eraseNeeded[s][a] != 0 && h.drawnRect[s][a].right > h.drawnRect[s][a].left)
            RestorePanelBackground(h.drawnRect[s][a], h.drawnAt[s][a]);
    if (h.alwaysDraw == 0) {
        h.repaint[s] = 0;
        h.drawnKey[s] = key;
        h.drawnCard[s] = h.cardRotation;
        h.drawnBug[s] = h.headingBug;
        h.drawnDeviation[s] = h.courseDeviation;
        h.drawnGlideSlope[s] = h.glideSlope;
    }
    if (h.hidden != 0) {
        Drawing d;
        d.Frame(theMiscSpriteFont, kCoverFrame, {x - 2, y - 2});
        MarkDrawnArea(h, 0, d.area);
        return false;
    }
    return true;
}

// The course arrow's head at the rim along the course on the card; the direction it points.
double DrawCourseHead(HsiGauge& h, Drawing& d, IntPoint centre, const HsiStyle& s,
                      std::int32_t colour) {
    const double c = h.course + std::trunc(h.cardRotation * 2.5);
    const IntPoint tip = At(centre, c, s.arrowRadius);
    const IntPoint headBase = At(centre, c, s.arrowRadius - s.arrowHead);
    const IntPoint n = CompassPoint(c + 90, s.arrowHalfWidth);
    d.Triangle(h, tip, {headBase.x + n.x, headBase.y - n.y}, {headBase.x - n.x, headBase.y + n.y},
               colour);
    return c;
}

// The directional gyro's course pointer: the arrow's head and a line across the card to its tail.
void DrawCoursePointer(HsiGauge& h, Drawing& d, IntPoint centre, const HsiStyle& s,
                       std::int32_t colour) {
    const double c = DrawCourseHead(h, d, centre, s, colour);
    d.Line(At(centre, c, s.arrowRadius - s.arrowHead), At(centre, c + 180, s.arrowRadius), colour);
}

void DrawCourseParts(HsiGauge& h, Drawing& d, IntPoint centre, const HsiStyle& s,
                     std::int32_t colour) {
    // Course arrow: head at the rim, shaft back to half the radius on the far side.
    const double c = DrawCourseHead(h, d, centre, s, colour);
    const IntPoint headBase = At(centre, c, s.arrowRadius - s.arrowHead);
    d.Line(headBase, At(centre, c, s.barHalf + 3), colour);
    d.Line(At(centre, c + 180, s.barHalf + 3), At(centre, c + 180, s.arrowRadius / 2 + 4), colour);
    // Deviation dots across the course and the bar moved by the deviation.
    const double perDot = 20.0 / s.dots;
    for (int k = 1; k <= s.dots; ++k)
        for (int side : {-1, 1}) {
            const IntPoint p = At(centre, c + 90 * side, k * s.dotSpacing);
            d.Line(p, p, colour);
        }
    const double offset = h.courseDeviation / perDot * s.dotSpacing;
    const IntPoint o = CompassPoint(c + 90, offset);
    const IntPoint b0 = At(centre, c, s.barHalf);
    const IntPoint b1 = At(centre, c + 180, s.barHalf);
    d.Line({b0.x + o.x, b0.y - o.y}, {b1.x + o.x, b1.y - o.y}, colour);
    // TO / FROM: a small triangle beside the centre along the course.
    if (h.toFrom == 1 || h.toFrom == 2) {
        const double flip = h.toFrom == 2 ? 180.0 : 0.0;
        auto corner = [&](double a, double r) {
            double w = a + flip;
            while (w > 360) w -= 360;
            const IntPoint q = RotateNeedlePoint(w, r);
            const IntPoint shift = CompassPoint(c + flip, s.barHalf / 2 + 2);
            return IntPoint{centre.x + q.x + shift.x, centre.y - q.y - shift.y};
        };
        double a0 = 450 - c, a1 = 299 - c, a2 = 601 - c;
        for (double* a : {&a0, &a1, &a2}) {
            while (*a > 360) *a -= 360;
            while (*a < 0) *a += 360;
        }
        d.Triangle(h, corner(a0, s.toFromTip), corner(a1, s.toFromBase), corner(a2, s.toFromBase),
                   colour);
    }
}

void DrawGlideSlope(HsiGauge& h, Drawing& d, IntPoint centre, const HsiStyle& s,
                    std::int32_t colour) {
    if (h.glideSlopeFlag == 0) return;
    const std::int32_t y = centre.y + h.glideSlope;
    for (int side : {-1, 1}) {
        const std::int32_t x = centre.x + side * s.glideX;
        d.Triangle(h, {x, y}, {x + side * 5, y - 3}, {x + side * 5, y + 3}, colour);
    }
}

void DrawFlags(HsiGauge& h, Drawing& d, const GFXFont* art, IntPoint centre, const HsiStyle& s) {
    // With the battery off both flags show; with it on the NAV flag shows without a signal.
    if (!BatteryOn()) {
        h.navWarning = h.headingWarning = 1;
    } else {
        h.headingWarning = 0;
        h.navWarning = h.signalFlag == 0 ? 1 : 0;
    }
    if (h.navWarning != 0) d.Frame(art, s.navFlag, {centre.x - 38, centre.y - 27});
    if (h.headingWarning != 0) d.Frame(art, s.headingFlag, {centre.x - 38, centre.y + 7});
}

// The card, course parts, heading bug, flags, glide slope and aircraft symbol the twins' and the
// turbines' instruments share.
void DrawFullHsiFace(HsiGauge& h, Drawing& d, const GFXFont* art, IntPoint centre, int variant) {
    const HsiStyle& s = kHsiStyles[variant];
    const PanelColours& c = ColoursOf(variant);
    d.Frame(art, h.cardRotation + 1, centre);
    DrawCourseParts(h, d, centre, s, c.hsi);
    DrawBug(h, d, centre, s, c.bug);
    DrawFlags(h, d, art, centre, s);
    DrawGlideSlope(h, d, centre, s, c.hsi);
    d.Frame(art, kHsiAircraft, centre);
}

}  // namespace

const HsiStyle& HsiStyleOf(int variant) {
    return kHsiStyles[std::clamp(variant, 0, 4)];
}

namespace {

// The cosine and sine of every whole degree from 0 to 360, worked out from the same radians as
// any other angle: the instruments' angles are whole degrees but for a few, and a look-up gives
// the very values the library would.
struct WholeDegrees {
    double cosine[361];
    double sine[361];
    WholeDegrees() {
        for (int d = 0; d <= 360; ++d) {
            const double a = static_cast<double>(d) * kPi / 180.0;
            cosine[d] = std::cos(a);
            sine[d] = std::sin(a);
        }
    }
};
const WholeDegrees theWholeDegrees;

}  // namespace

IntPoint RotateNeedlePoint(double angleDegrees, double radius) {
    if (angleDegrees >= 0.0 && angleDegrees <= 360.0) {
        const auto d = static_cast<std::int32_t>(angleDegrees);
        if (static_cast<double>(d) == angleDegrees)
            return {RoundNearest(radius * theWholeDegrees.cosine[d]),
                    RoundNearest(radius * theWholeDegrees.sine[d])};
    }
    const double a = angleDegrees * kPi / 180.0;
    return {RoundNearest(radius * std::cos(a)), RoundNearest(radius * std::sin(a))};
}

IntPoint CompassPoint(double heading, double radius) {
    double a = 450.0 - heading;
    while (a > 360.0) a -= 360.0;
    while (a < 0.0) a += 360.0;
    return RotateNeedlePoint(a, radius);
}

void DrawArtFrame(const GFXFont* art, std::int32_t frame, std::int32_t x, std::int32_t y) {
    PanelGauge::DrawFrame(art, frame, {x, y});
}

void MarkDrawnArea(HsiGauge& h, std::int32_t area, IntRect painted) {
    if (h.alwaysDraw != 0 || area < 0 || area > 2 || painted.right < painted.left) return;
    const int s = std::clamp(h.slot, 0, kGaugeSlots - 1);
    const std::int32_t bottom = flight::theAircraft.GetViewportBottom();
    h.eraseNeeded[s][area] = 1;
    h.drawnAt[s][area] = {painted.left, painted.top};
    h.drawnRect[s][area] = {painted.left, painted.top - bottom, painted.right + 1,
                            painted.bottom - bottom + 1};
}

void DrawHsiC172(HsiGauge& h, const GFXFont* art, std::int32_t x, std::int32_t y) {
    if (!HsiDue(h, x, y, 0)) return;
    const HsiStyle& s = kHsiStyles[0];
    const IntPoint centre{x, y};
    Drawing d;
    d.Frame(art, h.cardRotation + 1, centre);
    DrawCoursePointer(h, d, centre, s, ColoursOf(0).hsi);
    DrawBug(h, d, centre, s, ColoursOf(0).bug);
    d.Frame(art, kHsiLubber, {x, y - 42});
    MarkDrawnArea(h, 0, d.area);
}

void DrawHsiTwin(HsiGauge& h, const GFXFont* art, std::int32_t x, std::int32_t y,
                 std::int32_t variant) {
    variant = std::clamp(variant, 1, 2);
    if (!HsiDue(h, x, y, variant)) return;
    const IntPoint centre{x, y};
    Drawing d;
    DrawFullHsiFace(h, d, art, centre, variant);
    MarkDrawnArea(h, 0, d.area);
}

void AlignHsiField(const char* field, int cells, char* out, std::size_t size) {
    if (size == 0) return;
    // Leading zeros go, but not the one before a point or the last digit.
    std::size_t from = 0;
    const std::size_t n = std::char_traits<char>::length(field);
    while (from + 1 < n && field[from] == '0' && field[from + 1] != '.') ++from;
    const int width = static_cast<int>(n - from);
    const auto pad = static_cast<std::size_t>(std::max(cells - width, 0));
    // The blanks, then the field, as much of both as the buffer holds.
    const std::size_t blanks = std::min(pad, size - 1);
    std::memset(out, ' ', blanks);
    const std::size_t rest = std::min(n - from, size - 1 - blanks);
    std::memcpy(out + blanks, field + from, rest);
    out[blanks + rest] = 0;
}

void DrawHsiTurbine(HsiGauge& h, const GFXFont* art, const GFXFont* digits, std::int32_t x,
                    std::int32_t y, std::int32_t variant) {
    variant = std::clamp(variant, 3, 4);
    const std::int16_t* dme = theDmeRadio.dmeDigits;
    h.dmeDistance = dme[0];
    h.dmeSpeed = dme[1];
    h.dmeTime = dme[2];
    if (!HsiDue(h, x, y, variant)) return;
    const IntPoint centre{x, y};
    Drawing d;
    DrawFullHsiFace(h, d, art, centre, variant);
    if (BatteryOn()) {
        char text[8];
        FormatZeroPadded(text, sizeof text, h.headingDigits, 3);
        d.Text(digits, Add(centre, kHsiHeadingDigits), text);
        // The DME's distance (tenths, whole miles from 100), speed and time, or dashes.
        char fields[3][8];
        bool point = false;
        FormatDmeFields(true, h.dmeValid != 0, h.dmeDistance, h.dmeSpeed, h.dmeTime, fields[0],
                        fields[1], fields[2], &point);
        // Below 100 miles the distance shows its tenths after a point ("132" is 13.2); the
        // numbers stand without leading zeros, right-aligned in their fields.
        if (point) {
            const std::size_t n = std::char_traits<char>::length(fields[0]);
            if (n >= 2 && n + 1 < sizeof fields[0]) {
                fields[0][n + 1] = '\0';
                fields[0][n] = fields[0][n - 1];
                fields[0][n - 1] = '.';
            }
        }
        for (int i = 0; i < 3; ++i) {
            char shown[8];
            AlignHsiField(fields[i], kHsiDmeCells[i], shown, sizeof shown);
            d.Text(digits, Add(centre, kHsiDmeDigits[i]), shown);
            d.Frame(digits, kHsiDmeUnitFrame + i, Add(centre, kHsiDmeUnits[i]));
        }
    }
    MarkDrawnArea(h, 0, d.area);
}

}  // namespace cockpit
