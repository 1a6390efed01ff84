#include "nav/position_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/numeric.h"
#include "flight/flight_model_state.h"
#include "nav/nav_host.h"
#include "world/terrain_services.h"

namespace nav {

namespace {

constexpr double kFeetToWorld = 0.3048780487804878 * 256.0;

}  // namespace

std::int32_t DegreesToAngle(double degrees) {
    return core::SaturateToInt32(degrees * 182.04 + 0.5);
}

std::int32_t AngleToDegrees(std::int32_t angle) {
    return core::SaturateToInt32(angle * 0.005493298176225006 + 0.5);
}

double NmToWorld(double nm) {
    return nm * 926.0 * 512.0;
}

std::int32_t FeetToWorldAltitude(double feet) {
    return core::SaturateToInt32(feet * kFeetToWorld);
}

std::int32_t WorldAltitudeToFeet(std::int32_t altitude) {
    return core::ClampToInt32(std::floor(altitude / kFeetToWorld + 0.5));
}

void PointAtBearing(std::int32_t x0, std::int32_t z0, double bearing, double distance,
                    std::int32_t* x, std::int32_t* z) {
    // The bearing counts clockwise from north; the angle counter-clockwise from east.
    double a = 450.0 - bearing;
    if (a > 360.0) a -= 360.0;
    const double r = a * 3.14159265359 / 180.0;
    *x = core::ClampToInt32(std::trunc(x0 + distance * std::cos(r)));
    *z = core::ClampToInt32(std::trunc(z0 + distance * std::sin(r)));
}

int WrapDegrees(int degrees) {
    int d = degrees % 360;
    if (d <= 0) d += 360;
    return d;
}

int ClampTypedValue(std::string_view text, int lo, int hi) {
    // The leading number as atoi reads it, without its overflow: long runs of digits are
    // simply large.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), 1LL << 40);
    if (negative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

int BcdByte(std::uint8_t value) {
    // Printed in hexadecimal and read back as decimal: a nibble above 9 reads as the digits
    // before it, as the C runtime's reader stops there.
    char text[8];
    std::snprintf(text, sizeof text, "%x", value);
    return std::atoi(text);
}

NavRadioWords NavWordsFromBcd(std::uint16_t bcd) {
    return NavRadioWords{BcdByte(static_cast<std::uint8_t>(bcd >> 8)),
                         BcdByte(static_cast<std::uint8_t>(bcd))};
}

NavRadioWords AdfWordsFromBcd(std::uint16_t bcd) {
    return NavRadioWords{BcdByte(static_cast<std::uint8_t>((bcd >> 8) & 0x0F)),
                         BcdByte(static_cast<std::uint8_t>(bcd))};
}

NavRadioWords NavWordsFromHundredths(int hundredths) {
    int mhz = hundredths / 100;
    if (mhz >= 100) mhz -= 100;
    return NavRadioWords{mhz, hundredths % 100};
}

std::string_view FormatMhz(int hundredths, char (&buffer)[16]) {
    std::snprintf(buffer, sizeof buffer, "%d.%02d", hundredths / 100, std::abs(hundredths % 100));
    return buffer;
}

int CurrentAltitudeFeet() {
    // Above sea level: the height over the ground datum plus the datum.
    return WorldAltitudeToFeet(core::ClampToInt32(
        static_cast<std::int64_t>(flight::theFlightModelState.fmPosY) + world::theTerrainDatum));
}

namespace {

// The standard atmosphere's density over sea level's at a height (feet), never below a tenth.
double DensityRatio(double feet) {
    return std::max(0.1, std::pow(1.0 - 6.87559e-6 * feet, 4.25588));
}

std::int32_t Scaled(std::int32_t v, double k) {
    return core::ClampToInt32(std::llround(static_cast<double>(v) * k));
}

}  // namespace

void PlaceInTheAir(std::int32_t x, std::int32_t z, std::int32_t altitude, std::uint16_t heading) {
    flight::FlightModelState& s = flight::theFlightModelState;
    // The in-air flight was saved over flat ground at sea level: its height is the altitude
    // it was trimmed at.
    const double trimFeet = s.fmPosY / kFeetToWorld;
    s.fmPosX = x;
    s.fmPosZ = z;
    s.fmHead = heading;
    // The ground there decides the datum heights count from: the terrain first, then the height.
    theNavHost.refreshTerrain();
    s.fmPosY = core::ClampToInt32(static_cast<std::int64_t>(altitude) - world::theTerrainDatum);
    // The same indicated airspeed at the new altitude, so the trim holds: thinner air, a higher
    // true airspeed, and a climb or descent on the same path, faster by as much.
    const double k = std::sqrt(DensityRatio(trimFeet) / DensityRatio(altitude / kFeetToWorld));
    s.fmHVel = Scaled(s.fmHVel, k);
    s.fmVVel = Scaled(s.fmVVel, k);
    s.fmTAVel = Scaled(s.fmTAVel, k);
    s.fmTASq = Scaled(s.fmTASq, k * k);
}

int CurrentHeadingDegrees() {
    const auto magnetic =
        static_cast<std::uint16_t>(flight::theFlightModelState.fmHead - world::theMagneticVariation);
    const int d = AngleToDegrees(magnetic);
    return d == 0 ? 360 : std::min(d, 360);
}

}  // namespace nav
