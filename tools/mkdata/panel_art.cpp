// The Cessna 172's panel art, drawn by code: the panel backgrounds of both panel views (grey
// panel, six-pack dials graduated as the instruments turn their needles, attitude window, radio
// stack, switches, lever slots, trim wheel, flap scale, engine gauges), every sprite set and strip
// of its art slots, the crash picture and the forward and side cockpit frames. Instruments sit at
// the cockpit's own layout positions, and needle and card frames follow the cockpit's frame rules.
// Airspeed markings are the Cessna 172N handbook's (KIAS): white arc 41-85 (flaps), green arc
// 47-128, yellow arc 128-160, red line 160; tachometer green arc 2200-2700 RPM, red line 2700.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cockpit/panel_art.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/cockpit_systems.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/panel_canvas.h"
#include "tools/mkdata/panel_roles.h"

namespace mkdata {

namespace {

using namespace c172;

constexpr const char* kPanelVolume = "Art\\Panel.Vol";
constexpr const char* kCockpitVolume = "Art\\Cockpit.Vol";

std::unique_ptr<gfx::GFXPalette> DayPalette() {
    auto p = std::make_unique<gfx::GFXPalette>();
    const std::vector<Rgb> c = PanelRolePalette(0, 0);
    for (int i = 0; i < 256; ++i)
        p->entries[i] = {c[static_cast<std::size_t>(i)].r, c[static_cast<std::size_t>(i)].g,
                         c[static_cast<std::size_t>(i)].b, 0};
    return p;
}

std::unique_ptr<gfx::GFXBitmap> NewBitmap(int w, int h, std::uint8_t fill) {
    auto b = gfx::GFXBitmap::Create(w, h, 8);
    // The whole buffer, row padding included, so two runs write the same bytes.
    if (b) std::memset(b->pixels, fill, static_cast<std::size_t>(b->size));
    return b;
}

Bytes BmpBytes(gfx::GFXBitmap& b) {
    if (!b.palette) b.palette = DayPalette();
    return CollectBytes([&](core::StreamIO& s) { return b.Write(s, gfx::kBitmapWriteBmp) != 0; });
}

// ---- sprite sets --------------------------------------------------------------------------------

struct Frame {
    std::unique_ptr<gfx::GFXBitmap> bitmap;
    int ox = 0;
    int oy = 0;
};

// A frame drawn on a square work area round its anchor, then cut to what was drawn.
template <class Draw>
Frame MakeFrame(int half, Draw&& draw) {
    const int size = 2 * half + 1;
    auto work = NewBitmap(size, size, 0);
    Canvas c(*work);
    draw(c, half + 0.5, half + 0.5);
    int l = size, t = size, r = -1, bt = -1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (c.Get(x, y) != 0) {
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), bt = std::max(bt, y);
            }
    Frame f;
    if (r < 0) {
        f.bitmap = NewBitmap(1, 1, 0);
    } else {
        f.bitmap = NewBitmap(r - l + 1, bt - t + 1, 0);
        for (int y = t; y <= bt; ++y)
            std::memcpy(f.bitmap->Row(y - t), work->Row(y) + l, static_cast<std::size_t>(r - l + 1));
        f.ox = half - l;
        f.oy = half - t;
    }
    f.bitmap->flags |= gfx::kBitmapTransparent;
    return f;
}

Bytes FontBytes(std::vector<Frame>& frames, bool fixedOpaque = false) {
    gfx::GFXFont font;
    std::vector<std::uint8_t> records;
    int h = 0, w = 0;
    for (Frame& f : frames) {
        if (!f.bitmap) f.bitmap = NewBitmap(1, 1, 0);
        h = std::max(h, f.bitmap->height);
        w = std::max(w, f.bitmap->width);
        const std::int32_t rec[3] = {0, f.ox, f.oy};
        const auto* p = reinterpret_cast<const std::uint8_t*>(rec);
        records.insert(records.end(), p, p + 12);
        font.Append(std::move(f.bitmap));
    }
    font.SetUserData(records.data(), 12);
    font.fontFlags = fixedOpaque ? gfx::kFontFixedPitch : 0;
    font.cellHeight = h;
    font.cellWidth = w;
    font.baseline = fixedOpaque ? h : 0;
    return CollectBytes([&](core::StreamIO& s) { return font.Write(s) != 0; });
}

// Needles: frame n points (n - 1) x 2 degrees clockwise from up, pivot at the anchor.
Bytes NeedleSet(double length, double width, std::uint8_t colour, double tail) {
    std::vector<Frame> frames(cockpit::kNeedleFrames + 1);
    const int half = static_cast<int>(length) + 3;
    for (int n = 1; n <= cockpit::kNeedleFrames; ++n) {
        const double a = cockpit::NeedleFrameDegrees(n);
        frames[static_cast<std::size_t>(n)] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
            double tx, ty, bx, by;
            double mx, my;
            // A pointed tip: the shaft's width ends short of it.
            Polar(cx, cy, length, a, &tx, &ty);
            Polar(cx, cy, length * 0.75, a, &mx, &my);
            Polar(cx, cy, tail, a + 180.0, &bx, &by);
            c.Line(bx, by, mx, my, width, colour);
            c.Line(mx, my, tx, ty, std::min(width, 1.0), colour);
            c.Disc(cx, cy, 2.5, kGreyDark);
        });
    }
    return FontBytes(frames);
}

