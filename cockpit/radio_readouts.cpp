// The radio stack's digital windows: active and standby frequencies (or a NAV receiver's station
// bearing), the transfer lamp, the button stripes, the transponder's altitude, the DME window
// (its source chosen by the selector), the panel clock, and the autopilot and audio panels. Every
// window is blank unless both masters are on; each text fills its window exactly (the digit fonts
// are opaque), so a new text covers the old one.
#include <algorithm>
#include <cstring>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/dme_source.h"
#include "cockpit/gauges.h"
#include "cockpit/instrument_drawing.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "flight/system_failures.h"

namespace cockpit {

DmeWindowState theDmeWindow;

const NavReceiverOutput& DmeWindowSource() {
    const DmeSelector& d = theDmeSource;
    if (d.dmeHLD != 0) return theDmeHoldOutput;
    return theNavReceiverOutputs[d.dmeN2 != 0 ? 1 : 0];
}

void ResetDmeSource() {
    ResetNavReceivers();
    theDmeWindow = DmeWindowState{};
}

namespace {

bool ReceiverWorks(std::int32_t kind) {
    switch (kind) {
        case 1:
            return flight::SystemReliability::IsNav1Working();
        case 2:
            return flight::SystemReliability::IsNav2Working();
        case -1:
            return flight::SystemReliability::IsAdfWorking();
        case -2:
            return flight::SystemReliability::IsTransponderWorking();
        default:
            return true;
    }
}

// The radios whose transfer lamps count down.
PanelGauge* const kTransferRadios[5] = {&theNav1Radio, &theNav2Radio, &theAdfRadio, &theCom1Radio,
                                        &theCom2Radio};
// The transfer click lasts under one instrument update; the lamp shows for one.
constexpr std::int32_t kTransferClickUpdates = 1;

// The two frequency fields of a window; a NAV or COM window's point in the gap between them (a
// blank cell there when the window is dark, so it leaves no point behind).
void DrawFrequencyFields(const GFXFont* font, IntPoint at, std::int32_t secondOffset,
                         std::int32_t threeDigits, bool shown, const char* first,
                         const char* second) {
    DrawPanelText(font, at, first);
    if (threeDigits != 0 && shown)
        DrawDecimalPoint(font, {at.x + 3 * kDigitPitch, at.y});
    else if (threeDigits != 0)
        DrawPanelText(font, {at.x + 3 * kDigitPitch, at.y}, " ");
    DrawPanelText(font, {at.x + secondOffset, at.y}, second);
}

// A lamp routine draws when asked, or when a flag differs from the slot's record.
bool LampDue(const PanelGauge& g, std::int32_t flag, const std::int32_t* recorded) {
    return g.alwaysDraw != 0 || g.dirty != 0 || recorded[g.slot] != flag;
}

}  // namespace

void DrawDecimalPoint(const GFXFont* font, IntPoint at) {
    DrawPanelText(font, {at.x - 1, at.y}, ".");
}

// ---- frequency windows
// ---------------------------------------------------------------------------

void FormatFrequencyFields(std::int32_t whole, std::int32_t fraction, std::int32_t threeDigits,
                           bool shown, char first[8], char second[8]) {
    if (!shown) {
        FormatRepeated(first, 8, ' ', threeDigits != 0 ? 3 : 2);
        FormatRepeated(second, 8, ' ', 2);
        return;
    }
    if (threeDigits != 0) {
        // 8 is 108, 22 is 122; three digits stay as they are.
        whole = std::clamp(whole, 0, 999);
        if (whole < 100) {
            first[0] = '1';
            FormatZeroPadded(first + 1, 7, whole, 2);
        } else {
            FormatZeroPadded(first, 8, whole, 3);
        }
    } else {
        FormatZeroPadded(first, 8, whole, 2);
    }
    FormatZeroPadded(second, 8, fraction, 2);
}

void DrawRadioActiveFrequency(PanelGauge& g, const GFXFont* font, IntPoint position,
                              std::int32_t secondOffset, std::int32_t threeDigits,
                              std::int32_t kind) {
    g.AdvanceSlot();
    // A blank window is recorded as -1, so that a receiver failing or coming back (which marks
    // nothing dirty) changes what the window shows at once.
    const bool shown = StackPowered() && ReceiverWorks(kind);
    const std::int32_t mhz = shown ? g.activeMHz : -1;
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue1[g.slot] == mhz &&
        g.drawnValue2[g.slot] == g.activeKHz)
        return;
    char first[8], second[8];
    FormatFrequencyFields(g.activeMHz, g.activeKHz, threeDigits, shown, first, second);
    DrawFrequencyFields(font, position, secondOffset, threeDigits, shown, first, second);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = mhz;
        g.drawnValue2[g.slot] = g.activeKHz;
    }
}

