#include "tools/mkdata/panel_strips.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/instrument_drawing.h"
#include "tools/mkdata/panel_kit.h"

namespace mkdata {

namespace {

Bytes Picture(int type, int w, int h, std::uint8_t fill, bool transparent,
              const std::function<void(Canvas&)>& draw) {
    auto b = NewPanelBitmap(w, h, fill);
    Canvas c(*b);
    draw(c);
    if (transparent) b->flags |= gfx::kBitmapTransparent;
    return PanelBmpBytes(*b, type);
}

// Text in the small font with no gap between letters (labels of 3 x 5 letters a pixel narrower).
void TightText(Canvas& c, int x, int y, const std::string& text, std::uint8_t ink) {
    for (std::size_t i = 0; i < text.size(); ++i)
        c.Tiny(x + static_cast<int>(i) * 3, y, std::string(1, text[i]), ink);
}

// The rotary selectors' knobs of a table, each a disc with its pointer at the position's angle.
void SelectorKnobs(Canvas& c, const Inks& k, int table, Ink disc, double (*angle)(int position)) {
    const cockpit::RotaryTable* t = cockpit::RotaryRects(table, 7);
    for (int p = 0; p < t->count; ++p) {
        const cockpit::IntRect& r = t->rects[p];
        const double cx = (r.left + r.right + 1) / 2.0, cy = (r.top + r.bottom + 1) / 2.0;
        c.Disc(cx, cy, 7, k(disc));
        double x, y;
        Polar(cx, cy, 6, angle(p), &x, &y);
        c.Line(cx, cy, x, y, 3.0, k(Ink::White));
    }
}

}  // namespace

Bytes BaroStripBytes(int type) {
    const Inks k{type};
    return Picture(type, cockpit::kBaroStripWidth, cockpit::kBaroStripHeight, k(Ink::Black), false,
                   [&](Canvas& c) {
                       for (int v = cockpit::kBaroFirst - 7; v <= cockpit::kBaroLast + 8; ++v) {
                           // The setting's row is the window's middle: (v - 2810) + 8.
                           const int row = v - cockpit::kBaroFirst + 8;
                           if (v % 10 == 0) {
                               char text[8];
                               std::snprintf(text, sizeof text, "%03d", v / 10 % 1000);
                               c.Tiny(2, row - 2, text, k(Ink::White));
                               c.Set(0, row, k(Ink::White));
                           } else if (v % 5 == 0) {
                               c.Set(0, row, k(Ink::GreyLight));
                           }
                       }
                   });
}

Bytes LowFlagStripBytes(int type) {
    const Inks k{type};
    // Columns 0..17 striped (low altitude), 18..35 plain: the window slides right with height.
    return Picture(type, cockpit::kLowFlagWidth, cockpit::kLowFlagHeight, k(Ink::Black), false,
                   [&](Canvas& c) {
                       for (int y = 0; y < cockpit::kLowFlagHeight; ++y)
                           for (int x = 0; x < 18; ++x)
                               if (((x + y) / 3) % 2 == 0) c.Set(x, y, k(Ink::White));
                   });
}

Bytes DrumStripBytes(int type) {
    const Inks k{type};
    return Picture(type, cockpit::kDrumWidth, cockpit::kDrumHeight, k(Ink::Black), false,
                   [&](Canvas& c) {
                       for (int d = 0; d <= 10; ++d) {
                           const double centre = cockpit::DrumDigitCentre(d);
                           c.Text(2, static_cast<int>(std::lround(centre - 3.5)),
                                  std::to_string(d % 10), k(Ink::White));
                       }
                       c.Fill(0, cockpit::kDrumBlankRow, cockpit::kDrumWidth - 1,
                              cockpit::kDrumHeight - 1, k(Ink::Black));
                   });
}

Bytes CompassTapeBytes(int type) {
    const Inks k{type};
    static const char* const kLabels[12] = {"N", "3", "6", "E", "12", "15",
                                            "S", "21", "24", "W", "30", "33"};
    return Picture(type, cockpit::kCompassStripWidth, cockpit::kCompassStripHeight,
                   k(Ink::Cream), false, [&](Canvas& c) {
                       // Column x shows heading 360 - 2.5 (x - lubber): frame f puts the heading
                       // 360 - 2.5 f under the lubber line, as the card frame of that heading.
                       for (int x = 0; x < cockpit::kCompassStripWidth; ++x) {
                           const int tenths =
                               ((3600 - (x - cockpit::kCompassLubber) * 25) % 3600 + 3600) % 3600;
                           if (tenths % 50 == 0)
                               c.Fill(x, tenths % 100 == 0 ? 9 : 11, x, 13, k(Ink::Black));
                           if (tenths % 300 == 0)
                               c.TinyCentred(x + 0.5, 4.5, kLabels[tenths / 300], k(Ink::Black));
                       }
                   });
}

Bytes CompassFrameBytes(int type) {
    const Inks k{type};
    cockpit::PanelRegion r{};
    cockpit::PanelRegionFor(type, 0, &r);
    const int w = r.compass.right - r.compass.left + 1;
    const int h = r.compass.bottom - r.compass.top + 1;
    const int stripY = std::max(0, (h - cockpit::kCompassStripHeight) / 2);
    // A tall place (the turbines', from the windscreen's top) holds a small case hung on a thin
    // mount, the world seen beside and below it; a short one is the case itself.
    const bool hung = h > 40;
    const int caseTop = hung ? std::max(0, stripY - 4) : 0;
    const int caseBottom = hung ? std::min(h - 1, stripY + cockpit::kCompassStripHeight + 9) : h - 1;
    return Picture(type, w, h, hung ? 0 : k(Ink::Black), true, [&](Canvas& c) {
        if (hung) c.Fill(w / 2 - 1, 0, w / 2 + 1, caseTop, k(Ink::MetalDark));
        c.Bevel(0, caseTop, w - 1, caseBottom, k(Ink::MetalLight), k(Ink::MetalDark), k(Ink::Black));
        // The window onto the tape.
        c.Fill(1, stripY + 1, w - 2, stripY + cockpit::kCompassStripHeight - 2, 0);
        c.Fill(cockpit::kCompassLubber, stripY - 1, cockpit::kCompassLubber,
               stripY + cockpit::kCompassStripHeight, k(Ink::Red));
        if (hung) c.TinyCentred(w / 2.0, caseBottom - 4, "MAG", k(Ink::White));
    });
}

Bytes HourMeterBytes(int type) {
    const Inks k{type};
    // Digit d at columns 8 + 7 d .. 13 + 7 d: white on black (rows 0..4), black on white (5..9).
    return Picture(type, 80, 10, k(Ink::Black), false, [&](Canvas& c) {
        c.Fill(0, 5, 79, 9, k(Ink::White));
        for (int d = 0; d < 10; ++d) {
            c.Tiny(9 + 7 * d, 0, std::to_string(d), k(Ink::White));
            c.Tiny(9 + 7 * d, 5, std::to_string(d), k(Ink::Black));
        }
    });
}

Bytes SwitchArtBytes(int type) {
    const Inks k{type};
    switch (type) {
        case 0:
            return Picture(type, 95, 20, k(Ink::Paint), false, [&](Canvas& c) {
                // Toggles: battery master (red, style 1) and the others (white, style 0).
                for (int s = 0; s < 2; ++s)
                    for (int on = 0; on < 2; ++on) {
                        const cockpit::IntRect& r = cockpit::kToggleC172[s][on];
                        c.Fill(r.left, r.top, r.right, r.bottom, k(Ink::Black));
                        const std::uint8_t ink = s == 1 ? k(Ink::Red) : k(Ink::White);
                        if (on != 0)
                            c.Fill(r.left + 1, r.top + 1, r.right - 1, r.top + 8, ink);
                        else
                            c.Fill(r.left + 1, r.bottom - 8, r.right - 1, r.bottom - 1, ink);
                    }
                // The fuel selector: OFF, LEFT, BOTH, RIGHT.
                SelectorKnobs(c, k, 0, Ink::Black, [](int p) { return -90.0 + 60.0 * p; });
            });
        case 1:
            return Picture(type, 47, 55, 0, true, [&](Canvas& c) {
                for (int on = 0; on < 2; ++on) {
                    const cockpit::IntRect& r = cockpit::kToggleBonanza[on];
                    c.Fill(r.left + 4, r.top + 2, r.right - 4, r.bottom - 2, k(Ink::Black));
                    const int mid = (r.left + r.right) / 2;
                    if (on != 0)
                        c.Line(mid, r.bottom - 8, mid, r.top + 3, 4.0, k(Ink::MetalLight));
                    else
                        c.Line(mid, r.top + 8, mid, r.bottom - 3, 4.0, k(Ink::MetalLight));
                }
                SelectorKnobs(c, k, 1, Ink::Red, [](int p) { return -90.0 + 90.0 * p; });
            });
        default:
            return Picture(type, 63, 20, 0, true, [&](Canvas& c) {
                SelectorKnobs(c, k, 2, Ink::Red,
                              [](int p) { return -90.0 + 90.0 * std::min(p, 2); });
            });
    }
}

Bytes KeyArtBytes(int type) {
    const Inks k{type};
    const cockpit::RotaryTable* t = cockpit::RotaryRects(std::min(type, 2), 2);
    int w = 0, h = 0;
    for (int p = 0; p < t->count; ++p) {
        w = std::max(w, t->rects[p].right + 1);
        h = std::max(h, t->rects[p].bottom + 1);
    }
    // OFF, R, L, BOTH, START: the key turns from -60 to +60 degrees.
    return Picture(type, w, h, k(Ink::Paint), false, [&](Canvas& c) {
        for (int p = 0; p < t->count; ++p) {
            const cockpit::IntRect& r = t->rects[p];
            const double cx = (r.left + r.right + 1) / 2.0, cy = (r.top + r.bottom + 1) / 2.0;
            const double rad = std::min(r.right - r.left, r.bottom - r.top) / 2.0 - 1;
            c.Disc(cx, cy, rad, k(Ink::MetalDark));
            c.Disc(cx, cy, rad - 2, k(Ink::Metal));
            double x0, y0, x1, y1;
            Polar(cx, cy, rad - 2, -60.0 + 30.0 * p, &x0, &y0);
            Polar(cx, cy, rad - 2, 120.0 + 30.0 * p, &x1, &y1);
            c.Line(x0, y0, x1, y1, 3.0, k(Ink::Black));
        }
    });
}

Bytes FlapsArtBytes(int type) {
    const Inks k{type};
    static constexpr int kSettings[5] = {4, 3, 3, 3, 4};
    static const char* const kMarks[5][4] = {{"0", "10", "20", "30"},
                                             {"UP", "APP", "DN", ""},
                                             {"UP", "APP", "DN", ""},
                                             {"UP", "APP", "DN", ""},
                                             {"0", "15", "35", "GND"}};
    const int settings = kSettings[type];
    cockpit::IntRect whole = cockpit::kNoRect;
    for (int s = 0; s < settings; ++s)
        whole = cockpit::UnionRect(whole, cockpit::FlapsRect(type, s, false));
    if (type == 2 || type == 3) whole = cockpit::UnionRect(whole, cockpit::FlapsRect(type, 0, true));
    return Picture(type, whole.right + 1, whole.bottom + 1, 0, true, [&](Canvas& c) {
        for (int swapped = 0; swapped < ((type == 2 || type == 3) ? 2 : 1); ++swapped)
            for (int s = 0; s < settings; ++s) {
                const cockpit::IntRect r = cockpit::FlapsRect(type, s, swapped != 0);
                c.Fill(r.left, r.top, r.right, r.bottom, k(swapped != 0 ? Ink::PaintShadow : Ink::Paint));
                const int marks = std::min(settings, type == 1 ? 3 : settings);
                const int h = r.bottom - r.top;
                for (int m = 0; m < marks; ++m) {
                    const int y = r.top + 3 + (h - 8) * m / std::max(marks - 1, 1);
                    c.Fill(r.left + 2, y, r.left + 5, y, k(Ink::White));
                    c.Tiny(r.left + 8, y - 2, kMarks[type][m], k(Ink::White));
                }
                // The pointer at this setting.
                const int y = r.top + 3 + (h - 8) * std::min(s, marks - 1) / std::max(marks - 1, 1);
                c.Fill(r.left + 1, y - 1, r.left + 6, y + 1, k(Ink::Orange));
            }
    });
}

Bytes GearKnobBytes(int type) {
    const Inks k{type};
    const cockpit::IntRect s = cockpit::GearKnobSource(type);
    const int w = s.right + 1, h = s.bottom + 1;
    return Picture(type, w, h, 0, true, [&](Canvas& c) {
        c.Fill(w / 2 - 1, 8, w / 2 + 1, h - 1, k(Ink::MetalLight));
        c.Disc(w / 2.0, 6.5, w / 2.0 - 0.5, k(Ink::White));
        c.Ring(w / 2.0, 6.5, w / 2.0 - 2.5, w / 2.0 - 0.5, k(Ink::GreyDark));
    });
}

Bytes BonanzaQuadrantBytes(int type) {
    const Inks k{type};
    // Cowl flaps, throttle, propeller, mixture: each a knob on its shaft, 36 rows.
    return Picture(type, 154, 37, 0, true, [&](Canvas& c) {
        static constexpr Ink kInks[4] = {Ink::GreyDark, Ink::Black, Ink::Blue, Ink::Red};
        for (int i = 0; i < 4; ++i) {
            const cockpit::IntRect& r = cockpit::kBonanzaPieces[i];
            const int cx = (r.left + r.right) / 2;
            c.Fill(cx - 1, 12, cx + 1, 36, k(Ink::MetalLight));
            c.Fill(cx - 8, 0, cx + 8, 11, k(kInks[i]));
            c.Fill(cx - 7, 1, cx + 7, 2, k(Ink::Grey));
        }
    });
}

Bytes AutopilotArtBytes(int type) {
    const Inks k{type};
    using cockpit::kAutopilotLit;
    return Picture(type, cockpit::kAutopilotArtWidth, cockpit::kAutopilotArtHeight, k(Ink::Black),
                   false, [&](Canvas& c) {
        static const char* const kLabels[8] = {"ALT", "HDG", "NAV", "APR", "BC", "AP", "GS", "TRIM"};
        // Lit labels in green (AP is the first two letters of APR's place), and the same words
        // unlit in grey.
        for (int i : {0, 1, 2, 3, 4, 6, 7})
            for (const bool lit : {true, false}) {
                const cockpit::IntRect& r = lit ? kAutopilotLit[i] : cockpit::kAutopilotUnlit[i];
                c.Fill(r.left, r.top, r.right, r.bottom, k(Ink::Black));
                TightText(c, r.left + (i == 7 ? 1 : 0), r.top + (i == 7 ? 1 : 0), kLabels[i],
                          k(lit ? Ink::Green : Ink::Grey));
            }
        // The trim rocker: neutral, up, down.
        for (int p = 0; p < 3; ++p) {
            const cockpit::IntRect& r = kAutopilotLit[8 + p];
            c.Fill(r.left, r.top, r.right, r.bottom, k(Ink::KnobLight));
            const int mid = (r.top + r.bottom) / 2 + (p == 1 ? -5 : p == 2 ? 5 : 0);
            c.Fill(r.left + 1, mid - 1, r.right - 1, mid + 1, k(Ink::White));
        }
    });
}

Bytes AudioArtBytes(int type) {
    const Inks k{type};
    // Marker lamps: outer (blue), middle (amber), inner (white); unlit on the left.
    return Picture(type, 14, 30, k(Ink::Black), false, [&](Canvas& c) {
        static constexpr Ink kLit[3] = {Ink::Blue, Ink::Amber, Ink::White};
        static const char* const kLetters[3] = {"O", "M", "I"};
        for (int i = 0; i < 3; ++i) {
            const cockpit::IntRect& on = cockpit::kMarkerLit[i];
            const cockpit::IntRect& off = cockpit::kMarkerUnlit[i];
            c.Fill(on.left, on.top, on.right, on.bottom, k(kLit[i]));
            c.Tiny(on.left + 2, on.top + 2, kLetters[i], k(Ink::Black));
            c.Fill(off.left, off.top, off.right, off.bottom, k(Ink::GreyDark));
            c.Tiny(off.left + 2, off.top + 2, kLetters[i], k(Ink::Grey));
        }
    });
}

}  // namespace mkdata
