// The ground-school videos train\fNN.avi: per lesson of data/groundschool/lessons.txt a run of
// 320×240 slides (a title card, then pictures this module draws: the attitude against the
// horizon, bank, the three axes, the traffic pattern, wind drift, VOR and ADF needles, airspeed
// arcs, the instrument scan, and our own 172 panel with the instrument being explained
// outlined), each shown while espeak-ng speaks its text. Pictures are RLE8 at four frames a
// second; a frame that repeats the one before is two bytes. The speech is made at 22,050 Hz and
// brought to 11,025 Hz 8-bit mono by averaging sample pairs, so two runs write the same bytes.
// Without espeak-ng the slides keep their reading time in silence (and the maker says so).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_layouts.h"
#include "gfx/bitmap.h"
#include "tools/mkdata/clip_cache.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_canvas.h"
#include "tools/mkdata/panel_roles.h"
#include "tools/mkdata/text_surface.h"
#include "win/avi_file.h"
#include "win/font.h"
#include "win/gdi.h"

namespace mkdata {

std::unique_ptr<gfx::GFXBitmap> DrawC172PanelPicture(int height, std::vector<Rgb>* palette);

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr int kFps = 4;
constexpr int kSoundRate = 11025;
constexpr double kPi = 3.14159265358979323846;
constexpr int kPanelHeight = 309;
constexpr int kPanelTop = 22;  // the halved panel's first row on a slide

// The slides' own colours, above the panel's entries (10..73).
enum : std::uint8_t {
    kBack = 200,     // navy ground of every slide
    kBand = 201,     // the heading band
    kInk = 202,      // white
    kAccent = 203,   // yellow
    kSkyBlue = 204,
    kEarth = 205,
    kGrid = 206,     // mid grey
    kDial = 207,     // instrument face
    kGreenArc = 208,
    kRedMark = 209,
    kCyan = 210,
    kRunway = 211,
    kGrass = 212,
    kRampWhite = 216,  // 8 steps navy -> white (216..223)
    kRampYellow = 224, // 8 steps navy -> yellow (224..231)
    kRampBand = 232,   // 8 steps band -> white (232..239)
};

struct Slide {
    std::string kind;
    std::vector<std::string> args;
    std::string head;
    std::vector<std::string> lines;
    std::string say;
};

struct Lesson {
    int number = 0;
    std::string title;
    std::vector<Slide> slides;
};

std::string Trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

bool ReadLessons(const std::string& path, std::vector<Lesson>* lessons, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string raw;
    int row = 0;
    while (std::getline(in, raw)) {
        ++row;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t sp = line.find(' ');
        const std::string key = line.substr(0, sp);
        const std::string rest = sp == std::string::npos ? std::string() : Trim(line.substr(sp + 1));
        auto bad = [&](const char* why) {
            *error = path + ":" + std::to_string(row) + ": " + why;
            return false;
        };
        if (key == "video") {
            Lesson l;
            std::istringstream ss(rest);
            ss >> l.number;
            std::getline(ss, l.title);
            l.title = Trim(l.title);
            if (l.number < 1 || l.number > 99 || l.title.empty()) return bad("a video needs a number and a title");
            lessons->push_back(std::move(l));
        } else if (lessons->empty()) {
            return bad("a slide before the first video");
        } else if (key == "slide") {
            Slide s;
            std::istringstream ss(rest);
            ss >> s.kind;
            for (std::string a; ss >> a;) s.args.push_back(a);
            lessons->back().slides.push_back(std::move(s));
        } else if (lessons->back().slides.empty()) {
            return bad("text before the first slide");
        } else if (key == "head") {
            lessons->back().slides.back().head = rest;
        } else if (key == "line") {
            lessons->back().slides.back().lines.push_back(rest);
        } else if (key == "say") {
            lessons->back().slides.back().say = rest;
        } else {
            return bad("unknown line");
        }
    }
    return true;
}

double Arg(const Slide& s, std::size_t i, double fallback = 0) {
    if (i >= s.args.size()) return fallback;
    double v = fallback;
    return ParseNumber(s.args[i], &v) ? v : fallback;
}

// ---- palette -------------------------------------------------------------------------------------

std::vector<Rgb> VideoPalette() {
    std::vector<Rgb> p;
    DrawC172PanelPicture(1, &p);  // the panel's own colours at their entries
    p.resize(256);
    auto set = [&](int i, int r, int g, int b) {
        p[static_cast<std::size_t>(i)] = Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                              static_cast<std::uint8_t>(b)};
    };
    set(kBack, 18, 30, 66);
    set(kBand, 34, 62, 120);
    set(kInk, 255, 255, 255);
    set(kAccent, 255, 214, 0);
    set(kSkyBlue, 70, 140, 220);
    set(kEarth, 140, 90, 40);
    set(kGrid, 128, 128, 140);
    set(kDial, 24, 24, 28);
    set(kGreenArc, 40, 190, 60);
    set(kRedMark, 230, 40, 30);
    set(kCyan, 90, 220, 240);
    set(kRunway, 80, 80, 86);
    set(kGrass, 50, 110, 50);
    auto ramp = [&](int first, Rgb from, Rgb to) {
        for (int k = 0; k < 8; ++k) {
            const double t = (k + 1) / 8.0;
            set(first + k, static_cast<int>(std::lround(from.r + (to.r - from.r) * t)),
                static_cast<int>(std::lround(from.g + (to.g - from.g) * t)),
                static_cast<int>(std::lround(from.b + (to.b - from.b) * t)));
        }
    };
    ramp(kRampWhite, p[kBack], p[kInk]);
    ramp(kRampYellow, p[kBack], p[kAccent]);
    ramp(kRampBand, p[kBand], p[kInk]);
    return p;
}

