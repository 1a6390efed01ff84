#include "nav/position_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/numeric.h"
#include "flight/flight_model_state.h"
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
    return WorldAltitudeToFeet(flight::theFlightModelState.fmPosY);
}

int CurrentHeadingDegrees() {
    const auto magnetic =
        static_cast<std::uint16_t>(flight::theFlightModelState.fmHead - world::theMagneticVariation);
    const int d = AngleToDegrees(magnetic);
    return d == 0 ? 360 : std::min(d, 360);
}

}  // namespace nav