// A compass card turned for frame n: the card's heading h = (n - 1) x 2.5 degrees sits under the
// lubber line at the top.
Bytes CardSet(double radius) {
    std::vector<Frame> frames(cockpit::kCardFrames + 1);
    const int half = static_cast<int>(radius) + 2;
    static const char* const kLabels[12] = {"N", "3", "6", "E", "12", "15",
                                            "S", "21", "24", "W", "30", "33"};
    for (int n = 1; n <= cockpit::kCardFrames; ++n) {
        const double heading = (n - 1) * 2.5;
        frames[static_cast<std::size_t>(n)] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
            c.Disc(cx, cy, radius, kFace);
            for (int d = 0; d < 360; d += 5) {
                const double a = d - heading;
                double x0, y0, x1, y1;
                Polar(cx, cy, radius - (d % 10 == 0 ? 7 : 4), a, &x0, &y0);
                Polar(cx, cy, radius - 1, a, &x1, &y1);
                c.Line(x0, y0, x1, y1, 1.0, kWhite);
            }
            for (int k = 0; k < 12; ++k) {
                double x, y;
                Polar(cx, cy, radius - 14, k * 30.0 - heading, &x, &y);
                c.TextCentred(x, y, kLabels[k], k % 3 == 0 ? kYellow : kWhite);
            }
        });
    }
    return FontBytes(frames);
}

// The attitude sets: frame b + 1 for bank b = 0..60, 61 - b for b = -1..-60.
double BankOfFrame(int n) {
    return n <= 61 ? n - 1 : 61 - n;
}

Bytes RingSet() {
    std::vector<Frame> frames(122);
    for (int n = 1; n <= 121; ++n) {
        const double bank = BankOfFrame(n);
        frames[static_cast<std::size_t>(n)] = MakeFrame(50, [&](Canvas& c, double cx, double cy) {
            for (const int m : {-60, -45, -30, -20, -10, 0, 10, 20, 30, 45, 60}) {
                double x0, y0, x1, y1;
                Polar(cx, cy, 40, m - bank, &x0, &y0);
                Polar(cx, cy, m % 30 == 0 ? 47 : 44, m - bank, &x1, &y1);
                c.Line(x0, y0, x1, y1, m == 0 ? 3.0 : 1.5, kWhite);
            }
        });
    }
    return FontBytes(frames);
}

Bytes PitchSet() {
    std::vector<Frame> frames(122);
    for (int n = 1; n <= 121; ++n) {
        const double bank = -BankOfFrame(n) * 3.14159265358979 / 180.0;
        frames[static_cast<std::size_t>(n)] = MakeFrame(40, [&](Canvas& c, double cx, double cy) {
            auto rotated = [&](double x, double y, double* ox, double* oy) {
                *ox = cx + x * std::cos(bank) - y * std::sin(bank);
                *oy = cy + x * std::sin(bank) + y * std::cos(bank);
            };
            for (const int p : {-20, -10, -5, 5, 10, 20}) {
                const double w = (p % 10 == 0) ? 14 : 7;
                double x0, y0, x1, y1;
                rotated(-w, -p, &x0, &y0);
                rotated(w, -p, &x1, &y1);
                c.Line(x0, y0, x1, y1, 1.0, kWhite);
            }
        });
    }
    return FontBytes(frames);
}

// The turn coordinator: airplane frames 1..25 (1 level, 2..13 left, 14..25 right), the ball at
// frames 27..53 (27 centred).
Bytes TurnSet() {
    std::vector<Frame> frames(54);
    for (int n = 1; n <= 25; ++n) {
        const double bank = n == 1 ? 0 : (n <= 13 ? -(n - 1) * 2.0 : (n - 13) * 2.0);
        frames[static_cast<std::size_t>(n)] = MakeFrame(36, [&](Canvas& c, double cx, double cy) {
            double x0, y0, x1, y1;
            Polar(cx, cy, 32, -90 + bank, &x0, &y0);
            Polar(cx, cy, 32, 90 + bank, &x1, &y1);
            c.Line(x0, y0, x1, y1, 3.0, kWhite);
            c.Disc(cx, cy, 4, kWhite);
            Polar(cx, cy, 8, bank, &x1, &y1);
            c.Line(cx, cy, x1, y1, 2.0, kWhite);
        });
    }
    for (int n = 27; n <= 53; ++n)
        frames[static_cast<std::size_t>(n)] = MakeFrame(40, [&](Canvas& c, double cx, double cy) {
            c.Disc(cx + (n - 27) * 1.2, cy, 4, kBlack);
            c.Ring(cx + (n - 27) * 1.2, cy, 3, 4, kGreyDark);
        });
    for (Frame& f : frames)
        if (!f.bitmap) f = MakeFrame(1, [](Canvas&, double, double) {});
    return FontBytes(frames);
}

