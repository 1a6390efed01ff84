#include "tools/mkdata/panel_sprites.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "tools/mkdata/panel_kit.h"

namespace mkdata {

namespace {

constexpr double kPi = 3.14159265358979;

std::vector<Frame> Frames(int count) {
    std::vector<Frame> f(static_cast<std::size_t>(count));
    return f;
}

void Fill(std::vector<Frame>& frames) {
    for (Frame& f : frames)
        if (!f.bitmap) f = EmptyFrame();
}

// A point turned by `degrees` clockwise about (cx, cy) from the offset (x, y) (y down).
void Turned(double cx, double cy, double x, double y, double degrees, double* ox, double* oy) {
    const double a = degrees * kPi / 180.0;
    *ox = cx + x * std::cos(a) - y * std::sin(a);
    *oy = cy + x * std::sin(a) + y * std::cos(a);
}

void TurnedLine(Canvas& c, double cx, double cy, double x0, double y0, double x1, double y1,
                double degrees, double width, std::uint8_t ink) {
    double ax, ay, bx, by;
    Turned(cx, cy, x0, y0, degrees, &ax, &ay);
    Turned(cx, cy, x1, y1, degrees, &bx, &by);
    c.Line(ax, ay, bx, by, width, ink);
}

// A filled triangle (by testing pixel centres).
void Triangle(Canvas& c, double x0, double y0, double x1, double y1, double x2, double y2,
              std::uint8_t ink) {
    const int l = static_cast<int>(std::floor(std::min({x0, x1, x2})));
    const int r = static_cast<int>(std::ceil(std::max({x0, x1, x2})));
    const int t = static_cast<int>(std::floor(std::min({y0, y1, y2})));
    const int b = static_cast<int>(std::ceil(std::max({y0, y1, y2})));
    auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d0 = side(x0, y0, x1, y1, px, py);
            const double d1 = side(x1, y1, x2, y2, px, py);
            const double d2 = side(x2, y2, x0, y0, px, py);
            if ((d0 >= 0 && d1 >= 0 && d2 >= 0) || (d0 <= 0 && d1 <= 0 && d2 <= 0)) c.Set(x, y, ink);
        }
}

const char* const kCompassLabels[12] = {"N", "3", "6", "E", "12", "15", "S", "21", "24", "W", "30", "33"};

// A compass ring turned clockwise by `turn`: ticks every 5 degrees, labels every 30.
void CompassRing(Canvas& c, double cx, double cy, double radius, double width, double turn,
                 const Inks& k, bool disc) {
    if (disc)
        c.Disc(cx, cy, radius, k(Ink::Face));
    else
        c.Ring(cx, cy, radius - width, radius, k(Ink::Face));
    for (int d = 0; d < 360; d += 5) {
        const double a = d + turn;
        double x0, y0, x1, y1;
        Polar(cx, cy, radius - (d % 10 == 0 ? 5 : 3), a, &x0, &y0);
        Polar(cx, cy, radius - 0.5, a, &x1, &y1);
        c.Line(x0, y0, x1, y1, 1.0, k(Ink::White));
    }
    for (int j = 0; j < 12; ++j) {
        double x, y;
        Polar(cx, cy, radius - 10, j * 30.0 + turn, &x, &y);
        c.TinyCentred(x, y, kCompassLabels[j], j % 3 == 0 ? k(Ink::Yellow) : k(Ink::White));
    }
}

Frame Label(const Inks& k, const char* text, Ink ink, Ink back) {
    const int w = Canvas::TinyWidth(text) + 2;
    return MakeBox(w, 7, k(back), false, [&](Canvas& c) { c.Tiny(1, 1, text, k(ink)); });
}

}  // namespace

// ---- needles --------------------------------------------------------------------------------------

