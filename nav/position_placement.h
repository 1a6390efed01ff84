// The arithmetic the positioning dialogs share: degrees and binary angles, nautical miles and
// feet in world units, the point at a bearing and distance, the BCD frequencies of the station
// directory, the values typed into their fields, and the aircraft's altitude and heading as they
// show them. The runway, en-route and approach pickers and the four station set-up dialogs all
// place the aircraft through these.
#pragma once

#include <cstdint>
#include <string_view>

namespace nav {

// truncate(degrees x 182.04 + 0.5), and back with truncate(angle x 0.0054932981... + 0.5).
[[nodiscard]] std::int32_t DegreesToAngle(double degrees);
[[nodiscard]] std::int32_t AngleToDegrees(std::int32_t angle);
// 474,112 world units a nautical mile.
[[nodiscard]] double NmToWorld(double nm);
// truncate(feet x 0.3048780487804878 x 256): a flight-model height.
[[nodiscard]] std::int32_t FeetToWorldAltitude(double feet);
// The inverse, rounded: what the dialogs show as the current altitude.
[[nodiscard]] std::int32_t WorldAltitudeToFeet(std::int32_t altitude);

// The point at world-grid bearing `bearing` (degrees, clockwise from the grid's north) and
// `distance` world units from (x0, z0), truncated toward zero and held to 32 bits.
void PointAtBearing(std::int32_t x0, std::int32_t z0, double bearing, double distance,
                    std::int32_t* x, std::int32_t* z);

// A value brought into 1..360 (0 is 360, 361 is 1).
[[nodiscard]] int WrapDegrees(int degrees);
// A typed field: its leading number (letters or nothing read as 0), held to lo..hi.
[[nodiscard]] int ClampTypedValue(std::string_view text, int lo, int hi);

// One BCD byte read as the decimal number its hexadecimal digits spell (0x17 gives 17).
[[nodiscard]] int BcdByte(std::uint8_t value);
// A NAV radio's two frequency words from a BCD frequency after the implied leading 1
// (0x1730: 17 and 30, which the radio shows as 117.30).
struct NavRadioWords {
    int mhz = 0;
    int hundredths = 0;
};
[[nodiscard]] NavRadioWords NavWordsFromBcd(std::uint16_t bcd);
// An NDB's three BCD kHz digits as the ADF's two words (0x0350: 3 and 50).
[[nodiscard]] NavRadioWords AdfWordsFromBcd(std::uint16_t bcd);
// A NAV table frequency (MHz x 100) as the radio's words: whole MHz less 100, hundredths.
[[nodiscard]] NavRadioWords NavWordsFromHundredths(int hundredths);
// "117.30", "108.05", "117.00" from MHz x 100.
[[nodiscard]] std::string_view FormatMhz(int hundredths, char (&buffer)[16]);

// The aircraft's altitude in feet above sea level and heading in degrees (1..360, magnetic) as
// the dialogs show them at opening.
[[nodiscard]] int CurrentAltitudeFeet();
[[nodiscard]] int CurrentHeadingDegrees();

// Puts the in-air start flight just loaded at a place in the air: world x and z, the altitude
// above sea level (flight-model units, 1/256 m) and the heading (binary angle). The terrain round
// the place is paged in first, so the height over the ground datum comes out right, and the
// speeds are scaled to keep the flight's indicated airspeed, and so its trim, at the new altitude.
void PlaceInTheAir(std::int32_t x, std::int32_t z, std::int32_t altitude, std::uint16_t heading);

}  // namespace nav
