// The colours of the map's palette: the display's twenty static colours at 0..9 and 246..255,
// the map's own colours, and a colour cube for the rest. The map draws in palette indices into
// a picture with this colour table; the data maker gives the map's background and toolbar
// pictures the same table, so every picture of the map agrees.
#pragma once

#include <array>
#include <cstdint>

namespace nav {

// Indices the map and its pictures use.
inline constexpr int kMapBlack = 0;
inline constexpr int kMapWaypointColour = 1;
inline constexpr int kMapNdbColour = 2;
inline constexpr int kMapFeatherLeft = 3;
inline constexpr int kMapFeatherRight = 4;
inline constexpr int kMapObstacleColour = 5;
inline constexpr int kMapVorColour = 6;
inline constexpr int kMapBackground = 10;
inline constexpr int kMapFrame = 11;
inline constexpr int kMapLand = 12;
inline constexpr int kMapGridColour = 13;
inline constexpr int kMapAirportColour = 26;
inline constexpr int kMapWaterColour = 213;
inline constexpr int kMapStateColour = 219;
inline constexpr int kMapAircraftInside = 250;
inline constexpr int kMapRouteColour = 251;
inline constexpr int kMapKeyColour = 253;  // magenta: transparent in toolbar pictures
inline constexpr int kMapAirwayColour = 254;
inline constexpr int kMapHighlight = 255;

// 0x00RRGGBB per index.
[[nodiscard]] const std::array<std::uint32_t, 256>& MapPaletteColours();

}  // namespace nav
