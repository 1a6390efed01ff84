// The panel's discrete controls: toggle switches, rotary selectors, controls shown as one frame
// per position, the gear lamps, the flaps indicator and the trim indicators. Each draws when its
// state differs from what its buffer shows.
#include <algorithm>

#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"
#include "flight/aircraft.h"

namespace cockpit {

namespace {

constexpr RotaryTable kC172Key{5, {{0, 0, 21, 25}, {23, 0, 44, 25}, {46, 0, 67, 25},
                                   {69, 0, 90, 25}, {92, 0, 113, 25}}};
constexpr RotaryTable kC172Fuel{4, {{32, 0, 46, 19}, {48, 0, 62, 19}, {64, 0, 78, 19},
                                    {80, 0, 94, 19}}};
constexpr RotaryTable kBonanzaKey{5, {{0, 0, 26, 24}, {28, 0, 54, 24}, {56, 0, 82, 24},
                                      {84, 0, 110, 24}, {112, 0, 138, 24}}};
constexpr RotaryTable kBonanzaFuel{3, {{0, 35, 14, 54}, {16, 35, 30, 54}, {32, 35, 46, 54}}};
constexpr RotaryTable kBaronKey{5, {{0, 0, 34, 26}, {0, 28, 34, 54}, {0, 56, 34, 82},
                                    {0, 84, 34, 110}, {0, 112, 34, 138}}};
constexpr RotaryTable kBaronFuel{5, {{0, 0, 14, 19}, {16, 0, 30, 19}, {32, 0, 46, 19},
                                     {32, 0, 46, 19}, {48, 0, 62, 19}}};

// A state drawn as one piece: skip when the buffer shows it, erase, draw, record.
bool Due(PanelGauge& g, std::int32_t state) {
    g.AdvanceSlot();
    return g.alwaysDraw != 0 || g.drawnValue1[g.slot] != state;
}

void Recorded(PanelGauge& g, std::int32_t state, const IntRect& area) {
    RecordArea(g, area);
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = state;
    g.dirty = 0;
}

IntRect PieceAt(const IntRect& source, IntPoint at) {
    return {at.x, at.y, at.x + source.right - source.left, at.y + source.bottom - source.top};
}

void DrawPiece(PanelGauge& g, const GFXBitmap* art, const IntRect& source, IntPoint at,
               std::int32_t state) {
    g.EraseSlot();
    const bool drawn = DrawBitmapRect(art, source, at);
    Recorded(g, state, drawn ? PieceAt(source, at) : kNoRect);
}

void DrawSpriteState(PanelGauge& g, const GFXFont* sprites, IntPoint position,
                     std::int32_t frame, std::int32_t state, bool erase) {
    Recorded(g, state,
             erase ? g.EraseAndDrawFrame(sprites, frame, position)
                   : DrawFrameAnchored(sprites, frame, position));
}

// What a trim indicator shows, the wheel's frame and the marker's offset, as one drawn state:
// either changing redraws it.
std::int32_t TrimState(std::int32_t wheel, std::int32_t offset) {
    return wheel + 4 * (offset + 16);
}

}  // namespace

const RotaryTable* RotaryRects(int aircraft, int kind) {
    const bool key = kind == 2;
    switch (aircraft) {
        case 0:
            return key ? &kC172Key : &kC172Fuel;
        case 1:
            return key ? &kBonanzaKey : &kBonanzaFuel;
        case 2:
            return key ? &kBaronKey : &kBaronFuel;
        default:
            return nullptr;
    }
}

IntRect FlapsRect(int type, int setting, bool swapped) {
    setting = std::max(setting, 0);
    switch (type) {
        case 0: {
            const int s = std::min(setting, 3);
            return {43 * s, 0, 43 * s + 42, 41};
        }
        case 1: {
            const int s = std::min(setting, 2);
            return {29 * s, 0, 29 * s + 27, 31};
        }
        // The twins' and the jet's are narrow enough to leave the gauges beside them free.
        case 2: {
            const int s = std::min(setting, 2);
            const int top = swapped ? 54 : 0;
            return {34 * s, top, 34 * s + 23, top + 52};
        }
        case 3: {
            const int s = std::min(setting, 2);
            const int top = swapped ? 64 : 0;
            return {32 * s, top, 32 * s + 23, top + 62};
        }
        case 4: {
            const int s = std::min(setting, 3);
            return {40 * s, 0, 40 * s + 23, 61};
        }
        default:
            return kNoRect;
    }
}

void DrawToggleSwitchC172(PanelGauge& g, const GFXBitmap* art, IntPoint position,
                          std::int32_t style, std::int32_t /*type*/) {
    const std::int32_t on = g.switchState != 0 ? 1 : 0;
    if (!Due(g, on)) return;
    DrawPiece(g, art, kToggleC172[style != 0 ? 1 : 0][on], position, on);
}

void DrawToggleSwitchBonanza(PanelGauge& g, const GFXBitmap* art, IntPoint position,
                             std::int32_t /*style*/) {
    const std::int32_t on = g.switchState != 0 ? 1 : 0;
    if (!Due(g, on)) return;
    DrawPiece(g, art, kToggleBonanza[on], position, on);
}

void DrawToggleSwitchFrame(PanelGauge& g, const GFXFont* sprites, IntPoint position,
                           std::int32_t base) {
    const std::int32_t state = g.switchState != 0 ? 1 : 0;
    if (!Due(g, state)) return;
    DrawSpriteState(g, sprites, position, base + state, state, true);
}

void DrawPoweredLamp(PanelGauge& g, const GFXFont* sprites, IntPoint position, std::int32_t base) {
    // Without battery every lamp shows its unlit frame, whatever it holds.
    const std::int32_t frame = base + (BatteryOn() && g.switchState != 0 ? 1 : 0);
    if (!Due(g, frame)) return;
    DrawSpriteState(g, sprites, position, frame, frame, true);
}

void DrawRotarySelector(PanelGauge& g, const GFXBitmap* art, IntPoint position, std::int32_t kind,
                        std::int32_t aircraft) {
    const RotaryTable* t = RotaryRects(aircraft, kind);
    const std::int32_t count = t != nullptr ? t->count : 1;
    const std::int32_t p = std::clamp<std::int32_t>(g.lever, 0, count - 1);
    if (!Due(g, p)) return;
    if (t == nullptr) {
        Recorded(g, p, kNoRect);
        return;
    }
    DrawPiece(g, art, t->rects[p], position, p);
}

void DrawLeverFrame(PanelGauge& g, const GFXFont* sprites, IntPoint position, std::int32_t base,
                    std::int32_t restore) {
    const std::int32_t p = std::max<std::int32_t>(g.lever, 0);
    if (!Due(g, p)) return;
    DrawSpriteState(g, sprites, position, base + p, p, restore != 0);
}

void DrawFlapsIndicator(PanelGauge& g, const GFXBitmap* art, IntPoint position,
                        std::int32_t type) {
    const std::int32_t setting = std::clamp<std::int32_t>(g.value, 0, 4);
    const bool swapped = theSwapPanel != 0;
    const std::int32_t shown = setting + (swapped ? 8 : 0);
    if (!Due(g, shown)) return;
    const IntRect source = FlapsRect(type, setting, swapped);
    if (type == 2 || type == 3) {
        // An opaque piece always covering the same rectangle: no erase.
        DrawBitmapRect(art, source, position);
        if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = shown;
        g.dirty = 0;
    } else {
        DrawPiece(g, art, source, position, shown);
    }
    g.flapsFrame = static_cast<std::int16_t>(setting);
    if (type == 4) theTemperatureGauge.dirty = 1;
}

std::int32_t ElevatorTrimMarkerOffset(std::int32_t trimSteps) {
    // A pixel every nine or ten presses of the trim key, the same width on both sides of the
    // middle (rounded down, not toward the middle), so that a re-trim of ten presses shows.
    const std::int32_t scaled = trimSteps * 11;
    const std::int32_t pixels =
        scaled >= 0 ? scaled / kElevatorTrimStepsEachSide
                    : -((-scaled + kElevatorTrimStepsEachSide - 1) / kElevatorTrimStepsEachSide);
    return std::clamp<std::int32_t>(pixels, -11, 11);
}

void DrawTrimWheelIndicator(PanelGauge& g, IntPoint position, std::int32_t colour) {
    const std::int32_t wheel = std::clamp<std::int32_t>(g.lever, 0, 3);
    const std::int32_t up = ElevatorTrimMarkerOffset(g.value);
    if (!Due(g, TrimState(wheel, up))) return;
    g.EraseSlot();
    const GFXFont* misc = theMiscSpriteFont;
    IntRect area = kNoRect;
    if (FrameArea(misc, kMiscTrimWheel + wheel, position, &area))
        PanelGauge::DrawFrame(misc, kMiscTrimWheel + wheel, position);
    for (int row = 20; row <= 21; ++row)
        DrawPanelLine({position.x + 7, position.y + row - up}, {position.x + 11, position.y + row - up},
                      colour);
    area = UnionRect(area, {position.x + 7, position.y + 9, position.x + 11, position.y + 32});
    Recorded(g, TrimState(wheel, up), area);
}

void DrawSideTrimIndicator(PanelGauge& g, IntPoint position, std::int32_t colour) {
    const std::int32_t wheel = std::clamp<std::int32_t>(g.lever, 0, 3);
    const std::int32_t left = std::clamp<std::int32_t>(g.value / 3, -10, 10);
    if (!Due(g, TrimState(wheel, left))) return;
    g.EraseSlot();
    const GFXFont* misc = theMiscSpriteFont;
    IntRect area = kNoRect;
    if (FrameArea(misc, kMiscSideTrim + wheel, position, &area))
        PanelGauge::DrawFrame(misc, kMiscSideTrim + wheel, position);
    for (int column = 15; column <= 16; ++column)
        DrawPanelLine({position.x + column - left, position.y - 5},
                      {position.x + column - left, position.y - 1}, colour);
    area = UnionRect(area, {position.x + 5, position.y - 5, position.x + 26, position.y - 1});
    Recorded(g, TrimState(wheel, left), area);
}

}  // namespace cockpit