// ---- text through the program's own font engine ----------------------------------------------

// Draws text with smooth edges on a ground of one colour: coverage picks a step of `ramp`.
class TextPainter {
public:
    TextPainter() : surface_(kW, 64) { win::SetTextColor(surface_.Dc(), win::RGB(255, 255, 255)); }
    int Width(std::string_view text, int size, bool bold) { return surface_.Width(text, size, bold); }
    // Top-left at (x, y).
    void Draw(Canvas& c, int x, int y, std::string_view text, int size, bool bold, std::uint8_t ramp) {
        std::uint32_t* bits = surface_.Bits();
        if (bits == nullptr) return;
        surface_.UseFont(size, bold);
        std::fill(bits, bits + kW * 64, 0u);
        win::TextOut(surface_.Dc(), 0, 0, text);
        const int w = std::min(kW, Width(text, size, bold) + 2);
        for (int row = 0; row < std::min(64, size * 2); ++row)
            for (int col = 0; col < w; ++col) {
                const std::uint32_t v = (bits[row * kW + col] >> 8) & 0xFF;
                const int step = static_cast<int>((v * 8 + 127) / 255);
                if (step > 0) c.Set(x + col, y + row, static_cast<std::uint8_t>(ramp + std::min(step, 8) - 1));
            }
    }

private:
    TextSurface surface_;
};

// Words to lines no wider than `width`.
std::vector<std::string> Wrap(TextPainter& t, const std::string& text, int size, bool bold, int width) {
    std::vector<std::string> out;
    std::istringstream ss(text);
    std::string word, line;
    while (ss >> word) {
        const std::string trial = line.empty() ? word : line + " " + word;
        if (!line.empty() && t.Width(trial, size, bold) > width) {
            out.push_back(line);
            line = word;
        } else {
            line = trial;
        }
    }
    if (!line.empty()) out.push_back(line);
    return out;
}

// ---- pictures ------------------------------------------------------------------------------------

void Label(Canvas& c, double x, double y, const std::string& text, std::uint8_t colour) {
    std::string upper = text;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    c.TextCentred(x, y, upper, colour);
}

void Arrow(Canvas& c, double x0, double y0, double x1, double y1, double w, std::uint8_t colour) {
    c.Line(x0, y0, x1, y1, w, colour);
    const double a = std::atan2(y1 - y0, x1 - x0);
    for (double side : {2.6, -2.6})
        c.Line(x1, y1, x1 + 8 * std::cos(a + side), y1 + 8 * std::sin(a + side), w, colour);
}

void Attitude(Canvas& c, double pitch, double bank) {
    const double cx = 160, cy = 100, r = 66;
    const double b = bank * kPi / 180;
    for (int y = static_cast<int>(cy - r); y <= cy + r; ++y)
        for (int x = static_cast<int>(cx - r); x <= cx + r; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy > r * r) continue;
            // Up in the banked picture; the horizon lies `pitch` × 2 pixels below the centre.
            const double up = -dx * std::sin(b) - dy * std::cos(b);
            c.Set(x, y, up > -pitch * 2.2 ? kSkyBlue : kEarth);
        }
    c.Ring(cx, cy, r, r + 4, kGrid);
    // The horizon line and pitch marks.
    for (int k = -2; k <= 2; ++k) {
        // Along "up" (-sin b, -cos b) by the line's angle above the horizon; drawn across it.
        const double off = (k * 10 - pitch) * 2.2;
        const double half = k == 0 ? r : 16;
        const double mx = cx - off * std::sin(b), my = cy - off * std::cos(b);
        if (std::hypot(mx - cx, my - cy) > r - 4) continue;
        c.Line(mx - half * std::cos(b), my + half * std::sin(b), mx + half * std::cos(b), my - half * std::sin(b),
               k == 0 ? 2 : 1, kInk);
    }
    // The fixed airplane symbol.
    c.Line(cx - 40, cy, cx - 12, cy, 3, kAccent);
    c.Line(cx + 12, cy, cx + 40, cy, 3, kAccent);
    c.Disc(cx, cy, 3, kAccent);
    char text[64];
    std::snprintf(text, sizeof text, "PITCH %+d", static_cast<int>(pitch));
    c.Text(14, 60, text, kInk);
    std::snprintf(text, sizeof text, "BANK %d", static_cast<int>(std::abs(bank)));
    c.Text(14, 74, text, kInk);
}