void DrawRadioStandbyWindow(PanelGauge& g, const GFXFont* font, IntPoint position,
                            std::int32_t secondOffset, std::int32_t threeDigits) {
    g.AdvanceSlot();
    const bool bearing = g.bearingMode != 0;
    const std::int32_t shown1 = bearing ? 2 * g.bearing : g.standbyMHz;
    const std::int32_t shown2 = bearing ? -2 : g.standbyKHz;
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue3[g.slot] == shown1 &&
        g.drawnValue4[g.slot] == shown2)
        return;
    const bool powered = StackPowered();
    if (bearing) {
        char text[8];
        if (!powered)
            FormatRepeated(text, sizeof text, ' ', 5);
        else if (g.bearing < 0)
            std::memcpy(text, "  ---", 6);
        else {
            text[0] = text[1] = ' ';
            FormatZeroPadded(text + 2, sizeof text - 2, std::min(g.bearing, 999), 3);
        }
        // The bearing's five cells end before the window does: a blank cell clears its end.
        DrawPanelText(font, {position.x + secondOffset + 2 * kDigitPitch - kDigitPitch, position.y},
                      " ");
        DrawPanelText(font, position, text);
    } else {
        char first[8], second[8];
        FormatFrequencyFields(g.standbyMHz, g.standbyKHz, threeDigits, powered, first, second);
        DrawFrequencyFields(font, position, secondOffset, threeDigits, powered, first, second);
    }
    if (g.alwaysDraw == 0) {
        g.drawnValue3[g.slot] = shown1;
        g.drawnValue4[g.slot] = shown2;
    }
    g.refresh = 0;
}

void StartTransferLamp(PanelGauge& g) {
    g.transferLamp = 1;
    g.transferRedraw = 1;
    g.animStep = kTransferClickUpdates;
}

void StepTransferLamps() {
    for (PanelGauge* g : kTransferRadios)
        if (g->animStep > 0) --g->animStep;
}

void DrawTransferLamp(PanelGauge& g, IntPoint lamp, std::int32_t length, std::int32_t offColour,
                      std::int32_t onColour, const GFXFont* font, std::int32_t /*width*/,
                      IntPoint standby, std::int32_t threeDigits) {
    g.AdvanceSlot();
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.transferRedraw == 0 &&
        g.transferLamp == g.drawnValue7[g.slot])
        return;
    if (g.transferLamp == 0) {
        g.transferRedraw = 0;
        DrawLampLine(lamp, length, false, offColour, onColour);
    } else {
        DrawLampLine(lamp, length, true, offColour, onColour);
        if (g.bearingMode == 0) {
            char first[8], second[8];
            FormatFrequencyFields(g.standbyMHz, g.standbyKHz, threeDigits, StackPowered(), first,
                                  second);
            DrawPanelText(font, standby, first);
        }
    }
    if (g.alwaysDraw == 0) g.drawnValue7[g.slot] = g.transferLamp;
    // The lamp stays lit for as long as the transfer click plays.
    if (g.transferLamp == 1 && g.animStep <= 0) g.transferLamp = 0;
}

// ---- lamp stripes ------------------------------------------------------------------------------

void DrawSingleLamp(PanelGauge& g, IntPoint p, std::int32_t length, std::int32_t offColour,
                    std::int32_t onColour) {
    g.AdvanceSlot();
    if (!LampDue(g, g.buttons[0], g.drawnValue5)) return;
    DrawLampLine(p, length, g.buttons[0] == 1, offColour, onColour);
    if (g.alwaysDraw == 0) g.drawnValue5[g.slot] = g.buttons[0];
}

