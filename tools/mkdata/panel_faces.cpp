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

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauge_values.h"
#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
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

struct Board {
    Canvas& c;
    Inks k;
    int type;
    int shift;  // a layout y's panel row is y + shift
    double X(double x) const { return x + 0.5; }
    double Y(double y) const { return y + shift + 0.5; }
};

void Bezel(Board& b, double cx, double cy, double r) {
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

void Numeral(Board& b, double cx, double cy, double r, double a, const std::string& text,
             Ink ink = Ink::White) {
    double x, y;
    Polar(cx, cy, r, a, &x, &y);
    b.c.TinyCentred(x, y, text, b.k(ink));
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
    b.c.Fill(l - 1, t - 1, r + 1, btm + 1, b.k(Ink::GreyDark));
    b.c.Fill(l, t, r, btm, b.k(Ink::Window));
}

void LabelAt(Board& b, double cx, double cy, const char* text, Ink ink = Ink::GreyLight) {
    b.c.TinyCentred(cx, cy, text, b.k(ink));
}

// ---- dials -------------------------------------------------------------------------------------

void AirspeedFace(Board& b, double cx, double cy, double r) {
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
    LabelAt(b, cx, cy + r * 0.35, "KNOTS");
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
    for (int d = 0; d < 10; ++d)
        b.c.TextCentred(cx + (r - 13) * std::sin(d * 36 * 3.14159265 / 180),
                        cy - (r - 13) * std::cos(d * 36 * 3.14159265 / 180), Int(d),
                        b.k(Ink::White));
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
    b.c.Disc(cx - r * 0.78, cy + r * 0.78, 6, b.k(Ink::Knob));
    LabelAt(b, cx - r * 0.78, cy + r * 0.78, "OBS", Ink::White);
}

void AdfFace(Board& b, double cx, double cy, double r, const char* name) {
    Bezel(b, cx, cy, r);
    b.c.Line(cx, cy - 10, cx, cy + 10, 2.0, b.k(Ink::Grey));
    b.c.Line(cx - 9, cy - 2, cx + 9, cy - 2, 2.0, b.k(Ink::Grey));
    LabelAt(b, cx, cy + r * 0.42, name);
    b.c.Disc(cx - r * 0.78, cy + r * 0.78, 6, b.k(Ink::Knob));
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
        LabelAt(b, cx, hy + 9, "HOURS");
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
    Window(b, ix + 16, iy + 24 - cockpit::kSmallDigitHeight, ix + 16 + 4 * cockpit::kSmallDigitPitch - 1, iy + 23);
    LabelAt(b, cx, cy + r * 0.62, "IN HG");
}

// ---- bars, tapes, windows -----------------------------------------------------------------------

void BarScale(Board& b, int x, int y, int height, int full, const char* left, const char* right,
              const char* name) {
    b.c.Fill(x - 3, y - 3, x + full + 4, y + height + 3, b.k(Ink::Face));
    b.c.Fill(x - 3, y - 3, x + full + 4, y - 3, b.k(Ink::GreyDark));
    for (int i = 0; i <= 4; ++i) {
        const int tx = x + full * i / 4;
        b.c.Fill(tx, y + height + 1, tx, y + height + 2, b.k(Ink::White));
    }
    b.c.Tiny(x - 2, y + height + 4, left, b.k(Ink::White));
    b.c.Tiny(x + full + 2 - Canvas::TinyWidth(right), y + height + 4, right, b.k(Ink::White));
    b.c.TinyCentred(x + full / 2.0, y - 7, name, b.k(Ink::GreyLight));
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

void Tape(Board& b, int x, int base, int height, const char* name) {
    b.c.Fill(x - 2, base - height - 1, x + 3, base + 1, b.k(Ink::Black));
    for (int v = 0; v <= height; v += 10) b.c.Set(x + 4, base - v, b.k(Ink::White));
    b.c.TinyCentred(x + 1, base + 5, name, b.k(Ink::GreyLight));
}

// ---- the panel -----------------------------------------------------------------------------------

void Housing(Board& b, int l, int t, int r, int btm) {
    b.c.Bevel(l, t, r, btm, b.k(Ink::PaintHighlight), b.k(Ink::PaintDeep), b.k(Ink::PaintShadow));
}

int DialRadius(int type) {
    return type >= 3 ? 42 : 46;
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
            AirspeedFace(b, x, y, R);
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
        case PanelOp::HsiTurbine:
            Bezel(b, x, y, t >= 3 ? 43 : 45);
            break;
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
            const int tt = t;
            const AngleOf a = [tt](double rpm) {
                return FrameAngle(SingleTachometerFrame(PistonTachometerTarget(static_cast<int>(rpm))));
            };
            TachFace(b, x, y, t == 0 ? 34 : 33, a, 3500, 2200, 2700, 2700, true);
            (void)tt;
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
            b.c.Fill(ix + 4, iy - 22, ix + 11, iy + row.arg[0] + 14, b.k(Ink::PaintDeep));
            break;
        case PanelOp::BonanzaQuadrant: {
            const IntRect& q = kBonanzaQuadrantClip;
            b.c.Fill(q.left, q.top + b.shift - 36, q.right, q.bottom + b.shift, b.k(Ink::PaintDeep));
            break;
        }
        case PanelOp::TwinQuadrant:
        case PanelOp::JetThrottles: {
            const IntRect& q = row.op == PanelOp::JetThrottles ? kJetThrottleClip
                                                              : kQuadrantClip[row.arg[0] == 3 ? 1 : 0];
            // The clip is on the screen; the panel starts at the viewport bottom.
            const int top = q.top - (row.op == PanelOp::JetThrottles ? 143 : 150);
            const int bottom = q.bottom - (row.op == PanelOp::JetThrottles ? 143 : 150);
            b.c.Fill(q.left, top, q.right, bottom, b.k(Ink::PaintDeep));
            b.c.Fill(q.left + 2, top + 2, q.right - 2, top + 3, b.k(Ink::Black));
            break;
        }
        case PanelOp::GearLever: {
            const IntRect s = GearKnobSource(t);
            b.c.Fill(ix + 2, iy - 18, ix + s.right - 2, iy + row.arg[0] + s.bottom, b.k(Ink::PaintDeep));
            b.c.Tiny(ix + s.right + 3, iy - 14, "UP", b.k(Ink::White));
            b.c.Tiny(ix + s.right + 3, iy + 14, "DN", b.k(Ink::White));
            break;
        }
        case PanelOp::AutopilotPanel: {
            Housing(b, 484, iy + 378, 639, iy + 400);
            for (int i = 0; i < 8; ++i) {
                const IntRect& u = kAutopilotUnlit[i];
                const int lx = ix + kAutopilotLabels[i].x, ly = iy + kAutopilotLabels[i].y;
                b.c.Fill(lx - 1, ly - 1, lx + u.right - u.left + 1, ly + u.bottom - u.top + 1,
                         b.k(Ink::Black));
            }
            break;
        }
        case PanelOp::AudioPanel: {
            static const char* const kNames[7] = {"C1", "C2", "N1", "N2", "D", "M", "A"};
            if (t != 4) {
                Housing(b, 484, iy + 270, 639, iy + 290);
                for (int i = 0; i < 7; ++i) {
                    const IntPoint& p = kAudioLamps[i];
                    b.c.Fill(ix + p.x - 1, iy + p.y - 1, ix + p.x + kAudioLampLength, iy + p.y + 1, b.k(Ink::Black));
                    b.c.Tiny(ix + p.x, iy + p.y + 3, kNames[i], b.k(Ink::GreyLight));
                }
            } else {
                // The jet's audio knobs with their names beneath.
                for (int i = 0; i < 7; ++i) {
                    const IntPoint& p = kJetAudioKnobs[i];
                    const int kx = ix + p.x, ky = iy + p.y - kJetAudioKnobRise;
                    b.c.Fill(kx, ky, kx + 9, ky + 9, b.k(Ink::PaintDeep));
                    b.c.TinyCentred(kx + 5, ky + 15, kNames[i], b.k(Ink::GreyLight));
                }
                b.c.Tiny(ix + 263, iy + 314 + 11, "MKR", b.k(Ink::GreyLight));
            }
            break;
        }
        case PanelOp::Clock:
            Window(b, ix - 2, iy - kDigitHeight - 2, ix + 8 * kDigitPitch + 1, iy + 1);
            LabelAt(b, ix + 24, iy + 6, "CLOCK");
            break;
        case PanelOp::BarPointer: {
            const BarInfo info = BarOf(g, t);
            BarScale(b, ix, iy, row.arg[0] + row.arg[1], info.full, info.left, info.right, info.name);
            break;
        }
        case PanelOp::TapeGauge: {
            static const char* kNames[] = {"N1", "ITT", "FUEL", "OIL T", "OIL P"};
            const char* name = kNames[0];
            int height = kTapeHeight;
            if (g == &theExhaustTempGauge || g == &theExhaustTempGauge2) name = kNames[1];
            if (g == &theLeftFuelGauge || g == &theRightFuelGauge) name = kNames[2], height = 66;
            if (g == &theOilTempGauge || g == &theOilTempGauge2) name = kNames[3], height = 57;
            if (g == &theOilPressureGauge || g == &theOilPressureGauge2) name = kNames[4], height = 40;
            Tape(b, ix, iy, height, name);
            break;
        }
        case PanelOp::EngineReadout:
            Window(b, ix - 1, iy - kSmallDigitHeight - 1, ix + 3 * kSmallDigitPitch, iy);
            break;
        case PanelOp::ThreeDigitReadout:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 3 * kDigitPitch, iy);
            LabelAt(b, ix + 9, iy + 5, "AOA");
            break;
        case PanelOp::OutsideAirTemperature:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 4 * kDigitPitch + 1, iy);
            LabelAt(b, ix + 12, iy + 5, "OAT");
            break;
        case PanelOp::RadioActive:
        case PanelOp::RadioStandby: {
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + row.arg[0] + 2 * kDigitPitch, iy);
            if (row.op == PanelOp::RadioActive) {
                const char* name = g == &theNav1Radio   ? "NAV1"
                                   : g == &theNav2Radio ? "NAV2"
                                   : g == &theCom1Radio ? "COM1"
                                   : g == &theCom2Radio ? "COM2"
                                   : g == &theAdfRadio  ? "ADF"
                                                        : "XPDR";
                if (t == 4)
                    b.c.Tiny(ix - 21, iy - 6, name, b.k(Ink::GreyLight));
                else
                    b.c.Tiny(ix, iy - 14, name, b.k(Ink::GreyLight));
            }
            break;
        }
        case PanelOp::TransponderAltitude:
            Window(b, ix - 1, iy - kDigitHeight - 1, ix + 3 * kDigitPitch, iy);
            break;
        case PanelOp::DmeReadout: {
            const IntPoint d = kDmeReadout[t];
            const int dy = d.y + b.shift;
            Window(b, d.x - 1, dy - kDigitHeight - 1, d.x + kDmeFieldX[2] + 2 * kDigitPitch, dy);
            break;
        }
        case PanelOp::ToggleC172:
        case PanelOp::ToggleBonanza:
        case PanelOp::ToggleFrame:
            b.c.Fill(ix + 2, iy - 2, ix + 8, iy - 1, b.k(Ink::PaintDeep));
            break;
        case PanelOp::PoweredLamp:
            b.c.Fill(ix, iy - 1, ix + 7, iy + 6, b.k(Ink::Black));
            break;
        case PanelOp::Flaps:
            b.c.Tiny(ix, iy - 7, "FLAPS", b.k(Ink::White));
            break;
        case PanelOp::TrimWheel:
            b.c.Fill(ix - 2, iy - 2, ix + 13, iy + 37, b.k(Ink::PaintDeep));
            b.c.Tiny(ix - 2, iy - 9, "TRIM", b.k(Ink::White));
            break;
        case PanelOp::SideTrim:
            b.c.Fill(ix - 2, iy - 7, ix + 33, iy + 11, b.k(Ink::PaintDeep));
            break;
        case PanelOp::LeverFrame:
            b.c.Disc(x, y, 10.5, b.k(Ink::PaintDeep));
            break;
        default:
            break;
    }
}