Bytes NeedleSetBytes(int type, NeedleShape shape, double length, double width, int startFrame) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(cockpit::kNeedleFrames + 1);
    const int half = static_cast<int>(length) + 4;
    for (int n = 1; n <= cockpit::kNeedleFrames; ++n) {
        const double a = (n - startFrame) * 2.0;
        frames[static_cast<std::size_t>(n)] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
            double tx, ty, mx, my, bx, by;
            switch (shape) {
                case NeedleShape::Pointer:
                    Polar(cx, cy, length, a, &tx, &ty);
                    Polar(cx, cy, length * 0.72, a, &mx, &my);
                    Polar(cx, cy, length * 0.2, a + 180.0, &bx, &by);
                    c.Line(bx, by, mx, my, width, k(Ink::White));
                    c.Line(mx, my, tx, ty, std::max(1.0, width - 1.0), k(Ink::White));
                    c.Disc(cx, cy, width + 0.6, k(Ink::GreyDark));
                    break;
                case NeedleShape::Hand: {
                    Polar(cx, cy, length, a, &tx, &ty);
                    double lx, ly, rx, ry;
                    Polar(cx, cy, width, a - 90.0, &lx, &ly);
                    Polar(cx, cy, width, a + 90.0, &rx, &ry);
                    Triangle(c, tx, ty, lx, ly, rx, ry, k(Ink::White));
                    c.Disc(cx, cy, width, k(Ink::White));
                    break;
                }
                case NeedleShape::TenThousand: {
                    Polar(cx, cy, length - 5, a, &mx, &my);
                    c.Line(cx, cy, mx, my, width, k(Ink::GreyLight));
                    double tx2, ty2, lx, ly, rx, ry;
                    Polar(cx, cy, length, a, &tx2, &ty2);
                    Polar(mx, my, 3.5, a - 90.0, &lx, &ly);
                    Polar(mx, my, 3.5, a + 90.0, &rx, &ry);
                    Triangle(c, tx2, ty2, lx, ly, rx, ry, k(Ink::White));
                    break;
                }
            }
        });
    }
    Fill(frames);
    return SpriteSetBytes(frames);
}

// ---- cards -----------------------------------------------------------------------------------------

Bytes HeadingCardBytes(int type, double radius) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(184);
    const int half = static_cast<int>(radius) + 1;
    for (int n = 1; n <= cockpit::kCardFrames; ++n)
        frames[static_cast<std::size_t>(n)] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
            CompassRing(c, cx, cy, radius, radius, (n - 1) * 2.5, k, true);
        });
    // The C172's lubber index: a triangle pointing down, its anchor at the tip.
    frames[cockpit::kHsiLubber] = MakeBox(9, 6, 0, true, [&](Canvas& c) {
        Triangle(c, 0, 0, 9, 0, 4.5, 6, k(Ink::Orange));
    }, 4, 6);
    frames[cockpit::kHsiAircraft] = MakeFrame(14, [&](Canvas& c, double cx, double cy) {
        c.Line(cx, cy - 11, cx, cy + 10, 2.0, k(Ink::White));
        c.Line(cx - 11, cy - 1, cx + 11, cy - 1, 2.0, k(Ink::White));
        c.Line(cx - 5, cy + 9, cx + 5, cy + 9, 2.0, k(Ink::White));
    });
    for (int f : {cockpit::kHsiNavFlag, cockpit::kHsiTurbineNavFlag})
        frames[static_cast<std::size_t>(f)] = Label(k, "NAV", Ink::White, Ink::Red);
    for (int f : {cockpit::kHsiHeadingFlag, cockpit::kHsiTurbineHeadingFlag})
        frames[static_cast<std::size_t>(f)] = Label(k, "HDG", Ink::White, Ink::Red);
    Fill(frames);
    return SpriteSetBytes(frames);
}