void DrawLampPair(PanelGauge& g, IntPoint p1, IntPoint p2, std::int32_t length,
                  std::int32_t offColour, std::int32_t onColour) {
    g.AdvanceSlot();
    if (!LampDue(g, g.buttons[0], g.drawnValue5) && !LampDue(g, g.buttons[1], g.drawnValue6))
        return;
    DrawLampLine(p1, length, g.buttons[0] == 1, offColour, onColour);
    DrawLampLine(p2, length, g.buttons[1] == 1, offColour, onColour);
    if (g.alwaysDraw == 0) {
        g.drawnValue5[g.slot] = g.buttons[0];
        g.drawnValue6[g.slot] = g.buttons[1];
    }
}

void DrawSecondLamp(PanelGauge& g, IntPoint p, std::int32_t length, std::int32_t offColour,
                    std::int32_t onColour) {
    g.AdvanceSlot();
    if (!LampDue(g, g.buttons[1], g.drawnValue6)) return;
    DrawLampLine(p, length, g.buttons[1] == 1, offColour, onColour);
    if (g.alwaysDraw == 0) g.drawnValue6[g.slot] = g.buttons[1];
}

void DrawLampTriple(PanelGauge& g, IntPoint p1, IntPoint p2, IntPoint p3, std::int32_t length,
                    std::int32_t offColour, std::int32_t onColour) {
    g.AdvanceSlot();
    if (!LampDue(g, g.buttons[0], g.drawnValue5) && !LampDue(g, g.buttons[1], g.drawnValue6) &&
        !LampDue(g, g.buttons[2], g.drawnValue7))
        return;
    DrawLampLine(p1, length, g.buttons[0] == 1, offColour, onColour);
    DrawLampLine(p2, length, g.buttons[1] == 1, offColour, onColour);
    DrawLampLine(p3, length, g.buttons[2] == 1, offColour, onColour);
    if (g.alwaysDraw == 0) {
        g.drawnValue5[g.slot] = g.buttons[0];
        g.drawnValue6[g.slot] = g.buttons[1];
        g.drawnValue7[g.slot] = g.buttons[2];
    }
}

void DrawTransponderAltitude(PanelGauge& g, const GFXFont* font, IntPoint position) {
    g.AdvanceSlot();
    const std::int32_t shown = StackPowered() ? std::max(g.value, 0) : -1;
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue8[g.slot] == shown) return;
    char text[8];
    if (shown < 0)
        FormatRepeated(text, sizeof text, ' ', 3);
    else
        FormatZeroPadded(text, sizeof text, shown, 3);
    DrawPanelText(font, position, text);
    if (g.alwaysDraw == 0) g.drawnValue8[g.slot] = shown;
}

// ---- DME ----------------------------------------------------------------------------------------

void FormatDmeFields(bool powered, bool valid, std::int32_t tenths, std::int32_t knots,
                     std::int32_t minutes, char distance[8], char speed[8], char time[8],
                     bool* decimalPoint) {
    *decimalPoint = false;
    if (!powered) {
        FormatRepeated(distance, 8, ' ', 3);
        FormatRepeated(speed, 8, ' ', 3);
        FormatRepeated(time, 8, ' ', 2);
        return;
    }
    if (!valid) {
        FormatRepeated(distance, 8, '-', 3);
        FormatRepeated(speed, 8, '-', 3);
        FormatRepeated(time, 8, '-', 2);
        return;
    }
    // Tenths below 100 miles (the window draws the point), whole miles from 100 (999 at most).
    tenths = std::max(tenths, 0);
    if (tenths < 1000) {
        FormatZeroPadded(distance, 8, tenths, 3);
        *decimalPoint = true;
    } else {
        FormatZeroPadded(distance, 8, tenths / 10, 3);
    }
    FormatZeroPadded(speed, 8, knots, 3);
    FormatZeroPadded(time, 8, minutes, 2);
}

