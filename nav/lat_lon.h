// Latitude and longitude of the simulated world. The world is a flat plane of flight-model units
// (1/256 m; x grows eastward, z northward) laid over a conic conformal projection of the
// ellipsoid that covers the continent. These functions convert between the plane and the
// globe, write positions as degree/minute/second text, move an aircraft that slewed off the
// covered area to the opposite side, find the coarse terrain grid cell of a position and pick a
// station identifier out of a label.
//
// Longitudes count positive WEST here (100 degrees west is 100.0); latitudes positive north.
#pragma once

#include <cstdint>
#include <string>

namespace nav {

// World position to latitude and longitude in degrees; either output may be null. Positions
// beyond the apex of the cone (north of the pole) give latitude 90.
void WorldToLatLon(double* latOut, double* lonOut, std::int32_t x, std::int32_t z);
// Latitude and longitude in degrees to a world position, truncated toward zero and saturated to
// 32 bits; either output may be null.
void LatLonToWorld(std::int32_t* xOut, std::int32_t* zOut, double lat, double lon);

// The angle from true north to the world's north (+z) at a longitude, in degrees (positive when
// true north points east of the world's north, as it does west of the central meridian 89.5 W).
// A direction in the world plane is the true heading plus this angle: the plane is conformal,
// so a runway laid out from its projected ends runs at its true heading plus the convergence.
[[nodiscard]] double MeridianConvergence(double lon);

// The position as two texts such as " 37°42'37.17"N" and "122°13'38.92"W" (the degree sign is
// byte 0xB0 of the program's 8-bit code page).
void FormatLatLon(std::string* latText, std::string* lonText, std::int32_t x, std::int32_t z);
// One value (degrees, already made positive) with its hemisphere letter.
[[nodiscard]] std::string FormatDegrees(double value, char hemisphere);

// Moves a position that left the covered area to the opposite side (west past 160 W to 35 W,
// east past 30 W to 155 W, south past 5 N to 65 N, north past 70 N to 10 N). 1 when it moved;
// the move is then announced through theAirspaceWrapNotify.
int WrapPositionToAirspace(std::int32_t& x, std::int32_t& z);
// Holds a position inside the covered area, at its nearest edge; 1 when it moved (so 0 says the
// position lies in the area).
// Nobody is told: the caller says what it held.
int HoldPositionInAirspace(std::int32_t& x, std::int32_t& z);
// Called after a wrap; the window layer installs one that posts menu command 690 to the main
// window (which tells the user the aircraft was moved). Null: nobody is told.
extern void (*theAirspaceWrapNotify)();
inline constexpr std::uint32_t kAirspaceWrapCommand = 690;

// The terrain grid cell of a position (16-bit cell numbers) and the 20-bit fractions inside it.
void WorldToGridCell(std::int32_t x, std::int32_t z, std::uint16_t* cellX, std::uint16_t* cellZ,
                     std::uint32_t* fracX, std::uint32_t* fracZ);

// The station identifier of a label: the text inside the last "(...)" when there is one, else the start
// up to the first '-' or blank; at most four characters.
[[nodiscard]] std::string ExtractAirportIdent(const std::string& label);

}  // namespace nav