Bytes NavCardBytes(int type, double radius) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(170);
    const int half = static_cast<int>(radius) + 1;
    for (int n = 1; n <= cockpit::kCardFrames; ++n)
        frames[static_cast<std::size_t>(n)] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
            CompassRing(c, cx, cy, radius, 13, (n - 1) * 2.5, k, false);
        });
    // The course indicator's face: the deviation dots and the ring inside the card.
    frames[cockpit::kCourseFace] = MakeFrame(half, [&](Canvas& c, double cx, double cy) {
        c.Disc(cx, cy, radius - 12.5, k(Ink::Face));
        for (int d = -5; d <= 5; ++d)
            if (d != 0) c.Disc(cx + d * 4.6, cy, 1.2, k(Ink::White));
        c.Ring(cx, cy, 5, 6, k(Ink::White));
        c.Fill(static_cast<int>(cx) - 1, static_cast<int>(cy - radius + 13),
               static_cast<int>(cx), static_cast<int>(cy - radius + 16), k(Ink::White));
    });
    frames[cockpit::kToFlag] = MakeBox(9, 6, k(Ink::Face), false, [&](Canvas& c) {
        Triangle(c, 0, 6, 9, 6, 4.5, 0, k(Ink::White));
    });
    frames[cockpit::kFromFlag] = MakeBox(9, 6, k(Ink::Face), false, [&](Canvas& c) {
        Triangle(c, 0, 0, 9, 0, 4.5, 6, k(Ink::White));
    });
    frames[cockpit::kNavFlag] = Label(k, "NAV", Ink::White, Ink::Red);
    frames[cockpit::kGlideFlag] = Label(k, "GS", Ink::White, Ink::Red);
    frames[cockpit::kAdfHub] = MakeFrame(4, [&](Canvas& c, double cx, double cy) {
        c.Disc(cx, cy, 3.2, k(Ink::MetalDark));
    });
    frames[cockpit::kRmiHub] = MakeFrame(4, [&](Canvas& c, double cx, double cy) {
        c.Disc(cx, cy, 3.2, k(Ink::MetalDark));
    });
    // The RMI's selectors: clear shows ADF, set shows VOR; a knob beside each.
    frames[162] = Label(k, "ADF", Ink::Green, Ink::Face);
    frames[161] = Label(k, "VOR", Ink::Green, Ink::Face);
    frames[163] = Label(k, "ADF", Ink::White, Ink::Face);
    frames[164] = Label(k, "VOR", Ink::White, Ink::Face);
    for (int f : {165, 166, 167, 168})
        frames[static_cast<std::size_t>(f)] = MakeBox(7, 7, 0, true, [&](Canvas& c) {
            c.Disc(3.5, 3.5, 3.4, k(Ink::Knob));
            const bool set = f == 165 || f == 167;
            c.Line(3.5, 0.5, 3.5, 6.5, 1.0, set ? k(Ink::White) : k(Ink::Green));
        });
    Fill(frames);
    return SpriteSetBytes(frames);
}

// ---- attitude -----------------------------------------------------------------------------------------

namespace {
double BankOfFrame(int n) {
    return n <= 61 ? n - 1 : 61 - n;
}
}  // namespace

Bytes AttitudeRingBytes(int type, double radius) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(122);
    for (int n = 1; n <= 121; ++n) {
        const double bank = BankOfFrame(n);
        frames[static_cast<std::size_t>(n)] =
            MakeFrame(static_cast<int>(radius) + 2, [&](Canvas& c, double cx, double cy) {
                // The ring turns with the horizon, under the case's fixed index.
                for (const int m : {-60, -30, -20, -10, 10, 20, 30, 60}) {
                    double x0, y0, x1, y1;
                    Polar(cx, cy, radius - (m % 30 == 0 ? 7 : 4), m + bank, &x0, &y0);
                    Polar(cx, cy, radius, m + bank, &x1, &y1);
                    c.Line(x0, y0, x1, y1, m % 30 == 0 ? 2.0 : 1.2, k(Ink::White));
                }
                double tx, ty, lx, ly, rx, ry;
                Polar(cx, cy, radius - 8, bank, &tx, &ty);
                Polar(cx, cy, radius - 1, bank - 4, &lx, &ly);
                Polar(cx, cy, radius - 1, bank + 4, &rx, &ry);
                Triangle(c, tx, ty, lx, ly, rx, ry, k(Ink::White));
            });
    }
    Fill(frames);
    return SpriteSetBytes(frames);
}

