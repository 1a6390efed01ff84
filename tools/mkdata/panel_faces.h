// The panel backgrounds: every instrument's face, window, slot and label drawn where the type's
// panel rows put the instrument, the dials graduated where the instrument values' formulas point
// the needles for the type's published markings, and the attitude window left transparent.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gfx/bitmap.h"

namespace mkdata {

// What a panel's art puts where, on the screen of its full-panel view: every text (the gauges'
// names and units outside their faces, the buttons' labels) and every face (dials, windows, bars,
// slots, lamps, switches, knobs, buttons, and the places the program draws needles, digits and
// lamps). The maker places each text at the first of its places clear of every other text, of
// every other gauge's face and of every click area of another control (a click on a word works
// what it names), and refuses a layout where that fails (the fault says which).
struct PanelLayoutBox {
    std::string what;  // the text, or what the face is
    int left, top, right, bottom;  // edges inside
    int owner;  // the gauge (a text stands on its own gauge's faces only)
    double radius = 0;  // a round face: the disc of this radius round the box's middle
    double cx = 0, cy = 0;
};
struct PanelArtLayout {
    std::vector<PanelLayoutBox> texts;
    // The numbers and words printed on the gauges' own faces (dial scales, names): apart from
    // each other and from the texts, though needles sweep over them.
    std::vector<PanelLayoutBox> marks;
    std::vector<PanelLayoutBox> faces;
    std::string fault;  // empty when the layout is sound
};
// Which picture of a panel: the full view's, the lower view's (the C172's and the Bonanza's,
// without the controls that view leaves out), or the Baron's engine gauges that take its stack's
// place.
enum class PanelView { Full, Lower, Swapped };
// A type's panel in a view; the lower view's layout is on the full view's screen rows too.
[[nodiscard]] PanelArtLayout PanelLayoutOf(int type, PanelView view);

// The whole panel of a type (640 x (480 - viewport bottom of its full view)), for the full view
// or, without the controls it leaves out, for the lower view; null with the fault when its
// layout is refused.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> PanelBackground(int type, PanelView view,
                                                              std::string* fault);
// The top rows of a full panel (the low-panel view shows the panel lower on the screen).
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> TopRows(const gfx::GFXBitmap& panel, int rows);
// The Baron's swapped engine gauges (157 x 151, at (483, 179) of its panel); null with the fault
// when their layout is refused.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> BaronSwapPanel(std::string* fault);
// The turbines' stack area as the GPS covers it.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> GpsStackPanel(int type);

// The screen angle (degrees clockwise from up) of needle frame n.
[[nodiscard]] double FrameAngle(double frame);

}  // namespace mkdata
