#include "tools/mkdata/panel_roles.h"

#include <algorithm>
#include <cmath>

namespace mkdata {

namespace {

struct Role {
    int index;
    Rgb colour;
};

// The base every type starts from: paint ramp 10..25, greys 26..41, red 42..49, green 50..57,
// amber 58..65, metal 66..69, sky 70..71, ground 72..73.
std::vector<Rgb> BaseColours(Rgb paint) {
    std::vector<Rgb> c;
    auto ramp = [&](Rgb from, Rgb to, int n) {
        for (int k = 0; k < n; ++k) {
            const double t = n > 1 ? double(k) / (n - 1) : 0.0;
            c.push_back({static_cast<std::uint8_t>(std::lround(from.r + (to.r - from.r) * t)),
                         static_cast<std::uint8_t>(std::lround(from.g + (to.g - from.g) * t)),
                         static_cast<std::uint8_t>(std::lround(from.b + (to.b - from.b) * t))});
        }
    };
    auto scale = [](Rgb x, double f) {
        return Rgb{static_cast<std::uint8_t>(std::clamp(x.r * f, 0.0, 255.0)),
                   static_cast<std::uint8_t>(std::clamp(x.g * f, 0.0, 255.0)),
                   static_cast<std::uint8_t>(std::clamp(x.b * f, 0.0, 255.0))};
    };
    ramp(scale(paint, 0.25), scale(paint, 1.9), 16);
    ramp({4, 4, 4}, {250, 250, 245}, 16);
    ramp({90, 10, 8}, {255, 90, 70}, 8);
    ramp({10, 80, 20}, {90, 230, 110}, 8);
    ramp({120, 70, 0}, {255, 215, 80}, 8);
    ramp({70, 74, 80}, {190, 196, 204}, 4);
    ramp({40, 110, 200}, {90, 160, 235}, 2);
    ramp({150, 100, 55}, {110, 70, 35}, 2);
    return c;
}

constexpr Rgb kSkyBlue{70, 140, 225};
constexpr Rgb kGroundBrown{120, 78, 40};

// Each type's roles at the indices its drawing code names.
std::vector<Role> RolesOf(int type) {
    switch (type) {
        case 1:
            return {{11, {40, 42, 46}}, {68, kSkyBlue}, {73, kGroundBrown}, {47, {120, 230, 90}},
                    {24, {60, 62, 66}}};
        case 2:
            return {{13, {40, 38, 36}}, {65, kSkyBlue}, {73, kGroundBrown}, {48, {255, 200, 60}},
                    {17, {70, 66, 62}}};
        case 3:
            return {{11, {36, 40, 46}}, {67, kSkyBlue}, {26, kGroundBrown}, {55, {90, 230, 110}},
                    {50, {20, 60, 30}}, {18, {250, 250, 250}}};
        case 4:
            return {{62, {30, 32, 36}}, {68, kSkyBlue}, {35, kGroundBrown}, {52, {90, 230, 110}},
                    {50, {20, 60, 30}}, {20, {250, 250, 250}}};
        default:
            return {{c172::kEdge, {30, 31, 34}},
                    {c172::kSky, kSkyBlue},
                    {c172::kSkyDark, {40, 100, 190}},
                    {c172::kGround, kGroundBrown},
                    {c172::kGroundLight, {150, 100, 55}},
                    {c172::kLampOn, {120, 235, 90}},
                    {c172::kLampOff, {52, 54, 56}},
                    {c172::kDigit, {255, 120, 40}}};
    }
}

constexpr Rgb kPaints[5] = {{92, 94, 100}, {70, 72, 78}, {74, 70, 66}, {62, 66, 72}, {52, 56, 62}};

}  // namespace

std::vector<Rgb> PanelRoleColours(int type, int timeIndex) {
    type = std::clamp(type, 0, 4);
    std::vector<Rgb> c = BaseColours(kPaints[type]);
    for (const Role& r : RolesOf(type))
        c[static_cast<std::size_t>(r.index - kFirstPanelEntry)] = r.colour;
    // Toward night the panel dims, and its lighting makes it warmer.
    const double night =
        std::clamp(timeIndex, 0, kPanelTimeIndexes - 1) / double(kPanelTimeIndexes - 1);
    const double light = 1.0 - 0.6 * night;
    for (Rgb& x : c) {
        x = {static_cast<std::uint8_t>(std::lround(x.r * light)),
             static_cast<std::uint8_t>(std::lround(x.g * light * (1.0 - 0.1 * night))),
             static_cast<std::uint8_t>(std::lround(x.b * light * (1.0 - 0.25 * night)))};
    }
    return c;
}

std::vector<Rgb> PanelRolePalette(int type, int timeIndex) {
    const int level = std::min(kLightLevels - 1, (timeIndex * 8 + 2) / 3);
    std::vector<Rgb> c = WorldColours(level);
    const std::vector<Rgb> panel = PanelRoleColours(type, timeIndex);
    std::copy(panel.begin(), panel.end(), c.begin() + kFirstPanelEntry);
    return c;
}

}  // namespace mkdata
