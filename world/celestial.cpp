#include "world/celestial.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "core/numeric.h"
#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "nav/lat_lon.h"

namespace world {

SkyClock theSkyClock;
bool theFastSkyDebug = false;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRad = kPi / 180.0;
constexpr double kDeg = 180.0 / kPi;
// Julian Date of J2000.0 and the midnight day number before it.
constexpr double kJ2000 = 2451545.0;

std::vector<CelestialObject*>& Registry() {
    static std::vector<CelestialObject*> list;
    return list;
}

double Sin(double degrees) {
    return std::sin(degrees * kRad);
}
double Cos(double degrees) {
    return std::cos(degrees * kRad);
}

// Obliquity of the ecliptic, degrees.
double Obliquity(double days) {
    return 23.439 - 0.0000004 * days;
}

void EclipticToEquatorial(double longitude, double latitude, double days, EclipticPlace* out) {
    const double e = Obliquity(days);
    const double x = Cos(latitude) * Cos(longitude);
    const double y = Cos(e) * Cos(latitude) * Sin(longitude) - Sin(e) * Sin(latitude);
    const double z = Sin(e) * Cos(latitude) * Sin(longitude) + Cos(e) * Sin(latitude);
    out->longitude = longitude;
    out->latitude = latitude;
    out->rightAscension = Wrap360(std::atan2(y, x) * kDeg);
    out->declination = std::asin(std::clamp(z, -1.0, 1.0)) * kDeg;
}

// A bitmap the sky can draw: 8-bit and of a size a body can have on the screen.
std::unique_ptr<gfx::GFXBitmap> LoadBodyBitmap(core::ResourceVolume* art, const std::string& name) {
    if (art == nullptr) return nullptr;
    std::unique_ptr<gfx::GFXBitmap> b = art->LoadBitmap(name, 0);
    if (b && (b->bitsPerPixel != 8 || b->width < 2 || b->height < 2 || b->width > 256 ||
              b->height > 256))
        b.reset();
    // Index 0 round the disc lets the sky show.
    if (b) b->flags = (b->flags & ~gfx::kBitmapModeMask) | gfx::kBitmapTransparent;
    return b;
}

}  // namespace

// ---- angles ---------------------------------------------------------------------------------

double Wrap360(double degrees) {
    const double r = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    return std::isfinite(r) ? r : 0.0;
}

double Wrap180(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (!std::isfinite(r)) return 0.0;
    if (r > 180.0) r -= 360.0;
    if (r <= -180.0) r += 360.0;
    return r;
}

double AzimuthOf(double x, double y) {
    if (y == 0.0) return x >= 0.0 ? 90.0 : 270.0;
    if (x == 0.0) return y >= 0.0 ? 0.0 : 180.0;
    return Wrap360(90.0 - std::atan2(y, x) * kDeg);
}

double ElevationOf(double x, double y, double z) {
    const double h = std::sqrt(x * x + y * y);
    if (z == 0.0) return 0.0;
    if (h == 0.0) return z > 0.0 ? 90.0 : -90.0;
    return Wrap180(std::atan2(z, h) * kDeg);
}

void SphereToVector(double azimuth, double elevation, double r, double out[3]) {
    out[0] = r * Cos(elevation) * Sin(azimuth);
    out[1] = r * Cos(elevation) * Cos(azimuth);
    out[2] = r * Sin(elevation);
}

// ---- almanac --------------------------------------------------------------------------------

double GreenwichSiderealTime(double days) {
    const double t = days / 36525.0;
    return Wrap360(280.46061837 + 360.98564736629 * days + t * t * (0.000387933 - t / 38710000.0));
}

EclipticPlace SunPlace(double days) {
    const double meanLongitude = 280.460 + 0.9856474 * days;
    const double anomaly = 357.528 + 0.9856003 * days;
    const double longitude =
        Wrap360(meanLongitude + 1.915 * Sin(anomaly) + 0.020 * Sin(2.0 * anomaly));
    EclipticPlace p;
    EclipticToEquatorial(longitude, 0.0, days, &p);
    return p;
}

