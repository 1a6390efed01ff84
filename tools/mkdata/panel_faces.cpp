// Airspeed markings (KIAS) are the handbooks': Cessna 172N white arc 41-85, green 47-128, yellow
// 128-160, red line 160; Bonanza V35B white 55-105, green 62-165, yellow 165-205, red 205; Baron 58
// white 74-122, green 84-195, yellow 195-223, red 223, red radial (minimum control speed) 84, blue
// radial (best single-engine climb) 101; King Air B200 white 81-148, red radial 86, blue 121, maximum
// operating speed 259; CitationJet white 81-161, maximum operating speed 263. Engines: the 172's
// tachometer green 2200-2700 RPM; the Bonanza's and Baron's 2200-2700 RPM and 15-29.6 inches of
// manifold pressure; the King Air's torque limit 2230 ft-lb, turbine temperature limit 800 C.
#include "tools/mkdata/panel_faces.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauge_values.h"
#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_layouts.h"
#include "tools/mkdata/panel_kit.h"

namespace mkdata {

double FrameAngle(double frame) {
    double a = std::fmod((frame - 1) * 2.0, 360.0);
    return a < 0 ? a + 360.0 : a;
}

namespace {

using cockpit::PanelOp;
using AngleOf = std::function<double(double)>;

constexpr int kHeights[5] = {309, 287, 330, 330, 337};

// ---- the layout: faces and texts -----------------------------------------------------------------

// A box of the panel bitmap, edges inside.
struct Box {
    int l, t, r, b;
};
bool Overlap(const Box& a, const Box& b) {
    return a.l <= b.r && b.l <= a.r && a.t <= b.b && b.t <= a.b;
}
bool Inside(const Box& in, const Box& out) {
    return in.l >= out.l && in.r <= out.r && in.t >= out.t && in.b <= out.b;
}

// What a gauge covers: its face, window, slot or lamp, or the pixels the program draws there
// (needles, digits, switches); a round face is its disc. A container (the radio stack's housing)
// holds other gauges, whose texts may stand on it.
struct Face {
    Box box;
    int owner;
    std::string what;
    bool round = false;
    double cx = 0, cy = 0, radius = 0;
    bool container = false;
};
bool Overlap(const Face& f, const Box& b) {
    if (!Overlap(f.box, b)) return false;
    if (!f.round) return true;
    // The disc against the box: the box's point nearest the centre.
    const double nx = std::clamp(f.cx, b.l + 0.0, b.r + 1.0);
    const double ny = std::clamp(f.cy, b.t + 0.0, b.b + 1.0);
    return std::hypot(nx - f.cx, ny - f.cy) < f.radius;
}

struct Text {
    std::string text;
    Box box;
    int owner;
};

// A text piece at its top-left corner.
struct Piece {
    int x, y;
    std::string text;
    [[nodiscard]] Box Bounds() const { return {x, y, x + Canvas::TinyWidth(text) - 1, y + 4}; }
};

// A label still to be placed: the first of its ways to stand whose pieces all lie clear of every
// other text and of every face but its owner's (and the containers its owner stands in) is
// taken; texts keep a gap of two pixels between them, so words stay apart.
struct Pending {
    std::string text;
    std::vector<std::vector<Piece>> ways;
    Ink ink;
    int owner;
    bool optional;  // dropped when no way is clear (the others refuse the layout)
    bool bar = false;  // a bar gauge's name and letters
    // The click area of the control it names, when its owner has no face there.
    Box control{0, 0, -1, -1};
};

inline constexpr int kTextGap = 2;

class Layout {
public:
    int NewOwner() { return nextOwner++; }
    void AddFace(const Box& box, int owner, std::string what) {
        faces.push_back({box, owner, std::move(what)});
    }
    void AddDisc(double cx, double cy, double radius, int owner, std::string what) {
        Face f{{static_cast<int>(std::floor(cx - radius)), static_cast<int>(std::floor(cy - radius)),
                static_cast<int>(std::ceil(cx + radius)), static_cast<int>(std::ceil(cy + radius))},
               owner, std::move(what)};
        f.round = true;
        f.cx = cx;
        f.cy = cy;
        f.radius = radius;
        faces.push_back(std::move(f));
    }
    void AddContainer(const Box& box, std::string what) {
        Face f{box, -1, std::move(what)};
        f.container = true;
        faces.push_back(std::move(f));
    }
    void Queue(Pending p) { pending.push_back(std::move(p)); }
    // A number or word printed on a gauge's own face (a dial's scale and names).
    void AddMark(const std::string& text, const Box& box, int owner) {
        marks.push_back({text, box, owner});
    }
    // Whether a mark may stand in the box: a pixel apart from every mark already there.
    [[nodiscard]] bool MarkClear(const Box& box) const {
        const Box spaced{box.l - 1, box.t - 1, box.r + 1, box.b + 1};
        for (const Text& m : marks)
            if (Overlap(m.box, spaced)) return false;
        return true;
    }

    // Places every queued label in order, each at its first clear way, and draws them. A label
    // that finds none is moved to the front and the placing starts again, so a label with fewer
    // ways goes before the ones that would take its room (each can move forward once).
    void Place(Canvas& c, const Inks& k) {
        std::vector<Pending> order = std::move(pending);
        pending.clear();
        const std::vector<Text> fixed = texts;
        std::vector<int> chosen;
        for (std::size_t attempt = 0; attempt <= order.size(); ++attempt) {
            texts = fixed;
            chosen.assign(order.size(), -1);
            std::size_t failed = order.size();
            for (std::size_t i = 0; i < order.size() && failed == order.size(); ++i) {
                const Pending& p = order[i];
                for (std::size_t w = 0; w < p.ways.size() && chosen[i] < 0; ++w) {
                    bool clear = true;
                    for (const Piece& piece : p.ways[w])
                        clear = clear && Clear(piece.Bounds(), p.owner) &&
                                OnOwnControl(piece.Bounds(), p);
                    if (!clear) continue;
                    chosen[i] = static_cast<int>(w);
                    for (const Piece& piece : p.ways[w])
                        if (!piece.text.empty()) texts.push_back({piece.text, piece.Bounds(), p.owner});
                }
                if (chosen[i] < 0 && !p.optional) failed = i;
            }
            if (failed == order.size()) break;
            if (failed == 0 || attempt == order.size()) {
                const Pending& p = order[failed];
                const Piece* first = p.ways.empty() || p.ways[0].empty() ? nullptr : &p.ways[0][0];
                if (fault.empty())
                    fault = "no clear place for the label \"" + p.text + "\" near (" +
                            std::to_string(first != nullptr ? first->x : 0) + ", " +
                            std::to_string(first != nullptr ? first->y : 0) + ")";
                break;
            }
            Pending moved = std::move(order[failed]);
            order.erase(order.begin() + static_cast<std::ptrdiff_t>(failed));
            order.insert(order.begin(), std::move(moved));
        }
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (order[i].bar && chosen[i] != 0) barsAllFirst = false;
            if (chosen[i] < 0) continue;
            for (const Piece& piece : order[i].ways[static_cast<std::size_t>(chosen[i])])
                if (!piece.text.empty()) c.Tiny(piece.x, piece.y, piece.text, k(order[i].ink));
        }
    }

    // Whether a text may stand in the box: on the bitmap, apart from every other text and over no
    // face but its owner's or a container its owner stands in.
    [[nodiscard]] bool Clear(const Box& box, int owner) const {
        if (box.l < 0 || box.t < 0 || box.r >= width || box.b >= height) return false;
        const Box spaced{box.l - kTextGap, box.t - kTextGap, box.r + kTextGap, box.b + kTextGap};
        for (const Text& t : texts)
            if (Overlap(t.box, spaced)) return false;
        for (const Text& m : marks)
            if (Overlap(m.box, box)) return false;
        for (const Face& f : faces) {
            if (f.owner == owner && !f.container) continue;
            if (f.container && OwnerInside(owner, f.box)) continue;
            if (Overlap(f, box)) return false;
        }
        return true;
    }

    // Whether a text in the box stands on no click area but its own control's (one that holds a
    // face of its owner, or the control it was given): a click on a word works what it names.
    [[nodiscard]] bool OnOwnControl(const Box& box, const Pending& p) const {
        for (const Box& area : clickAreas) {
            if (!Overlap(area, box) || Overlap(area, p.control)) continue;
            bool own = false;
            for (const Face& f : faces)
                own = own || (f.owner == p.owner && !f.container && Overlap(f, area));
            if (!own) return false;
        }
        return true;
    }

    // Every face of an owner lies inside the box.
    [[nodiscard]] bool OwnerInside(int owner, const Box& box) const {
        bool any = false;
        for (const Face& f : faces) {
            if (f.owner != owner || f.container) continue;
            if (!Inside(f.box, box)) return false;
            any = true;
        }
        return any;
    }

