// The panel colours of each aircraft: one table of roles (panel paint, greys, arcs, lamps, the
// attitude window's sky and ground, the edge line) to palette indices 10..73, from which the 12
// panel text palettes of the type are made and which the panel art draws with. Indices the
// cockpit's drawing code names (edge line, sky, ground, lamps, bar pointers, trim marker) are the
// ones its tables give.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/palette_colours.h"

namespace mkdata {

// The C172's art colours (its role table puts these colours at these indices).
namespace c172 {
inline constexpr std::uint8_t kPaintDark = 10;
inline constexpr std::uint8_t kEdge = 12;  // the panel's top edge line
inline constexpr std::uint8_t kPaintShadow = 13;
inline constexpr std::uint8_t kPaint = 16;
inline constexpr std::uint8_t kPaintLight = 19;
inline constexpr std::uint8_t kPaintHighlight = 23;
inline constexpr std::uint8_t kBlack = 26;
inline constexpr std::uint8_t kFace = 27;
inline constexpr std::uint8_t kGreyDark = 29;
inline constexpr std::uint8_t kLampOff = 33;
inline constexpr std::uint8_t kGrey = 35;
inline constexpr std::uint8_t kBandLow = 36;  // bar pointer band colour 1
inline constexpr std::uint8_t kGreyLight = 38;
inline constexpr std::uint8_t kBarLower = 40;  // bar pointer colour 2
inline constexpr std::uint8_t kWhite = 41;
inline constexpr std::uint8_t kRedDark = 42;
inline constexpr std::uint8_t kBarUpper = 44;  // bar pointer colour 1, trim marker
inline constexpr std::uint8_t kRed = 46;
inline constexpr std::uint8_t kGreenDark = 50;
inline constexpr std::uint8_t kGreen = 53;
inline constexpr std::uint8_t kAmberDark = 58;
inline constexpr std::uint8_t kLampOn = 59;
inline constexpr std::uint8_t kBandHigh = 60;  // bar pointer band colour 2
inline constexpr std::uint8_t kYellow = 62;
inline constexpr std::uint8_t kDigit = 64;  // radio digits
inline constexpr std::uint8_t kMetal = 66;
inline constexpr std::uint8_t kMetalLight = 68;
inline constexpr std::uint8_t kSkyDark = 70;
inline constexpr std::uint8_t kSky = 71;  // the attitude window's sky
inline constexpr std::uint8_t kGroundLight = 72;
inline constexpr std::uint8_t kGround = 73;  // and its ground
}  // namespace c172

// The 64 panel colours (indices 10..73) of aircraft type 0..4 at a coarse time of day.
[[nodiscard]] std::vector<Rgb> PanelRoleColours(int type, int timeIndex);
// A whole 256-entry text palette for a type's panel at a coarse time of day.
[[nodiscard]] std::vector<Rgb> PanelRolePalette(int type, int timeIndex);

}  // namespace mkdata
