// The flight instruments: single-needle dials (airspeed, vertical speed, the King Air's torque),
// the jet's Mach airspeed indicator, the turn coordinator, the three-pointer and counter
// altimeters, and the attitude indicator and director.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "cockpit/vector_needles.h"
#include "flight/aircraft.h"

namespace cockpit {

namespace {

// The partial-panel cover in the instrument's place. Its area is recorded so that uncovering the
// instrument erases it.
void DrawCover(PanelGauge& g, IntPoint point) {
    g.EraseSlot();
    IntRect area;
    if (FrameArea(theMiscSpriteFont, kCoverFrame, point, &area)) {
        PanelGauge::DrawFrame(theMiscSpriteFont, kCoverFrame, point);
        RecordArea(g, area);
    }
    g.dirty = 0;
    g.force = 0;
}

std::int32_t Clamp1To180(std::int32_t v) {
    return v < 1 || v > kNeedleFrames ? 1 : v;
}

}  // namespace

// ---- single needle ------------------------------------------------------------------------------

void DrawSingleNeedleGauge(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value && g.dirty == 0) return;
    if (g.hidden != 0) {
        DrawCover(g, {x, y});
        if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = g.value;
        return;
    }
    g.value = Clamp1To180(g.value);
    g.EraseSlot();
    RecordArea(g, DrawFrameAnchored(sprites, g.value, {x, y}));
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = g.value;
    g.dirty = 0;
    g.force = 0;
}

void DrawMachAirspeedIndicator(PanelGauge& g, const GFXFont* needleSprites,
                               const GFXFont* digitSprites, IntPoint needlePoint,
                               IntPoint digitPoint) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value &&
        g.drawnValue2[g.slot] == g.value2 && g.dirty == 0)
        return;
    if (g.hidden != 0) {
        DrawCover(g, needlePoint);
        if (g.alwaysDraw == 0) {
            g.drawnValue1[g.slot] = g.value;
            g.drawnValue2[g.slot] = g.value2;
        }
        return;
    }
    g.value = Clamp1To180(g.value);
    g.EraseSlot();
    // The Mach number x 100 in three places (0.72 shows 072), held to the window. The window
    // stands below the hub, where the needle (or its tail) lies at some speeds: the digits are
    // drawn over the needle, so that they can always be read; the needle's tip still shows.
    char mach[8];
    FormatZeroPadded(mach, sizeof mach, g.value2, 3);
    RecordArea(g, DrawFrameAnchored(needleSprites, g.value, needlePoint));
    DrawPanelText(digitSprites, digitPoint, mach);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.value;
        g.drawnValue2[g.slot] = g.value2;
    }
    g.dirty = 0;
    g.force = 0;
}

// ---- turn coordinator -------------------------------------------------------------------------------

IntPoint TurnBallOffset(std::int32_t b) {
    b = std::clamp(b, 0, 54);
    std::int32_t dy = 0;
    if (b <= 2)
        dy = -3;
    else if (b <= 4)
        dy = -2;
    else if (b <= 11)
        dy = -1;
    else if (b <= 46)
        dy = 0;
    else if (b <= 48)
        dy = -1;
    else if (b == 49)
        dy = -2;
    else if (b <= 51)
        dy = -3;
    else if (b <= 53)
        dy = -4;
    else
        dy = -5;
    return {b, dy};
}

