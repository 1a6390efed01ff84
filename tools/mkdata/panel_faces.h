// The panel backgrounds: every instrument's face, window, slot and label drawn where the type's
// panel rows put the instrument, the dials graduated where the instrument values' formulas point
// the needles for the type's published markings, and the attitude window left transparent.
#pragma once

#include <memory>

#include "gfx/bitmap.h"

namespace mkdata {

// The whole panel of a type in its full-panel view (640 x (480 - viewport bottom)).
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> PanelBackground(int type);
// The top rows of a full panel (the low-panel view shows the panel lower on the screen).
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> TopRows(const gfx::GFXBitmap& panel, int rows);
// The Baron's swapped engine gauges (157 x 151, at (483, 179) of its panel).
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> BaronSwapPanel();
// The turbines' stack area as the GPS covers it.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> GpsStackPanel(int type);

// The screen angle (degrees clockwise from up) of needle frame n.
[[nodiscard]] double FrameAngle(double frame);

}  // namespace mkdata