// Knobs, cover plate and trim wheel of the misc set.
Bytes MiscSet() {
    std::vector<Frame> frames(64);
    auto knob = [&](int n, std::uint8_t colour, const char* label) {
        frames[static_cast<std::size_t>(n)] = MakeFrame(12, [&](Canvas& c, double cx, double cy) {
            c.Disc(cx, cy, 9, colour);
            c.Ring(cx, cy, 7.5, 9, kGreyDark);
            c.TextCentred(cx, cy, label, kWhite);
        });
        frames[static_cast<std::size_t>(n)].ox = 0;
        frames[static_cast<std::size_t>(n)].oy = 0;
    };
    knob(1, kGreyDark, "C");
    knob(2, kBlack, "T");
    knob(3, kRed, "M");
    frames[19] = MakeFrame(52, [&](Canvas& c, double cx, double cy) {
        c.Disc(cx, cy, 50, kPaintShadow);
        c.Ring(cx, cy, 46, 50, kPaintDark);
        c.TextCentred(cx, cy, "INOP", kGreyLight, 2);
    });
    for (int w = 0; w < 4; ++w)
        frames[static_cast<std::size_t>(60 + w)] = MakeFrame(24, [&](Canvas& c, double cx, double cy) {
            c.Fill(static_cast<int>(cx) - 6, static_cast<int>(cy) - 22, static_cast<int>(cx) + 6,
                   static_cast<int>(cy) + 22, kBlack);
            for (int k = -5; k <= 5; ++k) {
                const int y = static_cast<int>(cy) + k * 4 + w;
                c.Fill(static_cast<int>(cx) - 5, y, static_cast<int>(cx) + 5, y, kGreyDark);
            }
        });
    for (Frame& f : frames)
        if (!f.bitmap) f = MakeFrame(1, [](Canvas&, double, double) {});
    return FontBytes(frames);
}

// The digit font of the radios, clock and readouts: opaque, fixed pitch.
Bytes DigitFont() {
    std::vector<Frame> frames(59);
    for (int code = 0; code <= 58; ++code) {
        Frame f;
        f.bitmap = NewBitmap(7, 9, kBlack);
        Canvas c(*f.bitmap);
        const char ch = static_cast<char>(code);
        if ((ch >= '0' && ch <= '9') || ch == '-' || ch == ':') c.Text(1, 1, std::string(1, ch), kDigit);
        if ((code >= 10 && code <= 14) || (code >= 20 && code <= 24))
            c.Fill(1, 3, 5, 5, code < 20 ? kLampOff : kLampOn);
        frames[static_cast<std::size_t>(code)] = std::move(f);
    }
    return FontBytes(frames, true);
}

// ---- strips -------------------------------------------------------------------------------------

Bytes CompassStrip() {
    auto b = NewBitmap(cockpit::kCompassStripWidth, cockpit::kCompassStripHeight, kWhite);
    Canvas c(*b);
    // Column x shows heading (x - 8) x 2.5 degrees, so frame f centres heading f x 2.5.
    static const char* const kLabels[12] = {"N", "3", "6", "E", "12", "15",
                                            "S", "21", "24", "W", "30", "33"};
    for (int x = 0; x < b->width; ++x) {
        const int tenths = ((x - 8) * 25 % 3600 + 3600) % 3600;
        if (tenths % 100 == 0) c.Fill(x, 10, x, 13, kBlack);
        if (tenths % 300 == 0) c.TextCentred(x + 0.5, 4.5, kLabels[tenths / 300], kBlack);
    }
    return BmpBytes(*b);
}

Bytes CompassOverlay() {
    auto b = NewBitmap(17, 23, kPaintDark);
    Canvas c(*b);
    c.Fill(1, 4, 15, 18, 0);  // the window onto the tape
    c.Fill(8, 2, 8, 20, kRed);  // lubber line
    c.Fill(0, 0, 16, 0, kPaintLight);
    return BmpBytes(*b);
}

