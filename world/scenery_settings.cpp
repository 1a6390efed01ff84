#include "world/scenery_settings.h"

#include "core/ini_file.h"

namespace world {

namespace {

constexpr const char* kSection = "Scenery Graphics";
constexpr const char* kProfileKey = "Graphics Settings";

struct RowSpec {
    std::int32_t defaultValue, minimum, maximum;
};
constexpr RowSpec kRows[kGraphicsSettingCount] = {
    {60, 0, 100}, {1, 0, 1}, {1, 0, 1}, {60, 0, 100}, {2, 0, 4}, {1, 0, 1}, {1, 0, 1},
    {1, 0, 1},    {1, 0, 1}, {1, 0, 1}, {0, 0, 2},    {0, 0, 2}, {1, 0, 1}, {1, 0, 1},
};

void LoadProfile(SceneryGraphicsProfile& p, core::IniFile& file) {
    for (SceneryGraphicsRow& r : p.Rows()) {
        r.value = ClampSetting(file.GetInt(p.Name().c_str(), r.key.c_str(), r.defaultValue),
                               r.minimum, r.maximum);
    }
}

void CopyProfile(SceneryGraphicsProfile& to, const SceneryGraphicsProfile& from) {
    for (SceneryGraphicsRow& r : to.Rows()) {
        const SceneryGraphicsRow* o = from.Find(static_cast<int>(r.index));
        r.value = o != nullptr ? o->value : 0;
    }
}

}  // namespace

const char* const theGraphicsSettingNames[kGraphicsSettingCount] = {
    "TerrainRange",    "TerrainTexture", "AircraftShadows", "CloudDistance",  "BuildingDensity",
    "BuildingTexture", "EnableSun",      "EnableMoon",      "EnableStars",    "SkyTexture",
    "RunwayMarkings",  "RunwayLighting", "RunwayTexture",   "EnableObstacles"};

SceneryGraphicsProfile::SceneryGraphicsProfile(std::string profileName)
    : name(std::move(profileName)) {
    rows.reserve(kGraphicsSettingCount);
    for (int i = 0; i < kGraphicsSettingCount; ++i) {
        const RowSpec& s = kRows[i];
        rows.push_back(SceneryGraphicsRow{static_cast<std::uint32_t>(i), s.defaultValue,
                                          s.defaultValue, s.minimum, s.maximum,
                                          theGraphicsSettingNames[i]});
    }
}

SceneryGraphicsRow* SceneryGraphicsProfile::Find(int index) {
    for (SceneryGraphicsRow& r : rows)
        if (static_cast<int>(r.index) == index) return &r;
    return nullptr;
}

const SceneryGraphicsRow* SceneryGraphicsProfile::Find(int index) const {
    for (const SceneryGraphicsRow& r : rows)
        if (static_cast<int>(r.index) == index) return &r;
    return nullptr;
}

SceneryGraphicsSettings::SceneryGraphicsSettings()
    : mainProfile("Main Scenery Graphics"), alternateProfile("Alternate Scenery Graphics") {}

SceneryGraphicsSettings::SceneryGraphicsSettings(const SceneryGraphicsSettings& other)
    : SceneryGraphicsSettings() {
    *this = other;
}

SceneryGraphicsSettings& SceneryGraphicsSettings::operator=(const SceneryGraphicsSettings& other) {
    if (this == &other) return *this;
    CopyProfile(mainProfile, other.mainProfile);
    CopyProfile(alternateProfile, other.alternateProfile);
    SelectProfile(static_cast<int>(other.alternateInUse));
    return *this;
}

void SceneryGraphicsSettings::LoadIni(core::IniFile& file) {
    LoadProfile(mainProfile, file);
    LoadProfile(alternateProfile, file);
    SelectProfile(ClampSetting(file.GetInt(kSection, kProfileKey, 0), 0, 1));
}

void SceneryGraphicsSettings::SaveIni(core::IniFile& file) const {
    file.PutInt(kSection, kProfileKey, static_cast<std::int32_t>(alternateInUse));
    for (const SceneryGraphicsProfile* p : {&mainProfile, &alternateProfile})
        for (const SceneryGraphicsRow& r : p->Rows())
            file.PutInt(p->Name().c_str(), r.key.c_str(), r.value);
}

std::int32_t SceneryGraphicsSettings::Get(int index) const {
    const SceneryGraphicsRow* r = inUse->Find(index);
    return r != nullptr ? r->value : 0;
}

void SceneryGraphicsSettings::Set(int index, std::int32_t value) {
    if (SceneryGraphicsRow* r = inUse->Find(index)) r->value = value;
}

void SceneryGraphicsSettings::SelectProfile(int alternate) {
    alternateInUse = alternate == 1 ? 1 : 0;
    inUse = alternateInUse != 0 ? &alternateProfile : &mainProfile;
}

}  // namespace world
