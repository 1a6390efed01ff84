// The bodies of the sky: the sun, the moon and, at night, 280 stars, each a CelestialObject in
// one global list. A body has a place on the celestial sphere (right ascension and declination),
// turned into azimuth and elevation for the observer's latitude and the local sidereal time of
// the sky clock, and a draw position on the world grid. The sun and the moon also give the
// scene its light level and direction; the moon picks one of eight phase bitmaps.
//
// All of it is computed in double precision: the sun from the standard low-precision solar
// almanac (within about 0.01 degree), the moon from the low-precision lunar series (six terms
// in longitude, four in latitude; within about 0.3 degree), both geocentric and infinitely far,
// and the sidereal time from the Greenwich mean sidereal time of the zulu instant plus the east
// longitude.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/calendar.h"

namespace gfx {
class GFXBitmap;
}
namespace core {
class ResourceVolume;
}

namespace world {

// The distance that marks a body as infinitely far (no parallax).
inline constexpr double kFarDistance = 42781944.0;
// Draw positions are the unit direction times this.
inline constexpr float kDrawScale = 8.0f;
// The palette entry of every star.
inline constexpr std::uint8_t kStarColour = 230;

// The clock all bodies share.
struct SkyClock {
    double days = 0.0;               // UT days since 2000-01-01 12:00 (J2000.0)
    double siderealAngle = 0.0;      // local mean sidereal time, degrees 0..360
    double latitude = 0.0;           // observer, degrees north
    double eastLongitude = 0.0;      // observer, degrees east
    double convergence = 0.0;        // true north to the world grid's north, degrees
    TimeOfDayMs timeOfDay;           // UT
};
extern SkyClock theSkyClock;
// Set while the fast-sky debug switch is on: the sky's debug advances run a day per minute.
extern bool theFastSkyDebug;

// Angle helpers (degrees).
[[nodiscard]] double Wrap360(double degrees);
[[nodiscard]] double Wrap180(double degrees);
// Azimuth of a direction (x east, y north), clockwise from north, 0..360.
[[nodiscard]] double AzimuthOf(double x, double y);
// Elevation of a direction above the horizontal plane, -90..90.
[[nodiscard]] double ElevationOf(double x, double y, double z);
// (r cos el sin az, r cos el cos az, r sin el).
void SphereToVector(double azimuth, double elevation, double r, double out[3]);

// Greenwich mean sidereal time (degrees) of an instant in UT days since J2000.0.
[[nodiscard]] double GreenwichSiderealTime(double days);
// Where the sun and the moon stand, geocentric, for an instant in days since J2000.0.
struct EclipticPlace {
    double longitude = 0.0;  // ecliptic, degrees
    double latitude = 0.0;
    double rightAscension = 0.0;  // degrees
    double declination = 0.0;
};
[[nodiscard]] EclipticPlace SunPlace(double days);
[[nodiscard]] EclipticPlace MoonPlace(double days);
// The moon's phase index 0..7 from the two ecliptic longitudes: 0 new, 2 last quarter, 4 full,
// 6 first quarter.
[[nodiscard]] int MoonPhaseIndex(double sunLongitude, double moonLongitude);
// The light of a body at an elevation (degrees): 0 well below the horizon, 0.75 a degree below
// it, 1 at the zenith.
[[nodiscard]] float LightLevelForElevation(double elevation);

// Sets the clock for a place (latitude north, longitude WEST positive, as the world gives it)
// and a zulu day and time.
void SetSkyTime(double latitude, double longitudeWest, JulianDay day, std::uint32_t milliseconds);
// Moves the clock on by seconds and updates and places every body. A debug call (debugCall)
// does nothing unless the fast-sky switch or `full` is set; while the switch is set seconds run
// 1440 times faster.
void AdvanceSky(bool debugCall, bool full, double seconds, const float observer[3]);

class CelestialObject {
public:
    CelestialObject();
    virtual ~CelestialObject();
    CelestialObject(const CelestialObject&) = delete;
    CelestialObject& operator=(const CelestialObject&) = delete;