void DrawTurnCoordinator(PanelGauge& g, const GFXFont* sprites, IntPoint point,
                         std::int32_t showSymbol) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value &&
        g.drawnValue2[g.slot] == g.value2 && g.dirty == 0)
        return;
    if (g.hidden != 0) {
        DrawCover(g, point);
        if (g.alwaysDraw == 0) {
            g.drawnValue1[g.slot] = g.value;
            g.drawnValue2[g.slot] = g.value2;
        }
        return;
    }
    if (g.force == 0 && showSymbol != 0 && g.alwaysDraw == 0) {
        const std::int32_t p = g.drawnValue1[g.slot];
        const std::int32_t t = g.value;
        std::int32_t shown = t;
        // A turn the other way first goes through the other set's first frame.
        if (p >= 1 && p <= 13)
            shown = (t < 1 || t > 13) ? 14 : p + (t > p) - (t < p);
        else if (p >= 14 && p <= 25)
            shown = (t < 14 || t > 25) ? 1 : p + (t > p) - (t < p);
        g.value = shown;
        const std::int32_t pb = g.drawnValue2[g.slot];
        const std::int32_t tb = g.value2;
        if (pb >= 2 && pb <= 53)
            g.value2 = static_cast<std::int16_t>(pb + (tb > pb) - (tb < pb));
    }
    g.value2 = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.value2, 2, 53));
    if (showSymbol != 0 && (g.value < 1 || g.value > 25)) g.value = 1;

    g.EraseSlot();
    const std::int32_t x = point.x;
    const std::int32_t y = point.y;
    const std::int32_t b = g.value2;
    const IntPoint d = TurnBallOffset(b);
    DrawFrameString(sprites, kTurnBall, {x + d.x - 32, y + d.y + 24});
    if (b < 20) DrawFrameString(sprites, kTurnLeftStop, {x - 30, y + 25});
    if (b > 40) DrawFrameString(sprites, kTurnRightStop, {x + 21, y + 25});
    IntPoint faceAnchor;
    FrameAnchor(sprites, kTurnFace, &faceAnchor);
    DrawFrameString(sprites, kTurnFace, {x - faceAnchor.x - 8, y + faceAnchor.y + 23});
    IntRect airplane = kNoRect;
    if (showSymbol != 0) airplane = DrawFrameAnchored(sprites, g.value, point);
    if (g.alwaysDraw == 0) {
        if (showSymbol != 0) RecordArea(g, airplane);
        RecordArea(g,
                   {x + d.x - 32, y + d.y + 12, x + d.x - 32 + kTurnBallWidth,
                    y + d.y + 12 + kTurnBallHeight},
                   true);
        g.drawnValue1[g.slot] = g.value;
        g.drawnValue2[g.slot] = g.value2;
    }
    g.dirty = 0;
    g.force = 0;
}

// ---- altimeters -----------------------------------------------------------------------------------------

void DrawThreePointerAltimeter(PanelGauge& g, const GFXFont* tenThousandSprites,
                               const GFXFont* thousandSprites, const GFXFont* hundredSprites,
                               const GFXBitmap* baroStrip, const GFXBitmap* lowAltitudeStrip,
                               std::int32_t x, std::int32_t y, std::int32_t variant) {
    g.value = std::clamp<std::int32_t>(g.value, 1, 46);
    g.value2 = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.value2, 1, kNeedleFrames));
    g.value3 = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.value3, 1, kNeedleFrames));
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value &&
        g.drawnValue2[g.slot] == g.value2 && g.drawnValue3[g.slot] == g.value3 &&
        g.drawnValue4[g.slot] == g.baroSetting && g.dirty == 0)
        return;
    const ThreePointerVariant& v = kThreePointer[std::clamp(variant, 0, 2)];
    // The face is restored whole on every paint (also under a cover that goes away).
    RestorePanelBackground(v.face, {x - 43, y - 44});
    if (g.hidden != 0) {
        PanelGauge::DrawFrame(theMiscSpriteFont, kCoverFrame, {x, y});
    } else {
        const std::int32_t k = std::clamp<std::int32_t>(g.baroSetting - kBaroFirst, 0, 304);
        DrawBitmapRect(baroStrip, {0, k + 1, kBaroStripWidth - 1, k + 15},
                       {x + v.baro.x, y + v.baro.y});
        PanelGauge::DrawFrame(tenThousandSprites, g.value, {x, y});
        const std::int32_t m = std::min<std::int32_t>(g.value, 18);
        DrawBitmapRect(lowAltitudeStrip, {m, 0, m + 17, 10}, {x + v.lowFlag.x, y + v.lowFlag.y});
        PanelGauge::DrawFrame(thousandSprites, g.value2, {x, y});
        PanelGauge::DrawFrame(hundredSprites, g.value3, {x, y});
    }
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.value;
        g.drawnValue2[g.slot] = g.value2;
        g.drawnValue3[g.slot] = g.value3;
        g.drawnValue4[g.slot] = g.baroSetting;
        g.eraseNeeded[g.slot] = 1;
    }
    g.dirty = 0;
}

