// The aircraft panels: which instruments each panel shows and where. The panel routines draw
// every instrument of their panel once per painted cockpit frame at (x, offset + y); the
// instruments themselves decide whether anything needs painting. The tables here are shared by
// the code and by the art maker, so the art and the drawing cannot drift apart.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

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

// Where an instrument of a panel sits: its position as the layout gives it (y counted from the
// panel offset) and the art it is drawn with.
enum class Instrument : std::uint8_t {
    Dial,         // a round instrument: the needle's pivot at the position
    Attitude,     // the attitude window (its centre from the attitude layout)
    Heading,      // the heading indicator card's centre
    Radio,        // a frequency window's top-left corner
    Lamp,         // a lamp line's left end
    BarGauge,     // a bar-pointer gauge's origin
    Lever,        // a lever knob's slot (bottom of its travel)
    Trim,         // the trim wheel
    Flaps,        // the flaps indicator
    Readout,      // a digital window (clock, DME)
    Switch,       // a toggle switch's or rotary selector's top-left corner
};

struct LayoutItem {
    const char* name;
    Instrument kind;
    std::int32_t x;
    std::int32_t y;
    std::int32_t size;  // radius, travel, line length or window width, by kind
};

// The Cessna 172's instruments (full-panel and low-panel views alike; the low panel moves down).
extern const LayoutItem theC172Layout[];
extern const int theC172LayoutCount;
// The rows of panel background between a layout y and the bitmap row: bitmap row = offset + y -
// viewport bottom (the same for both C172 views).
inline constexpr int kC172PanelRowShift = 14 - 171;
// The C172's engine-lever knobs' frame sizes and the misc-set frames they use.
inline constexpr int kMiscCoverPlate = 19;
inline constexpr int kMiscCarbHeatKnob = 1;
inline constexpr int kMiscThrottleKnob = 2;
inline constexpr int kMiscMixtureKnob = 3;
inline constexpr int kMiscTrimWheel = 60;  // 60..63: the elevator trim wheel frames

// Needle sprite sets: frame n points (n - 1) x 2 degrees clockwise from 12 o'clock (180 frames).
inline constexpr int kNeedleFrames = 180;
[[nodiscard]] inline double NeedleFrameDegrees(int frame) {
    return (frame - 1) * 2.0;
}
// Card sets (heading, course, compass): (n - 1) x 2.5 degrees, 144 frames.
inline constexpr int kCardFrames = 144;
// The compass strip: one pixel of tape per 2.5 degrees; the frame f window starts at column f.
inline constexpr int kCompassStripWidth = 144 + 35;
inline constexpr int kCompassStripHeight = 14;

}  // namespace cockpit
