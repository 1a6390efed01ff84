#include "nav/lat_lon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/numeric.h"

namespace nav {

void (*theAirspaceWrapNotify)() = nullptr;

namespace {

// The projection's constants, written as the program has always used them: the forward and
// inverse paths use reciprocal pairs, so a round trip loses nothing but the truncation.
constexpr double kScale = 0.00390625;  // 1/256
constexpr double kFalseOriginX = 90160.64;
constexpr double kFalseOriginZ = 113022.1056;
constexpr double kConeRadiusBase = 7829278.0;
constexpr double kEllipsoidScale = 12452654.312;
constexpr double kEllipsoidScaleInverse = 8.030416447330028e-08;
constexpr double kConeN = 0.63049996;
constexpr double kConeNInverse = 1.586042923777505;
constexpr double kConeNRadians = 0.011004300223118298;  // n x pi / 180
constexpr double kCentralMeridian = 89.5;               // degrees west
constexpr double kHalfPi = 1.570796327;
constexpr double kDegToRad = 0.0174532925;
constexpr double kRadToDeg = 57.295779578552306;
constexpr double kLatFactorForward = 0.9932314;
constexpr double kLatFactorInverse = 1.0068147261554559;
constexpr double kOffsetX = 352.19;
constexpr double kOffsetZ = 441.4926;
constexpr double kUnitsPerCoordinate = 65536.0;

constexpr double kGridFactor = 0.009941939075797343;  // flight-model units to map units

}  // namespace

void WorldToLatLon(double* latOut, double* lonOut, std::int32_t x, std::int32_t z) {
    const double px = x * kScale + kFalseOriginX;
    const double py = kConeRadiusBase - (z * kScale + kFalseOriginZ);
    // On the central meridian X is 0: the angle is 0 and the radius is Y itself, so there is
    // nothing to divide by zero. Y of 0 lies on the line through the apex.
    double theta = 0.0;
    if (py != 0.0) {
        theta = std::atan(px / py);
    } else if (px != 0.0) {
        theta = px > 0.0 ? kHalfPi : -kHalfPi;
    }
    const double rho = theta == 0.0 ? py : px / std::sin(theta);
    const double r = rho * kEllipsoidScaleInverse;
    if (lonOut != nullptr) *lonOut = kCentralMeridian - theta * kConeNInverse * kRadToDeg;
    if (latOut != nullptr) {
        if (!(r > 0.0)) {
            // Past the apex of the cone: no place on the globe; the pole is the nearest.
            *latOut = 90.0;
            return;
        }
        const double t = std::exp(std::log(r) * kConeNInverse);
        const double chi = kHalfPi - 2.0 * std::atan(t);
        *latOut = std::atan(kLatFactorInverse * std::tan(chi)) * kRadToDeg;
    }
}

void LatLonToWorld(std::int32_t* xOut, std::int32_t* zOut, double lat, double lon) {
    const double phi = lat * kDegToRad;
    const double chi = std::atan(kLatFactorForward * std::tan(phi));
    const double h = (kHalfPi - chi) * 0.5;
    const double t = std::fabs(std::tan(h));
    const double rho = kEllipsoidScale * std::exp(kConeN * std::log(t));
    const double theta = (kCentralMeridian - lon) * kConeNRadians;
    const double px = rho * std::sin(theta);
    const double py = rho * std::cos(theta);
    if (xOut != nullptr) *xOut = core::ClampToInt32((px * kScale - kOffsetX) * kUnitsPerCoordinate);
    if (zOut != nullptr) {
        *zOut =
            core::ClampToInt32(((kConeRadiusBase - py) * kScale - kOffsetZ) * kUnitsPerCoordinate);
    }
}

double MeridianConvergence(double lon) {
    return (lon - kCentralMeridian) * kConeN;
}

std::string FormatDegrees(double value, char hemisphere) {
    if (!std::isfinite(value)) value = 0.0;
    const int degrees = static_cast<int>(value);
    const double m = (value - degrees) * 60.0;
    const int minutes = static_cast<int>(m);
    const double s = (m - minutes) * 60.0;
    const int seconds = static_cast<int>(s);
    const int hundredths = static_cast<int>(s * 100.0) % 100;
    char text[40];
    std::snprintf(text, sizeof text, "%3d\xB0%2d'%2d.%02d\"%c", degrees, minutes, seconds,
                  hundredths, hemisphere);
    return text;
}

void FormatLatLon(std::string* latText, std::string* lonText, std::int32_t x, std::int32_t z) {
    double lat = 0.0;
    double lon = 0.0;
    WorldToLatLon(&lat, &lon, x, z);

    char lonLetter = 'W';
    if (lon < 0.0) {
        lon = -lon;
        lonLetter = 'E';
    }
    if (lon > 180.0) {
        lon = 360.0 - lon;
        lonLetter = lonLetter == 'W' ? 'E' : 'W';
    }
    char latLetter = 'N';
    if (lat < 0.0) {
        lat = -lat;
        latLetter = 'S';
    }
    if (lat > 90.0) {
        lat = 180.0 - lat;
        latLetter = latLetter == 'N' ? 'S' : 'N';
    }
    if (latText != nullptr) *latText = FormatDegrees(lat, latLetter);
    if (lonText != nullptr) *lonText = FormatDegrees(lon, lonLetter);
}

namespace {
struct AirspaceLimits {
    std::int32_t west160, west155, west30, west35;
    std::int32_t north70, north65, north5, north10;
};
const AirspaceLimits& Airspace() {
    static const AirspaceLimits limits = [] {
        AirspaceLimits l{};
        LatLonToWorld(&l.west160, nullptr, 32.5, 160.0);
        LatLonToWorld(&l.west155, nullptr, 32.5, 155.0);
        LatLonToWorld(&l.west30, nullptr, 32.5, 30.0);
        LatLonToWorld(&l.west35, nullptr, 32.5, 35.0);
        LatLonToWorld(nullptr, &l.north70, 70.0, 65.0);
        LatLonToWorld(nullptr, &l.north65, 65.0, 65.0);
        LatLonToWorld(nullptr, &l.north5, 5.0, 65.0);
        LatLonToWorld(nullptr, &l.north10, 10.0, 65.0);
        return l;
    }();
    return limits;
}
}  // namespace

int WrapPositionToAirspace(std::int32_t& x, std::int32_t& z) {
    const AirspaceLimits& limits = Airspace();
    const std::int32_t oldX = x;
    const std::int32_t oldZ = z;
    if (x < limits.west160) x = limits.west35;
    if (x > limits.west30) x = limits.west155;
    if (z < limits.north5) z = limits.north65;
    if (z > limits.north70) z = limits.north10;
    const int moved = (x != oldX || z != oldZ) ? 1 : 0;
    if (moved != 0 && theAirspaceWrapNotify != nullptr) theAirspaceWrapNotify();
    return moved;
}

int HoldPositionInAirspace(std::int32_t& x, std::int32_t& z) {
    const AirspaceLimits& limits = Airspace();
    const std::int32_t oldX = x;
    const std::int32_t oldZ = z;
    x = std::clamp(x, limits.west160, limits.west30);
    z = std::clamp(z, limits.north5, limits.north70);
    return x != oldX || z != oldZ ? 1 : 0;
}

void WorldToGridCell(std::int32_t x, std::int32_t z, std::uint16_t* cellX, std::uint16_t* cellZ,
                     std::uint32_t* fracX, std::uint32_t* fracZ) {
    const std::int64_t a = core::ClampToInt32(x * kGridFactor) + std::int64_t{0x900000};
    const std::int64_t b = core::ClampToInt32(z * kGridFactor) + std::int64_t{0x500000};
    if (cellX != nullptr) *cellX = static_cast<std::uint16_t>(a / 0x100000);
    if (cellZ != nullptr) *cellZ = static_cast<std::uint16_t>(b / 0x100000);
    if (fracX != nullptr) *fracX = static_cast<std::uint32_t>(a & 0xFFFFF);
    if (fracZ != nullptr) *fracZ = static_cast<std::uint32_t>(b & 0xFFFFF);
}

std::string ExtractAirportIdent(const std::string& label) {
    std::string ident;
    // The identifier closes the label: a name may hold brackets of its own before it.
    const std::size_t open = label.rfind('(');
    if (open != std::string::npos) {
        for (std::size_t i = open + 1; i < label.size() && label[i] != ')' && ident.size() < 4; ++i)
            ident += label[i];
        return ident;
    }
    for (std::size_t i = 0;
         i < label.size() && label[i] != '-' && label[i] != ' ' && ident.size() < 4; ++i)
        ident += label[i];
    return ident;
}

}  // namespace nav