    int width = 640;
    int height = 480;
    bool barsAllFirst = true;  // every bar gauge's label stands the first way it offers
    std::vector<Face> faces;
    std::vector<Text> texts;
    std::vector<Text> marks;
    std::vector<Pending> pending;
    std::vector<Box> clickAreas;  // where a click acts: each button, each region without buttons
    std::string fault;

private:
    int nextOwner = 0;
};

struct Board {
    Canvas& c;
    Inks k;
    int type;
    int shift;  // a layout y's panel row is y + shift
    Layout& layout;
    bool compactBars = false;  // the bar gauges' letters stand beside their names
    int owner = -1;  // the gauge being drawn
    double X(double x) const { return x + 0.5; }
    double Y(double y) const { return y + shift + 0.5; }
    // The current gauge covers a box, or a disc.
    void Face(int l, int t, int r, int btm, const char* what) {
        layout.AddFace({l, t, r, btm}, owner, what);
    }
    void Disc(double cx, double cy, double radius, const char* what) {
        layout.AddDisc(cx, cy, radius, owner, what);
    }
    // A label of the current gauge at the first clear place of those given (top-left corners).
    void Label(const std::string& text, std::initializer_list<std::pair<int, int>> places,
               Ink ink = Ink::GreyLight, bool optional = false) {
        Pending p{text, {}, ink, owner, optional};
        for (const auto& [x, y] : places) p.ways.push_back({{x, y, text}});
        layout.Queue(std::move(p));
    }
};

// The top-left corner of a label centred on a point.
std::pair<int, int> Centred(double cx, double cy, const std::string& text) {
    return {static_cast<int>(std::lround(cx - Canvas::TinyWidth(text) / 2.0)),
            static_cast<int>(std::lround(cy - 2.5))};
}

void Bezel(Board& b, double cx, double cy, double r) {
    b.Disc(cx, cy, r + 3.5, "dial");
    b.c.Ring(cx, cy, r, r + 2.5, b.k(Ink::MetalDark));
    b.c.Ring(cx, cy, r + 2.5, r + 3.5, b.k(Ink::Metal));
    b.c.Disc(cx, cy, r, b.k(Ink::Face));
}

void Tick(Board& b, double cx, double cy, double r, double a, double len, double w, Ink ink = Ink::White) {
    double x0, y0, x1, y1;
    Polar(cx, cy, r - len, a, &x0, &y0);
    Polar(cx, cy, r, a, &x1, &y1);
    b.c.Line(x0, y0, x1, y1, w, b.k(ink));
}

// A scale's number at its angle; a number that would touch one already on the dial (two scales
// sharing a face) is left out, so every number stays readable.
void Numeral(Board& b, double cx, double cy, double r, double a, const std::string& text,
             Ink ink = Ink::White) {
    double x, y;
    Polar(cx, cy, r, a, &x, &y);
    const auto [l, t] = Centred(x, y, text);
    const Box box{l, t, l + Canvas::TinyWidth(text) - 1, t + 4};
    if (!b.layout.MarkClear(box)) return;
    b.c.Tiny(l, t, text, b.k(ink));
    b.layout.AddMark(text, box, b.owner);
}

// An arc band between two values of a scale, whichever way the scale turns.
void Band(Board& b, double cx, double cy, double r0, double r1, const AngleOf& angle, double v0,
          double v1, Ink ink) {
    const int steps = 40;
    for (int i = 0; i < steps; ++i) {
        const double a0 = angle(v0 + (v1 - v0) * i / steps);
        const double a1 = angle(v0 + (v1 - v0) * (i + 1) / steps);
        double lo = std::min(a0, a1), hi = std::max(a0, a1);
        if (hi - lo > 180) std::swap(lo, hi);
        b.c.Arc(cx, cy, r0, r1, lo - 0.4, hi + 0.4, b.k(ink));
    }
}

// Ticks from `from` to `to` every `minor`, long every `major`, numbered every `label`.
void Scale(Board& b, double cx, double cy, double r, const AngleOf& angle, double from, double to,
           double minor, double major, double label, const std::function<std::string(double)>& text,
           double labelRadius) {
    for (double v = from; v <= to + 1e-6; v += minor) {
        const bool big = std::fmod(std::abs(v - from) + 1e-6, major) < 2e-6 ||
                         std::fmod(std::abs(v) + 1e-6, major) < 2e-6;
        Tick(b, cx, cy, r, angle(v), big ? 5 : 3, big ? 1.3 : 1.0);
    }
    if (label > 0)
        for (double v = from; v <= to + 1e-6; v += label)
            Numeral(b, cx, cy, labelRadius, angle(v), text(v));
}

std::string Int(double v) {
    return std::to_string(static_cast<int>(std::lround(v)));
}

void Window(Board& b, int l, int t, int r, int btm) {
    b.Face(l - 1, t - 1, r + 1, btm + 1, "window");
    b.c.Fill(l - 1, t - 1, r + 1, btm + 1, b.k(Ink::GreyDark));
    b.c.Fill(l, t, r, btm, b.k(Ink::Window));
}

// A word on a dial's face, at its place or, where the scale's numbers stand there, a few pixels
// off it.
void LabelAt(Board& b, double cx, double cy, const char* text, Ink ink = Ink::GreyLight) {
    static constexpr int kMoves[][2] = {{0, 0}, {0, 3}, {0, -3}, {0, 5}, {0, -5}, {3, 0},
                                        {-3, 0}, {0, 7}, {0, -7}, {5, 3}, {-5, 3}, {5, -3}, {-5, -3}};
    const auto [l0, t0] = Centred(cx, cy, text);
    const int w = Canvas::TinyWidth(text);
    Box box{l0, t0, l0 + w - 1, t0 + 4};
    for (const auto& m : kMoves) {
        const Box at{l0 + m[0], t0 + m[1], l0 + m[0] + w - 1, t0 + m[1] + 4};
        if (!b.layout.MarkClear(at)) continue;
        box = at;
        break;
    }
    b.c.Tiny(box.l, box.t, text, b.k(ink));
    b.layout.AddMark(text, box, b.owner);
}

// ---- dials -------------------------------------------------------------------------------------

void AirspeedFace(Board& b, double cx, double cy, double r, bool machWindow = false) {
    Bezel(b, cx, cy, r);
    const int t = b.type;
    const AngleOf a = [t](double kt) {
        return FrameAngle(cockpit::AirspeedFrame(t, static_cast<std::int32_t>(kt * 32768.0)));
    };
    struct Marks {
        double white0, white1, green0, green1, yellow1, red, redRadial, blue, top, label, first;
    };
    static constexpr Marks kMarks[5] = {
        {41, 85, 47, 128, 160, 160, 0, 0, 180, 20, 40},
        {55, 105, 62, 165, 205, 205, 0, 0, 210, 20, 60},
        {74, 122, 84, 195, 223, 223, 84, 101, 280, 40, 80},
        {81, 148, 0, 0, 0, 259, 86, 121, 320, 40, 80},
        {81, 161, 0, 0, 0, 263, 0, 0, 320, 40, 80},
    };
    const Marks& m = kMarks[t];
    Band(b, cx, cy, r - 7, r - 4, a, m.white0, m.white1, Ink::White);
    if (m.green1 > 0) {
        Band(b, cx, cy, r - 4, r - 1, a, m.green0, m.green1, Ink::Green);
        Band(b, cx, cy, r - 4, r - 1, a, m.green1, m.yellow1, Ink::Yellow);
    }
    Tick(b, cx, cy, r, a(m.red), 8, 2.2, Ink::Red);
    if (m.redRadial > 0) Tick(b, cx, cy, r, a(m.redRadial), 8, 1.6, Ink::Red);
    if (m.blue > 0) Tick(b, cx, cy, r, a(m.blue), 8, 1.6, Ink::Blue);
    if (t >= 3) {
        // The maximum operating speed's barber pole.
        for (double v = m.red; v < m.top; v += 4)
            Band(b, cx, cy, r - 6, r - 1, a, v, v + 2, Ink::Red);
    }
    Scale(b, cx, cy, r, a, m.first - m.label / 2 >= 40 ? m.first - m.label / 2 : 40, m.top, 10,
          m.label, m.label, Int, r - 15);
    // The jet shows its Mach number in a window below the hub: the unit goes above it.
    LabelAt(b, cx, cy + (machWindow ? -0.35 : 0.35) * r, "KNOTS");
}

void VsiFace(Board& b, double cx, double cy, double r) {
    Bezel(b, cx, cy, r);
    const int t = b.type;
    const AngleOf a = [t](double fpm) { return FrameAngle(cockpit::VerticalSpeedFrame(t, fpm)); };
    const double top = t <= 0 ? 2000 : (t <= 2 ? 4000 : 6000);
    const double step = t <= 0 ? 500 : 1000;
    for (int s : {-1, 1}) {
        Scale(b, cx, cy, r, [&](double v) { return a(s * v); }, 0, top, step / 5, step, step,
              [t](double v) { return t <= 0 ? Int(v / 100) : Int(v / 1000); }, r - 14);
    }
    LabelAt(b, cx + r * 0.38, cy - r * 0.3, "UP");
    LabelAt(b, cx + r * 0.38, cy + r * 0.3, "DN");
    LabelAt(b, cx - r * 0.1, cy, t <= 0 ? "FPM" : "FPMX1000");
}

void AltimeterFace(Board& b, double cx, double cy, double r) {
    Bezel(b, cx, cy, r);
    for (int i = 0; i < 50; ++i)
        Tick(b, cx, cy, r, i * 7.2, i % 5 == 0 ? 5 : 3, i % 5 == 0 ? 1.3 : 1.0);
    for (int d = 0; d < 10; ++d) {
        // The 2 and the 3 stand a little apart, clear of the setting's window between them.
        const double angle = d == 2 ? 66 : d == 3 ? 115 : d * 36;
        const double x = cx + (r - 13) * std::sin(angle * 3.14159265 / 180);
        const double y = cy - (r - 13) * std::cos(angle * 3.14159265 / 180);
        b.c.TextCentred(x, y, Int(d), b.k(Ink::White));
        const int l = static_cast<int>(std::lround(x - 2.5)), t = static_cast<int>(std::lround(y - 3.5));
        b.layout.AddMark(Int(d), {l, t, l + 4, t + 6}, b.owner);
    }
    LabelAt(b, cx, cy - r * 0.42, "ALT");
}

void TurnFace(Board& b, double cx, double cy, double r, bool symbol, double x, double y) {
    if (symbol) {
        Bezel(b, cx, cy, r);
        for (double s : {-1.0, 1.0}) {
            Tick(b, cx, cy, r, 90 + s * 0, 6, 2.0);
            Tick(b, cx, cy, r, 270 + s * 0, 6, 2.0);
        }
        Tick(b, cx, cy, r, 90 + 24, 6, 2.0);
        Tick(b, cx, cy, r, 270 + 24, 6, 2.0);
        Tick(b, cx, cy, r, 90 - 24, 6, 2.0);
        Tick(b, cx, cy, r, 270 - 24, 6, 2.0);
        LabelAt(b, cx - r * 0.62, cy + r * 0.32, "L");
        LabelAt(b, cx + r * 0.62, cy + r * 0.32, "R");
        LabelAt(b, cx, cy - r * 0.45, "TURN COORD");
        LabelAt(b, cx, cy + r * 0.78, "2 MIN");
    }
    // The inclinometer's tube, where the ball runs.
    b.Face(static_cast<int>(x) - 31, static_cast<int>(y) + 2, static_cast<int>(x) + 33,
           static_cast<int>(y) + 25, "inclinometer");
    b.c.Fill(static_cast<int>(x) - 31, static_cast<int>(y) + 7, static_cast<int>(x) + 33,
             static_cast<int>(y) + 25, b.k(Ink::Black));
    for (int i = 0; i < 65; ++i) {
        const double sag = 4.0 * ((i - 32) / 32.0) * ((i - 32) / 32.0);
        const int top = static_cast<int>(std::lround(y + 6 - sag));
        const int bottom = static_cast<int>(std::lround(y + 22 - sag));
        b.c.Fill(static_cast<int>(x) - 31 + i, top, static_cast<int>(x) - 31 + i, bottom,
                 b.k(Ink::Cream));
    }
}

void CourseFace(Board& b, double cx, double cy, double r) {
    Bezel(b, cx, cy, r);
    for (int d = -5; d <= 5; ++d)
        if (d != 0) b.c.Disc(cx + d * 4.6, cy, 1.2, b.k(Ink::White));
    b.c.Ring(cx, cy, 5, 6, b.k(Ink::White));
}

void AdfFace(Board& b, double cx, double cy, double r, const char* name) {
    Bezel(b, cx, cy, r);
    b.c.Line(cx, cy - 10, cx, cy + 10, 2.0, b.k(Ink::Grey));
    b.c.Line(cx - 9, cy - 2, cx + 9, cy - 2, 2.0, b.k(Ink::Grey));
    LabelAt(b, cx, cy + r * 0.42, name);
}

// A tachometer of a formula: frame of a speed.
void TachFace(Board& b, double cx, double cy, double r, const AngleOf& a, double top,
              double green0, double green1, double red, bool hourMeter) {
    Bezel(b, cx, cy, r);
    Band(b, cx, cy, r - 5, r - 1, a, green0, green1, Ink::Green);
    Tick(b, cx, cy, r, a(red), 7, 2.2, Ink::Red);
    Scale(b, cx, cy, r, a, 0, top, 100, 500, 500, [](double v) { return Int(v / 100); }, r - 11);
    LabelAt(b, cx, cy - r * 0.35, "RPM");
    if (hourMeter) {
        const int hx = static_cast<int>(cx) + cockpit::kHourMeterOffset.x;
        const int hy = static_cast<int>(cy) + cockpit::kHourMeterOffset.y;
        Window(b, hx, hy, hx + 29, hy + 4);
        LabelAt(b, cx, hy - 7, "HOURS");
    }
}

void ManifoldFuelFace(Board& b, double cx, double cy, double r) {
    Bezel(b, cx, cy, r);
    const int t = b.type;
    const AngleOf mp = [t](double in) {
        return FrameAngle(cockpit::ManifoldFrame(t, true, cockpit::PowerValueFromManifold(in)));
    };
    const AngleOf ff = [t](double gph) {
        return FrameAngle(cockpit::FuelFlowFrame(t, cockpit::FuelFlowReference(t, gph), 31));
    };
    Band(b, cx, cy, r - 5, r - 1, mp, 15, 29.6, Ink::Green);
    Tick(b, cx, cy, r, mp(29.6), 7, 2.0, Ink::Red);
    Scale(b, cx, cy, r, mp, 15, 35, 1, 5, 5, Int, r - 11);
    Scale(b, cx, cy, r, ff, 0, 25, 1, 5, 5, Int, r - 11);
    LabelAt(b, cx - r * 0.3, cy + r * 0.2, "MP");
    LabelAt(b, cx + r * 0.3, cy + r * 0.2, "GPH");
}

// The King Air's dials by the gauge they show.
void TurbineDial(Board& b, const cockpit::PanelGauge* g, double cx, double cy, double r) {
    Bezel(b, cx, cy, r);
    using namespace cockpit;
    if (g == &theExhaustTempGauge || g == &theExhaustTempGauge2) {
        const AngleOf a = [](double ftlb) { return FrameAngle(KingAirTorqueTarget(ftlb / 11.1496)); };
        Band(b, cx, cy, r - 5, r - 1, a, 0, 2230, Ink::Green);
        Tick(b, cx, cy, r, a(2230), 7, 2.2, Ink::Red);
        Scale(b, cx, cy, r, a, 0, 2200, 100, 400, 400, [](double v) { return Int(v / 100); }, r - 11);
        LabelAt(b, cx, cy + r * 0.4, "TORQUE");
    } else if (g == &theTachometer1 || g == &theTachometer2) {
        const AngleOf ng = [](double pct) { return FrameAngle(KingAirTachometerValue(static_cast<std::int32_t>(pct * 10))); };
        const AngleOf itt = [](double c) {
            return FrameAngle(KingAirTemperatureFrame(TurbineWordFromCelsius(3, c)));
        };
        Band(b, cx, cy, r - 5, r - 1, ng, 62, 101.5, Ink::Green);
        Tick(b, cx, cy, r, ng(101.5), 7, 2.0, Ink::Red);
        Scale(b, cx, cy, r, ng, 0, 100, 10, 20, 20, Int, r - 11);
        Band(b, cx, cy, r - 5, r - 1, itt, 400, 800, Ink::Green);
        Tick(b, cx, cy, r, itt(800), 7, 2.0, Ink::Red);
        Scale(b, cx, cy, r, itt, 0, 1000, 100, 200, 200, [](double v) { return Int(v / 100); }, r - 11);
        LabelAt(b, cx - r * 0.3, cy + r * 0.3, "NG%");
        LabelAt(b, cx + r * 0.3, cy + r * 0.3, "ITT");
    } else if (g == &theEnginePowerGauge || g == &theEnginePowerGauge2) {
        const AngleOf flow = [](double pph) { return FrameAngle(static_cast<int>(0.1716 * (pph / 2) + 98)); };
        const AngleOf power = [](double pct) { return FrameAngle(static_cast<int>(pct * 2 * 0.286 + 8)); };
        Scale(b, cx, cy, r, flow, 0, 400, 50, 100, 100, [](double v) { return Int(v / 100); }, r - 11);
        Scale(b, cx, cy, r, power, 0, 100, 10, 20, 20, Int, r - 11);
        LabelAt(b, cx - r * 0.3, cy + r * 0.3, "FF");
        LabelAt(b, cx + r * 0.3, cy + r * 0.3, "PWR%");
    } else {
        const AngleOf temp = [](double c) { return FrameAngle(99 + c / 2.5); };
        const AngleOf press = [](double psi) { return FrameAngle(8 + psi / 4.5); };
        Band(b, cx, cy, r - 5, r - 1, temp, 10, 99, Ink::Green);
        Scale(b, cx, cy, r, temp, 0, 90, 10, 30, 30, Int, r - 11);
        Band(b, cx, cy, r - 5, r - 1, press, 60, 90, Ink::Green);
        Scale(b, cx, cy, r, press, 0, 100, 10, 50, 50, Int, r - 11);
        LabelAt(b, cx - r * 0.3, cy + r * 0.3, "OIL C");
        LabelAt(b, cx + r * 0.3, cy + r * 0.3, "PSI");
    }
}

void CounterAltimeterFace(Board& b, double x, double y, double r) {
    const double cx = x + 13, cy = y + 9;
    Bezel(b, cx, cy, r);
    for (int i = 0; i < 50; ++i)
        Tick(b, cx, cy, r, i * 7.2, i % 5 == 0 ? 5 : 3, i % 5 == 0 ? 1.3 : 1.0);
    for (int d = 0; d < 10; ++d) Numeral(b, cx, cy, r - 10, d * 36.0, Int(d));
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    Window(b, ix - 20, iy + 4, ix + cockpit::kDrumWidth - 1, iy + 14);
    Window(b, ix, iy, ix + cockpit::kDrumWidth - 1, iy + 18);
    Window(b, ix + cockpit::kBaroDigitsX, iy + cockpit::kBaroDigitsY - cockpit::kSmallDigitHeight,
           ix + cockpit::kBaroDigitsX + cockpit::kBaroWindowWidth - 1,
           iy + cockpit::kBaroDigitsY - 1);
    LabelAt(b, cx, cy + r * 0.62, "IN HG");
}

// ---- bars, tapes, windows -----------------------------------------------------------------------

// A bar pointer's scale: a dark box round the pointer's travel with a tick every quarter, and one
// row above it the name with the ends' letters (E and F, C and H ...) at the ends.
void BarScale(Board& b, int x, int y, int height, int full, const char* left, const char* right,
              const char* name) {
    b.Face(x - 2, y - 2, x + full + 3, y + height + 2, "bar");
    b.c.Fill(x - 2, y - 2, x + full + 3, y + height + 2, b.k(Ink::Face));
    b.c.Fill(x - 2, y - 2, x + full + 3, y - 2, b.k(Ink::GreyDark));
    for (int i = 0; i <= 4; ++i) {
        const int tx = x + full * i / 4;
        b.c.Fill(tx, y + height + 1, tx, y + height + 1, b.k(Ink::White));
    }
    // The name centred above with the ends' letters below the ends; or, where that has no room,
    // the letters beside the name on one row above (or below) the bar.
    const int nameWidth = Canvas::TinyWidth(name);
    const int width = full + 6;
    const int nameX = x - 2 + (width - nameWidth) / 2;
    const int rightX = x + full + 4 - Canvas::TinyWidth(right);
    Pending p{std::string(left) + " " + name + " " + right, {}, Ink::White, b.owner, false};
    p.bar = true;
    if (!b.compactBars) {
        // Below, the row between the letters is kept free too: no other name runs into them.
        const int between = (rightX - 3) - (x + Canvas::TinyWidth(left) + 1);
        const std::string reserve(static_cast<std::size_t>(std::max(between + 1, 0) / 4), ' ');
        p.ways.push_back({{nameX, y - 7, name},
                          {x - 2, y + height + 4, left},
                          {x + Canvas::TinyWidth(left) + 1, y + height + 4, reserve},
                          {rightX, y + height + 4, right}});
    }
    for (const int top : {y - 7, y + height + 4})
        p.ways.push_back({{x - 2, top, left}, {nameX, top, name}, {rightX, top, right}});
    b.layout.Queue(std::move(p));
}

struct BarInfo {
    int full;
    const char* left;
    const char* right;
    const char* name;
};

BarInfo BarOf(const cockpit::PanelGauge* g, int type) {
    using namespace cockpit;
    static constexpr double kFuelK[5] = {0.0022651566, 0.0013149752, 0.00073982008,
                                         0.00027825342, 0.00859375 * 0.041176471};
    static constexpr double kFullFuel[5] = {109, 202, 529, 1460, 1460};
    const int fuel = static_cast<int>(kFullFuel[type] * 128.0 * kFuelK[type]);
    if (g == &theLeftFuelGauge) return {fuel, "E", "F", "L FUEL"};
    if (g == &theRightFuelGauge) return {fuel, "E", "F", "R FUEL"};
    if (g == &theOilTempGauge || g == &theOilTempGauge2) return {type == 2 ? 45 : 30, "C", "H", "OIL T"};
    if (g == &theOilPressureGauge || g == &theOilPressureGauge2) return {30, "L", "H", "OIL P"};
    if (g == &theExhaustTempGauge || g == &theExhaustTempGauge2) return {type == 2 ? 43 : 32, "", "", "EGT"};
    return {type == 4 ? 26 : 32, "-", "+", "AMPS"};
}

// A tape of the jet's engine gauges; the two engines' tapes of a quantity share one name, centred
// under the pair (`partner` is the other tape's x, or the tape's own for a single one).
void Tape(Board& b, int x, int base, int height, const char* name, int partner) {
    b.Face(x - 2, base - cockpit::kTapeHeight - 1, x + 4, base + 1, "tape");
    b.c.Fill(x - 2, base - height - 1, x + 3, base + 1, b.k(Ink::Black));
    for (int v = 0; v <= height; v += 10) b.c.Set(x + 4, base - v, b.k(Ink::White));
    if (name == nullptr) return;
    const double middle = (x + partner) / 2.0 + 1;
    b.Label(name, {Centred(middle, base + 5, name), Centred(middle, base + 10, name)});
}

// The x of the row drawing a gauge with an operation; -1 when none does.
int RowX(int type, const cockpit::PanelGauge* g, PanelOp op) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == g && rows[i].op == op) return rows[i].x;
    return -1;
}

