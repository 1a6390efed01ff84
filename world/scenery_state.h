// The world-and-scenery objects the world singleton owns, as far as the simulation's spine uses
// them: the weather (weather_state.h), the sky (sky.h), the cloud decks (cloud_layers.h), the
// two graphics profiles, the runway light step and the flight-step counter.
#pragma once

#include <array>
#include <cstdint>

#include "world/cloud_layers.h"
#include "world/runway_geometry.h"
#include "world/sky.h"
#include "world/weather_state.h"

namespace core {
class IniFile;
}

namespace world {

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

// The clock of the animated scenery objects: flight steps since start.
extern std::uint32_t theFlightStepCounter;

}  // namespace world
