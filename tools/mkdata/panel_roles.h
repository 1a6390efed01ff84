// The panel colours of each aircraft: one table of roles to palette indices 10..73, from which the
// 12 panel text palettes of the type are made and which the panel art draws with. The indices the
// cockpit's drawing names (edge line, lamps, stack dots, bar pointers and bands, needles, heading
// bug, trim markers, the attitude window's sky and ground) hold the colours of those roles; every
// other index holds one of the art's own inks.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/palette_colours.h"

namespace mkdata {

// The art's own inks.
enum class Ink : std::uint8_t {
    PaintDeep,
    PaintDark,
    Paint,
    PaintLight,
    PaintHighlight,
    PaintShadow,
    Black,
    Face,
    FaceLight,
    GreyDark,
    Grey,
    GreyLight,
    White,
    Cream,
    Red,
    RedDark,
    Green,
    GreenDark,
    Yellow,
    Amber,
    Orange,
    Blue,
    BlueDark,
    Metal,
    MetalLight,
    MetalDark,
    Digit,
    DigitDim,
    Window,
    SkyArt,
    SkyArtDark,
    GroundArt,
    GroundArtLight,
    Knob,
    KnobLight,
    Glare,
    Count
};

// The palette index of an ink on a type's panel (0..4).
[[nodiscard]] std::uint8_t InkIndex(int type, Ink ink);

// The 64 panel colours (indices 10..73) of aircraft type 0..4 at a coarse time of day.
[[nodiscard]] std::vector<Rgb> PanelRoleColours(int type, int timeIndex);
// A whole 256-entry text palette for a type's panel at a coarse time of day.
[[nodiscard]] std::vector<Rgb> PanelRolePalette(int type, int timeIndex);

}  // namespace mkdata