Bytes AttitudePitchBytes(int type) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(122);
    for (int n = 1; n <= 121; ++n) {
        const double bank = BankOfFrame(n);
        frames[static_cast<std::size_t>(n)] = MakeFrame(34, [&](Canvas& c, double cx, double cy) {
            for (const int p : {-20, -10, -5, 5, 10, 20}) {
                const double w = (p % 10 == 0) ? 11 : 5;
                TurnedLine(c, cx, cy, -w, -p, w, -p, bank, 1.0, k(Ink::White));
            }
        });
    }
    Fill(frames);
    return SpriteSetBytes(frames);
}

Bytes DirectorCardBytes(int type, int size) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(147);
    const double centre = size / 2.0;
    for (int n = 1; n <= 122; ++n) {
        const double bank = BankOfFrame(std::min(n, 121));
        frames[static_cast<std::size_t>(n)] = MakeBox(size, size, 0, true, [&](Canvas& c) {
            for (const int p : {-20, -15, -10, -5, 5, 10, 15, 20}) {
                const double y = -p * 1.4;
                const double w = (p % 10 == 0) ? 12 : 6;
                TurnedLine(c, centre, centre, -w, y, w, y, bank, 1.0, k(Ink::White));
            }
        });
    }
    // Glide-slope scale and pointers, the course pointer, the annunciators.
    frames[142] = MakeBox(5, 55, 0, true, [&](Canvas& c) {
        for (int d = 0; d < 5; ++d)
            c.Disc(2.5, 7.5 + d * 10, 1.6, k(Ink::White));
    });
    frames[141] = MakeBox(6, 7, 0, true, [&](Canvas& c) {
        Triangle(c, 0, 3.5, 6, 0, 6, 7, k(Ink::Green));
    });
    frames[140] = MakeBox(7, 6, 0, true, [&](Canvas& c) {
        Triangle(c, 3.5, 0, 0, 6, 7, 6, k(Ink::Green));
    });
    frames[143] = Label(k, "AP", Ink::Green, Ink::Black);
    frames[144] = Label(k, "NAV", Ink::Green, Ink::Black);
    frames[145] = Label(k, "GS", Ink::Green, Ink::Black);
    frames[146] = Label(k, "HDG", Ink::Green, Ink::Black);
    Fill(frames);
    return SpriteSetBytes(frames);
}

// ---- turn coordinator ------------------------------------------------------------------------------------

Bytes TurnSetBytes(int type, bool withSymbol) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(54);
    if (withSymbol)
        for (int n = 1; n <= 25; ++n) {
            const double bank = n == 1 ? 0.0 : (n <= 13 ? -(n - 1) * 2.0 : (n - 13) * 2.0);
            frames[static_cast<std::size_t>(n)] = MakeFrame(30, [&](Canvas& c, double cx, double cy) {
                TurnedLine(c, cx, cy, -27, 0, 27, 0, bank, 2.4, k(Ink::White));
                c.Disc(cx, cy, 4, k(Ink::White));
                TurnedLine(c, cx, cy, 0, -2, 0, -9, bank, 2.0, k(Ink::White));
            });
        }
    // The tube: its anchor makes the face's string point (x - 31, y + 25).
    frames[cockpit::kTurnFace] = MakeBox(65, 19, 0, true, [&](Canvas& c) {
        for (int x = 0; x < 65; ++x) {
            const double sag = 4.0 * ((x - 32) / 32.0) * ((x - 32) / 32.0);
            c.Set(x, static_cast<int>(std::lround(1 - sag + 4)), k(Ink::GreyDark));
            c.Set(x, static_cast<int>(std::lround(18 - sag)), k(Ink::GreyDark));
        }
        c.Fill(26, 3, 26, 17, k(Ink::Black));
        c.Fill(38, 3, 38, 17, k(Ink::Black));
    }, 23, 2);
    frames[cockpit::kTurnBall] = MakeBox(cockpit::kTurnBallWidth, cockpit::kTurnBallHeight, 0, true,
                                         [&](Canvas& c) {
                                             c.Disc(5.5, 6.5, 5.2, k(Ink::Black));
                                             c.Disc(4, 5, 1.2, k(Ink::GreyDark));
                                         });
    for (int f : {cockpit::kTurnLeftStop, cockpit::kTurnRightStop})
        frames[static_cast<std::size_t>(f)] = MakeBox(11, 18, 0, true, [&](Canvas& c) {
            c.Fill(f == cockpit::kTurnLeftStop ? 0 : 9, 1, f == cockpit::kTurnLeftStop ? 1 : 10, 16,
                   k(Ink::GreyDark));
        });
    Fill(frames);
    return SpriteSetBytes(frames);
}