Bytes SmallPicture(int w, int h, std::uint8_t face, const char* label) {
    auto b = NewBitmap(w, h, face);
    Canvas c(*b);
    c.Bevel(0, 0, w - 1, h - 1, kPaintLight, kPaintDark, face);
    if (label != nullptr) c.TextCentred(w / 2.0, h / 2.0, label, kWhite);
    return BmpBytes(*b);
}

Bytes BaroStrip() {
    auto b = NewBitmap(24, 330, kBlack);
    Canvas c(*b);
    for (int v = 2810; v <= 3100; v += 10)
        c.Text(1, (v - 2810) + 2, std::to_string(v / 10), kWhite);
    return BmpBytes(*b);
}

Bytes HourMeterDigits() {
    auto b = NewBitmap(80, 10, kBlack);
    Canvas c(*b);
    c.Fill(0, 5, 79, 9, kWhite);
    static const std::uint8_t kTiny[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7},
                                             {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
                                             {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7},
                                             {7, 5, 7, 1, 7}};
    for (int d = 0; d < 10; ++d)
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if ((kTiny[d][row] >> (2 - col)) & 1) {
                    c.Set(9 + 7 * d + col, row, kWhite);
                    c.Set(9 + 7 * d + col, 5 + row, kBlack);
                }
    return BmpBytes(*b);
}

Bytes SwitchFrames() {
    auto b = NewBitmap(24, 20, kPaint);
    Canvas c(*b);
    for (int k = 0; k < 2; ++k) {
        c.Fill(12 * k + 2, 2, 12 * k + 9, 17, kBlack);
        c.Fill(12 * k + 3, k == 0 ? 3 : 10, 12 * k + 8, k == 0 ? 9 : 16, kWhite);
    }
    return BmpBytes(*b);
}

Bytes KeyFrames() {
    auto b = NewBitmap(120, 24, kPaint);
    Canvas c(*b);
    for (int k = 0; k < 5; ++k) {
        c.Disc(24 * k + 12, 12, 10, kMetal);
        double x, y;
        Polar(24 * k + 12, 12, 9, -60 + k * 30, &x, &y);
        c.Line(24 * k + 12, 12, x, y, 3, kBlack);
    }
    return BmpBytes(*b);
}

Bytes FlapsPiece() {
    auto b = NewBitmap(30, 60, kPaintShadow);
    Canvas c(*b);
    static const char* const kMarks[4] = {"0", "10", "20", "30"};
    for (int k = 0; k < 4; ++k) {
        c.Fill(2, 6 + k * 16, 8, 6 + k * 16, kWhite);
        c.Text(11, 3 + k * 16, kMarks[k], kWhite);
    }
    return BmpBytes(*b);
}

// ---- the panel --------------------------------------------------------------------------------

// Airspeed in knots to the needle's angle: the C172's frame formula, then (frame - 1) x 2.
double AirspeedDegrees(double knots) {
    const double k = knots;
    double frame;
    if (k <= 30)
        frame = std::trunc(k * 0.4666667 + 0.5);
    else if (k <= 40)
        frame = std::trunc((k - 30) * 0.7000007 + 14.5);
    else if (k <= 60)
        frame = std::trunc((k - 40) * 1.1500003 + 21.5);
    else if (k <= 90)
        frame = std::trunc((k - 60) * 1.3333333 + 44.5);
    else
        frame = std::trunc(k - 90 + 84.5);
    return (frame - 1) * 2.0;
}

// Engine RPM to the tachometer needle's angle.
double TachDegrees(double rpm) {
    const int value = rpm > 500 ? static_cast<int>(std::trunc((rpm - 500) * 0.0419992 + 0.5)) + 7
                                : static_cast<int>(std::trunc(rpm * 0.0139997 + 0.5));
    int frame = (value + 115) % 180;
    if (frame == 0) frame = 1;
    return (frame - 1) * 2.0;
}

void Bezel(Canvas& c, double cx, double cy, double r) {
    c.Disc(cx + 2, cy + 2, r + 4, kPaintDark);
    c.Disc(cx, cy, r + 4, kMetal);
    c.Ring(cx, cy, r + 2, r + 4, kMetalLight);
    c.Disc(cx, cy, r, kFace);
}

void Ticks(Canvas& c, double cx, double cy, double r, double a, double len, double w) {
    double x0, y0, x1, y1;
    Polar(cx, cy, r - len, a, &x0, &y0);
    Polar(cx, cy, r, a, &x1, &y1);
    c.Line(x0, y0, x1, y1, w, kWhite);
}

void AirspeedDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    c.Arc(cx, cy, 41, 44, AirspeedDegrees(41), AirspeedDegrees(85), kWhite);
    c.Arc(cx, cy, 44, 47, AirspeedDegrees(47), AirspeedDegrees(128), kGreen);
    c.Arc(cx, cy, 44, 47, AirspeedDegrees(128), AirspeedDegrees(160), kYellow);
    Ticks(c, cx, cy, 48, AirspeedDegrees(160), 9, 2.5);
    for (int k = 40; k <= 160; k += 10) Ticks(c, cx, cy, 47, AirspeedDegrees(k), k % 20 == 0 ? 7 : 4, 1.2);
    for (int k = 40; k <= 160; k += 20) {
        double x, y;
        Polar(cx, cy, 32, AirspeedDegrees(k), &x, &y);
        c.TextCentred(x, y, std::to_string(k), kWhite);
    }
    c.TextCentred(cx, cy + 14, "KNOTS", kGreyLight);
}

void AltimeterDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    for (int k = 0; k < 50; ++k) Ticks(c, cx, cy, 47, k * 7.2, k % 5 == 0 ? 7 : 3, k % 5 == 0 ? 1.5 : 1.0);
    for (int k = 0; k < 10; ++k) {
        double x, y;
        Polar(cx, cy, 33, k * 36.0, &x, &y);
        c.TextCentred(x, y, std::to_string(k), kWhite, 2);
    }
    c.Fill(static_cast<int>(cx) + 18, static_cast<int>(cy) - 5, static_cast<int>(cx) + 42,
           static_cast<int>(cy) + 5, kBlack);  // the barometric window
    c.TextCentred(cx, cy - 14, "ALT", kGreyLight);
}

void VsiDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    // Zero at frame 135 (9 o'clock); the scale runs up clockwise and down anticlockwise.
    const double zero = (135 - 1) * 2.0;
    for (int k = -20; k <= 20; ++k) Ticks(c, cx, cy, 47, zero + k * 8.5, k % 5 == 0 ? 7 : 3, 1.2);
    for (int k = -20; k <= 20; k += 5) {
        double x, y;
        Polar(cx, cy, 33, zero + k * 8.5, &x, &y);
        c.TextCentred(x, y, std::to_string(std::abs(k) / 5), kWhite);
    }
    c.TextCentred(cx + 6, cy - 12, "UP", kGreyLight);
    c.TextCentred(cx + 6, cy + 12, "DN", kGreyLight);
}

void TurnDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    for (const double a : {-90.0, -70.0, 70.0, 90.0}) Ticks(c, cx, cy, 46, a, 8, 2.5);
    c.Fill(static_cast<int>(cx) - 26, static_cast<int>(cy) + 16, static_cast<int>(cx) + 26,
           static_cast<int>(cy) + 26, kWhite);
    c.Fill(static_cast<int>(cx) - 25, static_cast<int>(cy) + 17, static_cast<int>(cx) + 25,
           static_cast<int>(cy) + 25, kBlack);
    c.TextCentred(cx - 34, cy + 32, "L", kWhite);
    c.TextCentred(cx + 34, cy + 32, "R", kWhite);
    c.TextCentred(cx, cy - 22, "TURN COORD", kGreyLight);
}

void HeadingDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    c.Fill(static_cast<int>(cx), static_cast<int>(cy) - 47, static_cast<int>(cx),
           static_cast<int>(cy) - 40, kYellow);
}

void CdiDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    for (int k = -5; k <= 5; ++k) c.Disc(cx + k * 7, cy, k == 0 ? 3.5 : 1.8, kWhite);
    c.Ring(cx, cy, 9, 10.5, kWhite);
    c.TextCentred(cx, cy - 36, "VOR", kGreyLight);
    c.Disc(cx - 36, cy + 36, 7, kMetal);
    c.TextCentred(cx - 36, cy + 36, "OBS", kBlack);
}

void AdfDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 48);
    c.TextCentred(cx, cy + 20, "ADF", kGreyLight);
    c.Disc(cx - 36, cy + 36, 7, kMetal);
}

void TachDial(Canvas& c, double cx, double cy) {
    Bezel(c, cx, cy, 34);
    c.Arc(cx, cy, 29, 33, TachDegrees(2200), TachDegrees(2700), kGreen);
    Ticks(c, cx, cy, 34, TachDegrees(2700), 8, 2.5);
    for (int r = 0; r <= 3500; r += 500) Ticks(c, cx, cy, 33, TachDegrees(r), 5, 1.2);
    for (int r = 0; r <= 3500; r += 1000) {
        double x, y;
        Polar(cx, cy, 22, TachDegrees(r), &x, &y);
        c.TextCentred(x, y, std::to_string(r / 100), kWhite);
    }
    c.TextCentred(cx, cy + 12, "RPM", kGreyLight);
    c.Fill(static_cast<int>(cx) - 18, static_cast<int>(cy) + 20, static_cast<int>(cx) + 18,
           static_cast<int>(cy) + 26, kBlack);
}