void Bank(Canvas& c, double degrees) {
    const double cx = 160, cy = 104, b = degrees * kPi / 180;
    c.Fill(0, 22, kW - 1, 118, kSkyBlue);
    c.Fill(0, 119, kW - 1, 177, kEarth);
    auto rot = [&](double x, double y, double* ox, double* oy) {
        *ox = cx + x * std::cos(b) - y * std::sin(b);
        *oy = cy + x * std::sin(b) + y * std::cos(b);
    };
    double ax, ay, bx, by;
    rot(-90, 0, &ax, &ay), rot(90, 0, &bx, &by);
    c.Line(ax, ay, bx, by, 5, kInk);  // wings
    rot(0, -4, &ax, &ay), rot(0, -30, &bx, &by);
    c.Line(ax, ay, bx, by, 4, kInk);  // fin
    c.Disc(cx, cy, 11, kInk);
    c.Disc(cx, cy, 5, kGrid);
    // The angle between the horizon and the wings.
    c.Line(60, cy, 260, cy, 1, kAccent);
    c.Arc(cx, cy, 64, 66, 90, 90 + degrees, kAccent);
    char text[32];
    std::snprintf(text, sizeof text, "%d DEGREES", static_cast<int>(degrees));
    c.Text(200, 40, text, kDial);
}

void Airplane(Canvas& c, double cx, double cy, double s, std::uint8_t colour) {
    c.Line(cx, cy - 34 * s, cx, cy + 30 * s, 6 * s, colour);   // fuselage
    c.Line(cx - 46 * s, cy - 8 * s, cx + 46 * s, cy - 8 * s, 8 * s, colour);  // wings
    c.Line(cx - 16 * s, cy + 26 * s, cx + 16 * s, cy + 26 * s, 5 * s, colour);  // tail
}

void Axes(Canvas& c) {
    Airplane(c, 160, 100, 1.2, kGrid);
    c.Line(40, 90, 280, 90, 1, kAccent);
    Label(c, 286 - 20, 80, "PITCH", kAccent);
    c.Line(160, 30, 160, 170, 1, kCyan);
    Label(c, 196, 32, "ROLL", kCyan);
    c.Ring(160, 100, 6, 8, kGreenArc);
    Label(c, 118, 118, "YAW", kGreenArc);
}

void Pattern(Canvas& c, const std::string& leg) {
    c.Fill(0, 22, kW - 1, 177, kGrass);
    c.Fill(110, 134, 210, 146, kRunway);
    for (int x = 118; x < 204; x += 12) c.Fill(x, 139, x + 5, 140, kInk);
    struct Leg {
        const char* name;
        double x0, y0, x1, y1, lx, ly;
    };
    static const Leg kLegs[] = {
        {"upwind", 212, 140, 290, 140, 262, 152},   {"crosswind", 290, 140, 290, 52, 262, 96},
        {"downwind", 290, 52, 30, 52, 160, 40},     {"base", 30, 52, 30, 140, 56, 96},
        {"final", 30, 140, 108, 140, 66, 152},
    };
    for (const Leg& l : kLegs) {
        const bool lit = leg == "all" || leg == l.name;
        Arrow(c, l.x0, l.y0, l.x1, l.y1, lit ? 3 : 1, lit ? kAccent : kInk);
        Label(c, l.lx, l.ly, l.name, lit ? kAccent : kInk);
    }
}

void Drift(Canvas& c, double windFrom, double knots) {
    const double ox = 110, oy = 160, tas = 100;
    const double hx = ox, hy = oy - tas * 1.2;
    const double to = (windFrom + 180) * kPi / 180;
    const double wx = hx + knots * 1.6 * std::sin(to), wy = hy - knots * 1.6 * std::cos(to);
    Arrow(c, ox, oy, hx, hy, 2, kInk);
    Arrow(c, hx, hy, wx, wy, 2, kCyan);
    Arrow(c, ox, oy, wx, wy, 3, kAccent);
    Label(c, ox - 36, (oy + hy) / 2, "HEADING", kInk);
    Label(c, (hx + wx) / 2, hy - 10, "WIND", kCyan);
    Label(c, (ox + wx) / 2 + 44, (oy + wy) / 2, "TRACK", kAccent);
    char text[32];
    std::snprintf(text, sizeof text, "WIND %03d/%d", static_cast<int>(windFrom), static_cast<int>(knots));
    c.Text(214, 40, text, kCyan);
}

void DialFace(Canvas& c, double cx, double cy, double r) {
    c.Disc(cx, cy, r, kDial);
    c.Ring(cx, cy, r, r + 4, kGrid);
}