// ---- the misc set ---------------------------------------------------------------------------------------

namespace {

// A toggle switch, placed by its anchor: the generic frames by their pivot's column and the middle
// of their height (the panels give the switches' middles), the jet's ignition switches by their
// top-left corner less three rows.
Frame ToggleFrame(const Inks& k, bool up, bool guarded, int ox = 5, int oy = 10) {
    return MakeBox(11, 20, 0, true, [&](Canvas& c) {
        c.Disc(5.5, 10, 4.5, k(Ink::MetalDark));
        if (guarded) c.Fill(0, 0, 10, 2, k(Ink::Red));
        if (up)
            c.Line(5.5, 10, 5.5, 2.5, 3.0, k(Ink::MetalLight));
        else
            c.Line(5.5, 10, 5.5, 17.5, 3.0, k(Ink::MetalLight));
        c.Disc(5.5, 10, 2, k(Ink::Metal));
    }, ox, oy);
}

// A lamp from its top-left corner, its first column clear (the gear lever's slot ends there).
Frame Lamp(const Inks& k, Ink lit, bool on, double r) {
    const int size = static_cast<int>(2 * r) + 2;
    return MakeBox(size, size - 1, 0, true, [&](Canvas& c) {
        c.Disc(r + 1.5, r + 0.5, r, on ? k(lit) : k(Ink::GreyDark));
        c.Ring(r + 1.5, r + 0.5, r - 1, r, k(Ink::Black));
    });
}

// A rotary fuel selector turned to position p (off, own side, cross-feed).
Frame FuelKnob(const Inks& k, int p) {
    return MakeFrame(9, [&](Canvas& c, double cx, double cy) {
        c.Disc(cx, cy, 8.5, k(Ink::Red));
        double x, y;
        Polar(cx, cy, 7.5, -90.0 + 90.0 * p, &x, &y);
        c.Line(cx, cy, x, y, 3.0, k(Ink::White));
    });
}

}  // namespace

