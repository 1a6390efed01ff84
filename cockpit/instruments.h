// The instruments' drawing operations. Each draws one gauge at its panel position with the
// aircraft's art, following the gauge protocol: the first draw of a frame advances the gauge's
// back-buffer slot, a buffer that already shows the gauge's values is left alone, the slot's old
// image is erased from the panel background before the new one is drawn, and what was drawn is
// recorded for the slot. Values outside their frames are clamped and stored back; a missing
// piece of art draws nothing of that piece.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_gauge.h"

namespace gfx {
class GFXBitmap;
class GFXFont;
}  // namespace gfx

namespace cockpit {

class HsiGauge;
using gfx::GFXBitmap;
using gfx::GFXFont;

// ---- airspeed, vertical speed, turn coordinator -------------------------------------------------
void DrawSingleNeedleGauge(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y);
void DrawMachAirspeedIndicator(PanelGauge& g, const GFXFont* needleSprites,
                               const GFXFont* digitSprites, IntPoint needlePoint,
                               IntPoint digitPoint);
void DrawTurnCoordinator(PanelGauge& g, const GFXFont* sprites, IntPoint point,
                         std::int32_t showSymbol);
// The ball's offset from the instrument's point at ball position b (0..54).
[[nodiscard]] IntPoint TurnBallOffset(std::int32_t b);

// ---- altimeters ---------------------------------------------------------------------------------
void DrawThreePointerAltimeter(PanelGauge& g, const GFXFont* tenThousandSprites,
                               const GFXFont* thousandSprites, const GFXFont* hundredSprites,
                               const GFXBitmap* baroStrip, const GFXBitmap* lowAltitudeStrip,
                               std::int32_t x, std::int32_t y, std::int32_t variant);
void DrawCounterAltimeter(PanelGauge& g, const GFXFont* pointerSprites, const GFXBitmap* drumStrip,
                          const GFXFont* digitSprites, std::int32_t x, std::int32_t y);
// The drum strip's window tops for an altitude in feet: hundreds, thousands and ten-thousands
// (-1 when that window is not drawn), and the pointer's frame.
struct CounterDrums {
    std::int32_t hundreds;
    std::int32_t thousands;
    std::int32_t tenThousands;
    std::int32_t pointerFrame;
};
[[nodiscard]] CounterDrums CounterAltimeterDrums(std::int32_t feet);

// ---- attitude -----------------------------------------------------------------------------------
// The bank frame of the attitude sets: bank over 180 is negative, held to -60..60; 1..61 for 0..60
// and 62..121 for -1..-60.
[[nodiscard]] std::int32_t AttitudeBankFrame(std::int32_t bankDegrees);
void DrawAttitudeIndicator(PanelGauge& g, const GFXFont* pitchSprites, const GFXFont* ringSprites,
                           AttitudeLayout layout);
void DrawAttitudeDirector(PanelGauge& g, const GFXFont* sprites, std::int32_t colour,
                          AttitudeLayout layout);

// ---- course, ADF and RMI indicators, stack lamps ------------------------------------------------
void DrawCourseIndicator(PanelGauge& g, const GFXFont* sprites, IntPoint point,
                         std::int32_t variant);
void DrawAdfIndicator(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t variant);
void DrawRmi(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t variant);
void DrawDmeSelectorLamps(PanelGauge& g, const GFXFont* sprites, std::int32_t panelOffset,
                          std::int32_t type);
void DrawNavRadioLamp(PanelGauge& g, std::int32_t panelOffset, std::int32_t type,
                      std::int32_t index);
void DrawRadioButtonLamp(PanelGauge& g, const GFXFont* sprites, IntPoint point);

// ---- two-needle dials, levers, gear ---------------------------------------------------------------
void DrawTwinNeedleGauge(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y);
void DrawTwinNeedleGaugeSlewFirst(PanelGauge& g, const GFXFont* sprites, std::int32_t x,
                                  std::int32_t y);
void DrawLeverKnob(PanelGauge& g, const GFXFont* sprites, IntPoint point, std::int32_t travel);
void DrawBonanzaQuadrant(PanelGauge& g, const GFXBitmap* bitmap, std::int32_t x, std::int32_t y);
void DrawTwinQuadrant(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y,
                      std::int32_t variant);
void DrawJetThrottles(PanelGauge& g, const GFXFont* sprites, std::int32_t x, std::int32_t y);
void DrawGearLever(PanelGauge& g, const GFXBitmap* bitmap, IntRect sourceRect, IntPoint point,
                   std::int32_t position, std::int32_t travel);
// The quadrants' lever travel: the shaft's offset at knob position k (held to 0..45).
[[nodiscard]] IntPoint QuadrantTravel(std::int32_t k);

// ---- radio stack --------------------------------------------------------------------------------
void DrawRadioActiveFrequency(PanelGauge& g, const GFXFont* font, IntPoint position,
                              std::int32_t secondOffset, std::int32_t threeDigits,
                              std::int32_t kind);
void DrawRadioStandbyWindow(PanelGauge& g, const GFXFont* font, IntPoint position,
                            std::int32_t secondOffset, std::int32_t threeDigits);
void DrawTransferLamp(PanelGauge& g, IntPoint lamp, std::int32_t length, std::int32_t offColour,
                      std::int32_t onColour, const GFXFont* font, std::int32_t width,
                      IntPoint standby, std::int32_t threeDigits);
void DrawSingleLamp(PanelGauge& g, IntPoint p, std::int32_t length, std::int32_t offColour,
                    std::int32_t onColour);
void DrawLampPair(PanelGauge& g, IntPoint p1, IntPoint p2, std::int32_t length,
                  std::int32_t offColour, std::int32_t onColour);
void DrawSecondLamp(PanelGauge& g, IntPoint p, std::int32_t length, std::int32_t offColour,
                    std::int32_t onColour);
void DrawLampTriple(PanelGauge& g, IntPoint p1, IntPoint p2, IntPoint p3, std::int32_t length,
                    std::int32_t offColour, std::int32_t onColour);
void DrawTransponderAltitude(PanelGauge& g, const GFXFont* font, IntPoint position);
// The texts of a frequency window's two fields (first field three or two characters).
// A readout's decimal point (the digit font's point cell), its left column at `at.x`, on the
// digits' two bottom rows above the baseline `at.y`; the cell's columns right of the point are
// the next digit's to cover.
void DrawDecimalPoint(const GFXFont* font, IntPoint at);
void FormatFrequencyFields(std::int32_t whole, std::int32_t fraction, std::int32_t threeDigits,
                           bool shown, char first[8], char second[8]);
// Lights the transfer lamp of a radio for as long as the transfer click plays (the radio
// commands call it with the flip of standby and active).
void StartTransferLamp(PanelGauge& g);
// One instrument update of every radio's transfer-lamp countdown.
void StepTransferLamps();

// ---- DME, clock, autopilot and audio panels -------------------------------------------------------
void DrawDmeReadout(PanelGauge& g, const GFXFont* font, std::int32_t panelOffset,
                    std::int32_t type);
// The three fields of the DME window (distance in tenths of a mile).
void FormatDmeFields(bool powered, bool valid, std::int32_t tenths, std::int32_t knots,
                     std::int32_t minutes, char distance[8], char speed[8], char time[8],
                     bool* decimalPoint);
void DrawClock(PanelGauge& g, const GFXFont* font, IntPoint position);
// The clock's text: blank without power, the world's time of day or the stopwatch.
void FormatClockText(char out[16]);
void DrawAutopilotPanel(PanelGauge& g, const GFXBitmap* art, std::int32_t x, std::int32_t y,
                        std::int32_t type);
void DrawAudioPanel(PanelGauge& g, const GFXBitmap* art, const GFXFont* sprites, std::int32_t x,
                    std::int32_t y, std::int32_t type);
void DrawTwoStateKnob(PanelGauge& g, const GFXFont* sprites, IntPoint position,
                      std::int32_t restore, std::int32_t state);

// ---- switches, selectors, lamps, flaps, trims ----------------------------------------------------
void DrawToggleSwitchC172(PanelGauge& g, const GFXBitmap* art, IntPoint position,
                          std::int32_t style, std::int32_t type);
void DrawToggleSwitchBonanza(PanelGauge& g, const GFXBitmap* art, IntPoint position,
                             std::int32_t style);
void DrawToggleSwitchFrame(PanelGauge& g, const GFXFont* sprites, IntPoint position,
                           std::int32_t base);
void DrawPoweredLamp(PanelGauge& g, const GFXFont* sprites, IntPoint position, std::int32_t base);
void DrawRotarySelector(PanelGauge& g, const GFXBitmap* art, IntPoint position, std::int32_t kind,
                        std::int32_t aircraft);
void DrawLeverFrame(PanelGauge& g, const GFXFont* sprites, IntPoint position, std::int32_t base,
                    std::int32_t restore);
void DrawFlapsIndicator(PanelGauge& g, const GFXBitmap* art, IntPoint position, std::int32_t type);
// The elevator trim marker's rise in pixels (-11..11) for a trim in key steps from the middle of
// the wheel's travel (the gauge's value, nose down positive): its eleven pixels either way span
// the wheel from stop to stop.
inline constexpr std::int32_t kElevatorTrimStepsEachSide = 100;
[[nodiscard]] std::int32_t ElevatorTrimMarkerOffset(std::int32_t trimSteps);
void DrawTrimWheelIndicator(PanelGauge& g, IntPoint position, std::int32_t colour);
void DrawSideTrimIndicator(PanelGauge& g, IntPoint position, std::int32_t colour);

// ---- engine gauges and readouts ------------------------------------------------------------------
void DrawBarPointerGauge(PanelGauge& g, std::int32_t x, std::int32_t y, std::int32_t upper,
                         std::int32_t lower, std::int32_t bandLow, std::int32_t bandHigh,
                         std::int32_t type);
void DrawTachometerWithHourMeter(PanelGauge& g, const GFXFont* sprites, const GFXBitmap* digits,
                                 IntPoint position);
// The hour meter's five digits (tenths of hours) from the Hobbs counter in seconds.
void FormatHourMeter(std::int64_t hobbsSeconds, char out[8]);
[[nodiscard]] std::int32_t SingleTachometerFrame(std::int32_t value);
[[nodiscard]] std::int32_t TwinTachometerFrame(std::int32_t value);
void DrawTwinTachometer(PanelGauge& g, const GFXFont* sprites, IntPoint position);
void DrawTapeGauge(PanelGauge& g, std::int32_t x, std::int32_t y, std::int32_t colour);
// A jet engine readout of `width` digits; with `tenths` the value is in tenths, shown with a point
// below 100.0 and whole from there.
void DrawEngineReadout(PanelGauge& g, const GFXFont* font, IntPoint position, std::int32_t width,
                       std::int32_t tenths);
void DrawThreeDigitReadout(PanelGauge& g, const GFXFont* font, IntPoint position);
void DrawOutsideAirTemperature(PanelGauge& g, const GFXFont* font, IntPoint number, IntPoint unit);
// Whole degrees Fahrenheit (rounded) from a temperature word (1/256 degree Celsius).
[[nodiscard]] std::int32_t FahrenheitFromTemperatureWord(std::int16_t word);

// ---- heading indicator and HSI ---------------------------------------------------------------------
[[nodiscard]] IntPoint RotateNeedlePoint(double angleDegrees, double radius);
[[nodiscard]] IntPoint CompassPoint(double heading, double radius);
void DrawArtFrame(const GFXFont* art, std::int32_t frame, std::int32_t x, std::int32_t y);
void MarkDrawnArea(HsiGauge& h, std::int32_t area, IntRect painted);
void DrawHsiC172(HsiGauge& h, const GFXFont* art, std::int32_t x, std::int32_t y);
void DrawHsiTwin(HsiGauge& h, const GFXFont* art, std::int32_t x, std::int32_t y,
                 std::int32_t variant);
void DrawHsiTurbine(HsiGauge& h, const GFXFont* art, const GFXFont* digits, std::int32_t x,
                    std::int32_t y, std::int32_t variant);
// A DME field of the turbine HSI as it shows: without leading zeros (but the digit before a
// point), right-aligned in `cells`.
void AlignHsiField(const char* field, int cells, char* out, std::size_t size);

}  // namespace cockpit
