#include "world/scenery_state.h"

#include "core/ini_file.h"

namespace world {

std::uint32_t theFlightStepCounter = 0;

namespace {
constexpr std::array<std::int32_t, kGraphicsSettingCount> kDefaultProfile = {
    100, 1, 1, 100, 0, 1, 1, 1, 1, 1, 0, 0, 1, 0};
}  // namespace

const char* const theGraphicsSettingNames[kGraphicsSettingCount] = {
    "TerrainRange",    "TerrainTexture", "AircraftShadows", "CloudDistance",  "BuildingDensity",
    "BuildingTexture", "EnableSun",      "EnableMoon",      "EnableStars",    "SkyTexture",
    "RunwayMarkings",  "RunwayLighting", "RunwayTexture",   "EnableObstacles"};

SceneryGraphicsSettings::SceneryGraphicsSettings() {
    profiles[0] = kDefaultProfile;
    profiles[1] = kDefaultProfile;
}

void SceneryGraphicsSettings::LoadIni(core::IniFile& file) {
    static const char* const kSections[2] = {"Graphics", "GraphicsAlt"};
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < kGraphicsSettingCount; ++i)
            profiles[p][i] =
                file.GetInt(kSections[p], theGraphicsSettingNames[i], kDefaultProfile[i]);
}

void SceneryGraphicsSettings::SaveIni(core::IniFile& file) const {
    static const char* const kSections[2] = {"Graphics", "GraphicsAlt"};
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < kGraphicsSettingCount; ++i)
            file.PutInt(kSections[p], theGraphicsSettingNames[i], profiles[p][i]);
}

}  // namespace world