Bytes MiscSetBytes(int type, double coverRadius) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(92);
    // The partial-panel cover plate.
    frames[cockpit::kCoverFrame] = MakeFrame(static_cast<int>(coverRadius) + 1,
                                             [&](Canvas& c, double cx, double cy) {
                                                 c.Disc(cx, cy, coverRadius, k(Ink::PaintDark));
                                                 c.Ring(cx, cy, coverRadius - 3, coverRadius, k(Ink::PaintDeep));
                                                 c.Disc(cx, cy, 6, k(Ink::Red));
                                             });
    if (type == 0) {
        // The C172's knobs, drawn from their top-left corner: knob and its shaft.
        auto knob = [&](int n, Ink ink, const char* label) {
            frames[static_cast<std::size_t>(n)] = MakeBox(16, 34, 0, true, [&](Canvas& c) {
                c.Fill(6, 12, 9, 33, k(Ink::MetalLight));
                c.Disc(8, 7, 7.5, k(ink));
                c.TinyCentred(8, 7, label, k(Ink::White));
            });
        };
        knob(1, Ink::GreyDark, "C");
        knob(2, Ink::Black, "T");
        knob(3, Ink::Red, "M");
    } else if (type >= 2) {
        frames[1] = ToggleFrame(k, false, false);
        frames[2] = ToggleFrame(k, true, false);
        frames[3] = ToggleFrame(k, false, true);
        frames[4] = ToggleFrame(k, true, true);
        for (int p = 0; p < 3; ++p)
            frames[static_cast<std::size_t>(5 + p)] = FuelKnob(k, p);
        if (type == 4) {
            frames[10] = ToggleFrame(k, false, true, 0, 3);
            frames[11] = ToggleFrame(k, true, true, 0, 3);
            // The audio knobs sit above their row's places (which the switches below take).
            for (int f : {cockpit::kAudioKnobOff, cockpit::kAudioKnobOn})
                frames[static_cast<std::size_t>(f)] = MakeBox(10, 10, k(Ink::PaintDeep), false, [&](Canvas& c) {
                    c.Disc(5, 5, 4.5, k(Ink::Knob));
                    c.Line(5, 5, 5, f == cockpit::kAudioKnobOn ? 1 : 9, 1.5, k(Ink::White));
                }, 0, cockpit::kJetAudioKnobRise);
        }
        // The lever quadrant: handles (throttle 50, propeller 54, mixture or condition 55),
        // shafts (51, 52, 56, 57) and the knob layer (53), drawn from their top-left corners.
        frames[50] = MakeBox(type == 3 ? 23 : 36, 40, 0, true, [&](Canvas& c) {
            const int w = type == 3 ? 23 : 36;
            // Lighter than the slot behind it, so an idle throttle still shows.
            c.Fill(2, 0, w - 3, 9, k(Ink::GreyDark));
            c.Fill(3, 1, w - 4, 2, k(Ink::GreyLight));
            c.Fill(2, 9, w - 3, 9, k(Ink::Knob));
            c.Fill(w / 2 - 2, 10, w / 2 + 1, 39, k(Ink::MetalDark));
        });
        frames[54] = MakeBox(22, 40, 0, true, [&](Canvas& c) {
            c.Fill(3, 0, 18, 9, k(Ink::Blue));
            c.Fill(4, 1, 17, 2, k(Ink::BlueDark));
            c.Fill(9, 10, 12, 39, k(Ink::MetalDark));
        });
        frames[55] = MakeBox(22, 40, 0, true, [&](Canvas& c) {
            const Ink ink = type == 2 ? Ink::Red : Ink::Cream;
            c.Fill(3, 0, 18, 9, k(ink));
            c.Fill(9, 10, 12, 39, k(Ink::MetalDark));
        });
        for (int f : {51, 52, 56, 57})
            frames[static_cast<std::size_t>(f)] = MakeBox(4, 40, 0, true, [&](Canvas& c) {
                c.Fill(0, 0, 3, 39, k(Ink::MetalDark));
                c.Fill(1, 0, 1, 39, k(Ink::Metal));
            });
        frames[53] = MakeBox(6, 6, 0, true, [&](Canvas& c) { c.Disc(3, 3, 2.8, k(Ink::Metal)); });
    }
    // Trim wheels: the elevator's upright (60..63), the side trims lying (64..67), each turning.
    for (int w = 0; w < 4; ++w) {
        frames[static_cast<std::size_t>(cockpit::kMiscTrimWheel + w)] =
            MakeBox(19, 36, 0, true, [&](Canvas& c) {
                // Short enough to leave the side trims' markers below it free.
                c.Fill(0, 0, 6, 35, k(Ink::Black));
                for (int r = 0; r < 9; ++r) {
                    const int y = 1 + r * 4 + w;
                    if (y < 35) c.Fill(1, y, 5, y, k(Ink::GreyDark));
                }
                c.Fill(12, 9, 12, 32, k(Ink::Black));
            });
        frames[static_cast<std::size_t>(cockpit::kMiscSideTrim + w)] =
            MakeBox(32, 10, 0, true, [&](Canvas& c) {
                c.Fill(0, 0, 31, 6, k(Ink::Black));
                for (int r = 0; r < 8; ++r) {
                    const int x = 1 + r * 4 + w;
                    if (x < 31) c.Fill(x, 1, x, 5, k(Ink::GreyDark));
                }
            });
    }
    // Gear lamps (green) and the transit lamp (red); the jet has its own pair.
    const int gear = type == 4 ? 86 : 80;
    const int transit = type == 4 ? 88 : 82;
    frames[static_cast<std::size_t>(gear)] = Lamp(k, Ink::Green, false, 2.5);
    frames[static_cast<std::size_t>(gear + 1)] = Lamp(k, Ink::Green, true, 2.5);
    frames[static_cast<std::size_t>(transit)] = Lamp(k, Ink::Red, false, 2.5);
    frames[static_cast<std::size_t>(transit + 1)] = Lamp(k, Ink::Red, true, 2.5);
    if (type == 4) {
        // The turbine-temperature readouts' lamps, the ignition lamps and the radio buttons.
        frames[82] = Lamp(k, Ink::Amber, false, 2.5);
        frames[83] = Lamp(k, Ink::Amber, true, 2.5);
        frames[84] = Lamp(k, Ink::Amber, false, 2.5);
        frames[85] = Lamp(k, Ink::Amber, true, 2.5);
        frames[cockpit::kMiscButtonOff] = MakeBox(9, 6, k(Ink::GreyDark), false, [&](Canvas& c) {
            c.Fill(1, 1, 7, 4, k(Ink::Knob));
        });
        frames[cockpit::kMiscButtonOn] = MakeBox(9, 6, k(Ink::GreyDark), false, [&](Canvas& c) {
            c.Fill(1, 1, 7, 4, k(Ink::Green));
        });
    }
    Fill(frames);
    return SpriteSetBytes(frames);
}