CounterDrums CounterAltimeterDrums(std::int32_t a) {
    CounterDrums d{};
    const std::int32_t r = a % 1000;
    d.pointerFrame = static_cast<std::int32_t>(r * 0.001 * 360 * 0.5);
    if (d.pointerFrame < 0 || d.pointerFrame > 179) d.pointerFrame = 0;
    // Negative altitudes would reach above the strip's digits: their rows stay at the first.
    const std::int32_t lastTop = kDrumHeight - 11;
    d.hundreds = std::clamp(static_cast<std::int32_t>(r * 0.121) + 9, 9, kDrumHeight - 19);
    // A drum window (11 rows) shows digit n when its top row stands n pitches below the first
    // digit's; it rolls on to the next digit over the last hundred feet below the next step, as
    // the hundreds drum carries into it (the strip's 10 shows 0 again after 9).
    auto drumTop = [](std::int32_t digit, std::int32_t past, std::int32_t step) {
        const double roll = std::max(0, past - (step - 100)) / 100.0;
        const double centre = DrumDigitCentre(0) + kDrumPitch * (digit + roll);
        return static_cast<std::int32_t>(std::lround(centre - 5.0));
    };
    const std::int32_t thousandsPart = a % 10000;
    d.thousands = std::clamp(drumTop(thousandsPart / 1000, r, 1000), 13, lastTop);
    d.tenThousands = -1;
    if (a < 100000) {
        std::int32_t t2 = kDrumBlankRow;
        if (a >= 10000) t2 = drumTop(a / 10000, thousandsPart, 10000);
        d.tenThousands = std::clamp(t2, 13, lastTop);
    }
    return d;
}

void DrawCounterAltimeter(PanelGauge& g, const GFXFont* pointerSprites, const GFXBitmap* drumStrip,
                          const GFXFont* digitSprites, std::int32_t x, std::int32_t y) {
    const std::int32_t a = g.value;
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == a && g.drawnValue2[g.slot] == g.baroSetting)
        return;
    const CounterDrums d = CounterAltimeterDrums(a);
    g.EraseSlot();
    DrawBitmapRect(drumStrip, {0, d.hundreds, kDrumWidth - 1, d.hundreds + 18}, {x, y});
    DrawBitmapRect(drumStrip, {0, d.thousands, kDrumWidth - 1, d.thousands + 10}, {x - 10, y + 4});
    if (d.tenThousands >= 0)
        DrawBitmapRect(drumStrip, {0, d.tenThousands, kDrumWidth - 1, d.tenThousands + 10},
                       {x - 20, y + 4});
    // The setting in inches of mercury: two digits, a point, the hundredths ("29.92").
    char baro[8];
    FormatZeroPadded(baro, sizeof baro, g.baroSetting, 4);
    const char inches[3] = {baro[0], baro[1], 0};
    const IntPoint at{x + kBaroDigitsX, y + kBaroDigitsY};
    DrawPanelText(digitSprites, at, inches);
    DrawDecimalPoint(digitSprites, {at.x + 2 * kSmallDigitPitch, at.y});
    DrawPanelText(digitSprites, {at.x + 2 * kSmallDigitPitch + kDecimalPointSize, at.y}, baro + 2);
    RecordArea(g, DrawFrameAnchored(pointerSprites, d.pointerFrame + 1, {x + 13, y + 9}));
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = a;
        g.drawnValue2[g.slot] = g.baroSetting;
    }
}

// ---- attitude ---------------------------------------------------------------------------------------------

std::int32_t AttitudeBankFrame(std::int32_t bank) {
    if (bank > 180) bank -= 360;
    bank = std::clamp(bank, -60, 60);
    return bank >= 0 ? bank + 1 : 61 - bank;
}

void DrawAttitudeIndicator(PanelGauge& g, const GFXFont* pitchSprites, const GFXFont* ringSprites,
                           AttitudeLayout l) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue7[g.slot] == l.pitch && g.drawnValue8[g.slot] == l.bank &&
        g.dirty == 0)
        return;
    // Drawn about its window's centre, in whichever panel view.
    const std::int32_t v = flight::theAircraft.GetViewportBottom();
    const IntPoint centre{l.a, (l.d + l.f) / 2 + v};
    if (g.alwaysDraw == 0) {
        g.drawnValue7[g.slot] = l.pitch;
        g.drawnValue8[g.slot] = l.bank;
    }
    ClipScope clip({l.c, l.d + v, l.e, l.f + v});
    if (g.hidden != 0) {
        DrawPanelMask({l.c, l.d, l.e, l.f}, {l.c, l.d + v});
        PanelGauge::DrawFrame(theMiscSpriteFont, kCoverFrame, centre);
        g.dirty = 0;
        return;
    }
    const std::int32_t p = std::clamp<std::int32_t>(l.pitch / 182, -25, 25);
    const std::int32_t frame = AttitudeBankFrame(l.bank);
    theHorizonPolygon.DrawHorizon(static_cast<std::int16_t>(p), l.bank, centre.x - l.g / 2,
                                  centre.y - l.g / 2, l.g, l.g, l.h, l.i, 0, 0);
    PanelGauge::DrawFrame(pitchSprites, frame, {centre.x, centre.y - p});
    PanelGauge::DrawFrame(ringSprites, frame, centre);
    // The panel's own art frames the square horizon.
    DrawPanelMask({l.c, l.d, l.e, l.f}, {l.c, l.d + v});
    g.dirty = 0;
}