void Vor(Canvas& c, double dots, const std::string& flag) {
    const double cx = 160, cy = 100, r = 64;
    DialFace(c, cx, cy, r);
    for (int k = -5; k <= 5; ++k)
        if (k != 0) c.Disc(cx + k * 10, cy, 2, kInk);
    c.Ring(cx, cy, 6, 8, kInk);
    const double x = cx + std::clamp(dots, -5.0, 5.0) * 10;
    c.Line(x, cy - 48, x, cy + 48, 3, kAccent);
    c.TextCentred(cx, cy - 54, "360", kInk);
    c.Fill(static_cast<int>(cx) + 20, static_cast<int>(cy) + 18, static_cast<int>(cx) + 52,
           static_cast<int>(cy) + 30, kInk);
    c.TextCentred(cx + 36, cy + 24, flag, kDial);
}

void Ndb(Canvas& c, double bearing) {
    const double cx = 160, cy = 100, r = 64;
    DialFace(c, cx, cy, r);
    for (int d = 0; d < 360; d += 30) {
        double x0, y0, x1, y1;
        Polar(cx, cy, r - 2, d, &x0, &y0);
        Polar(cx, cy, r - 10, d, &x1, &y1);
        c.Line(x0, y0, x1, y1, 2, kInk);
    }
    c.TextCentred(cx, cy - r + 18, "N", kInk);
    double nx, ny, tx, ty;
    Polar(cx, cy, r - 14, bearing, &nx, &ny);
    Polar(cx, cy, 30, bearing + 180, &tx, &ty);
    Arrow(c, tx, ty, nx, ny, 3, kAccent);
    Airplane(c, cx, cy, 0.3, kInk);
    char text[32];
    std::snprintf(text, sizeof text, "RELATIVE %03d", static_cast<int>(bearing));
    c.Text(224, 40, text, kAccent);
}

double KnotsToDegrees(double knots) {
    return (knots - 30) * 300.0 / 170.0;
}

void Airspeed(Canvas& c, const std::string& arc) {
    const double cx = 160, cy = 100, r = 66;
    DialFace(c, cx, cy, r);
    auto band = [&](double from, double to, double r0, double r1, std::uint8_t colour, bool lit) {
        c.Arc(cx, cy, lit ? r0 - 3 : r0, r1, KnotsToDegrees(from), KnotsToDegrees(to), colour);
    };
    band(41, 85, 52, 56, kInk, arc == "white");
    band(47, 128, 57, 62, kGreenArc, arc == "green" || arc == "stall");
    band(128, 160, 57, 62, kAccent, arc == "yellow");
    band(159, 161, 50, 64, kRedMark, arc == "red");
    for (int k = 40; k <= 200; k += 20) {
        double x, y;
        Polar(cx, cy, 40, KnotsToDegrees(k), &x, &y);
        c.TextCentred(x, y, std::to_string(k), kInk);
    }
    const double needle = arc == "stall" ? 50 : arc == "white" ? 60 : arc == "green" ? 73 : arc == "yellow" ? 140 : 160;
    double nx, ny;
    Polar(cx, cy, 50, KnotsToDegrees(needle), &nx, &ny);
    c.Line(cx, cy, nx, ny, 3, kInk);
    c.Disc(cx, cy, 4, kGrid);
    c.Text(14, 40, "KNOTS", kInk);
    if (arc == "stall") Label(c, 60, 150, "STALL 47", kAccent);
}

void Scan(Canvas& c) {
    static const char* const kNames[6] = {"ASI", "AI", "ALT", "TC", "HI", "VSI"};
    double x[6], y[6];
    for (int i = 0; i < 6; ++i) {
        x[i] = 80 + (i % 3) * 80;
        y[i] = 62 + (i / 3) * 74;
        DialFace(c, x[i], y[i], 28);
        Label(c, x[i], y[i], kNames[i], i == 1 ? kAccent : kInk);
    }
    for (int i = 0; i < 6; ++i)
        if (i != 1) {
            const double a = std::atan2(y[i] - y[1], x[i] - x[1]);
            Arrow(c, x[1] + 32 * std::cos(a), y[1] + 32 * std::sin(a), x[i] - 32 * std::cos(a), y[i] - 32 * std::sin(a),
                  2, kCyan);
        }
}

// Where a named instrument of our 172 panel sits (its layout y, counted from the panel offset),
// how it is outlined and how large: the place comes from the panel's own rows.
enum class Outline { Dial, Radio, Other };
struct PanelPlace {
    Outline kind = Outline::Other;
    double x = 0, y = 0;
    double size = 0;  // a round instrument's diameter, a radio window's width
};