Bytes SynchroscopeBytes(int type) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(19);
    for (int n = 1; n <= 18; ++n)
        frames[static_cast<std::size_t>(n)] = MakeFrame(9, [&](Canvas& c, double cx, double cy) {
            c.Disc(cx, cy, 8.5, k(Ink::Black));
            for (int b = 0; b < 3; ++b) {
                double x, y;
                Polar(cx, cy, 7.5, (n - 1) * 20.0 + b * 120.0, &x, &y);
                c.Line(cx, cy, x, y, 2.0, k(Ink::White));
            }
        });
    Fill(frames);
    return SpriteSetBytes(frames);
}

// ---- digit fonts ------------------------------------------------------------------------------------

Bytes PanelDigitBytes(int type) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(59);
    using cockpit::kDigitHeight;
    using cockpit::kDigitPitch;
    for (int code = 0; code <= 58; ++code) {
        const char ch = static_cast<char>(code);
        const bool glyph = (ch >= '0' && ch <= '9') || ch == '-' || ch == ':' || ch == ' ';
        if (glyph)
            frames[static_cast<std::size_t>(code)] =
                MakeBox(kDigitPitch, kDigitHeight, k(Ink::Window), false, [&](Canvas& c) {
                    if (ch != ' ') c.Text(0, 0, std::string(1, ch), k(Ink::Digit));
                });
    }
    // The decimal point of the frequency and DME windows: a cell drawn a column before the gap it
    // stands in, its point on the bottom two rows a column clear of the digit on either side (the
    // window draws the digits after it over the cell's rest).
    frames['.'] = MakeBox(kDigitPitch, kDigitHeight, k(Ink::Window), false, [&](Canvas& c) {
        c.Fill(1, kDigitHeight - cockpit::kDecimalPointSize, cockpit::kDecimalPointSize,
               kDigitHeight - 1, k(Ink::Digit));
    });
    // The stack's power light and the DME's NM, KT and MIN labels, lit and dark; the DME's source
    // lamps.
    static const char* const kLabels[4] = {nullptr, "NM", "KT", "MIN"};
    for (int i = 0; i < 4; ++i)
        for (int lit = 0; lit < 2; ++lit) {
            const int code = (lit != 0 ? cockpit::kStackLit : cockpit::kStackDark) + i;
            const Ink ink = lit != 0 ? Ink::Digit : Ink::DigitDim;
            if (kLabels[i] == nullptr)
                frames[static_cast<std::size_t>(code)] =
                    MakeBox(5, 3, k(Ink::Black), false, [&](Canvas& c) { c.Fill(1, 1, 3, 1, k(ink)); });
            else
                frames[static_cast<std::size_t>(code)] = MakeBox(
                    Canvas::TinyWidth(kLabels[i]) + 1, 6, k(Ink::Window), false,
                    [&](Canvas& c) { c.Tiny(0, 0, kLabels[i], k(ink)); });
        }
    frames[cockpit::kStackLit + 4] =
        MakeBox(3, 3, k(Ink::Black), false, [&](Canvas& c) { c.Set(1, 1, k(Ink::Green)); });
    frames[cockpit::kStackDark + 4] =
        MakeBox(3, 3, k(Ink::Black), false, [&](Canvas& c) { c.Set(1, 1, k(Ink::GreyDark)); });
    // The jet's temperature units: blank, F and C.
    frames[cockpit::kUnitBlank] = MakeBox(kDigitPitch, kDigitHeight, k(Ink::Window), false, [](Canvas&) {});
    frames[cockpit::kUnitFahrenheit] = MakeBox(kDigitPitch, kDigitHeight, k(Ink::Window), false,
                                               [&](Canvas& c) { c.Text(0, 0, "F", k(Ink::Digit)); });
    frames[cockpit::kUnitCelsius] = MakeBox(kDigitPitch, kDigitHeight, k(Ink::Window), false,
                                            [&](Canvas& c) { c.Text(0, 0, "C", k(Ink::Digit)); });
    Fill(frames);
    return DigitFontBytes(frames, kDigitPitch);
}

