#include "tools/mkdata/panel_roles.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_art_tables.h"

namespace mkdata {

namespace {

constexpr int kInks = static_cast<int>(Ink::Count);

struct Role {
    int index;
    Rgb colour;
};

constexpr Rgb kPaints[5] = {{92, 94, 100}, {48, 50, 56}, {86, 76, 66}, {60, 66, 76}, {44, 48, 54}};

Rgb Scale(Rgb x, double f) {
    return {static_cast<std::uint8_t>(std::clamp(x.r * f, 0.0, 255.0)),
            static_cast<std::uint8_t>(std::clamp(x.g * f, 0.0, 255.0)),
            static_cast<std::uint8_t>(std::clamp(x.b * f, 0.0, 255.0))};
}

// The colours the drawing's roles show, in the order in which a shared index takes its colour.
std::vector<Role> FixedRoles(int type) {
    const cockpit::PanelColours& c = cockpit::ColoursOf(type);
    const cockpit::AttitudeLayout a = cockpit::AttitudeLayoutForType(type);
    std::vector<Role> r = {
        {c.lampOn, {110, 240, 90}},
        {c.lampOff, {46, 52, 48}},
        {c.edge, {26, 26, 28}},
        {c.dotPowered, {120, 235, 100}},
        {c.dotDark, {26, 26, 28}},
        {a.h, {70, 140, 225}},
        {a.i, {128, 84, 44}},
        {c.shadow, {44, 32, 22}},
        {c.needle, {250, 244, 210}},
        {c.hsi, {250, 244, 210}},
        {c.bug, type == 4 ? Rgb{120, 230, 120} : Rgb{250, 140, 40}},
        {c.bar1, {255, 255, 255}},
        {c.bar2, {175, 175, 175}},
        {c.band1, {200, 255, 190}},
        {c.band2, {110, 200, 100}},
        {c.trim, {255, 255, 255}},
        {c.sideTrim, {255, 255, 255}},
    };
    return r;
}

// The art's inks for a panel paint.
std::array<Rgb, kInks> InkColours(int type) {
    const Rgb p = kPaints[std::clamp(type, 0, 4)];
    std::array<Rgb, kInks> k{};
    auto set = [&](Ink i, Rgb c) { k[static_cast<std::size_t>(i)] = c; };
    set(Ink::PaintDeep, Scale(p, 0.35));
    set(Ink::PaintDark, Scale(p, 0.62));
    set(Ink::Paint, p);
    set(Ink::PaintLight, Scale(p, 1.3));
    set(Ink::PaintHighlight, Scale(p, 1.75));
    set(Ink::PaintShadow, Scale(p, 0.82));
    set(Ink::Black, {8, 8, 10});
    set(Ink::Face, {20, 20, 22});
    set(Ink::FaceLight, {44, 44, 48});
    set(Ink::GreyDark, {72, 72, 76});
    set(Ink::Grey, {128, 128, 132});
    set(Ink::GreyLight, {188, 188, 192});
    set(Ink::White, {245, 245, 240});
    set(Ink::Cream, {232, 224, 190});
    set(Ink::Red, {226, 40, 30});
    set(Ink::RedDark, {130, 20, 16});
    set(Ink::Green, {40, 200, 60});
    set(Ink::GreenDark, {20, 100, 34});
    set(Ink::Yellow, {250, 220, 40});
    set(Ink::Amber, {250, 160, 30});
    set(Ink::Orange, {255, 110, 30});
    set(Ink::Blue, {60, 120, 220});
    set(Ink::BlueDark, {28, 56, 120});
    set(Ink::Metal, {150, 154, 160});
    set(Ink::MetalLight, {210, 214, 220});
    set(Ink::MetalDark, {92, 96, 102});
    set(Ink::Digit, {255, 120, 40});
    set(Ink::DigitDim, {30, 18, 12});
    set(Ink::Window, {12, 10, 10});
    set(Ink::SkyArt, {96, 150, 215});
    set(Ink::SkyArtDark, {60, 110, 190});
    set(Ink::GroundArt, {96, 120, 60});
    set(Ink::GroundArtLight, {140, 150, 90});
    set(Ink::Knob, {30, 30, 32});
    set(Ink::KnobLight, {96, 96, 100});
    set(Ink::Glare, {36, 36, 40});
    return k;
}

struct TypeTable {
    std::array<Rgb, 64> colours{};
    std::array<std::uint8_t, kInks> inks{};
};

// Inks of the art two types share (the C172's digits on the Baron, the Bonanza's quadrant and
// hour-meter digits on the Baron) sit at the same index, in the same colour, on every panel.
bool SharedInk(Ink k) {
    switch (k) {
        case Ink::PaintDeep:
        case Ink::PaintDark:
        case Ink::Paint:
        case Ink::PaintLight:
        case Ink::PaintHighlight:
        case Ink::PaintShadow:
        case Ink::FaceLight:
        case Ink::SkyArt:
        case Ink::SkyArtDark:
        case Ink::GroundArt:
        case Ink::GroundArtLight:
        case Ink::Glare:
            return false;
        default:
            return true;
    }
}

std::array<bool, 64> Fixed(int type) {
    std::array<bool, 64> taken{};
    for (const Role& r : FixedRoles(type)) {
        const int i = r.index - kFirstPanelEntry;
        if (i >= 0 && i < 64) taken[static_cast<std::size_t>(i)] = true;
    }
    return taken;
}

TypeTable MakeTable(int type) {
    TypeTable t;
    std::array<bool, 64> taken{};
    for (const Role& r : FixedRoles(type)) {
        const int i = r.index - kFirstPanelEntry;
        if (i < 0 || i >= 64 || taken[static_cast<std::size_t>(i)]) continue;
        taken[static_cast<std::size_t>(i)] = true;
        t.colours[static_cast<std::size_t>(i)] = r.colour;
    }
    // The shared inks take the indices no type's roles use, in order.
    std::array<bool, 64> anyFixed{};
    for (int k = 0; k < 5; ++k) {
        const std::array<bool, 64> f = Fixed(k);
        for (int i = 0; i < 64; ++i)
            anyFixed[static_cast<std::size_t>(i)] =
                anyFixed[static_cast<std::size_t>(i)] || f[static_cast<std::size_t>(i)];
    }
    const std::array<Rgb, kInks> inks = InkColours(type);
    int next = 0;
    for (int k = 0; k < kInks; ++k) {
        if (!SharedInk(static_cast<Ink>(k))) continue;
        while (next < 63 && anyFixed[static_cast<std::size_t>(next)]) ++next;
        taken[static_cast<std::size_t>(next)] = true;
        t.colours[static_cast<std::size_t>(next)] = inks[static_cast<std::size_t>(k)];
        t.inks[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(next + kFirstPanelEntry);
        ++next;
    }
    // The type's own inks take what is left.
    next = 0;
    for (int k = 0; k < kInks; ++k) {
        if (SharedInk(static_cast<Ink>(k))) continue;
        while (next < 63 && taken[static_cast<std::size_t>(next)]) ++next;
        taken[static_cast<std::size_t>(next)] = true;
        t.colours[static_cast<std::size_t>(next)] = inks[static_cast<std::size_t>(k)];
        t.inks[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(next + kFirstPanelEntry);
    }
    // What is left repeats the paint.
    for (int i = 0; i < 64; ++i)
        if (!taken[static_cast<std::size_t>(i)]) t.colours[static_cast<std::size_t>(i)] = kPaints[type];
    return t;
}

const TypeTable& TableOf(int type) {
    static const std::array<TypeTable, 5> tables = {MakeTable(0), MakeTable(1), MakeTable(2),
                                                    MakeTable(3), MakeTable(4)};
    return tables[static_cast<std::size_t>(std::clamp(type, 0, 4))];
}

}  // namespace

std::uint8_t InkIndex(int type, Ink ink) {
    return TableOf(type).inks[static_cast<std::size_t>(ink)];
}

std::vector<Rgb> PanelRoleColours(int type, int timeIndex) {
    const TypeTable& t = TableOf(type);
    std::vector<Rgb> c(t.colours.begin(), t.colours.end());
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
