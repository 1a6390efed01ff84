// Dials with two needles on one face, the engine levers (the C172's single knobs, the Bonanza's
// quadrant, the twins' and the jet's quadrants) and the landing-gear lever.
#include <algorithm>

#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"

namespace cockpit {

namespace {

std::int32_t StepToward(std::int32_t from, std::int32_t to) {
    const std::int32_t next = from + (to > from) - (to < from);
    if (next != to) thePanelSliding = true;
    return next;
}

std::int32_t InFrames(std::int32_t v) {
    return v < 1 || v > kNeedleFrames ? 1 : v;
}

void DrawTwoNeedles(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y,
                    std::int32_t first, std::int32_t second) {
    g.EraseSlot();
    const IntRect a = DrawFrameAnchored(sprites, first, {x, y});
    const IntRect b = DrawFrameAnchored(sprites, second, {x, y});
    RecordArea(g, a);
    RecordArea(g, b, true);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = first;
        g.drawnValue2[g.slot] = second;
    }
    g.force = 0;
}

}  // namespace

void DrawTwinNeedleGauge(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value && g.drawnValue2[g.slot] == g.value2)
        return;
    g.value = InFrames(g.value);
    g.value2 = static_cast<std::int16_t>(InFrames(g.value2));
    if (g.force == 0 && g.alwaysDraw == 0) {
        // The words follow the picture.
        if (g.drawnValue1[g.slot] > 0) g.value = StepToward(g.drawnValue1[g.slot], g.value);
        if (g.drawnValue2[g.slot] > 0)
            g.value2 = static_cast<std::int16_t>(StepToward(g.drawnValue2[g.slot], g.value2));
    }
    DrawTwoNeedles(g, sprites, x, y, g.value, g.value2);
}

void DrawTwinNeedleGaugeSlewFirst(PanelGauge& g, const GFXFont* sprites, std::int32_t x,
                                  std::int32_t y) {
    g.AdvanceSlot();
    std::int32_t first = g.value;
    std::int32_t second = g.value2;
    if (g.force == 0 && g.alwaysDraw == 0) {
        if (g.drawnValue1[g.slot] > 0) first = StepToward(g.drawnValue1[g.slot], first);
        if (g.drawnValue2[g.slot] > 0) second = StepToward(g.drawnValue2[g.slot], second);
    }
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == first && g.drawnValue2[g.slot] == second)
        return;
    DrawTwoNeedles(g, sprites, x, y, InFrames(first), InFrames(second));
}

void DrawLeverKnob(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t travel) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.knob) return;
    std::int32_t p = g.knob;
    if (g.force == 0 && g.alwaysDraw == 0 && g.drawnValue1[g.slot] >= 0)
        p = StepToward(g.drawnValue1[g.slot], g.knob);
    p = std::clamp(p, 0, std::max(travel, 0) + 15);
    g.EraseSlot();
    std::int32_t w = 0, h = 0;
    if (FrameSize(sprites, g.value, &w, &h)) {
        // The knob moves up by p and is cut at the bottom of its slot.
        ClipScope clip({point.x, point.y - p, point.x + w, point.y + travel});
        const IntRect area = DrawFrameTopLeft(sprites, g.value, {point.x, point.y - p});
        RecordArea(g, area);
    }
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = p;
    g.force = 0;
}

void DrawBonanzaQuadrant(PanelGauge& g, const GFXBitmap* bitmap, std::int32_t x, std::int32_t y) {
    g.AdvanceSlot();
    const std::int16_t k[4] = {theCowlFlapSwitch.knob, theThrottleLever.knob,
                               thePropPitchLever.knob, theMixtureLever.knob};
    std::int32_t* recorded[4] = {g.drawnValue1, g.drawnValue2, g.drawnValue3, g.drawnValue4};
    if (g.alwaysDraw == 0) {
        bool same = true;
        for (int i = 0; i < 4; ++i)
            same = same && recorded[i][g.slot] == k[i];
        if (same) return;
    }
    g.EraseSlot();
    IntRect area = kNoRect;
    {
        ClipScope clip(kBonanzaQuadrantClip);
        for (int i = 0; i < 4; ++i) {
            const IntRect& s = kBonanzaPieces[i];
            const std::int32_t kk = std::clamp<std::int32_t>(k[i], 0, 31);
            const IntPoint at{x + kBonanzaPieceX[i], y - kk + 15};
            if (DrawBitmapRect(bitmap, s, at))
                area = UnionRect(area, {at.x, at.y, at.x + s.right - s.left, at.y + s.bottom - s.top});
        }
    }
    const IntRect& c = kBonanzaQuadrantClip;
    area = {std::max(area.left, c.left), std::max(area.top, c.top), std::min(area.right, c.right),
            std::min(area.bottom, c.bottom)};
    RecordArea(g, area);
    if (g.alwaysDraw == 0)
        for (int i = 0; i < 4; ++i)
            recorded[i][g.slot] = k[i];
}