bool FindPanelPlace(const std::string& name, PanelPlace* place) {
    using cockpit::PanelOp;
    struct Named {
        const char* name;
        const cockpit::PanelGauge* gauge;
        PanelOp op;  // for the instruments whose rows carry no gauge
        double size;
    };
    static const Named kNamed[] = {
        {"theAttitudeIndicator", &cockpit::theAttitudeIndicator, PanelOp::AttitudeIndicator, 48},
        {"theAirspeedIndicator", &cockpit::theAirspeedIndicator, PanelOp::SingleNeedle, 50},
        {"theHsiGauge", nullptr, PanelOp::HsiC172, 48},
        {"theAltimeter", &cockpit::theAltimeter, PanelOp::ThreePointerAltimeter, 50},
        {"theTurnCoordinator", &cockpit::theTurnCoordinator, PanelOp::TurnCoordinator, 50},
        {"theVerticalSpeedIndicator", &cockpit::theVerticalSpeedIndicator, PanelOp::SingleNeedle,
         50},
        {"theNav1Indicator", &cockpit::theNav1Indicator, PanelOp::CourseIndicator, 50},
        {"theAdfIndicator", &cockpit::theAdfIndicator, PanelOp::AdfIndicator, 50},
        {"theTachometer1", &cockpit::theTachometer1, PanelOp::TachometerHourMeter, 36},
        {"theDmeRadio", &cockpit::theDmeRadio, PanelOp::LampTriple, 48},
        {"theNav1Radio", &cockpit::theNav1Radio, PanelOp::RadioActive, 70},
        {"theNav2Radio", &cockpit::theNav2Radio, PanelOp::RadioActive, 70},
        {"theAdfRadio", &cockpit::theAdfRadio, PanelOp::RadioActive, 50},
        {"theCom1Radio", &cockpit::theCom1Radio, PanelOp::RadioActive, 70},
        {"theCom2Radio", &cockpit::theCom2Radio, PanelOp::RadioActive, 70},
        {"theTransponder", &cockpit::theTransponder, PanelOp::RadioActive, 30},
        {"theClock", &cockpit::theClock, PanelOp::Clock, 40},
        {"theLeftFuelGauge", &cockpit::theLeftFuelGauge, PanelOp::BarPointer, 24},
        {"theRightFuelGauge", &cockpit::theRightFuelGauge, PanelOp::BarPointer, 24},
        {"theOilTempGauge", &cockpit::theOilTempGauge, PanelOp::BarPointer, 24},
        {"theOilPressureGauge", &cockpit::theOilPressureGauge, PanelOp::BarPointer, 24},
        {"theMixtureLever", &cockpit::theMixtureLever, PanelOp::LeverKnob, 20},
        {"theThrottleLever", &cockpit::theThrottleLever, PanelOp::LeverKnob, 20},
        {"theCarbHeatKnob", &cockpit::theCarbHeatKnob, PanelOp::LeverKnob, 14},
        {"theElevatorTrimIndicator", &cockpit::theElevatorTrimIndicator, PanelOp::TrimWheel, 44},
        {"theFlapsLever", &cockpit::theFlapsLever, PanelOp::Flaps, 0},
        {"theFuelSelector", &cockpit::theFuelSelector, PanelOp::RotarySelector, 24},
        {"theIgnitionSwitch", &cockpit::theIgnitionSwitch, PanelOp::RotarySelector, 24},
        {"theMasterSwitch", &cockpit::theMasterSwitch, PanelOp::ToggleC172, 10},
        {"theAvionicsSwitch", &cockpit::theAvionicsSwitch, PanelOp::ToggleC172, 10},
        {"thePitotHeatSwitch", &cockpit::thePitotHeatSwitch, PanelOp::ToggleC172, 10},
        {"theStrobeSwitch", &cockpit::theStrobeSwitch, PanelOp::ToggleC172, 10},
        {"theBeaconSwitch", &cockpit::theBeaconSwitch, PanelOp::ToggleC172, 10},
        {"theNavLightSwitch", &cockpit::theNavLightSwitch, PanelOp::ToggleC172, 10},
        {"theTaxiLightSwitch", &cockpit::theTaxiLightSwitch, PanelOp::ToggleC172, 10},
        {"theLandingLightSwitch", &cockpit::theLandingLightSwitch, PanelOp::ToggleC172, 10},
    };
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(0, &count);
    for (const Named& n : kNamed) {
        if (name != n.name) continue;
        for (int i = 0; i < count; ++i) {
            const cockpit::PanelRow& row = rows[i];
            if (row.op != n.op || (n.gauge != nullptr && row.gauge != n.gauge)) continue;
            place->size = n.size;
            place->x = row.x;
            place->y = row.y;
            switch (row.op) {
                case PanelOp::AttitudeIndicator: {
                    // Placed by the attitude layout: the centre of its window.
                    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(0);
                    place->x = a.a;
                    place->y = (a.d + a.f) / 2 - cockpit::PanelRowShift(0);
                    place->kind = Outline::Dial;
                    break;
                }
                case PanelOp::SingleNeedle:
                case PanelOp::ThreePointerAltimeter:
                case PanelOp::TurnCoordinator:
                case PanelOp::CourseIndicator:
                case PanelOp::AdfIndicator:
                case PanelOp::TachometerHourMeter:
                case PanelOp::HsiC172:
                    place->kind = Outline::Dial;
                    break;
                case PanelOp::RadioActive:
                case PanelOp::LampTriple:
                    place->kind = Outline::Radio;
                    break;
                default:
                    place->kind = Outline::Other;
                    break;
            }
            return true;
        }
    }
    return false;
}

