// The engine-side gauges whose values the instrument update computes: bar pointers, the
// tachometers (with the single-engine hour meter), the jet's tapes and three-digit readouts, the
// angle-of-attack and outside-air-temperature readouts.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "gfx/bitmap.h"
#include "gfx/surface.h"

namespace cockpit {

namespace {

// The value a slot shows next: one pixel toward the needle, or the needle with `force`.
std::int32_t SlewedPixel(const PanelGauge& g, const std::int32_t* recorded) {
    const std::int32_t target = g.needle;
    const std::int32_t was = recorded[g.slot];
    if (g.force != 0 || g.alwaysDraw != 0 || was < -1000) return target;
    return was + (target > was) - (target < was);
}

}  // namespace

void DrawBarPointerGauge(PanelGauge& g, std::int32_t x, std::int32_t y, std::int32_t upper,
                         std::int32_t lower, std::int32_t bandLow, std::int32_t bandHigh,
                         std::int32_t type) {
    g.AdvanceSlot();
    // A bar gauge's slot starts at -1: any first value differs.
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.needle && g.dirty == 0) return;
    const std::int32_t shown = g.drawnValue1[g.slot] < 0 ? g.needle : SlewedPixel(g, g.drawnValue1);
    type = std::clamp(type, 0, 4);
    if (g.alwaysDraw == 0 && g.eraseNeeded[g.slot] != 0) {
        const IntRect& r = g.drawnRect[g.slot];
        const IntPoint at = g.drawnAt[g.slot];
        if (type == 2 && theSwapPanel != 0) {
            // The swapped panel's gauges stand on its own bitmap at (483, 179) of the panel.
            gfx::GFXSurface* s = PanelSurface();
            if (s != nullptr)
                flight::theAircraft.DrawAltPanelBitmap(
                    s, {r.left - 483, r.top - 179, r.right - 483, r.bottom - 179}, {at.x, at.y});
        } else {
            RestorePanelBackground(r, at);
        }
    }
    const PanelColours& c = ColoursOf(type);
    const bool band = bandLow < shown && shown < bandHigh;
    const std::int32_t px = x + shown;
    DrawPanelLine({px, y}, {px, y + upper}, band ? c.band1 : c.bar1);
    if (lower > 0)
        DrawPanelLine({px, y + upper + 1}, {px, y + upper + lower}, band ? c.band2 : c.bar2);
    DrawPanelLine({px + 1, y}, {px + 1, y + upper + lower}, c.shadow);
    RecordArea(g, {px, y, px + 1, y + upper + std::max(lower, 0)});
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = shown;
    if (shown == g.needle) g.dirty = 0;
    g.force = 0;
}

// ---- tachometers
// ----------------------------------------------------------------------------------

std::int32_t SingleTachometerFrame(std::int32_t value) {
    std::int32_t f = (value + 115) % 180;
    if (f < 0) f += 180;
    return f == 0 ? 1 : f;
}

std::int32_t TwinTachometerFrame(std::int32_t value) {
    std::int32_t f = value + 115;
    if (f > 180) f -= 180;
    return std::clamp(f, 1, 180);
}

namespace {
// The tenths of an hour the five drums show. A negative counter (a broken settings value) shows
// no time at all.
std::int32_t HourMeterTenths(std::int64_t hobbsSeconds) {
    return hobbsSeconds < 0 ? 0 : static_cast<std::int32_t>((hobbsSeconds / 360) % 100000);
}
}  // namespace

void FormatHourMeter(std::int64_t hobbsSeconds, char out[8]) {
    std::snprintf(out, 8, "%05d", static_cast<int>(HourMeterTenths(hobbsSeconds)));
}

void DrawTachometerWithHourMeter(PanelGauge& g, const GFXFont* sprites, const GFXBitmap* digits,
                                 IntPoint position) {
    g.AdvanceSlot();
    const auto hobbs = static_cast<std::int32_t>(flight::theAircraft.GetHobbs(0));
    const std::int32_t tenths = HourMeterTenths(hobbs);
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value && g.drawnValue2[g.slot] == tenths &&
        g.dirty == 0)
        return;
    char meter[8];
    FormatHourMeter(hobbs, meter);
    g.EraseSlot();
    const IntPoint at{position.x + kHourMeterOffset.x, position.y + kHourMeterOffset.y};
    for (int i = 0; i < 5; ++i) {
        const int d = meter[i] - '0';
        const int top = i < 4 ? 0 : 5;
        DrawBitmapRect(digits, {8 + 7 * d, top, 13 + 7 * d, top + 4}, {at.x + 6 * i, at.y});
    }
    RecordArea(g, DrawFrameAnchored(sprites, SingleTachometerFrame(g.value), position));
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = g.value;
        g.drawnValue2[g.slot] = tenths;
    }
    g.dirty = 0;
}

void DrawTwinTachometer(PanelGauge& g, const GFXFont* sprites, IntPoint position) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == g.value && g.dirty == 0) return;
    g.EraseSlot();
    RecordArea(g, DrawFrameAnchored(sprites, TwinTachometerFrame(g.value), position));
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = g.value;
    g.dirty = 0;
}

// ---- the jet's tapes and readouts
// ----------------------------------------------------------------

