// The user's scenery detail choices: how far terrain is drawn, what is textured, which sky
// bodies and airport objects appear. Two complete profiles ("Main Scenery Graphics" and
// "Alternate Scenery Graphics") of fourteen rows each, and a switch saying which is in use, so a
// user can keep a fast set and a detailed one and swap between them. The world owns one; the
// graphics dialog edits a copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {
class IniFile;
}

namespace world {

inline constexpr int kGraphicsSettingCount = 14;

// The setting indexes.
enum GraphicsSetting : int {
    kTerrainRange = 0,
    kTerrainTexture = 1,
    kAircraftShadows = 2,
    kCloudDistance = 3,
    kBuildingDensity = 4,
    kBuildingTexture = 5,
    kEnableSun = 6,
    kEnableMoon = 7,
    kEnableStars = 8,
    kSkyTexture = 9,
    kRunwayMarkings = 10,
    kRunwayLighting = 11,
    kRunwayTexture = 12,
    kEnableObstacles = 13,
};

struct SceneryGraphicsRow {
    std::uint32_t index = 0;
    std::int32_t value = 0;
    std::int32_t defaultValue = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::string key;
};

class SceneryGraphicsProfile {
public:
    explicit SceneryGraphicsProfile(std::string name);

    [[nodiscard]] const std::string& Name() const { return name; }
    // The row of an index, or null when the profile has none.
    [[nodiscard]] SceneryGraphicsRow* Find(int index);
    [[nodiscard]] const SceneryGraphicsRow* Find(int index) const;
    [[nodiscard]] std::vector<SceneryGraphicsRow>& Rows() { return rows; }
    [[nodiscard]] const std::vector<SceneryGraphicsRow>& Rows() const { return rows; }

private:
    std::string name;  // also its INI section
    std::vector<SceneryGraphicsRow> rows;
};

class SceneryGraphicsSettings {
public:
    SceneryGraphicsSettings();
    SceneryGraphicsSettings(const SceneryGraphicsSettings& other);
    // Each row takes the value of the other's row of the same index (0 when it has none).
    SceneryGraphicsSettings& operator=(const SceneryGraphicsSettings& other);

    void LoadIni(core::IniFile& file);
    void SaveIni(core::IniFile& file) const;

    // The value of a setting in the profile in use; 0 for an index no row has.
    [[nodiscard]] std::int32_t Get(int index) const;
    void Set(int index, std::int32_t value);
    // 0 the main profile, 1 the alternate.
    void SelectProfile(int alternate);
    [[nodiscard]] int ProfileInUse() const { return static_cast<int>(alternateInUse); }

    SceneryGraphicsProfile mainProfile;
    SceneryGraphicsProfile alternateProfile;

private:
    SceneryGraphicsProfile* inUse = &mainProfile;
    std::uint32_t alternateInUse = 0;
};

// The key names of the fourteen settings, by index.
extern const char* const theGraphicsSettingNames[kGraphicsSettingCount];

// Clamp as the settings read them: min when below, else the smaller of the value and max.
[[nodiscard]] constexpr std::int32_t ClampSetting(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v < lo ? lo : (v < hi ? v : hi);
}

}  // namespace world