// Our panel, halved, with the instrument named by its gauge's name outlined.
bool PanelSlide(Canvas& c, const gfx::GFXBitmap& panel, const std::string& instrument) {
    // Each 2×2 block shows its first pixel that is not the panel's paint, so thin marks stay;
    // the attitude window (left for the program to paint) shows a level horizon.
    const std::uint8_t paint = InkIndex(0, Ink::Paint);
    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(0);
    const int horizon = (a.d + a.f) / 2;
    for (int y = 0; y < kPanelHeight / 2; ++y)
        for (int x = 0; x < kW; ++x) {
            std::uint8_t v = paint;
            for (int k = 0; k < 4 && v == paint; ++k)
                v = panel.Row(2 * y + k / 2)[2 * x + k % 2];
            if (v == 0)
                v = 2 * y < horizon ? InkIndex(0, Ink::SkyArt) : InkIndex(0, Ink::GroundArt);
            c.Set(x, kPanelTop + y, v);
        }
    PanelPlace place;
    if (!FindPanelPlace(instrument, &place)) return false;
    // Layout y to the halved panel's rows.
    const double px = place.x / 2.0, py = (place.y + cockpit::PanelRowShift(0)) / 2.0 + kPanelTop;
    switch (place.kind) {
        case Outline::Dial:
            c.Ring(px, py, place.size / 2.0 + 2, place.size / 2.0 + 5, kAccent);
            break;
        case Outline::Radio: {
            const int l = static_cast<int>(px) - 4, t = static_cast<int>(py) - 7;
            const int r = static_cast<int>(px + place.size / 2.0 + 38),
                      b = static_cast<int>(py) + 7;
            c.Fill(l, t, r, t + 1, kAccent), c.Fill(l, b - 1, r, b, kAccent);
            c.Fill(l, t, l + 1, b, kAccent), c.Fill(r - 1, t, r, b, kAccent);
            break;
        }
        default:
            c.Ring(px + 5, py, 10, 13, kAccent);
            break;
    }
    return true;
}

// ---- one slide -----------------------------------------------------------------------------------

bool DrawSlide(const Lesson& lesson, const Slide& s, const gfx::GFXBitmap& panel, TextPainter& text,
               std::vector<std::uint8_t>* pixels, std::string* error) {
    auto bitmap = gfx::GFXBitmap::Create(kW, kH, 8);
    if (!bitmap) {
        *error = "cannot make a slide";
        return false;
    }
    std::memset(bitmap->pixels, kBack, static_cast<std::size_t>(bitmap->size));
    Canvas c(*bitmap);
    if (s.kind == "title") {
        text.Draw(c, 12, 16, "GROUND SCHOOL", 14, true, kRampYellow);
        const std::string sub = lesson.number >= 97 ? "Cessna 172 tutorial" : "Lesson " + std::to_string(lesson.number);
        text.Draw(c, 12, 34, sub, 13, false, kRampWhite);
        int y = 70;
        for (const std::string& l : Wrap(text, lesson.title, 30, true, kW - 24)) {
            text.Draw(c, 12, y, l, 30, true, kRampWhite);
            y += 36;
        }
        Airplane(c, 250, 196, 0.7, kGrid);
    } else {
        c.Fill(0, 0, kW - 1, 20, kBand);
        text.Draw(c, 8, 2, s.head.empty() ? lesson.title : s.head, 15, true, kRampBand);
        const std::string& k = s.kind;
        if (k == "panel") {
            if (s.args.empty() || !PanelSlide(c, panel, s.args[0])) {
                *error = "lesson " + std::to_string(lesson.number) + ": no instrument " +
                         (s.args.empty() ? std::string() : s.args[0]) + " on the panel";
                return false;
            }
        } else if (k == "attitude") {
            Attitude(c, Arg(s, 0), Arg(s, 1));
        } else if (k == "bank") {
            Bank(c, Arg(s, 0, 20));
        } else if (k == "axes") {
            Axes(c);
        } else if (k == "pattern") {
            Pattern(c, s.args.empty() ? "all" : s.args[0]);
        } else if (k == "drift") {
            Drift(c, Arg(s, 0, 270), Arg(s, 1, 20));
        } else if (k == "vor") {
            Vor(c, Arg(s, 0), s.args.size() > 1 ? s.args[1] : "TO");
        } else if (k == "ndb") {
            Ndb(c, Arg(s, 0));
        } else if (k == "airspeed") {
            Airspeed(c, s.args.empty() ? "green" : s.args[0]);
        } else if (k == "scan") {
            Scan(c);
        } else if (k != "text") {
            *error = "lesson " + std::to_string(lesson.number) + ": unknown slide kind " + k;
            return false;
        }
        // The slide's points: under the picture, or filling a text slide.
        const bool big = k == "text";
        int y = big ? 50 : 182;
        for (const std::string& line : s.lines) {
            if (big) {
                for (const std::string& part : Wrap(text, line, 20, false, kW - 40)) {
                    text.Draw(c, 28, y, part, 20, false, kRampWhite);
                    y += 28;
                }
                continue;
            }
            c.Fill(10, y + 5, 13, y + 8, kAccent);
            text.Draw(c, 20, y, line, 12, false, kRampWhite);
            y += 14;
        }
    }
    pixels->resize(static_cast<std::size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y) std::memcpy(pixels->data() + static_cast<std::size_t>(y) * kW, bitmap->Row(y), kW);
    return true;
}