void BarGauge(Canvas& c, int x, int y, const char* left, const char* right, const char* name) {
    c.Bevel(x - 4, y - 9, x + 48, y + 12, kPaintShadow, kPaintLight, kFace);
    c.Arc(x + 22, y + 40, 40, 44, -20, -8, kRed);
    for (int k = 0; k <= 4; ++k) c.Fill(x + k * 11, y - 2, x + k * 11, y + 1, kWhite);
    c.Text(x - 2, y + 3, left, kWhite);
    c.Text(x + 46 - Canvas::TextWidth(right), y + 3, right, kWhite);
    c.TextCentred(x + 22, y - 14, name, kGreyLight);
}

void RadioWindow(Canvas& c, int x, int y, int w) {
    c.Fill(x - 2, y - 2, x + w + 1, y + 12, kGreyDark);
    c.Fill(x - 1, y - 1, x + w, y + 11, kBlack);
}

// A toggle switch's slot with its label above it.
void ToggleSwitch(Canvas& c, int x, int y, const char* label) {
    c.Fill(x, y, x + 9, y + 17, kBlack);
    c.Fill(x + 2, y + 9, x + 7, y + 15, kWhite);
    c.TextCentred(x + 5, y - 6, label, kWhite);
}

std::unique_ptr<gfx::GFXBitmap> PanelPicture(int height) {
    auto b = NewBitmap(640, height, kPaint);
    Canvas c(*b);
    const int shift = -cockpit::kC172PanelRowShift - 14;  // layout y to bitmap row: y - 157
    auto at = [&](const char* name, double* x, double* y) {
        for (int i = 0; i < cockpit::theC172LayoutCount; ++i)
            if (std::strcmp(cockpit::theC172Layout[i].name, name) == 0) {
                *x = cockpit::theC172Layout[i].x + 0.5;
                *y = cockpit::theC172Layout[i].y - shift - 14 + 0.5;
                return;
            }
    };
    // Glare shield and panel shading.
    c.Fill(0, 0, 639, 3, kPaintDark);
    for (int y = 4; y < height; y += 2) c.Fill(0, y, 639, y, kPaint);
    c.Fill(0, 1, 639, 2, kPaintShadow);
    double x = 0, y = 0;
    // The six-pack and the other round instruments.
    at("theAirspeedIndicator", &x, &y), AirspeedDial(c, x, y);
    at("theAltimeter", &x, &y), AltimeterDial(c, x, y);
    at("theVerticalSpeedIndicator", &x, &y), VsiDial(c, x, y);
    at("theTurnCoordinator", &x, &y), TurnDial(c, x, y);
    at("theHsiGauge", &x, &y), HeadingDial(c, x, y);
    at("theNav1Indicator", &x, &y), CdiDial(c, x, y);
    at("theAdfIndicator", &x, &y), AdfDial(c, x, y);
    at("theTachometer1", &x, &y), TachDial(c, x, y);
    // The attitude window: index 0 only inside it, where the horizon is painted.
    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(0);
    const double acx = a.a + 0.5, acy = (a.d + a.f) / 2.0 + 0.5;
    Bezel(c, acx, acy, 52);
    c.Fill(a.c + 6, a.d + 6, a.e - 6, a.f - 6, 0);
    c.Ring(acx, acy, 45, 52, kFace);
    c.Fill(a.c + 6, a.d + 6, a.e - 6, a.d + 6, kMetal);
    c.Fill(static_cast<int>(acx) - 24, static_cast<int>(acy), static_cast<int>(acx) - 8,
           static_cast<int>(acy) + 1, kYellow);
    c.Fill(static_cast<int>(acx) + 8, static_cast<int>(acy), static_cast<int>(acx) + 24,
           static_cast<int>(acy) + 1, kYellow);
    // Radio stack.
    c.Bevel(478, 4, 639, 160, kPaintHighlight, kPaintDark, kPaintShadow);
    for (const char* name : {"theNav1Radio", "theNav2Radio", "theCom1Radio", "theCom2Radio"}) {
        at(name, &x, &y);
        RadioWindow(c, static_cast<int>(x), static_cast<int>(y), 30);
        RadioWindow(c, static_cast<int>(x) + 34, static_cast<int>(y), 30);
    }
    c.Text(482, 68, "COM", kWhite);
    c.Text(600, 68, "NAV", kWhite);
    at("theAdfRadio", &x, &y), RadioWindow(c, static_cast<int>(x), static_cast<int>(y), 30),
        RadioWindow(c, static_cast<int>(x) + 34, static_cast<int>(y), 20);
    at("theTransponder", &x, &y), RadioWindow(c, static_cast<int>(x), static_cast<int>(y), 28);
    c.Text(482, 134, "ADF", kWhite);
    c.Text(574, 146, "XPDR", kWhite);
    at("theDmeRadio", &x, &y), RadioWindow(c, static_cast<int>(x) - 40, static_cast<int>(y), 80);
    c.Text(500, 28, "DME", kWhite);
    for (int k = 0; k < 3; ++k) c.Fill(586 + 17 * k, 40, 599 + 17 * k, 41, kLampOff);
    // Clock, fuel gauges, oil gauges.
    at("theClock", &x, &y);
    c.Disc(x + 20, y, 18, kMetal);
    c.Fill(static_cast<int>(x), static_cast<int>(y) - 6, static_cast<int>(x) + 40,
           static_cast<int>(y) + 6, kBlack);
    at("theLeftFuelGauge", &x, &y), BarGauge(c, static_cast<int>(x), static_cast<int>(y), "E", "F", "L TANK");
    at("theRightFuelGauge", &x, &y), BarGauge(c, static_cast<int>(x), static_cast<int>(y), "E", "F", "R TANK");
    if (height > 265) {
        at("theOilTempGauge", &x, &y), BarGauge(c, static_cast<int>(x), static_cast<int>(y), "C", "H", "OIL T");
        at("theOilPressureGauge", &x, &y), BarGauge(c, static_cast<int>(x), static_cast<int>(y), "L", "H", "OIL P");
        // Lever slots, trim wheel and flap scale.
        for (const char* name : {"theThrottleLever", "theMixtureLever", "theCarbHeatKnob"}) {
            at(name, &x, &y);
            c.Fill(static_cast<int>(x) + 3, static_cast<int>(y) - 24, static_cast<int>(x) + 16,
                   static_cast<int>(y) + 18, kPaintDark);
        }
        c.TextCentred(306, 302, "THROTTLE", kWhite);
        c.TextCentred(360, 302, "MIXT", kRed);
        c.TextCentred(265, 302, "CARB", kWhite);
        at("theElevatorTrimIndicator", &x, &y);
        c.Fill(static_cast<int>(x) - 2, static_cast<int>(y) - 26, static_cast<int>(x) + 16,
               static_cast<int>(y) + 26, kBlack);
        c.TextCentred(x + 7, y - 32, "TRIM", kWhite);
        at("theFlapsLever", &x, &y);
        c.Fill(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + 28,
               static_cast<int>(y) + 32, kPaintShadow);
        static const char* const kFlaps[4] = {"0", "10", "20", "30"};
        for (int k = 0; k < 4; ++k) c.Text(static_cast<int>(x) + 12, static_cast<int>(y) + 2 + k * 8, kFlaps[k], kWhite);
        c.TextCentred(x + 14, y - 6, "FLAPS", kWhite);
    }
    c.Text(4, 8, "CESSNA 172", kPaintHighlight);
    if (height <= 265) return b;
    // The switch row, the magneto key and the fuel selector (the low panel does not reach them).
    static const struct {
        const char* name;
        const char* label;
    } kSwitches[] = {{"theMasterSwitch", "BAT"},     {"theAvionicsSwitch", "AVN"},
                     {"thePitotHeatSwitch", "PIT"},  {"theStrobeSwitch", "STB"},
                     {"theBeaconSwitch", "BCN"},     {"theNavLightSwitch", "NAV"},
                     {"theTaxiLightSwitch", "TXI"},  {"theLandingLightSwitch", "LDG"}};
    for (const auto& s : kSwitches) {
        at(s.name, &x, &y);
        ToggleSwitch(c, static_cast<int>(x), static_cast<int>(y), s.label);
    }
    at("theIgnitionSwitch", &x, &y);
    c.Disc(x + 12, y + 12, 12, kMetal);
    c.TextCentred(x + 12, y - 6, "MAGS", kWhite);
    at("theFuelSelector", &x, &y);
    c.Disc(x + 12, y + 12, 11, kGreyDark);
    c.Fill(static_cast<int>(x) + 11, static_cast<int>(y) + 2, static_cast<int>(x) + 13,
           static_cast<int>(y) + 22, kWhite);
    c.TextCentred(x + 12, y - 6, "FUEL", kWhite);
    return b;
}