// ---- the panel -----------------------------------------------------------------------------------

void Housing(Board& b, int l, int t, int r, int btm) {
    b.c.Bevel(l, t, r, btm, b.k(Ink::PaintHighlight), b.k(Ink::PaintDeep), b.k(Ink::PaintShadow));
}

int DialRadius(int type) {
    return type >= 3 ? 42 : 46;
}

// A lamp line the program draws (a radio's transfer, ident or bearing lamp, the DME's source
// lamps), one row high.
void LampFace(Board& b, int x, int y, int length) {
    b.Face(x, y, x + length - 1, y, "lamp");
}

// The places the program draws the radio stack's dots and lit labels (the DME's units).
void StackMarks(Board& b) {
    const int offset = cockpit::kFullViewOffset[b.type];
    const int rows = b.shift - offset;  // screen row to panel row
    for (int i = 0; i < cockpit::StackDotCount(b.type); ++i) {
        const cockpit::IntPoint p = cockpit::StackDot(b.type, i, offset);
        b.Face(p.x, p.y + rows, p.x, p.y + rows, "dot");
    }
    static const char* const kUnits[4] = {"", "NM", "KT", "MIN"};
    for (int i = 0; i < 4; ++i) {
        const cockpit::IntPoint p = cockpit::StackLabel(b.type, i, offset);
        const int w = i == 0 ? 5 : Canvas::TinyWidth(kUnits[i]) + 1;
        const int h = i == 0 ? 3 : 6;
        b.Face(p.x, p.y + rows - h, p.x + w - 1, p.y + rows - 1, "stack label");
    }
    for (int which = 0; which < 2; ++which) {
        const cockpit::IntPoint p = cockpit::DmeSourceLamp(b.type, which, offset);
        b.Face(p.x, p.y + rows - 3, p.x + 2, p.y + rows - 1, "source lamp");
    }
}