// ---- speech ----------------------------------------------------------------------------------------

bool HaveSpeaker() {
    return std::system("command -v espeak-ng >/dev/null 2>&1") == 0;
}

// 11,025 Hz 8-bit mono; empty when espeak-ng fails.
std::vector<std::uint8_t> Speak(const std::string& words) {
    std::string quoted = "'";
    for (char ch : words) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    quoted += "'";
    const std::string command = "espeak-ng -v en-us -s 150 --stdout " + quoted + " 2>/dev/null";
    std::vector<std::uint8_t> wav;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::uint8_t buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) wav.insert(wav.end(), buffer, buffer + n);
        if (pclose(pipe) != 0) wav.clear();
    }
    // The samples follow the "data" chunk's header (its size may be left open on a pipe).
    std::size_t at = 12;
    int rate = 0;
    while (at + 8 <= wav.size()) {
        const std::uint32_t size = wav[at + 4] | (wav[at + 5] << 8) | (wav[at + 6] << 16) |
                                   (static_cast<std::uint32_t>(wav[at + 7]) << 24);
        if (std::memcmp(&wav[at], "fmt ", 4) == 0 && at + 16 <= wav.size())
            rate = wav[at + 12] | (wav[at + 13] << 8) | (wav[at + 14] << 16);
        if (std::memcmp(&wav[at], "data", 4) == 0) break;
        at += 8 + size + (size & 1);
    }
    std::vector<std::uint8_t> out;
    if (rate != 22050 || at + 8 > wav.size()) return out;
    const std::size_t first = at + 8, samples = (wav.size() - first) / 2;
    for (std::size_t i = 0; i + 1 < samples; i += 2) {
        auto s16 = [&](std::size_t k) {
            return static_cast<std::int16_t>(wav[first + 2 * k] | (wav[first + 2 * k + 1] << 8));
        };
        const int sum = s16(i) + s16(i + 1);  // the pair's average, then to 8 bits
        out.push_back(static_cast<std::uint8_t>(std::clamp((sum / 2 + 32768 + 128) >> 8, 0, 255)));
    }
    return out;
}

// The cache of the slides' speech: a clip file (tools/mkdata/clip_cache.h) keyed by espeak-ng's
// version, the way it is asked to speak and every slide's words, a clip a slide. espeak-ng says
// the same words the same way each time, so a cached run writes the same videos as a cold one,
// without starting espeak-ng once a slide.
std::string SpeechKey(const std::vector<std::string>& words) {
    std::string version;
    if (FILE* pipe = popen("espeak-ng --version 2>/dev/null", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe) != nullptr)
            version += line;
        pclose(pipe);
    }
    if (version.empty()) return {};
    CacheKey key;
    key.Add("ground school speech 1: -v en-us -s 150, pairs averaged to 8 bits");
    key.Add(version);
    for (const std::string& w : words)
        key.Add(w);
    return key.Hex();
}

// Every slide's clip, none empty, from the cache file.
bool ReadSpeech(const std::string& path, std::size_t count,
                std::vector<std::vector<std::uint8_t>>* speech) {
    Clips clips;
    if (!ReadClipCache(path, std::numeric_limits<std::uint32_t>::max(), &clips) ||
        clips.size() != count)
        return false;
    std::vector<std::vector<std::uint8_t>> read(count);
    for (auto& [slide, clip] : clips) {
        if (slide < 0 || static_cast<std::size_t>(slide) >= count || clip.empty()) return false;
        read[static_cast<std::size_t>(slide)] = std::move(clip);
    }
    *speech = std::move(read);
    return true;
}

void WriteSpeech(const std::string& path, const std::vector<std::vector<std::uint8_t>>& speech) {
    Clips clips;
    for (std::size_t i = 0; i < speech.size(); ++i) {
        if (speech[i].empty()) return;  // a slide espeak-ng failed to speak is not kept
        clips[static_cast<int>(i)] = speech[i];
    }
    WriteClipCache(path, clips);
}

}  // namespace