void DrawTapeGauge(PanelGauge& g, std::int32_t x, std::int32_t y, std::int32_t colour) {
    // A tape never leaves its slot: the word is held to it and stored back.
    g.needle = static_cast<std::int16_t>(std::clamp<std::int32_t>(g.needle, 0, kTapeHeight));
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.drawnValue3[g.slot] == g.needle && g.dirty == 0) return;
    const std::int32_t shown = g.drawnValue3[g.slot] < 0 ? g.needle : SlewedPixel(g, g.drawnValue3);
    g.EraseSlot();
    const std::int32_t h = std::clamp(shown, 0, kTapeHeight);
    if (StackPowered() && h > 0) {
        DrawPanelLine({x, y}, {x, y - h}, colour);
        DrawPanelLine({x + 1, y}, {x + 1, y - h}, colour);
        RecordArea(g, {x, y - h, x + 1, y});
    }
    if (g.alwaysDraw == 0) g.drawnValue3[g.slot] = shown;
    if (shown == g.needle) g.dirty = 0;
    g.force = 0;
}

void DrawEngineReadout(PanelGauge& g, const GFXFont* font, IntPoint position, std::int32_t width,
                       std::int32_t tenths) {
    g.AdvanceSlot();
    const bool powered = StackPowered();
    const std::int32_t shown = powered ? g.value : -1;
    if (g.alwaysDraw == 0 && g.drawnValue7[g.slot] == shown && g.dirty == 0) return;
    width = std::clamp(width, 1, 5);
    char text[12];
    if (!powered) {
        FormatRepeated(text, sizeof text, ' ', width);
    } else if (tenths != 0 && g.value >= 0 && g.value < 1000) {
        // Below 100.0 the two whole digits, a point and the tenth ("56.6"); the cells stand a
        // column left of the whole number's, so that the point fits the same window.
        // The tens cell is blank below 10.0, as on the engine's own display (" 0.0" stopped).
        char whole[4];
        FormatZeroPadded(whole, sizeof whole, g.value / 10, 2);
        if (whole[0] == '0') whole[0] = ' ';
        const char tenth[2] = {static_cast<char>('0' + g.value % 10), 0};
        DrawPanelText(font, {position.x + kReadoutWholeX, position.y}, whole);
        DrawDecimalPoint(font, {position.x + kReadoutPointX, position.y});
        DrawPanelText(font, {position.x + kReadoutTenthX, position.y}, tenth);
        if (g.alwaysDraw == 0) g.drawnValue7[g.slot] = shown;
        return;
    } else {
        // From 100.0 a tenths readout shows the whole number; a temperature below zero shows
        // its minus sign in the first cell.
        const std::int32_t v = tenths != 0 ? g.value / 10 : g.value;
        if (v < 0 && width == 3)
            std::snprintf(text, sizeof text, "-%02d", static_cast<int>(std::min(-v, 99)));
        else
            FormatZeroPadded(text, sizeof text, v, width);
    }
    DrawPanelText(font, position, text);
    if (g.alwaysDraw == 0) g.drawnValue7[g.slot] = shown;
}

void DrawThreeDigitReadout(PanelGauge& g, const GFXFont* font, IntPoint position) {
    g.AdvanceSlot();
    const bool powered = StackPowered();
    const std::int32_t shown = powered ? g.value : -1;
    if (g.alwaysDraw == 0 && g.drawnValue1[g.slot] == shown && g.dirty == 0) return;
    char text[8];
    if (powered)
        FormatZeroPadded(text, sizeof text, g.value, 3);
    else
        FormatRepeated(text, sizeof text, ' ', 3);
    DrawPanelText(font, position, text);
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = shown;
    g.dirty = 0;
}

std::int32_t FahrenheitFromTemperatureWord(std::int16_t word) {
    // Rounded to the nearest degree below freezing-point Fahrenheit too (not towards zero).
    return static_cast<std::int32_t>(std::floor(word / 256.0 * 1.8 + 32.5));
}

void DrawOutsideAirTemperature(PanelGauge& g, const GFXFont* font, IntPoint number, IntPoint unit) {
    g.AdvanceSlot();
    const bool celsius = g.buttons[0] != 0;
    // The air's temperature where the aircraft flies (the surface temperature less the lapse with
    // height), in Fahrenheit.
    g.value = FahrenheitFromTemperatureWord(flight::theFlightModelState.fmOAT);
    const std::int32_t f = g.value;
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue1[g.slot] == f &&
        g.drawnValue2[g.slot] == g.buttons[0] && g.drawnValue3[g.slot] == g.buttons[1])
        return;
    char text[8];
    std::int32_t unitFrame = kUnitBlank;
    if (!StackPowered()) {
        FormatRepeated(text, sizeof text, ' ', 3);
    } else {
        const std::int32_t n = celsius ? RoundNearest((f - 32) * 0.5555555) : f;
        unitFrame = celsius ? kUnitCelsius : kUnitFahrenheit;
        // A minus sign takes the first place of the window.
        if (n < 0)
            std::snprintf(text, sizeof text, "-%02d", static_cast<int>(std::min(-n, 99)));
        else
            FormatZeroPadded(text, sizeof text, n, 3);
    }
    DrawPanelText(font, number, text);
    DrawFrameString(font, unitFrame, unit);
    DrawLampPair(g, kTemperatureLamps[0], kTemperatureLamps[1], 10, 52, 50);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = f;
        g.drawnValue2[g.slot] = g.buttons[0];
        g.drawnValue3[g.slot] = g.buttons[1];
    }
    g.dirty = 0;
}

}  // namespace cockpit