void DrawAttitudeDirector(PanelGauge& g, const GFXFont* sprites, std::int32_t colour,
                          AttitudeLayout l) {
    if (g.dirty != 0)
        for (std::int32_t& f : g.drawnValue4)
            f = 1;
    g.AdvanceSlot();
    g.glideSlopeNeedle = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.glideSlopeNeedle, -25, 25));
    g.courseNeedle = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.courseNeedle, -20, 20));
    g.value = std::clamp<std::int32_t>(g.value, -22, 22);
    if (g.alwaysDraw == 0 && g.drawnValue7[g.slot] == l.pitch && g.drawnValue8[g.slot] == l.bank &&
        g.drawnValue1[g.slot] == g.value && g.drawnValue2[g.slot] == g.glideSlopeNeedle &&
        g.drawnValue3[g.slot] == g.courseNeedle && g.drawnValue4[g.slot] == 0)
        return;
    if (g.alwaysDraw == 0) {
        g.drawnValue7[g.slot] = l.pitch;
        g.drawnValue8[g.slot] = l.bank;
    }
    const double q = std::clamp(static_cast<std::int16_t>(l.pitch) * 0.0054931645 * 1.4, -35.0, 35.0);
    const auto qi = static_cast<std::int32_t>(q);
    const std::int32_t frame = std::min(AttitudeBankFrame(l.bank), 122);
    const std::int32_t v = flight::theAircraft.GetViewportBottom();
    const std::int32_t a = l.a;
    const std::int32_t b = l.b;
    ClipScope clip({l.c + 13, l.d + 13, l.e - 13, l.f - 13});
    theHorizonPolygon.DrawHorizon(static_cast<std::int16_t>(qi), l.bank, a, b, l.g, l.g, l.h, l.i,
                                  18, 0);
    clip.Set({l.c, l.d, l.e, l.f});
    DrawFrameTopLeft(sprites, frame, {a, b - qi});
    std::int32_t bank = l.bank > 180 ? l.bank - 360 : l.bank;
    DrawArrowNeedle(g, {a + 43, b + 43}, 40, bank, colour);
    DrawPanelMask({l.c, l.d - v, l.e, l.f - v}, {l.c, l.d});
    const std::int32_t* ap = theAutopilotPanel.buttons;  // ALT HDG NAV APR BC AP GS TRIM
    if (g.navFlag1 != 0) {
        DrawFrameString(sprites, 142, {a + 84, b + 72});
        DrawFrameString(sprites, 141, {a + 91, b + 45 + g.glideSlopeNeedle});
    }
    if (g.navFlag2 != 0) DrawFrameString(sprites, 140, {a + 39 + g.courseNeedle, b + 93});
    if (ap[5] != 0) DrawFrameString(sprites, 143, {a + 72, b + 92});
    if (g.navFlag2 != 0 && (ap[2] != 0 || ap[3] != 0 || ap[4] != 0))
        DrawFrameString(sprites, 144, {a + 8, b + 4});
    if (ap[5] != 0 && ap[1] != 0) DrawFrameString(sprites, 146, {a + 8, b + 4});
    if (ap[6] != 0) DrawFrameString(sprites, 145, {a + 68, b + 4});
    DrawFrameString(sprites, 141, {a - 11, b + 45 + g.value});
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.value;
        g.drawnValue2[g.slot] = g.glideSlopeNeedle;
        g.drawnValue3[g.slot] = g.courseNeedle;
        g.drawnValue4[g.slot] = 0;
    }
    if (!StackPowered()) {
        // Without power the face is covered: two triangles split along the diagonal.
        auto& t = g.needlePolygon;
        t.vertices[0] = {l.c, l.d};
        t.vertices[1] = {l.e, l.d};
        t.vertices[2] = {l.e, l.f};
        t.Fill(ColoursOf(3).shadow);
        t.vertices[1] = {l.e, l.f};
        t.vertices[2] = {l.c, l.f};
        t.Fill(ColoursOf(3).shadow);
    }
    g.dirty = 0;
}

}  // namespace cockpit