const char* RadioName(const cockpit::PanelGauge* g) {
    using namespace cockpit;
    return g == &theNav1Radio   ? "NAV1"
           : g == &theNav2Radio ? "NAV2"
           : g == &theCom1Radio ? "COM1"
           : g == &theCom2Radio ? "COM2"
           : g == &theAdfRadio  ? "ADF"
                                : "XPDR";
}

void DrawRowBackground(Board& b, const cockpit::PanelRow& row) {
    using namespace cockpit;
    const int t = b.type;
    const double x = b.X(row.x), y = b.Y(row.y);
    const int ix = row.x, iy = row.y + b.shift;
    const PanelGauge* g = row.gauge;
    const int R = DialRadius(t);
    switch (row.op) {
        case PanelOp::SingleNeedle:
            if (g == &theAirspeedIndicator) AirspeedFace(b, x, y, R);
            else if (g == &theVerticalSpeedIndicator) VsiFace(b, x, y, R);
            else TurbineDial(b, g, x, y, 33);
            break;
        case PanelOp::MachAirspeed: {
            AirspeedFace(b, x, y, R, true);
            const int dx = row.arg[0], dy = row.arg[1] + b.shift;
            Window(b, dx, dy - kSmallDigitHeight, dx + 3 * kSmallDigitPitch - 1, dy - 1);
            break;
        }
        case PanelOp::TurnCoordinator:
            TurnFace(b, x, y, R, row.arg[0] != 0, ix, iy);
            break;
        case PanelOp::ThreePointerAltimeter: {
            AltimeterFace(b, x, y, R);
            const ThreePointerVariant& v = kThreePointer[row.arg[0]];
            Window(b, ix + v.baro.x, iy + v.baro.y, ix + v.baro.x + kBaroStripWidth - 1, iy + v.baro.y + 14);
            Window(b, ix + v.lowFlag.x, iy + v.lowFlag.y, ix + v.lowFlag.x + 17, iy + v.lowFlag.y + 10);
            break;
        }
        case PanelOp::CounterAltimeter:
            CounterAltimeterFace(b, ix, iy, R);
            break;
        case PanelOp::HsiC172:
        case PanelOp::HsiTwin:
            Bezel(b, x, y, 45);
            break;
        case PanelOp::HsiTurbine: {
            Bezel(b, x, y, 43);
            // The DME's fields and units the instrument draws outside its bezel.
            for (int i = 0; i < 3; ++i) {
                const IntPoint d = kHsiDmeDigits[i], u = kHsiDmeUnits[i];
                b.Face(ix + d.x, iy + d.y - kSmallDigitHeight,
                       ix + d.x + kHsiDmeCells[i] * kSmallDigitPitch - 1, iy + d.y - 1, "DME digits");
                b.Face(ix + u.x, iy + u.y, ix + u.x + 12, iy + u.y + 5, "DME unit");
            }
            break;
        }
        case PanelOp::CourseIndicator:
            CourseFace(b, x, y, R - 2);
            break;
        case PanelOp::AdfIndicator:
            AdfFace(b, x, y, R - 2, "ADF");
            break;
        case PanelOp::Rmi:
            AdfFace(b, x, y, R - 2, "RMI");
            break;
        case PanelOp::TachometerHourMeter: {
            const AngleOf a = [](double rpm) {
                return FrameAngle(SingleTachometerFrame(PistonTachometerTarget(static_cast<int>(rpm))));
            };
            TachFace(b, x, y, t == 0 ? 34 : 33, a, 3500, 2200, 2700, 2700, true);
            break;
        }
        case PanelOp::TwinTachometer: {
            const AngleOf a = [](double rpm) {
                return FrameAngle(TwinTachometerFrame(BaronTachometerTarget(static_cast<int>(rpm))));
            };
            TachFace(b, x, y, 33, a, 3000, 2200, 2700, 2700, false);
            break;
        }
        case PanelOp::TwinNeedle:
            if (t <= 2)
                ManifoldFuelFace(b, x, y, 33);
            else
                TurbineDial(b, g, x, y, 33);
            break;
        case PanelOp::TwinNeedleSlewFirst:
            TurbineDial(b, g, x, y, 33);
            break;
        case PanelOp::LeverKnob:
            b.Face(ix - 1, iy - 24, ix + 16, iy + row.arg[0] + 14, "lever");
            b.c.Fill(ix + 4, iy - 22, ix + 11, iy + row.arg[0] + 14, b.k(Ink::PaintDeep));
            break;
        case PanelOp::BonanzaQuadrant: {
            const IntRect& q = kBonanzaQuadrantClip;
            b.Face(q.left, q.top + b.shift - 36, q.right, q.bottom + b.shift, "quadrant");
            b.c.Fill(q.left, q.top + b.shift - 36, q.right, q.bottom + b.shift, b.k(Ink::PaintDeep));
            break;
        }
        case PanelOp::TwinQuadrant:
        case PanelOp::JetThrottles: {
            const IntRect& q = row.op == PanelOp::JetThrottles ? kJetThrottleClip
                                                              : kQuadrantClip[row.arg[0] == 3 ? 1 : 0];
            // The clip is on the screen; the panel starts at the viewport bottom.
            const int rows = b.shift - kFullViewOffset[t];
            b.Face(q.left, q.top + rows, q.right, q.bottom + rows, "quadrant");
            b.c.Fill(q.left, q.top + rows, q.right, q.bottom + rows, b.k(Ink::PaintDeep));
            b.c.Fill(q.left + 2, q.top + rows + 2, q.right - 2, q.top + rows + 3, b.k(Ink::Black));
            break;
        }
        case PanelOp::GearLever: {
            const IntRect s = GearKnobSource(t);
            b.Face(ix, iy - 18, ix + s.right + 1, iy + row.arg[0] + s.bottom, "gear lever");
            b.c.Fill(ix + 2, iy - 18, ix + s.right - 2, iy + row.arg[0] + s.bottom, b.k(Ink::PaintDeep));
            const int right = ix + s.right + 3;
            // Beside the lever on whichever side stays within the lever's click area.
            b.Label("UP",
                    {{right, iy - 14},
                     {right, iy - 20},
                     {ix - 7, iy - 14},
                     {ix - 9, iy - 14},
                     {right + 4, iy - 14}},
                    Ink::White);
            b.Label("DN",
                    {{right, iy + 14},
                     {right, iy + 8},
                     {ix - 7, iy + 14},
                     {ix - 7, iy + 8},
                     {ix - 9, iy + 14},
                     {ix - 9, iy + 8}},
                    Ink::White);
            break;
        }
        case PanelOp::AutopilotPanel: {
            Housing(b, 484, iy + 378, 639, iy + 400);
            for (int i = 0; i < 6; ++i)
                LampFace(b, ix + kAutopilotLamps[i].x, iy + kAutopilotLamps[i].y, kAutopilotLampLength);
            for (int i = 0; i < 8; ++i) {
                const IntRect& u = kAutopilotUnlit[i];
                const int lx = ix + kAutopilotLabels[i].x, ly = iy + kAutopilotLabels[i].y;
                b.Face(lx - 1, ly - 1, lx + u.right - u.left + 1, ly + u.bottom - u.top + 1, "autopilot label");
                b.c.Fill(lx - 1, ly - 1, lx + u.right - u.left + 1, ly + u.bottom - u.top + 1,
                         b.k(Ink::Black));
            }
            b.Face(ix + kAutopilotRocker.x, iy + kAutopilotRocker.y, ix + kAutopilotRocker.x + 8,
                   iy + kAutopilotRocker.y + 17, "trim rocker");
            break;
        }
        case PanelOp::AudioPanel: {
            static const char* const kNames[7] = {"C1", "C2", "N1", "N2", "D", "M", "A"};
            const IntPoint* markers = t == 4 ? kJetMarkerLamps : kMarkerLamps;
            for (int i = 0; i < 3; ++i)
                b.Face(ix + markers[i].x, iy + markers[i].y, ix + markers[i].x + 6,
                       iy + markers[i].y + 9, "marker lamp");
            if (t != 4) {
                Housing(b, 484, iy + 270, 639, iy + 290);
                for (int i = 0; i < 7; ++i) {
                    const IntPoint& p = kAudioLamps[i];
                    b.Face(ix + p.x - 1, iy + p.y - 1, ix + p.x + kAudioLampLength, iy + p.y + 1, "audio lamp");
                    b.c.Fill(ix + p.x - 1, iy + p.y - 1, ix + p.x + kAudioLampLength, iy + p.y + 1, b.k(Ink::Black));
                    b.Label(kNames[i], {{ix + p.x, iy + p.y + 3}});
                }
            } else {
                // The jet's audio knobs with their names beneath.
                for (int i = 0; i < 7; ++i) {
                    const IntPoint& p = kJetAudioKnobs[i];
                    const int kx = ix + p.x, ky = iy + p.y - kJetAudioKnobRise;
                    b.Face(kx, ky, kx + 9, ky + 9, "audio knob");
                    b.c.Fill(kx, ky, kx + 9, ky + 9, b.k(Ink::PaintDeep));
                    b.Label(kNames[i], {Centred(kx + 5, ky + 14, kNames[i])});
                }
                const IntPoint& m = kJetMarkerLamps[0];
                b.Label("MKR", {{ix + m.x, iy + m.y + 11}, {ix + m.x - 14, iy + m.y + 2}});
            }
            break;
        }
        case PanelOp::Clock:
            Window(b, ix - 2, iy - kDigitHeight - 2, ix + 8 * kDigitPitch + 1, iy + 1);
            break;
        case PanelOp::BarPointer: {
            const BarInfo info = BarOf(g, t);
            BarScale(b, ix, iy, row.arg[0] + row.arg[1], info.full, info.left, info.right, info.name);
            break;
        }
        case PanelOp::TapeGauge: {
            // Each quantity's left (first) tape carries the pair's name.
            struct Pair {
                const PanelGauge* first;
                const PanelGauge* second;
                const char* name;
                int height;
            };
            static const Pair kPairs[] = {
                {&theTachometer1, &theTachometer2, "N1", kTapeHeight},
                {&theExhaustTempGauge, &theExhaustTempGauge2, "ITT", kTapeHeight},
                {&theLeftFuelGauge, &theRightFuelGauge, "FUEL", 66},
                {&theOilTempGauge, &theOilTempGauge2, "OIL T", 57},
                {&theOilPressureGauge, &theOilPressureGauge2, "OIL P", 40},
            };
            for (const Pair& p : kPairs) {
                if (g != p.first && g != p.second) continue;
                const int partner = g == p.first ? RowX(t, p.second, PanelOp::TapeGauge) : -1;
                Tape(b, ix, iy, p.height, g == p.first ? p.name : nullptr, partner < 0 ? ix : partner);
            }
            break;
        }
        case PanelOp::EngineReadout: {
            const int top = iy - kSmallDigitHeight - 1;
            Window(b, ix - 1, top, ix + 3 * kSmallDigitPitch, iy);
            // The jet's readouts stand in pairs, the left engine's first; the pair's name stands
            // above the two.
            struct Pair {
                const PanelGauge* first;
                const PanelGauge* second;
                const char* name;
            };
            static const Pair kPairs[] = {{&theTachometer1, &theTachometer2, "N1"},
                                          {&thePropPitchLever, &thePropPitchLever2, "ITT"},
                                          {&theEnginePowerGauge, &theEnginePowerGauge2, "FF"}};
            for (const Pair& p : kPairs) {
                if (g != p.first) continue;
                const int partner = RowX(t, p.second, PanelOp::EngineReadout);
                const double middle =
                    (ix + (partner < 0 ? ix : partner) + 3 * kSmallDigitPitch) / 2.0;
                b.Label(p.name,
                        {Centred(middle, top - 5, p.name), Centred(middle, top - 8, p.name)});
            }
            break;
        }
        case PanelOp::ThreeDigitReadout:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 3 * kDigitPitch, iy);
            b.Label("AOA", {Centred(ix + 9, iy + 5, "AOA"), Centred(ix + 9, iy - 12, "AOA")});
            break;
        case PanelOp::OutsideAirTemperature:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 4 * kDigitPitch + 1, iy);
            b.Label("OAT", {Centred(ix + 12, iy - 12, "OAT"), {ix + 4 * kDigitPitch + 4, iy - 6}});
            break;
        case PanelOp::RadioActive:
        case PanelOp::RadioStandby: {
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + row.arg[0] + 2 * kDigitPitch, iy);
            if (row.op == PanelOp::RadioActive) {
                const char* name = RadioName(g);
                const int w = Canvas::TinyWidth(name);
                if (t == 4)
                    b.Label(name, {{ix - w - 4, iy - 6}, {ix, iy - 14}});
                else
                    b.Label(name, {{ix, iy - 14}, {ix, iy - 13}, {ix - w - 4, iy - 6}});
            }
            break;
        }
        case PanelOp::TransferLamp:
            LampFace(b, ix, iy, row.arg[0]);
            break;
        case PanelOp::SingleLamp:
        case PanelOp::SecondLamp:
            LampFace(b, ix, iy, row.arg[0]);
            break;
        case PanelOp::LampPair:
            LampFace(b, ix, iy, row.arg[2]);
            LampFace(b, row.arg[0], row.arg[1] + b.shift, row.arg[2]);
            break;
        case PanelOp::LampTriple:
            LampFace(b, ix, iy, row.arg[4]);
            LampFace(b, row.arg[0], row.arg[1] + b.shift, row.arg[4]);
            LampFace(b, row.arg[2], row.arg[3] + b.shift, row.arg[4]);
            break;
        case PanelOp::RadioButtonLamp:
            b.Face(ix, iy, ix + 8, iy + 5, "radio button lamp");
            break;
        case PanelOp::TransponderAltitude:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 3 * kDigitPitch, iy);
            break;
        case PanelOp::DmeReadout: {
            const IntPoint d = kDmeReadout[t];
            const int dy = d.y + b.shift;
            Window(b, d.x + kDmeMilesX - 1, dy - kDigitHeight - 1,
                   d.x + kDmeFieldX[2] + 2 * kDigitPitch, dy);
            break;
        }
        case PanelOp::DmeSelectorLamps:
            StackMarks(b);
            break;
        case PanelOp::ToggleC172: {
            const IntRect& s = kToggleC172[0][0];
            b.Face(ix, iy - 2, ix + s.right - s.left, iy + s.bottom - s.top, "switch");
            b.c.Fill(ix + 2, iy - 2, ix + 8, iy - 1, b.k(Ink::PaintDeep));
            break;
        }
        case PanelOp::ToggleBonanza: {
            const IntRect& s = kToggleBonanza[1];
            b.Face(ix, iy - 2, ix + s.right - s.left, iy + s.bottom - s.top, "switch");
            b.c.Fill(ix + 2, iy - 2, ix + 8, iy - 1, b.k(Ink::PaintDeep));
            break;
        }
        case PanelOp::ToggleFrame:
            if (row.arg[0] >= 80) {
                b.Face(ix, iy, ix + 6, iy + 5, "lamp");
                // The jet's lamps beside its turbine temperatures light while their engine runs,
                // each named for its engine (the ignition lamps stand beside their labelled
                // switches).
                if (g == &thePropPitchLever || g == &thePropPitchLever2) {
                    const char* text = g == &thePropPitchLever ? "L RUN" : "R RUN";
                    b.Label(text, {Centred(ix + 3, iy + 9, text),
                                   Centred(ix + 3, iy - 4, text),
                                   {ix + 8, iy},
                                   {ix - Canvas::TinyWidth(text) - 2, iy}});
                }
            } else if (row.arg[0] == 10) {
                b.Face(ix, iy - 3, ix + 10, iy + 16, "switch");
            } else {
                b.Face(ix - 5, iy - 10, ix + 5, iy + 9, "switch");
            }
            break;
        case PanelOp::PoweredLamp:
            b.Face(ix, iy - 1, ix + 7, iy + 6, "lamp");
            b.c.Fill(ix, iy - 1, ix + 7, iy + 6, b.k(Ink::Black));
            break;
        case PanelOp::RotarySelector: {
            const RotaryTable* r = RotaryRects(row.arg[1], row.arg[0]);
            if (r != nullptr) {
                const IntRect& s = r->rects[0];
                b.Face(ix, iy, ix + s.right - s.left, iy + s.bottom - s.top, "selector");
            }
            break;
        }
        case PanelOp::Flaps: {
            const IntRect s = FlapsRect(t, 0, false);
            b.Face(ix, iy, ix + s.right - s.left, iy + s.bottom - s.top, "flaps");
            b.Label("FLAPS", {{ix, iy - 7}, {ix, iy + s.bottom - s.top + 2}}, Ink::White);
            break;
        }
        case PanelOp::TrimWheel:
            b.Face(ix - 2, iy - 2, ix + 18, iy + 37, "trim wheel");
            b.c.Fill(ix - 2, iy - 2, ix + 13, iy + 37, b.k(Ink::PaintDeep));
            b.Label("TRIM", {{ix - 2, iy - 9}, {ix + 20, iy}, {ix - 18, iy}}, Ink::White);
            break;
        case PanelOp::SideTrim:
            b.Face(ix - 2, iy - 7, ix + 33, iy + 11, "side trim");
            b.c.Fill(ix - 2, iy - 7, ix + 33, iy + 11, b.k(Ink::PaintDeep));
            break;
        case PanelOp::LeverFrame:
            b.Disc(x, y, 10.5, "selector");
            b.c.Disc(x, y, 10.5, b.k(Ink::PaintDeep));
            break;
        default:
            break;
    }
}