void DrawDmeReadout(PanelGauge& g, const GFXFont* font, std::int32_t panelOffset,
                    std::int32_t type) {
    type = std::clamp(type, 0, 4);
    const bool powered = StackPowered() && flight::SystemReliability::IsDmeWorking();
    const NavReceiverOutput& source = DmeWindowSource();
    const std::int32_t valid = source.station != 0 && (source.flags & kStatusDme) != 0 ? 1 : 0;
    theDmeWindow.valid = valid;
    if ((type == 3 || type == 4) && theHsiGauge.dmeValid != valid) {
        theHsiGauge.dmeValid = valid;
        theHsiGauge.dirty = 1;
    }
    g.AdvanceSlot();
    if (source.station != theDmeWindow.lastStation) {
        theDmeWindow.lastStation = source.station;
        g.dirty = 1;
    }
    if (g.dirty != 0)
        for (std::int32_t& f : g.drawnValue4)
            f = 1;
    const std::int16_t* d = g.dmeDigits;
    // The fourth record says how the slot was drawn: 0 lit, 2 dark (blank, whatever the
    // digits), 1 to be drawn again.
    const std::int32_t drawnAs = powered ? 0 : 2;
    if (g.alwaysDraw == 0 && g.drawnValue4[g.slot] == drawnAs &&
        (!powered || (g.drawnValue1[g.slot] == d[0] && g.drawnValue2[g.slot] == d[1] &&
                      g.drawnValue3[g.slot] == d[2])))
        return;
    char distance[8], speed[8], time[8];
    bool point = false;
    FormatDmeFields(powered, valid != 0, d[0], d[1], d[2], distance, speed, time, &point);
    const IntPoint at{kDmeReadout[type].x, panelOffset + kDmeReadout[type].y};
    if (point) {
        // Tenths: the miles' two digits moved left, a point, the tenth in its own cell.
        const char miles[3] = {distance[0], distance[1], 0};
        const char tenth[2] = {distance[2], 0};
        DrawPanelText(font, {at.x + kDmeMilesX, at.y}, miles);
        DrawDecimalPoint(font, {at.x + kDmeMilesX + 2 * kDigitPitch, at.y});
        DrawPanelText(font, {at.x + kDmeTenthsX, at.y}, tenth);
    } else {
        // A blank cell first clears the columns left of the field that tenths use.
        DrawPanelText(font, {at.x + kDmeMilesX, at.y}, " ");
        DrawPanelText(font, at, distance);
    }
    DrawPanelText(font, {at.x + kDmeFieldX[1], at.y}, speed);
    DrawPanelText(font, {at.x + kDmeFieldX[2], at.y}, time);
    if (g.alwaysDraw == 0) {
        g.drawnValue1[g.slot] = d[0];
        g.drawnValue2[g.slot] = d[1];
        g.drawnValue3[g.slot] = d[2];
        g.drawnValue4[g.slot] = drawnAs;
    }
}

// ---- clock ------------------------------------------------------------------------------------------

void FormatClockText(char out[16]) {
    if (!StackPowered()) {
        FormatRepeated(out, 16, ' ', 8);
        return;
    }
    if (theClock.buttons[0] == 0) {
        char text[32] = {};
        if (thePanelHost.clockText != nullptr) thePanelHost.clockText(text, sizeof text);
        // Eight cells, the text's first eight characters padded with blanks.
        const std::size_t n = strnlen(text, 8);
        std::memcpy(out, text, n);
        std::memset(out + n, ' ', 8 - n);
        out[8] = 0;
        return;
    }
    const std::uint32_t s =
        thePanelHost.stopwatchSeconds != nullptr ? thePanelHost.stopwatchSeconds() : 0;
    // The window holds two digits of hours; the stopwatch rolls over at 100 hours.
    const std::uint32_t fields[3] = {(s / 3600) % 100, (s % 3600) / 60, s % 60};
    for (int i = 0; i < 3; ++i) {
        FormatZeroPadded(out + 3 * i, 3, static_cast<std::int32_t>(fields[i]), 2);
        if (i < 2) out[3 * i + 2] = ':';
    }
}

