// The aircraft panels: which instruments each panel shows, in which sections, where, with which
// art and further arguments. A panel is one table of rows; its routine draws every row of the
// sections that apply, once per painted cockpit frame, at (x, offset + y), and the instruments
// decide for themselves whether anything needs painting. The art maker reads the same tables to
// draw the panel backgrounds under the instruments, so the art and the drawing cannot drift.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace gfx {
class GFXBitmap;
class GFXFont;
}  // namespace gfx

namespace cockpit {

// The vertical offset the current panel routine was called with (the attitude drawing reads it).
extern std::int16_t thePanelOffset;

void DrawPanelC172(std::int16_t offset);
void DrawPanelBonanza(std::int16_t offset);
void DrawPanelBaron(std::int16_t offset);
void DrawPanelKingAir(std::int16_t offset);
void DrawPanelCitationJet(std::int16_t offset);
// The type's routine with its offset for the view mode (type 5 and the low-panel view of the
// twins draw nothing).
void DrawPanelForType(int type, int viewMode);
// The offset of a type's panel in a view mode; -1 when it has none.
[[nodiscard]] int PanelOffsetFor(int type, int viewMode);

// The drawing operation of a row (its arguments are listed with each).
enum class PanelOp : std::uint8_t {
    SingleNeedle,           // art 0
    MachAirspeed,           // art 0 needles, 1 digits; arg 0, 1 the digits' point
    TurnCoordinator,        // art 0; arg 0 symbol shown
    ThreePointerAltimeter,  // art 0..4; arg 0 variant
    CounterAltimeter,       // art 0 pointer, 1 drums, 2 digits
    AttitudeIndicator,      // art 0 pitch marks, 1 ring; placed by the attitude layout
    AttitudeDirector,       // art 0; arg 0 the bank pointer's colour
    HsiC172,                // art 0
    HsiTwin,                // art 0; arg 0 variant
    HsiTurbine,             // art 0 card, 1 digits; arg 0 variant
    CourseIndicator,        // art 0; arg 0 variant
    AdfIndicator,           // art 0; arg 0 variant
    Rmi,                    // art 0; arg 0 variant
    TachometerHourMeter,    // art 0 needles, 1 counter digits
    TwinTachometer,         // art 0
    TwinNeedle,             // art 0
    TwinNeedleSlewFirst,    // art 0
    LeverKnob,              // art 0; arg 0 travel
    BonanzaQuadrant,        // art 0
    TwinQuadrant,           // art 0; arg 0 variant
    JetThrottles,           // art 0
    GearLever,              // art 0; arg 0 travel
    AudioPanel,             // art 0 switches, 1 sprites; arg 0 type
    AutopilotPanel,         // art 0; arg 0 type
    Clock,                  // art 0
    BarPointer,             // arg 0..4 upper, lower, band low, band high, type
    ToggleC172,             // art 0; arg 0 style, 1 type
    ToggleBonanza,          // art 0; arg 0 style
    ToggleFrame,            // art 0; arg 0 base frame
    PoweredLamp,            // art 0; arg 0 base frame
    RotarySelector,         // art 0; arg 0 kind, 1 aircraft
    LeverFrame,             // art 0; arg 0 base frame, 1 restore
    Flaps,                  // art 0; arg 0 type
    TrimWheel,              // arg 0 marker colour
    SideTrim,               // arg 0 marker colour
    TapeGauge,              // arg 0 colour
    EngineReadout,          // art 0; arg 0 width
    ThreeDigitReadout,      // art 0
    OutsideAirTemperature,  // art 0
    RadioActive,            // art 0; arg 0 second field's x, 1 three digits, 2 receiver kind
    RadioStandby,           // art 0; arg 0 second field's x, 1 three digits
    TransferLamp,           // art 0; arg 0 length, 1 off, 2 on, 3 width, 4, 5 standby, 6 digits
    SingleLamp,             // arg 0 length, 1 off, 2 on
    LampPair,               // arg 0, 1 second lamp, 2 length, 3 off, 4 on
    SecondLamp,             // arg 0 length, 1 off, 2 on
    LampTriple,             // arg 0, 1 second, 2, 3 third, 4 length, 5 off, 6 on
    TransponderAltitude,    // art 0
    DmeReadout,             // art 0; arg 0 type
    DmeSelectorLamps,       // art 0; arg 0 type
    NavRadioLamp,           // arg 0 type, 1 dot index
    RadioButtonLamp,        // art 0
    ClearDirty,             // the row's gauge is done for this frame
};

// The art slots (panel_art.h) by name.
enum class PanelArt : std::uint8_t {
    None,
    AltimeterStrip,
    AltimeterLowFlag,
    AltimeterCounter,
    GearKnob,
    LeverKnob,
    Flaps,
    Switch,
    IgnitionKey,
    HourMeter,
    Autopilot,
    AudioPanel,
    PanelFont,
    JetReadout,
    Baro,
    LongNeedle,
    SmallNeedle,
    TenThousandNeedle,
    FatNeedle,
    HeadingCard,
    HsiText,
    NavCard,
    Turn,
    AttitudeRing,
    AttitudeCard,
    Misc,
    Synchroscope,
};
[[nodiscard]] const gfx::GFXFont* PanelArtFont(PanelArt art);
[[nodiscard]] const gfx::GFXBitmap* PanelArtBitmap(PanelArt art);

// When a row is drawn.
enum class PanelSection : std::uint8_t {
    Always,
    FullView,      // only in the full-panel view (view mode 0)
    Nav2Face,      // the C172's NAV2 course indicator in the ADF's place
    AdfFace,       // the C172's ADF indicator
    StackShown,    // the radio stack (swapPanel 0)
    StackSwapped,  // the Baron's engine gauges in the stack's place (swapPanel 1)
};

struct PanelRow {
    PanelSection section;
    PanelOp op;
    PanelGauge* gauge;  // null for the heading instrument and the attitude layouts
    std::int16_t x;
    std::int16_t y;
    PanelArt art[5];
    std::int32_t arg[8];
};

// The rows of a type's panel (0..4); null with a count of 0 for others.
[[nodiscard]] const PanelRow* PanelRowsOf(int type, int* count);
// Whether a row's section is drawn in a view with the panel flags as they are.
[[nodiscard]] bool SectionShown(PanelSection section, int viewMode);

// Needle sprite sets: frame n points (n - 1) x 2 degrees clockwise from 12 o'clock (180 frames).
inline constexpr int kNeedleFrames = 180;
[[nodiscard]] inline double NeedleFrameDegrees(int frame) {
    return (frame - 1) * 2.0;
}
// Card sets (heading, course, compass): frame n turns the card (n - 1) x 2.5 degrees clockwise;
// 144 frames.
inline constexpr int kCardFrames = 144;
// The compass strip: one pixel of tape per 2.5 degrees; frame f shows the window from column f,
// its lubber line on column f + 8.
inline constexpr int kCompassStripWidth = 144 + 35;
inline constexpr int kCompassStripHeight = 14;
inline constexpr int kCompassLubber = 8;

// The panel bitmap row of a layout y: offset + y - viewport bottom (the same in both views of
// the C172 and the Bonanza).
[[nodiscard]] int PanelRowShift(int type);

}  // namespace cockpit