EclipticPlace MoonPlace(double days) {
    const double t = days / 36525.0;
    const double longitude =
        Wrap360(218.32 + 481267.881 * t + 6.29 * Sin(135.0 + 477198.87 * t) -
                1.27 * Sin(259.3 - 413335.36 * t) + 0.66 * Sin(235.7 + 890534.22 * t) +
                0.21 * Sin(269.9 + 954397.74 * t) - 0.19 * Sin(357.5 + 35999.05 * t) -
                0.11 * Sin(186.5 + 966404.03 * t));
    const double latitude = 5.13 * Sin(93.3 + 483202.02 * t) + 0.28 * Sin(228.2 + 960400.89 * t) -
                            0.28 * Sin(318.3 + 6003.15 * t) - 0.17 * Sin(217.6 - 407332.21 * t);
    EclipticPlace p;
    EclipticToEquatorial(longitude, latitude, days, &p);
    return p;
}

int MoonPhaseIndex(double sunLongitude, double moonLongitude) {
    const int phase = static_cast<int>(Wrap360(sunLongitude - moonLongitude) * 0.022222223 + 0.5);
    return phase >= 8 ? 0 : phase;
}

float LightLevelForElevation(double elevation) {
    constexpr double h = PlanetaryObject::kHorizon;
    const double e = elevation + 3.0;
    double level = 0.0;
    if (e > h)
        level = 0.75 + 0.25 * std::sin((e - h) / (93.0 - h) * (kPi / 2.0));
    else if (e > -h)
        level = 0.5 + 0.25 * std::sin((h + e) / (2.0 * h) * (kPi / 2.0));
    else if (e > -11.25)
        level = 0.5 * std::sin((e + 11.25) / (11.25 - h) * (kPi / 2.0));
    return static_cast<float>(level);
}

// ---- the clock ------------------------------------------------------------------------------

namespace {

void UpdateSidereal() {
    theSkyClock.siderealAngle =
        Wrap360(GreenwichSiderealTime(theSkyClock.days) + theSkyClock.eastLongitude);
}

}  // namespace

void SetSkyTime(double latitude, double longitudeWest, JulianDay day, std::uint32_t milliseconds) {
    SkyClock& c = theSkyClock;
    // Whole days in the milliseconds move the day number; the rest is the time of day.
    c.timeOfDay.Set(0, 0, 0, static_cast<std::int32_t>(milliseconds % kMillisecondsPerDay));
    const double dayNumber =
        static_cast<double>(day.Value()) + static_cast<double>(milliseconds / kMillisecondsPerDay);
    // The day number counts from midnight, J2000.0 from noon.
    c.days = dayNumber + 0.5 - kJ2000 + c.timeOfDay.Milliseconds() / 86400000.0;
    c.latitude = std::isfinite(latitude) ? std::clamp(latitude, -90.0, 90.0) : 0.0;
    c.eastLongitude = std::isfinite(longitudeWest) ? Wrap180(-longitudeWest) : 0.0;
    c.convergence = nav::MeridianConvergence(-c.eastLongitude);
    if (!std::isfinite(c.convergence)) c.convergence = 0.0;
    UpdateSidereal();
}

void AdvanceSky(bool debugCall, bool full, double seconds, const float observer[3]) {
    if (debugCall && !theFastSkyDebug && !full) return;
    if (theFastSkyDebug) seconds *= 1440.0;
    SkyClock& c = theSkyClock;
    if (seconds != 0.0 && std::isfinite(seconds)) {
        c.timeOfDay.Add(static_cast<std::int64_t>(std::llround(seconds * 1000.0)));
        c.days += seconds / 86400.0;
        UpdateSidereal();
    }
    for (CelestialObject* body : Registry()) {
        body->Update(seconds, full);
        body->Place(observer, seconds, full);
    }
}

// ---- CelestialObject ------------------------------------------------------------------------

CelestialObject::CelestialObject() {
    Registry().push_back(this);
}