Bytes CrashPicture() {
    auto b = NewBitmap(320, 200, kSky);
    Canvas c(*b);
    for (int y = 80; y < 200; ++y) c.Fill(0, y, 319, y, kGround);
    c.Line(40, 150, 280, 110, 14, kWhite);
    c.Line(150, 90, 190, 170, 10, kGreyLight);
    c.Line(40, 150, 70, 185, 6, kRed);
    c.TextCentred(160, 30, "CRASH", kRed, 4);
    return BmpBytes(*b);
}

Bytes Cracks() {
    auto b = NewBitmap(640, 480, 0);
    Canvas c(*b);
    const double cx = 250, cy = 170;
    for (int k = 0; k < 11; ++k) {
        double x, y;
        Polar(cx, cy, 120 + 37 * (k % 4), k * 33.0 + 7, &x, &y);
        c.Line(cx, cy, x, y, 1.2, kWhite);
    }
    c.Ring(cx, cy, 30, 31.5, kWhite);
    c.Ring(cx, cy, 70, 71, kGreyLight);
    return BmpBytes(*b);
}

// The cockpit frames: posts, roof and glare shield round windows of index 0.
Bytes CockpitFrame(int direction) {
    auto b = NewBitmap(640, 480, 0);
    Canvas c(*b);
    c.Fill(0, 0, 639, 40, kPaintShadow);  // cabin roof
    if (direction == 0) {
        c.Fill(0, 380, 639, 479, kPaint);  // glare shield
        c.Line(120, 40, 40, 380, 26, kPaintShadow);  // windshield posts
        c.Line(520, 40, 600, 380, 26, kPaintShadow);
        c.Fill(316, 40, 324, 200, kPaintDark);  // centre strip and compass
        c.Fill(306, 200, 334, 225, kBlack);
    } else {
        c.Fill(0, 330 + direction * 4, 639, 479, kPaintShadow);  // door and sill
        const int post = direction <= 4 ? 80 + direction * 60 : 600 - (direction - 4) * 60;
        c.Line(post, 40, post + 10, 340, 30, kPaintDark);
        c.Line(0, 300, 639, 280, 6, kPaintDark);  // wing strut
    }
    return BmpBytes(*b);
}

}  // namespace