// ---- what the click tables put on the panel ------------------------------------------------------

// A labelled button of the click tables: a raised face filling its rectangle, its label in the
// rows its lamps leave free.
void DrawButtonFace(Board& b, const cockpit::ClickRect& r, const char* label) {
    const int rows = b.shift - cockpit::kFullViewOffset[b.type];
    const int l = r.left, t = r.top + rows, rr = r.right, btm = r.bottom + rows;
    b.owner = b.layout.NewOwner();
    b.Face(l, t, rr, btm, "button");
    b.c.Bevel(l, t, rr, btm, b.k(Ink::GreyLight), b.k(Ink::Black), b.k(Ink::Face));
    const std::string text = label;
    const int w = Canvas::TinyWidth(text);
    Pending p{text, {}, Ink::White, b.owner, false};
    // Lowest rows first, centred, then against the right edge.
    for (int y = btm - 5; y >= t + 1; --y) p.ways.push_back({{l + (rr - l + 1 - w) / 2, y, text}});
    for (int y = btm - 5; y >= t + 1; --y) p.ways.push_back({{rr - 1 - w, y, text}});
    b.layout.Queue(std::move(p));
}

// A knob of the click tables in its square, its name beside it.
void DrawKnob(Board& b, int x, int y, int size, const char* name) {
    const int rows = b.shift - cockpit::kFullViewOffset[b.type];
    const double cx = x + size / 2.0 + 0.5, cy = y + rows + size / 2.0 + 0.5;
    const double r = size / 2.0 - 1.5;
    b.owner = b.layout.NewOwner();
    b.Disc(cx, cy, r + 1, "knob");
    b.c.Disc(cx, cy, r + 1, b.k(Ink::Black));
    b.c.Disc(cx, cy, r, b.k(Ink::Knob));
    // Its grip: a ring of notches, and the index on top.
    for (int i = 0; i < 12; ++i) {
        double px, py;
        Polar(cx, cy, r - 0.8, i * 30.0, &px, &py);
        b.c.Set(static_cast<int>(px), static_cast<int>(py), b.k(Ink::KnobLight));
    }
    b.c.Line(cx, cy - r + 1, cx, cy - r / 3, 1.2, b.k(Ink::White));
    if (name == nullptr) return;
    const std::string text = name;
    const int w = Canvas::TinyWidth(text);
    const int top = y + rows, bottom = y + rows + size;
    b.Label(text, {Centred(cx, bottom + 4, text), Centred(cx, top - 4, text),
                   {x + size + 3, static_cast<int>(cy) - 2}, {x - w - 2, static_cast<int>(cy) - 2}},
            Ink::White);
}