CelestialObject::~CelestialObject() {
    std::vector<CelestialObject*>& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

const std::vector<CelestialObject*>& CelestialObjects() {
    return Registry();
}

void CelestialObject::SetSkyPosition(double ra, double dec, double dist) {
    rightAscension = Wrap360(ra);
    declination = std::isfinite(dec) ? std::clamp(dec, -90.0, 90.0) : 0.0;
    distance = dist;
    const double c = Cos(declination);
    period = c < 1.157e-5 ? 86400.0 : 60.0 / c;
    ComputeObserverPosition();
}

void CelestialObject::ComputeObserverPosition() {
    const SkyClock& clock = theSkyClock;
    const double hourAngle = clock.siderealAngle - rightAscension;
    const double lat = clock.latitude;
    // The horizon frame: east, north, up.
    const double east = -Cos(declination) * Sin(hourAngle);
    const double north = Cos(lat) * Sin(declination) - Sin(lat) * Cos(declination) * Cos(hourAngle);
    const double up = Sin(lat) * Sin(declination) + Cos(lat) * Cos(declination) * Cos(hourAngle);
    azimuth = AzimuthOf(east, north);
    elevation = ElevationOf(east, north, up);
    // Turned onto the world grid: a grid bearing is the true bearing plus the convergence.
    double v[3];
    SphereToVector(azimuth + clock.convergence, elevation, 1.0, v);
    for (int i = 0; i < 3; ++i)
        drawPosition[i] = static_cast<float>(v[i]) * kDrawScale;
    sinceRecompute = 0.0;
}

void CelestialObject::Place(const float /*observer*/[3], double seconds, bool force) {
    // Every body is infinitely far, so the observer's own offset changes nothing.
    sinceRecompute += seconds;
    if (force || sinceRecompute >= period) ComputeObserverPosition();
}

// ---- PlanetaryObject ------------------------------------------------------------------------

PlanetaryObject::PlanetaryObject(double updateInterval) : interval(updateInterval) {
    refCount = 1;
}

void PlanetaryObject::Update(double seconds, bool force) {
    accumulator += seconds;
    if (force || accumulator >= interval) {
        UpdatePosition();
        accumulator = 0.0;
    }
    if (force || azimuth != lastAzimuth || elevation != lastElevation) {
        UpdateLightLevel();
        lastAzimuth = azimuth;
        lastElevation = elevation;
    }
}

void PlanetaryObject::UpdateLightLevel() {
    light = LightLevelForElevation(elevation);
    // The light never comes from lower than 11.25 degrees, so shadows stay on the ground.
    double v[3];
    SphereToVector(azimuth + theSkyClock.convergence, std::max(elevation, 11.25), 1.0, v);
    for (int i = 0; i < 3; ++i)
        lightDirection[i] = static_cast<float>(-v[i]);
    UpdateLight();
}

// ---- Sun and Moon ---------------------------------------------------------------------------

Sun::Sun(core::ResourceVolume* art) : PlanetaryObject(43200.0) {
    image = LoadBodyBitmap(art, "Sun.bmp");
    bitmap = image.get();
    bitmapScale = -2.0f;
}

Sun::~Sun() = default;

void Sun::UpdatePosition() {
    const EclipticPlace p = SunPlace(theSkyClock.days);
    longitude = p.longitude;
    SetSkyPosition(p.rightAscension, p.declination, kFarDistance);
}

Moon::Moon(core::ResourceVolume* volume) : PlanetaryObject(6300.0), art(volume) {
    bitmapScale = -2.0f;
}

Moon::~Moon() = default;

std::string Moon::BitmapName(int phase, bool night) {
    char name[32];
    std::snprintf(name, sizeof name, "Moon%d%c.bmp", std::clamp(phase, 0, 7), night ? 'n' : 'd');
    return name;
}

void Moon::LoadBitmap() {
    image = phase >= 0 ? LoadBodyBitmap(art, BitmapName(phase, night)) : nullptr;
    bitmap = image.get();
}

void Moon::UpdatePosition() {
    const EclipticPlace p = MoonPlace(theSkyClock.days);
    longitude = p.longitude;
    SetSkyPosition(p.rightAscension, p.declination, kFarDistance);
    const int now = MoonPhaseIndex(SunPlace(theSkyClock.days).longitude, longitude);
    if (now != phase) {
        phase = now;
        LoadBitmap();
    }
}

void Moon::SetNight(bool flag) {
    if (flag == night) return;
    night = flag;
    if (phase >= 0) LoadBitmap();
}

// ---- stars ----------------------------------------------------------------------------------

Star::Star() {
    const double ra = core::rand() * 0.010956145;
    const double dec = core::rand() * 0.005462813 - 90.0;
    const int c = static_cast<int>(core::rand() * 0.008575701);
    variant = static_cast<int>(core::rand() * 0.00021362957);
    if (c < 16)
        magnitude = core::rand() * 7.629627e-5 - 1.5;
    else if (c >= 76)
        magnitude = core::rand() * 2.7466662e-5 + 2.6;
    else
        magnitude = core::rand() * 4.272591e-5 + 1.1;
    sizeClass = magnitude > 2.5 ? 1 : (magnitude > 1.0 ? 2 : 3);
    colour = kStarColour;
    SetSkyPosition(ra, dec, kFarDistance);
}

}  // namespace world