void DrawClock(PanelGauge& g, const GFXFont* font, IntPoint position) {
    g.AdvanceSlot();
    const auto now = static_cast<std::int32_t>(
        thePanelHost.simTimeMs != nullptr ? thePanelHost.simTimeMs() : 0);
    if (g.alwaysDraw == 0 && g.dirty == 0 && g.drawnValue1[g.slot] == now) return;
    char text[16];
    FormatClockText(text);
    DrawPanelText(font, position, text);
    if (g.alwaysDraw == 0) g.drawnValue1[g.slot] = now;
    g.dirty = 0;
}

// ---- autopilot and audio panels ------------------------------------------------------------------

namespace {

// Both panels draw on demand: `dirty` marks every buffer, each buffer is drawn once.
bool PanelDue(PanelGauge& g) {
    if (g.dirty != 0)
        for (std::int32_t& f : g.drawnValue1)
            f = 1;
    g.AdvanceSlot();
    if (g.alwaysDraw == 0) {
        if (g.drawnValue1[g.slot] == 0) return false;
        g.drawnValue1[g.slot] = 0;
    }
    return true;
}

}  // namespace

void DrawAutopilotPanel(PanelGauge& g, const GFXBitmap* art, std::int32_t x, std::int32_t y,
                        std::int32_t type) {
    if (!PanelDue(g)) return;
    const PanelColours& c = ColoursOf(std::clamp(type, 0, 4));
    const bool powered = StackPowered();
    for (int i = 0; i < 6; ++i) {
        const bool on = g.buttons[i] == 1;
        DrawLampLine({x + kAutopilotLamps[i].x, y + kAutopilotLamps[i].y}, kAutopilotLampLength, on,
                     c.lampOff, c.lampOn);
        const IntRect& r = on && powered ? kAutopilotLit[i] : kAutopilotUnlit[i];
        DrawBitmapRect(art, r, {x + kAutopilotLabels[i].x, y + kAutopilotLabels[i].y});
    }
    for (int i = 6; i < 8; ++i) {
        const IntRect& r = g.buttons[i] == 1 ? kAutopilotLit[i] : kAutopilotUnlit[i];
        DrawBitmapRect(art, r, {x + kAutopilotLabels[i].x, y + kAutopilotLabels[i].y});
    }
    const std::int32_t rocker = std::clamp<std::int32_t>(g.lever, 0, 2);
    DrawBitmapRect(art, kAutopilotLit[8 + rocker], {x + kAutopilotRocker.x, y + kAutopilotRocker.y});
    g.dirty = 0;
}

void DrawTwoStateKnob(PanelGauge& g, const GFXFont* sprites, IntPoint position,
                      std::int32_t restore, std::int32_t state) {
    if (restore != 0) g.EraseSlot();
    const std::int32_t frame = state == 1 ? kAudioKnobOn : kAudioKnobOff;
    const IntRect area = DrawFrameAnchored(sprites, frame, position);
    if (restore != 0) RecordArea(g, area);
}

void DrawAudioPanel(PanelGauge& g, const GFXBitmap* art, const GFXFont* sprites, std::int32_t x,
                    std::int32_t y, std::int32_t type) {
    if (!PanelDue(g)) return;
    type = std::clamp(type, 0, 4);
    const PanelColours& c = ColoursOf(type);
    for (int i = 0; i < 7; ++i) {
        if (type == 4)
            DrawTwoStateKnob(g, sprites, {x + kJetAudioKnobs[i].x, y + kJetAudioKnobs[i].y},
                             i == 0 ? 1 : 0, g.buttons[i]);
        else
            DrawLampLine({x + kAudioLamps[i].x, y + kAudioLamps[i].y}, kAudioLampLength,
                         g.buttons[i] == 1, c.lampOff, c.lampOn);
    }
    const bool lit = StackPowered() && theBlinkPhase != 0;
    for (int i = 0; i < 3; ++i) {
        const IntPoint p = type == 4 ? kJetMarkerLamps[i] : kMarkerLamps[i];
        const bool on = lit && g.buttons[7 + i] == 1;
        DrawBitmapRect(art, on ? kMarkerLit[i] : kMarkerUnlit[i], {x + p.x, y + p.y});
    }
    g.dirty = 0;
}

}  // namespace cockpit
