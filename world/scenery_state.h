// The world-and-scenery objects the world singleton owns, as far as the simulation's spine uses
// them: the weather's situation section and slow updates, the sky's ambient light, and the two
// graphics profiles. Least bodies where the scenery code is still to come: the sky's light
// follows the local hour with a simple day curve so the readouts and the time-of-day commands
// have a light to work with.
#pragma once

#include <array>
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

// Two profiles of fourteen settings (indexes 0..13), and the current one.
inline constexpr int kGraphicsSettingCount = 14;
extern const char* const theGraphicsSettingNames[kGraphicsSettingCount];

class SceneryGraphicsSettings {
public:
    SceneryGraphicsSettings();
    std::array<std::array<std::int32_t, kGraphicsSettingCount>, 2> profiles{};
    int current = 0;
    // The profile in use: a setting's value (0 for an index it lacks), and which one is in use
    // (0 the main profile, 1 the alternate).
    [[nodiscard]] std::int32_t Get(int index) const {
        return index >= 0 && index < kGraphicsSettingCount ? profiles[current][index] : 0;
    }
    void Set(int index, std::int32_t value) {
        if (index >= 0 && index < kGraphicsSettingCount) profiles[current][index] = value;
    }
    void SelectProfile(int alternate) { current = alternate == 1 ? 1 : 0; }
    [[nodiscard]] int ProfileInUse() const { return current; }
    // Sections "Graphics" (main) and "GraphicsAlt" of the settings file; missing keys keep the
    // built-in values.
    void LoadIni(core::IniFile& file);
    void SaveIni(core::IniFile& file) const;
};

// Advances the approach-light sequence one place.
void StepRunwayLightMask();
// The clock of the animated scenery objects: flight steps since start.
extern std::uint32_t theFlightStepCounter;

}  // namespace world