    virtual void Update(double /*seconds*/, bool /*force*/) {}

    // Right ascension and declination in degrees; the recompute period becomes 60 s over the
    // cosine of the declination (a day near the poles), and the observer position is computed
    // at once.
    void SetSkyPosition(double rightAscension, double declination, double distance);
    // Adds the seconds; recomputes the observer position when the period is reached or forced.
    void Place(const float observer[3], double seconds, bool force);
    void ComputeObserverPosition();

    [[nodiscard]] double Azimuth() const { return azimuth; }
    [[nodiscard]] double Elevation() const { return elevation; }
    [[nodiscard]] double RightAscension() const { return rightAscension; }
    [[nodiscard]] double Declination() const { return declination; }
    [[nodiscard]] double RecomputePeriod() const { return period; }
    // The direction on the world grid times kDrawScale (x east, y north, z up).
    [[nodiscard]] const float* DrawPosition() const { return drawPosition; }

    std::int32_t refCount = 0;
    bool enabled = true;
    const gfx::GFXBitmap* bitmap = nullptr;  // owned by the subclass, or none
    std::int32_t sizeClass = 1;              // stars: 1, 2 or 3
    std::uint8_t colour = kStarColour;
    float bitmapScale = -1.0f;  // negative of the given size

protected:
    double azimuth = 0.0;
    double elevation = 0.0;
    double rightAscension = 0.0;
    double declination = 0.0;
    double distance = kFarDistance;
    double period = 60.0;
    double sinceRecompute = 0.0;
    float drawPosition[3] = {0.0f, 0.0f, 0.0f};
};

// The global list of bodies, in creation order.
[[nodiscard]] const std::vector<CelestialObject*>& CelestialObjects();

class PlanetaryObject : public CelestialObject {
public:
    explicit PlanetaryObject(double updateInterval);

    void Update(double seconds, bool force) override;
    virtual void UpdateLight() {}
    virtual void UpdatePosition() = 0;
    void UpdateLightLevel();

    [[nodiscard]] float GetLight() const { return light; }
    // The direction the light travels on the world grid (never from below 11.25 degrees).
    [[nodiscard]] const float* GetLightDirection() const { return lightDirection; }
    [[nodiscard]] bool IsBelowHorizon() const { return -kHorizon >= elevation + 3.0; }

    static constexpr double kHorizon = 2.0;

protected:
    double interval;
    double accumulator = 0.0;
    double lastAzimuth = 1e9;
    double lastElevation = 1e9;
    float light = 0.0f;
    float lightDirection[3] = {0.0f, 0.0f, -1.0f};
};

class Sun final : public PlanetaryObject {
public:
    explicit Sun(core::ResourceVolume* art);
    ~Sun() override;
    void UpdatePosition() override;
    [[nodiscard]] double EclipticLongitude() const { return longitude; }

private:
    double longitude = 0.0;
    std::unique_ptr<gfx::GFXBitmap> image;
};

class Moon final : public PlanetaryObject {
public:
    explicit Moon(core::ResourceVolume* art);
    ~Moon() override;
    void UpdatePosition() override;
    // Reloads the bitmap when the night flag changes.
    void SetNight(bool night);
    [[nodiscard]] int Phase() const { return phase; }
    [[nodiscard]] bool IsNight() const { return night; }
    [[nodiscard]] double EclipticLongitude() const { return longitude; }
    // "Moon<phase><n|d>.bmp".
    [[nodiscard]] static std::string BitmapName(int phase, bool night);

private:
    void LoadBitmap();

    core::ResourceVolume* art;
    int phase = -1;
    bool night = false;
    double longitude = 0.0;
    std::unique_ptr<gfx::GFXBitmap> image;
};

class Star final : public CelestialObject {
public:
    // Drawn from the program's generator, as the sky makes its stars.
    Star();
    [[nodiscard]] int Variant() const { return variant; }
    [[nodiscard]] double Magnitude() const { return magnitude; }

private:
    int variant = 0;
    double magnitude = 0.0;
};

inline constexpr int kStarCount = 280;

}  // namespace world