Bytes SmallDigitBytes(int type, bool opaque, bool greenOnBlack) {
    const Inks k{type};
    std::vector<Frame> frames = Frames(59);
    const std::uint8_t back = opaque ? k(Ink::Window) : 0;
    const std::uint8_t ink = greenOnBlack ? k(Ink::Green) : k(Ink::White);
    for (int code = 0; code <= 58; ++code) {
        const char ch = static_cast<char>(code);
        if ((ch >= '0' && ch <= '9') || ch == '-' || ch == ' ' || ch == '.')
            frames[static_cast<std::size_t>(code)] = MakeBox(
                cockpit::kSmallDigitPitch, cockpit::kSmallDigitHeight, back, !opaque,
                [&](Canvas& c) {
                    if (ch != ' ') c.Tiny(1, 0, std::string(1, ch), ink);
                });
    }
    // The point: two pixels square on the digits' two bottom rows, in the cell's second and
    // third columns, like the larger digits' point (a readout in tenths draws the next digit over
    // the cell's rest).
    frames['.'] = MakeBox(
        cockpit::kSmallDigitPitch, cockpit::kSmallDigitHeight, back, !opaque, [&](Canvas& c) {
            c.Fill(1, 5 - cockpit::kDecimalPointSize, cockpit::kDecimalPointSize, 4, ink);
        });
    // Labels of the turbine HSI's fields.
    static const char* const kLabels[5] = {"HDG", "CRS", "NM", "KT", "MIN"};
    for (int i = 0; i < 5; ++i)
        frames[static_cast<std::size_t>(3 + i)] =
            MakeBox(Canvas::TinyWidth(kLabels[i]) + 1, 6, back, !opaque,
                    [&](Canvas& c) { c.Tiny(0, 0, kLabels[i], k(Ink::White)); });
    Fill(frames);
    return DigitFontBytes(frames, cockpit::kSmallDigitPitch);
}

}  // namespace mkdata
