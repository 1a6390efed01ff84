// The navigation indicators: the VOR/ILS course indicators, the ADF bearing indicator, the RMI,
// and the radio stack's small lamps (the DME selector's lamps with the stack's power dots, the
// NAV radios' lamp pixel, the jet's radio buttons).
#include <algorithm>

#include "cockpit/cockpit_switches.h"
#include "cockpit/dme_source.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/vector_needles.h"
#include "flight/aircraft.h"

namespace cockpit {

namespace {

std::int16_t CardInRange(std::int16_t card) {
    return card < 0 || card > 143 ? 0 : card;
}

IntRect Around(IntPoint c, std::int32_t r) {
    return {c.x - r - 1, c.y - r - 1, c.x + r + 1, c.y + r + 1};
}

}  // namespace

void DrawCourseIndicator(PanelGauge& g, const GFXFont* sprites, IntPoint point,
                         std::int32_t variant) {
    g.AdvanceSlot();
    g.courseNeedle = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.courseNeedle, -20, 20));
    g.glideSlopeNeedle =
        static_cast<std::int16_t>(std::clamp<std::int32_t>(g.glideSlopeNeedle, -25, 25));
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.cardFrame &&
        g.drawnValue2[g.slot] == g.glideSlopeNeedle && g.drawnValue3[g.slot] == g.courseNeedle &&
        g.dirty == 0 && g.drawnValue4[g.slot] == 0)
        return;
    g.cardFrame = CardInRange(g.cardFrame);
    if (g.toFrom < 0 || g.toFrom > 2) g.toFrom = 0;
    const CourseVariant& v = kCourseVariants[std::clamp(variant, 0, 2)];
    g.EraseSlot();
    IntRect area = kNoRect;
    if (variant == 0 && g.altFace != 0) {
        // The C172's NAV2 in the ADF's place: the ADF's face is covered by the course face.
        const std::int32_t bottom = flight::theAircraft.GetViewportBottom();
        const IntRect& f = kC172LowerRightFace;
        RestorePanelBackground(f, {f.left, bottom + f.top});
        area = DrawFrameAnchored(sprites, kCourseFace, point);
    }
    area = UnionRect(area, DrawFrameAnchored(sprites, g.cardFrame + 1, point));
    if (g.toFrom == 1) DrawFrameAnchored(sprites, kToFlag, {point.x + v.to.x, point.y + v.to.y});
    if (g.toFrom == 2)
        DrawFrameAnchored(sprites, kFromFlag, {point.x + v.from.x, point.y + v.from.y});
    if (g.navFlag2 == 0)
        DrawFrameAnchored(sprites, kNavFlag, {point.x + v.nav.x, point.y + v.nav.y});
    if (g.navFlag1 == 0)
        DrawFrameAnchored(sprites, kGlideFlag, {point.x + v.glide.x, point.y + v.glide.y});
    const std::int32_t c = g.courseNeedle;
    const std::int32_t half = v.halfLength - (c == 20 || c == -20 ? 1 : 0);
    DrawPanelLine({point.x + c, point.y - half}, {point.x + c, point.y + half}, v.colour);
    const std::int32_t gs = g.glideSlopeNeedle;
    const std::int32_t reach = std::abs(gs) <= 16 ? v.halfLength : 40 - std::abs(gs);
    for (std::int32_t row = 0; row < 2; ++row)
        DrawPanelLine({point.x - reach, point.y + gs + row}, {point.x + reach, point.y + gs + row},
                      v.colour);
    area = UnionRect(area, Around(point, v.halfLength + 1));
    RecordArea(g, area);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.cardFrame;
        g.drawnValue2[g.slot] = g.glideSlopeNeedle;
        g.drawnValue3[g.slot] = g.courseNeedle;
        g.drawnValue4[g.slot] = 0;
    }
    g.dirty = 0;
}

void DrawAdfIndicator(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t variant) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.cardFrame &&
        g.drawnValue2[g.slot] == g.needle && g.drawnValue4[g.slot] == 0 && g.dirty == 0)
        return;
    g.cardFrame = CardInRange(g.cardFrame);
    if (g.needle < 0 || g.needle > 360) g.needle = 0;
    const std::int32_t type = std::clamp(variant, 0, 4);
    g.EraseSlot();
    IntRect area = DrawFrameAnchored(sprites, g.cardFrame + 1, point);
    const std::int32_t r = kBearingNeedleRadius[type];
    DrawLineNeedle(point, r, g.needle, ColoursOf(type).needle);
    area = UnionRect(area, Around(point, r + 2));
    DrawFrameAnchored(sprites, kAdfHub, point);
    RecordArea(g, area);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.cardFrame;
        g.drawnValue2[g.slot] = g.needle;
        g.drawnValue4[g.slot] = 0;
    }
    g.dirty = 0;
}