int MakeGroundSchool(Installation& installation, std::string* error) {
    return MakeGroundSchoolInto(
        installation.DataDir(),
        [&](const std::string& name, Bytes bytes) {
            installation.AddFile("train\\" + name, std::move(bytes));
        },
        false, error, installation.CacheDir());
}

int MakeGroundSchoolInto(const std::string& dataDir,
                         const std::function<void(const std::string&, Bytes)>& put, bool slidesOnly,
                         std::string* error, const std::string& cacheDir) {
    std::vector<Lesson> lessons;
    if (!ReadLessons(dataDir + "/groundschool/lessons.txt", &lessons, error)) return 0;
    auto panel = DrawC172PanelPicture(kPanelHeight, nullptr);
    if (!panel) {
        *error = "cannot draw the panel";
        return 0;
    }
    const std::vector<Rgb> colours = VideoPalette();
    std::array<std::uint32_t, 256> palette{};
    for (std::size_t i = 0; i < 256; ++i)
        palette[i] = (static_cast<std::uint32_t>(colours[i].r) << 16) | (colours[i].g << 8) | colours[i].b;

    // Every slide's speech, several at once.
    std::vector<const Slide*> all;
    for (const Lesson& l : lessons)
        for (const Slide& s : l.slides) all.push_back(&s);
    std::vector<std::vector<std::uint8_t>> speech(all.size());
    std::vector<std::string> words;
    for (const Slide* s : all)
        words.push_back(s->say.empty() ? s->head : s->say);
    if (!slidesOnly) {
        const bool speaker = HaveSpeaker();
        const std::string key = cacheDir.empty() || !speaker ? std::string() : SpeechKey(words);
        const std::string cached =
            key.empty() ? std::string() : cacheDir + "/groundschool-" + key + ".speech";
        if (!cached.empty() && ReadSpeech(cached, all.size(), &speech)) {
            // kept from an earlier run
        } else if (speaker) {
            std::size_t next = 0;
            std::mutex lock;
            std::vector<std::thread> workers;
            for (int t = 0; t < 4; ++t)
                workers.emplace_back([&] {
                    for (;;) {
                        std::size_t i;
                        {
                            std::lock_guard<std::mutex> g(lock);
                            if (next >= all.size()) return;
                            i = next++;
                        }
                        speech[i] = Speak(words[i]);
                    }
                });
            for (std::thread& w : workers) w.join();
            if (!cached.empty()) WriteSpeech(cached, speech);
        } else {
            std::fprintf(stderr, "mkdata: espeak-ng is not installed (scripts/deps.sh): the ground-school "
                                 "videos are silent\n");
        }
    }

    TextPainter text;
    std::size_t spoken = 0;
    for (const Lesson& lesson : lessons) {
        char name[16];
        std::snprintf(name, sizeof name, "f%02d", lesson.number);
        win::AviContents contents;
        contents.width = kW;
        contents.height = kH;
        contents.palette = palette;
        contents.rate = kFps;
        contents.soundRate = kSoundRate;
        contents.soundBits = 8;
        std::vector<std::uint8_t> previous;
        std::string slideList;
        for (std::size_t k = 0; k < lesson.slides.size(); ++k) {
            const Slide& s = lesson.slides[k];
            std::vector<std::uint8_t> pixels;
            if (!DrawSlide(lesson, s, *panel, text, &pixels, error)) return 0;
            if (slidesOnly) {
                put(std::string(name) + "_" + std::to_string(k) + ".raw", Bytes(pixels.begin(), pixels.end()));
                continue;
            }
            std::vector<std::uint8_t>& voice = speech[spoken++];
            if (voice.empty()) {
                // Reading time in silence: a third of a second a word.
                std::size_t words = 0;
                std::istringstream ss(s.say);
                for (std::string w; ss >> w;) ++words;
                voice.assign(words * kSoundRate / 3, 0x80);
            }
            // The slide stays while it is spoken, with a breath after, in whole frames.
            const std::size_t samples = voice.size() + kSoundRate * 7 / 10;
            const std::size_t frames = (samples * kFps + kSoundRate - 1) / kSoundRate;
            const std::size_t end = (contents.frames.size() + frames) * kSoundRate / kFps;
            contents.sound.insert(contents.sound.end(), voice.begin(), voice.end());
            contents.sound.resize(end, 0x80);
            for (std::size_t f = 0; f < frames; ++f) {
                contents.frames.push_back(win::EncodeRle8(
                    pixels.data(), previous.empty() ? nullptr : previous.data(), kW, kH));
                contents.keyFrames.push_back(previous.empty());
                previous = pixels;
            }
        }
        if (!slidesOnly) put(std::string(name) + ".avi", win::MakeAviImage(contents));
    }
    return 1;
}

}  // namespace mkdata