// The name a switch row's button shows above (or below) the switch it works; the piston types'
// ignition positions share one name over their key, so only one of them carries it.
const char* SwitchName(const char* command, int type) {
    struct Name {
        const char* command;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {"ToggleBatteryPower", "BAT"},     {"ToggleAvionicPower", "AVN"},
        {"TogglePitotHeat", "PITOT"},      {"ToggleStrobeLight", "STRB"},
        {"ToggleBeaconLight", "BCN"},      {"ToggleNavLight", "NAV"},
        {"ToggleTaxiLight", "TAXI"},       {"ToggleLandingLight", "LDG"},
        {"ToggleLeftBoost", "BST"},        {"ToggleRightBoost", "BST"},
        {"ToggleCowlFlaps", "COWL"},       {"CycleFuelSwitch", "FUEL"},
        {"CycleFuelSwitchRight", "FUEL"},  {"SetIgnitionStartRight", "IGN"},
        {"SetIgnitionLeftMag", "MAG"},     {"SetIgnitionLeftMagRight", "MAG"},
    };
    // The twins' pairs (fuel, magnetos, igniters, boost pumps) stand left and right of each other.
    const std::string c = command;
    if (c == "ToggleSpeedBrake") return type == 4 ? "SPD BRK" : "SYNC";
    if (c == "SetIgnitionStart") return type >= 3 ? "IGN" : nullptr;
    for (const Name& n : kNames)
        if (c == n.command) return n.name;
    return nullptr;
}