void DrawRmi(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t variant) {
    g.AdvanceSlot();
    std::int32_t* sel = g.buttons;  // the two selectors: 0 ADF, 1 VOR
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.cardFrame &&
        g.drawnValue2[g.slot] == g.needle && g.drawnValue3[g.slot] == g.needle2 &&
        g.drawnValue5[g.slot] == sel[0] && g.drawnValue6[g.slot] == sel[1] && g.dirty == 0)
        return;
    g.cardFrame = CardInRange(g.cardFrame);
    if (g.needle < 0 || g.needle > 360) g.needle = 0;
    if (g.needle2 < 0 || g.needle2 > 360) g.needle2 = 0;
    const std::int32_t type = std::clamp(variant, 0, 4);
    const std::int32_t r = kBearingNeedleRadius[type];
    g.EraseSlot();
    IntRect area = DrawFrameAnchored(sprites, g.cardFrame + 1, point);
    DrawDoubleNeedle(point, r, g.needle, ColoursOf(type).needle);
    DrawLineNeedle(point, r, g.needle2, ColoursOf(type).hsi);
    area = UnionRect(area, Around(point, r + 2));
    for (int s = 0; s < 2; ++s) {
        for (const RmiMark& m : kRmiMarks[2 * s + (sel[s] != 0 ? 1 : 0)])
            area = UnionRect(
                area, DrawFrameAnchored(sprites, m.frame, {point.x + m.at.x, point.y + m.at.y}));
    }
    DrawFrameAnchored(sprites, kRmiHub, point);
    RecordArea(g, area);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.cardFrame;
        g.drawnValue2[g.slot] = g.needle;
        g.drawnValue3[g.slot] = g.needle2;
        g.drawnValue5[g.slot] = sel[0];
        g.drawnValue6[g.slot] = sel[1];
    }
    g.dirty = 0;
}

void DrawDmeSelectorLamps(PanelGauge& g, const GFXFont* sprites, std::int32_t panelOffset,
                          std::int32_t type) {
    type = std::clamp(type, 0, 4);
    // Each buffer gets its own turn (the selector is drawn by no other routine).
    g.AdvanceSlot();
    if (g.alwaysDraw == 0) {
        if (g.dirty == 0 && g.drawnValue1[g.slot] == 0) return;
        if (g.dirty != 0)
            for (std::int32_t& f : g.drawnValue1)
                f = 1;
    }
    const bool powered = StackPowered();
    const PanelColours& c = ColoursOf(type);
    const std::int32_t dot = powered ? c.dotPowered : c.dotDark;
    const bool swapped = theSwapPanel != 0 && type >= 2;
    for (int i = 0; i < StackDotCount(type); ++i) {
        // With the radio stack swapped out only the King Air's DME dot stays; with power the NAV
        // radios' lamps own their dots.
        if (swapped && !(type == 3 && i == 0)) continue;
        if (powered && (i == kNav1LampDot || i == kNav2LampDot)) continue;
        DrawPanelPixel(StackDot(type, i, panelOffset), dot);
    }
    if (!(type == 2 && swapped)) {
        for (int i = 0; i < 4; ++i) {
            if (i == 0 && swapped) continue;
            DrawFrameString(sprites, (powered ? kStackLit : kStackDark) + i,
                            StackLabel(type, i, panelOffset));
        }
        std::int32_t first = kStackDark + 4;
        std::int32_t second = kStackDark + 4;
        if (powered) {
            const std::int32_t* b = theDmeRadio.buttons;  // N1, HLD, N2
            const bool hold = b[1] != 0;
            if (b[0] != 0 || (hold && theDmeHold.fromNav == 1)) first = kStackLit + 4;
            if (b[2] != 0 || (hold && theDmeHold.fromNav == 2)) second = kStackLit + 4;
        }
        DrawFrameString(sprites, first, DmeSourceLamp(type, 0, panelOffset));
        DrawFrameString(sprites, second, DmeSourceLamp(type, 1, panelOffset));
    }
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = 0;
    g.dirty = 0;
}

void DrawNavRadioLamp(PanelGauge& g, std::int32_t panelOffset, std::int32_t type,
                      std::int32_t index) {
    type = std::clamp(type, 0, 4);
    if (!StackPowered() || (type == 2 && theSwapPanel != 0)) return;
    if (index < 0 || index >= StackDotCount(type)) return;
    // Drawn when its colour changes for the buffer (or the radio is redrawn), not every frame.
    g.AdvanceSlot();
    const std::int32_t shown = g.bearingMode != 0 ? 2 : 1;
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue8[g.slot] == shown) return;
    const PanelColours& c = ColoursOf(type);
    DrawPanelPixel(StackDot(type, index, panelOffset), g.bearingMode != 0 ? c.dotDark : c.dotPowered);
    if (g.alwaysDraw == 0) g.drawnValue8[g.slot] = shown;
}

void DrawRadioButtonLamp(PanelGauge& g, const GFXFont* sprites, IntPoint point) {
    if (g.dirty == 0) return;
    PanelGauge::DrawFrame(sprites, g.buttons[0] == 1 ? kMiscButtonOn : kMiscButtonOff, point);
}

}  // namespace cockpit
