// Needles drawn as vectors rather than sprites: the filled arrow of the turbine attitude
// directors, the line needle with an arrowhead (ADF and RMI) and the double-shaft RMI needle.
// Angles are compass degrees: 0 up, growing clockwise.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace cockpit {

// The screen point at `radius` along compass angle `degrees` from `centre`.
[[nodiscard]] IntPoint NeedlePoint(IntPoint centre, double radius, double degrees);

// A filled triangle pointer; its three points are kept in the gauge's needle polygon.
void DrawArrowNeedle(PanelGauge& gauge, IntPoint centre, std::int32_t radius, double angle,
                     std::int32_t colour);
// A shaft from the centre to the tip with two head strokes of 9.7 pixels.
void DrawLineNeedle(IntPoint centre, std::int32_t radius, double angle, std::int32_t colour);
// Two parallel shafts with a head and a tail reaching r - 1 beyond the centre.
void DrawDoubleNeedle(IntPoint centre, std::int32_t radius, double angle, std::int32_t colour);

}  // namespace cockpit