// The buttons of a switch row that work the same control as a button: the ignition key's
// positions (on the same engine), or the button alone.
Box ControlBox(const cockpit::RegionButtons& g, int i, int rows) {
    const std::string c = g.buttons[i].command;
    const bool ignition = c.rfind("SetIgnition", 0) == 0;
    const bool right = c.size() > 5 && c.compare(c.size() - 5, 5, "Right") == 0;
    cockpit::ClickRect r = cockpit::ButtonRect(g, i);
    if (ignition)
        for (int k = 0; k < g.count; ++k) {
            const std::string o = g.buttons[k].command;
            const bool oRight = o.size() > 5 && o.compare(o.size() - 5, 5, "Right") == 0;
            if (o.rfind("SetIgnition", 0) != 0 || oRight != right) continue;
            const cockpit::ClickRect q = cockpit::ButtonRect(g, k);
            r = {std::min(r.left, q.left), std::min(r.top, q.top), std::max(r.right, q.right),
                 std::max(r.bottom, q.bottom)};
        }
    return {r.left, r.top + rows, r.right, r.bottom + rows};
}

// A switch's name: centred over the face the program draws the switch on under its button (else
// under it), where it fits; names that find no clear place are left out.
void NameSwitches(Board& b, const cockpit::RegionButtons& g) {
    const int rows = b.shift - cockpit::kFullViewOffset[b.type];
    for (int i = 0; i < g.count; ++i) {
        const char* name = SwitchName(g.buttons[i].command, b.type);
        if (name == nullptr) continue;
        const Box control = ControlBox(g, i, rows);
        // The switch: the gauge face that covers most of the control's box.
        const Face* best = nullptr;
        long bestArea = 0;
        for (const Face& f : b.layout.faces) {
            if (f.container || f.what == "button" || f.what == "knob") continue;
            const long w = std::min(f.box.r, control.r) - std::max(f.box.l, control.l) + 1;
            const long h = std::min(f.box.b, control.b) - std::max(f.box.t, control.t) + 1;
            if (w > 0 && h > 0 && w * h > bestArea) {
                bestArea = w * h;
                best = &f;
            }
        }
        if (best == nullptr) continue;
        const std::string text = name;
        const double cx = (best->box.l + best->box.r + 1) / 2.0;
        b.owner = b.layout.NewOwner();
        const int w = Canvas::TinyWidth(text);
        // Over the switch, or over the middle of its click area, where a long name fits only so;
        // or right on top of the switch, below a row of other switches.
        const double middle = (control.l + control.r + 1) / 2.0;
        b.Label(text,
                {Centred(cx, best->box.t - 4.5, text),
                 Centred(cx, best->box.t - 5.5, text),
                 {best->box.l, best->box.t - 7},
                 {best->box.r + 1 - w, best->box.t - 7},
                 Centred(middle, best->box.t - 4.5, text),
                 Centred(cx, best->box.t - 3.5, text),
                 Centred(cx, best->box.b + 4.5, text)},
                Ink::GreyLight, true);
        b.layout.pending.back().control = control;
    }
}

void DrawClickTableArt(Board& b, bool lower) {
    using cockpit::PanelArea;
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[b.type];
    for (int i = 0; i < table.count; ++i) {
        const cockpit::PanelClickRegion& r = table.regions[i];
        if (lower && r.shown == cockpit::RegionShown::FullView) continue;
        // The knobs' names; the C172's lower right instrument is NAV2's course card or the ADF's
        // card, so its knob has none.
        const char* names[2] = {nullptr, "HDG"};
        switch (r.area) {
            case PanelArea::HeadingCoursePair: names[0] = "CRS"; break;
            case PanelArea::Nav1CourseKnob:
            case PanelArea::Nav2CourseKnob: names[0] = "OBS"; break;
            case PanelArea::AdfCourseKnob: names[0] = "CARD"; break;
            case PanelArea::AltimeterKnob: names[0] = "BARO"; break;
            default: break;
        }
        cockpit::ClickRect squares[2];
        const int knobs = cockpit::KnobSquares(r, squares);
        for (int k = 0; k < knobs; ++k)
            DrawKnob(b, squares[k].left, squares[k].top, squares[k].right - squares[k].left, names[k]);
        const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
        for (int k = 0; k < g.count; ++k)
            if (g.buttons[k].label != nullptr) DrawButtonFace(b, cockpit::ButtonRect(g, k), g.buttons[k].label);
        if (r.area == PanelArea::Buttons) NameSwitches(b, g);
    }
}

// The attitude window: transparent inside, framed by the case.
void AttitudeWindow(Board& b) {
    const cockpit::AttitudeLayout l = cockpit::AttitudeLayoutForType(b.type);
    b.owner = b.layout.NewOwner();
    if (b.type <= 2) {
        const double cx = l.a + 0.5, cy = (l.d + l.f) / 2.0 + 0.5;
        b.Disc(cx, cy, 52, "attitude");
        b.c.Disc(cx, cy, 52, b.k(Ink::MetalDark));
        b.c.Ring(cx, cy, 50, 52, b.k(Ink::Metal));
        b.c.Disc(cx, cy, 45, 0);
        // The miniature aircraft, fixed on the case.
        b.c.Fill(static_cast<int>(cx) - 24, static_cast<int>(cy), static_cast<int>(cx) - 8,
                 static_cast<int>(cy) + 1, b.k(Ink::Orange));
        b.c.Fill(static_cast<int>(cx) + 8, static_cast<int>(cy), static_cast<int>(cx) + 24,
                 static_cast<int>(cy) + 1, b.k(Ink::Orange));
        b.c.Disc(cx, cy, 1.8, b.k(Ink::Orange));
        // The fixed bank index at the top.
        b.c.Line(cx, cy - 45, cx, cy - 39, 2.0, b.k(Ink::Orange));
        return;
    }
    const int vb = b.type == 3 ? 150 : 143;
    const int c0 = l.c, d0 = l.d - vb, e0 = l.e, f0 = l.f - vb;
    b.Face(c0, d0, e0, f0, "attitude");
    b.c.Bevel(c0, d0, e0, f0, b.k(Ink::Metal), b.k(Ink::MetalDark), b.k(Ink::Black));
    b.c.Fill(c0 + 13, d0 + 13, e0 - 13, f0 - 13, 0);
    const int cx = l.a + 43, cy = l.b + 43 - vb;
    b.c.Fill(cx - 20, cy, cx - 6, cy + 1, b.k(Ink::Yellow));
    b.c.Fill(cx + 6, cy, cx + 20, cy + 1, b.k(Ink::Yellow));
    b.c.Fill(cx - 1, cy - 1, cx + 1, cy + 1, b.k(Ink::Yellow));
}

