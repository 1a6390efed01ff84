// The world-and-scenery objects the world singleton owns, as far as the simulation's spine uses
// them: the weather's situation section and slow updates and the sky's ambient light (the
// graphics profiles live in scenery_settings.h). Least bodies where the scenery code is still to
// come: the sky's light follows the local hour with a simple day curve so the readouts and the
// time-of-day commands have a light to work with.
#pragma once

#include <cstdint>

namespace core {
class IniFile;
}

namespace world {

class WeatherState {
public:
    int LoadIni(core::IniFile& file);
    int SaveIni(core::IniFile& file);
    void UpdateWinds() {}
    void ApplyWindAtAircraft() {}
};

class Sky {
public:
    // Places the sun for a local time (hours, minutes, seconds).
    void PlaceForLocalTime(int hour, int minute, int second);
    [[nodiscard]] float GetAmbientLight() const { return ambient; }
    void AddElapsedTime(float) {}

private:
    float ambient = 1.0f;
};

// Ambient light of the simple day curve: 0 at night, 1 from 08:00 to 16:00, linear between.
[[nodiscard]] float DayCurveLight(int hour, int minute, int second);

// Advances the approach-light sequence one place.
void StepRunwayLightMask();
// The clock of the animated scenery objects: flight steps since start.
extern std::uint32_t theFlightStepCounter;

}  // namespace world
