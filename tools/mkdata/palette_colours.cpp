#include "tools/mkdata/palette_colours.h"

#include <algorithm>
#include <cmath>

namespace mkdata {

namespace {

// The window system's static colours: the first ten and the last ten entries.
constexpr Rgb kStaticLow[10] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                {192, 220, 192}, {166, 202, 240}};
constexpr Rgb kStaticHigh[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                 {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                 {0, 255, 255},   {255, 255, 255}};

// The world's ramps, dark to light, filling entries 74..245 (172 entries) round the entries
// the drawing code uses by number.
// A ramp's last `hazed` steps leave its dark-to-light run and fade from the step before them
// into the haze instead: the open water's blues, which the sky ramp's middle holds, then fade
// into the far haze through their own blue-greys rather than through brighter blues and then
// grey at a stroke.
struct Ramp {
    Rgb base;
    int count;
    int hazed = 0;
};
constexpr Ramp kWorldRamps[] = {
    {{170, 170, 165}, 24},     // concrete, asphalt, buildings
    {{90, 150, 60}, 24},       // grass
    {{40, 95, 40}, 20},        // forest
    {{140, 105, 65}, 20},      // earth
    {{210, 190, 140}, 16},     // sand
    {{50, 90, 160}, 20},       // water
    {{110, 160, 230}, 16, 4},  // sky and open water, and their haze
    {{200, 40, 30}, 8},        // red paint and lights
    {{235, 200, 40}, 8},       // yellow markings
    {{245, 245, 245}, 8},      // white markings and clouds
};

// Entries with a fixed meaning: outlines of far objects (77), of paved and of soft runways (81,
// 86), of small textured faces (156); the ground seen below the horizon (88), the sky and the
// alternative sky (245, 244) and the stars (230).
struct FixedEntry {
    int index;
    Rgb colour;
    bool tinted;  // darkens toward night like the ramps (the stars do not)
};
constexpr FixedEntry kFixedEntries[] = {
    {77, {112, 112, 108}, true},  {81, {92, 92, 90}, true},     {86, {118, 112, 76}, true},
    {88, {98, 124, 66}, true},    {156, {128, 128, 124}, true}, {kStarEntry, {250, 250, 255}, false},
    {kAlternativeSkyEntry, {170, 198, 232}, true}, {kSkyEntry, {120, 168, 228}, true},
};

std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0) + 0.5);
}

// Step k of n of a ramp: from a third of the colour up to a little above it.
Rgb RampColour(Rgb base, int k, int n) {
    const double f = 0.3 + 0.9 * k / (n > 1 ? n - 1 : 1);
    return {Channel(base.r * f), Channel(base.g * f), Channel(base.b * f)};
}

// Step k of a world ramp: its last `hazed` steps go from the step before them to the haze in
// equal parts, the last one the haze itself.
Rgb WorldRampColour(const Ramp& r, int k) {
    const int last = r.count - r.hazed - 1;
    if (k <= last) return RampColour(r.base, k, r.count);
    const Rgb from = RampColour(r.base, last, r.count);
    const double f = static_cast<double>(k - last) / r.hazed;
    return {Channel(from.r + (kDayHaze.r - from.r) * f),
            Channel(from.g + (kDayHaze.g - from.g) * f),
            Channel(from.b + (kDayHaze.b - from.b) * f)};
}

}  // namespace

bool IsFixedEntry(int index) {
    for (const FixedEntry& f : kFixedEntries)
        if (f.index == index) return true;
    return false;
}

Rgb StaticColour(int index) {
    if (index < 10) return kStaticLow[std::max(index, 0)];
    return kStaticHigh[std::min(index - 246, 9)];
}

Rgb TintForLevel(Rgb day, int level) {
    const double night = std::clamp(level, 0, kLightLevels - 1) / double(kLightLevels - 1);
    // Brightness falls slowly at first (dusk) and then quickly, down to an eighth at night;
    // red fades first and blue last, so night has a blue tint.
    const double light = 0.125 + 0.875 * std::pow(1.0 - night, 1.4);
    return {Channel(day.r * light * (1.0 - 0.30 * night)),
            Channel(day.g * light * (1.0 - 0.12 * night)),
            Channel(day.b * light * (1.0 + 0.20 * night))};
}

std::vector<Rgb> PanelColours(Rgb paint, int timeIndex) {
    std::vector<Rgb> c;
    c.reserve(kPanelEntries);
    auto ramp = [&](Rgb base, int n) {
        for (int k = 0; k < n; ++k)
            c.push_back(RampColour(base, k, n));
    };
    ramp(paint, 16);                // the panel's paint
    for (int k = 0; k < 16; ++k) {  // black to white: instrument faces, needles and markings
        const auto v = static_cast<std::uint8_t>(k * 17);
        c.push_back({v, v, v});
    }
    ramp({220, 40, 30}, 8);   // red arcs and lamps
    ramp({40, 190, 60}, 8);   // green arcs and lamps
    ramp({240, 200, 40}, 8);  // yellow arcs and lamps
    ramp({70, 130, 220}, 4);  // the attitude indicator's sky
    ramp({140, 90, 50}, 4);   // and its ground
    // Toward night the panel dims, and its lighting makes it warmer.
    const double night =
        std::clamp(timeIndex, 0, kPanelTimeIndexes - 1) / double(kPanelTimeIndexes - 1);
    const double light = 1.0 - 0.6 * night;
    for (Rgb& x : c) {
        x = {Channel(x.r * light), Channel(x.g * light * (1.0 - 0.1 * night)),
             Channel(x.b * light * (1.0 - 0.25 * night))};
    }
    return c;
}

std::vector<Rgb> WorldColours(int level) {
    std::vector<Rgb> c(256);
    for (int i = 0; i < 256; ++i) {
        if (IsStaticEntry(i)) c[static_cast<std::size_t>(i)] = StaticColour(i);
    }
    const std::vector<Rgb> panel = PanelColours({96, 98, 104}, 0);
    int at = kFirstPanelEntry;
    for (const Rgb& p : panel)
        c[static_cast<std::size_t>(at++)] = TintForLevel(p, level);
    for (const FixedEntry& f : kFixedEntries)
        c[static_cast<std::size_t>(f.index)] = f.tinted ? TintForLevel(f.colour, level) : f.colour;
    for (const Ramp& r : kWorldRamps) {
        for (int k = 0; k < r.count; ++k) {
            while (IsFixedEntry(at))
                ++at;
            c[static_cast<std::size_t>(at++)] = TintForLevel(WorldRampColour(r, k), level);
        }
    }
    return c;
}

std::uint8_t NearestWorldEntry(const std::vector<Rgb>& palette, double r, double g, double b) {
    int best = kFirstWorldEntry;
    double bestD = 1e300;
    for (int i = kFirstWorldEntry; i <= kLastFreeEntry; ++i) {
        const Rgb& p = palette[static_cast<std::size_t>(i)];
        const double d =
            (p.r - r) * (p.r - r) * 0.3 + (p.g - g) * (p.g - g) * 0.59 + (p.b - b) * (p.b - b) * 0.11;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace mkdata