int MakePanelArt(Installation& installation, std::string* error) {
    auto add = [&](const char* name, Bytes bytes) {
        if (bytes.empty()) {
            *error = std::string("cannot make ") + name;
            return false;
        }
        installation.AddMember(kPanelVolume, name, std::move(bytes));
        return true;
    };
    auto panel = PanelPicture(309);
    auto low = PanelPicture(265);
    if (!panel || !low) {
        *error = "cannot make the panel pictures";
        return 0;
    }
    const bool ok =
        add("172panel.bmp", BmpBytes(*panel)) && add("172lopan.bmp", BmpBytes(*low)) &&
        add("172_Crsh.bmp", CrashPicture()) && add("cracked.bmp", Cracks()) &&
        add("172altba.bmp", BaroStrip()) && add("172les10.bmp", SmallPicture(20, 30, kBlack, "-")) &&
        add("172mini.bmp", CompassOverlay()) && add("172num.bmp", CompassStrip()) &&
        add("172flaps.bmp", FlapsPiece()) && add("172swtch.bmp", SwitchFrames()) &&
        add("172key.bmp", KeyFrames()) && add("172rpmnm.bmp", HourMeterDigits()) &&
        add("172autop.bmp", SmallPicture(120, 16, kBlack, "AP HDG NAV APR")) &&
        add("172mixer.bmp", SmallPicture(120, 16, kBlack, "COM NAV DME ADF")) &&
        add("panel172.pft", DigitFont()) && add("172needs.pft", NeedleSet(40, 3.0, kWhite, 8)) &&
        add("172small.pft", NeedleSet(26, 2.0, kWhite, 5)) &&
        add("17210ndl.pft", NeedleSet(44, 1.2, kWhite, 0)) &&
        add("172fat.pft", NeedleSet(28, 5.0, kWhite, 6)) && add("1_hsicmp.pft", CardSet(44)) &&
        add("1_navcmp.pft", CardSet(40)) && add("172turn.pft", TurnSet()) &&
        add("172ring.pft", RingSet()) && add("172text.pft", PitchSet()) &&
        add("172_misc.pft", MiscSet());
    if (!ok) return 0;
    static const char* const kSides[8] = {"172_f.bmp",  "172_fl.bmp", "172_l.bmp",  "172_bl.bmp",
                                          "172_b.bmp",  "172_br.bmp", "172_r.bmp",  "172_fr.bmp"};
    for (int d = 0; d < 8; ++d) {
        Bytes bytes = CockpitFrame(d);
        if (bytes.empty()) {
            *error = std::string("cannot make ") + kSides[d];
            return 0;
        }
        installation.AddMember(kCockpitVolume, kSides[d], std::move(bytes));
    }
    return 1;
}

std::unique_ptr<gfx::GFXBitmap> DrawC172PanelPicture(int height, std::vector<Rgb>* palette) {
    if (palette != nullptr) *palette = PanelRolePalette(0, 0);
    return PanelPicture(height);
}

}  // namespace mkdata