IntPoint QuadrantTravel(std::int32_t k) {
    k = std::clamp(k, 0, 45);
    if (k <= 14) return {13, 30};
    if (k == 15) return {15, 30};
    // From 16 on the shaft rises one row a step and comes in one column every second step.
    return {15 - (k - 15) / 2, 45 - k};
}

namespace {

// The three layers of a quadrant's levers at their knob positions, clipped to its slot.
void DrawQuadrantLevers(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y,
                        const QuadrantPiece* shaft, const QuadrantPiece* knob,
                        const QuadrantPiece* top, const std::int32_t* k, int count,
                        const IntRect& slot) {
    g.EraseSlot();
    {
        ClipScope clip(slot);
        for (int i = 0; i < count; ++i) {
            const IntPoint s = QuadrantTravel(k[i]);
            DrawFrameTopLeft(sprites, shaft[i].frame, {x + shaft[i].dx + s.x, y + shaft[i].dy + s.y - k[i]});
        }
        for (int i = 0; i < count; ++i)
            DrawFrameTopLeft(sprites, knob[i].frame, {x + knob[i].dx, y + knob[i].dy - k[i]});
        for (int i = 0; i < count; ++i)
            DrawFrameTopLeft(sprites, top[i].frame, {x + top[i].dx, y + top[i].dy - k[i]});
    }
    RecordArea(g, slot);
}

// A quadrant's levers, each moved one step a frame toward its lever's knob from what this buffer
// last drew (at once when forced), drawn when any moved. `recorded` are the buffer's words.
void StepQuadrantLevers(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y,
                        PanelGauge* const* levers, std::int32_t* const* recorded, int count,
                        const QuadrantPiece* shaft, const QuadrantPiece* knob,
                        const QuadrantPiece* top, const IntRect& slot) {
    std::int32_t k[6];
    bool same = g.alwaysDraw == 0;
    for (int i = 0; i < count; ++i) {
        k[i] = std::clamp<std::int32_t>(levers[i]->knob, 0, 45);
        if (g.force == 0 && g.alwaysDraw == 0 && recorded[i][g.slot] >= 0 &&
            recorded[i][g.slot] <= 45)
            k[i] = StepToward(recorded[i][g.slot], k[i]);
        same = same && recorded[i][g.slot] == k[i];
    }
    if (same) return;
    DrawQuadrantLevers(g, sprites, x, y, shaft, knob, top, k, count, slot);
    if (g.alwaysDraw == 0)
        for (int i = 0; i < count; ++i)
            recorded[i][g.slot] = k[i];
    g.force = 0;
}

}  // namespace

void DrawTwinQuadrant(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y,
                      std::int32_t variant) {
    g.AdvanceSlot();
    // Lever order of the rows: right and left mixture, propeller, throttle.
    PanelGauge* const levers[6] = {&theMixtureLever2,   &theMixtureLever, &thePropPitchLever2,
                                   &thePropPitchLever, &theThrottleLever2, &theThrottleLever};
    // Recorded as left throttle, right throttle, left propeller, right propeller, left and
    // right mixture.
    std::int32_t* const recorded[6] = {g.drawnValue6, g.drawnValue5, g.drawnValue4,
                                       g.drawnValue3, g.drawnValue2, g.drawnValue1};
    const int v = variant == 3 ? 1 : 0;
    StepQuadrantLevers(g, sprites, x, y, levers, recorded, 6, kQuadrantShaft[v], kQuadrantKnob[v],
                       kQuadrantTop[v], kQuadrantClip[v]);
}

void DrawJetThrottles(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y) {
    g.AdvanceSlot();
    PanelGauge* const levers[2] = {&theThrottleLever2, &theThrottleLever};
    std::int32_t* const recorded[2] = {g.drawnValue2, g.drawnValue1};
    StepQuadrantLevers(g, sprites, x, y, levers, recorded, 2, kJetShaft, kJetKnob, kJetTop,
                       kJetThrottleClip);
}

void DrawGearLever(PanelGauge& g, const GFXBitmap* bitmap, IntRect sourceRect, IntPoint point,
                   std::int32_t position, std::int32_t travel) {
    position = std::clamp(position, 0, 15);
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == position) return;
    g.EraseSlot();
    const std::int32_t w = sourceRect.right - sourceRect.left;
    {
        ClipScope clip({point.x, point.y - position, point.x + w + 1, point.y + travel});
        if (DrawBitmapRect(bitmap, sourceRect, {point.x, point.y - position}))
            RecordArea(g, {point.x, point.y - position, point.x + w + 1, point.y + travel});
    }
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = position;
    g.force = 0;
}

}  // namespace cockpit