// The attitude window: transparent inside, framed by the case.
void AttitudeWindow(Board& b) {
    const cockpit::AttitudeLayout l = cockpit::AttitudeLayoutForType(b.type);
    if (b.type <= 2) {
        const double cx = l.a + 0.5, cy = (l.d + l.f) / 2.0 + 0.5;
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
    b.c.Tiny(4, 6, kNames[t], b.k(Ink::PaintHighlight));
    // The radio stack's housing.
    int top = 0, bottom = 0, left = 478;
    switch (t) {
        case 0: top = 24; bottom = 174; break;
        case 1: top = 60; bottom = 242; break;
        case 2: top = 174; bottom = 324; break;
        case 3: top = 175; bottom = 326; break;
        default: top = 134; bottom = 334; left = 478; break;
    }
    Housing(b, left, top, 639, std::min(bottom, height - 1));
}

}  // namespace

std::unique_ptr<gfx::GFXBitmap> PanelBackground(int type) {
    type = std::clamp(type, 0, 4);
    const int height = kHeights[type];
    const Inks k{type};
    auto panel = NewPanelBitmap(640, height, k(Ink::Paint));
    Canvas c(*panel);
    Board b{c, k, type, cockpit::PanelRowShift(type)};
    for (int y = 4; y < height; y += 3) c.Fill(0, y, 639, y, k(Ink::PaintShadow));
    TypeDecorations(b, height);
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i) {
        // The Baron's swapped gauges have their own bitmap.
        if (rows[i].section == cockpit::PanelSection::StackSwapped) continue;
        if (rows[i].section == cockpit::PanelSection::Nav2Face) continue;
        DrawRowBackground(b, rows[i]);
    }
    AttitudeWindow(b);
    return panel;
}

std::unique_ptr<gfx::GFXBitmap> TopRows(const gfx::GFXBitmap& panel, int rows) {
    auto low = NewPanelBitmap(panel.width, rows, 0);
    for (int y = 0; y < rows && y < panel.height; ++y)
        std::memcpy(low->Row(y), panel.Row(y), static_cast<std::size_t>(panel.width));
    return low;
}

std::unique_ptr<gfx::GFXBitmap> BaronSwapPanel() {
    const Inks k{2};
    // Drawn on a panel-sized board, then cut out at (483, 179).
    auto whole = NewPanelBitmap(640, 330, k(Ink::PaintShadow));
    Canvas c(*whole);
    Board b{c, k, 2, cockpit::PanelRowShift(2)};
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(2, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].section == cockpit::PanelSection::StackSwapped) DrawRowBackground(b, rows[i]);
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