void TypeDecorations(Board& b, int height) {
    const int t = b.type;
    // Glare shield edge and name plate.
    b.c.Fill(0, 0, 639, 2, b.k(Ink::PaintDeep));
    static const char* const kNames[5] = {"CESSNA 172", "BONANZA V35", "BARON 58", "KING AIR B200",
                                          "CITATIONJET"};
    b.owner = b.layout.NewOwner();
    b.Label(kNames[t], {{4, 6}}, Ink::PaintHighlight);
    // The radio stack's housing.
    int top = 0, bottom = 0, left = 478;
    switch (t) {
        case 0: top = 18; bottom = 174; break;
        case 1: top = 60; bottom = 242; break;
        case 2: top = 174; bottom = 324; break;
        case 3: top = 175; bottom = 326; break;
        default: top = 157; bottom = 336; left = 478; break;
    }
    bottom = std::min(bottom, height - 1);
    b.layout.AddContainer({left, top, 639, bottom}, "radio stack");
    Housing(b, left, top, 639, bottom);
}

// The viewport bottom of a type's full-panel view: the screen row of the panel bitmap's first.
int FirstScreenRow(int type) {
    return cockpit::kFullViewOffset[type] - cockpit::PanelRowShift(type);
}

// Draws a type's panel (or the Baron's swapped gauges) on a board and lays it out; the fault
// names the first label that found no clear place or two texts that overlap.
void DrawPanel(Board& b, PanelView view) {
    const bool swappedGauges = view == PanelView::Swapped;
    const bool lower = view == PanelView::Lower;
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(b.type, &count);
    // Where a click acts in this view, on the board's rows.
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[b.type];
    const int clickRows = b.shift - cockpit::kFullViewOffset[b.type];
    for (int i = 0; i < table.count; ++i) {
        const cockpit::PanelClickRegion& r = table.regions[i];
        if ((lower && r.shown == cockpit::RegionShown::FullView) ||
            (swappedGauges && r.shown == cockpit::RegionShown::Stack))
            continue;
        const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
        auto add = [&](const cockpit::ClickRect& a) {
            b.layout.clickAreas.push_back(
                {a.left, a.top + clickRows, a.right, a.bottom + clickRows});
        };
        if (g.count == 0) add(r.rect);
        for (int k = 0; k < g.count; ++k)
            add(cockpit::ButtonRect(g, k));
    }
    if (!swappedGauges) TypeDecorations(b, b.c.Height());
    for (int i = 0; i < count; ++i) {
        const cockpit::PanelSection s = rows[i].section;
        if ((s == cockpit::PanelSection::StackSwapped) != swappedGauges) continue;
        if (s == cockpit::PanelSection::Nav2Face) continue;
        if (lower && s == cockpit::PanelSection::FullView) continue;
        b.owner = b.layout.NewOwner();
        DrawRowBackground(b, rows[i]);
    }
    if (!swappedGauges) {
        DrawClickTableArt(b, lower);
        AttitudeWindow(b);
    }
    b.layout.width = b.c.Width();
    b.layout.height = b.c.Height();
    b.layout.Place(b.c, b.k);
}

// A board drawn once with the bars' names above and their letters below; when any bar could not
// stand so, again with every bar's letters beside its name, so a panel's bars read alike.
template <class Draw>
std::unique_ptr<gfx::GFXBitmap> DrawBoard(Layout& layout, Draw&& draw) {
    auto board = draw(layout, false);
    if (layout.barsAllFirst) return board;
    layout = Layout{};
    return draw(layout, true);
}

std::unique_ptr<gfx::GFXBitmap> DrawBaronSwapBoard(Layout& layout) {
    return DrawBoard(layout, [](Layout& l, bool compact) {
        const Inks k{2};
        auto whole = NewPanelBitmap(640, 330, k(Ink::PaintShadow));
        Canvas c(*whole);
        Board b{c, k, 2, cockpit::PanelRowShift(2), l, compact};
        DrawPanel(b, PanelView::Swapped);
        return whole;
    });
}

std::unique_ptr<gfx::GFXBitmap> DrawPanelBoard(int type, PanelView view, Layout& layout) {
    return DrawBoard(layout, [type, view](Layout& l, bool compact) {
        const int height = kHeights[type];
        const Inks k{type};
        auto panel = NewPanelBitmap(640, height, k(Ink::Paint));
        Canvas c(*panel);
        Board b{c, k, type, cockpit::PanelRowShift(type), l, compact};
        for (int y = 4; y < height; y += 3) c.Fill(0, y, 639, y, k(Ink::PaintShadow));
        DrawPanel(b, view);
        return panel;
    });
}

// The layout's own faults: two texts that overlap, or a text over another gauge's face.
std::string LayoutFault(const Layout& l) {
    if (!l.fault.empty()) return l.fault;
    for (std::size_t i = 0; i < l.marks.size(); ++i) {
        for (std::size_t j = i + 1; j < l.marks.size(); ++j)
            if (Overlap(l.marks[i].box, l.marks[j].box))
                return "\"" + l.marks[i].text + "\" and \"" + l.marks[j].text + "\" overlap on a face";
        for (const Text& t : l.texts)
            if (Overlap(l.marks[i].box, t.box))
                return "the label \"" + t.text + "\" lies over \"" + l.marks[i].text + "\"";
    }
    for (std::size_t i = 0; i < l.texts.size(); ++i) {
        const Text& a = l.texts[i];
        for (std::size_t j = i + 1; j < l.texts.size(); ++j)
            if (Overlap(a.box, l.texts[j].box))
                return "the labels \"" + a.text + "\" and \"" + l.texts[j].text + "\" overlap";
        for (const Face& f : l.faces) {
            if (f.owner == a.owner && !f.container) continue;
            if (f.container && l.OwnerInside(a.owner, f.box)) continue;
            if (Overlap(f, a.box)) return "the label \"" + a.text + "\" lies over a " + f.what;
        }
    }
    return {};
}

PanelArtLayout ToScreen(const Layout& l, int firstRow, int fromRow) {
    PanelArtLayout out;
    out.fault = LayoutFault(l);
    for (const Text& t : l.texts)
        if (t.box.t >= fromRow && t.text.find_first_not_of(' ') != std::string::npos)
            out.texts.push_back(
                {t.text, t.box.l, t.box.t + firstRow, t.box.r, t.box.b + firstRow, t.owner});
    for (const Text& m : l.marks)
        if (m.box.t >= fromRow)
            out.marks.push_back(
                {m.text, m.box.l, m.box.t + firstRow, m.box.r, m.box.b + firstRow, m.owner});
    for (const Face& f : l.faces) {
        if (f.box.t < fromRow || f.container) continue;
        PanelLayoutBox b{f.what, f.box.l, f.box.t + firstRow, f.box.r, f.box.b + firstRow, f.owner};
        if (f.round) {
            b.radius = f.radius;
            b.cx = f.cx;
            b.cy = f.cy + firstRow;
        }
        out.faces.push_back(b);
    }
    return out;
}

}  // namespace

PanelArtLayout PanelLayoutOf(int type, PanelView view) {
    type = std::clamp(type, 0, 4);
    Layout layout;
    if (view == PanelView::Swapped) {
        DrawBaronSwapBoard(layout);
        return ToScreen(layout, FirstScreenRow(2), 0);
    }
    DrawPanelBoard(type, view, layout);
    return ToScreen(layout, FirstScreenRow(type), 0);
}

std::unique_ptr<gfx::GFXBitmap> PanelBackground(int type, PanelView view, std::string* fault) {
    type = std::clamp(type, 0, 4);
    Layout layout;
    auto panel = DrawPanelBoard(type, view, layout);
    const std::string why = LayoutFault(layout);
    if (!why.empty()) {
        if (fault != nullptr) *fault = why;
        return nullptr;
    }
    return panel;
}

std::unique_ptr<gfx::GFXBitmap> TopRows(const gfx::GFXBitmap& panel, int rows) {
    auto low = NewPanelBitmap(panel.width, rows, 0);
    for (int y = 0; y < rows && y < panel.height; ++y)
        std::memcpy(low->Row(y), panel.Row(y), static_cast<std::size_t>(panel.width));
    return low;
}

std::unique_ptr<gfx::GFXBitmap> BaronSwapPanel(std::string* fault) {
    Layout layout;
    auto whole = DrawBaronSwapBoard(layout);
    const std::string why = LayoutFault(layout);
    if (!why.empty()) {
        if (fault != nullptr) *fault = why;
        return nullptr;
    }
    auto swap = NewPanelBitmap(157, 151, 0);
    for (int y = 0; y < 151; ++y)
        std::memcpy(swap->Row(y), whole->Row(179 + y) + 483, 157);
    return swap;
}

std::unique_ptr<gfx::GFXBitmap> GpsStackPanel(int type) {
    const Inks k{type};
    auto b = NewPanelBitmap(162, 150, k(Ink::PaintShadow));
    Canvas c(*b);
    c.Bevel(0, 0, 161, 149, k(Ink::PaintHighlight), k(Ink::PaintDeep), k(Ink::PaintShadow));
    c.Fill(6, 6, 155, 143, k(Ink::Black));
    return b;
}

}  // namespace mkdata
